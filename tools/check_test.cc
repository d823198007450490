// autori check as an author meets it: descriptions in, the exact findings,
// the count and the exit status out; and the field table against the fields
// the compilers read.
#include <gtest/gtest.h>

#include <map>
#include <nlohmann/json.hpp>
#include <set>

#include "aiuti_prova.h"
#include "documents/documenti.h"
#include "files/archivio.h"
#include "files/nomi_file.h"
#include "formato.h"
#include "model/costruzione.h"
#include "run/memorizza_percorso.h"
#include "verifica.h"

namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;
using prova::autori;

using prova::linea_con;
using prova::linea_generale;
using prova::segnale;
using prova::settantotto_cartelli;

// A station of 600 m at 4500 m (its area 4200 to 4800 m) on line 3.
const std::string stazione_4500 = "stazione, 4500, 2, 600, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 14, 0, 0, NOME";

// Train: "[generale]" with the four general records on its line (so that
// none is missing), the station, the records from line 4 on. The clock
// starts at 7:00:00, before every station's time.
const std::string generale_completa =
    "[generale], numero vetture, 8, percentuale massa frenata, 130, sabbia, 200, orologio, 7, 0, 0";
std::vector<std::string> treno_con(const std::vector<std::string>& record) {
  std::vector<std::string> r = {"treno di prova", generale_completa, stazione_4500};
  r.insert(r.end(), record.begin(), record.end());
  r.push_back("     [fine]");
  return r;
}

const std::vector<std::string> linea_pulita = linea_con({});
const std::vector<std::string> treno_pulito = treno_con({});

struct controllo {
  prova::cartella dir;
  fs::path linea = dir / "linea.txt";
  fs::path treno = dir / "treno.txt";

  controllo(const std::vector<std::string>& l, const std::vector<std::string>& t, bool senza_linea = false,
            bool senza_treno = false) {
    if (!senza_linea) prova::scrivi(linea, prova::righe_crlf(l));
    if (!senza_treno) prova::scrivi(treno, prova::righe_crlf(t));
  }
  controllo(const std::string& l, const std::string& t) {
    prova::scrivi(linea, l);
    prova::scrivi(treno, t);
  }
  prova::uscita esegui(std::vector<std::string> altri = {}) const {
    std::vector<std::string> a = {"check", linea.string(), treno.string()};
    a.insert(a.end(), altri.begin(), altri.end());
    return autori(a);
  }
  // {L} and {T} stand for the two paths.
  std::string atteso(const std::vector<std::string>& righe) const {
    std::string s;
    for (std::string r : righe) {
      for (auto [segno, valore] : {std::pair{"{L}", linea.string()}, std::pair{"{T}", treno.string()}})
        for (size_t i; (i = r.find(segno)) != std::string::npos;) r.replace(i, 3, valore);
      s += r + "\n";
    }
    return s;
  }
};

struct caso {
  const char* nome;
  std::vector<std::string> linea;
  std::vector<std::string> treno;
  std::vector<std::string> righe;  // every finding, then the count
  int stato;
  bool senza_linea = false;
  bool senza_treno = false;
};
void PrintTo(const caso& c, std::ostream* os) { *os << c.nome; }

class Verifica : public ::testing::TestWithParam<caso> {};

TEST_P(Verifica, PrintsExactlyTheseFindings) {
  const caso& k = GetParam();
  controllo c(k.linea, k.treno, k.senza_linea, k.senza_treno);
  const prova::uscita u = c.esegui();
  EXPECT_EQ(u.err, c.atteso(k.righe));
  EXPECT_EQ(u.out, "");
  EXPECT_EQ(u.stato, k.stato);
}

