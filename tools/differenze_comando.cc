// autori diff: the command around confronta_scenari().
#include <filesystem>
#include <iostream>
#include <memory>
#include <system_error>

#include "comandi.h"
#include "diagnostica.h"
#include "differenze.h"
#include "files/archivio.h"
#include "files/nomi_file.h"

namespace fs = std::filesystem;

namespace autori {
namespace {

constexpr int diff_uguali = 0;
constexpr int diff_diversi = 1;
constexpr int diff_errore = 2;

struct opzioni {
  std::vector<std::string> ingressi;
  std::string identificativo;
  std::string numero_treno;
  bool senza_piano = false;
  bool json = false;
};

// The one ID_NUMBER.sim of a folder names the scenario in it.
std::optional<identita> identita_di(const fs::path& cartella, const opzioni& o, std::string& errore) {
  identita id{cartella, o.identificativo, o.numero_treno};
  if (!id.identificativo.empty() && !id.numero_treno.empty()) return id;
  std::vector<std::string> trovate;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(cartella, ec)) {
    const std::string nome = e.path().filename().string();
    if (nome.size() > 4 && nome.substr(nome.size() - 4) == ".sim")
      trovate.push_back(nome.substr(0, nome.size() - 4));
  }
  const size_t u = trovate.size() == 1 ? trovate.front().rfind('_') : std::string::npos;
  if (ec || u == std::string::npos || u == 0 || u + 1 == trovate.front().size()) {
    errore = ec ? "cannot list the folder: " + ec.message()
                : "needs exactly one table file named ID_NUMBER.sim, found " +
                      std::to_string(trovate.size()) + "; name the scenario with --id and --train";
    return std::nullopt;
  }
  if (id.identificativo.empty()) id.identificativo = trovate.front().substr(0, u);
  if (id.numero_treno.empty()) id.numero_treno = trovate.front().substr(u + 1);
  return id;
}

std::optional<file_scenario> da_cartella(const std::string& dir, const opzioni& o, std::string& errore) {
  const std::optional<identita> id = identita_di(dir, o, errore);
  if (!id) return std::nullopt;
  file_scenario f;
  for (const fs::path& p : {nomi::tabella_sim(*id), nomi::percorso_dat(*id)})
    if (!esiste_file(p)) {
      errore = p.string() + " does not exist";
      return std::nullopt;
    }
  f.tabella = leggi_file(nomi::tabella_sim(*id));
  f.celle = leggi_file(nomi::percorso_dat(*id));
  if (esiste_file(nomi::linea_dat(*id))) f.piano = leggi_file(nomi::linea_dat(*id));
  return f;
}

std::optional<file_scenario> da_descrizioni(const std::string& linea, const std::string& treno,
                                            const opzioni& o, std::string& errore) {
  for (const std::string& p : {linea, treno})
    if (!esiste_file(p)) {
      errore = p + " does not exist";
      return std::nullopt;
    }
  const ricompilato r = ricompila(leggi_file(linea), leggi_file(treno),
                                  o.identificativo.empty() ? "Valmora2" : o.identificativo,
                                  o.numero_treno.empty() ? "1552" : o.numero_treno, !o.senza_piano);
  if (r.fatale) {
    errore = linea + ", " + treno + ": the build stops with \" Errore n. " + std::to_string(r.codice) +
             "\" and writes no file to compare";
    return std::nullopt;
  }
  return r.file;
}

int esegui(const opzioni& o) {
  std::optional<file_scenario> a, b;
  std::string errore_a, errore_b;
  try {
    if (o.ingressi.size() == 2) {
      a = da_cartella(o.ingressi[0], o, errore_a);
      if (a) b = da_cartella(o.ingressi[1], o, errore_b);
    } else if (o.ingressi.size() == 4) {
      a = da_descrizioni(o.ingressi[0], o.ingressi[1], o, errore_a);
      if (a) b = da_descrizioni(o.ingressi[2], o.ingressi[3], o, errore_b);
    } else {
      return errore_uso("diff takes two folders, or two pairs of descriptions (LINE TRAIN LINE TRAIN); " +
                        std::to_string(o.ingressi.size()) + " arguments given");
    }
  } catch (const std::system_error& e) {
    errore(o.ingressi.front(), e.what());
    return diff_errore;
  }
  if (!a) return errore(o.ingressi[0], errore_a), diff_errore;
  if (!b) return errore(o.ingressi[o.ingressi.size() / 2], errore_b), diff_errore;
  const confronto c = confronta_scenari(*a, *b);
  if (!c.rifiuto.empty()) return errore("diff", c.rifiuto), diff_errore;
  const int stato = c.uguali() ? diff_uguali : diff_diversi;
  std::string piano;
  if (!c.piano_solo.empty()) {
    piano = "plan: " + c.piano_solo;
  } else if (c.scarto_piano && *c.scarto_piano > 0.0) {
    auto m = [](double v) {
      char b2[64];
      std::snprintf(b2, sizeof b2, "%.3f", v);
      return std::string(b2);
    };
    piano = "plan: the routes part at metre " + std::to_string(c.metro_separazione.value_or(0)) +
            ", lie up to " + m(*c.scarto_piano) + " m apart, at metre " + std::to_string(c.metro_scarto) +
            ", and end " + m(c.scarto_fine) + " m apart, at metre " + std::to_string(c.metro_fine);
  }
  if (o.json) {
    nlohmann::ordered_json j;
    j["same"] = c.uguali();
    auto oggetti = [](const std::vector<differenza>& v) {
      nlohmann::ordered_json a = nlohmann::ordered_json::array();
      for (const differenza& d : v) {
        nlohmann::ordered_json x;
        x["kind"] = d.genere;
        x["where"] = d.dove;
        x["change"] = d.cambio;
        if (d.cambio == "moved") {
          x["from_m"] = d.da;
          x["to_m"] = d.a;
        }
        x["fields"] = nlohmann::ordered_json::array();
        for (const auto& f : d.campi)
          x["fields"].push_back({{"name", f.nome}, {"first", f.prima}, {"second", f.dopo}});
        a.push_back(x);
      }
      return a;
    };
    j["objects"] = oggetti(c.oggetti);
    if (c.scarto_piano) {
      j["plan"] = {{"largest_distance_m", *c.scarto_piano}, {"at_metre", c.metro_scarto}};
      if (c.metro_separazione) {
        j["plan"]["parting_metre"] = *c.metro_separazione;
        j["plan"]["end_distance_m"] = c.scarto_fine;
        j["plan"]["end_metre"] = c.metro_fine;
        j["plan"]["curves"] = oggetti(c.curve);
      }
    }
    if (!c.piano_solo.empty()) j["plan"] = c.piano_solo;
    j["table_rows"] = c.righe_tabella;
    j["exit_status"] = stato;
    std::cout << j.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << std::endl;
    return stato;
  }
  for (const differenza& d : c.oggetti) std::cout << d.riga() << "\n";
  if (!piano.empty()) std::cout << piano << "\n";
  for (const differenza& d : c.curve) std::cout << "plan: " << d.riga() << "\n";
  for (const std::string& r : c.righe_tabella) std::cout << "table " << r << "\n";
  std::cout.flush();
  return stato;
}

}  // namespace

