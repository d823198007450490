// The shipped scenario from end to end: the run as the program makes it, and
// its three files read back byte by byte. Every expected value below is worked
// out by hand from the rows of the shipped documents, as each comment says.
#include <gtest/gtest.h>

#include "aiuti.h"
#include "app/avvio.h"
#include "output/binario.h"
#include "output/decodifica.h"

namespace {

class ScenarioSpedito : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir = new cartella_temporanea;
    esito = esegui_avvio(dir->percorso(), identificativo_scenario, numero_treno_scenario);
    dat = leggi(*dir / "Valmora2_1552.dat");
    sim = leggi(*dir / "Valmora2_1552.sim");
    linea = leggi(*dir / "Valmora2_linea.dat");
    auto p = decodifica_percorso(dat);
    auto t = decodifica_tabella(sim);
    ASSERT_TRUE(p.ok()) << p.errore;
    ASSERT_TRUE(t.ok()) << t.errore;
    celle = p.valore;
    righe = t.valore;
  }
  static void TearDownTestSuite() { delete dir; }

  static cella cella_n(size_t n) { return celle.at(n); }
  static riga_scenario riga_n(int n) { return righe.at(static_cast<size_t>(n)); }

  static inline cartella_temporanea* dir = nullptr;
  static inline esito_costruzione esito;
  static inline std::string dat, sim, linea;
  static inline std::vector<cella> celle;
  static inline tabella righe;
};

TEST_F(ScenarioSpedito, BuildsCleanAndLeavesTheExpectedFiles) {
  EXPECT_EQ(esito.codice_errore, 0);
  EXPECT_FALSE(esiste(*dir / "Valmora2_linea.txt"));
  EXPECT_FALSE(esiste(*dir / "Valmora2_1552-.txt"));
  for (const char* nome :
       {"Valmora2_1552_note.txt", "Valmora2_1552_rallentamenti.txt", "Valmora2_1552_scheda_treno.txt"})
    EXPECT_TRUE(esiste(*dir / nome)) << nome;
}

TEST_F(ScenarioSpedito, FileSizes) {
  EXPECT_EQ(linea.size(), spedito::byte_piano);
  EXPECT_EQ(dat.size(), spedito::byte_celle);
  // 87 rows of 34 bytes plus every name: the table's texts add up to the rest.
  size_t testi = 0;
  for (int r = 0; r < 87; ++r) testi += riga_n(r).nome.size();
  EXPECT_EQ(sim.size(), 2958u + testi);
}

TEST_F(ScenarioSpedito, PlanStartsAtTheOriginHeadingAlongY) {
  const std::vector<uint8_t> inizio(linea.begin(), linea.begin() + 4);
  EXPECT_EQ(inizio, (std::vector<uint8_t>{2, 0, 0, 0}));
  // The y half starts at 10 M - 18 with metres 0 and 1 as integers 0 and 1.
  const size_t y = 10 * 277000 - 18;
  const std::vector<uint8_t> inizio_y(linea.begin() + y, linea.begin() + y + 8);
  EXPECT_EQ(inizio_y, (std::vector<uint8_t>{2, 0, 0, 0, 2, 0, 1, 0}));
  // "curvad2,   500,  300" is the first curve: metre 501 has x = 0.0002, the
  // x element at 8 + 10 * (501 - 2) bytes, after its 16-bit type code 5.
  const auto* p = reinterpret_cast<const unsigned char*>(linea.data()) + 8 + 10 * 499;
  EXPECT_EQ(prendi_16(p), 5);
  EXPECT_DOUBLE_EQ(prendi_64(p + 2), 0.0002);
}

TEST_F(ScenarioSpedito, StampedFields) {
  EXPECT_EQ(cella_n(1).dato1, 5121);
  EXPECT_EQ(cella_n(1).dato2, spedito::codice_og);
  const riga_scenario r85 = riga_n(85);
  EXPECT_EQ(r85.nome, "Valmora2");
  EXPECT_EQ(r85.d2_a, 610);
  EXPECT_EQ(r85.orario, spedito::codice_st);
  // "sfondo uno, 1", "sfondo due, 250000", "sfondo tre, 0", crossed.
  EXPECT_EQ(r85.inizio, 1);
  EXPECT_EQ(r85.fine, 0);
  EXPECT_EQ(r85.posizione_stazione, 250000);
}

TEST_F(ScenarioSpedito, GeneralRows) {
  // "percentuale massa frenata, 130", "lunghezza percorso, 270000", "numero vetture, 8".
  const riga_scenario r84 = riga_n(84);
  EXPECT_EQ((std::array{r84.inizio, r84.fine, r84.posizione_stazione}), (std::array{130, 270000, 8}));
  // "ripetizione segnali 9 codici, 6800, 266650", "sabbia, 200", clock 13 53 30.
  const riga_scenario r86 = riga_n(86);
  EXPECT_EQ(r86.nome, "1552");
  EXPECT_EQ((std::array{r86.inizio, r86.fine, r86.posizione_stazione}), (std::array{6800, 266650, 9}));
  EXPECT_EQ(r86.d2_a, 200);
  EXPECT_EQ((std::array{r86.d1_b, r86.d2_b, r86.d3_b}), (std::array<int16_t, 3>{13, 53, 30}));
  // Chainage "uno" 263600 is the furthest: row 81; "tre" 190600 the nearest: row 83.
  EXPECT_EQ(riga_n(81).inizio, 263600);
  EXPECT_EQ(riga_n(81).fine, 46500);
  EXPECT_EQ(riga_n(82).fine, -6550);
  EXPECT_EQ(riga_n(83).inizio, 190600);
}

