#include "decompila.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <set>
#include <string_view>

#include "diagnostica.h"
#include "files/archivio.h"
#include "files/nomi_file.h"
#include "line/compilatore_linea.h"
#include "model/campi.h"
#include "output/decodifica.h"
#include "output/finitura.h"
#include "run/memorizza_percorso.h"
#include "significato.h"

namespace autori {
namespace {

constexpr int riga_lunghezza = 84;
constexpr int riga_identita = 85;
constexpr int riga_treno = 86;
constexpr int prima_riga_cartelli = 80;
constexpr size_t massimo_messaggi = 40;

std::string n(int64_t v) { return std::to_string(v); }

std::string unisci(const std::vector<std::string>& righe) {
  std::string s;
  for (const std::string& r : righe) s += r + "\r\n";
  return s;
}

// A text field the reader gives back as it stands: as written when it needs
// no quotes, as an author writes it; else quoted, unless it holds a quote.
std::optional<std::string> campo_testo(const std::string& t) {
  const bool semplice = !t.empty() && t.front() != ' ' && t.back() != ' ' && t.front() != '"' &&
                        t.find_first_of(",\r\n") == std::string::npos;
  if (semplice) return t;
  if (t.find('"') == std::string::npos) return "\"" + t + "\"";
  return std::nullopt;
}

bool riga_vuota(const riga_scenario& r) {
  const riga_scenario z{};
  return r.tipo == z.tipo && r.inizio == 0 && r.fine == 0 && r.posizione_stazione == 0 && r.tps == 0 &&
         r.nome.empty() && r.d2_a == 0 && r.d3_a == 0 && r.d1_b == 0 && r.d2_b == 0 && r.d3_b == 0 &&
         r.rap == 0 && r.ac == 0 && r.mar == 0 && r.tab == 0 && r.orario == 0;
}

struct cambio {
  int64_t cella;
  uint8_t valore;
};

// The records of a profile byte filled as runs: each value from its cell on,
// up to cell N - 3; only a record at N - 2 reaches that cell.
std::vector<cambio> cambi(const std::vector<cella>& c, uint8_t cella::*campo, uint8_t iniziale) {
  std::vector<cambio> out;
  const int64_t ultimo = static_cast<int64_t>(c.size()) - 1;
  uint8_t prima = iniziale;
  for (int64_t i = 0; i <= ultimo - 3; ++i) {
    const uint8_t v = c[static_cast<size_t>(i)].*campo;
    if (v != prima) out.push_back({i, v});
    prima = v;
  }
  if (ultimo >= 2 && c[static_cast<size_t>(ultimo - 2)].*campo != 0)
    out.push_back({ultimo - 2, c[static_cast<size_t>(ultimo - 2)].*campo});
  return out;
}

}  // namespace

// Each metre's turn from the two before it, exactly as the line compiler
// computes it; the turns form the curve records.
std::vector<curva_piano> curve_del_piano(const tracciato_t& p) {
  std::vector<curva_piano> curve_;
  const int64_t m_ultimo = p.ultimo_metro();
  static constexpr std::array<double, 6> classi{0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003};
  auto x = [&](int64_t m) { return p.at(static_cast<int32_t>(m), 0).valore; };
  auto y = [&](int64_t m) { return p.at(static_cast<int32_t>(m), 1).valore; };
  auto specie = [&](int64_t m) { return p.at(static_cast<int32_t>(m), 0).specie; };
  int64_t inizio = -1;
  int classe = 0;  // signed: + right (d), - left (s)
  auto chiudi = [&](int64_t fine) {
    if (classe != 0) curve_.push_back({inizio - 1, fine - inizio + 1, classe});
    classe = 0;
  };
  for (int64_t m = 2; m <= m_ultimo; ++m) {
    if (specie(m) != specie_elemento::reale ||
        p.at(static_cast<int32_t>(m), 1).specie != specie_elemento::reale ||
        specie(m - 1) == specie_elemento::vuoto || specie(m - 2) == specie_elemento::vuoto) {
      chiudi(m - 1);
      continue;
    }
    const double dx = x(m - 1) - x(m - 2);
    const double dy = y(m - 1) - y(m - 2);
    int trovata = 99;
    for (int c = -6; c <= 6 && trovata == 99; ++c) {
      double ex = dx, ey = dy;
      if (c != 0) {
        const double k = c > 0 ? classi[static_cast<size_t>(c - 1)] : -classi[static_cast<size_t>(-c - 1)];
        ex = dx + k * dy;
        ey = dy - k * dx;
      }
      if (x(m - 1) + ex == x(m) && y(m - 1) + ey == y(m)) trovata = c;
    }
    if (trovata == 99) {
      chiudi(m - 1);
      continue;
    }
    if (trovata != classe) {
      chiudi(m - 1);
      classe = trovata;
      inizio = m;
    }
  }
  chiudi(m_ultimo);
  return curve_;
}

namespace {

class decompilatore {
 public:
  decompilatore(std::vector<cella> celle, tabella tab, std::optional<tracciato_t> piano, std::string id,
                std::string numero)
      : celle_(std::move(celle)),
        tab_(std::move(tab)),
        piano_(std::move(piano)),
        id_(std::move(id)),
        numero_(std::move(numero)) {
    // The final block's stamps are no record's.
    if (celle_.size() > 1) {
      celle_[1].dato1 = 0;
      celle_[1].dato2 = 0;
    }
  }

