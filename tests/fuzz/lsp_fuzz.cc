// Arbitrary bytes into autori lsp's message reader, and every message it
// frames into the server: no input may crash it, and everything it says is
// JSON with the protocol's shape.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "tools/lsp/cornice.h"
#include "tools/lsp/server.h"

namespace {
[[noreturn]] void guasto(const char* perche) {
  std::fprintf(stderr, "broken invariant: %s\n", perche);
  std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dati, size_t n) {
  using autori::lsp::json;
  autori::lsp::server s([](const json& m) {
    if (!m.is_object() || m.value("jsonrpc", "") != "2.0") guasto("a message without jsonrpc 2.0");
    if (m.contains("error") && !m["error"]["code"].is_number_integer()) guasto("an error without its code");
    (void)m.dump(-1, ' ', false, json::error_handler_t::replace);
  });
  // initialize first, so that the documents' methods are reached.
  s.ricevi(R"({"jsonrpc":"2.0","id":0,"method":"initialize","params":{}})");
  autori::lsp::lettore_cornici l;
  // In two pieces, so that a message split between reads is exercised.
  const std::string_view tutto(reinterpret_cast<const char*>(dati), n);
  for (std::string_view pezzo : {tutto.substr(0, n / 2), tutto.substr(n / 2)}) {
    l.aggiungi(pezzo);
    while (std::optional<autori::lsp::cornice> c = l.prossima()) {
      if (c->valida)
        s.ricevi(c->corpo);
      else
        s.errore_cornice(c->errore);
      if (s.finito()) return 0;
    }
  }
  // Once: each check builds the whole pair.
  s.verifica_in_sospeso();
  return 0;
}
