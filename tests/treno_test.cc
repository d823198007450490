// The train compiler: general data, adhesion, speed limits, stations,
// signals, code cuts and slowdowns, and its exits.
#include <gtest/gtest.h>

#include "aiuti.h"
#include "files/nomi_file.h"

namespace {

const std::string linea_base = descrizione_linea(generale_con(270000), {});

struct prova_treno : ::testing::Test {
  costruzione_in_memoria treno(const std::vector<std::string>& record,
                               const std::string& linea = linea_base) {
    return compila_dati(linea, descrizione_treno(record));
  }
  costruzione_in_memoria testo(const std::string& treno) { return compila_dati(linea_base, treno); }
  bool treno_rimasto(const costruzione& c) const { return presente(c, nomi::descrizione_treno(c)); }
};

// ---- general data, adhesion, speed -----------------------------------------

using GeneraleTreno = prova_treno;

TEST_F(GeneraleTreno, FiguresClockAndSand) {
  auto c = treno({"NUMERO VETTURE,    8", "percentuale massa frenata,    130", "sabbia,    200",
                  "orologio,    13              53            30 "});
  EXPECT_EQ(c.codice_errore, 0);
  const tabella& t = c.tabella_scenario;
  EXPECT_EQ(t[84].posizione_stazione, 8);
  EXPECT_EQ(t[84].inizio, 130);
  EXPECT_EQ(t[86].d2_a, 200);
  EXPECT_EQ((std::array{t[86].d1_b, t[86].d2_b, t[86].d3_b}), (std::array<int16_t, 3>{13, 53, 30}));
  EXPECT_FALSE(treno_rimasto(c));
}

TEST_F(GeneraleTreno, AdhesionRunAndTail) {
  auto c = treno({"aderenza,       0, 80", "aderenza,       0,    80", "aderenza,  198000,   100"});
  // 198000/50 = 3960: cells 0..3959 carry 80, then 100 to N - 3 = 5537.
  EXPECT_EQ(c.percorso[0].aderenza, 80);
  EXPECT_EQ(c.percorso[3959].aderenza, 80);
  EXPECT_EQ(c.percorso[3960].aderenza, 100);
  EXPECT_EQ(c.percorso[5537].aderenza, 100);
  EXPECT_EQ(c.percorso[5538].aderenza, 0);
}

TEST_F(GeneraleTreno, SpeedRunFromTheDocumentRows) {
  auto c =
      treno({"velocita' limite ,     0    ,   30", "velocita,    1000,    95", "velocita,    5850,   110"});
  for (int i = 0; i <= 19; ++i) EXPECT_EQ(c.percorso[i].vel_limite, 6) << i;
  for (int i = 20; i <= 116; ++i) EXPECT_EQ(c.percorso[i].vel_limite, 19) << i;
  EXPECT_EQ(c.percorso[117].vel_limite, 22);
  EXPECT_EQ(c.percorso[5537].vel_limite, 22);
  EXPECT_EQ(c.percorso[5538].vel_limite, 0);
}

TEST_F(GeneraleTreno, SpeedRecordsOnOneCellOrBehindTheFillPoint) {
  // 1010/50 rounds to 20 as 1000 does: cell 20 gets one more 95 (19), 100 (20) from 21.
  auto c = treno({"velocita, 1000, 95", "velocita, 1010, 100"});
  EXPECT_EQ(c.percorso[19].vel_limite, 0) << "the speed before the first record";
  EXPECT_EQ(c.percorso[20].vel_limite, 19);
  EXPECT_EQ(c.percorso[21].vel_limite, 20);
  auto b = compila_dati(linea_base, descrizione_treno({"velocita, 2000, 50", "velocita, 1000, 60"}));
  EXPECT_EQ(b.percorso[40].vel_limite, 10) << "one cell with the current speed";
  EXPECT_EQ(b.percorso[41].vel_limite, 12);
}

TEST_F(GeneraleTreno, NoSpeedRecordsLeaveZero) {
  auto c = treno({});
  EXPECT_EQ(c.percorso[100].vel_limite, 0);
  EXPECT_EQ(c.percorso[100].aderenza, 0);
}

TEST_F(GeneraleTreno, SpeedWhoseFifthDoesNotFitIsAFaultWhenWritten) {
  // 1277/5 = 255.4 -> 255 fits; 1278/5 = 255.6 -> 256 does not.
  auto ok = treno({"velocita, 0, 1277"});
  EXPECT_EQ(ok.codice_errore, 0);
  EXPECT_EQ(ok.percorso[3].vel_limite, 255);
  auto ko = compila_dati(linea_base, descrizione_treno({"velocita, 0, 1278", "numero vetture, 3"}));
  EXPECT_EQ(ko.codice_errore, 25);
  EXPECT_EQ(ko.tabella_scenario[84].posizione_stazione, 3) << "read before the tail failed";
}

TEST_F(GeneraleTreno, LastTokenOfTheFileIsNeverExamined) {
  auto solo = testo("x\r\n[generale]\r\nnumero vetture\r\n");
  EXPECT_EQ(solo.codice_errore, 0);
  auto record = compila_dati(linea_base, "x\r\n[generale]\r\nvelocita,    1000,    95\r\n");
  EXPECT_EQ(record.percorso[25].vel_limite, 19);
}

TEST_F(GeneraleTreno, EmptyOrHeaderlessFiles) {
  auto vuoto = testo("");
  EXPECT_EQ(vuoto.codice_errore, 25);
  EXPECT_FALSE(treno_rimasto(vuoto));
  auto senza = compila_dati(linea_base, "numero vetture, 8\r\nvelocita, 1000, 95\r\n");
  EXPECT_EQ(senza.codice_errore, 0);
  EXPECT_EQ(senza.tabella_scenario[84].posizione_stazione, 0);
}

TEST_F(GeneraleTreno, DashRuleDropsUpToTwoComments) {
  auto c = treno({"- avviso Settebagni", "numero vetture, 8"});
  EXPECT_EQ(c.tabella_scenario[84].posizione_stazione, 8);
  auto tre = compila_dati(linea_base, descrizione_treno({"- a", "- b", "- c", "numero vetture, 8"}));
  EXPECT_EQ(tre.tabella_scenario[84].posizione_stazione, 8)
      << "the third is examined, the next read normally";
  auto due = compila_dati(linea_base, descrizione_treno({"- a", "- numero vetture, 8"}));
  EXPECT_EQ(due.tabella_scenario[84].posizione_stazione, 0);
}

TEST_F(GeneraleTreno, ChainageCheckTurnsFifteenIntoTwo) {
  const std::string linea =
      descrizione_linea({"lunghezza percorso, 270000", "progressiva chilometrica uno, 1000, 1025, 0"}, {});
  auto c = treno({"velocita, 0, 100", "velocita, 276901, 100", "numero vetture, 8"}, linea);
  EXPECT_EQ(c.codice_errore, 2);
  EXPECT_EQ(c.posizione_errore, 276901);
  EXPECT_EQ(c.documento_errore, 0) << "code 2 comes from no record";
  EXPECT_EQ(c.tabella_scenario[84].posizione_stazione, 0) << "the loop ended at the 15";
  EXPECT_EQ(c.percorso[5537].vel_limite, 20) << "the tails still ran";
  EXPECT_FALSE(treno_rimasto(c));
}

// ---- stations --------------------------------------------------------------

using Stazioni = prova_treno;

const std::string partenza =
    "stazione,       0,  8,  500,  1, 0, 0,  4,1,0,  2,1,1,    1,  13,54, 0, ROMA TERMINI";

TEST_F(Stazioni, WorkedExampleOfTheFirstTwoRecords) {
  auto c =
      treno({partenza, "stazione,    4500,  2,  600,  0, 1, 0,  0,0,0,  0,0,0,    0,  14, 0, 0, SETTEBAGNI"});
  ASSERT_EQ(c.codice_errore, 0);
  const riga_scenario& a = c.tabella_scenario[1];
  EXPECT_EQ(a.tipo, 8);
  EXPECT_EQ(a.inizio, -500);
  EXPECT_EQ(a.fine, 500);
  EXPECT_EQ(a.posizione_stazione, 0);
  EXPECT_EQ(a.tps, 1);
  EXPECT_EQ(a.nome, "ROMA TERMINI");
  EXPECT_EQ((std::array{a.d2_a, a.d3_a, a.d1_b, a.d2_b, a.d3_b}), (std::array<int16_t, 5>{4, 1, 2, 1, 1}));
  EXPECT_EQ((std::array{a.rap, a.ac, a.mar, a.tab}), (std::array<uint8_t, 4>{0, 1, 0, 0}));
  EXPECT_EQ(a.orario, 50040);  // (13*60 + 54)*60
  EXPECT_EQ(c.percorso[9].tipo, 10);
  EXPECT_EQ(c.percorso[9].dato1, 1);
  for (int k = 1; k <= 4; ++k) EXPECT_EQ(c.percorso[9 - k].avviso, 80 + k);

  const riga_scenario& b = c.tabella_scenario[2];
  EXPECT_EQ(b.inizio, 4200);
  EXPECT_EQ(b.fine, 4800);
  EXPECT_EQ(b.tab, 1);
  EXPECT_EQ(c.percorso[95].tipo, 10);
  EXPECT_EQ(c.percorso[95].dato1, 2);
  for (int k = 1; k <= 4; ++k) EXPECT_EQ(c.percorso[95 - k].avviso, 80 + k);
  EXPECT_EQ(c.percorso[90].avviso, 0);
}

TEST_F(Stazioni, AreasAndMarksByKind) {
  auto c =
      treno({partenza, "stazione,  10000, 26,  400,  0, 0, 0,  0,0,0,  0,0,0,  0,   0, 0, 0, P.C. CAPENA",
             "stazione,  20000,  2,  500,  0, 1, 3,  0,0,0,  0,0,0,  0,   0, 0, 0, CON MARGINE",
             "stazione,  30000,  6, 1000,  0, 1, 1,  0,0,0,  0,0,0,  0,   0, 0, 0, ARRIVO"});
  ASSERT_EQ(c.codice_errore, 0);
  const tabella& t = c.tabella_scenario;
  // Kind 26: centred area, no cell marks.
  EXPECT_EQ(t[2].inizio, 9800);
  EXPECT_EQ(t[2].fine, 10200);
  EXPECT_EQ(c.percorso[203].tipo, 0);
  EXPECT_EQ(c.percorso[202].avviso, 0);
  // Kind 2 with mar: end lengthened by 50; length 500 clears tab.
  EXPECT_EQ(t[3].inizio, 19750);
  EXPECT_EQ(t[3].fine, 20300);
  EXPECT_EQ(t[3].mar, 3);
  EXPECT_EQ(t[3].tab, 0);
  EXPECT_EQ(c.percorso[405].tipo, 10);
  // Kind 6: end at pos + 150, station cell, no warning marks, mar cleared.
  EXPECT_EQ(t[4].inizio, 29000);
  EXPECT_EQ(t[4].fine, 30150);
  EXPECT_EQ(t[4].mar, 0);
  EXPECT_EQ(t[4].tab, 1);
  EXPECT_EQ(c.percorso[602].tipo, 10);
  EXPECT_EQ(c.percorso[601].avviso, 0);
}

TEST_F(Stazioni, FirstStationClearsMarAndTabAfterLengthening) {
  auto c = treno({"stazione, 1000, 2, 600, 0, 1, 1, 0,0,0, 0,0,0, 0, 0, 0, 0, PRIMA"});
  EXPECT_EQ(c.tabella_scenario[1].fine, 1350);
  EXPECT_EQ(c.tabella_scenario[1].mar, 0);
  EXPECT_EQ(c.tabella_scenario[1].tab, 0);
}

TEST_F(Stazioni, StationCellOverwritesWithoutTheFreeTest) {
  auto c = treno({"segnale, 400, 2, 4, 1, 0, 0, 2, 2,0,0, 0", partenza});
  ASSERT_EQ(c.codice_errore, 0);
  EXPECT_EQ(c.percorso[9].tipo, 10);
  EXPECT_EQ(c.percorso[9].dato1, 1);
  EXPECT_EQ(c.percorso[9].dato4, 8) << "the signal's other fields stay";
}

struct caso_errore {
  const char* nome;
  std::vector<std::string> record;
  int32_t codice;
  int32_t posizione;  // -1: not set
};

void PrintTo(const caso_errore& c, std::ostream* os) { *os << c.nome; }

class ErroriTreno : public ::testing::TestWithParam<caso_errore> {};

TEST_P(ErroriTreno, RecordCodePositionAndDeleteTheFile) {
  auto c = compila_dati(linea_base, descrizione_treno(GetParam().record));
  EXPECT_EQ(c.codice_errore, GetParam().codice);
  EXPECT_EQ(c.posizione_errore, GetParam().posizione == -1 ? 0 : GetParam().posizione);
  EXPECT_FALSE(presente(c, nomi::descrizione_treno(c)));
}

INSTANTIATE_TEST_SUITE_P(
    Casi, ErroriTreno,
    ::testing::Values(
        caso_errore{"station_not_multiple_of_50",
                    {"stazione, 4525, 2, 600, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, X"},
                    8,
                    4525},
        caso_errore{"station_length", {"stazione, 4500, 2, 550, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, X"}, 9, 4500},
        // (276250 + 800)/50 = 5541 > 5540; 276200 passes.
        caso_errore{
            "station_beyond", {"stazione, 276250, 26, 400, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, X"}, 15, 276250},
        caso_errore{"station_at_start", {"stazione, 0, 2, 200, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, X"}, 24, -1},
        // Previous end 500; 1000 - 200 - 350 = 450 < 500.
        caso_errore{"stations_closer_than_350",
                    {partenza, "stazione, 1000, 2, 400, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, X"},
                    22,
                    1000},
        caso_errore{
            "signals_on_one_cell",
            {"segnale, 1125, 2, 4, 1, 0, 0, 2, 2,0,0, 0", "segnale, 1175, 2, 4, 1, 0, 0, 2, 2,0,0, 0"},
            16,
            1175},
        caso_errore{"signal_beyond", {"segnale, 276901, 2, 4, 1, 0, 0, 2, 2,0,0, 0"}, 15, 276901},
        caso_errore{"code_cut_on_signal",
                    {"segnale, 5000, 2, 4, 1, 0, 0, 2, 2,0,0, 0", "abbattimento codice, 5050, 270"},
                    7,
                    5050},
        caso_errore{"board_taken",
                    {"abbattimento codice, 3850, 270", "rallentamento, 5000, 60, 400, 0, 1, 0"},
                    17,
                    5000},
        caso_errore{"start_taken",
                    {"abbattimento codice, 5050, 270", "rallentamento, 5000, 60, 400, 0, 1, 0"},
                    18,
                    5000},
        caso_errore{"end_taken",
                    {"abbattimento codice, 5450, 270", "rallentamento, 5000, 60, 400, 0, 1, 0"},
                    19,
                    5000},
        caso_errore{"end_beyond_the_array", {"rallentamento, 276000, 60, 5000, 0, 0, 0"}, 19, 276000},
        caso_errore{"approach_taken",
                    {"abbattimento codice, 3700, 270", "rallentamento, 5000, 60, 400, 0, 1, 0"},
                    20,
                    5000},
        caso_errore{"reader_fault", {"stazione, 4500, 300, 600"}, 25, -1}));

TEST_F(Stazioni, OverlapExactly350IsAccepted) {
  auto c = treno({partenza, "stazione, 1050, 2, 400, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, X"});
  EXPECT_EQ(c.codice_errore, 0);  // 850 - 350 = 500, not less than 500
}

TEST_F(Stazioni, KindTwentySixAtTheStartIsNoError) {
  auto c = treno({"stazione, 0, 26, 200, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, X"});
  EXPECT_EQ(c.codice_errore, 0);
}

TEST_F(Stazioni, RowsStopBelowTheSignTexts) {
  std::vector<std::string> record;
  for (int i = 0; i < 79; ++i)
    record.push_back("stazione, " + std::to_string(1000 + i * 1000) +
                     ", 26, 100, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, S" + std::to_string(i + 1));
  auto settantotto = treno(std::vector<std::string>(record.begin(), record.end() - 1));
  EXPECT_EQ(settantotto.codice_errore, 0);
  auto troppe = compila_dati(linea_base, descrizione_treno(record));
  EXPECT_EQ(troppe.codice_errore, 10);
  EXPECT_EQ(troppe.tabella_scenario[79].nome, "S79") << "stored before the error";
  // Two sign texts lower the mark to 78: the 77th station is one too many.
  auto con_cartelli = compila_dati(
      descrizione_linea(generale_con(270000),
                        {"cartello indicatore, 100000, (A)", "cartello indicatore, 100500, (B)"}),
      descrizione_treno(std::vector<std::string>(record.begin(), record.begin() + 77)));
  EXPECT_EQ(con_cartelli.codice_errore, 10);
  EXPECT_EQ(con_cartelli.tabella_scenario[77].nome, "S77");
}

TEST_F(Stazioni, RowKeepsFieldsReadBeforeAFault) {
  auto c = treno({"stazione, 4500, 2, 600, 7, 1, 0, 99999"});
  EXPECT_EQ(c.codice_errore, 25);
  EXPECT_EQ(c.tabella_scenario[1].posizione_stazione, 4500);
  EXPECT_EQ(c.tabella_scenario[1].tps, 7);
}

// ---- signals and code cuts --------------------------------------------------

using Segnali = prova_treno;

TEST_F(Segnali, WorkedSignalAndCodeCut) {
  auto c = treno({"segnale,    1100,   2, 4, 1,  0, 0,    2,  2,0,0, 0", "abbattimento codice, 7250,270"});
  ASSERT_EQ(c.codice_errore, 0);
  const cella& s = c.percorso[23];
  EXPECT_EQ(s.tipo, 1);
  EXPECT_EQ((std::array{s.dato1, s.dato2, s.dato3, s.dato4}), (std::array<int16_t, 4>{42, 10, 0, 8}));
  EXPECT_EQ(s.tempo, 0);
  EXPECT_EQ((std::array{c.percorso[21].avviso, c.percorso[19].avviso, c.percorso[17].avviso,
                        c.percorso[15].avviso}),
            (std::array<uint8_t, 4>{81, 82, 83, 84}));
  EXPECT_EQ(c.percorso[145].tipo, 12);
  EXPECT_EQ(c.percorso[145].dato1, 270);
}

TEST_F(Segnali, MarksByKindPair) {
  auto c =
      treno({"segnale, 13400, 1, 4, 1, 0, 0, 1, 3,1,0, 0", "segnale, 20000, 2, 2, 5, 7, 2, 0, 2,1,1, 0"});
  ASSERT_EQ(c.codice_errore, 0);
  // 13400 -> cell 269; kinds 1/1: p = 4.
  EXPECT_EQ(c.percorso[269].dato4, 4);
  EXPECT_EQ(c.percorso[267].avviso, 41);
  EXPECT_EQ(c.percorso[261].avviso, 44);
  // Kinds 2/0: p = 6, rapp 2 -> dato4 26; marks 61..64.
  EXPECT_EQ(c.percorso[401].dato4, 26);
  EXPECT_EQ(c.percorso[399].avviso, 61);
  EXPECT_EQ(c.percorso[393].avviso, 64);
}

TEST_F(Segnali, TimeValue) {
  const std::pair<int, int> casi[] = {{0, 0},     {1, 101},  {50, 101}, {100, 101},
                                      {101, 101}, {300, 44}, {-1, 255}};
  int pos = 2000;
  std::vector<std::string> record;
  for (auto [t, _] : casi) {
    record.push_back("segnale, " + std::to_string(pos) + ", 2, 4, 1, 0, 0, 2, 2,0,0, " + std::to_string(t));
    pos += 1000;
  }
  record.push_back("segnale, 99000, 1, 4, 1, 0, 0, 1, 2,0,0, 50");
  auto c = treno(record);
  ASSERT_EQ(c.codice_errore, 0);
  pos = 2000;
  for (auto [t, atteso] : casi) {
    EXPECT_EQ(c.percorso[pos / 50 + 1].tempo, atteso) << t;
    pos += 1000;
  }
  EXPECT_EQ(c.percorso[1981].tempo, 0) << "kind 1 stores no time";
}

TEST_F(Segnali, RoundingTiesAndNeighbouringCells) {
  auto c = treno({"abbattimento codice, 7225, 270", "abbattimento codice, 7275, 180",
                  "segnale, 5000, 2, 4, 1, 0, 0, 2, 2,0,0, 0", "abbattimento codice, 5000, 270",
                  "abbattimento codice, 9000, 0", "abbattimento codice, 9500, -1"});
  ASSERT_EQ(c.codice_errore, 0);
  EXPECT_EQ(c.percorso[144].dato1, 270);
  EXPECT_EQ(c.percorso[146].dato1, 180);
  EXPECT_EQ(c.percorso[101].tipo, 1);
  EXPECT_EQ(c.percorso[100].tipo, 12);
  EXPECT_EQ(c.percorso[180].tipo, 13);
  EXPECT_EQ(c.percorso[190].tipo, 13);
  EXPECT_EQ(c.percorso[190].dato1, 0);
}

TEST_F(Segnali, TunnelLightIsFreeForSignalsAndCodeCuts) {
  // Lights at cells 3 and 7 of a tunnel from 0 to 500 m.
  auto c = treno({"segnale, 100, 2, 4, 1, 0, 0, 2, 2,0,0, 0", "abbattimento codice, 350, 270"},
                 descrizione_linea(generale_con(270000), {"montagna, 0, 500, 11"}));
  ASSERT_EQ(c.codice_errore, 0);
  EXPECT_EQ(c.percorso[3].tipo, 1);
  EXPECT_EQ(c.percorso[7].tipo, 12);
  EXPECT_EQ(c.percorso[1].avviso, 81);
}

// ---- slowdowns ---------------------------------------------------------------

using Rallentamenti = prova_treno;

TEST_F(Rallentamenti, WorkedExample) {
  auto c = treno({"rallentamento, 5000, 60, 400, 0, 1, 0"});
  ASSERT_EQ(c.codice_errore, 0);
  EXPECT_EQ(c.percorso[77].tipo, 4);
  EXPECT_EQ(c.percorso[77].dato1, 60);
  for (int j = 0; j < 4; ++j) {
    EXPECT_EQ(c.percorso[76 - j].tipo, 5);
    EXPECT_EQ(c.percorso[76 - j].dato1, j + 1);
    EXPECT_EQ(c.percorso[76 - j].dato2, 0);
  }
  EXPECT_EQ(c.percorso[101].tipo, 3);
  EXPECT_EQ(c.percorso[101].dato1, 60);
  EXPECT_EQ(c.percorso[109].tipo, 2);
  EXPECT_EQ(c.percorso[109].dato1, 60);
}

TEST_F(Rallentamenti, ThresholdAndValues) {
  auto c = treno({"rallentamento, 1500, 60, 100, 7, 1, 0", "rallentamento, 5000, 30, 200, 9, 1, 3"});
  ASSERT_EQ(c.codice_errore, 0);
  // x = 1500: start 31 and end 33 only.
  EXPECT_EQ(c.percorso[31].tipo, 3);
  EXPECT_EQ(c.percorso[31].dato3, 7);
  EXPECT_EQ(c.percorso[33].tipo, 2);
  for (int i = 3; i <= 8; ++i) EXPECT_EQ(c.percorso[i].tipo, 0) << i;
  // d_v = 3 reaches dato2 of every cell; approach cells count 1..4 there too.
  EXPECT_EQ(c.percorso[77].dato2, 3);
  EXPECT_EQ(c.percorso[101].dato2, 3);
  EXPECT_EQ(c.percorso[105].dato2, 3);
  EXPECT_EQ(c.percorso[105].dato3, 9);
  EXPECT_EQ(c.percorso[73].dato2, 4);
  auto oltre = compila_dati(linea_base, descrizione_treno({"rallentamento, 1550, 60, 100, 0, 1, 0"}));
  EXPECT_EQ(oltre.percorso[8].tipo, 4);
  EXPECT_EQ(oltre.percorso[7].dato1, 1);
  EXPECT_EQ(oltre.percorso[4].dato1, 4);
}

TEST_F(Rallentamenti, ApproachOnTheBoardIsCode20WithEarlierCellsKept) {
  // (1775 - 1200)/50 = 11.5: k = 12 and the board is round(12.5) = 12 too.
  auto c = treno({"rallentamento, 1775, 60, 100, 0, 1, 0"});
  EXPECT_EQ(c.codice_errore, 20);
  EXPECT_EQ(c.posizione_errore, 1775);
  EXPECT_EQ(c.percorso[12].tipo, 4);
  EXPECT_EQ(c.percorso[36].tipo, 3);  // round(35.5 + 1) = 36
  EXPECT_EQ(c.percorso[11].tipo, 0);
}

}  // namespace
