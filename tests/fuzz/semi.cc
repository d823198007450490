// Writes the seed corpora into the folder given. For fuzz_costruzione
// (costruzione/): the shipped documents, and small descriptions that reach
// every record kind; an input is the line description, a NUL, the train
// description, and a further NUL and "0" build without the plan. For
// fuzz_decodifica (decodifica/): a selector byte, then the cells and the
// table of the small build and a plan of a few metres.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "documents/documenti.h"
#include "files/archivio.h"
#include "files/nomi_file.h"
#include "output/scrittori.h"
#include "run/memorizza_percorso.h"

namespace {
std::string righe(const std::vector<std::string>& r) {
  std::string s;
  for (const auto& x : r) s += x + "\r\n";
  return s;
}

const std::vector<std::string> generale_piccola = {"progressiva chilometrica uno, 1000, 1050, 0",
                                                   "ripetizione segnali 9 codici, 100, 5000",
                                                   "sfondo uno, 1"};

std::string linea_piccola(const std::vector<std::string>& record,
                          const std::vector<std::string>& generale = generale_piccola) {
  std::vector<std::string> r = {"linea di prova", "[generale]", "lunghezza percorso,    6000"};
  r.insert(r.end(), generale.begin(), generale.end());
  r.push_back("[pendenze]");
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

void scrivi_semi(const std::filesystem::path& cartella, const std::vector<seme>& semi) {
  std::filesystem::create_directories(cartella);
  for (const seme& s : semi) std::ofstream(cartella / s.nome, std::ios::binary) << s.dati;
}

// The scenario files of a small build, and a plan short enough to mutate.
std::vector<seme> semi_decodifica(const std::string& linea, const std::string& treno) {
  archivio_memoria m;
  costruzione c("cartella", "Valmora2", "1552");
  c.archivio_file = &m;
  m.sostituisci(nomi::descrizione_linea(c), linea);
  m.sostituisci(nomi::descrizione_treno(c), treno);
  (void)memorizza_percorso(c, 0);
  tracciato_t t;
  t.crea(3);
  t.assegna(0, 0, {specie_elemento::intero, 0.0});
  t.assegna(1, 1, {specie_elemento::intero, 1.0});
  t.assegna(2, 0, {specie_elemento::reale, 0.5});
  t.assegna(2, 1, {specie_elemento::reale, -1e300});
  return {{"celle", std::string(1, '\0') + m.leggi(nomi::percorso_dat(c))},
          {"tabella", std::string(1, '\1') + m.leggi(nomi::tabella_sim(c))},
          {"tracciato", std::string(1, '\2') + codifica_tracciato(t)}};
}
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
                     "segnale, 600, 2, 4, 1, 0, 0, 2, 2,0,0, 0", "abbattimento codice, 3700, 270",
                     "rallentamento, 2500, 30, 200, 9, 1, 3"});
  // Signals packed before a slowdown board, code cuts in front of the first
  // of them, before the slowdown's start and along its walk: the finishing
  // pass finds no free cell (codes 11 to 13) or lowers a code point.
  std::vector<std::string> affollati = {"rallentamento, 5000, 30, 1000, 0, 0, 0"};
  for (int p = 3000; p <= 3750; p += 50)
    affollati.push_back("segnale, " + std::to_string(p) + ", 2, 4, 1, 0, 0, 2, 2,0,0, 0");
  for (int p : {2950, 3000}) affollati.push_back("abbattimento codice, " + std::to_string(p) + ", 270");
  for (int p : {4700, 4750, 4800, 5400, 5450, 5500})
    affollati.push_back("abbattimento codice, " + std::to_string(p) + ", 0");
  // The three chainage sections in each order, and a difference at the top
  // of its field.
  const std::string progressive_ordinate = linea_piccola(
      {}, {"progressiva chilometrica tre, 5000, 100, 0", "progressiva chilometrica due, 3000, 100, 0",
           "progressiva chilometrica uno, 1000, 100, 1"});
  const std::string progressive_senza_inizio = linea_piccola(
      {}, {"progressiva chilometrica tre, 0, 500, 0", "progressiva chilometrica due, 0, 400, 0"});
  const std::string progressiva_al_limite =
      linea_piccola({}, {"progressiva chilometrica uno, 1000, 2147483600, 1"});
  const std::string treno_vuoto = treno_piccolo({});
  const std::vector<seme> semi = {
      {"documenti", componi_documento(righe_linea()) + nul + componi_documento(righe_treno())},
      {"documenti_senza_tracciato",
       componi_documento(righe_linea()) + nul + componi_documento(righe_treno()) + nul + "0"},
      {"note", componi_documento(righe_note()) + nul + componi_documento(righe_rallentamenti())},
      {"scheda", componi_documento(righe_scheda())},
      {"piccola", linea + nul + treno},
      {"piccola_senza_tracciato", linea + nul + treno + nul + "0"},
      {"solo_linea", linea},
      {"affollata", linea_piccola({}) + nul + treno_piccolo(affollati)},
      {"progressive_ordinate", progressive_ordinate + nul + treno_vuoto},
      {"progressive_senza_inizio", progressive_senza_inizio + nul + treno_vuoto},
      {"progressiva_al_limite", progressiva_al_limite + nul + treno_vuoto},
      {"orario_fuori_misura",
       linea_piccola({}) + nul +
           treno_piccolo({"stazione, 4500, 2, 600, 0, 1, 0, 0,0,0, 0,0,0, 0, 1000000, 0, 0, X"})},
      {"vuota", nul},
  };
  const std::filesystem::path cartella = argv[1];
  scrivi_semi(cartella / "costruzione", semi);
  scrivi_semi(cartella / "decodifica", semi_decodifica(linea, treno));
  return 0;
}