// Cells: a signal, indicator or sign at p takes round(p/50 + 1), a code cut
// round(p/50), a slowdown at x its start round(x/50 + 1); ties go to even.
INSTANTIATE_TEST_SUITE_P(
    Errori, Verifica,
    ::testing::Values(
        caso{"c1_route_too_long",
             linea_generale({"lunghezza percorso, 1000001"}),
             treno_pulito,
             {"{L}:3:1: error: code 1: route length 1000001 m: above the longest route, 1000000 m",
              "1 error, 0 warnings"},
             1},
        caso{"c2_chainage",
             linea_generale({"lunghezza percorso, 10000", "progressiva chilometrica uno, 120, 50, 0"}),
             treno_pulito,
             {"{L}: error: code 2: a chainage section's start or difference is not a multiple of 50",
              "1 error, 0 warnings"},
             1},
        // Before the length key: no cells yet, so nothing after it is read.
        caso{
            "c3_repetition_start",
            linea_generale({"ripetizione segnali 9 codici, 120, 100", "lunghezza percorso, 10000"}),
            treno_pulito,
            {"{L}:3:1: error: code 3: first position of the signal repetition is not a multiple of 50: 120 m",
             "1 error, 0 warnings"},
            1},
        caso{"c4_repetition_end",
             linea_generale({"lunghezza percorso, 10000", "ripetizione segnali 9 codici, 100, 120"}),
             treno_pulito,
             {"{L}:4:1: error: code 4: second position of the signal repetition is not a multiple of 50: 120 "
              "m",
              "1 error, 0 warnings"},
             1},
        caso{"c5_repetition_codes",
             linea_generale({"ripetizione segnali codici, 100, 200", "lunghezza percorso, 10000"}),
             treno_pulito,
             {"{L}:3:1: error: code 5: the signal repetition key names neither 4 nor 9 codes",
              "1 error, 0 warnings"},
             1},
        // Both in cell round(1050/50 + 1) = 22.
        caso{"c6_sign",
             linea_con({"indicatori_vmax, 1050, 85, 90, 95, 0, 85, 90, 95, 0",
                        "cartello indicatore, 1050, (T)"}),
             treno_pulito,
             {"{L}:7:1: error: code 6: sign at 1050 m: cell 22 is already taken by the maximum-speed "
              "indicator of "
              "line 6 of the line description",
              "1 error, 0 warnings"},
             1},
        // Signal cell round(1100/50 + 1) = 23, cut cell round(1150/50) = 23.
        caso{"c7_code_cut",
             linea_pulita,
             treno_con({"segnale, 1100, 2, 4, 1, 0, 0, 2, 2, 0, 0, 0", "abbattimento codice, 1150, 270"}),
             {"{T}:5:1: error: code 7: code cut at 1150 m: cell 23 is already taken by the signal of line 4",
              "1 error, 0 warnings"},
             1},
        caso{"c8_station_position",
             linea_pulita,
             treno_con({"stazione, 8025, 2, 600, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 15, 0, 0, ALTRA"}),
             {"{T}:4:1: error: code 8: station at 8025 m: position must be a multiple of 50",
              "1 error, 0 warnings"},
             1},
        caso{"c9_station_length",
             linea_pulita,
             treno_con({"stazione, 8000, 2, 650, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 15, 0, 0, ALTRA"}),
             {"{T}:4:1: error: code 9: station at 8000 m: length 650 m must be a multiple of 100",
              "1 error, 0 warnings"},
             1},
        // 78 signs leave the station rows no room (80 - 78 = 2): the station
        // set aside, the train has none.
        caso{"c10_too_many_stations",
             linea_con(settantotto_cartelli()),
             treno_pulito,
             {"{T}: warning: the train has no station",
              "{T}:3:1: error: code 10: too many stations: the station rows reach the rows of the sign texts",
              "1 error, 1 warning"},
             1},
        // The finishing pass's codes name no record; cells as in compile's
        // tests: signals in 68 to 70 before the board in 77 (70 * 50 = 3500),
        // in 154 to 156 before the start in 161 (161 * 50 = 8050; 94 to 96
        // would meet the station's cell 4800 / 50 - 1 = 95), in 108 to 110
        // along a 60 km/h slowdown (109 * 50 = 5450).
        caso{"c11_signal_before_board",
             linea_pulita,
             treno_con({"rallentamento, 5000, 120, 400, 0, 0, 0", segnale(3350), segnale(3400),
                        segnale(3450)}),
             {"{T}: error: code 11: no free cell for the code point in front of a signal before a slowdown "
              "warning board at 3500 m",
              "1 error, 0 warnings"},
             1},
        caso{"c12_before_start",
             linea_pulita,
             treno_con({"rallentamento, 8000, 120, 400, 0, 0, 0", segnale(7650), segnale(7700),
                        segnale(7750)}),
             {"{T}: error: code 12: no free cell for a code point before a slowdown start at 8050 m",
              "1 error, 0 warnings"},
             1},
        caso{"c13_walk",
             linea_pulita,
             treno_con({"rallentamento, 5000, 60, 1000, 0, 0, 0", segnale(5350), segnale(5400),
                        segnale(5450)}),
             {"{T}: error: code 13: no free cell for a code point along a slowdown or in front of the first "
              "signal after it at 5450 m",
              "1 error, 0 warnings"},
             1},
        // (20000 + 100) / 50 = 402 > 340; the last cell begins at 340 * 50.
        caso{"c15_beyond_route",
             linea_con({"pendenza, 20000, 0"}),
             treno_pulito,
             {"{L}:6:1: error: code 15: gradient at 20000 m: beyond the last cell of the route, which is "
              "10000 m "
              "long with cells up to 17000 m",
              "1 error, 0 warnings"},
             1},
        // round(1125/50 + 1) = round(23.5) = 24 = round(24.5).
        caso{"c16_signal",
             linea_pulita,
             treno_con({segnale(1125), segnale(1175)}),
             {"{T}:4:1: note: signal at 1125 m: not a multiple of 50, placed in cell 24 (halfway: to the "
              "even cell)",
              "{T}:5:1: error: code 16: signal at 1175 m: cell 24 is already taken by the signal of line 4",
              "1 error, 0 warnings, 1 note"},
             1},
        // The start is cell 5000/50 + 1 = 101, the signal's too.
        caso{
            "c18_slowdown_start",
            linea_pulita,
            treno_con({segnale(5000), "rallentamento, 5000, 60, 400, 0, 0, 0"}),
            {"{T}:5:1: error: code 18: slowdown at 5000 m: cell 101 is already taken by the signal of line 4",
             "1 error, 0 warnings"},
            1},
        // Board cell round((5000 - 1200)/50 + 1) = 77 = 3800/50 + 1; end cell
        // round(5400/50 + 1) = 109.
        caso{"c17_board",
             linea_pulita,
             treno_con({segnale(3800), "rallentamento, 5000, 60, 400, 0, 0, 0"}),
             {"{T}:5:1: error: code 17: slowdown at 5000 m: cell 77 is already taken by the signal of line 4",
              "1 error, 0 warnings"},
             1},
        caso{
            "c19_end",
            linea_pulita,
            treno_con({segnale(5400), "rallentamento, 5000, 60, 400, 0, 0, 0"}),
            {"{T}:5:1: error: code 19: slowdown at 5000 m: cell 109 is already taken by the signal of line 4",
             "1 error, 0 warnings"},
            1},
        // x = 1775: the approach begins at round(11.5) = 12, where its own
        // board, round(12.5) = 12, already is.
        caso{"c20_approach",
             linea_pulita,
             treno_con({"rallentamento, 1775, 60, 400, 0, 1, 0"}),
             {"{T}:4:1: error: code 20: slowdown at 1775 m: cell 12 is already taken by the slowdown of line "
              "4",
              "1 error, 0 warnings"},
             1},
        caso{"c21_indicator",
             linea_con({"indicatori_vmax, 1050, 85, 90, 95, 0, 85, 90, 95, 0",
                        "indicatori_vmax, 1050, 85, 90, 95, 0, 85, 90, 95, 0"}),
             treno_pulito,
             {"{L}:7:1: error: code 21: maximum-speed indicator at 1050 m: cell 22 is already taken by the "
              "maximum-speed indicator of line 6 of the line description",
              "1 error, 0 warnings"},
             1},
        // The second area begins at 5000 - 300 = 4700, and 4700 - 350 < 4800;
        // it must begin at 4800 + 350 = 5150 or later.
        caso{"c22_stations_overlap",
             linea_pulita,
             treno_con({"stazione, 5000, 2, 600, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 15, 0, 0, SECONDA"}),
             {"{T}:4:1: error: code 22: station SECONDA at 5000 m (area 4700 to 5300 m) is too near the "
              "station "
              "NOME at 4500 m (area 4200 to 4800 m) of line 3: its area must begin at least 350 m after the "
              "other's end, at 5150 m or later",
              "1 error, 0 warnings"},
             1},
        // Type 6 runs from 3000 - 400 = 2600 to 3000 + 150 = 3150.
        caso{"c22_stations_out_of_order",
             linea_pulita,
             treno_con({"stazione, 3000, 6, 400, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 15, 0, 0, PRIMA"}),
             {"{T}:4:1: error: code 22: station PRIMA at 3000 m (area 2600 to 3150 m) is out of order: it "
              "comes "
              "after the station NOME at 4500 m (area 4200 to 4800 m) of line 3; stations are listed in the "
              "order of travel",
              "1 error, 0 warnings"},
             1},
        caso{
            "c22_station_repeated",
            linea_pulita,
            treno_con({stazione_4500}),
            {"{T}:4:1: error: code 22: station NOME at 4500 m (area 4200 to 4800 m) repeats the station NOME "
             "at 4500 m (area 4200 to 4800 m) of line 3; each station is listed once",
             "1 error, 0 warnings"},
            1},
        // The area ends at 0 + 200/2 = 100: 100/50 - 1 = 1.
        caso{"c24_station_at_start",
             linea_pulita,
             treno_con({"stazione, 0, 2, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 14, 0, 0, ORIGINE"}),
             {"{T}:4:1: error: code 24: station area ends too near the start of the route",
              "1 error, 0 warnings"},
             1},
        // "sabbia, " is 8 characters; "velocita, 1000, " 16.
        caso{"c25_out_of_range",
             linea_pulita,
             treno_con({"sabbia, 40000"}),
             {"{T}:4:9: error: code 25: field 1 of 'sabbia' (sand): 40000 is out of range; allowed: a whole "
              "number from -32768 to 32767",
              "1 error, 0 warnings; the files would be incomplete: the build stops at line 4 of {T}"},
             1},
        caso{"c25_not_a_number",
             linea_pulita,
             treno_con({"velocita, 1000, 9O"}),
             {"{T}:4:17: error: code 25: field 2 of 'velocita' (speed, km/h): \"9O\" is not a number; "
              "allowed: a "
              "whole number from -2147483648 to 2147483647",
              "1 error, 0 warnings; the files would be incomplete: the build stops at line 4 of {T}"},
             1},
        caso{"c25_negative_length",
             linea_generale({"lunghezza percorso, -5"}),
             treno_pulito,
             {"{L}:3:1: error: code 25: route length -5 m: below 0", "1 error, 0 warnings"},
             1},
        caso{"c25_unterminated_quote",
             linea_con({"\"senza fine, 3"}),
             treno_pulito,
             {"{L}:6:1: error: code 25: a token: it begins with '\"' and has no closing '\"'",
              "1 error, 0 warnings; the files would be incomplete: the build stops at line 6 of {L}"},
             1},
        caso{"c25_train_missing",
             linea_pulita,
             treno_pulito,
             {"{T}: error: code 25: the train description does not exist",
              "1 error, 0 warnings; the files would be incomplete: the build stops before it reads {T}"},
             1,
             false,
             true},
        caso{"c101_line_missing",
             linea_pulita,
             treno_pulito,
             {"{L}: error: code 101: the line description does not exist", "1 error, 0 warnings"},
             1,
             true},
        caso{"c102_no_general",
             {"solo testo", "senza sezione"},
             treno_pulito,
             {"{L}:2:1: error: code 102: the line description has no [generale] section",
              "1 error, 0 warnings"},
             1},
        caso{"c103_curve_without_digit",
             linea_con({"curva, 500, 300"}),
             treno_pulito,
             {"{L}:6:1: error: code 103: curve keyword without a digit 1 to 6, or plan geometry beyond "
              "1000000 m",
              "1 error, 0 warnings"},
             1},
        // Cut cell round(50/50) = 1.
        caso{"c1250_cell_one",
             linea_pulita,
             treno_con({"abbattimento codice, 50, 270"}),
             {"{T}:4:1: error: code 1250: cell 1 already holds a value where the build stamps its marker: "
              "cell 1 is "
              "taken by this code cut at 50 m",
              "1 error, 0 warnings"},
             1},
        // A signal at 0 takes cell round(0/50 + 1) = 1.
        caso{
            "c1251_cell_one",
            linea_pulita,
            treno_con({segnale(0)}),
            {"{T}:4:1: error: code 1251: cell 1 already holds a value where the build stamps the competition "
             "code: cell 1 is taken by this signal at 0 m",
             "1 error, 0 warnings"},
            1}),
    [](const auto& info) { return std::string(info.param.nome); });

