// autori diff: two scenarios compared in the author's terms.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "decompila.h"

namespace autori {

// One object added, removed or changed, with its position and the fields
// that differ.
struct differenza {
  std::string genere;  // "station", "signal", ...
  std::string dove;    // "station AREZZO", "signal at 3900 m"
  std::string cambio;  // "added", "removed", "changed"
  struct campo {
    std::string nome, prima, dopo;
  };
  std::vector<campo> campi;
  std::string riga() const;
};

struct confronto {
  std::string rifiuto;  // the files of one side cannot be read as a scenario
  std::vector<differenza> oggetti;
  // The largest distance between the two routes' points at the same metre.
  std::optional<double> scarto_piano;
  int64_t metro_scarto = 0;
  std::string piano_solo;  // one side has a plan, the other none
  std::vector<std::string> righe_tabella;
  bool uguali() const {
    return oggetti.empty() && (!scarto_piano || *scarto_piano == 0.0) && piano_solo.empty() &&
           righe_tabella.empty();
  }
};

confronto confronta_scenari(const file_scenario& a, const file_scenario& b);

}  // namespace autori
