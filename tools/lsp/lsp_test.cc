// autori lsp driven through its standard streams, as an editor drives it:
// a scripted session on the shipped pair, then the faults of the protocol.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <nlohmann/json.hpp>

#include "banco/percorso_massimo.h"
#include "documents/documenti.h"
#include "lsp/testo.h"
#include "tests/aiuti.h"

namespace {

using json = nlohmann::json;
using autori::lsp::da_latin1;

// The server as a child process, with a pipe each way.
class cliente {
 public:
  cliente() {
    signal(SIGPIPE, SIG_IGN);
    int a[2], b[2];
    EXPECT_EQ(pipe(a), 0);
    EXPECT_EQ(pipe(b), 0);
    pid_ = fork();
    if (pid_ == 0) {
      dup2(a[0], 0);
      dup2(b[1], 1);
      close(a[1]);
      close(b[0]);
      execl(AUTORI_ESEGUIBILE, AUTORI_ESEGUIBILE, "lsp", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(a[0]);
    close(b[1]);
    in_ = a[1];
    out_ = b[0];
  }
  ~cliente() {
    if (in_ >= 0) close(in_);
    if (pid_ > 0 && stato_ == -2) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    close(out_);
  }

  void grezzo(const std::string& byte) {
    for (size_t fatto = 0; fatto < byte.size();) {
      const ssize_t k = write(in_, byte.data() + fatto, byte.size() - fatto);
      ASSERT_GT(k, 0);
      fatto += static_cast<size_t>(k);
    }
  }
  static std::string cornice(const json& m) {
    const std::string s = m.dump();
    return "Content-Length: " + std::to_string(s.size()) + "\r\n\r\n" + s;
  }
  void invia(const json& m) { grezzo(cornice(m)); }
  void richiesta(int id, const std::string& metodo, json parametri = json::object()) {
    invia({{"jsonrpc", "2.0"}, {"id", id}, {"method", metodo}, {"params", std::move(parametri)}});
  }
  void notifica(const std::string& metodo, json parametri = json::object()) {
    invia({{"jsonrpc", "2.0"}, {"method", metodo}, {"params", std::move(parametri)}});
  }

  // The next message; null when none comes in time.
  json ricevi(int secondi = 30) {
    for (;;) {
      const size_t fine = dati_.find("\r\n\r\n");
      if (fine != std::string::npos) {
        const size_t n = std::stoul(dati_.substr(dati_.find(':') + 1));
        if (dati_.size() >= fine + 4 + n) {
          json m = json::parse(dati_.substr(fine + 4, n));
          dati_.erase(0, fine + 4 + n);
          return m;
        }
      }
      pollfd p{out_, POLLIN, 0};
      if (poll(&p, 1, secondi * 1000) <= 0) return nullptr;
      char b[65536];
      const ssize_t k = read(out_, b, sizeof b);
      if (k <= 0) return nullptr;
      dati_.append(b, static_cast<size_t>(k));
    }
  }
  // The first message that satisfies cerca, among those put aside first; the
  // others that come before it are put aside in visti.
  json attendi(const std::function<bool(const json&)>& cerca) {
    for (auto it = visti.begin(); it != visti.end(); ++it)
      if (cerca(*it)) {
        json m = *it;
        visti.erase(it);
        return m;
      }
    for (;;) {
      json m = ricevi();
      if (m.is_null() || cerca(m)) return m;
      visti.push_back(m);
    }
  }
  json risposta(int id) {
    return attendi([id](const json& m) { return m.contains("id") && m["id"] == id; });
  }
  json diagnostiche(const std::string& uri) {
    return attendi([&](const json& m) {
      return m.value("method", "") == "textDocument/publishDiagnostics" && m["params"]["uri"] == uri;
    });
  }
  // The exit status, once the input is closed; -1 when it does not end in time.
  int fine(int secondi = 10) {
    close(in_);
    in_ = -1;
    for (int k = 0; k < secondi * 10; ++k) {
      int s = 0;
      if (waitpid(pid_, &s, WNOHANG) == pid_) return stato_ = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
      usleep(100000);
    }
    return -1;
  }
  void inizializza() {
    richiesta(1, "initialize",
              {{"processId", nullptr}, {"rootUri", nullptr}, {"capabilities", json::object()}});
    ASSERT_TRUE(risposta(1).contains("result"));
    notifica("initialized");
  }

  std::vector<json> visti;

 private:
  pid_t pid_ = -1;
  int in_ = -1, out_ = -1;
  int stato_ = -2;
  std::string dati_;
};

json apertura(const std::string& uri, const std::string& testo, int versione = 1) {
  return {
      {"textDocument", {{"uri", uri}, {"languageId", "valmora"}, {"version", versione}, {"text", testo}}}};
}
json intervallo(int r1, int c1, int r2, int c2) {
  return {{"start", {{"line", r1}, {"character", c1}}}, {"end", {{"line", r2}, {"character", c2}}}};
}
// One edit of the protocol's incremental changes.
json modifica(const std::string& uri, int versione, const json& dove, const std::string& testo) {
  return {{"textDocument", {{"uri", uri}, {"version", versione}}},
          {"contentChanges", json::array({{{"range", dove}, {"text", testo}}})}};
}
json posizione(const std::string& uri, int riga, int carattere) {
  return {{"textDocument", {{"uri", uri}}}, {"position", {{"line", riga}, {"character", carattere}}}};
}
std::string uri_di(const std::filesystem::path& p) { return "file://" + p.string(); }

// The one diagnostic whose range starts on this line.
json sulla_riga(const json& pubblicate, int riga) {
  json trovate = json::array();
  for (const json& d : pubblicate["params"]["diagnostics"])
    if (d["range"]["start"]["line"] == riga) trovate.push_back(d);
  EXPECT_EQ(trovate.size(), 1u) << pubblicate.dump(1);
  return trovate.empty() ? json::object() : trovate[0];
}

// The shipped pair in a folder, under the names the build gives them, so
// that the two are checked together.
struct coppia_spedita {
  cartella_temporanea dir;
  std::string linea = da_latin1(componi_documento(righe_linea()));
  std::string treno = da_latin1(componi_documento(righe_treno()));
  std::string uri_linea = uri_di(dir / "Valmora2_linea.txt");
  std::string uri_treno = uri_di(dir / "Valmora2_1552-.txt");
};

TEST(LspSessione, ShippedPairThreeMistakesHoverCompletionQuickFixAndShutdown) {
  coppia_spedita c;
  cliente s;
  s.inizializza();
  s.notifica("textDocument/didOpen", apertura(c.uri_linea, c.linea));
  s.notifica("textDocument/didOpen", apertura(c.uri_treno, c.treno));
  const json linea_prima = s.diagnostiche(c.uri_linea);
  const json treno_prima = s.diagnostiche(c.uri_treno);
  // The line checks clean; the train's three notes are check's own.
  EXPECT_EQ(linea_prima["params"]["diagnostics"], json::array());
  ASSERT_EQ(treno_prima["params"]["diagnostics"].size(), 3u) << treno_prima.dump(1);
  for (const json& d : treno_prima["params"]["diagnostics"]) {
    EXPECT_EQ(d["severity"], 3);
    EXPECT_EQ(d["source"], "autori");
  }

  // Line 48 (0-based 47), "pendenza,  950,   -11": the keyword loses its
  // second 'n' (index 5). Train line 66 (0-based 65), "stazione,    4500, ...":
  // the position, columns 13 to 17, gets a unit. Train line 107 (0-based
  // 106), "segnale,    2600, ...": 1120 puts it in round(1120 / 50 + 1) = 23,
  // the cell of the signal at 1100 on line 105, round(1100 / 50 + 1) = 23.
  s.notifica("textDocument/didChange", modifica(c.uri_linea, 2, intervallo(47, 5, 47, 6), ""));
  s.notifica("textDocument/didChange", modifica(c.uri_treno, 2, intervallo(65, 17, 65, 17), "m"));
  s.notifica("textDocument/didChange", modifica(c.uri_treno, 3, intervallo(106, 12, 106, 16), "1120"));
  json linea = s.diagnostiche(c.uri_linea);
  json treno = s.diagnostiche(c.uri_treno);
  // A check of an older text may come first; the newest version is what counts.
  while (!treno.is_null() && treno["params"]["version"] != 3) treno = s.diagnostiche(c.uri_treno);
  ASSERT_FALSE(treno.is_null());

  const json tipo = sulla_riga(linea, 47);
  EXPECT_EQ(tipo["range"], intervallo(47, 0, 47, 7));
  EXPECT_EQ(tipo["severity"], 2);
  EXPECT_NE(tipo["message"].get<std::string>().find("did you mean 'pendenza'?"), std::string::npos);

  const json unita = sulla_riga(treno, 65);
  EXPECT_EQ(unita["range"], intervallo(65, 13, 65, 18));
  EXPECT_EQ(unita["code"], 25);
  EXPECT_EQ(unita["severity"], 1);
  EXPECT_NE(unita["message"].get<std::string>().find("\"4500m\" is not a number"), std::string::npos);

  const json cella = sulla_riga(treno, 106);
  EXPECT_EQ(cella["range"], intervallo(106, 12, 106, 16));
  EXPECT_EQ(cella["code"], 16);
  ASSERT_EQ(cella["relatedInformation"].size(), 1u) << cella.dump(1);
  EXPECT_EQ(cella["relatedInformation"][0]["location"]["uri"], c.uri_treno);
  EXPECT_EQ(cella["relatedInformation"][0]["location"]["range"], intervallo(104, 0, 104, 7));
  EXPECT_NE(cella["relatedInformation"][0]["message"].get<std::string>().find("cell 23"), std::string::npos);

  // Go to definition from the collision: the signal that took the cell.
  s.richiesta(10, "textDocument/definition", posizione(c.uri_treno, 106, 13));
  const json def = s.risposta(10);
  ASSERT_EQ(def["result"].size(), 1u) << def.dump(1);
  EXPECT_EQ(def["result"][0]["range"], intervallo(104, 0, 104, 7));

  // Hover on the position of "segnale,   13400, ..." (line 118, 0-based
  // 117): round(13400 / 50 + 1) = 269, which covers 13450 to 13499 m.
  s.richiesta(11, "textDocument/hover", posizione(c.uri_treno, 117, 13));
  const json h = s.risposta(11);
  const std::string testo = h["result"]["contents"]["value"];
  EXPECT_NE(testo.find("**position**: field 1 of `segnale`"), std::string::npos) << testo;
  EXPECT_NE(testo.find("km 13.400"), std::string::npos) << testo;
  EXPECT_NE(testo.find("cell 269, which covers 13450 to 13499 m"), std::string::npos) << testo;
  EXPECT_EQ(h["result"]["range"], intervallo(117, 11, 117, 16));

  // Hover on a keyword: the record kind from the table.
  s.richiesta(12, "textDocument/hover", posizione(c.uri_treno, 66, 3));
  const std::string chiave = s.risposta(12)["result"]["contents"]["value"];
  EXPECT_TRUE(chiave.starts_with("### `stazione`: station")) << chiave;

  // Completion at the start of a line in [stazioni]: the station first.
  s.richiesta(13, "textDocument/completion", posizione(c.uri_treno, 66, 0));
  const json voci = s.risposta(13)["result"];
  json stazione, segnale;
  for (const json& v : voci) {
    if (v["label"] == "stazione") stazione = v;
    if (v["label"] == "segnale") segnale = v;
  }
  ASSERT_FALSE(stazione.is_null()) << voci.dump(1);
  EXPECT_TRUE(stazione["insertText"].get<std::string>().starts_with(
      "stazione, ${1:position}, ${2:station type}, ${3:length}, ${4:tps}"))
      << stazione.dump();
  EXPECT_EQ(stazione["insertTextFormat"], 2);
  EXPECT_LT(stazione["sortText"].get<std::string>(), segnale["sortText"].get<std::string>());
  // A signal's kinds come from their set.
  EXPECT_NE(segnale["insertText"].get<std::string>().find("${2|0,1,2|}"), std::string::npos)
      << segnale.dump();

  // The quick fixes: the unit dropped, the keyword meant.
  auto correggi = [&](int id, const std::string& uri, const json& dove, int versione) {
    s.richiesta(
        id, "textDocument/codeAction",
        {{"textDocument", {{"uri", uri}}}, {"range", dove}, {"context", {{"diagnostics", json::array()}}}});
    const json azioni = s.risposta(id)["result"];
    EXPECT_EQ(azioni.size(), 1u) << azioni.dump(1);
    if (azioni.empty()) return json();
    const json e = azioni[0]["edit"]["changes"][uri][0];
    s.notifica("textDocument/didChange", modifica(uri, versione, e["range"], e["newText"]));
    return e;
  };
  EXPECT_EQ(correggi(14, c.uri_treno, intervallo(65, 14, 65, 14), 4),
            json({{"range", intervallo(65, 13, 65, 18)}, {"newText", "4500"}}));
  EXPECT_EQ(correggi(15, c.uri_linea, intervallo(47, 2, 47, 2), 3),
            json({{"range", intervallo(47, 0, 47, 7)}, {"newText", "pendenza"}}));
  // The signal on the taken cell: the nearest position whose cell is free.
  // 1120 + 50 = 1170 is in round(1170 / 50 + 1) = 24, which nothing takes
  // (the indicator at 1050 m of the line is in round(1050 / 50 + 1) = 22).
  s.richiesta(17, "textDocument/codeAction",
              {{"textDocument", {{"uri", c.uri_treno}}},
               {"range", intervallo(106, 13, 106, 13)},
               {"context", {{"diagnostics", json::array()}}}});
  const json sposta = s.risposta(17)["result"];
  ASSERT_EQ(sposta.size(), 1u) << sposta.dump(1);
  EXPECT_EQ(sposta[0]["edit"]["changes"][c.uri_treno][0],
            json({{"range", intervallo(106, 12, 106, 16)}, {"newText", "1170"}}));
  EXPECT_EQ(sposta[0]["diagnostics"][0]["code"], 16);
  s.notifica("textDocument/didChange", modifica(c.uri_treno, 5, intervallo(106, 12, 106, 16), "2600"));

  linea = s.diagnostiche(c.uri_linea);
  while (!linea.is_null() && linea["params"]["version"] != 3) linea = s.diagnostiche(c.uri_linea);
  treno = s.diagnostiche(c.uri_treno);
  while (!treno.is_null() && treno["params"]["version"] != 5) treno = s.diagnostiche(c.uri_treno);
  ASSERT_FALSE(linea.is_null());
  ASSERT_FALSE(treno.is_null());
  EXPECT_EQ(linea["params"]["diagnostics"], json::array());
  EXPECT_EQ(treno["params"]["diagnostics"], treno_prima["params"]["diagnostics"]);

  s.richiesta(16, "shutdown");
  EXPECT_EQ(s.risposta(16)["result"], nullptr);
  s.notifica("exit");
  EXPECT_EQ(s.fine(), 0);
}

// Each fault gets the protocol's error, and the server answers the next
// request as if nothing had happened.
TEST(LspGuasti, EveryFaultHasItsErrorAndTheServerGoesOn) {
  struct caso {
    const char* nome;
    bool inizializzato;
    std::string byte;
    int codice;
    json id;
  };
  const std::string non_json = "{\"jsonrpc\":\"2.0\",\"id\":3,";
  const std::vector<caso> casi = {
      {"a request before initialize", false,
       cliente::cornice({{"jsonrpc", "2.0"}, {"id", 5}, {"method", "shutdown"}}), -32002, 5},
      {"an unknown method", true,
       cliente::cornice(
           {{"jsonrpc", "2.0"}, {"id", 6}, {"method", "textDocument/rename"}, {"params", json::object()}}),
       -32601, 6},
      {"malformed JSON", true, "Content-Length: " + std::to_string(non_json.size()) + "\r\n\r\n" + non_json,
       -32700, nullptr},
      {"a Content-Length that is no number", true, "Content-Length: dodici\r\n\r\n{}", -32700, nullptr},
      {"no Content-Length", true, "Content-Type: application/json\r\n\r\n", -32700, nullptr},
      {"a Content-Length shorter than the body", true,
       "Content-Length: 10\r\n\r\n{\"id\":7,\"method\":\"x\"}", -32700, nullptr},
      {"a message that is no object", true, cliente::cornice(json::array({1, 2})), -32600, nullptr},
      {"an id that is an object", true,
       cliente::cornice({{"jsonrpc", "2.0"}, {"id", json::object()}, {"method", "x"}}), -32600, nullptr},
      {"a hover without its position", true,
       cliente::cornice(
           {{"jsonrpc", "2.0"}, {"id", 8}, {"method", "textDocument/hover"}, {"params", json::object()}}),
       -32602, 8},
      {"a second initialize", true,
       cliente::cornice({{"jsonrpc", "2.0"}, {"id", 9}, {"method", "initialize"}}), -32600, 9},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.nome);
    cliente s;
    if (c.inizializzato) s.inizializza();
    s.grezzo(c.byte);
    const json e = s.attendi([](const json& m) { return m.contains("error"); });
    ASSERT_FALSE(e.is_null());
    EXPECT_EQ(e["error"]["code"], c.codice) << e.dump();
    EXPECT_EQ(e["id"], c.id) << e.dump();
    if (!c.inizializzato) s.inizializza();
    s.richiesta(99, "shutdown");
    EXPECT_EQ(s.risposta(99)["result"], nullptr);
    s.notifica("exit");
    EXPECT_EQ(s.fine(), 0);
  }
}

TEST(LspGuasti, ExitWithoutShutdownAndAnInputThatEnds) {
  {
    cliente s;
    s.inizializza();
    s.notifica("exit");
    EXPECT_EQ(s.fine(), 1);
  }
  {
    cliente s;
    s.inizializza();
    EXPECT_EQ(s.fine(), 1);
  }
  {
    // After shutdown, requests are refused.
    cliente s;
    s.inizializza();
    s.richiesta(2, "shutdown");
    s.risposta(2);
    s.richiesta(3, "textDocument/hover", posizione("file:///x", 0, 0));
    EXPECT_EQ(s.risposta(3)["error"]["code"], -32600);
    s.notifica("exit");
    EXPECT_EQ(s.fine(), 0);
  }
}

// Three hundred changes in one burst: the server checks far fewer texts,
// never publishes an older version after a newer one, and its last
// diagnostics are those of the last text.
TEST(LspGuasti, ABurstOfChangesIsCheckedOnceForTheNewestText) {
  coppia_spedita c;
  cliente s;
  s.inizializza();
  s.notifica("textDocument/didOpen", apertura(c.uri_treno, c.treno));
  ASSERT_FALSE(s.diagnostiche(c.uri_treno).is_null());
  std::string raffica;
  // "stazione,    4500, ...", line 66: the position's last digit, 0 to 9 by
  // turns; the last change (version 301) writes "4500m".
  for (int v = 2; v <= 301; ++v)
    raffica += cliente::cornice({{"jsonrpc", "2.0"},
                                 {"method", "textDocument/didChange"},
                                 {"params", modifica(c.uri_treno, v, intervallo(65, 16, 65, 17 + (v == 301)),
                                                     v == 301 ? "0m" : std::to_string(v % 10))}});
  s.grezzo(raffica);
  std::vector<int> versioni;
  json ultima;
  while (versioni.empty() || versioni.back() != 301) {
    ultima = s.diagnostiche(c.uri_treno);
    ASSERT_FALSE(ultima.is_null());
    versioni.push_back(ultima["params"]["version"]);
  }
  EXPECT_LT(versioni.size(), 30u);
  EXPECT_TRUE(std::is_sorted(versioni.begin(), versioni.end()));
  EXPECT_EQ(sulla_riga(ultima, 65)["code"], 25);
  s.richiesta(2, "shutdown");
  s.risposta(2);
  s.notifica("exit");
  EXPECT_EQ(s.fine(), 0);
}

// A character above U+00FF has a diagnostic of its own, and columns after a
// character of two UTF-16 units stay exact.
TEST(LspTesti, CharactersTheBuildCannotStoreAndColumnsAfterThem) {
  cartella_temporanea dir;
  const std::string uri = uri_di(dir / "Prova_7-.txt");
  // "velocita\U0001F600, 1000, 95m": bytes 0 to 7 the keyword, 8 the emoji's
  // '?', "95m" at bytes 17 to 19, UTF-16 units 18 to 21. "1\u00B0" is stored.
  const std::string testo =
      "treno\r\n[generale]\r\n[vel_limite]\r\nvelocita\xF0\x9F\x98\x80, 1000, 95m\r\n"
      "[stazioni]\r\nstazione, 500, 2, 600, 0, 0, 0, 1,1,0, 4,1,1, 0, 10,0,0, 1\xC2\xB0 BIVIO\r\n"
      "[fine]\r\n\r\n";
  cliente s;
  s.inizializza();
  s.notifica("textDocument/didOpen", apertura(uri, testo));
  const json d = s.diagnostiche(uri);
  json carattere, numero;
  for (const json& x : d["params"]["diagnostics"]) {
    if (x.value("code", json()) == "latin-1") {
      EXPECT_EQ(carattere, json()) << "the degree sign is Latin-1: " << x.dump();
      carattere = x;
    }
    if (x.value("code", json()) == 25) numero = x;
  }
  ASSERT_FALSE(carattere.is_null()) << d.dump(1);
  EXPECT_EQ(carattere["range"], intervallo(3, 8, 3, 10));
  EXPECT_NE(carattere["message"].get<std::string>().find("U+1F600"), std::string::npos);
  ASSERT_FALSE(numero.is_null()) << d.dump(1);
  EXPECT_EQ(numero["range"], intervallo(3, 18, 3, 21));
  // The outline names the station as the editor wrote it.
  s.richiesta(2, "textDocument/documentSymbol", {{"textDocument", {{"uri", uri}}}});
  const json simboli = s.risposta(2)["result"];
  ASSERT_EQ(simboli.size(), 4u) << simboli.dump(1);
  EXPECT_EQ(simboli[2]["name"], "[stazioni]");
  EXPECT_EQ(simboli[2]["children"][0]["name"], "1\xC2\xB0 BIVIO");
  EXPECT_EQ(simboli[1]["children"][0]["name"], "speed limit km 1.000");
}

// The longest route, both descriptions open: its diagnostics come, and a
// wrong record in it is found where it is.
TEST(LspTesti, ARouteOfAMillionMetres) {
  cartella_temporanea dir;
  const std::string uri_linea = uri_di(dir / "Lunga_linea.txt");
  const std::string uri_treno = uri_di(dir / "Lunga_9-.txt");
  cliente s;
  s.inizializza();
  s.notifica("textDocument/didOpen", apertura(uri_linea, linea_massima()));
  s.notifica("textDocument/didOpen", apertura(uri_treno, treno_massimo()));
  ASSERT_FALSE(s.diagnostiche(uri_linea).is_null());
  json treno = s.diagnostiche(uri_treno);
  ASSERT_FALSE(treno.is_null());
  // Train line 5 (0-based 4), "segnale, 2025, ...": the position, columns 9
  // to 12, gets a unit.
  s.notifica("textDocument/didChange", modifica(uri_treno, 2, intervallo(4, 13, 4, 13), "m"));
  do treno = s.diagnostiche(uri_treno);
  while (!treno.is_null() && treno["params"]["version"] != 2);
  ASSERT_FALSE(treno.is_null());
  EXPECT_EQ(sulla_riga(treno, 4)["range"], intervallo(4, 9, 4, 14));
  EXPECT_EQ(sulla_riga(treno, 4)["code"], 25);
  s.richiesta(2, "shutdown");
  s.risposta(2);
  s.notifica("exit");
  EXPECT_EQ(s.fine(), 0);
}

}  // namespace
