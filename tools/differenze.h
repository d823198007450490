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
  std::string cambio;  // "added", "removed", "changed", "moved"
  // A moved object: what it is ("signal") and from where to where, in metres.
  std::string oggetto;
  int64_t da = 0, a = 0;
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
  // The first metre whose points differ, and how far apart the last common
  // metre lies; the curve records of the plans that differ.
  std::optional<int64_t> metro_separazione;
  double scarto_fine = 0.0;
  int64_t metro_fine = 0;
  std::vector<differenza> curve;
  std::string piano_solo;  // one side has a plan, the other none
  std::vector<std::string> righe_tabella;
  bool uguali() const {
    return oggetti.empty() && (!scarto_piano || *scarto_piano == 0.0) && piano_solo.empty() &&
           righe_tabella.empty();
  }
};

// An object removed and one of the same kind and values added at most this
// far from it are one object moved.
inline constexpr int64_t finestra_spostamento = 1000;

confronto confronta_scenari(const file_scenario& a, const file_scenario& b);

}  // namespace autori
