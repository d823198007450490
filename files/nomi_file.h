// Names of every file the run writes, reads or deletes, built afresh at each use
// from the folder and the two identity strings.
#pragma once

#include <filesystem>
#include <string>

// Where a build's files live and the two strings that name them.
struct identita {
  std::filesystem::path cartella;
  std::string identificativo;
  std::string numero_treno;
};

namespace nomi {
std::filesystem::path descrizione_linea(const identita& c);
std::filesystem::path descrizione_treno(const identita& c);
std::filesystem::path note(const identita& c);
std::filesystem::path rallentamenti(const identita& c);
std::filesystem::path scheda_treno(const identita& c);
std::filesystem::path linea_dat(const identita& c);
std::filesystem::path tabella_sim(const identita& c);
std::filesystem::path percorso_dat(const identita& c);
}  // namespace nomi
