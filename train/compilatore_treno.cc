#include "train/compilatore_treno.h"

#include <array>
#include <limits>

#include "documents/lettore.h"
#include "files/archivio.h"
#include "files/nomi_file.h"
#include "model/dominio.h"
#include "model/esito.h"

namespace {
bool ha(const std::string& t, const char* parola) { return contiene(t, parola, modo::qualsiasi); }

int16_t basso_16(int64_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v)); }
uint8_t basso_8(int64_t v) { return static_cast<uint8_t>(v); }

constexpr dopo_record continua = dopo_record::continua;

class compilatore_treno {
 public:
  compilatore_treno(costruzione& c, lettore& l) : c_(c), l_(l) {}

  fine_compilatore esegui() {
    try {
      preambolo();
      if (ciclo_record() == dopo_record::esci) {
        archivio_di(c_).elimina(nomi::descrizione_treno(c_));
        return fine_compilatore::uscito;
      }
      fine_file();
      return fine_compilatore::letto;
    } catch (const guasto_lettura& g) {
      c_.documento_errore = 2;
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
  void leggi_token() {
    record_ = {};
    campo_ = 0;
    c_.token = l_.leggi_testo();
    inizio_record_ = l_.inizio_campo();
  }

  void avvisa(evento specie, int32_t campo = 0, int64_t letto = 0, int64_t memorizzato = 0,
              std::string_view testo = {}, size_t offset = 0) {
    if (c_.osservatore == nullptr) return;
    const bool di_campo = specie == evento::campo || specie == evento::testo || specie == evento::guasto;
    c_.osservatore->notifica({specie, 2, inizio_record_, di_campo ? offset : inizio_record_, record_, campo,
                              letto, memorizzato, testo});
  }
  void scelto(const char* record) {
    record_ = record;
    avvisa(evento::record, 0, 0, 0, c_.token);
  }
  // The next field of the record, counted from 1, told as read.
  template <typename T>
  T campo(T valore) {
    avvisa(evento::campo, campo_, valore, valore, {}, l_.inizio_campo());
    return valore;
  }
  int32_t n32() { return ++campo_, campo(l_.leggi_32()); }
  int16_t n16() { return ++campo_, campo(l_.leggi_16()); }
  uint8_t n8() { return ++campo_, campo(l_.leggi_8()); }
  std::string testo() {
    ++campo_;
    std::string t = l_.leggi_testo();
    avvisa(evento::testo, campo_, 0, 0, t, l_.inizio_campo());
    return t;
  }
  void memorizzato(int32_t numero, int64_t letto, int64_t valore) {
    if (letto != valore) avvisa(evento::memorizzato, numero, letto, valore);
  }
  int16_t basso_16_di(int32_t numero, int64_t v) {
    const int16_t b = basso_16(v);
    if (c_.osservatore != nullptr) memorizzato(numero, v, b);
    return b;
  }
  void posto(int64_t posizione, int64_t k) { avvisa(evento::cella, 0, posizione, k); }
  dopo_record occupata(int32_t codice, int32_t posizione, int64_t k) {
    avvisa(evento::occupata, 0, posizione, k);
    return esci(codice, posizione);
  }

  void annota() {
    c_.documento_errore = 2;
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
  // After a signal or a slowdown the build state decides: a code that the
  // line half left (a 15) ends the train half here too.
  dopo_record dopo_posizionamento(int32_t posizione) {
    if (c_.codice_errore > 0) return esci(c_.codice_errore, posizione);
    return continua;
  }

  // Each record kind computes its own cell; outside the array it is a fault.
  int64_t propria_cella(int64_t indice) const {
    if (indice < 0 || indice > c_.ultimo_indice())
      throw guasto_lettura("cell index outside the route", inizio_record_, 1);
    return indice;
  }
  // A station's area and time are computed from its fields and must fit.
  int32_t in_32(int64_t v) const {
    if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
      throw guasto_lettura("value does not fit in 32 bits", inizio_record_);
    return static_cast<int32_t>(v);
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

  // Ends at the end of the file, or with the first record that does not
  // let the loop go on: the later keywords of its token are not tried.
  dopo_record ciclo_record() {
    for (;;) {
      if (l_.fine_file()) return continua;
      if (leggi_o_fine()) return continua;
      if (ha(c_.token, "-")) {
        if (leggi_o_fine()) return continua;
        if (ha(c_.token, "-") && leggi_o_fine()) return continua;
      }
      const std::string t = c_.token;
      tabella& tab = c_.tabella_scenario;
      dopo_record d = continua;
      bool preso = false;
      auto chiave = [&](bool si, const char* nome) {
        if (d == continua && si) {
          preso = true;
          scelto(nome);
        }
        return d == continua && si;
      };
      auto record = [&](bool si, const char* nome, auto&& gestisci) {
        if (chiave(si, nome)) d = gestisci();
      };
      if (chiave(ha(t, "frenata") && ha(t, "massa"), "massa frenata")) tab[riga_percorso].inizio = n32();
      if (chiave(ha(t, "vetture"), "vetture")) tab[riga_percorso].posizione_stazione = n32();
      record(ha(t, "velocit"), "velocita", [&] { return velocita(); });
      record(ha(t, "aderenza"), "aderenza", [&] { return aderenza(); });
      if (chiave(ha(t, "orologio"), "orologio")) {
        tab[riga_treno].d1_b = n16();
        tab[riga_treno].d2_b = n16();
        tab[riga_treno].d3_b = n16();
      }
      if (chiave(ha(t, "sabbia"), "sabbia")) tab[riga_treno].d2_a = n16();
      record(ha(t, "segnale"), "segnale", [&] { return segnale(); });
      record(ha(t, "rallentamento"), "rallentamento", [&] { return rallentamento(); });
      record(ha(t, "abbattimento"), "abbattimento", [&] { return abbattimento(); });
      record(ha(t, "stazione"), "stazione", [&] { return stazione(); });
      if (!preso) {
        record_ = {};
        avvisa(evento::ignorato, 0, 0, 0, c_.token);
      }
      if (d != continua) return d;
    }
  }

  // The speed is stored when its run is written, at the next record or at the
  // end: a speed that does not fit names the record that gave it.
  uint8_t quinto(int32_t velocita) const {
    int64_t v = arrotonda(velocita / 5.0);
    if (v < 0 || v > 255) throw guasto_lettura("speed does not fit", record_velocita_, 2, "velocita");
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

  dopo_record velocita() {
    int32_t p = n32();
    int32_t s = n32();
    if (c_.oltre_percorso(p, 100)) return ferma_15(p);
    // Stored in steps of 5 km/h; a speed beyond the byte fails later.
    if (c_.osservatore != nullptr) {
      const int64_t q = arrotonda(s / 5.0);
      if (q >= 0 && q <= 255) memorizzato(2, s, q * 5);
    }
    int64_t c = arrotonda(p / 50.0);
    if (c > 0) {
      do {
        if (punto_velocita_ >= c_.ultimo_indice()) break;
        scrivi_velocita();
      } while (punto_velocita_ < c);
    }
    velocita_ = s;
    record_velocita_ = inizio_record_;
    return continua;
  }

  dopo_record aderenza() {
    int32_t p = n32();
    int32_t a = n32();
    if (c_.oltre_percorso(p, 100)) return ferma_15(p);
    int64_t c = arrotonda(p / 50.0);
    if (c > 0) {
      do {
        scrivi_aderenza();
      } while (punto_aderenza_ < c);
    }
    aderenza_ = a;
    return continua;
  }

  dopo_record segnale() {
    std::array<int32_t, 11> v{};
    for (int32_t& x : v) x = n32();
    if (c_.oltre_percorso(v[0], 100)) return ferma_15(v[0]);
    if (memo_segnale(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10]) != continua)
      return dopo_record::esci;
    return dopo_posizionamento(v[0]);
  }

  dopo_record memo_segnale(int32_t posizione, int32_t sx, int32_t s1, int32_t s2, int32_t s3, int32_t rapp,
                           int32_t dx, int32_t d1, int32_t d2, int32_t d3, int32_t tempo) {
    int64_t i = propria_cella(arrotonda(posizione / 50.0 + 1.0));
    cella& s = cel(i);
    if (!cella_libera(s)) return occupata(16, posizione, i);
    posto(posizione, i);
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
    // The warning marks keep one byte of 10 times the side kinds' sum.
    if (c_.osservatore != nullptr) memorizzato(2, p * 10 + 4, basso_8(p * 10 + 4));
    return continua;
  }

  dopo_record abbattimento() {
    int32_t posizione = n32();
    int32_t valore = n32();
    if (c_.oltre_percorso(posizione, 100)) return ferma_15(posizione);
    int64_t c = propria_cella(arrotonda(posizione / 50.0));
    if (!cella_libera(cel(c))) return occupata(7, posizione, c);
    posto(posizione, c);
    if (valore > 0) {
      cel(c).tipo = tipo_cella::punto_codice;
      cel(c).dato1 = basso_16_di(2, valore);
    } else {
      cel(c).tipo = tipo_cella::punto_senza_codice;
    }
    return continua;
  }

  dopo_record rallentamento() {
    std::array<int32_t, 6> v{};
    for (int32_t& x : v) x = n32();
    if (c_.oltre_percorso(v[0], 100)) return ferma_15(v[0]);
    if (memo_rallentamento(v[0], v[1], v[2], v[3], v[4], v[5]) != continua) return dopo_record::esci;
    return dopo_posizionamento(v[0]);
  }

  // Every code of a slowdown carries its start x.
  dopo_record memo_rallentamento(int32_t x, int32_t v, int32_t l, int32_t f_tt, int32_t f_ta, int32_t d_v) {
    int64_t fine = arrotonda((static_cast<int64_t>(x) + l) / 50.0 + 1.0);
    int64_t inizio = arrotonda(x / 50.0 + 1.0);
    int64_t tabella = arrotonda((static_cast<int64_t>(x) - 1200) / 50.0 + 1.0);
    int64_t k = arrotonda((static_cast<int64_t>(x) - 1200) / 50.0);
    if (x > 1500) {
      if (!libera(tabella)) return occupata(17, x, tabella);
    } else {
      f_ta = 0;
    }
    if (!libera(inizio)) return occupata(18, x, inizio);
    if (!libera(fine)) return occupata(19, x, fine);
    if (x > 1500) posto(x, tabella);
    posto(x, inizio);
    posto(x, fine);
    cel(fine).tipo = tipo_cella::fine_rallentamento;
    if (d_v != 0) cel(fine).dato2 = basso_16(d_v);
    cel(inizio).tipo = tipo_cella::inizio_rallentamento;
    if (d_v != 0) cel(inizio).dato2 = basso_16(d_v);
    if (x > 1500) {
      cel(tabella).tipo = tipo_cella::tabella_avviso;
      if (d_v != 0) cel(tabella).dato2 = basso_16(d_v);
      cel(tabella).dato1 = basso_16_di(2, v);
    }
    for (int64_t m : {inizio, fine}) {
      cel(m).dato1 = basso_16(v);
      cel(m).dato3 = basso_16(f_tt);
    }
    if (f_ta != 0) {
      for (int64_t j = 0; j <= 3; ++j) {
        if (!libera(k - j)) return occupata(20, x, k - j);
      }
      for (int64_t j = 0; j <= 3; ++j) posto(x, k - j);
      for (int64_t j = 0; j <= 3; ++j) {
        cella& a = cel(k - j);
        a.tipo = tipo_cella::avvicinamento;
        a.dato1 = basso_16(j + 1);
        if (d_v != 0) a.dato2 = basso_16(j + 1);
      }
    }
    return continua;
  }

  dopo_record stazione() {
    const int32_t r = stazione_;
    riga_scenario& riga = c_.tabella_scenario[static_cast<size_t>(r)];
    riga.posizione_stazione = n32();
    const int32_t pos = riga.posizione_stazione;
    if (c_.oltre_percorso(pos, 800)) return ferma_15(pos);
    if (pos % 50 != 0) return esci(8, pos);
    riga.tipo = n8();
    const int32_t lunghezza = n32();
    if (lunghezza % 100 != 0) return esci(9, pos);
    riga.tps = n8();
    riga.tab = n8();
    riga.mar = n8();
    riga.d2_a = n16();
    riga.d3_a = n16();
    riga.rap = n8();
    riga.d1_b = n16();
    riga.d2_b = n16();
    riga.d3_b = n16();
    riga.ac = n8();
    const int64_t ore = n32();
    const int64_t minuti = n32();
    const int64_t secondi = n32();
    riga.nome = testo();
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
      if (fine50 - 1 <= 1) return esci(24);
      if (dentro(fine50 - 1)) {
        posto(pos, fine50 - 1);
        cel(fine50 - 1).tipo = tipo_cella::stazione;
        cel(fine50 - 1).dato1 = basso_16(r);
      }
    }
    if (r > 1 &&
        static_cast<int64_t>(riga.inizio) - 350 < c_.tabella_scenario[static_cast<size_t>(r - 1)].fine)
      return esci(22, pos);
    ++stazione_;
    if (stazione_ >= c_.segno_cartelli) return esci(10);
    return continua;
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
  std::string_view record_;
  int32_t campo_ = 0;
  int64_t punto_velocita_ = 0;
  int32_t velocita_ = 0;
  size_t record_velocita_ = 0;
  int64_t punto_aderenza_ = 0;
  int32_t aderenza_ = 0;
  int32_t stazione_ = 1;
};
}  // namespace

fine_compilatore compila_treno(costruzione& c) {
  lettore l(archivio_di(c).leggi(nomi::descrizione_treno(c)));
  return compilatore_treno(c, l).esegui();
}
