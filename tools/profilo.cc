// autori plot profile: what lies along the route, against the distance.
#include <algorithm>
#include <cmath>
#include <functional>
#include <set>

#include "disegna.h"
#include "model/dominio.h"
#include "significato.h"
#include "svg.h"
#include "testi.h"

namespace autori {

namespace {

using svg::num;

constexpr double larghezza = 1600;
constexpr double x0 = 120;
constexpr double x1 = 1570;
constexpr double metri_cella = 50;

constexpr std::string_view stile =
    ".f{fill:none;stroke:#444;stroke-width:1}"
    ".g{fill:none;stroke:#e6e6e6;stroke-width:1}"
    ".z{fill:none;stroke:#999;stroke-width:1}"
    ".tn{fill:#8a8a8a;fill-opacity:.28}"
    ".pg{fill:none;stroke:#8c510a;stroke-width:1.5}"
    ".pv{fill:none;stroke:#1f78b4;stroke-width:1.5}"
    ".pa{fill:none;stroke:#33a02c;stroke-width:1.5}"
    ".re{fill:none;stroke:#c00;stroke-width:1.2;stroke-dasharray:6 4}"
    ".st{fill:#000}"
    ".lp{fill:#fff;stroke:#555;stroke-width:1}"
    ".ld{fill:none;stroke:#999;stroke-width:.6}"
    ".s{fill:none;stroke:#d62728;stroke-width:1.2}"
    ".c{fill:none;stroke:#6a3d9a;stroke-width:1.2}"
    ".cs{fill:none;stroke:#6a3d9a;stroke-width:1.2;stroke-dasharray:2 2}"
    ".rb{fill:#f2c200;stroke:#7a6000;stroke-width:.8}"
    ".ri{fill:#ff7f00;stroke:#8a4500;stroke-width:.8}"
    ".rf{fill:#fff;stroke:#8a4500;stroke-width:1}"
    ".rr{fill:none;stroke:#ff7f00;stroke-width:3;opacity:.5}"
    ".iv{fill:none;stroke:#1f78b4;stroke-width:1.4}"
    ".cr{fill:#fff;stroke:#b15928;stroke-width:1.2}"
    ".rl{fill:none;stroke:#ff7f00;stroke-width:2;stroke-dasharray:4 2}"
    ".iw{font-size:9px;fill:#1f78b4}"
    ".cd{fill:#6a3d9a;fill-opacity:.7}"
    ".cl{fill:#e7298a;fill-opacity:.7}"
    ".t{font-size:14px;font-weight:bold}"
    ".n{font-size:10px}"
    ".m{font-size:9px;fill:#666}"
    ".cc{font-size:9px;fill:#6a3d9a}"
    ".rv{font-size:9px;fill:#8a4500}"
    ".l{font-size:11px}"
    ".x{font-size:10px;fill:#444}";

// A band of the picture where one quantity is drawn against the distance.
struct pannello {
  const char* id;
  const char* titolo;
  const char* classe;
  double alto;
  double basso;
  double minimo;
  double massimo;
  double y(double v) const { return basso - (v - minimo) / (massimo - minimo) * (basso - alto); }
};

// The top of an axis from 0 that holds `massimo`, on a round step.
double cima(double massimo, double almeno) {
  const double m = std::max(massimo, almeno);
  const double passo = svg::passo_tacche(m, 4);
  return std::ceil(m / passo - 1e-9) * passo;
}

class disegno_profilo {
 public:
  explicit disegno_profilo(const scenario_letto& s)
      : s_(s),
        c_(*s.celle),
        metri_(metri_cella * static_cast<double>(c_.size())),
        l_(lunghezza_percorso(s)),
        curve_(curve(s)) {
    // Without the route's length there is no end to stop at: all the cells.
    const double fine = l_ ? std::min(metri_, std::max(static_cast<double>(*l_), ultimo_oggetto())) : metri_;
    da_ = s.da.value_or(0);
    a_ = s.a.value_or(fine);
    if (!(a_ > da_)) a_ = da_ + metri_cella;
  }