comando aggiungi_diff(CLI::App& app) {
  auto o = std::make_shared<opzioni>();
  CLI::App* s =
      app.add_subcommand("diff", "Compare two scenarios: what was added, removed or changed, and where");
  s->add_option(
       "INPUTS", o->ingressi,
       "Two folders of scenario files (A B), or two pairs of descriptions (LINE_A TRAIN_A LINE_B TRAIN_B)")
      ->required();
  s->add_option("--id", o->identificativo, "Scenario identifier (default: from each folder's .sim file)");
  s->add_option("--train", o->numero_treno, "Train number (default: from each folder's .sim file)");
  s->add_flag("--no-plan", o->senza_piano, "Compile descriptions without the plan");
  s->add_flag("--json", o->json, "Print the comparison as one JSON object on standard output");
  s->footer(
      "One line per station, signal, code cut, speed indicator, sign, tunnel, slowdown, gradient,\n"
      "speed or adhesion run and chainage section added, removed or changed, with the fields that\n"
      "differ ('station AREZZO: position 198750 → 198850 m'). An object removed and one of the same\n"
      "kind and values added within 1000 m of it read as one moved ('signal moved from 12500 m to\n"
      "12800 m'; a tunnel or slowdown keeps its length). Then the plan: the first metre where the\n"
      "routes part, the largest distance between them and its metre, how far apart they end, and\n"
      "the curve records (start, class with its radius, side, length) that differ; then the table\n"
      "rows that changed.\n"
      "Code points the finishing pass adds for slowdowns are not listed: the slowdown is.\n"
      "Exit status: 0 the same; 1 different; 2 a scenario cannot be read or built; 64 bad arguments.");
  return {s, [o] { return esegui(*o); }};
}

}  // namespace autori
