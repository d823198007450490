// The train compiler, second half of memorizza_dati: general train data,
// adhesion, stations, signals, code cuts, speed limits and slowdowns.
#pragma once

#include "model/costruzione.h"

// Reads and deletes the train description. Faults of the reader and of the
// file system leave as exceptions for memorizza_dati to record as code 25.
void compila_treno(costruzione& c);
