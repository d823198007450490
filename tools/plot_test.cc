// autori plot driven as a user drives it: scenario files in, one SVG picture
// out, read back for what it shows and where.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <regex>
#include <set>
#include <tuple>

#include "aiuti_prova.h"
#include "output/scrittori.h"

namespace {

namespace fs = std::filesystem;
using prova::autori;

// Descriptions in the layout the compilers read: a line of L metres whose
// records follow a gradient of 0 at 0; a train with these records.
std::string linea(int lunghezza, const std::vector<std::string>& record) {
  std::vector<std::string> r = {"linea di prova", "[generale]",
                                "lunghezza percorso, " + std::to_string(lunghezza), "[pendenze]",
                                "pendenza, 0, 0"};
  r.insert(r.end(), record.begin(), record.end());
  r.push_back("[fine]");
  r.push_back("                ");
  return prova::righe_crlf(r);
}

std::string treno(const std::vector<std::string>& record) {
  std::vector<std::string> r = {"treno di prova", "[generale]"};
  r.insert(r.end(), record.begin(), record.end());
  r.push_back("     [fine]");
  return prova::righe_crlf(r);
}

// The three files of one clean build, in a folder of their own.
struct scenario {
  prova::cartella dir;
  scenario(const std::string& l, const std::string& t) {
    prova::scrivi(dir / "linea.txt", l);
    prova::scrivi(dir / "treno.txt", t);
    const prova::uscita u = autori({"compile", (dir / "linea.txt").string(), (dir / "treno.txt").string(),
                                    "--out", (dir / "out").string()});
    EXPECT_EQ(u.stato, 0) << u.err;
  }
  std::string piano() const { return (dir / "out" / "Valmora2_linea.dat").string(); }
  std::string tabella() const { return (dir / "out" / "Valmora2_1552.sim").string(); }
  std::string celle() const { return (dir / "out" / "Valmora2_1552.dat").string(); }
};

// A picture drawn into a folder of its own, so that nothing else lands there.
struct disegno {
  prova::cartella dir;
  fs::path file = dir / "picture.svg";
  prova::uscita u;
  std::string svg;
  explicit disegno(std::vector<std::string> argomenti) {
    argomenti.push_back("-o");
    argomenti.push_back(file.string());
    u = autori(argomenti);
    EXPECT_EQ(u.stato, 0) << u.err;
    EXPECT_EQ(u.out, "");
    EXPECT_EQ(u.err, "");
    svg = prova::leggi(file);
  }
};

// --- Reading the picture back -------------------------------------------

// The opening tag of the element with this id.
std::string tag(const std::string& svg, const std::string& id) {
  const size_t i = svg.find(" id=\"" + id + "\"");
  if (i == std::string::npos) {
    ADD_FAILURE() << "no element with id " << id;
    return "";
  }
  const size_t a = svg.rfind('<', i);
  return svg.substr(a, svg.find('>', i) - a + 1);
}

std::string attributo(const std::string& tag, const std::string& nome) {
  const size_t i = tag.find(" " + nome + "=\"");
  if (i == std::string::npos) {
    ADD_FAILURE() << "no " << nome << " in " << tag;
    return "";
  }
  const size_t a = i + nome.size() + 3;
  return tag.substr(a, tag.find('"', a) - a);
}

double numero(const std::string& tag, const std::string& nome) { return std::stod(attributo(tag, nome)); }

// What a group with this id holds; a group of the picture ends its line.
std::string gruppo(const std::string& svg, const std::string& id) {
  const std::string t = tag(svg, id);
  const size_t a = svg.find(t) + t.size();
  return svg.substr(a, svg.find("</g>\n", a) - a);
}

struct testo {
  double x, y;
  std::string contenuto;
};

std::vector<testo> testi(const std::string& frammento) {
  std::vector<testo> v;
  static const std::regex r("<text([^>]*)>([^<]*)</text>");
  for (std::sregex_iterator i(frammento.begin(), frammento.end(), r), fine; i != fine; ++i)
    v.push_back({numero((*i)[1].str(), "x"), numero((*i)[1].str(), "y"), (*i)[2].str()});
  return v;
}

struct punto {
  double x, y;
};

// The points a path goes through, for M, L, H, V and their relative forms.
std::vector<punto> vertici(const std::string& d) {
  std::vector<punto> v;
  punto p{0, 0};
  char comando = 'M';
  const char* c = d.c_str();
  auto prossimo = [&]() {
    char* f;
    const double n = std::strtod(c, &f);
    c = f;
    return n;
  };
  while (*c) {
    if (std::isalpha(static_cast<unsigned char>(*c))) {
      comando = *c++;
      if (comando == 'z' || comando == 'Z') continue;
    }
    while (*c == ' ') ++c;
    if (!*c || std::isalpha(static_cast<unsigned char>(*c))) continue;
    switch (comando) {
      case 'M':
      case 'L':
        p.x = prossimo();
        p.y = prossimo();
        break;
      case 'l':
        p.x += prossimo();
        p.y += prossimo();
        break;
      case 'H':
        p.x = prossimo();
        break;
      case 'h':
        p.x += prossimo();
        break;
      case 'V':
        p.y = prossimo();
        break;
      case 'v':
        p.y += prossimo();
        break;
      default:
        ADD_FAILURE() << "command " << comando << " in " << d;
        return v;
    }
    v.push_back(p);
    if (comando == 'M') comando = 'L';
  }
  return v;
}

size_t quanti(const std::string& s, const std::string& cosa) {
  size_t n = 0;
  for (size_t i = s.find(cosa); i != std::string::npos; i = s.find(cosa, i + 1)) ++n;
  return n;
}

// A linear axis read from its labels: pixel = a + b * value.
struct asse {
  double a = 0, b = 1;
  double px(double v) const { return a + b * v; }
  double valore(double px) const { return (px - a) / b; }
};

asse asse_di(const std::vector<testo>& etichette, bool orizzontale) {
  EXPECT_GE(etichette.size(), 2u);
  if (etichette.size() < 2) return {};
  const testo& p = etichette.front();
  const testo& u = etichette.back();
  const double v0 = std::stod(p.contenuto), v1 = std::stod(u.contenuto);
  const double q0 = orizzontale ? p.x : p.y, q1 = orizzontale ? u.x : u.y;
  const double b = (q1 - q0) / (v1 - v0);
  return {q0 - b * v0, b};
}

// A picture that a browser shows with nothing to fetch and nothing to run.
void autonomo(const std::string& svg) {
  EXPECT_EQ(
      svg.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"", 0),
      0u);
  for (const char* vietato :
       {"<script", "<image", "<foreignObject", "href", "@import", "@font-face", "url(", "<iframe", "onload"})
    EXPECT_EQ(svg.find(vietato), std::string::npos) << vietato;
  EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
}

// --- The plan ----------------------------------------------------------------

struct caso_curva {
  const char* nome;
  const char* record;
  double verso;  // +1 to the right (larger x), -1 to the left
};

void PrintTo(const caso_curva& c, std::ostream* os) { *os << c.nome; }

class CurvaNelPiano : public ::testing::TestWithParam<caso_curva> {};

TEST_P(CurvaNelPiano, TheRouteTurnsToItsSide) {
  const caso_curva& k = GetParam();
  const scenario s(linea(10000, {std::string(k.record) + ", 500, 300"}), treno({}));
  const disegno d({"plot", "plan", s.piano()});
  const std::string inizio = tag(d.svg, "start");
  const std::string fine = tag(d.svg, "end");
  const double dx = numero(fine, "cx") - numero(inizio, "cx");
  const double su = numero(inizio, "cy") - numero(fine, "cy");
  // k = 0.001 over 300 m turns the heading by 0.3 rad: the arc ends
  // (1 - cos 0.3) / k = 44.7 m aside and sin 0.3 / k = 295.5 m on, after 500 m
  // straight; 9200 m straight at 0.3 rad follow. So the end lies at about
  // (2763, 9585) m from the start, on a bearing of atan(2763 / 9585) = 0.2807
  // rad from the initial direction, drawn upwards.
  EXPECT_GT(su, 0);
  EXPECT_GT(dx * k.verso, 0);
  EXPECT_NEAR(std::atan2(dx, su), 0.2807 * k.verso, 0.002);
  // The route runs from one mark to the other.
  const std::vector<punto> via = vertici(attributo(tag(d.svg, "route"), "d"));
  ASSERT_GE(via.size(), 3u);
  EXPECT_NEAR(via.front().x, numero(inizio, "cx"), 0.11);
  EXPECT_NEAR(via.front().y, numero(inizio, "cy"), 0.11);
  EXPECT_NEAR(via.back().x, numero(fine, "cx"), 0.11);
  EXPECT_NEAR(via.back().y, numero(fine, "cy"), 0.11);
  autonomo(d.svg);
}

INSTANTIATE_TEST_SUITE_P(Piano, CurvaNelPiano,
                         ::testing::Values(caso_curva{"curvad4_right", "curvad4", 1},
                                           caso_curva{"curvas4_left", "curvas4", -1}),
                         [](const auto& info) { return std::string(info.param.nome); });