INSTANTIATE_TEST_SUITE_P(
    Avvisi, Verifica,
    ::testing::Values(
        caso{"misspelt_keyword",
             linea_con({"pendneza, 500, 3"}),
             treno_con({"rallentamenti, 5000, 60, 400, 0, 0, 0"}),
             {"{L}:6:1: warning: \"pendneza\" matches no keyword: the record is skipped and its fields are "
              "ignored; "
              "did you mean 'pendenza'?",
              "{T}:4:1: warning: \"rallentamenti\" matches no keyword: the record is skipped and its fields "
              "are "
              "ignored; did you mean 'rallentamento'?",
              "0 errors, 2 warnings"},
             0},
        caso{"exact_case_keyword",
             linea_generale({"lunghezza percorso, 10000", "PROGRESSIVA CHILOMETRICA UNO, 0, 0, 0"}),
             treno_pulito,
             {"{L}:4:1: warning: \"PROGRESSIVA CHILOMETRICA UNO\" matches no keyword: the record is skipped "
              "and "
              "its fields are ignored; 'progressiva' is matched in lower case only",
              "0 errors, 1 warning"},
             0},
        // The header takes the next three fields, the first being "montagna".
        caso{"header_read_as_record",
             linea_con({"[montagna]", "montagna, 3000, 4000, 1"}),
             treno_pulito,
             {"{L}:6:1: warning: the section header \"[montagna]\" is read as a tunnel record ('montagna'); "
              "section "
              "headers are [generale], [pendenze], [curve], [montagne], [indicazioni], [cartelli], [fine]",
              // The header's line ends at once: the tunnel's fields are looked
              // for on the next line, which is the next record.
              "{L}:6:1: error: code 25: the tunnel on this line has none of its 3 fields; field 1 of "
              "'montagna' (tunnel start, m) was looked for on line 7, \"montagna\"",
              "1 error, 1 warning; the files would be incomplete: the build stops at line 6 of {L}"},
             1},
        caso{"hash_and_slashes",
             linea_con({"# pendenza, 3000, 1"}),
             treno_con({"// velocita, 1000, 100"}),
             {"{L}:6:1: warning: '#' does not begin a comment here: the line is read as a gradient record; a "
              "comment is a token that contains '-', such as '- text'",
              "{T}:4:1: warning: '//' does not begin a comment here: the line is read as a speed limit "
              "record; a "
              "comment is a token that contains '-', such as '- text'",
              "0 errors, 2 warnings"},
             0},
        caso{"unknown_header",
             linea_con({"[pendnze]"}),
             treno_pulito,
             {"{L}:6:1: warning: unknown section header \"[pendnze]\"; did you mean '[pendenze]'? (headers "
              "only "
              "help the reader: the build skips them)",
              "0 errors, 1 warning"},
             0},
        caso{"train_without_general",
             linea_pulita,
             {"treno di prova", stazione_4500},
             {"{T}: warning: the train description has no '[generale]' section: the build skips every record "
              "in it",
              "0 errors, 1 warning"},
             0},
        caso{"train_without_station",
             linea_pulita,
             {"treno di prova", "[generale]", "velocita, 0, 100"},
             // The table starts cleared, so each missing record leaves 0.
             {"{T}: warning: the train has no station",
              "{T}: warning: the train has no coach count record ('numero vetture, 8' in its general "
              "section): "
              "the build takes 0 coaches",
              "{T}: warning: the train has no braked mass record ('percentuale massa frenata, 130' in its "
              "general section): the build takes a braked mass of 0 percent",
              "{T}: warning: the train has no sand record ('sabbia, 200' in its general section): the build "
              "takes no sand (0)",
              "{T}: warning: the train has no clock record ('orologio, 13, 53, 30' in its general section): "
              "the "
              "build takes a clock of 0:00:00",
              "0 errors, 5 warnings"},
             0},
        // 200 + 100 = 300 keeps 300 - 256 = 44, which means 44 - 100 = -56.
        caso{"gradient_wraps",
             linea_con({"pendenza, 500, 200"}),
             treno_pulito,
             {"{L}:6:1: error: field 2 of 'pendenza' (gradient, per mille): 200 is stored as -56: one byte "
              "holds "
              "the gradient plus 100, so only -100 to 155 is kept",
              "1 error, 0 warnings"},
             1},
        // round(112 / 5) = 22 steps of 5.
        caso{"speed_rounded",
             linea_pulita,
             treno_con({"velocita, 1000, 112"}),
             {"{T}:4:1: warning: field 2 of 'velocita' (speed, km/h): 112 km/h is stored as 110 km/h: speeds "
              "are "
              "kept in steps of 5 km/h",
              "0 errors, 1 warning"},
             0},
        // 10 * (3 * 9 + 1) + 4 = 284, one byte keeps 284 - 256 = 28.
        caso{"signal_mark_wraps",
             linea_pulita,
             treno_con({"segnale, 2000, 9, 0, 1, 0, 0, 1, 0, 0, 0, 0"}),
             {"{T}:4:1: error: the warning marks of this signal, 10 x (3 x left kind + right kind) + 4 = "
              "284, are "
              "stored as 28: one byte holds 0 to 255",
              "1 error, 0 warnings"},
             1},
        // The name begins after 64 characters.
        caso{"name_cut_at_comma",
             linea_pulita,
             treno_con({"stazione, 8000, 2, 600, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 15, 0, 0, BORGO, SAN LUCA"}),
             {"{T}:4:65: warning: field 17 of 'stazione' (name): \"BORGO, SAN LUCA\" is cut at the comma and "
              "stored "
              "as \"BORGO\"; a text field ends at a comma, the rest is read as keywords and ignored",
              "0 errors, 1 warning"},
             0},
        caso{
            "name_in_utf8",
            linea_pulita,
            treno_con({"stazione, 8000, 2, 600, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 15, 0, 0, CITT\xC3\x80"}),
            {"{T}:4:65: warning: field 17 of 'stazione' (name): \"CITT\\xC3\\x80\" holds the bytes C3 80 of "
             "one "
             "UTF-8 character, which the simulator shows as two Latin-1 characters; write the description in "
             "Latin-1",
             "0 errors, 1 warning"},
            0},
        // "rallentamento, 5000, " is 21 characters.
        caso{"slowdown_speed_and_length_swapped",
             linea_pulita,
             treno_con({"rallentamento, 5000, 19000, 60, 0, 0, 0"}),
             {"{T}:4:22: warning: field 2 of 'rallentamento' (speed, km/h): 19000 is outside 0 to 300; are "
              "the "
              "speed and the length swapped?",
              "0 errors, 1 warning"},
             0},
        // "orologio, " is 10 characters, "orologio, 25, " 14.
        caso{"clock_outside_a_day",
             linea_pulita,
             treno_con({"orologio, 25, 70, 0"}),
             {"{T}:4:11: warning: field 1 of 'orologio' (hours, h): 25 is outside 0 to 23: not a time of day",
              "{T}:4:15: warning: field 2 of 'orologio' (minutes, min): 70 is outside 0 to 59: not a time of "
              "day",
              "0 errors, 2 warnings"},
             0},
        // (12000 + 100) / 50 = 242 <= 340: placed past the route's 10000 m.
        caso{"beyond_the_end",
             linea_pulita,
             treno_con({segnale(12000)}),
             {"{T}:4:10: warning: signal at 12000 m: beyond the route's end at 10000 m (the build still "
              "places it, "
              "in the cells it keeps past the end)",
              "0 errors, 1 warning"},
             0},
        // round(8000/50) = 160: the next gradient is written from cell 161.
        caso{"runs_out_of_order",
             linea_con({"pendenza, 8000, 5", "pendenza, 2000, 3"}),
             treno_pulito,
             {"{L}:7:1: warning: gradient at 2000 m after one at 8000 m: they are read in order, so it takes "
              "effect "
              "only from 8050 m",
              "0 errors, 1 warning"},
             0},
        // The first curve ends at 1000 + 500.
        caso{"curves_overlap",
             linea_con({"curva 3, 1000, 500", "curva 3, 1200, 300"}),
             treno_pulito,
             {"{L}:7:1: warning: curve at 1200 m begins before the previous curve ends at 1500 m: the plan "
              "bends it "
              "from where the previous one ends",
              "0 errors, 1 warning"},
             0},
        caso{"tunnels",
             linea_con({"montagna, 3000, 2000, 1", "montagna, 4000, 5000, 1", "montagna, 4500, 6000, 1"}),
             treno_pulito,
             {"{L}:6:1: warning: tunnel from 3000 m to 2000 m: its end lies before its start, no cell is "
              "marked",
              "{L}:8:1: warning: tunnel at 4500 m begins before the previous tunnel ends at 5000 m",
              "0 errors, 2 warnings"},
             0},
        // "pendenza, 500, 0, " is 18 characters.
        caso{"extra_fields",
             linea_con({"pendenza, 500, 0, 5, 5"}),
             treno_pulito,
             {"{L}:6:19: warning: extra field \"5\" after the 2 fields of 'pendenza': it is read as a "
              "keyword and "
              "ignored",
              "0 errors, 1 warning"},
             0}),
    [](const auto& info) { return std::string(info.param.nome); });

