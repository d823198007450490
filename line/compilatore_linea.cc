#include "line/compilatore_linea.h"

#include <array>
#include <cfloat>
#include <limits>

#include "documents/lettore.h"
#include "files/archivio.h"
#include "files/nomi_file.h"
#include "model/dominio.h"
#include "model/esito.h"

// The plan is the same bytes on every host only if each step of estendi
// rounds to double as written (cmake/virgola_mobile.cmake sets the flags).
static_assert(FLT_EVAL_METHOD == 0,
              "doubles evaluated with excess precision: build 32-bit x86 with SSE2 math");
#if defined(__FAST_MATH__) || defined(__ASSOCIATIVE_MATH__) || defined(__RECIPROCAL_MATH__)
#error "the plan needs IEEE arithmetic: no -ffast-math, -fassociative-math or -freciprocal-math"
#endif

namespace {
constexpr int64_t lunghezza_massima = 1000000;
constexpr int64_t metro_massimo = 1000000;
constexpr int massimo_gallerie = 80;

bool ha(const std::string& t, const char* parola) { return contiene(t, parola, modo::qualsiasi); }
bool ha_esatto(const std::string& t, const char* parola) { return contiene(t, parola, modo::esatto); }

constexpr dopo_record continua = dopo_record::continua;

class compilatore_linea {
 public:
  compilatore_linea(costruzione& c, lettore& l) : c_(c), l_(l) {}

  fine_compilatore esegui() {
    try {
      if (compila() == dopo_record::esci) {
        archivio_di(c_).elimina(nomi::descrizione_linea(c_));
        return fine_compilatore::uscito;
      }
      return fine_compilatore::letto;
    } catch (const guasto_lettura& g) {
      c_.documento_errore = 1;
      c_.offset_errore = g.offset_record ? *g.offset_record : l_.dove_guasto(inizio_record_);
      // Told at the record that gave the value, not where it failed.
      if (g.offset_record) inizio_record_ = *g.offset_record;
      if (g.record_colpevole != nullptr) record_ = g.record_colpevole;
      avvisa(evento::guasto, g.offset_record ? g.campo : campo_, 0, 0, g.what(),
             g.offset_record ? *g.offset_record : l_.inizio_campo());
      return fine_compilatore::guasto;
    }
  }

 private:
  dopo_record compila() {
    if (preambolo() == dopo_record::esci) return dopo_record::esci;
    if (sezione_generale() == dopo_record::esci) return dopo_record::esci;
    progressive_ordina(c_);
    // The record loop cannot run without the cells.
    if (!c_.percorso_esiste()) throw guasto_lettura("no route length in the general section");
    if (c_.genera_tracciato != 0) {
      c_.tracciato.assegna(0, 0, {specie_elemento::intero, 0.0});
      c_.tracciato.assegna(0, 1, {specie_elemento::intero, 0.0});
      c_.tracciato.assegna(1, 0, {specie_elemento::intero, 0.0});
      c_.tracciato.assegna(1, 1, {specie_elemento::intero, 1.0});
    }
    if (ciclo_record() == dopo_record::esci) return dopo_record::esci;
    chiusura();
    return continua;
  }

  void leggi_token() {
    record_ = {};
    campo_ = 0;
    c_.token = l_.leggi_testo();
    inizio_record_ = l_.inizio_campo();
  }

  void avvisa(evento specie, int32_t campo = 0, int64_t letto = 0, int64_t memorizzato = 0,
              std::string_view testo = {}, size_t offset = 0) {
    if (c_.osservatore == nullptr) return;
    c_.osservatore->notifica({specie, 1, inizio_record_,
                              specie == evento::campo || specie == evento::testo || specie == evento::guasto
                                  ? offset
                                  : inizio_record_,
                              record_, campo, letto, memorizzato, testo});
  }
  // A record kind chosen for the token just read.
  void scelto(const char* record) {
    record_ = record;
    avvisa(evento::record, 0, 0, 0, c_.token);
  }
  void ignorato() {
    record_ = {};
    avvisa(evento::ignorato, 0, 0, 0, c_.token);
  }
  // The next number field of the record, counted from 1.
  int32_t numero() {
    ++campo_;
    const int32_t v = l_.leggi_32();
    avvisa(evento::campo, campo_, v, v, {}, l_.inizio_campo());
    return v;
  }
  std::string testo() {
    ++campo_;
    std::string t = l_.leggi_testo();
    avvisa(evento::testo, campo_, 0, 0, t, l_.inizio_campo());
    return t;
  }

