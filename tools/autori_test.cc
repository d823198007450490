// The authors' tool driven as a user drives it: arguments in, exit status,
// standard output and standard error out.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "aiuti_prova.h"
#include "app/avvio.h"
#include "documents/documenti.h"
#include "files/nomi_file.h"
#include "output/codici_gara.h"

namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;
using prova::autori;

using prova::linea_con;
using prova::linea_generale;
using prova::segnale;
using prova::settantotto_cartelli;
using prova::treno_con;

const std::vector<std::string> linea_pulita = linea_con({});
const std::vector<std::string> treno_pulito = treno_con({});

// One compile of fixture descriptions in a fresh folder: LINE and TRAIN live
// in the folder's "in", the scenario files go to its "out".
struct compilazione {
  prova::cartella dir;
  fs::path linea = dir / "in" / "linea.txt";
  fs::path treno = dir / "in" / "treno.txt";
  fs::path uscita = dir / "out";
  std::string testo_linea;
  std::string testo_treno;

  compilazione(const std::vector<std::string>& l, const std::vector<std::string>& t, bool senza_linea = false,
               bool senza_treno = false)
      : testo_linea(prova::righe_crlf(l)), testo_treno(prova::righe_crlf(t)) {
    fs::create_directories(dir / "in");
    if (!senza_linea) prova::scrivi(linea, testo_linea);
    if (!senza_treno) prova::scrivi(treno, testo_treno);
  }
  prova::uscita esegui(std::vector<std::string> altri = {}) const {
    std::vector<std::string> a = {"compile", linea.string(), treno.string(), "--out", uscita.string()};
    a.insert(a.end(), altri.begin(), altri.end());
    return autori(a);
  }
  fs::path file(const std::string& nome) const { return uscita / nome; }
  // {L} and {T} stand for the two input paths.
  std::string atteso(std::string s) const {
    for (auto [segno, valore] : {std::pair{"{L}", linea.string()}, std::pair{"{T}", treno.string()}})
      for (size_t i; (i = s.find(segno)) != std::string::npos;) s.replace(i, 3, valore);
    return s;
  }
};

struct caso_codice {
  const char* nome;
  std::vector<std::string> linea;
  std::vector<std::string> treno;
  int stato;
  std::string diagnostica;
  bool senza_linea = false;
  bool senza_treno = false;
};

void PrintTo(const caso_codice& c, std::ostream* os) { *os << c.nome; }

class CodiceErrore : public ::testing::TestWithParam<caso_codice> {};

TEST_P(CodiceErrore, OneDiagnosticLineAndItsExitStatus) {
  const caso_codice& k = GetParam();
  compilazione c(k.linea, k.treno, k.senza_linea, k.senza_treno);
  const prova::uscita u = c.esegui();
  EXPECT_EQ(u.stato, k.stato);
  EXPECT_EQ(u.err, c.atteso(k.diagnostica) + "\nnote: run 'autori check' to see every problem\n");
  EXPECT_EQ(u.out, "");
  // Exit status 2 means the files were written, 1 that none was.
  for (const char* nome : {"Valmora2_linea.dat", "Valmora2_1552.sim", "Valmora2_1552.dat"})
    EXPECT_EQ(fs::exists(c.file(nome)), k.stato == 2) << nome;
  // The inputs stay as they were.
  if (!k.senza_linea) {
    EXPECT_EQ(prova::leggi(c.linea), c.testo_linea);
  }
  if (!k.senza_treno) {
    EXPECT_EQ(prova::leggi(c.treno), c.testo_treno);
  }
}

