// The protocol's framing: "Content-Length: N" headers, a blank line, then N
// bytes of JSON. The reader takes bytes as they come and hands back whole
// bodies, or what was wrong with a header.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace autori::lsp {

struct cornice {
  bool valida;
  std::string corpo;   // the JSON text, when valid
  std::string errore;  // what was wrong, when not
};

class lettore_cornici {
 public:
  // A header block longer than this with no blank line is given up.
  static constexpr size_t massimo_intestazioni = 8192;
  // The longest body taken; a description of the longest route is far less.
  static constexpr size_t massimo_corpo = size_t{256} << 20;

  void aggiungi(std::string_view dati) { dati_.append(dati); }
  // The next whole message, or none until more bytes come.
  std::optional<cornice> prossima();

 private:
  std::optional<cornice> intestazioni();

  std::string dati_;
  size_t pos_ = 0;
  std::optional<size_t> attesa_;  // the body's length, once its headers are read
};

std::string incornicia(std::string_view corpo);

}  // namespace autori::lsp
