// The decoders of inspect over arbitrary bytes. The first byte picks the kind
// of file (0 cells, 1 table, 2 plan, modulo 3); the rest is the file. Bytes
// a decoder accepts must encode back to themselves: the layouts have no
// padding and no byte that means nothing.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "output/decodifica.h"
#include "output/scrittori.h"

namespace {
template <typename T>
void verifica(const decodificato<T>& d, std::string_view dati, std::string (*codifica)(const T&)) {
  if (!d.ok()) return;
  if (codifica(d.valore) != dati) {
    std::fprintf(stderr, "broken invariant: decoded bytes do not encode back to themselves\n");
    std::abort();
  }
}

std::string codifica_celle(const std::vector<cella>& p) { return codifica_percorso(p); }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dati, size_t n) {
  if (n == 0) return 0;
  const std::string_view file(reinterpret_cast<const char*>(dati) + 1, n - 1);
  switch (dati[0] % 3) {
    case 0:
      verifica(decodifica_percorso(file), file, &codifica_celle);
      break;
    case 1:
      verifica(decodifica_tabella(file), file, &codifica_tabella);
      break;
    default:
      verifica(decodifica_tracciato(file), file, &codifica_tracciato);
      break;
  }
  return 0;
}
