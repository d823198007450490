#include "provenienza.h"

#include <algorithm>
#include <cstdlib>

#include "diagnostica.h"
#include "files/archivio.h"
#include "files/nomi_file.h"
#include "model/campi.h"
#include "model/dominio.h"
#include "model/osservatore.h"
#include "run/memorizza_percorso.h"

namespace autori {

namespace {

std::string n(int64_t v) { return std::to_string(v); }

// Every record but the tunnel says which cell it took. A tunnel lights its
// cells unannounced: the cells that turn into lights while it is the record
// in hand are its own.
class ascoltatore final : public osservatore_costruzione {
 public:
  explicit ascoltatore(const costruzione& c) : c_(c) {}

  void notifica(const evento_costruzione& e) override {
    if (galleria_ && (e.specie == evento::record || e.specie == evento::ignorato || e.documento != 1))
      chiudi_galleria();
    switch (e.specie) {
      case evento::record:
        campi_.clear();
        if (e.record == "montagna") {
          galleria_ = origine_cella{true, e.documento, e.inizio_record, e.record, false};
          luci_prima_.assign(c_.percorso.size(), false);
          for (size_t i = 0; i < c_.percorso.size(); ++i)
            luci_prima_[i] = c_.percorso[i].tipo == tipo_cella::luce_galleria;
        }
        break;
      case evento::campo:
        if (e.campo >= 1) {
          campi_.resize(std::max(campi_.size(), static_cast<size_t>(e.campo)));
          campi_[static_cast<size_t>(e.campo) - 1] = e.letto;
        }
        break;
      case evento::cella:
        if (e.memorizzato >= 0) {
          metti(static_cast<size_t>(e.memorizzato), {true, e.documento, e.inizio_record, e.record, false});
          // What a code cut asked for, to tell it from what the finishing pass left.
          if (e.record == "abbattimento" && campi_.size() >= 2)
            codici_[static_cast<size_t>(e.memorizzato)] = campi_[1];
        }
        break;
      default:
        break;
    }
  }

  void fine() {
    if (galleria_) chiudi_galleria();
  }

  std::vector<std::optional<origine_cella>> celle;
  std::vector<std::optional<int64_t>> codici_;

 private:
  void metti(size_t i, const origine_cella& o) {
    if (i >= celle.size()) {
      celle.resize(i + 1);
      codici_.resize(i + 1);
    }
    celle[i] = o;
    codici_[i].reset();
  }

  void chiudi_galleria() {
    const size_t m = std::min(luci_prima_.size(), c_.percorso.size());
    for (size_t i = 0; i < m; ++i)
      if (!luci_prima_[i] && c_.percorso[i].tipo == tipo_cella::luce_galleria) metti(i, *galleria_);
    galleria_.reset();
  }

  const costruzione& c_;
  std::vector<int64_t> campi_;
  std::optional<origine_cella> galleria_;
  std::vector<bool> luci_prima_;
};

// The first field where two cells differ, as "tipo is 1 in the file, 0 from
// the descriptions"; empty when none does.
std::string differenza(const cella& file, const cella& costruita) {
  std::string d;
  per_ogni_campo<cella>([&](const auto& c) {
    if (d.empty() && file.*c.membro != costruita.*c.membro)
      d = std::string(c.nome)
              .append(" is ")
              .append(n(file.*c.membro))
              .append(" in the file, ")
              .append(n(costruita.*c.membro))
              .append(" from the descriptions");
  });
  return d;
}

}  // namespace

provenienza provenienza_celle(const std::vector<cella>& celle, const std::string& linea,
                              const std::string& treno, const std::string& identificativo,
                              const std::string& numero_treno) {
  provenienza p;
  costruzione c("", identificativo, numero_treno);
  archivio_memoria memoria;
  c.archivio_file = &memoria;
  ascoltatore a(c);
  c.osservatore = &a;
  memoria.sostituisci(nomi::descrizione_linea(c), linea);
  memoria.sostituisci(nomi::descrizione_treno(c), treno);
  const esito_costruzione e = memorizza_percorso(c, 1);
  a.fine();
  if (!e.fatale.empty()) {
    const int32_t codice = std::atoi(e.fatale.c_str());
    p.scarto = std::string("stop the build with \" Errore n. ")
                   .append(e.fatale)
                   .append("\" (")
                   .append(descrivi_codice(codice).parole)
                   .append("), so they build no cells to compare");
    return p;
  }
  if (c.percorso.size() != celle.size()) {
    p.scarto = std::string("build ")
                   .append(n(static_cast<int64_t>(c.percorso.size())))
                   .append(" cells, the file holds ")
                   .append(n(static_cast<int64_t>(celle.size())));
    return p;
  }
  for (size_t i = 0; i < celle.size(); ++i) {
    const std::string d = differenza(celle[i], c.percorso[i]);
    if (d.empty()) continue;
    p.scarto = std::string("build other cells: cell ").append(n(static_cast<int64_t>(i)));
    p.scarto.append(": ").append(d);
    if (i == cella_timbro && celle[i].*codice_cella != c.percorso[i].*codice_cella)
      p.scarto.append(" (the object competition code, which the identity ")
          .append(identificativo)
          .append(" ")
          .append(numero_treno)
          .append(" gives: name the file's with --id and --number)");
    return p;
  }
  p.celle.resize(celle.size());
  a.celle.resize(celle.size());
  a.codici_.resize(celle.size());
  for (size_t i = 0; i < celle.size(); ++i) {
    const uint8_t tipo = celle[i].tipo;
    if (tipo == tipo_cella::nessuno) continue;
    const std::optional<origine_cella>& o = a.celle[i];
    if (tipo == tipo_cella::punto_codice && (!o || o->record != "abbattimento")) {
      // The finishing pass marks free cells with code points for the slowdowns.
      p.celle[i] = origine_cella{false, 0, 0, {}, false};
      continue;
    }
    if (!o) continue;
    p.celle[i] = o;
    if (tipo == tipo_cella::punto_codice && a.codici_[i] &&
        static_cast<int16_t>(static_cast<uint16_t>(*a.codici_[i])) != celle[i].dato1)
      p.celle[i]->abbassato = true;
  }
  return p;
}

}  // namespace autori