  void esegui(decompilazione& d) {
    linea_generale();
    linea_record();
    treno_record();
    std::vector<std::string> tagli = codici_del_treno();
    d.linea = testo_linea();
    d.treno = testo_treno(tagli);
    d.con_piano = piano_.has_value();
    for (std::string& s : note_) d.differenze.push_back(std::move(s));
  }

 private:
  int64_t ultimo() const { return static_cast<int64_t>(celle_.size()) - 1; }
  const cella& cel(int64_t i) const { return celle_[static_cast<size_t>(i)]; }
  void nota(const std::string& file, const std::string& testo) { note_.push_back(file + ": " + testo); }
  std::string nome_celle() const { return id_ + "_" + numero_ + ".dat"; }
  std::string nome_tabella() const { return id_ + "_" + numero_ + ".sim"; }
  std::string nome_piano() const { return id_ + "_linea.dat"; }

  void linea_generale() {
    generale_.push_back("lunghezza percorso, " + n(tab_[riga_lunghezza].fine));
    // Only the sections that change a byte, named from 'uno' on: the rows
    // that are not all zero, given to the names in an order whose ordering
    // gives the file's rows; all three when no such order exists.
    std::vector<int> piene;
    for (int r = 81; r <= 83; ++r) {
      const riga_scenario& x = tab_[static_cast<size_t>(r)];
      if (x.inizio != 0 || x.fine != 0 || x.posizione_stazione != 0) piene.push_back(r);
    }
    if (!piene.empty()) {
      std::vector<int> scelta;
      for (std::vector<int> righe : {piene, std::vector<int>{81, 82, 83}}) {
        std::sort(righe.begin(), righe.end());
        do {
          if (ordina_come_file(righe)) {
            scelta = righe;
            break;
          }
        } while (std::next_permutation(righe.begin(), righe.end()));
        if (!scelta.empty()) break;
      }
      if (scelta.empty()) scelta = {81, 82, 83};
      const char* nomi[3] = {"uno", "due", "tre"};
      for (size_t i = 0; i < scelta.size(); ++i) {
        const riga_scenario& x = tab_[static_cast<size_t>(scelta[i])];
        generale_.push_back(std::string("progressiva chilometrica ") + nomi[i] + ", " + n(x.inizio) + ", " +
                            n(x.posizione_stazione == 1 ? int64_t{x.fine} - 100 : x.fine) + ", " +
                            n(x.posizione_stazione));
      }
    }
    const riga_scenario& id = tab_[riga_identita];
    // A scenery value of 0 is what the cleared table holds already.
    if (id.inizio != 0) generale_.push_back("sfondo uno, " + n(id.inizio));
    if (id.posizione_stazione != 0) generale_.push_back("sfondo due, " + n(id.posizione_stazione));
    if (id.fine != 0) generale_.push_back("sfondo tre, " + n(id.fine));
    const riga_scenario& t = tab_[riga_treno];
    if (t.inizio != 0 || t.fine != 0 || t.posizione_stazione != 0) {
      const char* codici = t.posizione_stazione == 4 ? "4" : "9";
      generale_.push_back(std::string("ripetizione segnali ") + codici + " codici, " + n(t.inizio) + ", " +
                          n(t.fine));
    }
  }

  // Whether the file's rows, given to 'uno', 'due' and 'tre' in this order
  // (the rest none), come out of the ordering as the file holds them.
  bool ordina_come_file(const std::vector<int>& righe) const {
    costruzione c("scenario", id_, numero_);
    // 'uno' is read into row 83, 'due' into 82, 'tre' into 81.
    for (size_t i = 0; i < righe.size(); ++i) {
      riga_scenario x = tab_[static_cast<size_t>(righe[i])];
      if (x.posizione_stazione == 1) x.fine = static_cast<int32_t>(int64_t{x.fine} - 100);
      c.tabella_scenario[83 - i] = x;
    }
    try {
      progressive_ordina(c);
    } catch (const std::exception&) {
      return false;
    }
    for (int r = 81; r <= 83; ++r) {
      const riga_scenario& a = c.tabella_scenario[static_cast<size_t>(r)];
      const riga_scenario& b = tab_[static_cast<size_t>(r)];
      if (a.inizio != b.inizio || a.fine != b.fine || a.posizione_stazione != b.posizione_stazione)
        return false;
    }
    return true;
  }

  void linea_record() {
    for (const cambio& c : cambi(celle_, &cella::pendenza, 100))
      pendenze_.push_back("pendenza, " + n(50 * c.cella) + ", " + n(static_cast<int>(c.valore) - 100));
    if (piano_) curve();
    gallerie();
    indicatori_e_cartelli();
  }

  void curve() {
    for (const curva_piano& c : curve_del_piano(*piano_))
      curve_.push_back(std::string("curva") + (c.classe > 0 ? "d" : "s") + n(std::abs(c.classe)) + ", " +
                       n(c.inizio) + ", " + n(c.lunghezza));
  }