  void annota() {
    c_.documento_errore = 1;
    c_.offset_errore = inizio_record_;
  }

  dopo_record esci(int32_t codice) {
    c_.codice_errore = codice;
    annota();
    avvisa(evento::codice, 0, codice, c_.posizione_errore);
    return dopo_record::esci;
  }
  dopo_record esci(int32_t codice, int32_t posizione) {
    c_.posizione_errore = posizione;
    return esci(codice);
  }
  dopo_record ferma_15(int32_t posizione) {
    c_.registra(15, posizione);
    annota();
    avvisa(evento::codice, 0, 15, posizione);
    return dopo_record::ferma;
  }

  dopo_record preambolo() {
    for (;;) {
      leggi_token();
      if (l_.fine_file()) return esci(102);
      if (ha(c_.token, "[generale]")) return continua;
    }
  }

  dopo_record sezione_generale() {
    for (;;) {
      if (l_.fine_file()) return continua;
      leggi_token();
      if (l_.fine_file()) return continua;
      for (int k = 0; k < 10; ++k)
        if (ha(c_.token, "-")) leggi_token();
      if (chiavi_generali() == dopo_record::esci) return dopo_record::esci;
      if (fine_sezione()) return continua;
    }
  }

  bool fine_sezione() const {
    const std::string& t = c_.token;
    size_t i = t.find_first_not_of(' ');
    if (i != std::string::npos && t[i] == '-') return false;
    return t.find('[') != std::string::npos && t.find(']') != std::string::npos;
  }

  dopo_record chiavi_generali() {
    const std::string& t = c_.token;
    tabella& tab = c_.tabella_scenario;
    bool preso = false;
    auto chiave = [&](bool si, const char* record) {
      if (si) {
        preso = true;
        scelto(record);
      }
      return si;
    };
    if (chiave(ha(t, "lunghezza") && ha(t, "percorso"), "lunghezza percorso") &&
        lunghezza() == dopo_record::esci)
      return dopo_record::esci;
    auto progressiva = [&](const char* parola, int riga) {
      if (chiave(ha_esatto(t, "progressiva") && ha_esatto(t, parola), "progressiva chilometrica")) {
        tab[riga].inizio = numero();
        tab[riga].fine = numero();
        tab[riga].posizione_stazione = numero();
      }
    };
    progressiva("tre", riga_progressiva_lontana);
    progressiva("due", riga_progressiva_media);
    progressiva("uno", riga_progressiva_vicina);
    if (chiave(ha_esatto(t, "sfondo") && ha_esatto(t, "uno"), "sfondo")) tab[riga_identita].inizio = numero();
    if (chiave(ha_esatto(t, "sfondo") && ha_esatto(t, "due"), "sfondo"))
      tab[riga_identita].posizione_stazione = numero();
    if (chiave(ha_esatto(t, "sfondo") && ha_esatto(t, "tre"), "sfondo")) tab[riga_identita].fine = numero();
    if (chiave(ha_esatto(t, "ripetizione") && ha_esatto(t, "segnali"), "ripetizione segnali"))
      return ripetizione_segnali();
    if (!preso) ignorato();
    return continua;
  }

  dopo_record lunghezza() {
    int32_t& l = c_.tabella_scenario[riga_percorso].fine;
    l = numero();
    if (l > lunghezza_massima) return esci(1);
    if (l < 0) return esci(25);
    int64_t n = ultimo_indice_per(l);
    c_.percorso.assign(static_cast<size_t>(n) + 1, cella{});
    if (c_.genera_tracciato != 0) c_.tracciato.crea(l + 7000);
    return continua;
  }

  dopo_record ripetizione_segnali() {
    riga_scenario& r = c_.tabella_scenario[riga_treno];
    r.inizio = numero();
    r.fine = numero();
    if (r.inizio % 50 != 0) return esci(3);
    if (r.fine % 50 != 0) return esci(4);
    int32_t codici = 0;
    if (ha(c_.token, "4")) {
      codici = 4;
    } else if (ha(c_.token, "9")) {
      codici = 9;
    } else {
      return esci(5);
    }
    if (r.fine == 0) codici = 0;
    r.posizione_stazione = codici;
    return continua;
  }

