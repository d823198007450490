// What inspect says of one cell or one table row, for a page that shows it
// beside the picture.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "model/scenario.h"

namespace autori {

struct parole_inspect {
  std::string testo;              // the meaning, clauses joined by "; "
  nlohmann::ordered_json chiavi;  // the same by name, as --json gives it
};

// Without the source clause: a page shows the source on its own.
parole_inspect parole_cella(const std::vector<cella>& celle, const tabella* tab, int64_t i);
parole_inspect parole_riga(const tabella& t, int64_t i);
// "name=value" for every field, in file order.
std::string campi_in_testo(const cella& c);
std::string campi_in_testo(const riga_scenario& r);

}  // namespace autori
