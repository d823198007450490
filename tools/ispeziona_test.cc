// autori inspect in the author's words: the words and values of every cell
// kind, the table's rows by use, the plan's heading and curvature, ranges
// beyond the file, and the source line of each cell.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <numbers>

#include "aiuti_prova.h"

namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;
using prova::autori;

// A line and a train description compiled by the tool in a folder of their own.
struct scenario {
  prova::cartella dir;
  fs::path linea = dir / "linea.txt";
  fs::path treno = dir / "treno.txt";
  int stato = -1;
  std::string errori;

  scenario(const std::vector<std::string>& l, const std::vector<std::string>& t) {
    prova::scrivi(linea, prova::righe_crlf(l));
    prova::scrivi(treno, prova::righe_crlf(t));
    const prova::uscita u =
        autori({"compile", linea.string(), treno.string(), "--out", (dir / "out").string()});
    stato = u.stato;
    errori = u.err;
  }
  std::string file(const char* nome) const { return (dir / "out" / nome).string(); }
  std::string celle() const { return file("Valmora2_1552.dat"); }
  std::string tabella() const { return file("Valmora2_1552.sim"); }
  std::string piano() const { return file("Valmora2_linea.dat"); }
};

// Text lines by what they begin with, "cell 23 at ", "row 85: ", "metre 600: ".
std::map<std::string, std::string> per_voce(const std::string& stampato) {
  const std::string testo = prova::righe_unite(stampato);
  std::map<std::string, std::string> r;
  size_t a = 0;
  for (size_t b; (b = testo.find('\n', a)) != std::string::npos; a = b + 1) {
    const std::string riga = testo.substr(a, b - a);
    const size_t fine = riga.find(riga.rfind("cell ", 0) == 0 ? " at " : ": ");
    r[riga.substr(0, fine)] = riga;
  }
  return r;
}

// One of every cell kind. The line's records stand from line 6 on, the
// train's from line 3 on (aiuti_prova.h).
const std::vector<std::string> linea_tipi = prova::linea_con({
    "pendenza, 2000, -11",                                     // 6
    "montagna, 2000, 2600, 11",                                // 7
    "indicatori_vmax, 3050, 85, 90, 95, 1, 155, 120, 130, 2",  // 8
    "cartello indicatore, 3550, (ORTE)",                       // 9
});
const std::vector<std::string> treno_tipi = prova::treno_con({
    "velocita, 0, 95",                                                                  // 3
    "aderenza, 0, 80",                                                                  // 4
    "rallentamento, 5000, 60, 400, 3, 1, 7",                                            // 5
    "stazione, 4500, 2, 600, 0, 1, 0, 1, 1, 0, 4, 1, 1, 0, 15, 22, 0, BORGO SAN LUCA",  // 6
    "segnale, 1100, 2, 4, 1, 0, 2, 1, 3, 1, 0, 50",                                     // 7
    "abbattimento codice, 7250, 270",                                                   // 8
    "abbattimento codice, 7500, 0",                                                     // 9
});

class OgniTipo : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { s_ = std::make_unique<scenario>(linea_tipi, treno_tipi); }
  static void TearDownTestSuite() { s_.reset(); }
  void SetUp() override { ASSERT_EQ(s_->stato, 0) << s_->errori; }
  static inline std::unique_ptr<scenario> s_;
};

// The profile every cell up to N - 3 = 337 carries: "velocita, 0, 95" and
// "aderenza, 0, 80" hold from cell 0 to the tail's end; gradient 0 up to cell
// 39 and -11 from round(2000 / 50) = 40 on.
std::string profilo(int pendenza) {
  return "line speed 95 km/h, gradient " + std::to_string(pendenza) + " \u2030, adhesion 80";
}

struct caso_cella {
  int64_t cella;
  std::string tipo;
  std::string parole;
  std::vector<std::pair<std::string, json>> chiavi;  // JSON pointer in the cell object, value
};

