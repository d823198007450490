#include "output/scrittori.h"

#include <algorithm>
#include <cstring>

#include "files/archivio.h"
#include "files/nomi_file.h"
#include "output/binario.h"

std::string codifica_tracciato(const tracciato_t& t) {
  // Sized first and filled through a pointer: the plan of a long route is
  // tens of megabytes and must not cost more than writing it.
  size_t dimensione = 0;
  for (const elemento& e : t.elementi())
    dimensione += e.specie == specie_elemento::reale ? 10 : e.specie == specie_elemento::intero ? 4 : 2;
  std::string s(dimensione, '\0');
  auto* p = reinterpret_cast<unsigned char*>(s.data());
  auto metti = [&p](uint64_t v, int n) {
    for (int i = 0; i < n; ++i) *p++ = static_cast<unsigned char>(v >> (8 * i));
  };
  for (const elemento& e : t.elementi()) {
    switch (e.specie) {
      case specie_elemento::vuoto:
        metti(specie_vuoto, 2);
        break;
      case specie_elemento::intero:
        metti(specie_intero, 2);
        metti(static_cast<uint16_t>(static_cast<int16_t>(e.valore)), 2);
        break;
      case specie_elemento::reale: {
        uint64_t u;
        std::memcpy(&u, &e.valore, sizeof u);
        metti(specie_reale, 2);
        metti(u, 8);
        break;
      }
    }
  }
  return s;
}

void codifica_riga(std::string& s, const riga_scenario& r) {
  metti_8(s, r.tipo);
  metti_32(s, r.inizio);
  metti_32(s, r.fine);
  metti_32(s, r.posizione_stazione);
  metti_8(s, r.tps);
  // The length field has 16 bits: a longer text is cut there, never left
  // inconsistent with its length.
  size_t n = std::min<size_t>(r.nome.size(), 0xFFFF);
  metti_16(s, static_cast<int16_t>(static_cast<uint16_t>(n)));
  s.append(r.nome, 0, n);
  metti_16(s, r.d2_a);
  metti_16(s, r.d3_a);
  metti_16(s, r.d1_b);
  metti_16(s, r.d2_b);
  metti_16(s, r.d3_b);
  metti_8(s, r.rap);
  metti_8(s, r.ac);
  metti_8(s, r.mar);
  metti_8(s, r.tab);
  metti_32(s, r.orario);
}

std::string codifica_tabella(const tabella& t) {
  std::string s;
  for (const riga_scenario& r : t) codifica_riga(s, r);
  return s;
}

void codifica_cella(std::string& s, const cella& c) {
  metti_8(s, c.tipo);
  metti_16(s, c.dato1);
  metti_16(s, c.dato2);
  metti_16(s, c.dato3);
  metti_16(s, c.dato4);
  metti_8(s, c.tempo);
  metti_8(s, c.avviso);
  metti_8(s, c.galleria);
  metti_8(s, c.vel_limite);
  metti_8(s, c.pendenza);
  metti_8(s, c.aderenza);
}

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
