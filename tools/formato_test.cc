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
