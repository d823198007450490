// How long autori lsp takes from a change to its diagnostics: one edit of
// the protocol applied, the pair checked, the diagnostics made into JSON.
// The server runs in this process; the pipes an editor adds are not counted.
#include <benchmark/benchmark.h>

#include <string>

#include "documents/documenti.h"
#include "lsp/server.h"
#include "lsp/testo.h"
#include "percorso_massimo.h"

namespace {

using autori::lsp::json;

json apertura(const std::string& uri, const std::string& testo) {
  return {{"jsonrpc", "2.0"},
          {"method", "textDocument/didOpen"},
          {"params",
           {{"textDocument", {{"uri", uri}, {"languageId", "valmora"}, {"version", 1}, {"text", testo}}}}}};
}

// Opens the pair, then times each change: the digit at (riga, colonna) of
// the line description, written 0 to 9 in turn, until its diagnostics are out.
void latenza(benchmark::State& stato, const std::string& linea, const std::string& treno, int riga,
             int colonna) {
  size_t pubblicate = 0;
  autori::lsp::server s([&](const json& m) {
    if (m.value("method", "") == "textDocument/publishDiagnostics") ++pubblicate;
  });
  s.ricevi(R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{}})");
  const std::string uri_linea = "file:///banco/Prova_linea.txt", uri_treno = "file:///banco/Prova_1-.txt";
  s.ricevi(apertura(uri_linea, autori::lsp::da_latin1(linea)).dump());
  s.ricevi(apertura(uri_treno, autori::lsp::da_latin1(treno)).dump());
  s.verifica_in_sospeso();
  int versione = 1;
  for (auto _ : stato) {
    const json cambio = {
        {"jsonrpc", "2.0"},
        {"method", "textDocument/didChange"},
        {"params",
         {{"textDocument", {{"uri", uri_linea}, {"version", ++versione}}},
          {"contentChanges", json::array({{{"range",
                                            {{"start", {{"line", riga}, {"character", colonna}}},
                                             {"end", {{"line", riga}, {"character", colonna + 1}}}}},
                                           {"text", std::to_string(versione % 10)}}})}}}};
    const size_t prima = pubblicate;
    s.ricevi(cambio.dump());
    s.verifica_in_sospeso();
    if (pubblicate == prima) stato.SkipWithError("no diagnostics published");
  }
}

// The shipped pair; line 48 (0-based 47) is "pendenza,  950,   -11": the
// gradient's last digit changes.
void coppia_spedita(benchmark::State& stato) {
  latenza(stato, componi_documento(righe_linea()), componi_documento(righe_treno()), 47, 20);
}

// A route of 1,000,000 m; line 4 (0-based 3) is "pendenza, 0, -10".
void percorso_massimo(benchmark::State& stato) { latenza(stato, linea_massima(), treno_massimo(), 3, 15); }

// The same route with a "[pendenze]" header after its length, which ends
// the general section there: its gradients, curves and tunnels are then
// read and the plan drawn metre by metre. Line 5 (0-based 4) is "pendenza, 0, -10".
void percorso_massimo_con_sezioni(benchmark::State& stato) {
  std::string linea = linea_massima();
  const std::string lunghezza = "lunghezza percorso, 1000000\r\n";
  linea.insert(linea.find(lunghezza) + lunghezza.size(), "[pendenze]\r\n");
  latenza(stato, linea, treno_massimo(), 4, 15);
}

}  // namespace

BENCHMARK(coppia_spedita)->Unit(benchmark::kMillisecond);
BENCHMARK(percorso_massimo)->Unit(benchmark::kMillisecond);
BENCHMARK(percorso_massimo_con_sezioni)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
