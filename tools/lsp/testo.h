// A description as the editor holds it (Unicode, positions in UTF-16 code
// units) and as the build reads it (one byte a character, Latin-1).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace autori::lsp {

// 0-based line and UTF-16 column, as the protocol counts them.
struct posizione {
  int64_t riga = 0;
  int64_t carattere = 0;
};

// Stands in the bytes for a character that no byte holds.
inline constexpr char segnaposto = '?';

class testo_editor {
 public:
  explicit testo_editor(std::string utf8 = {});

  const std::string& utf8() const { return utf8_; }
  const std::string& byte() const { return byte_; }

  // Replaces the text between two positions (an edit of the protocol).
  void modifica(const posizione& da, const posizione& a, std::string_view nuovo);

  posizione di_byte(size_t offset) const;
  // A position past its line's end stands for the line's end, one past the
  // last line for the text's end.
  size_t a_byte(const posizione& p) const;

  struct non_memorizzabile {
    size_t offset;  // in the bytes, where the placeholder stands
    char32_t carattere;
  };
  const std::vector<non_memorizzabile>& non_memorizzabili() const { return fuori_; }

  // Where each line begins, in the bytes.
  const std::vector<size_t>& righe() const { return righe_; }
  size_t fine_riga(size_t riga) const;  // before its line end

 private:
  void ricostruisci();
  size_t a_utf8(const posizione& p) const;

  std::string utf8_, byte_;
  std::vector<size_t> righe_;       // in the bytes
  std::vector<size_t> righe_utf8_;  // the same lines in the editor's text
  std::vector<size_t> astrali_;     // byte offsets of characters of two UTF-16 units
  std::vector<non_memorizzabile> fuori_;
};

// Bytes as an editor shows a Latin-1 file.
std::string da_latin1(std::string_view byte);

// "U+20AC"
std::string nome_carattere(char32_t c);

}  // namespace autori::lsp
