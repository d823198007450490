// The scenario model: the track cells, the scenario table and the plan of the
// route, with the build state that the compilers fill and the writers read.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/elemento.h"

struct cella {
  uint8_t tipo = 0;
  int16_t dato1 = 0;
  int16_t dato2 = 0;
  int16_t dato3 = 0;
  int16_t dato4 = 0;
  uint8_t tempo = 0;
  uint8_t avviso = 0;
  uint8_t galleria = 0;
  uint8_t vel_limite = 0;
  uint8_t pendenza = 0;
  uint8_t aderenza = 0;
};

struct riga_scenario {
  uint8_t tipo = 0;
  int32_t inizio = 0;
  int32_t fine = 0;
  int32_t posizione_stazione = 0;
  uint8_t tps = 0;
  std::string nome;
  int16_t d2_a = 0;
  int16_t d3_a = 0;
  int16_t d1_b = 0;
  int16_t d2_b = 0;
  int16_t d3_b = 0;
  uint8_t rap = 0;
  uint8_t ac = 0;
  uint8_t mar = 0;
  uint8_t tab = 0;
  int32_t orario = 0;
};

constexpr int righe_tabella = 87;
using tabella = std::array<riga_scenario, righe_tabella>;

// Metres 0 to ultimo_metro, two components, 0 x and 1 y. The plan is held
// as the bytes of its file: the x elements of every metre, then the y
// elements, each in its file form (model/elemento.h), so that writing it
// copies nothing. Each component fills its metres in order from metre 0, and
// runs of one kind tell where a metre lies; the metres after the last one
// assigned are empty, and take their bytes only in file(). A metre assigned
// further on makes the metres before it empty; a metre assigned again in
// another kind lays the metres after it again.
class tracciato_t {
 public:
  void crea(int32_t ultimo_metro);
  void distruggi();
  bool esiste() const { return byte_ != nullptr; }
  int32_t ultimo_metro() const { return ultimo_metro_; }

  // A copy: const, so that assigning to it does not compile. The geometry
  // reads back the two metres it assigned last, which are kept at hand.
  const elemento at(int32_t metro, int componente) const {
    const meta& h = meta_[componente];
    const auto indietro = static_cast<uint64_t>(int64_t{h.assegnati} - 1 - metro);
    if (indietro < 2) return h.recenti[indietro];
    return leggi(h, metro);
  }

  // The next metre of a component, of the kind of the metre before, is one
  // store at the end of its half; anything else goes the long way.
  void assegna(int32_t metro, int componente, elemento e) {
    meta& h = meta_[componente];
    if (metro == h.assegnati && e.specie == h.ultimo.specie &&
        h.usati + byte_elemento(e.specie) <= h.capienza) {
      scrivi_elemento(h.dati + h.usati, e);
      h.usati += byte_elemento(e.specie);
      ++h.assegnati;
      h.recenti[1] = h.recenti[0];
      h.recenti[0] = e;
      return;
    }
    assegna_altrimenti(metro, componente, e);
  }

  // The bytes of the plan file, valid until the next assegna.
  std::string_view file();
  // The same bytes, copied, from a plan that cannot be moved.
  std::string copia_file() const;

 private:
  // Metres primo onwards, up to the next run, hold elements of one kind, of
  // byte bytes each; the first lies offset bytes into the half.
  struct tratto {
    int32_t primo = 0;
    specie_elemento specie = specie_elemento::vuoto;
    uint8_t byte = byte_elemento(specie_elemento::vuoto);
    size_t offset = 0;
  };
  struct meta {
    unsigned char* dati = nullptr;
    size_t usati = 0;
    // Bytes the half may take before it runs into the y half or the block's end.
    size_t capienza = 0;
    int32_t assegnati = 0;
    // The run the next metre joins when it is of its kind; the runs before it.
    tratto ultimo;
    std::vector<tratto> prima;
    // The elements of the last metre assigned and of the one before it.
    elemento recenti[2];
  };

  static const tratto& tratto_prima(const meta& h, int32_t metro);
  static elemento leggi(const meta& h, int32_t metro);
  void assegna_altrimenti(int32_t metro, int componente, elemento e);
  void aggiungi(meta& h, elemento e);
  void fai_spazio();
  size_t vuoti(const meta& h) const;

  std::unique_ptr<unsigned char[]> byte_;
  // The largest a half can grow: every metre a double.
  size_t byte_meta_ = 0;
  meta meta_[2];
  int32_t ultimo_metro_ = -1;
};

// Position to cell index: round half to even on the real value.
int64_t arrotonda(double x);
bool cella_libera(const cella& c);
// Last cell index for a route of length L: round((L + 7000) / 50).
int64_t ultimo_indice_per(int64_t lunghezza);