  // Ends at the end of the file, or with the first record that does not
  // let the loop go on: the later keywords of its token are not tried.
  dopo_record ciclo_record() {
    for (;;) {
      if (l_.fine_file()) return continua;
      leggi_token();
      if (l_.fine_file()) return continua;
      if (ha(c_.token, "-")) {
        leggi_token();
        if (l_.fine_file()) return continua;
        if (ha(c_.token, "-")) {
          leggi_token();
          if (l_.fine_file()) return continua;
        }
      }
      const std::string parola = c_.token;
      dopo_record d = continua;
      bool preso = false;
      auto record = [&](bool si, const char* nome, auto&& gestisci) {
        if (d == continua && si) {
          preso = true;
          scelto(nome);
          d = gestisci();
        }
      };
      record(ha(parola, "pendenza"), "pendenza", [&] { return pendenza(); });
      record(c_.genera_tracciato != 0 && ha(parola, "curva"), "curva", [&] { return curva(parola); });
      record(ha(parola, "montagna"), "montagna", [&] { return montagna(); });
      record(ha(parola, "indicatori_v"), "indicatori_vmax", [&] { return indicatore(); });
      record(ha(parola, "indicat") && ha(parola, "cartello"), "cartello indicatore",
             [&] { return cartello(); });
      if (!preso) ignorato();
      if (d != continua) return d;
    }
  }

  // A cell index a record computes for itself must lie in the array.
  int64_t propria_cella(int64_t indice) {
    if (indice < 0 || indice > c_.ultimo_indice())
      throw guasto_lettura("cell index outside the route", inizio_record_, 1);
    return indice;
  }

  void scrivi_pendenza() {
    if (cursore_ <= c_.ultimo_indice())
      c_.percorso[static_cast<size_t>(cursore_)].pendenza =
          static_cast<uint8_t>(static_cast<int64_t>(pendenza_precedente_) + 100);
    ++cursore_;
  }

  dopo_record pendenza() {
    int32_t p = numero();
    int32_t g = numero();
    if (c_.oltre_percorso(p, 100)) return ferma_15(p);
    // Stored as one byte, 100 meaning level.
    if (c_.osservatore != nullptr)
      avvisa(evento::memorizzato, 2, g,
             static_cast<int64_t>(static_cast<uint8_t>(static_cast<int64_t>(g) + 100)) - 100);
    int64_t i = arrotonda(p / 50.0);
    if (i > 0) {
      do {
        scrivi_pendenza();
      } while (cursore_ < i);
    }
    pendenza_precedente_ = g;
    return continua;
  }

  void estendi(double k) {
    auto x = [&](int64_t m) { return c_.tracciato.at(static_cast<int32_t>(m), 0).valore; };
    auto y = [&](int64_t m) { return c_.tracciato.at(static_cast<int32_t>(m), 1).valore; };
    double dx = x(metro_ - 1) - x(metro_ - 2);
    double dy = y(metro_ - 1) - y(metro_ - 2);
    if (k != 0.0) {
      double nx = dx + k * dy;
      double ny = dy - k * dx;
      dx = nx;
      dy = ny;
    }
    double nx = x(metro_ - 1) + dx;
    double ny = y(metro_ - 1) + dy;
    c_.tracciato.assegna(static_cast<int32_t>(metro_), 0, {specie_elemento::reale, nx});
    c_.tracciato.assegna(static_cast<int32_t>(metro_), 1, {specie_elemento::reale, ny});
  }

  // One metre of a curve record: beyond the plan's last metre or beyond the
  // metre limit the line compiler gives up with 103.
  dopo_record passo(double k) {
    if (metro_ > c_.tracciato.ultimo_metro()) return esci(103);
    estendi(k);
    ++metro_;
    if (metro_ > metro_massimo) return esci(103);
    return continua;
  }

  dopo_record curva(const std::string& parola) {
    int32_t s = numero();
    int32_t n = numero();
    if (c_.oltre_percorso(s, 100)) return ferma_15(s);
    double k = curvatura(parola);
    if (k == 0.0) return esci(103);
    if (ha(parola, "s")) k = -k;
    while (metro_ <= s)
      if (passo(0.0) == dopo_record::esci) return dopo_record::esci;
    int64_t fine = static_cast<int64_t>(s) + n;
    while (metro_ <= fine)
      if (passo(k) == dopo_record::esci) return dopo_record::esci;
    return continua;
  }

