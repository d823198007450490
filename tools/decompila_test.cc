// autori decompile: the descriptions it writes build the same files again,
// and what no description can give is named by cell, row or metre.
#include "decompila.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
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
  // The recompile decompile made, checked here against the bytes themselves.
  const file_scenario& r = d.ricostruiti;
  EXPECT_EQ(r.piano.has_value(), f.piano.has_value()) << nome;
  if (f.piano && r.piano) {
    EXPECT_TRUE(*r.piano == *f.piano) << nome << ": plan";
  }
  EXPECT_TRUE(r.tabella == f.tabella) << nome << ": table";
  EXPECT_TRUE(r.celle == f.celle) << nome << ": cells";
}

autori::ricompilato spedito(bool con_piano = true) {
  return ricompila(linea_spedita(), treno_spedito(), identificativo_scenario, numero_treno_scenario,
                   con_piano);
}

TEST(Decompila, LoScenarioSpeditoTornaUgualeConESenzaPiano) {
  for (bool piano : {true, false}) {
    const autori::ricompilato s = spedito(piano);
    ASSERT_EQ(s.codice, 0);
    andata_e_ritorno(s.file, piano, piano ? "shipped" : "shipped, no plan");
  }
}

// A description as an author reads it: from "[generale]" on, each record
// (blanks around commas dropped, comment lines left out) under its header.
struct riga_letta {
  std::string sezione;
  std::string record;
};
std::vector<riga_letta> leggi_record(const std::string& testo) {
  std::vector<riga_letta> out;
  std::string sezione;
  std::istringstream in(testo);
  for (std::string r; std::getline(in, r);) {
    if (!r.empty() && r.back() == '\r') r.pop_back();
    std::string s;
    for (size_t i = 0; i < r.size(); ++i) {
      if (r[i] == ',') {
        while (!s.empty() && s.back() == ' ') s.pop_back();
        s += ',';
        while (i + 1 < r.size() && r[i + 1] == ' ') ++i;
      } else if (r[i] != ' ' || (!s.empty() && s.back() != ' ')) {
        s += r[i];
      }
    }
    while (!s.empty() && s.back() == ' ') s.pop_back();
    if (s.empty() || s[0] == '-') continue;
    if (s[0] == '[') {
      sezione = s;
      continue;
    }
    if (!sezione.empty()) out.push_back({sezione, s});
  }
  return out;
}
std::vector<std::string> sezioni_di(const std::string& testo) {
  std::vector<std::string> out;
  std::istringstream in(testo);
  for (std::string r; std::getline(in, r);) {
    const size_t a = r.find_first_not_of(' ');
    if (a != std::string::npos && r[a] == '[') out.push_back(r.substr(a, r.find(']') - a + 1));
  }
  return out;
}
std::vector<std::string> in_sezione(const std::vector<riga_letta>& v, const std::string& sezione) {
  std::vector<std::string> out;
  for (const riga_letta& r : v)
    if (r.sezione == sezione) out.push_back(r.record);
  return out;
}
// The record's kind: its keyword field, with the spellings the build takes
// alike made one.
std::string specie(const std::string& record) {
  std::string k = record.substr(0, record.find(','));
  for (const char* p : {"velocita", "curva", "cartello", "progressiva", "sfondo", "ripetizione"})
    if (k.rfind(p, 0) == 0) return p;
  return k;
}

