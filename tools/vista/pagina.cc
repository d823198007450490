#include "pagina.h"

#include <string_view>

#include "pagina_incorporata.h"

namespace autori::vista {

namespace {

void sostituisci(std::string& s, std::string_view segnaposto, std::string_view con) {
  const size_t i = s.find(segnaposto);
  if (i != std::string::npos) s.replace(i, segnaposto.size(), con);
}

}  // namespace

std::string json_per_pagina(const json& dati) {
  const std::string j = dati.dump(-1, ' ', false, json::error_handler_t::replace);
  // "</" is "<\/" in JSON too, and no "</script" can end the element early.
  std::string s;
  s.reserve(j.size() + 64);
  for (size_t i = 0; i < j.size(); ++i) {
    s += j[i];
    if (j[i] == '<' && i + 1 < j.size() && j[i + 1] == '/') s += '\\';
  }
  return s;
}

std::string pagina(const json& dati, bool in_diretta) { return pagina(json_per_pagina(dati), in_diretta); }

std::string pagina(const std::string& dati_per_pagina, bool in_diretta) {
  std::string s(pagina_html);
  // The script goes in last: the data it replaces could hold a placeholder.
  sostituisci(s, "/*STILE*/", pagina_css);
  sostituisci(s, "\"DIRETTA\"", in_diretta ? "true" : "false");
  const size_t d = s.find("/*DATI*/");
  const size_t c = s.find("/*CODICE*/");
  if (d == std::string::npos || c == std::string::npos || c < d) return s;
  return s.substr(0, d) + dati_per_pagina + s.substr(d + 8, c - d - 8) + std::string(pagina_js) +
         s.substr(c + 10);
}

}  // namespace autori::vista
