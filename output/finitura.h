// The build: both compilers, the pass that adds the code points slowdowns
// need, the reserved fields and the scenario files.
#pragma once

#include <cstdint>

#include "model/costruzione.h"

// Throws arresto for the two fatal checks and when the compilers left no
// percorso; file system failures leave as std::system_error.
void memorizza_percorso(costruzione& c, int32_t j);

void passata_finale(costruzione& c);
void blocco_finale(costruzione& c);

template <typename T>
T minimo(T x, T y) {
  return y < x ? y : x;
}
