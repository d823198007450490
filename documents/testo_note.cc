// The notes that go with the scenario.
#include "documents/documenti.h"

namespace {
// One entry per line of the file, exactly as it is written.
// clang-format off
constexpr std::string_view righe[] = {
    "ROMA TERMINI - FIRENZE S.M.N. (linea AV con fermata ad Arezzo)   treno IC 1552",
    "",
    "QUESTO SCENARIO AGGIORNA QUELLO PRECEDENTE SULLO STESSO PERCORSO:",
    "SONO STATI RIVISTI SEGNALI, CODICI E PROGRESSIVE CHILOMETRICHE.",
    "IL TRENO E' STATO IMPOSTATO CON 8 VETTURE.",
    "",
    "Scenario preparato da Giulio Ferranti",
    "per osservazioni e correzioni: sezione scenari del forum della comunita'",
    "",
    "",
    "Note dello scenario precedente",
    "",
    " Il treno e' un intercity con una sola fermata intermedia, ad Arezzo.",
    " Parte da Roma Termini alle 13.54 e arriva a Firenze S.M.N. alle 15.58.",
    "",
    " Il percorso si svolge sulla linea AV da Roma fino al bivio di Arezzo sud;",
    " da li' il treno prende la linea lenta per raggiungere la fermata di Arezzo",
    " e rientra sulla linea AV al bivio di Arezzo nord, fino a Firenze.",
    "",
    " La progressiva chilometrica cambia ai due bivi di Arezzo, dove si passa",
    " dalla linea AV alla linea lenta e viceversa, e alla fine della linea AV",
    " prima di Firenze Rovezzano.",
    "",
    " Non ci sono rallentamenti e tutti i segnali sono a via libera.",
    "",
    " L'aderenza e' discreta fino ad Arezzo, poi buona.",
    "",
    " Prima dell'ultima stazione i codici restrittivi obbligano il macchinista",
    " a ridurre la velocita'.",
    "",
    " I due bivi di Orte e il collegamento tra loro sono simulati come un'unica",
    " stazione.",
    "",
    " La massa frenata del treno e' del 130% e la fermata di Arezzo dura",
    " un minuto.",
    "",
    " Buon viaggio.",
};
// clang-format on
}  // namespace

std::span<const std::string_view> righe_note() { return righe; }
