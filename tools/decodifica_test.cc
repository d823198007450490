#include "output/decodifica.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "aiuti_prova.h"
#include "app/avvio.h"
#include "files/nomi_file.h"
#include "output/scrittori.h"
#include "run/memorizza_percorso.h"

namespace {

std::string da_byte(std::initializer_list<int> b) {
  std::string s;
  for (int x : b) s.push_back(static_cast<char>(x));
  return s;
}

TEST(DecodificaPercorso, FieldsComeFromTheirOffsets) {
  // tipo 1, dato1 FF FF = -1, dato2 34 12 = 0x1234, dato3 00 80 = -32768,
  // dato4 FF 7F = 32767, then the six bytes 101, 84, 3, 32, 89, 80.
  const std::string s = da_byte({1, 0xFF, 0xFF, 0x34, 0x12, 0x00, 0x80, 0xFF, 0x7F, 101, 84, 3, 32, 89, 80});
  auto d = decodifica_percorso(s);
  ASSERT_TRUE(d.ok()) << d.errore;
  ASSERT_EQ(d.valore.size(), 1u);
  const cella& c = d.valore[0];
  EXPECT_EQ(c.tipo, 1);
  EXPECT_EQ(c.dato1, -1);
  EXPECT_EQ(c.dato2, 0x1234);
  EXPECT_EQ(c.dato3, -32768);
  EXPECT_EQ(c.dato4, 32767);
  EXPECT_EQ(c.tempo, 101);
  EXPECT_EQ(c.avviso, 84);
  EXPECT_EQ(c.galleria, 3);
  EXPECT_EQ(c.vel_limite, 32);
  EXPECT_EQ(c.pendenza, 89);
  EXPECT_EQ(c.aderenza, 80);
}

TEST(DecodificaTabella, FieldsAroundTheNameComeFromTheirOffsets) {
  riga_scenario r;
  r.tipo = 8;
  r.inizio = -500;
  r.fine = 500;
  r.posizione_stazione = 0x01020304;
  r.tps = 1;
  r.nome = "ROMA";
  r.d2_a = 610;
  r.d3_a = -2;
  r.d1_b = 13;
  r.d2_b = 53;
  r.d3_b = -3;
  r.rap = 7;
  r.ac = 60;
  r.mar = 1;
  r.tab = 9;
  r.orario = 50040;
  tabella t{};
  t[5] = r;
  auto d = decodifica_tabella(codifica_tabella(t));
  ASSERT_TRUE(d.ok()) << d.errore;
  const riga_scenario& x = d.valore[5];
  EXPECT_EQ(x.tipo, 8);
  EXPECT_EQ(x.inizio, -500);
  EXPECT_EQ(x.fine, 500);
  EXPECT_EQ(x.posizione_stazione, 0x01020304);
  EXPECT_EQ(x.tps, 1);
  EXPECT_EQ(x.nome, "ROMA");
  EXPECT_EQ(x.d2_a, 610);
  EXPECT_EQ(x.d3_a, -2);
  EXPECT_EQ(x.d1_b, 13);
  EXPECT_EQ(x.d2_b, 53);
  EXPECT_EQ(x.d3_b, -3);
  EXPECT_EQ(x.rap, 7);
  EXPECT_EQ(x.ac, 60);
  EXPECT_EQ(x.mar, 1);
  EXPECT_EQ(x.tab, 9);
  EXPECT_EQ(x.orario, 50040);
  // The rows around it stay empty: the name length moved the reading on by 4.
  EXPECT_EQ(d.valore[4].nome, "");
  EXPECT_EQ(d.valore[6].orario, 0);
  EXPECT_EQ(d.valore[6].tipo, 0);
}

TEST(DecodificaTracciato, XHalfThenYHalfWithTheThreeKinds) {
  // Metres 0 and 1. x: integer 0, double 0.5; y: integer 7, empty.
  std::string s = da_byte({2, 0, 0, 0, 5, 0});
  s += da_byte({0, 0, 0, 0, 0, 0, 0xE0, 0x3F});  // 0.5 = 0x3FE0000000000000
  s += da_byte({2, 0, 7, 0, 0, 0});
  auto d = decodifica_tracciato(s);
  ASSERT_TRUE(d.ok()) << d.errore;
  const tracciato_t& t = d.valore;
  ASSERT_EQ(t.ultimo_metro(), 1);
  EXPECT_EQ(t.at(0, 0).specie, specie_elemento::intero);
  EXPECT_EQ(t.at(0, 0).valore, 0.0);
  EXPECT_EQ(t.at(1, 0).specie, specie_elemento::reale);
  EXPECT_EQ(t.at(1, 0).valore, 0.5);
  EXPECT_EQ(t.at(0, 1).specie, specie_elemento::intero);
  EXPECT_EQ(t.at(0, 1).valore, 7.0);
  EXPECT_EQ(t.at(1, 1).specie, specie_elemento::vuoto);
}

// Bytes that do not fit their kind, and the words the refusal must carry.
struct caso_rifiuto {
  const char* nome;
  char specie;  // c cells, t table, p plan
  std::string dati;
  const char* parole;
};

void PrintTo(const caso_rifiuto& c, std::ostream* os) { *os << c.nome; }

std::string tabella_vuota() { return codifica_tabella(tabella{}); }

std::string errore_di(const caso_rifiuto& c) {
  switch (c.specie) {
    case 'c':
      return decodifica_percorso(c.dati).errore;
    case 't':
      return decodifica_tabella(c.dati).errore;
    default:
      return decodifica_tracciato(c.dati).errore;
  }
}

class Rifiuto : public ::testing::TestWithParam<caso_rifiuto> {};

TEST_P(Rifiuto, SaysWhyTheBytesDoNotFit) {
  const std::string e = errore_di(GetParam());
  ASSERT_FALSE(e.empty());
  EXPECT_NE(e.find(GetParam().parole), std::string::npos) << e;
}

INSTANTIATE_TEST_SUITE_P(
    FileSbagliati, Rifiuto,
    ::testing::Values(
        caso_rifiuto{"cells_empty", 'c', "", "empty"},
        caso_rifiuto{"cells_one_byte_short", 'c', std::string(29, '\0'), "29 bytes is not a whole number"},
        caso_rifiuto{"cells_one_byte_over", 'c', std::string(16, '\0'), "1 cells and 1 bytes over"},
        caso_rifiuto{"table_empty", 't', "", "empty"},
        // 87 empty rows are 87 * 34 = 2958 bytes.
        caso_rifiuto{"table_one_byte_short", 't', tabella_vuota().substr(0, 2957),
                     "row 86 at byte 2924 is cut short"},
        caso_rifiuto{"table_one_byte_over", 't', tabella_vuota() + "x", "1 bytes follow the 87 rows"},
        caso_rifiuto{"table_one_row_short", 't', tabella_vuota().substr(0, 2924), "row 86 at byte 2924"},
        // Row 0 claims a name of 0xFFFF bytes.
        caso_rifiuto{"table_name_past_the_end", 't', tabella_vuota().replace(14, 2, "\xFF\xFF"),
                     "row 0 at byte 0 is cut short: its name of 65535 bytes"},
        caso_rifiuto{"plan_empty", 'p', "", "empty"},
        caso_rifiuto{"plan_odd_count", 'p', da_byte({2, 0, 0, 0, 2, 0, 0, 0, 0, 0}),
                     "3 elements: an odd number"},
        caso_rifiuto{"plan_unknown_type", 'p', da_byte({2, 0, 0, 0, 3, 0, 0, 0}),
                     "element 1 at byte 4 has type code 3"},
        caso_rifiuto{"plan_double_cut_short", 'p', da_byte({0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0}),
                     "element 1 at byte 2 is cut short in its value"},
        caso_rifiuto{"plan_half_a_type_code", 'p', da_byte({0, 0, 0}),
                     "element 1 at byte 2 is cut short in its type"}),
    [](const auto& info) { return std::string(info.param.nome); });

// Decoding and encoding again must give the very bytes of the file.
void andata_e_ritorno(const std::string& dat, const std::string& sim, const std::string& linea_dat) {
  auto p = decodifica_percorso(dat);
  ASSERT_TRUE(p.ok()) << p.errore;
  EXPECT_EQ(codifica_percorso(p.valore), dat);
  auto t = decodifica_tabella(sim);
  ASSERT_TRUE(t.ok()) << t.errore;
  EXPECT_EQ(codifica_tabella(t.valore), sim);
  auto g = decodifica_tracciato(linea_dat);
  ASSERT_TRUE(g.ok()) << g.errore;
  EXPECT_EQ(codifica_tracciato(g.valore), linea_dat);
}

TEST(AndataERitorno, ExtremeValuesOfEveryField) {
  std::vector<cella> celle(3);
  celle[1] = {255, -32768, 32767, -1, 1, 255, 84, 12, 255, 0, 1};
  celle[2] = {12, 180, 2306, 0, -2, 0, 0, 0, 32, 89, 80};
  tabella t{};
  t[0].nome = std::string(300, 'x');
  t[1] = {8,
          std::numeric_limits<int32_t>::min(),
          std::numeric_limits<int32_t>::max(),
          -1,
          255,
          "1\xB0 Bivio",
          -32768,
          32767,
          -1,
          1,
          0,
          255,
          0,
          1,
          255,
          -1};
  t[86].nome = std::string("\0\"\\", 3);
  tracciato_t g;
  g.crea(3);
  g.assegna(0, 0, {specie_elemento::intero, -32768});
  g.assegna(0, 1, {specie_elemento::intero, 32767});
  g.assegna(1, 0, {specie_elemento::reale, -0.0});
  g.assegna(1, 1, {specie_elemento::reale, std::numeric_limits<double>::denorm_min()});
  g.assegna(2, 0, {specie_elemento::reale, std::numeric_limits<double>::infinity()});
  g.assegna(2, 1, {specie_elemento::reale, 9.02732e300});
  // metre 3 stays empty on both halves
  andata_e_ritorno(codifica_percorso(celle), codifica_tabella(t), codifica_tracciato(g));
}

TEST(AndataERitorno, FilesOfABuild) {
  prova::cartella dir;
  costruzione c(dir.percorso(), "Valmora2", "1552");
  prova::scrivi(
      nomi::descrizione_linea(c),
      prova::righe_crlf({"linea", "[generale]", "lunghezza percorso, 3000",
                         "progressiva chilometrica uno, 1000, 50, 1", "[pendenze]", "pendenza, 0, -11",
                         "pendenza, 950, 7", "curvas3, 400, 200", "montagna, 1000, 1600, 11",
                         "cartello indicatore, 2000, (PONTE)", "[fine]", "   "}));
  prova::scrivi(nomi::descrizione_treno(c),
                prova::righe_crlf({"treno", "[generale]", "aderenza, 0, 80", "velocita, 0, 95",
                                   "stazione, 500, 8, 400, 1, 0, 0, 4, 1, 0, 2, 1, 1, 1, 13, 54, 0, ORIGINE",
                                   "segnale, 1100, 2, 4, 1, 0, 0, 2, 2, 0, 0, 50",
                                   "abbattimento codice, 1500, 270", "     [fine]"}));
  ASSERT_TRUE(memorizza_percorso(c, 1).fatale.empty());
  ASSERT_EQ(c.codice_errore, 0);
  andata_e_ritorno(prova::leggi(nomi::percorso_dat(c)), prova::leggi(nomi::tabella_sim(c)),
                   prova::leggi(nomi::linea_dat(c)));
}

TEST(AndataERitorno, ShippedScenarioFiles) {
  prova::cartella dir;
  const esito_costruzione e = esegui_avvio(dir.percorso(), identificativo_scenario, numero_treno_scenario);
  ASSERT_EQ(e.codice_errore, 0);
  const costruzione c(dir.percorso(), identificativo_scenario, numero_treno_scenario);
  andata_e_ritorno(prova::leggi(nomi::percorso_dat(c)), prova::leggi(nomi::tabella_sim(c)),
                   prova::leggi(nomi::linea_dat(c)));
}

}  // namespace
