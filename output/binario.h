// Little-endian encoding by explicit shifts, so the layout in memory never
// reaches the files.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

inline void metti_8(std::string& s, uint8_t v) { s.push_back(static_cast<char>(v)); }

inline void metti_16(std::string& s, int16_t v) {
  auto u = static_cast<uint16_t>(v);
  s.push_back(static_cast<char>(u & 0xFF));
  s.push_back(static_cast<char>(u >> 8));
}

inline void metti_32(std::string& s, int32_t v) {
  auto u = static_cast<uint32_t>(v);
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
}

inline void metti_64(std::string& s, double v) {
  uint64_t u;
  std::memcpy(&u, &v, sizeof u);
  for (int i = 0; i < 8; ++i) s.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
}

inline uint8_t prendi_8(const unsigned char* p) { return p[0]; }
inline int16_t prendi_16(const unsigned char* p) {
  return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
}
inline int32_t prendi_32(const unsigned char* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                              (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24));
}
inline double prendi_64(const unsigned char* p) {
  uint64_t u = 0;
  for (int i = 7; i >= 0; --i) u = (u << 8) | p[i];
  double v;
  std::memcpy(&v, &u, sizeof v);
  return v;
}
