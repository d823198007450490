// The scenario as the page of autori view and autori serve shows it: every
// object once, with its place, its cell, inspect's words and its source line.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "disegna.h"
#include "provenienza.h"
#include "verifica.h"

namespace autori::vista {

using json = nlohmann::ordered_json;

// The two descriptions a scenario was built from, with the names they go by.
struct descrizioni {
  std::string nome_linea;
  std::string nome_treno;
  std::string linea;
  std::string treno;
};

// What a page needs: the plan in a compact form, the cells' profile and
// words, the objects, and, from descriptions, the sources and findings.
json scena(const scenario_letto& s, const descrizioni* d, const provenienza* fonti,
           const std::vector<reperto>* reperti);

// A scenario read for a page, or why it cannot be: the message already says
// which file and what is wrong.
struct lettura {
  std::optional<std::string> errore;
  json dati;
};

// The three files of folder `cartella`; the identity from its one .sim file
// unless given.
lettura da_cartella(const std::string& cartella, const std::string& identificativo,
                    const std::string& numero_treno);

// The two descriptions built in memory, as compile builds them, with each
// cell's source and check's findings.
lettura da_descrizioni(const std::string& file_linea, const std::string& file_treno,
                       const std::string& identificativo, const std::string& numero_treno);

}  // namespace autori::vista
