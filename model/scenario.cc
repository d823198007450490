#include "model/scenario.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "model/dominio.h"

void tracciato_t::crea(int32_t ultimo_metro) {
  ultimo_metro_ = ultimo_metro;
  const size_t metri = static_cast<size_t>(ultimo_metro) + 1;
  byte_meta_ = metri * byte_elemento(specie_elemento::reale);
  // Left unfilled: a page is touched only when a byte lands on it.
  byte_ = std::make_unique_for_overwrite<unsigned char[]>(2 * byte_meta_);
  // The y half waits where the x half of a whole geometry ends, integers at
  // metres 0 and 1, doubles up to M - 2 and the last two metres empty, so
  // that file() need not move it: 10 M - 18 bytes.
  const size_t piu_corti =
      2 * (byte_elemento(specie_elemento::reale) - byte_elemento(specie_elemento::intero)) +
      2 * (byte_elemento(specie_elemento::reale) - byte_elemento(specie_elemento::vuoto));
  const size_t attesa_y = byte_meta_ > piu_corti ? byte_meta_ - piu_corti : 0;
  meta_[0] = meta{};
  meta_[1] = meta{};
  meta_[0].dati = byte_.get();
  meta_[0].capienza = attesa_y;
  meta_[1].dati = byte_.get() + attesa_y;
  meta_[1].capienza = 2 * byte_meta_ - attesa_y;
}

void tracciato_t::distruggi() {
  byte_.reset();
  byte_meta_ = 0;
  meta_[0] = meta{};
  meta_[1] = meta{};
  ultimo_metro_ = -1;
}

const tracciato_t::tratto& tracciato_t::tratto_prima(const meta& h, int32_t metro) {
  auto dopo = std::upper_bound(h.prima.begin(), h.prima.end(), metro,
                               [](int32_t m, const tratto& t) { return m < t.primo; });
  return *(dopo - 1);
}

elemento tracciato_t::leggi(const meta& h, int32_t metro) {
  if (metro < 0 || metro >= h.assegnati) return {};
  const tratto& t = metro >= h.ultimo.primo ? h.ultimo : tratto_prima(h, metro);
  return leggi_elemento(t.specie, h.dati + t.offset + static_cast<size_t>(metro - t.primo) * t.byte);
}

// Moves the y half to the upper half of the block, out of reach of the
// longest x half.
void tracciato_t::fai_spazio() {
  meta& y = meta_[1];
  unsigned char* alto = byte_.get() + byte_meta_;
  std::memmove(alto, y.dati, y.usati);
  y.dati = alto;
  y.capienza = byte_meta_;
  meta_[0].capienza = byte_meta_;
}

void tracciato_t::aggiungi(meta& h, elemento e) {
  // Only the x half can run into the other.
  if (h.usati + byte_elemento(e.specie) > h.capienza) fai_spazio();
  if (e.specie != h.ultimo.specie) {
    // A run that no metre joined gives way.
    if (h.ultimo.primo < h.assegnati) h.prima.push_back(h.ultimo);
    h.ultimo = {h.assegnati, e.specie, static_cast<uint8_t>(byte_elemento(e.specie)), h.usati};
  }
  scrivi_elemento(h.dati + h.usati, e);
  h.usati += byte_elemento(e.specie);
  ++h.assegnati;
  h.recenti[1] = h.recenti[0];
  h.recenti[0] = e;
}

void tracciato_t::assegna_altrimenti(int32_t metro, int componente, elemento e) {
  meta& h = meta_[componente];
  if (metro >= h.assegnati) {
    while (h.assegnati < metro) aggiungi(h, {});
    aggiungi(h, e);
    return;
  }
  const tratto t = metro >= h.ultimo.primo ? h.ultimo : tratto_prima(h, metro);
  unsigned char* p = h.dati + t.offset + static_cast<size_t>(metro - t.primo) * t.byte;
  if (t.specie == e.specie) {
    scrivi_elemento(p, e);
    if (metro + 2 >= h.assegnati) h.recenti[h.assegnati - 1 - metro] = e;
    return;
  }
  // Another kind changes the size: the metres from here on are laid again.
  std::vector<elemento> dopo;
  for (int32_t m = metro + 1; m < h.assegnati; ++m) dopo.push_back(leggi(h, m));
  h.usati = static_cast<size_t>(p - h.dati);
  h.assegnati = metro;
  h.recenti[0] = leggi(h, metro - 1);
  h.recenti[1] = leggi(h, metro - 2);
  while (h.ultimo.primo >= metro && !h.prima.empty()) {
    h.ultimo = h.prima.back();
    h.prima.pop_back();
  }
  aggiungi(h, e);
  for (const elemento& d : dopo) aggiungi(h, d);
}

// The metres after the last one assigned, as the file has them: an empty
// element is two zero bytes.
static_assert(forma(specie_elemento::vuoto).codice == 0 && forma(specie_elemento::vuoto).byte_valore == 0);

size_t tracciato_t::vuoti(const meta& h) const {
  return static_cast<size_t>(ultimo_metro_ + 1 - h.assegnati) * byte_elemento(specie_elemento::vuoto);
}

std::string_view tracciato_t::file() {
  if (!esiste()) return {};
  meta& x = meta_[0];
  meta& y = meta_[1];
  unsigned char* dietro_x = x.dati + x.usati + vuoti(x);
  if (y.dati != dietro_x) {
    std::memmove(dietro_x, y.dati, y.usati);
    y.dati = dietro_x;
  }
  x.capienza = x.usati + vuoti(x);
  y.capienza = static_cast<size_t>(byte_.get() + 2 * byte_meta_ - y.dati);
  std::memset(x.dati + x.usati, 0, vuoti(x));
  std::memset(y.dati + y.usati, 0, vuoti(y));
  return {reinterpret_cast<const char*>(byte_.get()), x.capienza + y.usati + vuoti(y)};
}

std::string tracciato_t::copia_file() const {
  std::string s;
  if (!esiste()) return s;
  s.reserve(meta_[0].usati + vuoti(meta_[0]) + meta_[1].usati + vuoti(meta_[1]));
  for (const meta& h : meta_) {
    s.append(reinterpret_cast<const char*>(h.dati), h.usati);
    s.append(vuoti(h), '\0');
  }
  return s;
}

int64_t arrotonda(double x) { return static_cast<int64_t>(std::nearbyint(x)); }

bool cella_libera(const cella& c) {
  return c.tipo == tipo_cella::nessuno || c.tipo == tipo_cella::luce_galleria;
}

int64_t ultimo_indice_per(int64_t lunghezza) {
  return arrotonda(static_cast<double>(lunghezza + 7000) / 50.0);
}
