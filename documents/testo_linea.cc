#include "documents/documenti.h"

namespace {
constexpr std::string_view righe[] = {
    "",
};
}  // namespace

std::span<const std::string_view> righe_linea() { return righe; }
