// What the editor shows of the text itself: hover, completion, outline and
// the field names before the values. They read the editor's text as it is
// now, line by line, with the record table; the diagnostics come from the build.
#include <cmath>
#include <cstdio>

#include "lsp/analisi.h"
#include "lsp/server.h"

namespace autori::lsp {

namespace {

std::string n(int64_t v) { return std::to_string(v); }

std::string km(int64_t metri) {
  char b[40];
  std::snprintf(b, sizeof b, "%s%lld.%03lld", metri < 0 ? "-" : "",
                static_cast<long long>(std::llabs(metri) / 1000),
                static_cast<long long>(std::llabs(metri) % 1000));
  return b;
}

std::string intervallo(int64_t da, int64_t a) {
  if (da == std::numeric_limits<int32_t>::min() && a == std::numeric_limits<int32_t>::max()) return "any";
  return n(da) + " to " + n(a);
}

std::string_view tipo(tipo_campo t) {
  switch (t) {
    case tipo_campo::intero_32:
      return "whole number, 32-bit";
    case tipo_campo::intero_16:
      return "whole number, 16-bit";
    case tipo_campo::intero_8:
      return "whole number, 0 to 255";
    case tipo_campo::testo:
      return "text";
  }
  return "";
}

std::string_view di(const testo_editor& t, const campo_riga& c) {
  return std::string_view(t.byte()).substr(c.inizio, c.fine - c.inizio);
}

// What the build stores for a value it does not keep as written.
std::optional<int64_t> memorizzato(const record_formato& r, const campo_formato& f, int numero, int64_t v) {
  if (r.chiave == "pendenza" && numero == 2) return static_cast<int64_t>(static_cast<uint8_t>(v + 100)) - 100;
  if (r.chiave == "velocita" && numero == 2)
    return 5 * static_cast<int64_t>(std::nearbyint(static_cast<double>(v) / 5));
  if (f.tipo == tipo_campo::intero_32 && f.minimo == std::numeric_limits<int16_t>::min() &&
      f.massimo == std::numeric_limits<int16_t>::max())
    return static_cast<int16_t>(v);
  if (f.tipo == tipo_campo::intero_32 && f.minimo == 0 && f.massimo == 255) return static_cast<uint8_t>(v);
  return std::nullopt;
}

// A curve's class, the smallest digit 1 to 6 of its keyword; an 's' turns it left.
std::string curva(std::string_view chiave) {
  static constexpr int64_t raggi[] = {10000, 5000, 2500, 1000, 500, 333};
  char classe = 0;
  for (char c : chiave)
    if (c >= '1' && c <= '6' && (classe == 0 || c < classe)) classe = c;
  if (classe == 0) return "This keyword has no class digit 1 to 6: the build stops with code 103.";
  const bool sinistra = chiave.find_first_of("sS") != std::string_view::npos;
  return std::string("Here: class ") + classe + ", a radius of " + (classe == '6' ? "about " : "") +
         n(raggi[classe - '1']) + " m, turning " + (sinistra ? "left" : "right") + ".";
}

std::string escapa_snippet(std::string_view s) {
  std::string r;
  for (char c : s) {
    if (c == '$' || c == '}' || c == '\\' || c == '|' || c == ',') r += '\\';
    r += c;
  }
  return r;
}

}  // namespace

json server::hover(const aperto& a, const posizione& p) const {
  const size_t o = a.testo.a_byte(p);
  const size_t riga = static_cast<size_t>(p.riga);
  const int d = genere(a);
  const riga_record r = analizza_riga(a.testo, riga, d);
  if (r.record == nullptr) return nullptr;
  size_t k = 0;
  while (k < r.campi.size() && !(o >= r.campi[k].inizio && o <= r.campi[k].fine)) ++k;
  if (k == r.campi.size()) return nullptr;
  std::string md;
  if (k == 0) {
    md = pagina_formato(r.record->chiave).value_or("");
    if (r.record->chiave == "curva") md += curva(di(a.testo, r.campi[0])) + "\n";
  } else {
    const campo_formato& f = r.record->campi[k - 1];
    const std::string_view scritto = di(a.testo, r.campi[k]);
    md = "**" + std::string(f.nome) + "**: field " + n(static_cast<int64_t>(k)) + " of `" +
         std::string(r.record->chiave) + "` (" + std::string(r.record->nome) + ")\n\n";
    if (!f.unita.empty()) md += "- unit: " + std::string(f.unita) + "\n";
    md += "- type: " + std::string(tipo(f.tipo)) + "\n";
    if (f.tipo != tipo_campo::testo) {
      md += "- stored as written: " + intervallo(f.minimo, f.massimo) + "\n";
      md += "- makes sense: " + intervallo(f.sensato_minimo, f.sensato_massimo) + "\n";
    }
    if (!f.scelte.empty()) md += "- one of: " + std::string(f.scelte) + "\n";
    if (!f.significato.empty()) md += "- the build: " + std::string(f.significato) + "\n";
    const std::optional<int64_t> v = numero_di(scritto);
    if (f.tipo != tipo_campo::testo && v) {
      md += "\nHere: " + n(*v) + (f.unita.empty() ? "" : " " + std::string(f.unita));
      if (f.posizione) {
        md += ", km " + km(*v);
        const std::string linea = d == 1 ? a.testo.byte() : compagno_di(a).byte;
        const int64_t prog = progressiva_di(linea, *v);
        md += ", chainage km " + km(prog);
        if (const std::optional<int64_t> c = cella_di(r.record->chiave, static_cast<int>(k), *v))
          md += "; it lands in cell " + n(*c) + ", which covers " + n(*c * 50) + " to " + n(*c * 50 + 49) +
                " m";
      }
      if (const std::optional<int64_t> s = memorizzato(*r.record, f, static_cast<int>(k), *v); s && *s != *v)
        md += "; stored as " + n(*s);
      // Two fields stored as one sum.
      const std::string_view chiave = r.record->chiave;
      auto numero = [&](size_t i) {
        return i < r.campi.size() ? numero_di(di(a.testo, r.campi[i])) : std::nullopt;
      };
      if (chiave == "indicatori_vmax" && k >= 2 && k <= 8 && k != 5) {
        const size_t sx = k < 5 ? k : k - 4, dx = sx + 4;
        if (const auto vs = numero(sx), vd = numero(dx); vs && vd)
          md += "; with its other side stored as " + n(*vs) + " x 20 + " + n(*vd) +
                " / 5 = " + n(static_cast<int16_t>(*vs * 20 + *vd / 5));
      }
      if (chiave == "segnale" && ((k >= 3 && k <= 5) || (k >= 8 && k <= 10))) {
        const size_t sx = k <= 5 ? k : k - 5, dx = sx + 5;
        if (const auto vs = numero(sx), vd = numero(dx); vs && vd)
          md += "; with its other side's digit stored as " + n(*vs) + " x 10 + " + n(*vd) + " = " +
                n(static_cast<int16_t>(*vs * 10 + *vd));
      }
      md += "\n";
    }
  }
  return {{"contents", {{"kind", "markdown"}, {"value", da_latin1(md)}}},
          {"range",
           {{"start", {{"line", p.riga}, {"character", a.testo.di_byte(r.campi[k].inizio).carattere}}},
            {"end", {{"line", p.riga}, {"character", a.testo.di_byte(r.campi[k].fine).carattere}}}}}};
}

json server::completamento(const aperto& a, const posizione& p) const {
  const int d = genere(a);
  const size_t o = a.testo.a_byte(p);
  const size_t riga = static_cast<size_t>(std::max<int64_t>(p.riga, 0));
  json l = json::array();
  if (riga >= a.testo.righe().size()) return l;
  const size_t inizio = a.testo.righe()[riga];
  const std::string prima = a.testo.byte().substr(inizio, o - inizio);
  const size_t testo = prima.find_first_not_of(" \t");
  if (testo == std::string::npos || prima.find(',') == std::string::npos) {
    // A record or a header begins here.
    const std::string sezione = sezione_di(a.testo, riga);
    const bool parentesi = testo != std::string::npos && prima[testo] == '[';
    for (const std::string& h : intestazioni(d))
      l.push_back(
          {{"label", h}, {"kind", 9}, {"detail", "section header"}, {"filterText", h}, {"insertText", h}});
    if (parentesi) return l;
    for (const record_formato& r : formato()) {
      if (r.documento != d) continue;
      const std::string_view parola = r.esempio.substr(0, r.esempio.find(','));
      std::string snippet = escapa_snippet(parola);
      for (size_t i = 0; i < r.campi.size(); ++i) {
        const campo_formato& f = r.campi[i];
        snippet += ", ${" + n(static_cast<int64_t>(i) + 1);
        snippet += f.scelte.empty() ? ":" + escapa_snippet(f.nome) + "}" : "|" + std::string(f.scelte) + "|}";
      }
      l.push_back(
          {{"label", std::string(parola)},
           {"kind", 15},
           {"detail", std::string(r.nome) + ", " + n(static_cast<int64_t>(r.campi.size())) + " fields"},
           {"documentation", {{"kind", "markdown"}, {"value", std::string(r.descrizione)}}},
           {"insertText", snippet},
           {"insertTextFormat", 2},
           // The section's own records first.
           {"sortText", (r.sezione == sezione ? "0" : "1") + std::string(parola)}});
    }
    return l;
  }
  // Inside a record: the values of a field that has a set.
  const riga_record r = analizza_riga(a.testo, riga, d);
  if (r.record == nullptr) return l;
  const size_t k = static_cast<size_t>(std::count(prima.begin(), prima.end(), ','));
  const campo_formato* f = k >= 1 && k <= r.record->campi.size() ? &r.record->campi[k - 1] : nullptr;
  if (f == nullptr || f->scelte.empty()) return l;
  for (size_t i = 0; i <= f->scelte.size();) {
    const size_t j = std::min(f->scelte.find(',', i), f->scelte.size());
    l.push_back(
        {{"label", std::string(f->scelte.substr(i, j - i))}, {"kind", 12}, {"detail", std::string(f->nome)}});
    i = j + 1;
  }
  return l;
}

json server::simboli(const aperto& a) const {
  const int d = genere(a);
  json radice = json::array();
  json* sezione = nullptr;
  const size_t righe = a.testo.righe().size();
  auto intervallo_righe = [&](size_t da, size_t a_riga) {
    return json{
        {"start", {{"line", da}, {"character", 0}}},
        {"end", {{"line", a_riga}, {"character", a.testo.di_byte(a.testo.fine_riga(a_riga)).carattere}}}};
  };
  for (size_t k = 0; k < righe; ++k) {
    const size_t inizio = a.testo.righe()[k];
    const std::string_view riga =
        std::string_view(a.testo.byte()).substr(inizio, a.testo.fine_riga(k) - inizio);
    if (intestazione(riga)) {
      const size_t p = riga.find('[');
      const std::string nome = da_latin1(riga.substr(p, riga.find(']', p) - p + 1));
      radice.push_back({{"name", nome},
                        {"kind", 3},
                        {"range", intervallo_righe(k, k)},
                        {"selectionRange", intervallo_righe(k, k)},
                        {"children", json::array()}});
      sezione = &radice.back();
      continue;
    }
    const riga_record r = analizza_riga(a.testo, k, d);
    if (r.record == nullptr || sezione == nullptr) continue;
    std::string nome(r.record->nome);
    const campo_formato* primo = r.record->campi.empty() ? nullptr : &r.record->campi[0];
    if (r.record->chiave == "stazione" && r.campi.size() > r.record->campi.size())
      nome = std::string(di(a.testo, r.campi.back()));
    else if (primo != nullptr && primo->posizione && r.campi.size() > 1)
      if (const std::optional<int64_t> v = numero_di(di(a.testo, r.campi[1]))) nome += " km " + km(*v);
    const json sel = {{"start", {{"line", k}, {"character", a.testo.di_byte(r.campi[0].inizio).carattere}}},
                      {"end", {{"line", k}, {"character", a.testo.di_byte(r.campi[0].fine).carattere}}}};
    (*sezione)["children"].push_back({{"name", nome.empty() ? std::string(r.record->nome) : da_latin1(nome)},
                                      {"detail", std::string(r.record->nome)},
                                      {"kind", r.record->chiave == "stazione" ? 24 : 14},
                                      {"range", intervallo_righe(k, k)},
                                      {"selectionRange", sel}});
    (*sezione)["range"] = intervallo_righe((*sezione)["range"]["start"]["line"].get<size_t>(), k);
  }
  return radice;
}

json server::suggerimenti(const aperto& a, const json& intervallo) const {
  const int d = genere(a);
  const int64_t da = std::max<int64_t>(0, intervallo.at("start").at("line").get<int64_t>());
  const int64_t fino = std::min<int64_t>(static_cast<int64_t>(a.testo.righe().size()) - 1,
                                         intervallo.at("end").at("line").get<int64_t>());
  json l = json::array();
  for (int64_t k = da; k <= fino; ++k) {
    const riga_record r = analizza_riga(a.testo, static_cast<size_t>(k), d);
    if (r.record == nullptr) continue;
    for (size_t i = 1; i < r.campi.size() && i <= r.record->campi.size(); ++i)
      l.push_back({{"position", {{"line", k}, {"character", a.testo.di_byte(r.campi[i].inizio).carattere}}},
                   {"label", std::string(r.record->campi[i - 1].nome) + ":"},
                   {"kind", 2},
                   {"paddingRight", true}});
  }
  return l;
}

}  // namespace autori::lsp
