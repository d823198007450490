// Small text helpers that every command of the authors' tool shares.
#pragma once

#include <string>
#include <string_view>

namespace autori {

// A value with as many decimals as the step between its neighbours needs
// (none for a step of 1 or more); never "-0".
std::string con_decimali(double valore, double passo);

// A position as kilometres with three decimals: "12.345 km".
std::string km_esatti(double metri);

// The scenario's texts are 8-bit; each byte is read as Latin-1.
std::string utf8_da_latin1(std::string_view latin1);

}  // namespace autori