// The shipped documents come back as written: the same sections in the same
// order, each record under its kind's header, the stations, signals, code
// cuts, adhesions and chainage sections record for record.
TEST(Decompila, LoScenarioSpeditoTornaComeScritto) {
  const autori::ricompilato s = spedito(true);
  ASSERT_EQ(s.codice, 0);
  const autori::decompilazione d = decompila(s.file);
  for (const auto& [scritto, ritorno] :
       {std::pair{linea_spedita(), d.linea}, std::pair{treno_spedito(), d.treno}}) {
    EXPECT_EQ(sezioni_di(ritorno), sezioni_di(scritto));
    const std::vector<riga_letta> a = leggi_record(scritto), b = leggi_record(ritorno);
    std::map<std::string, std::set<std::string>> dove;
    for (const riga_letta& r : a) dove[specie(r.record)].insert(r.sezione);
    for (const riga_letta& r : b)
      EXPECT_TRUE(dove[specie(r.record)].contains(r.sezione)) << r.sezione << ": " << r.record;
    for (const char* sezione : {"[stazioni]", "[segnali]", "[codici]", "[aderenze]"})
      EXPECT_EQ(in_sezione(b, sezione), in_sezione(a, sezione)) << sezione;
    std::vector<std::string> progressive_a, progressive_b;
    for (const std::string& r : in_sezione(a, "[generale]"))
      if (specie(r) == "progressiva") progressive_a.push_back(r);
    for (const std::string& r : in_sezione(b, "[generale]"))
      if (specie(r) == "progressiva") progressive_b.push_back(r);
    EXPECT_EQ(progressive_b, progressive_a);
  }
  // Both end as the shipped ones do: a last line after "[fine]" that the
  // build reads to, and no other.
  EXPECT_TRUE(d.linea.ends_with("\r\n[fine]\r\n                \r\n"));
  EXPECT_TRUE(d.treno.ends_with("\r\n\r\n     [fine]\r\n"));
}

// Only the chainage sections that change a byte come back, named from 'uno';
// code cuts in position order, whatever order they were written in.
TEST(Decompila, SoloLeProgressiveCheContanoECodiciInOrdine) {
  struct caso {
    std::vector<std::string> generale;
    std::vector<std::string> attese;
  };
  const std::vector<caso> casi = {
      {{"lunghezza percorso, 10000", "progressiva chilometrica uno, 1000, 50, 0"},
       {"progressiva chilometrica uno,1000,50,0"}},
      // Named 'tre' alone, it is one section all the same.
      {{"lunghezza percorso, 10000", "progressiva chilometrica tre, 1000, 50, 1"},
       {"progressiva chilometrica uno,1000,50,1"}},
      // The later start is read first, as 'uno'.
      {{"lunghezza percorso, 10000", "progressiva chilometrica due, 2000, 100, 0",
        "progressiva chilometrica tre, 6000, -50, 0"},
       {"progressiva chilometrica uno,6000,-50,0", "progressiva chilometrica due,2000,100,0"}},
      {{"lunghezza percorso, 10000"}, {}},
  };
  for (const caso& k : casi) {
    std::vector<std::string> linea = prova::linea_generale(k.generale);
    linea.insert(linea.end(), {"[pendenze]", "pendenza, 500, 2", "[fine]", "                "});
    const std::vector<std::string> treno =
        prova::treno_con({"abbattimento codice, 7000, 270", "abbattimento codice, 3000, 0",
                          "abbattimento codice, 5000, 180", "[fine]", "  "});
    const autori::ricompilato s = ricompila(prova::righe_crlf(linea), prova::righe_crlf(treno),
                                            identificativo_scenario, numero_treno_scenario, false);
    ASSERT_EQ(s.codice, 0);
    andata_e_ritorno(s.file, false, k.generale.back());
    const autori::decompilazione d = decompila(s.file);
    std::vector<std::string> progressive;
    for (const std::string& r : in_sezione(leggi_record(d.linea), "[generale]"))
      if (specie(r) == "progressiva") progressive.push_back(r);
    EXPECT_EQ(progressive, k.attese) << d.linea;
    EXPECT_EQ(in_sezione(leggi_record(d.treno), "[codici]"),
              (std::vector<std::string>{"abbattimento codice,3000,0", "abbattimento codice,5000,180",
                                        "abbattimento codice,7000,270"}))
        << d.treno;
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
    for (const cella& c : decodifica_percorso(s.file.celle).valore)
      punti += c.tipo == 12 || c.tipo == 13 ? 1 : 0;
    const autori::decompilazione d = decompila(s.file);
    EXPECT_LE(conta(d.treno, "abbattimento codice"), scritti) << "seed " << seme;
    in_piu += punti - scritti;
  }
  EXPECT_GT(in_piu, 0);
}

