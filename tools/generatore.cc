#include "generatore.h"

#include <algorithm>
#include <random>
#include <set>

#include "tests/aiuti.h"

namespace prova {
namespace {

// Its own arithmetic on the engine's words, the same on every library.
class caso {
 public:
  explicit caso(uint32_t seme) : g_(seme) {}
  int64_t tra(int64_t a, int64_t b) {
    return a + static_cast<int64_t>(g_() % static_cast<uint64_t>(b - a + 1));
  }
  bool su(int percento) { return tra(1, 100) <= percento; }
  template <typename T>
  const T& uno(const std::vector<T>& v) {
    return v[static_cast<size_t>(tra(0, static_cast<int64_t>(v.size()) - 1))];
  }

 private:
  std::mt19937 g_;
};

std::string n(int64_t v) { return std::to_string(v); }

int64_t arrotonda(double x) { return static_cast<int64_t>(std::nearbyint(x)); }

class generatore {
 public:
  explicit generatore(uint32_t seme, bool lunga) : r_(seme) {
    l_ = lunga ? r_.tra(200, 1000) * 1000 : r_.tra(60, 600) * 50;
    if (lunga && r_.su(50)) l_ = 1000000;
    n_ = arrotonda((l_ + 7000) / 50.0);
  }

  scenario_generato esegui() {
    scenario_generato s;
    generale(s.generale);
    // Slowdowns need the most room: they choose theirs first.
    rallentamenti(s.treno);
    pendenze(s.linea);
    curve(s.linea);
    gallerie(s.linea);
    indicatori_e_cartelli(s.linea);
    treno_generale(s.treno);
    profili(s.treno);
    stazioni(s.treno);
    segnali(s.treno);
    tagli(s.treno);
    return s;
  }

 private:
  // A free cell for an object, away from the others by a cell each side.
  bool prendi(int64_t c) {
    if (c < 2 || c > n_ - 3) return false;
    for (int64_t k = c - 1; k <= c + 1; ++k)
      if (occupate_.count(k) != 0) return false;
    occupate_.insert(c);
    return true;
  }

  void generale(std::vector<std::string>& g) {
    g.push_back("lunghezza percorso,    " + n(l_));
    int sezioni = static_cast<int>(r_.tra(0, 3));
    if (sezioni > 0) {
      std::vector<int64_t> inizi;
      while (static_cast<int>(inizi.size()) < sezioni) {
        int64_t x = r_.tra(1, l_ / 50) * 50;
        if (std::find(inizi.begin(), inizi.end(), x) == inizi.end()) inizi.push_back(x);
      }
      const char* nomi[] = {"uno", "due", "tre"};
      for (int i = 0; i < 3; ++i) {
        int64_t inizio = i < sezioni ? inizi[static_cast<size_t>(i)] : 0;
        int64_t diff = i < sezioni ? r_.tra(-1000, 1000) * 50 : 0;
        int64_t flag = i < sezioni && r_.su(30) ? 1 : 0;
        g.push_back(std::string("progressiva chilometrica ") + nomi[i] + ", " + n(inizio) + ", " + n(diff) +
                    ", " + n(flag));
      }
    }
    g.push_back("sfondo uno, " + n(r_.tra(0, 5)));
    g.push_back("sfondo due, " + n(r_.tra(0, 300000)));
    g.push_back("sfondo tre, " + n(r_.tra(0, 3)));
    if (r_.su(80)) {
      int64_t a = r_.tra(0, l_ / 100) * 50, b = r_.tra(l_ / 100, l_ / 50) * 50;
      g.push_back(std::string("ripetizione segnali ") + (r_.su(50) ? "4" : "9") + " codici, " + n(a) + ", " +
                  n(b));
    }
  }

  void pendenze(std::vector<std::string>& v) {
    int64_t p = r_.tra(0, 40) * 25;
    while (p < l_) {
      int64_t g = r_.su(90) ? r_.tra(-30, 30) : r_.tra(-100, 155);
      v.push_back("pendenza,  " + n(p) + ",   " + n(g));
      p += r_.tra(2, 120) * 25 + r_.tra(0, 1) * 13;
    }
  }

  void curve(std::vector<std::string>& v) {
    int64_t s = r_.tra(2, 400);
    while (true) {
      int64_t lunghezza = r_.tra(20, 1500);
      if (s + lunghezza > l_ + 6000) break;
      v.push_back(std::string("curva") + (r_.su(50) ? "d" : "s") + n(r_.tra(1, 6)) + ", " + n(s) + ", " +
                  n(lunghezza));
      // Now and then a curve runs straight into the next.
      s += lunghezza + (r_.su(20) ? 0 : r_.tra(1, 3000));
    }
  }

