// The run the program makes once started: the five documents, then the build.
#pragma once

#include <filesystem>
#include <string>

#include "model/costruzione.h"

inline constexpr const char* identificativo_scenario = "Valmora2";
inline constexpr const char* numero_treno_scenario = "1552";
inline constexpr const char* testo_attesa = "Attendere";

struct esito_costruzione {
  int32_t codice_errore = 0;
  int32_t posizione_errore = 0;
};

// Writes the documents and builds the scenario in cartella. Throws arresto for
// a fatal stop and std::system_error when the file system fails.
esito_costruzione esegui_avvio(const std::filesystem::path& cartella, const std::string& identificativo,
                               const std::string& numero_treno);

// The text errore shows: " Errore n. " followed by the argument as it stands.
std::string testo_errore(const std::string& a);
