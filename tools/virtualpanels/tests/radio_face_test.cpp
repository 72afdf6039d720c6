// The drawn Radio Panel without the platform: its displays, its layout, and
// the commands its controls send.
#include "tools/virtualpanels/control_commands.h"
#include "tools/virtualpanels/pixels.h"
#include "tools/virtualpanels/radio_face.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace orvex::virtualpanels;

namespace {

std::vector<uint8_t> Report(std::initializer_list<uint8_t> digits) {
    std::vector<uint8_t> report(23, 0xFF);
    report[0] = 0;
    size_t i = 1;
    for (uint8_t d : digits) report[i++] = d;
    return report;
}

// Runs the plan of a command at once; the input reports it sends.
std::vector<InputReport> Script(PanelBank& bank, const std::string& line) {
    std::vector<InputReport> reports;
    Plan plan = Interpret(bank, line);
    EXPECT_EQ(plan.reply.rfind("ok", 0), 0u) << line << ": " << plan.reply;
    for (const Step& s : plan.steps)
        if (auto r = Apply(bank, s)) reports.push_back(*r);
    return reports;
}

uint32_t Word(const InputReport& r) { return (r[1] << 16) | (r[2] << 8) | r[3]; }

PointF Centre(const RectF& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

bool Overlap(const RectF& a, const RectF& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

} // namespace

TEST(RadioDisplays, DecodeDigitsPointsAndBlanks) {
    auto displays = DecodeRadioDisplays(Report({0x01, 0x01, 0xD8, 0x00, 0x02,     // 118.02
                                                0x01, 0x02, 0xD1, 0x05, 0x00,     // 121.50
                                                0xFF, 0xD1, 0x02, 0x00, 0x00,     // 1.200, right-aligned
                                                0xFF, 0xFF, 0xDF, 0xDF, 0x0A}));  // points alone, a bad code
    EXPECT_EQ(DisplayText(displays[0]), "118.02");
    EXPECT_EQ(DisplayText(displays[1]), "121.50");
    EXPECT_EQ(DisplayText(displays[2]), " 1.200");
    EXPECT_EQ(DisplayText(displays[3]), "   . .?");
    EXPECT_EQ(displays[3][4], (DisplayCell{'?', false}));
    EXPECT_EQ(DecodeDigit(0xD9), (DisplayCell{'9', true}));
    EXPECT_EQ(DecodeDigit(0xDA).glyph, '?');
    EXPECT_EQ(DecodeDigit(0xCF).glyph, '?');

    // Every code takes exactly one digit place, so the texts line up.
    for (int code = 0; code < 256; ++code) {
        const DisplayCell c = DecodeDigit(static_cast<uint8_t>(code));
        EXPECT_EQ(SegmentsOf(c.glyph) == 0, c.glyph == ' ') << code;
        DisplayCells cells{};
        cells.fill(c);
        std::string text = DisplayText(cells);
        std::erase(text, '.');
        EXPECT_EQ(text.size(), 5u) << code;
    }
    EXPECT_EQ(DisplaysText(DecodeRadioDisplays({})), "     |     |     |     ") << "nothing written yet";
    EXPECT_EQ(SegmentsOf('8'), 0x7F);
    EXPECT_EQ(SegmentsOf('1'), 0x06);
    EXPECT_EQ(SegmentsOf('7'), 0x07);
    EXPECT_EQ(SegmentsOf('0') & 0x40, 0) << "no middle bar in a zero";
}

TEST(RadioDisplays, TheDisplaysCommandShowsTheLastReport) {
    PanelBank bank;
    bank.Add(PanelKind::Radio);
    bank.Add(PanelKind::Multi);
    EXPECT_EQ(Interpret(bank, "displays 1").reply, "ok      |     |     |     ");
    PanelModel& radio = bank.Find(1)->model;
    const auto first = Report({0x01, 0x01, 0xD8, 0x00, 0x02, 0xFF, 0xFF, 0xFF, 0xFF, 0x07});
    ASSERT_TRUE(radio.WriteFeature(first.data(), first.size()));
    EXPECT_EQ(Interpret(bank, "displays 1").reply, "ok 118.02|    7|     |     ");
    auto refused = first;
    refused[1] = 0x09;
    EXPECT_FALSE(radio.WriteFeature(refused.data(), 22));
    EXPECT_EQ(Interpret(bank, "displays 1").reply, "ok 118.02|    7|     |     ") << "a refused report shows nothing";
    EXPECT_EQ(Interpret(bank, "displays 2").reply, "ok      |     |") << "a Multi Panel answers with its own rows";
    EXPECT_EQ(Interpret(bank, "displays 5").reply, "error no device 5");

    // What a drawn panel compares to know it must redraw.
    const PanelView before = ViewOf(*bank.Find(1));
    ASSERT_TRUE(radio.WriteFeature(first.data(), first.size()));
    EXPECT_EQ(ViewOf(*bank.Find(1)), before) << "the same bytes again";
    Script(bank, "selector 1 upper nav1");
    EXPECT_NE(ViewOf(*bank.Find(1)), before);
}

TEST(RadioFace, ControlsDoNotOverlapAndDigitsStayInTheirWindows) {
    for (int d = 0; d < kRadioDisplays; ++d) {
        const RectF window = face::DisplayWindow(d);
        for (int i = 0; i < kDisplayDigits; ++i) {
            const RectF cell = face::DigitCell(d, i);
            for (int s = 0; s < 7; ++s)
                for (PointF p : SegmentPolygon(cell, s))
                    EXPECT_TRUE(window.Contains(p)) << d << " " << i << " " << s;
            const CircleF point = DecimalPoint(cell);
            EXPECT_GT(point.centre.x - point.radius, cell.right - 2) << "the point sits right of its digit";
            EXPECT_LT(point.centre.x + point.radius, window.right);
            if (i + 1 < kDisplayDigits) {
                EXPECT_LT(point.centre.x + point.radius, face::DigitCell(d, i + 1).left);
            }
        }
        for (int other = d + 1; other < kRadioDisplays; ++other)
            EXPECT_FALSE(Overlap(window, face::DisplayWindow(other))) << d << " " << other;
    }
    for (int half = 0; half < 2; ++half) {
        for (int i = 0; i < kSelectorPositions; ++i)
            for (int j = i + 1; j < kSelectorPositions; ++j)
                EXPECT_FALSE(Overlap(face::PositionLabel(half, i), face::PositionLabel(half, j))) << i << " " << j;
        const RectF leftmost = face::PositionLabel(half, 1);
        EXPECT_GE(leftmost.left, 0);
        EXPECT_LT(face::PositionLabel(half, 5).right, face::DisplayWindow(half * 2).left);
        const PointF knob = face::KnobCentre(half);
        EXPECT_LE(knob.x + face::kOuterKnobRadius, face::kWidth);
        EXPECT_LT(face::Button(half).centre.x + face::Button(half).radius, face::DisplayWindow(half * 2 + 1).left);
    }
    EXPECT_LT(face::PositionLabel(1, 0).bottom, face::HelpLine().top);
    EXPECT_LE(face::HelpLine().bottom, face::kHeight);
}

TEST(RadioFace, HitTestingFindsEachControl) {
    for (int half = 0; half < 2; ++half) {
        for (int i = 0; i < kSelectorPositions; ++i)
            EXPECT_EQ(HitTest(Centre(face::PositionLabel(half, i))), (RadioHit{RadioPart::SelectorPosition, half, i}));
        EXPECT_EQ(HitTest(face::SelectorKnob(half).centre), (RadioHit{RadioPart::Selector, half, -1}));
        EXPECT_EQ(HitTest(face::Button(half).centre), (RadioHit{RadioPart::Button, half, -1}));
        const PointF knob = face::KnobCentre(half);
        EXPECT_EQ(HitTest(knob).part, RadioPart::InnerKnob);
        EXPECT_EQ(HitTest({knob.x + face::kInnerKnobRadius - 1, knob.y}).part, RadioPart::InnerKnob);
        EXPECT_EQ(HitTest({knob.x, knob.y - face::kInnerKnobRadius - 2}), (RadioHit{RadioPart::OuterKnob, half, -1}));
        EXPECT_EQ(HitTest({knob.x - face::kOuterKnobRadius + 1, knob.y}).part, RadioPart::OuterKnob);
        EXPECT_EQ(HitTest({knob.x + face::kOuterKnobRadius + 6, knob.y}).part, RadioPart::None);
        EXPECT_EQ(HitTest(Centre(face::DisplayWindow(half * 2))).part, RadioPart::None);
    }
    EXPECT_EQ(HitTest({2, 2}).part, RadioPart::None);
}

TEST(RadioFace, ControlsSendWhatThePipeCommandsSend) {
    PanelBank bank;
    bank.Add(PanelKind::Radio);
    const auto at = [&](int half) { return SelectorPosition(bank.Find(1)->model.Positions(), half); };

    // One wheel notch over a ring: two set/clear pulse pairs of that knob.
    auto reports = Script(bank, *WheelCommand(1, {RadioPart::InnerKnob, 0, -1}, 1, at(0)));
    ASSERT_EQ(reports.size(), 4u);
    EXPECT_EQ(Word(reports[0]), 0x810001u);
    EXPECT_EQ(Word(reports[1]), 0x810000u);
    EXPECT_EQ(Word(reports[2]), 0x810001u);
    reports = Script(bank, *WheelCommand(1, {RadioPart::OuterKnob, 1, -1}, -2, at(1)));
    ASSERT_EQ(reports.size(), 8u);
    EXPECT_EQ(reports[0][3], 0x80) << "lower outer, counter-clockwise";
    Plan timed = Interpret(bank, *WheelCommand(1, {RadioPart::OuterKnob, 0, -1}, 1, at(0)));
    EXPECT_DOUBLE_EQ(timed.steps[1].atMs, 1000.0 / (kWheelNotchesPerSecond * 4));
    EXPECT_FALSE(WheelCommand(1, {RadioPart::Button, 0, -1}, 1, at(0)));
    EXPECT_FALSE(WheelCommand(1, {RadioPart::InnerKnob, 0, -1}, 0, at(0)));

    // Selectors: a label moves there, the knob one step, and the stops hold.
    EXPECT_EQ(at(0), 0);
    EXPECT_FALSE(ClickCommand(1, {RadioPart::SelectorPosition, 0, 0}, true, at(0))) << "already at COM1";
    EXPECT_FALSE(ClickCommand(1, {RadioPart::Selector, 1, -1}, false, at(1))) << "nothing before COM1";
    reports = Script(bank, *ClickCommand(1, {RadioPart::SelectorPosition, 1, 3}, true, at(1)));
    EXPECT_EQ(Word(reports.back()), 0x010400u) << "lower at NAV2";
    EXPECT_EQ(at(1), 3);
    EXPECT_EQ(SelectorTarget(*ClickCommand(1, {RadioPart::SelectorPosition, 0, 6}, true, at(0))), 6);
    EXPECT_EQ(SelectorTarget(*WheelCommand(1, {RadioPart::InnerKnob, 0, -1}, 7, at(0))), -1);
    Script(bank, *ClickCommand(1, {RadioPart::Selector, 1, -1}, false, at(1)));
    EXPECT_EQ(at(1), 2);
    Script(bank, *WheelCommand(1, {RadioPart::Selector, 0, -1}, 10, at(0)));
    EXPECT_EQ(at(0), 6) << "the wheel stops at XPDR";
    EXPECT_FALSE(WheelCommand(1, {RadioPart::Selector, 0, -1}, 1, at(0)));
    EXPECT_EQ(SelectorPosition(0x030000, 0), -1) << "two positions at once";

    // A click on a ring is one notch that way.
    reports = Script(bank, *ClickCommand(1, {RadioPart::InnerKnob, 1, -1}, false, at(1)));
    EXPECT_EQ(reports[0][3], 0x20);

    // ACT/STBY is held between press and release.
    reports = Script(bank, ButtonCommand(1, 1, true));
    EXPECT_EQ(Word(reports.back()) & 0xC000u, 0x8000u);
    reports = Script(bank, ButtonCommand(1, 1, false));
    EXPECT_EQ(Word(reports.back()) & 0xC000u, 0u);
    EXPECT_EQ(ButtonCommand(3, 0, true), "press 3 act1");
}

TEST(RadioFace, KnobMarksFollowThePulses) {
    PanelBank bank;
    bank.Add(PanelKind::Radio);
    const auto& pulses = bank.Find(1)->model.PulseCounts();
    Script(bank, "turn 1 upper-outer 2");
    EXPECT_DOUBLE_EQ(KnobMarkDegrees(pulses, 1), 30);
    EXPECT_DOUBLE_EQ(KnobMarkDegrees(pulses, 0), 0);
    Script(bank, "turn 1 upper-outer -3");
    EXPECT_DOUBLE_EQ(KnobMarkDegrees(pulses, 1), 345);
    Script(bank, "turn 1 lower-inner 24");
    EXPECT_DOUBLE_EQ(KnobMarkDegrees(pulses, 2), 0) << "a full turn";
    // A pulse bit set again while still set is one pulse.
    PanelModel& model = bank.Find(1)->model;
    model.SetPulse(0x40, true);
    model.SetPulse(0x40, true);
    EXPECT_EQ(pulses[6], 1u);
}

TEST(Pixels, ShrinkingAveragesEachChannelOfABlock) {
    // 5 x 2 pixels shrunk by 2: two output pixels, the fifth column dropped.
    const uint32_t in[10] = {0x000000FF, 0x00000000, 0xFF102030, 0xFF102030, 0xDEADBEEF,
                             0x000000FF, 0x00000001, 0x01000000, 0x00FFFFFF, 0xDEADBEEF};
    uint32_t out[2] = {0, 0};
    ShrinkByAveraging(in, 5, 2, 2, out);
    EXPECT_EQ(out[0], 0x00000080u) << "511 / 4 rounds up to 128";
    EXPECT_EQ(out[1], 0x80485058u);
    uint32_t untouched = 7;
    ShrinkByAveraging(in, 1, 1, 2, &untouched);
    EXPECT_EQ(untouched, 7u) << "smaller than one block";
}
