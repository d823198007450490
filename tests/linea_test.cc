// The line compiler: general section, chainage ordering, gradients, the plan
// of the route, tunnels, indicators and signs, and its error exits.
#include <gtest/gtest.h>

#include <cmath>

#include "aiuti.h"
#include "files/nomi_file.h"
#include "line/compilatore_linea.h"
#include "run/memorizza_percorso.h"

namespace {

const std::string treno_vuoto = descrizione_treno({});

struct prova_linea : ::testing::Test {
  risultato_prova linea(const std::vector<std::string>& record, int32_t l = 270000,
                        const std::string& treno = treno_vuoto) {
    return compila(descrizione_linea(generale_con(l), record), treno);
  }
  bool linea_rimasta(const costruzione& c) const { return presente(c, nomi::descrizione_linea(c)); }
  bool treno_rimasto(const costruzione& c) const { return presente(c, nomi::descrizione_treno(c)); }
};

// ---- general section -------------------------------------------------------

using Generale = prova_linea;

TEST_F(Generale, RouteLengthSizesCellsAndPlan) {
  // N = round((L + 7000) / 50), ties to even.
  const std::pair<int32_t, size_t> casi[] = {{25, 141}, {75, 143}, {270000, 5541}};
  for (auto [l, celle] : casi) {
    auto r = linea({}, l);
    EXPECT_EQ(r.c.percorso.size(), celle) << l;
    EXPECT_EQ(r.c.tracciato.ultimo_metro(), l + 7000);
    EXPECT_EQ(r.c.tabella_scenario[84].fine, l);
  }
}

TEST_F(Generale, KeysFillTheirRowsAndCaseMattersOnlyWhereExact) {
  auto r = compila(
      descrizione_linea(
          {"LUNGHEZZA PERCORSO,    270000", "progressiva chilometrica uno,    263600,    46500,    0",
           "progressiva chilometrica due,    206200,    -6550,    0",
           "progressiva chilometrica tre,    190600,    28600,    0",
           "Progressiva chilometrica UNO,    50,    50,    0", "sfondo uno,    1", "sfondo due,    250000",
           "sfondo tre,    7", "ripetizione segnali 9 codici,    6800,    266650"},
          {}),
      treno_vuoto);
  const tabella& t = r.c.tabella_scenario;
  EXPECT_EQ(r.c.codice_errore, 0);
  EXPECT_EQ(r.c.percorso.size(), 5541u);
  // Ordered by start: the furthest in row 81.
  EXPECT_EQ((std::array{t[81].inizio, t[81].fine, t[81].posizione_stazione}), (std::array{263600, 46500, 0}));
  EXPECT_EQ((std::array{t[82].inizio, t[82].fine}), (std::array{206200, -6550}));
  EXPECT_EQ((std::array{t[83].inizio, t[83].fine}), (std::array{190600, 28600}));
  // Crossed background fields.
  EXPECT_EQ(t[85].inizio, 1);
  EXPECT_EQ(t[85].posizione_stazione, 250000);
  EXPECT_EQ(t[85].fine, 7);
  EXPECT_EQ((std::array{t[86].inizio, t[86].fine, t[86].posizione_stazione}), (std::array{6800, 266650, 9}));
  EXPECT_EQ(t[85].nome, "Valmora2");
  EXPECT_EQ(t[86].nome, "1552");
}

TEST_F(Generale, AKeyNamingTwoSectionsReadsTwoGroups) {
  auto r = compila(
      descrizione_linea({"lunghezza percorso, 270000", "progressiva due tre, 1000, 50, 0, 2000, 100, 0"}, {}),
      treno_vuoto);
  // "tre" first into row 81 (1000), then "due" into row 82 (2000); ordering puts 2000 first.
  const tabella& t = r.c.tabella_scenario;
  EXPECT_EQ(t[81].inizio, 2000);
  EXPECT_EQ(t[81].fine, 100);
  EXPECT_EQ(t[82].inizio, 1000);
  EXPECT_EQ(t[82].fine, 50);
}

TEST_F(Generale, LengthKeyWithBracketsEndsTheSection) {
  auto r = compila(descrizione_linea({"[lunghezza percorso], 300", "sfondo uno, 5"}, {}), treno_vuoto);
  EXPECT_EQ(r.c.percorso.size(), 147u);           // round(7300/50) = 146
  EXPECT_EQ(r.c.tabella_scenario[85].inizio, 0);  // read as a record line, no longer a key
}

struct caso_ripetizione {
  const char* riga;
  int32_t codice_errore;
  int32_t codici;
};

TEST_F(Generale, SignalRepetition) {
  const caso_ripetizione casi[] = {
      {"ripetizione segnali 4 codici, 100, 0", 0, 0},  // second position 0 clears the code
      {"ripetizione segnali 4 codici, -100, 200", 0, 4},
      {"ripetizione segnali 9 codici, 120, 7", 3, 0},  // first checked before second and digit
      {"ripetizione segnali 9 codici, 100, 130", 4, 0},
      {"ripetizione segnali codici, 100, 200", 5, 0},
  };
  for (const auto& k : casi) {
    auto r = compila(descrizione_linea({"lunghezza percorso, 270000", k.riga}, {}), treno_vuoto);
    EXPECT_EQ(r.c.codice_errore, k.codice_errore) << k.riga;
    EXPECT_EQ(r.c.tabella_scenario[86].posizione_stazione, k.codici) << k.riga;
    if (k.codice_errore != 0) {
      EXPECT_FALSE(presente(r.c, nomi::descrizione_linea(r.c)));
      EXPECT_TRUE(presente(r.c, nomi::descrizione_treno(r.c))) << "train never read";
    }
  }
}

TEST_F(Generale, LengthLimits) {
  {
    auto r = compila(descrizione_linea(generale_con(1000000), {}), treno_vuoto);
    EXPECT_EQ(r.c.codice_errore, 0);
    EXPECT_EQ(r.c.percorso.size(), 20141u);  // 1007000 / 50 = 20140
  }
  {
    auto r = compila(descrizione_linea(generale_con(1000001), {}), treno_vuoto);
    EXPECT_EQ(r.fatale, "1");
    EXPECT_FALSE(presente(r.c, "Valmora2_1552.dat"));
    EXPECT_FALSE(presente(r.c, "Valmora2_linea.txt"));
  }
}

TEST_F(Generale, ErrorsBeforeTheCellsExistEndTheRunWithoutFiles) {
  struct caso {
    std::string linea;
    const char* fatale;
    bool treno_resta;
  };
  const caso casi[] = {
      {descrizione_linea({"sfondo uno, 1"}, {}), "25", false},  // no length key
      {righe_crlf({"niente qui", "ancora niente"}), "102", true},
      {righe_crlf({"preambolo", "[generale]"}), "102", true},  // "[generale]" as the last token
      {"", "25", false},                                       // empty: first read past the end
      {descrizione_linea(generale_con(-100), {}), "25", true},
  };
  for (const auto& k : casi) {
    auto r = compila(k.linea, treno_vuoto);
    EXPECT_EQ(r.fatale, k.fatale) << k.linea;
    EXPECT_FALSE(presente(r.c, nomi::descrizione_linea(r.c)));
    EXPECT_EQ(presente(r.c, nomi::descrizione_treno(r.c)), k.treno_resta) << k.linea;
    EXPECT_FALSE(presente(r.c, "Valmora2_1552.sim"));
  }
}

TEST_F(Generale, MissingLineFileIs101AndTouchesNothing) {
  costruzione_in_memoria c;
  c.file->sostituisci(nomi::descrizione_treno(c), treno_vuoto);
  memorizza_dati(c);
  EXPECT_EQ(c.codice_errore, 101);
  EXPECT_TRUE(presente(c, nomi::descrizione_treno(c)));
}

TEST_F(Generale, ANegativeLengthAfterAGoodOneKeepsTheCells) {
  auto r =
      compila(descrizione_linea({"lunghezza percorso, 1000", "lunghezza percorso, -5"}, {}), treno_vuoto);
  EXPECT_TRUE(r.fatale.empty());
  EXPECT_EQ(r.c.codice_errore, 25);
  EXPECT_EQ(r.c.percorso.size(), 161u);  // 8000 / 50 = 160
  EXPECT_TRUE(presente(r.c, "Valmora2_1552.dat"));
}

// ---- chainage ordering -----------------------------------------------------

struct sezione {
  int32_t inizio, fine, flag;
  bool operator==(const sezione&) const = default;
};

void PrintTo(const sezione& s, std::ostream* os) { *os << s.inizio << "/" << s.fine << "/" << s.flag; }

std::array<sezione, 3> ordina(std::array<sezione, 3> prima) {
  costruzione c("", "", "");
  for (int i = 0; i < 3; ++i) {
    c.tabella_scenario[81 + i].inizio = prima[i].inizio;
    c.tabella_scenario[81 + i].fine = prima[i].fine;
    c.tabella_scenario[81 + i].posizione_stazione = prima[i].flag;
  }
  progressive_ordina(c);
  std::array<sezione, 3> dopo;
  for (int i = 0; i < 3; ++i)
    dopo[i] = {c.tabella_scenario[81 + i].inizio, c.tabella_scenario[81 + i].fine,
               c.tabella_scenario[81 + i].posizione_stazione};
  return dopo;
}

TEST(ProgressiveOrdina, AnyAssignmentEndsDescending) {
  std::array<sezione, 3> s = {sezione{190600, 1, 0}, sezione{206200, 2, 0}, sezione{263600, 3, 0}};
  std::sort(s.begin(), s.end(), [](auto a, auto b) { return a.inizio < b.inizio; });
  const std::array<sezione, 3> atteso = {s[2], s[1], s[0]};
  do {
    EXPECT_EQ(ordina(s), atteso);
  } while (std::next_permutation(s.begin(), s.end(), [](auto a, auto b) { return a.inizio < b.inizio; }));
}

TEST(ProgressiveOrdina, TieBreaksAndClearing) {
  const sezione a{5000, 1, 0}, b{5000, 2, 0}, c{100, 3, 0}, z{0, 0, 0};
  // The greatest shared: all cleared.
  EXPECT_EQ(ordina({a, b, c}), (std::array{z, z, z}));
  EXPECT_EQ(ordina({a, a, a}), (std::array{z, z, z}));
  // Equal remaining pair: the fixed tie-break of each case.
  const sezione g{9000, 9, 0}, p{100, 1, 0}, q{100, 2, 0};
  EXPECT_EQ(ordina({g, p, q}), (std::array{g, q, p}));  // old 83 to 82, old 82 to 83
  EXPECT_EQ(ordina({p, g, q}), (std::array{g, q, p}));  // old 83 to 82, old 81 to 83
  EXPECT_EQ(ordina({p, q, g}), (std::array{g, q, p}));  // old 82 to 82, old 81 to 83
}

TEST(ProgressiveOrdina, ByDifferenceWhenAllStartsAreZero) {
  const sezione a{0, 0, 0}, b{0, 0, 0}, c{0, 50, 0};
  EXPECT_EQ(ordina({a, b, c}), (std::array{c, b, a}));
  const sezione d{0, 50, 0}, e{0, 60, 0};
  // The last positive difference decides: row 82's.
  EXPECT_EQ(ordina({d, e, a}), (std::array{e, d, a}));
  EXPECT_EQ(ordina({a, a, a}), (std::array{a, a, a}));
}

TEST(ProgressiveOrdina, FlagOneAddsAHundredAfterOrdering) {
  const auto r = ordina({sezione{100, 50, 1}, sezione{300, 50, 2}, sezione{200, 50, 1}});
  EXPECT_EQ(r[0], (sezione{300, 50, 2}));
  EXPECT_EQ(r[1], (sezione{200, 150, 1}));
  EXPECT_EQ(r[2], (sezione{100, 150, 1}));
}

TEST_F(Generale, ADifferenceThatOverflowsLeavesTheRowsOrdered) {
  // Rows 81/82/83 read as (100, 0, 0), (300, 2147483600, 1), (200, 50, 0):
  // ordered (300, ..., 1), (200, 50, 0), (100, 0, 0); then 2147483600 + 100
  // exceeds 2147483647 on row 81, code 25, and the ordered rows stay.
  auto r = compila(
      descrizione_linea({"lunghezza percorso,    30000", "progressiva chilometrica tre,    100,    0,    0",
                         "progressiva chilometrica due,    300,    2147483600,    1",
                         "progressiva chilometrica uno,    200,    50,    0"},
                        {}),
      treno_vuoto);
  const tabella& t = r.c.tabella_scenario;
  EXPECT_EQ(r.c.codice_errore, 25);
  EXPECT_EQ((std::array{t[81].inizio, t[81].fine, t[81].posizione_stazione}),
            (std::array{300, 2147483600, 1}));
  EXPECT_EQ((std::array{t[82].inizio, t[82].fine, t[82].posizione_stazione}), (std::array{200, 50, 0}));
  EXPECT_EQ((std::array{t[83].inizio, t[83].fine, t[83].posizione_stazione}), (std::array{100, 0, 0}));
}

// ---- gradients -------------------------------------------------------------

using Pendenze = prova_linea;

TEST_F(Pendenze, ARunFromEachPositionToTheNext) {
  auto r = linea({"pendenza,  500,   0", "pendenza,  950,   -11", "pendenza,  1500,   -7"});
  ASSERT_EQ(r.c.codice_errore, 0);
  const auto& p = r.c.percorso;
  for (int i = 0; i <= 18; ++i) EXPECT_EQ(p[i].pendenza, 100) << i;
  for (int i = 19; i <= 29; ++i) EXPECT_EQ(p[i].pendenza, 89) << i;
  // The tail carries -7 to N - 3; the last three stay 0.
  EXPECT_EQ(p[30].pendenza, 93);
  EXPECT_EQ(p[5537].pendenza, 93);
  for (int i = 5538; i <= 5540; ++i) EXPECT_EQ(p[i].pendenza, 0) << i;
}

TEST_F(Pendenze, NoRecordsGiveGradientZeroEverywhere) {
  auto r = linea({});
  EXPECT_EQ(r.c.percorso[0].pendenza, 100);
  EXPECT_EQ(r.c.percorso[5537].pendenza, 100);
  EXPECT_EQ(r.c.percorso[5538].pendenza, 0);
}

TEST_F(Pendenze, RepeatedPositionStillWritesOneCell) {
  auto r = linea({"pendenza  , 265350   , 4", "pendenza  , 265350   , 0", "pendenza, 266000, 2"});
  const auto& p = r.c.percorso;
  EXPECT_EQ(p[5306].pendenza, 100);
  EXPECT_EQ(p[5307].pendenza, 104);
  EXPECT_EQ(p[5308].pendenza, 100);
  EXPECT_EQ(p[5319].pendenza, 100);
  EXPECT_EQ(p[5320].pendenza, 102);
}

TEST_F(Pendenze, SmallPositionsWriteNoCellAndTiesGoToEven) {
  // 25/50 rounds to 0: only the previous gradient changes. 75/50 = 1.5 -> 2.
  auto r = linea({"pendenza, 25, 5", "pendenza, 75, 7"});
  EXPECT_EQ(r.c.percorso[0].pendenza, 105);
  EXPECT_EQ(r.c.percorso[1].pendenza, 105);
  EXPECT_EQ(r.c.percorso[2].pendenza, 107);
}

TEST_F(Pendenze, ValuesOutsideTheByteKeepTheirLowBits) {
  auto r = linea({"pendenza, 0, 200", "pendenza, 100, -101"});
  EXPECT_EQ(r.c.percorso[0].pendenza, 44);   // 300 mod 256
  EXPECT_EQ(r.c.percorso[2].pendenza, 255);  // -1 mod 256
}

TEST_F(Pendenze, PositionCheckAtTheLastCell) {
  // N = 5540: (276900 + 100)/50 = 5540 passes, 276901 does not.
  auto ok = linea({"pendenza, 276900, 3"});
  EXPECT_EQ(ok.c.codice_errore, 0);
  auto r = compila(descrizione_linea(generale_con(270000), {"pendenza, 276901, 3", "pendenza, 0, 9"}),
                   descrizione_treno({"numero vetture,    8"}));
  EXPECT_EQ(r.c.codice_errore, 15);
  EXPECT_EQ(r.c.posizione_errore, 276901);
  EXPECT_FALSE(presente(r.c, nomi::descrizione_linea(r.c)));
  EXPECT_FALSE(presente(r.c, nomi::descrizione_treno(r.c)));
  EXPECT_EQ(r.c.tabella_scenario[84].posizione_stazione, 8) << "the train is still read";
  EXPECT_EQ(r.c.percorso[5537].pendenza, 100) << "the tail still runs";
}

TEST_F(Pendenze, ThirdCommentInARowIsExaminedAsARecord) {
  auto r = linea({"- uno", "- due", "- pendenza, 100, 3"});
  // Third token read as a gradient: i = 2 -> cells 0,1 get 100, then 103.
  EXPECT_EQ(r.c.percorso[1].pendenza, 100);
  EXPECT_EQ(r.c.percorso[2].pendenza, 103);
  auto s = linea({"- uno", "- pendenza, 100, 3"});
  EXPECT_EQ(s.c.percorso[2].pendenza, 100);
}

TEST_F(Pendenze, LineCodeFifteenMakesTheFirstSignalLeaveTheTrainCompiler) {
  auto r = linea({"pendenza, 276901, 3"}, 270000,
                 descrizione_treno({"segnale, 1100, 2, 4, 1, 0, 0, 2, 2,0,0, 0", "numero vetture, 8"}));
  EXPECT_EQ(r.c.codice_errore, 15);
  EXPECT_EQ(r.c.posizione_errore, 1100);
  EXPECT_EQ(r.c.percorso[23].tipo, 1) << "the signal was placed first";
  EXPECT_EQ(r.c.tabella_scenario[84].posizione_stazione, 0) << "nothing read after it";
}

// ---- plan geometry ---------------------------------------------------------

using Geometria = prova_linea;

double x(const costruzione& c, int32_t m) { return c.tracciato.at(m, 0).valore; }
double y(const costruzione& c, int32_t m) { return c.tracciato.at(m, 1).valore; }

TEST_F(Geometria, FirstCurveOfTheDocument) {
  auto r = linea({"curvad2,   500,  300"});
  const auto& c = r.c;
  EXPECT_EQ(x(c, 500), 0.0);
  EXPECT_EQ(y(c, 500), 500.0);
  EXPECT_DOUBLE_EQ(x(c, 501), 0.0002);
  EXPECT_EQ(y(c, 501), 501.0);
  // Step (0.0004, 1 - 0.0002 * 0.0002).
  EXPECT_NEAR(x(c, 502), 0.0006, 1e-15);
  EXPECT_NEAR(y(c, 502), 501.99999996, 1e-9);
  EXPECT_NEAR(x(c, 503), 0.0012, 1e-9);
  EXPECT_NEAR(y(c, 503), 502.99999984, 1e-8);
  EXPECT_NEAR(x(c, 800), 9.02732, 1e-5);
  EXPECT_NEAR(y(c, 800), 799.82003, 1e-5);
  const double passo = std::hypot(x(c, 800) - x(c, 799), y(c, 800) - y(c, 799));
  EXPECT_NEAR(passo, 1.000006, 1e-6);
  // After the curve: straight on in its last direction.
  EXPECT_NEAR(x(c, 801) - x(c, 800), x(c, 800) - x(c, 799), 1e-12);
}

TEST_F(Geometria, ElementKindsAndTheStraightTail) {
  auto r = linea({}, 1000);
  const auto& t = r.c.tracciato;
  EXPECT_EQ(t.at(0, 0).specie, specie_elemento::intero);
  EXPECT_EQ(t.at(1, 1).specie, specie_elemento::intero);
  EXPECT_EQ(t.at(1, 1).valore, 1.0);
  EXPECT_EQ(t.at(2, 0).specie, specie_elemento::reale);
  EXPECT_EQ(x(r.c, 7998), 0.0);
  EXPECT_EQ(y(r.c, 7998), 7998.0);
  EXPECT_EQ(t.at(7999, 0).specie, specie_elemento::vuoto);
  EXPECT_EQ(t.at(8000, 1).specie, specie_elemento::vuoto);
}

TEST_F(Geometria, ClassSixTurnsAboutNineTenthsOfARadianClockwise) {
  auto r = linea({"curvad6, 2, 300"});
  const auto& c = r.c;
  // First curved metre is 3: step (0 + 0.003 * 1, 1 - 0.003 * 0).
  EXPECT_DOUBLE_EQ(x(c, 3) - x(c, 2), 0.003);
  EXPECT_DOUBLE_EQ(y(c, 3) - y(c, 2), 1.0);
  const double angolo = std::atan2(x(c, 302) - x(c, 301), y(c, 302) - y(c, 301));
  EXPECT_NEAR(angolo, 0.9, 0.001);
}

TEST(Curvatura, DigitAndSideFromTheKeyword) {
  const std::pair<const char*, double> casi[] = {
      {"curvas3", 0.0004}, {"CURVAD3", 0.0004}, {"curvad13", 0.0001},
      {"curvad6", 0.003},  {"curvad7", 0.0},    {"curvad", 0.0},
  };
  for (auto [parola, k] : casi) EXPECT_EQ(curvatura(parola), k) << parola;
}

TEST_F(Geometria, AnSMakesTheCurveTurnTheOtherWay) {
  auto r = linea({"curvaS1, 100, 10"});
  EXPECT_LT(x(r.c, 110), 0.0);
  auto q = compila(descrizione_linea(generale_con(270000), {"CURVAD1, 100, 10"}), treno_vuoto);
  EXPECT_GT(x(q.c, 110), 0.0);
}

TEST_F(Geometria, OverlappingCurveTurnsOnlyItsRemainingMetres) {
  auto r = linea({"curvad4, 100, 100", "curvas4, 150, 100", "curvad4, 10, 20"});
  // The second curve starts at metre 201 (counter), turning back to metre 250;
  // the third ends before the counter and changes nothing.
  auto q = linea({"curvad4, 100, 100", "curvas4, 200, 50"});
  for (int m : {250, 251, 400}) {
    EXPECT_EQ(x(r.c, m), x(q.c, m)) << m;
    EXPECT_EQ(y(r.c, m), y(q.c, m)) << m;
  }
}

TEST_F(Geometria, NoPlanWhenNotRequested) {
  auto r = compila(descrizione_linea(generale_con(1000), {"curvad4, 100, 100", "pendenza, 500, 2"}),
                   treno_vuoto, 0);
  EXPECT_EQ(r.c.codice_errore, 0);
  EXPECT_FALSE(r.c.tracciato.esiste());
  EXPECT_EQ(r.c.percorso[10].pendenza, 102);
  EXPECT_FALSE(presente(r.c, "Valmora2_linea.dat"));
}

TEST_F(Geometria, Code103LeavesTheTrainUnread) {
  struct caso {
    std::vector<std::string> record;
    int32_t lunghezza;
  };
  const caso casi[] = {
      {{"curvad7, 500, 300"}, 270000},       // no digit 1 to 6
      {{"curvad1, 6850, 1000"}, 0},          // would run past metre L + 7000 = 7000
      {{"curvad1, 999000, 5000"}, 1000000},  // past the metre limit
  };
  for (const auto& k : casi) {
    auto r = compila(descrizione_linea(generale_con(k.lunghezza), k.record), treno_vuoto);
    EXPECT_EQ(r.c.codice_errore, 103) << k.record[0];
    EXPECT_FALSE(presente(r.c, nomi::descrizione_linea(r.c)));
    EXPECT_TRUE(presente(r.c, nomi::descrizione_treno(r.c)));
  }
  auto r = compila(descrizione_linea(generale_con(0), {"curvad1, 6850, 1000"}), treno_vuoto);
  // Metres up to 7000 are computed and kept.
  EXPECT_EQ(r.c.tracciato.at(7000, 0).specie, specie_elemento::reale);
}

// ---- tunnels, indicators, signs --------------------------------------------

using Oggetti = prova_linea;

TEST_F(Oggetti, TunnelRunAndLights) {
  auto r = linea({"montagna,   22550,  25650,  11", "montagna,   265050,  265300,  2"});
  const auto& p = r.c.percorso;
  EXPECT_EQ(p[450].galleria, 0);
  EXPECT_EQ(p[451].galleria, 1);
  EXPECT_EQ(p[512].galleria, 1);
  EXPECT_EQ(p[513].galleria, 0);
  int luci = 0;
  for (int i = 451; i <= 512; ++i) {
    bool luce = (i - 451 + 1) % 4 == 0;  // 454, 458, ..., 510
    EXPECT_EQ(p[i].tipo, luce ? 11 : 0) << i;
    luci += p[i].tipo == 11;
  }
  EXPECT_EQ(luci, 15);
  for (int i = 5301; i <= 5305; ++i) {
    EXPECT_EQ(p[i].galleria, 2);
    EXPECT_EQ(p[i].tipo, 0);
  }
  EXPECT_EQ(p[5306].galleria, 0);
}

TEST_F(Oggetti, CloseTunnelsBecomeTypeThree) {
  auto r = linea(
      {"montagna,   44950,  45050,  11", "montagna,   45200,  45600,  12", "montagna,   45751,  46000,  12"});
  const auto& p = r.c.percorso;
  EXPECT_EQ(p[899].galleria, 1);
  EXPECT_EQ(p[904].galleria, 3);  // gap exactly 150
  EXPECT_EQ(p[907].tipo, 11) << "the light flag survives the forced type";
  EXPECT_EQ(p[915].galleria, 2);  // gap 151 keeps its type
  auto primo = linea({"montagna, 0, 500, 12"});
  EXPECT_EQ(primo.c.percorso[0].galleria, 2);
}

TEST_F(Oggetti, TunnelPastTheEndIsClipped) {
  auto r = linea({"montagna, 1000, 99000, 1"}, 1000);
  EXPECT_EQ(r.c.codice_errore, 0);
  EXPECT_EQ(r.c.percorso[160].galleria, 1);
}

TEST_F(Oggetti, Indicators) {
  auto r = linea({"indicatori_vmax,  1050, 85, 90, 95, 0, 85, 90, 95, 0",
                  "indicatori_vmax,192050,115,120,130, 2,115,120,130, 2"});
  const cella& a = r.c.percorso[22];
  EXPECT_EQ(a.tipo, 6);
  EXPECT_EQ((std::array{a.dato1, a.dato2, a.dato3, a.dato4}), (std::array<int16_t, 4>{1717, 1818, 1919, 0}));
  // round(192050/50 + 1) = 3842; 115*20 + 115/5 = 2323; stripes 2*10 + 2.
  const cella& b = r.c.percorso[3842];
  EXPECT_EQ(b.dato1, 2323);
  EXPECT_EQ(b.dato4, 22);
  auto q = linea({"indicatori_vmax, 1000, 155, 0, 0, 0, 165, 0, 0, 0"});
  EXPECT_EQ(q.c.percorso[21].dato1, 3133);
}

TEST_F(Oggetti, IndicatorTakesALightButNotAnotherIndicator) {
  // Tunnel lights at cells 3, 7: an indicator at 100 m goes to cell 3.
  auto r = linea({"montagna, 0, 500, 11", "indicatori_vmax, 100, 85, 90, 95, 0, 85, 90, 95, 0"});
  EXPECT_EQ(r.c.codice_errore, 0);
  EXPECT_EQ(r.c.percorso[3].tipo, 6);
  auto q = linea({"indicatori_vmax, 100, 85, 90, 95, 0, 85, 90, 95, 0",
                  "indicatori_vmax, 110, 85, 90, 95, 0, 85, 90, 95, 0", "pendenza, 500, 5"},
                 270000, descrizione_treno({"numero vetture, 8"}));
  EXPECT_EQ(q.c.codice_errore, 21);
  EXPECT_EQ(q.c.posizione_errore, 110);
  EXPECT_FALSE(presente(q.c, nomi::descrizione_linea(q.c)));
  EXPECT_TRUE(presente(q.c, nomi::descrizione_treno(q.c)));
  EXPECT_EQ(q.c.percorso[10].pendenza, 0) << "no closing steps after 21";
}

TEST_F(Oggetti, IndicatorSpeedThatDoesNotFitIsAFault) {
  auto r = linea({"indicatori_vmax, 100, 85, 1639, 95, 0, 85, 90, 95, 0"});
  EXPECT_EQ(r.c.codice_errore, 25);
  // dato1 was stored before dato2 failed.
  EXPECT_EQ(r.c.percorso[3].tipo, 6);
  EXPECT_EQ(r.c.percorso[3].dato1, 1717);
  EXPECT_FALSE(presente(r.c, nomi::descrizione_treno(r.c)));
}

TEST_F(Oggetti, SignsCountDownFromRowEighty) {
  auto r = linea({"cartello indicatore,  266250,   (CAVALCAVIA) ( STATUTO )         ",
                  "cartello_indicatore,  22500,   (   GALLERIA  )(MONTE PERAZZO)(    m 3092   )"});
  EXPECT_EQ(r.c.codice_errore, 0);
  EXPECT_EQ(r.c.tabella_scenario[80].nome, "(CAVALCAVIA) ( STATUTO )");
  EXPECT_EQ(r.c.tabella_scenario[79].nome, "(   GALLERIA  )(MONTE PERAZZO)(    m 3092   )");
  EXPECT_EQ(r.c.percorso[5326].tipo, 14);
  EXPECT_EQ(r.c.percorso[5326].dato1, 80);
  EXPECT_EQ(r.c.percorso[451].dato1, 79);
  EXPECT_EQ(r.c.segno_cartelli, 78);
}

TEST_F(Oggetti, SignPositionAndOccupiedCell) {
  auto oltre = linea({"cartello indicatore, 276000, (A)"});
  EXPECT_EQ(oltre.c.percorso[5521].tipo, 14) << "within the margin beyond the route";
  auto fuori = linea({"cartello indicatore, 276901, (A)"});
  EXPECT_EQ(fuori.c.codice_errore, 15);
  EXPECT_EQ(fuori.c.posizione_errore, 276901);
  auto presa = linea({"indicatori_vmax, 100, 85, 90, 95, 0, 85, 90, 95, 0", "cartello indicatore, 100, (A)"});
  EXPECT_EQ(presa.c.codice_errore, 6);
  EXPECT_EQ(presa.c.posizione_errore, 100);
  EXPECT_TRUE(presa.c.tabella_scenario[80].nome.empty());
}

TEST_F(Oggetti, LimitsOfTheListsAreCode25) {
  std::vector<std::string> gallerie;
  for (int i = 0; i < 81; ++i)
    gallerie.push_back("montagna, " + std::to_string(i * 1000) + ", " + std::to_string(i * 1000 + 100) +
                       ", 1");
  auto r = linea(gallerie);
  EXPECT_EQ(r.c.codice_errore, 25);
  EXPECT_EQ(r.c.percorso[1580].galleria, 1) << "the 80th tunnel was placed";
  EXPECT_TRUE(presente(r.c, nomi::descrizione_treno(r.c))) << "a failure exit of the line half";

  std::vector<std::string> cartelli;
  for (int i = 0; i < 82; ++i)
    cartelli.push_back("cartello indicatore, " + std::to_string(i * 100) + ", (X)");
  auto s = linea(cartelli);
  EXPECT_EQ(s.c.codice_errore, 25);
  EXPECT_EQ(s.c.tabella_scenario[0].nome, "(X)") << "81 signs fit, down to row 0";
}

TEST_F(Oggetti, NegativeOwnCellIsCode25) {
  auto r = linea({"indicatori_vmax, -200, 85, 90, 95, 0, 85, 90, 95, 0"});
  EXPECT_EQ(r.c.codice_errore, 25);
}

}  // namespace