const std::string stazione_monterosso =
    "stazione, 4500, 2, 600, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 14, 0, 0, MONTEROSSO";
// Kind 26: a row of the table, no cell.
const std::string posto_prova = "stazione, 8000, 26, 400, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, P.C. PROVA";
const std::string segnale_1100 = "segnale, 1100, 2, 4, 1, 0, 0, 2, 2, 0, 0, 0";

TEST(Piano, AStraightRouteWithItsStationsSignalAndTicks) {
  // 25 km straight along +y: the plan is x = 0, y = m for every metre.
  const scenario s(linea(25000, {}), treno({stazione_monterosso, posto_prova, segnale_1100}));
  const disegno d({"plot", "plan", s.piano(), "--cells", s.celle(), "--table", s.tabella()});
  const double x0 = numero(tag(d.svg, "start"), "cx");
  const double y0 = numero(tag(d.svg, "start"), "cy");
  const double y1 = numero(tag(d.svg, "end"), "cy");
  EXPECT_EQ(numero(tag(d.svg, "end"), "cx"), x0);
  EXPECT_LT(y1, y0 - 200);
  // A metre m lies at y0 + (y1 - y0) m / 25000.
  auto y_di = [&](double m) { return y0 + (y1 - y0) * m / 25000; };
  EXPECT_NE(d.svg.find("<title>end, 25.000 km</title>"), std::string::npos);

  // Both stations at their positions from the table, named.
  const std::string stazioni = gruppo(d.svg, "stations");
  static const std::regex cerchio(
      "<circle class=\"(\\w+)\" cx=\"([^\"]+)\" cy=\"([^\"]+)\"[^>]*><title>([^<]*)</title>");
  std::vector<std::smatch> trovate(std::sregex_iterator(stazioni.begin(), stazioni.end(), cerchio),
                                   std::sregex_iterator());
  ASSERT_EQ(trovate.size(), 2u) << stazioni;
  EXPECT_EQ(trovate[0][1], "st");
  EXPECT_EQ(trovate[0][4], "MONTEROSSO, 4.500 km");
  EXPECT_NEAR(std::stod(trovate[0][2]), x0, 0.05);
  EXPECT_NEAR(std::stod(trovate[0][3]), y_di(4500), 0.11);
  EXPECT_EQ(trovate[1][1], "lp");
  EXPECT_EQ(trovate[1][4], "P.C. PROVA, 8.000 km");
  EXPECT_NEAR(std::stod(trovate[1][3]), y_di(8000), 0.11);
  std::vector<std::string> nomi;
  for (const testo& t : testi(gruppo(d.svg, "labels"))) nomi.push_back(t.contenuto);
  for (const char* atteso : {"start", "end", "MONTEROSSO", "P.C. PROVA", "10 km", "20 km"})
    EXPECT_NE(std::find(nomi.begin(), nomi.end(), atteso), nomi.end()) << atteso;

  // The signal at 1100 m is in cell round(1100/50 + 1) = 23, at metre 1150:
  // a mark to the right of the route, which heads up the picture.
  const std::vector<punto> segnali = vertici(attributo(tag(d.svg, "signals"), "d"));
  ASSERT_EQ(segnali.size(), 2u);
  EXPECT_NEAR(segnali[0].y, y_di(1150), 0.11);
  EXPECT_GT(segnali[0].x, x0);
  EXPECT_GT(segnali[1].x, segnali[0].x);

  // Ticks across the route at 10 and 20 km, none at the end.
  const std::vector<punto> tacche = vertici(attributo(tag(d.svg, "km-ticks"), "d"));
  ASSERT_EQ(tacche.size(), 4u);
  EXPECT_NEAR(tacche[0].y, y_di(10000), 0.11);
  EXPECT_NEAR(tacche[2].y, y_di(20000), 0.11);
  EXPECT_LT(tacche[0].x, x0);
  EXPECT_GT(tacche[1].x, x0);

  // The plan runs on to metre 31998 beyond the end, dashed.
  const std::vector<punto> oltre = vertici(attributo(tag(d.svg, "run-out"), "d"));
  ASSERT_EQ(oltre.size(), 2u);
  EXPECT_NEAR(oltre.front().y, y1, 0.11);
  EXPECT_NEAR(oltre.back().y, y_di(31998), 0.11);

  // The axes read in km from the start at (0, 0).
  const asse ax = asse_di(testi(gruppo(d.svg, "x-axis")), true);
  const asse ay = asse_di(testi(gruppo(d.svg, "y-axis")), false);
  EXPECT_NEAR(ax.valore(x0), 0, 0.01);
  EXPECT_NEAR(ay.valore(y0), 0, 0.01);
  EXPECT_NEAR(ay.valore(y1), 25, 0.01);
  autonomo(d.svg);
}

// Kinds 1 and 1: dato4 = 0 x 10 + 1 x 3 + 1 = 4.
const std::string segnale_3400 = "segnale, 3400, 1, 4, 1, 0, 0, 1, 3,1,0, 0";

TEST(Piano, TunnelSignAndSignalKindsAlongTheRoute) {
  const scenario s(linea(10000, {"montagna, 2000, 3000, 1", "cartello indicatore, 6050, PONTE PROVA"}),
                   treno({segnale_1100, segnale_3400}));
  const disegno d({"plot", "plan", s.piano(), "--cells", s.celle(), "--table", s.tabella()});
  // Straight along +y: metre m at y0 + (y1 - y0) m / 10000.
  const double y0 = numero(tag(d.svg, "start"), "cy");
  const double y1 = numero(tag(d.svg, "end"), "cy");
  auto y_di = [&](double m) { return y0 + (y1 - y0) * m / 10000; };

  // Cells round(2000/50) = 40 to round(3000/50 - 1) = 59: metres 2000 to 3000.
  const std::string gallerie = gruppo(d.svg, "tunnels");
  EXPECT_EQ(quanti(gallerie, "<path "), 1u) << gallerie;
  EXPECT_NE(gallerie.find("<title>tunnel, type 1, 2.000 km to 3.000 km</title>"), std::string::npos);
  const std::vector<punto> galleria = vertici(attributo(gallerie, "d"));
  ASSERT_GE(galleria.size(), 2u);
  EXPECT_NEAR(galleria.front().y, y_di(2000), 0.11);
  EXPECT_NEAR(galleria.back().y, y_di(3000), 0.11);

  // The sign in cell round(6050/50 + 1) = 122, at 6100 m: a diamond whose
  // top is 4 px above that metre.
  const std::string cartelli = gruppo(d.svg, "signs");
  EXPECT_NE(cartelli.find("<title>sign PONTE PROVA, 6.100 km</title>"), std::string::npos) << cartelli;
  EXPECT_NEAR(vertici(attributo(cartelli, "d"))[0].y + 4, y_di(6100), 0.11);

  // The signal of 1100 m (cell 23, 1150 m) has kinds 2 and 2, dato4 8; the
  // one of 3400 m (cell round(3400/50 + 1) = 69, 3450 m) kinds 1 and 1.
  const std::string teste = gruppo(d.svg, "signal-kinds");
  static const std::regex testa("<(circle|rect) class=\"(k\\d)\"[^>]*><title>([^<]*)</title>");
  std::vector<std::smatch> t(std::sregex_iterator(teste.begin(), teste.end(), testa), std::sregex_iterator());
  ASSERT_EQ(t.size(), 2u) << teste;
  EXPECT_EQ(t[0][2], "k2");
  EXPECT_EQ(t[0][3], "signal, kind 2/2 (sx 2, dx 2), 1.150 km");
  EXPECT_NEAR(numero(t[0].str(), "cy"), y_di(1150), 0.11);
  EXPECT_EQ(t[1][2], "k1");
  EXPECT_EQ(t[1][3], "signal, kind 1/1 (sx 1, dx 1), 3.450 km");
  // A square of 4 px centred on its point.
  EXPECT_NEAR(numero(t[1].str(), "y") + 2, y_di(3450), 0.11);
}

