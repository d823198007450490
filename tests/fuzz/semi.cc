// Writes the seed corpus of fuzz_costruzione into the folder given: the
// shipped documents, and small descriptions that reach every record kind.
// An input is the line description, a NUL, the train description; a further
// NUL and "0" build without the plan.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "documents/documenti.h"

namespace {
std::string righe(const std::vector<std::string>& r) {
  std::string s;
  for (const auto& x : r) s += x + "\r\n";
  return s;
}

std::string linea_piccola(const std::vector<std::string>& record) {
  std::vector<std::string> r = {"linea di prova",
                                "[generale]",
                                "lunghezza percorso,    6000",
                                "progressiva chilometrica uno, 1000, 1050, 0",
                                "ripetizione segnali 9 codici, 100, 5000",
                                "sfondo uno, 1",
                                "[pendenze]"};
  r.insert(r.end(), record.begin(), record.end());
  r.push_back("[fine]");
  return righe(r);
}

std::string treno_piccolo(const std::vector<std::string>& record) {
  std::vector<std::string> r = {"treno di prova",     "[generale]",
                                "numero vetture, 8",  "percentuale massa frenata, 130",
                                "orologio, 13 53 30", "sabbia, 200"};
  r.insert(r.end(), record.begin(), record.end());
  r.push_back("     [fine]");
  return righe(r);
}

struct seme {
  const char* nome;
  std::string dati;
};
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: semi_fuzz FOLDER\n";
    return 2;
  }
  const std::string nul(1, '\0');
  const std::string linea =
      linea_piccola({"pendenza, 500, 4", "- una curva", "curvad3, 200, 400", "curvaS1, 1000, 10",
                     "montagna, 1500, 2500, 11", "indicatori_vmax, 1050, 85, 90, 95, 0, 85, 90, 95, 0",
                     "cartello indicatore, 3100, (GALLERIA)(MONTE)"});
  const std::string treno =
      treno_piccolo({"velocita, 1000, 95", "aderenza, 0, 80",
                     "stazione, 4500, 2, 600, 0, 1, 0, 0,0,0, 0,0,0, 0, 14, 0, 0, SETTEBAGNI",
                     "segnale, 1100, 2, 4, 1, 0, 0, 2, 2,0,0, 0", "abbattimento codice, 3700, 270",
                     "rallentamento, 2500, 30, 200, 9, 1, 3"});
  const std::vector<seme> semi = {
      {"documenti", componi_documento(righe_linea()) + nul + componi_documento(righe_treno())},
      {"documenti_senza_tracciato",
       componi_documento(righe_linea()) + nul + componi_documento(righe_treno()) + nul + "0"},
      {"note", componi_documento(righe_note()) + nul + componi_documento(righe_rallentamenti())},
      {"scheda", componi_documento(righe_scheda())},
      {"piccola", linea + nul + treno},
      {"piccola_senza_tracciato", linea + nul + treno + nul + "0"},
      {"solo_linea", linea},
      {"vuota", nul},
  };
  const std::filesystem::path cartella = argv[1];
  std::filesystem::create_directories(cartella);
  for (const seme& s : semi) std::ofstream(cartella / s.nome, std::ios::binary) << s.dati;
  return 0;
}
