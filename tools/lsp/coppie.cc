#include "lsp/coppie.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#include "documents/lettore.h"

namespace autori::lsp {

namespace {
constexpr std::string_view fine_linea = "_linea.txt";
constexpr std::string_view fine_treno = "-.txt";

int cifra_esadecimale(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
}  // namespace

std::optional<nome_descrizione> leggi_nome(std::string_view percorso) {
  const size_t barra = percorso.find_last_of("/\\");
  const std::string cartella(barra == std::string_view::npos ? std::string_view()
                                                             : percorso.substr(0, barra));
  const std::string_view nome = barra == std::string_view::npos ? percorso : percorso.substr(barra + 1);
  if (nome.size() > fine_linea.size() && nome.ends_with(fine_linea))
    return nome_descrizione{1, cartella, std::string(nome.substr(0, nome.size() - fine_linea.size())), {}};
  if (nome.size() > fine_treno.size() && nome.ends_with(fine_treno)) {
    const std::string_view base = nome.substr(0, nome.size() - fine_treno.size());
    const size_t trattino = base.rfind('_');
    if (trattino == std::string_view::npos || trattino == 0 || trattino + 1 == base.size())
      return std::nullopt;
    return nome_descrizione{2, cartella, std::string(base.substr(0, trattino)),
                            std::string(base.substr(trattino + 1))};
  }
  return std::nullopt;
}

int genere_dal_testo(std::string_view testo) {
  return contiene(testo, "lunghezza", modo::qualsiasi) && contiene(testo, "percorso", modo::qualsiasi) ? 1
                                                                                                       : 2;
}

std::string percorso_di(std::string_view uri) {
  if (!uri.starts_with("file://")) return {};
  uri.remove_prefix(7);
  std::string p;
  for (size_t i = 0; i < uri.size(); ++i) {
    if (uri[i] == '%' && i + 2 < uri.size() && cifra_esadecimale(uri[i + 1]) >= 0 &&
        cifra_esadecimale(uri[i + 2]) >= 0) {
      p += static_cast<char>(cifra_esadecimale(uri[i + 1]) * 16 + cifra_esadecimale(uri[i + 2]));
      i += 2;
    } else {
      p += uri[i];
    }
  }
  // file:///C:/dir: a drive letter after the slash.
  if (p.size() > 3 && p[0] == '/' && p[2] == ':' && std::isalpha(static_cast<unsigned char>(p[1])))
    p.erase(0, 1);
  return p;
}

std::string uri_di(std::string_view percorso) {
  std::string u = "file://";
  if (!percorso.starts_with("/")) u += '/';
  constexpr char cifre[] = "0123456789ABCDEF";
  for (char ch : percorso) {
    const auto c = static_cast<unsigned char>(ch);
    if (std::isalnum(c) || std::string_view("/-._~:").find(ch) != std::string_view::npos) {
      u += ch;
    } else if (ch == '\\') {
      u += '/';
    } else {
      u += '%';
      u += cifre[c >> 4];
      u += cifre[c & 15];
    }
  }
  return u;
}

std::string unisci(const std::string& cartella, const std::string& nome) {
  return cartella.empty() ? nome : cartella + "/" + nome;
}

std::optional<std::string> treno_su_disco(const std::string& cartella, const std::string& identificativo) {
  std::error_code ec;
  std::vector<std::string> nomi;
  for (std::filesystem::directory_iterator it(cartella.empty() ? "." : cartella, ec), fine; !ec && it != fine;
       it.increment(ec)) {
    const std::string nome = it->path().filename().string();
    const std::optional<nome_descrizione> n = leggi_nome(nome);
    if (n && n->documento == 2 && n->identificativo == identificativo) nomi.push_back(nome);
  }
  if (nomi.empty()) return std::nullopt;
  return unisci(cartella, *std::min_element(nomi.begin(), nomi.end()));
}

std::optional<std::string> leggi_disco(const std::string& percorso) {
  std::ifstream f(percorso, std::ios::binary);
  if (!f) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(f), {});
}

}  // namespace autori::lsp