  dopo_record montagna() {
    int32_t inizio = numero();
    int32_t fine = numero();
    int32_t tipo = numero();
    if (c_.oltre_percorso(inizio, 100)) return ferma_15(inizio);
    return memo_montagna(inizio, fine, tipo);
  }

  dopo_record memo_montagna(int32_t inizio, int32_t fine, int32_t& tipo) {
    int64_t a = propria_cella(arrotonda(inizio / 50.0));
    if (gallerie_ >= massimo_gallerie) return esci(25);
    bool luci = false;
    if (tipo > 10) {
      luci = true;
      tipo -= 10;
    }
    ++gallerie_;
    inizi_[gallerie_] = inizio;
    fini_[gallerie_] = fine;
    if (gallerie_ > 1 && static_cast<int64_t>(inizio) - fini_[gallerie_ - 1] <= 150) tipo = 3;
    int64_t b = std::min(arrotonda(fine / 50.0 - 1.0), c_.ultimo_indice());
    if (b >= a && (tipo < 0 || tipo > 255)) throw guasto_lettura("tunnel type does not fit", inizio_record_);
    int contatore = 0;
    for (int64_t k = a; k <= b; ++k) {
      cella& cel = c_.percorso[static_cast<size_t>(k)];
      cel.galleria = static_cast<uint8_t>(tipo);
      ++contatore;
      if (luci && contatore % 4 == 0 && cel.tipo == tipo_cella::nessuno) cel.tipo = tipo_cella::luce_galleria;
    }
    return continua;
  }

  int16_t velocita_coppia(int32_t d, int32_t s) const {
    int64_t v = arrotonda(d / 5.0 + static_cast<double>(static_cast<int64_t>(s) * 20));
    if (v < std::numeric_limits<int16_t>::min() || v > std::numeric_limits<int16_t>::max())
      throw guasto_lettura("speed pair does not fit", inizio_record_);
    return static_cast<int16_t>(v);
  }

  dopo_record indicatore() {
    std::array<int32_t, 9> v{};
    for (int32_t& x : v) x = numero();
    if (c_.oltre_percorso(v[0], 100)) return ferma_15(v[0]);
    return memo_indicatori_v_max(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]);
  }

  dopo_record memo_indicatori_v_max(int32_t posizione, int32_t vas, int32_t vbs, int32_t vcs,
                                    int32_t strisces, int32_t vad, int32_t vbd, int32_t vcd,
                                    int32_t strisced) {
    int64_t i = propria_cella(arrotonda(posizione / 50.0 + 1.0));
    cella& cel = c_.percorso[static_cast<size_t>(i)];
    if (!cella_libera(cel)) {
      avvisa(evento::occupata, 0, posizione, i);
      return esci(21, posizione);
    }
    avvisa(evento::cella, 0, posizione, i);
    cel.tipo = tipo_cella::indicatore_velocita;
    cel.dato1 = velocita_coppia(vad, vas);
    cel.dato2 = velocita_coppia(vbd, vbs);
    cel.dato3 = velocita_coppia(vcd, vcs);
    // 16-bit arithmetic: only the low bits of the stripe counts count.
    cel.dato4 = static_cast<int16_t>(
        static_cast<uint16_t>(static_cast<uint32_t>(strisces) * 10u + static_cast<uint32_t>(strisced)));
    return continua;
  }

  dopo_record cartello() {
    int32_t posizione = numero();
    c_.token = testo();
    if (c_.oltre_percorso(posizione, 100)) return ferma_15(posizione);
    int64_t i = propria_cella(arrotonda(posizione / 50.0 + 1.0));
    if (riga_cartello_ < 0) return esci(25);
    cella& cel = c_.percorso[static_cast<size_t>(i)];
    if (!cella_libera(cel)) {
      avvisa(evento::occupata, 0, posizione, i);
      return esci(6, posizione);
    }
    avvisa(evento::cella, 0, posizione, i);
    cel.tipo = tipo_cella::cartello;
    cel.dato1 = static_cast<int16_t>(riga_cartello_);
    c_.tabella_scenario[static_cast<size_t>(riga_cartello_)].nome = c_.token;
    --riga_cartello_;
    c_.segno_cartelli = riga_cartello_;
    return continua;
  }

