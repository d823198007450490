#include "formato.h"

#include <limits>

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

std::vector<record_formato> crea() {
  std::vector<record_formato> t;
  // The line description's general section.
  t.push_back({"lunghezza percorso",
               "route length",
               1,
               "a token with 'lunghezza' and 'percorso', in the [generale] section",
               "The route's length; the cells and the plan reach 7000 m beyond it.",
               {{"route length", "m", intero_32, min32, max32, 0, metri}},
               "the number of cells, row 84",
               "lunghezza percorso, 10000",
               {"lunghezza percorso"}});
  t.push_back({"progressiva chilometrica",
               "chainage section",
               1,
               "a token with 'progressiva' and 'uno', 'due' or 'tre' (exact case), in [generale]",
               "A section of the route whose chainage differs from the position.",
               {posizione("section start"), n32("chainage difference", "m"), n32("flag", {}, 0, 1)},
               "rows 81 to 83",
               "progressiva chilometrica uno, 263600, 46500, 0",
               {"progressiva chilometrica"}});
  t.push_back({"sfondo",
               "scenery",
               1,
               "a token with 'sfondo' and 'uno', 'due' or 'tre' (exact case), in [generale]",
               "The scenery of the route.",
               {n32("scenery value")},
               "row 85",
               "sfondo uno, 1",
               {"sfondo"}});
  t.push_back({"ripetizione segnali",
               "signal repetition",
               1,
               "a token with 'ripetizione' and 'segnali' (exact case) and a 4 or a 9, in [generale]",
               "Where the cab signalling repeats the signals, with 4 or 9 codes.",
               {posizione("repetition start"), posizione("repetition end")},
               "row 86",
               "ripetizione segnali 9 codici, 6800, 266650",
               {"ripetizione segnali"}});
  // The line's records.
  t.push_back({"pendenza",
               "gradient",
               1,
               "a token with 'pendenza'",
               "A gradient from this position up to the next gradient.",
               {posizione(), {"gradient", "per mille", intero_32, -100, 155, -60, 60}},
               "the gradient of every cell from here on",
               "pendenza, 950, -11",
               {"pendenza"}});
  t.push_back({"curva",
               "curve",
               1,
               "a token with 'curva' and a digit 1 to 6 (the class; 's' turns left); only with the plan",
               "A curve of the plan.",
               {posizione("curve start"), n32("curve length", "m", 0, metri)},
               "the plan's points",
               "curva 3 d, 12000, 800",
               {"curva"}});
  t.push_back({"montagna",
               "tunnel",
               1,
               "a token with 'montagna'",
               "A tunnel; a type above 10 adds lights every fourth cell.",
               {posizione("tunnel start"), posizione("tunnel end"), n32("tunnel type", {}, 0, 255)},
               "the tunnel type of its cells",
               "montagna, 20000, 21500, 1",
               {"montagna"}});
  t.push_back({"indicatori_vmax",
               "maximum-speed indicator",
               1,
               "a token with 'indicatori_v'",
               "A pair of maximum-speed indicators, left and right.",
               {posizione(), n32("left speed A", "km/h", 0, 350), n32("left speed B", "km/h", 0, 350),
                n32("left speed C", "km/h", 0, 350), n32("left stripes", {}, 0, 9),
                n32("right speed A", "km/h", 0, 350), n32("right speed B", "km/h", 0, 350),
                n32("right speed C", "km/h", 0, 350), n32("right stripes", {}, 0, 9)},
               "one cell of type 6",
               "indicatori_vmax, 1050, 85, 90, 95, 0, 85, 90, 95, 0",
               {"indicatori_vmax"}});
  t.push_back({"cartello indicatore",
               "sign",
               1,
               "a token with 'indicat' and 'cartello'",
               "A sign with a text.",
               {posizione(), di_testo("sign text")},
               "one cell of type 14 and a table row with the text",
               "cartello indicatore, 3000, (ORTE)",
               {"cartello indicatore"}});
  // The train description.
  t.push_back({"massa frenata",
               "braked mass",
               2,
               "a token with 'frenata' and 'massa'",
               "The braked mass.",
               {n32("braked mass", "percent", 0, 300)},
               "row 84",
               "percentuale massa frenata, 130",
               {"massa frenata"}});
  t.push_back({"vetture",
               "coach count",
               2,
               "a token with 'vetture'",
               "The number of coaches.",
               {n32("coaches", {}, 0, 40)},
               "row 84",
               "numero vetture, 8",
               {"vetture"}});
  t.push_back({"velocita",
               "speed limit",
               2,
               "a token with 'velocit'",
               "A line speed from this position up to the next.",
               {posizione(), {"speed", "km/h", intero_32, 0, 1275, 0, 350}},
               "the speed limit of every cell from here on, in steps of 5 km/h",
               "velocita, 1000, 95",
               {"velocita"}});
  t.push_back({"aderenza",
               "adhesion",
               2,
               "a token with 'aderenza'",
               "An adhesion from this position up to the next.",
               {posizione(), {"adhesion", {}, intero_32, 0, 255, 0, 255}},
               "the adhesion of every cell from here on",
               "aderenza, 0, 80",
               {"aderenza"}});
  t.push_back({"orologio",
               "clock",
               2,
               "a token with 'orologio'",
               "The clock at the start.",
               {n16("hours", "h", 0, 23), n16("minutes", "min", 0, 59), n16("seconds", "s", 0, 59)},
               "row 86",
               "orologio, 13, 53, 30",
               {"orologio"}});
  t.push_back({"sabbia",
               "sand",
               2,
               "a token with 'sabbia'",
               "The sand on board.",
               {n16("sand", {}, 0, max16)},
               "row 86",
               "sabbia, 200",
               {"sabbia"}});
  t.push_back({"segnale",
               "signal",
               2,
               "a token with 'segnale'",
               "A signal, with its aspects on the left and the right.",
               {posizione(), n32("left kind", {}, 0, 8), n32("left aspect 1"), n32("left aspect 2"),
                n32("left aspect 3"), n32("ratio"), n32("right kind", {}, 0, 8), n32("right aspect 1"),
                n32("right aspect 2"), n32("right aspect 3"), n32("time", "s", 0, 255)},
               "one cell of type 1 and the warning marks of four cells before it",
               "segnale, 1100, 2, 4, 1, 0, 0, 2, 2, 0, 0, 0",
               {"segnale"}});
  t.push_back({"rallentamento",
               "slowdown",
               2,
               "a token with 'rallentamento'",
               "A slowdown, with its board and code points.",
               {posizione("start"),
                {"speed", "km/h", intero_32, min16, max16, 0, 300},
                n32("length", "m", 0, metri),
                n32("end flag"),
                n32("approach flag"),
                n32("speed flag")},
               "cells of types 2, 3, 4 and 5",
               "rallentamento, 5000, 60, 400, 0, 0, 0",
               {"rallentamento"}});
  t.push_back({"abbattimento",
               "code cut",
               2,
               "a token with 'abbattimento'",
               "A code cut.",
               {posizione(), {"value", {}, intero_32, min16, max16, min16, max16}},
               "one cell of type 12 (a value above 0) or 13",
               "abbattimento codice, 1150, 270",
               {"abbattimento"}});
  t.push_back(
      {"stazione",
       "station",
       2,
       "a token with 'stazione'",
       "A station or a block post, with its timetable.",
       {posizione(), n8("station type"), n32("length", "m", 0, metri), n8("tps"), n8("tab"), n8("mar"),
        n16("d2_a"), n16("d3_a"), n8("rap"), n16("d1_b"), n16("d2_b"), n16("d3_b"), n8("ac", "s"),
        n32("hours", "h", 0, 23), n32("minutes", "min", 0, 59), n32("seconds", "s", 0, 59), di_testo("name")},
       "a table row and one cell of type 10",
       "stazione, 4500, 2, 600, 0, 1, 0, 1, 1, 0, 4, 1, 1, 0, 0, 0, 0, ROMA TIBURTINA",
       {"stazione"}});
  return t;
}
}  // namespace

const std::vector<record_formato>& formato() {
  static const std::vector<record_formato> t = crea();
  return t;
}

const record_formato* cerca_record(std::string_view chiave) {
  for (const record_formato& r : formato())
    if (r.chiave == chiave) return &r;
  return nullptr;
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
