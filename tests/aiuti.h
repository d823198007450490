// Shared test helpers: a temporary folder per test and small file utilities.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "model/costruzione.h"

class cartella_temporanea {
 public:
  cartella_temporanea();
  ~cartella_temporanea();
  cartella_temporanea(const cartella_temporanea&) = delete;
  cartella_temporanea& operator=(const cartella_temporanea&) = delete;
  const std::filesystem::path& percorso() const { return percorso_; }
  std::filesystem::path operator/(const std::string& nome) const { return percorso_ / nome; }

 private:
  std::filesystem::path percorso_;
};

std::string leggi(const std::filesystem::path& p);
void scrivi(const std::filesystem::path& p, const std::string& contenuto);

// Joins lines with CR LF after each, as the document writer does.
std::string righe_crlf(const std::vector<std::string>& righe);

// A build of the given line and train descriptions in a fresh folder, as the
// program runs it. The descriptions are written under their usual names.
struct risultato_prova {
  costruzione c;
  std::string fatale;  // text of a fatal stop, empty otherwise
};
risultato_prova compila(const cartella_temporanea& dir, const std::string& linea, const std::string& treno,
                        int32_t genera_tracciato = 1);

// A line description: a short preamble, "[generale]" with the given keys, the
// records, then "[fine]" and a line of blanks, as the shipped one ends.
std::string descrizione_linea(const std::vector<std::string>& generale,
                              const std::vector<std::string>& record);
// The usual general section: the given route length and nothing else.
std::vector<std::string> generale_con(int32_t lunghezza);

// A train description: a preamble, "[generale]", the records and "     [fine]".
std::string descrizione_treno(const std::vector<std::string>& record);

bool esiste(const std::filesystem::path& p);

// Only the two compilers (memorizza_dati), without the finishing pass, so the
// cells show exactly what the descriptions placed.
costruzione compila_dati(const cartella_temporanea& dir, const std::string& linea, const std::string& treno);
