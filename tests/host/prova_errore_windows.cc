// The end of a run that stops through errore, without a build: the waiting
// window, then the message box for the fatal code 1251.
#include "app/errore.h"
#include "app/finestra_windows.h"

int WINAPI wWinMain(HINSTANCE istanza, HINSTANCE, PWSTR, int modo) {
  mostra_finestra_attesa(istanza, modo);
  errore("1251");
}
