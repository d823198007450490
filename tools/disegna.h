// autori plot: the scenario files as read for a picture, and the two
// pictures drawn from them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
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

// One scenario file a picture is drawn from: its name for the messages and
// its bytes, none when the file is not given.
struct ingresso_disegno {
  std::string nome;
  std::optional<std::string> byte;
};
// Decodes and checks the files as plot does; on a refusal, the file at fault
// and what is wrong with it.
std::optional<std::pair<std::string, std::string>> componi_scenario(scenario_letto& s,
                                                                    const ingresso_disegno& piano,
                                                                    const ingresso_disegno& celle,
                                                                    const ingresso_disegno& tabella);

// The route's length: the table knows it; the plan runs 7000 m beyond it.
std::optional<int64_t> lunghezza_percorso(const scenario_letto& s);

struct stazione_da_disegnare {
  int64_t metro;
  std::string nome;  // 8-bit, as in the table
  bool con_cella;    // a stopping point; the others are only listed
  int riga = -1;     // the table row, when there is a table
};
// From the table rows when there is a table, else from the station cells.
std::vector<stazione_da_disegnare> stazioni(const scenario_letto& s);

// Where --from and --to may lie: 0 to the route's end, or to the cells' end
// when nothing gives the route's length.
double limite_tratto(const scenario_letto& s);

// A run of cells of one tunnel type, from cell `prima` to before `dopo`.
struct galleria {
  size_t prima;
  size_t dopo;
  int tipo;
};
std::vector<galleria> gallerie(const std::vector<cella>& celle);

// A slowdown runs from its start to the next end; the cells' end when none follows.
size_t fine_rallentamento(const std::vector<cella>& celle, size_t inizio);

// A run of metres that turn by the same radius, rounded to the metre:
// positive to the right (towards larger x), negative to the left.
struct curva {
  int64_t da;
  int64_t a;
  int64_t raggio;
};
// From the plan; none without one.
std::vector<curva> curve(const scenario_letto& s);

std::string disegna_piano(const scenario_letto& s);
std::string disegna_profilo(const scenario_letto& s);

}  // namespace autori