std::vector<caso_cella> casi_celle() {
  const std::string og = std::to_string(spedito::codice_og);
  return {
      {0, "empty", "empty; " + profilo(0), {{"/meaning/line_speed_kmh", 95}, {"/meaning/adhesion", 80}}},
      // The final block's stamps.
      {1,
       "empty",
       "empty; marker 5121, the fixed value every build stamps here; object competition code " + og +
           ", computed from the scenario identifier and train number alone; " + profilo(0),
       {{"/meaning/marker", 5121}, {"/meaning/object_competition_code", spedito::codice_og}}},
      // "segnale, 1100, 2, 4, 1, 0, 2, 1, 3, 1, 0, 50": cell round(1100/50 + 1) = 23,
      // dato1 = 4 * 10 + 3 = 43, dato2 = 1 * 10 + 1 = 11, dato3 = 0,
      // dato4 = 2 * 10 + 3 * 2 + 1 = 27; a time of 50 on a kind-2 left side is 101.
      {23,
       "signal",
       "signal; left kind 2, digits 4 1 0; right kind 1, digits 3 1 0; ratio 2; time 101; " + profilo(0),
       {{"/meaning/left/kind", 2},
        {"/meaning/left/digits", {4, 1, 0}},
        {"/meaning/right/kind", 1},
        {"/meaning/right/digits", {3, 1, 0}},
        {"/meaning/ratio", 2},
        {"/meaning/time", 101},
        {"/dato4", 27}}},
      // Its marks: 7 * 10 + k in cell 23 - 2k.
      {21,
       "empty",
       "empty; approach mark 1 of the signal in cell 23; " + profilo(0),
       {{"/meaning/approach_mark/value", 71},
        {"/meaning/approach_mark/of/0/kind", "signal"},
        {"/meaning/approach_mark/of/0/cell", 23}}},
      {15, "empty", "empty; approach mark 4 of the signal in cell 23; " + profilo(0), {}},
      // "montagna, 2000, 2600, 11": type 1 on cells 40 to round(2600/50 - 1) = 51,
      // a light in the 4th, 8th and 12th: 43, 47, 51.
      {40, "empty", "empty; tunnel type 1; " + profilo(-11), {{"/meaning/tunnel_type", 1}}},
      {43,
       "tunnel light",
       "tunnel light; tunnel type 1; " + profilo(-11),
       {{"/meaning/gradient_permille", -11}}},
      // Cell round(3050/50 + 1) = 62: dato1 = 155/5 + 85 * 20 = 1731,
      // dato2 = 120/5 + 90 * 20 = 1824, dato3 = 130/5 + 95 * 20 = 1926, dato4 = 12.
      {62,
       "maximum-speed indicator",
       "maximum-speed indicator; left 85 90 95 km/h, stripes 1; right 155 120 130 km/h, stripes 2; " +
           profilo(-11),
       {{"/dato1", 1731},
        {"/meaning/left/speeds_kmh", {85, 90, 95}},
        {"/meaning/left/stripes", 1},
        {"/meaning/right/speeds_kmh", {155, 120, 130}},
        {"/meaning/right/stripes", 2}}},
      // Cell round(3550/50 + 1) = 72, the first sign text in row 80.
      {72,
       "sign",
       "sign \"(ORTE)\" (row 80); " + profilo(-11),
       {{"/meaning/row", 80}, {"/meaning/sign_text", "(ORTE)"}}},
      // "rallentamento, 5000, 60, 400, 3, 1, 7": board round(3800/50 + 1) = 77,
      // approach cells 76 to 73 numbered 1 to 4, start round(5000/50 + 1) = 101,
      // end round(5400/50 + 1) = 109; d_v 7 in dato2, f_tt 3 in dato3.
      {73,
       "slowdown approach",
       "slowdown approach; number 4 of the 4 before the warning board; " + profilo(-11),
       {{"/meaning/approach_number", 4}}},
      {76,
       "slowdown approach",
       "slowdown approach; number 1 of the 4 before the warning board; " + profilo(-11),
       {}},
      {77,
       "slowdown warning board",
       "slowdown warning board; slowdown speed 60 km/h; second value 7; " + profilo(-11),
       {{"/meaning/slowdown_speed_kmh", 60}, {"/meaning/second_value", 7}}},
      {101,
       "slowdown start",
       "slowdown start; slowdown speed 60 km/h; second value 7; start and end value 3; " + profilo(-11),
       {{"/meaning/start_and_end_value", 3}}},
      {109,
       "slowdown end",
       "slowdown end; slowdown speed 60 km/h; second value 7; start and end value 3; " + profilo(-11),
       {}},
      // The station at 4500 m, 600 m long: area 4200 to 4800, station cell
      // 4800/50 - 1 = 95 holding row 1, marks 80 + k in cell 95 - k.
      {95,
       "station",
       "station BORGO SAN LUCA (row 1); " + profilo(-11),
       {{"/meaning/row", 1}, {"/meaning/station_name", "BORGO SAN LUCA"}}},
      {94,
       "empty",
       "empty; approach mark 1 of the station in cell 95; " + profilo(-11),
       {{"/meaning/approach_mark/of/0/kind", "station"}, {"/meaning/approach_mark/of/0/cell", 95}}},
      // The finishing pass's first group before the start at 101: 101 - 5 = 96.
      {96, "code point", "code point; code 180; " + profilo(-11), {{"/meaning/code", 180}}},
      // Code cuts: round(7250/50) = 145 with 270, round(7500/50) = 150 without.
      {145, "code point", "code point; code 270; " + profilo(-11), {{"/meaning/code", 270}}},
      {150, "code point without code", "code point without code; " + profilo(-11), {}},
      // N = 340: the runs end at N - 3.
      {340, "empty", "empty; profile unset", {{"/meaning/gradient_permille", nullptr}}},
  };
}

