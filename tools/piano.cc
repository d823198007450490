// autori plot plan: the route seen from above.
#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <utility>

#include "decompila.h"
#include "disegna.h"
#include "model/dominio.h"
#include "significato.h"
#include "svg.h"
#include "testi.h"

namespace autori {

namespace {

using svg::num;
using svg::punto;

// The largest drawing of the route, in pixels, and the least it is given in
// each direction, so that a straight route still has axes to read.
constexpr double area_larga = 1000;
constexpr double area_alta = 760;
constexpr double area_minima = 240;
constexpr double margine_sx = 76;
constexpr double margine_dx = 200;
constexpr double margine_su = 44;
constexpr double margine_giu = 54;
constexpr int32_t passo_km = 10000;
// The most, in pixels, that the drawn route strays from its metres.
constexpr double tolleranza = 0.4;

constexpr std::string_view stile =
    ".f{fill:none;stroke:#444;stroke-width:1}"
    ".g{fill:none;stroke:#e4e4e4;stroke-width:1}"
    ".r{fill:none;stroke:#1f4e9c;stroke-width:2;stroke-linejoin:round;stroke-linecap:round}"
    ".o{fill:none;stroke:#1f4e9c;stroke-width:1.5;stroke-dasharray:5 4;opacity:.6}"
    ".k{fill:none;stroke:#1f4e9c;stroke-width:1.5}"
    ".s{fill:none;stroke:#d62728;stroke-width:1.5}"
    ".st{fill:#000;stroke:#fff;stroke-width:1}"
    ".tn{fill:none;stroke:#777;stroke-width:7;stroke-linecap:butt;opacity:.45}"
    ".cr{fill:#fff;stroke:#b15928;stroke-width:1.2}"
    ".k1{fill:#fff;stroke:#d62728;stroke-width:1.2}"
    ".k2{fill:#d62728;stroke:#d62728;stroke-width:1}"
    ".lp{fill:#fff;stroke:#555;stroke-width:1}"
    ".a{fill:#2ca02c;stroke:#fff;stroke-width:1.5}"
    ".e{fill:#c00;stroke:#fff;stroke-width:1.5}"
    ".t{font-size:14px;font-weight:bold}"
    ".n{font-size:11px}"
    ".m{font-size:9px;fill:#666}"
    ".q{font-size:10px;fill:#1f4e9c}"
    ".l{font-size:11px}"
    ".x{font-size:10px;fill:#444}"
    ".cd{fill:none;stroke:#ff7f0e;stroke-width:4;stroke-linecap:butt;opacity:.55}"
    ".cs{fill:none;stroke:#9467bd;stroke-width:4;stroke-linecap:butt;opacity:.55}"
    ".sl{fill:#ffd92f;stroke:#7a5c00;stroke-width:1}"
    ".cp{fill:#17becf;stroke:#0b5f68;stroke-width:1}"
    ".iv{fill:#fff;stroke:#2ca02c;stroke-width:1.5}";

// Metres of the plan to pixels: one scale for x and y, y upwards.
struct vista {
  double x0;
  double y1;
  double scala;
  punto px(punto m) const { return {margine_sx + (m.x - x0) * scala, margine_su + (y1 - m.y) * scala}; }
};

class disegno_piano {
 public:
  explicit disegno_piano(const scenario_letto& s) : s_(s), t_(*s.piano), ultimo_(t_.ultimo_metro()) {}

