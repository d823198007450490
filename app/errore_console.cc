// The console host has no window: its messages are lines on standard error.
#include <cstdlib>
#include <iostream>

#include "app/avvio.h"
#include "app/errore.h"

void errore(const std::string& a) {
  std::cerr << testo_errore(a) << std::endl;
  std::exit(uscita_errore);
}

void errore_di_sistema(const std::system_error& e) {
  std::cerr << testo_errore_di_sistema(e) << std::endl;
  std::exit(uscita_sistema);
}
