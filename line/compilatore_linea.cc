#include "line/compilatore_linea.h"

#include <array>
#include <limits>

#include "app/file.h"
#include "app/nomi_file.h"
#include "documents/lettore.h"
#include "model/dominio.h"
#include "model/uscita.h"
#include "train/compilatore_treno.h"

namespace {
constexpr int64_t lunghezza_massima = 1000000;
constexpr int64_t metro_massimo = 1000000;
constexpr int massimo_gallerie = 80;

bool ha(const std::string& t, const char* parola) { return contiene(t, parola, modo::qualsiasi); }
bool ha_esatto(const std::string& t, const char* parola) { return contiene(t, parola, modo::esatto); }

// Signals the record loop to stop after a code 15.
struct fermo_record {};

class compilatore_linea {
 public:
  compilatore_linea(costruzione& c, lettore& l) : c_(c), l_(l) {}

  void esegui() {
    try {
      compila();
    } catch (const errore_lettura&) {
      // Point diagnostics at the field the reader failed on.
      c_.documento_errore = 1;
      c_.offset_errore = l_.inizio_campo();
      throw;
    }
  }

 private:
  void compila() {
    preambolo();
    sezione_generale();
    progressive_ordina(c_);
    // The record loop cannot run without the cells.
    if (!c_.percorso_esiste()) throw errore_lettura("no route length in the general section");
    if (c_.genera_tracciato != 0) {
      c_.tracciato.assegna(0, 0, {specie_elemento::intero, 0.0});
      c_.tracciato.assegna(0, 1, {specie_elemento::intero, 0.0});
      c_.tracciato.assegna(1, 0, {specie_elemento::intero, 0.0});
      c_.tracciato.assegna(1, 1, {specie_elemento::intero, 1.0});
    }
    try {
      ciclo_record();
    } catch (const fermo_record&) {
    }
    chiusura();
  }

  void leggi_token() {
    c_.token = l_.leggi_testo();
    inizio_record_ = l_.inizio_campo();
  }

  [[noreturn]] void uscita(int32_t codice) {
    c_.documento_errore = 1;
    c_.offset_errore = inizio_record_;
    throw uscita_errore{codice};
  }

  void errore_15(int32_t posizione) {
    c_.registra(15, posizione);
    c_.documento_errore = 1;
    c_.offset_errore = inizio_record_;
    throw fermo_record{};
  }

  void segna(int32_t codice, int32_t posizione) {
    c_.posizione_errore = posizione;
    uscita(codice);
  }

  void preambolo() {
    for (;;) {
      leggi_token();
      if (l_.fine_file()) uscita(102);
      if (ha(c_.token, "[generale]")) return;
    }
  }

  void sezione_generale() {
    for (;;) {
      if (l_.fine_file()) return;
      leggi_token();
      if (l_.fine_file()) return;
      for (int k = 0; k < 10; ++k)
        if (ha(c_.token, "-")) leggi_token();
      chiavi_generali();
      if (fine_sezione()) return;
    }
  }

  bool fine_sezione() const {
    const std::string& t = c_.token;
    size_t i = t.find_first_not_of(' ');
    if (i != std::string::npos && t[i] == '-') return false;
    return t.find('[') != std::string::npos && t.find(']') != std::string::npos;
  }

  void chiavi_generali() {
    const std::string& t = c_.token;
    tabella& tab = c_.tabella_scenario;
    if (ha(t, "lunghezza") && ha(t, "percorso")) lunghezza();
    auto progressiva = [&](const char* parola, int riga) {
      if (ha_esatto(t, "progressiva") && ha_esatto(t, parola)) {
        tab[riga].inizio = l_.leggi_32();
        tab[riga].fine = l_.leggi_32();
        tab[riga].posizione_stazione = l_.leggi_32();
      }
    };
    progressiva("tre", riga_progressiva_lontana);
    progressiva("due", riga_progressiva_media);
    progressiva("uno", riga_progressiva_vicina);
    if (ha_esatto(t, "sfondo") && ha_esatto(t, "uno")) tab[riga_identita].inizio = l_.leggi_32();
    if (ha_esatto(t, "sfondo") && ha_esatto(t, "due")) tab[riga_identita].posizione_stazione = l_.leggi_32();
    if (ha_esatto(t, "sfondo") && ha_esatto(t, "tre")) tab[riga_identita].fine = l_.leggi_32();
    if (ha_esatto(t, "ripetizione") && ha_esatto(t, "segnali")) ripetizione_segnali();
  }

