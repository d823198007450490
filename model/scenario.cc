#include "model/scenario.h"

#include <cmath>

#include "model/dominio.h"

void tracciato_t::crea(int32_t ultimo_metro) {
  ultimo_metro_ = ultimo_metro;
  righe_ = static_cast<size_t>(ultimo_metro) + 1;
  elementi_.assign(righe_ * 2, elemento{});
}

void tracciato_t::distruggi() {
  elementi_.clear();
  elementi_.shrink_to_fit();
  righe_ = 0;
  ultimo_metro_ = -1;
}

int64_t arrotonda(double x) { return static_cast<int64_t>(std::nearbyint(x)); }

bool cella_libera(const cella& c) {
  return c.tipo == tipo_cella::nessuno || c.tipo == tipo_cella::luce_galleria;
}

int64_t ultimo_indice_per(int64_t lunghezza) {
  return arrotonda(static_cast<double>(lunghezza + 7000) / 50.0);
}
