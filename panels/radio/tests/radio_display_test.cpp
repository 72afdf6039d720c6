// Display texts to digit codes, number texts, and the send-on-change rules
// of the Radio Panel's display report.
#include "panels/radio/radio_display.h"

#include <gtest/gtest.h>

#include <clocale>
#include <optional>
#include <string>

using namespace orvex::panels::radio;

namespace {

DisplayDigits Digits(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d, std::uint8_t e) {
    return {a, b, c, d, e};
}

DisplayDigits Bytes(const DisplayReport& report, Display d) {
    DisplayDigits out{};
    for (std::size_t i = 0; i < kDigitsPerDisplay; ++i) out[i] = report[DisplayOffset(d) + i];
    return out;
}

const std::optional<std::string> none;

} // namespace

TEST(RadioDisplayText, PointsLightTheCharacterBeforeThem) {
    EXPECT_EQ(EncodeDisplayText("118.02"), Digits(0x01, 0x01, 0xD8, 0x00, 0x02));
    EXPECT_EQ(EncodeDisplayText("121,50"), Digits(0x01, 0x02, 0xD1, 0x05, 0x00)) << "a comma is a point";
    EXPECT_EQ(EncodeDisplayText("2 12.3"), Digits(0x02, 0xFF, 0x01, 0xD2, 0x03));
    EXPECT_EQ(EncodeDisplayText("1.200"), Digits(0xFF, 0xD1, 0x02, 0x00, 0x00));
    EXPECT_EQ(EncodeDisplayText(" . . ."), Digits(0xFF, 0xFF, 0xDF, 0xDF, 0xDF));
    EXPECT_EQ(EncodeDisplayText("1  . . ."), Digits(0x01, 0xFF, 0xDF, 0xDF, 0xDF));
    EXPECT_EQ(EncodeDisplayText("-A7"), Digits(0xFF, 0xFF, 0xFF, 0xFF, 0x07)) << "other characters are blank";
    EXPECT_EQ(EncodeDisplayText("9."), Digits(0xFF, 0xFF, 0xFF, 0xFF, 0xD9)) << "a trailing point";
    EXPECT_EQ(EncodeDisplayText("1..2"), Digits(0xFF, 0xFF, 0xFF, 0xD1, 0x02)) << "two points light one";
}

TEST(RadioDisplayText, WhatDoesNotFitIsDroppedAndEmptyBlanks) {
    EXPECT_EQ(EncodeDisplayText("12345678"), Digits(4, 5, 6, 7, 8));
    // The point of a dropped character goes with it.
    EXPECT_EQ(EncodeDisplayText("1.23456"), Digits(2, 3, 4, 5, 6));
    EXPECT_EQ(EncodeDisplayText(".5"), Digits(0xFF, 0xFF, 0xFF, 0xFF, 0x05)) << "a point with nothing before it";
    EXPECT_EQ(EncodeDisplayText(""), Digits(0xFF, 0xFF, 0xFF, 0xFF, 0xFF));
    EXPECT_EQ(EncodeDisplayText("     "), Digits(0xFF, 0xFF, 0xFF, 0xFF, 0xFF));
    EXPECT_EQ(EncodeDisplayText("0    "), Digits(0x00, 0xFF, 0xFF, 0xFF, 0xFF));
}

TEST(RadioDisplayText, NumbersBecomeDecimalTextWithAPoint) {
    EXPECT_EQ(NumberToDisplayText(118.02), "118.02");
    EXPECT_EQ(NumberToDisplayText(121.5), "121.5");
    EXPECT_EQ(NumberToDisplayText(0.1 + 0.2), "0.3") << "15 significant digits";
    EXPECT_EQ(NumberToDisplayText(-3.0), "-3");
    EXPECT_EQ(NumberToDisplayText(1200.0), "1200");
    // A locale with a decimal comma does not change it (when the system has one).
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) {
        EXPECT_EQ(NumberToDisplayText(1.25), "1.25");
        std::setlocale(LC_NUMERIC, "C");
    }
    EXPECT_EQ(EncodeDisplayText(NumberToDisplayText(113.9)), Digits(0xFF, 0x01, 0x01, 0xD3, 0x09));
    EXPECT_EQ(LabelText("121,50"), "121.50");
}

