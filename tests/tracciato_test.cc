// The plan held as the bytes of its file: whatever order the metres are
// assigned in, it reads back what was assigned and its file is the x half
// then the y half.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "model/scenario.h"

namespace {

std::vector<int> byte(std::string_view s) {
  std::vector<int> b;
  for (char c : s) b.push_back(static_cast<unsigned char>(c));
  return b;
}

constexpr elemento vuoto{};
constexpr elemento intero(double v) { return {specie_elemento::intero, v}; }
constexpr elemento reale(double v) { return {specie_elemento::reale, v}; }

struct passo {
  int32_t metro;
  int componente;
  elemento e;
  // Take the file before this step, as the writer does before any later one.
  bool file_prima = false;
};

struct caso_tracciato {
  const char* nome;
  std::vector<passo> passi;
  std::vector<int> atteso;  // the file of metres 0 to ultimo_metro
  int32_t ultimo_metro = 2;
};

void PrintTo(const caso_tracciato& c, std::ostream* os) { *os << c.nome; }

class Tracciato : public ::testing::TestWithParam<caso_tracciato> {};

TEST_P(Tracciato, ReadsBackWhatWasAssignedAndGivesItsFile) {
  const int32_t ultimo = GetParam().ultimo_metro;
  tracciato_t t;
  t.crea(ultimo);
  std::array<std::vector<elemento>, 2> assegnati;
  for (auto& a : assegnati) a.resize(static_cast<size_t>(ultimo) + 1);
  for (const passo& p : GetParam().passi) {
    if (p.file_prima) (void)t.file();
    t.assegna(p.metro, p.componente, p.e);
    assegnati[static_cast<size_t>(p.componente)][static_cast<size_t>(p.metro)] = p.e;
  }
  for (int k = 0; k < 2; ++k) {
    for (int32_t m = 0; m <= ultimo; ++m) {
      const elemento& a = assegnati[static_cast<size_t>(k)][static_cast<size_t>(m)];
      EXPECT_EQ(t.at(m, k).specie, a.specie) << "metre " << m << " component " << k;
      EXPECT_EQ(t.at(m, k).valore, a.valore) << "metre " << m << " component " << k;
    }
  }
  const std::vector<int> copia = byte(t.copia_file());
  EXPECT_EQ(byte(t.file()), GetParam().atteso);
  EXPECT_EQ(copia, GetParam().atteso);
  // Moving the y half behind x leaves every metre where it was.
  for (int32_t m = 0; m <= ultimo; ++m)
    EXPECT_EQ(t.at(m, 1).valore, assegnati[1][static_cast<size_t>(m)].valore) << "metre " << m;
}

// An element is its type code (0 empty, 2 integer, 5 double) and its value,
// little-endian: 0.5 is 0x3FE0000000000000, 1.5 is 0x3FF8000000000000.
const std::vector<int> b_vuoto{0, 0};
std::vector<int> b_intero(int basso, int alto) { return {2, 0, basso, alto}; }
const std::vector<int> b_mezzo{5, 0, 0, 0, 0, 0, 0, 0, 0xE0, 0x3F};
const std::vector<int> b_uno_e_mezzo{5, 0, 0, 0, 0, 0, 0, 0, 0xF8, 0x3F};

std::vector<int> file_di(std::initializer_list<std::vector<int>> elementi) {
  std::vector<int> b;
  for (const auto& e : elementi) b.insert(b.end(), e.begin(), e.end());
  return b;
}

INSTANTIATE_TEST_SUITE_P(
    Ordini, Tracciato,
    ::testing::Values(
        caso_tracciato{
            "nothing_assigned", {}, file_di({b_vuoto, b_vuoto, b_vuoto, b_vuoto, b_vuoto, b_vuoto})},
        caso_tracciato{"as_the_line_compiler_builds_it",
                       {{0, 0, intero(0)},
                        {0, 1, intero(0)},
                        {1, 0, intero(0)},
                        {1, 1, intero(1)},
                        {2, 0, reale(0.5)},
                        {2, 1, reale(1.5)}},
                       file_di({b_intero(0, 0), b_intero(0, 0), b_mezzo, b_intero(0, 0), b_intero(1, 0),
                                b_uno_e_mezzo})},
        // y metre 1 first, over an empty metre 0; x only at metre 2.
        caso_tracciato{"gaps_left_empty",
                       {{1, 1, intero(7)}, {2, 0, reale(0.5)}},
                       file_di({b_vuoto, b_vuoto, b_mezzo, b_vuoto, b_intero(7, 0), b_vuoto})},
        // Metre 1 of x grows from 4 to 10 bytes: metre 2 moves on by 6.
        caso_tracciato{
            "a_longer_kind_over_an_assigned_metre",
            {{0, 0, intero(1)}, {1, 0, intero(2)}, {2, 0, intero(-2)}, {1, 0, reale(1.5)}},
            file_di({b_intero(1, 0), b_uno_e_mezzo, b_intero(0xFE, 0xFF), b_vuoto, b_vuoto, b_vuoto})},
        caso_tracciato{"a_shorter_kind_over_an_assigned_metre",
                       {{0, 1, reale(0.5)}, {1, 1, reale(0.5)}, {0, 1, vuoto}, {2, 1, intero(300)}},
                       file_di({b_vuoto, b_vuoto, b_vuoto, b_vuoto, b_mezzo, b_intero(0x2C, 0x01)})},
        caso_tracciato{"the_same_kind_in_place",
                       {{0, 0, reale(0.5)}, {1, 0, reale(0.5)}, {0, 0, reale(1.5)}},
                       file_di({b_uno_e_mezzo, b_mezzo, b_vuoto, b_vuoto, b_vuoto, b_vuoto})},
        // The file moved the y half down behind x; x then grows past it.
        caso_tracciato{
            "assigned_after_the_file",
            {{0, 0, intero(0)}, {0, 1, intero(1)}, {1, 0, reale(0.5), true}, {1, 1, reale(1.5), true}},
            file_di({b_intero(0, 0), b_mezzo, b_vuoto, b_intero(1, 0), b_uno_e_mezzo, b_vuoto})},
        // After the file, x takes bytes 0 to 21 and y0 bytes 22 to 31; a
        // double for x metre 2 needs bytes 20 to 29 and sends the y half up
        // to byte 30, over its own bytes, to be read back whole.
        caso_tracciato{"assigned_after_the_file_moved_y_over_its_place",
                       {{0, 0, reale(0.5)},
                        {1, 0, reale(0.5)},
                        {0, 1, reale(1.5)},
                        {1, 1, intero(1), true},
                        {2, 0, reale(1.5), true}},
                       file_di({b_mezzo, b_mezzo, b_uno_e_mezzo, b_uno_e_mezzo, b_intero(1, 0), b_vuoto})},
        // Metres 0 to 4: y waits at byte 10 * 4 - 18 = 22, where x would end
        // with integers at metres 0 and 1 and metres 3 and 4 empty. Doubles
        // all along x overtake it at metre 2, and y goes up out of the way.
        caso_tracciato{"x_longer_than_a_whole_geometry",
                       {{0, 1, reale(1.5)},
                        {0, 0, reale(0.5)},
                        {1, 0, reale(0.5)},
                        {2, 0, reale(0.5)},
                        {3, 0, reale(0.5)},
                        {1, 1, reale(0.5)}},
                       file_di({b_mezzo, b_mezzo, b_mezzo, b_mezzo, b_vuoto, b_uno_e_mezzo, b_mezzo, b_vuoto,
                                b_vuoto, b_vuoto}),
                       4}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST(Tracciato, FileOfAPlanNeverMadeIsEmpty) {
  tracciato_t t;
  EXPECT_FALSE(t.esiste());
  EXPECT_TRUE(t.file().empty());
  t.crea(5);
  t.distruggi();
  EXPECT_FALSE(t.esiste());
  EXPECT_EQ(t.ultimo_metro(), -1);
}

}  // namespace
