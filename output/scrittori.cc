#include "output/scrittori.h"

#include <algorithm>

#include "app/file.h"
#include "app/nomi_file.h"
#include "output/binario.h"

namespace {
// The length field has 16 bits: a longer text is cut there, never left
// inconsistent with its length.
void metti_campo(std::string& s, const std::string& t) {
  const size_t n = std::min<size_t>(t.size(), 0xFFFF);
  metti(s, static_cast<uint16_t>(n));
  s.append(t, 0, n);
}

template <class T>
void metti_campo(std::string& s, T v) {
  metti(s, v);
}

template <class R>
void codifica_record(std::string& s, const R& r) {
  per_ogni_campo<R>([&](const auto& c) { metti_campo(s, r.*c.membro); });
}
}  // namespace

std::string codifica_tracciato(const tracciato_t& t) {
  // Sized first and filled through a pointer: the plan of a long route is
  // tens of megabytes and must not cost more than writing it.
  size_t dimensione = 0;
  for (const elemento& e : t.elementi()) dimensione += byte_codice_elemento + forma(e.specie).byte_valore;
  std::string s(dimensione, '\0');
  auto* p = reinterpret_cast<unsigned char*>(s.data());
  for (const elemento& e : t.elementi()) {
    scrivi_le(p, forma(e.specie).codice);
    p += byte_codice_elemento;
    if (e.specie == specie_elemento::intero) scrivi_le(p, static_cast<int16_t>(e.valore));
    if (e.specie == specie_elemento::reale) scrivi_le(p, e.valore);
    p += forma(e.specie).byte_valore;
  }
  return s;
}

void codifica_riga(std::string& s, const riga_scenario& r) { codifica_record(s, r); }

std::string codifica_tabella(const tabella& t) {
  std::string s;
  for (const riga_scenario& r : t) codifica_riga(s, r);
  return s;
}

void codifica_cella(std::string& s, const cella& c) { codifica_record(s, c); }

std::string codifica_percorso(const std::vector<cella>& p) {
  std::string s;
  s.reserve(p.size() * byte_cella);
  for (const cella& c : p) codifica_cella(s, c);
  return s;
}

void scrivi_file_scenario(const costruzione& c) {
  if (c.genera_tracciato != 0)
    archivio_di(c).sostituisci(nomi::linea_dat(c), codifica_tracciato(c.tracciato));
  archivio_di(c).sostituisci(nomi::tabella_sim(c), codifica_tabella(c.tabella_scenario));
  archivio_di(c).sostituisci(nomi::percorso_dat(c), codifica_percorso(c.percorso));
}
