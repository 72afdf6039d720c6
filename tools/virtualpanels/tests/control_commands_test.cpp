// The virtual panels' model and control commands, without the platform.
#include "tools/virtualpanels/control_commands.h"

#include <gtest/gtest.h>

using namespace orvex::virtualpanels;

namespace {

class Commands : public ::testing::Test {
protected:
    Commands() {
        bank.Add(PanelKind::Radio);
        bank.Add(PanelKind::Multi);
        bank.Add(PanelKind::Switch);
        bank.Add(PanelKind::Bip);
    }
    // Runs a command's steps at once and returns its reply and the reports.
    std::string Run(const std::string& line, std::vector<InputReport>* reports = nullptr) {
        Plan plan = Interpret(bank, line);
        for (const Step& s : plan.steps) {
            auto r = Apply(bank, s);
            if (r && reports) reports->push_back(*r);
        }
        return plan.reply;
    }
    static uint32_t Word(const InputReport& r) { return (r[1] << 16) | (r[2] << 8) | r[3]; }
    PanelBank bank;
};

} // namespace

TEST_F(Commands, PublishesKindsWithTheirIdsAndSizes) {
    EXPECT_EQ(Run("list"), "ok 4 1:radio:plugged 2:multi:plugged 3:switch:plugged 4:bip:plugged");
    EXPECT_EQ(Run("path 3"), "ok \\\\?\\hid#vid_06a3&pid_0d67&virt#3#{4d1e55b2-f16f-11cf-88cb-001111000030}");
    EXPECT_EQ(CapsFor(PanelKind::Radio).FeatureReportByteLength, 23);
    EXPECT_EQ(CapsFor(PanelKind::Multi).FeatureReportByteLength, 13);
    EXPECT_EQ(CapsFor(PanelKind::Switch).FeatureReportByteLength, 2);
    EXPECT_EQ(CapsFor(PanelKind::Radio).InputReportByteLength, 4);
    EXPECT_EQ(CapsFor(PanelKind::Bip).InputReportByteLength, 0);
    EXPECT_EQ(Info(PanelKind::Bip).productId, 0x0B4E);
}

TEST_F(Commands, TurnMakesTwoPulsePairsPerNotchOverTheHeldPositions) {
    std::vector<InputReport> reports;
    Plan plan = Interpret(bank, "turn 1 upper-outer 2 20");
    ASSERT_EQ(plan.steps.size(), 8u);
    EXPECT_DOUBLE_EQ(plan.steps[1].atMs, 12.5);  // 20 notches/s: 4 reports per notch
    EXPECT_EQ(Run("turn 1 upper-outer 2 20", &reports), "ok");
    ASSERT_EQ(reports.size(), 8u);
    for (size_t i = 0; i < reports.size(); ++i)
        EXPECT_EQ(Word(reports[i]), 0x810000u | (i % 2 == 0 ? 0x04u : 0u)) << i;
    reports.clear();
    EXPECT_EQ(Run("turn 1 3 -1", &reports), "ok");
    ASSERT_EQ(reports.size(), 4u);
    EXPECT_EQ(reports[0][3], 0x80);  // knob 3 counter-clockwise
    reports.clear();
    Run("turn 2 trim 1", &reports);
    EXPECT_EQ(reports[0][3], 0x08) << "the trim pulse that raises TrimUp";
    EXPECT_EQ(Run("turn 1 knob 1"), "error no knob knob");
    EXPECT_EQ(Run("turn 1 0 0"), "error bad notch count 0");
    EXPECT_EQ(Run("turn 1 0 1 0"), "error speed is 0.1-1000 notches per second");
    EXPECT_EQ(Run("turn 3 0 1").rfind("error", 0), 0u) << "the Switch Panel has no knob";
}

