#include "app/avvio.h"

#include "documents/documenti.h"

esito_costruzione esegui_avvio(const std::filesystem::path& cartella, const std::string& identificativo,
                               const std::string& numero_treno) {
  costruzione c(cartella, identificativo, numero_treno);
  dati_linea(c);
  dati_treno(c);
  dati_note(c);
  dati_rallentamenti(c);
  dati_scheda(c);
  return memorizza_percorso(c, 1);
}

std::string testo_errore(const std::string& a) { return " Errore n. " + a; }
