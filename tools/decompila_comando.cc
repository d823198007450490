// autori decompile: the command around decompila().
#include <filesystem>
#include <iostream>
#include <memory>
#include <system_error>

#include "comandi.h"
#include "decompila.h"
#include "diagnostica.h"
#include "files/archivio.h"
#include "files/nomi_file.h"
#include "output/decodifica.h"

namespace fs = std::filesystem;

namespace autori {
namespace {

struct opzioni {
  std::string cartella;
  std::string identificativo;
  std::string numero_treno;
  std::string uscita;
  bool json = false;
  bool crlf = false;
};

// The descriptions come out with CR LF, as the simulator's own; an author's
// editor gets the host's line ends unless asked.
std::string fine_righe(const std::string& testo, bool crlf) {
#ifdef _WIN32
  crlf = true;
#endif
  if (crlf) return testo;
  std::string s;
  s.reserve(testo.size());
  for (size_t i = 0; i < testo.size(); ++i)
    if (!(testo[i] == '\r' && i + 1 < testo.size() && testo[i + 1] == '\n')) s += testo[i];
  return s;
}

// The identity from the one table file in the folder, when none is given.
bool identita_dalla_cartella(const fs::path& cartella, std::string& id, std::string& numero,
                             std::string& errore) {
  std::vector<std::string> trovate;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(cartella, ec)) {
    const std::string nome = e.path().filename().string();
    if (nome.size() > 4 && nome.substr(nome.size() - 4) == ".sim")
      trovate.push_back(nome.substr(0, nome.size() - 4));
  }
  if (ec) {
    errore = "cannot list the folder: " + ec.message();
    return false;
  }
  if (trovate.size() != 1) {
    errore = trovate.empty() ? "holds no table file (ID_NUMBER.sim); name one with --id and --train"
                             : "holds " + std::to_string(trovate.size()) +
                                   " table files (ID_NUMBER.sim); say which with --id and --train";
    return false;
  }
  const std::string& s = trovate.front();
  const size_t u = s.rfind('_');
  if (u == std::string::npos || u == 0 || u + 1 == s.size()) {
    errore = "the table file " + s + ".sim is not named ID_NUMBER.sim; give --id and --train";
    return false;
  }
  if (id.empty()) id = s.substr(0, u);
  if (numero.empty()) numero = s.substr(u + 1);
  return true;
}

int esegui(const opzioni& o) {
  std::string id = o.identificativo, numero = o.numero_treno, errore_id;
  if ((id.empty() || numero.empty()) && !identita_dalla_cartella(o.cartella, id, numero, errore_id))
    return errore(o.cartella, errore_id);
  const identita ident{o.cartella, id, numero};
  file_scenario f;
  try {
    for (const fs::path& p : {nomi::tabella_sim(ident), nomi::percorso_dat(ident)})
      if (!esiste_file(p))
        return errore(p.string(), "does not exist; decompile needs the table and the cells");
    f.tabella = leggi_file(nomi::tabella_sim(ident));
    f.celle = leggi_file(nomi::percorso_dat(ident));
    if (esiste_file(nomi::linea_dat(ident))) f.piano = leggi_file(nomi::linea_dat(ident));
  } catch (const std::system_error& e) {
    return errore(o.cartella, e.what());
  }
  const decompilazione d = decompila(f, id, numero);
  if (!d.rifiuto.empty()) return errore(o.cartella, d.rifiuto);
  const identita fuori{o.uscita, id, numero};
  std::vector<std::string> scritti;
  try {
    fs::create_directories(o.uscita);
    sostituisci_file(nomi::descrizione_linea(fuori), fine_righe(d.linea, o.crlf));
    sostituisci_file(nomi::descrizione_treno(fuori), fine_righe(d.treno, o.crlf));
    scritti = {nomi::descrizione_linea(fuori).string(), nomi::descrizione_treno(fuori).string()};
  } catch (const std::system_error& e) {
    return errore(o.uscita, e.what());
  }
  if (o.json) {
    nlohmann::ordered_json j;
    j["files"] = scritti;
    j["plan"] = d.con_piano;
    j["not_reproduced"] = d.differenze;
    j["exit_status"] = d.differenze.empty() ? stato_pulito : stato_con_codice;
    std::cout << j.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << std::endl;
  } else {
    for (const std::string& s : d.differenze) std::cerr << s << std::endl;
  }
  return d.differenze.empty() ? stato_pulito : stato_con_codice;
}

}  // namespace

comando aggiungi_decompile(CLI::App& app) {
  auto o = std::make_shared<opzioni>();
  CLI::App* s =
      app.add_subcommand("decompile", "Write the line and train descriptions that build a scenario's files");
  s->add_option("DIR", o->cartella, "Folder holding ID_linea.dat (optional), ID_NUMBER.sim and ID_NUMBER.dat")
      ->required();
  s->add_option("--id", o->identificativo, "Scenario identifier (default: from the one .sim file in DIR)");
  s->add_option("--train", o->numero_treno, "Train number (default: from the one .sim file in DIR)");
  s->add_option("--out", o->uscita, "Folder for ID_linea.txt and ID_NUMBER-.txt (created if missing)")
      ->required();
  s->add_flag("--json", o->json, "Print the outcome as one JSON object on standard output");
  s->add_flag("--crlf", o->crlf, "End the lines with CR LF, as the shipped documents do (always on Windows)");
  s->footer(
      "The descriptions are laid out as the shipped ones: their sections in the same order, every\n"
      "record under the header the shipped documents give its kind, code cuts in position order,\n"
      "only the chainage sections that change a byte (named from 'uno' on), names without quotes\n"
      "unless they need them. Lines end as the host's (LF, CR LF on Windows) unless --crlf.\n"
      "The descriptions are checked by compiling them again in memory with the same identity (and\n"
      "--no-plan when DIR holds no ID_linea.dat): every cell, row or metre the build would not give\n"
      "back is named on standard error, 'FILE: cell N: ...'.\n"
      "Exit status: 0 the descriptions rebuild the files byte for byte; 2 written, but some content\n"
      "is not reproduced (listed); 1 a file is missing, cannot be read or does not fit its kind;\n"
      "64 bad arguments.");
  return {s, [o] { return esegui(*o); }};
}

}  // namespace autori
