// Which descriptions are checked together. A line description
// IDENTITY_linea.txt and a train description IDENTITY_NUMBER-.txt in the same
// folder are a pair, as the build names them; the editor's text of an open
// one counts, the file on disk for the other; without a partner a
// description is checked beside the shipped one of the other kind.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace autori::lsp {

struct nome_descrizione {
  int documento;  // 1 line, 2 train
  std::string cartella;
  std::string identificativo;
  std::string numero_treno;  // empty for a line description
};

// Empty when the file's name is neither kind's.
std::optional<nome_descrizione> leggi_nome(std::string_view percorso);

// What a description is when its name does not say: a line description holds
// its route length.
int genere_dal_testo(std::string_view testo);

// file:///a%20b/c.txt -> /a b/c.txt (C:/... on Windows); empty for another scheme.
std::string percorso_di(std::string_view uri);
std::string uri_di(std::string_view percorso);

std::string unisci(const std::string& cartella, const std::string& nome);

// The train descriptions of an identity in a folder on disk, by name.
std::optional<std::string> treno_su_disco(const std::string& cartella, const std::string& identificativo);

std::optional<std::string> leggi_disco(const std::string& percorso);

}  // namespace autori::lsp
