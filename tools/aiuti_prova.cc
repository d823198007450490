#include "aiuti_prova.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "documents/documenti.h"

namespace prova {

cartella::cartella() {
  std::random_device rd;
  const auto base = std::filesystem::temp_directory_path();
  for (;;) {
    auto p = base / ("autori-test-" + std::to_string(rd()));
    if (std::filesystem::create_directory(p)) {
      percorso_ = p;
      return;
    }
  }
}

cartella::~cartella() {
  std::error_code ec;
  std::filesystem::remove_all(percorso_, ec);
}

std::string leggi(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void scrivi(const std::filesystem::path& p, const std::string& contenuto) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << contenuto;
}

std::string righe_crlf(const std::vector<std::string>& righe) {
  std::string s;
  for (const auto& r : righe) s += r + "\r\n";
  return s;
}

bool documenti_consegnati() {
  for (std::string_view r : righe_linea())
    if (r.find("[generale]") != std::string_view::npos) return true;
  return false;
}

namespace {
std::string citato_shell(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}
}  // namespace

uscita autori(const std::vector<std::string>& argomenti) {
  cartella d;
  std::string comando = citato_shell(AUTORI_ESEGUIBILE);
  for (const auto& a : argomenti) comando += " " + citato_shell(a);
  comando += " >" + citato_shell((d / "out").string()) + " 2>" + citato_shell((d / "err").string());
  const int r = std::system(comando.c_str());
  return {WIFEXITED(r) ? WEXITSTATUS(r) : -1, leggi(d / "out"), leggi(d / "err")};
}

}  // namespace prova
