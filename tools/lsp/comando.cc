// autori lsp: the language server on standard input and output.
#include <cstdio>

#include "comandi.h"
#include "lsp/ciclo.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <poll.h>
#include <unistd.h>
#endif

namespace autori {

namespace {

size_t leggi(char* b, size_t n) {
#ifdef _WIN32
  const int k = _read(0, b, static_cast<unsigned>(n));
#else
  const ssize_t k = read(0, b, n);
#endif
  return k > 0 ? static_cast<size_t>(k) : 0;
}

bool pronto() {
#ifdef _WIN32
  // A pipe tells what waits in it; a file or a console is read when asked.
  DWORD byte = 0;
  return PeekNamedPipe(GetStdHandle(STD_INPUT_HANDLE), nullptr, 0, nullptr, &byte, nullptr) && byte > 0;
#else
  pollfd p{0, POLLIN, 0};
  return poll(&p, 1, 0) > 0 && (p.revents & POLLIN) != 0;
#endif
}

int esegui_lsp() {
#ifdef _WIN32
  // The framing counts bytes: no CR LF translation on either stream.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  return lsp::servi({leggi, pronto, [](std::string_view s) {
                       std::fwrite(s.data(), 1, s.size(), stdout);
                       std::fflush(stdout);
                     }});
}

}  // namespace

comando aggiungi_lsp(CLI::App& app) {
  CLI::App* s =
      app.add_subcommand("lsp", "Check the descriptions as an editor changes them (a language server)");
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
