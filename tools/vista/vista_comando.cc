// autori view: the scenario's page, written once.
#include <filesystem>
#include <iostream>
#include <memory>

#include "app/avvio.h"
#include "comandi.h"
#include "diagnostica.h"
#include "pagina.h"
#include "scena.h"
#include "svg.h"

namespace fs = std::filesystem;

namespace autori {

namespace {

struct opzioni {
  std::vector<std::string> ingressi;
  std::string uscita;
  std::string identificativo;
  std::string numero_treno;
};

int esegui(const opzioni& o) {
  if (o.ingressi.size() != 1 && o.ingressi.size() != 2)
    return errore_uso("view takes a folder of scenario files, or a line and a train description; " +
                      std::to_string(o.ingressi.size()) + " arguments given");
  for (const std::string& i : o.ingressi) {
    std::error_code ec;
    if (fs::exists(o.uscita, ec) && fs::equivalent(i, o.uscita, ec))
      return errore_uso("the page " + o.uscita + " would replace its input " + i);
  }
  vista::lettura l;
  if (o.ingressi.size() == 1) {
    std::error_code ec;
    if (!fs::is_directory(o.ingressi[0], ec))
      return errore_uso(o.ingressi[0] +
                        " is not a folder: view takes a folder of scenario files, or a line and a train "
                        "description");
    l = vista::da_cartella(o.ingressi[0], o.identificativo, o.numero_treno);
  } else {
    l = vista::da_descrizioni(o.ingressi[0], o.ingressi[1],
                              o.identificativo.empty() ? identificativo_scenario : o.identificativo,
                              o.numero_treno.empty() ? numero_treno_scenario : o.numero_treno);
  }
  if (l.errore) {
    std::cerr << *l.errore << std::endl;
    return stato_senza_file;
  }
  if (auto e = svg::scrivi_intero(o.uscita, vista::pagina(l.dati, false)))
    return errore(o.uscita, "cannot write: " + *e);
  return stato_pulito;
}

}  // namespace

comando aggiungi_view(CLI::App& app) {
  auto o = std::make_shared<opzioni>();
  CLI::App* s = app.add_subcommand("view", "Write one HTML page to explore a scenario: plan, profile, cells");
  s->add_option("INPUTS", o->ingressi,
                "A folder of scenario files (DIR), or a line and a train description (LINE TRAIN)")
      ->required();
  s->add_option("-o,--output", o->uscita, "The HTML file to write")->required();
  s->add_option("--id", o->identificativo,
                "Scenario identifier (default: from the folder's .sim file, or " +
                    std::string(identificativo_scenario) + " for descriptions)");
  s->add_option("--train", o->numero_treno,
                "Train number (default: from the folder's .sim file, or " +
                    std::string(numero_treno_scenario) + " for descriptions)");
  s->footer(
      "The page holds its script, its style and the scenario: it opens from the disk in any current\n"
      "browser, with no network. The plan and the profile share one kilometre axis: the wheel, a\n"
      "drag or a pinch on either zooms and pans both, and one cursor moves along both. A click on an\n"
      "object or a cell shows what inspect says of its cell, its fields and, from descriptions, the\n"
      "line of the record that placed it. The search box takes a station's name, a kilometre\n"
      "('12.5 km') or a cell ('cell 250'); each kind of object can be switched off.\n"
      "From descriptions the page is built in memory, as compile builds, with check's findings.\n"
      "It is written under a temporary name beside OUT and renamed when complete.\n"
      "Exit status: 0 written; 1 the scenario cannot be read or built, or OUT cannot be written;\n"
      "64 bad arguments.");
  return {s, [o] { return esegui(*o); }};
}

}  // namespace autori
