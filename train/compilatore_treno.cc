#include "train/compilatore_treno.h"

#include <array>
#include <limits>

#include "app/file.h"
#include "app/nomi_file.h"
#include "documents/lettore.h"
#include "model/dominio.h"
#include "model/uscita.h"

namespace {
bool ha(const std::string& t, const char* parola) { return contiene(t, parola, modo::qualsiasi); }

int16_t basso_16(int64_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v)); }
uint8_t basso_8(int64_t v) { return static_cast<uint8_t>(v); }

int32_t in_32(int64_t v) {
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
    throw errore_lettura("value does not fit in 32 bits");
  return static_cast<int32_t>(v);
}

// Signals the record loop to stop after a code 15.
struct fermo_record {};

class compilatore_treno {
 public:
  compilatore_treno(costruzione& c, lettore& l) : c_(c), l_(l) {}

  void esegui() {
    try {
      try {
        preambolo();
        ciclo_record();
      } catch (const fermo_record&) {
      }
      fine_file();
    } catch (const errore_lettura&) {
      // Point diagnostics at the field the reader failed on.
      c_.documento_errore = 2;
      c_.offset_errore = l_.inizio_campo();
      throw;
    }
  }

 private:
  void leggi_token() {
    c_.token = l_.leggi_testo();
    inizio_record_ = l_.inizio_campo();
  }

  void annota() {
    c_.documento_errore = 2;
    c_.offset_errore = inizio_record_;
  }

  [[noreturn]] void uscita(int32_t codice) {
    annota();
    throw uscita_errore{codice};
  }
  [[noreturn]] void uscita(int32_t codice, int32_t posizione) {
    c_.posizione_errore = posizione;
    uscita(codice);
  }
  [[noreturn]] void errore_15(int32_t posizione) {
    c_.registra(15, posizione);
    annota();
    throw fermo_record{};
  }

  // Each record kind computes its own cell; outside the array it is a fault.
  int64_t propria_cella(int64_t indice) const {
    if (indice < 0 || indice > c_.ultimo_indice()) throw errore_lettura("cell index outside the route");
    return indice;
  }
  bool dentro(int64_t k) const { return k >= 0 && k <= c_.ultimo_indice(); }
  cella& cel(int64_t k) { return c_.percorso[static_cast<size_t>(k)]; }
  // Outside the array a cell is taken.
  bool libera(int64_t k) { return dentro(k) && cella_libera(cel(k)); }

  void preambolo() {
    do {
      leggi_token();
    } while (!ha(c_.token, "[generale]") && !l_.fine_file());
  }

  // True when the loop must stop: the token just read is never examined.
  bool leggi_o_fine() {
    leggi_token();
    return l_.fine_file();
  }

  void ciclo_record() {
    for (;;) {
      if (l_.fine_file()) return;
      if (leggi_o_fine()) return;
      if (ha(c_.token, "-")) {
        if (leggi_o_fine()) return;
        if (ha(c_.token, "-") && leggi_o_fine()) return;
      }
      const std::string t = c_.token;
      tabella& tab = c_.tabella_scenario;
      if (ha(t, "frenata") && ha(t, "massa")) tab[riga_percorso].inizio = l_.leggi_32();
      if (ha(t, "vetture")) tab[riga_percorso].posizione_stazione = l_.leggi_32();
      if (ha(t, "velocit")) velocita();
      if (ha(t, "aderenza")) aderenza();
      if (ha(t, "orologio")) {
        tab[riga_treno].d1_b = l_.leggi_16();
        tab[riga_treno].d2_b = l_.leggi_16();
        tab[riga_treno].d3_b = l_.leggi_16();
      }
      if (ha(t, "sabbia")) tab[riga_treno].d2_a = l_.leggi_16();
      if (ha(t, "segnale")) segnale();
      if (ha(t, "rallentamento")) rallentamento();
      if (ha(t, "abbattimento")) abbattimento();
      if (ha(t, "stazione")) stazione();
    }
  }

  static uint8_t quinto(int32_t velocita) {
    int64_t v = arrotonda(velocita / 5.0);
    if (v < 0 || v > 255) throw errore_lettura("speed does not fit");
    return static_cast<uint8_t>(v);
  }

  void scrivi_velocita() {
    if (dentro(punto_velocita_)) cel(punto_velocita_).vel_limite = quinto(velocita_);
    ++punto_velocita_;
  }
  void scrivi_aderenza() {
    if (dentro(punto_aderenza_)) cel(punto_aderenza_).aderenza = basso_8(aderenza_);
    ++punto_aderenza_;
  }

  void velocita() {
    int32_t p = l_.leggi_32();
    int32_t s = l_.leggi_32();
    if (c_.oltre_percorso(p, 100)) errore_15(p);
    int64_t c = arrotonda(p / 50.0);
    if (c > 0) {
      do {
        if (punto_velocita_ >= c_.ultimo_indice()) break;
        scrivi_velocita();
      } while (punto_velocita_ < c);
    }
    velocita_ = s;
  }

