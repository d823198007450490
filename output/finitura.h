// The end of a build: the pass that adds the code points slowdowns need, and
// the final block with the markers and the two competition codes.
#pragma once

#include <cstdint>

#include "model/costruzione.h"

// Records 11, 12 or 13 where a code point finds no free cell, and goes on.
void passata_finale(costruzione& c);

// Stamps the markers and the competition codes. Returns 0, or the fatal
// number (1250, 1251) when a slot they go into is already taken.
int32_t blocco_finale(costruzione& c);

template <typename T>
T minimo(T x, T y) {
  return y < x ? y : x;
}
