// Appending and reading the numbers of the scenario files, little-endian by
// the model's helpers (model/campi.h).
#pragma once

#include <cstdint>
#include <string>

#include "model/campi.h"

template <class T>
inline void metti(std::string& s, T v) {
  unsigned char b[sizeof(T)];
  scrivi_le(b, v);
  s.append(reinterpret_cast<const char*>(b), sizeof b);
}

inline void metti_8(std::string& s, uint8_t v) { metti(s, v); }
inline void metti_16(std::string& s, int16_t v) { metti(s, v); }
inline void metti_32(std::string& s, int32_t v) { metti(s, v); }
inline void metti_64(std::string& s, double v) { metti(s, v); }

inline uint8_t prendi_8(const unsigned char* p) { return leggi_le<uint8_t>(p); }
inline int16_t prendi_16(const unsigned char* p) { return leggi_le<int16_t>(p); }
inline int32_t prendi_32(const unsigned char* p) { return leggi_le<int32_t>(p); }
inline double prendi_64(const unsigned char* p) { return leggi_le<double>(p); }
