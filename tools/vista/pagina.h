// The page of autori view: one HTML file with its style, its script and the
// scenario's data inside, which opens from file:// with no network.
#pragma once

#include <string>

#include "scena.h"

namespace autori::vista {

// `in_diretta`: served by autori serve, the page follows the server's events.
std::string pagina(const json& dati, bool in_diretta);
// The same from the data already made by json_per_pagina.
std::string pagina(const std::string& dati_per_pagina, bool in_diretta);

// The data as it stands inside a script element: JSON that never closes it.
std::string json_per_pagina(const json& dati);

}  // namespace autori::vista
