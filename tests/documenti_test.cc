// The five documents the program carries: the files their writers leave, the
// records the compilers will find in them, and a whole build of the scenario.
#include "documents/documenti.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "aiuti.h"
#include "documents/lettore.h"
#include "files/nomi_file.h"

namespace {

using documento = std::span<const std::string_view>;

bool ha(std::string_view testo, std::string_view parola) { return contiene(testo, parola, modo::qualsiasi); }

size_t indice(documento d, std::string_view riga) {
  auto it = std::find(d.begin(), d.end(), riga);
  EXPECT_NE(it, d.end()) << riga;
  return static_cast<size_t>(it - d.begin());
}

bool presente(documento d, std::string_view riga) { return std::find(d.begin(), d.end(), riga) != d.end(); }

// One line of a description read the way the compilers read it: the first
// field is the token, the rest are the record's fields.
class riga_letta {
 public:
  explicit riga_letta(std::string_view riga) : l_(std::string(riga) + "\r\n"), parola_(l_.leggi_testo()) {}
  const std::string& parola() const { return parola_; }
  lettore& campi() { return l_; }
  std::vector<int32_t> numeri(int n) {
    std::vector<int32_t> v;
    for (int i = 0; i < n; ++i) v.push_back(l_.leggi_32());
    return v;
  }
  bool finita() const { return l_.fine_file(); }

