// Shared test helpers: a temporary folder per test and small file utilities.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "model/costruzione.h"

// The shipped scenario, worked out once from its documents.
namespace spedito {
// L = 270000: the plan has metres 0 to M = L + 7000 = 277000. Each of its two
// components holds metres 0 and 1 as 16-bit integers (4 bytes each), metres
// 2 to M - 2 as doubles (10 bytes) and M - 1, M empty (2 bytes): 8 + 10 (M - 3)
// + 4 = 10 M - 18 bytes, and 20 M - 36 = 5539964 for both.
inline constexpr size_t byte_piano = 20 * (270000 + 7000) - 36;
// N = round((L + 7000) / 50) = 5540: cells 0 to N of 15 bytes, 83115 bytes.
inline constexpr size_t byte_celle = (5540 + 1) * 15;
// Key "1552" + "valmora2" + "aabbccddeeffg" (the padding up to 25 bytes):
// og = 49+53+53+50 + 118+97+108+109+111+114+97+50 + 97+97+98+98+99+99+100+
// 100+101+101+102+102+103 = 205 + 804 + 1297 = 2306; st weighs each byte by
// its place: 1*49 + 2*53 + 3*53 + 4*50 + 5*118 + ... + 25*103 = 31854.
inline constexpr int32_t codice_og = 2306;
inline constexpr int32_t codice_st = 31854;
}  // namespace spedito

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

// A build's model with a store in memory of its own, in the folder
// "scenario" under the program's identity.
struct in_memoria {
  std::unique_ptr<archivio_memoria> file = std::make_unique<archivio_memoria>();
};
struct costruzione_in_memoria : in_memoria, costruzione {
  costruzione_in_memoria() : costruzione("scenario", "Valmora2", "1552") { archivio_file = file.get(); }
};

// A build of the given line and train descriptions, as the program runs it,
// in memory: the descriptions go into the store under their usual names.
struct risultato_prova {
  costruzione_in_memoria c;
  std::string fatale;  // text of a fatal stop, empty otherwise
};
risultato_prova compila(const std::string& linea, const std::string& treno, int32_t genera_tracciato = 1);
// The same on the disk, in a folder of the caller's.
risultato_prova compila_su_disco(const cartella_temporanea& dir, const std::string& linea,
                                 const std::string& treno);

// Whether the build's files hold one of the given name (a path, or a name
// in the build's folder), and its bytes.
bool presente(const costruzione& c, const std::filesystem::path& nome);
bool presente(const costruzione& c, const char* nome_nella_cartella);
std::string contenuto(const costruzione& c, const char* nome_nella_cartella);

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
costruzione_in_memoria compila_dati(const std::string& linea, const std::string& treno);
