#include "files/nomi_file.h"

namespace nomi {
namespace {
std::filesystem::path del_treno(const identita& c, const std::string& coda) {
  return c.cartella / (c.identificativo + "_" + c.numero_treno + coda);
}
}  // namespace

std::filesystem::path descrizione_linea(const identita& c) {
  return c.cartella / (c.identificativo + "_linea.txt");
}
std::filesystem::path descrizione_treno(const identita& c) { return del_treno(c, "-.txt"); }
std::filesystem::path note(const identita& c) { return del_treno(c, "_note.txt"); }
std::filesystem::path rallentamenti(const identita& c) { return del_treno(c, "_rallentamenti.txt"); }
std::filesystem::path scheda_treno(const identita& c) { return del_treno(c, "_scheda_treno.txt"); }
std::filesystem::path linea_dat(const identita& c) { return c.cartella / (c.identificativo + "_linea.dat"); }
std::filesystem::path tabella_sim(const identita& c) { return del_treno(c, ".sim"); }
std::filesystem::path percorso_dat(const identita& c) { return del_treno(c, ".dat"); }
}  // namespace nomi