TEST(Piano, AStretchDrawsOnlyWhatLiesInIt) {
  const scenario s(linea(10000, {"montagna, 2000, 3000, 1", "cartello indicatore, 6050, PONTE PROVA"}),
                   treno({stazione_monterosso, posto_prova, segnale_1100, segnale_3400}));
  const disegno d(
      {"plot", "plan", s.piano(), "--cells", s.celle(), "--table", s.tabella(), "--from", "5", "--to", "9"});
  EXPECT_NE(d.svg.find("<title>from, 5.000 km</title>"), std::string::npos);
  EXPECT_NE(d.svg.find("<title>to, 9.000 km</title>"), std::string::npos);
  // Inside 5 to 9 km: the listed point (8) and the sign (6.1); outside: the
  // station (4.5), the signals (1.15, 3.45), the tunnel (2 to 3), the 10 km tick.
  const std::string stazioni = gruppo(d.svg, "stations");
  EXPECT_EQ(quanti(stazioni, "<title>"), 1u) << stazioni;
  EXPECT_NE(stazioni.find("<title>P.C. PROVA, 8.000 km</title>"), std::string::npos);
  EXPECT_EQ(quanti(gruppo(d.svg, "signs"), "<title>"), 1u);
  EXPECT_EQ(attributo(tag(d.svg, "signals"), "d"), "");
  EXPECT_EQ(quanti(gruppo(d.svg, "tunnels"), "<path"), 0u);
  EXPECT_EQ(attributo(tag(d.svg, "km-ticks"), "d"), "");
  // The route runs from one mark to the other, 4000 m apart, and the y axis
  // reads 5 and 9 km at them.
  const std::vector<punto> via = vertici(attributo(tag(d.svg, "route"), "d"));
  ASSERT_GE(via.size(), 2u);
  EXPECT_NEAR(via.front().y, numero(tag(d.svg, "start"), "cy"), 0.11);
  EXPECT_NEAR(via.back().y, numero(tag(d.svg, "end"), "cy"), 0.11);
  const asse ay = asse_di(testi(gruppo(d.svg, "y-axis")), false);
  EXPECT_NEAR(ay.valore(via.front().y), 5, 0.01);
  EXPECT_NEAR(ay.valore(via.back().y), 9, 0.01);
  EXPECT_EQ(d.svg.find(" id=\"run-out\""), std::string::npos);
  // The frame fills the picture, less the legend's 200 px on its right,
  // however narrow the stretch: the title sets the picture's width.
  const size_t f = d.svg.find("<rect class=\"f\"");
  ASSERT_NE(f, std::string::npos);
  const std::string cornice = d.svg.substr(f, d.svg.find('>', f) - f + 1);
  const size_t a = d.svg.find("<svg ");
  const std::string apertura = d.svg.substr(a, d.svg.find('>', a) - a + 1);
  EXPECT_NEAR(numero(cornice, "x") + numero(cornice, "width") + 200, numero(apertura, "width"), 1.0)
      << cornice;
  // The legend names what the stretch holds, and nothing else.
  const std::string legenda = gruppo(d.svg, "legend");
  for (const char* voce : {">route</text>", ">start</text>", ">end</text>", ">listed point</text>",
                           ">sign (text on hover)</text>"})
    EXPECT_NE(legenda.find(voce), std::string::npos) << voce;
  for (const char* voce :
       {">station</text>", ">signal</text>", ">signal kind 1 (sx)</text>", ">signal kind 2 (sx)</text>",
        ">tunnel</text>", ">every 10 km</text>", ">beyond the end</text>"})
    EXPECT_EQ(legenda.find(voce), std::string::npos) << voce;
  // The whole route holds them all: the station at 4.5 km, both kinds of
  // signal, the tunnel, the 10 km tick and the plan beyond the route's end.
  const std::string tutta = gruppo(
      disegno({"plot", "plan", s.piano(), "--cells", s.celle(), "--table", s.tabella()}).svg, "legend");
  for (const char* voce : {">station</text>", ">listed point</text>", ">signal</text>",
                           ">signal kind 1 (sx)</text>", ">signal kind 2 (sx)</text>", ">tunnel</text>",
                           ">every 10 km</text>", ">beyond the end</text>", ">sign (text on hover)</text>"})
    EXPECT_NE(tutta.find(voce), std::string::npos) << voce;
}

// Curves with their side and radius, slowdowns, code points and speed
// indicators, each at its metre and with its values on hover.
TEST(Piano, CurvesSlowdownsCodePointsAndIndicators) {
  const scenario s(linea(10000, {"curvad4, 2000, 400", "curvas2, 6000, 500",
                                 "indicatori_vmax, 1050, 85, 90, 95, 0, 85, 90, 95, 0"}),
                   treno({"rallentamento, 5000, 60, 400, 0, 0, 0", "abbattimento codice, 7250, 270"}));
  const disegno d({"plot", "plan", s.piano(), "--cells", s.celle(), "--table", s.tabella()});
  // Class 4 has a radius of 1000 m, class 2 of 5000 m.
  const std::string curve = gruppo(d.svg, "curves");
  EXPECT_NE(curve.find("<title>curve to the right, class 4, radius 1000 m, 2.000 km to 2.400 km</title>"),
            std::string::npos)
      << curve;
  EXPECT_NE(curve.find("<title>curve to the left, class 2, radius 5000 m, 6.000 km to 6.500 km</title>"),
            std::string::npos)
      << curve;
  // Board 5000 - 1200 = 3800 m, start 5000 m, end 5400 m (cells 77, 101 and
  // 109 stand for 50 (k - 1) m); the code cut's cell 145 for 7250 m.
  const std::string rallentamenti = gruppo(d.svg, "slowdowns");
  for (const char* t :
       {"<title>slowdown warning board, 60 km/h, 3.800 km</title>",
        "<title>slowdown start, 60 km/h, 5.000 km</title>", "<title>slowdown end, 60 km/h, 5.400 km</title>"})
    EXPECT_NE(rallentamenti.find(t), std::string::npos) << t << rallentamenti;
  EXPECT_NE(gruppo(d.svg, "code-points").find("<title>code point, code 270, 7.250 km</title>"),
            std::string::npos);
  EXPECT_NE(gruppo(d.svg, "indicators")
                .find("<title>speed indicator, left 85 90 95 km/h, right 85 90 95 km/h, 1.050 km</title>"),
            std::string::npos);
  const std::string legenda = gruppo(d.svg, "legend");
  for (const char* voce :
       {">curve to the right (radius on hover)</text>", ">curve to the left (radius on hover)</text>",
        ">slowdown board, start or end</text>", ">code point</text>", ">speed indicator</text>"})
    EXPECT_NE(legenda.find(voce), std::string::npos) << voce;
  // From 7 to 9 km only the cut is left of them.
  const disegno tratto(
      {"plot", "plan", s.piano(), "--cells", s.celle(), "--table", s.tabella(), "--from", "7", "--to", "9"});
  EXPECT_EQ(quanti(gruppo(tratto.svg, "curves"), "<path"), 0u);
  EXPECT_EQ(quanti(gruppo(tratto.svg, "slowdowns"), "<rect"), 0u);
  EXPECT_EQ(quanti(gruppo(tratto.svg, "code-points"), "<circle"), 1u);
  EXPECT_EQ(gruppo(tratto.svg, "legend").find(">speed indicator</text>"), std::string::npos);
}

TEST(Piano, OnlyThePlanNeedsNoOtherFile) {
  const scenario s(linea(10000, {}), treno({stazione_monterosso, segnale_1100}));
  const disegno d({"plot", "plan", s.piano()});
  // Without the table the route ends 7000 m before the plan does.
  EXPECT_NE(d.svg.find("<title>end, 10.000 km</title>"), std::string::npos);
  EXPECT_EQ(d.svg.find(" id=\"stations\""), std::string::npos);
  EXPECT_EQ(d.svg.find(" id=\"signals\""), std::string::npos);
}

// --- The profile ---------------------------------------------------------

// One of each: a tunnel from 2000 to 3000 m, gradients 0, 8 and -5 per mille
// from 0, 3000 and 6000 m; speeds 100 and 160 km/h from 0 and 4000 m;
// adhesion 80 and 100 from 0 and 5000 m; a station, a listed point, a
// signal, a code cut, a slowdown, a speed indicator and a sign.
const std::string indicatore_1050 = "indicatori_vmax, 1050, 85, 90, 95, 0, 85, 90, 95, 0";

class Profilo : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_ = new scenario(
        linea(10000, {"pendenza, 3000, 8", "pendenza, 6000, -5", "montagna, 2000, 3000, 1", indicatore_1050,
                      "cartello indicatore, 6050, PONTE PROVA"}),
        treno({"aderenza, 0, 80", "aderenza, 5000, 100", "velocita, 0, 100", "velocita, 4000, 160",
               "rallentamento, 5000, 60, 400, 0, 1, 0", stazione_monterosso, posto_prova, segnale_1100,
               "abbattimento codice, 7250, 270"}));
  }
  static void TearDownTestSuite() {
    delete s_;
    s_ = nullptr;
  }
  static inline scenario* s_ = nullptr;
};

// The step line of a panel in its own units, against km.
std::vector<punto> linea_a_gradini(const std::string& svg, const std::string& id) {
  const asse x = asse_di(testi(gruppo(svg, "km-axis")), true);
  const asse y = asse_di(testi(gruppo(svg, id + "-axis")), false);
  std::vector<punto> v;
  for (const punto& p : vertici(attributo(tag(svg, id), "d"))) v.push_back({x.valore(p.x), y.valore(p.y)});
  return v;
}

void come_attesa(const std::vector<punto>& linea, const std::vector<punto>& attesa, const char* cosa) {
  ASSERT_EQ(linea.size(), attesa.size()) << cosa;
  for (size_t i = 0; i < linea.size(); ++i) {
    EXPECT_NEAR(linea[i].x, attesa[i].x, 0.005) << cosa << " point " << i;
    EXPECT_NEAR(linea[i].y, attesa[i].y, 0.05) << cosa << " point " << i;
  }
}

