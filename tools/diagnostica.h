// Every message the authors' tool gives, formatted here so that all commands
// speak alike: "FILE:LINE:COL: error: ..." on standard error, JSON on
// standard output.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "documents/lettore.h"

namespace autori {

inline constexpr int stato_pulito = 0;
inline constexpr int stato_senza_file = 1;
inline constexpr int stato_con_codice = 2;
inline constexpr int stato_uso = 64;

// Which input a code is about.
enum class documento { linea, treno };

struct voce_codice {
  std::string parole;
  bool con_posizione;  // the build records a position in metres with it
  documento origine;   // where to look when no record is known
  // False for the codes found after the compilers, which no single record
  // causes: a record named then would be an earlier code's.
  bool di_un_record = true;
  std::string rimedio = {};  // how an author mends it
};
// Unknown codes get a generic entry, never an exception.
voce_codice descrivi_codice(int32_t codice);
// Every code the build can give, in ascending order.
std::vector<std::pair<int32_t, voce_codice>> codici_noti();

struct file_scritto {
  std::string percorso;
  uintmax_t dimensione;
};

// The outcome of one compile, as reported.
struct esito_compile {
  int32_t codice = 0;
  std::optional<int32_t> posizione;
  // The code records no position of its own; the build kept an earlier one's.
  bool posizione_precedente = false;
  std::string messaggio;               // the code in words
  std::string causa;                   // what else is to blame: the record that took a cell
  std::optional<std::string> fatale;   // " Errore n. X" of a stop without files
  std::optional<std::string> sistema;  // a file-system failure
  std::string file_sorgente;           // input the diagnostic names
  std::optional<posizione_testo> riga_colonna;
  std::vector<file_scritto> file;
  int stato = stato_pulito;
};

// "FILE[:LINE:COL]: error: code N: words[ at P m]"; a file-system failure
// reads "FILE: error: message". Empty for a clean build.
std::string riga_diagnostica(const esito_compile& e);
nlohmann::ordered_json json_compile(const esito_compile& e);

// "SUBJECT: error: MESSAGE" on standard error; returns stato_senza_file.
int errore(const std::string& soggetto, const std::string& messaggio);
// A bad argument found after parsing; returns stato_uso.
int errore_uso(const std::string& messaggio);

// A text shown between double quotes, with quotes, backslashes and bytes
// outside printable ASCII escaped.
std::string citato(const std::string& testo);

}  // namespace autori
