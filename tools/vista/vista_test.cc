// autori view: its arguments and messages, and the scenario data its page is
// made from, against the build of small descriptions.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "aiuti_prova.h"
#include "decompila.h"
#include "output/decodifica.h"
#include "pagina.h"
#include "scena.h"

namespace {

namespace fs = std::filesystem;
using autori::vista::json;

struct caso_argomenti {
  const char* nome;
  std::vector<std::string> argomenti;  // after "view"; "@" is the fixture folder
  int stato;
  const char* messaggio;
};

void PrintTo(const caso_argomenti& c, std::ostream* os) { *os << c.nome; }

class ArgomentiView : public testing::TestWithParam<caso_argomenti> {};

TEST_P(ArgomentiView, MessageAndStatus) {
  prova::cartella d;
  prova::scrivi(d / "file.txt", "x");
  fs::create_directory(d / "vuota");
  std::vector<std::string> a = {"view"};
  for (const std::string& x : GetParam().argomenti) a.push_back(x[0] == '@' ? (d / x.substr(1)).string() : x);
  const prova::uscita u = prova::autori(a);
  EXPECT_EQ(u.stato, GetParam().stato) << u.err;
  EXPECT_NE(u.err.find(GetParam().messaggio), std::string::npos) << u.err;
  EXPECT_FALSE(fs::exists(d / "p.html"));
}

INSTANTIATE_TEST_SUITE_P(
    View, ArgomentiView,
    testing::Values(
        caso_argomenti{"three_inputs", {"@a", "@b", "@c", "-o", "@p.html"}, 64, "3 arguments given"},
        caso_argomenti{"a_file_alone", {"@file.txt", "-o", "@p.html"}, 64, "file.txt is not a folder"},
        caso_argomenti{"no_output", {"@vuota"}, 64, "--output is required"},
        caso_argomenti{"empty_folder",
                       {"@vuota", "-o", "@p.html"},
                       1,
                       "needs exactly one table file named ID_NUMBER.sim, found 0"},
        caso_argomenti{"missing_description",
                       {"@file.txt", "@nessuno.txt", "-o", "@p.html"},
                       1,
                       "nessuno.txt: error: does not exist"},
        caso_argomenti{"output_over_input",
                       {"@file.txt", "@file.txt", "-o", "@file.txt"},
                       64,
                       "would replace its input"}),
    [](const auto& i) { return std::string(i.param.nome); });

std::string da_base64(const std::string& s) {
  std::string b;
  uint32_t v = 0;
  int bit = 0;
  for (char c : s) {
    const char* t = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const char* p = c == '=' ? nullptr : std::strchr(t, c);
    if (p == nullptr) break;
    v = (v << 6) | static_cast<uint32_t>(p - t);
    bit += 6;
    if (bit >= 8) {
      bit -= 8;
      b += static_cast<char>((v >> bit) & 0xff);
    }
  }
  return b;
}

// A fixture built in memory, with what the page would hold.
struct costruito {
  prova::cartella d;
  json dati;
  autori::file_scenario file;
};

void costruisci(costruito& c, const std::vector<std::string>& linea, const std::vector<std::string>& treno) {
  prova::scrivi(c.d / "L.txt", prova::righe_crlf(linea));
  prova::scrivi(c.d / "T.txt", prova::righe_crlf(treno));
  const autori::vista::lettura l =
      autori::vista::da_descrizioni((c.d / "L.txt").string(), (c.d / "T.txt").string(), "Valmora2", "1552");
  ASSERT_FALSE(l.errore) << *l.errore;
  c.dati = l.dati;
  c.file =
      autori::ricompila(prova::leggi(c.d / "L.txt"), prova::leggi(c.d / "T.txt"), "Valmora2", "1552", true)
          .file;
}

TEST(ScenaView, ThePlanComesBackWithinHalfADecimetre) {
  // Two curves, so that the coordinates are not round numbers.
  costruito c;
  costruisci(c, prova::linea_con({"[curve]", "curvad1, 2000, 1500", "curvas3, 6000, 1000"}),
             prova::treno_con({}));
  const json& p = c.dati["plan"];
  ASSERT_EQ(p["encoding"], "dm16");
  const auto piano = decodifica_tracciato(*c.file.piano);
  ASSERT_TRUE(piano.ok());
  const std::string b = da_base64(p["data"].get<std::string>());
  const int32_t metri = piano.valore.ultimo_metro() + 1;
  ASSERT_EQ(p["metres"], metri);
  ASSERT_EQ(b.size(), 4u * static_cast<size_t>(metri));
  // Each metre is a step in decimetres from the one before; a coordinate
  // rounded to the decimetre lies within 0.05 m of the plan's.
  int64_t x = 0, y = 0;
  auto passo = [&](size_t i) {
    return static_cast<int16_t>(static_cast<uint8_t>(b[i]) | (static_cast<uint8_t>(b[i + 1]) << 8));
  };
  for (int32_t m = 0; m < metri; ++m) {
    const int16_t dx = passo(4 * static_cast<size_t>(m)), dy = passo(4 * static_cast<size_t>(m) + 2);
    const bool vuoto = piano.valore.at(m, 0).specie == specie_elemento::vuoto;
    if (vuoto) {
      EXPECT_EQ(dx, -32768) << m;
      continue;
    }
    x += dx;
    y += dy;
    ASSERT_LE(std::fabs(static_cast<double>(x) / 10 - piano.valore.at(m, 0).valore), 0.05 + 1e-9) << m;
    ASSERT_LE(std::fabs(static_cast<double>(y) / 10 - piano.valore.at(m, 1).valore), 0.05 + 1e-9) << m;
  }
}

TEST(ScenaView, ASignalHasItsCellItsSourceLineAndItsFinding) {
  // Left kind 9: marks of 10 x (3 x 9 + right kind) + k, over a byte for every k, which check
  // reports as an error, since the byte would hold another value. The signal at 1000 m lands in cell
  // round(1000 / 50 + 1) = 21, at 1050 m.
  const std::string record = "segnale, 1000, 9, 3, 1, 0, 0, 1, 0, 0, 0, 0";
  costruito c;
  costruisci(c, prova::linea_con({}), prova::treno_con({record}));
  const json* segnale = nullptr;
  for (const json& o : c.dati["objects"])
    if (o["kind"] == "signal") segnale = &o;
  ASSERT_NE(segnale, nullptr) << c.dati["objects"].dump();
  EXPECT_EQ((*segnale)["cell"], 21);
  EXPECT_EQ((*segnale)["m"], 1050);
  const json& f = c.dati["sources"]["21"];
  EXPECT_EQ(f["line"], 3);  // preamble, [generale], then the record
  EXPECT_EQ(f["text"], record);
  bool trovato = false;
  for (const json& r : c.dati["findings"])
    if (r.value("line", 0) == 3 && r["severity"] == "error") {
      trovato = true;
      EXPECT_EQ(r["cells"], json::array({21}));
    }
  EXPECT_TRUE(trovato) << c.dati["findings"].dump();
  // inspect's words for the cell, from the table of the distinct ones.
  const json& celle = c.dati["cells"];
  const std::string parole = celle["meanings"][celle["meaning"][21].get<size_t>()];
  EXPECT_EQ(parole.rfind("signal; left kind", 0), 0u) << parole;
}

TEST(PaginaView, TheDataNeverEndsItsScriptElement) {
  const json j{{"text", "</script><script>alert(1)</script>"}, {"n", 1}};
  const std::string s = autori::vista::json_per_pagina(j);
  EXPECT_EQ(s.find("</"), std::string::npos) << s;
  EXPECT_EQ(json::parse(s), j);
  const std::string p = autori::vista::pagina(j, false);
  // One script element opens for the data, one for the code, and each closes once.
  size_t chiusi = 0;
  for (size_t i = p.find("</script>"); i != std::string::npos; i = p.find("</script>", i + 1)) ++chiusi;
  EXPECT_EQ(chiusi, 2u);
  EXPECT_NE(p.find("const DIRETTA = false"), std::string::npos);
}

}  // namespace