  std::string disegna() {
    disegnate_ = celle_disegnate();
    impagina();
    std::string titolo = "Profile: " + s_.nome_file;
    if (s_.righe)
      titolo.append(", ")
          .append((*s_.righe)[riga_identita].nome)
          .append(" train ")
          .append((*s_.righe)[riga_treno].nome);
    if (l_) titolo.append(" (route ").append(km_esatti(static_cast<double>(*l_))).append(")");
    if (s_.da) titolo.append(", ").append(km_esatti(da_)).append(" to ").append(km_esatti(a_));
    std::string svg = svg::apertura(larghezza, altezza_, titolo, stile);
    svg.append("<text class=\"t\" x=\"")
        .append(num(x0))
        .append("\" y=\"22\">")
        .append(svg::testo(titolo))
        .append("</text>\n");
    svg += legenda();
    svg += gallerie();
    svg += griglia();
    for (const pannello& p : pannelli_) svg += disegna_pannello(p);
    svg += righe_oggetti();
    svg += fine_percorso();
    svg += stazioni_();
    svg += segni(tipo_cella::segnale, "signals", "s", 0);
    svg += codici();
    svg += rallentamenti();
    svg += indicatori();
    svg += cartelli();
    svg += disegna_curve();
    svg += svg::chiusura;
    return svg;
  }

 private:
  double x(double metro) const { return x0 + (metro - da_) / (a_ - da_) * (x1 - x0); }
  bool dentro(double metro) const { return metro >= da_ - 1e-9 && metro <= a_ + 1e-9; }
  static double metro_di(size_t n) { return metri_cella * static_cast<double>(n); }

  // The farthest point of anything drawn along the route.
  double ultimo_oggetto() const {
    double m = 0;
    for (size_t n = 0; n < c_.size(); ++n) {
      const int t = c_[n].tipo;
      if (t == tipo_cella::segnale || t == tipo_cella::fine_rallentamento ||
          t == tipo_cella::inizio_rallentamento || t == tipo_cella::tabella_avviso ||
          t == tipo_cella::indicatore_velocita || t == tipo_cella::punto_codice ||
          t == tipo_cella::punto_senza_codice || t == tipo_cella::cartello ||
          (t == tipo_cella::stazione && !s_.righe))
        m = std::max(m, metro_di(n));
      if (c_[n].galleria != 0) m = std::max(m, metro_di(n + 1));
    }
    for (const stazione_da_disegnare& st : stazioni(s_)) m = std::max(m, static_cast<double>(st.metro));
    for (const curva& c : curve_) m = std::max(m, static_cast<double>(c.a));
    return m;
  }

  // The build fills the profile bytes up to three cells before the last and
  // leaves the rest at 0: those cells end the lines rather than drawing a
  // drop to a gradient of -100 and a speed of 0 that no train meets.
  size_t celle_disegnate() const {
    size_t n = c_.size();
    for (int k = 0; k < 3 && n > 1; ++k) {
      const cella& c = c_[n - 1];
      if (c.pendenza != 0 || c.vel_limite != 0 || c.aderenza != 0) break;
      --n;
    }
    return n;
  }

  void impagina() {
    size_t piu_lungo = 8;
    for (const stazione_da_disegnare& st : stazioni(s_)) piu_lungo = std::max(piu_lungo, st.nome.size());
    const double nomi = std::clamp(svg::larghezza_testo(piu_lungo, 10) + 6, 50.0, 190.0);
    y_nomi_ = 84 + nomi;
    y_stazioni_ = y_nomi_ + 4;
    y_segnali_ = y_stazioni_ + 20;
    y_codici_ = y_segnali_ + 20;
    y_rallentamenti_ = y_codici_ + 30;
    y_indicatori_ = y_rallentamenti_ + 36;
    y_cartelli_ = y_indicatori_ + 36;
    y_curve_ = y_cartelli_ + 20;
    double y = y_curve_ + (s_.piano ? 48 : 0) + 40;
    int g_min = 0, g_max = 0, v_max = 0, a_max = 0;
    for (size_t n = 0; n < disegnate_; ++n) {
      g_min = std::min(g_min, c_[n].pendenza - 100);
      g_max = std::max(g_max, c_[n].pendenza - 100);
      v_max = std::max(v_max, c_[n].vel_limite * 5);
      if (c_[n].tipo == tipo_cella::inizio_rallentamento || c_[n].tipo == tipo_cella::tabella_avviso)
        v_max = std::max(v_max, int{c_[n].dato1});
      a_max = std::max(a_max, int{c_[n].aderenza});
    }
    const double g = cima(std::max(-g_min, g_max), 5);
    pannelli_ = {{"gradient", "gradient (\u2030)", "pg", y, y + 170, -g, g},
                 {"speed", "line speed (km/h)", "pv", y + 190, y + 360, 0, cima(v_max, 50)},
                 {"adhesion", "adhesion", "pa", y + 380, y + 490, 0, cima(a_max, 10)}};
    y_fondo_ = y + 490;
    altezza_ = y_fondo_ + 52;
  }

