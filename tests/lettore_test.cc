#include "documents/lettore.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

namespace {

// A field to read and what it must give: a text, a number of some width, or a
// failure of the reader.
struct testo {
  std::string atteso;
};
struct n32 {
  int32_t atteso;
};
struct n16 {
  int16_t atteso;
};
struct n8 {
  uint8_t atteso;
};
using campo = std::variant<testo, n32, n16, n8>;

struct caso_righe;
void PrintTo(const caso_righe& c, std::ostream* os);

struct caso_righe {
  const char* nome;
  std::string dati;
  std::vector<campo> campi;
  bool fine_dopo;  // fine_file once the fields are read
};

void PrintTo(const caso_righe& c, std::ostream* os) { *os << c.nome; }

class LetturaRighe : public ::testing::TestWithParam<caso_righe> {};

TEST_P(LetturaRighe, DeliversTheFieldsOfTheDocumentRows) {
  const caso_righe& k = GetParam();
  lettore l(k.dati);
  for (size_t i = 0; i < k.campi.size(); ++i) {
    SCOPED_TRACE("field " + std::to_string(i));
    std::visit(
        [&](const auto& c) {
          using T = std::decay_t<decltype(c)>;
          if constexpr (std::is_same_v<T, testo>) {
            EXPECT_EQ(l.leggi_testo(), c.atteso);
          }
          if constexpr (std::is_same_v<T, n32>) {
            EXPECT_EQ(l.leggi_32(), c.atteso);
          }
          if constexpr (std::is_same_v<T, n16>) {
            EXPECT_EQ(l.leggi_16(), c.atteso);
          }
          if constexpr (std::is_same_v<T, n8>) {
            EXPECT_EQ(l.leggi_8(), c.atteso);
          }
        },
        k.campi[i]);
  }
  EXPECT_EQ(l.fine_file(), k.fine_dopo);
}

INSTANTIATE_TEST_SUITE_P(
    Righe, LetturaRighe,
    ::testing::Values(
        caso_righe{"gradient", "pendenza,  6850,   -9\r\n", {testo{"pendenza"}, n32{6850}, n32{-9}}, true},
        // Blanks alone separate numbers; the trailing blank and the line end are one delimiter.
        caso_righe{"clock",
                   "orologio,    13              53            30 \r\n",
                   {testo{"orologio"}, n16{13}, n16{53}, n16{30}},
                   true},
        caso_righe{"speed",
                   "velocita' limite ,     0    ,   30\r\n",
                   {testo{"velocita' limite"}, n32{0}, n32{30}},
                   true},
        caso_righe{"blanks before commas",
                   "pendenza  , 265350   , 0\r\n",
                   {testo{"pendenza"}, n32{265350}, n32{0}},
                   true},
        caso_righe{"sign text keeps inner blanks",
                   "cartello indicatore,  266250,   (CAVALCAVIA) ( STATUTO )         \r\n",
                   {testo{"cartello indicatore"}, n32{266250}, testo{"(CAVALCAVIA) ( STATUTO )"}},
                   true},
        caso_righe{
            "line without commas", "- avviso Settebagni\r\nx\r\n", {testo{"- avviso Settebagni"}}, false},
        caso_righe{"disabled station splits at commas",
                   "-stazione, 260400, 25, 400\r\n",
                   {testo{"-stazione"}, testo{"260400"}, testo{"25"}, testo{"400"}},
                   true},
        caso_righe{"indicator leaves the reader at the next line",
                   "indicatori_vmax,  1050, 85, 90, 95, 0, 85, 90, 95, 0\r\nnext\r\n",
                   {testo{"indicatori_vmax"}, n32{1050}, n32{85}, n32{90}, n32{95}, n32{0}, n32{85}, n32{90},
                    n32{95}, n32{0}, testo{"next"}},
                   true},
        caso_righe{"blank line and line of blanks give empty tokens",
                   "\r\n     \r\nx\r\n",
                   {testo{""}, testo{""}, testo{"x"}},
                   true},
        caso_righe{"lone line feed ends a line", "a,1\nb\n", {testo{"a"}, n32{1}, testo{"b"}}, true},
        caso_righe{"quoted text keeps commas", "\"a, b\" , 7\r\n", {testo{"a, b"}, n32{7}}, true},
        caso_righe{"text only of blanks at the end is empty", "   ", {testo{""}}, true},
        // Fractions round half to even: 2.5 -> 2, 3.5 -> 4, -2.5 -> -2, 2.51 -> 3.
        caso_righe{"fractions round half to even",
                   "2.5,3.5,-2.5,2.51,+7,0.49\r\n",
                   {n32{2}, n32{4}, n32{-2}, n32{3}, n32{7}, n32{0}},
                   true},
        caso_righe{"target limits",
                   "2147483647,-2147483648,32767,-32768,255,0\r\n",
                   {n32{2147483647}, n32{-2147483648}, n16{32767}, n16{-32768}, n8{255}, n8{0}},
                   true}),
    [](const auto& info) {
      std::string s = info.param.nome;
      for (char& ch : s)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return s;
    });

struct caso_guasto {
  const char* dati;
  int larghezza;  // 32, 16 or 8
};

void PrintTo(const caso_guasto& c, std::ostream* os) { *os << '"' << c.dati << "\" as " << c.larghezza; }

class LetturaGuasta : public ::testing::TestWithParam<caso_guasto> {};

TEST_P(LetturaGuasta, FailsInsteadOfGuessing) {
  lettore l(GetParam().dati);
  switch (GetParam().larghezza) {
    case 32:
      EXPECT_THROW(l.leggi_32(), guasto_lettura);
      break;
    case 16:
      EXPECT_THROW(l.leggi_16(), guasto_lettura);
      break;
    default:
      EXPECT_THROW(l.leggi_8(), guasto_lettura);
  }
}

INSTANTIATE_TEST_SUITE_P(Guasti, LetturaGuasta,
                         ::testing::Values(caso_guasto{"", 32},             // nothing left
                                           caso_guasto{"   ", 32},          // only blanks left
                                           caso_guasto{",5", 32},           // empty field
                                           caso_guasto{"\r\n5", 32},        // line end before any character
                                           caso_guasto{"abc", 32},          // not a number
                                           caso_guasto{"5.", 32},           // no digit after the point
                                           caso_guasto{".5", 32},           // no digit before it
                                           caso_guasto{"1-2", 32},          // sign inside
                                           caso_guasto{"2147483648", 32},   // one past the top
                                           caso_guasto{"-2147483649", 32},  // one past the bottom
                                           caso_guasto{"99999999999999999999", 32}, caso_guasto{"32768", 16},
                                           caso_guasto{"-32769", 16}, caso_guasto{"256", 8},
                                           caso_guasto{"-1", 8}, caso_guasto{"255.5", 8}));  // rounds to 256

TEST(LetturaTesto, FailsPastTheEndAndOnAnUnterminatedQuote) {
  lettore vuoto("");
  EXPECT_THROW(vuoto.leggi_testo(), guasto_lettura);
  lettore aperta("\"senza fine, davvero\r\n");
  EXPECT_THROW(aperta.leggi_testo(), guasto_lettura);
}

TEST(FineFile, TrueOnceTheLastLineEndIsConsumed) {
  // A record on the last line is read in full, then the test is true.
  lettore record("montagna,   265050,  265300,  2\r\n");
  EXPECT_EQ(record.leggi_testo(), "montagna");
  EXPECT_FALSE(record.fine_file());
  record.leggi_32();
  record.leggi_32();
  record.leggi_32();
  EXPECT_TRUE(record.fine_file());

  // A whole-line token on the last line makes it true at once.
  lettore fine("[fine]\r\n");
  EXPECT_EQ(fine.leggi_testo(), "[fine]");
  EXPECT_TRUE(fine.fine_file());
}

TEST(Contiene, ComparesInTheRequestedMode) {
  struct caso {
    const char* testo;
    const char* parola;
    modo m;
    bool atteso;
  };
  const caso casi[] = {
      {"[GENERALE]", "[generale]", modo::qualsiasi, true},
      {"Progressiva chilometrica uno", "progressiva", modo::esatto, false},
      {"progressiva chilometrica uno", "uno", modo::esatto, true},
      {"LUNGHEZZA PERCORSO", "lunghezza", modo::qualsiasi, true},
      {"curvas3", "s", modo::qualsiasi, true},
      {"CURVAD3", "s", modo::qualsiasi, false},
      {"abc", "abcd", modo::qualsiasi, false},
      {"", "-", modo::qualsiasi, false},
      {"x-", "-", modo::qualsiasi, true},
  };
  for (const caso& k : casi)
    EXPECT_EQ(contiene(k.testo, k.parola, k.m), k.atteso) << k.testo << " / " << k.parola;
}

TEST(RigaColonna, CountsCrLfAndLoneLineFeedsAsOneLineEnd) {
  const std::string dati = "ab\r\ncd\nef";
  EXPECT_EQ(riga_colonna(dati, 0).riga, 1);
  EXPECT_EQ(riga_colonna(dati, 4).riga, 2);
  EXPECT_EQ(riga_colonna(dati, 5).colonna, 2);
  EXPECT_EQ(riga_colonna(dati, 7).riga, 3);
}

}  // namespace
