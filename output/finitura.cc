#include "output/finitura.h"

#include "model/dominio.h"
#include "output/codici_gara.h"

namespace {
constexpr int16_t codice_rallentato = 180;

class passata {
 public:
  explicit passata(costruzione& c) : c_(c), n_(c.ultimo_indice()) {}

  void esegui() {
    for (int64_t i = 1; i <= n_ - 2; ++i) {
      if (cel(i).tipo == tipo_cella::tabella_avviso) tabella_avviso(i);
      if (cel(i).tipo == tipo_cella::inizio_rallentamento) inizio_rallentamento(i);
    }
  }

 private:
  cella& cel(int64_t k) { return c_.percorso[static_cast<size_t>(k)]; }
  bool dentro(int64_t k) const { return k >= 0 && k <= n_; }
  // Cells beyond the array are taken and hold no signal.
  bool libera(int64_t k) { return dentro(k) && cella_libera(cel(k)); }
  bool di_tipo(int64_t k, uint8_t t) { return dentro(k) && cel(k).tipo == t; }
  void segna(int64_t k) {
    cel(k).tipo = tipo_cella::punto_codice;
    cel(k).dato1 = codice_rallentato;
  }
  void abbassa(int64_t k) { cel(k).dato1 = minimo<int16_t>(codice_rallentato, cel(k).dato1); }
  void errore(int32_t codice, int64_t cella_errore) {
    c_.registra(codice, static_cast<int32_t>(cella_errore * 50));
  }
  bool segna_prima_libera(std::initializer_list<int64_t> celle) {
    for (int64_t k : celle) {
      if (libera(k)) {
        segna(k);
        return true;
      }
    }
    return false;
  }

  // Rule A: a code point in front of every signal up to 20 cells before a board.
  void tabella_avviso(int64_t i) {
    for (int64_t j = 1; j <= 20 && i - j >= 3; ++j) {
      int64_t k = i - j;
      if (cel(k).tipo != tipo_cella::segnale) continue;
      if (segna_prima_libera({k - 1, k - 2})) continue;
      if (di_tipo(k - 1, tipo_cella::punto_codice)) {
        abbassa(k - 1);
      } else if (di_tipo(k - 2, tipo_cella::punto_codice)) {
        abbassa(k - 2);
      } else {
        errore(11, k);
      }
    }
  }

  void inizio_rallentamento(int64_t i) {
    if (i > 7 && !segna_prima_libera({i - 5, i - 6, i - 7})) errore(12, i);
    if (i > 13 && !segna_prima_libera({i - 11, i - 12, i - 13})) errore(12, i);
    if (i > 20 && !segna_prima_libera({i - 18, i - 19, i - 20})) errore(12, i);
    // A fast slowdown has no walk, and then no search for the next signal.
    if (cel(i).dato1 >= 110) return;
    int64_t m = cammina(i);
    primo_segnale_dopo(m);
  }

  // B4: a code point every 8 cells along the slowdown, up to its end.
  int64_t cammina(int64_t i) {
    int contatore = 0;
    int64_t m = i;
    while (m < n_) {
      ++m;
      ++contatore;
      if (contatore == 8) {
        if (libera(m)) {
          segna(m);
          contatore = 0;
        } else if (libera(m - 1)) {
          segna(m - 1);
          contatore = 1;
        } else if (libera(m + 1)) {
          segna(m + 1);
          contatore = -1;
        } else {
          errore(13, m);
        }
      }
      if (cel(m).tipo == tipo_cella::fine_rallentamento) break;
    }
    return m;
  }

  // B5: a code point in front of the first signal within 13 cells of m.
  void primo_segnale_dopo(int64_t m) {
    int64_t k = 0;
    for (int64_t h = m; h <= m + 12; ++h) {
      if (di_tipo(h, tipo_cella::segnale)) {
        k = h - 1;
        break;
      }
    }
    if (k <= 0) return;
    if (!segna_prima_libera({k, k - 1})) errore(13, m);
  }

  costruzione& c_;
  int64_t n_;
};
}  // namespace

void passata_finale(costruzione& c) { passata(c).esegui(); }

int32_t blocco_finale(costruzione& c) {
  riga_scenario& r85 = c.tabella_scenario[riga_timbro];
  cella& c1 = c.percorso[cella_timbro];
  if (r85.*marcatore_riga != 0 || c1.*marcatore_cella != 0) return 1250;
  r85.*marcatore_riga = valore_marcatore_riga;
  c1.*marcatore_cella = valore_marcatore_cella;
  if (r85.*codice_riga != 0 || c1.*codice_cella != 0) return 1251;
  r85.*codice_riga = codice_gara_st(c);
  c1.*codice_cella = static_cast<int16_t>(codice_gara_og(c));
  return 0;
}
