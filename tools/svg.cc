#include "svg.h"

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#include <process.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <utility>

namespace autori::svg {

std::string num(double v) {
  if (!std::isfinite(v)) return "0";
  char b[64];
  std::snprintf(b, sizeof b, "%.1f", v);
  std::string s = b;
  if (s.size() > 2 && s.compare(s.size() - 2, 2, ".0") == 0) s.resize(s.size() - 2);
  if (s == "-0") s = "0";
  return s;
}

std::string testo(std::string_view latin1) {
  std::string u;
  u.reserve(latin1.size());
  for (unsigned char c : latin1) {
    switch (c) {
      case '&':
        u += "&amp;";
        continue;
      case '<':
        u += "&lt;";
        continue;
      case '>':
        u += "&gt;";
        continue;
      case '"':
        u += "&quot;";
        continue;
      case '\'':
        u += "&apos;";
        continue;
      default:
        break;
    }
    if (c < 0x20 || (c >= 0x7F && c < 0xA0)) {
      u += "\xEF\xBF\xBD";
    } else if (c < 0x80) {
      u += static_cast<char>(c);
    } else {
      u += static_cast<char>(0xC0 | (c >> 6));
      u += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return u;
}

namespace {

double distanza(punto a, punto b) { return std::hypot(a.x - b.x, a.y - b.y); }

// To the segment, not to its line: a route that turns back on itself has
// points far from its chord but near the line through it.
double distanza_segmento(punto p, punto a, punto b) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  const double l2 = dx * dx + dy * dy;
  if (l2 == 0) return distanza(p, a);
  const double t = std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / l2, 0.0, 1.0);
  return distanza(p, {a.x + t * dx, a.y + t * dy});
}

}  // namespace

std::vector<punto> semplifica(const std::vector<punto>& linea, double tolleranza) {
  if (linea.size() <= 2) return linea;
  // Half the tolerance each for two passes. The first, cheap one drops the
  // many points that fall on the same spot of the screen, so that the second
  // (Douglas-Peucker) sees a few thousand points, not a million.
  const double mezza = tolleranza / 2;
  std::vector<punto> vicini;
  vicini.push_back(linea.front());
  for (size_t i = 1; i + 1 < linea.size(); ++i)
    if (distanza(linea[i], vicini.back()) >= mezza) vicini.push_back(linea[i]);
  vicini.push_back(linea.back());

  std::vector<char> tieni(vicini.size(), 0);
  tieni.front() = tieni.back() = 1;
  std::vector<std::pair<size_t, size_t>> da_fare = {{0, vicini.size() - 1}};
  while (!da_fare.empty()) {
    const auto [a, b] = da_fare.back();
    da_fare.pop_back();
    if (b - a < 2) continue;
    double lontano = -1;
    size_t dove = a;
    for (size_t i = a + 1; i < b; ++i) {
      const double d = distanza_segmento(vicini[i], vicini[a], vicini[b]);
      if (d > lontano) {
        lontano = d;
        dove = i;
      }
    }
    if (lontano > mezza) {
      tieni[dove] = 1;
      da_fare.emplace_back(a, dove);
      da_fare.emplace_back(dove, b);
    }
  }
  std::vector<punto> r;
  for (size_t i = 0; i < vicini.size(); ++i)
    if (tieni[i]) r.push_back(vicini[i]);
  return r;
}

std::optional<std::vector<double>> disponi(const std::vector<double>& volute, double passo, double da,
                                           double a) {
  const size_t n = volute.size();
  if (n == 0) return std::vector<double>{};
  if (static_cast<double>(n - 1) * passo > a - da + 1e-9) return std::nullopt;
  // Labels that would overlap form a group centred on the mean of their
  // wishes; groups that then overlap merge, until none do.
  struct gruppo {
    size_t primo;
    size_t quanti;
    double somma;
    double inizio;
  };
  auto colloca = [&](gruppo& g) {
    const double largo = static_cast<double>(g.quanti - 1) * passo;
    g.inizio = std::clamp(g.somma / static_cast<double>(g.quanti) - largo / 2, da, a - largo);
  };
  std::vector<gruppo> gruppi;
  for (size_t i = 0; i < n; ++i) {
    gruppi.push_back({i, 1, volute[i], 0});
    colloca(gruppi.back());
    while (gruppi.size() >= 2) {
      gruppo& prima = gruppi[gruppi.size() - 2];
      const gruppo& dopo = gruppi.back();
      if (dopo.inizio - prima.inizio >= static_cast<double>(prima.quanti) * passo - 1e-9) break;
      prima.quanti += dopo.quanti;
      prima.somma += dopo.somma;
      gruppi.pop_back();
      colloca(gruppi.back());
    }
  }
  std::vector<double> r(n);
  for (const gruppo& g : gruppi)
    for (size_t k = 0; k < g.quanti; ++k) r[g.primo + k] = g.inizio + static_cast<double>(k) * passo;
  return r;
}

double passo_tacche(double ampiezza, int intervalli) {
  if (!(ampiezza > 0) || intervalli < 1) return 1;
  const double grezzo = ampiezza / intervalli;
  const double potenza = std::pow(10.0, std::floor(std::log10(grezzo)));
  for (double m : {1.0, 2.0, 5.0})
    if (m * potenza >= grezzo * (1 - 1e-12)) return m * potenza;
  return 10 * potenza;
}

std::vector<double> tacche(double da, double a, double passo) {
  std::vector<double> v;
  if (!(passo > 0) || !std::isfinite(da) || !std::isfinite(a)) return v;
  const double primo = std::ceil(da / passo - 1e-9);
  // Counted, not summed: a sum drifts, and a step too small for its values
  // would never get past them.
  for (int i = 0; i <= 200; ++i) {
    const double t = (primo + i) * passo;
    if (t > a + passo * 1e-9) break;
    v.push_back(t);
  }
  return v;
}

std::string apertura(double larghezza, double altezza, std::string_view titolo_latin1,
                     std::string_view stile) {
  const std::string w = num(larghezza);
  const std::string h = num(altezza);
  std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  s += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + w + "\" height=\"" + h + "\" viewBox=\"0 0 " +
       w + " " + h + "\" font-family=\"sans-serif\" font-size=\"11\">\n";
  s.append("<title>").append(testo(titolo_latin1)).append("</title>\n");
  s += "<style>";
  s += stile;
  s += "</style>\n";
  s.append("<rect width=\"").append(w).append("\" height=\"").append(h).append("\" fill=\"#fff\"/>\n");
  return s;
}

double larghezza_testo(size_t caratteri, double corpo) {
  return 0.6 * corpo * static_cast<double>(caratteri) + 2;
}

std::string posatore::posa(punto ancora, const std::vector<punto>& versi, std::string_view latin1,
                           double corpo, std::string_view classe) {
  const double w = larghezza_testo(latin1.size(), corpo);
  const double h = corpo * 1.2;
  for (punto v : versi) {
    const double l = std::hypot(v.x, v.y);
    if (l == 0) continue;
    v = {v.x / l, v.y / l};
    // The box lies on the side the direction points to: to its right when
    // it points right, centred when it points up or down.
    const double x0 = v.x > 0.38 ? ancora.x : v.x < -0.38 ? ancora.x - w : ancora.x - w / 2;
    const double y0 = v.y > 0.38 ? ancora.y : v.y < -0.38 ? ancora.y - h : ancora.y - h / 2;
    const riquadro r{x0, y0, x0 + w, y0 + h};
    if (!r.dentro(area_)) continue;
    bool libero = true;
    for (const riquadro& o : occupati_)
      if (o.tocca(r)) {
        libero = false;
        break;
      }
    if (!libero) continue;
    occupati_.push_back(r);
    std::string s = "<text x=\"" + num(x0 + 1) + "\" y=\"" + num(y0 + corpo * 0.95) + "\"";
    if (!classe.empty()) s.append(" class=\"").append(std::string(classe)).append("\"");
    return s + ">" + testo(latin1) + "</text>";
  }
  return "";
}

#ifdef _WIN32
// No mkstemp here: a name of this process's own, created only where none
// stands, and a rename that replaces the picture.
std::optional<std::string> scrivi_intero(const std::filesystem::path& finale, std::string_view contenuto) {
  const std::filesystem::path cartella =
      finale.parent_path().empty() ? std::filesystem::path(".") : finale.parent_path();
  std::filesystem::path modello;
  int fd = -1;
  for (unsigned n = 0; fd < 0; ++n) {
    modello = cartella / (L"." + finale.filename().wstring() + L"." + std::to_wstring(_getpid()) + L"." +
                          std::to_wstring(n));
    fd = _wopen(modello.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0 && (errno != EEXIST || n == 1000)) return std::strerror(errno);
  }
  auto fallisce = [&](int codice) -> std::optional<std::string> {
    _close(fd);
    _wunlink(modello.c_str());
    return std::strerror(codice);
  };
  for (size_t fatto = 0; fatto < contenuto.size();) {
    const auto blocco = static_cast<unsigned>(std::min<size_t>(contenuto.size() - fatto, 1u << 30));
    const int n = _write(fd, contenuto.data() + fatto, blocco);
    if (n < 0) return fallisce(errno);
    fatto += static_cast<size_t>(n);
  }
  if (_commit(fd) != 0) return fallisce(errno);
  if (_close(fd) != 0) {
    const int codice = errno;
    _wunlink(modello.c_str());
    return std::strerror(codice);
  }
  std::error_code ec;
  std::filesystem::rename(modello, finale, ec);
  if (ec) {
    _wunlink(modello.c_str());
    return ec.message();
  }
  return std::nullopt;
}
#else
std::optional<std::string> scrivi_intero(const std::filesystem::path& finale, std::string_view contenuto) {
  const std::filesystem::path cartella = finale.parent_path();
  std::string nascosto = ".";
  nascosto.append(finale.filename().string()).append(".XXXXXX");
  std::string modello = ((cartella.empty() ? std::filesystem::path(".") : cartella) / nascosto).string();
  const int fd = mkstemp(modello.data());
  if (fd < 0) return std::strerror(errno);
  auto fallisce = [&](int codice) -> std::optional<std::string> {
    close(fd);
    unlink(modello.c_str());
    return std::strerror(codice);
  };
  // mkstemp makes the file private; a picture is as readable as any file the
  // user creates.
  const mode_t maschera = umask(0);
  umask(maschera);
  if (fchmod(fd, 0666 & ~maschera) != 0) return fallisce(errno);
  for (size_t fatto = 0; fatto < contenuto.size();) {
    const ssize_t n = write(fd, contenuto.data() + fatto, contenuto.size() - fatto);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fallisce(errno);
    }
    fatto += static_cast<size_t>(n);
  }
  if (fsync(fd) != 0) return fallisce(errno);
  if (close(fd) != 0) {
    const int codice = errno;
    unlink(modello.c_str());
    return std::strerror(codice);
  }
  if (std::rename(modello.c_str(), finale.c_str()) != 0) {
    const int codice = errno;
    unlink(modello.c_str());
    return std::strerror(codice);
  }
  return std::nullopt;
}
#endif

}  // namespace autori::svg