TEST_F(OgniTipo, EachKindInWordsWithItsValues) {
  const prova::uscita testo = autori({"inspect", s_->celle()});
  ASSERT_EQ(testo.stato, 0) << testo.err;
  const auto righe = per_voce(testo.out);
  const prova::uscita j = autori({"inspect", s_->celle(), "--json"});
  ASSERT_EQ(j.stato, 0) << j.err;
  const json celle = json::parse(j.out)["cells"];
  ASSERT_EQ(celle.size(), 341u);
  for (const caso_cella& k : casi_celle()) {
    SCOPED_TRACE("cell " + std::to_string(k.cella));
    const std::string voce = "cell " + std::to_string(k.cella);
    ASSERT_EQ(righe.count(voce), 1u);
    const std::string inizio = voce + " at " + std::to_string(50 * k.cella) + "\u2013" +
                               std::to_string(50 * k.cella + 49) + " m: " + k.parole + " | tipo=";
    EXPECT_EQ(righe.at(voce).rfind(inizio, 0), 0u) << righe.at(voce);
    const json& c = celle[static_cast<size_t>(k.cella)];
    EXPECT_EQ(c["index"], k.cella);
    EXPECT_EQ(c["metre"], 50 * k.cella);
    EXPECT_EQ(c["kind"], k.tipo);
    for (const auto& [puntatore, valore] : k.chiavi) {
      const json::json_pointer p(puntatore);
      ASSERT_TRUE(c.contains(p)) << puntatore;
      EXPECT_EQ(c.at(p), valore) << puntatore;
    }
  }
}

