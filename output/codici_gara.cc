#include "output/codici_gara.h"

#include <string>

#include "model/dominio.h"

namespace {
// The key is left in the current token, as the compilers leave their fields.
const std::string& chiave(costruzione& c) {
  std::string k = c.tabella_scenario[riga_treno].nome + c.tabella_scenario[riga_identita].nome;
  for (char& ch : k)
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  c.token = k + testo_riempimento;
  return c.token;
}
}  // namespace

int32_t codice_gara_og(costruzione& c) {
  const std::string& k = chiave(c);
  int32_t somma = 0;
  for (int i = 1; i <= 25; ++i) somma += static_cast<unsigned char>(k[i - 1]);
  return somma;
}

int32_t codice_gara_st(costruzione& c) {
  const std::string& k = chiave(c);
  int32_t somma = 0;
  for (int i = 1; i <= 25; ++i) somma += i * static_cast<unsigned char>(k[i - 1]);
  return somma;
}