  std::string disegna() {
    const int64_t l = lunghezza_percorso(s_).value_or(ultimo_);
    std::string titolo = "Plan of the route: " + s_.nome_file;
    if (s_.righe)
      titolo.append(", ")
          .append((*s_.righe)[riga_identita].nome)
          .append(" train ")
          .append((*s_.righe)[riga_treno].nome);
    titolo.append(" (").append(km_esatti(static_cast<double>(l))).append(")");
    if (s_.da) titolo.append(", ").append(km_esatti(*s_.da)).append(" to ").append(km_esatti(*s_.a));
    da_ = s_.da ? static_cast<int32_t>(std::clamp<double>(std::ceil(*s_.da), 0, ultimo_)) : 0;
    a_ = s_.a ? static_cast<int32_t>(std::clamp<double>(std::floor(*s_.a), da_, ultimo_)) : ultimo_;
    inquadra(margine_sx + svg::larghezza_testo(titolo.size(), 15) + 10);
    fine_percorso_ = l;
    fine_ = static_cast<int32_t>(std::clamp<int64_t>(l, da_, a_));
    while (fine_ > da_ && !pieno(fine_)) --fine_;

    std::string svg = svg::apertura(larghezza_, altezza_, titolo, stile);
    svg.append("<text class=\"t\" x=\"")
        .append(num(margine_sx))
        .append("\" y=\"24\">")
        .append(svg::testo(titolo))
        .append("</text>\n");
    svg += assi();
    svg += gallerie();
    svg += curve();
    svg.append("<path id=\"route\" class=\"r\" d=\"").append(tracce(da_, fine_)).append("\"/>\n");
    if (fine_ < a_)
      svg.append("<path id=\"run-out\" class=\"o\" d=\"").append(tracce(fine_, a_)).append("\"/>\n");
    svg += segnali();
    svg += cartelli();
    svg += oggetti_celle();
    // What the layers after the legend will draw, for the legend to list.
    if (fine_ < a_) disegnati_.insert("beyond the end");
    for (int32_t m = passo_km; m <= fine_; m += passo_km)
      if (nel_tratto(m)) disegnati_.insert("every 10 km");
    for (const stazione_da_disegnare& st : stazioni(s_))
      if (nel_tratto(st.metro)) disegnati_.insert(st.con_cella ? "station" : "listed point");
    svg += legenda();
    // Labels in order of importance: a later one gives way.
    std::string etichette;
    svg += tacche_km();
    svg += estremi(etichette);
    svg += stazioni_(etichette);
    for (const auto& [p, r, testo] : km_da_scrivere_)
      etichette += posa_intorno(p, {{-r.x, -r.y}, r}, 8, testo, 10, "q");
    svg.append("<g id=\"labels\">").append(etichette).append("</g>\n");
    svg += svg::chiusura;
    return svg;
  }

 private:
  bool pieno(int64_t m) const {
    return m >= 0 && m <= ultimo_ && t_.at(static_cast<int32_t>(m), 0).specie != specie_elemento::vuoto &&
           t_.at(static_cast<int32_t>(m), 1).specie != specie_elemento::vuoto;
  }
  bool nel_tratto(int64_t m) const { return m >= da_ && m <= a_ && pieno(m); }
  punto metro(int32_t m) const { return {t_.at(m, 0).valore, t_.at(m, 1).valore}; }
  punto px(int32_t m) const { return v_.px(metro(m)); }

  // The direction of travel at metre m, on the screen, of length 1.
  punto direzione(int32_t m) const {
    const int32_t a = pieno(m - 1) ? m - 1 : m;
    const int32_t b = pieno(m + 1) ? m + 1 : m;
    if (a == b) return {0, -1};
    const punto pa = metro(a);
    const punto pb = metro(b);
    const double dx = pb.x - pa.x;
    const double dy = -(pb.y - pa.y);
    const double l = std::hypot(dx, dy);
    return l == 0 ? punto{0, -1} : punto{dx / l, dy / l};
  }
  static punto destra(punto d) { return {-d.y, d.x}; }