  void gallerie(std::vector<std::string>& v) {
    int64_t p = r_.tra(0, 100) * 50;
    for (int k = 0; k < 80 && p < l_; ++k) {
      int64_t fine = p + r_.tra(2, 80) * 50;
      int64_t tipo = r_.tra(1, 10) + (r_.su(50) ? 10 : 0);
      v.push_back("montagna,   " + n(p) + ",  " + n(fine) + ",  " + n(tipo));
      // Some tunnels follow within 150 m and become type 3.
      p = fine + (r_.su(25) ? r_.tra(0, 3) * 50 : r_.tra(4, 200) * 50);
    }
  }

  void indicatori_e_cartelli(std::vector<std::string>& v) {
    const std::vector<std::string> testi = {"(   GALLERIA  )(MONTE)(    m 3092   )",
                                            "(  BIVIO  ) (NORD)",
                                            "\"PASSO, ALTO\"",
                                            "",
                                            "  LUNGO  ",
                                            "X"};
    for (int64_t k = r_.tra(0, l_ / 3000 + 2); k > 0; --k) {
      int64_t p = r_.tra(0, l_ / 50) * 50;
      if (!prendi(arrotonda(p / 50.0 + 1.0))) continue;
      auto vel = [&] { return r_.tra(0, 60) * 5; };
      v.push_back("indicatori_vmax,  " + n(p) + ", " + n(vel()) + ", " + n(vel()) + ", " + n(vel()) + ", " +
                  n(r_.tra(0, 9)) + ", " + n(vel()) + ", " + n(vel()) + ", " + n(vel()) + ", " +
                  n(r_.tra(0, 9)));
    }
    for (int64_t k = r_.tra(0, 12); k > 0; --k) {
      int64_t p = r_.tra(0, l_ / 50) * 50 + r_.tra(0, 1) * 20;
      if (!prendi(arrotonda(p / 50.0 + 1.0))) continue;
      const std::string& t = r_.uno(testi);
      v.push_back("cartello_indicatore,  " + n(p) + ",   " +
                  (t.empty()          ? "\"\""
                   : t.front() == ' ' ? "\"" + t + "\""
                                      : t));
    }
  }

  void treno_generale(std::vector<std::string>& v) {
    v.push_back("numero vetture,    " + n(r_.tra(1, 14)));
    v.push_back("percentuale massa frenata,    " + n(r_.tra(50, 160)));
    v.push_back("sabbia,    " + n(r_.tra(0, 400)));
    v.push_back("orologio,    " + n(r_.tra(0, 23)) + "  " + n(r_.tra(0, 59)) + "  " + n(r_.tra(0, 59)));
  }

  void profili(std::vector<std::string>& v) {
    for (int64_t p = 0; p < l_; p += r_.tra(20, 400) * 50)
      v.push_back("aderenza,  " + n(p) + ",   " + n(r_.su(90) ? r_.tra(50, 100) : r_.tra(0, 255)));
    for (int64_t p = 0; p < l_; p += r_.tra(10, 300) * 50)
      v.push_back("velocita,  " + n(p) + ",   " + n(r_.tra(0, 60) * 5 + (r_.su(10) ? 2 : 0)));
  }

  void stazioni(std::vector<std::string>& v) {
    const std::vector<int64_t> tipi = {1, 2, 3, 4, 5, 6, 7, 8, 11, 12, 25, 26, 27, 28};
    const std::vector<std::string> nomi = {"ROMA TERMINI", "P.C. FIDENE", "BIVIO, NORD", "AREZZO", "X"};
    int64_t fine_prima = -100000;
    int64_t p = r_.tra(4, 40) * 50;
    for (int r = 1; r <= 30 && p + 800 < l_; ++r) {
      const int64_t tipo = r_.uno(tipi);
      const int64_t lung = r_.tra(4, 20) * 100;
      const int64_t mar = r_.tra(0, 1);
      int64_t inizio = 0, fine = 0;
      if (tipo == 5 || tipo == 6) {
        inizio = p - lung;
        fine = p + 150;
      } else if (tipo == 7 || tipo == 8) {
        inizio = p - lung;
        fine = p + lung;
      } else {
        inizio = p - lung / 2;
        fine = p + lung / 2 + (mar != 0 ? 50 : 0);
      }
      bool libero = true;
      for (int64_t k = fine / 50 - 6; k <= fine / 50; ++k) libero = libero && occupate_.count(k) == 0;
      if ((r > 1 && inizio - 350 < fine_prima) || fine / 50 - 1 <= 1 || !libero) {
        p += 1000;
        continue;
      }
      // The station cell and its marks go over whatever is there.
      for (int64_t k = fine / 50 - 6; k <= fine / 50; ++k) occupate_.insert(k);
      fine_prima = fine;
      const std::string& nome = r_.uno(nomi);
      v.push_back("stazione,  " + n(p) + ", " + n(tipo) + ", " + n(lung) + ", " + n(r_.tra(0, 3)) + ", " +
                  n(r_.tra(0, 1)) + ", " + n(mar) + ", " + n(r_.tra(0, 4)) + "," + n(r_.tra(0, 3)) + "," +
                  n(r_.tra(0, 1)) + ", " + n(r_.tra(0, 4)) + "," + n(r_.tra(0, 3)) + "," + n(r_.tra(0, 1)) +
                  ", " + n(r_.su(20) ? r_.tra(1, 90) : 0) + ", " + n(r_.tra(0, 23)) + "," + n(r_.tra(0, 59)) +
                  "," + n(r_.tra(0, 59)) + ", " +
                  (nome.find(',') != std::string::npos ? "\"" + nome + "\"" : nome));
      p = fine + r_.tra(10, 200) * 50 + lung;
    }
  }

