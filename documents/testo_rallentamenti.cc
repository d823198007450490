// The slowdown orders: none for this run.
#include "documents/documenti.h"

namespace {
// One entry per line of the file, exactly as it is written.
// clang-format off
constexpr std::string_view righe[] = {
    "",
    "",
    "",
    "",
    "                         NESSUNA PRESCRIZIONE",
};
// clang-format on
}  // namespace

std::span<const std::string_view> righe_rallentamenti() { return righe; }
