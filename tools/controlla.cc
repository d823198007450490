// autori check: the findings of verifica, one line each, or as JSON.
#include <iostream>
#include <memory>
#include <system_error>

#include "app/avvio.h"
#include "comandi.h"
#include "diagnostica.h"
#include "verifica.h"

namespace autori {
namespace {

struct opzioni {
  std::string linea;
  std::string treno;
  std::string identificativo = identificativo_scenario;
  std::string numero_treno = numero_treno_scenario;
  bool json = false;
  bool werror = false;
};

const char* parola(gravita g) {
  return g == gravita::errore ? "error" : g == gravita::avviso ? "warning" : "note";
}

std::string conta(size_t k, const char* singolare) {
  return std::to_string(k) + " " + singolare + (k == 1 ? "" : "s");
}

int esegui(const opzioni& o) {
  ingresso_verifica in{std::nullopt, std::nullopt, o.identificativo, o.numero_treno};
  try {
    if (esiste_file(o.linea)) in.linea = leggi_file(o.linea);
    if (esiste_file(o.treno)) in.treno = leggi_file(o.treno);
  } catch (const std::system_error& err) {
    return errore("autori", err.what());
  }
  esito_verifica esito = verifica_completa(in);
  std::vector<reperto>& tutti = esito.reperti;
  const bool troppi = tutti.size() > massimo_reperti;
  if (troppi) tutti.resize(massimo_reperti);

  size_t errori = 0, avvisi = 0, note = 0;
  nlohmann::ordered_json j = nlohmann::ordered_json::array();
  for (const reperto& r : tutti) {
    errori += r.livello == gravita::errore;
    avvisi += r.livello == gravita::avviso;
    note += r.livello == gravita::nota;
    const std::string& file = r.documento == 1 ? o.linea : o.treno;
    std::optional<posizione_testo> p;
    const std::optional<std::string>& testo = r.documento == 1 ? in.linea : in.treno;
    if (r.offset && testo) p = riga_colonna(*testo, *r.offset);
    if (o.json) {
      j.push_back({{"file", file},
                   {"line", p ? nlohmann::ordered_json(p->riga) : nullptr},
                   {"column", p ? nlohmann::ordered_json(p->colonna) : nullptr},
                   {"severity", parola(r.livello)},
                   {"message", r.messaggio}});
    } else {
      std::cerr << file;
      if (p) std::cerr << ":" << p->riga << ":" << p->colonna;
      std::cerr << ": " << parola(r.livello) << ": " << r.messaggio << "\n";
    }
  }
  if (o.json) {
    std::cout << j.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << std::endl;
  } else {
    if (troppi)
      std::cerr << "autori: note: too many problems: check stopped after the first " << massimo_reperti
                << "\n";
    std::string riepilogo = conta(errori, "error") + ", " + conta(avvisi, "warning");
    if (note > 0) riepilogo += ", " + conta(note, "note");
    if (esito.incompleto) {
      const std::optional<std::string>& testo = esito.incompleto->documento == 1 ? in.linea : in.treno;
      const std::string& file = esito.incompleto->documento == 1 ? o.linea : o.treno;
      riepilogo += "; the files would be incomplete: the build stops ";
      if (esito.incompleto->offset && testo)
        riepilogo +=
            "at line " + std::to_string(riga_colonna(*testo, *esito.incompleto->offset).riga) + " of " + file;
      else
        riepilogo += "before it reads " + file;
    }
    std::cerr << riepilogo << std::endl;
  }
  return errori > 0 || (o.werror && avvisi > 0) ? stato_senza_file : stato_pulito;
}

}  // namespace

comando aggiungi_check(CLI::App& app) {
  auto o = std::make_shared<opzioni>();
  CLI::App* s = app.add_subcommand("check", "Report every problem of a line and a train description");
  s->add_option("LINE", o->linea, "Line description (text)")->required();
  s->add_option("TRAIN", o->treno, "Train description (text)")->required();
  s->add_option("--id", o->identificativo, "Scenario identifier")->capture_default_str();
  s->add_option("--train", o->numero_treno, "Train number")->capture_default_str();
  s->add_flag("--json", o->json, "Print the findings as a JSON array on standard output");
  s->add_flag("--werror", o->werror, "Exit 1 on a warning too");
  s->footer(
      "Reads both descriptions as the build does, in memory, and writes nothing. Each finding is\n"
      "one line on standard error, FILE:LINE:COL: error|warning|note: MESSAGE, sorted by file and\n"
      "line, then a count. Errors are what makes the build record a code or stop, and a value it\n"
      "stores as another (a wrapped byte or 16 bits); after a code, the record is set aside and\n"
      "the build runs again, so that later errors show too. Warnings are what the build accepts\n"
      "but an author hardly means; notes are legal and maybe meant. A build that stops with\n"
      "code 25 and still writes its files is named in the count: those files are incomplete.\n"
      "At most the first 100 findings are shown.\n"
      "\n"
      "Exit status: 0 no error (with --werror: no warning either); 1 otherwise; 64 bad arguments.");
  return {s, [o] { return esegui(*o); }};
}

}  // namespace autori