  std::string legenda() const {
    std::string s = "<g id=\"legend\">";
    double x = x0;
    double y = 42;
    auto voce = [&](const std::string& segno, const char* testo) {
      const double w = 30 + svg::larghezza_testo(std::string_view(testo).size(), 11) + 16;
      if (x + w > larghezza - 10) {
        x = x0;
        y += 18;
      }
      s += "<g transform=\"translate(" + num(x) + " " + num(y) + ")\">" + segno +
           "<text class=\"l\" x=\"28\" y=\"4\">" + testo + "</text></g>";
      x += w;
    };
    voce("<path class=\"pg\" d=\"M0 0H22\"/>", "gradient (\u2030)");
    voce("<path class=\"pv\" d=\"M0 0H22\"/>", "line speed limit (km/h)");
    voce("<path class=\"pa\" d=\"M0 0H22\"/>", "adhesion");
    voce("<rect class=\"tn\" x=\"2\" y=\"-6\" width=\"18\" height=\"12\"/>", "tunnel");
    voce("<path class=\"re\" d=\"M11 -7V7\"/>", "end of route");
    voce("<path class=\"st\" d=\"M11 -5l-5 9h10z\"/>", "station");
    voce("<path class=\"lp\" d=\"M11 -4l-4 7h8z\"/>", "listed point");
    voce("<path class=\"s\" d=\"M11 -6v12\"/>", "signal");
    voce("<path class=\"c\" d=\"M11 -6v12\"/>", "code point (code above)");
    voce("<path class=\"cs\" d=\"M11 -6v12\"/>", "code point without code");
    voce("<path class=\"rb\" d=\"M5 -5h12l-6 10z\"/>", "slowdown warning board");
    voce("<path class=\"ri\" d=\"M7 -6v12M7 -6l9 3l-9 3z\"/>", "slowdown start");
    voce("<path class=\"rf\" d=\"M15 -6v12M15 -6l-9 3l9 3z\"/>", "slowdown end");
    voce("<path class=\"rl\" d=\"M0 0H22\"/>", "slowdown speed");
    voce("<path class=\"iv\" d=\"M11 -6v12M7 -6h8\"/>", "speed indicator (km/h)");
    voce("<path class=\"cr\" d=\"M11 -6l4 6l-4 6l-4 -6z\"/>", "sign (text on hover)");
    if (s_.piano) {
      voce("<rect class=\"cd\" x=\"2\" y=\"-6\" width=\"18\" height=\"6\"/>", "curve to the right");
      voce("<rect class=\"cl\" x=\"2\" y=\"0\" width=\"18\" height=\"6\"/>", "curve to the left");
    }
    s += "</g>\n";
    return s;
  }

  // Runs of tunnel cells of one type; runs closer than half a pixel are one
  // band, which is all a screen can show of them.
  std::string gallerie() const {
    std::string s = "<g id=\"tunnels\">";
    const double alto = y_stazioni_;
    const double basso = y_fondo_;
    size_t n = 0;
    while (n < c_.size()) {
      if (c_[n].galleria == 0) {
        ++n;
        continue;
      }
      const size_t inizio = n;
      std::set<int> tipi;
      size_t fine = n;
      for (;;) {
        const int tipo = c_[n].galleria;
        while (n < c_.size() && c_[n].galleria == tipo) ++n;
        tipi.insert(tipo);
        fine = n;
        size_t dopo = n;
        while (dopo < c_.size() && c_[dopo].galleria == 0) ++dopo;
        if (dopo >= c_.size() ||
            x(metri_cella * static_cast<double>(dopo)) - x(metri_cella * static_cast<double>(n)) >= 0.5)
          break;
        n = dopo;
      }
      const double a = std::max(da_, metro_di(inizio));
      const double b = std::min(a_, metro_di(fine));
      if (b <= a) continue;
      std::string tipo;
      for (int t : tipi) tipo += (tipo.empty() ? "" : ", ") + std::to_string(t);
      s += "<rect class=\"tn\" x=\"" + num(x(a)) + "\" y=\"" + num(alto) + "\" width=\"" +
           num(std::max(0.5, x(b) - x(a))) + "\" height=\"" + num(basso - alto) + "\"><title>tunnel, type " +
           tipo + ", " + km_esatti(a) + " to " + km_esatti(b) + "</title></rect>";
    }
    return s + "</g>\n";
  }