TEST(Decompila, ScenariGeneratiTornanoUguali) {
  int puliti = 0;
  // Two routes of up to the maximum length; the rest short, for time.
  for (uint32_t seme = 1; seme <= 240; ++seme) {
    const prova::scenario_generato g = prova::genera(seme, seme % 120 == 0);
    const bool piano = seme % 7 != 0;
    const autori::ricompilato s =
        ricompila(g.testo_linea(), g.testo_treno(), identificativo_scenario, numero_treno_scenario, piano);
    if (s.fatale || s.codice != 0) continue;
    ++puliti;
    andata_e_ritorno(s.file, piano, "seed " + std::to_string(seme));
  }
  // The generator is for clean builds: most of its scenarios must be.
  EXPECT_GE(puliti, 180);
  std::cout << puliti << " generated scenarios round-tripped\n";
}

std::string leggi_tutto(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The route length the line description's key gives; 0 when it has none.
int64_t lunghezza_di(const std::string& linea) {
  const size_t p = linea.find("lunghezza percorso");
  if (p == std::string::npos) return 0;
  const size_t v = linea.find(',', p);
  return v == std::string::npos ? 0 : std::atoll(linea.c_str() + v + 1);
}

TEST(Decompila, LeCoppieGoldenPuliteTornanoUguali) {
  const std::filesystem::path golden = VALMORA_GOLDEN;
  const auto m = nlohmann::json::parse(leggi_tutto(golden / "manifest.json"));
  int pulite = 0;
  for (const auto& e : m) {
    if (e.at("exit_status").get<int>() != 0) continue;
    const std::string nome = e.at("name").get<std::string>();
    const std::string linea = leggi_tutto(golden / nome / "linea.txt");
    // Routes up to 100 km: the longer ones cost most of the time and add
    // nothing the generated routes of the maximum length do not.
    if (lunghezza_di(linea) > 100000) continue;
    const autori::ricompilato s = ricompila(linea, leggi_tutto(golden / nome / "treno.txt"),
                                            identificativo_scenario, numero_treno_scenario, true);
    ASSERT_EQ(s.codice, 0) << nome;
    ++pulite;
    andata_e_ritorno(s.file, true, nome);
  }
  EXPECT_GT(pulite, 50);
  std::cout << pulite << " clean golden pairs round-tripped\n";
}

}  // namespace

