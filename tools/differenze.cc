#include "differenze.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <sstream>

#include "model/campi.h"
#include "output/decodifica.h"
#include "significato.h"
#include "testi.h"

namespace autori {
namespace {

std::string n(int64_t v) { return std::to_string(v); }
std::string metri(int64_t v) { return n(v) + " m"; }

struct oggetto {
  std::string genere, dove;
  std::vector<std::pair<std::string, std::string>> campi;
  // What a move keeps: the length of what has an end.
  std::optional<int64_t> lunghezza = std::nullopt;
  int64_t pos = 0;
};

struct letto {
  std::vector<cella> celle;
  tabella tab;
  std::optional<tracciato_t> piano;
  std::vector<std::string> tagli;  // the train's code cuts, as decompile finds them
};

// Objects keyed by kind and identity, in route order within each kind.
using elenco = std::map<std::pair<std::string, std::string>, oggetto>;

std::string chiave_pos(int64_t p) {
  // Sorted as text, positions keep route order with a fixed width.
  std::string s = n(p + 10000000);
  return std::string(12 - std::min<size_t>(12, s.size()), '0') + s;
}

void metti(elenco& e, const std::string& genere, int64_t pos, oggetto o) {
  o.genere = genere;
  o.pos = pos;
  e[{genere, chiave_pos(pos)}] = std::move(o);
}

std::string ora(int32_t s) {
  char b[32];
  std::snprintf(b, sizeof b, "%02d:%02d:%02d", s / 3600, (s % 3600) / 60, s % 60);
  return b;
}

void profilo(elenco& e, const std::vector<cella>& c, uint8_t cella::*campo, const std::string& genere,
             const std::string& unita, int scala, int scarto) {
  const int64_t ultimo = static_cast<int64_t>(c.size()) - 1;
  int prima = -1;
  for (int64_t i = 0; i <= ultimo - 3; ++i) {
    const int v = c[static_cast<size_t>(i)].*campo;
    if (v != prima)
      metti(e, genere, 50 * i,
            {genere, genere + " run from " + metri(50 * i), {{"value", n(v * scala - scarto) + unita}}});
    prima = v;
  }
}

elenco oggetti(const letto& s) {
  elenco e;
  const auto& c = s.celle;
  const int64_t ultimo = static_cast<int64_t>(c.size()) - 1;
  for (int r = 1; r < 80; ++r) {
    const riga_scenario& x = s.tab[static_cast<size_t>(r)];
    if (x.posizione_stazione == 0 && x.inizio == 0 && x.fine == 0 && x.tipo == 0) continue;
    oggetto o{"station", "station " + utf8_da_latin1(x.nome), {}};
    o.campi = {
        {"position", metri(x.posizione_stazione)},
        {"area", n(x.inizio) + "–" + n(x.fine) + " m"},
        {"type", n(x.tipo)},
        {"time", ora(x.orario)},
        {"legend", n(x.tps) + " " + n(x.tab) + " " + n(x.mar) + " " + n(x.d2_a) + " " + n(x.d3_a) + " " +
                       n(x.rap) + " " + n(x.d1_b) + " " + n(x.d2_b) + " " + n(x.d3_b) + " " + n(x.ac)}};
    e[{"station", x.nome}] = o;
  }
  for (int64_t i = 0; i <= ultimo; ++i) {
    const cella& x = c[static_cast<size_t>(i)];
    const int64_t p = 50 * (i - 1);
    switch (x.tipo) {
      case 1: {
        // As inspect reads them: each side's kind and digits.
        const auto [rapporto, coppia] = decine_unita(x.dato4);
        const auto [sinistra, destra] = lati_segnale(coppia);
        const auto [s1, d1] = cifre_segnale(x.dato1);
        const auto [s2, d2] = cifre_segnale(x.dato2);
        const auto [s3, d3] = cifre_segnale(x.dato3);
        metti(e, "signal", p,
              {"",
               "signal at " + metri(p),
               {{"left", "kind " + n(sinistra) + ", digits " + n(s1) + " " + n(s2) + " " + n(s3)},
                {"right", "kind " + n(destra) + ", digits " + n(d1) + " " + n(d2) + " " + n(d3)},
                {"ratio", n(rapporto)},
                {"time", n(x.tempo)}}});
        break;
      }
      case 6: {
        const auto [as, ad] = coppia_velocita(x.dato1);
        const auto [bs, bd] = coppia_velocita(x.dato2);
        const auto [cs, cd] = coppia_velocita(x.dato3);
        const auto [strisce_s, strisce_d] = decine_unita(x.dato4);
        metti(e, "indicator", p,
              {"",
               "speed indicator at " + metri(p),
               {{"left", n(as) + " " + n(bs) + " " + n(cs) + " km/h, stripes " + n(strisce_s)},
                {"right", n(ad) + " " + n(bd) + " " + n(cd) + " km/h, stripes " + n(strisce_d)}}});
        break;
      }
      case 14: {
        const std::string t = x.dato1 >= 0 && x.dato1 < righe_tabella
                                  ? s.tab[static_cast<size_t>(x.dato1)].nome
                                  : std::string();
        metti(e, "sign", p, {"", "sign at " + metri(p), {{"text", "\"" + utf8_da_latin1(t) + "\""}}});
        break;
      }
      case 3: {
        int64_t fine = -1;
        for (int64_t k = i + 1; k <= ultimo && fine < 0; ++k)
          if (c[static_cast<size_t>(k)].tipo == 2) fine = 50 * (k - 1);
        metti(e, "slowdown", p,
              {"",
               "slowdown at " + metri(p),
               {{"speed", n(x.dato1) + " km/h"},
                {"end", fine < 0 ? std::string("none") : metri(fine)},
                {"f_tt", n(x.dato3)},
                {"d_v", n(x.dato2)}},
               fine < 0 ? std::nullopt : std::optional<int64_t>(fine - p)});
        break;
      }
      default:
        break;
    }
  }
  for (const std::string& t : s.tagli) {
    // "abbattimento codice, P, V"
    const size_t a = t.find(','), b = t.find(',', a + 1);
    const int64_t p = std::stoll(t.substr(a + 1, b - a - 1));
    const std::string v = t.substr(b + 2);
    metti(e, "code point", p, {"", "code point at " + metri(p), {{"code", v == "0" ? "none" : v}}});
  }
  for (int64_t i = 0; i <= ultimo;) {
    const uint8_t g = c[static_cast<size_t>(i)].galleria;
    if (g == 0) {
      ++i;
      continue;
    }
    int64_t b = i;
    while (b + 1 <= ultimo && c[static_cast<size_t>(b + 1)].galleria == g) ++b;
    metti(
        e, "tunnel", 50 * i,
        {"", "tunnel at " + metri(50 * i), {{"end", metri(50 * (b + 1))}, {"type", n(g)}}, 50 * (b + 1 - i)});
    i = b + 1;
  }
  profilo(e, c, &cella::pendenza, "gradient", " ‰", 1, 100);
  profilo(e, c, &cella::vel_limite, "speed", " km/h", 5, 0);
  profilo(e, c, &cella::aderenza, "adhesion", "", 1, 0);
  for (int r = 81; r <= 83; ++r) {
    const riga_scenario& x = s.tab[static_cast<size_t>(r)];
    if (x.inizio == 0 && x.fine == 0 && x.posizione_stazione == 0) continue;
    metti(e, "chainage", x.inizio,
          {"",
           "chainage section from " + metri(x.inizio),
           {{"difference", metri(x.fine)}, {"flag", n(x.posizione_stazione)}}});
  }
  return e;
}

std::optional<letto> leggi(const file_scenario& f, std::string& errore) {
  auto c = decodifica_percorso(f.celle);
  auto t = decodifica_tabella(f.tabella);
  if (!c.ok() || !t.ok()) {
    errore = !t.ok() ? "table: " + t.errore : "cells: " + c.errore;
    return std::nullopt;
  }
  letto l{std::move(c.valore), t.valore, std::nullopt, {}};
  if (f.piano) {
    auto p = decodifica_tracciato(*f.piano);
    if (!p.ok()) {
      errore = "plan: " + p.errore;
      return std::nullopt;
    }
    l.piano = std::move(p.valore);
  }
  // Without slowdowns the pass adds nothing: every code point is the train's.
  bool rallentamenti = false;
  for (const cella& x : l.celle) rallentamenti = rallentamenti || x.tipo == 3;
  if (!rallentamenti) {
    for (size_t i = 0; i < l.celle.size(); ++i) {
      const cella& x = l.celle[i];
      if (x.tipo == 12 || x.tipo == 13)
        l.tagli.push_back("abbattimento codice, " + n(50 * static_cast<int64_t>(i)) + ", " +
                          (x.tipo == 13 ? "none" : n(x.dato1)));
    }
    return l;
  }
  const decompilazione d = decompila(f);
  std::istringstream righe(d.treno);
  for (std::string r; std::getline(righe, r);) {
    if (!r.empty() && r.back() == '\r') r.pop_back();
    if (r.rfind("abbattimento codice", 0) == 0) l.tagli.push_back(r);
  }
  return l;
}

// What must be equal for a removal and an addition to be one move: the
// values, with an end taken as the length it gives.
std::string firma(const oggetto& o) {
  std::string s = o.genere;
  for (const auto& [nome, v] : o.campi)
    if (nome != "end" || !o.lunghezza) s += "|" + nome + "=" + v;
  if (o.lunghezza) s += "|length=" + n(*o.lunghezza);
  return s;
}

// The object in words, without its place: "signal", "gradient run".
std::string nome_oggetto(const std::string& dove) {
  for (const char* d : {" at ", " from "})
    if (const size_t p = dove.find(d); p != std::string::npos) return dove.substr(0, p);
  return dove;
}

const char* raggio(int classe) {
  static const char* r[] = {"10000", "5000", "2500", "1000", "500", "333"};
  return classe >= 1 && classe <= 6 ? r[classe - 1] : "?";
}

// The curve records of both plans, by start: changed, added, removed or
// moved as the objects are.
std::vector<differenza> curve_diverse(const tracciato_t& pa, const tracciato_t& pb) {
  std::map<int64_t, curva_piano> a, b;
  for (const curva_piano& c : curve_del_piano(pa)) a[c.inizio] = c;
  for (const curva_piano& c : curve_del_piano(pb)) b[c.inizio] = c;
  auto campi = [](const curva_piano& c) -> std::vector<std::pair<std::string, std::string>> {
    return {{"class", n(std::abs(c.classe)) + " (radius " + raggio(std::abs(c.classe)) + " m)"},
            {"side", c.classe > 0 ? "right" : "left"},
            {"length", metri(c.lunghezza)}};
  };
  std::vector<differenza> out;
  std::set<int64_t> mosse_b;
  for (const auto& [p, c] : a) {
    differenza d;
    d.genere = "curve";
    d.dove = "curve at " + metri(p);
    const auto x = campi(c);
    if (const auto q = b.find(p); q != b.end()) {
      const auto y = campi(q->second);
      d.cambio = "changed";
      for (size_t i = 0; i < x.size(); ++i)
        if (x[i].second != y[i].second) d.campi.push_back({x[i].first, x[i].second, y[i].second});
      if (!d.campi.empty()) out.push_back(std::move(d));
      continue;
    }
    // The same curve elsewhere nearby, not one the other plan has at its place.
    std::optional<int64_t> meta;
    for (const auto& [r, k] : b)
      if (!a.contains(r) && !mosse_b.contains(r) && k.classe == c.classe && k.lunghezza == c.lunghezza &&
          std::abs(r - p) <= finestra_spostamento && (!meta || std::abs(r - p) < std::abs(*meta - p)))
        meta = r;
    if (meta) {
      mosse_b.insert(*meta);
      d.cambio = "moved";
      d.oggetto = "curve";
      d.da = p;
      d.a = *meta;
    } else {
      d.cambio = "removed";
      for (const auto& [nome, v] : x) d.campi.push_back({nome, v, ""});
    }
    out.push_back(std::move(d));
  }
  for (const auto& [p, c] : b) {
    if (a.contains(p) || mosse_b.contains(p)) continue;
    differenza d;
    d.genere = "curve";
    d.dove = "curve at " + metri(p);
    d.cambio = "added";
    for (const auto& [nome, v] : campi(c)) d.campi.push_back({nome, "", v});
    out.push_back(std::move(d));
  }
  std::stable_sort(out.begin(), out.end(), [](const differenza& x, const differenza& y) {
    auto inizio = [](const differenza& d) { return std::stoll(d.dove.substr(9)); };
    return inizio(x) < inizio(y);
  });
  return out;
}

}  // namespace

std::string differenza::riga() const {
  if (cambio == "moved") return oggetto + " moved from " + metri(da) + " to " + metri(a);
  std::string s = dove + ": ";
  if (cambio != "changed") {
    s += cambio;
    for (size_t i = 0; i < campi.size(); ++i)
      s +=
          (i == 0 ? " (" : ", ") + campi[i].nome + " " + (cambio == "added" ? campi[i].dopo : campi[i].prima);
    return campi.empty() ? s : s + ")";
  }
  for (size_t i = 0; i < campi.size(); ++i)
    s += (i == 0 ? "" : "; ") + campi[i].nome + " " + campi[i].prima + " → " + campi[i].dopo;
  return s;
}

confronto confronta_scenari(const file_scenario& fa, const file_scenario& fb) {
  confronto r;
  std::string ea, eb;
  const std::optional<letto> a = leggi(fa, ea), b = leggi(fb, eb);
  if (!a || !b) {
    r.rifiuto = !a ? "first scenario's " + ea : "second scenario's " + eb;
    return r;
  }
  const elenco oa = oggetti(*a), ob = oggetti(*b);
  std::map<std::pair<std::string, std::string>, int> tutte;
  for (const auto& [k, o] : oa) tutte[k] |= 1;
  for (const auto& [k, o] : ob) tutte[k] |= 2;
  // A removal and an addition of the same kind and values nearby, nearest
  // first in route order, are one move. Stations are known by name: theirs
  // is a changed position.
  using chiave = std::pair<std::string, std::string>;
  std::map<chiave, chiave> mosse;
  std::set<chiave> arrivi;
  for (const auto& [k, lati] : tutte) {
    if (lati != 1 || k.first == "station") continue;
    const oggetto& x = oa.at(k);
    const std::string f = firma(x);
    std::optional<chiave> meglio;
    int64_t distanza = finestra_spostamento + 1;
    for (auto it = tutte.lower_bound({k.first, ""}); it != tutte.end() && it->first.first == k.first; ++it) {
      if (it->second != 2 || arrivi.contains(it->first)) continue;
      const oggetto& y = ob.at(it->first);
      const int64_t dd = std::abs(y.pos - x.pos);
      if (dd < distanza && firma(y) == f) {
        distanza = dd;
        meglio = it->first;
      }
    }
    if (meglio) {
      mosse[k] = *meglio;
      arrivi.insert(*meglio);
    }
  }
  for (const auto& [k, lati] : tutte) {
    differenza d;
    if (arrivi.contains(k)) continue;
    if (const auto m = mosse.find(k); m != mosse.end()) {
      const oggetto& x = oa.at(k);
      d.genere = x.genere;
      d.dove = x.dove;
      d.cambio = "moved";
      d.oggetto = nome_oggetto(x.dove);
      d.da = x.pos;
      d.a = ob.at(m->second).pos;
      r.oggetti.push_back(std::move(d));
      continue;
    }
    if (lati == 1 || lati == 2) {
      const oggetto& o = lati == 1 ? oa.at(k) : ob.at(k);
      d.genere = o.genere;
      d.dove = o.dove;
      d.cambio = lati == 1 ? "removed" : "added";
      for (const auto& [nome, v] : o.campi) d.campi.push_back({nome, lati == 1 ? v : "", lati == 2 ? v : ""});
    } else {
      const oggetto& x = oa.at(k);
      const oggetto& y = ob.at(k);
      d.genere = x.genere;
      d.dove = x.dove;
      d.cambio = "changed";
      for (size_t i = 0; i < x.campi.size() && i < y.campi.size(); ++i)
        if (x.campi[i].second != y.campi[i].second)
          d.campi.push_back({x.campi[i].first, x.campi[i].second, y.campi[i].second});
      if (d.campi.empty()) continue;
    }
    r.oggetti.push_back(std::move(d));
  }
  if (a->piano.has_value() != b->piano.has_value()) {
    r.piano_solo = a->piano ? "only the first scenario has a plan" : "only the second scenario has a plan";
  } else if (a->piano) {
    const int32_t m = std::min(a->piano->ultimo_metro(), b->piano->ultimo_metro());
    double massimo = 0.0;
    int64_t dove = 0;
    for (int32_t i = 0; i <= m; ++i) {
      const double dx = a->piano->at(i, 0).valore - b->piano->at(i, 0).valore;
      const double dy = a->piano->at(i, 1).valore - b->piano->at(i, 1).valore;
      const double d = std::sqrt(dx * dx + dy * dy);
      if (d > 0.0 && !r.metro_separazione) r.metro_separazione = i;
      if (d > massimo) {
        massimo = d;
        dove = i;
      }
      // The end: the last metre both plans compute.
      if (a->piano->at(i, 0).specie != specie_elemento::vuoto &&
          b->piano->at(i, 0).specie != specie_elemento::vuoto) {
        r.scarto_fine = d;
        r.metro_fine = i;
      }
    }
    r.scarto_piano = massimo;
    r.metro_scarto = dove;
    if (r.metro_separazione) r.curve = curve_diverse(*a->piano, *b->piano);
  }
  for (int i = 0; i < righe_tabella; ++i) {
    const riga_scenario& x = a->tab[static_cast<size_t>(i)];
    const riga_scenario& y = b->tab[static_cast<size_t>(i)];
    std::string s;
    per_ogni_numero<riga_scenario>([&](const auto& c) {
      const int64_t vx = x.*c.membro, vy = y.*c.membro;
      if (vx != vy) s += (s.empty() ? "" : "; ") + std::string(c.nome) + " " + n(vx) + " → " + n(vy);
    });
    if (x.nome != y.nome)
      s += (s.empty() ? "" : "; ") + std::string("nome \"") + utf8_da_latin1(x.nome) + "\" → \"" +
           utf8_da_latin1(y.nome) + "\"";
    if (!s.empty()) r.righe_tabella.push_back("row " + n(i) + ": " + s);
  }
  return r;
}

}  // namespace autori
