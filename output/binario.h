// Reading the numbers of the scenario files back out of their bytes,
// little-endian by the model's helpers (model/elemento.h).
#pragma once

#include <cstdint>

#include "model/elemento.h"

inline uint8_t prendi_8(const unsigned char* p) { return leggi_le<uint8_t>(p); }
inline int16_t prendi_16(const unsigned char* p) { return leggi_le<int16_t>(p); }
inline int32_t prendi_32(const unsigned char* p) { return leggi_le<int32_t>(p); }
inline double prendi_64(const unsigned char* p) { return leggi_le<double>(p); }
