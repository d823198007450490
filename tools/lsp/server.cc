#include "lsp/server.h"

#include <algorithm>

#include "documents/documenti.h"
#include "lsp/analisi.h"
#include "lsp/coppie.h"

namespace autori::lsp {

namespace {

constexpr const char* identita_predefinita = "Valmora2";
constexpr const char* treno_predefinito = "1552";

json pos_json(const posizione& p) { return {{"line", p.riga}, {"character", p.carattere}}; }

posizione pos_di(const json& j) { return {j.at("line").get<int64_t>(), j.at("character").get<int64_t>()}; }

json intervallo_json(const testo_editor& t, size_t da, size_t a) {
  return {{"start", pos_json(t.di_byte(da))}, {"end", pos_json(t.di_byte(a))}};
}

// The field that begins at o, up to its comma or line end, blanks trimmed.
std::pair<size_t, size_t> campo_a(const std::string& t, size_t o) {
  o = std::min(o, t.size());
  size_t f = o;
  while (f < t.size() && t[f] != ',' && t[f] != '\n' && t[f] != '\r') ++f;
  while (f > o && (t[f - 1] == ' ' || t[f - 1] == '\t')) --f;
  if (f == o && o < t.size() && t[o] != '\n' && t[o] != '\r') ++f;
  return {o, f};
}

int severita(gravita g) { return g == gravita::errore ? 1 : g == gravita::avviso ? 2 : 3; }

}  // namespace

void server::rispondi(const json& id, json risultato) {
  uscita_({{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(risultato)}});
}

void server::errore(const json& id, int codice, const std::string& messaggio) {
  uscita_({{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", codice}, {"message", messaggio}}}});
}

void server::errore_cornice(const std::string& perche) { errore(nullptr, errore_analisi, perche); }

void server::ricevi(const std::string& corpo) {
  const json m = json::parse(corpo, nullptr, false);
  if (m.is_discarded()) return errore(nullptr, errore_analisi, "the message is not JSON");
  if (!m.is_object()) return errore(nullptr, richiesta_invalida, "a message is a JSON object");
  const auto id = m.find("id");
  const bool con_id = id != m.end();
  if (con_id && !id->is_string() && !id->is_number_integer())
    return errore(nullptr, richiesta_invalida, "a request's id is a string or an integer");
  const auto metodo = m.find("method");
  if (metodo == m.end() || !metodo->is_string()) {
    // A response to nothing this server asked: ignored.
    if (con_id && (m.contains("result") || m.contains("error"))) return;
    return errore(con_id ? *id : json(nullptr), richiesta_invalida, "a request without a method");
  }
  const auto p = m.find("params");
  const json parametri = p == m.end() ? json::object() : *p;
  const std::string nome = metodo->get<std::string>();
  try {
    if (con_id)
      richiesta(*id, nome, parametri);
    else
      notifica(nome, parametri);
  } catch (const json::exception& e) {
    if (con_id) errore(*id, parametri_invalidi, std::string("invalid params: ") + e.what());
  } catch (const std::exception& e) {
    if (con_id) errore(*id, errore_interno, e.what());
  }
}

void server::richiesta(const json& id, const std::string& metodo, const json& p) {
  if (metodo == "initialize") {
    if (inizializzato_) return errore(id, richiesta_invalida, "initialize was already received");
    inizializzato_ = true;
    return rispondi(id, {{"capabilities",
                          {{"positionEncoding", "utf-16"},
                           {"textDocumentSync", {{"openClose", true}, {"change", 2}}},
                           {"hoverProvider", true},
                           {"completionProvider", {{"triggerCharacters", {"[", ","}}}},
                           {"definitionProvider", true},
                           {"documentSymbolProvider", true},
                           {"codeActionProvider", {{"codeActionKinds", {"quickfix"}}}},
                           {"inlayHintProvider", true}}},
                         {"serverInfo", {{"name", "autori"}}}});
  }
  if (!inizializzato_)
    return errore(id, non_inizializzato, "the server is not initialized: send initialize first");
  if (chiuso_) return errore(id, richiesta_invalida, "the server is shut down: only exit is taken");
  if (metodo == "shutdown") {
    chiuso_ = true;
    return rispondi(id, nullptr);
  }
  static const std::set<std::string> di_documento = {
      "textDocument/hover",     "textDocument/completion", "textDocument/documentSymbol",
      "textDocument/inlayHint", "textDocument/definition", "textDocument/codeAction"};
  if (!di_documento.contains(metodo))
    return errore(id, metodo_sconosciuto, "unknown method '" + metodo + "'");
  aperto* a = documento(p);
  if (a == nullptr) return errore(id, parametri_invalidi, "the document is not open");
  if (metodo == "textDocument/hover") return rispondi(id, hover(*a, pos_di(p.at("position"))));
  if (metodo == "textDocument/completion") return rispondi(id, completamento(*a, pos_di(p.at("position"))));
  if (metodo == "textDocument/documentSymbol") return rispondi(id, simboli(*a));
  if (metodo == "textDocument/inlayHint") return rispondi(id, suggerimenti(*a, p.at("range")));
  if (metodo == "textDocument/definition") return rispondi(id, definizione(*a, pos_di(p.at("position"))));
  return rispondi(id, azioni(*a, p.at("range")));
}

void server::notifica(const std::string& metodo, const json& p) {
  if (metodo == "exit") {
    finito_ = true;
    return;
  }
  // Before initialize, and after shutdown, notifications are dropped.
  if (!inizializzato_ || chiuso_) return;
  if (metodo == "textDocument/didOpen") return apri(p);
  if (metodo == "textDocument/didChange") return cambia(p);
  if (metodo == "textDocument/didClose") return chiudi(p);
}

server::aperto* server::documento(const json& p) {
  const auto it = aperti_.find(p.at("textDocument").at("uri").get<std::string>());
  return it == aperti_.end() ? nullptr : &it->second;
}

void server::apri(const json& p) {
  const json& d = p.at("textDocument");
  const std::string uri = d.at("uri").get<std::string>();
  aperto a{uri, testo_editor(d.at("text").get<std::string>()), d.value("version", int64_t{0}), true, {}};
  aperti_.insert_or_assign(uri, std::move(a));
  // The partner's findings change with it.
  for (auto& [u, altro] : aperti_) altro.da_verificare = true;
}

void server::cambia(const json& p) {
  aperto* a = documento(p);
  if (a == nullptr) return;
  for (const json& c : p.at("contentChanges")) {
    if (c.contains("range"))
      a->testo.modifica(pos_di(c.at("range").at("start")), pos_di(c.at("range").at("end")),
                        c.at("text").get<std::string>());
    else
      a->testo = testo_editor(c.at("text").get<std::string>());
  }
  a->versione = p.at("textDocument").value("version", a->versione + 1);
  a->da_verificare = true;
  for (auto& [u, altro] : aperti_)
    if (genere(altro) != genere(*a)) altro.da_verificare = true;
}

void server::chiudi(const json& p) {
  const std::string uri = p.at("textDocument").at("uri").get<std::string>();
  if (aperti_.erase(uri) == 0) return;
  uscita_({{"jsonrpc", "2.0"},
           {"method", "textDocument/publishDiagnostics"},
           {"params", {{"uri", uri}, {"diagnostics", json::array()}}}});
  for (auto& [u, altro] : aperti_) altro.da_verificare = true;
}

int server::genere(const aperto& a) const {
  const std::optional<nome_descrizione> n = leggi_nome(percorso_di(a.uri));
  return n ? n->documento : genere_dal_testo(a.testo.byte());
}

server::compagno server::compagno_di(const aperto& a) const {
  const std::optional<nome_descrizione> n = leggi_nome(percorso_di(a.uri));
  const int altro = genere(a) == 1 ? 2 : 1;
  if (n) {
    // The editor's text of an open partner first, then the disk.
    for (const auto& [u, b] : aperti_) {
      const std::optional<nome_descrizione> m = leggi_nome(percorso_di(u));
      if (m && m->documento == altro && m->cartella == n->cartella && m->identificativo == n->identificativo)
        return {u, b.testo.byte()};
    }
    const std::optional<std::string> sul_disco =
        altro == 2 ? treno_su_disco(n->cartella, n->identificativo)
                   : std::optional(unisci(n->cartella, n->identificativo + "_linea.txt"));
    if (sul_disco)
      if (std::optional<std::string> byte = leggi_disco(*sul_disco)) return {uri_di(*sul_disco), *byte};
  }
  return {std::nullopt, componi_documento(altro == 1 ? righe_linea() : righe_treno()), true};
}

ingresso_verifica server::ingresso(const aperto& a, const compagno& c, const std::string& byte) const {
  const int d = genere(a);
  ingresso_verifica in{std::nullopt, std::nullopt, identita_predefinita, treno_predefinito};
  (d == 1 ? in.linea : in.treno) = byte;
  (d == 1 ? in.treno : in.linea) = c.byte;
  const std::optional<nome_descrizione> n = leggi_nome(percorso_di(a.uri));
  if (n) in.identificativo = n->identificativo;
  const std::optional<nome_descrizione> nt = d == 2  ? n
                                             : c.uri ? leggi_nome(percorso_di(*c.uri))
                                                     : std::nullopt;
  if (nt && !nt->numero_treno.empty()) in.numero_treno = nt->numero_treno;
  return in;
}

bool server::verifica_documento(aperto& a, const std::function<bool()>& superato) {
  const compagno c = compagno_di(a);
  const int d = genere(a);
  const ingresso_verifica in = ingresso(a, c, a.testo.byte());
  std::vector<reperto> tutti = verifica(in);
  if (superato && superato()) return false;

  if (c.spedito && detti_.insert(a.uri).second)
    uscita_({{"jsonrpc", "2.0"},
             {"method", "window/showMessage"},
             {"params",
              {{"type", 3},
               {"message", std::string("autori: no ") + (d == 1 ? "train" : "line") +
                               " description beside this one (" +
                               (d == 1 ? "IDENTITY_NUMBER-.txt" : "IDENTITY_linea.txt") +
                               " in the same folder): it is checked with the shipped " +
                               (d == 1 ? "train" : "line") + " description"}}}});
  a.reperti.clear();
  std::vector<reperto> del_compagno;
  for (reperto& r : tutti) (r.documento == d ? a.reperti : del_compagno).push_back(std::move(r));
  a.da_verificare = false;
  pubblica(a);
  if (c.uri) {
    const auto it = aperti_.find(*c.uri);
    if (it != aperti_.end()) {
      it->second.reperti = std::move(del_compagno);
      it->second.da_verificare = false;
      pubblica(it->second);
    }
  }
  return true;
}

void server::verifica_in_sospeso(const std::function<bool()>& superato) {
  for (auto& [uri, a] : aperti_) {
    if (!a.da_verificare) continue;
    if (!verifica_documento(a, superato)) return;
    if (superato && superato()) return;
  }
}

void server::aggiorna(aperto& a) {
  if (a.da_verificare) verifica_documento(a, {});
}

json server::luogo(int documento, size_t offset, const aperto& a, const compagno& c) const {
  if (documento == genere(a)) {
    const auto [da, f] = campo_a(a.testo.byte(), offset);
    return {{"uri", a.uri}, {"range", intervallo_json(a.testo, da, f)}};
  }
  if (!c.uri) return nullptr;
  const auto it = aperti_.find(*c.uri);
  const testo_editor t = it != aperti_.end() ? it->second.testo : testo_editor(da_latin1(c.byte));
  const auto [da, f] = campo_a(t.byte(), offset);
  return {{"uri", *c.uri}, {"range", intervallo_json(t, da, f)}};
}

json server::diagnostica(const aperto& a, const reperto& r, const compagno& c) const {
  const std::string& t = a.testo.byte();
  std::pair<size_t, size_t> i{0, a.testo.fine_riga(0)};
  if (r.intervallo)
    i = *r.intervallo;
  else if (r.offset)
    i = campo_a(t, *r.offset);
  json d = {{"range", intervallo_json(a.testo, i.first, i.second)},
            {"severity", severita(r.livello)},
            {"source", "autori"},
            {"message", r.messaggio}};
  if (r.codice) d["code"] = *r.codice;
  if (r.collegato) {
    json l = luogo(r.collegato->documento, r.collegato->offset, a, c);
    if (!l.is_null())
      d["relatedInformation"] = json::array({{{"location", l}, {"message", r.collegato->messaggio}}});
  }
  return d;
}

void server::pubblica(const aperto& a) {
  const compagno c = compagno_di(a);
  json lista = json::array();
  for (const reperto& r : a.reperti) lista.push_back(diagnostica(a, r, c));
  for (const testo_editor::non_memorizzabile& n : a.testo.non_memorizzabili())
    lista.push_back(
        {{"range", intervallo_json(a.testo, n.offset, n.offset + 1)},
         {"severity", 1},
         {"source", "autori"},
         {"code", "latin-1"},
         {"message", "the character " + nome_carattere(n.carattere) +
                         " cannot be stored: a description holds one byte a character (Latin-1, U+0000 to "
                         "U+00FF), and the build would read another one here"}});
  uscita_({{"jsonrpc", "2.0"},
           {"method", "textDocument/publishDiagnostics"},
           {"params", {{"uri", a.uri}, {"version", a.versione}, {"diagnostics", std::move(lista)}}}});
}

json server::definizione(aperto& a, const posizione& p) {
  aggiorna(a);
  const size_t o = a.testo.a_byte(p);
  const compagno c = compagno_di(a);
  json l = json::array();
  for (const reperto& r : a.reperti) {
    if (!r.collegato) continue;
    const std::pair<size_t, size_t> i =
        r.intervallo ? *r.intervallo : campo_a(a.testo.byte(), r.offset.value_or(0));
    const size_t inizio_riga = a.testo.righe()[static_cast<size_t>(a.testo.di_byte(i.first).riga)];
    if (o < inizio_riga || o > a.testo.fine_riga(static_cast<size_t>(a.testo.di_byte(i.first).riga)))
      continue;
    json x = luogo(r.collegato->documento, r.collegato->offset, a, c);
    if (!x.is_null()) l.push_back(x);
  }
  return l;
}

json server::azioni(aperto& a, const json& intervallo) {
  aggiorna(a);
  const size_t da = a.testo.a_byte(pos_di(intervallo.at("start")));
  const size_t fino = a.testo.a_byte(pos_di(intervallo.at("end")));
  const compagno c = compagno_di(a);
  json l = json::array();
  for (const reperto& r : a.reperti) {
    if (!r.correzione || !r.intervallo) continue;
    const auto [i, f] = *r.intervallo;
    const size_t riga_i = a.testo.righe()[static_cast<size_t>(a.testo.di_byte(i).riga)];
    const size_t riga_f = a.testo.fine_riga(static_cast<size_t>(a.testo.di_byte(f).riga));
    if (fino < riga_i || da > riga_f) continue;
    const std::string scritto = a.testo.byte().substr(i, f - i);
    json modifica = {{"range", intervallo_json(a.testo, i, f)}, {"newText", da_latin1(*r.correzione)}};
    l.push_back({{"title", "Replace '" + da_latin1(scritto) + "' with '" + da_latin1(*r.correzione) + "'"},
                 {"kind", "quickfix"},
                 {"isPreferred", true},
                 {"diagnostics", json::array({diagnostica(a, r, c)})},
                 {"edit", {{"changes", {{a.uri, json::array({modifica})}}}}}});
  }
  for (const reperto& r : a.reperti) {
    if (!r.collegato || !r.intervallo || !r.codice || !prende_una_cella(*r.codice)) continue;
    const auto [i, f] = *r.intervallo;
    const size_t riga = static_cast<size_t>(a.testo.di_byte(i).riga);
    if (fino < a.testo.righe()[riga] || da > a.testo.fine_riga(riga)) continue;
    if (std::optional<int64_t> p = cella_libera(a, c, r)) {
      json modifica = {{"range", intervallo_json(a.testo, i, f)}, {"newText", std::to_string(*p)}};
      l.push_back(
          {{"title", "Move it to " + std::to_string(*p) + " m, the nearest position whose cell is free"},
           {"kind", "quickfix"},
           {"diagnostics", json::array({diagnostica(a, r, c)})},
           {"edit", {{"changes", {{a.uri, json::array({modifica})}}}}}});
    }
  }
  return l;
}

bool server::prende_una_cella(int32_t codice) {
  // A sign, a code cut, a signal, an indicator: one cell, at their position.
  return codice == 6 || codice == 7 || codice == 16 || codice == 21;
}

std::optional<int64_t> server::cella_libera(const aperto& a, const compagno& c, const reperto& r) const {
  const auto [i, f] = *r.intervallo;
  const std::string scritto = a.testo.byte().substr(i, f - i);
  const std::optional<int64_t> p = numero_di(scritto);
  if (!p) return std::nullopt;
  const size_t riga = static_cast<size_t>(a.testo.di_byte(i).riga);
  // A cell is 50 m: the positions a cell, two, ... away, the nearer side first.
  for (int64_t k = 1; k <= 8; ++k)
    for (const int64_t q : {*p + 50 * k, *p - 50 * k}) {
      if (q < 0) continue;
      std::string byte = a.testo.byte();
      byte.replace(i, f - i, std::to_string(q));
      const std::vector<reperto> dopo = verifica(ingresso(a, c, byte));
      const testo_editor t(da_latin1(byte));
      const bool ancora = std::any_of(dopo.begin(), dopo.end(), [&](const reperto& x) {
        return x.documento == genere(a) && x.livello == gravita::errore && x.codice &&
               prende_una_cella(*x.codice) && x.offset &&
               static_cast<size_t>(t.di_byte(*x.offset).riga) == riga;
      });
      if (!ancora) return q;
    }
  return std::nullopt;
}

}  // namespace autori::lsp
