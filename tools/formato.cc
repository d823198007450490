#include "formato.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>

#include "diagnostica.h"
#include "model/scenario.h"

namespace autori {

namespace {
constexpr int64_t min32 = std::numeric_limits<int32_t>::min();
constexpr int64_t max32 = std::numeric_limits<int32_t>::max();
constexpr int64_t min16 = std::numeric_limits<int16_t>::min();
constexpr int64_t max16 = std::numeric_limits<int16_t>::max();
constexpr int64_t metri = 1000000;

using enum tipo_campo;

campo_formato posizione(std::string_view nome = "position") {
  return {nome, "m", intero_32, min32, max32, 0, metri, true};
}
campo_formato n32(std::string_view nome, std::string_view unita = {}, int64_t da = min32, int64_t a = max32) {
  return {nome, unita, intero_32, min32, max32, da, a};
}
campo_formato n16(std::string_view nome, std::string_view unita = {}, int64_t da = min16, int64_t a = max16) {
  return {nome, unita, intero_16, min16, max16, da, a};
}
campo_formato n8(std::string_view nome, std::string_view unita = {}) {
  return {nome, unita, intero_8, 0, 255, 0, 255};
}
campo_formato di_testo(std::string_view nome) { return {nome, {}, tipo_campo::testo, 0, 0, 0, 0}; }

record_formato& di(std::vector<record_formato>& t, std::string_view chiave) {
  for (record_formato& r : t)
    if (r.chiave == chiave) return r;
  return t.front();
}

// What the values mean and where each record lands, beside its fields.
void spiega(std::vector<record_formato>& t) {
  using enum regola_cella;
  constexpr std::string_view richiesto =
      "Required: the scenario table starts cleared, so a train without this record runs with 0 here "
      "(`autori check` warns).";
  di(t, "lunghezza percorso").spiega = "Required: without it the build stops with code 25.";
  di(t, "progressiva chilometrica").campi[2] =
      di(t, "progressiva chilometrica")
          .campi[2]
          .con_valori({{"0", "the difference as written"},
                       {"1", "100 m added to the difference, after the sections are ordered by start"},
                       {"other", "as 0"}});
  di(t, "sfondo").campi[0] =
      di(t, "sfondo")
          .campi[0]
          .con_valori(
              {{"any",
                "read by the simulator, not by the build: 'uno' goes to row 85's start, 'due' to its station "
                "position, 'tre' to its end (the shipped line gives 1, 250000 and 0)"}});
  di(t, "pendenza").regola = arrotonda;
  di(t, "curva").spiega =
      "Side: a curve bends right unless its keyword holds an 's' anywhere, which bends it left: write "
      "`curvad2` or `curva 2 d` for right and `curvas2` or `curva 2 s` for left. The trap: a word that "
      "holds an 's' reads as left whatever it says, so `curva destra 2` bends left (`autori check` warns). "
      "A curve takes no cell: it bends the plan, metre by metre, from the metre after its start up to its "
      "start + length.";
  di(t, "montagna").regola = galleria;
  di(t, "montagna").campi[2] =
      di(t, "montagna")
          .campi[2]
          .con_valori(
              {{"1, 2", "the tunnel byte of its cells, as written (the shipped tunnels are 1 and 2)"},
               {"11, 12",
                "the same tunnel, 1 or 2, with a light (cell type 11) in every fourth of its cells "
                "that is free"},
               {"3",
                "what any tunnel record becomes within 150 m of the previous tunnel record's end; its "
                "lights stay"},
               {"0", "no tunnel: the cells keep a tunnel byte of 0"}});
  di(t, "indicatori_vmax").regola = arrotonda_piu_uno;
  record_formato& iv = di(t, "indicatori_vmax");
  for (size_t k : {1, 2, 3, 5, 6, 7})
    iv.campi[k] = iv.campi[k].con_valori(
        {{"0 to 350",
          "a speed the indicator on that side shows, in km/h (A, B, C: its three speeds, as "
          "the simulator shows them); a multiple of 5, since the two sides are stored as one "
          "sum, left x 20 + right / 5"}});
  for (size_t k : {4, 8})
    iv.campi[k] = iv.campi[k].con_valori(
        {{"0 to 9",
          "the stripes under that side's indicator (the shipped ones have 0, 1 or 2); stored "
          "as left x 10 + right"}});
  di(t, "cartello indicatore").regola = arrotonda_piu_uno;
  for (const char* k : {"massa frenata", "vetture", "sabbia"}) di(t, k).spiega = richiesto;
  di(t, "orologio").spiega =
      "Required: without it the clock starts at 0:00:00. The stations' times are times of day on this "
      "clock: the first one the train keeps should not come before it, and each the one before it "
      "(`autori check` warns).";
  di(t, "velocita").regola = arrotonda;
  di(t, "aderenza").regola = arrotonda;
  di(t, "segnale").regola = arrotonda_piu_uno;
  record_formato& sg = di(t, "segnale");
  for (size_t k : {1, 6})
    sg.campi[k] = sg.campi[k].con_valori(
        {{"0", "no signal on this side"},
         {"1", "a warning signal (the shipped signals after a '- avviso' comment are 1 on both sides)"},
         {"2", "a main signal; on the left side it keeps the time, field 11"}});
  for (size_t k : {2, 3, 4, 7, 8, 9})
    sg.campi[k] = sg.campi[k].con_valori(
        {{"0 to 9",
          "a digit of the aspect the side shows, for the simulator; stored with the other side's "
          "digit of the same place as left x 10 + right (the shipped left digits are 2 to 5, 0 "
          "to 7 and 0, 1 or 7)"}});
  sg.campi[5] = sg.campi[5].con_valori({{"0, 2", "the tens of the cell's fourth value (the shipped ones)"}});
  di(t, "rallentamento").regola = rallentamento;
  di(t, "abbattimento").regola = arrotonda;
  record_formato& st = di(t, "stazione");
  st.regola = stazione;
  st.campi[1] = st.campi[1].con_valori(
      {{"0 to 4, 9 to 24",
        "a station or a point handled as one: its area is centred on the position "
        "(length / 2 each side, 50 m more at the end when field 6 is not 0); a station "
        "cell and four approach marks before it (the shipped stations are 2 and 4, the "
        "junctions and block posts handled as stations 11 and 12)"},
       {"5, 6",
        "an arrival terminus (the shipped one is 6): its area runs from position - length to "
        "position + 150, where the train stops; a station cell, and no approach marks, as the "
        "build writes none for these two types"},
       {"7, 8",
        "a departure terminus (the shipped one is 8): its area runs from position - length to "
        "position + length; a station cell and approach marks"},
       {"25 to 255",
        "only listed, as the timetable names junctions and block posts: a row, no cell and "
        "no marks"}});
  st.campi[13] = st.campi[13].con_valori(
      {{"0 to 23",
        "with fields 15 and 16, the station's time of day on the clock (`orologio`), stored as "
        "seconds: 13, 54, 0 is 50040; 0, 0, 0 is a station without a time"}});
  st.spiega =
      "Stations are listed in the order of travel, each once: an area must begin at least 350 m after the "
      "previous station's area ends (code 22). Their times follow each other and the clock's start.";
}

std::vector<record_formato> crea() {
  std::vector<record_formato> t;
  // The line description's general section.
  t.push_back(
      {"lunghezza percorso",
       "route length",
       1,
       "[generale]",
       "a token with 'lunghezza' and 'percorso', in any letter case, in the general section",
       "The route's length. The build sizes the route from it: cells of 50 m and a plan of one point per "
       "metre reach 7000 m beyond it. It must come before every record that places something.",
       {n32("route length", "m", 0, metri)
            .dice("above 1000000 stops the build (code 1); below 0 is code 25")},
       "row 84 (route length); the route gets round((length + 7000) / 50) + 1 cells",
       "lunghezza percorso, 10000",
       {"lunghezza percorso"}});
  t.push_back(
      {"progressiva chilometrica",
       "chainage section",
       1,
       "[generale]",
       "a token with 'progressiva' and 'uno', 'due' or 'tre', these words in lower case, in the general "
       "section",
       "A stretch of route, from its start on, whose chainage is the position plus a difference. Up to "
       "three ('uno', 'due', 'tre'); the build orders them by start.",
       {posizione("section start").dice("a multiple of 50 (code 2)"),
        n32("chainage difference", "m").dice("a multiple of 50 (code 2)"),
        n32("flag", {}, 0, 1).dice("1 adds 100 m to the difference").tra("0,1")},
       "rows 81 to 83 (start, difference, flag), the section that starts last in row 81",
       "progressiva chilometrica uno, 263600, 46500, 0",
       {"progressiva chilometrica"}});
  t.push_back(
      {"sfondo",
       "scenery",
       1,
       "[generale]",
       "a token with 'sfondo' and 'uno', 'due' or 'tre', these words in lower case, in the general section",
       "Three scenery values of the route, stored as written for the simulator.",
       {n32("scenery value").dice("'uno', 'due' and 'tre' each give one")},
       "row 85: 'uno' as its start, 'due' as its station position, 'tre' as its end",
       "sfondo uno, 1",
       {"sfondo"}});
  t.push_back(
      {"ripetizione segnali",
       "signal repetition",
       1,
       "[generale]",
       "a token with 'ripetizione' and 'segnali', in lower case, and a 4 or a 9, in the general section",
       "The stretch where the cab repeats the signals, with 4 or 9 codes.",
       {posizione("repetition start").dice("a multiple of 50 (code 3)"),
        posizione("repetition end").dice("a multiple of 50 (code 4); 0 stores 0 codes")},
       "row 86: start, end and the number of codes (0 when the end is 0)",
       "ripetizione segnali 9 codici, 6800, 266650",
       {"ripetizione segnali"}});
  // The line's records.
  t.push_back({"pendenza",
               "gradient",
               1,
               "[pendenze]",
               "a token with 'pendenza', in any letter case",
               "A gradient from this position up to the next gradient; before the first, the route is level.",
               {posizione().dice("the gradient starts at cell round(position / 50)"),
                campo_formato{"gradient", "per mille", intero_32, -100, 155, -60, 60}.dice(
                    "positive climbs; stored as gradient + 100 in a byte")},
               "the gradient byte of every cell up to the next gradient",
               "pendenza, 950, -11",
               {"pendenza"}});
  t.push_back(
      {"curva",
       "curve",
       1,
       "[curve]",
       "a token with 'curva', in any letter case, and a digit 1 to 6, the class (the smallest digit "
       "counts); an 's' anywhere turns it left. Read only when the plan is built",
       "A curve of the plan, of fixed curvature: class 1 has a radius of 10000 m, 2 of 5000, 3 of 2500, 4 "
       "of 1000, 5 of 500 and 6 of about 333. The route runs straight between curves.",
       {posizione("curve start"), n32("curve length", "m", 0, metri)},
       "the plan's points from the start to the start + length",
       "curva 3 d, 12000, 800",
       {"curva"}});
  t.push_back(
      {"montagna",
       "tunnel",
       1,
       "[montagne]",
       "a token with 'montagna', in any letter case",
       "A tunnel. Within 150 m of the previous tunnel record it becomes type 3.",
       {posizione("tunnel start").dice("the first cell is round(start / 50)"),
        posizione("tunnel end").dice("the last cell is round(end / 50 - 1)"),
        n32("tunnel type", {}, 0, 255).dice("above 10: lights every fourth cell, and 10 less as the type")},
       "the tunnel byte of its cells, and tunnel lights (cell type 11) in its free cells",
       "montagna, 6000, 7500, 11",
       {"montagna"}});
  auto velocita = [](std::string_view nome) {
    return n32(nome, "km/h", 0, 350).dice("a multiple of 5; stored with the other side's speed as one sum");
  };
  t.push_back(
      {"indicatori_vmax",
       "maximum-speed indicator",
       1,
       "[indicazioni]",
       "a token with 'indicatori_v', in any letter case",
       "A pair of maximum-speed indicators, left and right, each with three speeds and a number of stripes.",
       {posizione().dice("the cell is round(position / 50 + 1)"), velocita("left speed A"),
        velocita("left speed B"), velocita("left speed C"), n32("left stripes", {}, 0, 9),
        velocita("right speed A"), velocita("right speed B"), velocita("right speed C"),
        n32("right stripes", {}, 0, 9)},
       "one cell of type 6: each pair as left x 20 + right / 5, the stripes as left x 10 + right",
       "indicatori_vmax, 1050, 85, 90, 95, 0, 85, 90, 95, 0",
       {"indicatori_vmax"}});
  t.push_back({"cartello indicatore",
               "sign",
               1,
               "[cartelli]",
               "a token with 'indicat' and 'cartello', in any letter case",
               "A sign with a text.",
               {posizione().dice("the cell is round(position / 50 + 1)"),
                di_testo("sign text").dice("the rest of the line, blanks at both ends removed")},
               "one cell of type 14, and the text in a table row, from row 80 downwards",
               "cartello indicatore, 3000, (ORTE)",
               {"cartello indicatore"}});
  // The train description.
  t.push_back({"massa frenata",
               "braked mass",
               2,
               "[generale]",
               "a token with 'frenata' and 'massa', in any letter case",
               "The train's braked mass, as a percentage.",
               {n32("braked mass", "percent", 0, 300)},
               "row 84 (braked mass)",
               "percentuale massa frenata, 130",
               {"massa frenata"}});
  t.push_back({"vetture",
               "coach count",
               2,
               "[generale]",
               "a token with 'vetture', in any letter case",
               "The number of coaches.",
               {n32("coaches", {}, 0, 40)},
               "row 84 (coaches)",
               "numero vetture, 8",
               {"vetture"}});
  t.push_back({"velocita",
               "speed limit",
               2,
               "[vel_limite]",
               "a token with 'velocit', in any letter case ('velocita' limite' too)",
               "The line speed from this position up to the next speed limit.",
               {posizione().dice("the speed starts at cell round(position / 50)"),
                campo_formato{"speed", "km/h", intero_32, 0, 1275, 0, 350}.dice(
                    "stored in steps of 5 km/h, rounded; outside -2 to 1277 is code 25")},
               "the speed limit of every cell up to the next speed limit, in steps of 5 km/h",
               "velocita, 1000, 95",
               {"velocita"}});
  t.push_back({"aderenza",
               "adhesion",
               2,
               "[aderenze]",
               "a token with 'aderenza', in any letter case",
               "The adhesion from this position up to the next adhesion.",
               {posizione().dice("the adhesion starts at cell round(position / 50)"),
                campo_formato{"adhesion", {}, intero_32, 0, 255, 0, 255}.dice("stored in a byte")},
               "the adhesion byte of every cell up to the next adhesion",
               "aderenza, 0, 80",
               {"aderenza"}});
  t.push_back({"orologio",
               "clock",
               2,
               "[generale]",
               "a token with 'orologio', in any letter case",
               "The clock when the scenario starts. Blanks alone may separate the three numbers.",
               {n16("hours", "h", 0, 23), n16("minutes", "min", 0, 59), n16("seconds", "s", 0, 59)},
               "row 86 (clock)",
               "orologio, 13, 53, 30",
               {"orologio"}});
  t.push_back({"sabbia",
               "sand",
               2,
               "[generale]",
               "a token with 'sabbia', in any letter case",
               "The sand on board.",
               {n16("sand", {}, 0, max16)},
               "row 86 (sand)",
               "sabbia, 200",
               {"sabbia"}});
  t.push_back(
      {"segnale",
       "signal",
       2,
       "[segnali]",
       "a token with 'segnale', in any letter case",
       "A signal with two sides, left and right; each side has a kind (0 none, 1 or 2) and three digits.",
       {posizione().dice("the cell is round(position / 50 + 1)"),
        n32("left kind", {}, 0, 8).dice("0, 1 or 2").tra("0,1,2"), n32("left digit 1"), n32("left digit 2"),
        n32("left digit 3"), n32("ratio").dice("the tens of the kinds' pair"),
        n32("right kind", {}, 0, 8).dice("0, 1 or 2").tra("0,1,2"), n32("right digit 1"),
        n32("right digit 2"), n32("right digit 3"),
        n32("time", "s", 0, 255).dice("kept when the left kind is 2, else 0; 1 to 100 become 101")},
       "one cell of type 1, each digit pair as left x 10 + right, and the warning marks 2, 4, 6 and 8 "
       "cells before it",
       "segnale, 1100, 2, 4, 1, 0, 0, 2, 2, 0, 0, 0",
       {"segnale"}});
  t.push_back(
      {"rallentamento",
       "slowdown",
       2,
       "[rallentamenti]",
       "a token with 'rallentamento', in any letter case",
       "A temporary slowdown: a start and an end cell, a warning board 1200 m before the start (when the "
       "start lies beyond 1500 m) and, on request, four approach cells before the board. The build then "
       "adds code points around it.",
       {posizione("start").dice("the start cell is round(start / 50 + 1)"),
        campo_formato{"speed", "km/h", intero_32, min16, max16, 0, 300}.dice(
            "stored as written in the slowdown's cells"),
        n32("length", "m", 0, metri).dice("the end cell is round((start + length) / 50 + 1)"),
        campo_formato{"start and end value", {}, intero_32, min16, max16, min16, max16}.dice(
            "stored in the start and end cells"),
        n32("approach cells").dice("not 0: also the four approach cells"),
        campo_formato{"second value", {}, intero_32, min16, max16, min16, max16}.dice(
            "stored in the start, end and board cells; 0 stores nothing")},
       "cells of type 3 (start), 2 (end), 4 (warning board) and 5 (approach)",
       "rallentamento, 5000, 60, 400, 0, 0, 0",
       {"rallentamento"}});
  t.push_back({"abbattimento",
               "code cut",
               2,
               "[codici]",
               "a token with 'abbattimento', in any letter case",
               "A code point, where the cab signalling changes its code.",
               {posizione().dice("the cell is round(position / 50)"),
                campo_formato{"value", {}, intero_32, min16, max16, min16, max16}.dice(
                    "the code, for example 270 or 180; 0 or less: a code point without code")},
               "one cell of type 12 (a value above 0) or 13",
               "abbattimento codice, 1150, 270",
               {"abbattimento"}});
  auto riga = [](std::string_view nome, tipo_campo tipo) {
    campo_formato f = tipo == intero_8 ? n8(nome) : n16(nome);
    return f.dice("stored as written in the station's row");
  };
  t.push_back(
      {"stazione",
       "station",
       2,
       "[stazioni]",
       "a token with 'stazione', in any letter case",
       "A station or a block post on the train's way, in the order of travel, with its time. Its area runs "
       "from "
       "position - length to position + 150 (types 5 and 6), to position + length (types 7 and 8), or is "
       "centred on the position (the other types).",
       {posizione().dice("a multiple of 50 (code 8)"),
        n8("station type").dice("25 and above: only listed, with no cell and no marks"),
        n32("length", "m", 0, metri).dice("a multiple of 100 (code 9); not stored"), riga("tps", intero_8),
        riga("tab", intero_8).dice("kept only from a length of 600 m, and never for the first station"),
        riga("mar", intero_8).dice("not 0: a centred area 50 m longer at its end"), riga("d2_a", intero_16),
        riga("d3_a", intero_16), riga("rap", intero_8), riga("d1_b", intero_16), riga("d2_b", intero_16),
        riga("d3_b", intero_16), riga("ac", intero_8),
        n32("hours", "h", 0, 23).dice("the station's time, stored in seconds"), n32("minutes", "min", 0, 59),
        n32("seconds", "s", 0, 59),
        di_testo("name").dice("the rest of the line, blanks at both ends removed")},
       "a table row (from row 1, in file order), one cell of type 10 at the end of its area and the warning "
       "marks of the four cells before it",
       "stazione, 4500, 2, 600, 0, 1, 0, 1, 1, 0, 4, 1, 1, 0, 0, 0, 0, ROMA TIBURTINA",
       {"stazione"}});
  spiega(t);
  return t;
}
}  // namespace

const std::vector<record_formato>& formato() {
  static const std::vector<record_formato> t = crea();
  return t;
}

namespace {
// The numbers of the example after its keyword.
std::vector<int64_t> numeri_esempio(const record_formato& r) {
  std::vector<int64_t> v;
  const std::string_view e = r.esempio;
  for (size_t i = e.find(','); i != std::string_view::npos; i = e.find(',', i + 1)) {
    size_t a = i + 1;
    while (a < e.size() && e[a] == ' ') ++a;
    int64_t x = 0;
    const auto [fine, ec] = std::from_chars(e.data() + a, e.data() + e.size(), x);
    if (ec != std::errc()) break;
    (void)fine;
    v.push_back(x);
  }
  return v;
}
}  // namespace

std::vector<int64_t> celle_esempio(const record_formato& r) {
  const std::vector<int64_t> v = numeri_esempio(r);
  if (v.empty()) return {};
  auto giro = [](double x) { return ::arrotonda(x); };
  const double p = static_cast<double>(v[0]);
  switch (r.regola) {
    case regola_cella::arrotonda:
      return {giro(p / 50.0)};
    case regola_cella::arrotonda_piu_uno:
      return {giro(p / 50.0 + 1.0)};
    case regola_cella::galleria:
      return {giro(p / 50.0), giro(static_cast<double>(v[1]) / 50.0 - 1.0)};
    case regola_cella::rallentamento:
      return {giro(p / 50.0 + 1.0), giro((p - 1200.0) / 50.0 + 1.0),
              giro((p + static_cast<double>(v[2])) / 50.0 + 1.0)};
    case regola_cella::stazione: {
      // Centred types only, as the example's is.
      const int64_t fine = v[0] + v[2] / 2 + (v[5] != 0 ? 50 : 0);
      return {fine / 50 - 1};
    }
    case regola_cella::nessuna:
      break;
  }
  return {};
}

const record_formato* cerca_record(std::string_view chiave) {
  for (const record_formato& r : formato())
    if (r.chiave == chiave) return &r;
  return nullptr;
}

std::string nome_record(std::string_view chiave) {
  const record_formato* r = cerca_record(chiave);
  return r != nullptr ? std::string(r->nome) : chiave.empty() ? std::string("record") : std::string(chiave);
}

const campo_formato* cerca_campo(std::string_view chiave, int numero) {
  const record_formato* r = cerca_record(chiave);
  if (r == nullptr || numero < 1 || static_cast<size_t>(numero) > r->campi.size()) return nullptr;
  return &r->campi[static_cast<size_t>(numero) - 1];
}

std::string descrivi_campo(std::string_view chiave, int numero) {
  std::string s = "field " + std::to_string(numero) + " of '" + std::string(chiave) + "'";
  if (const campo_formato* f = cerca_campo(chiave, numero)) {
    s += " (" + std::string(f->nome);
    if (!f->unita.empty()) s += ", " + std::string(f->unita);
    s += ")";
  }
  return s;
}

}  // namespace autori