  void aderenza() {
    int32_t p = l_.leggi_32();
    int32_t a = l_.leggi_32();
    if (c_.oltre_percorso(p, 100)) errore_15(p);
    int64_t c = arrotonda(p / 50.0);
    if (c > 0) {
      do {
        scrivi_aderenza();
      } while (punto_aderenza_ < c);
    }
    aderenza_ = a;
  }

  void segnale() {
    std::array<int32_t, 11> v{};
    for (int32_t& x : v) x = l_.leggi_32();
    if (c_.oltre_percorso(v[0], 100)) errore_15(v[0]);
    memo_segnale(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10]);
    if (c_.codice_errore > 0) uscita(c_.codice_errore, v[0]);
  }

  void memo_segnale(int32_t posizione, int32_t sx, int32_t s1, int32_t s2, int32_t s3, int32_t rapp,
                    int32_t dx, int32_t d1, int32_t d2, int32_t d3, int32_t tempo) {
    int64_t i = propria_cella(arrotonda(posizione / 50.0 + 1.0));
    cella& s = cel(i);
    if (!cella_libera(s)) {
      c_.codice_errore = 16;
      return;
    }
    // Digit pairs in 16-bit arithmetic: unsigned wrap keeps the low bits.
    auto coppia = [](int32_t a, int32_t b) {
      return basso_16(static_cast<int64_t>(static_cast<uint16_t>(a)) * 10 + static_cast<uint16_t>(b));
    };
    int64_t p = static_cast<int64_t>(3) * sx + dx;
    s.tipo = tipo_cella::segnale;
    s.dato4 = basso_16(static_cast<int64_t>(static_cast<uint16_t>(rapp)) * 10 + static_cast<uint16_t>(p));
    s.dato1 = coppia(s1, d1);
    s.dato2 = coppia(s2, d2);
    s.dato3 = coppia(s3, d3);
    if (tempo >= 1 && tempo <= 100) tempo = 101;
    s.tempo = sx == 2 ? basso_8(tempo) : 0;
    for (int k = 1; k <= 4; ++k) {
      int64_t m = i - 2 * k;
      if (m >= 0) cel(m).avviso = basso_8(p * 10 + k);
    }
  }

  void abbattimento() {
    int32_t posizione = l_.leggi_32();
    int32_t valore = l_.leggi_32();
    if (c_.oltre_percorso(posizione, 100)) errore_15(posizione);
    int64_t c = propria_cella(arrotonda(posizione / 50.0));
    if (!cella_libera(cel(c))) uscita(7, posizione);
    if (valore > 0) {
      cel(c).tipo = tipo_cella::punto_codice;
      cel(c).dato1 = basso_16(valore);
    } else {
      cel(c).tipo = tipo_cella::punto_senza_codice;
    }
  }

  void rallentamento() {
    std::array<int32_t, 6> v{};
    for (int32_t& x : v) x = l_.leggi_32();
    if (c_.oltre_percorso(v[0], 100)) errore_15(v[0]);
    memo_rallentamento(v[0], v[1], v[2], v[3], v[4], v[5]);
    if (c_.codice_errore > 0) uscita(c_.codice_errore, v[0]);
  }

  void memo_rallentamento(int32_t x, int32_t v, int32_t l, int32_t f_tt, int32_t f_ta, int32_t d_v) {
    int64_t fine = arrotonda((static_cast<int64_t>(x) + l) / 50.0 + 1.0);
    int64_t inizio = arrotonda(x / 50.0 + 1.0);
    int64_t tabella = arrotonda((static_cast<int64_t>(x) - 1200) / 50.0 + 1.0);
    int64_t k = arrotonda((static_cast<int64_t>(x) - 1200) / 50.0);
    if (x > 1500) {
      if (!libera(tabella)) {
        c_.codice_errore = 17;
        return;
      }
    } else {
      f_ta = 0;
    }
    if (!libera(inizio)) {
      c_.codice_errore = 18;
      return;
    }
    if (!libera(fine)) {
      c_.codice_errore = 19;
      return;
    }
    cel(fine).tipo = tipo_cella::fine_rallentamento;
    if (d_v != 0) cel(fine).dato2 = basso_16(d_v);
    cel(inizio).tipo = tipo_cella::inizio_rallentamento;
    if (d_v != 0) cel(inizio).dato2 = basso_16(d_v);
    if (x > 1500) {
      cel(tabella).tipo = tipo_cella::tabella_avviso;
      if (d_v != 0) cel(tabella).dato2 = basso_16(d_v);
      cel(tabella).dato1 = basso_16(v);
    }
    for (int64_t m : {inizio, fine}) {
      cel(m).dato1 = basso_16(v);
      cel(m).dato3 = basso_16(f_tt);
    }
    if (f_ta != 0) {
      for (int64_t j = 0; j <= 3; ++j) {
        if (!libera(k - j)) {
          c_.codice_errore = 20;
          return;
        }
      }
      for (int64_t j = 0; j <= 3; ++j) {
        cella& a = cel(k - j);
        a.tipo = tipo_cella::avvicinamento;
        a.dato1 = basso_16(j + 1);
        if (d_v != 0) a.dato2 = basso_16(j + 1);
      }
    }
  }

  void stazione() {
    const int32_t r = stazione_;
    riga_scenario& riga = c_.tabella_scenario[static_cast<size_t>(r)];
    riga.posizione_stazione = l_.leggi_32();
    const int32_t pos = riga.posizione_stazione;
    if (c_.oltre_percorso(pos, 800)) errore_15(pos);
    if (pos % 50 != 0) uscita(8, pos);
    riga.tipo = l_.leggi_8();
    const int32_t lunghezza = l_.leggi_32();
    if (lunghezza % 100 != 0) uscita(9, pos);
    riga.tps = l_.leggi_8();
    riga.tab = l_.leggi_8();
    riga.mar = l_.leggi_8();
    riga.d2_a = l_.leggi_16();
    riga.d3_a = l_.leggi_16();
    riga.rap = l_.leggi_8();
    riga.d1_b = l_.leggi_16();
    riga.d2_b = l_.leggi_16();
    riga.d3_b = l_.leggi_16();
    riga.ac = l_.leggi_8();
    const int64_t ore = l_.leggi_32();
    const int64_t minuti = l_.leggi_32();
    const int64_t secondi = l_.leggi_32();
    riga.nome = l_.leggi_testo();
    riga.orario = in_32((ore * 60 + minuti) * 60 + secondi);

    const int64_t p = pos;
    if (riga.tipo == 5 || riga.tipo == 6) {
      riga.inizio = in_32(p - lunghezza);
      riga.fine = in_32(p + 150);
      riga.mar = 0;
    } else if (riga.tipo == 7 || riga.tipo == 8) {
      riga.inizio = in_32(p - lunghezza);
      riga.fine = in_32(p + lunghezza);
      riga.mar = 0;
    } else {
      riga.inizio = in_32(p - lunghezza / 2);
      riga.fine = in_32(p + lunghezza / 2 + (riga.mar != 0 ? 50 : 0));
    }
    if (lunghezza < 600) riga.tab = 0;
    if (r == 1) {
      riga.mar = 0;
      riga.tab = 0;
    }
    const int64_t fine50 = riga.fine / 50;
    if (riga.tipo < 25 && riga.tipo != 5 && riga.tipo != 6) {
      for (int64_t k = 1; k <= 4; ++k) {
        int64_t m = fine50 - k - 1;
        if (m > 1 && dentro(m)) cel(m).avviso = basso_8(80 + k);
      }
    }
    if (riga.tipo < 25) {
      if (fine50 - 1 <= 1) uscita(24);
      if (dentro(fine50 - 1)) {
        cel(fine50 - 1).tipo = tipo_cella::stazione;
        cel(fine50 - 1).dato1 = basso_16(r);
      }
    }
    if (r > 1 &&
        static_cast<int64_t>(riga.inizio) - 350 < c_.tabella_scenario[static_cast<size_t>(r - 1)].fine)
      uscita(22, pos);
    ++stazione_;
    if (stazione_ >= c_.segno_cartelli) uscita(10);
  }

  // Reached at the end of the file and after a code 15.
  void fine_file() {
    archivio_di(c_).elimina(nomi::descrizione_treno(c_));
    do {
      scrivi_velocita();
    } while (punto_velocita_ < c_.ultimo_indice() - 2);
    do {
      scrivi_aderenza();
    } while (punto_aderenza_ < c_.ultimo_indice() - 2);
    for (int r = riga_progressiva_lontana; r <= riga_progressiva_vicina; ++r) {
      const riga_scenario& sezione = c_.tabella_scenario[static_cast<size_t>(r)];
      if (sezione.inizio % 50 != 0 || sezione.fine % 50 != 0) c_.registra(2);
    }
  }

  costruzione& c_;
  lettore& l_;
  size_t inizio_record_ = 0;
  int64_t punto_velocita_ = 0;
  int32_t velocita_ = 0;
  int64_t punto_aderenza_ = 0;
  int32_t aderenza_ = 0;
  int32_t stazione_ = 1;
};
}  // namespace

void compila_treno(costruzione& c) {
  const auto treno = nomi::descrizione_treno(c);
  try {
    lettore l(archivio_di(c).leggi(treno));
    compilatore_treno(c, l).esegui();
  } catch (const uscita_errore& u) {
    archivio_di(c).elimina(treno);
    c.codice_errore = u.codice;
  }
}
