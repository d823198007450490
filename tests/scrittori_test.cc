#include "output/scrittori.h"

#include <gtest/gtest.h>

#include "aiuti.h"
#include "files/archivio.h"
#include "output/binario.h"

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
  t.at(0, 0) = {specie_elemento::intero, 0};
  t.at(0, 1) = {specie_elemento::intero, 0};
  t.at(1, 0) = {specie_elemento::intero, 0};
  t.at(1, 1) = {specie_elemento::intero, 1};
  t.at(2, 0) = {specie_elemento::reale, 0.5};
  t.at(2, 1) = {specie_elemento::reale, 2.0};
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
    t.at(0, comp) = {specie_elemento::intero, 0};
    t.at(1, comp) = {specie_elemento::intero, static_cast<double>(comp)};
    for (int32_t i = 2; i <= m - 2; ++i) t.at(i, comp) = {specie_elemento::reale, 1.0};
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
