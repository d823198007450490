#include "output/scrittori.h"

#include <gtest/gtest.h>

#include "aiuti.h"
#include "files/archivio.h"
#include "output/binario.h"
#include "output/decodifica.h"

namespace {

std::vector<uint8_t> byte(const std::string& s) { return {s.begin(), s.end()}; }

TEST(Cella, FifteenPackedLittleEndianBytes) {
  cella c;
  c.tipo = 1;
  c.dato1 = -1;
  c.dato2 = 0x1234;
  c.dato3 = 2;
  c.dato4 = -2;
  c.tempo = 101;
  c.avviso = 84;
  c.galleria = 3;
  c.vel_limite = 32;
  c.pendenza = 89;
  c.aderenza = 80;
  std::string s;
  codifica_cella(s, c);
  const std::vector<uint8_t> atteso = {1, 0xFF, 0xFF, 0x34, 0x12, 2, 0, 0xFE, 0xFF, 101, 84, 3, 32, 89, 80};
  EXPECT_EQ(byte(s), atteso);
}

TEST(Riga, EmptyNameTakesThirtyFourBytes) {
  riga_scenario r;
  std::string s;
  codifica_riga(s, r);
  ASSERT_EQ(s.size(), 34u);
  EXPECT_EQ(s[14], 0);
  EXPECT_EQ(s[15], 0);
}

TEST(Riga, FieldsAtTheirOffsetsAroundTheName) {
  riga_scenario r;
  r.tipo = 8;
  r.inizio = -500;
  r.fine = 500;
  r.posizione_stazione = 0x01020304;
  r.tps = 1;
  r.nome = "ROMA";
  r.d2_a = 610;
  r.d3_b = -3;
  r.rap = 7;
  r.tab = 9;
  r.orario = 50040;
  std::string s;
  codifica_riga(s, r);
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  ASSERT_EQ(s.size(), 34u + 4u);
  EXPECT_EQ(p[0], 8);
  EXPECT_EQ(prendi_32(p + 1), -500);
  EXPECT_EQ(prendi_32(p + 5), 500);
  EXPECT_EQ(prendi_32(p + 9), 0x01020304);
  EXPECT_EQ(p[9], 0x04);  // least significant byte first
  EXPECT_EQ(p[13], 1);
  EXPECT_EQ(prendi_16(p + 14), 4);
  EXPECT_EQ(s.substr(16, 4), "ROMA");
  const size_t n = 4;
  EXPECT_EQ(prendi_16(p + 16 + n), 610);
  EXPECT_EQ(prendi_16(p + 24 + n), -3);
  EXPECT_EQ(p[26 + n], 7);
  EXPECT_EQ(p[29 + n], 9);
  EXPECT_EQ(prendi_32(p + 30 + n), 50040);
}

TEST(CodificaTracciato, VariantsWithXHalfBeforeYHalf) {
  tracciato_t t;
  t.crea(3);  // metres 0..3
  t.assegna(0, 0, {specie_elemento::intero, 0});
  t.assegna(0, 1, {specie_elemento::intero, 0});
  t.assegna(1, 0, {specie_elemento::intero, 0});
  t.assegna(1, 1, {specie_elemento::intero, 1});
  t.assegna(2, 0, {specie_elemento::reale, 0.5});
  t.assegna(2, 1, {specie_elemento::reale, 2.0});
  // metre 3 stays empty
  const std::string s = codifica_tracciato(t);
  // Each half: 4 + 4 + 10 + 2 bytes.
  ASSERT_EQ(s.size(), 40u);
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const std::vector<uint8_t> inizio_x = {2, 0, 0, 0, 2, 0, 0, 0, 5, 0};
  EXPECT_EQ(std::vector<uint8_t>(p, p + 10), inizio_x);
  EXPECT_EQ(prendi_64(p + 10), 0.5);
  EXPECT_EQ(prendi_16(p + 18), 0);  // empty
  const std::vector<uint8_t> inizio_y = {2, 0, 0, 0, 2, 0, 1, 0, 5, 0};
  EXPECT_EQ(std::vector<uint8_t>(p + 20, p + 30), inizio_y);
  EXPECT_EQ(prendi_64(p + 30), 2.0);
  // 2.0 as IEEE double: 0x4000000000000000, little-endian.
  EXPECT_EQ(p[37], 0x40);
  EXPECT_EQ(p[30], 0x00);
}

// The layout as the format gives it, field by field: each offset is the one
// before plus that field's width (u8 1, i16 2, i32 4, a text's length 2).
struct caso_offset {
  const char* campo;
  size_t offset;
};

template <class R>
void offset_come_da_formato(std::initializer_list<caso_offset> attesi) {
  std::vector<std::string> nomi;
  per_ogni_campo<R>([&](const auto& c) { nomi.emplace_back(c.nome); });
  ASSERT_EQ(nomi.size(), attesi.size());
  size_t i = 0;
  for (const caso_offset& a : attesi) {
    EXPECT_EQ(nomi[i++], a.campo);
    EXPECT_EQ(offset_di<R>(a.campo), a.offset) << a.campo;
  }
}

TEST(Formato, CellFieldsInFileOrderAtTheirOffsets) {
  offset_come_da_formato<cella>({{"tipo", 0},
                                 {"dato1", 1},
                                 {"dato2", 3},
                                 {"dato3", 5},
                                 {"dato4", 7},
                                 {"tempo", 9},
                                 {"avviso", 10},
                                 {"galleria", 11},
                                 {"vel_limite", 12},
                                 {"pendenza", 13},
                                 {"aderenza", 14}});
  // 1 + 4 * 2 + 6 * 1.
  EXPECT_EQ(byte_cella, 15u);
}

TEST(Formato, RowFieldsInFileOrderAtTheirOffsetsLessTheName) {
  // From d2_a on, a field lies n bytes further than this, n the name's length.
  offset_come_da_formato<riga_scenario>({{"tipo", 0},
                                         {"inizio", 1},
                                         {"fine", 5},
                                         {"posizione_stazione", 9},
                                         {"tps", 13},
                                         {"nome", 14},
                                         {"d2_a", 16},
                                         {"d3_a", 18},
                                         {"d1_b", 20},
                                         {"d2_b", 22},
                                         {"d3_b", 24},
                                         {"rap", 26},
                                         {"ac", 27},
                                         {"mar", 28},
                                         {"tab", 29},
                                         {"orario", 30}});
  // 1 + 3 * 4 + 1 + 2 + 5 * 2 + 4 * 1 + 4.
  EXPECT_EQ(byte_riga_senza_nome, 34u);
  EXPECT_EQ(offset_lunghezza_nome, 14u);
}

std::string da_byte(std::initializer_list<int> b) {
  std::string s;
  for (int x : b) s.push_back(static_cast<char>(x));
  return s;
}

// Bytes worked by hand decode to the fields below and encode back to
// themselves: the order and the byte order of every field are pinned.
TEST(FormatoAMano, CellBytesDecodeAndEncodeBack) {
  // tipo 12; dato1 180 = 0x00B4; dato2 2306 = 0x0902; dato3 -1 = 0xFFFF;
  // dato4 -32768 = 0x8000; then tempo 101, avviso 84, galleria 3,
  // vel_limite 32, pendenza 89, aderenza 80.
  const std::string b = da_byte({12, 0xB4, 0x00, 0x02, 0x09, 0xFF, 0xFF, 0x00, 0x80, 101, 84, 3, 32, 89, 80});
  auto d = decodifica_percorso(b);
  ASSERT_TRUE(d.ok()) << d.errore;
  ASSERT_EQ(d.valore.size(), 1u);
  const cella& c = d.valore[0];
  EXPECT_EQ(c.tipo, 12);
  EXPECT_EQ(c.dato1, 180);
  EXPECT_EQ(c.dato2, 2306);
  EXPECT_EQ(c.dato3, -1);
  EXPECT_EQ(c.dato4, -32768);
  EXPECT_EQ(c.tempo, 101);
  EXPECT_EQ(c.avviso, 84);
  EXPECT_EQ(c.galleria, 3);
  EXPECT_EQ(c.vel_limite, 32);
  EXPECT_EQ(c.pendenza, 89);
  EXPECT_EQ(c.aderenza, 80);
  EXPECT_EQ(byte(codifica_percorso(d.valore)), byte(b));
}

TEST(FormatoAMano, RowBytesDecodeAndEncodeBack) {
  // Row 3 of an otherwise empty table of 87 rows of 34 zero bytes.
  // clang-format off
  const std::string riga = da_byte({
      8,                       // tipo
      0x0C, 0xFE, 0xFF, 0xFF,  // inizio -500 = 0xFFFFFE0C
      0xF4, 0x01, 0x00, 0x00,  // fine 500 = 0x000001F4
      0x04, 0x03, 0x02, 0x01,  // posizione_stazione 0x01020304
      1,                       // tps
      2, 0, 'A', 'B',          // nome "AB", length 2
      0x62, 0x02,              // d2_a 610 = 0x0262
      0xFE, 0xFF,              // d3_a -2 = 0xFFFE
      13, 0,                   // d1_b
      0x35, 0,                 // d2_b 53 = 0x0035
      0xFD, 0xFF,              // d3_b -3 = 0xFFFD
      7, 60, 1, 9,             // rap, ac, mar, tab
      0x78, 0xC3, 0x00, 0x00,  // orario 50040 = 0x0000C378
  });
  // clang-format on
  ASSERT_EQ(riga.size(), 36u);
  const std::string b = std::string(3 * 34, '\0') + riga + std::string(83 * 34, '\0');
  auto d = decodifica_tabella(b);
  ASSERT_TRUE(d.ok()) << d.errore;
  const riga_scenario& r = d.valore[3];
  EXPECT_EQ(r.tipo, 8);
  EXPECT_EQ(r.inizio, -500);
  EXPECT_EQ(r.fine, 500);
  EXPECT_EQ(r.posizione_stazione, 0x01020304);
  EXPECT_EQ(r.tps, 1);
  EXPECT_EQ(r.nome, "AB");
  EXPECT_EQ(r.d2_a, 610);
  EXPECT_EQ(r.d3_a, -2);
  EXPECT_EQ(r.d1_b, 13);
  EXPECT_EQ(r.d2_b, 53);
  EXPECT_EQ(r.d3_b, -3);
  EXPECT_EQ(r.rap, 7);
  EXPECT_EQ(r.ac, 60);
  EXPECT_EQ(r.mar, 1);
  EXPECT_EQ(r.tab, 9);
  EXPECT_EQ(r.orario, 50040);
  EXPECT_EQ(d.valore[2].nome, "");
  EXPECT_EQ(d.valore[4].tipo, 0);
  EXPECT_EQ(byte(codifica_tabella(d.valore)), byte(b));
}

TEST(FormatoAMano, PlanBytesDecodeAndEncodeBack) {
  // Metres 0 and 1. x: integer -2 = 0xFFFE, double 1.5 = 0x3FF8000000000000;
  // y: empty, integer 300 = 0x012C.
  const std::string b =
      da_byte({2, 0, 0xFE, 0xFF, 5, 0, 0, 0, 0, 0, 0, 0, 0xF8, 0x3F, 0, 0, 2, 0, 0x2C, 0x01});
  auto d = decodifica_tracciato(b);
  ASSERT_TRUE(d.ok()) << d.errore;
  const tracciato_t& t = d.valore;
  ASSERT_EQ(t.ultimo_metro(), 1);
  EXPECT_EQ(t.at(0, 0).specie, specie_elemento::intero);
  EXPECT_EQ(t.at(0, 0).valore, -2.0);
  EXPECT_EQ(t.at(1, 0).specie, specie_elemento::reale);
  EXPECT_EQ(t.at(1, 0).valore, 1.5);
  EXPECT_EQ(t.at(0, 1).specie, specie_elemento::vuoto);
  EXPECT_EQ(t.at(1, 1).specie, specie_elemento::intero);
  EXPECT_EQ(t.at(1, 1).valore, 300.0);
  EXPECT_EQ(byte(codifica_tracciato(t)), byte(b));
}

struct caso_dimensioni {
  int32_t lunghezza;
  int64_t ultimo_indice;
};

void PrintTo(const caso_dimensioni& c, std::ostream* os) { *os << "L=" << c.lunghezza; }

class Dimensioni : public ::testing::TestWithParam<caso_dimensioni> {};

TEST_P(Dimensioni, LastCellAndFileSizesFollowTheRouteLength) {
  const auto [l, n] = GetParam();
  EXPECT_EQ(ultimo_indice_per(l), n);
  EXPECT_EQ(codifica_percorso(std::vector<cella>(static_cast<size_t>(n) + 1)).size(),
            static_cast<size_t>(15 * (n + 1)));
}

// N = round((L + 7000) / 50), ties to even: 7025/50 = 140.5 -> 140, 7075/50 = 141.5 -> 142,
// 10025/50 = 200.5 -> 200, 277000/50 = 5540.
INSTANTIATE_TEST_SUITE_P(Lunghezze, Dimensioni,
                         ::testing::Values(caso_dimensioni{270000, 5540}, caso_dimensioni{25, 140},
                                           caso_dimensioni{75, 142}, caso_dimensioni{3025, 200}));

TEST(CodificaTracciato, NormalBuildGivesTwentyBytesPerMetreLessThirtySix) {
  // M = 277000: metres 0,1 integers, 2..M-2 doubles, M-1 and M empty -> 20M - 36 bytes.
  const int32_t m = 277000;
  tracciato_t t;
  t.crea(m);
  for (int comp = 0; comp < 2; ++comp) {
    t.assegna(0, comp, {specie_elemento::intero, 0});
    t.assegna(1, comp, {specie_elemento::intero, static_cast<double>(comp)});
    for (int32_t i = 2; i <= m - 2; ++i) t.assegna(i, comp, {specie_elemento::reale, 1.0});
  }
  const std::string s = codifica_tracciato(t);
  EXPECT_EQ(s.size(), spedito::byte_piano);
  // The y half starts at byte 10M - 18.
  const std::vector<uint8_t> inizio_y = {2, 0, 0, 0, 2, 0, 1, 0};
  EXPECT_EQ(byte(s.substr(10 * m - 18, 8)), inizio_y);
}

TEST(Sostituzione, LeavesNoByteOfALongerOlderFile) {
  cartella_temporanea dir;
  const auto nome = dir / "Valmora2_1552.dat";
  scrivi(nome, std::string(1000, 'x'));
  sostituisci_file(nome, "abc");
  EXPECT_EQ(leggi(nome), "abc");
  sostituisci_file(nome, "");
  EXPECT_TRUE(std::filesystem::exists(nome));
  EXPECT_EQ(std::filesystem::file_size(nome), 0u);
}

TEST(Sostituzione, ADirectoryStandingForTheFileIsASystemErrorAndStays) {
  cartella_temporanea dir;
  const auto nome = dir / "Valmora2_1552.sim";
  std::filesystem::create_directory(nome);
  EXPECT_THROW(sostituisci_file(nome, "abc"), std::system_error);
  EXPECT_TRUE(std::filesystem::is_directory(nome));
}

}  // namespace