  // The scale and the frame; the picture is at least `larghezza_minima` wide.
  void inquadra(double larghezza_minima) {
    double x0 = std::numeric_limits<double>::infinity(), y0 = x0;
    double x1 = -x0, y1 = -x0;
    for (int32_t m = da_; m <= a_; ++m) {
      if (!pieno(m)) continue;
      const punto p = metro(m);
      x0 = std::min(x0, p.x);
      x1 = std::max(x1, p.x);
      y0 = std::min(y0, p.y);
      y1 = std::max(y1, p.y);
    }
    const double bordo = std::max(1.0, 0.03 * std::max(x1 - x0, y1 - y0));
    x0 -= bordo;
    x1 += bordo;
    y0 -= bordo;
    y1 += bordo;
    const double scala = std::min(area_larga / (x1 - x0), area_alta / (y1 - y0));
    auto allarga = [&](double& a, double& b, double minimo) {
      if ((b - a) * scala >= minimo) return;
      const double c = (a + b) / 2;
      a = c - minimo / scala / 2;
      b = c + minimo / scala / 2;
    };
    // The frame fills the picture: as wide as the title makes it, if wider.
    allarga(x0, x1, std::max(area_minima, larghezza_minima - margine_sx - margine_dx));
    allarga(y0, y1, area_minima);
    v_ = {x0, y1, scala};
    mx0_ = x0;
    mx1_ = x1;
    my0_ = y0;
    my1_ = y1;
    cornice_ = {margine_sx, margine_su, margine_sx + (x1 - x0) * scala, margine_su + (y1 - y0) * scala};
    larghezza_ = std::max(cornice_.x1 + margine_dx, larghezza_minima);
    // Room for a legend of every entry, 18 px each, beside a short frame.
    altezza_ = std::max(cornice_.y1 + margine_giu, cornice_.y0 + 4 + 18.0 * 17 + 8);
    posa_ = svg::posatore({cornice_.x0 + 2, cornice_.y0 + 2, larghezza_ - 4, cornice_.y1 - 2});
  }

  std::string assi() const {
    std::string griglia, etichette_x, etichette_y;
    const double px_x = (mx1_ - mx0_) * v_.scala;
    const double px_y = (my1_ - my0_) * v_.scala;
    const double passo_x = svg::passo_tacche((mx1_ - mx0_) / 1000, std::max(2, static_cast<int>(px_x / 80)));
    const double passo_y = svg::passo_tacche((my1_ - my0_) / 1000, std::max(2, static_cast<int>(px_y / 60)));
    for (double k : svg::tacche(mx0_ / 1000, mx1_ / 1000, passo_x)) {
      const double x = v_.px({k * 1000, 0}).x;
      griglia.append("M")
          .append(num(x))
          .append(" ")
          .append(num(cornice_.y0))
          .append("V")
          .append(num(cornice_.y1));
      etichette_x += "<text x=\"" + num(x) + "\" y=\"" + num(cornice_.y1 + 14) + "\">" +
                     con_decimali(k, passo_x) + "</text>";
    }
    for (double k : svg::tacche(my0_ / 1000, my1_ / 1000, passo_y)) {
      const double y = v_.px({0, k * 1000}).y;
      griglia.append("M")
          .append(num(cornice_.x0))
          .append(" ")
          .append(num(y))
          .append("H")
          .append(num(cornice_.x1));
      etichette_y += "<text x=\"" + num(cornice_.x0 - 5) + "\" y=\"" + num(y) + "\" dy=\".35em\">" +
                     con_decimali(k, passo_y) + "</text>";
    }
    std::string s = "<path class=\"g\" d=\"" + griglia + "\"/>\n";
    s += "<rect class=\"f\" x=\"" + num(cornice_.x0) + "\" y=\"" + num(cornice_.y0) + "\" width=\"" +
         num(cornice_.x1 - cornice_.x0) + "\" height=\"" + num(cornice_.y1 - cornice_.y0) + "\"/>\n";
    s.append("<g id=\"x-axis\" class=\"x\" text-anchor=\"middle\">").append(etichette_x).append("</g>\n");
    s.append("<g id=\"y-axis\" class=\"x\" text-anchor=\"end\">").append(etichette_y).append("</g>\n");
    const double cx = (cornice_.x0 + cornice_.x1) / 2;
    const double cy = (cornice_.y0 + cornice_.y1) / 2;
    s += "<text class=\"l\" text-anchor=\"middle\" x=\"" + num(cx) + "\" y=\"" + num(cornice_.y1 + 34) +
         "\">x, sideways (km)</text>\n";
    s += "<text class=\"l\" text-anchor=\"middle\" x=\"18\" y=\"" + num(cy) +
         "\" transform=\"rotate(-90 18 " + num(cy) + ")\">y, along the initial direction (km)</text>\n";
    return s;
  }

