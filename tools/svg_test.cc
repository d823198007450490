// The parts of the pictures that can be checked by arithmetic alone.
#include "svg.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <numbers>

#include "aiuti_prova.h"

namespace {

namespace fs = std::filesystem;
using autori::svg::punto;

double distanza_segmento(punto p, punto a, punto b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double l2 = dx * dx + dy * dy;
  double t = l2 == 0 ? 0 : ((p.x - a.x) * dx + (p.y - a.y) * dy) / l2;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy);
}

double distanza_polilinea(punto p, const std::vector<punto>& l) {
  double d = std::hypot(p.x - l[0].x, p.y - l[0].y);
  for (size_t i = 1; i < l.size(); ++i) d = std::min(d, distanza_segmento(p, l[i - 1], l[i]));
  return d;
}

TEST(Semplifica, AStraightRunKeepsItsEnds) {
  std::vector<punto> retta;
  for (int i = 0; i <= 1000; ++i) retta.push_back({0.25 * i, 100 - 0.5 * i});
  const auto r = autori::svg::semplifica(retta, 0.4);
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r.front().x, 0);
  EXPECT_EQ(r.back().x, 250);
  EXPECT_EQ(r.back().y, -400);
}

TEST(Semplifica, AnArcStaysWithinTheToleranceWithFarFewerPoints) {
  // A half circle of radius 100 px drawn from 20,000 points.
  std::vector<punto> arco;
  for (int i = 0; i <= 20000; ++i) {
    const double a = std::numbers::pi * i / 20000;
    arco.push_back({100 * std::cos(a), 100 * std::sin(a)});
  }
  const double tolleranza = 0.4;
  const auto r = autori::svg::semplifica(arco, tolleranza);
  for (const punto& p : arco) ASSERT_LE(distanza_polilinea(p, r), tolleranza) << p.x << " " << p.y;
  // A chord of angle t strays 100 (1 - cos(t/2)) from the arc; within 0.4 px
  // t is at most 2 acos(0.996) = 0.179 rad, so at least pi / 0.179 = 17.6
  // chords are needed; the thinning should come near that, not keep
  // thousands.
  EXPECT_GE(r.size(), 19u);
  EXPECT_LE(r.size(), 80u);
}

TEST(Semplifica, ARouteThatTurnsBackKeepsItsFarthestPoint) {
  // Out to x = 10 and back to x = 5: the turning point lies on the line
  // through the two ends, but 5 px beyond the segment between them.
  const auto r = autori::svg::semplifica({{0, 0}, {4, 0}, {10, 0}, {7, 0}, {5, 0}}, 0.4);
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[1].x, 10);
}

TEST(Semplifica, PointsOnOneSpotBecomeOne) {
  std::vector<punto> fermi(500, punto{3, 4});
  fermi.push_back({3.1, 4});
  const auto r = autori::svg::semplifica(fermi, 0.4);
  EXPECT_EQ(r.size(), 2u);
}

struct caso_disponi {
  const char* nome;
  std::vector<double> volute;
  double passo, da, a;
  std::vector<double> attese;
};

void PrintTo(const caso_disponi& c, std::ostream* os) { *os << c.nome; }

class Disponi : public ::testing::TestWithParam<caso_disponi> {};

TEST_P(Disponi, ApartInOrderAndNearTheirWishes) {
  const caso_disponi& k = GetParam();
  const auto r = autori::svg::disponi(k.volute, k.passo, k.da, k.a);
  ASSERT_TRUE(r.has_value());
  ASSERT_EQ(r->size(), k.attese.size());
  for (size_t i = 0; i < r->size(); ++i) EXPECT_NEAR((*r)[i], k.attese[i], 1e-9) << i;
}

