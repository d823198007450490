// The train compiler, second half of memorizza_dati: general train data,
// adhesion, stations, signals, code cuts, speed limits and slowdowns.
#pragma once

#include "model/costruzione.h"
#include "model/esito.h"

// Reads the train description and deletes it, on its error exit too. A file
// that cannot be read or deleted leaves as std::system_error.
fine_compilatore compila_treno(costruzione& c);
