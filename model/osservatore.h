// A listener on the build: the compilers tell it what they read, set aside,
// store and place, so that a tool learns the build's own decisions instead
// of guessing them. The product has none, and then nothing is told.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

enum class evento {
  record,       // a token chosen as a record's keyword
  ignorato,     // a token examined as a keyword that matched none
  campo,        // a number field read (letto)
  testo,        // a text field read (testo)
  memorizzato,  // a value stored other than as read: letto became memorizzato
  cella,        // the record placed itself: cell memorizzato, position letto
  occupata,     // the free-cell test failed on cell memorizzato
  codice,       // the compiler recorded code letto at position memorizzato
  guasto,       // the field being read could not be (testo says why)
};

struct evento_costruzione {
  evento specie;
  int32_t documento = 0;  // 1 line description, 2 train description
  size_t inizio_record = 0;
  size_t offset = 0;        // where the token or field begins
  std::string_view record;  // the record kind as the field table names it; never freed
  int32_t campo = 0;        // 1-based field number; 0 the keyword
  int64_t letto = 0;
  int64_t memorizzato = 0;
  std::string_view testo;
};

class osservatore_costruzione {
 public:
  virtual ~osservatore_costruzione() = default;
  virtual void notifica(const evento_costruzione& e) = 0;
};