// Positions and cells by the placement rules: a signal, indicator or sign at p
// takes cell round(p/50 + 1), a code cut round(p/50); a slowdown at x has its
// warning board at round((x - 1200)/50 + 1), its start at round(x/50 + 1) and
// its end at round((x + l)/50 + 1). For x = 5000, l = 400: cells 77, 101, 109.
INSTANTIATE_TEST_SUITE_P(
    Codici, CodiceErrore,
    ::testing::Values(
        caso_codice{"c1_route_too_long", linea_generale({"lunghezza percorso, 1000001"}), treno_pulito, 1,
                    "{L}:3:1: error: code 1: route length above 1000000 m"},
        // 120 is not a multiple of 50; the check runs after the train.
        caso_codice{"c2_chainage",
                    linea_generale({"lunghezza percorso, 10000", "progressiva chilometrica uno, 120, 50, 0"}),
                    treno_pulito, 2,
                    "{L}: error: code 2: a chainage section's start or difference is not a multiple of 50"},
        // Before the length key: no cells yet, so the build stops.
        caso_codice{
            "c3_repetition_start",
            linea_generale({"ripetizione segnali 9 codici, 120, 100", "lunghezza percorso, 10000"}),
            treno_pulito, 1,
            "{L}:3:1: error: code 3: first position of the signal repetition is not a multiple of 50"},
        // After the length key: the cells exist and the files are written.
        caso_codice{
            "c4_repetition_end",
            linea_generale({"lunghezza percorso, 10000", "ripetizione segnali 9 codici, 100, 120"}),
            treno_pulito, 2,
            "{L}:4:1: error: code 4: second position of the signal repetition is not a multiple of 50"},
        caso_codice{"c5_repetition_codes",
                    linea_generale({"ripetizione segnali codici, 100, 200", "lunghezza percorso, 10000"}),
                    treno_pulito, 1,
                    "{L}:3:1: error: code 5: the signal repetition key names neither 4 nor 9 codes"},
        // Both in cell round(1050/50 + 1) = 22.
        caso_codice{"c6_sign",
                    linea_con({"indicatori_vmax, 1050, 85, 90, 95, 0, 85, 90, 95, 0",
                               "cartello indicatore, 1050, (TESTO)"}),
                    treno_pulito, 2,
                    "{L}:7:1: error: code 6: sign on an occupied cell at 1050 m; cell 22 is already taken by "
                    "the maximum-speed "
                    "indicator of line 6 of {L}"},
        // Signal cell round(1100/50 + 1) = 23, code cut cell round(1150/50) = 23.
        caso_codice{
            "c7_code_cut", linea_pulita,
            treno_con({"segnale, 1100, 2, 4, 1, 0, 0, 2, 2, 0, 0, 0", "abbattimento codice, 1150, 270"}), 2,
            "{T}:4:1: error: code 7: code cut on an occupied cell at 1150 m; cell 23 is already taken by the "
            "signal of "
            "line 3"},
        caso_codice{"c8_station_position", linea_pulita,
                    treno_con({"stazione, 4525, 2, 600, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 14, 0, 0, NOME"}), 2,
                    "{T}:3:1: error: code 8: station position is not a multiple of 50 at 4525 m"},
        caso_codice{"c9_station_length", linea_pulita,
                    treno_con({"stazione, 4500, 2, 650, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 14, 0, 0, NOME"}), 2,
                    "{T}:3:1: error: code 9: station length is not a multiple of 100 at 4500 m"},
        // With 78 signs the sign-text mark becomes 80 - 78 = 2, and storing
        // station 1 makes the counter 2.
        caso_codice{
            "c10_too_many_stations", linea_con(settantotto_cartelli()),
            treno_con({"stazione, 9000, 26, 400, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, P.C. PROVA"}), 2,
            "{T}:3:1: error: code 10: too many stations: the station rows reach the rows of the sign texts"},
        // Signals in cells 68, 69, 70, board in 77: the signal in 70 has two
        // signals in front of it, neither free nor a code point; 70 * 50 = 3500.
        caso_codice{
            "c11_signal_before_board", linea_pulita,
            treno_con({"rallentamento, 5000, 120, 400, 0, 0, 0", segnale(3350), segnale(3400),
                       segnale(3450)}),
            2,
            "{T}: error: code 11: no free cell for the code point in front of a signal before a slowdown "
            "warning board at 3500 m"},
        // Start in cell 101; cells 96, 95, 94 (i - 5 to i - 7) hold signals;
        // 101 * 50 = 5050.
        caso_codice{"c12_before_start", linea_pulita,
                    treno_con({"rallentamento, 5000, 120, 400, 0, 0, 0", segnale(4650), segnale(4700),
                               segnale(4750)}),
                    2,
                    "{T}: error: code 12: no free cell for a code point before a slowdown start at 5050 m"},
        // A 60 km/h slowdown from cell 101 to round(6000/50 + 1) = 121: the
        // walk's 8th cell is 109, and 108, 109, 110 hold signals; 109 * 50 = 5450.
        caso_codice{
            "c13_walk", linea_pulita,
            treno_con({"rallentamento, 5000, 60, 1000, 0, 0, 0", segnale(5350), segnale(5400),
                       segnale(5450)}),
            2,
            "{T}: error: code 13: no free cell for a code point along a slowdown or in front of the first "
            "signal after it at 5450 m"},
        // (20000 + 100) / 50 = 402 > 340.
        caso_codice{"c15_beyond_route", linea_con({"pendenza, 20000, 0"}), treno_pulito, 2,
                    "{L}:6:1: error: code 15: position beyond the last cell of the route at 20000 m"},
        // round(23.5) = round(24.5) = 24.
        caso_codice{"c16_signal", linea_pulita, treno_con({segnale(1125), segnale(1175)}), 2,
                    "{T}:4:1: error: code 16: signal on an occupied cell at 1175 m; cell 24 is already taken "
                    "by the signal of "
                    "line 3"},
        // The signal at 3800 m and the board at 5000 - 1200 m both take cell 77.
        caso_codice{"c17_board", linea_pulita,
                    treno_con({segnale(3800), "rallentamento, 5000, 60, 400, 0, 0, 0"}), 2,
                    "{T}:4:1: error: code 17: slowdown warning board on an occupied cell at 5000 m; cell 77 "
                    "is already "
                    "taken by the signal of line 3"},
        caso_codice{"c18_start", linea_pulita,
                    treno_con({segnale(5000), "rallentamento, 5000, 60, 400, 0, 0, 0"}), 2,
                    "{T}:4:1: error: code 18: slowdown start on an occupied cell at 5000 m; cell 101 is "
                    "already taken by "
                    "the signal of line 3"},
        caso_codice{"c19_end", linea_pulita,
                    treno_con({segnale(5400), "rallentamento, 5000, 60, 400, 0, 0, 0"}), 2,
                    "{T}:4:1: error: code 19: slowdown end on an occupied cell at 5000 m; cell 109 is "
                    "already taken by the "
                    "signal of line 3"},
        // x = 1775: k = round(11.5) = 12 and the board is round(12.5) = 12.
        caso_codice{"c20_approach", linea_pulita, treno_con({"rallentamento, 1775, 60, 400, 0, 1, 0"}), 2,
                    "{T}:3:1: error: code 20: slowdown approach cells occupied at 1775 m; cell 12 is already "
                    "taken by "
                    "this slowdown itself"},
        caso_codice{
            "c21_indicator",
            linea_con({"indicatori_vmax, 1050, 85, 90, 95, 0, 85, 90, 95, 0",
                       "indicatori_vmax, 1050, 85, 90, 95, 0, 85, 90, 95, 0"}),
            treno_pulito, 2,
            "{L}:7:1: error: code 21: maximum-speed indicator on an occupied cell at 1050 m; cell 22 is "
            "already taken by the maximum-speed indicator of line 6 of {L}"},
        // First area ends at 4500 + 300 = 4800; the second begins at
        // 5000 - 300 = 4700, and 4700 - 350 < 4800.
        caso_codice{"c22_stations_overlap", linea_pulita,
                    treno_con({"stazione, 4500, 2, 600, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 14, 0, 0, PRIMA",
                               "stazione, 5000, 2, 600, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 14, 10, 0, SECONDA"}),
                    2,
                    "{T}:4:1: error: code 22: station area begins less than 350 m after the previous one "
                    "ends at 5000 m"},
        // The area ends at 0 + 200/2 = 100: 100/50 - 1 = 1.
        caso_codice{"c24_station_at_start", linea_pulita,
                    treno_con({"stazione, 0, 2, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 14, 0, 0, ORIGINE"}), 2,
                    "{T}:3:1: error: code 24: station area ends too near the start of the route"},
        // 40000 does not fit the 16-bit sand; "sabbia, " is 8 characters.
        caso_codice{
            "c25_field_does_not_fit", linea_pulita, treno_con({"sabbia, 40000"}), 2,
            "{T}:3:9: error: code 25: a field that is malformed, out of range or missing, or a description "
            "that cannot be read\nnote: the files are incomplete: the build stopped at line 3 of {T}"},
        caso_codice{
            "c25_train_missing", linea_pulita, treno_pulito, 2,
            "{T}: error: code 25: a field that is malformed, out of range or missing, or a description that "
            "cannot be read: {T} does not exist\nnote: the files are incomplete: the build stopped before it "
            "read {T}",
            false, true},
        // A code the finishing pass records has no record, whatever record an
        // earlier code pointed at (here a 15 in the last train record).
        caso_codice{"c12_after_a_15", linea_pulita,
                    treno_con({"rallentamento, 5000, 120, 400, 0, 0, 0", segnale(4650), segnale(4700),
                               segnale(4750), "velocita, 20000, 100"}),
                    2,
                    "{T}: error: code 12: no free cell for a code point before a slowdown start at 5050 m"},
        // The record of a code 15 in the line belongs to neither of these.
        caso_codice{"c2_after_a_15",
                    linea_generale({"lunghezza percorso, 10000", "progressiva chilometrica uno, 120, 50, 0",
                                    "[pendenze]", "pendenza, 20000, 0"}),
                    treno_pulito, 2,
                    "{L}: error: code 2: a chainage section's start or difference is not a multiple of 50 "
                    "at 20000 m (the position of an earlier record, kept by the build)"},
        // Station at 0 m, length 100: its area ends at 50 m, so fine/50 - 1 = 0;
        // the code records no position and the line's 15 at 20000 m stays.
        caso_codice{"c24_after_a_15", linea_con({"pendenza, 20000, 0"}),
                    treno_con({"stazione, 0, 2, 100, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 14, 0, 0, NOME"}), 2,
                    "{T}:3:1: error: code 24: station area ends too near the start of the route at 20000 m "
                    "(the position of an earlier record, kept by the build)"},
        // 1500 / 5 = 300 does not fit the byte; it is stored when the next
        // record writes the run, and named at the record that gave it.
        caso_codice{"c25_speed_named_at_its_record", linea_pulita,
                    treno_con({"velocita, 1000, 1500", "velocita, 2000, 100"}), 2,
                    "{T}:3:1: error: code 25: a field that is malformed, out of range or missing, or a "
                    "description that cannot be read\nnote: the files are incomplete: the build stopped at "
                    "line 3 of {T}"},
        // Cell round(-500/50 + 1) = -9 lies outside the route: the record, not
        // its last field.
        caso_codice{"c25_negative_signal_at_its_record", linea_pulita,
                    treno_con({"segnale, -500, 1, 0, 1, 0, 0, 1, 0, 0, 0, 0"}), 2,
                    "{T}:3:1: error: code 25: a field that is malformed, out of range or missing, or a "
                    "description that cannot be read\nnote: the files are incomplete: the build stopped at "
                    "line 3 of {T}"},
        // Without the comma the keyword takes 500 with it, and the record's
        // second number is the next line's keyword: the record is to fix.
        caso_codice{"c25_missing_comma_at_its_record", linea_con({"pendenza 500, 4", "pendenza, 900, 2"}),
                    treno_pulito, 2,
                    "{L}:6:1: error: code 25: a field that is malformed, out of range or missing, or a "
                    "description that cannot be read\nnote: the files are incomplete: the build stopped at "
                    "line 6 of {L}"},
        caso_codice{
            "c25_train_missing_after_a_15", linea_con({"pendenza, 20000, 0"}), treno_pulito, 2,
            "{T}: error: code 25: a field that is malformed, out of range or missing, or a description that "
            "cannot be read: {T} does not exist at 20000 m (the position of an earlier record, kept by the "
            "build)\nnote: the files are incomplete: the build stopped before it read {T}",
            false, true},
        caso_codice{"c101_line_missing", linea_pulita, treno_pulito, 1,
                    "{L}: error: code 101: the line description does not exist", true, false},
        // The preamble runs out on its second token.
        caso_codice{"c102_no_general",
                    {"solo testo", "senza sezione"},
                    treno_pulito,
                    1,
                    "{L}:2:1: error: code 102: the line description has no [generale] section"},
        caso_codice{"c103_curve_without_digit", linea_con({"curva, 500, 300"}), treno_pulito, 2,
                    "{L}:6:1: error: code 103: curve keyword without a digit 1 to 6, or plan geometry beyond "
                    "1000000 m"},
        // Code cut cell round(50/50) = 1.
        caso_codice{"c1250_cell_one", linea_pulita, treno_con({"abbattimento codice, 50, 270"}), 1,
                    "{T}: error: code 1250: cell 1 already holds a value where the build stamps its marker: "
                    "dato1 270 (tipo 12)"},
        // A signal at 0 takes cell 1 with dato1 = s1*10 + d1 = 0 and
        // dato2 = s2*10 + d2 = 10.
        caso_codice{
            "c1251_cell_one", linea_pulita, treno_con({segnale(0)}), 1,
            "{T}: error: code 1251: cell 1 already holds a value where the build stamps the competition "
            "code: dato2 10 (tipo 1)"}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST(Compile, CleanBuildSaysNothingAndWritesTheThreeFiles) {
  compilazione c(linea_pulita, treno_pulito);
  const prova::uscita u = c.esegui();
  EXPECT_EQ(u.stato, 0);
  EXPECT_EQ(u.err, "");
  EXPECT_EQ(u.out, "");
  // M = 17000: 20 * M - 36 = 339964 bytes of plan; N = 340: 341 * 15 = 5115
  // bytes of cells; 87 * 34 = 2958 bytes of table plus "Valmora2" and "1552".
  EXPECT_EQ(fs::file_size(c.file("Valmora2_linea.dat")), 339964u);
  EXPECT_EQ(fs::file_size(c.file("Valmora2_1552.dat")), 5115u);
  EXPECT_EQ(fs::file_size(c.file("Valmora2_1552.sim")), 2970u);
  // The build deletes its copies, not the inputs.
  EXPECT_FALSE(fs::exists(c.file("Valmora2_linea.txt")));
  EXPECT_FALSE(fs::exists(c.file("Valmora2_1552-.txt")));
  EXPECT_EQ(prova::leggi(c.linea), c.testo_linea);
  EXPECT_EQ(prova::leggi(c.treno), c.testo_treno);
}

TEST(Compile, JsonOfARecordedCode) {
  compilazione c(linea_pulita, treno_con({segnale(1125), segnale(1175)}));
  const prova::uscita u = c.esegui({"--json"});
  EXPECT_EQ(u.stato, 2);
  EXPECT_EQ(u.err, "");
  const json j = json::parse(u.out);
  EXPECT_EQ(j["code"], 16);
  EXPECT_EQ(j["position"], 1175);
  EXPECT_EQ(j["message"], "signal on an occupied cell");
  EXPECT_TRUE(j["fatal"].is_null());
  EXPECT_EQ(j["source"]["file"], c.treno.string());
  EXPECT_EQ(j["source"]["line"], 4);
  EXPECT_EQ(j["source"]["column"], 1);
  ASSERT_EQ(j["files"].size(), 3u);
  for (const json& f : j["files"]) EXPECT_EQ(f["size"], fs::file_size(f["path"].get<std::string>()));
  EXPECT_EQ(j["files"][0]["path"], c.file("Valmora2_linea.dat").string());
  EXPECT_EQ(j["files"][0]["size"], 339964);
  EXPECT_EQ(j["exit_status"], 2);
}

TEST(Compile, JsonOfAFatalStop) {
  compilazione c(linea_pulita, treno_con({"abbattimento codice, 50, 270"}));
  const prova::uscita u = c.esegui({"--json"});
  EXPECT_EQ(u.stato, 1);
  const json j = json::parse(u.out);
  EXPECT_EQ(j["code"], 1250);
  EXPECT_TRUE(j["position"].is_null());
  EXPECT_EQ(j["fatal"], " Errore n. 1250");
  EXPECT_EQ(j["source"]["file"], c.treno.string());
  EXPECT_TRUE(j["source"]["line"].is_null());
  EXPECT_TRUE(j["files"].empty());
}

TEST(Compile, JsonOfACleanBuild) {
  compilazione c(linea_pulita, treno_pulito);
  const prova::uscita u = c.esegui({"--json", "--no-plan"});
  EXPECT_EQ(u.stato, 0);
  const json j = json::parse(u.out);
  EXPECT_EQ(j["code"], 0);
  EXPECT_TRUE(j["message"].is_null());
  EXPECT_TRUE(j["source"].is_null());
  EXPECT_TRUE(j["fatal"].is_null());
  EXPECT_EQ(j["files"].size(), 2u);
}

TEST(Compile, NoPlanLeavesAnOlderPlanAsItWas) {
  compilazione c(linea_pulita, treno_pulito);
  fs::create_directories(c.uscita);
  prova::scrivi(c.file("Valmora2_linea.dat"), "older");
  EXPECT_EQ(c.esegui({"--no-plan"}).stato, 0);
  EXPECT_EQ(prova::leggi(c.file("Valmora2_linea.dat")), "older");
  EXPECT_TRUE(fs::exists(c.file("Valmora2_1552.dat")));
  // Without the plan a curve without a digit is not a curve record at all.
  compilazione d(linea_con({"curva, 500, 300"}), treno_pulito);
  EXPECT_EQ(d.esegui({"--no-plan"}).stato, 0);
}

TEST(Compile, IdentityNamesTheFilesAndFeedsTheCompetitionCodes) {
  compilazione c(linea_pulita, treno_pulito);
  EXPECT_EQ(c.esegui({"--id", "abc", "--train", "1"}).stato, 0);
  ASSERT_TRUE(fs::exists(c.file("abc_linea.dat")));
  ASSERT_TRUE(fs::exists(c.file("abc_1.sim")));
  // The codes of train "1" and identifier "abc", worked out with the core's own.
  costruzione k("", "abc", "1");
  k.tabella_scenario[85].nome = "abc";
  k.tabella_scenario[86].nome = "1";
  const std::string og = std::to_string(codice_gara_og(k)), st = std::to_string(codice_gara_st(k));
  prova::uscita celle = autori({"inspect", c.file("abc_1.dat").string(), "--from", "1", "--to", "1"});
  celle.out = prova::righe_unite(celle.out);
  EXPECT_NE(celle.out.find("dato1=5121 dato2=" + og + " "), std::string::npos) << celle.out;
  prova::uscita righe = autori({"inspect", c.file("abc_1.sim").string(), "--from", "85", "--to", "86"});
  righe.out = prova::righe_unite(righe.out);
  EXPECT_EQ(righe.out.rfind("row 85: scenario identity; identifier abc; ", 0), 0u) << righe.out;
  EXPECT_NE(righe.out.find(" | tipo=0 inizio=0 fine=0 posizione_stazione=0 tps=0 nome=\"abc\" d2_a=610 "),
            std::string::npos)
      << righe.out;
  EXPECT_NE(righe.out.find("; station competition code " + st + " | "), std::string::npos) << righe.out;
  EXPECT_NE(righe.out.find("orario=" + st + "\nrow 86:"), std::string::npos) << righe.out;
  EXPECT_NE(righe.out.find("nome=\"1\""), std::string::npos) << righe.out;
}

TEST(Compile, AMissingLineIsNotReplacedByAnOlderCopyInTheFolder) {
  compilazione c(linea_pulita, treno_pulito, true, false);
  fs::create_directories(c.uscita);
  prova::scrivi(c.file("Valmora2_linea.txt"), prova::righe_crlf(linea_pulita));
  const prova::uscita u = c.esegui();
  EXPECT_EQ(u.stato, 1);
  EXPECT_NE(u.err.find("code 101"), std::string::npos) << u.err;
}

TEST(Compile, DescriptionsUnderTheBuildsNamesInTheOutputFolderAreReadAndKept) {
  compilazione c(linea_pulita, treno_pulito);
  fs::create_directories(c.uscita);
  const fs::path linea = c.file("Valmora2_linea.txt");
  const fs::path treno = c.file("Valmora2_1552-.txt");
  prova::scrivi(linea, c.testo_linea);
  prova::scrivi(treno, c.testo_treno);
  const prova::uscita u = autori({"compile", linea.string(), treno.string(), "--out", c.uscita.string()});
  EXPECT_EQ(u.stato, 0) << u.err;
  EXPECT_EQ(prova::leggi(linea), c.testo_linea);
  EXPECT_EQ(prova::leggi(treno), c.testo_treno);
  for (const char* nome : {"Valmora2_linea.dat", "Valmora2_1552.sim", "Valmora2_1552.dat"})
    EXPECT_TRUE(fs::exists(c.file(nome))) << nome;
}

TEST(Compile, WritesOnlyTheScenarioFilesTheBuildWrote) {
  // The line description is missing: code 101, no file at all, and no copy
  // of the train description left behind.
  compilazione c(linea_pulita, treno_pulito, true, false);
  EXPECT_EQ(c.esegui().stato, 1);
  EXPECT_FALSE(fs::exists(c.file("Valmora2_1552-.txt")));
  EXPECT_FALSE(fs::exists(c.file("Valmora2_1552.dat")));
}

TEST(Compile, AnOutputFolderThatCannotBeMadeIsAFileSystemError) {
  compilazione c(linea_pulita, treno_pulito);
  prova::scrivi(c.uscita, "a file, not a folder");
  const prova::uscita u = c.esegui();
  EXPECT_EQ(u.stato, 1);
  EXPECT_EQ(u.err.rfind("autori: error: ", 0), 0u) << u.err;
}

// Bad arguments: a message and 64; help: usage text and 0.
struct caso_argomenti {
  const char* nome;
  std::vector<std::string> argomenti;
  const char* parole;
};

void PrintTo(const caso_argomenti& c, std::ostream* os) { *os << c.nome; }

class ArgomentiSbagliati : public ::testing::TestWithParam<caso_argomenti> {};

TEST_P(ArgomentiSbagliati, MessageAndStatus64) {
  const prova::uscita u = autori(GetParam().argomenti);
  EXPECT_EQ(u.stato, 64);
  EXPECT_EQ(u.out, "");
  EXPECT_EQ(u.err.rfind("autori: error: ", 0), 0u) << u.err;
  EXPECT_NE(u.err.find(GetParam().parole), std::string::npos) << u.err;
  EXPECT_NE(u.err.find("Run with --help for more information."), std::string::npos) << u.err;
}

INSTANTIATE_TEST_SUITE_P(
    Uso, ArgomentiSbagliati,
    ::testing::Values(
        caso_argomenti{"no_command", {}, "subcommand is required"},
        caso_argomenti{"unknown_command", {"compila"}, "unknown command 'compila'"},
        caso_argomenti{"compile_without_files", {"compile"}, "LINE is required"},
        caso_argomenti{"compile_without_train", {"compile", "a.txt"}, "TRAIN is required"},
        caso_argomenti{"compile_unknown_option", {"compile", "a.txt", "b.txt", "--fast"}, "--fast"},
        caso_argomenti{
            "compile_id_with_separator", {"compile", "a.txt", "b.txt", "--id", "../x"}, "path separator"},
        caso_argomenti{"compile_empty_train", {"compile", "a.txt", "b.txt", "--train", ""}, "empty"},
        caso_argomenti{"documents_two_folders", {"documents", "a", "b"}, "b"},
        caso_argomenti{"inspect_without_file", {"inspect"}, "FILE is required"},
        caso_argomenti{"inspect_unknown_kind", {"inspect", "x.dat", "--kind", "map"}, "map"},
        caso_argomenti{"inspect_kind_not_in_name", {"inspect", "x.bin"}, "--kind"},
        caso_argomenti{"inspect_range_backwards",
                       {"inspect", "x.dat", "--from", "5", "--to", "2"},
                       "--from 5 is beyond --to 2"},
        caso_argomenti{"inspect_negative_from", {"inspect", "x.dat", "--from", "-1"}, "--from"},
        caso_argomenti{"inspect_tipo_on_plan", {"inspect", "x_linea.dat", "--tipo", "1"}, "plan"},
        caso_argomenti{"inspect_tipo_out_of_range", {"inspect", "x.dat", "--tipo", "256"}, "--tipo"},
        caso_argomenti{"inspect_line_without_train",
                       {"inspect", "x.dat", "--line", "l.txt"},
                       "--line needs --train: the train description too"},
        caso_argomenti{"inspect_train_without_line",
                       {"inspect", "x.dat", "--train", "t.txt"},
                       "--train needs --line: the line description too"},
        caso_argomenti{"inspect_descriptions_on_plan",
                       {"inspect", "x_linea.dat", "--line", "l.txt", "--train", "t.txt"},
                       "--line and --train apply to cells, not to plan"},
        caso_argomenti{"inspect_table_on_table", {"inspect", "x.sim", "--table", "y.sim"}, "--table applies"},
        caso_argomenti{
            "inspect_identity_without_descriptions", {"inspect", "x.dat", "--id", "abc"}, "--line"},
        caso_argomenti{
            "inspect_geometry_on_cells", {"inspect", "x.dat", "--geometry"}, "--geometry applies"}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST(Aiuto, EveryCommandHasUsageTextOnStandardOutput) {
  for (const std::vector<std::string>& a : std::vector<std::vector<std::string>>{
           {"--help"}, {"compile", "--help"}, {"documents", "-h"}, {"inspect", "--help"}}) {
    const prova::uscita u = autori(a);
    EXPECT_EQ(u.stato, 0) << a[0];
    EXPECT_NE(u.out.find("Usage: autori"), std::string::npos) << u.out;
    EXPECT_NE(u.out.find("Exit status"), std::string::npos) << u.out;
  }
  EXPECT_NE(autori({"--help"}).out.find("compile"), std::string::npos);
  EXPECT_NE(autori({"compile", "--help"}).out.find("--no-plan"), std::string::npos);
}

// A clean fixture with the worked example's signal and code cut.
struct scenario_prova {
  compilazione c{linea_con({"curvad2, 500, 300"}), treno_con({"segnale, 1100, 2, 4, 1, 0, 0, 2, 2, 0, 0, 0",
                                                              "abbattimento codice, 7250, 270"})};
  scenario_prova() { EXPECT_EQ(c.esegui().stato, 0); }
  std::string celle() const { return c.file("Valmora2_1552.dat").string(); }
  std::string tabella() const { return c.file("Valmora2_1552.sim").string(); }
  std::string piano() const { return c.file("Valmora2_linea.dat").string(); }
};

std::vector<std::string> righe_di(const std::string& stampato) {
  const std::string testo = prova::righe_unite(stampato);
  std::vector<std::string> r;
  size_t a = 0;
  for (size_t b; (b = testo.find('\n', a)) != std::string::npos; a = b + 1)
    r.push_back(testo.substr(a, b - a));
  EXPECT_EQ(a, testo.size()) << "output ends without a line end";
  return r;
}

TEST(Inspect, CellsOfTheWorkedExamples) {
  scenario_prova s;
  const prova::uscita u = autori({"inspect", s.celle(), "--from", "23", "--to", "23"});
  EXPECT_EQ(u.stato, 0);
  // "segnale, 1100, 2, 4, 1, 0, 0, 2, 2, 0, 0, 0": cell 23, 42 10 0 8, tempo 0,
  // so sides 2 and 2 (8 = 3 * 2 + 2), digits 4 1 0 and 2 0 0, ratio 0; no speed
  // or adhesion record, and the fixture's gradient 0 is stored as 100.
  EXPECT_EQ(prova::righe_unite(u.out),
            "cell 23 at 1150\u20131199 m: signal; left kind 2, digits 4 1 0; right kind 2, digits 2 0 0; "
            "ratio 0; time 0; line speed 0 km/h, gradient 0 \u2030, adhesion 0 | tipo=1 dato1=42 dato2=10 "
            "dato3=0 dato4=8 tempo=0 avviso=0 galleria=0 vel_limite=0 pendenza=100 aderenza=0\n");
  const auto codice = righe_di(autori({"inspect", s.celle(), "--from", "145", "--to", "145"}).out);
  ASSERT_EQ(codice.size(), 1u);
  EXPECT_EQ(codice[0].rfind("cell 145 at 7250\u20137299 m: code point; code 270; ", 0), 0u) << codice[0];
  EXPECT_NE(codice[0].find(" | tipo=12 dato1=270 dato2=0 "), std::string::npos) << codice[0];
  // Cell 1 after the final block: 5121 and the object code.
  const auto uno = righe_di(autori({"inspect", s.celle(), "--to", "1"}).out);
  ASSERT_EQ(uno.size(), 2u);
  const std::string og = std::to_string(spedito::codice_og);
  EXPECT_EQ(uno[1].rfind(
                "cell 1 at 50\u201399 m: empty; marker 5121, the fixed value every build stamps here; object "
                "competition code " +
                    og + ", computed from the scenario identifier and train number alone; ",
                0),
            0u)
      << uno[1];
  EXPECT_NE(uno[1].find(" | tipo=0 dato1=5121 dato2=" + og + " "), std::string::npos) << uno[1];
}

TEST(Inspect, Filters) {
  scenario_prova s;
  const auto segnali = righe_di(autori({"inspect", s.celle(), "--tipo", "1"}).out);
  ASSERT_EQ(segnali.size(), 1u);
  EXPECT_EQ(segnali[0].rfind("cell 23 ", 0), 0u);
  // Beyond the profile bytes: cell 1, the signal's marks in 21, 19, 17, 15,
  // the signal and the code cut.
  const auto pieni = righe_di(autori({"inspect", s.celle(), "--non-empty"}).out);
  std::vector<std::string> indici;
  for (const auto& r : pieni) indici.push_back(r.substr(0, r.find(" at ")));
  EXPECT_EQ(indici, (std::vector<std::string>{"cell 1", "cell 15", "cell 17", "cell 19", "cell 21", "cell 23",
                                              "cell 145"}));
  // 341 cells, N = 340.
  EXPECT_EQ(righe_di(autori({"inspect", s.celle()}).out).size(), 341u);
  EXPECT_EQ(righe_di(autori({"inspect", s.celle(), "--from", "339"}).out).size(), 2u);
  // Past the last cell is refused, not answered with nothing.
  EXPECT_EQ(autori({"inspect", s.celle(), "--from", "400"}).stato, 64);
  // Rows with anything in them: 84 (length), 85, 86.
  const auto righe = righe_di(autori({"inspect", s.tabella(), "--non-empty"}).out);
  ASSERT_EQ(righe.size(), 3u);
  EXPECT_EQ(
      righe[0].rfind("row 84: route and train figures; braked mass 0 %; route length 10000 m; coaches 0 | "
                     "tipo=0 inizio=0 fine=10000 ",
                     0),
      0u)
      << righe[0];
}

// A tunnel's cells that hold nothing else are left out of --non-empty unless
// --tunnels asks: round(1000 / 50) = 20 to round(1200 / 50 - 1) = 23, and the
// light of a lit tunnel (its fourth cell, 23) is an object.
TEST(Inspect, NonEmptyLeavesOutCellsWithOnlyATunnel) {
  for (const auto& [tipo, soli] :
       {std::pair{1, std::vector<std::string>{}}, std::pair{11, std::vector<std::string>{"cell 23"}}}) {
    compilazione c(linea_con({"montagna, 1000, 1200, " + std::to_string(tipo)}), treno_con({}));
    ASSERT_EQ(c.esegui().stato, 0);
    const std::string celle = c.file("Valmora2_1552.dat").string();
    auto indici = [&](std::vector<std::string> altri) {
      std::vector<std::string> a = {"inspect", celle, "--from", "2", "--to", "30", "--non-empty"};
      a.insert(a.end(), altri.begin(), altri.end());
      std::vector<std::string> v;
      for (const auto& r : righe_di(autori(a).out)) v.push_back(r.substr(0, r.find(" at ")));
      return v;
    };
    EXPECT_EQ(indici({}), soli) << tipo;
    EXPECT_EQ(indici({"--tunnels"}), (std::vector<std::string>{"cell 20", "cell 21", "cell 22", "cell 23"}))
        << tipo;
  }
  EXPECT_EQ(autori({"inspect", "x.dat", "--tunnels"}).stato, 64);
}

TEST(Inspect, TableRow85) {
  scenario_prova s;
  const auto r = righe_di(autori({"inspect", s.tabella(), "--from", "85", "--to", "85"}).out);
  ASSERT_EQ(r.size(), 1u);
  const std::string st = std::to_string(spedito::codice_st);
  EXPECT_EQ(
      r[0],
      "row 85: scenario identity; identifier Valmora2; background one 0; background two 0; background three "
      "0; marker 610; station competition code " +
          st +
          " | tipo=0 inizio=0 fine=0 posizione_stazione=0 tps=0 nome=\"Valmora2\" d2_a=610 d3_a=0 d1_b=0 "
          "d2_b=0 d3_b=0 rap=0 ac=0 mar=0 tab=0 orario=" +
          st);
}

TEST(Inspect, PlanMetres) {
  scenario_prova s;
  const auto r = righe_di(autori({"inspect", s.piano(), "--to", "2"}).out);
  EXPECT_EQ(r, (std::vector<std::string>{"metre 0: x=0 (integer) y=0 (integer)",
                                         "metre 1: x=0 (integer) y=1 (integer)", "metre 2: x=0 y=2"}));
  // "curvad2, 500, 300": metre 500 is (0, 500), metre 501 is (0.0002, 501).
  const auto curva = righe_di(autori({"inspect", s.piano(), "--from", "500", "--to", "501"}).out);
  EXPECT_EQ(curva, (std::vector<std::string>{"metre 500: x=0 y=500", "metre 501: x=0.0002 y=501"}));
  // The last two metres of 0..17000 are never reached.
  const auto fine = righe_di(autori({"inspect", s.piano(), "--from", "16999"}).out);
  EXPECT_EQ(fine, (std::vector<std::string>{"metre 16999: x=empty y=empty", "metre 17000: x=empty y=empty"}));
  EXPECT_EQ(righe_di(autori({"inspect", s.piano(), "--non-empty", "--from", "16998"}).out).size(), 1u);
}

TEST(Inspect, Json) {
  scenario_prova s;
  const prova::uscita u = autori({"inspect", s.celle(), "--json", "--from", "23", "--to", "23"});
  EXPECT_EQ(u.stato, 0);
  const json j = json::parse(u.out);
  EXPECT_EQ(j["kind"], "cells");
  EXPECT_EQ(j["count"], 341);
  ASSERT_EQ(j["cells"].size(), 1u);
  const json& c = j["cells"][0];
  EXPECT_EQ(c["index"], 23);
  EXPECT_EQ(c["tipo"], 1);
  EXPECT_EQ(c["dato1"], 42);
  EXPECT_EQ(c["dato2"], 10);
  EXPECT_EQ(c["dato3"], 0);
  EXPECT_EQ(c["dato4"], 8);
  EXPECT_EQ(c["metre"], 23 * 50);
  EXPECT_EQ(c["kind"], "signal");
  EXPECT_EQ(c["meaning"]["left"]["digits"], json({4, 1, 0}));
  EXPECT_EQ(c["meaning"]["right"]["kind"], 2);
  const json t = json::parse(autori({"inspect", s.tabella(), "--json", "--from", "85", "--to", "85"}).out);
  EXPECT_EQ(t["rows"][0]["nome"], "Valmora2");
  EXPECT_EQ(t["rows"][0]["orario"], spedito::codice_st);
  EXPECT_EQ(t["rows"][0]["use"], "scenario identity");
  EXPECT_EQ(t["rows"][0]["meaning"]["station_competition_code"], spedito::codice_st);
  const json p = json::parse(autori({"inspect", s.piano(), "--json", "--from", "1", "--to", "1"}).out);
  EXPECT_EQ(p["metres"][0]["y"], 1.0);
  EXPECT_EQ(p["metres"][0]["y_kind"], "integer");
  EXPECT_EQ(p["metres"][0]["metre"], 1);
}

TEST(Inspect, KindFromTheOptionWhenTheNameDoesNotTell) {
  scenario_prova s;
  const fs::path altro = s.c.dir / "celle.bin";
  fs::copy_file(s.celle(), altro);
  const prova::uscita u = autori({"inspect", altro.string(), "--kind", "cells", "--tipo", "12"});
  EXPECT_EQ(u.stato, 0);
  EXPECT_EQ(u.out.rfind("cell 145 ", 0), 0u) << u.out;
}

TEST(Inspect, RejectsAFileWhoseSizeDoesNotFitItsKind) {
  scenario_prova s;
  struct caso {
    std::string file;
    std::string parole;
  };
  // One byte cut from each kind; one byte added to the table.
  for (const caso& k : {caso{s.celle(), "5114 bytes is not a whole number of 15-byte cells"},
                        caso{s.tabella(), "row 86 at byte"}, caso{s.piano(), "cut short"}}) {
    std::string dati = prova::leggi(k.file);
    dati.pop_back();
    prova::scrivi(k.file, dati);
    const prova::uscita u = autori({"inspect", k.file});
    EXPECT_EQ(u.stato, 1) << k.file;
    EXPECT_EQ(u.out, "");
    EXPECT_EQ(u.err.rfind(k.file + ": error: not a ", 0), 0u) << u.err;
    EXPECT_NE(u.err.find(k.parole), std::string::npos) << u.err;
  }
  prova::scrivi(s.tabella(), std::string(2970, '\0') + "x");
  EXPECT_EQ(autori({"inspect", s.tabella()}).stato, 1);
  const prova::uscita manca = autori({"inspect", (s.c.dir / "nessuno.dat").string()});
  EXPECT_EQ(manca.stato, 1);
  EXPECT_NE(manca.err.find("cannot read"), std::string::npos) << manca.err;
}

// The five documents as the product writes them, in a folder of their own.
void documenti_del_prodotto(const fs::path& cartella) {
  const costruzione c(cartella, identificativo_scenario, numero_treno_scenario);
  dati_linea(c);
  dati_treno(c);
  dati_note(c);
  dati_rallentamenti(c);
  dati_scheda(c);
}

const std::vector<std::string> nomi_documenti = {"Valmora2_linea.txt", "Valmora2_1552-.txt",
                                                 "Valmora2_1552_note.txt", "Valmora2_1552_rallentamenti.txt",
                                                 "Valmora2_1552_scheda_treno.txt"};
const std::vector<std::string> nomi_scenario = {"Valmora2_linea.dat", "Valmora2_1552.sim",
                                                "Valmora2_1552.dat"};

TEST(Documents, ByteForByteAsTheProductWritesThem) {
  prova::cartella dir;
  const fs::path nostri = dir / "nuova" / "cartella";
  const prova::uscita u = autori({"documents", nostri.string()});
  EXPECT_EQ(u.stato, 0);
  EXPECT_EQ(u.err, "");
  documenti_del_prodotto(dir.percorso());
  std::string elenco;
  for (const std::string& nome : nomi_documenti) {
    EXPECT_EQ(prova::leggi(nostri / nome), prova::leggi(dir / nome)) << nome;
    elenco += (nostri / nome).string() + "\n";
  }
  EXPECT_EQ(u.out, elenco);
}

TEST(Documents, AFolderThatCannotBeMadeIsAnError) {
  prova::cartella dir;
  prova::scrivi(dir / "file", "not a folder");
  const prova::uscita u = autori({"documents", (dir / "file").string()});
  EXPECT_EQ(u.stato, 1);
  EXPECT_EQ(u.out, "");
  EXPECT_EQ(u.err.rfind("autori: error: ", 0), 0u) << u.err;
}

// The tool compiling the documents it wrote and the product's own run give the
// same outcome and, when the build is clean, the same bytes.
TEST(Documents, CompiledByTheToolAsByTheProduct) {
  prova::cartella dir;
  const fs::path documenti = dir / "documenti";
  const fs::path strumento = dir / "strumento";
  const fs::path prodotto = dir / "prodotto";
  ASSERT_EQ(autori({"documents", documenti.string()}).stato, 0);
  const prova::uscita u =
      autori({"compile", (documenti / "Valmora2_linea.txt").string(),
              (documenti / "Valmora2_1552-.txt").string(), "--out", strumento.string(), "--json"});
  fs::create_directories(prodotto);
  const esito_costruzione e = esegui_avvio(prodotto, identificativo_scenario, numero_treno_scenario);
  std::optional<std::string> fatale;
  if (!e.fatale.empty()) fatale = testo_errore(e.fatale);
  const json j = json::parse(u.out);
  if (fatale) {
    EXPECT_EQ(u.stato, 1);
    EXPECT_EQ(j["fatal"], *fatale);
    return;
  }
  EXPECT_EQ(u.stato, e.codice_errore == 0 ? 0 : 2);
  EXPECT_EQ(j["code"], e.codice_errore);
  for (const std::string& nome : nomi_scenario) {
    ASSERT_TRUE(fs::exists(strumento / nome)) << nome;
    EXPECT_TRUE(prova::leggi(strumento / nome) == prova::leggi(prodotto / nome)) << nome << " differs";
  }
}

// The shipped scenario, compiled by the tool from the documents it wrote.
class Consegnati : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new prova::cartella;
    const fs::path d = dir_->percorso();
    ASSERT_EQ(autori({"documents", d.string()}).stato, 0);
    const prova::uscita u = autori({"compile", (d / "Valmora2_linea.txt").string(),
                                    (d / "Valmora2_1552-.txt").string(), "--out", (d / "out").string()});
    esito_ = u.stato;
    errore_ = u.err;
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  void SetUp() override { ASSERT_EQ(esito_, 0) << errore_; }
  static std::string file(const std::string& nome) { return (dir_->percorso() / "out" / nome).string(); }
  static std::string una_riga(const std::vector<std::string>& argomenti) {
    const prova::uscita u = autori(argomenti);
    EXPECT_EQ(u.stato, 0) << u.err;
    const auto r = righe_di(u.out);
    EXPECT_EQ(r.size(), 1u) << u.out;
    return r.empty() ? "" : r[0];
  }

  static inline prova::cartella* dir_ = nullptr;
  static inline int esito_ = -1;
  static inline std::string errore_;
};

TEST_F(Consegnati, SizesOfTheThreeFiles) {
  EXPECT_EQ(fs::file_size(file("Valmora2_linea.dat")), spedito::byte_piano);
  EXPECT_EQ(fs::file_size(file("Valmora2_1552.dat")), spedito::byte_celle);
}

TEST_F(Consegnati, Cell23IsTheSignalAt1100) {
  const std::string r = una_riga({"inspect", file("Valmora2_1552.dat"), "--from", "23", "--to", "23"});
  EXPECT_EQ(
      r.rfind("cell 23 at 1150\u20131199 m: signal; left kind 2, digits 4 1 0; right kind 2, digits 2 0 0; "
              "ratio 0; time 0; ",
              0),
      0u)
      << r;
  EXPECT_NE(r.find(" | tipo=1 dato1=42 dato2=10 dato3=0 dato4=8 tempo=0 "), std::string::npos) << r;
}

TEST_F(Consegnati, Cell145IsTheCodeCutAt7250) {
  const std::string r = una_riga({"inspect", file("Valmora2_1552.dat"), "--from", "145", "--to", "145"});
  EXPECT_EQ(r.rfind("cell 145 at 7250\u20137299 m: code point; code 270; ", 0), 0u) << r;
  EXPECT_NE(r.find(" | tipo=12 dato1=270 "), std::string::npos) << r;
}

TEST_F(Consegnati, Cell1AndRow85CarryTheMarkersAndTheCompetitionCodes) {
  const std::string c = una_riga({"inspect", file("Valmora2_1552.dat"), "--from", "1", "--to", "1"});
  EXPECT_NE(c.find(" dato1=5121 dato2=" + std::to_string(spedito::codice_og) + " "), std::string::npos) << c;
  const std::string r = una_riga({"inspect", file("Valmora2_1552.sim"), "--from", "85", "--to", "85"});
  EXPECT_NE(r.find(" nome=\"Valmora2\" d2_a=610 "), std::string::npos) << r;
  EXPECT_NE(r.find(" orario=" + std::to_string(spedito::codice_st)), std::string::npos) << r;
}

TEST_F(Consegnati, TheFirstCurveTurnsAfterMetre500) {
  // "curvad2, 500, 300" with nothing before it: metre 501 is (0.0002, 501).
  EXPECT_EQ(una_riga({"inspect", file("Valmora2_linea.dat"), "--from", "501", "--to", "501"}),
            "metre 501: x=0.0002 y=501");
}

}  // namespace