  // Labels keep off the line from a to b and `largo` pixels either side.
  void evita(punto a, punto b, double largo) {
    const double l = std::hypot(b.x - a.x, b.y - a.y);
    // Inside the picture a segment is at most a few thousand pixels long.
    if (!(l < 10000)) return;
    const int passi = std::max(1, static_cast<int>(std::ceil(l / 3)));
    for (int i = 0; i <= passi; ++i) {
      const double t = static_cast<double>(i) / passi;
      const punto p{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
      if (!coperti_.insert({std::lround(p.x / 2), std::lround(p.y / 2)}).second) continue;
      posa_.occupa({p.x - largo, p.y - largo, p.x + largo, p.y + largo});
    }
  }

  // The polyline through the assigned metres from `da` to `a`, broken where
  // a metre is empty.
  std::string tracce(int32_t da, int32_t a) {
    std::string d;
    std::vector<punto> tratto;
    auto chiudi = [&] {
      if (tratto.size() >= 2) {
        const std::vector<punto> q = svg::semplifica(tratto, tolleranza);
        d.append("M").append(num(q[0].x)).append(" ").append(num(q[0].y)).append("L");
        for (size_t i = 1; i < q.size(); ++i) {
          d.append(i > 1 ? " " : "").append(num(q[i].x)).append(" ").append(num(q[i].y));
          evita(q[i - 1], q[i], 2);
        }
      }
      tratto.clear();
    };
    for (int32_t m = da; m <= a; ++m) {
      if (pieno(m)) {
        tratto.push_back(px(m));
      } else {
        chiudi();
      }
    }
    chiudi();
    return d;
  }

  std::string segnali() {
    if (!s_.celle) return "";
    std::string d, teste;
    std::set<std::pair<long, long>> visti;
    for (size_t n = 0; n < s_.celle->size(); ++n) {
      if ((*s_.celle)[n].tipo != tipo_cella::segnale) continue;
      const int64_t m = 50 * static_cast<int64_t>(n);
      if (!nel_tratto(m)) continue;
      const punto p = px(static_cast<int32_t>(m));
      // Marks on one spot of the screen are one mark.
      if (!visti.insert({std::lround(p.x * 2), std::lround(p.y * 2)}).second) continue;
      const punto r = destra(direzione(static_cast<int32_t>(m)));
      // dato4 = rapp * 10 + sx * 3 + dx: the kinds of the two sides.
      const int coppia = (*s_.celle)[n].dato4 % 10;
      const int sx = coppia / 3;
      const int dx = coppia % 3;
      const punto testa{p.x + 10 * r.x, p.y + 10 * r.y};
      disegnati_.insert("signal");
      disegnati_.insert(sx == 2 ? "signal kind 2" : "signal kind 1");
      // The first side's kind is the head: a hollow square for 1, a disc for
      // 2; the title gives both.
      teste.append(sx == 2 ? "<circle class=\"k2\" cx=\"" : "<rect class=\"k1\" x=\"")
          .append(num(sx == 2 ? testa.x : testa.x - 2))
          .append(sx == 2 ? "\" cy=\"" : "\" y=\"")
          .append(num(sx == 2 ? testa.y : testa.y - 2))
          .append(sx == 2 ? "\" r=\"2.2\">" : "\" width=\"4\" height=\"4\">")
          .append("<title>signal, kind ")
          .append(std::to_string(sx))
          .append("/")
          .append(std::to_string(dx))
          .append(" (sx ")
          .append(std::to_string(sx))
          .append(", dx ")
          .append(std::to_string(dx))
          .append("), ")
          .append(km_esatti(static_cast<double>(m)))
          .append(sx == 2 ? "</title></circle>" : "</title></rect>");
      d.append("M")
          .append(num(p.x + 2 * r.x))
          .append(" ")
          .append(num(p.y + 2 * r.y))
          .append("l")
          .append(num(6 * r.x))
          .append(" ")
          .append(num(6 * r.y));
      evita({p.x + 2 * r.x, p.y + 2 * r.y}, {p.x + 12 * r.x, p.y + 12 * r.y}, 1);
    }
    std::string s = "<path id=\"signals\" class=\"s\" d=\"" + d + "\"/>\n";
    return s.append("<g id=\"signal-kinds\">").append(teste).append("</g>\n");
  }

  // Runs of cells with a tunnel byte, drawn over the metres they cover.
  std::string gallerie() {
    if (!s_.celle) return "";
    std::string s = "<g id=\"tunnels\">";
    for (const galleria& g : autori::gallerie(*s_.celle)) {
      const size_t inizio = g.prima;
      const size_t n = g.dopo;
      const int tipo = g.tipo;
      const int64_t a = std::max<int64_t>(da_, 50 * static_cast<int64_t>(inizio));
      const int64_t b = std::min<int64_t>(a_, 50 * static_cast<int64_t>(n));
      if (b <= a) continue;
      std::string d;
      std::vector<punto> tratto;
      for (int64_t m = a; m <= b; ++m)
        if (pieno(m)) tratto.push_back(px(static_cast<int32_t>(m)));
      if (tratto.size() < 2) continue;
      const std::vector<punto> q = svg::semplifica(tratto, tolleranza);
      for (size_t i = 0; i < q.size(); ++i)
        d.append(i == 0 ? "M" : " ").append(num(q[i].x)).append(" ").append(num(q[i].y));
      disegnati_.insert("tunnel");
      s.append("<path class=\"tn\" d=\"")
          .append(d)
          .append("\"><title>tunnel, type ")
          .append(std::to_string(tipo))
          .append(", ")
          .append(km_esatti(static_cast<double>(50 * static_cast<int64_t>(inizio))))
          .append(" to ")
          .append(km_esatti(static_cast<double>(50 * static_cast<int64_t>(n))))
          .append("</title></path>");
    }
    return s + "</g>\n";
  }

  // The polyline of the drawn metres from a to b, simplified; empty when
  // fewer than two of them are drawn.
  std::string tratto_di(int64_t a, int64_t b) {
    std::vector<punto> tratto;
    for (int64_t m = std::max<int64_t>(a, da_); m <= std::min<int64_t>(b, a_); ++m)
      if (pieno(m)) tratto.push_back(px(static_cast<int32_t>(m)));
    if (tratto.size() < 2) return "";
    std::string d;
    const std::vector<punto> q = svg::semplifica(tratto, tolleranza);
    for (size_t i = 0; i < q.size(); ++i)
      d.append(i == 0 ? "M" : " ").append(num(q[i].x)).append(" ").append(num(q[i].y));
    return d;
  }

  // Each curve record the plan holds, over its metres: its side by colour,
  // its class and radius on hover.
  std::string curve() {
    static const char* raggi[] = {"10000", "5000", "2500", "1000", "500", "333"};
    std::string s = "<g id=\"curves\">";
    for (const curva_piano& c : curve_del_piano(t_)) {
      const std::string d = tratto_di(c.inizio, c.inizio + c.lunghezza);
      if (d.empty()) continue;
      const bool destra = c.classe > 0;
      const int k = std::abs(c.classe);
      disegnati_.insert(destra ? "curve right" : "curve left");
      s.append("<path class=\"")
          .append(destra ? "cd" : "cs")
          .append("\" d=\"")
          .append(d)
          .append("\"><title>curve to the ")
          .append(destra ? "right" : "left")
          .append(", class ")
          .append(std::to_string(k))
          .append(", radius ")
          .append(k >= 1 && k <= 6 ? raggi[k - 1] : "?")
          .append(" m, ")
          .append(km_esatti(static_cast<double>(c.inizio)))
          .append(" to ")
          .append(km_esatti(static_cast<double>(c.inizio + c.lunghezza)))
          .append("</title></path>");
    }
    return s + "</g>\n";
  }

  // Slowdown cells, code points and speed indicators, each a mark beside the
  // route with its values on hover, at the metre the cell stands for.
  std::string oggetti_celle() {
    if (!s_.celle) return "";
    std::string rall = "<g id=\"slowdowns\">", codici = "<g id=\"code-points\">",
                ind = "<g id=\"indicators\">";
    for (size_t n = 0; n < s_.celle->size(); ++n) {
      const cella& c = (*s_.celle)[n];
      const bool rallentamento = c.tipo == 2 || c.tipo == 3 || c.tipo == 4;
      const bool codice = c.tipo == 12 || c.tipo == 13;
      const bool indicatore = c.tipo == 6;
      if (!rallentamento && !codice && !indicatore) continue;
      // Code points take round(p / 50); the others round(p / 50 + 1).
      const int64_t m = 50 * (static_cast<int64_t>(n) - (codice ? 0 : 1));
      if (!nel_tratto(m)) continue;
      const punto p = px(static_cast<int32_t>(m));
      const punto r = destra(direzione(static_cast<int32_t>(m)));
      const double lato = codice ? -15 : rallentamento ? 16 : -22;
      const punto q{p.x + lato * r.x, p.y + lato * r.y};
      const std::string dove = km_esatti(static_cast<double>(m));
      if (rallentamento) {
        disegnati_.insert("slowdown");
        const char* cosa = c.tipo == 4   ? "slowdown warning board"
                           : c.tipo == 3 ? "slowdown start"
                                         : "slowdown end";
        rall.append("<rect class=\"sl\" x=\"")
            .append(num(q.x - 3))
            .append("\" y=\"")
            .append(num(q.y - 3))
            .append("\" width=\"6\" height=\"6\"><title>")
            .append(cosa)
            .append(", ")
            .append(std::to_string(c.dato1))
            .append(" km/h, ")
            .append(dove)
            .append("</title></rect>");
      } else if (codice) {
        disegnati_.insert("code point");
        codici.append("<circle class=\"cp\" cx=\"")
            .append(num(q.x))
            .append("\" cy=\"")
            .append(num(q.y))
            .append("\" r=\"2.5\"><title>code point, ")
            .append(c.tipo == 12 ? "code " + std::to_string(c.dato1) : std::string("no code"))
            .append(", ")
            .append(dove)
            .append("</title></circle>");
      } else {
        disegnati_.insert("speed indicator");
        const auto [as, ad] = coppia_velocita(c.dato1);
        const auto [bs, bd] = coppia_velocita(c.dato2);
        const auto [cs, cd] = coppia_velocita(c.dato3);
        ind.append("<circle class=\"iv\" cx=\"")
            .append(num(q.x))
            .append("\" cy=\"")
            .append(num(q.y))
            .append("\" r=\"3\"><title>speed indicator, left ")
            .append(std::to_string(as) + " " + std::to_string(bs) + " " + std::to_string(cs))
            .append(" km/h, right ")
            .append(std::to_string(ad) + " " + std::to_string(bd) + " " + std::to_string(cd))
            .append(" km/h, ")
            .append(dove)
            .append("</title></circle>");
      }
      posa_.occupa({q.x - 4, q.y - 4, q.x + 4, q.y + 4});
    }
    return rall + "</g>\n" + codici + "</g>\n" + ind + "</g>\n";
  }

  // A sign's text shows on hover: it is too long to write on the route.
  std::string cartelli() {
    if (!s_.celle) return "";
    std::string s = "<g id=\"signs\">";
    for (size_t n = 0; n < s_.celle->size(); ++n) {
      const cella& c = (*s_.celle)[n];
      const int64_t m = 50 * static_cast<int64_t>(n);
      if (c.tipo != 14 || !nel_tratto(m)) continue;
      const punto p = px(static_cast<int32_t>(m));
      const punto r = destra(direzione(static_cast<int32_t>(m)));
      const punto q{p.x - 9 * r.x, p.y - 9 * r.y};
      disegnati_.insert("sign");
      std::string testo = std::string("row ").append(std::to_string(c.dato1));
      if (s_.righe && c.dato1 >= 0 && c.dato1 < righe_tabella)
        testo = svg::testo((*s_.righe)[static_cast<size_t>(c.dato1)].nome);
      s.append("<path class=\"cr\" d=\"M")
          .append(num(q.x))
          .append(" ")
          .append(num(q.y - 4))
          .append("l4 4l-4 4l-4 -4z\"><title>sign ")
          .append(testo)
          .append(", ")
          .append(km_esatti(static_cast<double>(m)))
          .append("</title></path>");
      posa_.occupa({q.x - 4, q.y - 4, q.x + 4, q.y + 4});
    }
    return s + "</g>\n";
  }

  std::string estremi(std::string& etichette) {
    std::string s;
    const punto a = px(da_);
    const punto b = px(fine_);
    s += "<circle id=\"start\" class=\"a\" cx=\"" + num(a.x) + "\" cy=\"" + num(a.y) + "\" r=\"6\"><title>" +
         (da_ == 0 ? std::string("start, 0 m") : std::string("from, ").append(km_esatti(da_))) +
         "</title></circle>\n";
    s += "<circle id=\"end\" class=\"e\" cx=\"" + num(b.x) + "\" cy=\"" + num(b.y) + "\" r=\"6\"><title>" +
         (fine_ < fine_percorso_ ? "to, " : "end, ") + km_esatti(static_cast<double>(fine_)) +
         "</title></circle>\n";
    posa_.occupa({a.x - 7, a.y - 7, a.x + 7, a.y + 7});
    posa_.occupa({b.x - 7, b.y - 7, b.x + 7, b.y + 7});
    etichette += posa_intorno(a, intorno(da_), 9, da_ == 0 ? "start" : "from", 11, "l");
    etichette += posa_intorno(b, intorno(fine_), 9, fine_ < fine_percorso_ ? "to" : "end", 11, "l");
    return s;
  }

  // Where a label of the point at metre m may go: beside the route first.
  std::vector<punto> intorno(int32_t m) const {
    const punto r = destra(direzione(m));
    return {r, {-r.x, -r.y}, {1, 0}, {-1, 0}, {0, -1}, {0, 1}};
  }

  // The first side of `p` in `versi` with room, `scarto` away from it.
  std::string posa_intorno(punto p, const std::vector<punto>& versi, double scarto, std::string_view testo,
                           double corpo, std::string_view classe) {
    // Near the point if there is room, a little further out if not.
    for (double d : {scarto, scarto + 8})
      for (const punto& v : versi) {
        std::string e = posa_.posa({p.x + d * v.x, p.y + d * v.y}, {v}, testo, corpo, classe);
        if (!e.empty()) return e;
      }
    return "";
  }

  std::string stazioni_(std::string& etichette) {
    std::vector<stazione_da_disegnare> v = stazioni(s_);
    if (v.empty()) return "";
    std::string s = "<g id=\"stations\">";
    // Stopping points before the points that are only listed.
    std::stable_sort(v.begin(), v.end(),
                     [](const auto& a, const auto& b) { return a.con_cella > b.con_cella; });
    for (const stazione_da_disegnare& st : v) {
      if (!nel_tratto(st.metro)) continue;
      const int32_t m = static_cast<int32_t>(st.metro);
      const punto p = px(m);
      s += "<circle class=\"" + std::string(st.con_cella ? "st" : "lp") + "\" cx=\"" + num(p.x) + "\" cy=\"" +
           num(p.y) + "\" r=\"" + (st.con_cella ? "4" : "3") + "\"><title>" + svg::testo(st.nome) + ", " +
           km_esatti(static_cast<double>(st.metro)) + "</title></circle>";
      posa_.occupa({p.x - 4, p.y - 4, p.x + 4, p.y + 4});
    }
    s += "</g>\n";
    for (const stazione_da_disegnare& st : v) {
      if (!nel_tratto(st.metro)) continue;
      const int32_t m = static_cast<int32_t>(st.metro);
      etichette += st.con_cella ? posa_intorno(px(m), intorno(m), 6, st.nome, 11, "n")
                                : posa_intorno(px(m), intorno(m), 5, st.nome, 9, "m");
    }
    return s;
  }

  std::string tacche_km() {
    std::string d;
    for (int32_t m = passo_km; m <= fine_; m += passo_km) {
      if (!nel_tratto(m)) continue;
      const punto p = px(m);
      const punto r = destra(direzione(m));
      d.append("M")
          .append(num(p.x - 5 * r.x))
          .append(" ")
          .append(num(p.y - 5 * r.y))
          .append("l")
          .append(num(10 * r.x))
          .append(" ")
          .append(num(10 * r.y));
      evita({p.x - 5 * r.x, p.y - 5 * r.y}, {p.x + 5 * r.x, p.y + 5 * r.y}, 1);
      km_da_scrivere_.push_back({p, r, std::to_string(m / 1000) + " km"});
    }
    return "<path id=\"km-ticks\" class=\"k\" d=\"" + d + "\"/>\n";
  }

  std::string legenda() {
    const double x = cornice_.x1 + 16;
    double y = cornice_.y0 + 4;
    std::string s = "<g id=\"legend\">";
    // Only what the picture holds.
    auto voce = [&](const std::string& segno, const char* testo, const char* chi = nullptr) {
      if (chi != nullptr && !disegnati_.contains(chi)) return;
      s +=
          segno + "<text class=\"l\" x=\"" + num(x + 30) + "\" y=\"" + num(y + 4) + "\">" + testo + "</text>";
      y += 18;
    };
    const std::string xs = num(x), xe = num(x + 22), xm = num(x + 11);
    voce("<path class=\"r\" d=\"M" + xs + " " + num(y) + "H" + xe + "\"/>", "route");
    voce("<path class=\"o\" d=\"M" + xs + " " + num(y) + "H" + xe + "\"/>", "beyond the end",
         "beyond the end");
    voce("<path class=\"k\" d=\"M" + xm + " " + num(y - 5) + "v10\"/>", "every 10 km", "every 10 km");
    voce("<circle class=\"a\" cx=\"" + xm + "\" cy=\"" + num(y) + "\" r=\"5\"/>", "start");
    voce("<circle class=\"e\" cx=\"" + xm + "\" cy=\"" + num(y) + "\" r=\"5\"/>", "end");
    voce("<circle class=\"st\" cx=\"" + xm + "\" cy=\"" + num(y) + "\" r=\"4\"/>", "station", "station");
    voce("<circle class=\"lp\" cx=\"" + xm + "\" cy=\"" + num(y) + "\" r=\"3\"/>", "listed point",
         "listed point");
    voce("<path class=\"s\" d=\"M" + xm + " " + num(y - 4) + "v8\"/>", "signal", "signal");
    voce("<rect class=\"k1\" x=\"" + num(x + 9) + "\" y=\"" + num(y - 2) + "\" width=\"4\" height=\"4\"/>",
         "signal kind 1 (sx)", "signal kind 1");
    voce("<circle class=\"k2\" cx=\"" + xm + "\" cy=\"" + num(y) + "\" r=\"2.2\"/>", "signal kind 2 (sx)",
         "signal kind 2");
    voce("<path class=\"tn\" d=\"M" + xs + " " + num(y) + "H" + xe + "\"/>", "tunnel", "tunnel");
    voce("<path class=\"cr\" d=\"M" + xm + " " + num(y - 4) + "l4 4l-4 4l-4 -4z\"/>", "sign (text on hover)",
         "sign");
    voce("<path class=\"cd\" d=\"M" + xs + " " + num(y) + "H" + xe + "\"/>",
         "curve to the right (radius on hover)", "curve right");
    voce("<path class=\"cs\" d=\"M" + xs + " " + num(y) + "H" + xe + "\"/>",
         "curve to the left (radius on hover)", "curve left");
    voce("<rect class=\"sl\" x=\"" + num(x + 8) + "\" y=\"" + num(y - 3) + "\" width=\"6\" height=\"6\"/>",
         "slowdown board, start or end", "slowdown");
    voce("<circle class=\"cp\" cx=\"" + xm + "\" cy=\"" + num(y) + "\" r=\"2.5\"/>", "code point",
         "code point");
    voce("<circle class=\"iv\" cx=\"" + xm + "\" cy=\"" + num(y) + "\" r=\"3\"/>", "speed indicator",
         "speed indicator");
    s += "</g>\n";
    posa_.occupa({x - 4, cornice_.y0, larghezza_, y});
    return s;
  }

  const scenario_letto& s_;
  const tracciato_t& t_;
  const int32_t ultimo_;
  int32_t fine_ = 0;
  int32_t da_ = 0, a_ = 0;
  int64_t fine_percorso_ = 0;
  vista v_{};
  double mx0_ = 0, mx1_ = 0, my0_ = 0, my1_ = 0;
  svg::riquadro cornice_;
  double larghezza_ = 0, altezza_ = 0;
  svg::posatore posa_{{}};
  struct tacca {
    punto p;
    punto destra;
    std::string testo;
  };
  std::vector<tacca> km_da_scrivere_;
  std::set<std::string> disegnati_;  // the legend's entries the layers drew
  // Spots of the screen already kept clear, on a 2-pixel grid.
  std::set<std::pair<long, long>> coperti_;
};

}  // namespace

std::string disegna_piano(const scenario_letto& s) { return disegno_piano(s).disegna(); }

}  // namespace autori
