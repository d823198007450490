// The finishing pass, the final block and the competition codes.
#include "output/finitura.h"

#include <gtest/gtest.h>

#include "aiuti.h"
#include "files/archivio.h"
#include "files/nomi_file.h"
#include "output/codici_gara.h"
#include "run/memorizza_percorso.h"

namespace {

// A bare model of 200 cells (N = 199) to place objects on by hand.
struct modello {
  modello() : c("", "Valmora2", "1552") { c.percorso.assign(200, cella{}); }
  cella& at(int i) { return c.percorso[static_cast<size_t>(i)]; }
  void metti(int i, uint8_t tipo, int16_t dato1 = 0) {
    at(i).tipo = tipo;
    at(i).dato1 = dato1;
  }
  bool segnata(int i) { return at(i).tipo == 12 && at(i).dato1 == 180; }
  int segnate() {
    int n = 0;
    for (const cella& x : c.percorso) n += x.tipo == 12;
    return n;
  }
  costruzione c;
};

struct Passata : ::testing::Test, modello {};

// ---- rule A: signals before a warning board --------------------------------

TEST_F(Passata, BoardPutsACodePointInFrontOfEverySignalInItsWindow) {
  metti(100, 4);
  metti(95, 1);
  metti(81, 1);
  metti(79, 1);  // 21 cells before: outside the window
  passata_finale(c);
  EXPECT_TRUE(segnata(94));
  EXPECT_TRUE(segnata(80));
  EXPECT_EQ(at(78).tipo, 0);
  EXPECT_EQ(c.codice_errore, 0);
}

TEST_F(Passata, BoardAtSmallIndices) {
  metti(3, 4);
  metti(2, 1);
  passata_finale(c);
  EXPECT_EQ(segnate(), 0) << "i - 1 < 3: no cell is looked at";

  modello altra;
  altra.metti(4, 4);
  altra.metti(3, 1);
  altra.metti(2, 6);
  passata_finale(altra.c);
  EXPECT_TRUE(altra.segnata(1)) << "the cell in front is taken, so the one before it";
}

TEST_F(Passata, TunnelLightInFrontOfASignalIsReplaced) {
  metti(50, 4);
  metti(45, 1);
  metti(44, 11);
  passata_finale(c);
  EXPECT_TRUE(segnata(44));
}

TEST_F(Passata, ExistingCodePointsAreLoweredNeverRaised) {
  struct caso {
    int16_t codice;
    uint8_t prima;  // tipo of the cell before the code point
    int16_t atteso_davanti;
    bool seconda;  // a new code point before it
  };
  const caso casi[] = {
      {270, 6, 180, false},
      {75, 6, 75, false},
      {270, 0, 270, true},
  };
  for (const caso& k : casi) {
    modello p;
    p.metti(50, 4);
    p.metti(45, 1);
    p.metti(44, 12, k.codice);
    p.metti(43, k.prima);
    passata_finale(p.c);
    EXPECT_EQ(p.at(44).dato1, k.atteso_davanti) << k.codice;
    EXPECT_EQ(p.segnata(43), k.seconda) << k.codice;
  }
}

TEST_F(Passata, TwoTakenCellsInFrontOfASignalAreCode11) {
  metti(50, 4);
  metti(45, 1);
  metti(44, 6);
  metti(43, 10);
  passata_finale(c);
  EXPECT_EQ(c.codice_errore, 11);
  EXPECT_EQ(c.posizione_errore, 45 * 50);
}

// ---- rule B: slowdown starts -----------------------------------------------

// Start cells with dato1 110: no walk, so only the groups before the start act.
TEST_F(Passata, GroupsBeforeTheStartByIndex) {
  struct caso {
    int inizio;
    std::vector<int> attese;
  };
  const caso casi[] = {
      {7, {}},
      {8, {3}},           // B1 only
      {14, {9, 3}},       // B1 and B2
      {21, {16, 10, 3}},  // all three
  };
  for (const caso& k : casi) {
    modello p;
    p.metti(k.inizio, 3, 110);
    passata_finale(p.c);
    EXPECT_EQ(p.segnate(), static_cast<int>(k.attese.size())) << k.inizio;
    for (int i : k.attese) EXPECT_TRUE(p.segnata(i)) << k.inizio << " -> " << i;
  }
}

TEST_F(Passata, GroupTakesTheFirstFreeCellOrRecords12) {
  metti(100, 3, 110);
  metti(95, 6);
  metti(94, 6);
  metti(89, 6);
  metti(88, 6);
  metti(87, 6);
  passata_finale(c);
  EXPECT_TRUE(segnata(93));
  EXPECT_EQ(c.codice_errore, 12);
  EXPECT_EQ(c.posizione_errore, 5000);
  EXPECT_TRUE(segnata(82)) << "B3 still runs after B2 failed";
}

TEST_F(Passata, WalkAlongASlowSlowdown) {
  metti(50, 3, 100);
  metti(70, 2);
  passata_finale(c);
  EXPECT_TRUE(segnata(58));
  EXPECT_TRUE(segnata(66));
  EXPECT_FALSE(segnata(74));
  EXPECT_EQ(c.codice_errore, 0);
}

TEST_F(Passata, NoWalkAtExactly110) {
  metti(50, 3, 110);
  metti(70, 2);
  passata_finale(c);
  EXPECT_FALSE(segnata(58));
  EXPECT_EQ(segnate(), 3);
}

TEST_F(Passata, SlowdownEndingInTheNextCellMarksNothingAlongIt) {
  metti(50, 3, 60);
  metti(51, 2);
  passata_finale(c);
  EXPECT_EQ(segnate(), 3) << "only the three groups before the start";
}

TEST_F(Passata, WalkFallsBackToTheNeighbours) {
  metti(50, 3, 60);
  metti(58, 6);  // 8th cell taken: the one before it
  metti(70, 2);
  passata_finale(c);
  EXPECT_TRUE(segnata(57));
  // Counter restarts at 1 after m - 1: next mark at 57 + 8 = 65.
  EXPECT_TRUE(segnata(65));

  modello p;
  p.metti(50, 3, 60);
  p.metti(58, 6);
  p.metti(57, 6);
  p.metti(70, 2);
  passata_finale(p.c);
  EXPECT_TRUE(p.segnata(59));
  EXPECT_TRUE(p.segnata(67)) << "counter -1 after m + 1: 8 cells after 59";
}

TEST_F(Passata, WalkWithNoFreeCellIs13AndMarksNoMore) {
  metti(50, 3, 60);
  metti(57, 6);
  metti(58, 6);
  metti(59, 6);
  metti(90, 2);
  passata_finale(c);
  EXPECT_EQ(c.codice_errore, 13);
  EXPECT_EQ(c.posizione_errore, 58 * 50);
  for (int i = 60; i < 90; ++i) EXPECT_NE(at(i).tipo, 12) << i;
}

TEST_F(Passata, WalkWithoutAnEndStopsAtTheLastCell) {
  metti(150, 3, 60);
  passata_finale(c);
  EXPECT_TRUE(segnata(158));
  EXPECT_TRUE(segnata(190));
  EXPECT_TRUE(segnata(198)) << "marked ahead of the sweep";
}

TEST_F(Passata, FirstSignalAfterTheSlowdown) {
  metti(50, 3, 60);
  metti(55, 2);
  metti(67, 1);  // 12 cells after the end: inside the 13-cell window
  passata_finale(c);
  EXPECT_TRUE(segnata(66));

  modello lontano;
  lontano.metti(50, 3, 60);
  lontano.metti(55, 2);
  lontano.metti(68, 1);
  passata_finale(lontano.c);
  EXPECT_FALSE(lontano.segnata(67));

  modello preso;
  preso.metti(50, 3, 60);
  preso.metti(55, 2);
  preso.metti(60, 1);
  preso.metti(59, 6);
  preso.metti(58, 6);
  passata_finale(preso.c);
  EXPECT_EQ(preso.c.codice_errore, 13);
  EXPECT_EQ(preso.c.posizione_errore, 55 * 50) << "the walk position, not the signal's";
}

// ---- final block and competition codes -------------------------------------

TEST(CodiciGara, WorkedValues) {
  struct caso {
    const char* treno;
    const char* id;
    int32_t og;
    int32_t st;
  };
  // The key is the train number, the identifier and the padding
  // "aabbccddeeffgghhiillmmnnoo", in lower case; its first 25 bytes count:
  // og is their sum, st the sum of each byte times its place (1 to 25).
  // "1" + "abc": "1abcaabbccddeeffgghhiillm" = 49+97+98+99+97+97+98+98+99+99+
  // 100+100+101+101+102+102+103+103+104+104+105+105+108+108+109 = 2486, and
  // 1*49 + 2*97 + 3*98 + ... + 24*108 + 25*109 = 33517. The shipped identity's
  // sums are worked out beside spedito::codice_og. The same bytes in another
  // order keep the sum and change the weighted sum.
  const caso casi[] = {
      {"1552", "Valmora2", spedito::codice_og, spedito::codice_st},
      {"1", "abc", 2486, 33517},
      {"", "", 2583, 34355},
      {"Valmora2", "1552", spedito::codice_og, 30278},
      {"1", "ABC", 2486, 33517},
      {"1552", "VALMORA2", spedito::codice_og, spedito::codice_st},
  };
  for (const caso& k : casi) {
    costruzione c("", k.id, k.treno);
    c.tabella_scenario[85].nome = k.id;
    c.tabella_scenario[86].nome = k.treno;
    EXPECT_EQ(codice_gara_og(c), k.og) << k.treno << "/" << k.id;
    EXPECT_EQ(codice_gara_st(c), k.st) << k.treno << "/" << k.id;
  }
}

TEST(CodiciGara, OnlyTheFirst25CharactersCount) {
  costruzione a("", "", ""), b("", "", "");
  a.tabella_scenario[86].nome = std::string(25, 'x');
  b.tabella_scenario[86].nome = std::string(25, 'x') + "yyy";
  EXPECT_EQ(codice_gara_og(a), 25 * 'x');
  EXPECT_EQ(codice_gara_og(b), 25 * 'x');
  EXPECT_EQ(codice_gara_st(a), codice_gara_st(b));
}

TEST_F(Passata, FinalBlockStampsTheReservedFields) {
  c.tabella_scenario[85].nome = "Valmora2";
  c.tabella_scenario[86].nome = "1552";
  blocco_finale(c);
  EXPECT_EQ(at(1).dato1, 5121);
  EXPECT_EQ(at(1).dato2, spedito::codice_og);
  EXPECT_EQ(c.tabella_scenario[85].d2_a, 610);
  EXPECT_EQ(c.tabella_scenario[85].orario, spedito::codice_st);
}

TEST_F(Passata, FinalBlockGuards) {
  at(1).dato1 = 7;
  EXPECT_EQ(blocco_finale(c), 1250);
  modello p;
  p.at(1).dato2 = 3;
  EXPECT_EQ(blocco_finale(p.c), 1251);
}

TEST(Costruzione, CodePointInCellOneEndsTheBuildWithoutFiles) {
  auto r = compila(descrizione_linea(generale_con(270000), {}),
                   descrizione_treno({"abbattimento codice, 50, 270"}));
  EXPECT_EQ(r.fatale, "1250");
  EXPECT_FALSE(presente(r.c, "Valmora2_linea.dat"));
  EXPECT_FALSE(presente(r.c, "Valmora2_1552.sim"));
  EXPECT_FALSE(presente(r.c, "Valmora2_1552.dat"));

  // Start cell 1 with speed 0 and d_v 5: dato1 stays 0, dato2 is 5.
  auto s = compila(descrizione_linea(generale_con(270000), {}),
                   descrizione_treno({"rallentamento, 0, 0, 100, 0, 0, 5"}));
  EXPECT_EQ(s.fatale, "1251");
  EXPECT_FALSE(presente(s.c, "Valmora2_1552.dat"));
}

TEST(Costruzione, RecordedCodeStillWritesTheFiles) {
  auto r = compila(descrizione_linea(generale_con(270000), {"pendenza, 276901, 0"}), descrizione_treno({}));
  EXPECT_TRUE(r.fatale.empty());
  EXPECT_EQ(r.c.codice_errore, 15);
  EXPECT_EQ(contenuto(r.c, "Valmora2_1552.dat").size(), spedito::byte_celle);
  EXPECT_EQ(contenuto(r.c, "Valmora2_linea.dat").size(), spedito::byte_piano);
  // 87 rows of 34 bytes, plus "Valmora2" and "1552".
  EXPECT_EQ(contenuto(r.c, "Valmora2_1552.sim").size(), 2958u + 8u + 4u);
}

TEST(Costruzione, SlowdownThroughTheWholeBuild) {
  auto r = compila(descrizione_linea(generale_con(270000), {}),
                   descrizione_treno({"segnale, 3000, 2, 4, 1, 0, 0, 2, 2,0,0, 0",
                                      "rallentamento, 5000, 60, 400, 0, 1, 0"}));
  ASSERT_TRUE(r.fatale.empty());
  EXPECT_EQ(r.c.codice_errore, 0);
  const auto& p = r.c.percorso;
  // Board at 77; the signal at cell 61 is 16 cells before it: code point at 60.
  EXPECT_EQ(p[60].tipo, 12);
  EXPECT_EQ(p[60].dato1, 180);
  // Start 101: groups at 96, 90, 83; walk to the end at 109 marks 108.
  for (int i : {96, 90, 83, 108}) EXPECT_EQ(p[i].tipo, 12) << i;
  EXPECT_EQ(p[1].dato1, 5121);
}

}  // namespace

