// Time and peak memory of whole builds: the shipped scenario as the program
// runs it, and a route of the maximum length. Run one benchmark per process
// (see misura.sh) so that the peak resident size belongs to that benchmark.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <filesystem>
#include <random>
#include <string>
#include <string_view>

#include "app/avvio.h"
#include "files/archivio.h"
#include "files/nomi_file.h"
#include "output/scrittori.h"
#include "percorso_massimo.h"
#include "run/memorizza_percorso.h"

namespace {

std::filesystem::path cartella_nuova() {
  std::random_device rd;
  auto p = std::filesystem::temp_directory_path() / ("valmora-banco-" + std::to_string(rd()));
  std::filesystem::create_directories(p);
  return p;
}

void picco_memoria(benchmark::State& stato) {
  rusage uso{};
  getrusage(RUSAGE_SELF, &uso);
  stato.counters["picco_MiB"] = static_cast<double>(uso.ru_maxrss) / 1024.0;
}

void scenario_spedito(benchmark::State& stato) {
  const auto dir = cartella_nuova();
  for (auto _ : stato) {
    auto e = esegui_avvio(dir, identificativo_scenario, numero_treno_scenario);
    benchmark::DoNotOptimize(e);
  }
  std::filesystem::remove_all(dir);
  picco_memoria(stato);
}
BENCHMARK(scenario_spedito)->Unit(benchmark::kMillisecond);

void percorso_massimo(benchmark::State& stato) {
  const auto dir = cartella_nuova();
  const std::string linea = linea_massima();
  const std::string treno = treno_massimo();
  for (auto _ : stato) {
    costruzione c(dir, identificativo_scenario, numero_treno_scenario);
    sostituisci_file(nomi::descrizione_linea(c), linea);
    sostituisci_file(nomi::descrizione_treno(c), treno);
    (void)memorizza_percorso(c, 1);
    if (c.codice_errore != 0)
      stato.SkipWithError(
          ("codice_errore " + std::to_string(c.codice_errore) + " at " + std::to_string(c.posizione_errore))
              .c_str());
  }
  std::filesystem::remove_all(dir);
  picco_memoria(stato);
}
BENCHMARK(percorso_massimo)->Unit(benchmark::kMillisecond);

// The plan of that route alone, metre by metre as the line compiler fills
// it, up to the bytes of its file.
void tracciato_massimo(benchmark::State& stato) {
  const int32_t ultimo = 1007000;
  for (auto _ : stato) {
    tracciato_t t;
    t.crea(ultimo);
    for (int32_t m = 0; m <= 1; ++m)
      for (int comp = 0; comp < 2; ++comp) t.assegna(m, comp, {specie_elemento::intero, m * comp * 1.0});
    for (int32_t m = 2; m <= ultimo - 2; ++m)
      for (int comp = 0; comp < 2; ++comp) t.assegna(m, comp, {specie_elemento::reale, m * 0.5});
    std::string_view file = t.file();
    benchmark::DoNotOptimize(file.data());
  }
  picco_memoria(stato);
}
BENCHMARK(tracciato_massimo)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
