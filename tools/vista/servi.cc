// autori serve: the page of autori view, following two descriptions as they
// are saved.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <iostream>
#include <memory>
#include <mutex>
#include <thread>

#include "app/avvio.h"
#include "comandi.h"
#include "diagnostica.h"
#include "files/archivio.h"
#include "pagina.h"
#include "scena.h"

#ifdef VALMORA_SERVE
#include <httplib.h>
#endif

namespace autori {

namespace {

struct opzioni {
  std::string linea;
  std::string treno;
  std::string host = "127.0.0.1";
  int porta = 8024;
  std::string identificativo = identificativo_scenario;
  std::string numero_treno = numero_treno_scenario;
  bool host_dato = false;
};

#ifdef VALMORA_SERVE

volatile std::sig_atomic_t fermati = 0;
extern "C" void al_segnale(int) { fermati = 1; }

// The last build, numbered: every page asks for what came after its own.
class stato_servito {
 public:
  void pubblica(vista::lettura l) {
    std::string evento;
    if (l.errore) {
      vista::json j{{"error", *l.errore}, {"findings", l.dati.value("findings", vista::json::array())}};
      evento = "event: failure\ndata: " + vista::json_per_pagina(j) + "\n\n";
    }
    std::lock_guard<std::mutex> g(m_);
    ++numero_;
    if (!l.errore) {
      l.dati["generation"] = numero_;
      dati_ = vista::json_per_pagina(l.dati);
      evento = "event: scenario\ndata: " + dati_ + "\n\n";
    } else if (dati_.empty()) {
      // No build has worked yet: the page shows the error and waits for one.
      dati_ = vista::json_per_pagina(
          {{"title", "no scenario yet"}, {"objects", vista::json::array()}, {"generation", 0}});
    }
    evento_ = std::move(evento);
    cambiato_.notify_all();
  }

  // Made when asked for: most builds are seen through the events alone.
  std::string pagina() {
    std::string d;
    {
      std::lock_guard<std::mutex> g(m_);
      d = dati_;
    }
    return vista::pagina(d, true);
  }

  // The event after `visto`, waiting at most `attesa`; empty when none came.
  std::string dopo(long& visto, std::chrono::milliseconds attesa) {
    std::unique_lock<std::mutex> g(m_);
    cambiato_.wait_for(g, attesa, [&] { return numero_ > visto || chiuso_; });
    if (chiuso_ || numero_ <= visto) return "";
    visto = numero_;
    return evento_;
  }

  long numero() {
    std::lock_guard<std::mutex> g(m_);
    return numero_;
  }

  void chiudi() {
    std::lock_guard<std::mutex> g(m_);
    chiuso_ = true;
    cambiato_.notify_all();
  }
  bool chiuso() {
    std::lock_guard<std::mutex> g(m_);
    return chiuso_;
  }

