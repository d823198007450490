// autori plot: reads the scenario files a picture needs, makes sure they are
// files of their kinds and of one scenario, and writes the picture whole.
#include "disegna.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <memory>
#include <system_error>

#include "comandi.h"
#include "diagnostica.h"
#include "files/archivio.h"
#include "model/dominio.h"
#include "output/decodifica.h"
#include "svg.h"
#include "testi.h"

namespace fs = std::filesystem;

namespace autori {

namespace {

// Stamped by every build that writes the files; a file without it is another
// kind of file that happens to decode.
constexpr int prima_riga_stazione = 1;
constexpr int ultima_riga_stazione = riga_primo_cartello;
// Kinds from this one up are only listed: they get no cell.
constexpr int primo_tipo_senza_cella = 25;

struct opzioni {
  std::string piano;
  std::string celle;
  std::string tabella;
  std::string uscita;
  std::string da;
  std::string a;
};

// A failure that ends the command with status 1.
struct rifiuto {
  std::string file;
  std::string messaggio;
};

std::string leggi(const std::string& file) {
  try {
    return leggi_file(file);
  } catch (const std::system_error& e) {
    throw rifiuto{file, "cannot read: " + e.code().message()};
  }
}

tracciato_t leggi_piano(const std::string& file, const std::string& dati) {
  auto d = decodifica_tracciato(dati);
  if (!d.ok()) throw rifiuto{file, "not a plan file: " + d.errore};
  const tracciato_t& t = d.valore;
  auto intero = [&](int32_t m, int k, double v) {
    return t.ultimo_metro() >= m && t.at(m, k).specie == specie_elemento::intero && t.at(m, k).valore == v;
  };
  if (!intero(0, 0, 0) || !intero(0, 1, 0) || !intero(1, 0, 0) || !intero(1, 1, 1))
    throw rifiuto{file, "not a plan file: it does not begin with the integer points (0, 0) and (0, 1)"};
  // No build strays this far (its steps grow by at most a factor 90 over the
  // longest route); the picture's arithmetic stays finite within it.
  constexpr double lontano = 1e15;
  for (int32_t m = 0; m <= t.ultimo_metro(); ++m)
    for (int k = 0; k < 2; ++k)
      if (!(std::fabs(t.at(m, k).valore) <= lontano))
        throw rifiuto{file, "not a plan file: metre " + std::to_string(m) +
                                " has a coordinate that is not a number within 10^15 m of the start"};
  return std::move(d.valore);
}

std::vector<cella> leggi_celle(const std::string& file, const std::string& dati) {
  auto d = decodifica_percorso(dati);
  if (!d.ok()) throw rifiuto{file, "not a cells file: " + d.errore};
  if (d.valore.size() <= cella_timbro || d.valore[cella_timbro].*marcatore_cella != valore_marcatore_cella)
    throw rifiuto{file, "not a cells file: cell 1 lacks the marker " +
                            std::to_string(valore_marcatore_cella) + " that every build stamps in dato1"};
  return std::move(d.valore);
}

tabella leggi_tabella(const std::string& file, const std::string& dati) {
  auto d = decodifica_tabella(dati);
  if (!d.ok()) throw rifiuto{file, "not a table file: " + d.errore};
  if (d.valore[riga_timbro].*marcatore_riga != valore_marcatore_riga)
    throw rifiuto{file, "not a table file: row 85 lacks the marker " + std::to_string(valore_marcatore_riga) +
                            " that every build stamps in d2_a"};
  return d.valore;
}

// Sign rows hold a text and nothing else; a station row always holds more.
bool riga_di_stazione(const riga_scenario& r) {
  return r.tipo != 0 || r.inizio != 0 || r.fine != 0 || r.posizione_stazione != 0 || r.tps != 0 ||
         r.d2_a != 0 || r.d3_a != 0 || r.d1_b != 0 || r.d2_b != 0 || r.d3_b != 0 || r.rap != 0 || r.ac != 0 ||
         r.mar != 0 || r.tab != 0 || r.orario != 0;
}

std::string metri(int64_t m) { return std::to_string(m) + " m"; }

// The three files of one build agree on the route's length, and each station
// cell names the row of a station whose area ends just after it.
void verifica_coerenza(const scenario_letto& s, const opzioni& o) {
  const std::optional<int64_t> l =
      s.righe ? std::optional(int64_t{(*s.righe)[riga_percorso].fine}) : std::nullopt;
  if (l && s.piano && s.piano->ultimo_metro() != *l + 7000)
    throw rifiuto{o.piano, "does not match " + o.tabella + ": the table's route of " + metri(*l) +
                               " has a plan of metres 0 to " + std::to_string(*l + 7000) +
                               ", this one runs to " + std::to_string(s.piano->ultimo_metro())};
  if (s.celle) {
    const auto celle = static_cast<int64_t>(s.celle->size());
    if (l && ultimo_indice_per(*l) + 1 != celle)
      throw rifiuto{o.celle, "does not match " + o.tabella + ": the table's route of " + metri(*l) + " has " +
                                 std::to_string(ultimo_indice_per(*l) + 1) + " cells, this file " +
                                 std::to_string(celle)};
    if (!l && s.piano && ultimo_indice_per(int64_t{s.piano->ultimo_metro()} - 7000) + 1 != celle)
      throw rifiuto{o.celle,
                    "does not match " + o.piano + ": a plan of metres 0 to " +
                        std::to_string(s.piano->ultimo_metro()) + " goes with " +
                        std::to_string(ultimo_indice_per(int64_t{s.piano->ultimo_metro()} - 7000) + 1) +
                        " cells, this file has " + std::to_string(celle)};
  }
  if (s.celle && s.righe) {
    for (size_t n = 0; n < s.celle->size(); ++n) {
      const cella& c = (*s.celle)[n];
      if (c.tipo != tipo_cella::stazione) continue;
      const std::string dove =
          "cell " + std::to_string(n) + " is a station naming row " + std::to_string(c.dato1);
      if (c.dato1 < prima_riga_stazione || c.dato1 > ultima_riga_stazione ||
          !riga_di_stazione((*s.righe)[static_cast<size_t>(c.dato1)]))
        throw rifiuto{o.celle, "does not match " + o.tabella + ": " + dove + ", which holds no station"};
      const int32_t fine = (*s.righe)[static_cast<size_t>(c.dato1)].fine;
      if (fine % 50 != 0 || fine / 50 - 1 != static_cast<int64_t>(n))
        throw rifiuto{o.celle, "does not match " + o.tabella + ": " + dove + ", whose area ends at " +
                                   metri(fine) + ", not at " + metri(50 * (static_cast<int64_t>(n) + 1))};
    }
  }
}

bool stesso_file(const std::string& a, const std::string& b) {
  std::error_code ec;
  return !a.empty() && fs::exists(a, ec) && fs::exists(b, ec) && fs::equivalent(a, b, ec);
}

std::optional<double> km(const std::string& testo) {
  if (testo.empty()) return std::nullopt;
  char* fine = nullptr;
  const double v = std::strtod(testo.c_str(), &fine);
  if (*fine != '\0' || !std::isfinite(v)) return std::nullopt;
  return v;
}

// A stretch inside the route, from before to; a message when it is not.
std::optional<std::string> leggi_tratto(scenario_letto& s, const opzioni& o) {
  if (o.da.empty() && o.a.empty()) return std::nullopt;
  const std::optional<double> da = o.da.empty() ? std::optional(0.0) : km(o.da);
  if (!da) return std::string("--from needs a number of kilometres, not '").append(o.da).append("'");
  const double limite = limite_tratto(s);
  const std::optional<double> a = o.a.empty() ? std::optional(limite / 1000) : km(o.a);
  if (!a) return std::string("--to needs a number of kilometres, not '").append(o.a).append("'");
  if (!(*da < *a))
    return std::string("--from (")
        .append(km_esatti(*da * 1000))
        .append(") must be less than --to (")
        .append(km_esatti(*a * 1000))
        .append(")");
  if (*da < 0 || *a * 1000 > limite + 1e-6)
    return std::string("the stretch must lie within the route, 0 to ").append(km_esatti(limite));
  s.da = *da * 1000;
  s.a = *a * 1000;
  return std::nullopt;
}

int esegui(const opzioni& o, bool piano) {
  for (const std::string* ingresso : {&o.piano, &o.celle, &o.tabella})
    if (stesso_file(*ingresso, o.uscita))
      return errore_uso("the picture " + o.uscita + " would replace its input " + *ingresso);
  try {
    scenario_letto s;
    if (!o.piano.empty()) s.piano = leggi_piano(o.piano, leggi(o.piano));
    if (!o.celle.empty()) s.celle = leggi_celle(o.celle, leggi(o.celle));
    if (!o.tabella.empty()) s.righe = leggi_tabella(o.tabella, leggi(o.tabella));
    s.nome_file = fs::path(piano ? o.piano : o.celle).filename().string();
    verifica_coerenza(s, o);
    if (auto e = leggi_tratto(s, o)) return errore_uso(*e);
    const std::string svg = piano ? disegna_piano(s) : disegna_profilo(s);
    if (auto e = svg::scrivi_intero(o.uscita, svg)) return errore(o.uscita, "cannot write: " + *e);
    return stato_pulito;
  } catch (const rifiuto& r) {
    return errore(r.file, r.messaggio);
  } catch (const std::exception& e) {
    return errore("autori", e.what());
  }
}

}  // namespace

std::optional<std::pair<std::string, std::string>> componi_scenario(scenario_letto& s,
                                                                    const ingresso_disegno& piano,
                                                                    const ingresso_disegno& celle,
                                                                    const ingresso_disegno& tabella) {
  try {
    if (piano.byte) s.piano = leggi_piano(piano.nome, *piano.byte);
    if (celle.byte) s.celle = leggi_celle(celle.nome, *celle.byte);
    if (tabella.byte) s.righe = leggi_tabella(tabella.nome, *tabella.byte);
    opzioni o;
    o.piano = piano.nome;
    o.celle = celle.nome;
    o.tabella = tabella.nome;
    verifica_coerenza(s, o);
  } catch (const rifiuto& r) {
    return std::pair{r.file, r.messaggio};
  }
  return std::nullopt;
}

std::optional<int64_t> lunghezza_percorso(const scenario_letto& s) {
  if (s.righe) return (*s.righe)[riga_percorso].fine;
  if (s.piano) return int64_t{s.piano->ultimo_metro()} - 7000;
  return std::nullopt;
}

std::vector<stazione_da_disegnare> stazioni(const scenario_letto& s) {
  std::vector<stazione_da_disegnare> v;
  if (s.righe) {
    std::vector<bool> con_cella(ultima_riga_stazione + 1, false);
    if (s.celle)
      for (const cella& c : *s.celle)
        if (c.tipo == tipo_cella::stazione && c.dato1 >= prima_riga_stazione &&
            c.dato1 <= ultima_riga_stazione)
          con_cella[static_cast<size_t>(c.dato1)] = true;
    for (int r = prima_riga_stazione; r <= ultima_riga_stazione; ++r) {
      const riga_scenario& riga = (*s.righe)[static_cast<size_t>(r)];
      if (!riga_di_stazione(riga) && !con_cella[static_cast<size_t>(r)]) continue;
      v.push_back({riga.posizione_stazione, riga.nome.empty() ? "row " + std::to_string(r) : riga.nome,
                   riga.tipo < primo_tipo_senza_cella, r});
    }
  } else if (s.celle) {
    for (size_t n = 0; n < s.celle->size(); ++n)
      if ((*s.celle)[n].tipo == tipo_cella::stazione)
        v.push_back({50 * static_cast<int64_t>(n), "row " + std::to_string((*s.celle)[n].dato1), true});
  }
  return v;
}

std::vector<galleria> gallerie(const std::vector<cella>& c) {
  std::vector<galleria> v;
  for (size_t n = 0; n < c.size();) {
    if (c[n].galleria == 0) {
      ++n;
      continue;
    }
    const size_t inizio = n;
    const int tipo = c[n].galleria;
    while (n < c.size() && c[n].galleria == tipo) ++n;
    v.push_back({inizio, n, tipo});
  }
  return v;
}

size_t fine_rallentamento(const std::vector<cella>& c, size_t inizio) {
  size_t f = inizio + 1;
  while (f < c.size() && c[f].tipo != tipo_cella::fine_rallentamento) ++f;
  return f;
}

double limite_tratto(const scenario_letto& s) {
  if (auto l = lunghezza_percorso(s)) return static_cast<double>(std::max<int64_t>(*l, 0));
  return s.celle ? 50 * static_cast<double>(s.celle->size()) : 0;
}

comando aggiungi_plot(CLI::App& app) {
  auto o = std::make_shared<opzioni>();
  CLI::App* s = app.add_subcommand("plot", "Draw the plan or the profile of a scenario as one SVG picture");
  // Not required of the parser: its message would not name the kinds, and
  // an unknown kind would read as a missing one.
  s->require_subcommand(0, 1);
  s->footer(
      "The picture is one self-contained SVG file, readable in any browser. It is written under a\n"
      "temporary name beside OUT and renamed when complete: a failure leaves no picture behind.\n"
      "Exit status: 0 drawn; 1 a file cannot be read, is not a file of its kind, the files are\n"
      "not of one scenario, or the picture cannot be written; 64 bad arguments.");

  CLI::App* piano = s->add_subcommand("plan", "The route seen from above, from the plan file (_linea.dat)");
  piano->add_option("PLAN", o->piano, "Plan file, NAME_linea.dat")->required();
  piano->add_option("--cells", o->celle,
                    "Track cells (NAME.dat): the signals, tunnels and signs along the route");
  piano->add_option("--table", o->tabella,
                    "Scenario table (NAME.sim): the stations by name, the route's end");
  piano->add_option("-o,--output", o->uscita, "The SVG file to write")->required();
  piano->add_option("--from", o->da, "Draw the route from KM on (default 0)")->type_name("KM");
  piano->add_option("--to", o->a, "Draw the route up to KM (default the route's end)")->type_name("KM");
  piano->footer(
      "x runs sideways and y along the route's initial direction, drawn upwards, on one scale that\n"
      "fits the picture; a tick every 10 km along the route, the start and the end marked, and the\n"
      "7000 m the plan runs beyond the end dashed. Metres never assigned are skipped. With the cells:\n"
      "tunnels as a grey band over the route, signs as diamonds (their text on hover) and signals\n"
      "with a head for the first side's kind (square 1, disc 2; both kinds in the title).\n"
      "--from and --to (km, from < to, within the route) draw that stretch alone, on its own scale.\n"
      "Exit status: 0 drawn; 1 bad or mismatched files, or OUT cannot be written; 64 bad arguments.");

  CLI::App* profilo =
      s->add_subcommand("profile", "Gradient, line speed, adhesion and track objects against distance");
  profilo->add_option("CELLS", o->celle, "Track cells, NAME.dat")->required();
  profilo->add_option("--table", o->tabella, "Scenario table (NAME.sim): station names, the route's end");
  profilo->add_option("--plan", o->piano, "Plan file (NAME_linea.dat): the curves, their radius and side");
  profilo->add_option("-o,--output", o->uscita, "The SVG file to write")->required();
  profilo->add_option("--from", o->da, "Draw the distance from KM on (default 0)")->type_name("KM");
  profilo->add_option("--to", o->a, "Draw the distance up to KM (default the route's end)")->type_name("KM");
  profilo->footer(
      "Gradient (pendenza - 100, per mille), line speed limit (vel_limite x 5 km/h) and adhesion as\n"
      "step lines; tunnels (galleria) as shaded bands; stations, signals, code points with their\n"
      "codes, slowdown warning boards, starts and ends, and each slowdown's speed on the speed line;\n"
      "speed indicators with their three speeds (s / d when the two sets differ); signs, their text\n"
      "on hover; with --plan, the curves as a band (right above, left below, radius on hover).\n"
      "Cell n covers metres 50 n to 50 n + 50. The distance runs to the route's end or to the last\n"
      "object drawn beyond it (without --table, to the last cell); --from and --to (km, from < to,\n"
      "within the route) draw that stretch alone.\n"
      "Exit status: 0 drawn; 1 bad or mismatched files, or OUT cannot be written; 64 bad arguments.");

  return {s, [o, piano, profilo] {
            if (!piano->parsed() && !profilo->parsed())
              return errore_uso("plot needs the kind of picture: plan or profile");
            return esegui(*o, piano->parsed());
          }};
}

}  // namespace autori
