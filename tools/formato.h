// The record kinds of both descriptions, field by field: what check names in
// its messages, and what a page of the format is made from.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace autori {

enum class tipo_campo { intero_32, intero_16, intero_8, testo };

struct campo_formato {
  std::string_view nome;   // in words, as messages name it
  std::string_view unita;  // empty when it has none
  tipo_campo tipo;
  // Stored as written inside this range (the reader refuses what its type
  // cannot hold; inside that, outside this range the build stores another value).
  int64_t minimo;
  int64_t massimo;
  // What an author can mean; beyond it check warns.
  int64_t sensato_minimo;
  int64_t sensato_massimo;
  bool posizione = false;             // metres from the start of the route
  std::string_view significato = {};  // what the build does with it, in words
  // What each value (or run of values) does, where the values mean things.
  std::vector<std::pair<std::string_view, std::string_view>> valori = {};
  std::string_view scelte = {};  // the values an author chooses from, "0,1,2"; empty: any

  campo_formato dice(std::string_view s) const {
    campo_formato c = *this;
    c.significato = s;
    return c;
  }
  campo_formato con_valori(std::vector<std::pair<std::string_view, std::string_view>> v) const {
    campo_formato c = *this;
    c.valori = std::move(v);
    return c;
  }
  campo_formato tra(std::string_view v) const {
    campo_formato c = *this;
    c.scelte = v;
    return c;
  }
};

// How a record's position becomes its cell (cell i covers 50 i to 50 i + 49 m).
enum class regola_cella {
  nessuna,            // no cell: a general key, or a curve of the plan
  arrotonda,          // round(p / 50)
  arrotonda_piu_uno,  // round(p / 50 + 1)
  galleria,           // round(start / 50) to round(end / 50 - 1)
  rallentamento,  // start round(x / 50 + 1), board round((x - 1200) / 50 + 1), end round((x + l) / 50 + 1)
  stazione,       // the end of its area / 50 - 1
};

struct record_formato {
  std::string_view chiave;          // the kind as the build names it
  std::string_view nome;            // what it is, in words: "signal"
  int documento;                    // 1 line, 2 train
  std::string_view sezione;         // where the shipped documents put it
  std::string_view riconoscimento;  // how a token is matched
  std::string_view descrizione;
  std::vector<campo_formato> campi;
  std::string_view scrive;  // what the record writes
  std::string_view esempio;
  // The words a token must contain (any case), for suggestions.
  std::vector<std::string_view> parole;
  regola_cella regola = regola_cella::nessuna;
  std::string_view spiega = {};  // what an author must know beyond the fields
};

// The cells the record's example lands in, by its rule, in the order the
// rule names them; empty when it takes none.
std::vector<int64_t> celle_esempio(const record_formato& r);

const std::vector<record_formato>& formato();
const record_formato* cerca_record(std::string_view chiave);
// The kind in words, "signal"; the key itself when the table lacks it.
std::string nome_record(std::string_view chiave);
// "field 3 of 'velocita' (speed, km/h)"
std::string descrivi_campo(std::string_view chiave, int numero);
const campo_formato* cerca_campo(std::string_view chiave, int numero);
// The kind a keyword token is read as, among one description's (1 line, 2
// train) records: every word of the key in the token, in any case.
const record_formato* record_del_token(std::string_view token, int documento);

// The reference page, in Markdown: every record kind, the field syntax, the
// sections and the codes. With an argument, only what it names (a record's
// key, its name in words or a token the build would take for it; "syntax",
// "sections", "codes"), or nothing when it names nothing.
std::optional<std::string> pagina_formato(std::optional<std::string_view> argomento = std::nullopt);
// What `pagina_formato` takes as an argument, for a message.
std::vector<std::string> argomenti_formato();
// The record kinds nearest to an argument that names nothing: those whose
// key or name holds it, or is a few letters from it.
std::vector<std::string> argomenti_vicini(std::string_view argomento);

}  // namespace autori
