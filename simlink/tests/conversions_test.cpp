// BCD digits, 25 kHz channel frequencies and trimming.
#include "simlink/conversions.h"

#include <gtest/gtest.h>

using namespace orvex::simlink;

namespace {

TEST(ConversionsTest, DigitsToBcd) {
    EXPECT_EQ(DigitsToBcd(0), 0);
    EXPECT_EQ(DigitsToBcd(7), 0x0007);
    EXPECT_EQ(DigitsToBcd(1215), 0x1215);
    EXPECT_EQ(DigitsToBcd(9999), 0x9999);
    EXPECT_EQ(DigitsToBcd(4060), 0x4060);
    EXPECT_THROW(DigitsToBcd(10000), OverflowError);
    EXPECT_THROW(DigitsToBcd(-1), OverflowError);
}

TEST(ConversionsTest, ExpandComFrequencyAddsTheChannelFive) {
    EXPECT_FLOAT_EQ(ExpandComFrequency(118.02f), 118.025f);
    EXPECT_FLOAT_EQ(ExpandComFrequency(118.07f), 118.075f);
    EXPECT_FLOAT_EQ(ExpandComFrequency(118.05f), 118.05f);
    EXPECT_FLOAT_EQ(ExpandComFrequency(118.00f), 118.0f);
    EXPECT_FLOAT_EQ(ExpandComFrequency(136.97f), 136.975f);
    // Two decimals first: a value just off the hundredth still counts.
    EXPECT_FLOAT_EQ(ExpandComFrequency(118.0199f), 118.025f);
    EXPECT_FLOAT_EQ(ExpandComFrequency(99.12f), 99.125f);
}

TEST(ConversionsTest, SnapToChannelEveryLastDigit) {
    const struct {
        double in;
        float out;
    } rows[] = {
        {118.00, 118.00f}, {118.01, 118.00f},  {118.02, 118.025f}, {118.03, 118.025f},
        {118.04, 118.05f}, {118.05, 118.05f},  {118.06, 118.05f},  {118.07, 118.075f},
        {118.08, 118.075f}, {118.09, 118.075f},
    };
    for (const auto& row : rows) EXPECT_FLOAT_EQ(SnapToChannel(row.in), row.out) << row.in;
    // Rounded to two decimals before the digit is taken.
    EXPECT_FLOAT_EQ(SnapToChannel(118.024), 118.025f);
    EXPECT_FLOAT_EQ(SnapToChannel(118.096), 118.10f);
    EXPECT_FLOAT_EQ(SnapToChannel(136.99), 136.975f);
    EXPECT_FLOAT_EQ(SnapToChannel(-118.03), -118.025f);
    EXPECT_FLOAT_EQ(SnapToChannel(1180.23), 1180.225f);
}

TEST(ConversionsTest, TrimValue) {
    EXPECT_EQ(TrimValue("  a b  "), "a b");
    EXPECT_EQ(TrimValue("   "), "");
    EXPECT_EQ(TrimValue(OffsetValue::FromNumber(-5)), "-5");
    EXPECT_EQ(TrimValue(OffsetValue::FromText(" x ")), "x");
    EXPECT_EQ(TrimValue(OffsetValue::FromSingle(123.45f)), "123.45");
    EXPECT_EQ(TrimValue(OffsetValue()), "");
}

} // namespace
