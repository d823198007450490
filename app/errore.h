// How a host ends a run that cannot go on. Each host links its own
// implementation: app/errore_console.cc or app/errore_windows.cc.
#pragma once

#include <string>
#include <system_error>

// Exit statuses of the program, the same on every host.
inline constexpr int uscita_riuscita = 0;
inline constexpr int uscita_errore = 1;   // errore
inline constexpr int uscita_codice = 2;   // the build recorded a code and wrote its files all the same
inline constexpr int uscita_sistema = 3;  // the file system failed

// Shows " Errore n. " + a and ends the process with uscita_errore.
[[noreturn]] void errore(const std::string& a);

// Shows the platform's error number and text and ends the process with
// uscita_sistema. Files written before the failure stay.
[[noreturn]] void errore_di_sistema(const std::system_error& e);

inline std::string testo_errore_di_sistema(const std::system_error& e) {
  return "Errore di sistema " + std::to_string(e.code().value()) + ": " + e.what();
}
