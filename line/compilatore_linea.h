// The line compiler, first half of memorizza_dati: general data, chainage
// sections, gradients, the plan of the route, tunnels, indicators and signs.
#pragma once

#include <string>

#include "model/costruzione.h"
#include "model/esito.h"

// Reads the line description and deletes it, on its error exit too. The
// train half may follow only when the line half was read (letto). A file
// that cannot be read or deleted leaves as std::system_error.
fine_compilatore compila_linea(costruzione& c);

// Orders chainage rows 81 to 83 by start position (or by difference).
void progressive_ordina(costruzione& c);

// Curvature per metre of a curve keyword; 0 when it holds no digit 1 to 6.
double curvatura(const std::string& parola);