// What the build takes without a word, and an author hardly means.
INSTANTIATE_TEST_SUITE_P(
    Silenzi, Verifica,
    ::testing::Values(
        // 'destra' holds an 's', so the build bends it left; 'left' holds none.
        caso{
            "curve_right_read_left",
            linea_con({"curva destra 2, 1000, 300"}),
            treno_pulito,
            {"{L}:6:1: warning: curve keyword \"curva destra 2\" says 'destra' but is read as a curve to the "
             "left: an 's' anywhere in the keyword turns a curve left, and 'destra' holds one; write 'd' for "
             "right, as in 'curva 3 d'",
             "0 errors, 1 warning"},
            0},
        caso{"curve_left_read_right",
             linea_con({"curva left 2, 1000, 300"}),
             treno_pulito,
             {"{L}:6:1: warning: curve keyword \"curva left 2\" says 'left' but is read as a curve to the "
              "right: only an 's' in the keyword turns a curve left; write 's' for left, as in 'curva 3 s'",
              "0 errors, 1 warning"},
             0},
        // The fixture's station is at 14:00:00; 6000 - 300 = 5700 leaves its
        // area far enough from 4800.
        caso{"station_times_out_of_order",
             linea_pulita,
             treno_con({"stazione, 6000, 2, 600, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 13, 59, 30, SECONDA"}),
             {"{T}:4:1: warning: station SECONDA at 13:59:30 comes after the station NOME of line 3 at "
              "14:00:00: "
              "times out of order; a station's time follows the one before it",
              "0 errors, 1 warning"},
             0},
        // The fixture's clock starts at 7:00:00 on line 2.
        caso{"station_before_the_clock",
             linea_pulita,
             {"treno di prova", generale_completa,
              "stazione, 4500, 2, 600, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 6, 30, 0, PRESTO"},
             {"{T}:3:1: warning: station PRESTO at 6:30:00 is before the clock's start, 7:00:00 on line 2: "
              "the "
              "train starts at the clock's time",
              "0 errors, 1 warning"},
             0},
        caso{"sand_missing",
             linea_pulita,
             {"treno di prova",
              "[generale], numero vetture, 8, percentuale massa frenata, 130, orologio, 7, 0, 0",
              stazione_4500},
             {"{T}: warning: the train has no sand record ('sabbia, 200' in its general section): the build "
              "takes no sand (0)",
              "0 errors, 1 warning"},
             0},
        // round(1030 / 50) = round(20.6) = 21, which begins at 1050 m;
        // "pendenza, " is 10 characters.
        caso{
            "gradient_inside_a_cell",
            linea_con({"pendenza, 1030, 3"}),
            treno_pulito,
            {"{L}:6:11: note: gradient at 1030 m: not a multiple of 50, it starts at cell round(1030 / 50) = "
             "21, at 1050 m",
             "0 errors, 0 warnings, 1 note"},
            0},
        // round(20.5) = 20, the even one; "velocita, " is 10 characters.
        caso{"speed_halfway",
             linea_pulita,
             treno_con({"velocita, 1025, 100"}),
             {"{T}:4:11: note: speed limit at 1025 m: not a multiple of 50, it starts at cell round(1025 / "
              "50) = "
              "20 (halfway: to the even cell), at 1000 m",
              "0 errors, 0 warnings, 1 note"},
             0},
        // round(4020 / 50 - 1) = round(79.4) = 79, which ends at 80 * 50;
        // "montagna, 3000, " is 16 characters.
        caso{"tunnel_end_inside_a_cell",
             linea_con({"montagna, 3000, 4020, 1"}),
             treno_pulito,
             {"{L}:6:17: note: tunnel end at 4020 m: not a multiple of 50, the tunnel's last cell is "
              "round(4020 "
              "/ 50 - 1) = 79, so it ends at 4000 m",
              "0 errors, 0 warnings, 1 note"},
             0},
        caso{"signals_out_of_order",
             linea_pulita,
             treno_con({segnale(3000), segnale(2000)}),
             {"{T}:5:1: warning: signal at 2000 m comes after the signal at 3000 m of line 4: signals out of "
              "order; list them in the order of travel",
              "0 errors, 1 warning"},
             0},
        // 40000 - 65536 = -25536.
        caso{"code_wraps",
             linea_pulita,
             treno_con({"abbattimento codice, 3000, 40000"}),
             {"{T}:4:1: error: field 2 of 'abbattimento' (value): 40000 is stored as -25536: 16 bits hold "
              "-32768 "
              "to 32767",
              "1 error, 0 warnings"},
             1},
        // "velocita, 1000," is 15 characters: the tab is the 16th.
        caso{"tab_between_fields",
             linea_pulita,
             treno_con({"velocita, 1000,\t100"}),
             {"{T}:4:16: error: code 25: field 2 of 'velocita' (speed, km/h): \"\\x09100\" is not a number: "
              "it "
              "holds a tab, which the reader does not drop as it drops blanks; fields are separated by "
              "commas, "
              "with blanks around them if wanted; allowed: a whole number from -2147483648 to 2147483647",
              "1 error, 0 warnings; the files would be incomplete: the build stops at line 4 of {T}"},
             1},
        // "pendenza, 1000, 12," is 19 characters.
        caso{"decimal_comma",
             linea_con({"pendenza, 1000, 12,5"}),
             treno_pulito,
             {"{L}:6:20: warning: extra field \"5\" after the 2 fields of 'pendenza': it is read as a "
              "keyword and "
              "ignored; \"12,5\" is read as two fields, 12 and 5: a comma always ends a field, so a fraction "
              "is "
              "written with a point, 12.5",
              "0 errors, 1 warning"},
             0},
        // "orologio, " is 10 characters.
        caso{
            "clock_as_one_field",
            linea_pulita,
            treno_con({"orologio, 7:30:00"}),
            {"{T}:4:11: error: code 25: field 1 of 'orologio' (hours, h): \"7:30:00\" is not a number: a "
             "time "
             "is written as three fields, hours, minutes and seconds: 7, 30, 0; allowed: a whole number from "
             "-32768 to 32767",
             "1 error, 0 warnings; the files would be incomplete: the build stops at line 4 of {T}"},
            1},
        // Too long to be a time: said as any malformed number.
        caso{"clock_too_long_to_be_a_time",
             linea_pulita,
             treno_con({"orologio, 99999999999999999999:1"}),
             {"{T}:4:11: error: code 25: field 1 of 'orologio' (hours, h): \"99999999999999999999:1\" is not "
              "a "
              "number; allowed: a whole number from -32768 to 32767",
              "1 error, 0 warnings; the files would be incomplete: the build stops at line 4 of {T}"},
             1},
        caso{"position_with_its_unit",
             linea_pulita,
             treno_con({"velocita, 400m, 100"}),
             {"{T}:4:11: error: code 25: field 1 of 'velocita' (position, m): \"400m\" is not a number: drop "
              "the "
              "unit \"m\" and write 400; allowed: a whole number from -2147483648 to 2147483647",
              "1 error, 0 warnings; the files would be incomplete: the build stops at line 4 of {T}"},
             1}),
    [](const auto& info) { return std::string(info.param.nome); });