TEST_F(Commands, ButtonsSwitchesAndSelectorsChangeThePositions) {
    std::vector<InputReport> reports;
    EXPECT_EQ(Run("press 1 act1", &reports), "ok");
    EXPECT_EQ(Word(reports.back()), 0x814000u);
    Run("release 1 act1", &reports);
    EXPECT_EQ(Word(reports.back()), 0x810000u);
    Plan hold = Interpret(bank, "hold 2 ap 250");
    ASSERT_EQ(hold.steps.size(), 2u);
    EXPECT_DOUBLE_EQ(hold.steps[1].atMs, 250);

    Run("selector 1 lower nav2", &reports);
    EXPECT_EQ(Word(reports.back()), 0x010400u) << "the lower selector's COM1 bit cleared";
    Run("selector 1 5", &reports);
    EXPECT_EQ(Word(reports.back()), 0x100400u) << "upper selector, fifth position (ADF)";
    Run("selector 2 flaps down", &reports);
    EXPECT_EQ(Word(reports.back()), 0x010002u);
    Run("selector 2 flaps mid", &reports);
    EXPECT_EQ(Word(reports.back()), 0x010000u);

    Run("switch 3 bat on", &reports);
    Run("switch 3 14 on", &reports);
    Run("gear 3 up", &reports);
    Run("selector 3 magneto both", &reports);
    EXPECT_EQ(Word(reports.back()), 0x010100u | 0x04u | 0x01u);
    EXPECT_EQ(Run("state 3"), "ok 00010105");
    Run("switch 3 bat off", &reports);
    EXPECT_EQ(Word(reports.back()), 0x000105u);

    EXPECT_EQ(Run("switch 3 bat maybe"), "error say on or off");
    EXPECT_EQ(Run("selector 1 upper tacan"), "error no position tacan of upper");
    EXPECT_EQ(Run("press 4 ap"), "error a bip panel sends no input");
    EXPECT_EQ(Run("press 9 ap"), "error no device 9");
    EXPECT_EQ(Run("input 1 00 01 02"), "error an input report is 4 bytes of hex");
    reports.clear();
    Run("input 1 00aabbcc", &reports);
    EXPECT_EQ(reports.back(), (InputReport{0x00, 0xAA, 0xBB, 0xCC}));
    EXPECT_EQ(Run("nonsense 1"), "error unknown command nonsense");
}

