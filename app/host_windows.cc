// The Windows host, the program's home: the waiting window, then the run.
#include <filesystem>
#include <system_error>

#include "app/avvio.h"
#include "app/errore.h"
#include "app/finestra_windows.h"

namespace {
std::filesystem::path cartella_eseguibile() {
  std::wstring nome(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, nome.data(), static_cast<DWORD>(nome.size()));
    if (n == 0)
      throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), "GetModuleFileNameW");
    // A full buffer may hold a truncated name: try again with more room.
    if (n < nome.size()) {
      nome.resize(n);
      return std::filesystem::path(nome).parent_path();
    }
    nome.resize(nome.size() * 2);
  }
}
}  // namespace

int WINAPI wWinMain(HINSTANCE istanza, HINSTANCE, PWSTR, int modo) {
  mostra_finestra_attesa(istanza, modo);
  try {
    esito_costruzione e = esegui_avvio(cartella_eseguibile(), identificativo_scenario, numero_treno_scenario);
    if (!e.fatale.empty()) errore(e.fatale);
    return e.codice_errore != 0 ? uscita_codice : uscita_riuscita;
  } catch (const std::system_error& e) {
    errore_di_sistema(e);
  }
}
