// The scenario model: the track cells, the scenario table and the plan of the
// route, with the build state that the compilers fill and the writers read.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

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

// A plan element keeps how it was assigned: the file records the kind.
enum class specie_elemento : uint8_t { vuoto, intero, reale };

struct elemento {
  specie_elemento specie = specie_elemento::vuoto;
  double valore = 0.0;
};

// Metres 0 to ultimo_metro, two components; all x values come before all y.
class tracciato_t {
 public:
  void crea(int32_t ultimo_metro);
  void distruggi();
  bool esiste() const { return !elementi_.empty(); }
  int32_t ultimo_metro() const { return ultimo_metro_; }
  elemento& at(int32_t metro, int componente) {
    return elementi_[static_cast<size_t>(componente) * righe_ + static_cast<size_t>(metro)];
  }
  const elemento& at(int32_t metro, int componente) const {
    return elementi_[static_cast<size_t>(componente) * righe_ + static_cast<size_t>(metro)];
  }
  const std::vector<elemento>& elementi() const { return elementi_; }

 private:
  std::vector<elemento> elementi_;
  size_t righe_ = 0;
  int32_t ultimo_metro_ = -1;
};

// Position to cell index: round half to even on the real value.
int64_t arrotonda(double x);
bool cella_libera(const cella& c);
// Last cell index for a route of length L: round((L + 7000) / 50).
int64_t ultimo_indice_per(int64_t lunghezza);
