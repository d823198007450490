// The plan element and its form in the plan file: a u16 type code, then its
// value, 2, 4 or 10 bytes in all:
//    0 empty, no value; 2 integer, i16; 5 double, IEEE-754 in 8 bytes.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

// A plan element keeps how it was assigned: the file records the kind.
enum class specie_elemento : uint8_t { vuoto, intero, reale };

struct elemento {
  specie_elemento specie = specie_elemento::vuoto;
  double valore = 0.0;
};

struct forma_elemento {
  specie_elemento specie;
  uint16_t codice;
  size_t byte_valore;
  const char* nome;
};

// In the order of specie_elemento.
inline constexpr std::array<forma_elemento, 3> forme_elemento{{
    {specie_elemento::vuoto, 0, 0, "empty"},
    {specie_elemento::intero, 2, sizeof(int16_t), "integer"},
    {specie_elemento::reale, 5, sizeof(double), "double"},
}};

inline constexpr size_t byte_codice_elemento = sizeof(uint16_t);

constexpr const forma_elemento& forma(specie_elemento s) { return forme_elemento[static_cast<size_t>(s)]; }

constexpr size_t byte_elemento(specie_elemento s) { return byte_codice_elemento + forma(s).byte_valore; }

// The form of a type code; none for a code that names no kind.
constexpr const forma_elemento* forma_del_codice(uint16_t codice) {
  for (const forma_elemento& f : forme_elemento)
    if (f.codice == codice) return &f;
  return nullptr;
}

// Little-endian by explicit shifts, so the layout in memory never reaches
// the files. Spelt out byte by byte, the compiler makes each one a single
// load or store on a little-endian host.
template <class T>
using senza_segno = std::make_unsigned_t<std::conditional_t<std::is_same_v<T, double>, int64_t, T>>;

template <class U, size_t... I>
inline void scrivi_byte(unsigned char* p, U u, std::index_sequence<I...>) {
  ((p[I] = static_cast<unsigned char>(u >> (8 * I))), ...);
}

template <class U, size_t... I>
inline U leggi_byte(const unsigned char* p, std::index_sequence<I...>) {
  return static_cast<U>(((static_cast<U>(p[I]) << (8 * I)) | ...));
}

template <class T>
inline void scrivi_le(unsigned char* p, T v) {
  using U = senza_segno<T>;
  scrivi_byte(p, std::bit_cast<U>(v), std::make_index_sequence<sizeof(U)>());
}

template <class T>
inline T leggi_le(const unsigned char* p) {
  using U = senza_segno<T>;
  return std::bit_cast<T>(leggi_byte<U>(p, std::make_index_sequence<sizeof(U)>()));
}

// The element whose bytes start at p, its kind known.
inline elemento leggi_elemento(specie_elemento s, const unsigned char* p) {
  p += byte_codice_elemento;
  switch (s) {
    case specie_elemento::intero:
      return {s, static_cast<double>(leggi_le<int16_t>(p))};
    case specie_elemento::reale:
      return {s, leggi_le<double>(p)};
    default:
      return {};
  }
}

// Writes e at p in its file form: byte_elemento(e.specie) bytes.
inline void scrivi_elemento(unsigned char* p, const elemento& e) {
  scrivi_le(p, forma(e.specie).codice);
  p += byte_codice_elemento;
  if (e.specie == specie_elemento::intero) scrivi_le(p, static_cast<int16_t>(e.valore));
  if (e.specie == specie_elemento::reale) scrivi_le(p, e.valore);
}