namespace {

std::string con_cella(std::string celle, size_t indice, uint8_t tipo) {
  celle[indice * byte_cella] = static_cast<char>(tipo);
  return celle;
}

bool nomina(const autori::decompilazione& d, const std::string& testo) {
  for (const std::string& s : d.differenze)
    if (s.find(testo) != std::string::npos) return true;
  return false;
}

TEST(Decompila, CioCheNessunaDescrizioneDaVieneNominato) {
  const autori::ricompilato s = spedito();
  // Cell 812 lies on open track in the shipped route: a kind no record writes.
  file_scenario f = s.file;
  f.celle = con_cella(f.celle, 812, 7);
  autori::decompilazione d = decompila(f);
  EXPECT_TRUE(d.rifiuto.empty());
  EXPECT_TRUE(nomina(d, "Valmora2_1552.dat: cell 812: tipo is 7 in the file")) << d.differenze.front();

  // A plan that stops half way: from metre M / 2 on every element is empty.
  auto piano = decodifica_tracciato(*s.file.piano).valore;
  const int32_t meta = piano.ultimo_metro() / 2;
  ASSERT_EQ(piano.at(meta, 0).specie, specie_elemento::reale);
  // Built afresh in metre order, as a plan is filled.
  tracciato_t tronco;
  tronco.crea(piano.ultimo_metro());
  for (int k = 0; k < 2; ++k)
    for (int32_t m = 0; m < meta; ++m) tronco.assegna(m, k, piano.at(m, k));
  f = s.file;
  f.piano = codifica_tracciato(tronco);
  d = decompila(f);
  EXPECT_TRUE(d.rifiuto.empty());
  ASSERT_FALSE(d.differenze.empty());
  EXPECT_EQ(
      d.differenze.front().rfind("Valmora2_linea.dat: metre " + std::to_string(meta) + ": x is empty", 0), 0u)
      << d.differenze.front();
}

TEST(Decompila, UnaCostruzioneConCodiceTornaUgualeOppureDiceDove) {
  // Whatever decompile cannot report must rebuild byte for byte.
  const std::filesystem::path golden = VALMORA_GOLDEN;
  const auto m = nlohmann::json::parse(leggi_tutto(golden / "manifest.json"));
  int nominate = 0;
  for (const auto& e : m) {
    if (e.at("exit_status").get<int>() != 2) continue;
    const std::string nome = e.at("name").get<std::string>();
    const autori::ricompilato s =
        ricompila(leggi_tutto(golden / nome / "linea.txt"), leggi_tutto(golden / nome / "treno.txt"),
                  identificativo_scenario, numero_treno_scenario, true);
    ASSERT_NE(s.codice, 0) << nome;
    // Short routes are variety enough; the long ones only cost time.
    if (s.file.celle.size() > 8000 * byte_cella) continue;
    const autori::decompilazione d = decompila(s.file);
    if (!d.rifiuto.empty()) continue;
    const bool uguali = d.ricostruiti.celle == s.file.celle && d.ricostruiti.tabella == s.file.tabella &&
                        d.ricostruiti.piano == s.file.piano;
    // Other bytes are always reported; so is a rebuild that records the code
    // again, with the same bytes.
    EXPECT_TRUE(!d.differenze.empty() || uguali) << nome;
    nominate += d.differenze.empty() ? 0 : 1;
  }
  EXPECT_GT(nominate, 0);
}

TEST(Decompila, FileCheNonSonoDiUnoScenarioSonoRifiutati) {
  const autori::ricompilato s = spedito();
  struct caso {
    const char* cosa;
    file_scenario f;
    const char* messaggio;
  };
  file_scenario corto = s.file;
  corto.celle.pop_back();
  file_scenario meno_celle = s.file;
  meno_celle.celle.resize(meno_celle.celle.size() - byte_cella);
  file_scenario piano_corto = s.file;
  {
    auto p = decodifica_tracciato(*s.file.piano).valore;
    tracciato_t q;
    q.crea(p.ultimo_metro() - 1);
    piano_corto.piano = codifica_tracciato(q);
  }
  file_scenario tabella_lunga = s.file;
  tabella_lunga.tabella += "x";
  // 5541 cells of 15 bytes, less one byte: 83114 bytes.
  const std::vector<caso> casi = {
      {"cells cut short", corto, "Valmora2_1552.dat: 83114 bytes is not a whole number of 15-byte cells"},
      {"a cell fewer", meno_celle, "Valmora2_1552.dat: 5540 cells, but the route length of 270000 m"},
      {"a metre fewer", piano_corto, "Valmora2_linea.dat: metres 0 to 276999, but the route length"},
      {"table with a byte over", tabella_lunga, "Valmora2_1552.sim: 1 bytes follow the 87 rows"},
  };
  for (const caso& c : casi) {
    const autori::decompilazione d = decompila(c.f, identificativo_scenario, numero_treno_scenario);
    EXPECT_EQ(d.rifiuto.rfind(c.messaggio, 0), 0u) << c.cosa << ": " << d.rifiuto;
    EXPECT_TRUE(d.linea.empty()) << c.cosa;
  }
}

TEST(Decompila, IlComandoScriveLeDescrizioniCheLaBuildLegge) {
  prova::cartella dir;
  ASSERT_TRUE(esegui_avvio(dir.percorso(), identificativo_scenario, numero_treno_scenario).fatale.empty());
  const auto u = prova::autori({"decompile", dir.percorso().string(), "--out", (dir / "fuori").string()});
  EXPECT_EQ(u.stato, 0) << u.err;
  EXPECT_EQ(u.err, "");
  // The host's line ends, and CR LF when asked.
  const auto crlf =
      prova::autori({"decompile", dir.percorso().string(), "--out", (dir / "crlf").string(), "--crlf"});
  EXPECT_EQ(crlf.stato, 0) << crlf.err;
  for (const char* nome : {"Valmora2_linea.txt", "Valmora2_1552-.txt"}) {
    const std::string lf = prova::leggi(dir / "fuori" / nome), cr = prova::leggi(dir / "crlf" / nome);
    EXPECT_EQ(lf.find('\r'), std::string::npos) << nome;
    EXPECT_EQ(conta(cr, "\r\n"), conta(cr, "\n")) << nome;
    EXPECT_EQ(conta(cr, "\r\n"), conta(lf, "\n")) << nome;
  }
  const auto c =
      prova::autori({"compile", (dir / "fuori" / "Valmora2_linea.txt").string(),
                     (dir / "fuori" / "Valmora2_1552-.txt").string(), "--out", (dir / "di_nuovo").string()});
  EXPECT_EQ(c.stato, 0) << c.err;
  for (const char* nome : {"Valmora2_linea.dat", "Valmora2_1552.sim", "Valmora2_1552.dat"})
    EXPECT_TRUE(prova::leggi(dir / nome) == prova::leggi(dir / "di_nuovo" / nome)) << nome;

  // Without the plan no curve is written, and the build without one agrees.
  std::filesystem::remove(dir / "Valmora2_linea.dat");
  prova::scrivi(dir / "Valmora2_1552.dat", con_cella(prova::leggi(dir / "Valmora2_1552.dat"), 812, 7));
  const auto v = prova::autori({"decompile", dir.percorso().string(), "--out", (dir / "senza").string()});
  EXPECT_EQ(v.stato, 2);
  EXPECT_NE(v.err.find("Valmora2_1552.dat: cell 812: tipo is 7 in the file"), std::string::npos) << v.err;
  EXPECT_EQ(prova::leggi(dir / "senza" / "Valmora2_linea.txt").find("curva"), std::string::npos);

  prova::scrivi(dir / "Valmora2_1552.dat", "12345");
  const auto w = prova::autori({"decompile", dir.percorso().string(), "--out", (dir / "rotto").string()});
  EXPECT_EQ(w.stato, 1);
  EXPECT_NE(w.err.find("Valmora2_1552.dat: 5 bytes is not a whole number"), std::string::npos) << w.err;
}

}  // namespace

