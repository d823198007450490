#include "files/archivio.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

namespace {
[[noreturn]] void fallisci(int codice, const std::string& cosa, const std::filesystem::path& nome) {
  throw std::system_error(codice, std::generic_category(), cosa + " " + nome.string());
}

std::FILE* apri(const std::filesystem::path& nome, const char* modo) {
  errno = 0;
  std::FILE* f = std::fopen(nome.string().c_str(), modo);
  if (f == nullptr) fallisci(errno != 0 ? errno : EIO, "cannot open", nome);
  return f;
}
}  // namespace

void sostituisci_file(const std::filesystem::path& nome, std::string_view contenuto) {
  std::fclose(apri(nome, "ab"));
  elimina_file(nome);
  std::FILE* f = apri(nome, "wb");
  errno = 0;
  size_t scritti = contenuto.empty() ? 0 : std::fwrite(contenuto.data(), 1, contenuto.size(), f);
  int codice = errno;
  bool ok = scritti == contenuto.size();
  if (std::fclose(f) != 0 && ok) {
    ok = false;
    codice = errno;
  }
  if (!ok) {
    std::remove(nome.string().c_str());
    fallisci(codice != 0 ? codice : EIO, "cannot write", nome);
  }
}

std::string leggi_file(const std::filesystem::path& nome) {
  std::FILE* f = apri(nome, "rb");
  std::string dati;
  char blocco[65536];
  size_t n;
  while ((n = std::fread(blocco, 1, sizeof blocco, f)) > 0) dati.append(blocco, n);
  bool errore_lettura = std::ferror(f) != 0;
  int codice = errno;
  std::fclose(f);
  if (errore_lettura) fallisci(codice != 0 ? codice : EIO, "cannot read", nome);
  return dati;
}

bool esiste_file(const std::filesystem::path& nome) {
  std::error_code ec;
  return std::filesystem::is_regular_file(nome, ec);
}

void elimina_file(const std::filesystem::path& nome) {
  errno = 0;
  if (std::remove(nome.string().c_str()) != 0) fallisci(errno != 0 ? errno : EIO, "cannot delete", nome);
}

namespace {
class disco final : public archivio {
 public:
  void sostituisci(const std::filesystem::path& nome, std::string_view contenuto) override {
    sostituisci_file(nome, contenuto);
  }
  std::string leggi(const std::filesystem::path& nome) override { return leggi_file(nome); }
  bool esiste(const std::filesystem::path& nome) override { return esiste_file(nome); }
  void elimina(const std::filesystem::path& nome) override { elimina_file(nome); }
};

[[noreturn]] void manca(const std::filesystem::path& nome) {
  throw std::system_error(ENOENT, std::generic_category(), "no file " + nome.string());
}
}  // namespace

archivio& archivio_disco() {
  static disco d;
  return d;
}

void archivio_memoria::sostituisci(const std::filesystem::path& nome, std::string_view contenuto) {
  file[nome.string()] = std::string(contenuto);
}

std::string archivio_memoria::leggi(const std::filesystem::path& nome) {
  auto i = file.find(nome.string());
  if (i == file.end()) manca(nome);
  return i->second;
}

bool archivio_memoria::esiste(const std::filesystem::path& nome) { return file.count(nome.string()) != 0; }

void archivio_memoria::elimina(const std::filesystem::path& nome) {
  if (file.erase(nome.string()) == 0) manca(nome);
}
