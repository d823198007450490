#include "testi.h"

#include <cmath>
#include <cstdio>

namespace autori {

std::string con_decimali(double valore, double passo) {
  const int decimali = passo >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(passo) - 1e-9));
  char b[64];
  std::snprintf(b, sizeof b, "%.*f", decimali, valore);
  return std::string(b) == "-0" ? "0" : b;
}

std::string km_esatti(double metri) {
  char b[64];
  std::snprintf(b, sizeof b, "%.3f km", metri / 1000);
  return b;
}

std::string utf8_da_latin1(std::string_view latin1) {
  std::string u;
  u.reserve(latin1.size());
  for (unsigned char c : latin1) {
    if (c < 0x80) {
      u += static_cast<char>(c);
    } else {
      u += static_cast<char>(0xC0 | (c >> 6));
      u += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return u;
}

}  // namespace autori