TEST_F(OgniTipo, NamesComeFromTheTableBesideOrTheOneGiven) {
  const fs::path altro = s_->dir / "celle.bin";
  fs::copy_file(s_->celle(), altro, fs::copy_options::overwrite_existing);
  const std::vector<std::string> base = {"inspect", altro.string(), "--kind", "cells",
                                         "--from",  "95",           "--to",   "95"};
  // No NAME.sim beside celle.bin: the row alone.
  prova::uscita senza = autori(base);
  senza.out = prova::righe_unite(senza.out);
  EXPECT_EQ(senza.out.rfind("cell 95 at 4750\u20134799 m: station (row 1); ", 0), 0u) << senza.out;
  std::vector<std::string> con = base;
  con.insert(con.end(), {"--table", s_->tabella()});
  prova::uscita nomi = autori(con);
  nomi.out = prova::righe_unite(nomi.out);
  EXPECT_EQ(nomi.out.rfind("cell 95 at 4750\u20134799 m: station BORGO SAN LUCA (row 1); ", 0), 0u)
      << nomi.out;
  std::vector<std::string> manca = base;
  manca.insert(manca.end(), {"--table", (s_->dir / "nessuna.sim").string()});
  const prova::uscita u = autori(manca);
  EXPECT_EQ(u.stato, 1);
  EXPECT_NE(u.err.find("cannot read"), std::string::npos) << u.err;
}

// --from or --to past the last cell, row or metre names it and exits 64; the
// last one itself is shown.
TEST_F(OgniTipo, ARangeBeyondTheFileIsRefused) {
  struct caso {
    std::string file;
    const char* voce;
    int64_t ultimo;
  };
  // 341 cells (N = 340), 87 rows, metres 0 to 10000 + 7000.
  for (const caso& k :
       {caso{s_->celle(), "cell", 340}, caso{s_->tabella(), "row", 86}, caso{s_->piano(), "metre", 17000}}) {
    for (const char* opzione : {"--from", "--to"}) {
      SCOPED_TRACE(k.file + " " + opzione);
      const std::string oltre = std::to_string(k.ultimo + 1);
      const prova::uscita u = autori({"inspect", k.file, opzione, oltre});
      EXPECT_EQ(u.stato, 64);
      EXPECT_EQ(u.out, "");
      EXPECT_EQ(u.err.rfind(std::string("autori: error: ") + opzione + " " + oltre + " is beyond the last " +
                                k.voce + " of " + k.file + ", which is " + std::to_string(k.ultimo) + "\n",
                            0),
                0u)
          << u.err;
    }
    const std::string ultimo = std::to_string(k.ultimo);
    const prova::uscita u = autori({"inspect", k.file, "--from", ultimo, "--to", ultimo});
    EXPECT_EQ(u.stato, 0) << u.err;
    EXPECT_EQ(per_voce(u.out).size(), 1u) << u.out;
  }
}