TEST(RadioDisplayReport, StartsBlankAndSendsOnlyWhatChanged) {
    RadioDisplayReport report;
    const DisplayReport& b = report.Buffer();
    EXPECT_EQ(b[0], 0);
    for (std::size_t i = 1; i <= 20; ++i) EXPECT_EQ(b[i], 0xFF) << i;
    EXPECT_EQ(b[21], 0);
    EXPECT_EQ(b[22], 0);
    EXPECT_EQ(report.LastSent(), DisplayReport{});
    EXPECT_FALSE(report.SendPending());
    EXPECT_TRUE(report.Changed()) << "the first write always goes out";

    auto r = report.WriteDisplay(std::string("118.02"), std::string("121.50"), none, none);
    EXPECT_TRUE(r.send);
    EXPECT_EQ(r.labelsChanged, 0b0011);
    EXPECT_EQ(Bytes(b, Display::ActiveUpper), Digits(0x01, 0x01, 0xD8, 0x00, 0x02));
    EXPECT_EQ(Bytes(b, Display::StandbyUpper), Digits(0x01, 0x02, 0xD1, 0x05, 0x00));
    EXPECT_EQ(Bytes(b, Display::ActiveLower), Digits(0xFF, 0xFF, 0xFF, 0xFF, 0xFF));
    EXPECT_EQ(report.LastSent(), b);
    EXPECT_FALSE(report.Changed());

    r = report.WriteDisplay(std::string("118.02"), std::string("121.50"), none, none);
    EXPECT_FALSE(r.send) << "the same call again sends nothing";
    EXPECT_EQ(r.labelsChanged, 0);

    // A missing argument keeps its display; a different text with the same
    // digits changes the label but not the report.
    r = report.WriteDisplay(none, std::string("121,50"), none, std::string("7"));
    EXPECT_TRUE(r.send);
    EXPECT_EQ(r.labelsChanged, 0b1000) << "\"121,50\" shows as the label \"121.50\" already does";
    EXPECT_EQ(report.Label(Display::ActiveUpper), "118.02");
    EXPECT_EQ(report.Label(Display::StandbyUpper), "121.50");
    EXPECT_EQ(report.Label(Display::StandbyLower), "7");
    EXPECT_EQ(Bytes(b, Display::StandbyLower), Digits(0xFF, 0xFF, 0xFF, 0xFF, 0x07));
    r = report.WriteDisplay(none, std::string("12150"), none, none);
    EXPECT_TRUE(r.send) << "the point went out";
    EXPECT_EQ(report.Label(Display::StandbyUpper), "12150");
}

TEST(RadioDisplayReport, TurnOffBlanksEverythingAndTheNextWriteSendsAgain) {
    RadioDisplayReport report;
    ASSERT_TRUE(report.WriteDisplay(std::string("118.02"), std::string("121.50"), none, none).send);

    report.TurnOffDisplay();
    const DisplayReport& b = report.Buffer();
    EXPECT_EQ(b[0], 0);
    for (std::size_t i = 1; i < kDisplayReportSize; ++i) EXPECT_EQ(b[i], 0xFF) << i;
    EXPECT_TRUE(report.SendPending());
    for (std::size_t d = 0; d < kDisplayCount; ++d) EXPECT_EQ(report.Label(static_cast<Display>(d)), "");

    auto r = report.WriteDisplay(std::string("118.02"), std::string("121.50"), none, none);
    EXPECT_TRUE(r.send);
    EXPECT_FALSE(report.SendPending());
    EXPECT_EQ(b[21], 0xFF) << "the trailing bytes stay as the blanking left them";
    EXPECT_EQ(b[22], 0xFF);

    // Blanking then writing back the very bytes last sent still sends: the
    // panel shows the blanked report, not the copy.
    RadioDisplayReport blank;
    blank.TurnOffDisplay();
    EXPECT_TRUE(blank.WriteDisplay(none, none, none, none).send);
    EXPECT_FALSE(blank.WriteDisplay(none, none, none, none).send);
    blank.TurnOffDisplay();
    EXPECT_FALSE(blank.Changed());
    EXPECT_TRUE(blank.WriteDisplay(none, none, none, none).send) << "pending although no byte changed";
}