  std::string griglia() const {
    const double passo = svg::passo_tacche((a_ - da_) / 1000, 16);
    std::string d, etichette;
    for (double k : svg::tacche(da_ / 1000, a_ / 1000, passo)) {
      const double xx = x(k * 1000);
      for (const pannello& p : pannelli_)
        d.append("M").append(num(xx)).append(" ").append(num(p.alto)).append("V").append(num(p.basso));
      etichette.append("<text x=\"")
          .append(num(xx))
          .append("\" y=\"")
          .append(num(y_fondo_ + 14))
          .append("\">")
          .append(con_decimali(k, passo))
          .append("</text>");
    }
    std::string s = "<path class=\"g\" d=\"" + d + "\"/>\n";
    s.append("<g id=\"km-axis\" class=\"x\" text-anchor=\"middle\">").append(etichette).append("</g>\n");
    s += "<text class=\"l\" text-anchor=\"middle\" x=\"" + num((x0 + x1) / 2) + "\" y=\"" +
         num(y_fondo_ + 36) + "\">distance along the route (km)</text>\n";
    return s;
  }

  // A point only where the value changes; changes that fall in one half-pixel
  // column keep only their extremes and the last, which is all that shows.
  std::string gradini(const pannello& p, const std::function<int(const cella&)>& valore) const {
    const double fine = std::min(a_, metro_di(disegnate_));
    if (disegnate_ == 0 || fine <= da_) return "";
    const size_t primo = std::min(disegnate_ - 1, static_cast<size_t>(da_ / metri_cella));
    std::string d = "M" + num(x(da_)) + " " + num(p.y(valore(c_[primo])));
    int corrente = valore(c_[primo]);
    size_t i = primo + 1;
    while (i < disegnate_ && metro_di(i) < a_) {
      if (valore(c_[i]) == corrente) {
        ++i;
        continue;
      }
      const double xx = x(metri_cella * static_cast<double>(i));
      const long colonna = std::lround(xx * 2);
      int minimo = valore(c_[i]), massimo = minimo, ultimo = minimo;
      size_t j = i + 1;
      for (; j < disegnate_ && metro_di(j) < a_ && std::lround(x(metro_di(j)) * 2) == colonna; ++j) {
        ultimo = valore(c_[j]);
        minimo = std::min(minimo, ultimo);
        massimo = std::max(massimo, ultimo);
      }
      d.append("H").append(num(xx));
      for (int v : {minimo, massimo, ultimo}) {
        if (v == corrente) continue;
        d.append("V").append(num(p.y(v)));
        corrente = v;
      }
      i = j;
    }
    return d + "H" + num(x(fine));
  }

  std::string disegna_pannello(const pannello& p) const {
    std::string s = "<rect class=\"f\" x=\"" + num(x0) + "\" y=\"" + num(p.alto) + "\" width=\"" +
                    num(x1 - x0) + "\" height=\"" + num(p.basso - p.alto) + "\"/>\n";
    const double passo = svg::passo_tacche(p.massimo - p.minimo, 4);
    std::string griglia, etichette;
    for (double v : svg::tacche(p.minimo, p.massimo, passo)) {
      griglia.append("M").append(num(x0)).append(" ").append(num(p.y(v))).append("H").append(num(x1));
      etichette += "<text x=\"" + num(x0 - 6) + "\" y=\"" + num(p.y(v)) + "\" dy=\".35em\">" +
                   con_decimali(v, passo) + "</text>";
    }
    s.append("<path class=\"g\" d=\"").append(griglia).append("\"/>\n");
    if (p.minimo < 0)
      s.append("<path class=\"z\" d=\"M")
          .append(num(x0))
          .append(" ")
          .append(num(p.y(0)))
          .append("H")
          .append(num(x1))
          .append("\"/>\n");
    s.append("<g id=\"")
        .append(std::string(p.id))
        .append("-axis\" class=\"x\" text-anchor=\"end\">")
        .append(etichette)
        .append("</g>\n");
    const double cy = (p.alto + p.basso) / 2;
    s += "<text class=\"l\" text-anchor=\"middle\" x=\"" + num(x0 - 44) + "\" y=\"" + num(cy) +
         "\" transform=\"rotate(-90 " + num(x0 - 44) + " " + num(cy) + ")\">" + p.titolo + "</text>\n";
    std::function<int(const cella&)> valore;
    if (std::string_view(p.id) == "gradient") {
      valore = [](const cella& c) { return c.pendenza - 100; };
    } else if (std::string_view(p.id) == "speed") {
      valore = [](const cella& c) { return c.vel_limite * 5; };
    } else {
      valore = [](const cella& c) { return int{c.aderenza}; };
    }
    s += "<path id=\"" + std::string(p.id) + "\" class=\"" + p.classe + "\" d=\"" + gradini(p, valore) +
         "\"/>\n";
    if (std::string_view(p.id) == "speed") s += velocita_rallentamenti(p);
    return s;
  }

