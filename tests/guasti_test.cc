// File-system faults met by the whole run (esegui_avvio and the program) and
// by the writer. What a run should leave comes from the same run made in
// memory, step by step: a fault at one step leaves the steps before it done
// and nothing after it.
//
// Running as root, permission bits stop nothing, so the faults are made real:
// a folder under a regular file, a folder where a file must go, read-only and
// small tmpfs mounts (in a child with a mount namespace of its own, skipped
// where mounting is not allowed) and RLIMIT_FSIZE (in a child, SIGXFSZ
// ignored).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "aiuti.h"
#include "app/avvio.h"
#include "app/errore.h"
#include "documents/documenti.h"
#include "files/archivio.h"
#include "files/nomi_file.h"
#include "run/memorizza_percorso.h"

namespace {
namespace fs = std::filesystem;

const char* const programma = VALMORA2_ESEGUIBILE;
constexpr size_t pagina = 4096;

// ---- the run in memory --------------------------------------------------------

struct passo {
  bool scrive;  // a replacement; otherwise a deletion
  std::string nome;
  std::string contenuto;
};

class archivio_registrato final : public archivio {
 public:
  void sostituisci(const fs::path& nome, std::string_view contenuto) override {
    passi.push_back({true, nome.filename().string(), std::string(contenuto)});
    m_.sostituisci(nome, contenuto);
  }
  std::string leggi(const fs::path& nome) override { return m_.leggi(nome); }
  bool esiste(const fs::path& nome) override { return m_.esiste(nome); }
  void elimina(const fs::path& nome) override {
    passi.push_back({false, nome.filename().string(), {}});
    m_.elimina(nome);
  }
  std::vector<passo> passi;

