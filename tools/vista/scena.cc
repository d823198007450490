#include "scena.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <future>
#include <map>
#include <system_error>

#include "decompila.h"
#include "diagnostica.h"
#include "files/archivio.h"
#include "files/nomi_file.h"
#include "ispeziona.h"
#include "model/campi.h"
#include "model/dominio.h"
#include "significato.h"
#include "testi.h"

namespace fs = std::filesystem;

namespace autori::vista {

namespace {

constexpr int64_t metri_cella = 50;

// Base64 keeps the plan's metres a third larger than their bytes, where a
// JSON array of numbers would take four times as many.
std::string base64(const std::string& b) {
  static constexpr char a[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string s;
  s.reserve((b.size() + 2) / 3 * 4);
  for (size_t i = 0; i < b.size(); i += 3) {
    const auto c0 = static_cast<uint8_t>(b[i]);
    const uint32_t c1 = i + 1 < b.size() ? static_cast<uint8_t>(b[i + 1]) : 0;
    const uint32_t c2 = i + 2 < b.size() ? static_cast<uint8_t>(b[i + 2]) : 0;
    const uint32_t v = (uint32_t{c0} << 16) | (c1 << 8) | c2;
    s += a[(v >> 18) & 63];
    s += a[(v >> 12) & 63];
    s += i + 1 < b.size() ? a[(v >> 6) & 63] : '=';
    s += i + 2 < b.size() ? a[v & 63] : '=';
  }
  return s;
}

void metti_16(std::string& b, int v) {
  const auto u = static_cast<uint16_t>(static_cast<int16_t>(v));
  b += static_cast<char>(u & 0xff);
  b += static_cast<char>(u >> 8);
}

// One point per metre as steps of decimetres in 16 bits: a step of the plan
// is a metre, so each fits with room to spare. A metre never assigned is
// the one value no step takes; a plan edited so that a step does not fit
// goes as whole coordinates instead.
constexpr int metro_vuoto = -32768;

json piano(const tracciato_t& t) {
  auto pieno = [&](int32_t m) {
    return t.at(m, 0).specie != specie_elemento::vuoto && t.at(m, 1).specie != specie_elemento::vuoto;
  };
  std::string b;
  b.reserve(4 * static_cast<size_t>(t.ultimo_metro() + 1));
  int64_t px = 0, py = 0;
  bool entra = true;
  for (int32_t m = 0; m <= t.ultimo_metro() && entra; ++m) {
    if (!pieno(m)) {
      metti_16(b, metro_vuoto);
      metti_16(b, metro_vuoto);
      continue;
    }
    const int64_t x = std::llround(t.at(m, 0).valore * 10);
    const int64_t y = std::llround(t.at(m, 1).valore * 10);
    entra = std::llabs(x - px) <= 32767 && std::llabs(y - py) <= 32767;
    metti_16(b, static_cast<int>(x - px));
    metti_16(b, static_cast<int>(y - py));
    px = x;
    py = y;
  }
  if (entra) return {{"metres", t.ultimo_metro() + 1}, {"encoding", "dm16"}, {"data", base64(b)}};
  json x = json::array(), y = json::array();
  for (int32_t m = 0; m <= t.ultimo_metro(); ++m) {
    x.push_back(pieno(m) ? json(t.at(m, 0).valore) : json(nullptr));
    y.push_back(pieno(m) ? json(t.at(m, 1).valore) : json(nullptr));
  }
  return {{"metres", t.ultimo_metro() + 1}, {"encoding", "xy"}, {"x", x}, {"y", y}};
}

// The line of `testo` that holds `offset`, without its end.
std::string riga_di(const std::string& testo, size_t offset) {
  size_t inizio = std::min(offset, testo.size());
  while (inizio > 0 && testo[inizio - 1] != '\n') --inizio;
  size_t fine = testo.find('\n', inizio);
  if (fine == std::string::npos) fine = testo.size();
  if (fine > inizio && testo[fine - 1] == '\r') --fine;
  return utf8_da_latin1(std::string_view(testo).substr(inizio, fine - inizio));
}

json fonte(const descrizioni& d, int documento, size_t offset) {
  const std::string& testo = documento == 1 ? d.linea : d.treno;
  const posizione_testo p = riga_colonna(testo, offset);
  return {{"file", documento == 1 ? d.nome_linea : d.nome_treno},
          {"line", p.riga},
          {"column", p.colonna},
          {"text", riga_di(testo, offset)}};
}

std::string testo_tabella(const scenario_letto& s, int64_t riga) {
  if (!s.righe || riga < 0 || riga >= righe_tabella) return "row " + std::to_string(riga);
  return utf8_da_latin1((*s.righe)[static_cast<size_t>(riga)].nome);
}

class raccolta {
 public:
  raccolta(const scenario_letto& s) : s_(s) {}

  json oggetti() {
    json v = json::array();
    for (const stazione_da_disegnare& st : stazioni(s_)) {
      json o{
          {"kind", st.con_cella ? "station" : "listed"}, {"m", st.metro}, {"name", utf8_da_latin1(st.nome)}};
      if (st.riga >= 0 && s_.righe) {
        const parole_inspect p = parole_riga(*s_.righe, st.riga);
        o["row"] = st.riga;
        // A point with no time of its own holds 0 there.
        if (p.chiavi.value("time_s", 0) != 0) o["time"] = p.chiavi["time"];
        o["rowWords"] = "row " + std::to_string(st.riga) + ": " + p.testo;
      }
      // A station's cell ends its area: the one that names its row.
      if (s_.celle)
        for (size_t n = 0; n < s_.celle->size(); ++n)
          if ((*s_.celle)[n].tipo == tipo_cella::stazione && (*s_.celle)[n].dato1 == st.riga) o["cell"] = n;
      v.push_back(o);
    }
    if (!s_.celle) return v;
    const std::vector<cella>& c = *s_.celle;
    for (size_t n = 0; n < c.size(); ++n) {
      const cella& x = c[n];
      const int64_t m = metri_cella * static_cast<int64_t>(n);
      switch (x.tipo) {
        case tipo_cella::segnale: {
          const auto [sinistra, destra] = lati_segnale(decine_unita(x.dato4).second);
          v.push_back({{"kind", "signal"}, {"m", m}, {"cell", n}, {"left", sinistra}, {"right", destra}});
          break;
        }
        case tipo_cella::cartello:
          v.push_back({{"kind", "sign"}, {"m", m}, {"cell", n}, {"text", testo_tabella(s_, x.dato1)}});
          break;
        case tipo_cella::indicatore_velocita: {
          std::string sx, dx;
          for (int16_t d : {x.dato1, x.dato2, x.dato3}) {
            const auto [a, b] = coppia_velocita(d);
            sx.append(sx.empty() ? "" : " ").append(std::to_string(a));
            dx.append(dx.empty() ? "" : " ").append(std::to_string(b));
          }
          v.push_back(
              {{"kind", "indicator"}, {"m", m}, {"cell", n}, {"text", sx == dx ? sx : sx + " / " + dx}});
          break;
        }
        case tipo_cella::punto_codice:
          v.push_back({{"kind", "code"}, {"m", m}, {"cell", n}, {"code", x.dato1}});
          break;
        case tipo_cella::punto_senza_codice:
          v.push_back({{"kind", "codeless"}, {"m", m}, {"cell", n}});
          break;
        case tipo_cella::tabella_avviso:
          v.push_back({{"kind", "board"}, {"m", m}, {"cell", n}, {"speed", x.dato1}});
          break;
        case tipo_cella::inizio_rallentamento: {
          const size_t f = fine_rallentamento(c, n);
          v.push_back({{"kind", "slowdown"},
                       {"m", m},
                       {"to", metri_cella * static_cast<int64_t>(std::min(f, c.size() - 1))},
                       {"cell", n},
                       {"speed", x.dato1}});
          break;
        }
        case tipo_cella::fine_rallentamento:
          v.push_back({{"kind", "slowdownEnd"}, {"m", m}, {"cell", n}, {"speed", x.dato1}});
          break;
        default:
          break;
      }
    }
    for (const galleria& g : gallerie(c))
      v.push_back({{"kind", "tunnel"},
                   {"m", metri_cella * static_cast<int64_t>(g.prima)},
                   {"to", metri_cella * static_cast<int64_t>(g.dopo)},
                   {"cell", g.prima},
                   {"type", g.tipo}});
    for (const curva& k : curve(s_))
      v.push_back({{"kind", "curve"},
                   {"m", k.da},
                   {"to", k.a},
                   {"radius", std::llabs(k.raggio)},
                   {"side", k.raggio > 0 ? "right" : "left"}});
    return v;
  }

  // Every cell: its fields by column, inspect's meaning (from a table of
  // the distinct ones: most cells hold only the profile), and the profile.
  json celle() {
    const std::vector<cella>& c = *s_.celle;
    json nomi = json::array();
    per_ogni_campo<cella>([&](const auto& f) { nomi.push_back(f.nome); });
    std::vector<json> colonne(nomi.size(), json::array());
    json significati = json::array(), indici = json::array();
    json velocita = json::array(), pendenza = json::array(), aderenza = json::array();
    std::map<std::string, size_t> visti;
    const tabella* tab = s_.righe ? &*s_.righe : nullptr;
    for (size_t n = 0; n < c.size(); ++n) {
      size_t k = 0;
      per_ogni_campo<cella>([&](const auto& f) { colonne[k++].push_back(c[n].*f.membro); });
      parole_inspect p = parole_cella(c, tab, static_cast<int64_t>(n));
      const auto [it, nuovo] = visti.try_emplace(p.testo, visti.size());
      if (nuovo) significati.push_back(p.testo);
      indici.push_back(it->second);
      velocita.push_back(p.chiavi["line_speed_kmh"]);
      pendenza.push_back(p.chiavi["gradient_permille"]);
      aderenza.push_back(p.chiavi["adhesion"]);
    }
    return {{"count", c.size()}, {"fields", nomi},    {"values", colonne},    {"meanings", significati},
            {"meaning", indici}, {"speed", velocita}, {"gradient", pendenza}, {"adhesion", aderenza}};
  }

 private:
  const scenario_letto& s_;
};

}  // namespace

json scena(const scenario_letto& s, const descrizioni* d, const provenienza* fonti,
           const std::vector<reperto>* reperti) {
  raccolta r(s);
  json j;
  std::string titolo = s.nome_file;
  if (s.righe)
    titolo.append(", ")
        .append(utf8_da_latin1((*s.righe)[riga_identita].nome))
        .append(" train ")
        .append(utf8_da_latin1((*s.righe)[riga_treno].nome));
  j["title"] = titolo;
  const std::optional<int64_t> l = lunghezza_percorso(s);
  j["length"] = l ? json(*l) : json(nullptr);
  j["cellMetres"] = metri_cella;
  j["plan"] = s.piano ? piano(*s.piano) : json(nullptr);
  j["cells"] = s.celle ? r.celle() : json(nullptr);
  j["objects"] = r.oggetti();
  json sorgenti = json::object();
  // The line each description line's cells come from, for the findings.
  std::map<std::pair<int, int64_t>, json> celle_di_riga;
  if (d != nullptr && fonti != nullptr && fonti->scarto.empty())
    for (size_t n = 0; n < fonti->celle.size(); ++n) {
      const std::optional<origine_cella>& o = fonti->celle[n];
      if (!o) continue;
      if (!o->da_record) {
        sorgenti[std::to_string(n)] = {{"by", "the finishing pass, for a slowdown"}};
        continue;
      }
      json f = fonte(*d, o->documento, o->offset);
      celle_di_riga[{o->documento, f["line"].get<int64_t>()}].push_back(n);
      sorgenti[std::to_string(n)] = std::move(f);
    }
  j["sources"] = sorgenti;
  if (fonti != nullptr && !fonti->scarto.empty()) j["sourceNote"] = fonti->scarto;
  json trovati = json::array();
  if (reperti != nullptr && d != nullptr && reperti->size() > massimo_reperti)
    j["findingsNote"] = "too many problems: check stopped after the first " + std::to_string(massimo_reperti);
  if (reperti != nullptr && d != nullptr)
    for (const reperto& x : *reperti) {
      if (trovati.size() == massimo_reperti) break;
      json f{{"severity", x.livello == gravita::errore   ? "error"
                          : x.livello == gravita::avviso ? "warning"
                                                         : "note"},
             {"file", x.documento == 1 ? d->nome_linea : d->nome_treno},
             {"message", x.messaggio}};
      if (x.offset) {
        json p = fonte(*d, x.documento, *x.offset);
        f["line"] = p["line"];
        f["column"] = p["column"];
        f["text"] = p["text"];
        auto it = celle_di_riga.find({x.documento, p["line"].get<int64_t>()});
        if (it != celle_di_riga.end()) f["cells"] = it->second;
      }
      trovati.push_back(f);
    }
  j["findings"] = trovati;
  return j;
}

lettura da_cartella(const std::string& cartella, const std::string& identificativo,
                    const std::string& numero_treno) {
  identita id{cartella, identificativo, numero_treno};
  if (id.identificativo.empty() || id.numero_treno.empty()) {
    std::vector<std::string> trovate;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(cartella, ec)) {
      const std::string nome = e.path().filename().string();
      if (nome.size() > 4 && nome.substr(nome.size() - 4) == ".sim")
        trovate.push_back(nome.substr(0, nome.size() - 4));
    }
    if (ec) return {cartella + ": error: cannot list the folder: " + ec.message(), {}};
    const size_t u = trovate.size() == 1 ? trovate.front().rfind('_') : std::string::npos;
    if (u == std::string::npos || u == 0 || u + 1 == trovate.front().size())
      return {cartella + ": error: needs exactly one table file named ID_NUMBER.sim, found " +
                  std::to_string(trovate.size()) + "; name the scenario with --id and --train",
              {}};
    if (id.identificativo.empty()) id.identificativo = trovate.front().substr(0, u);
    if (id.numero_treno.empty()) id.numero_treno = trovate.front().substr(u + 1);
  }
  auto ingresso = [](const fs::path& p, bool necessario) -> std::optional<ingresso_disegno> {
    if (!esiste_file(p)) {
      if (necessario) return std::nullopt;
      return ingresso_disegno{};
    }
    return ingresso_disegno{p.string(), leggi_file(p)};
  };
  try {
    const auto tabella = ingresso(nomi::tabella_sim(id), true);
    if (!tabella) return {nomi::tabella_sim(id).string() + ": error: does not exist", {}};
    const auto celle = ingresso(nomi::percorso_dat(id), true);
    if (!celle) return {nomi::percorso_dat(id).string() + ": error: does not exist", {}};
    const auto piano = ingresso(nomi::linea_dat(id), false);
    scenario_letto s;
    if (auto e = componi_scenario(s, *piano, *celle, *tabella))
      return {e->first + ": error: " + e->second, {}};
    s.nome_file = fs::path(cartella).filename().string();
    if (s.nome_file.empty()) s.nome_file = fs::path(cartella).parent_path().filename().string();
    return {std::nullopt, scena(s, nullptr, nullptr, nullptr)};
  } catch (const std::system_error& e) {
    return {cartella + ": error: cannot read: " + e.code().message(), {}};
  }
}

lettura da_descrizioni(const std::string& file_linea, const std::string& file_treno,
                       const std::string& identificativo, const std::string& numero_treno) {
  descrizioni d{file_linea, file_treno, {}, {}};
  try {
    for (auto [nome, testo] : {std::pair{&file_linea, &d.linea}, std::pair{&file_treno, &d.treno}}) {
      if (!esiste_file(*nome)) return {*nome + ": error: does not exist", {}};
      *testo = leggi_file(*nome);
    }
  } catch (const std::system_error& e) {
    return {file_linea + ": error: cannot read: " + e.code().message(), {}};
  }
  auto controlla = [&] { return verifica({d.linea, d.treno, identificativo, numero_treno}); };
#if defined(_GLIBCXX_HAS_GTHREADS)
  // check builds on its own copies: it runs beside the build of the page.
  std::future<std::vector<reperto>> in_corso = std::async(std::launch::async, controlla);
  const ricompilato r = ricompila(d.linea, d.treno, identificativo, numero_treno, true);
  const std::vector<reperto> reperti = in_corso.get();
#else
  const ricompilato r = ricompila(d.linea, d.treno, identificativo, numero_treno, true);
  const std::vector<reperto> reperti = controlla();
#endif
  auto con_reperti = [&](std::string errore) {
    lettura l{std::move(errore), {}};
    l.dati["findings"] = scena({}, &d, nullptr, &reperti)["findings"];
    return l;
  };
  if (r.fatale)
    return con_reperti(file_linea + ", " + file_treno + ": error: the build stops with \" Errore n. " +
                       std::to_string(r.codice) + "\" (" + descrivi_codice(r.codice).parole +
                       ") and writes no scenario to show");
  scenario_letto s;
  const ingresso_disegno piano{"plan", r.file.piano};
  const ingresso_disegno tabella{"table", r.file.tabella};
  const ingresso_disegno celle{"cells", r.file.celle};
  if (auto e = componi_scenario(s, piano, celle, tabella))
    return con_reperti(file_linea + ", " + file_treno + ": error: the build gives a " + e->first +
                       " that cannot be shown: " + e->second);
  s.nome_file = fs::path(file_treno).filename().string();
  const provenienza p = provenienza_celle(*s.celle, d.linea, d.treno, identificativo, numero_treno);
  json j = scena(s, &d, &p, &reperti);
  if (r.codice != 0)
    j["buildCode"] =
        "the build records code " + std::to_string(r.codice) + ": " + descrivi_codice(r.codice).parole;
  return {std::nullopt, std::move(j)};
}

}  // namespace autori::vista
