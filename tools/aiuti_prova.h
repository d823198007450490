// Helpers of the tool's tests: those of the core's tests, and a way to run
// the built tool.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tests/aiuti.h"

namespace prova {

using cartella = ::cartella_temporanea;
using ::leggi;
using ::righe_crlf;
using ::scrivi;

struct uscita {
  int stato;
  std::string out;
  std::string err;
};
// Runs the built tool with these arguments.
uscita autori(const std::vector<std::string>& argomenti);

}  // namespace prova
