// The check runs the product's build in memory with a listener and reads
// what it reports; after an error it sets the offending record aside (blanks
// it in its copy of the text) and builds again, as an author would after a fix.
#include "verifica.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "diagnostica.h"
#include "documents/lettore.h"
#include "files/archivio.h"
#include "files/nomi_file.h"
#include "formato.h"
#include "model/costruzione.h"
#include "run/memorizza_percorso.h"

namespace autori {

namespace {

// Bounds the reruns, so that a description full of errors costs at most this
// many builds.
constexpr int massimo_giri = 100;

// The general section's keywords the build matches letter for letter.
constexpr const char* solo_minuscole[] = {"progressiva", "sfondo", "ripetizione", "segnali"};

struct evento_salvato {
  evento specie;
  int documento;
  size_t inizio_record;
  size_t offset;
  std::string_view record;  // the compilers' names live as long as the program
  int32_t campo;
  int64_t letto;
  int64_t memorizzato;
  std::string testo;
};

struct registro : osservatore_costruzione {
  std::vector<evento_salvato> eventi;
  void notifica(const evento_costruzione& e) override {
    eventi.push_back({e.specie, e.documento, e.inizio_record, e.offset, e.record, e.campo, e.letto,
                      e.memorizzato, std::string(e.testo)});
  }
};

struct giro {
  registro r;
  int32_t codice = 0;
  int32_t posizione = 0;
  int32_t documento_errore = 0;
  int64_t lunghezza = 0;  // of the route, 0 before it is read
  size_t celle = 0;
  std::vector<cella> percorso;
};

giro costruisci(const ingresso_verifica& in, const std::optional<std::string>& linea,
                const std::optional<std::string>& treno) {
  giro g;
  costruzione c("", in.identificativo, in.numero_treno);
  archivio_memoria memoria;
  c.archivio_file = &memoria;
  c.osservatore = &g.r;
  if (linea) memoria.sostituisci(nomi::descrizione_linea(c), *linea);
  if (treno) memoria.sostituisci(nomi::descrizione_treno(c), *treno);
  const esito_costruzione e = memorizza_percorso(c, 1);
  g.codice = c.codice_errore;
  // The final checks stop the build with a code of their own.
  if (e.fatale == "1250" || e.fatale == "1251") g.codice = e.fatale == "1250" ? 1250 : 1251;
  g.posizione = c.posizione_errore;
  g.documento_errore = c.documento_errore;
  g.lunghezza = c.percorso_esiste() ? c.tabella_scenario[84].fine : 0;
  g.celle = c.percorso.size();
  if (c.percorso.size() > 1) g.percorso.assign(c.percorso.begin(), c.percorso.begin() + 2);
  return g;
}

// Where a line begins and ends (before its line end).
size_t inizio_riga(const std::string& t, size_t o) {
  o = std::min(o, t.size());
  while (o > 0 && t[o - 1] != '\n' && t[o - 1] != '\r') --o;
  return o;
}
size_t fine_riga(const std::string& t, size_t o) {
  while (o < t.size() && t[o] != '\n' && t[o] != '\r') ++o;
  return o;
}

// The written text of the field that begins at o.
std::string scritto(const std::string& t, size_t o) {
  size_t f = o;
  while (f < t.size() && t[f] != ',' && t[f] != '\n' && t[f] != '\r') ++f;
  std::string s = t.substr(std::min(o, t.size()), f - std::min(o, t.size()));
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

std::string n(int64_t v) { return std::to_string(v); }

std::string tipo_in_parole(const campo_formato& f) {
  return "a whole number from " +
         n(f.tipo == tipo_campo::intero_8    ? 0
           : f.tipo == tipo_campo::intero_16 ? -32768
                                             : -2147483648LL) +
         " to " +
         n(f.tipo == tipo_campo::intero_8    ? 255
           : f.tipo == tipo_campo::intero_16 ? 32767
                                             : 2147483647LL);
}

class verificatore {
 public:
  explicit verificatore(const ingresso_verifica& in) : in_(in), testi_{std::string(), in.linea, in.treno} {}

  esito_verifica esegui() {
    std::optional<giro> ultimo;
    std::set<std::string> visti;
    for (int k = 0; k < massimo_giri; ++k) {
      giro g = costruisci(in_, testi_[1], testi_[2]);
      intestazioni(g);
      const size_t prima = reperti_.size();
      const bool avanti = errore_del_giro(g, visti);
      // The build as written: a code 25 after the cells exist still writes
      // the files, with nothing of what follows the place it stopped.
      if (k == 0 && g.codice == 25 && g.celle > 0)
        for (size_t i = prima; i < reperti_.size() && !incompleto_; ++i)
          if (reperti_[i].livello == gravita::errore)
            incompleto_ = arresto_costruzione{reperti_[i].documento, reperti_[i].offset};
      ultimo = std::move(g);
      if (!avanti) break;
    }
    if (ultimo) osserva(*ultimo);
    std::stable_sort(reperti_.begin(), reperti_.end(), [](const reperto& a, const reperto& b) {
      if (a.documento != b.documento) return a.documento < b.documento;
      return a.offset.value_or(0) + (a.offset ? 1 : 0) < b.offset.value_or(0) + (b.offset ? 1 : 0);
    });
    return {std::move(reperti_), incompleto_};
  }

 private:
  const std::string& testo(int d) const {
    static const std::string vuoto;
    return testi_[static_cast<size_t>(d)] ? *testi_[static_cast<size_t>(d)] : vuoto;
  }
  void aggiungi(gravita g, int d, std::optional<size_t> o, std::string m) {
    reperti_.push_back({g, d, o, std::move(m)});
  }

  // The record at o set aside: every byte of its lines but the line ends
  // becomes a blank, so that later places stay where they were.
  bool cancella(int d, size_t inizio, size_t fine) {
    if (!testi_[static_cast<size_t>(d)]) return false;
    std::string& t = *testi_[static_cast<size_t>(d)];
    bool cambiato = false;
    for (size_t i = inizio_riga(t, inizio); i < fine_riga(t, std::max(inizio, fine)); ++i) {
      if (t[i] != ' ' && t[i] != '\n' && t[i] != '\r') {
        t[i] = ' ';
        cambiato = true;
      }
    }
    return cambiato;
  }
  size_t ultimo_campo(const giro& g, int d, size_t inizio) const {
    size_t f = inizio;
    for (const evento_salvato& e : g.r.eventi)
      if (e.documento == d && e.inizio_record == inizio) f = std::max(f, e.offset);
    return f;
  }

  // The record that placed itself on cell k, if any.
  const evento_salvato* padrone(const giro& g, int64_t k, size_t prima_di) const {
    const evento_salvato* p = nullptr;
    for (size_t i = 0; i < prima_di && i < g.r.eventi.size(); ++i)
      if (g.r.eventi[i].specie == evento::cella && g.r.eventi[i].memorizzato == k) p = &g.r.eventi[i];
    return p;
  }
  std::string dove(const evento_salvato& e) const {
    const posizione_testo p = riga_colonna(testo(e.documento), e.inizio_record);
    return "the " + nome_record(e.record) + " of line " + n(p.riga) +
           (e.documento == 1 ? " of the line description" : "");
  }

  // A section header taken for a record usually ends in an error that sets
  // it aside: said from whichever run saw it.
  void intestazioni(const giro& g) {
    for (const evento_salvato& e : g.r.eventi)
      if (e.specie == evento::record && e.testo.find('[') != std::string::npos &&
          intestazioni_.insert({e.documento, e.offset}).second)
        aggiungi(gravita::avviso, e.documento, e.offset,
                 "the section header " + citato(e.testo) + " is read as a " + nome_record(e.record) +
                     " record ('" + std::string(e.record) + "'); section headers are " +
                     elenco(sezioni(e.documento)));
  }

  // Reports the run's first error; true when setting it aside lets a
  // further run find more.
  bool errore_del_giro(const giro& g, std::set<std::string>& visti) {
    const std::vector<evento_salvato>& ev = g.r.eventi;
    for (size_t i = 0; i < ev.size(); ++i) {
      const evento_salvato& e = ev[i];
      if (e.specie != evento::codice && e.specie != evento::guasto) continue;
      const int32_t codice = e.specie == evento::guasto ? 25 : static_cast<int32_t>(e.letto);
      const std::string chiave = n(codice) + "/" + n(e.documento) + "/" + n(static_cast<int64_t>(e.offset));
      if (!visti.insert(chiave).second) return false;
      errati_.insert({e.documento, e.inizio_record});
      chiavi_errate_.insert({e.documento, std::string(e.record)});
      if (e.specie == evento::guasto) {
        // A value that failed after it was read: at the field that gave it.
        size_t dove = e.offset;
        for (size_t k = 0; k < i; ++k)
          if (ev[k].specie == evento::campo && ev[k].documento == e.documento &&
              ev[k].inizio_record == e.inizio_record && ev[k].campo == e.campo)
            dove = ev[k].offset;
        const std::string& t = testo(e.documento);
        const int riga_record = riga_colonna(t, e.inizio_record).riga;
        if (!e.record.empty() && e.campo > 0 && riga_colonna(t, dove).riga > riga_record) {
          // The record's line ended first: the fault belongs to that line.
          aggiungi(gravita::errore, e.documento, e.inizio_record, "code 25: " + campi_mancanti(g, e, dove));
        } else {
          aggiungi(gravita::errore, e.documento, dove, "code 25: " + guasto(g, e, dove));
          senza_unita(e, dove);
        }
        reperti_.back().codice = 25;
      } else {
        aggiungi(gravita::errore, e.documento, e.inizio_record,
                 "code " + n(codice) + ": " + parole_codice(g, i));
        dettagli_codice(g, i);
      }
      // Without the length, or without the section, nothing later is read.
      if (codice == 1 || codice == 102 || e.record == "lunghezza percorso" ||
          e.testo == "no route length in the general section")
        return false;
      return cancella(e.documento, e.inizio_record,
                      std::max(e.offset, ultimo_campo(g, e.documento, e.inizio_record)));
    }
    if (g.codice == 0) return false;
    const voce_codice v = descrivi_codice(g.codice);
    const bool treno_mancante = g.codice == 25 && !in_.treno;
    const int d = v.origine == documento::linea && !treno_mancante ? 1 : 2;
    std::string m = "code " + n(g.codice) + ": " + v.parole;
    if (v.con_posizione) m += " at " + n(g.posizione) + " m";
    if (treno_mancante) m = "code 25: the train description does not exist";
    if ((g.codice == 1250 || g.codice == 1251) && g.percorso.size() > 1) {
      // The record that took cell 1 is what an author would move.
      for (const evento_salvato& e : ev) {
        if (e.specie == evento::cella && e.memorizzato == 1) {
          aggiungi(gravita::errore, e.documento, e.inizio_record,
                   m + ": cell 1 is taken by this " + nome_record(e.record) + " at " + n(e.letto) + " m");
          return cancella(e.documento, e.inizio_record, ultimo_campo(g, e.documento, e.inizio_record));
        }
      }
    }
    aggiungi(gravita::errore, d, std::nullopt, m);
    reperti_.back().codice = g.codice;
    return false;
  }

  // The field a record's code is about, and the record that took its cell.
  void dettagli_codice(const giro& g, size_t i) {
    const evento_salvato& e = g.r.eventi[i];
    const auto codice = static_cast<int32_t>(e.letto);
    reperto& r = reperti_.back();
    r.codice = codice;
    const int numero = codice == 9 || codice == 19 ? 3 : codice == 3 || codice == 4 ? codice - 2 : 1;
    for (const evento_salvato& c : g.r.eventi)
      if (c.specie == evento::campo && c.documento == e.documento && c.inizio_record == e.inizio_record &&
          c.campo == numero) {
        const std::string& t = testo(e.documento);
        r.intervallo = std::pair{c.offset, c.offset + scritto(t, c.offset).size()};
      }
    const evento_salvato* o =
        i > 0 && g.r.eventi[i - 1].specie == evento::occupata ? &g.r.eventi[i - 1] : nullptr;
    if (o == nullptr) return;
    if (const evento_salvato* p = padrone(g, o->memorizzato, i))
      r.collegato =
          reperto::luogo{p->documento, p->inizio_record,
                         "cell " + n(o->memorizzato) + " is taken by this " + nome_record(p->record)};
  }

  // "400m": the number without its unit is what was meant.
  void senza_unita(const evento_salvato& e, size_t dove) {
    if (e.testo != "malformed number") return;
    const std::string valore = scritto(testo(e.documento), dove);
    const size_t segno = !valore.empty() && (valore[0] == '-' || valore[0] == '+') ? 1 : 0;
    const size_t lettere = valore.find_first_not_of("0123456789", segno);
    if (lettere == segno || lettere == std::string::npos ||
        !std::all_of(valore.begin() + static_cast<std::ptrdiff_t>(lettere), valore.end(),
                     [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }))
      return;
    reperti_.back().intervallo = std::pair{dove, dove + valore.size()};
    reperti_.back().correzione = valore.substr(0, lettere);
  }

  std::string parole_codice(const giro& g, size_t i) const {
    const evento_salvato& e = g.r.eventi[i];
    const int32_t codice = static_cast<int32_t>(e.letto);
    const voce_codice v = descrivi_codice(codice);
    const std::string cosa = nome_record(e.record) + " at " + n(e.memorizzato) + " m";
    switch (codice) {
      case 6:
      case 7:
      case 16:
      case 17:
      case 18:
      case 19:
      case 20:
      case 21: {
        const evento_salvato* o =
            i > 0 && g.r.eventi[i - 1].specie == evento::occupata ? &g.r.eventi[i - 1] : nullptr;
        if (o == nullptr) return cosa + ": " + v.parole;
        std::string m = cosa + ": cell " + n(o->memorizzato) + " is already taken";
        if (const evento_salvato* p = padrone(g, o->memorizzato, i)) m += " by " + dove(*p);
        return m;
      }
      case 1:
        return "route length " + campo_letto(g, e, 1) + " m: above the longest route, 1000000 m";
      case 3:
      case 4:
        return v.parole + ": " + campo_letto(g, e, codice - 2) + " m";
      case 25:
        // The compilers' own limits, not the reader's.
        if (e.record == "lunghezza percorso") return "route length " + campo_letto(g, e, 1) + " m: below 0";
        if (e.record == "montagna") return "tunnel at " + campo_letto(g, e, 1) + " m: more than 80 tunnels";
        if (e.record == "cartello indicatore")
          return "sign at " + campo_letto(g, e, 1) + " m: more than 80 signs";
        return v.parole;
      case 8:
        return cosa + ": position must be a multiple of 50";
      case 9:
        return cosa + ": length " + campo_letto(g, e, 3) + " m must be a multiple of 100";
      case 15:
        return cosa + ": beyond the last cell of the route, which is " + n(g.lunghezza) +
               " m long with cells up to " + n(static_cast<int64_t>(g.celle > 0 ? g.celle - 1 : 0) * 50) +
               " m";
      case 22:
        return stazioni_vicine(g, i);
      default:
        return v.parole + (v.con_posizione ? " at " + n(e.memorizzato) + " m" : "");
    }
  }

  // A station's area as the build computes it from its fields.
  static std::pair<int64_t, int64_t> area(int64_t p, int64_t tipo, int64_t lunghezza, int64_t mar) {
    if (tipo == 5 || tipo == 6) return {p - lunghezza, p + 150};
    if (tipo == 7 || tipo == 8) return {p - lunghezza, p + lunghezza};
    return {p - lunghezza / 2, p + lunghezza / 2 + (mar != 0 ? 50 : 0)};
  }
  std::optional<int64_t> numero_letto(const giro& g, int d, size_t inizio, int numero) const {
    for (const evento_salvato& e : g.r.eventi)
      if (e.specie == evento::campo && e.documento == d && e.inizio_record == inizio && e.campo == numero)
        return e.letto;
    return std::nullopt;
  }

  // Code 22, with both stations and their areas: the one before it in the
  // file is the one the build compares with.
  std::string stazioni_vicine(const giro& g, size_t i) const {
    const evento_salvato& e = g.r.eventi[i];
    const evento_salvato* prima = nullptr;
    std::string nome, nome_prima;
    for (size_t k = 0; k < i; ++k) {
      const evento_salvato& r = g.r.eventi[k];
      if (r.documento != 2 || r.record != "stazione") continue;
      if (r.specie == evento::record && r.inizio_record != e.inizio_record) prima = &r;
      if (r.specie == evento::testo && r.campo == 17)
        (r.inizio_record == e.inizio_record ? nome : nome_prima) = r.testo;
    }
    auto campo = [&](size_t inizio, int k) { return numero_letto(g, 2, inizio, k).value_or(0); };
    auto descrivi = [&](size_t inizio, const std::string& chi) {
      const auto [a, b] = area(campo(inizio, 1), campo(inizio, 2), campo(inizio, 3), campo(inizio, 6));
      return chi + " at " + n(campo(inizio, 1)) + " m (area " + n(a) + " to " + n(b) + " m)";
    };
    const std::string questa = descrivi(e.inizio_record, "station" + (nome.empty() ? "" : " " + nome));
    if (prima == nullptr)
      return questa + ": its area begins less than 350 m after the previous station's ends";
    const std::string altra =
        descrivi(prima->inizio_record, "station" + (nome_prima.empty() ? "" : " " + nome_prima)) +
        " of line " + n(riga_colonna(testo(2), prima->inizio_record).riga);
    const int64_t p = campo(e.inizio_record, 1), q = campo(prima->inizio_record, 1);
    const auto fine_prima = area(q, campo(prima->inizio_record, 2), campo(prima->inizio_record, 3),
                                 campo(prima->inizio_record, 6))
                                .second;
    if (p == q || (!nome.empty() && nome == nome_prima))
      return questa + " repeats the " + altra + "; each station is listed once";
    if (p < q)
      return questa + " is out of order: it comes after the " + altra +
             "; stations are listed in the order of travel";
    return questa + " is too near the " + altra +
           ": its area must begin at least 350 m after the other's end, at " + n(fine_prima + 350) +
           " m or later";
  }

  std::string campo_letto(const giro& g, const evento_salvato& r, int numero) const {
    for (const evento_salvato& e : g.r.eventi)
      if (e.specie == evento::campo && e.documento == r.documento && e.inizio_record == r.inizio_record &&
          e.campo == numero)
        return n(e.letto);
    return "?";
  }

  // "the signal on this line has 10 of its 11 fields: ..."
  std::string campi_mancanti(const giro& g, const evento_salvato& e, size_t dove) const {
    const record_formato* f = cerca_record(e.record);
    const size_t tutti = f != nullptr ? f->campi.size() : 0;
    const std::string quanti = e.campo > 1 ? n(e.campo - 1) + " of its " : std::string("none of its ");
    std::string m = "the " + nome_record(e.record) + " on this line has " + quanti +
                    n(static_cast<int64_t>(tutti)) + " fields; " + descrivi_campo(e.record, e.campo) +
                    " was looked for on line " + n(riga_colonna(testo(e.documento), dove).riga) + ", " +
                    citato(scritto(testo(e.documento), dove));
    for (const evento_salvato& r : g.r.eventi) {
      if (r.specie != evento::record || r.documento != e.documento || r.offset != e.inizio_record) continue;
      // "segnale 1100": the first field went into the keyword. Curves and
      // the signal repetition carry digits of their own.
      const size_t cifra = r.testo.find_first_of("0123456789");
      if (cifra != std::string::npos && cifra > 0 && e.record != "curva" && e.record != "ripetizione segnali")
        m += "; the keyword field " + citato(std::string(r.testo)) +
             " holds a number: is a comma missing after " +
             citato(std::string(r.testo.substr(0, r.testo.find_last_not_of(' ', cifra - 1) + 1))) + "?";
      break;
    }
    return m;
  }

  // What an author most likely meant by a number the reader refuses.
  static std::string come_numero(const std::string& v) {
    auto cifra = [](char c) { return c >= '0' && c <= '9'; };
    if (v.find('\t') != std::string::npos)
      return ": it holds a tab, which the reader does not drop as it drops blanks; fields are separated by "
             "commas, with blanks around them if wanted";
    // 7:30:00, a time of day as one field.
    size_t i = 0, parti = 0;
    std::vector<std::string> pezzi(1);
    for (; i < v.size() && (cifra(v[i]) || v[i] == ':'); ++i) {
      if (v[i] == ':')
        pezzi.emplace_back();
      else
        pezzi.back() += v[i];
    }
    parti = pezzi.size();
    if (i == v.size() && parti >= 2 && parti <= 3 &&
        std::all_of(pezzi.begin(), pezzi.end(),
                    [](const std::string& p) { return !p.empty() && p.size() <= 9; })) {
      if (parti == 2) pezzi.emplace_back("0");
      std::string forma;
      for (const std::string& p : pezzi) forma += (forma.empty() ? "" : ", ") + std::to_string(std::stoll(p));
      return ": a time is written as three fields, hours, minutes and seconds: " + forma;
    }
    // 400m, 95 km/h: a number with its unit.
    size_t j = v[0] == '-' || v[0] == '+' ? 1 : 0;
    const size_t cifre = j;
    while (j < v.size() && (cifra(v[j]) || v[j] == '.')) ++j;
    if (j > cifre && j < v.size()) {
      size_t k = j;
      while (k < v.size() && v[k] == ' ') ++k;
      const std::string unita = v.substr(k);
      static const char* unita_note[] = {"m", "mt",  "metri", "km",  "km/h", "kmh",
                                         "s", "sec", "h",     "min", "%"};
      const bool lettere = std::any_of(std::begin(unita_note), std::end(unita_note),
                                       [&](const char* u) { return minuscolo(unita) == u; });
      if (lettere) return ": drop the unit " + citato(unita) + " and write " + v.substr(0, j);
    }
    return "";
  }

  std::string guasto(const giro& g, const evento_salvato& e, size_t dove) const {
    const std::string& t = testo(e.documento);
    const std::string valore = scritto(t, dove);
    const std::string soggetto =
        e.record.empty() ? std::string("the keyword") : descrivi_campo(e.record, e.campo > 0 ? e.campo : 1);
    const campo_formato* f = cerca_campo(e.record, e.campo);
    const std::string ammesso = f != nullptr ? tipo_in_parole(*f) : std::string("a whole number");
    if (e.testo == "read past the end of the file")
      return soggetto + ": missing, the description ends before it";
    if (e.testo == "empty number") return soggetto + ": empty, where " + ammesso + " is needed";
    if (e.testo == "malformed number")
      return soggetto + ": " + citato(valore) + " is not a number" + come_numero(valore) +
             "; allowed: " + ammesso;
    if (e.testo == "number out of range")
      return soggetto + ": " + valore + " is out of range; allowed: " + ammesso;
    if (e.testo == "unterminated quoted text")
      return (e.record.empty() ? std::string("a token") : soggetto) +
             ": it begins with '\"' and has no closing '\"'";
    if (e.testo == "no route length in the general section")
      return "the [generale] section has no 'lunghezza percorso' record: the route has no length";
    if (e.testo == "cell index outside the route")
      return soggetto + ": " + valore + " puts the " + nome_record(e.record) +
             " in a cell outside the route, whose cells are 0 to " +
             n(static_cast<int64_t>(g.celle > 0 ? g.celle - 1 : 0));
    if (e.testo == "speed does not fit")
      return soggetto + ": " + valore +
             " is more than a speed limit can hold; it is stored in steps of 5 km/h, from 0 to 1275 km/h";
    return "the " + nome_record(e.record) + ": a value does not fit where it is stored (" + e.testo + ")";
  }

  // One record as the last run read it.
  struct letto {
    int documento;
    size_t inizio;
    std::string chiave;
    std::string token;
    std::map<int, int64_t> numeri;
    std::map<int, std::string> testi;
    size_t fine = 0;  // where its last field begins
  };

  void osserva(const giro& g) {
    indicizza();
    std::map<std::pair<int, size_t>, size_t> indice;
    for (const evento_salvato& e : g.r.eventi) {
      if (e.specie == evento::record) {
        indice[{e.documento, e.inizio_record}] = letti_.size();
        letti_.push_back(
            {e.documento, e.inizio_record, std::string(e.record), e.testo, {}, {}, e.inizio_record});
        righe_record_[{e.documento, riga_di(e.documento, e.inizio_record)}] = letti_.size() - 1;
      }
      auto it = indice.find({e.documento, e.inizio_record});
      if (it == indice.end()) continue;
      letto& r = letti_[it->second];
      if (e.specie == evento::campo) r.numeri[e.campo] = e.letto;
      if (e.specie == evento::testo) r.testi[e.campo] = e.testo;
      if (e.specie == evento::campo || e.specie == evento::testo) r.fine = std::max(r.fine, e.offset);
    }
    token_ignorati(g);
    commenti(g);
    valori(g);
    ordine();
    generale(g);
  }

  static std::string minuscolo(std::string s) {
    for (char& c : s)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
  }
  static size_t distanza(const std::string& a, const std::string& b) {
    std::vector<size_t> riga(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) riga[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
      size_t diagonale = riga[0];
      riga[0] = i;
      for (size_t j = 1; j <= b.size(); ++j) {
        const size_t sopra = riga[j];
        riga[j] = std::min({riga[j] + 1, riga[j - 1] + 1, diagonale + (a[i - 1] == b[j - 1] ? 0 : 1)});
        diagonale = sopra;
      }
    }
    return riga[b.size()];
  }
  // The nearest of these words, when it is near enough to be meant.
  static std::optional<std::string> vicina(const std::string& parola,
                                           const std::vector<std::string>& parole) {
    std::optional<std::string> meglio;
    size_t d = std::max<size_t>(2, parola.size() / 3) + 1;
    for (const std::string& p : parole) {
      const size_t k = distanza(minuscolo(parola), p);
      if (k < d) {
        d = k;
        meglio = p;
      }
    }
    return meglio;
  }
  static std::vector<std::string> chiavi(int d) {
    std::vector<std::string> r;
    for (const record_formato& f : formato())
      if (f.documento == d)
        for (std::string_view p : f.parole) r.emplace_back(p);
    return r;
  }
  static std::vector<std::string> sezioni(int d) {
    if (d == 1)
      return {"[generale]", "[pendenze]", "[curve]", "[montagne]", "[indicazioni]", "[cartelli]", "[fine]"};
    return {"[generale]", "[aderenze]",      "[vel_limite]", "[stazioni]",
            "[segnali]",  "[rallentamenti]", "[codici]",     "[fine]"};
  }
  static bool numero(const std::string& s) {
    size_t i = s.find_first_not_of(' ');
    if (i == std::string::npos) return false;
    if (s[i] == '-' || s[i] == '+') ++i;
    return i < s.size() && s[i] >= '0' && s[i] <= '9';
  }
  static bool ha_lettere(const std::string& s) {
    return std::any_of(s.begin(), s.end(),
                       [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
  }
  // Where the line of o begins, and its first byte that is not a blank:
  // looked up, so that a long line costs its length once, not once a token.
  void indicizza() {
    for (int d : {1, 2}) {
      const std::string& t = testo(d);
      std::vector<size_t>& inizi = inizi_[d];
      std::vector<size_t>& primi = primi_[d];
      inizi.assign(1, 0);
      for (size_t i = 0; i < t.size(); ++i)
        if (t[i] == '\n' || (t[i] == '\r' && (i + 1 >= t.size() || t[i + 1] != '\n'))) inizi.push_back(i + 1);
      for (size_t a : inizi) {
        size_t i = a;
        while (i < t.size() && (t[i] == ' ' || t[i] == '\t')) ++i;
        primi.push_back(i);
      }
    }
  }
  size_t indice_riga(int d, size_t o) const {
    const std::vector<size_t>& v = inizi_[d];
    return static_cast<size_t>(std::upper_bound(v.begin(), v.end(), o) - v.begin()) - 1;
  }
  size_t riga_di(int d, size_t o) const { return inizi_[d][indice_riga(d, o)]; }
  size_t primo_non_spazio(int d, size_t o) const { return primi_[d][indice_riga(d, o)]; }

  void token_ignorati(const giro& g) {
    std::set<std::pair<int, size_t>> con_campi_in_piu;
    for (const evento_salvato& e : g.r.eventi) {
      const int d = e.documento;
      const std::string& t = testo(d);
      if (e.specie == evento::record) {
        if (e.testo.find('-') != std::string::npos)
          aggiungi(gravita::avviso, d, e.offset,
                   "this comment is read as a " + nome_record(e.record) +
                       " record: only two comment lines in a row are skipped, the third is read as a record");
        continue;
      }
      if (e.specie != evento::ignorato) continue;
      const bool primo = primo_non_spazio(d, e.offset) == e.offset;
      auto r = righe_record_.find({d, riga_di(d, e.offset)});
      if (!primo && r != righe_record_.end() && letti_[r->second].inizio < e.offset) {
        const letto& rec = letti_[r->second];
        if (!con_campi_in_piu.insert({d, rec.inizio}).second) continue;
        const record_formato* f = cerca_record(rec.chiave);
        const size_t campi = f != nullptr ? f->campi.size() : 0;
        const auto ultimo = rec.testi.find(static_cast<int>(campi));
        if (ultimo != rec.testi.end()) {
          const std::string intero = t.substr(rec.fine, fine_riga(t, rec.fine) - rec.fine);
          aggiungi(gravita::avviso, d, rec.fine,
                   descrivi_campo(rec.chiave, static_cast<int>(campi)) + ": " + citato(intero) +
                       " is cut at the comma and stored as " + citato(ultimo->second) +
                       "; a text field ends at a comma, the rest is read as keywords and ignored");
        } else {
          const std::optional<decimale> v = virgola_decimale(t, rec.inizio);
          aggiungi(gravita::avviso, d, e.offset,
                   "extra field " + citato(e.testo) + " after the " + n(static_cast<int64_t>(campi)) +
                       " fields of '" + rec.chiave + "': it is read as a keyword and ignored" +
                       (v ? v->messaggio : ""));
          if (v) {
            reperti_.back().intervallo = std::pair{v->inizio, v->fine};
            reperti_.back().correzione = v->con_punto;
          }
        }
        continue;
      }
      if (e.testo.find('[') != std::string::npos && e.testo.find(']') != std::string::npos) {
        std::string h = e.testo.substr(e.testo.find('['));
        h = minuscolo(h.substr(0, h.find(']') + 1));
        const std::vector<std::string> note = sezioni(d);
        if (std::find(note.begin(), note.end(), h) != note.end()) continue;
        std::string m = "unknown section header " + citato(e.testo);
        const std::optional<std::string> v = vicina(h, note);
        if (v) m += "; did you mean '" + *v + "'?";
        aggiungi(gravita::avviso, d, e.offset, m + " (headers only help the reader: the build skips them)");
        if (v && e.testo.find('"') == std::string::npos && e.offset <= t.size() &&
            t.compare(e.offset, e.testo.size(), e.testo) == 0) {
          const size_t a = e.offset + e.testo.find('[');
          reperti_.back().intervallo = std::pair{a, a + h.size()};
          reperti_.back().correzione = *v;
        }
        continue;
      }
      if (e.testo.find('-') != std::string::npos) {
        aggiungi(gravita::nota, d, e.offset,
                 "the third comment line in a row is read as a keyword (only two in a row are skipped); it "
                 "matches none and is ignored");
        continue;
      }
      if (!primo || !ha_lettere(e.testo)) continue;
      // A keyword followed by numbers on its line: a record meant.
      const size_t dopo = e.offset + e.testo.size();
      const size_t fr = fine_riga(t, dopo);
      const size_t virgola = static_cast<size_t>(std::find(t.begin() + static_cast<std::ptrdiff_t>(dopo),
                                                           t.begin() + static_cast<std::ptrdiff_t>(fr), ',') -
                                                 t.begin());
      if (virgola >= fr || !numero(scritto(t, virgola + 1))) continue;
      std::string m =
          citato(e.testo) + " matches no keyword: the record is skipped and its fields are ignored";
      const std::string basso = minuscolo(e.testo);
      const auto esatta =
          std::find_if(std::begin(solo_minuscole), std::end(solo_minuscole),
                       [&](const char* p) { return d == 1 && basso.find(p) != std::string::npos; });
      if (esatta != std::end(solo_minuscole))
        m += "; '" + std::string(*esatta) + "' is matched in lower case only";
      std::optional<std::string> v;
      if (esatta == std::end(solo_minuscole)) v = vicina(e.testo, chiavi(d));
      if (v) m += "; did you mean '" + *v + "'?";
      aggiungi(gravita::avviso, d, e.offset, m);
      if (v && *v != basso && e.offset <= t.size() && t.compare(e.offset, e.testo.size(), e.testo) == 0) {
        reperti_.back().intervallo = std::pair{e.offset, e.offset + e.testo.size()};
        reperti_.back().correzione = *v;
      }
    }
  }
  // "12,5" standing alone on a record's line, not in a run of digits and
  // commas such as a signal's "3,1,0".
  struct decimale {
    std::string messaggio;
    size_t inizio, fine;  // "12,5" in the text
    std::string con_punto;
  };
  static std::optional<decimale> virgola_decimale(const std::string& t, size_t inizio) {
    auto cifra = [&](size_t i) { return i < t.size() && t[i] >= '0' && t[i] <= '9'; };
    const size_t f = fine_riga(t, inizio);
    for (size_t c = inizio + 1; c + 1 < f; ++c) {
      if (t[c] != ',' || !cifra(c - 1) || !cifra(c + 1)) continue;
      size_t a = c, b = c + 1;
      while (a > inizio && cifra(a - 1)) --a;
      while (b < f && cifra(b)) ++b;
      if (a > inizio && t[a - 1] == ',') continue;
      if (b < f && t[b] == ',' && b + 1 < f && t[b + 1] != ' ') continue;
      const std::string intero = t.substr(a, c - a), fraz = t.substr(c + 1, b - c - 1);
      return decimale{"; " + citato(intero + "," + fraz) + " is read as two fields, " + intero + " and " +
                          fraz + ": a comma always ends a field, so a fraction is written with a point, " +
                          intero + "." + fraz,
                      a, b, intero + "." + fraz};
    }
    return std::nullopt;
  }
  static std::string elenco(const std::vector<std::string>& v) {
    std::string s;
    for (const std::string& x : v) s += (s.empty() ? "" : ", ") + x;
    return s;
  }

  void commenti(const giro& g) {
    for (int d : {1, 2}) {
      const std::string& t = testo(d);
      std::set<size_t> lette;
      std::optional<size_t> primo;
      for (const evento_salvato& e : g.r.eventi) {
        if (e.documento != d || (e.specie != evento::record && e.specie != evento::ignorato)) continue;
        lette.insert(riga_di(d, e.offset));
        if (!primo) primo = riga_di(d, e.offset);
      }
      if (!primo) continue;
      for (size_t i = *primo; i < t.size();) {
        const size_t f = fine_riga(t, i);
        const size_t a = primo_non_spazio(d, i);
        const std::string riga = t.substr(a, f - a);
        if ((riga.starts_with("#") || riga.starts_with("//")) && lette.contains(i)) {
          // Appended piece by piece: GCC 12 takes "'" + a temporary for an
          // overlapping copy in a Release build.
          std::string m = "'";
          m += riga.substr(0, riga[0] == '#' ? 1 : 2);
          m += "' does not begin a comment here: the line is read";
          auto r = righe_record_.find({d, i});
          if (r != righe_record_.end()) m += " as a " + nome_record(letti_[r->second].chiave) + " record";
          aggiungi(gravita::avviso, d, a, m + "; a comment is a token that contains '-', such as '- text'");
          reperti_.back().intervallo = std::pair{a, a + (riga[0] == '#' ? 1 : 2)};
          reperti_.back().correzione = "-";
        } else if (riga.starts_with("-")) {
          const std::string basso = minuscolo(riga);
          for (const record_formato& rf : formato()) {
            if (rf.documento != d) continue;
            const std::string_view prima = rf.parole.front().substr(0, rf.parole.front().find(' '));
            if (basso.find(prima) != std::string::npos && basso.find(',') != std::string::npos) {
              aggiungi(gravita::nota, d, a,
                       "this comment line disables a " + std::string(rf.nome) + " record");
              break;
            }
          }
        }
        i = f;
        while (i < t.size() && (t[i] == '\n' || t[i] == '\r')) ++i;
      }
    }
  }

  void valori(const giro& g) {
    std::set<std::tuple<int, size_t, int>> detti;
    std::set<std::pair<int, size_t>> arrotondati;
    for (const evento_salvato& e : g.r.eventi)
      if (e.specie == evento::memorizzato && e.letto != e.memorizzato)
        detti.insert({e.documento, e.inizio_record, e.campo});
    for (const evento_salvato& e : g.r.eventi) {
      const int d = e.documento;
      if (e.specie == evento::memorizzato && e.letto != e.memorizzato) {
        const std::string campo = descrivi_campo(e.record, e.campo);
        std::string m;
        if (e.record == "pendenza")
          m = campo + ": " + n(e.letto) + " is stored as " + n(e.memorizzato) +
              ": one byte holds the gradient plus 100, so only -100 to 155 is kept";
        else if (e.record == "velocita")
          m = campo + ": " + n(e.letto) + " km/h is stored as " + n(e.memorizzato) +
              " km/h: speeds are kept in steps of 5 km/h";
        else if (e.record == "segnale")
          m = "the warning marks of this signal, 10 x (3 x left kind + right kind) + 4 = " + n(e.letto) +
              ", are stored as " + n(e.memorizzato) + ": one byte holds 0 to 255";
        else
          m = campo + ": " + n(e.letto) + " is stored as " + n(e.memorizzato) +
              ": 16 bits hold -32768 to 32767";
        // A value that wraps is another value, which no author means; a
        // speed is only rounded to its step.
        aggiungi(e.record == "velocita" ? gravita::avviso : gravita::errore, d, e.inizio_record, m);
      }
      if (e.specie == evento::campo) {
        const campo_formato* f = cerca_campo(e.record, e.campo);
        // A record with an error is not warned about as well.
        if (f == nullptr || errati_.contains({d, e.inizio_record})) continue;
        if (f->posizione && g.lunghezza > 0 && e.letto > g.lunghezza &&
            e.record != "progressiva chilometrica") {
          aggiungi(gravita::avviso, d, e.offset,
                   nome_record(e.record) + " at " + n(e.letto) + " m: beyond the route's end at " +
                       n(g.lunghezza) + " m (the build still places it, in the cells it keeps past the end)");
          continue;
        }
        a_cella(e);
        if (detti.contains({d, e.inizio_record, e.campo})) continue;
        if (e.letto < f->sensato_minimo || e.letto > f->sensato_massimo) {
          std::string m = descrivi_campo(e.record, e.campo) + ": " + n(e.letto) + " is outside " +
                          n(f->sensato_minimo) + " to " + n(f->sensato_massimo);
          if (e.record == "rallentamento" && e.campo == 2) m += "; are the speed and the length swapped?";
          if (e.record == "orologio" || (e.record == "stazione" && e.campo >= 14)) m += ": not a time of day";
          aggiungi(gravita::avviso, d, e.offset, m);
        }
      }
      if (e.specie == evento::testo) latino(e);
      if (e.specie == evento::cella && e.letto % 50 != 0 && arrotondati.insert({d, e.inizio_record}).second)
        aggiungi(gravita::nota, d, e.inizio_record,
                 nome_record(e.record) + " at " + n(e.letto) + " m: not a multiple of 50, placed in cell " +
                     n(e.memorizzato) + (e.letto % 50 == 25 ? " (halfway: to the even cell)" : ""));
    }
  }

  // Runs and tunnels are written from a cell's start: a position inside a
  // cell moves to the start of the cell it rounds to.
  void a_cella(const evento_salvato& e) {
    const bool inizio = (e.record == "pendenza" || e.record == "velocita" || e.record == "aderenza" ||
                         e.record == "montagna") &&
                        e.campo == 1;
    const bool fine_galleria = e.record == "montagna" && e.campo == 2;
    if ((!inizio && !fine_galleria) || e.letto % 50 == 0) return;
    const double x = static_cast<double>(e.letto) / 50.0;
    const int64_t k = arrotonda(fine_galleria ? x - 1.0 : x);
    const std::string meta = e.letto % 50 == 25 || e.letto % 50 == -25 ? " (halfway: to the even cell)" : "";
    if (fine_galleria)
      aggiungi(gravita::nota, e.documento, e.offset,
               "tunnel end at " + n(e.letto) + " m: not a multiple of 50, the tunnel's last cell is round(" +
                   n(e.letto) + " / 50 - 1) = " + n(k) + meta + ", so it ends at " + n(k * 50 + 50) + " m");
    else
      aggiungi(gravita::nota, e.documento, e.offset,
               nome_record(e.record) + " at " + n(e.letto) +
                   " m: not a multiple of 50, it starts at cell round(" + n(e.letto) + " / 50) = " + n(k) +
                   meta + ", at " + n(k * 50) + " m");
  }

  // The simulator shows each byte of a text as Latin-1.
  void latino(const evento_salvato& e) {
    const std::string& s = e.testo;
    for (size_t i = 0; i < s.size(); ++i) {
      const auto c = static_cast<unsigned char>(s[i]);
      const bool seguito = i + 1 < s.size() && (static_cast<unsigned char>(s[i + 1]) & 0xC0) == 0x80;
      if (c >= 0xC2 && c <= 0xDF && seguito) {
        char due[8];
        std::snprintf(due, sizeof due, "%02X %02X", c, static_cast<unsigned char>(s[i + 1]));
        aggiungi(
            gravita::avviso, e.documento, e.offset,
            descrivi_campo(e.record, e.campo) + ": " + citato(s) + " holds the bytes " + due +
                " of one UTF-8 character, which the simulator shows as two Latin-1 characters; write the "
                "description in Latin-1");
        return;
      }
      if (c < 0x20 || (c >= 0x7F && c < 0xA0)) {
        aggiungi(gravita::avviso, e.documento, e.offset,
                 descrivi_campo(e.record, e.campo) + ": " + citato(s) +
                     " holds a byte that is no Latin-1 character (a control byte)");
        return;
      }
    }
  }

  static std::string ora(int64_t secondi) {
    char t[32];
    std::snprintf(t, sizeof t, "%lld:%02lld:%02lld", static_cast<long long>(secondi / 3600),
                  static_cast<long long>(secondi / 60 % 60), static_cast<long long>(secondi % 60));
    return t;
  }
  int riga(const letto& r) const { return riga_colonna(testo(r.documento), r.inizio).riga; }

  // The build turns a curve left when its keyword holds an 's' anywhere, so
  // a word for right can read left.
  void lato_curva(const letto& r) {
    const std::string t = minuscolo(r.token);
    const bool sinistra = t.find('s') != std::string::npos;
    static const char* destre[] = {"destra", "dx", "right"};
    static const char* sinistre[] = {"sinistra", "sx", "left"};
    for (const char* w : sinistra ? destre : sinistre) {
      if (t.find(w) == std::string::npos) continue;
      aggiungi(
          gravita::avviso, r.documento, r.inizio,
          "curve keyword " + citato(r.token) + " says '" + w + "' but is read as a curve to the " +
              (sinistra ? "left: an 's' anywhere in the keyword turns a curve left, and '" + std::string(w) +
                              "' holds one; write 'd' for right, as in 'curva 3 d'"
                        : "right: only an 's' in the keyword turns a curve left; write 's' for left, as in "
                          "'curva 3 s'"));
      return;
    }
  }

  void ordine() {
    std::map<std::string, const letto*> prima;
    const letto* segnale_prima = nullptr;
    const letto* orario_prima = nullptr;
    std::optional<int64_t> orologio;
    const letto* record_orologio = nullptr;
    // The last clock is the one the build keeps; one that is no time of day
    // is warned about already.
    for (const letto& r : letti_) {
      if (r.chiave != "orologio" || r.numeri.size() != 3) continue;
      const int64_t h = r.numeri.at(1), m = r.numeri.at(2), sec = r.numeri.at(3);
      orologio = h >= 0 && h <= 23 && m >= 0 && m <= 59 && sec >= 0 && sec <= 59
                     ? std::optional<int64_t>((h * 60 + m) * 60 + sec)
                     : std::nullopt;
      record_orologio = &r;
    }
    std::optional<int64_t> fine_curva, fine_galleria;
    for (const letto& r : letti_) {
      auto v = [&](int k) {
        return r.numeri.contains(k) ? std::optional<int64_t>(r.numeri.at(k)) : std::nullopt;
      };
      if (r.chiave == "pendenza" || r.chiave == "velocita" || r.chiave == "aderenza") {
        const letto*& p = prima[r.chiave];
        if (!v(1)) continue;
        if (p != nullptr && *v(1) < p->numeri.at(1))
          aggiungi(gravita::avviso, r.documento, r.inizio,
                   nome_record(r.chiave) + " at " + n(*v(1)) + " m after one at " + n(p->numeri.at(1)) +
                       " m: they are read in order, so it takes effect only from " +
                       n((arrotonda(static_cast<double>(p->numeri.at(1)) / 50.0) + 1) * 50) + " m");
        else
          p = &r;
      } else if (r.chiave == "curva" && v(1) && v(2)) {
        lato_curva(r);
        if (fine_curva && *v(1) < *fine_curva)
          aggiungi(gravita::avviso, r.documento, r.inizio,
                   "curve at " + n(*v(1)) + " m begins before the previous curve ends at " + n(*fine_curva) +
                       " m: the plan bends it from where the previous one ends");
        fine_curva = std::max(fine_curva.value_or(0), *v(1) + *v(2));
      } else if (r.chiave == "segnale" && v(1)) {
        if (segnale_prima != nullptr && *v(1) < segnale_prima->numeri.at(1))
          aggiungi(gravita::avviso, r.documento, r.inizio,
                   "signal at " + n(*v(1)) + " m comes after the signal at " +
                       n(segnale_prima->numeri.at(1)) + " m of line " + n(riga(*segnale_prima)) +
                       ": signals out of order; list them in the order of travel");
        else
          segnale_prima = &r;
      } else if (r.chiave == "stazione" && v(14) && v(15) && v(16)) {
        // 0:00:00 is a station without a time.
        const int64_t t = (*v(14) * 60 + *v(15)) * 60 + *v(16);
        if (t == 0) continue;
        const std::string nome = r.testi.contains(17) ? " " + r.testi.at(17) : std::string();
        if (orario_prima != nullptr) {
          const int64_t u = (orario_prima->numeri.at(14) * 60 + orario_prima->numeri.at(15)) * 60 +
                            orario_prima->numeri.at(16);
          if (t < u) {
            const std::string altro =
                orario_prima->testi.contains(17) ? " " + orario_prima->testi.at(17) : std::string();
            aggiungi(gravita::avviso, r.documento, r.inizio,
                     "station" + nome + " at " + ora(t) + " comes after the station" + altro + " of line " +
                         n(riga(*orario_prima)) + " at " + ora(u) +
                         ": times out of order; a station's time follows the one before it");
            continue;
          }
        }
        if (orologio && t < *orologio)
          aggiungi(gravita::avviso, r.documento, r.inizio,
                   "station" + nome + " at " + ora(t) + " is before the clock's start, " + ora(*orologio) +
                       " on line " + n(riga(*record_orologio)) + ": the train starts at the clock's time");
        orario_prima = &r;
      } else if (r.chiave == "montagna" && v(1) && v(2)) {
        if (*v(2) < *v(1))
          aggiungi(gravita::avviso, r.documento, r.inizio,
                   "tunnel from " + n(*v(1)) + " m to " + n(*v(2)) +
                       " m: its end lies before its start, no cell is marked");
        else if (fine_galleria && *v(1) < *fine_galleria)
          aggiungi(gravita::avviso, r.documento, r.inizio,
                   "tunnel at " + n(*v(1)) + " m begins before the previous tunnel ends at " +
                       n(*fine_galleria) + " m");
        fine_galleria = std::max(fine_galleria.value_or(0), *v(2));
      }
    }
  }

  void generale(const giro& g) {
    if (!in_.treno) return;
    if (!contiene(*in_.treno, "[generale]", modo::qualsiasi)) {
      aggiungi(gravita::avviso, 2, std::nullopt,
               "the train description has no '[generale]' section: the build skips every record in it");
      return;
    }
    const bool letto_treno = std::any_of(g.r.eventi.begin(), g.r.eventi.end(),
                                         [](const evento_salvato& e) { return e.documento == 2; });
    const bool stazioni = std::any_of(letti_.begin(), letti_.end(), [](const letto& r) {
      return r.documento == 2 && r.chiave == "stazione";
    });
    if (letto_treno && !stazioni) aggiungi(gravita::avviso, 2, std::nullopt, "the train has no station");
    if (!letto_treno) return;
    // The scenario table starts cleared: what no record gives stays 0.
    static const std::pair<const char*, const char*> generali[] = {
        {"vetture", "0 coaches"},
        {"massa frenata", "a braked mass of 0 percent"},
        {"sabbia", "no sand (0)"},
        {"orologio", "a clock of 0:00:00"}};
    for (const auto& [chiave, valore] : generali) {
      // Named again: clang 14 captures no structured binding.
      const auto& k = chiave;
      const bool presente = std::any_of(letti_.begin(), letti_.end(),
                                        [&](const letto& r) { return r.documento == 2 && r.chiave == k; });
      // Set aside for an error of its own, it is there all the same.
      if (presente || chiavi_errate_.contains({2, chiave})) continue;
      const record_formato* f = cerca_record(chiave);
      aggiungi(gravita::avviso, 2, std::nullopt,
               "the train has no " + nome_record(chiave) + " record ('" + std::string(f->esempio) +
                   "' in its general section): the build takes " + valore);
    }
  }

  std::vector<letto> letti_;
  std::vector<size_t> inizi_[3], primi_[3];
  std::map<std::pair<int, size_t>, size_t> righe_record_;

  const ingresso_verifica& in_;
  std::optional<std::string> testi_[3];
  std::vector<reperto> reperti_;
  std::set<std::pair<int, size_t>> intestazioni_;
  std::set<std::pair<int, size_t>> errati_;
  std::optional<arresto_costruzione> incompleto_;
  std::set<std::pair<int, std::string>> chiavi_errate_;  // kinds of the records set aside
};

}  // namespace

std::vector<reperto> verifica(const ingresso_verifica& in) { return verificatore(in).esegui().reperti; }
esito_verifica verifica_completa(const ingresso_verifica& in) { return verificatore(in).esegui(); }

}  // namespace autori
