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
// A word for the shell, between single quotes.
std::string citato_shell(const std::string& s);
// Runs the built tool with these arguments.
uscita autori(const std::vector<std::string>& argomenti);
// inspect's text with each line that begins with blanks joined to the one
// before with one blank: every entry on one line. Fails the test when a
// line is wider than 100 columns.
std::string righe_unite(const std::string& testo);

// Fixture descriptions, as lines. Line: preamble, "[generale]", the length of
// a 10000 m route (N = round(17000 / 50) = 340), "[pendenze]", one gradient,
// then the records from line 6 on.
std::vector<std::string> linea_con(const std::vector<std::string>& record);
// A line whose general section holds exactly these keys, from line 3 on.
std::vector<std::string> linea_generale(const std::vector<std::string>& chiavi);
// Train: preamble, "[generale]", then the records from line 3 on.
std::vector<std::string> treno_con(const std::vector<std::string>& record);
// A signal of kind 1 on both sides at p metres, in cell round(p/50 + 1).
std::string segnale(int p);
// 78 signs, at 100 m to 7800 m: they leave the station rows no room.
std::vector<std::string> settantotto_cartelli();

}  // namespace prova
