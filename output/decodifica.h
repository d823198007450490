// Readers of the three scenario files, the inverse of the encoders in
// scrittori.h: they give back the model variable a file is the image of, or
// say why the bytes cannot be one.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/scenario.h"

template <typename T>
struct decodificato {
  T valore{};
  // Empty when the bytes fit the kind of file; otherwise why they do not.
  std::string errore;
  bool ok() const { return errore.empty(); }
};

// A whole number of 15-byte cells.
decodificato<std::vector<cella>> decodifica_percorso(std::string_view dati);
// Exactly 87 rows, the last one ending at the last byte.
decodificato<tabella> decodifica_tabella(std::string_view dati);
// Plan elements of the three known kinds, an even number of them: the first
// half are the x values of metres 0 to M, the second half the y values.
decodificato<tracciato_t> decodifica_tracciato(std::string_view dati);
