// autori inspect: what a scenario file holds, one cell, row or metre per line,
// first in the author's words, then field by field.
#include "ispeziona.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <iostream>
#include <limits>
#include <memory>
#include <numbers>
#include <optional>
#include <string_view>
#include <system_error>
#include <tuple>

#include "app/avvio.h"
#include "comandi.h"
#include "diagnostica.h"
#include "documents/lettore.h"
#include "files/archivio.h"
#include "model/campi.h"
#include "model/dominio.h"
#include "output/decodifica.h"
#include "provenienza.h"
#include "significato.h"
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
  bool gallerie = false;
  int tipo = 0;
  bool geometria = false;
  std::string tabella;
  std::string linea;
  std::string treno;
  std::string identificativo;
  std::string numero_treno;
  CLI::Option* opzione_da = nullptr;
  CLI::Option* opzione_a = nullptr;
  CLI::Option* opzione_tipo = nullptr;
};

// Which entries to show.
struct filtro {
  int64_t da = 0;
  int64_t a = std::numeric_limits<int64_t>::max();
  bool non_vuoti = false;
  bool gallerie = false;  // with non_vuoti, the cells that hold only a tunnel byte too
  std::optional<int> tipo;
  bool comprende(int64_t i) const { return i >= da && i <= a; }
  bool tipo_ammesso(int t) const { return !tipo || *tipo == t; }
};

std::string unisci(std::initializer_list<std::string_view> parti) {
  std::string s;
  for (std::string_view p : parti) s.append(p);
  return s;
}

std::string n(int64_t v) { return std::to_string(v); }

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

