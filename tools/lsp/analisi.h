// What the editor's features read from one line of a description: its
// fields where they stand, and the record kind its keyword is read as.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formato.h"
#include "lsp/testo.h"

namespace autori::lsp {

struct campo_riga {
  size_t inizio;  // bytes, blanks at both ends left out
  size_t fine;
};

struct riga_record {
  const record_formato* record = nullptr;  // none: no record is read on this line
  std::vector<campo_riga> campi;           // the keyword, then the fields, as many as the record reads
};

// The fields of the line that begins at inizio, for a description of this
// kind (1 line, 2 train); a line before the general section, a header and a
// comment read as no record.
riga_record analizza_riga(const testo_editor& t, size_t riga, int documento);

// The header of the section the line is in ("[stazioni]"); empty before any.
std::string sezione_di(const testo_editor& t, size_t riga);
bool intestazione(std::string_view riga);

// The section headers of one description, in the table's order, then "[fine]".
std::vector<std::string> intestazioni(int documento);

// The number a field holds, when it is one within a million million.
std::optional<int64_t> numero_di(std::string_view campo);

// The cell a record places at a position, for the kinds that place one there.
std::optional<int64_t> cella_di(std::string_view chiave, int numero, int64_t posizione);

// The chainage of a position by the sections of a line description, in metres.
int64_t progressiva_di(const std::string& linea, int64_t posizione);

}  // namespace autori::lsp