  // The lit tunnels' light pattern restarts with each record: a run of one
  // type splits where the pattern does.
  std::vector<std::pair<int64_t, bool>> tratti(int64_t a, int64_t b, uint8_t t) const {
    std::vector<std::pair<int64_t, bool>> out;
    for (int64_t s = a; s <= b;) {
      // Lit when the first light place that no other object took holds a light.
      bool acceso = t > 10;
      for (int64_t e = s + 3; e <= b && !acceso; e += 4) {
        if (cel(e).tipo == 11) acceso = true;
        if (cel(e).tipo == 0) break;
      }
      int64_t fine = b;
      for (int64_t c = s + 1; c <= b; ++c) {
        const bool atteso = acceso && c - s >= 3 && (c - s - 3) % 4 == 0;
        if (cel(c).tipo == 11 && !atteso && c - 3 > s) {
          fine = c - 4;
          break;
        }
        if (atteso && cel(c).tipo == 0 && t <= 10) {
          // A missing light: the next tunnel starts here, or a little before
          // when its own first light follows.
          fine = c - 1;
          for (int64_t d = c + 1; d <= std::min(b, c + 3); ++d)
            if (cel(d).tipo == 11 && d - 3 > s) {
              fine = d - 4;
              break;
            }
          break;
        }
      }
      out.push_back({s, acceso});
      s = fine + 1;
    }
    return out;
  }

  void gallerie() {
    int64_t fine_prima = 0;
    bool prima = true;
    for (int64_t i = 0; i <= ultimo();) {
      const uint8_t t = cel(i).galleria;
      if (t == 0) {
        ++i;
        continue;
      }
      int64_t b = i;
      while (b + 1 <= ultimo() && cel(b + 1).galleria == t) ++b;
      const auto parti = tratti(i, b, t);
      for (size_t j = 0; j < parti.size(); ++j) {
        const int64_t inizio = 50 * parti[j].first;
        const int64_t fine = 50 * (j + 1 < parti.size() ? parti[j + 1].first : b + 1);
        // A tunnel close behind the one before becomes type 3: a tunnel of no
        // cells in between keeps the type.
        if (!prima && inizio - fine_prima <= 150 && t != 3) gallerie_.push_back("montagna, 0, 0, 1");
        gallerie_.push_back("montagna, " + n(inizio) + ", " + n(fine) + ", " +
                            n(parti[j].second ? t + 10 : t));
        fine_prima = fine;
        prima = false;
      }
      i = b + 1;
    }
  }

  void indicatori_e_cartelli() {
    std::map<int, int64_t> righe_cartelli;
    for (int64_t i = 0; i <= ultimo(); ++i) {
      const cella& c = cel(i);
      if (c.tipo == 6) {
        auto [as, ad] = coppia_velocita(c.dato1);
        auto [bs, bd] = coppia_velocita(c.dato2);
        auto [cs, cd] = coppia_velocita(c.dato3);
        const auto [sx, dx] = decine_unita(c.dato4);
        indicatori_.push_back("indicatori_vmax, " + n(posizione_dopo(i)) + ", " + n(as) + ", " + n(bs) +
                              ", " + n(cs) + ", " + n(sx) + ", " + n(ad) + ", " + n(bd) + ", " + n(cd) +
                              ", " + n(dx));
      } else if (c.tipo == 10 && (c.dato2 != 0 || c.dato3 != 0 || c.dato4 != 0)) {
        // An indicator that a station cell was written over keeps all but dato1.
        auto [bs, bd] = coppia_velocita(c.dato2);
        auto [cs, cd] = coppia_velocita(c.dato3);
        const auto [sx, dx] = decine_unita(c.dato4);
        indicatori_.push_back("indicatori_vmax, " + n(posizione_dopo(i)) + ", 0, " + n(bs) + ", " + n(cs) +
                              ", " + n(sx) + ", 0, " + n(bd) + ", " + n(cd) + ", " + n(dx));
      } else if (c.tipo == 14) {
        if (righe_cartelli.count(c.dato1) == 0) righe_cartelli[c.dato1] = i;
      }
    }
    // Signs take rows from 80 down in the order of their records.
    int riga_bassa = prima_riga_cartelli + 1;
    for (const auto& [r, i] : righe_cartelli)
      if (r >= 1 && r <= prima_riga_cartelli) riga_bassa = std::min(riga_bassa, r);
    // A sign whose cell a station took later keeps its text alone in its row.
    auto solo_testo = [&](int r) {
      riga_scenario x = tab_[static_cast<size_t>(r)];
      if (x.nome.empty()) return false;
      x.nome.clear();
      return riga_vuota(x);
    };
    while (riga_bassa > 1 && solo_testo(riga_bassa - 1)) --riga_bassa;
    riga_bassa_cartelli_ = riga_bassa;
    std::vector<int64_t> stazioni_libere;
    for (int64_t i = 0; i <= ultimo(); ++i)
      if (cel(i).tipo == 10) stazioni_libere.push_back(i);
    for (int r = prima_riga_cartelli; r >= riga_bassa; --r) {
      int64_t i = -1;
      if (auto it = righe_cartelli.find(r); it != righe_cartelli.end()) {
        i = it->second;
      } else if (!stazioni_libere.empty()) {
        // A station written over the sign's cell later.
        i = stazioni_libere.back();
        stazioni_libere.pop_back();
      }
      if (i < 0) {
        nota(nome_tabella(), "row " + n(r) + ": a sign text with no sign cell pointing at it");
        continue;
      }
      const std::optional<std::string> testo = campo_testo(tab_[static_cast<size_t>(r)].nome);
      if (!testo) {
        nota(nome_tabella(), "row " + n(r) +
                                 ": the sign text holds a double quote and a comma, leading or "
                                 "trailing blank or line end; a description field can hold only one of them");
        continue;
      }
      cartelli_.push_back("cartello_indicatore, " + n(posizione_dopo(i)) + ", " + *testo);
    }
  }