namespace {

TEST(Decompila, CelleACasoNonLoFannoCadere) {
  // Any bytes of the right size decompile to something, and what they do not
  // give back is reported: the table of a short generated route, cells of
  // random bytes with the kinds records write.
  const prova::scenario_generato g = prova::genera(7);
  const autori::ricompilato s =
      ricompila(g.testo_linea(), g.testo_treno(), identificativo_scenario, numero_treno_scenario, false);
  ASSERT_FALSE(s.fatale);
  uint32_t stato = 12345;
  auto caso = [&] {
    stato = stato * 1103515245u + 12345u;
    return static_cast<uint8_t>(stato >> 16);
  };
  for (int giro = 0; giro < 5; ++giro) {
    file_scenario f = s.file;
    for (size_t i = 0; i < f.celle.size(); ++i) {
      const bool oggetto = i % byte_cella == 0;
      // Mostly the kinds of objects, so that every reader of them runs.
      f.celle[i] =
          static_cast<char>(oggetto ? std::array<uint8_t, 8>{0, 1, 2, 3, 4, 5, 6, 14}[caso() % 8] : caso());
    }
    const autori::decompilazione d = decompila(f);
    EXPECT_TRUE(d.rifiuto.empty()) << d.rifiuto;
    EXPECT_FALSE(d.differenze.empty());
  }
}

}  // namespace
