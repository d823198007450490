// The tutorial runs: every step of docs/tutorial.md is carried out in a
// fresh folder, and each output shown there must be what the tool prints.
// With VALMORA_AGGIORNA_DOCUMENTI set the page (and the pictures it keeps) is
// written again from the tool instead.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "aiuti_prova.h"

namespace {

namespace fs = std::filesystem;

const fs::path documenti = fs::path(VALMORA_SORGENTE) / "docs";
using prova::citato_shell;

// The tool run in `cartella`, its two streams in one, as a console shows them.
std::pair<int, std::string> in_cartella(const fs::path& cartella, const std::string& argomenti) {
  std::string comando = "cd " + citato_shell(cartella.string()) + " && " + citato_shell(AUTORI_ESEGUIBILE);
  std::istringstream a(argomenti);
  for (std::string p; a >> p;) comando.append(" ").append(citato_shell(p));
  const fs::path uscita = cartella / ".uscita";
  comando.append(" >").append(citato_shell(uscita.string())).append(" 2>&1");
  const int r = std::system(comando.c_str());
  std::string testo = prova::leggi(uscita);
  fs::remove(uscita);
  return {WIFEXITED(r) ? WEXITSTATUS(r) : -1, testo};
}

bool comincia(const std::string& s, const std::string& testa) { return s.rfind(testa, 0) == 0; }
std::string tra(const std::string& s, const std::string& testa, const std::string& coda) {
  return s.substr(testa.size(), s.size() - testa.size() - coda.size());
}

TEST(Tutorial, EveryOutputOnThePageIsWhatTheToolPrints) {
  const fs::path pagina = documenti / "tutorial.md";
  const std::string originale = prova::leggi(pagina);
  std::vector<std::string> righe;
  {
    std::istringstream in(originale);
    for (std::string r; std::getline(in, r);) righe.push_back(r);
  }
  const bool aggiorna = std::getenv("VALMORA_AGGIORNA_DOCUMENTI") != nullptr;
  prova::cartella d;
  std::string nuova;
  auto copia = [&nuova](const std::string& r) { nuova.append(r).append("\n"); };
  int passi = 0;
  for (size_t i = 0; i < righe.size(); ++i) {
    const std::string& r = righe[i];
    copia(r);
    if (comincia(r, "<!-- file ")) {
      // The fence, the file's lines, the fence.
      ASSERT_LT(i + 1, righe.size());
      copia(righe[++i]);
      std::string contenuto;
      while (++i < righe.size() && righe[i] != "```") {
        copia(righe[i]);
        contenuto.append(righe[i]).append("\n");
      }
      ASSERT_LT(i, righe.size()) << "unclosed file block";
      copia(righe[i]);
      prova::scrivi(d / tra(r, "<!-- file ", " -->"), contenuto);
    } else if (comincia(r, "<!-- run")) {
      const std::string opzioni = tra(r, "<!-- run", " -->");
      const int atteso = comincia(opzioni, " exit=") ? std::stoi(opzioni.substr(6)) : 0;
      ASSERT_LT(i + 2, righe.size());
      copia(righe[++i]);  // ```console
      const std::string& comando = righe[++i];
      ASSERT_TRUE(comincia(comando, "$ autori ")) << comando;
      copia(comando);
      while (++i < righe.size() && righe[i] != "```") {
      }
      ASSERT_LT(i, righe.size()) << "unclosed output block";
      const auto [stato, testo] = in_cartella(d.percorso(), comando.substr(9));
      EXPECT_EQ(stato, atteso) << comando << "\n" << testo;
      nuova.append(testo);
      if (!testo.empty() && testo.back() != '\n') nuova.append("\n");
      copia(righe[i]);
      ++passi;
    } else if (comincia(r, "<!-- keep ")) {
      const std::string cosa = tra(r, "<!-- keep ", " -->");
      const size_t come = cosa.find(" as ");
      ASSERT_NE(come, std::string::npos) << r;
      const std::string fatto = prova::leggi(d / cosa.substr(0, come));
      const fs::path tenuto = documenti / cosa.substr(come + 4);
      if (aggiorna)
        prova::scrivi(tenuto, fatto);
      else
        EXPECT_TRUE(fs::exists(tenuto) && prova::leggi(tenuto) == fatto)
            << tenuto.filename() << " is not what the tutorial draws";
    }
  }
  EXPECT_GT(passi, 0);
  if (aggiorna) {
    prova::scrivi(pagina, nuova);
    return;
  }
  EXPECT_EQ(nuova, originale)
      << "docs/tutorial.md is out of date: run this test with VALMORA_AGGIORNA_DOCUMENTI=1";
}

}  // namespace
