#include "panels/switch/switch_lamps.h"

#include <gtest/gtest.h>

namespace orvex::panels::switchpanel {
namespace {

TEST(SwitchLamps, ColoursSetEachGearsBits) {
    SwitchLampReport report;
    report.ChangeLights(kLampGreen, kLampRed, kLampBoth);
    EXPECT_EQ(report.Buffer()[0], 0);
    EXPECT_EQ(report.Buffer()[1], 0x01 | 0x10 | 0x04 | 0x20);
    EXPECT_EQ(report.Colour(Gear::Left), kLampRed);
    // Any other number is dark; a missing argument is dark.
    report.ChangeLights(kLampBoth, 12345, std::nullopt);
    EXPECT_EQ(report.Buffer()[1], 0x01 | 0x08);
    EXPECT_EQ(report.Colour(Gear::Left), kLampOff);
    EXPECT_EQ(report.Colour(Gear::Right), kLampOff);
    EXPECT_EQ(LampBits(Gear::Right, kLampRed), 0x20);
    EXPECT_EQ(LampBits(Gear::Left, kLampGreen), 0x02);
}

TEST(SwitchLamps, SendsTheFirstReportThenOnlyChanges) {
    SwitchLampReport report;
    // The first write goes out even when dark: the panel may show old lamps.
    EXPECT_TRUE(report.ChangeLights(std::nullopt, std::nullopt, std::nullopt));
    EXPECT_FALSE(report.ChangeLights(kLampOff, kLampOff, kLampOff));
    EXPECT_TRUE(report.ChangeLights(kLampGreen, std::nullopt, std::nullopt));
    EXPECT_FALSE(report.ChangeLights(kLampGreen, 7, std::nullopt)); // 7 is dark too: same bits
    EXPECT_TRUE(report.AnyLit());
    EXPECT_TRUE(report.ChangeLights(kLampOff, kLampOff, kLampOff));
    EXPECT_FALSE(report.AnyLit());
}

} // namespace
} // namespace orvex::panels::switchpanel
