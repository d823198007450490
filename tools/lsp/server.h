// autori lsp: the descriptions checked as the author types. The server takes
// one JSON-RPC message at a time and answers through a sink; it reads and
// writes no stream itself, so that a test or a fuzzer can drive it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "lsp/testo.h"
#include "verifica.h"

namespace autori::lsp {

using json = nlohmann::json;

// The protocol's error codes.
inline constexpr int errore_analisi = -32700;
inline constexpr int richiesta_invalida = -32600;
inline constexpr int metodo_sconosciuto = -32601;
inline constexpr int parametri_invalidi = -32602;
inline constexpr int errore_interno = -32603;
inline constexpr int non_inizializzato = -32002;

class server {
 public:
  explicit server(std::function<void(const json&)> uscita) : uscita_(std::move(uscita)) {}

  // One message's body, as framed.
  void ricevi(const std::string& corpo);
  // A frame that could not be read.
  void errore_cornice(const std::string& perche);

  // Checks every document changed since its diagnostics. Stops, leaving the
  // rest for later, as soon as superato says a newer message waits: its
  // change would make this check's result stale.
  void verifica_in_sospeso(const std::function<bool()>& superato = {});

  bool finito() const { return finito_; }
  int stato_uscita() const { return chiuso_ ? 0 : 1; }

 private:
  struct aperto {
    std::string uri;
    testo_editor testo;
    int64_t versione = 0;
    bool da_verificare = true;
    std::vector<reperto> reperti;  // of the last check, offsets in this text
  };
  // The other description of a check: open in the editor, on disk, or shipped.
  struct compagno {
    std::optional<std::string> uri;  // open or on disk
    std::string byte;
    bool spedito = false;
  };

  void richiesta(const json& id, const std::string& metodo, const json& parametri);
  void notifica(const std::string& metodo, const json& parametri);
  void rispondi(const json& id, json risultato);
  void errore(const json& id, int codice, const std::string& messaggio);

  void apri(const json& p);
  void cambia(const json& p);
  void chiudi(const json& p);
  aperto* documento(const json& p);  // params.textDocument.uri; none: not open

  int genere(const aperto& a) const;
  compagno compagno_di(const aperto& a) const;
  // Checks a's pair; false when superseded before it could publish.
  bool verifica_documento(aperto& a, const std::function<bool()>& superato);
  void pubblica(const aperto& a);
  json diagnostica(const aperto& a, const reperto& r, const compagno& c) const;
  json luogo(int documento, size_t offset, const aperto& a, const compagno& c) const;
  void aggiorna(aperto& a);  // the findings of a fresh check, before a request reads them

  json hover(const aperto& a, const posizione& p) const;
  json completamento(const aperto& a, const posizione& p) const;
  json simboli(const aperto& a) const;
  json suggerimenti(const aperto& a, const json& intervallo) const;
  json definizione(aperto& a, const posizione& p);
  json azioni(aperto& a, const json& intervallo);

  ingresso_verifica ingresso(const aperto& a, const compagno& c, const std::string& byte) const;
  static bool prende_una_cella(int32_t codice);
  // The position nearest to a record's on a taken cell where the pair
  // builds with that record on a free cell, tried by building it.
  std::optional<int64_t> cella_libera(const aperto& a, const compagno& c, const reperto& r) const;

  std::function<void(const json&)> uscita_;
  std::map<std::string, aperto> aperti_;
  std::set<std::string> detti_;  // told that they are checked beside a shipped description
  bool inizializzato_ = false;
  bool chiuso_ = false;  // shutdown received
  bool finito_ = false;  // exit received
};

}  // namespace autori::lsp
