// Time and peak memory of whole builds: the shipped scenario as the program
// runs it, and a route of the maximum length. Run one benchmark per process
// (see misura.sh) so that the peak resident size belongs to that benchmark.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <filesystem>
#include <random>
#include <string>

#include "app/avvio.h"
#include "app/file.h"
#include "app/nomi_file.h"
#include "output/finitura.h"
#include "output/scrittori.h"

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

// A 1,000,000 m route with a record of each kind every few kilometres.
std::string linea_massima() {
  std::string s = "percorso di prova\r\n[generale]\r\nlunghezza percorso, 1000000\r\n";
  for (int p = 0; p < 1000000; p += 1000)
    s += "pendenza, " + std::to_string(p) + ", " + std::to_string(p / 1000 % 21 - 10) + "\r\n";
  for (int p = 500; p < 1000000; p += 5000)
    s += std::string(p / 5000 % 2 ? "curvad" : "curvas") + std::to_string(p / 5000 % 6 + 1) + ", " +
         std::to_string(p) + ", 1500\r\n";
  for (int i = 0; i < 80; ++i)
    s += "montagna, " + std::to_string(10000 + i * 12000) + ", " + std::to_string(14000 + i * 12000) +
         ", 11\r\n";
  s += "[fine]\r\n                \r\n";
  return s;
}

std::string treno_massimo() {
  std::string s = "treno di prova\r\n[generale]\r\naderenza, 0, 80\r\nvelocita, 0, 200\r\n";
  for (int p = 2025; p < 1000000; p += 3000)
    s += "segnale, " + std::to_string(p) + ", 2, 4, 1, 0, 0, 2, 2,0,0, 0\r\n";
  for (int p = 10000; p < 990000; p += 50000)
    s += "rallentamento, " + std::to_string(p) + ", 60, 2100, 0, 1, 0\r\n";
  s += "     [fine]\r\n";
  return s;
}

void percorso_massimo(benchmark::State& stato) {
  const auto dir = cartella_nuova();
  const std::string linea = linea_massima();
  const std::string treno = treno_massimo();
  for (auto _ : stato) {
    costruzione c(dir, identificativo_scenario, numero_treno_scenario);
    sostituisci_file(nomi::descrizione_linea(c), linea);
    sostituisci_file(nomi::descrizione_treno(c), treno);
    memorizza_percorso(c, 1);
    if (c.codice_errore != 0)
      stato.SkipWithError(("codice_errore " + std::to_string(c.codice_errore) + " at " + std::to_string(c.posizione_errore)).c_str());
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