 private:
  archivio_memoria m_;
};

// The program's run: the five documents, then the build.
const std::vector<passo>& corsa_in_memoria() {
  static const std::vector<passo> passi = [] {
    archivio_registrato a;
    costruzione c("cartella", identificativo_scenario, numero_treno_scenario);
    c.archivio_file = &a;
    dati_linea(c);
    dati_treno(c);
    dati_note(c);
    dati_rallentamenti(c);
    dati_scheda(c);
    (void)memorizza_percorso(c, 1);
    return a.passi;
  }();
  return passi;
}

// A folder's regular files by name, with "<cartella>" for a folder.
using stato = std::map<std::string, std::string>;
const std::string segno_cartella = "<cartella>";

stato dopo_i_passi(const std::vector<passo>& passi, size_t fino_a, stato s = {}) {
  for (size_t i = 0; i < fino_a && i < passi.size(); ++i) {
    if (passi[i].scrive) {
      s[passi[i].nome] = passi[i].contenuto;
    } else {
      s.erase(passi[i].nome);
    }
  }
  return s;
}

size_t prima_scrittura(const std::vector<passo>& passi, const std::function<bool(const passo&)>& cerca) {
  for (size_t i = 0; i < passi.size(); ++i)
    if (passi[i].scrive && cerca(passi[i])) return i;
  return passi.size();
}

size_t piu_lunga(const std::vector<passo>& passi) {
  size_t n = 0;
  for (const passo& p : passi) n = std::max(n, p.contenuto.size());
  return n;
}

stato fotografia(const fs::path& d, const std::string& escluso = {}) {
  stato s;
  for (const auto& e : fs::directory_iterator(d)) {
    const std::string nome = e.path().filename().string();
    if (nome != escluso) s[nome] = e.is_directory() ? segno_cartella : leggi(e.path());
  }
  return s;
}

// Empty when the two agree; otherwise one line per file that differs.
std::string differenze(const stato& atteso, const stato& trovato) {
  std::string d;
  for (const auto& [nome, contenuto] : atteso) {
    auto t = trovato.find(nome);
    if (t == trovato.end()) {
      d += nome + ": missing\n";
    } else if (t->second != contenuto) {
      d += nome + ": " + std::to_string(t->second.size()) + " bytes, expected " +
           std::to_string(contenuto.size()) + " other bytes\n";
    }
  }
  for (const auto& [nome, contenuto] : trovato)
    if (!atteso.contains(nome))
      d += nome + ": should not be there (" + std::to_string(contenuto.size()) + " bytes)\n";
  return d;
}

void metti(const fs::path& d, const stato& s) {
  for (const auto& [nome, contenuto] : s) {
    if (contenuto == segno_cartella) {
      fs::create_directory(d / nome);
    } else {
      scrivi(d / nome, contenuto);
    }
  }
}

// ---- outcomes and children ----------------------------------------------------

// The errno of a file-system failure and its text; 0 when there was none.
struct esito {
  int errore = 0;
  std::string testo;
};

std::string in_testo(const esito& e) { return std::to_string(e.errore) + "\n" + e.testo; }
esito da_testo(const std::string& s) {
  size_t a = s.find('\n');
  return {std::stoi(s.substr(0, a)), a == std::string::npos ? "" : s.substr(a + 1)};
}

esito corsa(const fs::path& cartella) {
  try {
    (void)esegui_avvio(cartella, identificativo_scenario, numero_treno_scenario);
  } catch (const std::system_error& e) {
    return {e.code().value(), e.what()};
  }
  return {};
}

// The platform's error number, its text, and the file it happened on.
void verifica_errore(const esito& e, int atteso, const std::string& nome) {
  EXPECT_EQ(e.errore, atteso) << e.testo;
  EXPECT_NE(e.testo.find(std::strerror(atteso)), std::string::npos) << e.testo;
  EXPECT_NE(e.testo.find(nome), std::string::npos) << e.testo;
}

const std::string senza_mount = "mount not allowed";

// Runs f in a child and hands back the text it returns.
std::string nel_figlio(const std::function<std::string()>& f) {
  int tubo[2];
  if (pipe(tubo) != 0) return "pipe failed";
  pid_t pid = fork();
  if (pid == 0) {
    close(tubo[0]);
    std::string r;
    try {
      r = f();
    } catch (const std::exception& e) {
      r = std::string("exception in the child: ") + e.what();
    }
    for (size_t fatti = 0; fatti < r.size();) {
      ssize_t n = write(tubo[1], r.data() + fatti, r.size() - fatti);
      if (n <= 0) _exit(1);
      fatti += static_cast<size_t>(n);
    }
    _exit(0);
  }
  close(tubo[1]);
  std::string r;
  char blocco[4096];
  ssize_t n;
  while ((n = read(tubo[0], blocco, sizeof blocco)) > 0) r.append(blocco, static_cast<size_t>(n));
  close(tubo[0]);
  int s = 0;
  waitpid(pid, &s, 0);
  if (!WIFEXITED(s) || WEXITSTATUS(s) != 0) return "the child ended badly";
  return r;
}

// In a child: a mount namespace of its own, so nothing mounted outlives it.
bool spazio_privato() {
  return unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}
bool monta_tmpfs(const fs::path& dove, size_t byte) {
  const std::string opzioni = "size=" + std::to_string(byte);
  return mount("tmpfs", dove.c_str(), "tmpfs", 0, opzioni.c_str()) == 0;
}
bool rendi_sola_lettura(const fs::path& dove) {
  return mount(nullptr, dove.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
}
bool lega_sola_lettura(const fs::path& dove) {
  return mount(dove.c_str(), dove.c_str(), nullptr, MS_BIND, nullptr) == 0 && rendi_sola_lettura(dove);
}

// Files above `byte` cannot grow in this process; writing past it fails with
// EFBIG instead of a signal.
void limita_file(size_t byte) {
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit r{};
  getrlimit(RLIMIT_FSIZE, &r);
  r.rlim_cur = byte;
  setrlimit(RLIMIT_FSIZE, &r);
}

// The pages of a tmpfs that a sequence of steps uses, and the first write that
// no longer fits in `pagine` pages; a replaced file's pages are free again
// before the new bytes go in.
size_t pagine_di(const std::string& s) { return (s.size() + pagina - 1) / pagina; }
size_t pagine_vive(const stato& s) {
  size_t n = 0;
  for (const auto& [nome, contenuto] : s) n += pagine_di(contenuto);
  return n;
}
size_t primo_senza_spazio(const std::vector<passo>& passi, const stato& iniziale, size_t pagine) {
  stato s = iniziale;
  for (size_t i = 0; i < passi.size(); ++i) {
    if (passi[i].scrive) {
      s.erase(passi[i].nome);
      if (pagine_vive(s) + pagine_di(passi[i].contenuto) > pagine) return i;
    }
    if (passi[i].scrive) {
      s[passi[i].nome] = passi[i].contenuto;
    } else {
      s.erase(passi[i].nome);
    }
  }
  return passi.size();
}

// A size for a tmpfs in which the run stops halfway through its longest
// write, given what the folder holds before it.
size_t pagine_a_meta(const std::vector<passo>& passi, const stato& iniziale) {
  size_t k = prima_scrittura(passi, [&](const passo& p) { return p.contenuto.size() == piu_lunga(passi); });
  stato prima = dopo_i_passi(passi, k, iniziale);
  prima.erase(passi[k].nome);
  return pagine_vive(prima) + pagine_di(passi[k].contenuto) / 2;
}

// ---- the whole run ------------------------------------------------------------

TEST(GuastiCorsa, FolderUnderARegularFile) {
  cartella_temporanea dir;
  scrivi(dir / "file", "un file");
  const esito e = corsa(dir / "file" / "cartella");
  verifica_errore(e, ENOTDIR, identificativo_scenario);
  EXPECT_EQ(differenze({{"file", "un file"}}, fotografia(dir.percorso())), "");
}

TEST(GuastiCorsa, ReadOnlyFolder) {
  cartella_temporanea dir;
  const stato vecchi = {{"Valmora2_1552.sim", "corsa precedente"}, {"altro.txt", "altro"}};
  fs::create_directory(dir / "ro");
  fs::create_directory(dir / "copia");
  const std::string r = nel_figlio([&] {
    if (!spazio_privato() || !monta_tmpfs(dir / "ro", 1 << 20)) return senza_mount;
    metti(dir / "ro", vecchi);
    if (!rendi_sola_lettura(dir / "ro")) return senza_mount;
    const esito e = corsa(dir / "ro");
    fs::copy(dir / "ro", dir / "copia", fs::copy_options::recursive);
    return in_testo(e);
  });
  if (r == senza_mount) GTEST_SKIP() << "mounting needs CAP_SYS_ADMIN";
  verifica_errore(da_testo(r), EROFS, corsa_in_memoria().front().nome);
  EXPECT_EQ(differenze(vecchi, fotografia(dir / "copia")), "");
}

// A folder where each file of the run must go: the steps before it stay done,
// the folder stays, nothing after it is written.
TEST(GuastiCorsa, NameTakenByAFolder) {
  const auto& passi = corsa_in_memoria();
  std::vector<std::string> nomi;
  for (const passo& p : passi)
    if (p.scrive && std::find(nomi.begin(), nomi.end(), p.nome) == nomi.end()) nomi.push_back(p.nome);
  ASSERT_GE(nomi.size(), 5u) << "the five documents at least";
  for (const std::string& nome : nomi) {
    SCOPED_TRACE(nome);
    cartella_temporanea dir;
    fs::create_directory(dir / nome);
    verifica_errore(corsa(dir.percorso()), EISDIR, nome);
    const size_t k = prima_scrittura(passi, [&](const passo& p) { return p.nome == nome; });
    EXPECT_EQ(differenze(dopo_i_passi(passi, k, {{nome, segno_cartella}}), fotografia(dir.percorso())), "");
  }
}

// The longest write fails halfway: the run stops there and removes that
// file, whose older version it had already deleted.
TEST(GuastiCorsa, FileSizeLimitMidWrite) {
  const auto& passi = corsa_in_memoria();
  const size_t limite = piu_lunga(passi) / 2;
  const size_t k = prima_scrittura(passi, [&](const passo& p) { return p.contenuto.size() > limite; });
  ASSERT_LT(k, passi.size());
  cartella_temporanea dir;
  const stato vecchi = {{passi[k].nome, "una versione precedente"}};
  metti(dir.percorso(), vecchi);
  const esito e = da_testo(nel_figlio([&] {
    limita_file(limite);
    return in_testo(corsa(dir.percorso()));
  }));
  verifica_errore(e, EFBIG, passi[k].nome);
  stato atteso = dopo_i_passi(passi, k, vecchi);
  atteso.erase(passi[k].nome);
  EXPECT_EQ(differenze(atteso, fotografia(dir.percorso())), "");
}

TEST(GuastiCorsa, DiskFullMidWrite) {
  const auto& passi = corsa_in_memoria();
  const stato vecchi = {{"Valmora2_1552.dat", std::string(3 * pagina, 'v')}};
  const size_t pagine = pagine_a_meta(passi, vecchi);
  const size_t k = primo_senza_spazio(passi, vecchi, pagine);
  ASSERT_LT(k, passi.size());
  cartella_temporanea dir;
  fs::create_directory(dir / "disco");
  fs::create_directory(dir / "copia");
  const std::string r = nel_figlio([&] {
    if (!spazio_privato() || !monta_tmpfs(dir / "disco", pagine * pagina)) return senza_mount;
    metti(dir / "disco", vecchi);
    const esito e = corsa(dir / "disco");
    fs::copy(dir / "disco", dir / "copia", fs::copy_options::recursive);
    return in_testo(e);
  });
  if (r == senza_mount) GTEST_SKIP() << "mounting needs CAP_SYS_ADMIN";
  verifica_errore(da_testo(r), ENOSPC, passi[k].nome);
  stato atteso = dopo_i_passi(passi, k, vecchi);
  atteso.erase(passi[k].nome);
  EXPECT_EQ(differenze(atteso, fotografia(dir / "copia")), "");
}

// Older files longer than anything the run writes, under every name: no byte
// of them is left in a file the run writes.
std::vector<std::string> tutti_i_nomi() {
  costruzione c("", identificativo_scenario, numero_treno_scenario);
  std::vector<std::string> n;
  for (const fs::path& p :
       {nomi::descrizione_linea(c), nomi::descrizione_treno(c), nomi::note(c), nomi::rallentamenti(c),
        nomi::scheda_treno(c), nomi::linea_dat(c), nomi::tabella_sim(c), nomi::percorso_dat(c)})
    n.push_back(p.filename().string());
  return n;
}

stato file_vecchi() {
  stato s;
  for (const std::string& n : tutti_i_nomi()) s[n] = std::string(piu_lunga(corsa_in_memoria()) + 1000, 'v');
  return s;
}

TEST(GuastiCorsa, OlderLongerFiles) {
  cartella_temporanea dir;
  metti(dir.percorso(), file_vecchi());
  const esito e = corsa(dir.percorso());
  EXPECT_EQ(e.errore, 0) << e.testo;
  const auto& passi = corsa_in_memoria();
  EXPECT_EQ(differenze(dopo_i_passi(passi, passi.size(), file_vecchi()), fotografia(dir.percorso())), "");
}

// Root replaces a read-only file like any other: the replacement is a new file
// with the usual permissions. Anyone else stops at the first of them, which
// stays as it was.
TEST(GuastiCorsa, ReadOnlyOlderFiles) {
  cartella_temporanea dir;
  metti(dir.percorso(), file_vecchi());
  for (const std::string& n : tutti_i_nomi())
    fs::permissions(dir / n, fs::perms::owner_read | fs::perms::group_read);
  const esito e = corsa(dir.percorso());
  const auto& passi = corsa_in_memoria();
  if (geteuid() != 0) {
    verifica_errore(e, EACCES, passi.front().nome);
    EXPECT_EQ(differenze(file_vecchi(), fotografia(dir.percorso())), "");
    return;
  }
  EXPECT_EQ(e.errore, 0) << e.testo;
  EXPECT_EQ(differenze(dopo_i_passi(passi, passi.size(), file_vecchi()), fotografia(dir.percorso())), "");
  for (const passo& p : passi) {
    if (!p.scrive || !fs::exists(dir / p.nome)) continue;
    EXPECT_NE(fs::status(dir / p.nome).permissions() & fs::perms::owner_write, fs::perms::none) << p.nome;
  }
}

// A read-only file that even root cannot replace: a read-only bind mount of
// it. Its older version stays, since the first step of the replacement fails.
TEST(GuastiCorsa, FileThatCannotBeReplaced) {
  const auto& passi = corsa_in_memoria();
  ASSERT_GE(passi.size(), 3u);
  const std::string bloccato = passi[2].nome;
  const stato vecchi = {{bloccato, "non si tocca"}};
  cartella_temporanea dir;
  fs::create_directory(dir / "disco");
  fs::create_directory(dir / "copia");
  const std::string r = nel_figlio([&] {
    if (!spazio_privato() || !monta_tmpfs(dir / "disco", 64 << 20)) return senza_mount;
    metti(dir / "disco", vecchi);
    if (!lega_sola_lettura(dir / "disco" / bloccato)) return senza_mount;
    const esito e = corsa(dir / "disco");
    fs::copy(dir / "disco", dir / "copia", fs::copy_options::recursive);
    return in_testo(e);
  });
  if (r == senza_mount) GTEST_SKIP() << "mounting needs CAP_SYS_ADMIN";
  verifica_errore(da_testo(r), EROFS, bloccato);
  EXPECT_EQ(differenze(dopo_i_passi(passi, 2, vecchi), fotografia(dir / "copia")), "");
}

// ---- the program ----------------------------------------------------------------

struct uscita_programma {
  int stato = -1;      // exit status; -1 when it did not exit normally
  std::string errore;  // its standard error
};

// Runs a copy of the program that stands in `cartella`, with `prima` applied
// to the child before it starts.
uscita_programma esegui_programma(
    const fs::path& cartella, const fs::path& errori, const std::function<void()>& prima = [] {}) {
  const fs::path copia = cartella / "valmora2";
  pid_t pid = fork();
  if (pid == 0) {
    prima();
    int fd = open(errori.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int nulla = open("/dev/null", O_RDWR);
    if (fd < 0 || nulla < 0) _exit(126);
    dup2(fd, 2);
    dup2(nulla, 1);
    dup2(nulla, 0);
    execl(copia.c_str(), copia.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int s = 0;
  waitpid(pid, &s, 0);
  return {WIFEXITED(s) ? WEXITSTATUS(s) : -1, leggi(errori)};
}

void verifica_uscita(const uscita_programma& u, int atteso, const std::string& nome) {
  EXPECT_EQ(u.stato, uscita_sistema) << u.errore;
  EXPECT_NE(u.errore.find(std::strerror(atteso)), std::string::npos) << u.errore;
  EXPECT_NE(u.errore.find(nome), std::string::npos) << u.errore;
  EXPECT_EQ(u.errore.find("Errore n."), std::string::npos) << "a file-system failure is not errore";
}

TEST(GuastiProgramma, FileSizeLimitMidWrite) {
  const auto& passi = corsa_in_memoria();
  const size_t limite = piu_lunga(passi) / 2;
  const size_t k = prima_scrittura(passi, [&](const passo& p) { return p.contenuto.size() > limite; });
  ASSERT_LT(k, passi.size());
  cartella_temporanea dir;
  fs::create_directory(dir / "prog");
  fs::copy_file(programma, dir / "prog" / "valmora2");
  const uscita_programma u = esegui_programma(dir / "prog", dir / "errori", [&] { limita_file(limite); });
  verifica_uscita(u, EFBIG, passi[k].nome);
  stato atteso = dopo_i_passi(passi, k);
  atteso.erase(passi[k].nome);
  EXPECT_EQ(differenze(atteso, fotografia(dir / "prog", "valmora2")), "");
}

// The program on a small disk of its own: its copy takes room there too.
TEST(GuastiProgramma, DiskFullMidWrite) {
  const auto& passi = corsa_in_memoria();
  const stato con_programma = {{"valmora2", leggi(programma)}};
  const size_t pagine = pagine_a_meta(passi, con_programma);
  const size_t k = primo_senza_spazio(passi, con_programma, pagine);
  ASSERT_LT(k, passi.size());
  cartella_temporanea dir;
  fs::create_directory(dir / "disco");
  fs::create_directory(dir / "copia");
  const std::string r = nel_figlio([&] {
    if (!spazio_privato() || !monta_tmpfs(dir / "disco", pagine * pagina)) return senza_mount;
    fs::copy_file(programma, dir / "disco" / "valmora2");
    const uscita_programma u = esegui_programma(dir / "disco", dir / "errori");
    fs::copy(dir / "disco", dir / "copia", fs::copy_options::recursive);
    return std::to_string(u.stato) + "\n" + u.errore;
  });
  if (r == senza_mount) GTEST_SKIP() << "mounting needs CAP_SYS_ADMIN";
  const esito u = da_testo(r);
  verifica_uscita({u.errore, u.testo}, ENOSPC, passi[k].nome);
  stato atteso = dopo_i_passi(passi, k);
  atteso.erase(passi[k].nome);
  EXPECT_EQ(differenze(atteso, fotografia(dir / "copia", "valmora2")), "");
}

TEST(GuastiProgramma, ReadOnlyFolder) {
  cartella_temporanea dir;
  fs::create_directory(dir / "ro");
  fs::create_directory(dir / "copia");
  const std::string r = nel_figlio([&] {
    if (!spazio_privato() || !monta_tmpfs(dir / "ro", 256 << 20)) return senza_mount;
    fs::copy_file(programma, dir / "ro" / "valmora2");
    if (!rendi_sola_lettura(dir / "ro")) return senza_mount;
    const uscita_programma u = esegui_programma(dir / "ro", dir / "errori");
    fs::copy(dir / "ro", dir / "copia", fs::copy_options::recursive);
    return std::to_string(u.stato) + "\n" + u.errore;
  });
  if (r == senza_mount) GTEST_SKIP() << "mounting needs CAP_SYS_ADMIN";
  const esito u = da_testo(r);
  verifica_uscita({u.errore, u.testo}, EROFS, corsa_in_memoria().front().nome);
  EXPECT_EQ(differenze({}, fotografia(dir / "copia", "valmora2")), "");
}

// ---- the writer -----------------------------------------------------------------

// A write that fails partway, both where the bytes leave at once and where
// they wait in the stream's buffer until it is closed: no file is left, and
// the older version was already gone.
TEST(GuastiScrittura, FailedWriteLeavesNoFile) {
  struct caso {
    const char* nome;
    size_t byte;
  };
  const caso casi[] = {{"buffered", 100}, {"direct", 1 << 20}};
  for (const caso& k : casi) {
    SCOPED_TRACE(k.nome);
    cartella_temporanea dir;
    const fs::path f = dir / "Valmora2_1552.dat";
    scrivi(f, std::string(2 * k.byte, 'v'));
    const esito e = da_testo(nel_figlio([&] {
      limita_file(k.byte / 2);
      try {
        sostituisci_file(f, std::string(k.byte, 'n'));
      } catch (const std::system_error& x) {
        return in_testo({x.code().value(), x.what()});
      }
      return in_testo({});
    }));
    verifica_errore(e, EFBIG, f.filename().string());
    EXPECT_EQ(differenze({}, fotografia(dir.percorso())), "");
  }
}

TEST(GuastiScrittura, DiskFullLeavesNoFile) {
  cartella_temporanea dir;
  fs::create_directory(dir / "disco");
  const std::string r = nel_figlio([&] {
    if (!spazio_privato() || !monta_tmpfs(dir / "disco", 4 * pagina)) return senza_mount;
    const fs::path f = dir / "disco" / "Valmora2_1552.sim";
    scrivi(f, "vecchio");
    esito e;
    try {
      sostituisci_file(f, std::string(10 * pagina, 'n'));
    } catch (const std::system_error& x) {
      e = {x.code().value(), x.what()};
    }
    return in_testo(e) + (fs::exists(f) ? " (file left)" : "");
  });
  if (r == senza_mount) GTEST_SKIP() << "mounting needs CAP_SYS_ADMIN";
  const esito e = da_testo(r);
  verifica_errore(e, ENOSPC, "Valmora2_1552.sim");
  EXPECT_EQ(e.testo.find("(file left)"), std::string::npos);
}

// The scenario files of a small build on disk, with a folder standing where
// each of them must go: those before it are complete, those after it are
// the earlier run's.
TEST(GuastiScrittura, ScenarioFileNameTakenByAFolder) {
  const std::string linea = descrizione_linea(generale_con(3000), {"pendenza, 500, 4", "curvad3, 200, 400"});
  const std::string treno = descrizione_treno({"segnale, 1100, 2, 4, 1, 0, 0, 2, 2,0,0, 0"});
  archivio_registrato memoria;
  costruzione m("cartella", "Valmora2", "1552");
  m.archivio_file = &memoria;
  memoria.sostituisci(nomi::descrizione_linea(m), linea);
  memoria.sostituisci(nomi::descrizione_treno(m), treno);
  memoria.passi.clear();
  ASSERT_TRUE(memorizza_percorso(m, 1).fatale.empty());
  ASSERT_EQ(m.codice_errore, 0);
  const auto& passi = memoria.passi;
  ASSERT_EQ(passi.size(), 5u) << "two deletions, three files";

  for (const char* nome : {"Valmora2_linea.dat", "Valmora2_1552.sim", "Valmora2_1552.dat"}) {
    SCOPED_TRACE(nome);
    cartella_temporanea dir;
    stato prima = {{"Valmora2_linea.dat", "precedente"},
                   {"Valmora2_1552.sim", "precedente"},
                   {"Valmora2_1552.dat", "precedente"}};
    prima[nome] = segno_cartella;
    metti(dir.percorso(), prima);
    costruzione c(dir.percorso(), "Valmora2", "1552");
    scrivi(nomi::descrizione_linea(c), linea);
    scrivi(nomi::descrizione_treno(c), treno);
    esito e;
    try {
      (void)memorizza_percorso(c, 1);
    } catch (const std::system_error& x) {
      e = {x.code().value(), x.what()};
    }
    verifica_errore(e, EISDIR, nome);
    const size_t k = prima_scrittura(passi, [&](const passo& p) { return p.nome == nome; });
    EXPECT_EQ(differenze(dopo_i_passi(passi, k, prima), fotografia(dir.percorso())), "");
  }
}
}  // namespace
