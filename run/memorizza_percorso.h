// The build of a scenario, from the two descriptions in its folder to the
// three scenario files.
#pragma once

#include <cstdint>
#include <string>

#include "model/costruzione.h"

struct esito_costruzione {
  int32_t codice_errore = 0;
  int32_t posizione_errore = 0;
  // When not empty the build must end through errore with this text, and no
  // scenario file was written.
  std::string fatale;
};

// The whole build; j becomes genera_tracciato. A failure of the file system
// while the scenario files are written leaves as std::system_error.
[[nodiscard]] esito_costruzione memorizza_percorso(costruzione& c, int32_t j);

// The two compilers alone, as the build runs them: the outcome is in
// codice_errore.
void memorizza_dati(costruzione& c);