TEST_F(Profilo, StepLinesChangeWhereTheRecordsSayAndEndWithTheFilledCells) {
  const disegno d({"plot", "profile", s_->celle(), "--table", s_->tabella()});
  // The route ends at 10 km and nothing lies beyond it (the last object, the
  // listed point, is at 8 km): the lines end with the axis at 10 km, before
  // cell 338, the first the build leaves at 0.
  // Gradient: cells 0-59 0, 60-119 8, from 120 on -5.
  come_attesa(linea_a_gradini(d.svg, "gradient"), {{0, 0}, {3, 0}, {3, 8}, {6, 8}, {6, -5}, {10, -5}},
              "gradient");
  // Speed: cells 0-79 hold 20 (100 km/h), then 32 (160 km/h).
  come_attesa(linea_a_gradini(d.svg, "speed"), {{0, 100}, {4, 100}, {4, 160}, {10, 160}}, "speed");
  come_attesa(linea_a_gradini(d.svg, "adhesion"), {{0, 80}, {5, 80}, {5, 100}, {10, 100}}, "adhesion");
  autonomo(d.svg);
}

TEST_F(Profilo, TunnelStationsSignalCodeAndSlowdownWhereTheCellsPutThem) {
  const disegno d({"plot", "profile", s_->celle(), "--table", s_->tabella()});
  const asse x = asse_di(testi(gruppo(d.svg, "km-axis")), true);

  // Cells round(2000/50) = 40 to round(3000/50 - 1) = 59: 2000 to 3000 m.
  const std::string gallerie = gruppo(d.svg, "tunnels");
  ASSERT_EQ(quanti(gallerie, "<rect "), 1u) << gallerie;
  EXPECT_NE(gallerie.find("<title>tunnel, type 1, 2.000 km to 3.000 km</title>"), std::string::npos);
  const std::string banda = gallerie.substr(0, gallerie.find('>') + 1);
  EXPECT_NEAR(numero(banda, "x"), x.px(2), 0.11);
  EXPECT_NEAR(numero(banda, "width"), x.px(3) - x.px(2), 0.11);
  // Across the panels, down to the adhesion panel's foot.
  const double piede = asse_di(testi(gruppo(d.svg, "adhesion-axis")), false).px(0);
  EXPECT_NEAR(numero(banda, "y") + numero(banda, "height"), piede, 0.11);

  // Names upright; the marks at the positions the table gives.
  const std::string stazioni = gruppo(d.svg, "stations");
  EXPECT_NE(stazioni.find(">MONTEROSSO</text>"), std::string::npos);
  EXPECT_NE(stazioni.find(">P.C. PROVA</text>"), std::string::npos);
  static const std::regex segno("<path class=\"(\\w+)\" d=\"M([^ ]+) [^\"]*\"><title>([^<]*)</title>");
  std::vector<std::smatch> segni(std::sregex_iterator(stazioni.begin(), stazioni.end(), segno),
                                 std::sregex_iterator());
  ASSERT_EQ(segni.size(), 2u);
  EXPECT_EQ(segni[0][1], "st");
  EXPECT_EQ(segni[0][3], "MONTEROSSO, 4.500 km");
  EXPECT_NEAR(std::stod(segni[0][2]), x.px(4.5), 0.11);
  EXPECT_EQ(segni[1][1], "lp");
  EXPECT_NEAR(std::stod(segni[1][2]), x.px(8), 0.11);

  // The signal in cell 23 (1150 m); the code cut in cell round(7250/50) = 145.
  const std::vector<punto> segnali = vertici(attributo(tag(d.svg, "signals"), "d"));
  ASSERT_EQ(segnali.size(), 2u);
  EXPECT_NEAR(segnali[0].x, x.px(1.15), 0.11);
  bool codice = false;
  for (const testo& t : testi(gruppo(d.svg, "code-labels")))
    if (t.contenuto == "270") {
      codice = true;
      EXPECT_NEAR(t.x, x.px(7.25), 0.11);
    }
  EXPECT_TRUE(codice);

  // x = 5000, l = 400: board round(3800/50 + 1) = 77, start round(5000/50 + 1)
  // = 101, end round(5400/50 + 1) = 109.
  const std::string rallentamenti = gruppo(d.svg, "slowdowns");
  for (const char* t :
       {"<title>slowdown warning board, v 60, 3.850 km</title>",
        "<title>slowdown start, v 60, 5.050 km</title>", "<title>slowdown end, v 60, 5.450 km</title>"})
    EXPECT_NE(rallentamenti.find(t), std::string::npos) << t;

  // The route ends at 10 km, from row 84 of the table.
  EXPECT_NEAR(vertici(attributo(tag(d.svg, "route-end"), "d"))[0].x, x.px(10), 0.11);
  for (const char* voce :
       {">gradient (\u2030)</text>", ">line speed limit (km/h)</text>", ">adhesion</text>", ">tunnel</text>",
        ">station</text>", ">signal</text>", ">slowdown warning board</text>"})
    EXPECT_NE(gruppo(d.svg, "legend").find(voce), std::string::npos) << voce;
  EXPECT_NE(d.svg.find(">distance along the route (km)</text>"), std::string::npos);
}

// The km at the two sides of the first panel's frame.
std::pair<double, double> estremi_km(const std::string& svg) {
  const asse x = asse_di(testi(gruppo(svg, "km-axis")), true);
  const size_t i = svg.find("<rect class=\"f\"");
  EXPECT_NE(i, std::string::npos);
  const std::string r = svg.substr(i, svg.find('>', i) - i + 1);
  return {x.valore(numero(r, "x")), x.valore(numero(r, "x") + numero(r, "width"))};
}

TEST_F(Profilo, IndicatorSignAndSlowdownSpeedWhereTheCellsPutThem) {
  const disegno d({"plot", "profile", s_->celle(), "--table", s_->tabella()});
  const asse x = asse_di(testi(gruppo(d.svg, "km-axis")), true);
  // The indicator at 1050 m is in cell round(1050/50 + 1) = 22, at 1100 m;
  // each pair is 20 s + d / 5 = 20 x 85 + 17 = 1717 and reads back 85 / 85.
  const std::string indicatori = gruppo(d.svg, "indicators");
  EXPECT_EQ(quanti(indicatori, "<path "), 1u) << indicatori;
  EXPECT_NE(indicatori.find("<title>speed indicator 85 90 95 km/h, stripes 0 and 0, 1.100 km</title>"),
            std::string::npos)
      << indicatori;
  EXPECT_NEAR(vertici(attributo(indicatori, "d"))[0].x, x.px(1.1), 0.11);
  const std::vector<testo> etichette = testi(gruppo(d.svg, "indicator-labels"));
  ASSERT_EQ(etichette.size(), 1u);
  EXPECT_EQ(etichette[0].contenuto, "85 90 95");
  EXPECT_NEAR(etichette[0].x, x.px(1.1), 0.11);

  // The sign at 6050 m: cell round(6050/50 + 1) = 122, at 6100 m, naming row
  // 80, the first sign row, which holds its text.
  const std::string cartelli = gruppo(d.svg, "signs");
  EXPECT_EQ(quanti(cartelli, "<title>"), 1u) << cartelli;
  EXPECT_NE(cartelli.find("<title>sign PONTE PROVA, 6.100 km</title>"), std::string::npos) << cartelli;
  EXPECT_NEAR(vertici(attributo(cartelli, "d"))[0].x, x.px(6.1), 0.11);

  // The slowdown of 60 km/h from its start cell 101 (5050 m) to its end cell
  // 109 (5450 m), and a tick at its board, cell 77 (3850 m), on the speed axis.
  const asse v = asse_di(testi(gruppo(d.svg, "speed-axis")), false);
  const std::string rallentamenti = gruppo(d.svg, "slowdown-speeds");
  static const std::regex tratto("<path class=\"rl\" d=\"([^\"]+)\"><title>([^<]*)</title>");
  std::vector<std::smatch> t(std::sregex_iterator(rallentamenti.begin(), rallentamenti.end(), tratto),
                             std::sregex_iterator());
  ASSERT_EQ(t.size(), 2u) << rallentamenti;
  EXPECT_EQ(t[0][2], "slowdown warning board, 60 km/h, 3.850 km");
  const std::vector<punto> tacca = vertici(t[0][1]);
  EXPECT_NEAR(tacca[0].x, x.px(3.85), 0.11);
  EXPECT_NEAR((tacca[0].y + tacca[1].y) / 2, v.px(60), 0.11);
  EXPECT_EQ(t[1][2], "slowdown 60 km/h, 5.050 km to 5.450 km");
  const std::vector<punto> linea = vertici(t[1][1]);
  ASSERT_EQ(linea.size(), 2u);
  EXPECT_NEAR(linea[0].x, x.px(5.05), 0.11);
  EXPECT_NEAR(linea[1].x, x.px(5.45), 0.11);
  EXPECT_NEAR(linea[0].y, v.px(60), 0.11);
}

