// Number patterns of the radio displays: "0.00", "0000.0", "00.0", "000",
// "00", "0000", "00.00", "000.0000".
//
// Every '0' before the '.' is an integer digit that is always shown (more
// are shown when the value needs them); every '0' after it is a decimal that
// is always shown. Other characters of a pattern are ignored. The value is
// rounded to the last digit shown, halves away from zero, the way a number
// format does; a '.' is the decimal point (the display treats '.' and ','
// alike). A negative value gets a leading minus sign unless it rounds to
// zero. A value that is not finite gives an empty text.
//
// Rounding works on the value's decimal form, not on its binary noise:
// - a double counts with 15 significant digits, so 2.675 (held as
//   2.67499999...) rounds to "2.68";
// - a single-precision value counts with its shortest decimal form, the
//   digits it was read or typed as, so 1.005f (held as 1.00499999...) rounds
//   to "1.01" and 118.025f to "118.03".
// Radio values that are read as singles (frequencies, ADF, QNH) are
// formatted with the single-precision form.
//
// The Append forms add to a text without allocating once its capacity
// suffices, for the display refresh that runs every poll tick.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvex::panels::radio {

void AppendNumber(std::string& out, double value, std::string_view pattern);
void AppendSingle(std::string& out, float value, std::string_view pattern);

std::string FormatNumber(double value, std::string_view pattern);
std::string FormatSingle(float value, std::string_view pattern);

// The four digits FSUIPC keeps of a COM or NAV frequency in MHz: the
// frequency written with "000.0000", its 2nd-3rd and 5th-6th characters as
// one number (121.5 -> 2150, 118.025 -> 1802). -1 for a frequency that has
// no such form (below 100 or from 200 MHz on, after rounding).
std::int32_t FrequencyDigits(double frequency);

} // namespace orvex::panels::radio
