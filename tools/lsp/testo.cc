#include "lsp/testo.h"

#include <algorithm>
#include <cstdio>

namespace autori::lsp {

namespace {

// One character of valid or invalid UTF-8 at i; an ill-formed byte counts
// as U+FFFD, one byte long.
char32_t decodifica(std::string_view s, size_t& i) {
  const auto b = static_cast<unsigned char>(s[i]);
  size_t n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
  if (n == 0 || i + n > s.size()) {
    ++i;
    return 0xFFFD;
  }
  char32_t c = n == 1 ? b : b & (0x7F >> n);
  for (size_t k = 1; k < n; ++k) {
    const auto t = static_cast<unsigned char>(s[i + k]);
    if ((t & 0xC0) != 0x80) {
      ++i;
      return 0xFFFD;
    }
    c = (c << 6) | (t & 0x3F);
  }
  i += n;
  return c;
}

}  // namespace

testo_editor::testo_editor(std::string utf8) : utf8_(std::move(utf8)) { ricostruisci(); }

void testo_editor::ricostruisci() {
  byte_.clear();
  byte_.reserve(utf8_.size());
  righe_.assign(1, 0);
  righe_utf8_.assign(1, 0);
  astrali_.clear();
  fuori_.clear();
  for (size_t i = 0; i < utf8_.size();) {
    const char32_t c = decodifica(utf8_, i);
    if (c > 0xFFFF) astrali_.push_back(byte_.size());
    if (c > 0xFF) {
      fuori_.push_back({byte_.size(), c});
      byte_ += segnaposto;
    } else {
      byte_ += static_cast<char>(c);
    }
    if (c == '\n' || (c == '\r' && (i >= utf8_.size() || utf8_[i] != '\n'))) {
      righe_.push_back(byte_.size());
      righe_utf8_.push_back(i);
    }
  }
}

size_t testo_editor::fine_riga(size_t riga) const {
  size_t f = riga + 1 < righe_.size() ? righe_[riga + 1] : byte_.size();
  while (f > righe_[riga] && (byte_[f - 1] == '\n' || byte_[f - 1] == '\r')) --f;
  return f;
}

posizione testo_editor::di_byte(size_t offset) const {
  offset = std::min(offset, byte_.size());
  const size_t r =
      static_cast<size_t>(std::upper_bound(righe_.begin(), righe_.end(), offset) - righe_.begin()) - 1;
  const auto da = std::lower_bound(astrali_.begin(), astrali_.end(), righe_[r]);
  const auto a = std::lower_bound(astrali_.begin(), astrali_.end(), offset);
  return {static_cast<int64_t>(r), static_cast<int64_t>(offset - righe_[r] + static_cast<size_t>(a - da))};
}

size_t testo_editor::a_byte(const posizione& p) const {
  if (p.riga < 0) return 0;
  if (static_cast<size_t>(p.riga) >= righe_.size()) return byte_.size();
  const size_t r = static_cast<size_t>(p.riga);
  const size_t fine = fine_riga(r);
  size_t o = righe_[r];
  int64_t unita = 0;
  auto astrale = std::lower_bound(astrali_.begin(), astrali_.end(), o);
  while (o < fine) {
    const int64_t passo = astrale != astrali_.end() && *astrale == o ? 2 : 1;
    // A position inside a surrogate pair stands before the character.
    if (unita + passo > p.carattere) break;
    unita += passo;
    if (passo == 2) ++astrale;
    ++o;
  }
  return o;
}

size_t testo_editor::a_utf8(const posizione& p) const {
  const size_t b = a_byte(p);
  const size_t r =
      static_cast<size_t>(std::upper_bound(righe_.begin(), righe_.end(), b) - righe_.begin()) - 1;
  size_t u = righe_utf8_[r];
  for (size_t k = righe_[r]; k < b && u < utf8_.size(); ++k) {
    size_t i = u;
    decodifica(utf8_, i);
    u = i;
  }
  return u;
}

void testo_editor::modifica(const posizione& da, const posizione& a, std::string_view nuovo) {
  size_t i = a_utf8(da), f = a_utf8(a);
  if (f < i) std::swap(i, f);
  utf8_.replace(i, f - i, nuovo);
  ricostruisci();
}

std::string da_latin1(std::string_view byte) {
  std::string s;
  s.reserve(byte.size());
  for (char ch : byte) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      s += ch;
    } else {
      s += static_cast<char>(0xC0 | (c >> 6));
      s += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return s;
}

std::string nome_carattere(char32_t c) {
  char b[16];
  std::snprintf(b, sizeof b, "U+%04X", static_cast<unsigned>(c));
  return b;
}

}  // namespace autori::lsp
