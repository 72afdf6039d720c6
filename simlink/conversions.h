// Conversions between decimal, BCD and the radio frequency forms FSUIPC uses.
//
// The frequency routines work on the value rounded to two decimals (as the
// text "000.00" would show it, halves away from zero) in integer hundredths,
// so their results do not depend on the user's number format.
#pragma once

#include "simlink/offset.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace orvex::simlink {

// The four decimal digits of `number` as BCD nibbles: 1215 -> 0x1215,
// 7 -> 0x0007. Throws OverflowError outside 0..9999.
int32_t DigitsToBcd(int32_t number);

// Turns a radio frequency held with two decimals into its 25 kHz channel
// value: a last digit 2 or 7 gets a 5 appended (118.02 -> 118.025,
// 118.07 -> 118.075); any other value keeps its two decimals (118.05).
float ExpandComFrequency(float frequency);

// Moves a frequency to the 25 kHz channel (.x00, .x25, .x50, .x75) named by
// its second decimal:
//   0 -> .x00   1 -> .x00   2 -> .x25   3 -> .x25   4 -> .x50
//   5 -> .x50   6 -> .x50   7 -> .x75   8 -> .x75   9 -> .x75
// A negative value is treated as its magnitude and keeps its sign.
float SnapToChannel(double frequency);

// The value's text form without leading and trailing blanks.
std::string TrimValue(std::string_view text);
std::string TrimValue(const OffsetValue& value);

} // namespace orvex::simlink
