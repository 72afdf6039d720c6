#include "config/number_text.h"

#include <limits>

namespace orvex::config {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

template <class T>
std::optional<T> InRange(std::optional<std::int64_t> v) {
    if (!v || *v < std::numeric_limits<T>::min() || *v > std::numeric_limits<T>::max()) return std::nullopt;
    return static_cast<T>(*v);
}

} // namespace

std::optional<std::int64_t> ParseRoundedInteger(std::string_view text, NumberLocale locale) {
    text = TrimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // The magnitude is built from the digits; the fraction is only looked at
    // for rounding, exactly, without floating point.
    constexpr std::uint64_t kLimit = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    std::uint64_t magnitude = 0;
    std::size_t i = 0;
    std::size_t digits = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i, ++digits) {
        const auto d = static_cast<std::uint64_t>(text[i] - '0');
        if (magnitude > (kLimit - d) / 10) return std::nullopt;
        magnitude = magnitude * 10 + d;
    }
    int firstFraction = -1;   // first fractional digit, -1 when none
    bool restNonZero = false; // any non-zero digit after the first fractional one
    if (i < text.size() && text[i] == locale.DecimalSeparator) {
        ++i;
        for (; i < text.size() && IsDigit(text[i]); ++i, ++digits) {
            const int d = text[i] - '0';
            if (firstFraction < 0) firstFraction = d;
            else if (d != 0) restNonZero = true;
        }
    }
    if (digits == 0 || i != text.size()) return std::nullopt;
    bool roundUp = false;
    if (firstFraction > 5 || (firstFraction == 5 && restNonZero)) roundUp = true;
    else if (firstFraction == 5) roundUp = (magnitude % 2) == 1; // a tie goes to the even one
    if (roundUp) {
        if (magnitude == kLimit) return std::nullopt;
        ++magnitude;
    }
    const auto value = static_cast<std::int64_t>(magnitude);
    return negative ? -value : value;
}

std::optional<std::int32_t> ToLong(std::string_view text, NumberLocale locale) {
    return InRange<std::int32_t>(ParseRoundedInteger(text, locale));
}

std::optional<std::int16_t> ToInteger(std::string_view text, NumberLocale locale) {
    return InRange<std::int16_t>(ParseRoundedInteger(text, locale));
}

std::optional<std::uint8_t> ToByte(std::string_view text, NumberLocale locale) {
    return InRange<std::uint8_t>(ParseRoundedInteger(text, locale));
}

std::int32_t CLngDefault(std::string_view text, std::int32_t fallback, NumberLocale locale) {
    return ToLong(text, locale).value_or(fallback);
}

std::string DecimalText(std::int64_t value) { return std::to_string(value); }

} // namespace orvex::config
