// The Multi Panel's 13-byte feature report: row and lamp encoding and
// send-on-change.
#include "panels/multi/multi_display.h"

#include <gtest/gtest.h>

#include <string>

using namespace orvex::panels::multi;

namespace {

RowDigits Digits(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d, std::uint8_t e) {
    return {a, b, c, d, e};
}

RowDigits RowOf(const MultiReport& report, std::size_t offset) {
    return {report[offset], report[offset + 1], report[offset + 2], report[offset + 3], report[offset + 4]};
}

TEST(MultiRowText, RightAlignedDigitsMinusAndBlanks) {
    EXPECT_EQ(EncodeRowText("-500"), Digits(10, 14, 5, 0, 0));
    EXPECT_EQ(EncodeRowText("12.5"), Digits(10, 1, 2, 10, 5));  // the point is no digit
    EXPECT_EQ(EncodeRowText("0.780"), Digits(0, 10, 7, 8, 0));
    EXPECT_EQ(EncodeRowText(""), Digits(10, 10, 10, 10, 10));
    EXPECT_EQ(EncodeRowText("   0 "), Digits(10, 10, 10, 0, 10));
    EXPECT_EQ(EncodeRowText("a1b"), Digits(10, 10, 10, 1, 10));
    // A longer text shows its last five characters.
    EXPECT_EQ(EncodeRowText("1234567"), Digits(3, 4, 5, 6, 7));
    EXPECT_EQ(EncodeRowText("-00500"), Digits(0, 0, 5, 0, 0));
}

TEST(MultiDisplayReport, WritesRowsAndLampsIntoTheirBytes) {
    MultiDisplayReport report;
    const auto result = report.WriteDisplay(std::string("-500"), std::string("250"), std::uint8_t{0x81}, false);
    EXPECT_TRUE(result.send);
    EXPECT_TRUE(result.upperChanged);
    EXPECT_TRUE(result.lowerChanged);
    EXPECT_TRUE(result.lampsChanged);
    const MultiReport& b = report.Buffer();
    EXPECT_EQ(b[0], 0);
    EXPECT_EQ(RowOf(b, kUpperRowOffset), Digits(10, 14, 5, 0, 0));
    EXPECT_EQ(RowOf(b, kLowerRowOffset), Digits(10, 10, 2, 5, 0));
    EXPECT_EQ(b[11], 0x81);
    EXPECT_EQ(b[12], 0);
    EXPECT_EQ(report.LastSent(), b);
    EXPECT_EQ(report.Text(Row::Upper), "-500");
    EXPECT_EQ(report.Lamps(), 0x81);
}

TEST(MultiDisplayReport, SendsOnlyWhatChangedUnlessForcedOrAfterTurnOff) {
    MultiDisplayReport report;
    // The first write always goes out, even of the blank state.
    EXPECT_TRUE(report.WriteDisplay(std::string(""), std::string(""), std::uint8_t{0}).send);
    EXPECT_FALSE(report.WriteDisplay(std::string(""), std::string(""), std::uint8_t{0}).send);

    EXPECT_TRUE(report.WriteDisplay(std::string("100"), std::nullopt, std::nullopt).send);
    EXPECT_FALSE(report.WriteDisplay(std::string("100"), std::nullopt, std::nullopt).send);
    EXPECT_TRUE(report.WriteDisplay(std::string("100"), std::nullopt, std::nullopt, true).send);

    // A missing argument keeps its bytes and text.
    report.WriteDisplay(std::nullopt, std::string("7"), std::uint8_t{4});
    EXPECT_EQ(report.Text(Row::Upper), "100");
    EXPECT_EQ(RowOf(report.Buffer(), kUpperRowOffset), Digits(10, 10, 1, 0, 0));
    const auto lampsOnly = report.WriteDisplay(std::nullopt, std::nullopt, std::uint8_t{5});
    EXPECT_TRUE(lampsOnly.send);
    EXPECT_FALSE(lampsOnly.upperChanged);
    EXPECT_TRUE(lampsOnly.lampsChanged);

    // Turned off: rows code 15, lamps 0, texts empty, sent once.
    EXPECT_TRUE(report.TurnOffDisplay());
    for (std::size_t i = 1; i <= 10; ++i) EXPECT_EQ(report.Buffer()[i], kDigitOff) << i;
    EXPECT_EQ(report.Buffer()[11], 0);
    EXPECT_EQ(report.Text(Row::Upper), "");
    EXPECT_EQ(report.LastSent(), report.Buffer());
    // Kept dark on every poll tick: no further reports.
    EXPECT_FALSE(report.TurnOffDisplay());
    EXPECT_FALSE(report.TurnOffDisplay());
    // The next write sends, whatever it holds.
    EXPECT_TRUE(report.WriteDisplay(std::nullopt, std::nullopt, std::nullopt).send);
    EXPECT_FALSE(report.WriteDisplay(std::nullopt, std::nullopt, std::nullopt).send);
}

TEST(MultiDisplayReport, TurnedOffWhileNothingWasSentYetStillSends) {
    MultiDisplayReport report;
    EXPECT_TRUE(report.TurnOffDisplay());
    EXPECT_TRUE(report.SendPending());
}

TEST(MultiSplash, ZeroWalksAcrossBothRowsWhileTheLampsFillUp) {
    ASSERT_EQ(kSplashSteps.size(), 11u);
    MultiDisplayReport report;
    int sent = 0;
    for (const SplashStep& step : kSplashSteps)
        sent += report.WriteDisplay(std::string(step.Upper), std::string(step.Lower), step.Lamps).send;
    EXPECT_EQ(sent, 11);  // every step differs from the one before
    EXPECT_EQ(RowOf(report.Buffer(), kUpperRowOffset), Digits(10, 10, 10, 10, 10));
    EXPECT_EQ(kSplashSteps[4].Lamps, 15);
    EXPECT_EQ(kSplashSteps[8].Lamps, 255);
    EXPECT_EQ(EncodeRowText(kSplashSteps[0].Upper), Digits(10, 10, 10, 10, 0));
    EXPECT_EQ(EncodeRowText(kSplashSteps[5].Lower), Digits(0, 10, 10, 10, 10));
}

} // namespace
