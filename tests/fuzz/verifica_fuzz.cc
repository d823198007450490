// Arbitrary bytes through autori check, split as for the build's target: the
// bytes before the first NUL are the line description, those up to a second
// NUL the train description (none at all when there is no NUL).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tools/verifica.h"

namespace {
[[noreturn]] void guasto(const char* perche) {
  std::fprintf(stderr, "broken invariant: %s\n", perche);
  std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dati, size_t n) {
  const std::string_view tutto(reinterpret_cast<const char*>(dati), n);
  const size_t a = tutto.find('\0');
  autori::ingresso_verifica in{std::string(tutto.substr(0, a)), std::nullopt, "Valmora2", "1552"};
  if (a != std::string_view::npos) {
    const std::string_view treno = tutto.substr(a + 1);
    in.treno = std::string(treno.substr(0, treno.find('\0')));
  }
  const std::vector<autori::reperto> r = autori::verifica(in);
  for (const autori::reperto& k : r) {
    if (k.documento != 1 && k.documento != 2) guasto("a finding in no description");
    const std::optional<std::string>& testo = k.documento == 1 ? in.linea : in.treno;
    if (k.offset && (!testo || *k.offset > testo->size())) guasto("a finding outside its description");
    if (k.messaggio.empty()) guasto("a finding without words");
  }
  return 0;
}
