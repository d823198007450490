// What the pictures of autori plot are made of: numbers and texts as SVG
// wants them, the thinning of a polyline to what a screen can show, labels
// that must not overlap, axis steps, and the file written whole or not at all.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace autori::svg {

// A coordinate with one decimal at most: a tenth of a pixel is below what a
// screen shows, and every byte counts on a long route.
std::string num(double v);

// A text of the scenario (8-bit, read as Latin-1) as XML character data in
// UTF-8; control characters become U+FFFD.
std::string testo(std::string_view latin1);

struct punto {
  double x = 0;
  double y = 0;
};

// Fewer points for the same picture: every point left out lies within
// `tolleranza` of the polyline that is kept. First and last are always kept.
std::vector<punto> semplifica(const std::vector<punto>& linea, double tolleranza);

// Positions for labels `passo` wide, wanted at `volute` (ascending), along an
// axis from `da` to `a`: in the same order, never closer than `passo`, each as
// near its wish as its neighbours allow. Nothing when they cannot all fit.
std::optional<std::vector<double>> disponi(const std::vector<double>& volute, double passo, double da,
                                           double a);

// The step between axis ticks, 1, 2 or 5 times a power of ten, that cuts
// `ampiezza` into at most `intervalli` pieces.
double passo_tacche(double ampiezza, int intervalli);

// The ticks of an axis from `da` to `a`, every `passo` (from passo_tacche):
// the multiples of `passo` between them, a few dozen at most.
std::vector<double> tacche(double da, double a, double passo);

// The opening of a picture: size, a white ground, the title a viewer shows,
// and one style sheet. Generic font families only: nothing to fetch.
std::string apertura(double larghezza, double altezza, std::string_view titolo_latin1,
                     std::string_view stile);
inline constexpr std::string_view chiusura = "</svg>\n";

// Roughly how wide a text of `caratteri` is in a sans-serif face of `corpo`
// pixels: enough to keep labels apart.
double larghezza_testo(size_t caratteri, double corpo);

struct riquadro {
  double x0 = 0;
  double y0 = 0;
  double x1 = 0;
  double y1 = 0;
  bool tocca(const riquadro& r) const { return x0 < r.x1 && r.x0 < x1 && y0 < r.y1 && r.y0 < y1; }
  bool dentro(const riquadro& r) const { return x0 >= r.x0 && x1 <= r.x1 && y0 >= r.y0 && y1 <= r.y1; }
};

// Places labels in a picture so that none covers another or a mark.
class posatore {
 public:
  explicit posatore(riquadro area) : area_(area) {}
  void occupa(const riquadro& r) { occupati_.push_back(r); }
  // A text on side `verso` (a direction) of the point `ancora`; the text
  // element, or nothing when every place is taken.
  std::string posa(punto ancora, const std::vector<punto>& versi, std::string_view latin1, double corpo,
                   std::string_view classe);

 private:
  riquadro area_;
  std::vector<riquadro> occupati_;
};

// Writes a temporary file beside `finale` and renames it into place, so the
// name never holds half a picture. Gives the reason when it fails.
std::optional<std::string> scrivi_intero(const std::filesystem::path& finale, std::string_view contenuto);

}  // namespace autori::svg
