// The five documents the program carries, and the writers that put them
// beside the scenario files.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "model/costruzione.h"

// Marks the end of a document; it is never written.
inline constexpr std::string_view sentinella = "riferimento fine del file";
// A document's storage holds this many entries, the sentinel included.
inline constexpr size_t capienza_documento = 1001;

std::span<const std::string_view> righe_linea();
std::span<const std::string_view> righe_treno();
std::span<const std::string_view> righe_note();
std::span<const std::string_view> righe_rallentamenti();
std::span<const std::string_view> righe_scheda();

// The bytes of a document file: each line up to the sentinel, followed by CR LF.
std::string componi_documento(std::span<const std::string_view> righe);

void dati_linea(const costruzione& c);
void dati_treno(const costruzione& c);
void dati_note(const costruzione& c);
void dati_rallentamenti(const costruzione& c);
void dati_scheda(const costruzione& c);