TEST_F(Commands, FeatureReportsAreCheckedKeptAndCounted) {
    PanelModel& radio = bank.Find(1)->model;
    std::vector<uint8_t> display(23, 0xFF);
    display[0] = 0;
    display[1] = 0x01;
    EXPECT_TRUE(radio.WriteFeature(display.data(), display.size()));
    EXPECT_FALSE(radio.WriteFeature(display.data(), 22)) << "wrong size";
    display[0] = 5;
    EXPECT_FALSE(radio.WriteFeature(display.data(), display.size())) << "unknown id";
    EXPECT_EQ(Run("writes 1"), "ok 1");
    EXPECT_EQ(Run("feature 1"), "ok 0001" + std::string(42, 'F'));
    EXPECT_EQ(Run("stats 1"), "ok writes=1 rejected=2 reads=0 reports=0 opens=0 plugged");
    EXPECT_TRUE(radio.WriteFeature(std::vector<uint8_t>(30, 0).data(), 30)) << "longer: the driver cuts it";
    EXPECT_EQ(radio.LastFeature(0).size(), 23u);

    PanelModel& bip = bank.Find(4)->model;
    const uint8_t tiles[7] = {0xB8, 1, 2, 3, 4, 5, 6};
    // As the system's HID class driver wants it: every report at least the
    // longest one's length; a bare 2-byte brightness report is refused.
    const uint8_t brightness[7] = {0xB2, 80, 0, 0, 0, 0, 0};
    EXPECT_TRUE(bip.WriteFeature(tiles, 7));
    EXPECT_FALSE(bip.WriteFeature(brightness, 2)) << "shorter than the longest feature report";
    EXPECT_TRUE(bip.WriteFeature(brightness, 7));
    EXPECT_EQ(Run("feature 4"), "ok B8010203040506");
    EXPECT_EQ(Run("feature 4 b2"), "ok B250") << "kept at the report's own size";
    EXPECT_EQ(bip.ReadFeature(0xB2, 7), (std::vector<uint8_t>{0xB2, 80, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(bip.ReadFeature(0xB2, 2));
    EXPECT_FALSE(bip.ReadFeature(0xB8, 3));
    EXPECT_EQ(Run("feature 2"), "ok") << "nothing written yet";
}

TEST_F(Commands, FeatureReadsAnswerWithThePositionsSaveTheSwitchPanel) {
    Run("switch 3 bat on");
    Run("gear 3 up");
    PanelModel& sw = bank.Find(3)->model;
    // The Switch Panel's feature report is its lamps: a read gets no answer.
    EXPECT_FALSE(sw.ReadFeature(0, 4));
    EXPECT_FALSE(sw.ReadFeature(0, 2));
    EXPECT_FALSE(sw.ReadFeature(1, 4));
    // A knob pulse is not a position.
    PanelModel& radio = bank.Find(1)->model;
    radio.SetPulse(0x01, true);
    auto read = radio.ReadFeature(0, 23);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->size(), 23u);
    EXPECT_EQ((*read)[1], 0x81);
    EXPECT_EQ((*read)[3], 0x00);
    EXPECT_EQ(radio.Stats().reads, 1u);
    EXPECT_EQ(sw.Stats().reads, 0u);
}

TEST_F(Commands, UnpluggedPanelsSendNothing) {
    EXPECT_EQ(Run("unplug 1"), "ok");
    EXPECT_EQ(Run("list").find("1:radio:unplugged"), 5u);
    EXPECT_EQ(Run("press 1 act1"), "error device 1 is unplugged");
    // A script started before the unplug produces no more reports.
    Run("plug 1");
    Plan turn = Interpret(bank, "turn 1 0 1");
    std::vector<InputReport> reports;
    for (size_t i = 0; i < turn.steps.size(); ++i) {
        if (i == 2) Apply(bank, Interpret(bank, "unplug 1").steps[0]);
        if (auto r = Apply(bank, turn.steps[i])) reports.push_back(*r);
    }
    EXPECT_EQ(reports.size(), 2u);
}

TEST_F(Commands, PowerCycleKeepsThePathButForgetsWhatThePanelShowed) {
    const std::string path = bank.Find(1)->path;
    const uint8_t report[23] = {0, 1, 2, 3};
    ASSERT_TRUE(bank.Find(1)->model.WriteFeature(report, sizeof(report)));
    Run("switch 1 0x4000 on");

    Plan plan = Interpret(bank, "powercycle 1 250");
    EXPECT_EQ(plan.reply, "ok");
    ASSERT_EQ(plan.steps.size(), 2u);
    EXPECT_EQ(plan.steps[1].atMs, 250);
    Apply(bank, plan.steps[0]);
    EXPECT_FALSE(bank.Find(1)->present);
    EXPECT_TRUE(bank.Find(1)->model.LastFeature(0).empty()) << "dark until told again";
    Apply(bank, plan.steps[1]);
    EXPECT_TRUE(bank.Find(1)->present);
    EXPECT_EQ(bank.Find(1)->path, path);
    EXPECT_EQ(bank.Find(1)->model.Positions() & 0x4000, 0x4000u) << "its switches stay";
    EXPECT_EQ(Run("powercycle 1 -5"), "error bad time -5");
}

TEST_F(Commands, ReplugGivesANewPathWithTheSameIdsEachTime) {
    const std::string first = bank.Find(2)->path;
    Run("replug 2 0");
    const std::string second = bank.Find(2)->path;
    Run("replug 2");
    const std::string third = bank.Find(2)->path;
    EXPECT_NE(second, first);
    EXPECT_NE(third, second);
    EXPECT_EQ(second, "\\\\?\\hid#vid_06a3&pid_0d06&virt#2r1#{4d1e55b2-f16f-11cf-88cb-001111000030}");
    EXPECT_EQ(second.substr(0, 26), first.substr(0, 26)) << "IDs at their places";
    EXPECT_TRUE(bank.Find(2)->present);
    EXPECT_EQ(Run("opens 2"), "ok 0");
    EXPECT_NE(Run("stats 2").find(" opens=0 "), std::string::npos);
}
