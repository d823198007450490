// autori documents: the five shipped documents, written as the product writes
// them, for an author to start from.
#include "documents/documenti.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <system_error>

#include "app/avvio.h"
#include "comandi.h"
#include "diagnostica.h"
#include "files/nomi_file.h"

namespace fs = std::filesystem;

namespace autori {
namespace {

int esegui(const std::string& cartella) {
  const costruzione c(cartella, identificativo_scenario, numero_treno_scenario);
  try {
    fs::create_directories(cartella);
    // The product's order.
    dati_linea(c);
    dati_treno(c);
    dati_note(c);
    dati_rallentamenti(c);
    dati_scheda(c);
  } catch (const std::system_error& e) {
    return errore("autori", e.what());
  }
  for (const fs::path& p : {nomi::descrizione_linea(c), nomi::descrizione_treno(c), nomi::note(c),
                            nomi::rallentamenti(c), nomi::scheda_treno(c)})
    std::cout << p.string() << '\n';
  return stato_pulito;
}

}  // namespace

comando aggiungi_documents(CLI::App& app) {
  auto cartella = std::make_shared<std::string>(".");
  CLI::App* s = app.add_subcommand("documents", "Write the five shipped documents into a folder");
  s->add_option("DIR", *cartella, "Folder to write into (created if missing)")->capture_default_str();
  s->footer(
      "Writes the line and train descriptions, the notes, the slowdown orders and the timetable\n"
      "sheet byte for byte as the product writes them, replacing files of the same names, and\n"
      "prints the path of each. Exit status: 0 written; 1 a file could not be written; 64 bad arguments.");
  return {s, [cartella] { return esegui(*cartella); }};
}

}  // namespace autori
