// A seeded maker of valid line and train descriptions for the round-trip and
// diff tests: every record kind, values across their ranges.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace prova {

struct scenario_generato {
  std::vector<std::string> generale;
  std::vector<std::string> linea;  // the line's records after [generale]
  std::vector<std::string> treno;  // the train's records after [generale]
  std::string testo_linea() const;
  std::string testo_treno() const;
};

// The same seed gives the same scenario. Routes are short unless lunga.
scenario_generato genera(uint32_t seme, bool lunga = false);

}  // namespace prova
