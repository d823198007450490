// The line compiler, first half of memorizza_dati: general data, chainage
// sections, gradients, the plan of the route, tunnels, indicators and signs.
#pragma once

#include "model/costruzione.h"

// Reads the line description and then, unless the line half stopped on an
// error of its own, the train description. Outcome only in codice_errore.
void memorizza_dati(costruzione& c);

// Orders chainage rows 81 to 83 by start position (or by difference).
void progressive_ordina(costruzione& c);

// Curvature per metre of a curve keyword; 0 when it holds no digit 1 to 6.
double curvatura(const std::string& parola);
