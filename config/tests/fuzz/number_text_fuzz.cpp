// Any text through the number reader with any decimal separator: a text
// that reads is a number within a half of the value written (a tie going to
// the even one), the range-checked readers agree with it, and its decimal
// text reads back to the same number.
#include "config/number_text.h"

#include "tests/support/fuzz_input.h"

#include <cmath>

namespace {

using namespace orvex::config;
using orvex::fuzzing::FuzzInput;

// The value the text means, by a simple reading of its own (digits and one
// separator after blanks and a sign), for a comparison in floating point.
void Meaning(std::string_view text, char separator, long double& value, std::size_t& digits, bool& tie) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    value = 0;
    digits = 0;
    long double scale = 1;
    bool fraction = false;
    std::string fractionDigits;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            ++digits;
            if (fraction) {
                value += (scale /= 10) * (c - '0');
                fractionDigits += c;
            } else {
                value = value * 10 + (c - '0');
            }
        } else if (c == separator && !fraction) {
            fraction = true;
        } else {
            break;
        }
    }
    if (negative) value = -value;
    // Exactly a half: a 5 and nothing but zeros after it.
    tie = !fractionDigits.empty() && fractionDigits[0] == '5' &&
          fractionDigits.find_first_not_of('0', 1) == std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const std::uint8_t how = in.Byte();
    const NumberLocale locale{how & 1 ? ',' : how & 2 ? static_cast<char>(in.Byte()) : '.'};
    const std::string text = in.Rest();

    const auto value = ParseRoundedInteger(text, locale);
    const auto asLong = ToLong(text, locale);
    const auto asInteger = ToInteger(text, locale);
    const auto asByte = ToByte(text, locale);
    if (!value) {
        FUZZ_CHECK(!asLong && !asInteger && !asByte);
        FUZZ_CHECK(CLngDefault(text, 12345, locale) == 12345);
        return 0;
    }
    FUZZ_CHECK(asLong.has_value() == (*value >= INT32_MIN && *value <= INT32_MAX));
    FUZZ_CHECK(asInteger.has_value() == (*value >= INT16_MIN && *value <= INT16_MAX));
    FUZZ_CHECK(asByte.has_value() == (*value >= 0 && *value <= 255));
    if (asLong) FUZZ_CHECK(*asLong == *value && CLngDefault(text, 12345, locale) == *value);
    if (asInteger) FUZZ_CHECK(*asInteger == *value);
    if (asByte) FUZZ_CHECK(*asByte == *value);

    const std::string decimal = DecimalText(*value);
    FUZZ_CHECK(ParseRoundedInteger(decimal, NumberLocale{}) == value);
    FUZZ_CHECK(ParseRoundedInteger(" " + decimal + "\t", locale) == value || locale.DecimalSeparator == ' ' ||
               locale.DecimalSeparator == '\t' || (locale.DecimalSeparator >= '0' && locale.DecimalSeparator <= '9'));

    long double meant = 0;
    std::size_t digits = 0;
    bool tie = false;
    Meaning(text, locale.DecimalSeparator, meant, digits, tie);
    // Within a half; a half exactly goes to the even neighbour.
    if (digits <= 17) FUZZ_CHECK(std::fabs(static_cast<long double>(*value) - meant) <= 0.5000001L);
    if (tie) FUZZ_CHECK(*value % 2 == 0);
    return 0;
}
