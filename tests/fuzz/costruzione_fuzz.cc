// Arbitrary bytes through the whole build, in memory. The bytes before the
// first NUL are the line description and those up to a second NUL the train
// description (none at all when there is no NUL). A third part that begins
// with '0' builds without the plan; every other input builds it, as the
// program does.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "files/archivio.h"
#include "files/nomi_file.h"
#include "model/costruzione.h"
#include "output/scrittori.h"
#include "run/memorizza_percorso.h"

namespace {
// Every code the build can record.
const std::set<int32_t> codici = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10,  11,  12, 13,
                                  15, 16, 17, 18, 19, 20, 21, 22, 24, 25, 101, 102, 103};
// The codes with which the compilers can leave before the cells exist.
const std::set<int32_t> codici_senza_percorso = {1, 3, 4, 5, 25, 101, 102};

[[noreturn]] void guasto(const char* perche, const std::string& dettaglio = {}) {
  std::fprintf(stderr, "broken invariant: %s %s\n", perche, dettaglio.c_str());
  std::abort();
}

void verifica_file(archivio_memoria& m, const costruzione& c) {
  if (m.esiste(nomi::descrizione_linea(c))) guasto("the line description is still there");
  if (!m.esiste(nomi::percorso_dat(c)) || !m.esiste(nomi::tabella_sim(c)))
    guasto("a scenario file is missing");
  if (m.esiste(nomi::linea_dat(c)) != (c.genera_tracciato != 0)) guasto("plan file against genera_tracciato");
  if (m.leggi(nomi::percorso_dat(c)).size() != c.percorso.size() * byte_cella) guasto("track file size");
  if (c.percorso.size() < 2) guasto("fewer than two cells");
  size_t atteso = 0;
  for (const riga_scenario& r : c.tabella_scenario)
    atteso += byte_riga_senza_nome + std::min<size_t>(r.nome.size(), 0xFFFF);
  if (m.leggi(nomi::tabella_sim(c)).size() != atteso) guasto("table file size");
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dati, size_t n) {
  const std::string_view tutto(reinterpret_cast<const char*>(dati), n);
  const size_t a = tutto.find('\0');
  const std::string_view linea = tutto.substr(0, a);
  std::string_view treno;
  int32_t genera = 1;
  if (a != std::string_view::npos) {
    treno = tutto.substr(a + 1);
    const size_t b = treno.find('\0');
    if (b != std::string_view::npos) {
      genera = treno.substr(b + 1).starts_with('0') ? 0 : 1;
      treno = treno.substr(0, b);
    }
  }

  archivio_memoria m;
  costruzione c("cartella", "Valmora2", "1552");
  c.archivio_file = &m;
  m.sostituisci(nomi::descrizione_linea(c), linea);
  if (a != std::string_view::npos) m.sostituisci(nomi::descrizione_treno(c), treno);

  const esito_costruzione e = memorizza_percorso(c, genera);
  if (!e.fatale.empty()) {
    if (m.esiste(nomi::percorso_dat(c)) || m.esiste(nomi::tabella_sim(c))) guasto("files after a fatal stop");
    if (e.fatale == "1250" || e.fatale == "1251") return 0;
    if (c.percorso_esiste()) guasto("a fatal stop with the cells in place", e.fatale);
    if (e.fatale != std::to_string(c.codice_errore) || !codici_senza_percorso.contains(c.codice_errore))
      guasto("a fatal stop with an unexpected code", e.fatale);
    return 0;
  }
  if (!codici.contains(c.codice_errore)) guasto("unknown code", std::to_string(c.codice_errore));
  verifica_file(m, c);
  return 0;
}