INSTANTIATE_TEST_SUITE_P(
    Etichette, Disponi,
    ::testing::Values(caso_disponi{"apart_stay", {10, 30, 55}, 10, 0, 100, {10, 30, 55}},
                      // 100 and 104, 10 apart around their mean 102.
                      caso_disponi{"pair_around_mean", {100, 104}, 10, 0, 200, {97, 107}},
                      // Around 0.5 would start at -4.5: held at the left bound.
                      caso_disponi{"held_at_left", {0, 1}, 10, 0, 100, {0, 10}},
                      caso_disponi{"held_at_right", {99, 100}, 10, 0, 100, {90, 100}},
                      // 20 and 21 first become 15.5 and 25.5, which comes within 10 of 10:
                      // all three around their mean 17.
                      caso_disponi{"groups_merge", {10, 20, 21}, 10, 0, 100, {7, 17, 27}},
                      caso_disponi{"exactly_full",
                                   {50, 50, 50, 50, 50, 50, 50, 50, 50, 50, 50},
                                   10,
                                   0,
                                   100,
                                   {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100}},
                      caso_disponi{"none", {}, 10, 0, 100, {}}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST(Disponi, TooManyForTheWidth) {
  EXPECT_FALSE(autori::svg::disponi(std::vector<double>(11, 50), 10, 0, 99.5).has_value());
}

TEST(PassoTacche, OneTwoOrFiveTimesAPowerOfTen) {
  struct caso {
    double ampiezza;
    int intervalli;
    double passo;
  };
  // 270 / 16 = 16.9 -> 20; 270 / 10 = 27 -> 50; 1 / 4 -> 0.5; 17.05 / 16 =
  // 1.07 -> 2; 100 / 4 = 25 -> 50; 60 / 3 = 20 -> 20 exactly.
  for (const caso& c : {caso{270, 16, 20}, caso{270, 10, 50}, caso{1, 4, 0.5}, caso{17.05, 16, 2},
                        caso{100, 4, 50}, caso{60, 3, 20}})
    EXPECT_DOUBLE_EQ(autori::svg::passo_tacche(c.ampiezza, c.intervalli), c.passo)
        << c.ampiezza << " / " << c.intervalli;
}

TEST(Tacche, TheMultiplesOfTheStepInTheRange) {
  using v = std::vector<double>;
  EXPECT_EQ(autori::svg::tacche(0, 270, 50), (v{0, 50, 100, 150, 200, 250}));
  EXPECT_EQ(autori::svg::tacche(-8, 8, 4), (v{-8, -4, 0, 4, 8}));
  EXPECT_EQ(autori::svg::tacche(-0.3, 17.05, 2), (v{0, 2, 4, 6, 8, 10, 12, 14, 16}));
  // 0.1 + 0.2 summed would miss 0.3; counted, it is 3 x 0.1.
  EXPECT_EQ(autori::svg::tacche(0, 0.3, 0.1).size(), 4u);
  // A step too small for its values gives a bounded list, not an endless one.
  EXPECT_LE(autori::svg::tacche(1e17, 1e17 + 1000, 1e-3).size(), 201u);
}

TEST(Num, OneDecimalAtMost) {
  EXPECT_EQ(autori::svg::num(12.0), "12");
  EXPECT_EQ(autori::svg::num(3.14159), "3.1");
  EXPECT_EQ(autori::svg::num(-2.5), "-2.5");
  EXPECT_EQ(autori::svg::num(-0.04), "0");
  EXPECT_EQ(autori::svg::num(1234567.96), "1234568");
}

TEST(Testo, EscapedAndInUtf8) {
  EXPECT_EQ(autori::svg::testo("A&B <C> \"q\" 'a'"), "A&amp;B &lt;C&gt; &quot;q&quot; &apos;a&apos;");
  // Latin-1 e grave (E8) is C3 A8 in UTF-8; a control character has no place
  // in XML.
  EXPECT_EQ(autori::svg::testo("CITT\xC0 \xE8"), "CITT\xC3\x80 \xC3\xA8");
  EXPECT_EQ(autori::svg::testo(std::string("a\x01"
                                           "b\x85",
                                           4)),
            "a\xEF\xBF\xBD"
            "b\xEF\xBF\xBD");
}

std::vector<std::string> nomi_in(const fs::path& cartella) {
  std::vector<std::string> v;
  for (const auto& e : fs::directory_iterator(cartella)) v.push_back(e.path().filename().string());
  std::sort(v.begin(), v.end());
  return v;
}

TEST(ScriviIntero, ReplacesTheFileAndLeavesNothingElse) {
  prova::cartella dir;
  const fs::path f = dir / "p.svg";
  prova::scrivi(f, "an older and longer picture");
  EXPECT_EQ(autori::svg::scrivi_intero(f, "<svg/>"), std::nullopt);
  EXPECT_EQ(prova::leggi(f), "<svg/>");
  EXPECT_EQ(nomi_in(dir.percorso()), std::vector<std::string>{"p.svg"});
  // As readable as any file the user makes, not private like a temporary one.
  const mode_t maschera = umask(0);
  umask(maschera);
  EXPECT_EQ(fs::status(f).permissions(), static_cast<fs::perms>(0666 & ~maschera));
}

TEST(ScriviIntero, AFailureLeavesNoFile) {
  prova::cartella dir;
  const auto manca = autori::svg::scrivi_intero(dir / "no" / "p.svg", "<svg/>");
  ASSERT_TRUE(manca.has_value());
  EXPECT_NE(manca->find("No such file"), std::string::npos) << *manca;
  // A folder under the picture's name: the rename fails after the write.
  fs::create_directory(dir / "c.svg");
  prova::scrivi(dir / "c.svg" / "dentro", "x");
  EXPECT_TRUE(autori::svg::scrivi_intero(dir / "c.svg", "<svg/>").has_value());
  EXPECT_EQ(nomi_in(dir.percorso()), std::vector<std::string>{"c.svg"});
  EXPECT_EQ(prova::leggi(dir / "c.svg" / "dentro"), "x");
}

}  // namespace
