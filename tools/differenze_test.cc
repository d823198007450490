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
      // Left kind 2 with digits 3 7 7, and its second digit becomes 8.
      {true, "segnale,    3900,   2, 3, 7,  7, 2", "segnale,    3900,   2, 3, 8,  7, 2", "signal at 3900 m",
       "left", "kind 2, digits 3 7 7", "kind 2, digits 3 8 7"},
      {true, "abbattimento codice, 174800,270", "abbattimento codice, 174800,75", "code point at 174800 m",
       "code", "270", "75"},
      // Third pair: 110 * 20 + 110 / 5 = 2222, then 115 * 20 + 22 = 2322,
      // which reads back as 115 on the left and 5 * 22 = 110 on the right.
      {false, "indicatori_vmax,  5600,100,105,110", "indicatori_vmax,  5600,100,105,115",
       "speed indicator at 5600 m", "left", "100 105 110 km/h, stripes 0", "100 105 115 km/h, stripes 0"},
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

// An object of the same kind and values that changes place within the
// window is one move; beyond it, one removed and one added.
TEST(Diff, UnOggettoSpostatoESpostato) {
  const std::string linea = componi_documento(righe_linea());
  const std::string treno = componi_documento(righe_treno());
  struct caso {
    bool nel_treno;
    std::string da, a;
    std::vector<std::string> righe;
  };
  const std::vector<caso> casi = {
      {true, "segnale,    3900,", "segnale,    4200,", {"signal moved from 3900 m to 4200 m"}},
      // 1100 m is beyond the window of 1000 m.
      {true,
       "segnale,    3900,",
       "segnale,    5000,",
       {"signal at 3900 m: removed (left kind 2, digits 3 7 7, right kind 2, digits 1 1 0, ratio 2, time 0)",
        "signal at 5000 m: added (left kind 2, digits 3 7 7, right kind 2, digits 1 1 0, ratio 2, time 0)"}},
      {true,
       "abbattimento codice, 174800,270",
       "abbattimento codice, 175300,270",
       {"code point moved from 174800 m to 175300 m"}},
      {false,
       "indicatori_vmax,  5600,",
       "indicatori_vmax,  5800,",
       {"speed indicator moved from 5600 m to 5800 m"}},
      // The tunnel keeps its 1150 m: its end moves with it.
      {false,
       "montagna,   27300,  28450,  11",
       "montagna,   27500,  28650,  11",
       {"tunnel moved from 27300 m to 27500 m"}},
      // A tunnel that grows is the same tunnel changed.
      {false,
       "montagna,   27300,  28450,  11",
       "montagna,   27300,  28650,  11",
       {"tunnel at 27300 m: end 28450 m → 28650 m"}},
  };
  const autori::file_scenario base = costruito(linea, treno, false);
  for (const caso& c : casi) {
    const autori::file_scenario altro = c.nel_treno ? costruito(linea, sostituito(treno, c.da, c.a), false)
                                                    : costruito(sostituito(linea, c.da, c.a), treno, false);
    const autori::confronto r = confronta_scenari(base, altro);
    ASSERT_TRUE(r.rifiuto.empty()) << r.rifiuto;
    std::vector<std::string> righe;
    for (const autori::differenza& d : r.oggetti) righe.push_back(d.riga());
    EXPECT_EQ(righe, c.righe) << c.a;
  }
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
  // The routes agree up to the curve's old end at metre 2700 + 400 = 3100.
  EXPECT_GT(r.metro_scarto, 3100);
  EXPECT_EQ(r.metro_separazione, 3101);
  EXPECT_GT(r.scarto_fine, 0.0);
  ASSERT_EQ(r.curve.size(), 1u);
  EXPECT_EQ(r.curve.front().riga(), "curve at 2700 m: length 400 m → 450 m");
}

// The curve records that differ, in the author's terms; the plan parts at
// the first metre after the one both still share.
TEST(Diff, LeCurveCheCambianoSonoNominate) {
  const std::string linea = componi_documento(righe_linea());
  const std::string treno = componi_documento(righe_treno());
  struct caso {
    std::string da, a;
    int64_t separazione;
    std::vector<std::string> righe;
  };
  const std::vector<caso> casi = {
      // Straight up to metre 5700, the curve from 5701.
      {"curvas4,  5700,  350", "curvad4,  5700,  350", 5701, {"curve at 5700 m: side left → right"}},
      {"curvas4,  5700,  350",
       "curvas2,  5700,  350",
       5701,
       {"curve at 5700 m: class 4 (radius 1000 m) → 2 (radius 5000 m)"}},
      {"curvad4,  2700,  400", "curvad4,  2750,  400", 2701, {"curve moved from 2700 m to 2750 m"}},
      {"curvad4,  2700,  400",
       "curvad4,  2700,  400\r\ncurvas6,  3500,  100",
       3501,
       {"curve at 3500 m: added (class 6 (radius 333 m), side left, length 100 m)"}},
  };
  const autori::file_scenario base = costruito(linea, treno);
  for (const caso& c : casi) {
    const autori::confronto r = confronta_scenari(base, costruito(sostituito(linea, c.da, c.a), treno));
    EXPECT_TRUE(r.oggetti.empty()) << c.a;
    EXPECT_EQ(r.metro_separazione, c.separazione) << c.a;
    std::vector<std::string> righe;
    for (const autori::differenza& d : r.curve) righe.push_back(d.riga());
    EXPECT_EQ(righe, c.righe) << c.a;
  }
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
  // The plan in words: where the routes part, and the curve record.
  prova::scrivi(dir / "l.txt",
                sostituito(componi_documento(righe_linea()), "curvad4,  2700,  400", "curvad4,  2700,  450"));
  const auto curva = prova::autori({"diff", (dir / "linea.txt").string(), (dir / "treno.txt").string(),
                                    (dir / "l.txt").string(), (dir / "treno.txt").string()});
  EXPECT_EQ(curva.stato, 1);
  EXPECT_EQ(curva.out.rfind("plan: the routes part at metre 3101, lie up to ", 0), 0u) << curva.out;
  EXPECT_NE(curva.out.find("\nplan: curve at 2700 m: length 400 m → 450 m\n"), std::string::npos)
      << curva.out;
}

}  // namespace
