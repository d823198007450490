// autori format: the reference of the descriptions' format, from the same
// table that check reads its field names from.
#include <iostream>
#include <memory>
#include <optional>

#include "comandi.h"
#include "diagnostica.h"
#include "formato.h"

namespace autori {
namespace {

struct opzioni {
  std::string argomento;
  CLI::Option* opzione_argomento = nullptr;
};

int esegui(const opzioni& o) {
  std::optional<std::string_view> argomento;
  if (o.opzione_argomento->count() > 0) argomento = o.argomento;
  const std::optional<std::string> pagina = pagina_formato(argomento);
  if (!pagina) {
    std::string m = "'";
    m.append(o.argomento).append("' names no record kind, topic or code; ");
    const std::vector<std::string> vicini = argomenti_vicini(o.argomento);
    if (!vicini.empty()) {
      m.append("did you mean");
      for (size_t i = 0; i < vicini.size(); ++i)
        m.append(i == 0 ? " '" : i + 1 == vicini.size() ? " or '" : ", '").append(vicini[i]).append("'");
      m.append("? ");
    }
    m.append("give one of");
    const char* tra = " ";
    for (const std::string& a : argomenti_formato()) {
      m.append(tra).append("'").append(a).append("'");
      tra = ", ";
    }
    return errore_uso(m);
  }
  std::cout << *pagina << std::flush;
  return stato_pulito;
}

}  // namespace

comando aggiungi_format(CLI::App& app) {
  auto o = std::make_shared<opzioni>();
  CLI::App* s = app.add_subcommand("format", "Print the reference of the descriptions' format");
  o->opzione_argomento = s->add_option(
      "KEYWORD", o->argomento,
      "Only this: a record's keyword, its name or a token as written ('velocita' limite'), 'syntax', "
      "'sections', 'codes' or a code number");
  s->footer(
      "Prints, in Markdown, how fields and lines are read, the sections, every record kind of both\n"
      "descriptions (how its keyword is matched, each field with its unit, type and the values stored as\n"
      "written, what it writes, an example) and the codes with how to fix each.\n"
      "Exit status: 0 printed; 64 bad arguments or a KEYWORD that names nothing.");
  return {s, [o] { return esegui(*o); }};
}

}  // namespace autori