namespace autori {
namespace {

std::string n(int64_t v) { return std::to_string(v); }

std::string minuscolo(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return r;
}

std::string_view nome_tipo(tipo_campo t) {
  switch (t) {
    case tipo_campo::intero_32:
      return "integer, 32-bit";
    case tipo_campo::intero_16:
      return "integer, 16-bit";
    case tipo_campo::intero_8:
      return "integer, 0 to 255";
    case tipo_campo::testo:
      return "text";
  }
  return "";
}

std::string intervallo(int64_t da, int64_t a) {
  if (da == min32 && a == max32) return "any";
  return n(da) + " to " + n(a);
}

std::string_view nome_documento(int documento) {
  return documento == 1 ? "line description" : "train description";
}

std::string intervallo_cella(int64_t k) {
  return "cell " + n(k) + " (" + n(50 * k) + " to " + n(50 * k + 49) + " m)";
}

// "Cell: round(p / 50 + 1): the example's 1100 m lands in cell 23 (1150 to
// 1199 m)."
std::string testo_cella(const record_formato& r) {
  const std::vector<int64_t> c = celle_esempio(r);
  const std::vector<int64_t> v = numeri_esempio(r);
  if (c.empty() || v.empty()) return "";
  using enum regola_cella;
  switch (r.regola) {
    case arrotonda:
      return "Cell: round(position / 50), ties to the even cell: the example's " + n(v[0]) + " m starts in " +
             intervallo_cella(c[0]) + ".";
    case arrotonda_piu_uno:
      return "Cell: round(position / 50 + 1), ties to the even cell, one cell past the position's own: the "
             "example's " +
             n(v[0]) + " m lands in " + intervallo_cella(c[0]) + ".";
    case galleria:
      return "Cells: round(start / 50) to round(end / 50 - 1): the example's " + n(v[0]) + " to " + n(v[1]) +
             " m marks cells " + n(c[0]) + " to " + n(c[1]) + ".";
    case rallentamento:
      return "Cells: the start round(start / 50 + 1), the warning board round((start - 1200) / 50 + 1) and "
             "the end round((start + length) / 50 + 1): the example's " +
             n(v[0]) + " m and " + n(v[2]) + " m take cells " + n(c[0]) + ", " + n(c[1]) + " and " + n(c[2]) +
             ".";
    case stazione:
      return "Cell: the station cell is the end of its area / 50 - 1: the example's area ends at " +
             n(50 * (c[0] + 1)) + " m, so its cell is " + n(c[0]) + ", with the approach marks in cells " +
             n(c[0] - 1) + " to " + n(c[0] - 4) + ".";
    case nessuna:
      break;
  }
  return "";
}

std::string pagina_record(const record_formato& r) {
  std::string s;
  s.append("### `").append(r.chiave).append("`: ").append(r.nome).append("\n\n");
  s.append("In the ").append(nome_documento(r.documento));
  if (r.sezione == "[generale]")
    s.append(", in its general section.");
  else
    s.append(", usually under `").append(r.sezione).append("`.");
  s.append(" Matched by ").append(r.riconoscimento).append(".\n\n");
  s.append(r.descrizione).append("\n\n");
  s.append("| # | field | unit | type | stored as written | makes sense | notes |\n");
  s.append("|---|---|---|---|---|---|---|\n");
  for (size_t i = 0; i < r.campi.size(); ++i) {
    const campo_formato& f = r.campi[i];
    const bool testo = f.tipo == tipo_campo::testo;
    s.append("| ").append(n(static_cast<int64_t>(i) + 1)).append(" | ").append(f.nome).append(" | ");
    s.append(f.unita.empty() ? "" : f.unita).append(" | ").append(nome_tipo(f.tipo)).append(" | ");
    s.append(testo ? "" : intervallo(f.minimo, f.massimo)).append(" | ");
    s.append(testo ? "" : intervallo(f.sensato_minimo, f.sensato_massimo)).append(" | ");
    s.append(f.significato).append(" |\n");
  }
  // Fields that share their values are explained once.
  std::vector<bool> detto(r.campi.size(), false);
  for (size_t i = 0; i < r.campi.size(); ++i) {
    if (r.campi[i].valori.empty() || detto[i]) continue;
    std::vector<size_t> stessi;
    for (size_t k = i; k < r.campi.size(); ++k)
      if (!detto[k] && r.campi[k].valori == r.campi[i].valori) {
        stessi.push_back(k);
        detto[k] = true;
      }
    s.append(stessi.size() == 1 ? "\nField " : "\nFields ");
    for (size_t k = 0; k < stessi.size(); ++k)
      s.append(k == 0                   ? ""
               : k + 1 == stessi.size() ? " and "
                                        : ", ")
          .append(n(static_cast<int64_t>(stessi[k]) + 1));
    for (size_t k = 0; k < stessi.size(); ++k) s.append(k == 0 ? ", " : "; ").append(r.campi[stessi[k]].nome);
    s.append(":\n\n");
    for (const auto& [v, cosa] : r.campi[i].valori)
      s.append("- `").append(v).append("`: ").append(cosa).append("\n");
  }
  s.append("\nWrites: ").append(r.scrive).append(".\n\n");
  s.append("Example: `").append(r.esempio).append("`\n\n");
  if (const std::string c = testo_cella(r); !c.empty()) s.append(c).append("\n\n");
  if (!r.spiega.empty()) s.append(r.spiega).append("\n\n");
  return s;
}

constexpr std::string_view sintassi = R"(## Fields and lines

- The build reads fields, not lines. A field ends at a comma or at the end of its line; a number also
  ends at a blank, so `orologio, 13 53 30` gives three numbers. Blanks around a field are dropped.
- A record is a keyword field followed by its fields, all on the keyword's line. The keyword is found
  anywhere inside the field (`velocita' limite` is a speed limit, `curvad2` a curve), in any letter
  case unless the record says otherwise. A field that holds two keywords is read as both records,
  one after the other.
- A number is an optionally signed decimal, `-6550` or `12.5`; a fraction is rounded to the nearest
  integer, a tie to the even one. A number that its field's type cannot hold, an empty or malformed
  number, and a line that ends before all of a record's fields are read, all stop the build with
  code 25: write every field.
- A text field (a name, a sign's text) runs up to the next comma or the end of the line; write
  `"A, B"` between double quotes to keep a comma.
- A field that contains `-` anywhere is a comment, and so is the rest of its line when the line has
  no commas: `- avviso Settebagni`. Up to two comment fields in a row are skipped (up to ten in the
  line's general section); the next one is read as a keyword. A `-` in front of a keyword,
  `-stazione, ...`, turns the record off: its fields are then read as fields that match no keyword.
- Fields after the last one a record reads are read as keyword fields and normally match nothing.
- The build stops as soon as it has read the last character of a description, so a field alone on
  the last line is never acted on: end both descriptions with a line such as `[fine]`, then one
  more line.
- A blank is the space character alone: a tab is not one. A tab before or inside a number makes it
  malformed (code 25), and one in a text is kept.
- The comment rule stops at keyword fields: a number field such as `-4` and a text field such as
  `ROCCA-SCALO` are values, read as written.
- Lines end with CR LF, LF or CR. Write ASCII: bytes beyond it are stored, as the simulator's code
  page reads them.

)";

constexpr std::string_view sezioni = R"(## Sections

Both descriptions begin with free text, ignored up to the first field that contains `[generale]`
(any case). A line description without it stops the build with code 102; a train description
without it is read to its end with no record taken.

- The line description's general section holds the keys `lunghezza percorso` (required, before
  everything that places something), `progressiva chilometrica`, `sfondo` and `ripetizione segnali`.
  It ends at the first field that holds both `[` and `]` and does not begin with `-`, usually
  `[pendenze]`. After it the records are taken wherever they stand; the headers `[pendenze]`,
  `[curve]`, `[montagne]`, `[indicazioni]`, `[cartelli]`, `[fine]` only order the document.
- In the train description every record may stand anywhere after `[generale]`; the headers
  `[aderenze]`, `[vel_limite]`, `[stazioni]`, `[segnali]`, `[rallentamenti]`, `[codici]`, `[fine]`
  only order it.
- Positions are metres from the start of the route. The route is cut into cells of 50 m (cell i
  covers 50 i to 50 i + 49 m). A record that places an object takes a cell, which must be free
  (a tunnel light counts as free); a station takes its cell whatever it holds.

)";

std::string pagina_codici(std::optional<int32_t> solo) {
  std::string s = "## Codes\n\n";
  if (!solo)
    s.append(
        "A build that records a code still writes its files, unless the code stops it (1, 3, 4, 5, 25, "
        "101 to 103, 1250 and 1251 write nothing further). `autori check` names the record.\n\n");
  s.append("| code | what it means | how to fix |\n|---|---|---|\n");
  for (const auto& [codice, v] : codici_noti()) {
    if (solo && *solo != codice) continue;
    s.append("| ").append(n(codice)).append(" | ").append(v.parole).append(" | ").append(v.rimedio).append(
        " |\n");
  }
  s.append("\n");
  return s;
}

// A token as an author writes it: every word of the key, in any case.
const record_formato* per_parole(std::string_view argomento, int documento) {
  const std::string a = minuscolo(argomento);
  for (const record_formato& r : formato()) {
    if (documento != 0 && r.documento != documento) continue;
    bool tutte = true;
    const std::string_view chiave = r.chiave;
    for (size_t i = 0; i <= chiave.size();) {
      const size_t j = std::min(chiave.find(' ', i), chiave.size());
      tutte = tutte && a.find(chiave.substr(i, j - i)) != std::string::npos;
      i = j + 1;
    }
    if (tutte) return &r;
  }
  return nullptr;
}

const record_formato* trova(std::string_view argomento) {
  const std::string a = minuscolo(argomento);
  for (const record_formato& r : formato())
    if (a == r.chiave || a == minuscolo(r.nome)) return &r;
  return per_parole(argomento, 0);
}

}  // namespace

