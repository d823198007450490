// The build object: the whole model and the state that the build steps share.
// The core knows no window: a host drives it with a folder and the two
// identity strings.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "files/archivio.h"
#include "files/nomi_file.h"
#include "model/dominio.h"
#include "model/osservatore.h"
#include "model/scenario.h"

struct costruzione : identita {
  costruzione(std::filesystem::path cartella_, std::string identificativo_, std::string numero_treno_)
      : identita{std::move(cartella_), std::move(identificativo_), std::move(numero_treno_)} {}

  // Where the build's files live; none means the disk.
  archivio* archivio_file = nullptr;
  // Told what the compilers do; none in the product.
  osservatore_costruzione* osservatore = nullptr;

  int32_t genera_tracciato = 0;
  int32_t codice_errore = 0;
  int32_t posizione_errore = 0;

  // Empty until the route length is read.
  std::vector<cella> percorso;
  tabella tabella_scenario{};
  tracciato_t tracciato;

  // The last text field read, shared by both compilers.
  std::string token;

  // The lowest row taken by sign texts (80 minus their number); stations stop
  // below it.
  int32_t segno_cartelli = riga_primo_cartello;

  // Where the record that caused the recorded code begins, for diagnostics:
  // 0 none, 1 line description, 2 train description; byte offset in it.
  int32_t documento_errore = 0;
  size_t offset_errore = 0;

  bool percorso_esiste() const { return !percorso.empty(); }
  int64_t ultimo_indice() const { return static_cast<int64_t>(percorso.size()) - 1; }
  // True when (p + margin) / 50 lies beyond the last cell.
  bool oltre_percorso(int64_t p, int64_t margine) const {
    return static_cast<double>(p + margine) / 50.0 > static_cast<double>(ultimo_indice());
  }
  // A code recorded here names no record; a compiler that has one says so after.
  void registra(int32_t codice) {
    codice_errore = codice;
    documento_errore = 0;
    offset_errore = 0;
  }
  void registra(int32_t codice, int32_t posizione) {
    registra(codice);
    posizione_errore = posizione;
  }
};

// The build's own files, or the disk when it names none.
inline archivio& archivio_di(const costruzione& c) {
  return c.archivio_file != nullptr ? *c.archivio_file : archivio_disco();
}