TEST_F(Profilo, AStretchDrawsOnlyWhatLiesInIt) {
  const disegno d({"plot", "profile", s_->celle(), "--table", s_->tabella(), "--from", "4", "--to", "6"});
  EXPECT_NE(
      d.svg.find("<title>Profile: Valmora2_1552.dat, Valmora2 train 1552 (route 10.000 km), 4.000 km to "
                 "6.000 km</title>"),
      std::string::npos);
  const auto [da, a] = estremi_km(d.svg);
  EXPECT_NEAR(da, 4, 0.001);
  EXPECT_NEAR(a, 6, 0.001);
  // Inside 4 to 6 km: MONTEROSSO (4.5), the slowdown's start (5.05) and end
  // (5.45); outside: the listed point (8), the signal (1.15), the code (7.25),
  // the board (3.85), the indicator (1.1), the sign (6.1), the tunnel (2 to 3).
  const std::string stazioni = gruppo(d.svg, "stations");
  EXPECT_EQ(quanti(stazioni, "<title>"), 1u) << stazioni;
  EXPECT_NE(stazioni.find("<title>MONTEROSSO, 4.500 km</title>"), std::string::npos);
  EXPECT_EQ(attributo(tag(d.svg, "signals"), "d"), "");
  // The finishing pass puts code points of 180 before the slowdown: those in
  // the stretch are drawn, the cut of 270 at 7.25 km is not.
  const asse x = asse_di(testi(gruppo(d.svg, "km-axis")), true);
  for (const testo& t : testi(gruppo(d.svg, "code-labels"))) {
    EXPECT_NE(t.contenuto, "270");
    EXPECT_GE(x.valore(t.x), 4 - 1e-3);
    EXPECT_LE(x.valore(t.x), 6 + 1e-3);
  }
  const std::string rallentamenti = gruppo(d.svg, "slowdowns");
  EXPECT_EQ(quanti(rallentamenti, "<title>"), 2u) << rallentamenti;
  EXPECT_EQ(rallentamenti.find("warning board"), std::string::npos);
  EXPECT_EQ(quanti(gruppo(d.svg, "indicators"), "<path"), 0u);
  EXPECT_EQ(quanti(gruppo(d.svg, "signs"), "<path"), 0u);
  EXPECT_EQ(quanti(gruppo(d.svg, "tunnels"), "<rect"), 0u);
  // Gradient 8 from 4 to 6 km, then -5: one step, inside the stretch.
  come_attesa(linea_a_gradini(d.svg, "gradient"), {{4, 8}, {6, 8}}, "gradient");
}

TEST(Curve, RadiusAndSideFromThePlan) {
  const scenario s(linea(10000, {"curvad4, 500, 300", "curvas2, 3000, 200"}), treno({}));
  const disegno d({"plot", "profile", s.celle(), "--table", s.tabella(), "--plan", s.piano()});
  const asse x = asse_di(testi(gruppo(d.svg, "km-axis")), true);
  // Each curved step turns the one before by atan k: curvad4 (k = 0.001)
  // turns metres 501 to 800, radius 1 / atan 0.001 = 1000.0003, so 1000 m,
  // from metre 500 to 800; curvas2 (k = -0.0002) metres 3001 to 3200, radius
  // 5000 m to the left.
  const std::string curve = gruppo(d.svg, "curves");
  static const std::regex banda(
      "<rect class=\"(\\w+)\" x=\"([^\"]+)\" y=\"([^\"]+)\" width=\"([^\"]+)\" "
      "height=\"([^\"]+)\"><title>([^<]*)</title>");
  std::vector<std::smatch> b(std::sregex_iterator(curve.begin(), curve.end(), banda), std::sregex_iterator());
  ASSERT_EQ(b.size(), 2u) << curve;
  EXPECT_EQ(b[0][6], "curve right, radius 1000 m, 0.500 km to 0.800 km");
  EXPECT_EQ(b[1][6], "curve left, radius 5000 m, 3.000 km to 3.200 km");
  EXPECT_NEAR(std::stod(b[0][2]), x.px(0.5), 0.11);
  EXPECT_NEAR(std::stod(b[0][4]), x.px(0.8) - x.px(0.5), 0.11);
  EXPECT_NEAR(std::stod(b[1][2]), x.px(3), 0.11);
  EXPECT_NEAR(std::stod(b[1][4]), x.px(3.2) - x.px(3), 0.11);
  // Right above the centre line, left below it, as tall as the curvature:
  // the sharpest 18 px, the other 18 x 1000 / 5000 = 3.6 px.
  const double centro = std::stod(b[1][3]);
  EXPECT_NEAR(std::stod(b[0][3]) + std::stod(b[0][5]), centro, 0.11);
  EXPECT_NEAR(std::stod(b[0][5]), 18, 0.11);
  EXPECT_NEAR(std::stod(b[1][5]), 3.6, 0.11);
  // Without the plan there is no band.
  const disegno senza({"plot", "profile", s.celle(), "--table", s.tabella()});
  EXPECT_EQ(senza.svg.find(" id=\"curves\""), std::string::npos);
}

struct caso_fine {
  const char* nome;
  std::vector<std::string> linea;
  double km;
};

void PrintTo(const caso_fine& c, std::ostream* os) { *os << c.nome; }

class FineAsse : public ::testing::TestWithParam<caso_fine> {};

TEST_P(FineAsse, TheAxisEndsAtTheRouteOrTheLastObject) {
  const scenario s(linea(10000, GetParam().linea), treno({stazione_monterosso}));
  const disegno d({"plot", "profile", s.celle(), "--table", s.tabella()});
  const auto [da, a] = estremi_km(d.svg);
  EXPECT_NEAR(da, 0, 0.001);
  EXPECT_NEAR(a, GetParam().km, 0.001);
}

INSTANTIATE_TEST_SUITE_P(Profilo, FineAsse,
                         ::testing::Values(
                             // Everything before the end: the route's 10 km.
                             caso_fine{"route_end", {indicatore_1050}, 10},
                             // A sign at 12000 m lands in cell round(12000/50 + 1) = 241, at 12050 m.
                             caso_fine{"sign_beyond_the_end", {"cartello indicatore, 12000, OLTRE"}, 12.05},
                             // A tunnel to 13000 m covers cells up to round(13000/50 - 1) = 259,
                             // which ends at 260 x 50 = 13000 m.
                             caso_fine{"tunnel_beyond_the_end", {"montagna, 9000, 13000, 1"}, 13}),
                         [](const auto& info) { return std::string(info.param.nome); });

struct caso_tratto {
  const char* nome;
  std::vector<std::string> opzioni;
  const char* parole;
};

void PrintTo(const caso_tratto& c, std::ostream* os) { *os << c.nome; }

class TrattoRifiutato : public ::testing::TestWithParam<caso_tratto> {};

