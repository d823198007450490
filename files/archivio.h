// File operations of the run, one file at a time. A failure of the file system
// is not caught here: it leaves as std::system_error carrying the platform's
// error number and text.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

// Replaces a file in four steps: open (creating it), close, delete, open again
// and write the bytes in one operation. A write that fails removes the half
// written file so that nothing truncated is left behind.
void sostituisci_file(const std::filesystem::path& nome, std::string_view contenuto);

// The whole content of a file; throws std::system_error when it cannot be read.
std::string leggi_file(const std::filesystem::path& nome);

bool esiste_file(const std::filesystem::path& nome);

// Deletes a file; throws std::system_error when the deletion fails.
void elimina_file(const std::filesystem::path& nome);

// The files of a build. The program uses the disk; tests and the fuzzer keep
// a whole build in memory.
class archivio {
 public:
  virtual ~archivio() = default;
  virtual void sostituisci(const std::filesystem::path& nome, std::string_view contenuto) = 0;
  virtual std::string leggi(const std::filesystem::path& nome) = 0;
  virtual bool esiste(const std::filesystem::path& nome) = 0;
  virtual void elimina(const std::filesystem::path& nome) = 0;
};

archivio& archivio_disco();

class archivio_memoria final : public archivio {
 public:
  void sostituisci(const std::filesystem::path& nome, std::string_view contenuto) override;
  std::string leggi(const std::filesystem::path& nome) override;
  bool esiste(const std::filesystem::path& nome) override;
  void elimina(const std::filesystem::path& nome) override;
  std::map<std::string, std::string> file;
};
