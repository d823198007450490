// What a cell's fields mean, kind by kind, where the compilers pack several
// values into one: decompile turns them back into records, inspect into words.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <utility>

namespace autori {

// Rounds towards minus infinity, so that a negative pair still splits into
// tens and units that give it back.
inline int64_t div_basso(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

// Tens and units: a signal's dato4 (ratio, side pair) and an indicator's
// (left stripes, right stripes).
inline std::pair<int64_t, int64_t> decine_unita(int64_t v) {
  const int64_t d = div_basso(v, 10);
  return {d, v - 10 * d};
}

// Signals, indicators, signs and slowdowns land in round(p/50 + 1): the
// position a cell stands for to them.
inline int64_t posizione_dopo(int64_t i) { return 50 * (i - 1); }

// A signal's dato1 to dato3: the left side's digit times 10 plus the right
// side's, computed in 16 bits.
inline std::pair<int64_t, int64_t> cifre_segnale(int16_t v) {
  const auto u = static_cast<uint16_t>(v);
  return {u / 10, u % 10};
}

// The side pair p = 3 * left kind + right kind of a signal's dato4, back to
// the two kinds (0 to 2 each).
inline std::pair<int64_t, int64_t> lati_segnale(int64_t p) {
  const int64_t sinistra = std::clamp<int64_t>(p / 3, 0, 2);
  return {sinistra, p - 3 * sinistra};
}

// The approach marks: a signal in cell i with side pair p marks cell i - 2k
// with p * 10 + k, a station cell s marks cell s - k with 80 + k (k = 1 to 4).
inline constexpr int segni_di_avviso = 4;
inline int64_t cella_segno_segnale(int64_t i, int64_t k) { return i - 2 * k; }
inline int64_t valore_segno_segnale(int64_t p, int64_t k) { return p * 10 + k; }
inline int64_t cella_segno_stazione(int64_t s, int64_t k) { return s - k; }
inline int64_t valore_segno_stazione(int64_t k) { return 80 + k; }
// The other way: the cells whose mark k lands in cell m.
inline int64_t segnale_del_segno(int64_t m, int64_t k) { return m + 2 * k; }
inline int64_t stazione_del_segno(int64_t m, int64_t k) { return m + k; }

// An indicator's speed pair, left speed * 20 + right speed / 5, as the two
// speeds in km/h: one speed for both sides when the sum allows it, else the
// left one a multiple of 5.
inline std::pair<int64_t, int64_t> coppia_velocita(int16_t v) {
  if (v % 101 == 0) return {5 * (v / 101), 5 * (v / 101)};
  const int64_t s = 5 * div_basso(v, 100);
  return {s, 5 * (v - 20 * s)};
}

// The plan's turns. A step's heading is its direction in radians, clockwise
// from +y, the direction the route starts in; the turn from one step to the
// next is the curvature per metre, positive to the right.
inline double rotta(double dx, double dy) { return std::atan2(dx, dy); }
inline double svolta(double prima, double dopo) { return std::remainder(dopo - prima, 2 * std::numbers::pi); }
// Below it the plan is straight: a radius over 10,000 km.
inline constexpr double curvatura_minima = 1e-7;

}  // namespace autori