TEST_P(TrattoRifiutato, Status64AndNoPicture) {
  const scenario s(linea(10000, {}), treno({}));
  prova::cartella dir;
  for (const char* tipo : {"plan", "profile"}) {
    std::vector<std::string> a = {"plot",
                                  tipo,
                                  tipo == std::string("plan") ? s.piano() : s.celle(),
                                  "--table",
                                  s.tabella(),
                                  "-o",
                                  (dir / "x.svg").string()};
    a.insert(a.end(), GetParam().opzioni.begin(), GetParam().opzioni.end());
    const prova::uscita u = autori(a);
    EXPECT_EQ(u.stato, 64) << tipo;
    EXPECT_NE(u.err.find(GetParam().parole), std::string::npos) << tipo << ": " << u.err;
    EXPECT_FALSE(fs::exists(dir / "x.svg"));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Plot, TrattoRifiutato,
    ::testing::Values(caso_tratto{"from_not_a_number", {"--from", "4km"}, "--from needs a number"},
                      caso_tratto{"to_not_a_number", {"--to", "nan"}, "--to needs a number"},
                      caso_tratto{"from_after_to", {"--from", "6", "--to", "4"}, "must be less than --to"},
                      caso_tratto{"from_equal_to", {"--from", "5", "--to", "5"}, "must be less than --to"},
                      // Without --to the stretch runs to the route's end, 10 km.
                      caso_tratto{"from_beyond_the_end",
                                  {"--from", "12"},
                                  "--from (12.000 km) must be less than --to (10.000 km)"},
                      caso_tratto{"before_the_start", {"--from", "-1", "--to", "4"}, "within the route"},
                      // The route is 10 km long.
                      caso_tratto{"beyond_the_end", {"--from", "4", "--to", "10.5"}, "within the route"}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST_F(Profilo, WithoutTheTableStationsComeFromTheirCells) {
  const disegno d({"plot", "profile", s_->celle()});
  const asse x = asse_di(testi(gruppo(d.svg, "km-axis")), true);
  // The area of MONTEROSSO ends at 4500 + 300 = 4800: its cell is 4800/50 - 1
  // = 95, at 4750 m; the listed point has no cell.
  const std::string stazioni = gruppo(d.svg, "stations");
  EXPECT_NE(stazioni.find("<title>row 1, 4.750 km</title>"), std::string::npos) << stazioni;
  EXPECT_EQ(quanti(stazioni, "<title>"), 1u);
  EXPECT_NEAR(vertici(attributo(stazioni.substr(stazioni.find("<path")), "d"))[0].x, x.px(4.75), 0.11);
  EXPECT_NE(stazioni.find(">row 1</text>"), std::string::npos);
  EXPECT_EQ(d.svg.find(" id=\"route-end\""), std::string::npos);
  EXPECT_NEAR(linea_a_gradini(d.svg, "speed").back().x, 16.9, 0.005);
}

// --- Files that do not fit ---------------------------------------------

struct caso_rifiuto {
  const char* nome;
  // Builds the arguments from the scenarios; {O} is the picture.
  std::function<std::vector<std::string>(const scenario& a, const scenario& b, const scenario& c,
                                         const prova::cartella& dir)>
      argomenti;
  // Expected start of standard error, with {D} for the scratch folder.
  std::function<std::string(const scenario& a, const scenario& b, const scenario& c)> diagnostica;
};

void PrintTo(const caso_rifiuto& c, std::ostream* os) { *os << c.nome; }

class Rifiuti : public ::testing::TestWithParam<caso_rifiuto> {
 protected:
  // a and c: routes of 10000 m, a with a station in row 1 and c with none;
  // b: a route of 20000 m.
  static void SetUpTestSuite() {
    a_ = new scenario(linea(10000, {}), treno({stazione_monterosso, segnale_1100}));
    b_ = new scenario(linea(20000, {}), treno({}));
    c_ = new scenario(linea(10000, {}), treno({}));
  }
  static void TearDownTestSuite() {
    delete a_;
    delete b_;
    delete c_;
  }
  static inline scenario *a_ = nullptr, *b_ = nullptr, *c_ = nullptr;
};

std::string accorciato(const prova::cartella& dir, const std::string& file, const std::string& nome) {
  std::string dati = prova::leggi(file);
  dati.pop_back();
  prova::scrivi(dir / nome, dati);
  return (dir / nome).string();
}

TEST_P(Rifiuti, StatusOneAClearMessageAndNoPicture) {
  const caso_rifiuto& k = GetParam();
  prova::cartella scratch;
  prova::cartella quadri;
  const fs::path uscita = quadri / "picture.svg";
  prova::scrivi(uscita, "an older picture");
  std::vector<std::string> argomenti = k.argomenti(*a_, *b_, *c_, scratch);
  for (std::string& a : argomenti)
    if (a == "{O}") a = uscita.string();
  const prova::uscita u = autori(argomenti);
  EXPECT_EQ(u.stato, 1);
  EXPECT_EQ(u.out, "");
  std::string atteso = k.diagnostica(*a_, *b_, *c_);
  for (size_t i; (i = atteso.find("{D}")) != std::string::npos;)
    atteso.replace(i, 3, scratch.percorso().string());
  EXPECT_EQ(u.err.rfind(atteso, 0), 0u) << u.err << "\nexpected: " << atteso;
  EXPECT_EQ(std::count(u.err.begin(), u.err.end(), '\n'), 1) << u.err;
  // The older picture stays as it was, and nothing else is left beside it.
  EXPECT_EQ(prova::leggi(uscita), "an older picture");
  EXPECT_EQ(std::distance(fs::directory_iterator(quadri.percorso()), fs::directory_iterator()), 1);
}

using S = const scenario&;
using D = const prova::cartella&;

INSTANTIATE_TEST_SUITE_P(
    Plot, Rifiuti,
    ::testing::Values(
        // N = 340: 341 cells of 15 bytes, 5115 bytes.
        caso_rifiuto{
            "cells_cut_short",
            [](S a, S, S, D d) {
              return std::vector<std::string>{"plot", "profile", accorciato(d, a.celle(), "x.dat"), "-o",
                                              "{O}"};
            },
            [](S, S, S) {
              return "{D}/x.dat: error: not a cells file: 5114 bytes is not a whole number of 15-byte "
                     "cells";
            }},
        caso_rifiuto{"table_of_three_rows",
                     [](S a, S, S, D d) {
                       // Rows 0 to 2 as the build writes them: 34 bytes each
                       // with no name, 102 in all.
                       std::string tre;
                       for (int r = 0; r < 3; ++r) codifica_riga(tre, riga_scenario{});
                       prova::scrivi(d / "tre.sim", tre);
                       return std::vector<std::string>{
                           "plot", "profile", a.celle(), "--table", (d / "tre.sim").string(), "-o", "{O}"};
                     },
                     [](S, S, S) {
                       return "{D}/tre.sim: error: not a table file: row 3 at byte 102 is cut short: a row "
                              "takes at least 34 bytes, 0 left";
                     }},
        caso_rifiuto{"plan_cut_short",
                     [](S a, S, S, D d) {
                       return std::vector<std::string>{"plot", "plan",
                                                       accorciato(d, a.piano(), "x_linea.dat"), "-o", "{O}"};
                     },
                     [](S, S, S) { return "{D}/x_linea.dat: error: not a plan file: element "; }},
        caso_rifiuto{
            "plan_not_a_number",
            [](S a, S, S, D d) {
              // x of metre 2 is the double at bytes 10 to 17, after
              // two 4-byte integer elements and its type code.
              std::string dati = prova::leggi(a.piano());
              dati.replace(10, 8, std::string("\0\0\0\0\0\0\xF8\x7F", 8));
              prova::scrivi(d / "x_linea.dat", dati);
              return std::vector<std::string>{"plot", "plan", (d / "x_linea.dat").string(), "-o", "{O}"};
            },
            [](S, S, S) {
              return "{D}/x_linea.dat: error: not a plan file: metre 2 has a coordinate that is not a "
                     "number within 10^15 m of the start";
            }},
        caso_rifiuto{
            "cells_without_marker",
            [](S a, S, S, D d) {
              // dato1 of cell 1 is bytes 16 and 17 of the file.
              std::string dati = prova::leggi(a.celle());
              dati[16] = dati[17] = 0;
              prova::scrivi(d / "x.dat", dati);
              return std::vector<std::string>{"plot", "profile", (d / "x.dat").string(), "-o", "{O}"};
            },
            [](S, S, S) {
              return "{D}/x.dat: error: not a cells file: cell 1 lacks the marker 5121 that every build "
                     "stamps in dato1";
            }},
        // A route of 20000 m has N = round(27000 / 50) = 540: 541 cells.
        caso_rifiuto{"cells_of_another_route",
                     [](S a, S b, S, D) {
                       return std::vector<std::string>{"plot",      "profile", a.celle(), "--table",
                                                       b.tabella(), "-o",      "{O}"};
                     },
                     [](S a, S b, S) {
                       return a.celle() + ": error: does not match " + b.tabella() +
                              ": the table's route of 20000 m has 541 cells, this file 341";
                     }},
        caso_rifiuto{
            "plan_of_another_route",
            [](S a, S b, S, D) {
              return std::vector<std::string>{"plot", "plan", b.piano(), "--table", a.tabella(), "-o", "{O}"};
            },
            [](S a, S b, S) {
              return b.piano() + ": error: does not match " + a.tabella() +
                     ": the table's route of 10000 m has a plan of metres 0 to 17000, this one runs to "
                     "27000";
            }},
        caso_rifiuto{"plan_and_cells_of_two_routes",
                     [](S a, S b, S, D) {
                       return std::vector<std::string>{"plot",    "plan", a.piano(), "--cells",
                                                       b.celle(), "-o",   "{O}"};
                     },
                     [](S a, S b, S) {
                       return b.celle() + ": error: does not match " + a.piano() +
                              ": a plan of metres 0 to 17000 goes with 341 cells, this file has 541";
                     }},
        // Same length, but the table of c has no station for the cell that
        // names row 1.
        caso_rifiuto{"station_cell_without_its_row",
                     [](S a, S, S c, D) {
                       return std::vector<std::string>{"plot",      "profile", a.celle(), "--table",
                                                       c.tabella(), "-o",      "{O}"};
                     },
                     [](S a, S, S c) {
                       return a.celle() + ": error: does not match " + c.tabella() +
                              ": cell 95 is a station naming row 1, which holds no station";
                     }},
        caso_rifiuto{"table_given_for_cells",
                     [](S a, S, S, D) {
                       return std::vector<std::string>{"plot",    "plan", a.piano(), "--table",
                                                       a.celle(), "-o",   "{O}"};
                     },
                     [](S a, S, S) { return a.celle() + ": error: not a table file: "; }},
        caso_rifiuto{
            "missing_file",
            [](S, S, S, D d) {
              return std::vector<std::string>{"plot", "plan", (d / "none_linea.dat").string(), "-o", "{O}"};
            },
            [](S, S, S) { return "{D}/none_linea.dat: error: cannot read: No such file or directory"; }}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST(Plot, APictureThatCannotBeWrittenIsStatusOne) {
  const scenario s(linea(10000, {}), treno({}));
  prova::cartella dir;
  const fs::path dove = dir / "missing" / "picture.svg";
  const prova::uscita u = autori({"plot", "profile", s.celle(), "-o", dove.string()});
  EXPECT_EQ(u.stato, 1);
  EXPECT_EQ(u.err, dove.string() + ": error: cannot write: No such file or directory\n");
  EXPECT_FALSE(fs::exists(dir / "missing"));
}

struct caso_argomenti {
  const char* nome;
  std::vector<std::string> argomenti;
  const char* parole;
};

void PrintTo(const caso_argomenti& c, std::ostream* os) { *os << c.nome; }

class ArgomentiPlot : public ::testing::TestWithParam<caso_argomenti> {};

TEST_P(ArgomentiPlot, MessageAndStatus64) {
  const prova::uscita u = autori(GetParam().argomenti);
  EXPECT_EQ(u.stato, 64);
  EXPECT_EQ(u.out, "");
  EXPECT_EQ(u.err.rfind("autori: error: ", 0), 0u) << u.err;
  EXPECT_NE(u.err.find(GetParam().parole), std::string::npos) << u.err;
}

INSTANTIATE_TEST_SUITE_P(
    Plot, ArgomentiPlot,
    ::testing::Values(
        caso_argomenti{"no_kind", {"plot"}, "plot needs the kind of picture: plan or profile"},
        caso_argomenti{"unknown_kind", {"plot", "map", "x.dat", "-o", "x.svg"}, "map"},
        caso_argomenti{"plan_without_file", {"plot", "plan", "-o", "x.svg"}, "PLAN is required"},
        caso_argomenti{"plan_without_output", {"plot", "plan", "x_linea.dat"}, "--output"},
        caso_argomenti{"profile_without_output", {"plot", "profile", "x.dat"}, "--output"},
        caso_argomenti{
            "cells_without_value", {"plot", "plan", "x_linea.dat", "-o", "x.svg", "--cells"}, "--cells"},
        caso_argomenti{"profile_with_cells_option",
                       {"plot", "profile", "x.dat", "--cells", "y.dat", "-o", "x.svg"},
                       "--cells"}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST(Plot, RefusesToDrawOverItsInput) {
  const scenario s(linea(10000, {}), treno({}));
  const std::string prima = prova::leggi(s.celle());
  const prova::uscita u = autori({"plot", "profile", s.celle(), "-o", s.celle()});
  EXPECT_EQ(u.stato, 64);
  EXPECT_NE(u.err.find("would replace its input"), std::string::npos) << u.err;
  EXPECT_TRUE(prova::leggi(s.celle()) == prima);
}

TEST(Plot, UsageTextOnStandardOutput) {
  for (const std::vector<std::string>& a : std::vector<std::vector<std::string>>{
           {"plot", "--help"}, {"plot", "plan", "--help"}, {"plot", "profile", "-h"}}) {
    const prova::uscita u = autori(a);
    EXPECT_EQ(u.stato, 0) << a[1];
    EXPECT_NE(u.out.find("Usage: autori plot"), std::string::npos) << u.out;
    EXPECT_NE(u.out.find("Exit status"), std::string::npos) << u.out;
  }
  for (const char* tipo : {"plan", "profile"}) {
    const std::string aiuto = autori({"plot", tipo, "--help"}).out;
    for (const char* voce : {"--from KM", "--to KM", "signs", "tunnels"})
      EXPECT_NE(aiuto.find(voce), std::string::npos) << tipo << ": " << voce;
  }
  EXPECT_NE(autori({"plot", "profile", "--help"}).out.find("--plan"), std::string::npos);
  EXPECT_NE(autori({"--help"}).out.find("plot"), std::string::npos);
}

// --- A route of the greatest length -------------------------------------

// 1,000,000 m with a record of each kind every few kilometres: gradients
// every km, a curve every 5 km (of every class, both ways), 80 tunnels, 78
// stations, a signal every 3 km, a code cut every 20 km, speeds every 7 km,
// slowdowns every 50 km. Station cells (240 j + 125, odd) and signal cells
// (60 k + 42, even) never meet; nor do code cuts (400 i + 20) and the rest.
scenario* percorso_massimo() {
  std::vector<std::string> l, t = {"aderenza, 0, 80", "aderenza, 500000, 100"};
  for (int p = 1000; p < 1000000; p += 1000)
    l.push_back("pendenza, " + std::to_string(p) + ", " + std::to_string(p / 1000 % 21 - 10));
  for (int p = 500; p < 995000; p += 5000)
    l.push_back(std::string(p / 5000 % 2 ? "curvad" : "curvas") + std::to_string(p / 5000 % 6 + 1) + ", " +
                std::to_string(p) + ", 1500");
  for (int i = 0; i < 80; ++i)
    l.push_back("montagna, " + std::to_string(10000 + i * 12000) + ", " + std::to_string(14000 + i * 12000) +
                ", 11");
  for (int j = 0; j < 78; ++j)
    t.push_back("stazione, " + std::to_string(6000 + 12000 * j) +
                ", 2, 600, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 14, 0, 0, STAZIONE " + std::to_string(j + 1));
  for (int p = 0; p < 1000000; p += 7000)
    t.push_back("velocita, " + std::to_string(p) + ", " + std::to_string(100 + p / 7000 % 4 * 50));
  for (int p = 2025; p < 1000000; p += 3000)
    t.push_back("segnale, " + std::to_string(p) + ", 2, 4, 1, 0, 0, 2, 2,0,0, 0");
  for (int p = 1000; p < 1000000; p += 20000)
    t.push_back("abbattimento codice, " + std::to_string(p) + ", 270");
  for (int p = 10000; p < 990000; p += 50000)
    t.push_back("rallentamento, " + std::to_string(p) + ", 60, 2100, 0, 1, 0");
  return new scenario(linea(1000000, l), treno(t));
}

TEST(Plot, PicturesOfTheLongestRouteStaySmall) {
  std::unique_ptr<scenario> s(percorso_massimo());
  const disegno piano({"plot", "plan", s->piano(), "--cells", s->celle(), "--table", s->tabella()});
  const disegno profilo({"plot", "profile", s->celle(), "--table", s->tabella()});
  // 1,007,001 metres: one point each would be some 12 MB of path. The plan
  // fits 1000 x 760 pixels; its outline is a few thousand pixels long, and
  // with a point every few pixels of it plus 333 signal marks, 78 stations
  // and 100 ticks it stays well under 300 KB. The profile has 20,141 cells:
  // its three lines change some 1150 times in all
  // (999 gradients, 143 speeds, one adhesion).
  std::cout << "plan " << piano.svg.size() << " bytes, profile " << profilo.svg.size() << " bytes\n";
  EXPECT_LT(piano.svg.size(), 300'000u);
  EXPECT_LT(profilo.svg.size(), 300'000u);
  EXPECT_NE(piano.svg.find("<title>end, 1000.000 km</title>"), std::string::npos);
  EXPECT_EQ(quanti(attributo(tag(piano.svg, "km-ticks"), "d"), "M"), 100u);
  // Every gradient from -10 to 10 per mille is on the line.
  std::set<long> pendenze;
  for (const punto& p : linea_a_gradini(profilo.svg, "gradient")) pendenze.insert(std::lround(p.y));
  EXPECT_EQ(pendenze.size(), 21u);
  autonomo(piano.svg);
  autonomo(profilo.svg);
}

// The shipped scenario, built once: the documents compiled as the program
// compiles them.
struct spedito {
  prova::cartella dir;
  spedito() {
    EXPECT_EQ(autori({"documents", (dir / "doc").string()}).stato, 0);
    const prova::uscita c =
        autori({"compile", (dir / "doc" / "Valmora2_linea.txt").string(),
                (dir / "doc" / "Valmora2_1552-.txt").string(), "--out", (dir / "out").string()});
    EXPECT_EQ(c.stato, 0) << c.err;
  }
  std::string piano() const { return (dir / "out" / "Valmora2_linea.dat").string(); }
  std::string celle() const { return (dir / "out" / "Valmora2_1552.dat").string(); }
  std::string tabella() const { return (dir / "out" / "Valmora2_1552.sim").string(); }
};

TEST(Plot, NoTwoStationNamesOfTheShippedProfileOverlap) {
  const spedito sp;
  const disegno d({"plot", "profile", sp.celle(), "--table", sp.tabella()});
  // An upright name of body c, drawn from (x, y) upwards, covers x - 0.95 c to
  // x + 0.25 c across (its line of 1.2 c) and, along, y less its estimated
  // length, 0.6 c per character + 2.
  struct riquadro {
    double x0, y0, x1, y1;
    std::string nome;
  };
  std::vector<riquadro> r;
  const std::string stazioni = gruppo(d.svg, "stations");
  static const std::regex nome(
      "<text class=\"(n|m)\" x=\"([^\"]+)\" y=\"([^\"]+)\" transform=\"rotate\\(-90[^>]*>([^<]*)</text>");
  for (std::sregex_iterator i(stazioni.begin(), stazioni.end(), nome), fine; i != fine; ++i) {
    const double c = (*i)[1] == "n" ? 10 : 9;
    const double x = std::stod((*i)[2]), y = std::stod((*i)[3]);
    const double lungo = 0.6 * c * static_cast<double>((*i)[4].length()) + 2;
    r.push_back({x - 0.95 * c, y - lungo, x + 0.25 * c, y, (*i)[4]});
  }
  // The train's 34 station records, each mark with its name: 34 names 13 px
  // apart take 442 of the 1450 px, so none is left out.
  EXPECT_EQ(quanti(stazioni, "<title>"), 34u);
  EXPECT_EQ(r.size(), 34u);
  for (size_t a = 0; a < r.size(); ++a)
    for (size_t b = a + 1; b < r.size(); ++b)
      EXPECT_FALSE(r[a].x0 < r[b].x1 && r[b].x0 < r[a].x1 && r[a].y0 < r[b].y1 && r[b].y0 < r[a].y1)
          << r[a].nome << " and " << r[b].nome;

  // The indicator of 71800 m (cell round(71800/50 + 1) = 1437, 71850 m) has
  // the pairs 230 / 150, 240 / 155, 250 / 160: 20 x 230 + 150 / 5 = 4630,
  // 4831, 5032, read back as 5 floor(4630 / 100) = 230 and 5 x (4630 - 4600).
  EXPECT_NE(
      gruppo(d.svg, "indicators")
          .find("<title>speed indicator 230 240 250 / 150 155 160 km/h, stripes 2 and 1, 71.850 km</title>"),
      std::string::npos);
}

// --- In a browser ---------------------------------------------------------

std::optional<fs::path> chromium() {
  const char* path = std::getenv("PATH");
  std::string cartelle = path ? path : "";
  for (size_t a = 0; a <= cartelle.size();) {
    size_t b = cartelle.find(':', a);
    if (b == std::string::npos) b = cartelle.size();
    const fs::path p = fs::path(cartelle.substr(a, b - a)) / "chromium";
    if (!p.parent_path().empty() && access(p.c_str(), X_OK) == 0) return p;
    a = b + 1;
  }
  return std::nullopt;
}

std::string citato(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Runs headless Chromium on a file with one more option; its exit status and
// standard output.
std::pair<int, std::string> in_chromium(const fs::path& programma, const fs::path& file,
                                        const std::string& opzione) {
  prova::cartella profilo;
  prova::cartella uscita;
  const std::string comando =
      "timeout 120 " + citato(programma.string()) +
      " --headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking"
      " --disable-component-update --disable-sync --user-data-dir=" +
      citato(profilo.percorso().string()) + " " + opzione + " " + citato("file://" + file.string()) + " >" +
      citato((uscita / "out").string()) + " 2>" + citato((uscita / "err").string());
  const int r = std::system(comando.c_str());
  return {WIFEXITED(r) ? WEXITSTATUS(r) : -1, prova::leggi(uscita / "out")};
}

struct png {
  uint32_t larghezza = 0, altezza = 0;
};

// The size in the header chunk, which every PNG begins with.
std::optional<png> leggi_png(const std::string& dati) {
  if (dati.size() < 24 || dati.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || dati.compare(12, 4, "IHDR") != 0)
    return std::nullopt;
  auto be32 = [&](size_t o) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(dati[o + i]);
    return v;
  };
  return png{be32(16), be32(20)};
}

// A layer with nothing to show: a path without points, or a group that
// closes as soon as it opens. `i` lies inside its opening tag.
bool strato_vuoto(const std::string& dom, size_t i) {
  const size_t a = dom.rfind('<', i);
  const size_t b = dom.find('>', i);
  const std::string apertura = dom.substr(a, b - a + 1);
  if (apertura.rfind("<path", 0) == 0) return attributo(apertura, "d").empty();
  // The browser writes an empty element as one closed tag.
  return apertura.ends_with("/>") || dom.compare(b + 1, 2, "</") == 0;
}

TEST(Browser, ChromiumDrawsBothPicturesOfTheShippedScenario) {
  const std::optional<fs::path> programma = chromium();
  if (!programma) GTEST_SKIP() << "chromium is not installed";
  prova::cartella dir;
  ASSERT_EQ(autori({"documents", (dir / "doc").string()}).stato, 0);
  const prova::uscita c =
      autori({"compile", (dir / "doc" / "Valmora2_linea.txt").string(),
              (dir / "doc" / "Valmora2_1552-.txt").string(), "--out", (dir / "out").string()});
  ASSERT_EQ(c.stato, 0) << c.err;
  const std::string celle = (dir / "out" / "Valmora2_1552.dat").string();
  const std::string tabella = (dir / "out" / "Valmora2_1552.sim").string();
  const disegno piano(
      {"plot", "plan", (dir / "out" / "Valmora2_linea.dat").string(), "--cells", celle, "--table", tabella});
  const std::string linea = (dir / "out" / "Valmora2_linea.dat").string();
  const disegno profilo({"plot", "profile", celle, "--table", tabella, "--plan", linea});
  const disegno tratto_piano(
      {"plot", "plan", linea, "--cells", celle, "--table", tabella, "--from", "240", "--to", "270"});
  const disegno tratto_profilo(
      {"plot", "profile", celle, "--table", tabella, "--plan", linea, "--from", "240", "--to", "270"});
  std::cout << "shipped scenario: plan " << piano.svg.size() << " bytes, profile " << profilo.svg.size()
            << " bytes\n";

  // The layers each picture must show, as the browser reads the document;
  // the shipped scenario has no slowdown, so no slowdown speeds.
  const std::vector<std::string> del_piano = {"route", "stations", "signals",     "signal-kinds", "tunnels",
                                              "signs", "curves",   "code-points", "indicators"};
  const std::vector<std::string> del_profilo = {"gradient", "speed",      "adhesion", "stations", "signals",
                                                "tunnels",  "indicators", "signs",    "curves"};
  fs::create_directories(CARTELLA_SCHERMATE);
  for (const auto& [nome, d, strati] :
       {std::tuple<std::string, const disegno*, const std::vector<std::string>*>{"plan", &piano, &del_piano},
        {"profile", &profilo, &del_profilo},
        {"plan-240-270", &tratto_piano, &del_piano},
        {"profile-240-270", &tratto_profilo, &del_profilo}}) {
    const size_t apre = d->svg.find("<svg ");
    const std::string svg_tag = d->svg.substr(apre, d->svg.find('>', apre) - apre + 1);
    const auto w = static_cast<uint32_t>(std::ceil(numero(svg_tag, "width")));
    const auto h = static_cast<uint32_t>(std::ceil(numero(svg_tag, "height")));
    const std::string finestra = "--window-size=" + std::to_string(w) + "," + std::to_string(h);

    // A document the XML parser rejects comes back wrapped in a parsererror.
    const auto [stato_dom, dom] = in_chromium(*programma, d->file, "--dump-dom");
    EXPECT_EQ(stato_dom, 0) << nome;
    EXPECT_EQ(dom.rfind("<svg xmlns=\"http://www.w3.org/2000/svg\"", 0), 0u)
        << nome << ": " << dom.substr(0, 400);
    EXPECT_EQ(dom.find("parsererror"), std::string::npos) << nome;
    for (const std::string& id : *strati) {
      const size_t i = dom.find(" id=\"" + id + "\"");
      EXPECT_NE(i, std::string::npos) << nome << ": " << id;
      if (i != std::string::npos) {
        EXPECT_FALSE(strato_vuoto(dom, i)) << nome << ": " << id;
      }
    }

    const fs::path schermata = fs::path(CARTELLA_SCHERMATE) / (nome + ".png");
    fs::remove(schermata);
    EXPECT_EQ(in_chromium(*programma, d->file, "--screenshot=" + schermata.string() + " " + finestra).first,
              0);
    const std::string immagine = prova::leggi(schermata);
    const std::optional<png> p = leggi_png(immagine);
    ASSERT_TRUE(p.has_value()) << schermata;
    EXPECT_EQ(p->larghezza, w);
    EXPECT_EQ(p->altezza, h);

    // The same window of plain white compresses to little; a drawing does not.
    const fs::path bianco = d->dir / "white.svg";
    prova::scrivi(bianco, "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(w) +
                              "\" height=\"" + std::to_string(h) +
                              "\"><rect width=\"100%\" height=\"100%\" "
                              "fill=\"#fff\"/></svg>");
    const fs::path vuota = d->dir / "white.png";
    EXPECT_EQ(in_chromium(*programma, bianco, "--screenshot=" + vuota.string() + " " + finestra).first, 0);
    EXPECT_GT(immagine.size(), 5 * fs::file_size(vuota)) << nome;
  }
}

}  // namespace