// With the descriptions, each object names the line of the record that
// placed it; the finishing pass's code points say so.
TEST_F(OgniTipo, EachCellNamesItsSourceLine) {
  const std::string l = s_->linea.string(), t = s_->treno.string();
  const std::vector<std::string> a = {"inspect", s_->celle(), "--line", l, "--train", t};
  const prova::uscita testo = autori(a);
  ASSERT_EQ(testo.stato, 0) << testo.err;
  EXPECT_EQ(testo.err, "");
  const auto righe = per_voce(testo.out);
  std::vector<std::string> aj = a;
  aj.push_back("--json");
  const json celle = json::parse(autori(aj).out)["cells"];
  struct caso {
    int64_t cella;
    std::string dopo;  // the clause that names the source, after the kind's own
    std::string file;
    int riga;
  };
  const std::string passata = "added by the finishing pass, for a slowdown";
  for (const caso& k : std::vector<caso>{
           {23, "signal; left kind 2, digits 4 1 0; right kind 1, digits 3 1 0; ratio 2; time 101; ", t, 7},
           {95, "station BORGO SAN LUCA (row 1); ", t, 6},
           {43, "tunnel light; ", l, 7},
           {62, "stripes 2; ", l, 8},
           {72, "sign \"(ORTE)\" (row 80); ", l, 9},
           {76, "warning board; ", t, 5},
           {77, "second value 7; ", t, 5},
           {101, "start and end value 3; ", t, 5},
           {109, "start and end value 3; ", t, 5},
           {145, "code 270; ", t, 8},
           {150, "code point without code; ", t, 9},
           // The pass's groups before the start at 101 (101 - 5, - 11, - 18) and
           // the walk's eighth cell, in front of the end at 109.
           {96, "code 180; ", "", 0},
           {90, "code 180; ", "", 0},
           {83, "code 180; ", "", 0},
           {108, "code 180; ", "", 0},
       }) {
    SCOPED_TRACE("cell " + std::to_string(k.cella));
    const std::string& r = righe.at("cell " + std::to_string(k.cella));
    const std::string fonte = k.riga > 0 ? "from line " + std::to_string(k.riga) + " of " + k.file : passata;
    EXPECT_NE(r.find(k.dopo + fonte + "; "), std::string::npos) << r;
    const json& s = celle[static_cast<size_t>(k.cella)]["source"];
    if (k.riga > 0) {
      EXPECT_EQ(s["by"], "record");
      EXPECT_EQ(s["file"], k.file);
      EXPECT_EQ(s["line"], k.riga);
      EXPECT_EQ(s["column"], 1);
    } else {
      EXPECT_EQ(s, json({{"by", "finishing pass"}}));
    }
  }
  // Marks and stamps are no object of a record.
  for (int64_t i : {0, 1, 21, 94, 340}) {
    const std::string& r = righe.at("cell " + std::to_string(i));
    EXPECT_EQ(r.find("from line"), std::string::npos) << r;
    EXPECT_EQ(r.find("finishing pass"), std::string::npos) << r;
    EXPECT_TRUE(celle[static_cast<size_t>(i)]["source"].is_null()) << i;
  }
}

TEST(InspectSource, ACodeCutTheFinishingPassBroughtDown) {
  // The board of "rallentamento, 5000, ..." is cell 77; the signal at 3450 m
  // (cell round(70) = 70) lies 7 cells before it. In front of it, cell
  // round(3450/50) = 69 holds the code 270 and cell 68 the code cut without
  // code: the pass lowers 69 to min(180, 270) = 180.
  scenario s(prova::linea_con({}), prova::treno_con({
                                       "rallentamento, 5000, 60, 400, 0, 0, 0",        // 3
                                       "segnale, 3450, 1, 0, 1, 0, 0, 1, 0, 0, 0, 0",  // 4
                                       "abbattimento codice, 3450, 270",               // 5
                                       "abbattimento codice, 3400, 0",                 // 6
                                   }));
  ASSERT_EQ(s.stato, 0) << s.errori;
  const prova::uscita u = autori({"inspect", s.celle(), "--from", "68", "--to", "69", "--line",
                                  s.linea.string(), "--train", s.treno.string(), "--json"});
  ASSERT_EQ(u.stato, 0) << u.err;
  const json c = json::parse(u.out)["cells"];
  EXPECT_EQ(c[1]["dato1"], 180);
  EXPECT_EQ(c[1]["source"]["line"], 5);
  EXPECT_EQ(c[1]["source"]["lowered_by_finishing_pass"], true);
  EXPECT_EQ(c[0]["source"]["line"], 6);
  EXPECT_FALSE(c[0]["source"].contains("lowered_by_finishing_pass"));
  prova::uscita t = autori({"inspect", s.celle(), "--from", "69", "--to", "69", "--line", s.linea.string(),
                            "--train", s.treno.string()});
  t.out = prova::righe_unite(t.out);
  EXPECT_NE(t.out.find("; code 180; from line 5 of " + s.treno.string() +
                       ", the code brought down to 180 by the finishing pass; "),
            std::string::npos)
      << t.out;
}

