#include "output/decodifica.h"

#include <limits>

#include "model/campi.h"

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

// Reads the fields of r from p on, a text taking the length before it. The
// caller has made sure the bytes are there.
template <class R>
void leggi_record(const unsigned char* p, R& r) {
  per_ogni_campo<R>([&](const auto& c) {
    using T = typename std::remove_cvref_t<decltype(c)>::tipo;
    if constexpr (testo_v<T>) {
      const size_t n = leggi_le<uint16_t>(p);
      p += larghezza<T>();
      (r.*c.membro).assign(reinterpret_cast<const char*>(p), n);
      p += n;
    } else {
      r.*c.membro = leggi_le<T>(p);
      p += larghezza<T>();
    }
  });
}

std::string codici_noti() {
  std::string s;
  for (size_t i = 0; i < forme_elemento.size(); ++i)
    s += (i == 0                           ? ""
          : i + 1 == forme_elemento.size() ? " or "
                                           : ", ") +
         std::to_string(forme_elemento[i].codice);
  return s;
}
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
  for (size_t i = 0; i < d.valore.size(); ++i) leggi_record(byte_di(dati, i * byte_cella), d.valore[i]);
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
    const size_t n = leggi_le<uint16_t>(p + offset_lunghezza_nome);
    if (resto < byte_riga_senza_nome + n)
      return rifiuto<tabella>(dove + " is cut short: its name of " + std::to_string(n) +
                              " bytes needs a row of " + std::to_string(byte_riga_senza_nome + n) +
                              " bytes, " + std::to_string(resto) + " left");
    leggi_record(p, d.valore[r]);
    o += byte_riga_senza_nome + n;
  }
  if (o != dati.size())
    return rifiuto<tabella>(std::to_string(dati.size() - o) + " bytes follow the " +
                            std::to_string(righe_tabella) + " rows of the table, " + byte_al(o));
  return d;
}

decodificato<tracciato_t> decodifica_tracciato(std::string_view dati) {
  if (dati.empty()) return rifiuto<tracciato_t>("the file is empty");
  // The kinds and the count first; the metres then take their elements.
  size_t elementi = 0;
  size_t o = 0;
  while (o < dati.size()) {
    auto dove = [&] { return "element " + std::to_string(elementi) + " " + byte_al(o); };
    if (dati.size() - o < byte_codice_elemento)
      return rifiuto<tracciato_t>(dove() + " is cut short in its type code");
    const uint16_t codice = leggi_le<uint16_t>(byte_di(dati, o));
    const forma_elemento* f = forma_del_codice(codice);
    if (f == nullptr)
      return rifiuto<tracciato_t>(dove() + " has type code " + std::to_string(static_cast<int16_t>(codice)) +
                                  ", not " + codici_noti());
    if (dati.size() - o - byte_codice_elemento < f->byte_valore)
      return rifiuto<tracciato_t>(dove() + " is cut short in its value");
    o += byte_elemento(f->specie);
    ++elementi;
  }
  if (elementi % 2 != 0)
    return rifiuto<tracciato_t>(std::to_string(elementi) +
                                " elements: an odd number cannot split into the x half and the y half");
  const size_t meta = elementi / 2;
  if (meta - 1 > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
    return rifiuto<tracciato_t>("more metres than a plan can hold");
  decodificato<tracciato_t> d;
  d.valore.crea(static_cast<int32_t>(meta - 1));
  o = 0;
  for (size_t e = 0; e < elementi; ++e) {
    const unsigned char* p = byte_di(dati, o);
    const specie_elemento s = forma_del_codice(leggi_le<uint16_t>(p))->specie;
    d.valore.assegna(static_cast<int32_t>(e % meta), static_cast<int>(e / meta), leggi_elemento(s, p));
    o += byte_elemento(s);
  }
  return d;
}
