// autori decompile: the descriptions it writes build the same files again,
// and what no description can give is named by cell, row or metre.
#include "decompila.h"

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "aiuti_prova.h"
#include "app/avvio.h"
#include "documents/documenti.h"
#include "generatore.h"
#include "output/decodifica.h"
#include "output/scrittori.h"

namespace {

using autori::decompila;
using autori::file_scenario;
using autori::ricompila;

std::string linea_spedita() { return componi_documento(righe_linea()); }
std::string treno_spedito() { return componi_documento(righe_treno()); }

int conta(const std::string& testo, const std::string& parola) {
  int k = 0;
  for (size_t p = testo.find(parola); p != std::string::npos; p = testo.find(parola, p + 1)) ++k;
  return k;
}

// The round trip: decompile, recompile with the same identity, compare bytes.
void andata_e_ritorno(const file_scenario& f, bool con_piano, const std::string& nome) {
  const autori::decompilazione d = decompila(f);
  ASSERT_TRUE(d.rifiuto.empty()) << nome << ": " << d.rifiuto;
  EXPECT_EQ(d.con_piano, con_piano) << nome;
  for (const std::string& s : d.differenze) ADD_FAILURE() << nome << ": " << s;
  const autori::ricompilato r = ricompila(d.linea, d.treno, identificativo_scenario, numero_treno_scenario, con_piano);
  EXPECT_EQ(r.codice, 0) << nome;
  EXPECT_EQ(r.file.piano.has_value(), f.piano.has_value()) << nome;
  if (f.piano && r.file.piano) {
    EXPECT_TRUE(*r.file.piano == *f.piano) << nome << ": plan";
  }
  EXPECT_TRUE(r.file.tabella == f.tabella) << nome << ": table";
  EXPECT_TRUE(r.file.celle == f.celle) << nome << ": cells";
}

autori::ricompilato spedito(bool con_piano = true) {
  return ricompila(linea_spedita(), treno_spedito(), identificativo_scenario, numero_treno_scenario, con_piano);
}

TEST(Decompila, LoScenarioSpeditoTornaUgualeConESenzaPiano) {
  for (bool piano : {true, false}) {
    const autori::ricompilato s = spedito(piano);
    ASSERT_EQ(s.codice, 0);
    andata_e_ritorno(s.file, piano, piano ? "shipped" : "shipped, no plan");
  }
}

TEST(Decompila, IlTrenoNonPortaIPuntiCodiceDellaPassata) {
  // The pass adds code points to the cells for the slowdowns; the train keeps
  // no more code cuts than the generator wrote, though the cells hold more.
  int in_piu = 0;
  for (uint32_t seme = 1; seme <= 60; ++seme) {
    const prova::scenario_generato g = prova::genera(seme);
    const autori::ricompilato s =
        ricompila(g.testo_linea(), g.testo_treno(), identificativo_scenario, numero_treno_scenario, false);
    if (s.fatale || s.codice != 0) continue;
    int scritti = 0;
    for (const std::string& r : g.treno) scritti += conta(r, "abbattimento codice");
    int punti = 0;
    for (const cella& c : decodifica_percorso(s.file.celle).valore) punti += c.tipo == 12 || c.tipo == 13 ? 1 : 0;
    const autori::decompilazione d = decompila(s.file);
    EXPECT_LE(conta(d.treno, "abbattimento codice"), scritti) << "seed " << seme;
    in_piu += punti - scritti;
  }
  EXPECT_GT(in_piu, 0);
}

TEST(Decompila, ScenariGeneratiTornanoUguali) {
  int puliti = 0;
  for (uint32_t seme = 1; seme <= 300; ++seme) {
    const prova::scenario_generato g = prova::genera(seme, seme % 100 == 0);
    const bool piano = seme % 7 != 0;
    const autori::ricompilato s =
        ricompila(g.testo_linea(), g.testo_treno(), identificativo_scenario, numero_treno_scenario, piano);
    if (s.fatale || s.codice != 0) continue;
    ++puliti;
    andata_e_ritorno(s.file, piano, "seed " + std::to_string(seme));
  }
  // The generator is for clean builds: most of its scenarios must be.
  EXPECT_GE(puliti, 200);
  std::cout << puliti << " generated scenarios round-tripped\n";
}

std::string leggi_tutto(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(Decompila, LeCoppieGoldenPuliteTornanoUguali) {
  const std::filesystem::path golden = VALMORA_GOLDEN;
  const auto m = nlohmann::json::parse(leggi_tutto(golden / "manifest.json"));
  int pulite = 0;
  for (const auto& e : m) {
    if (e.at("exit_status").get<int>() != 0) continue;
    const std::string nome = e.at("name").get<std::string>();
    const autori::ricompilato s = ricompila(leggi_tutto(golden / nome / "linea.txt"),
                                            leggi_tutto(golden / nome / "treno.txt"), identificativo_scenario,
                                            numero_treno_scenario, true);
    ASSERT_EQ(s.codice, 0) << nome;
    ++pulite;
    andata_e_ritorno(s.file, true, nome);
  }
  EXPECT_GT(pulite, 0);
}

}  // namespace