  void rallentamenti(std::vector<std::string>& v) {
    for (int64_t k = r_.tra(0, l_ / 5000 + 2); k > 0; --k) {
      const int64_t x = r_.tra(0, (l_ - 3000) / 50) * 50;
      const int64_t l = r_.tra(4, 60) * 50;
      const bool avv = x > 1500 && r_.su(60);
      const int64_t s = arrotonda(x / 50.0 + 1.0), e = arrotonda((x + l) / 50.0 + 1.0);
      const int64_t t = arrotonda((x - 1200) / 50.0 + 1.0), a = arrotonda((x - 1200) / 50.0);
      // The pass needs room before the start and along the slowdown.
      bool libero = true;
      for (int64_t c = std::max<int64_t>(0, t - 25); c <= e + 14; ++c)
        libero = libero && occupate_.count(c) == 0;
      if (!libero || e > n_ - 3) continue;
      for (int64_t c = std::max<int64_t>(0, t - 25); c <= e + 14; ++c) occupate_.insert(c);
      (void)s;
      (void)a;
      const int64_t vel = r_.su(25) ? r_.tra(22, 40) * 5 : r_.tra(2, 21) * 5;
      v.push_back("rallentamento, " + n(x) + ", " + n(vel) + ", " + n(l) + ", " + n(r_.tra(0, 3)) + ", " +
                  n(avv ? 1 : 0) + ", " + n(r_.su(30) ? r_.tra(1, 20) : 0));
      // A signal before the board and after the end draws the pass's code points.
      if (x > 1500 && r_.su(70)) segnali_vicini_.push_back(t - r_.tra(3, 15));
      if (r_.su(70)) segnali_vicini_.push_back(e + r_.tra(2, 10));
      // Code cuts where the pass would put its own: along the walk, or where
      // it looks before the start.
      if (r_.su(40)) tagli_vicini_.push_back(s + r_.tra(7, 9));
      if (r_.su(30)) tagli_vicini_.push_back(s - r_.tra(5, 7));
    }
  }

  std::string segnale(int64_t p) {
    const int64_t sx = r_.tra(0, 2);
    const int64_t tempo = r_.su(50) ? 0 : r_.uno(std::vector<int64_t>{30, 101, 150, 255});
    return "segnale,    " + n(p) + ",   " + n(sx) + ", " + n(r_.tra(0, 9)) + ", " + n(r_.tra(0, 9)) + ",  " +
           n(r_.tra(0, 9)) + ", " + n(r_.tra(0, 5)) + ",    " + n(r_.tra(0, 3)) + ",  " + n(r_.tra(0, 9)) +
           "," + n(r_.tra(0, 9)) + "," + n(r_.tra(0, 9)) + ", " + n(tempo);
  }

  void segnali(std::vector<std::string>& v) {
    for (int64_t c : segnali_vicini_)
      if (c >= 2 && c <= n_ - 3) v.push_back(segnale(50 * (c - 1)));
    for (int64_t k = r_.tra(0, l_ / 1500 + 2); k > 0; --k) {
      int64_t p = r_.tra(0, l_ / 50) * 50;
      if (!prendi(arrotonda(p / 50.0 + 1.0))) continue;
      v.push_back(segnale(p));
    }
  }

  void tagli(std::vector<std::string>& v) {
    for (int64_t c : tagli_vicini_)
      v.push_back("abbattimento codice, " + n(50 * c) + "," + n(r_.uno(std::vector<int64_t>{270, 180, 75})));
    for (int64_t k = r_.tra(0, l_ / 4000 + 1); k > 0; --k) {
      int64_t p = r_.tra(0, l_ / 50) * 50;
      if (!prendi(arrotonda(p / 50.0))) continue;
      v.push_back("abbattimento codice, " + n(p) + "," + n(r_.uno(std::vector<int64_t>{270, 180, 75, 0, 9})));
    }
  }

  caso r_;
  int64_t l_ = 0, n_ = 0;
  std::set<int64_t> occupate_;
  std::vector<int64_t> segnali_vicini_;
  std::vector<int64_t> tagli_vicini_;
};

}  // namespace

std::string scenario_generato::testo_linea() const { return descrizione_linea(generale, linea); }
std::string scenario_generato::testo_treno() const { return descrizione_treno(treno); }

scenario_generato genera(uint32_t seme, bool lunga) { return generatore(seme, lunga).esegui(); }

}  // namespace prova
