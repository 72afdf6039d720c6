// The drawn Multi Panel without the platform: its rows and lamps, its
// layout, the commands its controls send, and the Multi Panel's own
// scripting commands. Input bits are written out here as the real panel
// sends them, not taken from the model.
#include "tools/virtualpanels/control_commands.h"
#include "tools/virtualpanels/multi_face.h"

#include <gtest/gtest.h>

// Inside the panel's namespace, so that its names come before the Radio Panel's.
namespace orvex::virtualpanels::multi {

namespace {

std::vector<uint8_t> Report(std::initializer_list<uint8_t> digits, uint8_t lamps = 0) {
    std::vector<uint8_t> report(13, 10);
    report[0] = 0;
    size_t i = 1;
    for (uint8_t d : digits) report[i++] = d;
    report[11] = lamps;
    report[12] = 0;
    return report;
}

PointF Centre(const RectF& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

bool Overlap(const RectF& a, const RectF& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

RectF Around(const CircleF& c) {
    return {c.centre.x - c.radius, c.centre.y - c.radius, c.centre.x + c.radius, c.centre.y + c.radius};
}

class MultiPanel : public ::testing::Test {
protected:
    MultiPanel() {
        bank.Add(PanelKind::Radio);
        bank.Add(PanelKind::Multi);
    }
    // Runs a command's steps at once: its reply, and the state words of the reports it sends.
    std::string Run(const std::string& line, std::vector<uint32_t>* words = nullptr) {
        Plan plan = Interpret(bank, line);
        for (const Step& s : plan.steps)
            if (auto r = Apply(bank, s); r && words)
                words->push_back(static_cast<uint32_t>((*r)[1] << 16 | (*r)[2] << 8 | (*r)[3]));
        return plan.reply;
    }
    std::vector<uint32_t> Words(const std::string& line) {
        std::vector<uint32_t> words;
        EXPECT_EQ(Run(line, &words), "ok") << line;
        return words;
    }
    std::string Send(const std::optional<std::string>& command) {
        EXPECT_TRUE(command.has_value());
        return command ? Run(*command) : "";
    }
    uint32_t Held() { return bank.Find(2)->model.Positions(); }
    int Mode() { return ModeAt(Held()); }
    PanelBank bank;
};

} // namespace

TEST(MultiDisplays, DecodeDigitsMinusBlanksAndLamps) {
    auto d = Decode(Report({10, 10, 2, 7, 0,    // "  270"
                            10, 14, 5, 0, 0},   // " -500"
                           0x03));
    EXPECT_EQ(DisplayText(d.rows[0]), "  270");
    EXPECT_EQ(DisplayText(d.rows[1]), " -500");
    EXPECT_EQ(d.lamps, 0x03);
    EXPECT_EQ(DisplaysText(d), "  270| -500|AP HDG");

    // 15 is a switched-off place, dark like 10; codes the panel has no digit for read '?'.
    d = Decode(Report({15, 15, 15, 15, 15, 11, 12, 13, 16, 0xFF}, 0xFF));
    EXPECT_EQ(DisplaysText(d), "     |????\?|AP HDG NAV IAS ALT VS APR REV");
    EXPECT_EQ(DecodeDigit(9), (DisplayCell{'9', false}));
    EXPECT_EQ(DecodeDigit(14), (DisplayCell{'-', false}));
    for (int code = 0; code < 256; ++code) {
        const DisplayCell c = DecodeDigit(static_cast<uint8_t>(code));
        EXPECT_FALSE(c.point) << "no decimal points on this panel";
        EXPECT_EQ(SegmentsOf(c.glyph) == 0, c.glyph == ' ') << code;
    }
    EXPECT_EQ(LampsText(0x80 | 0x04), "NAV REV");
    EXPECT_EQ(DisplaysText(Decode({})), "     |     |") << "nothing written yet";
    EXPECT_EQ(DisplaysText(Decode({0, 1, 2})), "     |     |") << "too short to hold the rows";
}

TEST_F(MultiPanel, TheDisplaysCommandShowsRowsAndLamps) {
    EXPECT_EQ(Run("displays 2"), "ok      |     |");
    PanelModel& multi = bank.Find(2)->model;
    const auto report = Report({10, 10, 0, 9, 5, 10, 10, 10, 10, 10}, 0x02);
    ASSERT_TRUE(multi.WriteFeature(report.data(), report.size()));
    EXPECT_EQ(Run("displays 2"), "ok   095|     |HDG");
    EXPECT_FALSE(multi.WriteFeature(report.data(), 12)) << "a 12-byte report is refused";
    EXPECT_EQ(Run("displays 2"), "ok   095|     |HDG");
    EXPECT_EQ(Run("displays 1").rfind("ok ", 0), 0u) << "the radio's stay as they were";
}

TEST(MultiFace, ControlsDoNotOverlapAndStayOnTheFace) {
    const RectF plate{0, 30, face::kWidth, face::kHeight};
    std::vector<RectF> controls{face::DisplayWindow(), Around(face::Knob()), face::AutoThrottle(), face::Flaps(),
                                face::TrimWheel(), face::HelpLine(), Around(face::Selector())};
    for (int i = 0; i < kModes; ++i) controls.push_back(face::ModeLabel(i));
    for (int i = 0; i < kButtons; ++i) controls.push_back(face::Button(i));
    for (size_t i = 0; i < controls.size(); ++i) {
        const RectF& r = controls[i];
        EXPECT_TRUE(r.left >= plate.left && r.right <= plate.right && r.top >= plate.top && r.bottom <= plate.bottom)
            << i;
        for (size_t j = i + 1; j < controls.size(); ++j) EXPECT_FALSE(Overlap(r, controls[j])) << i << " " << j;
    }
    const RectF glass = face::DisplayWindow();
    for (int row = 0; row < kRows; ++row) {
        EXPECT_TRUE(glass.Contains({face::RowLabel(row).left, face::RowLabel(row).top}));
        EXPECT_LT(face::RowLabel(row).right, face::DigitCell(row, 0).left);
        for (int i = 0; i < kDisplayDigits; ++i)
            for (int s = 0; s < 7; ++s)
                for (PointF p : SegmentPolygon(face::DigitCell(row, i), s)) EXPECT_TRUE(glass.Contains(p)) << row << i;
    }
    EXPECT_LE(face::DigitCell(0, 0).bottom, face::DigitCell(1, 0).top) << "the upper row above the lower";
}

TEST(MultiFace, HitTestingFindsEachControlAndItsHalves) {
    for (int i = 0; i < kModes; ++i) EXPECT_EQ(ControlAt(Centre(face::ModeLabel(i))), (Hit{Part::ModePosition, i}));
    EXPECT_EQ(ControlAt(face::Selector().centre), (Hit{Part::Selector, -1}));
    const CircleF knob = face::Knob();
    EXPECT_EQ(ControlAt({knob.centre.x - 10, knob.centre.y}), (Hit{Part::Knob, 0}));
    EXPECT_EQ(ControlAt({knob.centre.x + 10, knob.centre.y + 20}), (Hit{Part::Knob, 1}));
    EXPECT_EQ(ControlAt({knob.centre.x + knob.radius + 8, knob.centre.y}).part, Part::None);
    for (int i = 0; i < kButtons; ++i) EXPECT_EQ(ControlAt(Centre(face::Button(i))), (Hit{Part::Button, i}));
    EXPECT_EQ(ControlAt(Centre(face::AutoThrottle())).part, Part::AutoThrottle);
    const RectF flaps = face::Flaps(), trim = face::TrimWheel();
    EXPECT_EQ(ControlAt({Centre(flaps).x, flaps.top + 5}), (Hit{Part::Flaps, 0}));
    EXPECT_EQ(ControlAt({Centre(flaps).x, flaps.bottom - 5}), (Hit{Part::Flaps, 1}));
    EXPECT_EQ(ControlAt({Centre(trim).x, trim.top + 5}), (Hit{Part::Trim, 0}));
    EXPECT_EQ(ControlAt({Centre(trim).x, trim.bottom - 5}), (Hit{Part::Trim, 1}));
    EXPECT_EQ(ControlAt(Centre(face::DisplayWindow())).part, Part::None);
    EXPECT_EQ(ControlAt(Centre(face::HelpLine())).part, Part::None);
    EXPECT_EQ(ControlAt({2, 2}).part, Part::None);
}

TEST_F(MultiPanel, ControlsSendTheRealPanelsBits) {
    // Start-up: mode ALT, flaps middle, auto-throttle OFF.
    EXPECT_EQ(Held(), 0x010000u);

    // The knob: one wheel notch is two set/clear pairs of bit 0x200000 (clockwise).
    auto words = Words(*WheelCommand(2, {Part::Knob, 1}, 1, Mode()));
    EXPECT_EQ(words, (std::vector<uint32_t>{0x210000, 0x010000, 0x210000, 0x010000}));
    words = Words(*ClickCommand(2, {Part::Knob, 0}, true, Mode(), false));
    EXPECT_EQ(words.front(), 0x410000u) << "a click on the left half: counter-clockwise";
    words = Words(*ClickCommand(2, {Part::Knob, 1}, false, Mode(), false));
    EXPECT_EQ(words.front(), 0x410000u) << "a right click: counter-clockwise";
    Plan timed = Interpret(bank, *WheelCommand(2, {Part::Knob, 1}, 3, Mode()));
    EXPECT_EQ(timed.steps.size(), 12u);
    EXPECT_DOUBLE_EQ(timed.steps[1].atMs, 1000.0 / (kWheelNotchesPerSecond * 4));

    // The trim wheel: 0x08 raises TrimUp, 0x04 TrimDown.
    words = Words(*WheelCommand(2, {Part::Trim, 1}, 1, Mode()));
    EXPECT_EQ(words.front(), 0x010008u);
    words = Words(*ClickCommand(2, {Part::Trim, 1}, true, Mode(), false));
    EXPECT_EQ(words.front(), 0x010004u) << "the lower half trims down";
    EXPECT_EQ(Words(*ClickCommand(2, {Part::Trim, 0}, true, Mode(), false)).front(), 0x010008u);

    // The mode selector: labels, the knob, and its stops at ALT and CRS.
    EXPECT_FALSE(ClickCommand(2, {Part::ModePosition, 0}, true, Mode(), false)) << "already at ALT";
    EXPECT_FALSE(ClickCommand(2, {Part::Selector, -1}, false, Mode(), false)) << "nothing before ALT";
    words = Words(*ClickCommand(2, {Part::ModePosition, 3}, true, Mode(), false));
    EXPECT_EQ(words, (std::vector<uint32_t>{0x080000})) << "HDG";
    EXPECT_EQ(ModeTarget(*ClickCommand(2, {Part::Selector, -1}, true, Mode(), false)), 4);
    Send(ClickCommand(2, {Part::Selector, -1}, false, Mode(), false));
    EXPECT_EQ(Held(), 0x040000u) << "back to IAS";
    Send(WheelCommand(2, {Part::ModePosition, 1}, -1, Mode()));
    EXPECT_EQ(Held(), 0x020000u) << "VS";
    Send(WheelCommand(2, {Part::Selector, -1}, 9, Mode()));
    EXPECT_EQ(Held(), 0x100000u) << "the wheel stops at CRS";
    EXPECT_FALSE(WheelCommand(2, {Part::Selector, -1}, 1, Mode()));
    EXPECT_EQ(ModeTarget(*WheelCommand(2, {Part::Knob, 0}, 1, Mode())), -1);
    EXPECT_EQ(ModeAt(0x090000), -1) << "two modes at once";

    // The lamp buttons are held between press and release.
    const uint32_t buttonBits[kButtons] = {0x800000, 0x100, 0x200, 0x400, 0x800, 0x1000, 0x2000, 0x4000};
    for (int i = 0; i < kButtons; ++i) {
        EXPECT_EQ(ButtonBit(i), buttonBits[i]) << kButtonLabels[i];
        EXPECT_EQ(Words(*HoldCommand(2, {Part::Button, i}, true)), (std::vector<uint32_t>{0x100000 | buttonBits[i]}));
        EXPECT_EQ(Words(*HoldCommand(2, {Part::Button, i}, false)), (std::vector<uint32_t>{0x100000}));
    }

    // The flaps lever: up or down while held, back to the middle when let go.
    EXPECT_EQ(Words(*HoldCommand(2, {Part::Flaps, 0}, true)), (std::vector<uint32_t>{0x100001}));
    EXPECT_EQ(FlapsAt(Held()), 1);
    EXPECT_EQ(Words(*HoldCommand(2, {Part::Flaps, 0}, false)), (std::vector<uint32_t>{0x100000}));
    EXPECT_EQ(Words(*HoldCommand(2, {Part::Flaps, 1}, true)), (std::vector<uint32_t>{0x100002}));
    EXPECT_EQ(FlapsAt(Held()), -1);
    Send(HoldCommand(2, {Part::Flaps, 1}, false));
    EXPECT_EQ(FlapsAt(Held()), 0);
    EXPECT_FALSE(HoldCommand(2, {Part::Knob, 0}, true));

    // The auto-throttle switch flips between ARM (0x8000) and OFF.
    EXPECT_EQ(Words(*ClickCommand(2, {Part::AutoThrottle, -1}, true, Mode(), AutoThrottleArmed(Held()))),
              (std::vector<uint32_t>{0x108000}));
    EXPECT_TRUE(AutoThrottleArmed(Held()));
    Send(ClickCommand(2, {Part::AutoThrottle, -1}, true, Mode(), AutoThrottleArmed(Held())));
    EXPECT_FALSE(AutoThrottleArmed(Held()));
    EXPECT_FALSE(ClickCommand(2, {Part::None, -1}, true, Mode(), false));
}

TEST_F(MultiPanel, ScriptingCommandsInThePanelsWords) {
    EXPECT_EQ(Words("mode 2 hdg"), (std::vector<uint32_t>{0x080000}));
    EXPECT_EQ(Words("mode 2 CRS"), (std::vector<uint32_t>{0x100000}));
    EXPECT_EQ(Words("mode 2 1"), (std::vector<uint32_t>{0x010000})) << "by number too";

    // knob: signed notches and a speed, as turn does.
    EXPECT_EQ(Words("knob 2 -1"), (std::vector<uint32_t>{0x410000, 0x010000, 0x410000, 0x010000}));
    Plan knob = Interpret(bank, "knob 2 2 5");
    ASSERT_EQ(knob.steps.size(), 8u);
    EXPECT_DOUBLE_EQ(knob.steps[7].atMs, 7 * 1000.0 / 20);

    // trim: up/down with an optional count and speed, or signed notches.
    EXPECT_EQ(Words("trim 2 up").size(), 4u);
    auto words = Words("trim 2 down 2 40");
    ASSERT_EQ(words.size(), 8u);
    EXPECT_EQ(words[0], 0x010004u);
    EXPECT_EQ(Words("trim 2 -1").front(), 0x010004u);
    EXPECT_EQ(Words("trim 2 3").front(), 0x010008u);
    EXPECT_EQ(TrimNotches(bank.Find(2)->model.PulseCounts()), 1 - 2 - 1 + 3);

    // at: ARM and OFF.
    EXPECT_EQ(Words("at 2 arm"), (std::vector<uint32_t>{0x018000}));
    EXPECT_EQ(Words("at 2 off"), (std::vector<uint32_t>{0x010000}));

    // flaps: a position, or there and back to the middle after a time.
    EXPECT_EQ(Words("flaps 2 down"), (std::vector<uint32_t>{0x010002}));
    EXPECT_EQ(Words("flaps 2 mid"), (std::vector<uint32_t>{0x010000}));
    Plan lever = Interpret(bank, "flaps 2 up 300");
    ASSERT_EQ(lever.reply, "ok");
    ASSERT_EQ(lever.steps.size(), 2u);
    EXPECT_DOUBLE_EQ(lever.steps[1].atMs, 300);
    EXPECT_EQ(Words("flaps 2 up 300"), (std::vector<uint32_t>{0x010001, 0x010000}));

    // Refusals: other panels, bad words, an unplugged panel.
    EXPECT_EQ(Run("mode 1 hdg"), "error mode is a Multi Panel command; device 1 is a radio panel");
    EXPECT_EQ(Run("mode 2 nav"), "error no position nav of mode");
    EXPECT_EQ(Run("mode 2"), "error usage: mode <dev> alt|vs|ias|hdg|crs");
    EXPECT_EQ(Run("knob 2 0"), "error bad notch count 0");
    EXPECT_EQ(Run("trim 2 up -2"), "error bad notch count -2");
    EXPECT_EQ(Run("trim 2 sideways"), "error bad notch count sideways");
    EXPECT_EQ(Run("at 2 maybe"), "error usage: at <dev> arm|off");
    EXPECT_EQ(Run("flaps 2 mid 100"), "error the lever springs back from up or down, not from mid");
    EXPECT_EQ(Run("flaps 2 up soon"), "error bad lever time soon");
    EXPECT_EQ(Run("flaps 2 left"), "error usage: flaps <dev> up|down|mid [ms]");
    EXPECT_EQ(Run("knob 9 1"), "error no device 9");
    EXPECT_EQ(Run("unplug 2"), "ok");
    EXPECT_EQ(Run("mode 2 vs"), "error device 2 is unplugged");
    EXPECT_NE(std::string(CommandSummary()).find("flaps <dev> up|down|mid [ms]"), std::string::npos);
}

TEST_F(MultiPanel, KnobMarkTurnsWithThePulses) {
    const auto& pulses = bank.Find(2)->model.PulseCounts();
    Run("knob 2 3");
    EXPECT_DOUBLE_EQ(KnobDegrees(pulses), 45);
    Run("knob 2 -4");
    EXPECT_DOUBLE_EQ(KnobDegrees(pulses), 345);
    Run("trim 2 up 5");
    EXPECT_DOUBLE_EQ(KnobDegrees(pulses), 345) << "the trim wheel is not the knob";
}

} // namespace orvex::virtualpanels::multi
