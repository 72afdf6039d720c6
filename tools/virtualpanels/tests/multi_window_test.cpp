// The drawn Multi Panel in one process with its engine: mouse messages on
// the window reach a reader of the device with the bits the real panel
// sends, and the rows and lamps follow the feature reports a writer sends.
#include "tools/virtualpanels/multi_window_win32.h"
#include "tools/virtualpanels/tests/face_window_fixture.h"

using namespace orvex::virtualpanels;
namespace mface = orvex::virtualpanels::multi::face;

namespace {

class MultiWindow : public FaceWindowFixture<MultiPanelWindow, PanelKind::Multi> {};

} // namespace

TEST_F(MultiWindow, MouseActionsReachAReaderWithThePanelsBits) {
    // A wheel notch up over the knob: two set/clear pairs of the clockwise bit.
    const PointF knob = mface::Knob().centre;
    Wheel(knob, WHEEL_DELTA);
    EXPECT_EQ(Read(4), (std::vector<uint32_t>{0x210000, 0x010000, 0x210000, 0x010000}));
    // Two notches down given at once: one train after the other, never mixed.
    Wheel(knob, -WHEEL_DELTA);
    Wheel(knob, -WHEEL_DELTA);
    auto words = Read(8);
    ASSERT_EQ(words.size(), 8u);
    for (size_t i = 0; i < words.size(); ++i) EXPECT_EQ(words[i], i % 2 == 0 ? 0x410000u : 0x010000u) << i;
    // A click on the knob's left half turns it back, on its right half on.
    Click({knob.x - 20, knob.y});
    EXPECT_EQ(Read(1), (std::vector<uint32_t>{0x410000}));
    Read(3);
    Click({knob.x + 20, knob.y});
    EXPECT_EQ(Read(1), (std::vector<uint32_t>{0x210000}));
    Read(3);

    // The trim wheel: its upper half trims up (0x08), its lower half down (0x04).
    const RectF trim = mface::TrimWheel();
    Click({Centre(trim).x, trim.top + 10});
    EXPECT_EQ(Read(4), (std::vector<uint32_t>{0x010008, 0x010000, 0x010008, 0x010000}));
    Wheel({Centre(trim).x, trim.bottom - 10}, -WHEEL_DELTA);
    EXPECT_EQ(Read(1), (std::vector<uint32_t>{0x010004}));
    Read(3);

    // The mode selector: a label, then quick clicks that count from the last one sent.
    Click(Centre(mface::ModeLabel(3)));
    EXPECT_EQ(Read(1), (std::vector<uint32_t>{0x080000}));
    Mouse(WM_RBUTTONDOWN, mface::Selector().centre);
    Mouse(WM_RBUTTONDOWN, mface::Selector().centre);
    EXPECT_EQ(Read(2), (std::vector<uint32_t>{0x040000, 0x020000}));
    Click(mface::Selector().centre);
    EXPECT_EQ(Read(1), (std::vector<uint32_t>{0x040000}));

    // A lamp button is held while the mouse button is down, and let go when the capture goes.
    Mouse(WM_LBUTTONDOWN, Centre(mface::Button(0)));
    EXPECT_EQ(Read(1), (std::vector<uint32_t>{0x840000}));
    Mouse(WM_LBUTTONUP, Centre(mface::Button(0)));
    EXPECT_EQ(Read(1), (std::vector<uint32_t>{0x040000}));
    Mouse(WM_LBUTTONDOWN, Centre(mface::Button(6)));
    ::SendMessageA(window_->Handle(), WM_CAPTURECHANGED, 0, 0);
    Mouse(WM_LBUTTONUP, Centre(mface::Button(6)));
    EXPECT_EQ(Read(2), (std::vector<uint32_t>{0x042000, 0x040000})) << "APR";
    EXPECT_TRUE(Silent()) << "released once";

    // The flaps lever: down while held, back to the middle when let go.
    const RectF flaps = mface::Flaps();
    Mouse(WM_LBUTTONDOWN, {Centre(flaps).x, flaps.bottom - 8});
    EXPECT_EQ(Read(1), (std::vector<uint32_t>{0x040002}));
    Mouse(WM_LBUTTONUP, {Centre(flaps).x, flaps.bottom - 8});
    EXPECT_EQ(Read(1), (std::vector<uint32_t>{0x040000}));
    Mouse(WM_RBUTTONDOWN, {Centre(flaps).x, flaps.top + 8});
    EXPECT_TRUE(Silent()) << "the right button holds nothing";

    // The auto-throttle switch flips at each click, quick clicks included.
    Click(Centre(mface::AutoThrottle()));
    Click(Centre(mface::AutoThrottle()));
    EXPECT_EQ(Read(2), (std::vector<uint32_t>{0x048000, 0x040000}));

    // A click beside every control does nothing.
    Click(Centre(mface::DisplayWindow()));
    EXPECT_TRUE(Silent());
}

TEST_F(MultiWindow, RowsAndLampsFollowTheFeatureReportsAndRedrawOnlyOnChange) {
    EXPECT_EQ(multi::DisplaysText(window_->Shown()), "     |     |");
    const uint64_t before = window_->Redraws();
    ASSERT_TRUE(Write({10, 10, 2, 7, 0, 10, 14, 5, 0, 0, 0x03}));
    EXPECT_TRUE(Pump([&] { return window_->Redraws() > before; }, 2000));
    EXPECT_EQ(multi::DisplaysText(window_->Shown()), "  270| -500|AP HDG");

    // The same bytes again: nothing to redraw.
    ASSERT_TRUE(Write({10, 10, 2, 7, 0, 10, 14, 5, 0, 0, 0x03}));
    Pump({}, 200);
    EXPECT_EQ(window_->Redraws(), before + 1);

    // Switched off: every place dark, every lamp out.
    ASSERT_TRUE(Write({15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 0}));
    EXPECT_TRUE(Pump([&] { return window_->Redraws() > before + 1; }, 2000));
    EXPECT_EQ(multi::DisplaysText(window_->Shown()), "     |     |");
    // Drawing what it shows (the window is hidden, so ask for it).
    ::SendMessageA(window_->Handle(), WM_PAINT, 0, 0);
}