std::string nome_tipo(int tipo) {
  switch (tipo) {
    case tipo_cella::nessuno:
      return "empty";
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
      return "unknown kind " + n(tipo);
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

std::string formato(const char* f, double v) {
  char b[64];
  // Adding 0.0 turns a negative zero into zero.
  std::snprintf(b, sizeof b, f, v + 0.0);
  return b;
}

// A time of day in seconds as H:MM:SS.
std::string ora(int64_t secondi) {
  const int64_t s = secondi < 0 ? -secondi : secondi;
  auto due = [](int64_t v) { return std::string(v < 10 ? "0" : "").append(n(v)); };
  return unisci({secondi < 0 ? "-" : "", n(s / 3600), ":", due(s % 3600 / 60), ":", due(s % 60)});
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

// "name=value" for every field, in file order; a text is quoted.
template <class R>
std::string in_testo(const R& r) {
  std::string t;
  per_ogni_campo<R>([&](const auto& c) {
    const auto& v = r.*c.membro;
    if (!t.empty()) t += ' ';
    t.append(c.nome).append("=");
    if constexpr (testo_v<std::remove_cvref_t<decltype(v)>>) {
      t += citato(v);
    } else {
      t += n(v);
    }
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

// What an entry means: the clauses of its text line, joined by "; ", and
// the same by name for JSON.
struct spiegazione {
  std::vector<std::string> frasi;
  json chiavi = json::object();
  void frase(std::string s) { frasi.push_back(std::move(s)); }
  std::string testo() const {
    std::string t;
    for (const std::string& f : frasi) {
      if (!t.empty()) t += "; ";
      t += f;
    }
    return t;
  }
};

// Text lines keep within this many columns: the words wrap at their "; ",
// the fields go below them.
constexpr size_t colonne = 100;

size_t larghezza(std::string_view t) {
  size_t k = 0;
  for (char c : t) k += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return k;
}

// The pieces of a text cut after each separator.
std::vector<std::string> pezzi_di(const std::string& testo, std::string_view separatore) {
  std::vector<std::string> pezzi;
  for (size_t a = 0; a < testo.size();) {
    size_t b = testo.find(separatore, a);
    b = b == std::string::npos ? testo.size() : b + separatore.size();
    pezzi.push_back(testo.substr(a, b - a));
    a = b;
  }
  return pezzi;
}

// Greedy: pieces cut after each separator, lines filled up to the columns;
// a piece wider than a line is cut at its blanks.
std::string a_capo(const std::string& testo, std::string_view separatore, const std::string& primo,
                   const std::string& rientro) {
  std::vector<std::string> pezzi;
  for (const std::string& p : pezzi_di(testo, separatore)) {
    if (larghezza(p) + larghezza(rientro) <= colonne) {
      pezzi.push_back(p);
    } else {
      for (const std::string& q : pezzi_di(p, " ")) pezzi.push_back(q);
    }
  }
  std::string out, riga = primo;
  bool vuota = true;
  for (const std::string& pezzo : pezzi) {
    std::string_view senza = pezzo;
    while (!senza.empty() && senza.back() == ' ') senza.remove_suffix(1);
    if (!vuota && larghezza(riga) + larghezza(senza) > colonne) {
      while (!riga.empty() && riga.back() == ' ') riga.pop_back();
      out += riga + "\n";
      riga = rientro;
    }
    riga += pezzo;
    vuota = false;
  }
  while (!riga.empty() && riga.back() == ' ') riga.pop_back();
  return out + riga;
}

// "ENTRY: WORDS" wrapped, then "    | FIELDS" below: joining each line that
// begins with blanks to the one before, with one blank, gives the entry on
// one line.
std::string impagina(const std::string& parole, const std::string& campi) {
  return a_capo(parole, "; ", "", "  ") + "\n" + a_capo(campi, " ", "    | ", "    ");
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
  int chiudi(int stato = stato_pulito) {
    if (json_) std::cout << (primo_ ? "]}" : "\n]}") << '\n';
    std::cout << std::flush;
    return stato;
  }

 private:
  bool json_;
  bool primo_ = true;
};

// ---- Cells

struct contesto_celle {
  explicit contesto_celle(const std::vector<cella>& c) : celle(c) {}
  const std::vector<cella>& celle;
  // For the names of stations and signs, when a table is at hand.
  const tabella* tab = nullptr;
  // With the descriptions: the source of each cell and the files' names.
  const provenienza* fonti = nullptr;
  const std::string* testi[3] = {nullptr, nullptr, nullptr};
  std::string nomi[3];
};

// The text of a table row a cell points at, when there is one.
std::optional<std::string> testo_riga(const contesto_celle& x, int64_t riga) {
  if (x.tab == nullptr || riga < 0 || riga >= righe_tabella) return std::nullopt;
  const std::string& t = (*x.tab)[static_cast<size_t>(riga)].nome;
  if (t.empty()) return std::nullopt;
  return utf8_da_latin1(t);
}

void dettagli_segnale(const cella& c, spiegazione& s) {
  const auto [rapporto, coppia] = decine_unita(c.dato4);
  const auto [sinistra, destra] = lati_segnale(coppia);
  const auto [s1, d1] = cifre_segnale(c.dato1);
  const auto [s2, d2] = cifre_segnale(c.dato2);
  const auto [s3, d3] = cifre_segnale(c.dato3);
  s.frase(unisci({"left kind ", n(sinistra), ", digits ", n(s1), " ", n(s2), " ", n(s3)}));
  s.frase(unisci({"right kind ", n(destra), ", digits ", n(d1), " ", n(d2), " ", n(d3)}));
  s.frase("ratio " + n(rapporto));
  s.frase("time " + n(c.tempo));
  s.chiavi["left"] = {{"kind", sinistra}, {"digits", {s1, s2, s3}}};
  s.chiavi["right"] = {{"kind", destra}, {"digits", {d1, d2, d3}}};
  s.chiavi["ratio"] = rapporto;
  s.chiavi["time"] = c.tempo;
}

void dettagli_indicatore(const cella& c, spiegazione& s) {
  const auto [as, ad] = coppia_velocita(c.dato1);
  const auto [bs, bd] = coppia_velocita(c.dato2);
  const auto [cs, cd] = coppia_velocita(c.dato3);
  const auto [strisce_s, strisce_d] = decine_unita(c.dato4);
  s.frase(unisci({"left ", n(as), " ", n(bs), " ", n(cs), " km/h, stripes ", n(strisce_s)}));
  s.frase(unisci({"right ", n(ad), " ", n(bd), " ", n(cd), " km/h, stripes ", n(strisce_d)}));
  s.chiavi["left"] = {{"speeds_kmh", {as, bs, cs}}, {"stripes", strisce_s}};
  s.chiavi["right"] = {{"speeds_kmh", {ad, bd, cd}}, {"stripes", strisce_d}};
}

void dettagli_rallentamento(const cella& c, bool con_fine, spiegazione& s) {
  s.frase(unisci({"slowdown speed ", n(c.dato1), " km/h"}));
  s.frase("second value " + n(c.dato2));
  s.chiavi["slowdown_speed_kmh"] = c.dato1;
  s.chiavi["second_value"] = c.dato2;
  if (con_fine) {
    s.frase("start and end value " + n(c.dato3));
    s.chiavi["start_and_end_value"] = c.dato3;
  }
}

// The first clause names the kind; the values the kind gives its fields
// follow. Cell 1's dato1 and dato2 are the build's stamps, whatever its kind.
void oggetto(const contesto_celle& x, int64_t i, spiegazione& s) {
  const cella& c = x.celle[static_cast<size_t>(i)];
  std::string tipo = nome_tipo(c.tipo);
  if (i == static_cast<int64_t>(cella_timbro)) {
    s.frase(tipo);
    s.frase("marker " + n(c.*marcatore_cella) + ", the fixed value every build stamps here");
    s.frase("object competition code " + n(c.*codice_cella) +
            ", computed from the scenario identifier and train number alone");
    s.chiavi["marker"] = c.*marcatore_cella;
    s.chiavi["object_competition_code"] = c.*codice_cella;
    return;
  }
  switch (c.tipo) {
    case tipo_cella::segnale:
      s.frase(tipo);
      dettagli_segnale(c, s);
      return;
    case tipo_cella::fine_rallentamento:
    case tipo_cella::inizio_rallentamento:
      s.frase(tipo);
      dettagli_rallentamento(c, true, s);
      return;
    case tipo_cella::tabella_avviso:
      s.frase(tipo);
      dettagli_rallentamento(c, false, s);
      return;
    case tipo_cella::avvicinamento:
      s.frase(tipo);
      s.frase(unisci({"number ", n(c.dato1), " of the ", n(segni_di_avviso), " before the warning board"}));
      s.chiavi["approach_number"] = c.dato1;
      return;
    case tipo_cella::indicatore_velocita:
      s.frase(tipo);
      dettagli_indicatore(c, s);
      return;
    case tipo_cella::stazione: {
      const std::optional<std::string> nome = testo_riga(x, c.dato1);
      s.frase(unisci({tipo, nome ? " " : "", nome ? *nome : "", " (row ", n(c.dato1), ")"}));
      s.chiavi["row"] = c.dato1;
      s.chiavi["station_name"] = nome ? json(*nome) : json(nullptr);
      return;
    }
    case tipo_cella::cartello: {
      const std::optional<std::string> testo = testo_riga(x, c.dato1);
      s.frase(unisci(
          {tipo, testo ? " \"" : "", testo ? *testo : "", testo ? "\"" : "", " (row ", n(c.dato1), ")"}));
      s.chiavi["row"] = c.dato1;
      s.chiavi["sign_text"] = testo ? json(*testo) : json(nullptr);
      return;
    }
    case tipo_cella::punto_codice:
      s.frase(tipo);
      s.frase("code " + n(c.dato1));
      s.chiavi["code"] = c.dato1;
      return;
    default:
      s.frase(tipo);
      return;
  }
}

// An approach mark belongs to the signal two, four, six or eight cells
// ahead, or to the station one to four cells ahead, that writes its value.
void segno_avviso(const contesto_celle& x, int64_t i, spiegazione& s) {
  const uint8_t v = x.celle[static_cast<size_t>(i)].avviso;
  if (v == 0) {
    s.chiavi["approach_mark"] = nullptr;
    return;
  }
  const int64_t ultimo = static_cast<int64_t>(x.celle.size()) - 1;
  json di = json::array();
  std::string parole;
  auto aggiungi = [&](const char* chi, int64_t k, int64_t cella) {
    parole += unisci({parole.empty() ? "" : " or ", n(k), " of the ", chi, " in cell ", n(cella)});
    di.push_back({{"kind", chi}, {"cell", cella}, {"number", k}});
  };
  for (int64_t k = 1; k <= segni_di_avviso; ++k) {
    const int64_t st = stazione_del_segno(i, k);
    if (st <= ultimo && x.celle[static_cast<size_t>(st)].tipo == tipo_cella::stazione &&
        static_cast<uint8_t>(valore_segno_stazione(k)) == v)
      aggiungi("station", k, st);
  }
  for (int64_t k = 1; k <= segni_di_avviso; ++k) {
    const int64_t sg = segnale_del_segno(i, k);
    if (sg > ultimo) continue;
    const cella& c = x.celle[static_cast<size_t>(sg)];
    if (c.tipo == tipo_cella::segnale &&
        static_cast<uint8_t>(valore_segno_segnale(decine_unita(c.dato4).second, k)) == v)
      aggiungi("signal", k, sg);
  }
  if (di.empty())
    s.frase(unisci({"approach mark ", n(v), ", of no signal or station ahead"}));
  else
    s.frase("approach mark " + parole);
  s.chiavi["approach_mark"] = {{"value", v}, {"of", di}};
}

// The profile runs stop three cells before the end: there the bytes are unset.
void profilo(const cella& c, bool coda, spiegazione& s) {
  if (coda && c.vel_limite == 0 && c.pendenza == 0 && c.aderenza == 0) {
    s.frase("profile unset");
    s.chiavi["line_speed_kmh"] = nullptr;
    s.chiavi["gradient_permille"] = nullptr;
    s.chiavi["adhesion"] = nullptr;
    return;
  }
  const int velocita = 5 * c.vel_limite;
  const int pendenza = c.pendenza - 100;
  s.frase(unisci(
      {"line speed ", n(velocita), " km/h, gradient ", n(pendenza), " \u2030, adhesion ", n(c.aderenza)}));
  s.chiavi["line_speed_kmh"] = velocita;
  s.chiavi["gradient_permille"] = pendenza;
  s.chiavi["adhesion"] = c.aderenza;
}

// Where a cell's object comes from; nothing for a cell without one.
std::optional<json> fonte(const contesto_celle& x, int64_t i, spiegazione& s) {
  if (x.fonti == nullptr || !x.fonti->scarto.empty()) return std::nullopt;
  const std::optional<origine_cella>& o = x.fonti->celle[static_cast<size_t>(i)];
  if (!o) return std::nullopt;
  if (!o->da_record) {
    s.frase("added by the finishing pass, for a slowdown");
    return json{{"by", "finishing pass"}};
  }
  const int d = o->documento == 1 ? 1 : 2;
  const posizione_testo p = riga_colonna(*x.testi[d], o->offset);
  std::string f = unisci({"from line ", n(p.riga), " of ", x.nomi[d]});
  if (o->abbassato) f += ", the code brought down to 180 by the finishing pass";
  s.frase(f);
  json j{{"by", "record"},
         {"file", x.nomi[d]},
         {"line", p.riga},
         {"column", p.colonna},
         {"record", std::string(o->record)}};
  if (o->abbassato) j["lowered_by_finishing_pass"] = true;
  return j;
}

// Every clause inspect gives a cell, its source among them when `da` asks.
void spiega_cella(const contesto_celle& x, int64_t i, spiegazione& s, std::optional<json>* da) {
  const cella& c = x.celle[static_cast<size_t>(i)];
  oggetto(x, i, s);
  if (da != nullptr) *da = fonte(x, i, s);
  segno_avviso(x, i, s);
  if (c.galleria != 0) s.frase("tunnel type " + n(c.galleria));
  s.chiavi["tunnel_type"] = c.galleria;
  profilo(c, i > static_cast<int64_t>(x.celle.size()) - 4, s);
}

std::string metri_cella(int64_t i) { return unisci({n(50 * i), "\u2013", n(50 * i + 49), " m"}); }

// A cell inside a tunnel that holds nothing else: along a long tunnel,
// hundreds of them.
bool solo_galleria(const cella& c) {
  if (c.galleria == 0) return false;
  cella senza = c;
  senza.galleria = 0;
  return vuoto(senza);
}

int mostra_celle(const contesto_celle& x, const filtro& f, elenco uscita) {
  const auto& celle = x.celle;
  for (size_t k = 0; k < celle.size(); ++k) {
    const auto i = static_cast<int64_t>(k);
    const cella& c = celle[k];
    if (!f.comprende(i) || (f.non_vuoti && (vuoto(c) || (!f.gallerie && solo_galleria(c)))) ||
        !f.tipo_ammesso(c.tipo))
      continue;
    spiegazione s;
    std::optional<json> da;
    spiega_cella(x, i, s, &da);
    if (uscita.come_json()) {
      json j = in_json(i, c);
      j["metre"] = 50 * i;
      j["kind"] = nome_tipo(c.tipo);
      j["meaning"] = std::move(s.chiavi);
      if (x.fonti != nullptr) j["source"] = da ? *da : json(nullptr);
      uscita.voce(j);
      continue;
    }
    uscita.riga(impagina(unisci({"cell ", n(i), " at ", metri_cella(i), ": ", s.testo()}), in_testo(c)));
  }
  return uscita.chiudi(x.fonti != nullptr && !x.fonti->scarto.empty() ? stato_con_codice : stato_pulito);
}

// ---- Table rows

bool solo_testo(const riga_scenario& r) {
  bool numeri_nulli = true;
  per_ogni_campo<riga_scenario>([&](const auto& c) {
    if constexpr (!testo_v<typename std::remove_cvref_t<decltype(c)>::tipo>)
      numeri_nulli = numeri_nulli && r.*c.membro == 0;
  });
  return numeri_nulli && !r.nome.empty();
}

// Stations grow from row 1 and sign texts from row 80 towards each other: a
// row there that holds a text alone is a sign's.
std::string uso_riga(int64_t i, const riga_scenario& r) {
  if (i == riga_progressiva_lontana || i == riga_progressiva_media || i == riga_progressiva_vicina)
    return "chainage section";
  if (i == riga_percorso) return "route and train figures";
  if (i == riga_identita) return "scenario identity";
  if (i == riga_treno) return "train identity";
  if (i == 0 || vuoto(r)) return "unused";
  return solo_testo(r) ? "sign text" : "station";
}

void spiega_riga(const riga_scenario& r, const std::string& uso, spiegazione& s) {
  auto metri = [&](const char* nome, const char* chiave, int64_t v) {
    s.frase(unisci({nome, " ", n(v), " m"}));
    s.chiavi[chiave] = v;
  };
  auto valore = [&](const char* nome, const char* chiave, int64_t v) {
    s.frase(unisci({nome, " ", n(v)}));
    s.chiavi[chiave] = v;
  };
  const std::string nome = utf8_da_latin1(r.nome);
  s.frase(uso);
  if (uso == "station") {
    if (!nome.empty()) s.frasi.back().append(" ").append(nome);
    s.chiavi["name"] = nome;
    valore("type", "type", r.tipo);
    metri("position", "position_m", r.posizione_stazione);
    s.frase(unisci({"area ", n(r.inizio), "\u2013", n(r.fine), " m"}));
    s.chiavi["area_start_m"] = r.inizio;
    s.chiavi["area_end_m"] = r.fine;
    s.frase("time " + ora(r.orario));
    s.chiavi["time"] = ora(r.orario);
    s.chiavi["time_s"] = r.orario;
  } else if (uso == "sign text") {
    s.frasi.back().append(" \"").append(nome).append("\"");
    s.chiavi["text"] = nome;
  } else if (uso == "chainage section") {
    metri("start", "start_m", r.inizio);
    metri("difference", "difference_m", r.fine);
    valore("flag", "flag", r.posizione_stazione);
  } else if (uso == "route and train figures") {
    s.frase(unisci({"braked mass ", n(r.inizio), " %"}));
    s.chiavi["braked_mass_percent"] = r.inizio;
    metri("route length", "route_length_m", r.fine);
    valore("coaches", "coaches", r.posizione_stazione);
  } else if (uso == "scenario identity") {
    s.frase("identifier " + nome);
    s.chiavi["scenario_identifier"] = nome;
    valore("background one", "background_one", r.inizio);
    valore("background two", "background_two", r.posizione_stazione);
    valore("background three", "background_three", r.fine);
    valore("marker", "marker", r.*marcatore_riga);
    valore("station competition code", "station_competition_code", r.*codice_riga);
  } else if (uso == "train identity") {
    s.frase("train number " + nome);
    s.chiavi["train_number"] = nome;
    s.frase(unisci(
        {"signal repetition ", n(r.inizio), "\u2013", n(r.fine), " m, ", n(r.posizione_stazione), " codes"}));
    s.chiavi["signal_repetition"] = {
        {"start_m", r.inizio}, {"end_m", r.fine}, {"codes", r.posizione_stazione}};
    valore("sand", "sand", r.d2_a);
    char b[64];
    std::snprintf(b, sizeof b, "%02d:%02d:%02d", r.d1_b, r.d2_b, r.d3_b);
    s.frase(std::string("clock ").append(b));
    s.chiavi["clock"] = {{"hours", r.d1_b}, {"minutes", r.d2_b}, {"seconds", r.d3_b}};
  }
}

int mostra_tabella(const tabella& t, const filtro& f, elenco uscita) {
  for (size_t k = 0; k < t.size(); ++k) {
    const auto i = static_cast<int64_t>(k);
    const riga_scenario& r = t[k];
    if (!f.comprende(i) || (f.non_vuoti && vuoto(r)) || !f.tipo_ammesso(r.tipo)) continue;
    const std::string uso = uso_riga(i, r);
    spiegazione s;
    spiega_riga(r, uso, s);
    if (uscita.come_json()) {
      json j = in_json(i, r);
      j["use"] = uso;
      j["meaning"] = std::move(s.chiavi);
      uscita.voce(j);
      continue;
    }
    uscita.riga(impagina(unisci({"row ", n(i), ": ", s.testo()}), in_testo(r)));
  }
  return uscita.chiudi();
}

// ---- Plan

std::string testo_elemento(const elemento& e) {
  switch (e.specie) {
    case specie_elemento::vuoto:
      return forma(e.specie).nome;
    case specie_elemento::intero:
      return unisci({n(static_cast<int>(e.valore)), " (", forma(e.specie).nome, ")"});
    case specie_elemento::reale:
      return reale(e.valore);
  }
  return "";
}

// The heading at metre m is that of the step to metre m + 1; the curvature
// there is the turn from the step before to that one, per metre.
class geometria {
 public:
  explicit geometria(const tracciato_t& t) : t_(t) {}
  std::optional<double> rotta_a(int32_t m) const {
    if (!pieno(m) || !pieno(m + 1)) return std::nullopt;
    return rotta(t_.at(m + 1, 0).valore - t_.at(m, 0).valore, t_.at(m + 1, 1).valore - t_.at(m, 1).valore);
  }
  std::optional<double> curvatura_a(int32_t m) const {
    const std::optional<double> prima = rotta_a(m - 1), dopo = rotta_a(m);
    if (!prima || !dopo) return std::nullopt;
    return svolta(*prima, *dopo);
  }

 private:
  bool pieno(int32_t m) const {
    return m >= 0 && m <= t_.ultimo_metro() && t_.at(m, 0).specie != specie_elemento::vuoto &&
           t_.at(m, 1).specie != specie_elemento::vuoto;
  }
  const tracciato_t& t_;
};

void spiega_metro(const geometria& g, int32_t m, spiegazione& s) {
  const std::optional<double> r = g.rotta_a(m);
  const std::optional<double> k = g.curvatura_a(m);
  const std::optional<double> gradi =
      r ? std::optional<double>(*r * 180 / std::numbers::pi) : std::optional<double>();
  s.frase(gradi ? unisci({"heading ", formato("%.6f", *gradi), " deg"}) : "heading unknown");
  s.chiavi["heading_deg"] = gradi ? json(*gradi) : json(nullptr);
  s.chiavi["curvature_per_m"] = k ? json(*k) : json(nullptr);
  if (!k) {
    s.frase("curvature unknown");
    s.chiavi["radius_m"] = nullptr;
    s.chiavi["turn"] = nullptr;
  } else if (std::fabs(*k) < curvatura_minima) {
    s.frase("straight");
    s.chiavi["radius_m"] = nullptr;
    s.chiavi["turn"] = "straight";
  } else {
    const char* lato = *k > 0 ? "right" : "left";
    s.frase(unisci({"curvature ", formato("%.6g", *k), " 1/m, radius ", formato("%.6g", 1 / std::fabs(*k)),
                    " m to the ", lato}));
    s.chiavi["radius_m"] = 1 / std::fabs(*k);
    s.chiavi["turn"] = lato;
  }
}

int mostra_piano(const tracciato_t& t, const filtro& f, bool con_geometria, elenco uscita) {
  auto valore = [](const elemento& e) {
    return e.specie == specie_elemento::vuoto ? json(nullptr) : json(e.valore);
  };
  const geometria g(t);
  for (int32_t m = 0; m <= t.ultimo_metro(); ++m) {
    if (!f.comprende(m)) continue;
    const elemento& x = t.at(m, 0);
    const elemento& y = t.at(m, 1);
    if (f.non_vuoti && x.specie == specie_elemento::vuoto && y.specie == specie_elemento::vuoto) continue;
    spiegazione s;
    if (con_geometria) spiega_metro(g, m, s);
    if (uscita.come_json()) {
      json j{{"index", m},     {"metre", m},
             {"x", valore(x)}, {"x_kind", forma(x.specie).nome},
             {"y", valore(y)}, {"y_kind", forma(y.specie).nome}};
      if (con_geometria) j.update(s.chiavi);
      uscita.voce(j);
      continue;
    }
    const std::string punto = unisci({"x=", testo_elemento(x), " y=", testo_elemento(y)});
    uscita.riga(con_geometria ? impagina(unisci({"metre ", n(m), ": ", s.testo()}), punto)
                              : unisci({"metre ", n(m), ": ", punto}));
  }
  return uscita.chiudi();
}

}  // namespace

parole_inspect parole_cella(const std::vector<cella>& celle, const tabella* tab, int64_t i) {
  contesto_celle x(celle);
  x.tab = tab;
  spiegazione s;
  spiega_cella(x, i, s, nullptr);
  return {s.testo(), std::move(s.chiavi)};
}

parole_inspect parole_riga(const tabella& t, int64_t i) {
  const riga_scenario& r = t[static_cast<size_t>(i)];
  spiegazione s;
  spiega_riga(r, uso_riga(i, r), s);
  return {s.testo(), std::move(s.chiavi)};
}

std::string campi_in_testo(const cella& c) { return in_testo(c); }
std::string campi_in_testo(const riga_scenario& r) { return in_testo(r); }

namespace {

// ---- The command

template <typename T>
int rifiuta(const std::string& file, const std::string& specie, const decodificato<T>& d) {
  return errore(file, "not a " + specie + " file: " + d.errore);
}

// --from and --to name entries of the file; past its last one there is nothing.
std::optional<int> fuori_file(const opzioni& o, const filtro& f, int64_t ultimo, const char* voce) {
  for (auto [opzione, valore, nome] :
       {std::tuple{o.opzione_da, f.da, "--from"}, std::tuple{o.opzione_a, f.a, "--to"}})
    if (opzione->count() > 0 && valore > ultimo)
      return errore_uso(ultimo < 0 ? unisci({nome, " ", n(valore), ": ", o.file, " holds no ", voce})
                                   : unisci({nome, " ", n(valore), " is beyond the last ", voce, " of ",
                                             o.file, ", which is ", n(ultimo)}));
  return std::nullopt;
}

// The identity the descriptions are built with: the options, else the file's
// name ID_NUMBER.dat, else the shipped scenario's.
void identita_di(const opzioni& o, std::string& id, std::string& numero) {
  id = o.identificativo;
  numero = o.numero_treno;
  const std::string radice = std::filesystem::path(o.file).stem().string();
  const size_t u = radice.rfind('_');
  const bool nome_valido = u != std::string::npos && u > 0 && u + 1 < radice.size();
  if (id.empty()) id = nome_valido ? radice.substr(0, u) : identificativo_scenario;
  if (numero.empty()) numero = nome_valido ? radice.substr(u + 1) : numero_treno_scenario;
}

// The table that names stations and signs: the one given, else NAME.sim
// beside NAME.dat when it is there and reads as a table.
std::optional<int> leggi_nomi(const opzioni& o, std::optional<tabella>& tab) {
  if (!o.tabella.empty()) {
    std::string dati;
    try {
      dati = leggi_file(o.tabella);
    } catch (const std::system_error& e) {
      return errore(o.tabella, "cannot read: " + e.code().message());
    }
    auto d = decodifica_tabella(dati);
    if (!d.ok()) return rifiuta(o.tabella, "table", d);
    tab = std::move(d.valore);
    return std::nullopt;
  }
  if (!termina_con(o.file, ".dat")) return std::nullopt;
  const std::string accanto = o.file.substr(0, o.file.size() - 4).append(".sim");
  // The table beside only lends its names: without it the rows alone show.
  try {
    if (!esiste_file(accanto)) return std::nullopt;
    auto d = decodifica_tabella(leggi_file(accanto));
    if (d.ok()) tab = std::move(d.valore);
  } catch (const std::system_error&) {
  }
  return std::nullopt;
}

int mostra_file_celle(const opzioni& o, const filtro& f, const std::vector<cella>& celle) {
  if (auto r = fuori_file(o, f, static_cast<int64_t>(celle.size()) - 1, "cell")) return *r;
  contesto_celle x(celle);
  std::optional<tabella> tab;
  if (auto r = leggi_nomi(o, tab)) return *r;
  if (tab) x.tab = &*tab;
  std::string linea, treno;
  provenienza fonti;
  if (!o.linea.empty()) {
    for (auto [nome, testo] : {std::pair{&o.linea, &linea}, std::pair{&o.treno, &treno}}) {
      try {
        *testo = leggi_file(*nome);
      } catch (const std::system_error& e) {
        return errore(*nome, "cannot read: " + e.code().message());
      }
    }
    std::string id, numero;
    identita_di(o, id, numero);
    fonti = provenienza_celle(celle, linea, treno, id, numero);
    if (!fonti.scarto.empty())
      std::cerr << o.file << ": warning: " << o.linea << " and " << o.treno << " " << fonti.scarto
                << "; no cell is given its source" << std::endl;
    x.fonti = &fonti;
    x.testi[1] = &linea;
    x.testi[2] = &treno;
    x.nomi[1] = o.linea;
    x.nomi[2] = o.treno;
  }
  return mostra_celle(x, f, elenco(o.json, o.file, "cells", celle.size(), "cells"));
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
  f.gallerie = o.gallerie;
  if (o.gallerie && !o.non_vuoti) return errore_uso("--tunnels applies with --non-empty");
  if (o.opzione_tipo->count() > 0) {
    if (specie == "plan") return errore_uso("--tipo applies to cells and table rows, not to the plan");
    f.tipo = o.tipo;
  }
  if (o.geometria && specie != "plan") return errore_uso("--geometry applies to the plan, not to " + specie);
  const bool descrizioni = !o.linea.empty() || !o.treno.empty();
  if (specie != "cells" && (descrizioni || !o.tabella.empty()))
    return errore_uso(std::string(descrizioni ? "--line and --train apply" : "--table applies")
                          .append(" to cells, not to ")
                          .append(specie));
  if (descrizioni && (o.linea.empty() || o.treno.empty()))
    return errore_uso(o.linea.empty() ? "--train needs --line: the line description too"
                                      : "--line needs --train: the train description too");
  if (!descrizioni && (!o.identificativo.empty() || !o.numero_treno.empty()))
    return errore_uso(
        "--id and --number name the identity the descriptions are built with: give --line and "
        "--train");

  std::string dati;
  try {
    dati = leggi_file(o.file);
  } catch (const std::system_error& e) {
    return errore(o.file, "cannot read: " + e.code().message());
  }

  if (specie == "cells") {
    auto d = decodifica_percorso(dati);
    if (!d.ok()) return rifiuta(o.file, specie, d);
    return mostra_file_celle(o, f, d.valore);
  }
  if (specie == "table") {
    auto d = decodifica_tabella(dati);
    if (!d.ok()) return rifiuta(o.file, specie, d);
    if (auto r = fuori_file(o, f, static_cast<int64_t>(d.valore.size()) - 1, "row")) return *r;
    return mostra_tabella(d.valore, f, elenco(o.json, o.file, "table", d.valore.size(), "rows"));
  }
  auto d = decodifica_tracciato(dati);
  if (!d.ok()) return rifiuta(o.file, specie, d);
  dati.clear();
  dati.shrink_to_fit();
  if (auto r = fuori_file(o, f, d.valore.ultimo_metro(), "metre")) return *r;
  const auto metri = static_cast<size_t>(d.valore.ultimo_metro() + 1);
  return mostra_piano(d.valore, f, o.geometria, elenco(o.json, o.file, "plan", metri, "metres"));
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
              "Only cells holding more than the profile bytes (vel_limite, pendenza, aderenza) and the "
              "tunnel byte, rows with any value, metres with a value");
  s->add_flag("--tunnels", o->gallerie,
              "With --non-empty, also the cells that hold only a tunnel byte (galleria)");
  o->opzione_tipo =
      s->add_option("--tipo", o->tipo, "Only cells or rows of this tipo")->check(CLI::Range(0, 255));
  s->add_option(
      "--table", o->tabella,
      "Cells: the table (NAME.sim) that names stations and signs (default: NAME.sim beside NAME.dat, "
      "when there is one)");
  s->add_option("--line", o->linea, "Cells: the line description, to give each cell its source line");
  s->add_option("--train", o->treno, "Cells: the train description, to give each cell its source line");
  s->add_option("--id", o->identificativo,
                "With --line and --train: the scenario identifier (default: ID of ID_NUMBER.dat, else " +
                    std::string(identificativo_scenario) + ")");
  s->add_option("--number", o->numero_treno,
                "With --line and --train: the train number (default: NUMBER of ID_NUMBER.dat, else " +
                    std::string(numero_treno_scenario) + ")");
  s->add_flag("--geometry", o->geometria, "Plan: the heading and the curvature at each metre");
  s->footer(
      "Each entry is 'ENTRY: MEANING', the meaning in clauses joined by '; ', then below it\n"
      "'    | FIELDS', every field of the file as name=value; lines keep within 100 columns, and a\n"
      "line that begins with blanks goes on the one before (joined with one blank, each entry is\n"
      "'ENTRY: MEANING | FIELDS' on one line).\n"
      "  cell N at A\u2013B m: KIND[; DETAILS][; from line L of FILE][; approach mark ...][; tunnel\n"
      "    type T]; line speed S km/h, gradient G \u2030, adhesion D | tipo=... aderenza=...\n"
      "  row N: USE[; FIELDS BY USE] | tipo=... orario=...\n"
      "  metre M: x=... y=...\n"
      "A plan element is a double; 'V (integer)' is one stored as an integer (the two first\n"
      "metres, where the route starts at 0, 0 heading +y), 'empty' one the build never computed.\n"
      "Cell N covers metres 50N to 50N + 49. Kinds: empty, signal, slowdown end, slowdown start,\n"
      "slowdown warning board, slowdown approach, maximum-speed indicator, station, tunnel light,\n"
      "code point, code point without code, sign. A signal gives its left and right side kind and\n"
      "digits, ratio and time; an indicator its three left and right speeds in km/h and stripes; a\n"
      "station and a sign their row, and the name or the text (in double quotes) from the table;\n"
      "a slowdown cell its speed and flags. An approach mark names the signal or station ahead that\n"
      "writes it. Cell 1 carries the build's marker, 5121, a fixed value every build stamps there,\n"
      "and the object competition code, a number the build computes from the scenario identifier\n"
      "and the train number alone (row 85 holds the marker 610 and the station competition code,\n"
      "computed alike); the simulator checks them. The last three\n"
      "cells say 'profile unset' where the profile runs did not reach them.\n"
      "Row uses: station, sign text, chainage section (81 to 83: start, difference, flag), route\n"
      "and train figures (84: braked mass, route length, coaches), scenario identity (85:\n"
      "identifier, backgrounds, marker, station competition code), train identity (86: train\n"
      "number, signal repetition, sand, clock), unused.\n"
      "--line and --train build the two descriptions in memory (with --id and --number) and give\n"
      "each cell's object the line of the record that placed it, 'from line L of FILE'; the code\n"
      "points the finishing pass adds for slowdowns say so. When the descriptions build other cells\n"
      "than the file holds, a warning says where, and no source is given.\n"
      "--geometry: 'metre M: heading H deg; curvature K 1/m, radius R m to the right | x=... y=...'.\n"
      "The heading at metre M is the direction of the step from M to M + 1, in degrees clockwise\n"
      "from the route's first direction (+y); the curvature is the change of heading from the step\n"
      "before to that one, in radians per metre (positive to the right), 'straight' below 1e-7;\n"
      "the radius is 1 / curvature.\n"
      "--json: the same fields under their names, plus 'kind', 'metre' (50N) and 'meaning' for a\n"
      "cell and 'source' with --line; 'use' and 'meaning' for a row; 'metre' and, with --geometry,\n"
      "heading_deg, curvature_per_m, radius_m and turn for a metre.\n"
      "A file whose size does not fit its kind is rejected: cells come in 15 bytes each, the table\n"
      "has exactly 87 rows, the plan is a whole number of elements, as many x as y.\n"
      "Exit status: 0 shown; 1 a file cannot be read or does not fit its kind; 2 shown, but the\n"
      "descriptions do not build these cells; 64 bad arguments, a --from or --to beyond the file's\n"
      "last cell, row or metre among them.");
  return {s, [o] { return esegui(*o); }};
}

}  // namespace autori
