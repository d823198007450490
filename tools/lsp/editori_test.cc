// A real editor as the client: Neovim, headless, attaches autori lsp with a
// small Lua configuration and writes what it got to a file read here.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <nlohmann/json.hpp>

#include "aiuti_prova.h"

namespace {

using json = nlohmann::json;

TEST(LspNeovim, DiagnosticsAndHoverInTheEditor) {
  if (std::system("command -v nvim >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "nvim is not installed (Debian: neovim)";
  prova::cartella dir;
  // A station whose position carries a unit, on line 4 (0-based 3), columns
  // 10 to 14; the signal at 13400 m on line 6 lands in cell
  // round(13400 / 50 + 1) = 269.
  prova::scrivi(
      dir / "Prova_5-.txt",
      prova::righe_crlf({"treno di prova", "[generale]", "[stazioni]",
                         "stazione, 4500m, 2, 600, 0, 1, 0, 1,1,0, 4,1,1, 0, 0, 0, 0, ROMA TIBURTINA",
                         "[segnali]", "segnale, 13400, 1, 4, 1, 0, 0, 1, 3,1,0, 0", "[fine]", ""}));
  const std::string comando = "AUTORI=" + prova::citato_shell(AUTORI_ESEGUIBILE) +
                              " DESCRIZIONE=" + prova::citato_shell((dir / "Prova_5-.txt").string()) +
                              " USCITA=" + prova::citato_shell((dir / "uscita.json").string()) +
                              " RIGA=5 COLONNA=10 timeout 120 nvim --headless --clean -n -i NONE -c " +
                              prova::citato_shell("luafile " LUA_PROVA) + " >" +
                              prova::citato_shell((dir / "nvim.log").string()) + " 2>&1";
  const int r = std::system(comando.c_str());
  ASSERT_TRUE(WIFEXITED(r) && WEXITSTATUS(r) == 0) << prova::leggi(dir / "nvim.log");
  const json j = json::parse(prova::leggi(dir / "uscita.json"));
  json numero;
  for (const json& d : j["diagnostics"])
    if (d["code"] == 25) numero = d;
  ASSERT_FALSE(numero.is_null()) << j.dump(1);
  EXPECT_EQ(numero["lnum"], 3);
  EXPECT_EQ(numero["col"], 10);
  EXPECT_EQ(numero["end_col"], 15);
  EXPECT_EQ(numero["severity"], 1);
  EXPECT_EQ(numero["source"], "autori");
  EXPECT_NE(numero["message"].get<std::string>().find("\"4500m\" is not a number"), std::string::npos);
  const std::string hover = j["hover"];
  EXPECT_NE(hover.find("**position**: field 1 of `segnale`"), std::string::npos) << hover;
  EXPECT_NE(hover.find("cell 269, which covers 13450 to 13499 m"), std::string::npos) << hover;
}

}  // namespace
