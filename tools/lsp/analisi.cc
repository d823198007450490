#include "lsp/analisi.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "documents/lettore.h"

namespace autori::lsp {

namespace {

std::string_view riga_di(const testo_editor& t, size_t riga) {
  const size_t a = t.righe()[riga];
  return std::string_view(t.byte()).substr(a, t.fine_riga(riga) - a);
}

// Fields split at commas, a quoted text kept whole; blanks trimmed.
std::vector<campo_riga> virgole(std::string_view r, size_t base) {
  std::vector<campo_riga> v;
  size_t i = 0;
  while (i <= r.size()) {
    size_t a = i;
    while (a < r.size() && (r[a] == ' ' || r[a] == '\t')) ++a;
    size_t f = a;
    if (f < r.size() && r[f] == '"') {
      const size_t chiusa = r.find('"', f + 1);
      f = chiusa == std::string_view::npos ? r.size() : chiusa + 1;
    }
    while (f < r.size() && r[f] != ',') ++f;
    size_t taglio = f;
    while (taglio > a && (r[taglio - 1] == ' ' || r[taglio - 1] == '\t')) --taglio;
    v.push_back({base + a, base + taglio});
    i = f + 1;
  }
  return v;
}

}  // namespace

bool intestazione(std::string_view r) {
  const size_t a = r.find_first_not_of(" \t");
  return a != std::string_view::npos && r[a] == '[' && r.find(']', a) != std::string_view::npos &&
         r.find('-') == std::string_view::npos;
}

std::string sezione_di(const testo_editor& t, size_t riga) {
  for (size_t k = riga + 1; k-- > 0;) {
    const std::string_view r = riga_di(t, k);
    if (!intestazione(r)) continue;
    const size_t a = r.find('[');
    std::string h(r.substr(a, r.find(']', a) - a + 1));
    for (char& c : h)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return h;
  }
  return {};
}

std::vector<std::string> intestazioni(int documento) {
  std::vector<std::string> v;
  for (const record_formato& r : formato())
    if (r.documento == documento && std::find(v.begin(), v.end(), r.sezione) == v.end())
      v.emplace_back(r.sezione);
  v.emplace_back("[fine]");
  return v;
}

riga_record analizza_riga(const testo_editor& t, size_t riga, int documento) {
  riga_record rr;
  if (riga >= t.righe().size()) return rr;
  const std::string_view r = riga_di(t, riga);
  if (intestazione(r) || sezione_di(t, riga).empty()) return rr;
  std::vector<campo_riga> v = virgole(r, t.righe()[riga]);
  const std::string_view chiave = std::string_view(t.byte()).substr(v[0].inizio, v[0].fine - v[0].inizio);
  if (chiave.find('-') != std::string_view::npos) return rr;
  rr.record = record_del_token(chiave, documento);
  if (rr.record == nullptr) return rr;
  rr.campi.push_back(v[0]);
  // A number also ends at a blank: "orologio, 13 53 30".
  for (size_t k = 1; k < v.size() && rr.campi.size() <= rr.record->campi.size(); ++k) {
    const campo_formato& f = rr.record->campi[rr.campi.size() - 1];
    if (f.tipo == tipo_campo::testo) {
      rr.campi.push_back(v[k]);
      continue;
    }
    size_t a = v[k].inizio;
    do {
      size_t f2 = a;
      while (f2 < v[k].fine && t.byte()[f2] != ' ' && t.byte()[f2] != '\t') ++f2;
      rr.campi.push_back({a, f2});
      a = f2;
      while (a < v[k].fine && (t.byte()[a] == ' ' || t.byte()[a] == '\t')) ++a;
    } while (a < v[k].fine && rr.campi.size() <= rr.record->campi.size());
  }
  return rr;
}

std::optional<int64_t> numero_di(std::string_view campo) {
  double d = 0;
  if (campo.starts_with('+')) campo.remove_prefix(1);
  const auto [fine, ec] = std::from_chars(campo.data(), campo.data() + campo.size(), d);
  if (ec != std::errc() || fine != campo.data() + campo.size() || campo.empty() || !std::isfinite(d) ||
      std::fabs(d) > 1e12)
    return std::nullopt;
  // Ties to even, as the build rounds. Far beyond what a field holds is no
  // value to explain, and keeps the sums below from overflowing.
  return static_cast<int64_t>(std::nearbyint(d));
}

std::optional<int64_t> cella_di(std::string_view chiave, int numero, int64_t posizione) {
  const double p = static_cast<double>(posizione) / 50.0;
  if (numero == 1 && (chiave == "segnale" || chiave == "indicatori_vmax" || chiave == "cartello indicatore" ||
                      chiave == "rallentamento"))
    return static_cast<int64_t>(std::nearbyint(p + 1));
  if (numero == 1 && (chiave == "abbattimento" || chiave == "montagna" || chiave == "pendenza" ||
                      chiave == "velocita" || chiave == "aderenza"))
    return static_cast<int64_t>(std::nearbyint(p));
  if (numero == 2 && chiave == "montagna") return static_cast<int64_t>(std::nearbyint(p - 1));
  return std::nullopt;
}

int64_t progressiva_di(const std::string& linea, int64_t posizione) {
  const testo_editor t(da_latin1(linea));
  std::optional<int64_t> inizio;
  int64_t differenza = 0;
  for (size_t k = 0; k < t.righe().size(); ++k) {
    const riga_record r = analizza_riga(t, k, 1);
    if (r.record == nullptr || r.record->chiave != "progressiva chilometrica" || r.campi.size() < 4) continue;
    auto v = [&](size_t i) {
      return numero_di(
          std::string_view(t.byte()).substr(r.campi[i].inizio, r.campi[i].fine - r.campi[i].inizio));
    };
    const auto s = v(1), d = v(2), f = v(3);
    if (!s || !d || !f || *s > posizione || (inizio && *s < *inizio)) continue;
    inizio = *s;
    differenza = *d + (*f == 1 ? 100 : 0);
  }
  return posizione + differenza;
}

}  // namespace autori::lsp