INSTANTIATE_TEST_SUITE_P(
    Note, Verifica,
    ::testing::Values(
        caso{"comment_disables_a_record",
             linea_pulita,
             treno_con({"-segnale, 3000, 1, 0, 1, 0, 0, 1, 0, 0, 0, 0"}),
             {"{T}:4:1: note: this comment line disables a signal record", "0 errors, 0 warnings, 1 note"},
             0},
        caso{"three_comments_in_a_row",
             linea_pulita,
             treno_con({"- uno", "- due", "- tre"}),
             {"{T}:6:1: note: the third comment line in a row is read as a keyword (only two in a row are "
              "skipped); it matches none and is ignored",
              "0 errors, 0 warnings, 1 note"},
             0}),
    [](const auto& info) { return std::string(info.param.nome); });

// Independent mistakes in both descriptions, each found in the one run.
TEST(Check, ReportsEveryMistakeInOneRun) {
  controllo c(linea_con({"pendenza, 1000, 9O", "indicatori_vmax, 1050, 85, 90, 95, 0, 85, 90, 95, 0",
                         "cartello indicatore, 1050, (T)", "pendneza, 2000, 1", "pendenza, 30000, 0"}),
              treno_con({segnale(1125), segnale(1175),
                         "stazione, 8025, 2, 600, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 15, 0, "
                         "0, ALTRA",
                         "sabbia, 40000", "velocita, 1000, 112"}));
  const prova::uscita u = c.esegui();
  EXPECT_EQ(u.stato, 1);
  // Line: 9O on line 6 (column 17), the sign on line 8, the misspelling on
  // line 9, 30000 m on line 10; train: the signal on line 5, the station on
  // line 6, the sand on line 7, the speed on line 8.
  for (const char* atteso :
       {"{L}:6:17: error: code 25:", "{L}:8:1: error: code 6: sign at 1050 m: cell 22",
        "{L}:9:1: warning:", "{L}:10:1: error: code 15:", "{T}:5:1: error: code 16: signal at 1175 m",
        "{T}:6:1: error: code 8:", "{T}:7:9: error: code 25:", "{T}:8:1: warning: field 2 of 'velocita'",
        "6 errors, 2 warnings, 1 note"}) {
    std::string a = c.atteso({atteso});
    a.pop_back();
    EXPECT_NE(u.err.find(a), std::string::npos) << a << "\n" << u.err;
  }
}

