// Text to number conversions used for every numeric value read from the
// configuration files and the event action texts.
//
// The conversion is the ordinary locale-aware one of the user interface:
// blanks around the number are allowed, an optional sign, decimal digits and
// an optional fraction after the user's decimal separator. A fraction is
// rounded to the nearest integer, a tie to the even one ("2.5" is 2, "3.5"
// is 4). Anything else (an empty text, letters, a second separator) fails.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvex::config {

// The part of the user's locale that number conversion depends on. The
// Windows side fills it from the user's regional settings.
struct NumberLocale {
    char DecimalSeparator = '.';
};

// The text as an integer rounded to even, or nothing when it is not a number
// or its magnitude does not fit 64 bits.
std::optional<std::int64_t> ParseRoundedInteger(std::string_view text, NumberLocale locale);

// The same, range-checked for the target type (after rounding).
std::optional<std::int32_t> ToLong(std::string_view text, NumberLocale locale);
std::optional<std::int16_t> ToInteger(std::string_view text, NumberLocale locale);
std::optional<std::uint8_t> ToByte(std::string_view text, NumberLocale locale);

// CLngDefault: the text as a 32-bit integer, the fallback when it does not
// convert.
std::int32_t CLngDefault(std::string_view text, std::int32_t fallback, NumberLocale locale = {});

// Decimal text of a number, without blanks.
std::string DecimalText(std::int64_t value);

} // namespace orvex::config
