// autori format: the reference against the build itself, and the page in the
// repository against the reference.
#include "formato.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "aiuti_prova.h"
#include "diagnostica.h"
#include "files/archivio.h"
#include "files/nomi_file.h"
#include "model/costruzione.h"
#include "run/memorizza_percorso.h"

namespace {

using prova::autori;

struct letture : osservatore_costruzione {
  std::map<std::string, std::set<int>> campi;
  void notifica(const evento_costruzione& e) override {
    if (e.specie == evento::campo || e.specie == evento::testo) campi[std::string(e.record)].insert(e.campo);
  }
};

// The record's example line in a description of a 10000 m route (340 cells,
// so every example's position fits), built with the plan.
std::pair<int32_t, std::map<std::string, std::set<int>>> costruisci_esempio(const autori::record_formato& r) {
  std::vector<std::string> linea = prova::linea_con({});
  std::vector<std::string> treno = prova::treno_con({});
  const std::string e(r.esempio);
  if (r.documento == 2)
    treno = prova::treno_con({e});
  else if (r.sezione == "[generale]")
    linea = prova::linea_generale(r.chiave == "lunghezza percorso"
                                      ? std::vector<std::string>{e}
                                      : std::vector<std::string>{"lunghezza percorso, 10000", e});
  else
    linea = prova::linea_con({e});
  letture l;
  archivio_memoria m;
  costruzione c("", "Valmora2", "1552");
  c.archivio_file = &m;
  c.osservatore = &l;
  m.sostituisci(nomi::descrizione_linea(c), prova::righe_crlf(linea));
  m.sostituisci(nomi::descrizione_treno(c), prova::righe_crlf(treno));
  EXPECT_TRUE(memorizza_percorso(c, 1).fatale.empty()) << e;
  return {c.codice_errore, l.campi};
}

TEST(Formato, EveryExampleIsReadAsItsRecordFieldByField) {
  for (const autori::record_formato& r : autori::formato()) {
    const auto [codice, campi] = costruisci_esempio(r);
    EXPECT_EQ(codice, 0) << r.esempio;
    std::set<int> tutti;
    for (size_t i = 1; i <= r.campi.size(); ++i) tutti.insert(static_cast<int>(i));
    ASSERT_TRUE(campi.count(std::string(r.chiave))) << r.esempio << " is not read as " << r.chiave;
    EXPECT_EQ(campi.at(std::string(r.chiave)), tutti) << r.esempio;
  }
}

// A build of fixture descriptions with these records, and the cells its
// records told the listener they took.
struct costruito {
  std::vector<cella> percorso;
  tabella tab;
  std::vector<int64_t> celle;
  int32_t codice;
};
struct posti : osservatore_costruzione {
  std::vector<int64_t> celle;
  void notifica(const evento_costruzione& e) override {
    if (e.specie == evento::cella) celle.push_back(e.memorizzato);
  }
};
costruito costruisci(const std::vector<std::string>& linea, const std::vector<std::string>& treno) {
  posti l;
  archivio_memoria m;
  costruzione c("", "Valmora2", "1552");
  c.archivio_file = &m;
  c.osservatore = &l;
  m.sostituisci(nomi::descrizione_linea(c), prova::righe_crlf(linea));
  m.sostituisci(nomi::descrizione_treno(c), prova::righe_crlf(treno));
  EXPECT_TRUE(memorizza_percorso(c, 1).fatale.empty());
  return {c.percorso, c.tabella_scenario, l.celle, c.codice_errore};
}
costruito costruisci_record(const autori::record_formato& r) {
  const std::string e(r.esempio);
  return r.documento == 2 ? costruisci(prova::linea_con({}), prova::treno_con({e}))
                          : costruisci(prova::linea_con({e}), prova::treno_con({}));
}

// The cell the reference names for each example is the one the build puts
// it in, and the page says so.
TEST(Formato, TheExamplesCellIsWhereTheBuildPutsIt) {
  int regole = 0;
  for (const autori::record_formato& r : autori::formato()) {
    const std::vector<int64_t> k = autori::celle_esempio(r);
    if (r.regola == autori::regola_cella::nessuna) {
      EXPECT_TRUE(k.empty()) << r.chiave;
      continue;
    }
    ++regole;
    ASSERT_FALSE(k.empty()) << r.chiave;
    const costruito c = costruisci_record(r);
    ASSERT_EQ(c.codice, 0) << r.esempio;
    auto cel = [&](int64_t i) { return c.percorso.at(static_cast<size_t>(i)); };
    const std::string chiave(r.chiave);
    if (chiave == "pendenza" || chiave == "velocita" || chiave == "aderenza") {
      // The run's value from cell k on, and the level, no limit or no
      // adhesion before it.
      auto valore = [&](int64_t i) {
        const cella x = cel(i);
        return chiave == "pendenza" ? x.pendenza - 100 : chiave == "velocita" ? x.vel_limite * 5 : x.aderenza;
      };
      const std::string e(r.esempio);
      const int64_t atteso = std::stoll(e.substr(e.rfind(',') + 1));
      EXPECT_EQ(valore(k[0]), atteso) << r.esempio;
      if (k[0] > 0) {
        EXPECT_EQ(valore(k[0] - 1), 0) << r.esempio;
      }
    } else if (chiave == "montagna") {
      EXPECT_EQ(cel(k[0] - 1).galleria, 0);
      EXPECT_NE(cel(k[0]).galleria, 0);
      EXPECT_NE(cel(k[1]).galleria, 0);
      EXPECT_EQ(cel(k[1] + 1).galleria, 0);
    } else if (chiave == "stazione") {
      EXPECT_EQ(c.celle, k);
      EXPECT_EQ(cel(k[0]).tipo, 10);
      for (int64_t j = 1; j <= 4; ++j) EXPECT_EQ(cel(k[0] - j).avviso, 80 + j);
    } else if (chiave == "rallentamento") {
      // Told in the order board, start, end.
      EXPECT_EQ(c.celle, (std::vector<int64_t>{k[1], k[0], k[2]}));
    } else {
      EXPECT_EQ(c.celle, k) << r.esempio;
    }
    // The page's line on cells names each of them.
    const std::string pagina = autori({"format", chiave}).out;
    const size_t a = pagina.find("\nCell");
    ASSERT_NE(a, std::string::npos) << pagina;
    const std::string riga = pagina.substr(a, pagina.find('\n', a + 1) - a);
    for (int64_t x : k)
      EXPECT_NE(riga.find(" " + std::to_string(x) + (chiave == "stazione" ? "," : "")), std::string::npos)
          << riga;
  }
  EXPECT_GE(regole, 9);
}

// Every value a field's explanation names is on its page, and what the page
// says of station types, tunnel types, the chainage flag and signal kinds is
// what the build does.
TEST(Formato, TheValuesExplainedAreWhatTheBuildDoes) {
  for (const autori::record_formato& r : autori::formato()) {
    const std::string pagina = autori({"format", std::string(r.chiave)}).out;
    for (const autori::campo_formato& f : r.campi)
      for (const auto& [v, cosa] : f.valori)
        EXPECT_NE(pagina.find("- `" + std::string(v) + "`: " + std::string(cosa)), std::string::npos)
            << r.chiave << " " << v;
  }
  // A station at 4500 m of 600 m: a centred area ends at 4800 (cell 95); a
  // type 6 at 4500 + 150 = 4650 (cell 92); a type 8 at 4500 + 600 = 5100
  // (cell 101); a type 26 takes none.
  struct stazione {
    int tipo;
    int64_t cella;  // -1 none
    bool segni;
  };
  for (const stazione& k :
       {stazione{2, 95, true}, stazione{6, 92, false}, stazione{8, 101, true}, stazione{26, -1, false}}) {
    const costruito c = costruisci(prova::linea_con({}),
                                   prova::treno_con({"stazione, 4500, " + std::to_string(k.tipo) +
                                                     ", 600, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, X"}));
    ASSERT_EQ(c.codice, 0) << k.tipo;
    int stazioni = 0, segni = 0;
    for (const cella& x : c.percorso) {
      stazioni += x.tipo == 10;
      segni += x.avviso >= 81 && x.avviso <= 84;
    }
    EXPECT_EQ(stazioni, k.cella < 0 ? 0 : 1) << k.tipo;
    if (k.cella >= 0) {
      EXPECT_EQ(c.percorso.at(static_cast<size_t>(k.cella)).tipo, 10) << k.tipo;
    }
    EXPECT_EQ(segni, k.segni ? 4 : 0) << k.tipo;
  }
  // Tunnel from cell 60 to 79: type 11 lights every fourth free cell (63, 67,
  // ... 79: five), type 1 none, and both store 1.
  for (const auto& [tipo, luci] : {std::pair{11, 5}, std::pair{1, 0}}) {
    const costruito c =
        costruisci(prova::linea_con({"montagna, 3000, 4000, " + std::to_string(tipo)}), prova::treno_con({}));
    int n = 0;
    for (const cella& x : c.percorso) n += x.tipo == 11;
    EXPECT_EQ(n, luci) << tipo;
    EXPECT_EQ(c.percorso[60].galleria, 1);
  }
  // Within 150 m of the previous tunnel's end a tunnel becomes type 3.
  const costruito vicine = costruisci(
      prova::linea_con({"montagna, 3000, 4000, 1", "montagna, 4150, 5000, 2"}), prova::treno_con({}));
  EXPECT_EQ(vicine.percorso[84].galleria, 3);
  // Flag 1 adds 100 m to the difference.
  for (const auto& [flag, differenza] : {std::pair{0, 500}, std::pair{1, 600}, std::pair{2, 500}}) {
    const costruito c =
        costruisci(prova::linea_generale({"lunghezza percorso, 10000",
                                          "progressiva chilometrica uno, 1000, 500, " + std::to_string(flag),
                                          "[pendenze]"}),
                   prova::treno_con({}));
    EXPECT_EQ(c.tab[81].fine, differenza) << flag;
  }
  // A signal keeps its time only with a left kind 2 (101 from 1 to 100).
  for (const auto& [sinistra, tempo] : {std::pair{2, 101}, std::pair{1, 0}}) {
    const costruito c = costruisci(
        prova::linea_con({}),
        prova::treno_con({"segnale, 1100, " + std::to_string(sinistra) + ", 4, 1, 0, 0, 2, 2, 0, 0, 30"}));
    EXPECT_EQ(c.percorso[23].tempo, tempo) << sinistra;
  }
}

// The first line of `autori format ARG`, or the exit status when it fails.
std::string titolo(const std::string& argomento) {
  const prova::uscita u = autori({"format", argomento});
  if (u.stato != 0) return "exit " + std::to_string(u.stato);
  return u.out.substr(0, u.out.find('\n'));
}

TEST(Formato, FindsARecordByKeyNameOrTokenAsWritten) {
  const std::vector<std::pair<std::string, std::string>> casi = {
      {"segnale", "### `segnale`: signal"},
      {"signal", "### `segnale`: signal"},
      {"Speed Limit", "### `velocita`: speed limit"},
      {"velocita' limite", "### `velocita`: speed limit"},
      {"CURVAD2", "### `curva`: curve"},
      {"cartello_indicatore", "### `cartello indicatore`: sign"},
      {"indicatori_vmax", "### `indicatori_vmax`: maximum-speed indicator"},
      {"percentuale massa frenata", "### `massa frenata`: braked mass"},
      {"ripetizione segnali 4 codici", "### `ripetizione segnali`: signal repetition"},
      {"codes", "## Codes"},
      {"syntax", "## Fields and lines"},
      {"sections", "## Sections"},
      {"16", "## Codes"},
      {"14", "exit 64"},  // there is no code 14
      {"bogus", "exit 64"},
  };
  for (const auto& [argomento, atteso] : casi) EXPECT_EQ(titolo(argomento), atteso) << argomento;
  // Each example's keyword token, as the build read it above.
  for (const autori::record_formato& r : autori::formato()) {
    const std::string_view e = r.esempio;
    EXPECT_EQ(titolo(std::string(e.substr(0, e.find(',')))),
              "### `" + std::string(r.chiave) + "`: " + std::string(r.nome));
  }
}

TEST(Formato, ARecordsPageNamesEveryFieldInOrderAndACodeItsRemedy) {
  const std::string p = autori({"format", "stazione"}).out;
  size_t dopo = 0;
  const autori::record_formato* s = autori::cerca_record("stazione");
  ASSERT_NE(s, nullptr);
  for (size_t i = 0; i < s->campi.size(); ++i) {
    const std::string riga = "| " + std::to_string(i + 1) + " | " + std::string(s->campi[i].nome) + " |";
    const size_t dove = p.find(riga);
    ASSERT_NE(dove, std::string::npos) << riga;
    EXPECT_GT(dove, dopo);
    dopo = dove;
  }
  EXPECT_NE(p.find("Example: `stazione, 4500, 2, 600,"), std::string::npos) << p;

  const prova::uscita codice = autori({"format", "9"});
  EXPECT_NE(codice.out.find("| 9 | station length is not a multiple of 100 | Round the station's length"),
            std::string::npos)
      << codice.out;
  const prova::uscita errato = autori({"format", "bogus"});
  EXPECT_NE(
      errato.err.find("'bogus' names no record kind, topic or code; give one of 'lunghezza percorso', "),
      std::string::npos)
      << errato.err;
  for (const auto& [n, v] : autori::codici_noti()) EXPECT_FALSE(v.rimedio.empty()) << n;
}

// A part of a keyword, or one a letter off, gets the kinds it is near.
TEST(Formato, AnArgumentThatNamesNothingGetsTheNearestKinds) {
  const std::pair<const char*, const char*> casi[] = {
      {"stazion", "'stazione'? give one of"},
      {"segnal", "'ripetizione segnali' or 'segnale'? give one of"},
      {"pendnza", "'pendenza'? give one of"},
      {"tunel", "'montagna'? give one of"},
  };
  for (const auto& [argomento, atteso] : casi) {
    const prova::uscita u = autori({"format", argomento});
    EXPECT_EQ(u.stato, 64) << argomento;
    EXPECT_NE(u.err.find(std::string("'") + argomento +
                         "' names no record kind, topic or code; did you mean " + atteso),
              std::string::npos)
        << u.err;
  }
  EXPECT_EQ(autori({"format", "bogus"}).err.find("did you mean"), std::string::npos);
}

TEST(Formato, ThePageInTheRepositoryIsWhatTheToolPrints) {
  const std::string pagina = prova::leggi(std::string(VALMORA_SORGENTE) + "/docs/formato.md");
  EXPECT_EQ(pagina, autori({"format"}).out)
      << "docs/formato.md is out of date: write it again with 'autori format > docs/formato.md'";
}

}  // namespace
