// The two competition codes, derived from the train number and the scenario
// identifier alone (rows 86 and 85).
#pragma once

#include <cstdint>

#include "model/costruzione.h"

inline constexpr const char* testo_riempimento = "aabbccddeeffgghhiillmmnnoo";

int32_t codice_gara_og(costruzione& c);
int32_t codice_gara_st(costruzione& c);
