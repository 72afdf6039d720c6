#include "tools/virtualpanels/switch_face.h"

#include "tools/virtualpanels/control_commands.h"

#include <gtest/gtest.h>

namespace orvex::virtualpanels::switchpanel {
namespace {

PointF Centre(const RectF& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

TEST(SwitchFace, LampsOfTheFeatureReport) {
    EXPECT_EQ(LampsText(DecodeLamps({})), "nose=off left=off right=off");
    EXPECT_EQ(LampsText(DecodeLamps({0, 0x35})), "nose=green left=red right=both");
    EXPECT_EQ(DecodeLamps({0, 0x08})[0], Lamp::Red);
}

TEST(SwitchFace, PositionsOfTheStateWord) {
    EXPECT_EQ(MagnetoAt(0x002008), 0);
    EXPECT_EQ(MagnetoAt(0x000001 | 0x010000), 3);
    EXPECT_EQ(MagnetoAt(0x002001), -1);
    EXPECT_EQ(GearAt(0x04), 1);
    EXPECT_EQ(GearAt(0x08), -1);
    EXPECT_EQ(GearAt(0x0C), 0);
    EXPECT_EQ(SwitchBit(12), 0x001000u);
}

TEST(SwitchFace, EveryControlIsFoundWhereItIsDrawn) {
    for (int i = 0; i < kMagnetoPositions; ++i)
        EXPECT_EQ(ControlAt(Centre(face::MagnetoLabel(i))), (Hit{Part::MagnetoPosition, i})) << i;
    EXPECT_EQ(ControlAt(face::Magneto().centre).part, Part::Magneto);
    for (int n = 0; n < kSwitches; ++n) EXPECT_EQ(ControlAt(Centre(face::SwitchSlot(n))), (Hit{Part::Switch, n})) << n;
    EXPECT_EQ(ControlAt({face::GearSlot().left, face::GearSlot().top + 2}), (Hit{Part::Gear, 0}));
    EXPECT_EQ(ControlAt({face::GearSlot().left, face::GearSlot().bottom - 2}), (Hit{Part::Gear, 1}));
    EXPECT_EQ(ControlAt({2, 2}).part, Part::None);
}

TEST(SwitchFace, ClicksAndTheWheelAreTheToolsOwnCommands) {
    EXPECT_EQ(ClickCommand(3, {Part::Switch, 0}, true, 0x002008, 0), "switch 3 bat on");
    EXPECT_EQ(ClickCommand(3, {Part::Switch, 12}, true, 0x001000, 0), "switch 3 landing off");
    EXPECT_EQ(ClickCommand(1, {Part::MagnetoPosition, 4}, true, 0, 0), "selector 1 magneto start");
    EXPECT_EQ(ClickCommand(1, {Part::MagnetoPosition, 0}, true, 0, 0), std::nullopt);
    EXPECT_EQ(ClickCommand(1, {Part::Magneto, -1}, true, 0, 4), std::nullopt);
    EXPECT_EQ(ClickCommand(1, {Part::Magneto, -1}, false, 0, 4), "selector 1 magneto both");
    EXPECT_EQ(ClickCommand(1, {Part::Gear, 1}, true, 0x08, 0), "gear 1 up");
    EXPECT_EQ(ClickCommand(1, {Part::Gear, 1}, true, 0x00, 0), "gear 1 down");
    EXPECT_EQ(WheelCommand(1, {Part::Magneto, -1}, 9, 1), "selector 1 magneto start");
    EXPECT_EQ(WheelCommand(1, {Part::Magneto, -1}, -1, 0), std::nullopt);
    EXPECT_EQ(WheelCommand(1, {Part::Gear, 0}, -1, 0), "gear 1 down");
    EXPECT_EQ(MagnetoTarget("selector 1 magneto both"), 3);
    EXPECT_EQ(MagnetoTarget("gear 1 up"), -1);

    // The commands do what they say to a virtual Switch Panel.
    PanelBank bank;
    bank.Add(PanelKind::Switch);
    for (const char* command : {"switch 1 bat on", "selector 1 magneto both", "gear 1 up"}) {
        const Plan plan = Interpret(bank, command);
        ASSERT_EQ(plan.reply.rfind("ok", 0), 0u) << command << ": " << plan.reply;
        for (const Step& step : plan.steps) Apply(bank, step);
    }
    const uint32_t held = bank.Find(1)->model.Positions();
    EXPECT_EQ(MagnetoAt(held), 3);
    EXPECT_EQ(GearAt(held), 1);
    EXPECT_TRUE(held & SwitchBit(0));
    // And the lamps read back as the last report set them.
    const uint8_t report[2] = {0, 0x0A};
    bank.Find(1)->model.WriteFeature(report, 2);
    EXPECT_EQ(Interpret(bank, "lamps 1").reply, "ok nose=red left=green right=off");
    EXPECT_EQ(Interpret(bank, "lamps 9").reply.rfind("error", 0), 0u);
}

} // namespace
} // namespace orvex::virtualpanels::switchpanel
