// The three scenario files. Each is the image of one model variable:
//
// _linea.dat  every x element of tracciato for metres 0..M, then every y
//             element; an element is a 16-bit type code (0 empty, 2 integer,
//             5 double) followed by 0, 2 or 8 value bytes.
// .sim        the 87 rows of tabella_scenario, 34 bytes plus the name each:
//             tipo u8, inizio i32, fine i32, posizione_stazione i32, tps u8,
//             nome (u16 length + bytes), d2_a d3_a d1_b d2_b d3_b i16,
//             rap ac mar tab u8, orario i32.
// .dat        every cella of percorso, 15 bytes each: tipo u8, dato1..dato4
//             i16, tempo avviso galleria vel_limite pendenza aderenza u8.
//
// All numbers little-endian, no padding, no header.
#pragma once

#include <string>
#include <vector>

#include "model/costruzione.h"

inline constexpr int16_t specie_vuoto = 0;
inline constexpr int16_t specie_intero = 2;
inline constexpr int16_t specie_reale = 5;
inline constexpr size_t byte_cella = 15;
inline constexpr size_t byte_riga_senza_nome = 34;

std::string codifica_tracciato(const tracciato_t& t);
std::string codifica_tabella(const tabella& t);
std::string codifica_percorso(const std::vector<cella>& p);

void codifica_cella(std::string& s, const cella& c);
void codifica_riga(std::string& s, const riga_scenario& r);

// Writes the plan (when genera_tracciato is set), the table and the cells.
void scrivi_file_scenario(const costruzione& c);
