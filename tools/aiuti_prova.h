// Helpers of the tool's tests: temporary folders, files, descriptions and a
// way to run the built tool.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace prova {

class cartella {
 public:
  cartella();
  ~cartella();
  cartella(const cartella&) = delete;
  cartella& operator=(const cartella&) = delete;
  const std::filesystem::path& percorso() const { return percorso_; }
  std::filesystem::path operator/(const std::string& nome) const { return percorso_ / nome; }

 private:
  std::filesystem::path percorso_;
};

std::string leggi(const std::filesystem::path& p);
void scrivi(const std::filesystem::path& p, const std::string& contenuto);

// Lines joined with CR LF after each, as the product writes its documents.
std::string righe_crlf(const std::vector<std::string>& righe);

// The shipped documents are in once the line description has a general
// section; until then the tests that need them are skipped.
bool documenti_consegnati();

struct uscita {
  int stato;
  std::string out;
  std::string err;
};
// Runs the built tool with these arguments.
uscita autori(const std::vector<std::string>& argomenti);

}  // namespace prova
