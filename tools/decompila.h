// autori decompile: from the three scenario files back to a line and a train
// description that build them again, byte for byte.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/scenario.h"

namespace autori {

// The bytes of one scenario's files; the plan may be missing.
struct file_scenario {
  std::optional<std::string> piano;
  std::string tabella;
  std::string celle;
};

// The three files a build of two descriptions writes, in memory; a fatal stop
// or a recorded code is in codice (files are missing after a fatal stop).
struct ricompilato {
  file_scenario file;
  int32_t codice = 0;
  bool fatale = false;
};
struct decompilazione {
  // Set when the files cannot be read as a scenario at all; nothing else is.
  std::string rifiuto;
  std::string linea;
  std::string treno;
  bool con_piano = false;
  // One line per cell, row or metre the descriptions do not give back, in
  // the author's words, prefixed with the file's name.
  std::vector<std::string> differenze;
  // What the descriptions build: the proof the differences come from.
  file_scenario ricostruiti;
};

// A curve record as the plan holds it: its class signed, + right, - left.
struct curva_piano {
  int64_t inizio;
  int64_t lunghezza;
  int classe;
};
std::vector<curva_piano> curve_del_piano(const tracciato_t& piano);

ricompilato ricompila(const std::string& linea, const std::string& treno, const std::string& identificativo,
                      const std::string& numero_treno, bool con_piano);

// The identity names the files in the messages and keys the recompile;
// empty takes the one the table holds.
decompilazione decompila(const file_scenario& f, std::string identificativo = {},
                         std::string numero_treno = {});

}  // namespace autori