// Descriptions that build other cells than the file's: a warning that says
// where, exit 2, and no cell given a source.
TEST(InspectSource, DescriptionsThatBuildOtherCellsAreNotTrusted) {
  scenario s(linea_tipi, treno_tipi);
  ASSERT_EQ(s.stato, 0) << s.errori;
  prova::cartella altra;
  const fs::path spostato = altra / "spostato.txt";
  const fs::path senza = altra / "senza.txt";
  std::vector<std::string> treno = treno_tipi;
  // The signal at 1150 m: cell 24, marks in 22 to 16; the file's mark 74 in
  // cell 23 - 8 = 15 is the first cell that differs.
  treno[6] = "segnale, 1150, 2, 4, 1, 0, 2, 1, 3, 1, 0, 50";
  prova::scrivi(spostato, prova::righe_crlf(treno));
  // No route length: code 25 before the cells exist.
  prova::scrivi(senza, prova::righe_crlf(prova::linea_generale({})));
  struct caso {
    const char* nome;
    std::string linea, treno;
    std::vector<std::string> altri;
    std::string parole;
  };
  const std::string og = std::to_string(spedito::codice_og);
  for (const caso& k : std::vector<caso>{
           {"signal moved",
            s.linea.string(),
            spostato.string(),
            {},
            "build other cells: cell 15: avviso is 74 in the "
            "file, 0 from the descriptions"},
           {"other identity",
            s.linea.string(),
            s.treno.string(),
            {"--id", "abc"},
            "build other cells: cell 1: dato2 is " + og + " in the file, "},
           {"no cells", senza.string(), s.treno.string(), {}, "stop the build with \" Errore n. 25\""},
       }) {
    SCOPED_TRACE(k.nome);
    std::vector<std::string> a = {"inspect", s.celle(), "--line", k.linea, "--train", k.treno};
    a.insert(a.end(), k.altri.begin(), k.altri.end());
    const prova::uscita u = autori(a);
    EXPECT_EQ(u.stato, 2);
    EXPECT_EQ(u.err.rfind(s.celle() + ": warning: " + k.linea + " and " + k.treno + " " + k.parole, 0), 0u)
        << u.err;
    EXPECT_NE(u.err.find("; no cell is given its source\n"), std::string::npos) << u.err;
    EXPECT_EQ(per_voce(u.out).size(), 341u);
    EXPECT_EQ(u.out.find("from line"), std::string::npos);
  }
}