const record_formato* record_del_token(std::string_view token, int documento) {
  return per_parole(token, documento);
}

std::vector<std::string> argomenti_formato() {
  std::vector<std::string> a;
  for (const record_formato& r : formato()) a.emplace_back(r.chiave);
  for (const char* t : {"syntax", "sections", "codes", "CODE"}) a.emplace_back(t);
  return a;
}

std::vector<std::string> argomenti_vicini(std::string_view argomento) {
  const std::string a = minuscolo(argomento);
  auto distanza = [](const std::string& x, const std::string& y) {
    std::vector<size_t> riga(y.size() + 1);
    for (size_t j = 0; j <= y.size(); ++j) riga[j] = j;
    for (size_t i = 1; i <= x.size(); ++i) {
      size_t diagonale = riga[0];
      riga[0] = i;
      for (size_t j = 1; j <= y.size(); ++j) {
        const size_t sopra = riga[j];
        riga[j] = std::min({riga[j] + 1, riga[j - 1] + 1, diagonale + (x[i - 1] == y[j - 1] ? 0 : 1)});
        diagonale = sopra;
      }
    }
    return riga[y.size()];
  };
  std::vector<std::string> r;
  if (a.size() < 3) return r;
  const size_t vicino = std::max<size_t>(2, a.size() / 3);
  for (const record_formato& f : formato()) {
    bool preso = false;
    for (const std::string& parola : {std::string(f.chiave), minuscolo(f.nome)}) {
      if (parola.find(a) != std::string::npos || distanza(a, parola) <= vicino) preso = true;
      // Each word of a key of several.
      for (size_t i = 0; i <= parola.size() && !preso;) {
        const size_t j = std::min(parola.find(' ', i), parola.size());
        if (j > i && distanza(a, parola.substr(i, j - i)) <= vicino) preso = true;
        i = j + 1;
      }
    }
    if (preso) r.emplace_back(f.chiave);
  }
  return r;
}

