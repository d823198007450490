// autori compile: the product's build on any line and train description.
#include <charconv>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <system_error>

#include "app/avvio.h"
#include "comandi.h"
#include "diagnostica.h"
#include "files/archivio.h"
#include "files/nomi_file.h"
#include "formato.h"
#include "model/dominio.h"
#include "model/osservatore.h"

namespace fs = std::filesystem;

namespace autori {
namespace {

struct opzioni {
  std::string linea;
  std::string treno;
  std::string identificativo = identificativo_scenario;
  std::string numero_treno = numero_treno_scenario;
  std::string cartella = ".";
  bool senza_piano = false;
  bool json = false;
};

// One description as given on the command line.
struct ingresso {
  std::string dato;
  std::optional<std::string> contenuto;  // none when the file does not exist
};

std::vector<fs::path> file_scenario(const costruzione& c) {
  return {nomi::linea_dat(c), nomi::tabella_sim(c), nomi::percorso_dat(c)};
}

// Which record placed each cell, and the cell a placement found taken: what
// the message of a taken cell names.
struct occupanti : osservatore_costruzione {
  struct posa {
    int32_t documento;
    size_t inizio_record;
    std::string_view record;
  };
  std::map<int64_t, posa> celle;
  std::optional<int64_t> occupata;
  void notifica(const evento_costruzione& e) override {
    if (e.specie == evento::cella) celle[e.memorizzato] = {e.documento, e.inizio_record, e.record};
    if (e.specie == evento::occupata) occupata = e.memorizzato;
  }
};

bool di_cella_occupata(int32_t codice) {
  return codice == 6 || codice == 7 || (codice >= 16 && codice <= 21);
}

// "cell 101 is already taken by the slowdown of line 3"
std::string chi_occupa(const occupanti& o, const costruzione& c, const ingresso& linea,
                       const ingresso& treno) {
  if (!o.occupata) return "";
  std::string s = "cell ";
  s.append(std::to_string(*o.occupata)).append(" is already taken");
  const auto p = o.celle.find(*o.occupata);
  if (p == o.celle.end()) return s;
  // A slowdown's approach cells can run into its own warning board.
  if (p->second.documento == c.documento_errore && p->second.inizio_record == c.offset_errore)
    return s.append(" by this ").append(nome_record(p->second.record)).append(" itself");
  const ingresso& i = p->second.documento == 1 ? linea : treno;
  if (!i.contenuto) return s;
  s.append(" by the ").append(nome_record(p->second.record)).append(" of line ");
  s.append(std::to_string(riga_colonna(*i.contenuto, p->second.inizio_record).riga));
  if (p->second.documento == 1) s.append(" of ").append(i.dato);
  return s;
}

// What the diagnostic names when the build kept no record for the code.
std::string senza_record(const esito_compile& e, const costruzione& c, const ingresso& linea,
                         const ingresso& treno, std::string& dettaglio) {
  const voce_codice v = descrivi_codice(e.codice);
  if (e.codice == 25 && !treno.contenuto && linea.contenuto) {
    dettaglio = treno.dato + " does not exist";
    return treno.dato;
  }
  if ((e.codice == 1250 || e.codice == 1251) && c.percorso.size() > cella_timbro) {
    const cella& uno = c.percorso[cella_timbro];
    const int16_t valore = e.codice == 1250 ? uno.*marcatore_cella : uno.*codice_cella;
    if (valore != 0)
      dettaglio = std::string(e.codice == 1250 ? "dato1 " : "dato2 ") + std::to_string(valore) + " (tipo " +
                  std::to_string(uno.tipo) + ")";
    // Indicators and signs come from the line; everything else that can sit
    // in cell 1 comes from the train or from its slowdowns.
    return uno.tipo == tipo_cella::indicatore_velocita || uno.tipo == tipo_cella::cartello ? linea.dato
                                                                                           : treno.dato;
  }
  return v.origine == documento::linea ? linea.dato : treno.dato;
}

esito_compile esito_di(const costruzione& c, const ingresso& linea, const ingresso& treno, int32_t codice,
                       std::optional<std::string> fatale) {
  esito_compile e;
  e.codice = codice;
  e.fatale = std::move(fatale);
  e.stato = e.fatale ? stato_senza_file : codice != 0 ? stato_con_codice : stato_pulito;
  if (e.stato == stato_pulito) return e;
  const voce_codice v = descrivi_codice(codice);
  e.messaggio = v.parole;
  if (v.con_posizione) {
    e.posizione = c.posizione_errore;
  } else if (c.posizione_errore != 0) {
    e.posizione = c.posizione_errore;
    e.posizione_precedente = true;
  }
  // The record the compilers point at belongs to the code only when a
  // compiler recorded it: code 2 and the finishing pass come later and keep
  // no record of their own.
  // A missing train description is the one thing sure to be wrong when its
  // reading fails, whatever record an earlier code pointed at.
  const bool treno_mancante = codice == 25 && !treno.contenuto && linea.contenuto;
  const bool di_compilatore = v.di_un_record && !treno_mancante;
  const ingresso* sorgente = c.documento_errore == 1 ? &linea : c.documento_errore == 2 ? &treno : nullptr;
  if (di_compilatore && sorgente != nullptr && sorgente->contenuto) {
    e.file_sorgente = sorgente->dato;
    e.riga_colonna = riga_colonna(*sorgente->contenuto, c.offset_errore);
  } else {
    std::string dettaglio;
    e.file_sorgente = senza_record(e, c, linea, treno, dettaglio);
    if (!dettaglio.empty()) e.messaggio.append(": ").append(dettaglio);
  }
  return e;
}

int riporta(const esito_compile& e, bool json) {
  if (json) {
    std::cout << json_compile(e).dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
              << std::endl;
  } else if (std::string riga = riga_diagnostica(e); !riga.empty()) {
    std::cerr << riga << std::endl;
    // A code 25 ends the compilers where it happens, and the files written
    // after it hold nothing of the rest.
    if (e.codice == 25 && e.stato == stato_con_codice) {
      std::cerr << "note: the files are incomplete: the build stopped ";
      if (e.riga_colonna)
        std::cerr << "at line " << e.riga_colonna->riga << " of " << e.file_sorgente << std::endl;
      else
        std::cerr << "before it read " << e.file_sorgente << std::endl;
    }
    // The build names one code; check goes on past it.
    if (!e.sistema) std::cerr << "note: run 'autori check' to see every problem" << std::endl;
  }
  return e.stato;
}

int esito_sistema(const std::string& messaggio, std::vector<file_scritto> file, bool json) {
  esito_compile e;
  e.sistema = messaggio;
  e.file_sorgente = "autori";
  e.file = std::move(file);
  e.stato = stato_senza_file;
  return riporta(e, json);
}

// The fatal stops carry their code as decimal text.
int32_t numero_arresto(const std::string& testo) {
  int32_t n = 0;
  std::from_chars(testo.data(), testo.data() + testo.size(), n);
  return n;
}

// The build runs on a store in memory that holds the two descriptions under
// the names it reads; afterwards exactly the files it wrote there are copied
// into the output folder, and the given descriptions are never touched.
int esegui(const opzioni& o) {
  costruzione c(o.cartella, o.identificativo, o.numero_treno);
  archivio_memoria memoria;
  c.archivio_file = &memoria;
  occupanti chi;
  c.osservatore = &chi;
  ingresso linea{o.linea, std::nullopt};
  ingresso treno{o.treno, std::nullopt};
  try {
    fs::create_directories(o.cartella);
    for (ingresso* i : {&linea, &treno})
      if (esiste_file(i->dato)) i->contenuto = leggi_file(i->dato);
  } catch (const std::system_error& err) {
    return esito_sistema(err.what(), {}, o.json);
  }
  if (linea.contenuto) memoria.sostituisci(nomi::descrizione_linea(c), *linea.contenuto);
  if (treno.contenuto) memoria.sostituisci(nomi::descrizione_treno(c), *treno.contenuto);

  const esito_costruzione esito = memorizza_percorso(c, o.senza_piano ? 0 : 1);
  if (!esito.fatale.empty())
    return riporta(esito_di(c, linea, treno, numero_arresto(esito.fatale), testo_errore(esito.fatale)),
                   o.json);

  std::vector<file_scritto> scritti;
  try {
    for (const fs::path& p : file_scenario(c)) {
      if (!memoria.esiste(p)) continue;
      const std::string dati = memoria.leggi(p);
      sostituisci_file(p, dati);
      scritti.push_back({p.string(), dati.size()});
    }
  } catch (const std::system_error& err) {
    return esito_sistema(err.what(), std::move(scritti), o.json);
  }
  esito_compile e = esito_di(c, linea, treno, c.codice_errore, std::nullopt);
  if (di_cella_occupata(e.codice)) e.causa = chi_occupa(chi, c, linea, treno);
  e.file = std::move(scritti);
  return riporta(e, o.json);
}

// Identity strings become file names: nothing that leaves the folder.
std::string nome_valido(const std::string& s) {
  if (s.empty()) return "must not be empty";
  if (s.find_first_of("/\\") != std::string::npos) return "must not contain a path separator";
  return "";
}

}  // namespace

comando aggiungi_compile(CLI::App& app) {
  auto o = std::make_shared<opzioni>();
  CLI::App* s =
      app.add_subcommand("compile", "Compile a line and a train description into the scenario files");
  s->add_option("LINE", o->linea, "Line description (text)")->required();
  s->add_option("TRAIN", o->treno, "Train description (text)")->required();
  s->add_option("--id", o->identificativo, "Scenario identifier, first part of every file name")
      ->capture_default_str()
      ->check(CLI::Validator(nome_valido, ""));
  s->add_option("--train", o->numero_treno, "Train number, second part of the train's file names")
      ->capture_default_str()
      ->check(CLI::Validator(nome_valido, ""));
  s->add_option("--out", o->cartella, "Folder for the scenario files (created if missing)")
      ->capture_default_str();
  s->add_flag("--no-plan", o->senza_piano, "Do not build or write the plan geometry (_linea.dat)");
  s->add_flag("--json", o->json, "Print the outcome as one JSON object on standard output");
  s->footer(
      "The build runs in memory on the two descriptions, which are read and never changed; then\n"
      "the scenario files it wrote are written into the output folder, and nothing else: with the\n"
      "defaults ID_linea.dat, ID_NUMBER.sim and ID_NUMBER.dat are Valmora2_linea.dat,\n"
      "Valmora2_1552.sim and Valmora2_1552.dat. (The program also leaves the notes, slowdown\n"
      "orders and timetable sheet; compile does not.) A description that does not exist is\n"
      "reported as the build would (code 101 for the line description).\n"
      "\n"
      "A clean build prints nothing. Otherwise one line on standard error:\n"
      "  FILE:LINE:COL: error: code N: MESSAGE[ at P m]\n"
      "FILE:LINE:COL is where the record (or field) that caused the code begins; for a cell that is\n"
      "taken, '; cell K is already taken by ...' names the record that took it. Codes that no\n"
      "single record causes (2, the finishing pass codes 11 to 13, 101, the final checks 1250 and\n"
      "1251, a description that cannot be read) name the description they concern, without\n"
      "LINE:COL. ' at P m' is the position the build records with the code.\n"
      "\n"
      "Exit status: 0 clean build; 2 files written, code recorded; 1 no files written (the build\n"
      "stopped with \" Errore n. X\", or a file could not be read or written); 64 bad arguments.\n"
      "--json prints code, position, message, fatal text, source file/line/column, files written\n"
      "and their sizes, and the exit status.");
  return {s, [o] { return esegui(*o); }};
}

}  // namespace autori
