#include "aiuti_prova.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

namespace prova {

std::string citato_shell(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

uscita autori(const std::vector<std::string>& argomenti) {
  cartella d;
  std::string comando = citato_shell(AUTORI_ESEGUIBILE);
  for (const auto& a : argomenti) comando.append(" ").append(citato_shell(a));
  comando.append(" >")
      .append(citato_shell((d / "out").string()))
      .append(" 2>")
      .append(citato_shell((d / "err").string()));
  const int r = std::system(comando.c_str());
  return {WIFEXITED(r) ? WEXITSTATUS(r) : -1, leggi(d / "out"), leggi(d / "err")};
}

std::vector<std::string> linea_con(const std::vector<std::string>& record) {
  std::vector<std::string> r = {"linea di prova", "[generale]", "lunghezza percorso, 10000", "[pendenze]",
                                "pendenza, 0, 0"};
  r.insert(r.end(), record.begin(), record.end());
  r.push_back("[fine]");
  r.push_back("                ");
  return r;
}

std::vector<std::string> linea_generale(const std::vector<std::string>& chiavi) {
  std::vector<std::string> r = {"linea di prova", "[generale]"};
  r.insert(r.end(), chiavi.begin(), chiavi.end());
  r.push_back("[fine]");
  r.push_back("                ");
  return r;
}

std::vector<std::string> treno_con(const std::vector<std::string>& record) {
  std::vector<std::string> r = {"treno di prova", "[generale]"};
  r.insert(r.end(), record.begin(), record.end());
  r.push_back("     [fine]");
  return r;
}

std::string segnale(int p) {
  return std::string("segnale, ").append(std::to_string(p)).append(", 1, 0, 1, 0, 0, 1, 0, 0, 0, 0");
}

std::vector<std::string> settantotto_cartelli() {
  std::vector<std::string> r;
  for (int k = 1; k <= 78; ++k)
    r.push_back(std::string("cartello indicatore, ")
                    .append(std::to_string(100 * k))
                    .append(", (S")
                    .append(std::to_string(k))
                    .append(")"));
  return r;
}

std::string righe_unite(const std::string& testo) {
  std::string out;
  size_t a = 0;
  for (size_t b; a < testo.size(); a = b + 1) {
    b = testo.find('\n', a);
    if (b == std::string::npos) b = testo.size();
    const std::string riga = testo.substr(a, b - a);
    size_t colonne = 0;
    for (char c : riga) colonne += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    EXPECT_LE(colonne, 100u) << riga;
    const size_t testa = riga.find_first_not_of(' ');
    if (testa > 0 && testa != std::string::npos && !out.empty() && out.back() == '\n') {
      out.pop_back();
      out += " " + riga.substr(testa);
    } else {
      out += riga;
    }
    if (b < testo.size()) out += "\n";
  }
  return out;
}

}  // namespace prova