  void treno_record() {
    const riga_scenario& r84 = tab_[riga_lunghezza];
    const riga_scenario& r86 = tab_[riga_treno];
    generale_treno_.push_back("numero vetture, " + n(r84.posizione_stazione));
    generale_treno_.push_back("percentuale massa frenata, " + n(r84.inizio));
    generale_treno_.push_back("sabbia, " + n(r86.d2_a));
    generale_treno_.push_back("orologio, " + n(r86.d1_b) + ", " + n(r86.d2_b) + ", " + n(r86.d3_b));
    for (const cambio& c : cambi(celle_, &cella::aderenza, 0))
      aderenze_.push_back("aderenza, " + n(50 * c.cella) + ", " + n(c.valore));
    for (const cambio& c : cambi(celle_, &cella::vel_limite, 0))
      velocita_.push_back("velocita, " + n(50 * c.cella) + ", " + n(5 * static_cast<int>(c.valore)));
    stazioni();
    segnali();
    rallentamenti();
  }

  void stazioni() {
    for (int r = 1; r < riga_bassa_cartelli_; ++r) {
      const riga_scenario& s = tab_[static_cast<size_t>(r)];
      if (riga_vuota(s)) break;
      const int64_t p = s.posizione_stazione;
      int64_t lunghezza = 0;
      int64_t mar = s.mar;
      if (s.tipo >= 5 && s.tipo <= 8) {
        lunghezza = p - s.inizio;
        mar = 0;
      } else {
        lunghezza = 2 * (p - s.inizio);
        // The first station's mark is cleared after it widened the area.
        if (r == 1) mar = s.fine - p - lunghezza / 2 == 50 ? 1 : 0;
      }
      const std::optional<std::string> nome = campo_testo(s.nome);
      if (!nome) {
        nota(nome_tabella(), "row " + n(r) + ": the station name cannot be written as a description field");
        continue;
      }
      const int64_t ore = s.orario / 3600, resto = s.orario % 3600;
      voce v{true, "", {}};
      const int64_t fine50 = s.fine / 50;
      if (s.tipo < 25 && s.tipo != 5 && s.tipo != 6)
        for (int64_t k = 1; k <= segni_di_avviso; ++k)
          if (const int64_t m = cella_segno_stazione(fine50 - 1, k); m > 1 && m <= ultimo())
            v.segni.push_back({m, static_cast<uint8_t>(valore_segno_stazione(k))});
      v.testo = "stazione, " + n(p) + ", " + n(s.tipo) + ", " + n(lunghezza) + ", " + n(s.tps) + ", " +
                n(s.tab) + ", " + n(mar) + ", " + n(s.d2_a) + ", " + n(s.d3_a) + ", " + n(s.rap) + ", " +
                n(s.d1_b) + ", " + n(s.d2_b) + ", " + n(s.d3_b) + ", " + n(s.ac) + ", " + n(ore) + ", " +
                n(resto / 60) + ", " + n(resto % 60) + ", " + *nome;
      voci_.push_back(std::move(v));
    }
  }

  void segnali() {
    for (int64_t i = 0; i <= ultimo(); ++i) {
      const cella& c = cel(i);
      if (c.tipo != 1) continue;
      // The side digits show in the approach marks; take the sum the most
      // marks agree with, the smallest when none does.
      // Sums of plain digits first; a larger one only when all its marks
      // (two at least) show it, not by a chance match.
      int64_t migliore = 0;
      int punti_migliori = -1;
      for (int64_t p = 0; p <= 255; ++p) {
        if ((static_cast<int64_t>(c.dato4) - p) % 10 != 0) continue;
        int punti = 0, segni = 0;
        for (int k = 1; k <= segni_di_avviso; ++k) {
          const int64_t m = cella_segno_segnale(i, k);
          segni += m >= 0 ? 1 : 0;
          if (m >= 0 && cel(m).avviso == static_cast<uint8_t>(valore_segno_segnale(p, k))) ++punti;
        }
        if (p > 15 && (punti < 2 || punti < segni || punti_migliori >= 1)) continue;
        if (punti > punti_migliori) {
          punti_migliori = punti;
          migliore = p;
        }
      }
      const int64_t p = migliore;
      const int64_t rapp = (static_cast<int64_t>(c.dato4) - p) / 10;
      int64_t sx = lati_segnale(p).first;
      int64_t tempo = 0;
      if (c.tempo != 0) {
        sx = 2;
        // 1 to 100 would read as 101.
        tempo = c.tempo <= 100 ? c.tempo + 256 : c.tempo;
      }
      const int64_t dx = p - 3 * sx;
      auto [s1, d1] = cifre_segnale(c.dato1);
      auto [s2, d2] = cifre_segnale(c.dato2);
      auto [s3, d3] = cifre_segnale(c.dato3);
      voce v{false, "", {}};
      for (int k = 1; k <= segni_di_avviso; ++k)
        if (const int64_t m = cella_segno_segnale(i, k); m >= 0)
          v.segni.push_back({m, static_cast<uint8_t>(valore_segno_segnale(p, k))});
      v.testo = "segnale, " + n(posizione_dopo(i)) + ", " + n(sx) + ", " + n(s1) + ", " + n(s2) + ", " +
                n(s3) + ", " + n(rapp) + ", " + n(dx) + ", " + n(d1) + ", " + n(d2) + ", " + n(d3) + ", " +
                n(tempo);
      voci_.push_back(std::move(v));
    }
    for (int64_t i = 0; i <= ultimo(); ++i)
      if (cel(i).tipo == 13) tagli_fissi_.push_back("abbattimento codice, " + n(50 * i) + ", 0");
  }

