// The field reader: delivers the fields of a text description, separated by
// commas and line ends (and, for numbers, blanks).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

// A run-time fault while a description is read: the reader's own failures
// and a value that does not fit where it is stored. The build records code 25.
struct guasto_lettura : std::runtime_error {
  using std::runtime_error::runtime_error;
  // A value that fails after it was read names the record it came from and,
  // where one field is to blame, that field (counted from 1) and the
  // record's kind, when it is not the record being read.
  guasto_lettura(const char* perche, size_t record, int32_t campo_colpevole = 0, const char* di = nullptr)
      : std::runtime_error(perche), offset_record(record), campo(campo_colpevole), record_colpevole(di) {}
  std::optional<size_t> offset_record;
  int32_t campo = 0;
  const char* record_colpevole = nullptr;
};

enum class modo { esatto, qualsiasi };

// True when parola occurs in testo; an empty text contains nothing.
bool contiene(std::string_view testo, std::string_view parola, modo m);

class lettore {
 public:
  explicit lettore(std::string dati) : dati_(std::move(dati)) {}

  bool fine_file() const { return pos_ >= dati_.size(); }
  std::string leggi_testo();
  int32_t leggi_32();
  int16_t leggi_16();
  uint8_t leggi_8();

  // Where the last field began, for diagnostics.
  size_t inizio_campo() const { return inizio_campo_; }
  // Where a fault of the field just read is best shown, for a record that
  // begins at inizio: the field, unless the record ran onto a later line (a
  // missing comma or field), where its start is what to fix.
  size_t dove_guasto(size_t inizio) const;

 private:
  int64_t leggi_numero(int64_t minimo, int64_t massimo);
  void salta_spazi();
  void delimitatore();
  bool fine_riga(size_t i) const;

  std::string dati_;
  size_t pos_ = 0;
  size_t inizio_campo_ = 0;
};

// 1-based line and column of a byte offset.
struct posizione_testo {
  int riga;
  int colonna;
};
posizione_testo riga_colonna(std::string_view dati, size_t offset);
