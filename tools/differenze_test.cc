// autori diff: a change of one record is named as exactly that record.
#include "differenze.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "aiuti_prova.h"
#include "app/avvio.h"
#include "documents/documenti.h"

namespace {

using autori::confronta_scenari;
using autori::ricompila;

std::string sostituito(std::string testo, const std::string& da, const std::string& a) {
  const size_t p = testo.find(da);
  EXPECT_NE(p, std::string::npos) << da;
  if (p != std::string::npos) testo.replace(p, da.size(), a);
  return testo;
}

autori::file_scenario costruito(const std::string& linea, const std::string& treno, bool con_piano = true) {
  const autori::ricompilato r =
      ricompila(linea, treno, identificativo_scenario, numero_treno_scenario, con_piano);
  EXPECT_EQ(r.codice, 0);
  return r.file;
}

struct caso {
  bool nel_treno;
  std::string da, a;
  std::string dove, campo, prima, dopo;
};

TEST(Diff, UnRecordCambiatoENominatoDaSolo) {
  const std::string linea = componi_documento(righe_linea());
  const std::string treno = componi_documento(righe_treno());
  // Positions are the records' own: each lands on a 50 m cell that gives it back.
  const std::vector<caso> casi = {
      // AREZZO: type 4, 800 m, no mark: area p - 400 to p + 400.
      {true, "stazione,  198750,  4,  800", "stazione,  198850,  4,  800", "station AREZZO", "position",
       "198750 m", "198850 m"},
      // 3 and 1, 7 and 1, 7 and 0 as pairs s*10 + d: 31 71 70; the second s becomes 8.
      {true, "segnale,    3900,   2, 3, 7,  7, 2", "segnale,    3900,   2, 3, 8,  7, 2", "signal at 3900 m",
       "aspects", "31 71 70", "31 81 70"},
      {true, "abbattimento codice, 174800,270", "abbattimento codice, 174800,75", "code point at 174800 m",
       "code", "270", "75"},
      // Third pair: 110 * 20 + 110 / 5 = 2222, then 115 * 20 + 22 = 2322.
      {false, "indicatori_vmax,  5600,100,105,110", "indicatori_vmax,  5600,100,105,115",
       "speed indicator at 5600 m", "speeds", "2020 2121 2222", "2020 2121 2322"},
      {false, "(  BIVIO  ) (ROVEZZANO)", "(  BIVIO  ) (ROVEZZANA)", "sign at 260200 m", "text",
       "\"(  BIVIO  ) (ROVEZZANO)\"", "\"(  BIVIO  ) (ROVEZZANA)\""},
      // Last cell round(28450 / 50 - 1) = 568, so the end reads 569 * 50.
      {false, "montagna,   27300,  28450,  11", "montagna,   27300,  28500,  11", "tunnel at 27300 m", "end",
       "28450 m", "28500 m"},
      {false, "pendenza,  1500,   -7", "pendenza,  1500,   -8", "gradient run from 1500 m", "value", "-7 ‰",
       "-8 ‰"},
      {true, "velocita,    5850,   110", "velocita,    5850,   120", "speed run from 5850 m", "value",
       "110 km/h", "120 km/h"},
      {true, "aderenza,  198000,   100", "aderenza,  198000,   90", "adhesion run from 198000 m", "value",
       "100", "90"},
      {false, "progressiva chilometrica due,    206200,    -6550",
       "progressiva chilometrica due,    206200,    -6600", "chainage section from 206200 m", "difference",
       "-6550 m", "-6600 m"},
      {true, "[rallentamenti]\r\n", "[rallentamenti]\r\nrallentamento, 100000, 60, 1000, 0, 1, 0\r\n",
       "slowdown at 100000 m", "", "", ""},
  };
  // Without the plan, for time: the plan has a test of its own.
  const autori::file_scenario base = costruito(linea, treno, false);
  for (const caso& c : casi) {
    const autori::file_scenario altro = c.nel_treno ? costruito(linea, sostituito(treno, c.da, c.a), false)
                                                    : costruito(sostituito(linea, c.da, c.a), treno, false);
    const autori::confronto r = confronta_scenari(base, altro);
    ASSERT_TRUE(r.rifiuto.empty()) << r.rifiuto;
    ASSERT_EQ(r.oggetti.size(), 1u) << c.dove << ": " << (r.oggetti.empty() ? "" : r.oggetti.front().riga());
    const autori::differenza& d = r.oggetti.front();
    EXPECT_EQ(d.dove, c.dove);
    EXPECT_FALSE(r.uguali());
    if (c.campo.empty()) {
      EXPECT_EQ(d.cambio, "added") << d.riga();
      continue;
    }
    EXPECT_EQ(d.cambio, "changed");
    ASSERT_FALSE(d.campi.empty());
    EXPECT_EQ(d.campi.front().nome, c.campo);
    EXPECT_EQ(d.campi.front().prima, c.prima);
    EXPECT_EQ(d.campi.front().dopo, c.dopo);
    EXPECT_FALSE(r.scarto_piano.has_value());
    EXPECT_TRUE(r.piano_solo.empty());
  }
}

TEST(Diff, LaStazioneSpostataPortaConSeLArea) {
  const std::string linea = componi_documento(righe_linea());
  const std::string treno = componi_documento(righe_treno());
  const autori::confronto r = confronta_scenari(
      costruito(linea, treno),
      costruito(linea, sostituito(treno, "stazione,  198750,  4,  800", "stazione,  198850,  4,  800")));
  ASSERT_EQ(r.oggetti.size(), 1u);
  EXPECT_EQ(r.oggetti.front().riga(),
            "station AREZZO: position 198750 m → 198850 m; area 198350–199150 m → 198450–199250 m");
  // AREZZO is the 20th station record: row 20 of the table.
  ASSERT_EQ(r.righe_tabella.size(), 1u);
  EXPECT_EQ(r.righe_tabella.front().rfind("row 20: inizio 198350 → 198450", 0), 0u);
}

TEST(Diff, UnaCurvaPiuLungaSpostaIlPianoDopoDiLei) {
  const std::string linea = componi_documento(righe_linea());
  const std::string treno = componi_documento(righe_treno());
  const autori::confronto r =
      confronta_scenari(costruito(linea, treno),
                        costruito(sostituito(linea, "curvad4,  2700,  400", "curvad4,  2700,  450"), treno));
  EXPECT_TRUE(r.oggetti.empty());
  ASSERT_TRUE(r.scarto_piano.has_value());
  EXPECT_GT(*r.scarto_piano, 0.0);
  // The routes agree up to the curve's old end at metre 3100.
  EXPECT_GT(r.metro_scarto, 3100);
}

TEST(Diff, IlComandoDiceUgualeODiversoConLoStato) {
  prova::cartella dir;
  std::filesystem::create_directories(dir / "a");
  ASSERT_TRUE(esegui_avvio(dir / "a", identificativo_scenario, numero_treno_scenario).fatale.empty());
  const auto uguali = prova::autori({"diff", (dir / "a").string(), (dir / "a").string()});
  EXPECT_EQ(uguali.stato, 0) << uguali.err;
  EXPECT_EQ(uguali.out, "");
  const std::string treno = componi_documento(righe_treno());
  prova::scrivi(dir / "linea.txt", componi_documento(righe_linea()));
  prova::scrivi(dir / "treno.txt", treno);
  prova::scrivi(dir / "b.txt", sostituito(treno, "aderenza,  198000,   100", "aderenza,  198000,   90"));
  const auto diversi = prova::autori({"diff", (dir / "linea.txt").string(), (dir / "treno.txt").string(),
                                      (dir / "linea.txt").string(), (dir / "b.txt").string(), "--json"});
  EXPECT_EQ(diversi.stato, 1) << diversi.err;
  const auto j = nlohmann::json::parse(diversi.out);
  ASSERT_EQ(j.at("objects").size(), 1u);
  EXPECT_EQ(j.at("objects")[0].at("where"), "adhesion run from 198000 m");
  const auto guasto = prova::autori({"diff", (dir / "a").string(), (dir / "manca").string()});
  EXPECT_EQ(guasto.stato, 2);
}

}  // namespace