  std::string righe_oggetti() const {
    std::string s = "<g class=\"l\" text-anchor=\"end\">";
    auto riga = [&](double y, const char* testo) {
      s.append("<text x=\"")
          .append(num(x0 - 8))
          .append("\" y=\"")
          .append(num(y))
          .append("\" dy=\".35em\">")
          .append(testo)
          .append("</text>");
    };
    riga(y_stazioni_ + 7, "stations");
    riga(y_segnali_ + 7, "signals");
    riga(y_codici_ + 16, "code points");
    riga(y_rallentamenti_ + 16, "slowdowns");
    riga(y_indicatori_ + 16, "speed indicators");
    riga(y_cartelli_ + 8, "signs");
    if (s_.piano) riga(y_curve_ + 22, "curves");
    s += "</g>\n";
    s += "<path class=\"g\" d=\"M" + num(x0) + " " + num(y_segnali_ - 3) + "H" + num(x1) + "M" + num(x0) +
         " " + num(y_codici_ - 3) + "H" + num(x1) + "M" + num(x0) + " " + num(y_rallentamenti_ - 3) + "H" +
         num(x1) + "M" + num(x0) + " " + num(y_indicatori_ - 3) + "H" + num(x1) + "M" + num(x0) + " " +
         num(y_cartelli_ - 3) + "H" + num(x1) + "M" + num(x0) + " " + num(y_cartelli_ + 17) + "H" + num(x1) +
         "\"/>\n";
    return s;
  }

  // Each slowdown at its speed, from its start to its end, with a tick at
  // its warning board: what the train may run at beside the line's limit.
  std::string velocita_rallentamenti(const pannello& p) const {
    std::string s = "<g id=\"slowdown-speeds\">";
    for (size_t n = 0; n < c_.size(); ++n) {
      const cella& c = c_[n];
      const double y = p.y(c.dato1);
      if (c.tipo == tipo_cella::tabella_avviso && dentro(metro_di(n))) {
        s.append("<path class=\"rl\" d=\"M")
            .append(num(x(metro_di(n))))
            .append(" ")
            .append(num(y - 5))
            .append("v10\"><title>slowdown warning board, ")
            .append(std::to_string(c.dato1))
            .append(" km/h, ")
            .append(km_esatti(metro_di(n)))
            .append("</title></path>");
      }
      if (c.tipo != tipo_cella::inizio_rallentamento) continue;
      const size_t f = fine_rallentamento(c_, n);
      const double a = std::max(da_, metro_di(n));
      const double b = std::min(a_, metro_di(std::min(f, c_.size() - 1)));
      if (b < a) continue;
      s.append("<path class=\"rl\" d=\"M")
          .append(num(x(a)))
          .append(" ")
          .append(num(y))
          .append("H")
          .append(num(x(b)))
          .append("\"><title>slowdown ")
          .append(std::to_string(c.dato1))
          .append(" km/h, ")
          .append(km_esatti(metro_di(n)))
          .append(" to ")
          .append(km_esatti(metro_di(f)))
          .append("</title></path>");
    }
    return s + "</g>\n";
  }

  std::string fine_percorso() const {
    if (!l_ || *l_ < 0 || !dentro(static_cast<double>(*l_))) return "";
    const double xx = x(static_cast<double>(*l_));
    return "<path id=\"route-end\" class=\"re\" d=\"M" + num(xx) + " " + num(y_stazioni_) + "V" +
           num(y_fondo_) + "\"><title>end of route, " + km_esatti(static_cast<double>(*l_)) +
           "</title></path>\n";
  }

