// Each record of the model described once, field by field in the order of its
// file. A field's width and signedness are those of its member's type: uint8_t
// is u8, int16_t i16, int32_t i32; a text is a u16 length n and n 8-bit
// characters. The encoders, the decoders and the authors' tool all walk these
// tables, so the files, their readers and the dump cannot drift apart.
//
// cella, 15 bytes (offset: field):
//    0 tipo u8         1 dato1 i16       3 dato2 i16      5 dato3 i16
//    7 dato4 i16       9 tempo u8       10 avviso u8     11 galleria u8
//   12 vel_limite u8  13 pendenza u8    14 aderenza u8
//
// riga_scenario, 34 + n bytes, n the length of nome:
//    0 tipo u8         1 inizio i32      5 fine i32       9 posizione_stazione i32
//   13 tps u8         14 n u16          16 nome, n bytes
//   16+n d2_a i16     18+n d3_a i16     20+n d1_b i16    22+n d2_b i16
//   24+n d3_b i16     26+n rap u8       27+n ac u8       28+n mar u8
//   29+n tab u8       30+n orario i32
//
// The plan element is described in model/elemento.h. Every number is
// little-endian, with no padding between fields or between records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

#include "model/elemento.h"
#include "model/scenario.h"

template <class R, class T>
struct campo {
  using tipo = T;
  const char* nome;
  T R::*membro;
  // A profile byte: nearly every cell carries one, so it alone leaves a cell
  // empty.
  bool profilo = false;
};

template <class R, class T>
campo(const char*, T R::*) -> campo<R, T>;
template <class R, class T>
campo(const char*, T R::*, bool) -> campo<R, T>;

// The fields of record R, one campo each in file order; given for cella and
// riga_scenario below.
template <class R>
inline constexpr int campi_di = 0;

template <>
inline constexpr std::tuple campi_di<cella>{
    campo{"tipo", &cella::tipo},
    campo{"dato1", &cella::dato1},
    campo{"dato2", &cella::dato2},
    campo{"dato3", &cella::dato3},
    campo{"dato4", &cella::dato4},
    campo{"tempo", &cella::tempo},
    campo{"avviso", &cella::avviso},
    campo{"galleria", &cella::galleria},
    campo{"vel_limite", &cella::vel_limite, true},
    campo{"pendenza", &cella::pendenza, true},
    campo{"aderenza", &cella::aderenza, true},
};

// clang-format off
template <>
inline constexpr std::tuple campi_di<riga_scenario>{
    campo{"tipo", &riga_scenario::tipo},
    campo{"inizio", &riga_scenario::inizio},
    campo{"fine", &riga_scenario::fine},
    campo{"posizione_stazione", &riga_scenario::posizione_stazione},
    campo{"tps", &riga_scenario::tps},
    campo{"nome", &riga_scenario::nome},
    campo{"d2_a", &riga_scenario::d2_a},
    campo{"d3_a", &riga_scenario::d3_a},
    campo{"d1_b", &riga_scenario::d1_b},
    campo{"d2_b", &riga_scenario::d2_b},
    campo{"d3_b", &riga_scenario::d3_b},
    campo{"rap", &riga_scenario::rap},
    campo{"ac", &riga_scenario::ac},
    campo{"mar", &riga_scenario::mar},
    campo{"tab", &riga_scenario::tab},
    campo{"orario", &riga_scenario::orario},
};
// clang-format on

// Calls f(campo) for every field of R, in file order.
template <class R, class F>
constexpr void per_ogni_campo(F&& f) {
  std::apply([&f](const auto&... c) { (f(c), ...); }, campi_di<R>);
}

template <class T>
inline constexpr bool testo_v = std::is_same_v<T, std::string>;

// Calls f(campo) for every integer field of R, in file order; texts are left
// to callers that compare or show them apart from the numbers.
template <class R, class F>
constexpr void per_ogni_numero(F&& f) {
  per_ogni_campo<R>([&f](const auto& c) {
    if constexpr (!testo_v<typename std::remove_cvref_t<decltype(c)>::tipo>) f(c);
  });
}

// Bytes a field of type T takes in a file; a text, those of its length.
template <class T>
constexpr size_t larghezza() {
  if constexpr (testo_v<T>) {
    return sizeof(uint16_t);
  } else {
    static_assert(std::is_integral_v<T>, "a record field is an integer or a text");
    return sizeof(T);
  }
}

template <class C>
constexpr size_t larghezza(const C&) {
  return larghezza<typename C::tipo>();
}

// Bytes of a record of R without the characters of its texts.
template <class R>
constexpr size_t byte_fissi() {
  size_t n = 0;
  per_ogni_campo<R>([&n](const auto& c) { n += larghezza(c); });
  return n;
}

// Offset of the field named nome from the record's first byte; fields after
// a text lie that text's length further on.
template <class R>
constexpr size_t offset_di(const char* nome) {
  size_t o = 0;
  bool trovato = false;
  per_ogni_campo<R>([&](const auto& c) {
    if (std::string_view(c.nome) == nome) trovato = true;
    if (!trovato) o += larghezza(c);
  });
  return trovato ? o : static_cast<size_t>(-1);
}

inline constexpr size_t byte_cella = byte_fissi<cella>();
inline constexpr size_t byte_riga_senza_nome = byte_fissi<riga_scenario>();
inline constexpr size_t offset_lunghezza_nome = offset_di<riga_scenario>("nome");