  void rallentamenti() {
    std::set<int64_t> fini_usate;
    for (int64_t s = 0; s <= ultimo(); ++s) {
      const cella& c = cel(s);
      if (c.tipo != 3) continue;
      int64_t e = -1;
      for (int64_t k = s + 1; k <= ultimo() && e < 0; ++k)
        if (cel(k).tipo == 2 && fini_usate.count(k) == 0 && cel(k).dato1 == c.dato1 &&
            cel(k).dato2 == c.dato2 && cel(k).dato3 == c.dato3)
          e = k;
      // Off the 50 m grid the board and the approach cells round apart from
      // the start: take the position whose cells the file holds.
      int64_t x = posizione_dopo(s);
      int punti_migliori = -1;
      for (int64_t prova : {posizione_dopo(s), posizione_dopo(s) - 25, posizione_dopo(s) + 25}) {
        if (::arrotonda(prova / 50.0 + 1.0) != s) continue;
        int punti = 0;
        if (prova > 1500) {
          const int64_t t = ::arrotonda((prova - 1200) / 50.0 + 1.0), k = ::arrotonda((prova - 1200) / 50.0);
          if (t >= 0 && t <= ultimo() && cel(t).tipo == 4 && cel(t).dato1 == c.dato1) punti += 2;
          if (k >= 0 && k <= ultimo() && cel(k).tipo == 5 && cel(k).dato1 == 1) ++punti;
        }
        if (punti > punti_migliori) {
          punti_migliori = punti;
          x = prova;
        }
      }
      int64_t l = 0;
      if (e >= 0) {
        fini_usate.insert(e);
        l = 50 * (e - 1) - x;
      }
      const int64_t a = ::arrotonda((x - 1200) / 50.0);
      const bool avvicinamento = x > 1500 && a >= 0 && a <= ultimo() && cel(a).tipo == 5 && cel(a).dato1 == 1;
      rallentamenti_.push_back("rallentamento, " + n(x) + ", " + n(c.dato1) + ", " + n(l) + ", " +
                               n(c.dato3) + ", " + n(avvicinamento ? 1 : 0) + ", " + n(c.dato2));
    }
  }

  std::string testo_linea() const {
    std::vector<std::string> r = {"LINEA RICOSTRUITA DAI FILE DI SCENARIO",
                                  "",
                                  "Scritta da autori decompile: ricompilata con la stessa identita' da' gli",
                                  "stessi tre file dello scenario.",
                                  "",
                                  "[generale]"};
    r.insert(r.end(), generale_.begin(), generale_.end());
    auto sezione = [&](const char* titolo, const std::vector<std::string>& v) {
      r.push_back(titolo);
      r.insert(r.end(), v.begin(), v.end());
    };
    sezione("[pendenze]", pendenze_);
    sezione("[curve]", curve_);
    // The shipped line's order and headers: its indicators stand under
    // [cartelli] and its signs under [indicazioni].
    sezione("[cartelli]", indicatori_);
    sezione("[montagne]", gallerie_);
    sezione("[indicazioni]", cartelli_);
    r.push_back("[fine]");
    r.push_back("                ");
    return unisci(r);
  }

