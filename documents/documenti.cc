#include "documents/documenti.h"

#include <vector>

#include "files/archivio.h"
#include "files/nomi_file.h"

std::string componi_documento(std::span<const std::string_view> righe) {
  // The storage is filled first and the sentinel stands after the last line,
  // so a document never runs past its 1000 lines.
  std::vector<std::string_view> memoria(capienza_documento);
  size_t n = std::min(righe.size(), capienza_documento - 1);
  for (size_t i = 0; i < n; ++i) memoria[i] = righe[i];
  memoria[n] = sentinella;

  std::string testo;
  for (size_t i = 0; i < memoria.size() && memoria[i] != sentinella; ++i) {
    testo += memoria[i];
    testo += "\r\n";
  }
  return testo;
}

void dati_linea(const costruzione& c) {
  archivio_di(c).sostituisci(nomi::descrizione_linea(c), componi_documento(righe_linea()));
}
void dati_treno(const costruzione& c) {
  archivio_di(c).sostituisci(nomi::descrizione_treno(c), componi_documento(righe_treno()));
}
void dati_note(const costruzione& c) {
  archivio_di(c).sostituisci(nomi::note(c), componi_documento(righe_note()));
}
void dati_rallentamenti(const costruzione& c) {
  archivio_di(c).sostituisci(nomi::rallentamenti(c), componi_documento(righe_rallentamenti()));
}
void dati_scheda(const costruzione& c) {
  archivio_di(c).sostituisci(nomi::scheda_treno(c), componi_documento(righe_scheda()));
}
