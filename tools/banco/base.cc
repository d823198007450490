// The yardstick of a whole run: a process that only creates the files of a
// run and writes their bytes, one write each. The bytes come from a folder
// that a run made beforehand; they are all read in before the first file is
// created, as the program holds its model before it writes.
// Usage: banco_base SOURCE DEST
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct file {
  std::string nome;
  std::string byte;
};

bool leggi(const std::filesystem::path& p, std::string& dati) {
  const int fd = open(p.c_str(), O_RDONLY);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = fstat(fd, &st) == 0;
  if (ok) {
    dati.resize(static_cast<size_t>(st.st_size));
    ok = read(fd, dati.data(), dati.size()) == static_cast<ssize_t>(dati.size());
  }
  close(fd);
  return ok;
}

// An older file goes first, as the program replaces it: writing over it
// through O_TRUNC would have ext4 flush the new bytes at close.
bool scrivi(const std::filesystem::path& p, const std::string& dati) {
  unlink(p.c_str());
  const int fd = open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return false;
  bool ok = write(fd, dati.data(), dati.size()) == static_cast<ssize_t>(dati.size());
  return close(fd) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: banco_base SOURCE DEST\n");
    return 64;
  }
  std::vector<file> file;
  std::error_code ec;
  for (const auto& voce : std::filesystem::directory_iterator(argv[1], ec)) {
    if (!voce.is_regular_file()) continue;
    file.push_back({voce.path().filename().string(), {}});
    if (!leggi(voce.path(), file.back().byte)) {
      std::perror(voce.path().c_str());
      return 1;
    }
  }
  if (ec) {
    std::fprintf(stderr, "%s: %s\n", argv[1], ec.message().c_str());
    return 1;
  }
  for (const auto& f : file) {
    const auto p = std::filesystem::path(argv[2]) / f.nome;
    if (!scrivi(p, f.byte)) {
      std::perror(p.c_str());
      return 1;
    }
  }
  return 0;
}
