#include "panels/radio/radio_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace orvex::panels::radio {
namespace {

TEST(RadioFormat, PatternsPadAndRoundHalvesAwayFromZero) {
    EXPECT_EQ(FormatNumber(7, "0000"), "0007");
    EXPECT_EQ(FormatNumber(12345, "000"), "12345") << "digits beyond the pattern are still shown";
    EXPECT_EQ(FormatNumber(121.5, "0.00"), "121.50");
    EXPECT_EQ(FormatNumber(345.5, "0000.0"), "0345.5");
    EXPECT_EQ(FormatNumber(0.1, "00.0"), "00.1");
    EXPECT_EQ(FormatNumber(29.9212725, "00.00"), "29.92");
    EXPECT_EQ(FormatNumber(121.5, "000.0000"), "121.5000");
    // Halves go away from zero, in both directions and across carries.
    EXPECT_EQ(FormatNumber(123.5, "000"), "124");
    EXPECT_EQ(FormatNumber(122.5, "000"), "123");
    EXPECT_EQ(FormatNumber(-2.5, "0"), "-3");
    EXPECT_EQ(FormatNumber(9.995, "0.00"), "10.00");
    EXPECT_EQ(FormatNumber(999.96, "000.0"), "1000.0");
    EXPECT_EQ(FormatNumber(0.5, "0"), "1");
    EXPECT_EQ(FormatNumber(0.004, "0.00"), "0.00");
    EXPECT_EQ(FormatNumber(0.005, "0.00"), "0.01");
    // Minus sign only when something non-zero is shown.
    EXPECT_EQ(FormatNumber(-12.25, "00.0"), "-12.3");
    EXPECT_EQ(FormatNumber(-0.001, "0.00"), "0.00");
    EXPECT_EQ(FormatNumber(-0.0, "0"), "0");
    EXPECT_EQ(FormatNumber(1e20, "0"), "100000000000000000000");
    EXPECT_EQ(FormatNumber(std::nan(""), "0.00"), "");
    EXPECT_EQ(FormatNumber(std::numeric_limits<double>::infinity(), "0"), "");
}

TEST(RadioFormat, RoundingFollowsTheDecimalValueNotItsBinaryNoise) {
    // 2.675 is held as 2.67499999...; a user reads it as 2.675.
    EXPECT_EQ(FormatNumber(2.675, "0.00"), "2.68");
    EXPECT_EQ(FormatNumber(1.005, "0.00"), "1.01");
    // Singles count with the digits they were read as.
    EXPECT_EQ(FormatSingle(1.005f, "0.00"), "1.01");
    EXPECT_EQ(FormatSingle(118.025f, "0.00"), "118.03");
    EXPECT_EQ(FormatSingle(118.02f, "0.00"), "118.02") << "a frequency read from BCD shows as it was read";
    EXPECT_EQ(FormatSingle(136.97f, "0.00"), "136.97");
    EXPECT_EQ(FormatSingle(1013.25f, "0000"), "1013");
    EXPECT_EQ(FormatSingle(1013.5f, "0000"), "1014");
    EXPECT_EQ(FormatSingle(1799.9f, "0000.0"), "1799.9");
    // The same noise in a single-precision sum of steps does not show.
    float adf = 345.0f;
    for (int i = 0; i < 7; ++i) adf += 0.1f;
    EXPECT_EQ(FormatSingle(adf, "0000.0"), "0345.7");
}

TEST(RadioFormat, AppendAddsToTheTextAndFrequencyDigits) {
    std::string text = "1 ";
    AppendNumber(text, 12.5, "00.0");
    EXPECT_EQ(text, "1 12.5");
    AppendSingle(text, 3.0f, "0");
    EXPECT_EQ(text, "1 12.53");

    EXPECT_EQ(FrequencyDigits(121.5), 2150);
    EXPECT_EQ(FrequencyDigits(118.025), 1802);
    EXPECT_EQ(FrequencyDigits(136.975), 3697);
    EXPECT_EQ(FrequencyDigits(108.0), 800);
    EXPECT_EQ(FrequencyDigits(118.05000152587890625), 1805) << "single-precision noise is rounded off";
    EXPECT_EQ(FrequencyDigits(117.99999), 1800);
    EXPECT_EQ(FrequencyDigits(99.5), -1);
    EXPECT_EQ(FrequencyDigits(200.0), -1);
    EXPECT_EQ(FrequencyDigits(-118.0), -1);
}

} // namespace
} // namespace orvex::panels::radio
