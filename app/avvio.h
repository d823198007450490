// The run the program makes once started: the five documents, then the build.
#pragma once

#include <filesystem>
#include <string>

#include "run/memorizza_percorso.h"

inline constexpr const char* identificativo_scenario = "Valmora2";
inline constexpr const char* numero_treno_scenario = "1552";
inline constexpr const char* testo_attesa = "Attendere";

// Writes the documents and builds the scenario in cartella; a fatal stop is
// in the result's fatale. A failure of the file system leaves as
// std::system_error.
esito_costruzione esegui_avvio(const std::filesystem::path& cartella, const std::string& identificativo,
                               const std::string& numero_treno);

// The text errore shows: " Errore n. " followed by the argument as it stands.
std::string testo_errore(const std::string& a);
