// autori lsp: the language server on standard input and output.
#include <cstdio>

#include "comandi.h"
#include "lsp/ciclo.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

namespace autori {

namespace {
int esegui_lsp() {
#ifdef _WIN32
  // The framing counts bytes: no CR LF translation on either stream.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  return lsp::servi(
      [](char* b, size_t n) -> size_t {
#ifdef _WIN32
        const int k = _read(0, b, static_cast<unsigned>(n));
#else
        const ssize_t k = read(0, b, n);
#endif
        return k > 0 ? static_cast<size_t>(k) : 0;
      },
      [](std::string_view s) {
        std::fwrite(s.data(), 1, s.size(), stdout);
        std::fflush(stdout);
      });
}
}  // namespace

comando aggiungi_lsp(CLI::App& app) {
  CLI::App* s = app.add_subcommand("lsp", "Check the descriptions as an editor changes them (a language server)");
  s->footer(
      "Speaks the Language Server Protocol on standard input and output: diagnostics as you type,\n"
      "hover, completion, outline, go to definition, quick fixes and inlay hints for both\n"
      "descriptions. IDENTITY_linea.txt and IDENTITY_NUMBER-.txt in one folder are checked together;\n"
      "a description without its partner is checked beside the shipped one. See docs/editori.md.\n"
      "\n"
      "Exit status: 0 after shutdown and exit; 1 when the input ends or exit comes without shutdown.");
  return {s, [] { return esegui_lsp(); }};
}

}  // namespace autori
