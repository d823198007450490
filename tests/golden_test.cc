// The golden builds: description pairs whose outcome and file digests were
// checked independently of this product. Every pair is built in memory, with
// the identity the program uses, and must give exactly the recorded outcome.
#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>

#include "files/archivio.h"
#include "files/nomi_file.h"
#include "run/memorizza_percorso.h"

namespace {

const std::filesystem::path cartella_golden = VALMORA_GOLDEN;

struct caso_golden {
  std::string nome;
  int stato_uscita = 0;
  std::optional<int32_t> codice;
  std::optional<int32_t> posizione;
  std::optional<std::string> fatale;
  std::map<std::string, std::string> sha256;
};

std::string leggi_tutto(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<caso_golden> carica_manifesto() {
  std::vector<caso_golden> casi;
  auto m = nlohmann::json::parse(leggi_tutto(cartella_golden / "manifest.json"));
  for (const auto& e : m) {
    caso_golden c;
    c.nome = e.at("name").get<std::string>();
    c.stato_uscita = e.at("exit_status").get<int>();
    if (!e.at("code").is_null()) c.codice = e.at("code").get<int32_t>();
    if (!e.at("position").is_null()) c.posizione = e.at("position").get<int32_t>();
    if (!e.at("fatal").is_null()) c.fatale = e.at("fatal").get<std::string>();
    for (const auto& [nome, digest] : e.at("sha256").items()) c.sha256[nome] = digest.get<std::string>();
    casi.push_back(std::move(c));
  }
  return casi;
}

std::string sha256_esadecimale(const std::string& dati) {
  unsigned char md[EVP_MAX_MD_SIZE];
  unsigned int n = 0;
  EVP_Digest(dati.data(), dati.size(), md, &n, EVP_sha256(), nullptr);
  static const char cifre[] = "0123456789abcdef";
  std::string s;
  for (unsigned int i = 0; i < n; ++i) {
    s += cifre[md[i] >> 4];
    s += cifre[md[i] & 15];
  }
  return s;
}

void PrintTo(const caso_golden& g, std::ostream* os) { *os << g.nome; }

class Golden : public ::testing::TestWithParam<caso_golden> {};

TEST_P(Golden, BuildGivesTheRecordedOutcomeAndBytes) {
  const caso_golden& g = GetParam();
  archivio_memoria mem;
  costruzione c("scenario", "Valmora2", "1552");
  c.archivio_file = &mem;
  mem.sostituisci(nomi::descrizione_linea(c), leggi_tutto(cartella_golden / g.nome / "linea.txt"));
  mem.sostituisci(nomi::descrizione_treno(c), leggi_tutto(cartella_golden / g.nome / "treno.txt"));

  const esito_costruzione e = memorizza_percorso(c, 1);
  const std::optional<std::string> fatale = e.fatale.empty() ? std::nullopt : std::optional(e.fatale);

  EXPECT_EQ(fatale, g.fatale);
  // The program's exit status: 1 for a fatal stop, 2 for a recorded code.
  int stato = fatale ? 1 : (c.codice_errore != 0 ? 2 : 0);
  EXPECT_EQ(stato, g.stato_uscita);
  if (g.codice) {
    EXPECT_EQ(c.codice_errore, *g.codice);
  }
  if (g.posizione) {
    EXPECT_EQ(c.posizione_errore, *g.posizione);
  }

  const std::map<std::string, std::filesystem::path> scritti = {
      {"Valmora2_linea.dat", nomi::linea_dat(c)},
      {"Valmora2_1552.sim", nomi::tabella_sim(c)},
      {"Valmora2_1552.dat", nomi::percorso_dat(c)},
  };
  for (const auto& [nome, percorso] : scritti) {
    auto atteso = g.sha256.find(nome);
    bool presente = mem.esiste(percorso);
    if (atteso == g.sha256.end()) {
      EXPECT_FALSE(presente) << nome << " was written but no build should write it";
    } else {
      ASSERT_TRUE(presente) << nome << " was not written";
      EXPECT_EQ(sha256_esadecimale(mem.leggi(percorso)), atteso->second) << nome;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Manifest, Golden, ::testing::ValuesIn(carica_manifesto()),
                         [](const auto& info) { return info.param.nome; });

}  // namespace