  std::string stazioni_() const {
    const std::vector<stazione_da_disegnare> v = stazioni(s_);
    std::vector<const stazione_da_disegnare*> visibili;
    for (const stazione_da_disegnare& st : v)
      if (st.metro >= 0 && dentro(static_cast<double>(st.metro))) visibili.push_back(&st);
    std::stable_sort(visibili.begin(), visibili.end(), [](auto a, auto b) { return a->metro < b->metro; });
    std::string segni, nomi, linee;
    std::vector<double> volute;
    for (const stazione_da_disegnare* st : visibili) {
      const double xx = x(static_cast<double>(st->metro));
      volute.push_back(xx);
      segni += "<path class=\"" + std::string(st->con_cella ? "st" : "lp") + "\" d=\"M" + num(xx) + " " +
               num(y_stazioni_) + "l-5 10h10z\"><title>" + svg::testo(st->nome) + ", " +
               km_esatti(static_cast<double>(st->metro)) + "</title></path>";
    }
    // Names stand upright, side by side; when there are more than the width
    // holds, a name that would cover the one before it is left out.
    // The width of an upright name is its line's height, 1.2 times the body.
    const double passo = 1.2 * 10 + 1;
    std::optional<std::vector<double>> posti = svg::disponi(volute, passo, x0 + 4, x1 - 4);
    double ultimo = -1e9;
    for (size_t i = 0; i < visibili.size(); ++i) {
      double xx = volute[i];
      if (posti) {
        xx = (*posti)[i];
      } else if (xx - ultimo < passo) {
        continue;
      }
      ultimo = xx;
      const double y = y_nomi_ - 2;
      nomi += "<text class=\"" + std::string(visibili[i]->con_cella ? "n" : "m") + "\" x=\"" + num(xx + 3.5) +
              "\" y=\"" + num(y) + "\" transform=\"rotate(-90 " + num(xx + 3.5) + " " + num(y) + ")\">" +
              svg::testo(visibili[i]->nome) + "</text>";
      if (std::abs(xx - volute[i]) > 0.5)
        linee.append("M")
            .append(num(volute[i]))
            .append(" ")
            .append(num(y_stazioni_))
            .append("L")
            .append(num(xx))
            .append(" ")
            .append(num(y_nomi_));
    }
    std::string s = "<g id=\"stations\">" + segni + nomi + "</g>\n";
    if (!linee.empty()) s.append("<path class=\"ld\" d=\"").append(linee).append("\"/>\n");
    return s;
  }

  // One short upright mark per object of kind `tipo`; marks on one spot of
  // the screen are one mark.
  std::string segni(int tipo, const char* id, const char* classe, double scarto) const {
    std::string d;
    std::set<long> visti;
    const double y = (tipo == tipo_cella::segnale ? y_segnali_ : y_codici_ + 12) + scarto;
    for (size_t n = 0; n < c_.size(); ++n) {
      if (c_[n].tipo != tipo || !dentro(metro_di(n))) continue;
      const double xx = x(metri_cella * static_cast<double>(n));
      if (!visti.insert(std::lround(xx * 2)).second) continue;
      d.append("M").append(num(xx)).append(" ").append(num(y)).append("v12");
    }
    return "<path id=\"" + std::string(id) + "\" class=\"" + classe + "\" d=\"" + d + "\"/>\n";
  }

  std::string codici() const {
    std::string s = segni(tipo_cella::punto_codice, "codes", "c", 0);
    s += segni(tipo_cella::punto_senza_codice, "codes-without-code", "cs", 0);
    std::string etichette;
    double ultimo = -1e9;
    for (size_t n = 0; n < c_.size(); ++n) {
      if (c_[n].tipo != tipo_cella::punto_codice || !dentro(metro_di(n))) continue;
      const double xx = x(metri_cella * static_cast<double>(n));
      const std::string codice = std::to_string(c_[n].dato1);
      const double w = svg::larghezza_testo(codice.size(), 9);
      // A code whose label would cover the previous one keeps its mark only.
      if (xx - w / 2 < ultimo + 2) continue;
      ultimo = xx + w / 2;
      etichette.append("<text x=\"")
          .append(num(xx))
          .append("\" y=\"")
          .append(num(y_codici_ + 9))
          .append("\">")
          .append(codice)
          .append("</text>");
    }
    return s + "<g id=\"code-labels\" class=\"cc\" text-anchor=\"middle\">" + etichette + "</g>\n";
  }

