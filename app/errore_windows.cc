// The Windows host reports through modal message boxes with OK only and the
// system's own caption.
#include <cstdlib>

#include "app/avvio.h"
#include "app/errore.h"
#include "app/finestra_windows.h"

namespace {
// Task modal: with no owner this still disables the waiting window.
void mostra(const std::string& testo, UINT icona) {
  MessageBoxW(nullptr, testo_largo(testo).c_str(), nullptr, MB_OK | MB_TASKMODAL | icona);
}
}  // namespace

void errore(const std::string& a) {
  mostra(testo_errore(a), 0);
  std::exit(uscita_errore);
}

void errore_di_sistema(const std::system_error& e) {
  mostra(testo_errore_di_sistema(e), MB_ICONERROR);
  std::exit(uscita_sistema);
}
