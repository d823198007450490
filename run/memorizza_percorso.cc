// A build, in the order it runs: a clean state, the line half, the train
// half, the code-25 tail, the finishing pass, the final block, the writers.
#include "run/memorizza_percorso.h"

#include <exception>

#include "files/archivio.h"
#include "files/nomi_file.h"
#include "line/compilatore_linea.h"
#include "model/dominio.h"
#include "output/finitura.h"
#include "output/scrittori.h"
#include "train/compilatore_treno.h"

namespace {
// A run-time fault while the descriptions were read: everything stored before
// it stays, and both descriptions go.
void coda_errore(costruzione& c) {
  for (const auto& nome : {nomi::descrizione_linea(c), nomi::descrizione_treno(c)}) {
    try {
      if (archivio_di(c).esiste(nome)) archivio_di(c).elimina(nome);
    } catch (const std::exception&) {
    }
  }
  c.codice_errore = 25;
}

esito_costruzione esito(const costruzione& c, std::string fatale = {}) {
  return {c.codice_errore, c.posizione_errore, std::move(fatale)};
}
}  // namespace

void memorizza_dati(costruzione& c) {
  c.tabella_scenario[riga_identita].nome = c.identificativo;
  c.tabella_scenario[riga_treno].nome = c.numero_treno;
  if (!archivio_di(c).esiste(nomi::descrizione_linea(c))) {
    c.registra(101);
    return;
  }
  fine_compilatore fine;
  try {
    fine = compila_linea(c);
    // After the line half's own error exit the train description stays unread.
    if (fine == fine_compilatore::letto) fine = compila_treno(c);
  } catch (const std::exception&) {
    // A file that cannot be read or deleted points at no record.
    c.documento_errore = 0;
    c.offset_errore = 0;
    fine = fine_compilatore::guasto;
  }
  if (fine == fine_compilatore::guasto) coda_errore(c);
}

esito_costruzione memorizza_percorso(costruzione& c, int32_t j) {
  c.genera_tracciato = j;
  c.codice_errore = 0;
  c.posizione_errore = 0;
  c.documento_errore = 0;
  c.offset_errore = 0;
  c.tabella_scenario = tabella{};

  memorizza_dati(c);
  // The compilers left before the route length: nothing to finish or write.
  if (!c.percorso_esiste()) return esito(c, std::to_string(c.codice_errore));

  passata_finale(c);
  if (const int32_t fatale = blocco_finale(c); fatale != 0) return esito(c, std::to_string(fatale));

  scrivi_file_scenario(c);
  return esito(c);
}
