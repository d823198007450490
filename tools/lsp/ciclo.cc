#include "lsp/ciclo.h"

#include <string>

#include "lsp/cornice.h"
#include "lsp/server.h"

namespace autori::lsp {

int servi(const flussi& f) {
  server s(
      [&](const json& m) { f.scrivi(incornicia(m.dump(-1, ' ', false, json::error_handler_t::replace))); });
  lettore_cornici l;
  std::optional<cornice> prossima;
  std::string buffer(size_t{1} << 16, '\0');
  // A message framed, or bytes on their way: a check now would be stale.
  auto superato = [&] {
    if (!prossima) prossima = l.prossima();
    return prossima.has_value() || f.pronto();
  };
  while (!s.finito()) {
    if (!prossima) prossima = l.prossima();
    if (prossima) {
      cornice c = std::move(*prossima);
      prossima.reset();
      if (c.valida)
        s.ricevi(c.corpo);
      else
        s.errore_cornice(c.errore);
      continue;
    }
    if (!f.pronto()) s.verifica_in_sospeso(superato);
    // The check may have framed the next message to see whether it waits.
    if (prossima) continue;
    const size_t k = f.leggi(buffer.data(), buffer.size());
    if (k == 0) break;
    l.aggiungi(std::string_view(buffer.data(), k));
  }
  return s.stato_uscita();
}

}  // namespace autori::lsp