  void lunghezza() {
    int32_t& l = c_.tabella_scenario[riga_percorso].fine;
    l = l_.leggi_32();
    if (l > lunghezza_massima) uscita(1);
    if (l < 0) uscita(25);
    int64_t n = ultimo_indice_per(l);
    c_.percorso.assign(static_cast<size_t>(n) + 1, cella{});
    if (c_.genera_tracciato != 0) c_.tracciato.crea(l + 7000);
  }

  void ripetizione_segnali() {
    riga_scenario& r = c_.tabella_scenario[riga_treno];
    r.inizio = l_.leggi_32();
    r.fine = l_.leggi_32();
    if (r.inizio % 50 != 0) uscita(3);
    if (r.fine % 50 != 0) uscita(4);
    int32_t codici = 0;
    if (ha(c_.token, "4")) {
      codici = 4;
    } else if (ha(c_.token, "9")) {
      codici = 9;
    } else {
      uscita(5);
    }
    if (r.fine == 0) codici = 0;
    r.posizione_stazione = codici;
  }

  void ciclo_record() {
    for (;;) {
      if (l_.fine_file()) return;
      leggi_token();
      if (l_.fine_file()) return;
      if (ha(c_.token, "-")) {
        leggi_token();
        if (l_.fine_file()) return;
        if (ha(c_.token, "-")) {
          leggi_token();
          if (l_.fine_file()) return;
        }
      }
      const std::string parola = c_.token;
      if (ha(parola, "pendenza")) pendenza();
      if (c_.genera_tracciato != 0 && ha(parola, "curva")) curva(parola);
      if (ha(parola, "montagna")) montagna();
      if (ha(parola, "indicatori_v")) indicatore();
      if (ha(parola, "indicat") && ha(parola, "cartello")) cartello();
    }
  }

  // A cell index a record computes for itself must lie in the array.
  int64_t propria_cella(int64_t indice) {
    if (indice < 0 || indice > c_.ultimo_indice()) throw errore_lettura("cell index outside the route");
    return indice;
  }

  void scrivi_pendenza() {
    if (cursore_ <= c_.ultimo_indice())
      c_.percorso[static_cast<size_t>(cursore_)].pendenza =
          static_cast<uint8_t>(static_cast<int64_t>(pendenza_precedente_) + 100);
    ++cursore_;
  }

  void pendenza() {
    int32_t p = l_.leggi_32();
    int32_t g = l_.leggi_32();
    if (c_.oltre_percorso(p, 100)) errore_15(p);
    int64_t i = arrotonda(p / 50.0);
    if (i > 0) {
      do {
        scrivi_pendenza();
      } while (cursore_ < i);
    }
    pendenza_precedente_ = g;
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
  void passo(double k) {
    if (metro_ > c_.tracciato.ultimo_metro()) uscita(103);
    estendi(k);
    ++metro_;
    if (metro_ > metro_massimo) uscita(103);
  }

  void curva(const std::string& parola) {
    int32_t s = l_.leggi_32();
    int32_t n = l_.leggi_32();
    if (c_.oltre_percorso(s, 100)) errore_15(s);
    double k = curvatura(parola);
    if (k == 0.0) uscita(103);
    if (ha(parola, "s")) k = -k;
    while (metro_ <= s) passo(0.0);
    int64_t fine = static_cast<int64_t>(s) + n;
    while (metro_ <= fine) passo(k);
  }

  void montagna() {
    int32_t inizio = l_.leggi_32();
    int32_t fine = l_.leggi_32();
    int32_t tipo = l_.leggi_32();
    if (c_.oltre_percorso(inizio, 100)) errore_15(inizio);
    memo_montagna(inizio, fine, tipo);
  }

  void memo_montagna(int32_t inizio, int32_t fine, int32_t& tipo) {
    int64_t a = propria_cella(arrotonda(inizio / 50.0));
    if (gallerie_ >= massimo_gallerie) uscita(25);
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
    if (b >= a && (tipo < 0 || tipo > 255)) throw errore_lettura("tunnel type does not fit");
    int contatore = 0;
    for (int64_t k = a; k <= b; ++k) {
      cella& cel = c_.percorso[static_cast<size_t>(k)];
      cel.galleria = static_cast<uint8_t>(tipo);
      ++contatore;
      if (luci && contatore % 4 == 0 && cel.tipo == tipo_cella::nessuno) cel.tipo = tipo_cella::luce_galleria;
    }
  }

  static int16_t velocita_coppia(int32_t d, int32_t s) {
    int64_t v = arrotonda(d / 5.0 + static_cast<double>(static_cast<int64_t>(s) * 20));
    if (v < std::numeric_limits<int16_t>::min() || v > std::numeric_limits<int16_t>::max())
      throw errore_lettura("speed pair does not fit");
    return static_cast<int16_t>(v);
  }

  void indicatore() {
    std::array<int32_t, 9> v{};
    for (int32_t& x : v) x = l_.leggi_32();
    if (c_.oltre_percorso(v[0], 100)) errore_15(v[0]);
    memo_indicatori_v_max(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]);
  }

