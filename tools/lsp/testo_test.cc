// The pieces under the protocol: framing, the editor's text against the
// build's bytes, and the names that pair two descriptions.
#include "lsp/testo.h"

#include <gtest/gtest.h>

#include "lsp/coppie.h"
#include "lsp/cornice.h"

namespace {

using namespace autori::lsp;

// "a", U+1F600 (two UTF-16 units, four UTF-8 bytes), "b", U+00B0, U+20AC.
const std::string misto =
    "a\xF0\x9F\x98\x80"
    "b\xC2\xB0\xE2\x82\xAC\r\nz";

TEST(LspTesto, OneByteACharacterAndUtf16Columns) {
  const testo_editor t(misto);
  // a ? b 0xB0 ? CR LF z: the two characters above U+00FF stand as '?'.
  EXPECT_EQ(t.byte(), std::string("a?b\xB0?\r\nz"));
  ASSERT_EQ(t.non_memorizzabili().size(), 2u);
  EXPECT_EQ(t.non_memorizzabili()[0].offset, 1u);
  EXPECT_EQ(t.non_memorizzabili()[0].carattere, U'\U0001F600');
  EXPECT_EQ(t.non_memorizzabili()[1].offset, 4u);
  EXPECT_EQ(t.non_memorizzabili()[1].carattere, U'\u20AC');
  // Byte -> UTF-16: the emoji counts two units, so 'b' (byte 2) is at 3.
  struct caso {
    size_t byte;
    int64_t riga, carattere;
  };
  for (const caso& c : {caso{0, 0, 0}, caso{1, 0, 1}, caso{2, 0, 3}, caso{3, 0, 4}, caso{4, 0, 5},
                        caso{5, 0, 6}, caso{7, 1, 0}, caso{8, 1, 1}}) {
    const posizione p = t.di_byte(c.byte);
    EXPECT_EQ(p.riga, c.riga) << c.byte;
    EXPECT_EQ(p.carattere, c.carattere) << c.byte;
    EXPECT_EQ(t.a_byte(p), c.byte) << c.byte;
  }
  // Inside the surrogate pair: before the character. Past the line: its end.
  EXPECT_EQ(t.a_byte({0, 2}), 1u);
  EXPECT_EQ(t.a_byte({0, 99}), 5u);
  EXPECT_EQ(t.a_byte({7, 0}), t.byte().size());
}

TEST(LspTesto, EditsInUtf16Positions) {
  testo_editor t(misto);
  // The emoji (units 1 to 3) becomes "xy"; then a line break after 'z'.
  t.modifica({0, 1}, {0, 3}, "xy");
  EXPECT_EQ(t.utf8(), "axyb\xC2\xB0\xE2\x82\xAC\r\nz");
  t.modifica({1, 1}, {1, 1}, "\n\xC3\xA8");
  EXPECT_EQ(t.byte(), std::string("axyb\xB0?\r\nz\n\xE8"));
  EXPECT_EQ(t.righe().size(), 3u);
  EXPECT_EQ(t.di_byte(t.byte().size()).riga, 2);
}

TEST(LspTesto, LatinOneShownAsTheEditorShowsIt) {
  EXPECT_EQ(da_latin1("1\xB0 BIVIO"), "1\xC2\xB0 BIVIO");
  EXPECT_EQ(testo_editor(da_latin1("1\xB0 BIVIO")).byte(), "1\xB0 BIVIO");
}

TEST(LspCornici, WholeBodiesFromBytesInAnyPieces) {
  const std::string due = incornicia("{\"a\":1}") + "Content-Type: x\r\ncontent-length: 2\r\n\r\n[]";
  // Fed one byte at a time, the same two bodies come out.
  lettore_cornici l;
  std::vector<std::string> corpi;
  for (char c : due) {
    l.aggiungi(std::string_view(&c, 1));
    while (std::optional<cornice> k = l.prossima()) {
      ASSERT_TRUE(k->valida) << k->errore;
      corpi.push_back(k->corpo);
    }
  }
  EXPECT_EQ(corpi, (std::vector<std::string>{"{\"a\":1}", "[]"}));
}

TEST(LspCornici, HeaderFaultsAreReportedAndTheNextMessageStillRead) {
  struct caso {
    std::string byte;
    std::string errore;
  };
  const std::vector<caso> casi = {
      {"Content-Length: abc\r\n\r\n", "Content-Length is not a number of bytes: \"abc\""},
      {"Content-Type: json\r\n\r\n", "a message without a Content-Length header"},
      {"Content-Length: 999999999999\r\n\r\n", "is above the largest message taken"},
      {std::string(9000, 'x'), "a header longer than 8192 bytes"},
  };
  for (const caso& c : casi) {
    lettore_cornici l;
    l.aggiungi(c.byte);
    std::optional<cornice> k = l.prossima();
    ASSERT_TRUE(k) << c.errore;
    EXPECT_FALSE(k->valida);
    EXPECT_NE(k->errore.find(c.errore), std::string::npos) << k->errore;
    l.aggiungi(incornicia("{}"));
    k = l.prossima();
    ASSERT_TRUE(k) << c.errore;
    EXPECT_TRUE(k->valida) << c.errore;
    EXPECT_EQ(k->corpo, "{}");
  }
}

TEST(LspCornici, AShortLengthLosesOnlyItsOwnMessage) {
  lettore_cornici l;
  // 8 bytes announced, 10 sent: the two left over stand before the next header.
  l.aggiungi("Content-Length: 8\r\n\r\n{\"id\":12}}" + incornicia("{\"id\":2}"));
  std::optional<cornice> k = l.prossima();
  ASSERT_TRUE(k);
  EXPECT_EQ(k->corpo, "{\"id\":12");
  k = l.prossima();
  ASSERT_TRUE(k);
  EXPECT_TRUE(k->valida);
  EXPECT_EQ(k->corpo, "{\"id\":2}");
}

TEST(LspCoppie, NamesAsTheBuildGivesThem) {
  struct caso {
    std::string percorso;
    int documento;
    std::string cartella, identificativo, numero;
  };
  for (const caso& c : {caso{"/d/Valmora2_linea.txt", 1, "/d", "Valmora2", ""},
                        caso{"/d/Valmora2_1552-.txt", 2, "/d", "Valmora2", "1552"},
                        caso{"C:\\s\\Mia_linea_2_linea.txt", 1, "C:\\s", "Mia_linea_2", ""},
                        caso{"Mia_linea_R12-.txt", 2, "", "Mia_linea", "R12"}}) {
    const std::optional<nome_descrizione> n = leggi_nome(c.percorso);
    ASSERT_TRUE(n) << c.percorso;
    EXPECT_EQ(n->documento, c.documento) << c.percorso;
    EXPECT_EQ(n->cartella, c.cartella) << c.percorso;
    EXPECT_EQ(n->identificativo, c.identificativo) << c.percorso;
    EXPECT_EQ(n->numero_treno, c.numero) << c.percorso;
  }
  for (const char* p : {"/d/linea.txt", "/d/_linea.txt", "/d/Valmora2_1552.txt", "/d/-.txt", "/d/x_-.txt"})
    EXPECT_FALSE(leggi_nome(p)) << p;
  EXPECT_EQ(percorso_di("file:///a%20b/Valmora2_linea.txt"), "/a b/Valmora2_linea.txt");
  EXPECT_EQ(percorso_di("file:///C:/x/y.txt"), "C:/x/y.txt");
  EXPECT_EQ(percorso_di("untitled:1"), "");
  EXPECT_EQ(uri_di("/a b/c.txt"), "file:///a%20b/c.txt");
}

}  // namespace