  std::string rallentamenti() const {
    std::string s = "<g id=\"slowdowns\">";
    std::string etichette;
    const double y = y_rallentamenti_ + 12;
    double ultimo = -1e9;
    for (size_t n = 0; n < c_.size(); ++n) {
      const cella& c = c_[n];
      if (c.tipo != tipo_cella::tabella_avviso && c.tipo != tipo_cella::inizio_rallentamento &&
          c.tipo != tipo_cella::fine_rallentamento)
        continue;
      if (!dentro(metro_di(n))) continue;
      const double metro = metri_cella * static_cast<double>(n);
      const double xx = x(metro);
      const std::string v = std::to_string(c.dato1);
      std::string cosa;
      if (c.tipo == tipo_cella::tabella_avviso) {
        cosa = "slowdown warning board";
        s.append("<path class=\"rb\" d=\"M")
            .append(num(xx - 6))
            .append(" ")
            .append(num(y))
            .append("h12l-6 10z\">");
      } else if (c.tipo == tipo_cella::inizio_rallentamento) {
        cosa = "slowdown start";
        // The slowdown runs to the next end.
        const size_t f = fine_rallentamento(c_, n);
        if (f < c_.size())
          s += "<path class=\"rr\" d=\"M" + num(xx) + " " + num(y + 6) + "H" +
               num(x(std::min(a_, metro_di(f)))) + "\"/>";
        s += "<path class=\"ri\" d=\"M" + num(xx) + " " + num(y) + "v12M" + num(xx) + " " + num(y) +
             "l9 3l-9 3z\">";
      } else {
        cosa = "slowdown end";
        s += "<path class=\"rf\" d=\"M" + num(xx) + " " + num(y) + "v12M" + num(xx) + " " + num(y) +
             "l-9 3l9 3z\">";
      }
      s.append("<title>")
          .append(cosa)
          .append(", v ")
          .append(v)
          .append(", ")
          .append(km_esatti(metro))
          .append("</title></path>");
      if (c.tipo == tipo_cella::fine_rallentamento) continue;
      const double w = svg::larghezza_testo(v.size(), 9);
      if (xx - w / 2 < ultimo + 2) continue;
      ultimo = xx + w / 2;
      etichette.append("<text x=\"")
          .append(num(xx))
          .append("\" y=\"")
          .append(num(y - 3))
          .append("\">")
          .append(v)
          .append("</text>");
    }
    s += "</g>\n";
    return s + "<g id=\"slowdown-labels\" class=\"rv\" text-anchor=\"middle\">" + etichette + "</g>\n";
  }

  // A pair holds 20 s + d / 5. Indicator speeds are multiples of 5 km/h, so
  // 20 s is a multiple of 100 and d / 5 the rest, for any d below 500 km/h.
  static std::pair<int, int> coppia(int16_t v) {
    const int s = 5 * static_cast<int>(std::floor(v / 100.0));
    return {s, 5 * (v - 20 * s)};
  }

  std::string indicatori() const {
    std::string s = "<g id=\"indicators\">";
    std::string etichette;
    // Two lines of labels: a label takes the first that is clear of the one
    // before it there, or is left out; its mark and title stay.
    double ultimo[2] = {-1e9, -1e9};
    for (size_t n = 0; n < c_.size(); ++n) {
      const cella& c = c_[n];
      if (c.tipo != tipo_cella::indicatore_velocita || !dentro(metro_di(n))) continue;
      const double xx = x(metro_di(n));
      std::string vs, vd;
      bool uguali = true;
      for (int16_t d : {c.dato1, c.dato2, c.dato3}) {
        const auto [a, b] = coppia(d);
        vs.append(vs.empty() ? "" : " ").append(std::to_string(a));
        vd.append(vd.empty() ? "" : " ").append(std::to_string(b));
        uguali = uguali && a == b;
      }
      const std::string testo = uguali ? vs : vs + " / " + vd;
      s.append("<path class=\"iv\" d=\"M")
          .append(num(xx))
          .append(" ")
          .append(num(y_indicatori_ + 20))
          .append("v12M")
          .append(num(xx - 4))
          .append(" ")
          .append(num(y_indicatori_ + 20))
          .append("h8\"><title>speed indicator ")
          .append(testo)
          .append(" km/h, stripes ")
          .append(std::to_string(c.dato4 / 10))
          .append(" and ")
          .append(std::to_string(c.dato4 % 10))
          .append(", ")
          .append(km_esatti(metro_di(n)))
          .append("</title></path>");
      const double w = svg::larghezza_testo(testo.size(), 9);
      for (int r = 0; r < 2; ++r) {
        if (xx - w / 2 < ultimo[r] + 2) continue;
        ultimo[r] = xx + w / 2;
        etichette.append("<text x=\"")
            .append(num(xx))
            .append("\" y=\"")
            .append(num(y_indicatori_ + 8 + 9 * r))
            .append("\">")
            .append(testo)
            .append("</text>");
        break;
      }
    }
    s += "</g>\n";
    return s + "<g id=\"indicator-labels\" class=\"iw\" text-anchor=\"middle\">" + etichette + "</g>\n";
  }

