#include "diagnostica.h"

#include <cstdio>
#include <iostream>
#include <map>

namespace autori {

namespace {
const std::map<int32_t, voce_codice>& codici() {
  using enum documento;
  static const std::map<int32_t, voce_codice> tabella = {
      {1, {"route length above 1000000 m", false, linea}},
      {2, {"a chainage section's start or difference is not a multiple of 50", false, linea, false}},
      {3, {"first position of the signal repetition is not a multiple of 50", false, linea}},
      {4, {"second position of the signal repetition is not a multiple of 50", false, linea}},
      {5, {"the signal repetition key names neither 4 nor 9 codes", false, linea}},
      {6, {"sign on an occupied cell", true, linea}},
      {7, {"code cut on an occupied cell", true, treno}},
      {8, {"station position is not a multiple of 50", true, treno}},
      {9, {"station length is not a multiple of 100", true, treno}},
      {10, {"too many stations: the station rows reach the rows of the sign texts", false, treno}},
      {11,
       {"no free cell for the code point in front of a signal before a slowdown warning board", true, treno,
        false}},
      {12, {"no free cell for a code point before a slowdown start", true, treno, false}},
      {13,
       {"no free cell for a code point along a slowdown or in front of the first signal after it", true,
        treno, false}},
      {15, {"position beyond the last cell of the route", true, linea}},
      {16, {"signal on an occupied cell", true, treno}},
      {17, {"slowdown warning board on an occupied cell", true, treno}},
      {18, {"slowdown start on an occupied cell", true, treno}},
      {19, {"slowdown end on an occupied cell", true, treno}},
      {20, {"slowdown approach cells occupied", true, treno}},
      {21, {"maximum-speed indicator on an occupied cell", true, linea}},
      {22, {"station area begins less than 350 m after the previous one ends", true, treno}},
      {24, {"station area ends too near the start of the route", false, treno}},
      {25,
       {"a field that is malformed, out of range or missing, or a description that cannot be read", false,
        linea}},
      {101, {"the line description does not exist", false, linea}},
      {102, {"the line description has no [generale] section", false, linea}},
      {103, {"curve keyword without a digit 1 to 6, or plan geometry beyond 1000000 m", false, linea}},
      {1250, {"cell 1 already holds a value where the build stamps its marker", false, treno, false}},
      {1251,
       {"cell 1 already holds a value where the build stamps the competition code", false, treno, false}},
  };
  return tabella;
}
}  // namespace

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
  return s;
}

nlohmann::ordered_json json_compile(const esito_compile& e) {
  using json = nlohmann::ordered_json;
  json j;
  j["code"] = e.codice;
  j["position"] = e.posizione ? json(*e.posizione) : json(nullptr);
  j["position_of_earlier_record"] = e.posizione_precedente;
  j["message"] = e.sistema ? json(*e.sistema) : e.stato == stato_pulito ? json(nullptr) : json(e.messaggio);
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
