#include "output/scrittori.h"

#include <algorithm>
#include <cstring>

#include "files/archivio.h"
#include "files/nomi_file.h"

namespace {
// The length field has 16 bits: a longer text is cut there, never left
// inconsistent with its length.
size_t lunghezza_scritta(const std::string& t) { return std::min<size_t>(t.size(), 0xFFFF); }

template <class R>
size_t byte_record(const R& r) {
  size_t n = byte_fissi<R>();
  per_ogni_campo<R>([&](const auto& c) {
    if constexpr (testo_v<typename std::remove_cvref_t<decltype(c)>::tipo>)
      n += lunghezza_scritta(r.*c.membro);
  });
  return n;
}

// Writes r at p, which moves past it.
template <class R>
void metti_record(unsigned char*& p, const R& r) {
  per_ogni_campo<R>([&](const auto& c) {
    const auto& v = r.*c.membro;
    if constexpr (testo_v<std::remove_cvref_t<decltype(v)>>) {
      const size_t n = lunghezza_scritta(v);
      scrivi_le(p, static_cast<uint16_t>(n));
      std::memcpy(p + larghezza(c), v.data(), n);
      p += larghezza(c) + n;
    } else {
      scrivi_le(p, v);
      p += larghezza(c);
    }
  });
}

// The records one after another, in a string sized first: the bytes are
// written once, through a pointer.
template <class Intervallo>
std::string codifica_records(const Intervallo& records) {
  size_t n = 0;
  for (const auto& r : records) n += byte_record(r);
  std::string s(n, '\0');
  auto* p = reinterpret_cast<unsigned char*>(s.data());
  for (const auto& r : records) metti_record(p, r);
  return s;
}

template <class R>
void aggiungi_record(std::string& s, const R& r) {
  const size_t inizio = s.size();
  s.resize(inizio + byte_record(r));
  auto* p = reinterpret_cast<unsigned char*>(s.data()) + inizio;
  metti_record(p, r);
}
}  // namespace

std::string codifica_tracciato(const tracciato_t& t) { return t.copia_file(); }

void codifica_riga(std::string& s, const riga_scenario& r) { aggiungi_record(s, r); }

std::string codifica_tabella(const tabella& t) { return codifica_records(t); }

void codifica_cella(std::string& s, const cella& c) { aggiungi_record(s, c); }

std::string codifica_percorso(const std::vector<cella>& p) { return codifica_records(p); }

void scrivi_file_scenario(costruzione& c) {
  // The plan is held in its file form: its bytes go out as they are.
  if (c.genera_tracciato != 0) archivio_di(c).sostituisci(nomi::linea_dat(c), c.tracciato.file());
  archivio_di(c).sostituisci(nomi::tabella_sim(c), codifica_tabella(c.tabella_scenario));
  archivio_di(c).sostituisci(nomi::percorso_dat(c), codifica_percorso(c.percorso));
}
