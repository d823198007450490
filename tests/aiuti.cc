#include "aiuti.h"

#include <fstream>
#include <random>
#include <sstream>

#include "files/nomi_file.h"
#include "run/memorizza_percorso.h"

cartella_temporanea::cartella_temporanea() {
  std::random_device rd;
  auto base = std::filesystem::temp_directory_path();
  for (;;) {
    auto p = base / ("valmora-test-" + std::to_string(rd()));
    if (std::filesystem::create_directory(p)) {
      percorso_ = p;
      return;
    }
  }
}

cartella_temporanea::~cartella_temporanea() {
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

risultato_prova compila(const std::string& linea, const std::string& treno, int32_t genera_tracciato) {
  risultato_prova r;
  r.c.file->sostituisci(nomi::descrizione_linea(r.c), linea);
  r.c.file->sostituisci(nomi::descrizione_treno(r.c), treno);
  r.fatale = memorizza_percorso(r.c, genera_tracciato).fatale;
  return r;
}

risultato_prova compila_su_disco(const cartella_temporanea& dir, const std::string& linea,
                                 const std::string& treno) {
  risultato_prova r;
  r.c.cartella = dir.percorso();
  r.c.archivio_file = nullptr;
  scrivi(nomi::descrizione_linea(r.c), linea);
  scrivi(nomi::descrizione_treno(r.c), treno);
  r.fatale = memorizza_percorso(r.c, 1).fatale;
  return r;
}

bool presente(const costruzione& c, const std::filesystem::path& nome) { return archivio_di(c).esiste(nome); }
bool presente(const costruzione& c, const char* nome_nella_cartella) {
  return presente(c, c.cartella / nome_nella_cartella);
}
std::string contenuto(const costruzione& c, const char* nome_nella_cartella) {
  return archivio_di(c).leggi(c.cartella / nome_nella_cartella);
}

std::string descrizione_linea(const std::vector<std::string>& generale,
                              const std::vector<std::string>& record) {
  std::vector<std::string> righe = {"linea di prova", "inizio dati", "     ",
                                    "[generale]                        "};
  righe.insert(righe.end(), generale.begin(), generale.end());
  righe.push_back("[pendenze]");
  righe.insert(righe.end(), record.begin(), record.end());
  righe.push_back("[fine]");
  righe.push_back("                ");
  return righe_crlf(righe);
}

std::vector<std::string> generale_con(int32_t lunghezza) {
  return {"lunghezza percorso,    " + std::to_string(lunghezza)};
}

std::string descrizione_treno(const std::vector<std::string>& record) {
  std::vector<std::string> righe = {"treno di prova", "inizio dati", "     ", "[generale]"};
  righe.insert(righe.end(), record.begin(), record.end());
  righe.push_back("     [fine]");
  return righe_crlf(righe);
}

bool esiste(const std::filesystem::path& p) { return std::filesystem::exists(p); }

costruzione_in_memoria compila_dati(const std::string& linea, const std::string& treno) {
  costruzione_in_memoria c;
  c.genera_tracciato = 1;
  c.file->sostituisci(nomi::descrizione_linea(c), linea);
  c.file->sostituisci(nomi::descrizione_treno(c), treno);
  memorizza_dati(c);
  return c;
}