  std::string testo_treno(const std::vector<std::string>& tagli) const {
    std::vector<std::string> r = {"TRENO RICOSTRUITO DAI FILE DI SCENARIO",
                                  "",
                                  "Scritto da autori decompile: ricompilato con la stessa identita' da' gli",
                                  "stessi tre file dello scenario.",
                                  "",
                                  "[generale]"};
    r.insert(r.end(), generale_treno_.begin(), generale_treno_.end());
    auto sezione = [&](const char* titolo, const std::vector<std::string>& v) {
      r.push_back(titolo);
      r.insert(r.end(), v.begin(), v.end());
    };
    sezione("[aderenze]", aderenze_);
    sezione("[rallentamenti]", rallentamenti_);
    sezione("[vel_limite]", velocita_);
    // Stations and signals in an order whose last approach mark in each cell
    // is the file's; a new section where the kind changes.
    int ultimo_tipo = -1;
    for (size_t k : ordine_voci()) {
      const voce& v = voci_[k];
      if (static_cast<int>(v.stazione) != ultimo_tipo) r.push_back(v.stazione ? "[stazioni]" : "[segnali]");
      ultimo_tipo = v.stazione;
      r.push_back(v.testo);
    }
    // In position order, as an author lists them.
    std::vector<std::string> codici = tagli_fissi_;
    codici.insert(codici.end(), tagli.begin(), tagli.end());
    auto posizione = [](const std::string& r) { return std::stoll(r.substr(r.find(',') + 1)); };
    std::stable_sort(codici.begin(), codici.end(),
                     [&](const std::string& a, const std::string& b) { return posizione(a) < posizione(b); });
    sezione("[codici]", codici);
    r.push_back("");
    r.push_back("     [fine]");
    return unisci(r);
  }

  // The code points of the finishing pass are no record: the train keeps the
  // fewest code cuts that, with the pass run on them, give the file's cells.
  std::vector<std::string> codici_del_treno() {
    std::map<int64_t, int16_t> nel_file;
    for (int64_t i = 0; i <= ultimo(); ++i)
      if (cel(i).tipo == 12) nel_file[i] = cel(i).dato1;
    // The cells the descriptions give without any code point of value.
    costruzione base("scenario", id_, numero_);
    archivio_memoria memoria;
    base.archivio_file = &memoria;
    memoria.sostituisci(nomi::descrizione_linea(base), testo_linea());
    memoria.sostituisci(nomi::descrizione_treno(base), testo_treno({}));
    base.genera_tracciato = 0;
    memorizza_dati(base);
    std::map<int64_t, int16_t> tagli;
    for (const auto& [i, v] : nel_file)
      if (v != 180) tagli[i] = v;
    std::vector<std::string> out;
    if (base.percorso.size() != celle_.size()) return righe_tagli(tagli);
    // The first cell where the pass, run over these cuts, leaves other code
    // points than the file's; -1 when none.
    auto primo_scarto = [&](const std::map<int64_t, int16_t>& prova_tagli) {
      costruzione prova("scenario", id_, numero_);
      prova.percorso = base.percorso;
      for (const auto& [i, v] : prova_tagli) {
        cella& c = prova.percorso[static_cast<size_t>(i)];
        if (cella_libera(c)) {
          c.tipo = 12;
          c.dato1 = v;
        }
      }
      passata_finale(prova);
      for (int64_t i = 0; i <= ultimo(); ++i) {
        const cella& r = prova.percorso[static_cast<size_t>(i)];
        const auto f = nel_file.find(i);
        if ((f != nel_file.end()) != (r.tipo == 12) || (f != nel_file.end() && r.dato1 != f->second))
          return i;
      }
      return int64_t{-1};
    };
    // Greedy along the route: at each first difference, the one cut more or
    // less nearby that takes the first difference furthest.
    for (int64_t x = primo_scarto(tagli); x >= 0;) {
      std::map<int64_t, int16_t> migliore;
      int64_t piu_avanti = x;
      auto prova = [&](std::map<int64_t, int16_t> candidato) {
        const int64_t y = primo_scarto(candidato);
        const int64_t punto = y < 0 ? std::numeric_limits<int64_t>::max() : y;
        if (punto > piu_avanti) {
          piu_avanti = punto;
          migliore = std::move(candidato);
        }
      };
      for (int64_t y = x - 3; y <= x + 3; ++y)
        if (nel_file.count(y) != 0 && tagli.count(y) == 0) {
          auto c = tagli;
          c[y] = nel_file[y];
          prova(std::move(c));
        }
      for (const auto& [y, v] : tagli)
        if (y >= x - 10 && y <= x + 3 && v == 180) {
          auto c = tagli;
          c.erase(y);
          prova(std::move(c));
        }
      if (piu_avanti == x) break;
      tagli = std::move(migliore);
      x = piu_avanti == std::numeric_limits<int64_t>::max() ? -1 : piu_avanti;
    }
    return righe_tagli(tagli);
  }

  std::vector<size_t> ordine_voci() const {
    const size_t m = voci_.size();
    std::vector<std::set<size_t>> dopo(m);
    std::vector<int> prima(m, 0);
    auto lega = [&](size_t a, size_t b) {
      if (a != b && dopo[a].insert(b).second) ++prima[b];
    };
    size_t stazione_prima = m;
    std::map<int64_t, std::vector<std::pair<size_t, uint8_t>>> scrittori;
    for (size_t k = 0; k < m; ++k) {
      if (voci_[k].stazione) {
        if (stazione_prima != m) lega(stazione_prima, k);
        stazione_prima = k;
      }
      for (const auto& [c, v] : voci_[k].segni) scrittori[c].push_back({k, v});
    }
    for (const auto& [c, w] : scrittori) {
      const uint8_t finale = cel(c).avviso;
      size_t padrone = m;
      for (const auto& [k, v] : w)
        if (v == finale) padrone = k;
      if (padrone == m) continue;
      for (const auto& [k, v] : w)
        if (v != finale) lega(k, padrone);
    }
    std::vector<size_t> out;
    std::set<size_t> pronte;
    for (size_t k = 0; k < m; ++k)
      if (prima[k] == 0) pronte.insert(k);
    std::vector<bool> fatto(m, false);
    while (!pronte.empty()) {
      const size_t k = *pronte.begin();
      pronte.erase(pronte.begin());
      out.push_back(k);
      fatto[k] = true;
      for (size_t b : dopo[k])
        if (--prima[b] == 0) pronte.insert(b);
    }
    // Marks no order satisfies: the rest as they come, the recompile tells.
    for (size_t k = 0; k < m; ++k)
      if (!fatto[k]) out.push_back(k);
    return out;
  }

