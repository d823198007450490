// autori inspect: what a scenario file holds, one cell, row or metre per line.
#include <charconv>
#include <cmath>
#include <iostream>
#include <limits>
#include <memory>
#include <string_view>
#include <system_error>

#include "comandi.h"
#include "diagnostica.h"
#include "files/archivio.h"
#include "model/campi.h"
#include "model/dominio.h"
#include "output/decodifica.h"
#include "testi.h"

namespace autori {
namespace {

using json = nlohmann::ordered_json;

struct opzioni {
  std::string file;
  std::string specie;
  bool json = false;
  int64_t da = 0;
  int64_t a = 0;
  bool non_vuoti = false;
  int tipo = 0;
  CLI::Option* opzione_da = nullptr;
  CLI::Option* opzione_a = nullptr;
  CLI::Option* opzione_tipo = nullptr;
};

// Which entries to show.
struct filtro {
  int64_t da = 0;
  int64_t a = std::numeric_limits<int64_t>::max();
  bool non_vuoti = false;
  std::optional<int> tipo;
  bool comprende(int64_t i) const { return i >= da && i <= a; }
  bool tipo_ammesso(int t) const { return !tipo || *tipo == t; }
};

bool termina_con(std::string_view s, std::string_view coda) {
  return s.size() >= coda.size() && s.substr(s.size() - coda.size()) == coda;
}

// The kind from the name the build gives each file.
std::string specie_dal_nome(const std::string& file) {
  if (termina_con(file, "_linea.dat")) return "plan";
  if (termina_con(file, ".sim")) return "table";
  if (termina_con(file, ".dat")) return "cells";
  return "";
}

const char* nome_tipo(int tipo) {
  switch (tipo) {
    case tipo_cella::segnale:
      return "signal";
    case tipo_cella::fine_rallentamento:
      return "slowdown end";
    case tipo_cella::inizio_rallentamento:
      return "slowdown start";
    case tipo_cella::tabella_avviso:
      return "slowdown warning board";
    case tipo_cella::avvicinamento:
      return "slowdown approach";
    case tipo_cella::indicatore_velocita:
      return "maximum-speed indicator";
    case tipo_cella::stazione:
      return "station";
    case tipo_cella::luce_galleria:
      return "tunnel light";
    case tipo_cella::punto_codice:
      return "code point";
    case tipo_cella::punto_senza_codice:
      return "code point without code";
    case tipo_cella::cartello:
      return "sign";
    default:
      return nullptr;
  }
}

// Shortest text that reads back as the same double, without an exponent for
// the sizes a route has.
std::string reale(double v) {
  char b[400];
  const bool fisso = std::isfinite(v) && std::fabs(v) < 1e16;
  auto r = std::to_chars(b, b + sizeof b, v, fisso ? std::chars_format::fixed : std::chars_format::general);
  return std::string(b, r.ptr);
}

template <class T>
bool nullo(const T& v) {
  if constexpr (testo_v<T>) {
    return v.empty();
  } else {
    return v == 0;
  }
}

// Nearly every cell carries the profile bytes; a cell is empty when it holds
// nothing else. A row is empty when it holds nothing at all.
template <class R>
bool vuoto(const R& r) {
  bool v = true;
  per_ogni_campo<R>([&](const auto& c) { v = v && (c.profilo || nullo(r.*c.membro)); });
  return v;
}

// "name=value" for every field, in file order; a text is quoted, and
// `nota(nome)` may add words after a value.
template <class R, class N>
std::string in_testo(const R& r, N nota) {
  std::string t;
  per_ogni_campo<R>([&](const auto& c) {
    const auto& v = r.*c.membro;
    if (!t.empty()) t += ' ';
    t += c.nome;
    t += '=';
    if constexpr (testo_v<std::remove_cvref_t<decltype(v)>>) {
      t += citato(v);
    } else {
      t += std::to_string(v);
    }
    t += nota(std::string_view(c.nome));
  });
  return t;
}

template <class R>
json in_json(int64_t indice, const R& r) {
  json j{{"index", indice}};
  per_ogni_campo<R>([&](const auto& c) {
    const auto& v = r.*c.membro;
    if constexpr (testo_v<std::remove_cvref_t<decltype(v)>>) {
      j[c.nome] = utf8_da_latin1(v);
    } else {
      j[c.nome] = v;
    }
  });
  return j;
}

// Entries go out one per line as they are made, in text or as one JSON
// object whose array holds one entry per line: a whole plan is never held
// twice in memory.
class elenco {
 public:
  elenco(bool json, const std::string& file, const char* specie, size_t totale, const char* chiave)
      : json_(json) {
    if (!json_) return;
    std::string testa = json::object({{"file", file}, {"kind", specie}, {"count", totale}})
                            .dump(-1, ' ', false, json::error_handler_t::replace);
    testa.pop_back();
    std::cout << testa << ",\"" << chiave << "\":[";
  }
  bool come_json() const { return json_; }
  void riga(const std::string& testo) { std::cout << testo << '\n'; }
  void voce(const json& j) {
    std::cout << (primo_ ? "\n" : ",\n") << j.dump(-1, ' ', false, json::error_handler_t::replace);
    primo_ = false;
  }
  int chiudi() {
    if (json_) std::cout << (primo_ ? "]}" : "\n]}") << '\n';
    std::cout << std::flush;
    return stato_pulito;
  }

