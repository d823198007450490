// The console host: no window; the label and the messages go to standard error.
#include <filesystem>
#include <iostream>
#include <system_error>

#include "app/avvio.h"
#include "app/errore.h"

namespace {
std::filesystem::path cartella_eseguibile(const char* argv0) {
  std::error_code ec;
  auto se = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) return se.parent_path();
  return std::filesystem::absolute(argv0, ec).parent_path();
}
}  // namespace

int main(int, char** argv) {
  std::cerr << testo_attesa << std::endl;
  try {
    esito_costruzione e =
        esegui_avvio(cartella_eseguibile(argv[0]), identificativo_scenario, numero_treno_scenario);
    if (!e.fatale.empty()) errore(e.fatale);
    if (e.codice_errore != 0) {
      std::cerr << "codice_errore " << e.codice_errore << " posizione_errore " << e.posizione_errore
                << std::endl;
      return uscita_codice;
    }
    return uscita_riuscita;
  } catch (const std::system_error& e) {
    errore_di_sistema(e);
  }
}
