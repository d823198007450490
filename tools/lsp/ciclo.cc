#include "lsp/ciclo.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "lsp/cornice.h"
#include "lsp/server.h"

namespace autori::lsp {

namespace {
struct coda {
  std::mutex m;
  std::condition_variable cv;
  std::deque<cornice> messaggi;
  bool fine = false;
};
}  // namespace

int servi(const std::function<size_t(char*, size_t)>& leggi, const std::function<void(std::string_view)>& scrivi) {
  // Shared with the reader, which may still wait in a read after the exit.
  auto c = std::make_shared<coda>();
  std::thread lettore([c, leggi] {
    lettore_cornici l;
    std::string buffer(size_t{1} << 16, '\0');
    for (;;) {
      const size_t k = leggi(buffer.data(), buffer.size());
      if (k == 0) break;
      l.aggiungi(std::string_view(buffer.data(), k));
      std::lock_guard<std::mutex> g(c->m);
      while (std::optional<cornice> x = l.prossima()) c->messaggi.push_back(std::move(*x));
      c->cv.notify_one();
    }
    std::lock_guard<std::mutex> g(c->m);
    c->fine = true;
    c->cv.notify_one();
  });
  lettore.detach();

  server s([&](const json& m) {
    scrivi(incornicia(m.dump(-1, ' ', false, json::error_handler_t::replace)));
  });
  auto in_attesa = [&] {
    std::lock_guard<std::mutex> g(c->m);
    return !c->messaggi.empty();
  };
  while (!s.finito()) {
    std::optional<cornice> m;
    {
      std::unique_lock<std::mutex> g(c->m);
      if (c->messaggi.empty() && !c->fine) {
        g.unlock();
        s.verifica_in_sospeso(in_attesa);
        g.lock();
      }
      c->cv.wait(g, [&] { return !c->messaggi.empty() || c->fine; });
      if (c->messaggi.empty()) break;
      m = std::move(c->messaggi.front());
      c->messaggi.pop_front();
    }
    if (m->valida)
      s.ricevi(m->corpo);
    else
      s.errore_cornice(m->errore);
  }
  return s.stato_uscita();
}

}  // namespace autori::lsp
