#include "lsp/cornice.h"

#include <algorithm>

namespace autori::lsp {

namespace {

std::string_view spogliato(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

std::optional<cornice> lettore_cornici::intestazioni() {
  const size_t fine = dati_.find("\r\n\r\n", pos_);
  if (fine == std::string::npos) {
    if (dati_.size() - pos_ <= massimo_intestazioni) return std::nullopt;
    pos_ = dati_.size();
    return cornice{false, {}, "a header longer than 8192 bytes without the blank line that ends it"};
  }
  const std::string_view blocco(dati_.data() + pos_, fine - pos_);
  pos_ = fine + 4;
  std::optional<size_t> lunghezza;
  for (size_t i = 0; i <= blocco.size();) {
    const size_t j = std::min(blocco.find("\r\n", i), blocco.size());
    const std::string_view riga = blocco.substr(i, j - i);
    i = j + 2;
    // Bytes left over from a body shorter than its length end up before the
    // next header's name: the last name on the line is what counts.
    std::string basso(riga);
    for (char& c : basso)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    const size_t nome = basso.rfind("content-length");
    if (nome == std::string::npos) continue;
    const size_t due_punti = nome + std::string_view("content-length").size();
    if (spogliato(riga.substr(due_punti)).substr(0, 1) != ":") continue;
    const std::string_view valore = spogliato(spogliato(riga.substr(due_punti)).substr(1));
    if (valore.empty() || valore.size() > 12 ||
        valore.find_first_not_of("0123456789") != std::string_view::npos)
      return cornice{
          false,
          {},
          "Content-Length is not a number of bytes: \"" + std::string(valore.substr(0, 40)) + "\""};
    size_t n = 0;
    for (char c : valore) n = n * 10 + static_cast<size_t>(c - '0');
    if (n > massimo_corpo)
      return cornice{false,
                     {},
                     "Content-Length " + std::string(valore) + " is above the largest message taken, " +
                         std::to_string(massimo_corpo) + " bytes"};
    lunghezza = n;
  }
  if (!lunghezza) return cornice{false, {}, "a message without a Content-Length header"};
  attesa_ = lunghezza;
  return std::nullopt;
}

std::optional<cornice> lettore_cornici::prossima() {
  if (pos_ > (size_t{1} << 20) && pos_ * 2 > dati_.size()) {
    dati_.erase(0, pos_);
    pos_ = 0;
  }
  if (!attesa_) {
    std::optional<cornice> e = intestazioni();
    if (e || !attesa_) return e;
  }
  if (dati_.size() - pos_ < *attesa_) return std::nullopt;
  cornice c{true, dati_.substr(pos_, *attesa_), {}};
  pos_ += *attesa_;
  attesa_.reset();
  return c;
}

std::string incornicia(std::string_view corpo) {
  return "Content-Length: " + std::to_string(corpo.size()) + "\r\n\r\n" + std::string(corpo);
}

}  // namespace autori::lsp
