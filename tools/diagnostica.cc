#include "diagnostica.h"

#include <cstdio>
#include <iostream>
#include <map>

namespace autori {

namespace {
const std::map<int32_t, voce_codice>& codici() {
  using enum documento;
  static const std::map<int32_t, voce_codice> tabella = {
      {1,
       {"route length above 1000000 m", false, linea, true,
        "Write a 'lunghezza percorso' of at most 1000000 m; a longer route must be split into two "
        "scenarios."}},
      {2,
       {"a chainage section's start or difference is not a multiple of 50", false, linea, false,
        "Give every 'progressiva' key a start and a difference that are multiples of 50 (a flag of 1 adds "
        "100, "
        "which keeps them so)."}},
      {3,
       {"first position of the signal repetition is not a multiple of 50", false, linea, true,
        "Round the first position of 'ripetizione segnali' to a multiple of 50."}},
      {4,
       {"second position of the signal repetition is not a multiple of 50", false, linea, true,
        "Round the second position of 'ripetizione segnali' to a multiple of 50."}},
      {5,
       {"the signal repetition key names neither 4 nor 9 codes", false, linea, true,
        "Put a 4 or a 9 into the key, for example 'ripetizione segnali 9 codici'."}},
      {6,
       {"sign on an occupied cell", true, linea, true,
        "Move the sign at least 50 m away from the indicator or sign that already takes its cell."}},
      {7,
       {"code cut on an occupied cell", true, treno, true,
        "Move the code cut to a free cell: its cell is round(position / 50); signals, slowdowns and other "
        "code "
        "cuts take cells too."}},
      {8,
       {"station position is not a multiple of 50", true, treno, true,
        "Round the station's position to a multiple of 50."}},
      {9,
       {"station length is not a multiple of 100", true, treno, true,
        "Round the station's length (its third field) to a multiple of 100."}},
      {10,
       {"too many stations: the station rows reach the rows of the sign texts", false, treno, true,
        "Stations and signs share the table: at most 78 of them together, block posts of type 25 and above "
        "included. List fewer stations or fewer signs."}},
      {11,
       {"no free cell for the code point in front of a signal before a slowdown warning board", true, treno,
        false,
        "Free the cell before that signal, or move the slowdown, so that the build can add its code point."}},
      {12,
       {"no free cell for a code point before a slowdown start", true, treno, false,
        "Move the objects just before the slowdown start, or the slowdown, so that the build can add its "
        "code "
        "points."}},
      {13,
       {"no free cell for a code point along a slowdown or in front of the first signal after it", true,
        treno, false,
        "Keep some cells along the slowdown and before the first signal after it free, or move the "
        "slowdown."}},
      {15,
       {"position beyond the last cell of the route", true, linea, true,
        "Keep every position within the route (a station needs 800 m before the end of the padded route, "
        "every "
        "other record 100 m), or lengthen the route."}},
      {16,
       {"signal on an occupied cell", true, treno, true,
        "Move the signal to a free cell: its cell is round(position / 50 + 1), which another signal, a "
        "slowdown, "
        "a code cut, an indicator or a sign may already take."}},
      {17,
       {"slowdown warning board on an occupied cell", true, treno, true,
        "The warning board stands 1200 m before the slowdown: move the slowdown or what takes that cell."}},
      {18,
       {"slowdown start on an occupied cell", true, treno, true,
        "Move the slowdown start, or what takes its cell, round(start / 50 + 1)."}},
      {19,
       {"slowdown end on an occupied cell", true, treno, true,
        "Change the slowdown's length, or move what takes its end cell, round((start + length) / 50 + 1)."}},
      {20,
       {"slowdown approach cells occupied", true, treno, true,
        "Free the four cells before the warning board, or write 0 as the slowdown's approach field."}},
      {21,
       {"maximum-speed indicator on an occupied cell", true, linea, true,
        "Move the indicator at least 50 m away from the indicator or sign that already takes its cell."}},
      {22,
       {"station area begins less than 350 m after the previous one ends", true, treno, true,
        "Move the station farther on, or shorten it or the one before, so that 350 m lie between their "
        "areas."}},
      {24,
       {"station area ends too near the start of the route", false, treno, true,
        "A station's area must end after the first 100 m of the route: move the station on or lengthen it."}},
      {25,
       {"a field that is malformed, out of range or missing, or a description that cannot be read", false,
        linea, true,
        "Give every record all its fields, as numbers the field's type can hold, on the keyword's line; "
        "'autori check' names the field."}},
      {101,
       {"the line description does not exist", false, linea, true,
        "Name the line description as the build looks for it: IDENTITY_linea.txt."}},
      {102,
       {"the line description has no [generale] section", false, linea, true,
        "Put a line '[generale]' before the general keys, and something after it."}},
      {103,
       {"curve keyword without a digit 1 to 6, or plan geometry beyond 1000000 m", false, linea, true,
        "Give every 'curva' keyword its class, a digit 1 to 6, and keep the curves within 1000000 m."}},
      {1250,
       {"cell 1 already holds a value where the build stamps its marker", false, treno, false,
        "Keep signals, slowdowns and code cuts out of the first 100 m: the build keeps cell 1 for itself."}},
      {1251,
       {"cell 1 already holds a value where the build stamps the competition code", false, treno, false,
        "Keep signals, slowdowns and code cuts out of the first 100 m: the build keeps cell 1 for itself."}},
  };
  return tabella;
}
}  // namespace

std::vector<std::pair<int32_t, voce_codice>> codici_noti() { return {codici().begin(), codici().end()}; }

voce_codice descrivi_codice(int32_t codice) {
  auto it = codici().find(codice);
  if (it != codici().end()) return it->second;
  return {"unknown code", false, documento::linea};
}

std::string riga_diagnostica(const esito_compile& e) {
  if (e.sistema) return e.file_sorgente + ": error: " + *e.sistema;
  if (e.stato == stato_pulito) return "";
  std::string s = e.file_sorgente;
  if (e.riga_colonna)
    s.append(":")
        .append(std::to_string(e.riga_colonna->riga))
        .append(":")
        .append(std::to_string(e.riga_colonna->colonna));
  s += ": error: code " + std::to_string(e.codice) + ": " + e.messaggio;
  if (e.posizione) s.append(" at ").append(std::to_string(*e.posizione)).append(" m");
  if (e.posizione_precedente) s += " (the position of an earlier record, kept by the build)";
  if (!e.causa.empty()) s.append("; ").append(e.causa);
  return s;
}

nlohmann::ordered_json json_compile(const esito_compile& e) {
  using json = nlohmann::ordered_json;
  json j;
  j["code"] = e.codice;
  j["position"] = e.posizione ? json(*e.posizione) : json(nullptr);
  j["position_of_earlier_record"] = e.posizione_precedente;
  j["message"] = e.sistema ? json(*e.sistema) : e.stato == stato_pulito ? json(nullptr) : json(e.messaggio);
  j["cause"] = e.causa.empty() ? json(nullptr) : json(e.causa);
  j["fatal"] = e.fatale ? json(*e.fatale) : json(nullptr);
  if (e.stato == stato_pulito || e.sistema) {
    j["source"] = nullptr;
  } else {
    json s;
    s["file"] = e.file_sorgente;
    s["line"] = e.riga_colonna ? json(e.riga_colonna->riga) : json(nullptr);
    s["column"] = e.riga_colonna ? json(e.riga_colonna->colonna) : json(nullptr);
    j["source"] = s;
  }
  j["files"] = json::array();
  for (const file_scritto& f : e.file) j["files"].push_back({{"path", f.percorso}, {"size", f.dimensione}});
  j["exit_status"] = e.stato;
  return j;
}

int errore(const std::string& soggetto, const std::string& messaggio) {
  std::cerr << soggetto << ": error: " << messaggio << std::endl;
  return stato_senza_file;
}

int errore_uso(const std::string& messaggio) {
  std::cerr << "autori: error: " << messaggio << "\nRun with --help for more information." << std::endl;
  return stato_uso;
}

std::string citato(const std::string& testo) {
  std::string s = "\"";
  for (unsigned char c : testo) {
    if (c == '"' || c == '\\') {
      s += '\\';
      s += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x7F) {
      char esc[5];
      std::snprintf(esc, sizeof esc, "\\x%02X", c);
      s += esc;
    } else {
      s += static_cast<char>(c);
    }
  }
  return s + "\"";
}

}  // namespace autori