 private:
  lettore l_;
  std::string parola_;
};

// A record is a line whose token holds the keyword; a token with "-" is a
// comment however it goes on.
bool e_record(std::string_view riga, std::string_view parola) {
  riga_letta r(riga);
  return ha(r.parola(), parola) && !ha(r.parola(), "-");
}

// The numbers of every record of a kind, each record read in full.
std::vector<std::vector<int32_t>> record(documento d, std::string_view parola, int campi) {
  std::vector<std::vector<int32_t>> out;
  for (std::string_view riga : d) {
    if (!e_record(riga, parola)) continue;
    riga_letta r(riga);
    out.push_back(r.numeri(campi));
    EXPECT_TRUE(r.finita()) << riga;
  }
  return out;
}

// ---- writers -----------------------------------------------------------------

struct caso_scrittore {
  const char* nome;
  void (*scrivi)(const costruzione&);
  documento (*righe)();
  std::filesystem::path (*file)(const identita&);
  size_t righe_attese;
};

void PrintTo(const caso_scrittore& c, std::ostream* os) { *os << c.nome; }

class Scrittori : public ::testing::TestWithParam<caso_scrittore> {
 protected:
  cartella_temporanea dir;
  costruzione c{dir.percorso(), "Valmora2", "1552"};
};

// Where two texts first part, with a little of each from there.
std::string differenza(const std::string& a, const std::string& b) {
  auto [ia, ib] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  if (ia == a.end() && ib == b.end()) return "";
  size_t i = static_cast<size_t>(ia - a.begin());
  return "at byte " + std::to_string(i) + ": [" + a.substr(i, 40) + "] vs [" + b.substr(i, 40) + "]";
}

// The file is the lines, each followed by CR LF, and nothing else.
std::string atteso(documento righe) {
  std::string s;
  for (std::string_view r : righe) {
    s += r;
    s += "\r\n";
  }
  return s;
}

TEST_P(Scrittori, FileHoldsEveryLineWithCrLfAndNoSentinel) {
  const caso_scrittore& k = GetParam();
  ASSERT_EQ(k.righe().size(), k.righe_attese);
  k.scrivi(c);
  const std::string testo = leggi(k.file(c));
  EXPECT_EQ(differenza(testo, atteso(k.righe())), "");
  size_t crlf = 0;
  for (size_t i = 0; i < testo.size(); ++i) {
    if (testo[i] == '\n') {
      EXPECT_TRUE(i > 0 && testo[i - 1] == '\r') << "bare line feed at " << i;
      ++crlf;
    }
  }
  EXPECT_EQ(crlf, k.righe_attese);
  EXPECT_EQ(testo.find(sentinella), std::string::npos);
}

TEST_P(Scrittori, RewritingOverALongerFileLeavesOnlyTheNewBytes) {
  const caso_scrittore& k = GetParam();
  const std::string nuovo = atteso(k.righe());
  scrivi(k.file(c), std::string(nuovo.size() + 4096, 'x'));
  k.scrivi(c);
  const std::string testo = leggi(k.file(c));
  EXPECT_EQ(testo.size(), nuovo.size());
  EXPECT_EQ(differenza(testo, nuovo), "");
}

INSTANTIATE_TEST_SUITE_P(
    Documenti, Scrittori,
    ::testing::Values(caso_scrittore{"linea", dati_linea, righe_linea, nomi::descrizione_linea, 552},
                      caso_scrittore{"treno", dati_treno, righe_treno, nomi::descrizione_treno, 271},
                      caso_scrittore{"note", dati_note, righe_note, nomi::note, 37},
                      caso_scrittore{"rallentamenti", dati_rallentamenti, righe_rallentamenti,
                                     nomi::rallentamenti, 5},
                      caso_scrittore{"scheda", dati_scheda, righe_scheda, nomi::scheda_treno, 67}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST(Scrittura, BlanksAtTheEndOfLinesReachTheFile) {
  costruzione_in_memoria c;
  dati_linea(c);
  const std::string linea = c.file->leggi(nomi::descrizione_linea(c));
  EXPECT_NE(linea.find("     \r\n[generale]                        \r\nlunghezza"), std::string::npos);
  EXPECT_TRUE(linea.ends_with("[fine]\r\n" + std::string(16, ' ') + "\r\n"));
  dati_rallentamenti(c);
  EXPECT_EQ(c.file->leggi(nomi::rallentamenti(c)),
            "\r\n\r\n\r\n\r\n" + std::string(25, ' ') + "NESSUNA PRESCRIZIONE\r\n");
}

TEST(Scrittura, TheDegreeSignIsTheOnlyByteOutsideAscii) {
  costruzione_in_memoria c;
  dati_linea(c);
  dati_treno(c);
  dati_note(c);
  dati_rallentamenti(c);
  dati_scheda(c);
  std::string tutto;
  for (const auto& f : {nomi::descrizione_linea(c), nomi::descrizione_treno(c), nomi::note(c),
                        nomi::rallentamenti(c), nomi::scheda_treno(c)})
    tutto += c.file->leggi(f);
  std::vector<size_t> alti;
  for (size_t i = 0; i < tutto.size(); ++i)
    if (static_cast<unsigned char>(tutto[i]) > 0x7F) alti.push_back(i);
  ASSERT_EQ(alti.size(), 1u);
  EXPECT_EQ(static_cast<unsigned char>(tutto[alti[0]]), 0xB0);
  EXPECT_EQ(tutto.substr(alti[0] - 1, 17), "1\xB0 Bivio ORTE SUD");
  EXPECT_EQ(tutto.find('"'), std::string::npos);
}

TEST(Composizione, SentinelEndsTheDocumentOnlyWhenItIsTheWholeLine) {
  struct caso {
    std::vector<std::string_view> righe;
    std::string atteso;
  };
  const caso casi[] = {
      {{"a", "riferimento fine del file", "b"}, "a\r\n"},
      {{"a", "riferimento fine del file ", "b"}, "a\r\nriferimento fine del file \r\nb\r\n"},
      {{" riferimento fine del file", ""}, " riferimento fine del file\r\n\r\n"},
      {{"riferimento fine del file"}, ""},
      {{}, ""},
  };
  for (const caso& k : casi) EXPECT_EQ(componi_documento(k.righe), k.atteso) << k.atteso;
}

TEST(Composizione, AtMostAThousandLines) {
  std::vector<std::string_view> righe(1005, "r");
  std::string testo = componi_documento(righe);
  EXPECT_EQ(std::count(testo.begin(), testo.end(), '\n'), 1000);
}

// ---- line description ----------------------------------------------------------

TEST(Linea, PreambleThenGeneralSectionThenRecordSections) {
  documento d = righe_linea();
  for (size_t i = 0; i < 34; ++i) EXPECT_FALSE(ha(d[i], "[generale]")) << i;
  EXPECT_EQ(d[34], "inizio dati");
  EXPECT_EQ(d[35], "     ");
  EXPECT_EQ(d[36], "[generale]                        ");
  const std::array sezioni = {"[pendenze]", "[curve]", "[cartelli]", "[montagne]", "[indicazioni]", "[fine]"};
  size_t prima = 36;
  for (const char* s : sezioni) {
    size_t i = indice(d, s);
    EXPECT_GT(i, prima) << s;
    prima = i;
  }
  EXPECT_EQ(prima, 550u);
  EXPECT_EQ(d[551], std::string(16, ' '));
}

TEST(Linea, GeneralKeysAsTheCompilerReadsThem) {
  documento d = righe_linea();
  const size_t fine = indice(d, "[pendenze]");
  ASSERT_EQ(fine, 45u);
  std::map<std::string, std::vector<int32_t>> chiavi;
  const std::map<std::string, int> campi = {{"lunghezza percorso", 1},
                                            {"progressiva chilometrica uno", 3},
                                            {"progressiva chilometrica due", 3},
                                            {"progressiva chilometrica tre", 3},
                                            {"sfondo uno", 1},
                                            {"sfondo due", 1},
                                            {"sfondo tre", 1},
                                            {"ripetizione segnali 9 codici", 2}};
  for (size_t i = 37; i < fine; ++i) {
    riga_letta r(d[i]);
    ASSERT_TRUE(campi.contains(r.parola())) << d[i];
    chiavi[r.parola()] = r.numeri(campi.at(r.parola()));
    EXPECT_TRUE(r.finita());
  }
  const std::map<std::string, std::vector<int32_t>> attese = {
      {"lunghezza percorso", {270000}},
      {"progressiva chilometrica uno", {263600, 46500, 0}},
      {"progressiva chilometrica due", {206200, -6550, 0}},
      {"progressiva chilometrica tre", {190600, 28600, 0}},
      {"sfondo uno", {1}},
      {"sfondo due", {250000}},
      {"sfondo tre", {0}},
      {"ripetizione segnali 9 codici", {6800, 266650}}};
  EXPECT_EQ(chiavi, attese);
}

TEST(Linea, GradientsFromMinusElevenToEleven) {
  documento d = righe_linea();
  auto p = record(d, "pendenza", 2);
  ASSERT_EQ(p.size(), 239u);
  using coppia = std::vector<int32_t>;
  EXPECT_EQ((std::vector<coppia>(p.begin(), p.begin() + 4)),
            (std::vector<coppia>{{500, 0}, {950, -11}, {1500, -7}, {6850, -9}}));
  int32_t minimo = 0, massimo = 0;
  for (size_t i = 0; i < p.size(); ++i) {
    minimo = std::min(minimo, p[i][1]);
    massimo = std::max(massimo, p[i][1]);
    if (i > 0) {
      EXPECT_GE(p[i][0], p[i - 1][0]) << "out of order at " << p[i][0];
    }
  }
  EXPECT_EQ(minimo, -11);
  EXPECT_EQ(massimo, 11);
  // The doubled record: the second one still writes a cell of its own.
  size_t k = indice(d, "pendenza  , 265350   , 4");
  EXPECT_EQ(d[k + 1], "pendenza  , 265350   , 0");
  EXPECT_TRUE(e_record(d[k + 2], "pendenza"));
}

TEST(Linea, CurvesInOrderWithPlaceCommentsBetween) {
  documento d = righe_linea();
  const size_t inizio = indice(d, "[curve]"), fine = indice(d, "[cartelli]");
  EXPECT_EQ(d[inizio + 1], "curvad2,   500,  300");
  size_t curve = 0, commenti = 0;
  int64_t fine_precedente = 0;
  bool commento_prima = false;
  for (size_t i = inizio + 1; i < fine; ++i) {
    riga_letta r(d[i]);
    if (r.parola().starts_with("- ")) {
      EXPECT_FALSE(commento_prima) << d[i];
      EXPECT_EQ(d[i].find(','), std::string_view::npos) << d[i];
      commento_prima = true;
      ++commenti;
      continue;
    }
    commento_prima = false;
    const std::string& p = r.parola();
    ASSERT_EQ(p.size(), 7u) << d[i];
    EXPECT_TRUE(p.starts_with("curva")) << d[i];
    EXPECT_TRUE(p[5] == 's' || p[5] == 'd') << d[i];
    EXPECT_TRUE(p[6] >= '1' && p[6] <= '6') << d[i];
    auto v = r.numeri(2);
    // Each curve starts after the previous one has ended, so each turns as written.
    EXPECT_GT(v[0], fine_precedente) << d[i];
    fine_precedente = int64_t{v[0]} + v[1];
    ++curve;
  }
  EXPECT_EQ(curve, 141u);
  EXPECT_GT(commenti, 0u);
  EXPECT_LT(fine_precedente, 270000);
  EXPECT_TRUE(presente(d, "curvas3,  1350,  200"));
  EXPECT_TRUE(presente(d, "curvad2,  172450,  1500"));
}

TEST(Linea, IndicatorsTunnelsAndSigns) {
  documento d = righe_linea();
  auto ind = record(d, "indicatori_v", 9);
  ASSERT_EQ(ind.size(), 20u);
  std::set<int32_t> velocita, strisce;
  for (const auto& v : ind) {
    for (int k : {1, 2, 3, 5, 6, 7}) velocita.insert(v[static_cast<size_t>(k)]);
    strisce.insert(v[4]);
    strisce.insert(v[8]);
  }
  EXPECT_EQ(*velocita.begin(), 60);
  EXPECT_EQ(*velocita.rbegin(), 250);
  EXPECT_EQ(strisce, (std::set<int32_t>{0, 1, 2}));

  auto gal = record(d, "montagna", 3);
  ASSERT_EQ(gal.size(), 44u);
  std::set<size_t> vicine;  // 1-based, as the tunnel counter counts them
  for (size_t i = 0; i < gal.size(); ++i) {
    if (i + 1 == gal.size()) {
      EXPECT_EQ(gal[i][2], 2);
    } else {
      EXPECT_TRUE(gal[i][2] == 11 || gal[i][2] == 12) << gal[i][0];
    }
    if (i > 0 && gal[i][0] - gal[i - 1][1] <= 150) vicine.insert(i + 1);
  }
  EXPECT_EQ(vicine, (std::set<size_t>{10, 31, 32, 33, 38}));
  EXPECT_EQ(gal[9][0], 45200);
  EXPECT_EQ(gal[8], (std::vector<int32_t>{44950, 45050, 11}));
  EXPECT_EQ((std::array{gal[30][0], gal[31][0], gal[32][0], gal[37][0]}),
            (std::array{218350, 218700, 219050, 225450}));

  size_t cartelli = 0, sottolineati = 0;
  for (std::string_view riga : d) {
    riga_letta r(riga);
    if (!ha(r.parola(), "cartello") || !ha(r.parola(), "indicat")) continue;
    ++cartelli;
    if (r.parola() == "cartello_indicatore") ++sottolineati;
    EXPECT_EQ(r.campi().leggi_32() % 50, 0) << riga;
    std::string testo = r.campi().leggi_testo();
    EXPECT_TRUE(testo.starts_with('(') && testo.ends_with(')')) << riga;
    EXPECT_TRUE(r.finita());
  }
  EXPECT_EQ(cartelli, 44u);
  EXPECT_GT(sottolineati, 0u);
  EXPECT_LT(sottolineati, cartelli);
}

TEST(Linea, RowsQuotedElsewhereStandAsWritten) {
  const std::string_view righe[] = {
      "distanza dall'inizio 189071+1537 = 190608",
      "nuova progressiva chilometrica 219228",
      "differenza 6532",
      "differenza  28620",
      "lunghezza percorso,    270000",
      "progressiva chilometrica uno,    263600,    46500,    0",
      "progressiva chilometrica due,    206200,    -6550,    0",
      "progressiva chilometrica tre,    190600,    28600,    0",
      "sfondo uno,    1",
      "sfondo due,    250000",
      "sfondo tre,    0",
      "ripetizione segnali 9 codici,    6800,    266650",
      "pendenza,  500,   0",
      "pendenza,  950,   -11",
      "pendenza,  1500,   -7",
      "pendenza,  6850,   -9",
      "indicatori_vmax,  1050, 85, 90, 95, 0, 85, 90, 95, 0",
      "indicatori_vmax,192050,115,120,130, 2,115,120,130, 2",
      "montagna,   22550,  25650,  11",
      "montagna,   44950,  45050,  11",
      "montagna,   45200,  45600,  12",
      "montagna,   265050,  265300,  2",
      "cartello_indicatore,  22500,   (   GALLERIA  )(MONTE PERAZZO)(    m 3092   )",
      "cartello indicatore,  260200,   (  BIVIO  ) (ROVEZZANO)",
      "cartello indicatore,  266250,   (CAVALCAVIA) ( STATUTO )         ",
  };
  for (std::string_view r : righe) EXPECT_TRUE(presente(righe_linea(), r)) << r;
}

// ---- train description ---------------------------------------------------------

TEST(Treno, SectionsInOrder) {
  documento d = righe_treno();
  for (size_t i = 0; i < 34; ++i) EXPECT_FALSE(ha(d[i], "[generale]")) << i;
  EXPECT_NE(d[0], righe_linea()[0]);
  // The same chainage notes as the line description, under another title.
  EXPECT_TRUE(std::equal(d.begin() + 1, d.begin() + 34, righe_linea().begin() + 1));
  EXPECT_EQ(d[34], "inizio dati");
  const std::array sezioni = {"[generale]", "[aderenze] ", "[rallentamenti]", "[vel_limite]",
                              "[stazioni]", "[segnali]",   "[codici]"};
  size_t prima = 34;
  for (const char* s : sezioni) {
    size_t i = indice(d, s);
    EXPECT_GT(i, prima) << s;
    prima = i;
  }
  // No slowdown at all.
  EXPECT_EQ(indice(d, "[vel_limite]"), indice(d, "[rallentamenti]") + 1);
  EXPECT_EQ(d[d.size() - 2], "");
  EXPECT_EQ(d[d.size() - 1], "     [fine]");
}

TEST(Treno, GeneralDataAndAdhesion) {
  const std::string_view righe[] = {
      "numero vetture,    8",    "percentuale massa frenata,    130",
      "sabbia,    200",          "orologio,    13              53            30 ",
      "aderenza,       0, 80",   "aderenza,       0,    80",
      "aderenza,  198000,   100"};
  documento d = righe_treno();
  for (std::string_view r : righe) EXPECT_TRUE(presente(d, r)) << r;
  EXPECT_EQ(record(d, "aderenza", 2), (std::vector<std::vector<int32_t>>{{0, 80}, {0, 80}, {198000, 100}}));
  riga_letta orologio("orologio,    13              53            30 ");
  EXPECT_EQ(orologio.campi().leggi_16(), 13);
  EXPECT_EQ(orologio.campi().leggi_16(), 53);
  EXPECT_EQ(orologio.campi().leggi_16(), 30);
  EXPECT_TRUE(orologio.finita());
}

TEST(Treno, SpeedLimitsInBothSpellings) {
  documento d = righe_treno();
  auto v = record(d, "velocit", 2);
  ASSERT_EQ(v.size(), 13u);
  EXPECT_EQ(v.front(), (std::vector<int32_t>{0, 30}));
  EXPECT_EQ(v.back(), (std::vector<int32_t>{266300, 75}));
  for (size_t i = 1; i < v.size(); ++i) EXPECT_GT(v[i][0], v[i - 1][0]);
  size_t lunghe = 0;
  for (std::string_view r : d)
    if (e_record(r, "velocit") && riga_letta(r).parola() == "velocita' limite") ++lunghe;
  EXPECT_GT(lunghe, 0u);
  EXPECT_LT(lunghe, 13u);
  for (std::string_view r :
       {"velocita' limite ,     0    ,   30", "velocita,    1000,    95", "velocita,    5850,   110",
        "velocita' limite , 190650   ,  160", "velocita' limite , 266300   ,  75"})
    EXPECT_TRUE(presente(d, r)) << r;
}

struct stazione_letta {
  int32_t pos;
  int kind;
  int32_t lung;
  std::array<int, 10> valori;  // tps tab mar d2 d3 rap d1 d2 d3 ac
  std::array<int32_t, 3> ora;
  std::string nome;
};

std::vector<stazione_letta> stazioni() {
  std::vector<stazione_letta> out;
  for (std::string_view riga : righe_treno()) {
    if (!e_record(riga, "stazione")) continue;
    riga_letta r(riga);
    lettore& l = r.campi();
    stazione_letta s;
    s.pos = l.leggi_32();
    s.kind = l.leggi_8();
    s.lung = l.leggi_32();
    s.valori = {l.leggi_8(), l.leggi_8(),  l.leggi_8(),  l.leggi_16(), l.leggi_16(),
                l.leggi_8(), l.leggi_16(), l.leggi_16(), l.leggi_16(), l.leggi_8()};
    s.ora = {l.leggi_32(), l.leggi_32(), l.leggi_32()};
    s.nome = l.leggi_testo();
    EXPECT_TRUE(r.finita()) << riga;
    out.push_back(s);
  }
  return out;
}

TEST(Treno, StationsWithTheirLegendAndTheDisabledJunction) {
  documento d = righe_treno();
  const size_t inizio = indice(d, "[stazioni]");
  for (size_t i = inizio + 1; i <= inizio + 3; ++i) {
    EXPECT_TRUE(d[i].starts_with("-")) << d[i];
    EXPECT_EQ(d[i].find(','), std::string_view::npos) << d[i];
  }
  // The third legend line escapes the dash rule and is looked at as a token.
  for (const char* parola : {"stazione", "segnale", "velocit", "aderenza", "vetture", "sabbia", "orologio"})
    EXPECT_FALSE(ha(d[inizio + 3], parola));
  EXPECT_TRUE(
      presente(d, "-stazione, 260400, 25, 400,  0, 0, 0,   0,0,0,  0,0,0,  0,  0, 0, 0, BIVIO ROVEZZANO"));

  auto s = stazioni();
  ASSERT_EQ(s.size(), 34u);
  const stazione_letta& partenza = s.front();
  EXPECT_EQ((std::array{partenza.pos, partenza.kind, partenza.lung}), (std::array{0, 8, 500}));
  EXPECT_EQ(partenza.valori, (std::array{1, 0, 0, 4, 1, 0, 2, 1, 1, 1}));
  EXPECT_EQ(partenza.ora, (std::array{13, 54, 0}));
  EXPECT_EQ((std::array{s[1].pos, s[1].kind, s[1].lung, s[1].valori[1]}), (std::array{4500, 2, 600, 1}));
  const stazione_letta& arrivo = s.back();
  EXPECT_EQ((std::array{arrivo.pos, arrivo.kind, arrivo.lung}), (std::array{267550, 6, 600}));
  EXPECT_EQ(arrivo.ora, (std::array{15, 58, 0}));

  std::set<int> kinds;
  for (const auto& st : s) {
    kinds.insert(st.kind);
    EXPECT_EQ(st.pos % 50, 0) << st.nome;
    EXPECT_EQ(st.lung % 100, 0) << st.nome;
    EXPECT_FALSE(st.nome.empty());
  }
  EXPECT_EQ(kinds, (std::set<int>{2, 4, 6, 8, 11, 12, 25, 26, 27, 28}));
  for (std::string_view r :
       {"stazione,  198750,  4,  800,  0, 1, 0,  1,1,0,  4,1,1,   60,  15,22, 0, AREZZO",
        "stazione,   31950, 25,  400,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, P.C. CAPENA"})
    EXPECT_TRUE(presente(d, r)) << r;
}

TEST(Treno, SignalsInApproachAndMainPairs) {
  documento d = righe_treno();
  std::map<std::pair<int32_t, int32_t>, int> coppie;
  size_t segnali = 0;
  bool dopo_avviso = false;
  for (std::string_view riga : d) {
    riga_letta r(riga);
    if (riga.starts_with("- ")) {
      dopo_avviso = riga.starts_with("- avviso");
      continue;
    }
    if (!e_record(riga, "segnale")) {
      dopo_avviso = false;
      continue;
    }
    auto v = r.numeri(11);
    EXPECT_TRUE(r.finita());
    ++segnali;
    ++coppie[{v[1], v[6]}];
    if (dopo_avviso) {
      EXPECT_EQ((std::array{v[1], v[6]}), (std::array{1, 1})) << riga;
    }
    EXPECT_EQ(v[10], 0) << riga;
    dopo_avviso = false;
  }
  EXPECT_EQ(segnali, 106u);
  EXPECT_EQ(coppie, (std::map<std::pair<int32_t, int32_t>, int>{{{2, 2}, 60}, {{1, 1}, 44}, {{2, 0}, 2}}));

  EXPECT_TRUE(presente(d, "segnale,    1100,   2, 4, 1,  0, 0,    2,  2,0,0, 0"));
  size_t k = indice(d, "- avviso Settebagni");
  EXPECT_EQ(d[k + 1], "segnale,   13400,   1, 4, 1,  0, 0,    1,  3,1,0, 0");
  EXPECT_EQ(d[k + 2], "segnale,   14900,   2, 4, 1,  1, 0,    2,  2,1,1, 0");
  k = indice(d, "- protezione Olmo");
  EXPECT_EQ(d[k + 1], "segnale,  188800,   2, 2, 5,  7, 2,    2,  2,1,1, 0");
}

TEST(Treno, CodeCutsEndWithFiveRestrictiveOnes) {
  documento d = righe_treno();
  auto c = record(d, "abbattimento", 2);
  ASSERT_EQ(c.size(), 27u);
  std::string valori;
  for (const auto& v : c) {
    ASSERT_TRUE(v[1] == 270 || v[1] == 180) << v[0];
    valori += v[1] == 180 ? 'R' : '.';
  }
  EXPECT_EQ(std::count(valori.begin(), valori.end(), 'R'), 5);
  EXPECT_NE(valori.find("RRRRR"), std::string::npos);
  for (std::string_view r :
       {"abbattimento codice, 7250,270", "abbattimento codice, 10600,270", "abbattimento codice, 254500,180"})
    EXPECT_TRUE(presente(d, r)) << r;
}

// ---- documents that are not read ------------------------------------------------

TEST(Scheda, TimetableFrameLinesUpOnItsSevenColumns) {
  documento d = righe_scheda();
  EXPECT_EQ(d[0], "");
  EXPECT_EQ(d[1], " ");
  EXPECT_TRUE(
      presente(d, " | 200 |     |   16.250 | 150 | P.C. SETTEBAGNI            |      14.07     | 0.5 |"));
  // Inner widths 5, 5, 10, 5, 28, 16 and 5 put the bars here.
  const std::array<size_t, 8> barre = {1, 7, 13, 24, 30, 59, 76, 82};
  size_t righe_tabella = 0, linea_lenta = 0;
  bool dentro = false;
  for (std::string_view r : d) {
    if (r.starts_with(" |Vel.")) dentro = true;
    if (!dentro || !r.starts_with(" |")) continue;
    ASSERT_EQ(r.size(), 83u) << r;
    for (size_t i = 0; i < r.size(); ++i) {
      bool barra = std::find(barre.begin(), barre.end(), i) != barre.end();
      EXPECT_EQ(r[i] == '|', barra) << r;
    }
    if (r.starts_with(" |_") || r.starts_with(" |Vel.") || r.starts_with(" |Lim.")) continue;
    ++righe_tabella;
    if (r.substr(32, 4) == "(a) ") ++linea_lenta;
  }
  EXPECT_EQ(righe_tabella, 45u);
  EXPECT_GT(linea_lenta, 0u);
  EXPECT_TRUE(presente(d, " (a) : Localita` di servizio sulla linea lenta"));
  EXPECT_EQ(d.back().find_first_not_of(' '), std::string_view::npos);
}

// ---- the whole scenario -------------------------------------------------------------

class Scenario : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    r_ = new risultato_prova(compila(componi_documento(righe_linea()), componi_documento(righe_treno())));
  }
  static void TearDownTestSuite() { delete r_; }
  static const costruzione& c() { return r_->c; }
  static size_t quante(uint8_t tipo) {
    return static_cast<size_t>(std::count_if(c().percorso.begin(), c().percorso.end(),
                                             [&](const cella& x) { return x.tipo == tipo; }));
  }
  static const cella& cel(size_t i) { return c().percorso.at(i); }
  static std::array<int, 5> campi(const cella& x) { return {x.tipo, x.dato1, x.dato2, x.dato3, x.dato4}; }

  static risultato_prova* r_;
};
risultato_prova* Scenario::r_ = nullptr;

TEST_F(Scenario, CompilesWithoutAnyCode) {
  EXPECT_EQ(r_->fatale, "");
  EXPECT_EQ(c().codice_errore, 0) << "at " << c().posizione_errore;
  EXPECT_EQ(c().percorso.size(), 5541u);
}

TEST_F(Scenario, SignsTakeRowsEightyDownToThirtySeven) {
  const tabella& t = c().tabella_scenario;
  EXPECT_EQ(quante(14), 44u);
  for (int r = 37; r <= 80; ++r) EXPECT_FALSE(t[static_cast<size_t>(r)].nome.empty()) << r;
  EXPECT_TRUE(t[36].nome.empty());
  EXPECT_EQ(t[80].nome, "(   GALLERIA  )(MONTE PERAZZO)(    m 3092   )");
  EXPECT_EQ(t[37].nome, "(CAVALCAVIA) ( STATUTO )");
  std::set<int> righe;
  for (const cella& x : c().percorso)
    if (x.tipo == 14) righe.insert(x.dato1);
  EXPECT_EQ(righe.size(), 44u);
  EXPECT_EQ(*righe.begin(), 37);
  EXPECT_EQ(*righe.rbegin(), 80);
}

TEST_F(Scenario, StationsInRowsOneToThirtyFour) {
  const tabella& t = c().tabella_scenario;
  auto s = stazioni();
  size_t con_cella = 0;
  for (size_t r = 1; r <= 34; ++r) {
    EXPECT_EQ(t[r].nome, s[r - 1].nome);
    if (s[r - 1].kind < 25) {
      ++con_cella;
      // Its own station cell, not overwritten by anything placed later.
      const cella& x = cel(static_cast<size_t>(t[r].fine / 50 - 1));
      EXPECT_EQ(x.tipo, 10) << t[r].nome;
      EXPECT_EQ(x.dato1, static_cast<int16_t>(r)) << t[r].nome;
    }
  }
  EXPECT_TRUE(t[35].nome.empty());
  EXPECT_EQ(quante(10), con_cella);
  // The first station never keeps tab or mar; the second, 600 m long, keeps tab.
  EXPECT_EQ((std::array{t[1].tab, t[1].mar}), (std::array<uint8_t, 2>{0, 0}));
  EXPECT_EQ((std::array{t[2].inizio, t[2].fine}), (std::array{4200, 4800}));
  EXPECT_EQ(t[2].tab, 1);
  EXPECT_EQ(cel(95).dato1, 2);
  // Arrival: a terminus ends 150 m past its position.
  EXPECT_EQ((std::array{t[34].inizio, t[34].fine, t[34].orario}), (std::array{266950, 267700, 57480}));
}

TEST_F(Scenario, SignalsAndCodePoints) {
  EXPECT_EQ(quante(1), 106u);
  std::map<int, int> coppie;
  for (const cella& x : c().percorso)
    if (x.tipo == 1) ++coppie[x.dato4 % 10];
  // Pair code 3 * sx + dx: 2/2 gives 8, 1/1 gives 4, 2/0 gives 6.
  EXPECT_EQ(coppie, (std::map<int, int>{{8, 60}, {4, 44}, {6, 2}}));
  // "segnale,  188800,   2, 2, 5,  7, 2,    2,  2,1,1, 0": cell 3777, rapp 2 as tens.
  EXPECT_EQ(campi(cel(3777)), (std::array<int, 5>{1, 22, 51, 71, 28}));

  // No slowdown, so the finishing pass adds no code point.
  EXPECT_EQ(quante(12), 27u);
  std::map<int, int> codici;
  for (const cella& x : c().percorso)
    if (x.tipo == 12) ++codici[x.dato1];
  EXPECT_EQ(codici, (std::map<int, int>{{270, 22}, {180, 5}}));
  // "abbattimento codice, 254500,180": cell 5090.
  EXPECT_EQ(campi(cel(5090)), (std::array<int, 5>{12, 180, 0, 0, 0}));
}

TEST_F(Scenario, TunnelsLightsAndIndicators) {
  EXPECT_EQ(quante(6), 20u);
  // No later object stands on a tunnel light in this scenario, so every one
  // of the 340 placed is still there.
  EXPECT_EQ(quante(11), 340u);
  auto gal = record(righe_linea(), "montagna", 3);
  const std::set<size_t> ridotte = {10, 31, 32, 33, 38};
  for (size_t i = 0; i < gal.size(); ++i) {
    int atteso = ridotte.contains(i + 1) ? 3 : gal[i][2] > 10 ? gal[i][2] - 10 : gal[i][2];
    EXPECT_EQ(cel(static_cast<size_t>(gal[i][0] / 50)).galleria, atteso) << gal[i][0];
  }
  // First tunnel: cells 451 to 512, lights on 454, 458, ..., 510.
  EXPECT_EQ(cel(450).galleria, 0);
  EXPECT_EQ(cel(512).galleria, 1);
  EXPECT_EQ(cel(513).galleria, 0);
  for (size_t k = 451; k <= 512; ++k) EXPECT_EQ(cel(k).tipo == 11, (k - 451) % 4 == 3) << k;
  // Indicator at 1050 m: cell 22.
  EXPECT_EQ(campi(cel(22)), (std::array<int, 5>{6, 1717, 1818, 1919, 0}));
}

TEST_F(Scenario, TheDoubledGradientWritesACellOfItsOwn) {
  // "pendenza  , 265350   , 4" fills up to cell 5306; its twin at the same
  // position still writes 104 into 5307, and 0 runs on from 5308.
  EXPECT_EQ(cel(5306).pendenza, cel(5305).pendenza);
  EXPECT_EQ(cel(5307).pendenza, 104);
  EXPECT_EQ(cel(5308).pendenza, 100);
}

}  // namespace
