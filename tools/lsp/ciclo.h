// The server on two byte streams, on one thread: it answers every message
// that has come, and checks only when no more wait, so that a burst of
// changes costs one check of the newest text.
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

namespace autori::lsp {

struct flussi {
  // Fills up to n bytes and returns how many; 0 at the end of the input.
  std::function<size_t(char*, size_t)> leggi;
  // True when bytes wait to be read, without waiting for them.
  std::function<bool()> pronto;
  // Writes and flushes.
  std::function<void(std::string_view)> scrivi;
};

// The exit status: 0 after shutdown and exit, 1 otherwise.
int servi(const flussi& f);

}  // namespace autori::lsp
