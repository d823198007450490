// What hover and the inlay hints say of a value, on the server itself, with
// no stream between.
#include <gtest/gtest.h>

#include "lsp/server.h"

namespace {

using autori::lsp::json;

struct sessione {
  std::vector<json> uscite;
  autori::lsp::server s{[this](const json& m) { uscite.push_back(m); }};
  sessione(const std::string& uri, const std::string& testo) {
    s.ricevi(R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{}})");
    s.ricevi(json({{"jsonrpc", "2.0"},
                   {"method", "textDocument/didOpen"},
                   {"params", {{"textDocument", {{"uri", uri}, {"version", 1}, {"text", testo}}}}}})
                 .dump());
  }
  json chiedi(const std::string& metodo, json parametri) {
    s.ricevi(
        json({{"jsonrpc", "2.0"}, {"id", 7}, {"method", metodo}, {"params", std::move(parametri)}}).dump());
    return uscite.back().at("result");
  }
};

// A line description: line 3 (0-based) onwards are the records of the table.
const std::string linea =
    "linea\r\n[generale]\r\nlunghezza percorso, 10000\r\nprogressiva chilometrica uno, 5000, 46500, 1\r\n"
    "[pendenze]\r\npendenza, 950, 160\r\n[curve]\r\ncurva 3 s, 1200, 400\r\n[indicazioni]\r\n"
    "indicatori_vmax, 1050, 85, 90, 95, 0, 60, 90, 95, 0\r\n[fine]\r\n\r\n";
const std::string uri = "file:///p/Prova_linea.txt";

TEST(LspHover, WhatAValueMeansHere) {
  struct caso {
    int riga, colonna;
    std::string atteso;
  };
  const std::vector<caso> casi = {
      // 160 + 100 = 260 does not fit a byte: 260 - 256 = 4, read back as 4 - 100 = -96.
      {5, 16, "Here: 160 per mille; stored as -96"},
      // round(950 / 50) = 19, 950 m before the section at 5000 m: no difference.
      {5, 11, "km 0.950, chainage km 0.950; it lands in cell 19, which covers 950 to 999 m"},
      // Before the only section's start, the chainage is the position; from
      // it on, the position + 46500 + 100 (flag 1): 5000 m is km 51.600.
      {7, 12, "Here: 1200 m, km 1.200, chainage km 1.200"},
      {3, 32, "Here: 5000 m, km 5.000, chainage km 51.600"},
      // Class 3 is 2500 m; an 's' turns it left.
      {7, 2, "Here: class 3, a radius of 2500 m, turning left."},
      // Left speed A 85 and right speed A 60: 85 x 20 + 60 / 5 = 1712.
      {9, 23, "stored as 85 x 20 + 60 / 5 = 1712"},
      {9, 38, "stored as 85 x 20 + 60 / 5 = 1712"},
  };
  sessione s(uri, linea);
  for (const caso& c : casi) {
    const json h = s.chiedi(
        "textDocument/hover",
        {{"textDocument", {{"uri", uri}}}, {"position", {{"line", c.riga}, {"character", c.colonna}}}});
    ASSERT_TRUE(h.is_object()) << c.riga << ":" << c.colonna;
    const std::string testo = h["contents"]["value"];
    EXPECT_NE(testo.find(c.atteso), std::string::npos) << c.riga << ":" << c.colonna << "\n" << testo;
  }
  // No record: no hover.
  EXPECT_TRUE(s.chiedi("textDocument/hover",
                       {{"textDocument", {{"uri", uri}}}, {"position", {{"line", 0}, {"character", 1}}}})
                  .is_null());
}

TEST(LspSuggerimenti, TheFieldNameBeforeEachValue) {
  sessione s(uri, linea);
  const json l = s.chiedi(
      "textDocument/inlayHint",
      {{"textDocument", {{"uri", uri}}},
       {"range", {{"start", {{"line", 5}, {"character", 0}}}, {"end", {{"line", 5}, {"character", 0}}}}}});
  // "pendenza, 950, 160": the position at column 10, the gradient at 15.
  ASSERT_EQ(l.size(), 2u) << l.dump(1);
  EXPECT_EQ(l[0]["label"], "position:");
  EXPECT_EQ(l[0]["position"], json({{"line", 5}, {"character", 10}}));
  EXPECT_EQ(l[1]["label"], "gradient:");
  EXPECT_EQ(l[1]["position"], json({{"line", 5}, {"character", 15}}));
}

}  // namespace
