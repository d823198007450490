// autori plot: the scenario files as read for a picture, and the two
// pictures drawn from them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/scenario.h"

namespace autori {

// What the command line gave, decoded and checked against each other.
struct scenario_letto {
  std::optional<tracciato_t> piano;
  std::optional<std::vector<cella>> celle;
  std::optional<tabella> righe;
  std::string nome_file;  // of the main input, for the title
  // The stretch to draw, in metres; the whole picture when absent.
  std::optional<double> da;
  std::optional<double> a;
};

// The route's length: the table knows it; the plan runs 7000 m beyond it.
std::optional<int64_t> lunghezza_percorso(const scenario_letto& s);

struct stazione_da_disegnare {
  int64_t metro;
  std::string nome;  // 8-bit, as in the table
  bool con_cella;    // a stopping point; the others are only listed
};
// From the table rows when there is a table, else from the station cells.
std::vector<stazione_da_disegnare> stazioni(const scenario_letto& s);

// Where --from and --to may lie: 0 to the route's end, or to the cells' end
// when nothing gives the route's length.
double limite_tratto(const scenario_letto& s);

std::string disegna_piano(const scenario_letto& s);
std::string disegna_profilo(const scenario_letto& s);

}  // namespace autori
