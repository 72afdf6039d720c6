#include "panels/radio/radio_format.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace orvex::panels::radio {

namespace {

// A number as decimal digits: value = 0.d0 d1 d2 ... x 10^point, so `point`
// digits stand before the decimal point (none when it is 0 or less). Digit 0
// is always a guard '0', so rounding up never runs out of digits.
struct DecimalDigits {
    char digits[72];
    int count = 0;
    int point = 0;
    bool negative = false;

    char At(int i) const { return (i >= 0 && i < count) ? digits[i] : '0'; }
};

// Reads what std::to_chars wrote in scientific form ("-1.18025e+02").
bool FromScientific(const char* first, const char* last, DecimalDigits& d) {
    d.negative = false;
    d.count = 0;
    if (first != last && *first == '-') {
        d.negative = true;
        ++first;
    }
    d.digits[d.count++] = '0';
    const int capacity = static_cast<int>(sizeof d.digits);
    for (; first != last && *first != 'e'; ++first) {
        if (*first == '.') continue;
        if (*first < '0' || *first > '9' || d.count == capacity) return false;
        d.digits[d.count++] = *first;
    }
    if (first == last || ++first == last) return false;
    if (*first == '+') ++first;
    int exponent = 0;
    const auto [end, ec] = std::from_chars(first, last, exponent);
    if (ec != std::errc() || end != last) return false;
    d.point = exponent + 2; // one digit before the mantissa's point, plus the guard
    return true;
}

struct Pattern {
    int integerDigits = 0;
    int decimals = 0;
};

Pattern ParsePattern(std::string_view pattern) {
    Pattern p;
    bool afterPoint = false;
    for (char c : pattern) {
        if (c == '.') afterPoint = true;
        else if (c == '0') ++(afterPoint ? p.decimals : p.integerDigits);
    }
    return p;
}

// Rounds the digits to `decimals` places, halves away from zero.
void Round(DecimalDigits& d, int decimals) {
    const int keep = d.point + decimals;
    if (keep <= 0) {
        d.count = 0; // below half of the last place shown: zero
        return;
    }
    if (keep >= d.count) return;
    const bool up = d.digits[keep] >= '5';
    d.count = keep;
    if (!up) return;
    for (int i = keep - 1; i >= 0; --i) {
        if (d.digits[i] != '9') {
            ++d.digits[i];
            return;
        }
        d.digits[i] = '0';
    }
}

void Append(std::string& out, DecimalDigits& d, std::string_view patternText) {
    const Pattern pattern = ParsePattern(patternText);
    Round(d, pattern.decimals);

    bool nonZero = false;
    for (int i = 0; i < d.count; ++i) nonZero = nonZero || d.digits[i] != '0';
    if (d.negative && nonZero) out.push_back('-');

    int significant = 0; // integer digits from the first non-zero one on
    for (int i = 0; i < d.point; ++i) {
        if (d.At(i) != '0') {
            significant = d.point - i;
            break;
        }
    }
    const int shown = significant > pattern.integerDigits ? significant : pattern.integerDigits;
    for (int i = d.point - shown; i < d.point; ++i) out.push_back(d.At(i));
    if (pattern.decimals > 0) {
        out.push_back('.');
        for (int i = d.point; i < d.point + pattern.decimals; ++i) out.push_back(d.At(i));
    }
}

} // namespace

void AppendNumber(std::string& out, double value, std::string_view pattern) {
    if (!std::isfinite(value)) return;
    char text[64];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, 14);
    DecimalDigits d;
    if (ec != std::errc() || !FromScientific(text, end, d)) return;
    Append(out, d, pattern);
}

void AppendSingle(std::string& out, float value, std::string_view pattern) {
    if (!std::isfinite(value)) return;
    char text[64];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific);
    DecimalDigits d;
    if (ec != std::errc() || !FromScientific(text, end, d)) return;
    Append(out, d, pattern);
}

std::string FormatNumber(double value, std::string_view pattern) {
    std::string out;
    AppendNumber(out, value, pattern);
    return out;
}

std::string FormatSingle(float value, std::string_view pattern) {
    std::string out;
    AppendSingle(out, value, pattern);
    return out;
}

std::int32_t FrequencyDigits(double frequency) {
    std::string text; // fits the short-string buffer: no allocation
    AppendNumber(text, frequency, "000.0000");
    if (text.size() != 8 || text[0] != '1' || text[3] != '.') return -1;
    return (text[1] - '0') * 1000 + (text[2] - '0') * 100 + (text[4] - '0') * 10 + (text[5] - '0');
}

} // namespace orvex::panels::radio