  // The text of a sign is too long to write along the route: it shows on
  // hover.
  std::string cartelli() const {
    std::string s = "<g id=\"signs\">";
    for (size_t n = 0; n < c_.size(); ++n) {
      const cella& c = c_[n];
      if (c.tipo != tipo_cella::cartello || !dentro(metro_di(n))) continue;
      const double xx = x(metro_di(n));
      std::string testo = std::string("row ").append(std::to_string(c.dato1));
      if (s_.righe && c.dato1 >= 0 && c.dato1 < righe_tabella)
        testo = svg::testo((*s_.righe)[static_cast<size_t>(c.dato1)].nome);
      s.append("<path class=\"cr\" d=\"M")
          .append(num(xx))
          .append(" ")
          .append(num(y_cartelli_ + 1))
          .append("l4 6l-4 6l-4 -6z\"><title>sign ")
          .append(testo)
          .append(", ")
          .append(km_esatti(metro_di(n)))
          .append("</title></path>");
    }
    return s + "</g>\n";
  }

  // A band about a centre line: curves to the right above it, to the left
  // below, as tall as their curvature against the sharpest.
  std::string disegna_curve() const {
    if (!s_.piano) return "";
    const double centro = y_curve_ + 22;
    double k_max = 0;
    for (const curva& c : curve_) k_max = std::max(k_max, 1.0 / static_cast<double>(std::llabs(c.raggio)));
    std::string s = "<path class=\"z\" d=\"M";
    s.append(num(x0)).append(" ").append(num(centro)).append("H").append(num(x1)).append("\"/>\n");
    s += "<g id=\"curves\">";
    for (const curva& c : curve_) {
      const double a = std::max(da_, static_cast<double>(c.da));
      const double b = std::min(a_, static_cast<double>(c.a));
      if (b <= a) continue;
      const bool destra = c.raggio > 0;
      const double alto = std::max(2.0, 18 / static_cast<double>(std::llabs(c.raggio)) / k_max);
      s.append("<rect class=\"")
          .append(destra ? "cd" : "cl")
          .append("\" x=\"")
          .append(num(x(a)))
          .append("\" y=\"")
          .append(num(destra ? centro - alto : centro))
          .append("\" width=\"")
          .append(num(std::max(0.5, x(b) - x(a))))
          .append("\" height=\"")
          .append(num(alto))
          .append("\"><title>curve ")
          .append(destra ? "right" : "left")
          .append(", radius ")
          .append(std::to_string(std::llabs(c.raggio)))
          .append(" m, ")
          .append(km_esatti(static_cast<double>(c.da)))
          .append(" to ")
          .append(km_esatti(static_cast<double>(c.a)))
          .append("</title></rect>");
    }
    return s + "</g>\n";
  }

  const scenario_letto& s_;
  const std::vector<cella>& c_;
  const double metri_;
  const std::optional<int64_t> l_;
  const std::vector<curva> curve_;
  size_t disegnate_ = 0;
  std::vector<pannello> pannelli_;
  double da_ = 0, a_ = 0;
  double y_indicatori_ = 0, y_cartelli_ = 0, y_curve_ = 0;
  double y_nomi_ = 0, y_stazioni_ = 0, y_segnali_ = 0, y_codici_ = 0, y_rallentamenti_ = 0, y_fondo_ = 0;
  double altezza_ = 0;
};

}  // namespace

// The heading change between consecutive steps of the plan is its curvature
// per metre.
std::vector<curva> curve(const scenario_letto& s) {
  std::vector<curva> v;
  if (!s.piano) return v;
  const tracciato_t& t = *s.piano;
  auto pieno = [&](int32_t m) {
    return t.at(m, 0).specie != specie_elemento::vuoto && t.at(m, 1).specie != specie_elemento::vuoto;
  };
  double prima = 0;
  bool c_e_prima = false;
  for (int32_t m = 1; m <= t.ultimo_metro(); ++m) {
    if (!pieno(m) || !pieno(m - 1)) {
      c_e_prima = false;
      continue;
    }
    const double ora =
        rotta(t.at(m, 0).valore - t.at(m - 1, 0).valore, t.at(m, 1).valore - t.at(m - 1, 1).valore);
    if (c_e_prima) {
      const double k = svolta(prima, ora);
      const int64_t r = std::fabs(k) < curvatura_minima ? 0 : static_cast<int64_t>(std::llround(1 / k));
      if (r != 0 && !v.empty() && v.back().a == m - 1 && v.back().raggio == r)
        v.back().a = m;
      else if (r != 0)
        v.push_back({m - 1, m, r});
    }
    prima = ora;
    c_e_prima = true;
  }
  return v;
}

std::string disegna_profilo(const scenario_letto& s) { return disegno_profilo(s).disegna(); }

}  // namespace autori