// The table's rows by use, their fields named by it.
TEST(InspectRows, EachUseWithItsFields) {
  // Chainage sections starting at 1000 (uno), 4000 (due) and 8000 (tre) are
  // ordered by start into rows 81 to 83 as 8000, 4000, 1000; the flag 1 of
  // the one at 4000 adds 100 to its difference: -150 + 100 = -50.
  scenario s(
      prova::linea_generale({"lunghezza percorso, 10000", "progressiva chilometrica uno, 1000, 300, 0",
                             "progressiva chilometrica due, 4000, -150, 1",
                             "progressiva chilometrica tre, 8000, 1200, 0", "sfondo uno, 1",
                             "sfondo due, 250000", "sfondo tre, 3", "ripetizione segnali 9 codici, 500, 9500",
                             "[cartelli]", "cartello indicatore, 3550, (ORTE)"}),
      prova::treno_con({"percentuale massa frenata, 130", "numero vetture, 8", "orologio, 13, 53, 30",
                        "sabbia, 200",
                        "stazione, 4500, 2, 600, 0, 1, 0, 1, 1, 0, 4, 1, 1, 0, 15, 22, 0, BORGO SAN LUCA"}));
  ASSERT_EQ(s.stato, 0) << s.errori;
  const std::string st = std::to_string(spedito::codice_st);
  struct caso {
    int riga;
    const char* uso;
    std::string parole;
    std::vector<std::pair<std::string, json>> chiavi;
  };
  const std::vector<caso> casi = {
      {0, "unused", "unused", {}},
      // Area 4500 -/+ 600/2; time (15 * 60 + 22) * 60 = 55320 s.
      {1,
       "station",
       "station BORGO SAN LUCA; type 2; position 4500 m; area 4200\u20134800 m; time 15:22:00",
       {{"/meaning/name", "BORGO SAN LUCA"},
        {"/meaning/type", 2},
        {"/meaning/position_m", 4500},
        {"/meaning/area_start_m", 4200},
        {"/meaning/area_end_m", 4800},
        {"/meaning/time", "15:22:00"},
        {"/meaning/time_s", 55320}}},
      {2, "unused", "unused", {}},
      {80, "sign text", "sign text \"(ORTE)\"", {{"/meaning/text", "(ORTE)"}}},
      {81,
       "chainage section",
       "chainage section; start 8000 m; difference 1200 m; flag 0",
       {{"/meaning/start_m", 8000}, {"/meaning/difference_m", 1200}, {"/meaning/flag", 0}}},
      {82,
       "chainage section",
       "chainage section; start 4000 m; difference -50 m; flag 1",
       {{"/meaning/difference_m", -50}, {"/meaning/flag", 1}}},
      {83, "chainage section", "chainage section; start 1000 m; difference 300 m; flag 0", {}},
      {84,
       "route and train figures",
       "route and train figures; braked mass 130 %; route length 10000 m; coaches 8",
       {{"/meaning/braked_mass_percent", 130}, {"/meaning/route_length_m", 10000}, {"/meaning/coaches", 8}}},
      // "sfondo due" goes to posizione_stazione, "sfondo tre" to fine.
      {85,
       "scenario identity",
       "scenario identity; identifier Valmora2; background one 1; background two 250000; background three 3; "
       "marker 610; station competition code " +
           st,
       {{"/meaning/scenario_identifier", "Valmora2"},
        {"/meaning/background_two", 250000},
        {"/meaning/background_three", 3},
        {"/meaning/marker", 610},
        {"/meaning/station_competition_code", spedito::codice_st},
        {"/posizione_stazione", 250000}}},
      {86,
       "train identity",
       "train identity; train number 1552; signal repetition 500\u20139500 m, 9 codes; sand 200; clock "
       "13:53:30",
       {{"/meaning/train_number", "1552"},
        {"/meaning/signal_repetition", {{"start_m", 500}, {"end_m", 9500}, {"codes", 9}}},
        {"/meaning/sand", 200},
        {"/meaning/clock", {{"hours", 13}, {"minutes", 53}, {"seconds", 30}}}}},
  };
  const prova::uscita testo = autori({"inspect", s.tabella()});
  ASSERT_EQ(testo.stato, 0) << testo.err;
  const auto righe = per_voce(testo.out);
  const json j = json::parse(autori({"inspect", s.tabella(), "--json"}).out)["rows"];
  for (const caso& k : casi) {
    SCOPED_TRACE("row " + std::to_string(k.riga));
    const std::string voce = "row " + std::to_string(k.riga);
    EXPECT_EQ(righe.at(voce).rfind(voce + ": " + k.parole + " | tipo=", 0), 0u) << righe.at(voce);
    const json& r = j[static_cast<size_t>(k.riga)];
    EXPECT_EQ(r["use"], k.uso);
    for (const auto& [puntatore, valore] : k.chiavi) {
      const json::json_pointer p(puntatore);
      ASSERT_TRUE(r.contains(p)) << puntatore;
      EXPECT_EQ(r.at(p), valore) << puntatore;
    }
  }
}

