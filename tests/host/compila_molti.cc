// The driver of the host matrix: many description pairs, each built on disk
// into a folder of its own as the program builds its scenario (identity
// "Valmora2" / "1552", with the plan), and how each build ended. The core and
// the standard library only, so that it builds for every host of the matrix.
//
//   compila_molti USCITA CARTELLA         each subfolder of CARTELLA that holds
//                                         linea.txt (and treno.txt) is a pair
//   compila_molti --semi USCITA CARTELLA  each file of CARTELLA is a seed of
//                                         fuzz_costruzione, split as it splits it
//
// USCITA/NAME receives the files the build leaves and esito.txt, one line each:
// "stato_uscita N" (the program's exit status for this build), "codice N",
// "posizione N", "fatale TEXT" (errore's argument, "-" for none).
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "app/avvio.h"
#include "app/errore.h"
#include "files/archivio.h"
#include "files/nomi_file.h"

namespace fs = std::filesystem;

namespace {
struct coppia {
  std::string nome;
  std::string linea;
  std::optional<std::string> treno;
  int32_t genera_tracciato = 1;
};

// As fuzz_costruzione reads a seed: the line description up to the first
// NUL, the train description up to a second one (none without a NUL); a
// third part beginning with '0' builds without the plan.
coppia da_seme(std::string nome, std::string_view dati) {
  coppia k{std::move(nome), std::string(dati.substr(0, dati.find('\0'))), std::nullopt, 1};
  const size_t a = dati.find('\0');
  if (a == std::string_view::npos) return k;
  std::string_view treno = dati.substr(a + 1);
  const size_t b = treno.find('\0');
  if (b != std::string_view::npos) {
    if (treno.substr(b + 1).starts_with('0')) k.genera_tracciato = 0;
    treno = treno.substr(0, b);
  }
  k.treno = std::string(treno);
  return k;
}

std::vector<coppia> leggi_coppie(const fs::path& cartella, bool semi) {
  std::vector<fs::path> voci;
  for (const auto& v : fs::directory_iterator(cartella)) {
    if (semi ? v.is_regular_file() : fs::is_regular_file(v.path() / "linea.txt")) voci.push_back(v.path());
  }
  std::sort(voci.begin(), voci.end());
  std::vector<coppia> coppie;
  for (const fs::path& p : voci) {
    const std::string nome = p.filename().string();
    if (semi) {
      coppie.push_back(da_seme(nome, leggi_file(p)));
    } else {
      coppia k{nome, leggi_file(p / "linea.txt"), std::nullopt, 1};
      if (fs::exists(p / "treno.txt")) k.treno = leggi_file(p / "treno.txt");
      coppie.push_back(std::move(k));
    }
  }
  return coppie;
}

// The build writes its files into the folder and deletes the descriptions
// there, as the program does beside its executable.
void costruisci(const fs::path& uscita, const coppia& k) {
  const fs::path cartella = uscita / k.nome;
  fs::remove_all(cartella);
  fs::create_directories(cartella);
  costruzione c(cartella, identificativo_scenario, numero_treno_scenario);
  sostituisci_file(nomi::descrizione_linea(c), k.linea);
  if (k.treno) sostituisci_file(nomi::descrizione_treno(c), *k.treno);
  const std::string fatale = memorizza_percorso(c, k.genera_tracciato).fatale;
  const int stato =
      !fatale.empty() ? uscita_errore : (c.codice_errore != 0 ? uscita_codice : uscita_riuscita);
  std::ostringstream esito;
  esito << "stato_uscita " << stato << "\ncodice " << c.codice_errore << "\nposizione " << c.posizione_errore
        << "\nfatale " << (fatale.empty() ? std::string_view("-") : std::string_view(fatale)) << "\n";
  sostituisci_file(cartella / "esito.txt", esito.str());
}
}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> argomenti(argv + 1, argv + argc);
  const bool semi = !argomenti.empty() && argomenti[0] == "--semi";
  if (semi) argomenti.erase(argomenti.begin());
  if (argomenti.size() != 2) {
    std::cerr << "uso: compila_molti [--semi] USCITA CARTELLA\n";
    return 64;
  }
  try {
    const std::vector<coppia> coppie = leggi_coppie(argomenti[1], semi);
    if (coppie.empty()) {
      std::cerr << "nessuna coppia in " << argomenti[1] << "\n";
      return 1;
    }
    for (const coppia& k : coppie) costruisci(argomenti[0], k);
    std::cout << coppie.size() << " costruzioni in " << argomenti[0] << "\n";
  } catch (const std::system_error& e) {
    std::cerr << testo_errore_di_sistema(e) << "\n";
    return uscita_sistema;
  }
  return 0;
}