  void memo_indicatori_v_max(int32_t posizione, int32_t vas, int32_t vbs, int32_t vcs, int32_t strisces,
                             int32_t vad, int32_t vbd, int32_t vcd, int32_t strisced) {
    int64_t i = propria_cella(arrotonda(posizione / 50.0 + 1.0));
    cella& cel = c_.percorso[static_cast<size_t>(i)];
    if (!cella_libera(cel)) segna(21, posizione);
    cel.tipo = tipo_cella::indicatore_velocita;
    cel.dato1 = velocita_coppia(vad, vas);
    cel.dato2 = velocita_coppia(vbd, vbs);
    cel.dato3 = velocita_coppia(vcd, vcs);
    // 16-bit arithmetic: only the low bits of the stripe counts count.
    cel.dato4 = static_cast<int16_t>(
        static_cast<uint16_t>(static_cast<uint32_t>(strisces) * 10u + static_cast<uint32_t>(strisced)));
  }

  void cartello() {
    int32_t posizione = l_.leggi_32();
    c_.token = l_.leggi_testo();
    if (c_.oltre_percorso(posizione, 100)) errore_15(posizione);
    int64_t i = propria_cella(arrotonda(posizione / 50.0 + 1.0));
    if (riga_cartello_ < 0) uscita(25);
    cella& cel = c_.percorso[static_cast<size_t>(i)];
    if (!cella_libera(cel)) segna(6, posizione);
    cel.tipo = tipo_cella::cartello;
    cel.dato1 = static_cast<int16_t>(riga_cartello_);
    c_.tabella_scenario[static_cast<size_t>(riga_cartello_)].nome = c_.token;
    --riga_cartello_;
    c_.segno_cartelli = riga_cartello_;
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
  int64_t cursore_ = 0;
  int32_t pendenza_precedente_ = 0;
  int64_t metro_ = 2;
  int gallerie_ = 0;
  std::array<int32_t, massimo_gallerie + 1> inizi_{};
  std::array<int32_t, massimo_gallerie + 1> fini_{};
  int32_t riga_cartello_ = riga_primo_cartello;
};

// Everything read before a fault stays; both descriptions go.
void coda_errore(costruzione& c) {
  for (const auto& nome : {nomi::descrizione_linea(c), nomi::descrizione_treno(c)}) {
    try {
      if (archivio_di(c).esiste(nome)) archivio_di(c).elimina(nome);
    } catch (const std::exception&) {
    }
  }
  c.codice_errore = 25;
}
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
  for (int i = 0; i < 3; ++i) {
    riga_scenario& r = t[riga_progressiva_lontana + i];
    r.inizio = nuove[i].inizio;
    r.fine = nuove[i].fine;
    r.posizione_stazione = nuove[i].flag;
    if (r.posizione_stazione == 1) {
      if (r.fine > std::numeric_limits<int32_t>::max() - 100)
        throw errore_lettura("chainage difference does not fit");
      r.fine += 100;
    }
  }
}

void memorizza_dati(costruzione& c) {
  c.tabella_scenario[riga_identita].nome = c.identificativo;
  c.tabella_scenario[riga_treno].nome = c.numero_treno;
  const auto linea = nomi::descrizione_linea(c);
  if (!archivio_di(c).esiste(linea)) {
    c.registra(101);
    return;
  }
  try {
    try {
      lettore l(archivio_di(c).leggi(linea));
      compilatore_linea(c, l).esegui();
    } catch (const uscita_errore& u) {
      archivio_di(c).elimina(linea);
      c.codice_errore = u.codice;
      return;
    }
    compila_treno(c);
  } catch (const errore_lettura&) {
    coda_errore(c);
  } catch (const std::exception&) {
    // A file that cannot be read or deleted points at no record.
    c.documento_errore = 0;
    c.offset_errore = 0;
    coda_errore(c);
  }
}