std::optional<std::string> pagina_formato(std::optional<std::string_view> argomento) {
  if (argomento) {
    if (*argomento == "syntax") return std::string(sintassi);
    if (*argomento == "sections") return std::string(sezioni);
    if (*argomento == "codes") return pagina_codici(std::nullopt);
    int32_t codice = 0;
    const auto [fine, ec] = std::from_chars(argomento->data(), argomento->data() + argomento->size(), codice);
    if (ec == std::errc() && fine == argomento->data() + argomento->size()) {
      for (const auto& [c, v] : codici_noti())
        if (c == codice) return pagina_codici(codice);
      return std::nullopt;
    }
    const record_formato* r = trova(*argomento);
    if (r == nullptr) return std::nullopt;
    return pagina_record(*r);
  }
  std::string s =
      "# The description format\n\n"
      "A scenario is built from two text descriptions: the line, `IDENTITY_linea.txt`, which describes "
      "the route, and the train, `IDENTITY_NUMBER-.txt`, which describes one train running over it. "
      "`autori documents DIR` writes the shipped pair, which uses every record kind but the slowdown. "
      "This page is what `autori format` prints; `autori format KEYWORD` prints one record kind, "
      "`autori format codes` the codes.\n\n";
  s.append(sintassi).append(sezioni);
  for (int documento : {1, 2}) {
    s.append("## The ").append(nome_documento(documento)).append("'s records\n\n");
    for (const record_formato& r : formato())
      if (r.documento == documento) s.append(pagina_record(r));
  }
  s.append(pagina_codici(std::nullopt));
  return s;
}

}  // namespace autori