  void chiusura() {
    archivio_di(c_).elimina(nomi::descrizione_linea(c_));
    do {
      scrivi_pendenza();
    } while (cursore_ < c_.ultimo_indice() - 2);
    if (c_.genera_tracciato != 0) {
      while (metro_ <= c_.tracciato.ultimo_metro() - 2) {
        estendi(0.0);
        ++metro_;
      }
    }
  }

  costruzione& c_;
  lettore& l_;
  size_t inizio_record_ = 0;
  std::string_view record_;
  int32_t campo_ = 0;
  int64_t cursore_ = 0;
  int32_t pendenza_precedente_ = 0;
  int64_t metro_ = 2;
  int gallerie_ = 0;
  std::array<int32_t, massimo_gallerie + 1> inizi_{};
  std::array<int32_t, massimo_gallerie + 1> fini_{};
  int32_t riga_cartello_ = riga_primo_cartello;
};

}  // namespace

double curvatura(const std::string& parola) {
  static constexpr std::array<double, 6> classi{0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003};
  static constexpr std::array<const char*, 6> cifre{"1", "2", "3", "4", "5", "6"};
  for (size_t i = 0; i < classi.size(); ++i)
    if (contiene(parola, cifre[i], modo::qualsiasi)) return classi[i];
  return 0.0;
}

void progressive_ordina(costruzione& c) {
  struct sezione {
    int32_t inizio, fine, flag;
  };
  tabella& t = c.tabella_scenario;
  auto leggi = [&](int r) { return sezione{t[r].inizio, t[r].fine, t[r].posizione_stazione}; };
  const sezione r81 = leggi(riga_progressiva_lontana), r82 = leggi(riga_progressiva_media),
                r83 = leggi(riga_progressiva_vicina);
  sezione nuove[3] = {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}};
  int64_t somma = static_cast<int64_t>(r81.inizio) + r82.inizio + r83.inizio;
  if (somma != 0) {
    if (r81.inizio > r82.inizio && r81.inizio > r83.inizio) {
      nuove[0] = r81;
      bool r82_avanti = r82.inizio > r83.inizio;
      nuove[1] = r82_avanti ? r82 : r83;
      nuove[2] = r82_avanti ? r83 : r82;
    } else if (r82.inizio > r81.inizio && r82.inizio > r83.inizio) {
      nuove[0] = r82;
      bool r81_avanti = r81.inizio > r83.inizio;
      nuove[1] = r81_avanti ? r81 : r83;
      nuove[2] = r81_avanti ? r83 : r81;
    } else if (r83.inizio > r81.inizio && r83.inizio > r82.inizio) {
      nuove[0] = r83;
      bool r81_avanti = r81.inizio > r82.inizio;
      nuove[1] = r81_avanti ? r81 : r82;
      nuove[2] = r81_avanti ? r82 : r81;
    }
  } else {
    if (r81.fine > 0) {
      nuove[0] = r81;
      nuove[1] = r82;
      nuove[2] = r83;
    }
    if (r82.fine > 0) {
      nuove[0] = r82;
      nuove[1] = r81;
      nuove[2] = r83;
    }
    if (r83.fine > 0) {
      nuove[0] = r83;
      nuove[1] = r82;
      nuove[2] = r81;
    }
  }
  // All nine fields first: a difference that then overflows leaves the rows
  // ordered, not half moved.
  for (int i = 0; i < 3; ++i) {
    riga_scenario& r = t[riga_progressiva_lontana + i];
    r.inizio = nuove[i].inizio;
    r.fine = nuove[i].fine;
    r.posizione_stazione = nuove[i].flag;
  }
  for (int i = 0; i < 3; ++i) {
    riga_scenario& r = t[81 + i];
    if (r.posizione_stazione == 1) {
      if (r.fine > std::numeric_limits<int32_t>::max() - 100)
        throw guasto_lettura("chainage difference does not fit");
      r.fine += 100;
    }
  }
}

fine_compilatore compila_linea(costruzione& c) {
  lettore l(archivio_di(c).leggi(nomi::descrizione_linea(c)));
  return compilatore_linea(c, l).esegui();
}
