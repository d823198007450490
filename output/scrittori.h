// The three scenario files. Each is the image of one model variable, its
// records laid out as model/campi.h describes them, with no header:
//
// _linea.dat  the plan: the x element of every metre 0..M, then every y
//             element.
// .sim        the 87 rows of tabella_scenario, row 0 first.
// .dat        every cella of percorso, cell 0 first.
#pragma once

#include <string>
#include <vector>

#include "model/campi.h"
#include "model/costruzione.h"

// A copy of the plan's bytes; the writer sends them without one.
std::string codifica_tracciato(const tracciato_t& t);
std::string codifica_tabella(const tabella& t);
std::string codifica_percorso(const std::vector<cella>& p);

void codifica_cella(std::string& s, const cella& c);
void codifica_riga(std::string& s, const riga_scenario& r);

// Writes the plan (when genera_tracciato is set), the table and the cells.
void scrivi_file_scenario(costruzione& c);