// The shipped documents, and variants that mean the same to the build.
struct variante {
  const char* nome;
  std::string (*cambia)(std::string);
};
std::string sostituisci(std::string s, const std::string& da, const std::string& a) {
  for (size_t i = 0; (i = s.find(da, i)) != std::string::npos; i += a.size()) s.replace(i, da.size(), a);
  return s;
}
const variante varianti[] = {
    {"as_shipped", [](std::string s) { return s; }},
    {"upper_case_keywords",
     [](std::string s) {
       for (const char* k : {"pendenza", "segnale", "stazione", "velocita", "aderenza", "montagna"}) {
         std::string m = k;
         for (char& ch : m) ch = static_cast<char>(ch - 'a' + 'A');
         s = sostituisci(s, k, m);
       }
       return s;
     }},
    {"byte_order_mark", [](std::string s) { return "\xEF\xBB\xBF" + s; }},
    {"lf_line_ends", [](std::string s) { return sostituisci(s, "\r\n", "\n"); }},
    {"blanks_before_keywords",
     [](std::string s) {
       return sostituisci(sostituisci(s, "\r\npendenza,", "\r\n   pendenza,"), "\r\nsegnale,",
                          "\r\n  segnale,");
     }},
    {"blanks_between_numbers",
     [](std::string s) {
       // Only between two numbers: a comma after a token of digits, then
       // blanks and a digit.
       std::string r;
       auto cifra = [](char ch) { return std::isdigit(static_cast<unsigned char>(ch)) != 0; };
       for (size_t i = 0; i < s.size(); ++i) {
         if (s[i] == ',' && i > 0 && cifra(s[i - 1])) {
           size_t a = i;
           while (a > 0 && (cifra(s[a - 1]) || s[a - 1] == '-')) --a;
           const bool numero = a == 0 || s[a - 1] == ' ' || s[a - 1] == ',';
           size_t j = i + 1;
           while (j < s.size() && s[j] == ' ') ++j;
           if (numero && j > i + 1 && j < s.size() && (cifra(s[j]) || s[j] == '-')) {
             r += ' ';
             continue;
           }
         }
         r += s[i];
       }
       return r;
     }},
};

