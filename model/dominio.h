// The names of the scenario's domain: what a cell's tipo means, which rows of
// the table hold parameters, and where a build leaves its stamp.
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/scenario.h"

// Values of cella::tipo.
namespace tipo_cella {
inline constexpr uint8_t nessuno = 0;
inline constexpr uint8_t segnale = 1;
inline constexpr uint8_t fine_rallentamento = 2;
inline constexpr uint8_t inizio_rallentamento = 3;
inline constexpr uint8_t tabella_avviso = 4;
// The four cells before a warning board.
inline constexpr uint8_t avvicinamento = 5;
inline constexpr uint8_t indicatore_velocita = 6;
inline constexpr uint8_t stazione = 10;
// Counts as free: anything placed there replaces it.
inline constexpr uint8_t luce_galleria = 11;
inline constexpr uint8_t punto_codice = 12;
inline constexpr uint8_t punto_senza_codice = 13;
inline constexpr uint8_t cartello = 14;
}  // namespace tipo_cella

// Rows of tabella_scenario. Stations grow from row 1 upward, sign texts from
// riga_primo_cartello downward; the rows above hold the scenario's parameters.
inline constexpr int riga_primo_cartello = 80;
// The three kilometre-chainage sections, the furthest first once ordered.
inline constexpr int riga_progressiva_lontana = 81;
inline constexpr int riga_progressiva_media = 82;
inline constexpr int riga_progressiva_vicina = 83;
// Braked mass, route length, coaches.
inline constexpr int riga_percorso = 84;
// Scenario identifier and background.
inline constexpr int riga_identita = 85;
// Train number, signal repetition, sand, clock.
inline constexpr int riga_treno = 86;

// Every build stamps cell 1 and row 85 with a marker and a competition code.
inline constexpr size_t cella_timbro = 1;
inline constexpr int riga_timbro = riga_identita;
inline constexpr int16_t cella::*marcatore_cella = &cella::dato1;
inline constexpr int16_t cella::*codice_cella = &cella::dato2;
inline constexpr int16_t riga_scenario::*marcatore_riga = &riga_scenario::d2_a;
inline constexpr int32_t riga_scenario::*codice_riga = &riga_scenario::orario;
inline constexpr int16_t valore_marcatore_cella = 5121;
inline constexpr int16_t valore_marcatore_riga = 610;