namespace {
TEST(Costruzione, InMemoryGivesTheSameFilesAsOnDisk) {
  const std::string linea = descrizione_linea(generale_con(3000), {"pendenza, 500, 4", "curvad3, 200, 400"});
  const std::string treno =
      descrizione_treno({"segnale, 1100, 2, 4, 1, 0, 0, 2, 2,0,0, 0", "velocita, 1000, 95"});
  cartella_temporanea dir;
  auto su_disco = compila_su_disco(dir, linea, treno);
  ASSERT_EQ(su_disco.c.codice_errore, 0);

  archivio_memoria memoria;
  costruzione c("cartella", "Valmora2", "1552");
  c.archivio_file = &memoria;
  memoria.sostituisci(nomi::descrizione_linea(c), linea);
  memoria.sostituisci(nomi::descrizione_treno(c), treno);
  ASSERT_TRUE(memorizza_percorso(c, 1).fatale.empty());
  EXPECT_FALSE(memoria.esiste(nomi::descrizione_linea(c)));
  EXPECT_FALSE(memoria.esiste(nomi::descrizione_treno(c)));
  for (const char* nome : {"Valmora2_linea.dat", "Valmora2_1552.sim", "Valmora2_1552.dat"}) {
    ASSERT_TRUE(memoria.esiste(std::filesystem::path("cartella") / nome)) << nome;
    EXPECT_EQ(memoria.leggi(std::filesystem::path("cartella") / nome), leggi(dir / nome)) << nome;
  }
  EXPECT_FALSE(esiste(std::filesystem::path("cartella"))) << "nothing reached the disk";
}
}  // namespace
