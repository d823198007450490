// Names of every file the run writes, reads or deletes, built afresh at each use
// from the folder and the two identity strings.
#pragma once

#include <filesystem>
#include <string>

#include "model/costruzione.h"

namespace nomi {
std::filesystem::path descrizione_linea(const costruzione& c);
std::filesystem::path descrizione_treno(const costruzione& c);
std::filesystem::path note(const costruzione& c);
std::filesystem::path rallentamenti(const costruzione& c);
std::filesystem::path scheda_treno(const costruzione& c);
std::filesystem::path linea_dat(const costruzione& c);
std::filesystem::path tabella_sim(const costruzione& c);
std::filesystem::path percorso_dat(const costruzione& c);
}  // namespace nomi
