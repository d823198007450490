#include "documents/lettore.h"

#include <algorithm>
#include <limits>

namespace {
char minuscola(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

bool contiene(std::string_view testo, std::string_view parola, modo m) {
  if (testo.empty() || parola.size() > testo.size()) return false;
  for (size_t i = 0; i + parola.size() <= testo.size(); ++i) {
    size_t j = 0;
    for (; j < parola.size(); ++j) {
      char a = testo[i + j];
      char b = parola[j];
      if (m == modo::qualsiasi) {
        a = minuscola(a);
        b = minuscola(b);
      }
      if (a != b) break;
    }
    if (j == parola.size()) return true;
  }
  return false;
}

bool lettore::fine_riga(size_t i) const { return dati_[i] == '\r' || dati_[i] == '\n'; }

void lettore::salta_spazi() {
  while (pos_ < dati_.size() && dati_[pos_] == ' ') ++pos_;
}

void lettore::delimitatore() {
  salta_spazi();
  if (pos_ >= dati_.size()) return;
  if (dati_[pos_] == ',') {
    ++pos_;
  } else if (dati_[pos_] == '\r') {
    ++pos_;
    if (pos_ < dati_.size() && dati_[pos_] == '\n') ++pos_;
  } else if (dati_[pos_] == '\n') {
    ++pos_;
  }
}

std::string lettore::leggi_testo() {
  if (fine_file()) throw guasto_lettura("read past the end of the file");
  salta_spazi();
  inizio_campo_ = pos_;
  std::string campo;
  if (pos_ < dati_.size() && dati_[pos_] == '"') {
    size_t chiusa = dati_.find('"', pos_ + 1);
    if (chiusa == std::string::npos) throw guasto_lettura("unterminated quoted text");
    campo = dati_.substr(pos_ + 1, chiusa - pos_ - 1);
    pos_ = chiusa + 1;
  } else {
    size_t fine = pos_;
    while (fine < dati_.size() && dati_[fine] != ',' && !fine_riga(fine)) ++fine;
    size_t taglio = fine;
    while (taglio > pos_ && dati_[taglio - 1] == ' ') --taglio;
    campo = dati_.substr(pos_, taglio - pos_);
    pos_ = fine;
  }
  delimitatore();
  return campo;
}

int64_t lettore::leggi_numero(int64_t minimo, int64_t massimo) {
  if (fine_file()) throw guasto_lettura("read past the end of the file");
  salta_spazi();
  inizio_campo_ = pos_;
  size_t fine = pos_;
  while (fine < dati_.size() && dati_[fine] != ' ' && dati_[fine] != ',' && !fine_riga(fine)) ++fine;
  std::string_view campo(dati_.data() + pos_, fine - pos_);
  if (campo.empty()) throw guasto_lettura("empty number");

  size_t i = 0;
  bool negativo = false;
  if (campo[0] == '+' || campo[0] == '-') {
    negativo = campo[0] == '-';
    ++i;
  }
  auto cifra = [&](size_t k) { return k < campo.size() && campo[k] >= '0' && campo[k] <= '9'; };
  if (!cifra(i)) throw guasto_lettura("malformed number");
  // Any magnitude beyond this is out of every target's range.
  constexpr int64_t tetto = int64_t{1} << 40;
  int64_t intero = 0;
  for (; cifra(i); ++i) intero = intero > tetto ? intero : intero * 10 + (campo[i] - '0');
  if (i < campo.size()) {
    if (campo[i] != '.' || !cifra(i + 1)) throw guasto_lettura("malformed number");
    ++i;
    size_t prima = i;
    for (; cifra(i); ++i) {
    }
    if (i != campo.size()) throw guasto_lettura("malformed number");
    // Round the fraction half to even, decided on the digits themselves.
    char d = campo[prima];
    bool resto = false;
    for (size_t k = prima + 1; k < i; ++k) resto = resto || campo[k] != '0';
    if (d > '5' || (d == '5' && (resto || intero % 2 != 0))) ++intero;
  }
  int64_t valore = negativo ? -intero : intero;
  pos_ = fine;
  if (valore < minimo || valore > massimo) throw guasto_lettura("number out of range");
  delimitatore();
  return valore;
}

int32_t lettore::leggi_32() {
  return static_cast<int32_t>(
      leggi_numero(std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}
int16_t lettore::leggi_16() {
  return static_cast<int16_t>(
      leggi_numero(std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max()));
}
uint8_t lettore::leggi_8() { return static_cast<uint8_t>(leggi_numero(0, 255)); }

size_t lettore::dove_guasto(size_t inizio) const {
  const size_t campo = std::min(inizio_campo_, dati_.size());
  if (inizio > campo) return campo;
  return dati_.find_first_of("\r\n", inizio) < campo ? inizio : campo;
}

posizione_testo riga_colonna(std::string_view dati, size_t offset) {
  posizione_testo p{1, 1};
  for (size_t i = 0; i < offset && i < dati.size(); ++i) {
    if (dati[i] == '\n' || (dati[i] == '\r' && (i + 1 >= dati.size() || dati[i + 1] != '\n'))) {
      ++p.riga;
      p.colonna = 1;
    } else if (dati[i] != '\r') {
      ++p.colonna;
    }
  }
  return p;
}