 private:
  std::mutex m_;
  std::condition_variable cambiato_;
  long numero_ = 0;
  std::string dati_;
  std::string evento_;
  bool chiuso_ = false;
};

std::optional<std::string> contenuto(const std::string& file) {
  try {
    if (!esiste_file(file)) return std::nullopt;
    return leggi_file(file);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

int esegui(const opzioni& o) {
  if (o.porta < 0 || o.porta > 65535)
    return errore_uso("--port " + std::to_string(o.porta) + " is not a port: 0 (any free one) to 65535");
  stato_servito stato;
  stato.pubblica(vista::da_descrizioni(o.linea, o.treno, o.identificativo, o.numero_treno));

  httplib::Server s;
  s.set_payload_max_length(1 << 16);
  s.set_read_timeout(5, 0);
  // An idle connection ends soon, so that Ctrl-C ends the server soon.
  s.set_keep_alive_timeout(1);
  int porta = o.porta;
  // Only the names this server goes by: a page of another site that a DNS
  // name points here gets nothing.
  auto host_ammesso = [&](const std::string& h) {
    const std::string p = ":" + std::to_string(porta);
    for (const std::string& nome :
         {std::string("127.0.0.1"), std::string("localhost"), std::string("[::1]"), o.host})
      if (h == nome + p || h == nome) return true;
    return false;
  };
  s.set_pre_routing_handler([&](const httplib::Request& r, httplib::Response& res) {
    if (host_ammesso(r.get_header_value("Host"))) return httplib::Server::HandlerResponse::Unhandled;
    res.status = 403;
    res.set_content("autori serve answers only as 127.0.0.1, localhost or the --host it was given\n",
                    "text/plain");
    return httplib::Server::HandlerResponse::Handled;
  });
  s.Get("/", [&](const httplib::Request&, httplib::Response& res) {
    res.set_header("Cache-Control", "no-store");
    // Sent as it is: the library would compress a body at brotli's slowest
    // setting, seconds for a page the loopback carries in milliseconds.
    auto p = std::make_shared<std::string>(stato.pagina());
    res.set_content_provider(p->size(), "text/html; charset=utf-8",
                             [p](size_t offset, size_t length, httplib::DataSink& sink) {
                               return sink.write(p->data() + offset, std::min(length, p->size() - offset));
                             });
  });
  s.Get("/events", [&](const httplib::Request& r, httplib::Response& res) {
    long visto = 0;
    if (r.has_param("since")) visto = std::strtol(r.get_param_value("since").c_str(), nullptr, 10);
    res.set_header("Cache-Control", "no-store");
    res.set_chunked_content_provider("text/event-stream",
                                     [&stato, visto](size_t, httplib::DataSink& sink) mutable {
                                       if (stato.chiuso()) return false;
                                       std::string e = stato.dopo(visto, std::chrono::milliseconds(2000));
                                       // A comment now and then finds a page that has gone away.
                                       if (e.empty()) e = ": still here\n\n";
                                       if (stato.chiuso() || !sink.is_writable()) return false;
                                       return sink.write(e.data(), e.size());
                                     });
  });
  s.set_error_handler([](const httplib::Request&, httplib::Response& res) {
    if (res.status == 404)
      res.set_content("autori serve has the page at / and its events at /events, nothing else\n",
                      "text/plain");
  });

  const bool legato = porta == 0 ? (porta = s.bind_to_any_port(o.host)) > 0 : s.bind_to_port(o.host, porta);
  if (!legato)
    return errore(o.host + ":" + std::to_string(o.porta),
                  "cannot listen there: in use, or not an address of this machine");
  const std::string indirizzo =
      (o.host.find(':') != std::string::npos ? "[" + o.host + "]" : o.host) + ":" + std::to_string(porta);
  if (o.host_dato && o.host != "127.0.0.1" && o.host != "localhost" && o.host != "::1")
    std::cerr << "autori serve: warning: listening on " << o.host
              << " as --host asks: whoever reaches this machine there sees the descriptions" << std::endl;
  std::cout << "autori serve: http://" << indirizzo << "/ follows " << o.linea << " and " << o.treno
            << "; Ctrl-C ends" << std::endl;

  std::signal(SIGINT, al_segnale);
  std::signal(SIGTERM, al_segnale);
  std::thread ascolto([&] { s.listen_after_bind(); });
  // The two files, read every 100 ms; a build whenever either changes.
  std::optional<std::string> linea = contenuto(o.linea), treno = contenuto(o.treno);
  while (!fermati) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::optional<std::string> l = contenuto(o.linea), t = contenuto(o.treno);
    if (l == linea && t == treno) continue;
    // A save read half way builds a description the author never wrote:
    // the files must read the same twice in a row.
    for (int i = 0; i < 10; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      std::optional<std::string> l2 = contenuto(o.linea), t2 = contenuto(o.treno);
      if (l2 == l && t2 == t) break;
      l = std::move(l2);
      t = std::move(t2);
    }
    linea = std::move(l);
    treno = std::move(t);
    const auto t0 = std::chrono::steady_clock::now();
    stato.pubblica(vista::da_descrizioni(o.linea, o.treno, o.identificativo, o.numero_treno));
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
    std::cerr << "autori serve: " << o.linea << " or " << o.treno << " changed: build " << stato.numero()
              << " in " << ms << " ms" << std::endl;
  }
  stato.chiudi();
  s.stop();
  ascolto.join();
  std::cerr << "autori serve: ended" << std::endl;
  return stato_pulito;
}

#else

int esegui(const opzioni&) {
  return errore("autori serve", "this build of autori has no server: it was built without cpp-httplib");
}

#endif

}  // namespace

comando aggiungi_serve(CLI::App& app) {
  auto o = std::make_shared<opzioni>();
  CLI::App* s = app.add_subcommand(
      "serve", "Serve the page of autori view and follow the two descriptions as they are saved");
  s->add_option("LINE", o->linea, "Line description (text)")->required();
  s->add_option("TRAIN", o->treno, "Train description (text)")->required();
  s->add_option("--port", o->porta, "Port to listen on; 0 takes any free one")->capture_default_str();
  CLI::Option* host = s->add_option("--host", o->host, "Address to listen on")->capture_default_str();
  s->add_option("--id", o->identificativo, "Scenario identifier")->capture_default_str();
  s->add_option("--train", o->numero_treno, "Train number")->capture_default_str();
  s->footer(
      "Open the address it prints. Every 100 ms the server reads the two descriptions; when either\n"
      "changes it builds them again in memory, with check, and the open page shows the new scenario\n"
      "and the findings, keeping its window and its selection; a build that fails shows its error\n"
      "in place of the pictures until a save mends it. The server listens on 127.0.0.1 alone unless\n"
      "--host names another address, answers only requests addressed to it by that name (or\n"
      "localhost), and only at / and /events. Ctrl-C ends it.\n"
      "Exit status: 0 ended by Ctrl-C; 1 it cannot listen; 64 bad arguments.");
  return {s, [o, host] {
            o->host_dato = host->count() > 0;
            return esegui(*o);
          }};
}

}  // namespace autori