 private:
  bool json_;
  bool primo_ = true;
};

int mostra_celle(const std::vector<cella>& celle, const filtro& f, elenco uscita) {
  for (size_t n = 0; n < celle.size(); ++n) {
    const auto i = static_cast<int64_t>(n);
    const cella& c = celle[n];
    if (!f.comprende(i) || (f.non_vuoti && vuoto(c)) || !f.tipo_ammesso(c.tipo)) continue;
    if (uscita.come_json()) {
      uscita.voce(in_json(i, c));
      continue;
    }
    auto tipo = [&c](std::string_view campo) {
      const char* nome = campo == "tipo" ? nome_tipo(c.tipo) : nullptr;
      return nome != nullptr ? std::string(" (") + nome + ")" : std::string();
    };
    uscita.riga("cell " + std::to_string(i) + " at " + std::to_string(i * 50) + " m: " + in_testo(c, tipo));
  }
  return uscita.chiudi();
}

int mostra_tabella(const tabella& t, const filtro& f, elenco uscita) {
  for (size_t n = 0; n < t.size(); ++n) {
    const auto i = static_cast<int64_t>(n);
    const riga_scenario& r = t[n];
    if (!f.comprende(i) || (f.non_vuoti && vuoto(r)) || !f.tipo_ammesso(r.tipo)) continue;
    if (uscita.come_json()) {
      uscita.voce(in_json(i, r));
      continue;
    }
    uscita.riga("row " + std::to_string(i) + ": " +
                in_testo(r, [](std::string_view) { return std::string(); }));
  }
  return uscita.chiudi();
}

std::string testo_elemento(const elemento& e) {
  switch (e.specie) {
    case specie_elemento::vuoto:
      return forma(e.specie).nome;
    case specie_elemento::intero:
      return std::to_string(static_cast<int>(e.valore)) + " (" + forma(e.specie).nome + ")";
    case specie_elemento::reale:
      return reale(e.valore);
  }
  return "";
}

int mostra_piano(const tracciato_t& t, const filtro& f, elenco uscita) {
  auto valore = [](const elemento& e) {
    return e.specie == specie_elemento::vuoto ? json(nullptr) : json(e.valore);
  };
  for (int32_t m = 0; m <= t.ultimo_metro(); ++m) {
    const elemento& x = t.at(m, 0);
    const elemento& y = t.at(m, 1);
    if (!f.comprende(m)) continue;
    if (f.non_vuoti && x.specie == specie_elemento::vuoto && y.specie == specie_elemento::vuoto) continue;
    if (uscita.come_json()) {
      uscita.voce({{"index", m},
                   {"x", valore(x)},
                   {"x_kind", forma(x.specie).nome},
                   {"y", valore(y)},
                   {"y_kind", forma(y.specie).nome}});
      continue;
    }
    uscita.riga("metre " + std::to_string(m) + ": x=" + testo_elemento(x) + " y=" + testo_elemento(y));
  }
  return uscita.chiudi();
}

template <typename T>
int rifiuta(const std::string& file, const std::string& specie, const decodificato<T>& d) {
  return errore(file, "not a " + specie + " file: " + d.errore);
}

int esegui(const opzioni& o) {
  std::string specie = o.specie.empty() ? specie_dal_nome(o.file) : o.specie;
  if (specie.empty())
    return errore_uso("cannot tell the kind of " + o.file +
                      " from its name (_linea.dat, .sim or .dat); give --kind plan|table|cells");
  filtro f;
  if (o.opzione_da->count() > 0) f.da = o.da;
  if (o.opzione_a->count() > 0) f.a = o.a;
  if (f.da > f.a)
    return errore_uso("--from " + std::to_string(f.da) + " is beyond --to " + std::to_string(f.a));
  f.non_vuoti = o.non_vuoti;
  if (o.opzione_tipo->count() > 0) {
    if (specie == "plan") return errore_uso("--tipo applies to cells and table rows, not to the plan");
    f.tipo = o.tipo;
  }

  std::string dati;
  try {
    dati = leggi_file(o.file);
  } catch (const std::system_error& e) {
    return errore(o.file, "cannot read: " + e.code().message());
  }

  if (specie == "cells") {
    auto d = decodifica_percorso(dati);
    if (!d.ok()) return rifiuta(o.file, specie, d);
    return mostra_celle(d.valore, f, elenco(o.json, o.file, "cells", d.valore.size(), "cells"));
  }
  if (specie == "table") {
    auto d = decodifica_tabella(dati);
    if (!d.ok()) return rifiuta(o.file, specie, d);
    return mostra_tabella(d.valore, f, elenco(o.json, o.file, "table", d.valore.size(), "rows"));
  }
  auto d = decodifica_tracciato(dati);
  if (!d.ok()) return rifiuta(o.file, specie, d);
  dati.clear();
  dati.shrink_to_fit();
  const auto metri = static_cast<size_t>(d.valore.ultimo_metro()) + 1;
  return mostra_piano(d.valore, f, elenco(o.json, o.file, "plan", metri, "metres"));
}

}  // namespace

comando aggiungi_inspect(CLI::App& app) {
  auto o = std::make_shared<opzioni>();
  CLI::App* s =
      app.add_subcommand("inspect", "Show what a scenario file holds, one cell, row or metre per line");
  s->add_option("FILE", o->file, "Scenario file: NAME_linea.dat (plan), NAME.sim (table), NAME.dat (cells)")
      ->required();
  s->add_option("--kind", o->specie, "Kind of file, when its name does not tell")
      ->check(CLI::IsMember({"plan", "table", "cells"}));
  s->add_flag("--json", o->json, "Print one JSON object instead of text");
  o->opzione_da =
      s->add_option("--from", o->da, "First cell, row or metre to show")->check(CLI::NonNegativeNumber);
  o->opzione_a =
      s->add_option("--to", o->a, "Last cell, row or metre to show")->check(CLI::NonNegativeNumber);
  s->add_flag("--non-empty", o->non_vuoti,
              "Only cells holding more than the profile bytes (vel_limite, pendenza, aderenza), rows with "
              "any value, metres with a value");
  o->opzione_tipo =
      s->add_option("--tipo", o->tipo, "Only cells or rows of this tipo")->check(CLI::Range(0, 255));
  s->footer(
      "Cells are shown as 'cell N at P m: tipo=T (kind) dato1=... aderenza=...', rows as\n"
      "'row N: tipo=... nome=\"...\" ... orario=...', metres as 'metre M: x=... y=...' where an\n"
      "element is a double, 'V (integer)' or 'empty'.\n"
      "A file whose size does not fit its kind is rejected: cells come in 15 bytes each, the table\n"
      "has exactly 87 rows, the plan is a whole number of elements, as many x as y.\n"
      "Exit status: 0 shown; 1 the file cannot be read or does not fit its kind; 64 bad arguments.");
  return {s, [o] { return esegui(*o); }};
}

}  // namespace autori
