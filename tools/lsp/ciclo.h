// The server on two byte streams: a thread reads and frames what comes,
// the caller's thread answers, and checks only when no message waits, so
// that a burst of changes costs one check of the newest text.
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

namespace autori::lsp {

// leggi fills up to n bytes and returns how many, 0 at the end of the input;
// scrivi writes and flushes. Returns the exit status: 0 after shutdown and
// exit, 1 otherwise.
int servi(const std::function<size_t(char*, size_t)>& leggi, const std::function<void(std::string_view)>& scrivi);

}  // namespace autori::lsp
