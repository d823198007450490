#include "output/decodifica.h"

#include <limits>

#include "output/binario.h"
#include "output/scrittori.h"

namespace {
const unsigned char* byte_di(std::string_view dati, size_t offset) {
  return reinterpret_cast<const unsigned char*>(dati.data()) + offset;
}

template <typename T>
decodificato<T> rifiuto(std::string messaggio) {
  decodificato<T> d;
  d.errore = std::move(messaggio);
  return d;
}

std::string byte_al(size_t offset) { return "at byte " + std::to_string(offset); }
}  // namespace

decodificato<std::vector<cella>> decodifica_percorso(std::string_view dati) {
  using risultato = std::vector<cella>;
  if (dati.empty()) return rifiuto<risultato>("the file is empty");
  if (dati.size() % byte_cella != 0)
    return rifiuto<risultato>(std::to_string(dati.size()) + " bytes is not a whole number of " +
                              std::to_string(byte_cella) + "-byte cells (" +
                              std::to_string(dati.size() / byte_cella) + " cells and " +
                              std::to_string(dati.size() % byte_cella) + " bytes over)");
  decodificato<risultato> d;
  d.valore.resize(dati.size() / byte_cella);
  for (size_t i = 0; i < d.valore.size(); ++i) {
    const unsigned char* p = byte_di(dati, i * byte_cella);
    cella& c = d.valore[i];
    c.tipo = prendi_8(p);
    c.dato1 = prendi_16(p + 1);
    c.dato2 = prendi_16(p + 3);
    c.dato3 = prendi_16(p + 5);
    c.dato4 = prendi_16(p + 7);
    c.tempo = prendi_8(p + 9);
    c.avviso = prendi_8(p + 10);
    c.galleria = prendi_8(p + 11);
    c.vel_limite = prendi_8(p + 12);
    c.pendenza = prendi_8(p + 13);
    c.aderenza = prendi_8(p + 14);
  }
  return d;
}

decodificato<tabella> decodifica_tabella(std::string_view dati) {
  if (dati.empty()) return rifiuto<tabella>("the file is empty");
  decodificato<tabella> d;
  size_t o = 0;
  for (size_t r = 0; r < d.valore.size(); ++r) {
    const size_t resto = dati.size() - o;
    const std::string dove = "row " + std::to_string(r) + " " + byte_al(o);
    if (resto < byte_riga_senza_nome)
      return rifiuto<tabella>(dove + " is cut short: a row takes at least " +
                              std::to_string(byte_riga_senza_nome) + " bytes, " + std::to_string(resto) +
                              " left");
    const unsigned char* p = byte_di(dati, o);
    const size_t n = static_cast<uint16_t>(prendi_16(p + 14));
    if (resto < byte_riga_senza_nome + n)
      return rifiuto<tabella>(dove + " is cut short: its name of " + std::to_string(n) +
                              " bytes needs a row of " + std::to_string(byte_riga_senza_nome + n) +
                              " bytes, " + std::to_string(resto) + " left");
    riga_scenario& riga = d.valore[r];
    riga.tipo = prendi_8(p);
    riga.inizio = prendi_32(p + 1);
    riga.fine = prendi_32(p + 5);
    riga.posizione_stazione = prendi_32(p + 9);
    riga.tps = prendi_8(p + 13);
    riga.nome.assign(dati.substr(o + 16, n));
    const unsigned char* q = p + 16 + n;
    riga.d2_a = prendi_16(q);
    riga.d3_a = prendi_16(q + 2);
    riga.d1_b = prendi_16(q + 4);
    riga.d2_b = prendi_16(q + 6);
    riga.d3_b = prendi_16(q + 8);
    riga.rap = prendi_8(q + 10);
    riga.ac = prendi_8(q + 11);
    riga.mar = prendi_8(q + 12);
    riga.tab = prendi_8(q + 13);
    riga.orario = prendi_32(q + 14);
    o += byte_riga_senza_nome + n;
  }
  if (o != dati.size())
    return rifiuto<tabella>(std::to_string(dati.size() - o) + " bytes follow the " +
                            std::to_string(righe_tabella) + " rows of the table, " + byte_al(o));
  return d;
}

decodificato<tracciato_t> decodifica_tracciato(std::string_view dati) {
  if (dati.empty()) return rifiuto<tracciato_t>("the file is empty");
  std::vector<elemento> elementi;
  // Every element takes at least two bytes.
  elementi.reserve(dati.size() / 2);
  size_t o = 0;
  while (o < dati.size()) {
    const std::string dove = "element " + std::to_string(elementi.size()) + " " + byte_al(o);
    if (dati.size() - o < 2) return rifiuto<tracciato_t>(dove + " is cut short in its type code");
    const int16_t specie = prendi_16(byte_di(dati, o));
    size_t valore = 0;
    if (specie == specie_intero) {
      valore = 2;
    } else if (specie == specie_reale) {
      valore = 8;
    } else if (specie != specie_vuoto) {
      return rifiuto<tracciato_t>(dove + " has type code " + std::to_string(specie) + ", not " +
                                  std::to_string(specie_vuoto) + ", " + std::to_string(specie_intero) +
                                  " or " + std::to_string(specie_reale));
    }
    if (dati.size() - o - 2 < valore) return rifiuto<tracciato_t>(dove + " is cut short in its value");
    const unsigned char* p = byte_di(dati, o + 2);
    if (specie == specie_vuoto) {
      elementi.push_back({specie_elemento::vuoto, 0.0});
    } else if (specie == specie_intero) {
      elementi.push_back({specie_elemento::intero, static_cast<double>(prendi_16(p))});
    } else {
      elementi.push_back({specie_elemento::reale, prendi_64(p)});
    }
    o += 2 + valore;
  }
  if (elementi.size() % 2 != 0)
    return rifiuto<tracciato_t>(std::to_string(elementi.size()) +
                                " elements: an odd number cannot split into the x half and the y half");
  const size_t meta = elementi.size() / 2;
  if (meta - 1 > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
    return rifiuto<tracciato_t>("more metres than a plan can hold");
  decodificato<tracciato_t> d;
  d.valore.crea(static_cast<int32_t>(meta - 1));
  for (size_t e = 0; e < elementi.size(); ++e)
    d.valore.at(static_cast<int32_t>(e % meta), static_cast<int>(e / meta)) = elementi[e];
  return d;
}