  static std::vector<std::string> righe_tagli(const std::map<int64_t, int16_t>& tagli) {
    std::vector<std::string> out;
    for (const auto& [i, v] : tagli) {
      const int64_t valore =
          v > 0 ? v : static_cast<int64_t>(static_cast<uint16_t>(v)) + (v == 0 ? 65536 : 0);
      out.push_back("abbattimento codice, " + n(50 * i) + ", " + n(valore));
    }
    return out;
  }

  std::vector<cella> celle_;
  tabella tab_;
  std::optional<tracciato_t> piano_;
  std::string id_, numero_;
  std::vector<std::string> generale_, pendenze_, curve_, gallerie_, indicatori_, cartelli_;
  struct voce {
    bool stazione;
    std::string testo;
    std::vector<std::pair<int64_t, uint8_t>> segni;  // approach marks: cell, value
  };
  std::vector<voce> voci_;
  int riga_bassa_cartelli_ = prima_riga_cartelli + 1;
  std::vector<std::string> generale_treno_, aderenze_, velocita_, rallentamenti_, tagli_fissi_;
  std::vector<std::string> note_;
};

std::string elemento_testo(const elemento& e) {
  if (e.specie == specie_elemento::vuoto) return "empty";
  char b[40];
  std::snprintf(b, sizeof b, "%.17g", e.valore);
  return e.specie == specie_elemento::intero ? std::string(b) + " (integer)" : std::string(b);
}

// The recompile is the proof: every entry where it differs from the file.
void confronta(const file_scenario& f, const ricompilato& r, const std::string& id, const std::string& numero,
               std::vector<std::string>& out) {
  auto aggiungi = [&](std::vector<std::string>& righe, const std::string& file, size_t& contati,
                      const std::string& testo) {
    if (contati++ < massimo_messaggi) righe.push_back(file + ": " + testo);
  };
  const std::string nc = id + "_" + numero + ".dat", nt = id + "_" + numero + ".sim", np = id + "_linea.dat";
  if (r.fatale) {
    out.push_back(nt + ": the decompiled descriptions stop the build with \" Errore n. " + n(r.codice) +
                  "\" (" + descrivi_codice(r.codice).parole + "), so no file can be compared");
    return;
  }
  if (r.codice != 0)
    out.push_back(nt + ": rebuilt from the decompiled descriptions, the build records code " + n(r.codice) +
                  " (" + descrivi_codice(r.codice).parole + "); a clean build records none");
  {
    size_t k = 0;
    auto a = decodifica_percorso(f.celle);
    auto b = decodifica_percorso(r.file.celle);
    if (a.ok() && b.ok()) {
      const size_t m = std::max(a.valore.size(), b.valore.size());
      for (size_t i = 0; i < m; ++i) {
        // A cell one side lacks counts as empty.
        const cella x = i < a.valore.size() ? a.valore[i] : cella{};
        const cella y = i < b.valore.size() ? b.valore[i] : cella{};
        per_ogni_numero<cella>([&](const auto& c) {
          const int64_t vx = x.*c.membro, vy = y.*c.membro;
          if (vx != vy)
            aggiungi(out, nc, k,
                     "cell " + n(static_cast<int64_t>(i)) + ": " + c.nome + " is " + n(vx) +
                         " in the file, but the decompiled descriptions build " + n(vy) + " there" +
                         (std::string_view(c.nome) == "tipo"
                              ? "; the records of a description give cell kinds 0 to 6 and 10 to 14"
                              : ""));
        });
      }
    }
    if (k > massimo_messaggi)
      out.push_back(nc + ": and " + n(static_cast<int64_t>(k - massimo_messaggi)) + " more differences");
  }
  {
    size_t k = 0;
    auto a = decodifica_tabella(f.tabella);
    auto b = decodifica_tabella(r.file.tabella);
    if (a.ok() && b.ok()) {
      for (size_t i = 0; i < a.valore.size(); ++i) {
        // The numbers first, then the name, which reads as quoted text.
        per_ogni_numero<riga_scenario>([&](const auto& c) {
          const int64_t vx = a.valore[i].*c.membro, vy = b.valore[i].*c.membro;
          if (vx != vy)
            aggiungi(out, nt, k,
                     "row " + n(static_cast<int64_t>(i)) + ": " + c.nome + " is " + n(vx) +
                         " in the file, but the decompiled descriptions build " + n(vy) + " there");
        });
        if (a.valore[i].nome != b.valore[i].nome)
          aggiungi(out, nt, k,
                   "row " + n(static_cast<int64_t>(i)) + ": nome is \"" + a.valore[i].nome +
                       "\" in the file, but the decompiled descriptions build \"" + b.valore[i].nome + "\"");
      }
    }
    if (k > massimo_messaggi)
      out.push_back(nt + ": and " + n(static_cast<int64_t>(k - massimo_messaggi)) + " more differences");
  }
  if (f.piano) {
    size_t k = 0;
    if (!r.file.piano) {
      out.push_back(np + ": the decompiled descriptions write no plan");
    } else if (*f.piano != *r.file.piano) {
      auto a = decodifica_tracciato(*f.piano);
      auto b = decodifica_tracciato(*r.file.piano);
      if (a.ok() && b.ok()) {
        const int32_t m = std::min(a.valore.ultimo_metro(), b.valore.ultimo_metro());
        for (int32_t i = 0; i <= m; ++i)
          for (int c = 0; c < 2; ++c) {
            const elemento& x = a.valore.at(i, c);
            const elemento& y = b.valore.at(i, c);
            if (x.specie != y.specie || std::memcmp(&x.valore, &y.valore, sizeof(double)) != 0)
              aggiungi(out, np, k,
                       "metre " + n(i) + ": " + (c == 0 ? "x" : "y") + " is " + elemento_testo(x) +
                           " in the file, but the decompiled curves build " + elemento_testo(y) + " there");
          }
      }
    }
    if (k > massimo_messaggi)
      out.push_back(np + ": and " + n(static_cast<int64_t>(k - massimo_messaggi)) + " more differences");
  }
}

}  // namespace

ricompilato ricompila(const std::string& linea, const std::string& treno, const std::string& identificativo,
                      const std::string& numero_treno, bool con_piano) {
  costruzione c("scenario", identificativo, numero_treno);
  archivio_memoria memoria;
  c.archivio_file = &memoria;
  memoria.sostituisci(nomi::descrizione_linea(c), linea);
  memoria.sostituisci(nomi::descrizione_treno(c), treno);
  const esito_costruzione e = memorizza_percorso(c, con_piano ? 1 : 0);
  ricompilato r;
  r.codice = c.codice_errore;
  r.fatale = !e.fatale.empty();
  if (r.fatale) {
    r.codice = std::atoi(e.fatale.c_str());
    return r;
  }
  if (memoria.esiste(nomi::linea_dat(c))) r.file.piano = memoria.leggi(nomi::linea_dat(c));
  if (memoria.esiste(nomi::tabella_sim(c))) r.file.tabella = memoria.leggi(nomi::tabella_sim(c));
  if (memoria.esiste(nomi::percorso_dat(c))) r.file.celle = memoria.leggi(nomi::percorso_dat(c));
  return r;
}

decompilazione decompila(const file_scenario& f, std::string identificativo, std::string numero_treno) {
  decompilazione d;
  auto celle = decodifica_percorso(f.celle);
  auto tab = decodifica_tabella(f.tabella);
  const std::string id0 =
      identificativo.empty() && tab.ok() ? tab.valore[riga_identita].nome : identificativo;
  const std::string nu0 = numero_treno.empty() && tab.ok() ? tab.valore[riga_treno].nome : numero_treno;
  const std::string nc = id0 + "_" + nu0 + ".dat", nt = id0 + "_" + nu0 + ".sim", np = id0 + "_linea.dat";
  if (!tab.ok()) {
    d.rifiuto = nt + ": " + tab.errore;
    return d;
  }
  if (!celle.ok()) {
    d.rifiuto = nc + ": " + celle.errore;
    return d;
  }
  const int64_t l = tab.valore[riga_lunghezza].fine;
  if (l < 0 || l > 1000000) {
    d.rifiuto = nt + ": row 84 gives a route length of " + n(l) + " m; a route runs from 0 to 1000000 m";
    return d;
  }
  const int64_t celle_attese = ultimo_indice_per(l) + 1;
  if (static_cast<int64_t>(celle.valore.size()) != celle_attese) {
    d.rifiuto = nc + ": " + n(static_cast<int64_t>(celle.valore.size())) +
                " cells, but the route length of " + n(l) + " m in " + nt + " needs " + n(celle_attese);
    return d;
  }
  std::optional<tracciato_t> piano;
  if (f.piano) {
    auto p = decodifica_tracciato(*f.piano);
    if (!p.ok()) {
      d.rifiuto = np + ": " + p.errore;
      return d;
    }
    if (p.valore.ultimo_metro() != l + 7000) {
      d.rifiuto = np + ": metres 0 to " + n(p.valore.ultimo_metro()) + ", but the route length of " + n(l) +
                  " m needs metres 0 to " + n(l + 7000);
      return d;
    }
    piano = std::move(p.valore);
  }
  decompilatore(std::move(celle.valore), tab.valore, std::move(piano), id0, nu0).esegui(d);
  ricompilato r = ricompila(d.linea, d.treno, id0, nu0, d.con_piano);
  confronta(f, r, id0, nu0, d.differenze);
  d.ricostruiti = std::move(r.file);
  return d;
}

}  // namespace autori