void PrintTo(const variante& v, std::ostream* os) { *os << v.nome; }

class Silenzio : public ::testing::TestWithParam<variante> {};
TEST_P(Silenzio, ShippedDocumentsGiveNoErrorAndNoWarning) {
  controllo c(GetParam().cambia(componi_documento(righe_linea())),
              GetParam().cambia(componi_documento(righe_treno())));
  const prova::uscita u = c.esegui({"--werror"});
  EXPECT_EQ(u.stato, 0) << u.err;
  EXPECT_EQ(u.err.find("error:"), std::string::npos) << u.err;
  EXPECT_EQ(u.err.find("warning:"), std::string::npos) << u.err;
  EXPECT_NE(u.err.find("0 errors, 0 warnings"), std::string::npos) << u.err;
}
INSTANTIATE_TEST_SUITE_P(Varianti, Silenzio, ::testing::ValuesIn(varianti),
                         [](const auto& info) { return std::string(info.param.nome); });

TEST(Check, JsonGivesTheSameFindings) {
  controllo c(linea_pulita, treno_con({segnale(1125), segnale(1175)}));
  const prova::uscita u = c.esegui({"--json"});
  EXPECT_EQ(u.stato, 1);
  EXPECT_EQ(u.err, "");
  const json j = json::parse(u.out);
  ASSERT_EQ(j.size(), 2u);
  EXPECT_EQ(j[0]["severity"], "note");
  EXPECT_EQ(j[1]["file"], c.treno.string());
  EXPECT_EQ(j[1]["line"], 5);
  EXPECT_EQ(j[1]["column"], 1);
  EXPECT_EQ(j[1]["severity"], "error");
  EXPECT_EQ(j[1]["message"], "code 16: signal at 1175 m: cell 24 is already taken by the signal of line 4");
}

TEST(Check, ExitStatuses) {
  controllo avviso(linea_pulita, treno_con({"velocita, 1000, 112"}));
  EXPECT_EQ(avviso.esegui().stato, 0);
  EXPECT_EQ(avviso.esegui({"--werror"}).stato, 1);
  controllo pulito(linea_pulita, treno_pulito);
  const prova::uscita u = pulito.esegui({"--werror"});
  EXPECT_EQ(u.stato, 0);
  EXPECT_EQ(u.err, "0 errors, 0 warnings\n");
  const prova::uscita aiuto = autori({"check", "--help"});
  EXPECT_EQ(aiuto.stato, 0);
  EXPECT_NE(aiuto.out.find("--werror"), std::string::npos) << aiuto.out;
  EXPECT_NE(aiuto.out.find("Exit status"), std::string::npos) << aiuto.out;
  EXPECT_NE(autori({"--help"}).out.find("check"), std::string::npos);
  EXPECT_EQ(autori({"check", pulito.linea.string()}).stato, 64);
  EXPECT_EQ(autori({"check", pulito.linea.string(), pulito.treno.string(), "--bogus"}).stato, 64);
}

TEST(Check, StopsAfterAHundredFindings) {
  // 150 misspelt records: one warning each.
  std::vector<std::string> r;
  for (int k = 0; k < 150; ++k) r.push_back("pendnza, " + std::to_string(50 * k) + ", 0");
  controllo c(linea_con(r), treno_pulito);
  const prova::uscita u = c.esegui();
  EXPECT_EQ(u.stato, 0);
  EXPECT_NE(u.err.find("too many problems: check stopped after the first 100\n0 errors, 100 warnings\n"),
            std::string::npos)
      << u.err;
}

TEST(Compile, PointsAtCheckAfterACode) {
  controllo c(linea_pulita, treno_con({"sabbia, 40000"}));
  prova::cartella out;
  const prova::uscita u =
      autori({"compile", c.linea.string(), c.treno.string(), "--out", out.percorso().string()});
  EXPECT_EQ(u.stato, 2);
  EXPECT_NE(u.err.find("\nnote: run 'autori check' to see every problem\n"), std::string::npos) << u.err;
}

// A value that fails after it was read is reported at the field that gave
// it, and a record cut short by its line end at that line.
TEST(Check, PointsAtTheFieldThatCausedTheFault) {
  struct caso {
    std::vector<std::string> treno;
    std::string atteso;
  };
  const std::vector<caso> casi = {
      // round(1500 / 5) = 300 does not fit the speed byte; it fails when the
      // run is written at the next record, but "1500" begins at column 14.
      {{"velocita, 0, 1500", "velocita, 1000, 100"},
       "{T}:4:14: error: code 25: field 2 of 'velocita' (speed, km/h): 1500 is more than a speed limit can "
       "hold; it is stored in steps of 5 km/h, from 0 to 1275 km/h"},
      // The same speed as the last one fails in the tail written at the end.
      {{"velocita, 0, 1500"},
       "{T}:4:14: error: code 25: field 2 of 'velocita' (speed, km/h): 1500 is more than a speed limit can "
       "hold; it is stored in steps of 5 km/h, from 0 to 1275 km/h"},
      // round(-100 / 50 + 1) = -1; the route has cells 0 to 340.
      {{"segnale, -100, 2, 4, 1, 0, 0, 2, 2, 0, 0, 0"},
       "{T}:4:10: error: code 25: field 1 of 'segnale' (position, m): -100 puts the signal in a cell outside "
       "the route, whose cells are 0 to 340"},
      // Without the comma 1100 is part of the keyword field, and the eleventh
      // field is looked for on the next line.
      {{"segnale 1100, 2, 4, 1, 0, 0, 2, 2, 0, 0, 0", "sabbia, 3"},
       "{T}:4:1: error: code 25: the signal on this line has 10 of its 11 fields; field 11 of 'segnale' "
       "(time, s) was looked for on line 5, \"sabbia\"; the keyword field \"segnale 1100\" holds a number: "
       "is a comma missing after \"segnale\"?"},
  };
  for (const caso& k : casi) {
    controllo c(linea_pulita, treno_con(k.treno));
    const prova::uscita u = c.esegui();
    EXPECT_EQ(u.stato, 1);
    EXPECT_NE(u.err.find(c.atteso({k.atteso})), std::string::npos) << u.err;
    EXPECT_NE(u.err.find("\n1 error, "), std::string::npos) << u.err;
  }
}

