// The drawn Radio Panel in one process with its engine: mouse messages on
// the window reach a reader of the device as the control commands' reports
// do, and the displays follow the feature reports a writer sends.
#include "tools/virtualpanels/radio_window_win32.h"
#include "tools/virtualpanels/tests/face_window_fixture.h"

using namespace orvex::virtualpanels;

namespace {

class RadioWindow : public FaceWindowFixture<RadioPanelWindow, PanelKind::Radio> {};

} // namespace

TEST_F(RadioWindow, MouseActionsReachAReaderAsTheCommandsDo) {
    // A wheel notch over the upper inner ring: two set/clear pairs of its pulse.
    Wheel(face::KnobCentre(0), WHEEL_DELTA);
    EXPECT_EQ(Read(4), (std::vector<uint32_t>{0x810001, 0x810000, 0x810001, 0x810000}));

    // Two notches back over the lower outer ring, given at once: one train after the other.
    const PointF lowerOuter{face::KnobCentre(1).x, face::KnobCentre(1).y - face::kOuterKnobRadius + 6};
    Wheel(lowerOuter, -WHEEL_DELTA);
    Wheel(lowerOuter, -WHEEL_DELTA);
    auto words = Read(8);
    ASSERT_EQ(words.size(), 8u);
    for (size_t i = 0; i < words.size(); ++i) EXPECT_EQ(words[i], 0x810000u | (i % 2 == 0 ? 0x80u : 0u)) << i;
    // Half a notch turns nothing yet; the other half does.
    Wheel(face::KnobCentre(0), WHEEL_DELTA / 2);
    EXPECT_TRUE(Silent());
    Wheel(face::KnobCentre(0), WHEEL_DELTA / 2);
    EXPECT_EQ(Read(4).size(), 4u);

    // Selectors: a label, and the knob; COM1 is the first stop.
    Mouse(WM_LBUTTONDOWN, Centre(face::PositionLabel(1, 3)));
    EXPECT_EQ(Read(1), (std::vector<uint32_t>{0x010400}));
    Mouse(WM_RBUTTONDOWN, face::SelectorKnob(0).centre);
    EXPECT_TRUE(Silent());
    Mouse(WM_LBUTTONDOWN, face::SelectorKnob(0).centre);
    EXPECT_EQ(Read(1), (std::vector<uint32_t>{0x020400}));
    // Clicks quicker than the window hears back still count from the last one sent.
    Mouse(WM_LBUTTONDOWN, face::SelectorKnob(0).centre);
    Mouse(WM_LBUTTONDOWN, face::SelectorKnob(0).centre);
    EXPECT_EQ(Read(2), (std::vector<uint32_t>{0x040400, 0x080400}));

    // ACT/STBY is held while the mouse button is down, and let go when the capture goes.
    Mouse(WM_LBUTTONDOWN, face::Button(0).centre);
    EXPECT_EQ(Read(1), (std::vector<uint32_t>{0x084400}));
    Mouse(WM_LBUTTONUP, face::Button(0).centre);
    EXPECT_EQ(Read(1), (std::vector<uint32_t>{0x080400}));
    Mouse(WM_LBUTTONDOWN, face::Button(1).centre);
    ::SendMessageA(window_->Handle(), WM_CAPTURECHANGED, 0, 0);
    Mouse(WM_LBUTTONUP, face::Button(1).centre);
    EXPECT_EQ(Read(2), (std::vector<uint32_t>{0x088400, 0x080400}));
    EXPECT_TRUE(Silent()) << "released once";

    // A click beside every control does nothing.
    Mouse(WM_LBUTTONDOWN, Centre(face::DisplayWindow(0)));
    Mouse(WM_LBUTTONUP, Centre(face::DisplayWindow(0)));
    EXPECT_TRUE(Silent());
}

TEST_F(RadioWindow, DisplaysFollowTheFeatureReportsAndRedrawOnlyOnChange) {
    EXPECT_EQ(DisplaysText(window_->Shown()), "     |     |     |     ");
    const uint64_t before = window_->Redraws();
    ASSERT_TRUE(Write({0x01, 0x01, 0xD8, 0x00, 0x02, 0x01, 0x02, 0xD1, 0x05, 0x00,  //
                       0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xDF, 0x07}));
    EXPECT_TRUE(Pump([&] { return window_->Redraws() > before; }, 2000));
    EXPECT_EQ(DisplaysText(window_->Shown()), "118.02|121.50|     |    .7");

    // The same bytes again: nothing to redraw.
    ASSERT_TRUE(Write({0x01, 0x01, 0xD8, 0x00, 0x02, 0x01, 0x02, 0xD1, 0x05, 0x00,  //
                       0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xDF, 0x07}));
    Pump({}, 200);
    EXPECT_EQ(window_->Redraws(), before + 1);

    ASSERT_TRUE(Write({0xFF, 0xFF, 0xFF, 0xFF, 0x00}));
    EXPECT_TRUE(Pump([&] { return window_->Redraws() > before + 1; }, 2000));
    EXPECT_EQ(DisplaysText(window_->Shown()), "    0|00000|00000|00000");
    // Drawing what it shows (the window is hidden, so ask for it).
    ::SendMessageA(window_->Handle(), WM_PAINT, 0, 0);
}
