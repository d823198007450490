// A whole build of the route of the maximum length as a process of its own,
// as the program runs the shipped scenario: the two descriptions are written
// into DIR, read back and deleted, and the three scenario files are written.
// With --descrizioni it only writes the two descriptions, for the baseline.
// Usage: banco_percorso DIR [--descrizioni]
#include <cstdio>
#include <exception>
#include <string_view>
#include <system_error>

#include "app/avvio.h"
#include "files/archivio.h"
#include "files/nomi_file.h"
#include "percorso_massimo.h"

int main(int argc, char** argv) {
  const bool solo_descrizioni = argc == 3 && std::string_view(argv[2]) == "--descrizioni";
  if (argc != 2 && !solo_descrizioni) {
    std::fprintf(stderr, "usage: banco_percorso DIR [--descrizioni]\n");
    return 64;
  }
  try {
    costruzione c(argv[1], identificativo_scenario, numero_treno_scenario);
    sostituisci_file(nomi::descrizione_linea(c), linea_massima());
    sostituisci_file(nomi::descrizione_treno(c), treno_massimo());
    if (solo_descrizioni) return 0;
    if (const esito_costruzione e = memorizza_percorso(c, 1); !e.fatale.empty()) {
      std::fprintf(stderr, " Errore n. %s\n", e.fatale.c_str());
      return 1;
    }
    if (c.codice_errore != 0) {
      std::fprintf(stderr, "codice_errore %d at %d\n", c.codice_errore, c.posizione_errore);
      return 2;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
