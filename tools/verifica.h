// autori check: every problem of a line and a train description in one run.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace autori {

enum class gravita { errore, avviso, nota };

struct reperto {
  gravita livello;
  int documento;                 // 1 line, 2 train
  std::optional<size_t> offset;  // none: the description as a whole
  std::string messaggio;
  // What an editor shows beside the message; check prints none of it.
  // The text concerned, [first, second) in bytes; none: the field at offset.
  std::optional<std::pair<size_t, size_t>> intervallo = {};
  std::optional<int32_t> codice = {};  // the build's code
  struct luogo {
    int documento;
    size_t offset;
    std::string messaggio;
  };
  std::optional<luogo> collegato = {};  // the other record involved
  // The text that replaces the range to mend it, when one is certain.
  std::optional<std::string> correzione = {};
};

struct ingresso_verifica {
  std::optional<std::string> linea;  // none when the file does not exist
  std::optional<std::string> treno;
  std::string identificativo;
  std::string numero_treno;
};

// Sorted by description and place; the first error of every run of the build
// and what the last run observed.
std::vector<reperto> verifica(const ingresso_verifica& in);

// Where the build as written stops with code 25 and still writes its files,
// which then hold only what was compiled before that place.
struct arresto_costruzione {
  int documento;
  std::optional<size_t> offset;  // none: before the description was read
};
struct esito_verifica {
  std::vector<reperto> reperti;
  std::optional<arresto_costruzione> incompleto;
};
esito_verifica verifica_completa(const ingresso_verifica& in);

// At most this many findings are kept.
inline constexpr size_t massimo_reperti = 100;

}  // namespace autori
