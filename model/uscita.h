// Control flow shared by the two compilers.
#pragma once

#include <cstdint>

// A compiler's own error exit: the description is closed and deleted and
// memorizza_dati is left with this code.
struct uscita_errore {
  int32_t codice;
};