TEST_F(ScenarioSpedito, StationRowsAndCells) {
  // ROMA TERMINI: 0, kind 8, length 500 -> area -500..500, station cell 9, 13:54:00.
  const riga_scenario r1 = riga_n(1);
  EXPECT_EQ(r1.nome, "ROMA TERMINI");
  EXPECT_EQ((std::array{r1.inizio, r1.fine}), (std::array{-500, 500}));
  EXPECT_EQ(r1.orario, 50040);
  EXPECT_EQ(cella_n(9).tipo, 10);
  EXPECT_EQ(cella_n(9).dato1, 1);
  for (int k = 1; k <= 4; ++k) EXPECT_EQ(cella_n(9 - k).avviso, 80 + k);
  // AREZZO, the 20th record: 198750, kind 4, length 800 -> 198350..199150,
  // station cell 199150/50 - 1 = 3982, departure 15:22:00 = 55320 s, ac 60.
  const riga_scenario r20 = riga_n(20);
  EXPECT_EQ(r20.nome, "AREZZO");
  EXPECT_EQ((std::array{r20.inizio, r20.fine, r20.posizione_stazione}), (std::array{198350, 199150, 198750}));
  EXPECT_EQ(r20.orario, 55320);
  EXPECT_EQ(r20.ac, 60);
  EXPECT_EQ(cella_n(3982).tipo, 10);
  EXPECT_EQ(cella_n(3982).dato1, 20);
  // FIRENZE S.M.N., the 34th: kind 6 ends at 267550 + 150; no row 35.
  EXPECT_EQ(riga_n(34).fine, 267700);
  EXPECT_TRUE(riga_n(35).nome.empty());
}

TEST_F(ScenarioSpedito, SignalsAndCodePoints) {
  // "segnale, 1100, 2, 4, 1, 0, 0, 2, 2,0,0, 0" -> cell 23.
  const cella s = cella_n(23);
  EXPECT_EQ(s.tipo, 1);
  EXPECT_EQ((std::array{s.dato1, s.dato2, s.dato3, s.dato4}), (std::array<int16_t, 4>{42, 10, 0, 8}));
  // "segnale, 13400, 1, 4, 1, 0, 0, 1, 3,1,0, 0" -> cell 269: 43, 11, 0, 4; marks 41..44.
  const cella t = cella_n(269);
  EXPECT_EQ((std::array{t.dato1, t.dato2, t.dato3, t.dato4}), (std::array<int16_t, 4>{43, 11, 0, 4}));
  EXPECT_EQ(cella_n(267).avviso, 41);
  EXPECT_EQ(cella_n(261).avviso, 44);
  // "abbattimento codice, 7250,270" -> cell 145; "abbattimento codice, 10600,270" -> 212.
  EXPECT_EQ(cella_n(145).tipo, 12);
  EXPECT_EQ(cella_n(145).dato1, 270);
  EXPECT_EQ(cella_n(212).dato1, 270);
}

TEST_F(ScenarioSpedito, ProfileBytes) {
  // Gradients 0 to 500 m, -11 from 950: cells 0..18 hold 100, 19..29 hold 89.
  EXPECT_EQ(cella_n(18).pendenza, 100);
  EXPECT_EQ(cella_n(19).pendenza, 89);
  // Speeds 30 from 0, 95 from 1000, 110 from 5850: 6 on 0..19, 19 on 20..116, 22 at 117.
  EXPECT_EQ(cella_n(19).vel_limite, 6);
  EXPECT_EQ(cella_n(116).vel_limite, 19);
  EXPECT_EQ(cella_n(117).vel_limite, 22);
  // Last speed 75 from 266300 reaches N - 3 = 5537 as 15.
  EXPECT_EQ(cella_n(5537).vel_limite, 15);
  // Adhesion 80 up to 198000 m, then 100.
  EXPECT_EQ(cella_n(3959).aderenza, 80);
  EXPECT_EQ(cella_n(3960).aderenza, 100);
  // The first tunnel, 22550 to 25650 with lights: galleria 1 on cells 451..512.
  EXPECT_EQ(cella_n(451).galleria, 1);
  EXPECT_EQ(cella_n(512).galleria, 1);
  EXPECT_EQ(cella_n(513).galleria, 0);
  for (size_t n = 5538; n <= 5540; ++n) {
    EXPECT_EQ(cella_n(n).pendenza, 0);
    EXPECT_EQ(cella_n(n).vel_limite, 0);
    EXPECT_EQ(cella_n(n).aderenza, 0);
  }
}

}  // namespace
