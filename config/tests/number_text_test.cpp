#include "config/number_text.h"

#include <gtest/gtest.h>

namespace orvex::config {
namespace {

TEST(NumberText, IntegersWithBlanksAndSigns) {
    EXPECT_EQ(ToLong("42", {}), 42);
    EXPECT_EQ(ToLong("  42 ", {}), 42);
    EXPECT_EQ(ToLong("\t-17", {}), -17);
    EXPECT_EQ(ToLong("+5", {}), 5);
    EXPECT_EQ(ToLong("-2147483648", {}), INT32_MIN);
    EXPECT_EQ(ToLong("2147483647", {}), INT32_MAX);
    EXPECT_FALSE(ToLong("2147483648", {}));
    EXPECT_FALSE(ParseRoundedInteger("99999999999999999999", {}));
}

TEST(NumberText, NonNumbersFail) {
    for (const char* text : {"", " ", "FAIL", "abc", "12a", "1 2", "-", "+", ".", "1..2", "0x10", "1,5", "4 .5"})
        EXPECT_FALSE(ParseRoundedInteger(text, {})) << '"' << text << '"';
}

TEST(NumberText, FractionsRoundToEvenWithTheLocaleSeparator) {
    EXPECT_EQ(ParseRoundedInteger("2.5", {}), 2);
    EXPECT_EQ(ParseRoundedInteger("3.5", {}), 4);
    EXPECT_EQ(ParseRoundedInteger("2.50001", {}), 3);
    EXPECT_EQ(ParseRoundedInteger("2.4999", {}), 2);
    EXPECT_EQ(ParseRoundedInteger("-2.5", {}), -2);
    EXPECT_EQ(ParseRoundedInteger("-3.5", {}), -4);
    EXPECT_EQ(ParseRoundedInteger(".5", {}), 0);
    EXPECT_EQ(ParseRoundedInteger("7.", {}), 7);
    const NumberLocale comma{','};
    EXPECT_EQ(ParseRoundedInteger("6,5", comma), 6);
    EXPECT_FALSE(ParseRoundedInteger("6.5", comma));
}

TEST(NumberText, RangesAreCheckedAfterRounding) {
    EXPECT_EQ(ToByte("255", {}), 255);
    EXPECT_EQ(ToByte("255.4", {}), 255);
    EXPECT_FALSE(ToByte("255.5", {}));
    EXPECT_FALSE(ToByte("256", {}));
    EXPECT_FALSE(ToByte("-1", {}));
    EXPECT_EQ(ToByte("-0.4", {}), 0);
    EXPECT_EQ(ToInteger("-32768", {}), -32768);
    EXPECT_FALSE(ToInteger("32768", {}));
}

TEST(NumberText, CLngDefaultFallsBack) {
    EXPECT_EQ(CLngDefault("FAIL", 7), 7);
    EXPECT_EQ(CLngDefault("42", 7), 42);
    EXPECT_EQ(CLngDefault("", 7), 7);
    EXPECT_EQ(CLngDefault("9999999999", 7), 7);
}

} // namespace
} // namespace orvex::config