// A taken cell names the record that took it, wherever it stands.
TEST(Compile, NamesTheRecordThatTookTheCell) {
  struct caso {
    std::vector<std::string> linea, treno;
    std::string atteso;
  };
  const std::vector<caso> casi = {
      // The indicator's cell and the sign's are both round(1050 / 50 + 1) = 22.
      {linea_con({"indicatori_vmax, 1050, 85, 90, 95, 0, 85, 90, 95, 0", "cartello indicatore, 1050, ORTE"}),
       treno_pulito,
       "{L}:7:1: error: code 6: sign on an occupied cell at 1050 m; cell 22 is already taken by the "
       "maximum-speed indicator of line 6 of {L}"},
      // The slowdown starts in round(5000 / 50 + 1) = 101, the signal's cell.
      {linea_pulita, treno_con({"rallentamento, 5000, 60, 400, 0, 0, 0", prova::segnale(5000)}),
       "{T}:5:1: error: code 16: signal on an occupied cell at 5000 m; cell 101 is already taken by the "
       "slowdown of line 4"},
      // A signal at 2000 m takes round(2000 / 50 + 1) = 41; a code cut at 2050 m
      // takes round(2050 / 50) = 41.
      {linea_pulita, treno_con({prova::segnale(2000), "abbattimento codice, 2050, 270"}),
       "{T}:5:1: error: code 7: code cut on an occupied cell at 2050 m; cell 41 is already taken by the "
       "signal of line 4"},
  };
  for (const caso& k : casi) {
    controllo c(k.linea, k.treno);
    prova::cartella out;
    const prova::uscita u =
        autori({"compile", c.linea.string(), c.treno.string(), "--out", out.percorso().string()});
    EXPECT_EQ(u.stato, 2);
    EXPECT_EQ(u.err.substr(0, u.err.find('\n') + 1), c.atteso({k.atteso})) << u.err;
    const json j = json::parse(
        autori({"compile", c.linea.string(), c.treno.string(), "--out", out.percorso().string(), "--json"})
            .out);
    const std::string causa = k.atteso.substr(k.atteso.find("; ") + 2);
    EXPECT_EQ(j["cause"], c.atteso({causa}).substr(0, c.atteso({causa}).size() - 1));
  }
}

// Every field the compilers read for a record kind is in the table, and
// every field of the table is read: the shipped documents and a few more
// records, built with a listener.
struct campi_letti : osservatore_costruzione {
  std::map<std::string, std::set<int>> numeri, testi;
  void notifica(const evento_costruzione& e) override {
    if (e.specie == evento::campo) numeri[std::string(e.record)].insert(e.campo);
    if (e.specie == evento::testo) testi[std::string(e.record)].insert(e.campo);
  }
};

TEST(Formato, TheTableHoldsExactlyTheFieldsTheCompilersRead) {
  campi_letti letti;
  const std::vector<std::pair<std::string, std::string>> coppie = {
      {componi_documento(righe_linea()), componi_documento(righe_treno())},
      {prova::righe_crlf(linea_con({"montagna, 1000, 2000, 1"})),
       prova::righe_crlf(
           treno_con({"rallentamento, 6000, 60, 400, 0, 0, 0", "abbattimento codice, 7000, 270"}))}};
  for (const auto& [l, t] : coppie) {
    archivio_memoria m;
    costruzione c("", "Valmora2", "1552");
    c.archivio_file = &m;
    c.osservatore = &letti;
    m.sostituisci(nomi::descrizione_linea(c), l);
    m.sostituisci(nomi::descrizione_treno(c), t);
    ASSERT_TRUE(memorizza_percorso(c, 1).fatale.empty());
  }
  for (const autori::record_formato& r : autori::formato()) {
    std::set<int> numeri, testi;
    for (size_t i = 0; i < r.campi.size(); ++i)
      (r.campi[i].tipo == autori::tipo_campo::testo ? testi : numeri).insert(static_cast<int>(i) + 1);
    EXPECT_EQ(letti.numeri[std::string(r.chiave)], numeri) << r.chiave;
    EXPECT_EQ(letti.testi[std::string(r.chiave)], testi) << r.chiave;
    EXPECT_FALSE(r.descrizione.empty() || r.esempio.empty() || r.nome.empty()) << r.chiave;
  }
  for (const auto& [chiave, _] : letti.numeri) EXPECT_NE(autori::cerca_record(chiave), nullptr) << chiave;
}

}  // namespace

namespace {

// What an editor offers for a decimal comma: "12,5" replaced whole by "12.5",
// the one spelling the message itself gives.
TEST(CheckCorrezioni, ADecimalCommaIsMendedWithAPoint) {
  autori::ingresso_verifica in;
  in.linea = prova::righe_crlf(linea_con({"pendenza, 1000, 12,5"}));
  in.treno = prova::righe_crlf(treno_pulito);
  in.identificativo = "Prova";
  in.numero_treno = "1";
  const size_t dove = in.linea->find("12,5");
  ASSERT_NE(dove, std::string::npos);
  bool trovato = false;
  for (const autori::reperto& r : autori::verifica(in)) {
    if (!r.correzione) continue;
    trovato = true;
    EXPECT_EQ(r.documento, 1);
    EXPECT_EQ(*r.correzione, "12.5");
    ASSERT_TRUE(r.intervallo.has_value());
    EXPECT_EQ(r.intervallo->first, dove);
    EXPECT_EQ(r.intervallo->second, dove + 4);
  }
  EXPECT_TRUE(trovato);
}

}  // namespace
