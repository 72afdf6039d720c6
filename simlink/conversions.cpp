#include "simlink/conversions.h"

#include <cmath>

namespace orvex::simlink {

namespace {

// Values whose hundredths do not fit comfortably in 64 bits (and NaN or
// infinities) are returned as they are.
constexpr double kLargestFrequency = 1e15;

// The value rounded to hundredths, halves away from zero, as a formatted
// "000.00" text would hold it. False for values too large or not finite.
bool Hundredths(double v, int64_t& out) {
    if (!std::isfinite(v) || std::fabs(v) >= kLargestFrequency) return false;
    out = std::llround(v * 100.0);
    return true;
}

float FromThousandths(bool negative, int64_t thousandths) {
    const double v = static_cast<double>(thousandths) / 1000.0;
    return static_cast<float>(negative ? -v : v);
}

} // namespace

int32_t DigitsToBcd(int32_t number) {
    if (number < 0 || number > 9999) throw OverflowError("BCD value outside 0..9999");
    return (number / 1000) * 4096 + (number / 100 % 10) * 256 + (number / 10 % 10) * 16 + number % 10;
}

float ExpandComFrequency(float frequency) {
    int64_t h = 0;
    if (!Hundredths(static_cast<double>(frequency), h)) return frequency;
    const bool negative = h < 0;
    if (negative) h = -h;
    const int64_t last = h % 10;
    const int64_t thousandths = (last == 2 || last == 7) ? h * 10 + 5 : h * 10;
    return FromThousandths(negative, thousandths);
}

float SnapToChannel(double frequency) {
    static constexpr int64_t kEnding[10] = {0, 0, 25, 25, 50, 50, 50, 75, 75, 75};
    int64_t h = 0;
    if (!Hundredths(frequency, h)) return static_cast<float>(frequency);
    const bool negative = h < 0;
    if (negative) h = -h;
    const int64_t last = h % 10;
    const int64_t tenths = h - last;  // in hundredths: the text's first five characters
    return FromThousandths(negative, tenths * 10 + kEnding[last]);
}

std::string TrimValue(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return std::string(text);
}

std::string TrimValue(const OffsetValue& value) { return TrimValue(value.AsText()); }

} // namespace orvex::simlink