// Each turned metre of the plan rotates its step by atan(k) and stretches it
// by sqrt(1 + k^2): the heading changes by exactly atan(k) per metre.
TEST(InspectPlan, HeadingAndCurvatureOnStraightsAndCircles) {
  scenario s(prova::linea_con({"curvad2, 500, 300", "curvas6, 2000, 300"}), prova::treno_con({}));
  ASSERT_EQ(s.stato, 0) << s.errori;
  const prova::uscita u = autori({"inspect", s.piano(), "--to", "2500", "--geometry", "--json"});
  ASSERT_EQ(u.stato, 0) << u.err;
  const json m = json::parse(u.out)["metres"];
  ASSERT_EQ(m.size(), 2501u);
  const double a2 = std::atan(0.0002), a6 = std::atan(0.003);
  const double gradi = 180 / std::numbers::pi;
  // The positions carry rounding errors near 1e-13 m on steps of 1 m, so a
  // heading is good to about 1e-13 rad; 1e-10 leaves a wide margin and still
  // tells atan(0.003) from 0.003, 9e-9 apart. The radius 1/k then moves by
  // at most R^2 * 1e-10: 2.5e-3 m at 5000 m.
  const double tolleranza = 1e-10;
  // Metres up to 500 lie on +y, the step from 499 to 500 the last straight one.
  for (int i = 1; i <= 499; ++i) {
    EXPECT_EQ(m[i]["heading_deg"], 0.0) << i;
    EXPECT_EQ(m[i]["curvature_per_m"], 0.0) << i;
    EXPECT_EQ(m[i]["turn"], "straight") << i;
  }
  EXPECT_TRUE(m[0]["curvature_per_m"].is_null());
  // "curvad2, 500, 300" turns the steps into metres 501 to 800: the turn at
  // metre M, from the step into M to the step out of it, for M = 500 to 799.
  for (int i = 500; i <= 799; ++i) {
    EXPECT_NEAR(m[i]["curvature_per_m"].get<double>(), a2, tolleranza) << i;
    EXPECT_NEAR(m[i]["radius_m"].get<double>(), 1 / a2, 0.01) << i;
    EXPECT_EQ(m[i]["turn"], "right") << i;
  }
  // After 300 turns the heading holds on the straight up to 2000.
  for (int i = 800; i <= 1999; ++i) {
    EXPECT_NEAR(m[i]["heading_deg"].get<double>(), 300 * a2 * gradi, 1e-8) << i;
    EXPECT_EQ(m[i]["turn"], "straight") << i;
  }
  // "curvas6, 2000, 300": to the left, radius 1 / atan(0.003) = 333.334 m,
  // turning the heading back by 300 * atan(0.003), about 0.9 rad.
  for (int i = 2000; i <= 2299; ++i) {
    EXPECT_NEAR(m[i]["curvature_per_m"].get<double>(), -a6, tolleranza) << i;
    EXPECT_NEAR(m[i]["radius_m"].get<double>(), 1 / a6, 1e-4) << i;
    EXPECT_EQ(m[i]["turn"], "left") << i;
  }
  for (int i = 2300; i <= 2500; ++i) {
    EXPECT_NEAR(m[i]["heading_deg"].get<double>(), (300 * a2 - 300 * a6) * gradi, 1e-8) << i;
    EXPECT_EQ(m[i]["turn"], "straight") << i;
  }

  const auto righe =
      per_voce(autori({"inspect", s.piano(), "--geometry", "--from", "0", "--to", "2100"}).out);
  EXPECT_EQ(righe.at("metre 0"),
            "metre 0: heading 0.000000 deg; curvature unknown | x=0 (integer) y=0 (integer)");
  EXPECT_EQ(righe.at("metre 100"), "metre 100: heading 0.000000 deg; straight | x=0 y=100");
  // The step out of metre 600 is the 101st turned one: 101 * atan(0.0002)
  // rad = 1.157375 degrees.
  EXPECT_EQ(
      righe.at("metre 600")
          .rfind("metre 600: heading 1.157375 deg; curvature 0.0002 1/m, radius 5000 m to the right | x=", 0),
      0u)
      << righe.at("metre 600");
  // atan(0.003) = 0.003 - 0.003^3 / 3 + ... = 0.002999991.
  EXPECT_NE(righe.at("metre 2100").find("; curvature -0.00299999 1/m, radius 333.334 m to the left | "),
            std::string::npos)
      << righe.at("metre 2100");
}

}  // namespace
