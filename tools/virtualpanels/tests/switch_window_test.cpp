// The drawn Switch Panel in one process with its engine: mouse messages on
// the window reach a reader of the device with the bits the real panel
// sends, and the gear lamps follow the feature reports a writer sends.
#include "tools/virtualpanels/switch_window_win32.h"
#include "tools/virtualpanels/tests/face_window_fixture.h"

using namespace orvex::virtualpanels;
namespace sface = orvex::virtualpanels::switchpanel::face;

namespace {

class SwitchWindow : public FaceWindowFixture<SwitchPanelWindow, PanelKind::Switch> {};

} // namespace

TEST_F(SwitchWindow, MouseActionsReachAReaderWithThePanelsBits) {
    // The panel starts with the magneto OFF and the lever DOWN (0x002008).
    Click(Centre(sface::SwitchSlot(0)));
    EXPECT_EQ(Read(1), (std::vector<uint32_t>{0x012008})) << "BAT on";
    Click(Centre(sface::SwitchSlot(12)));
    EXPECT_EQ(Read(1), (std::vector<uint32_t>{0x013008})) << "LANDING on";
    // The window flips a switch from what the device shows.
    Pump({}, 300);
    Click(Centre(sface::SwitchSlot(0)));
    EXPECT_EQ(Read(1), (std::vector<uint32_t>{0x003008})) << "BAT off";

    // The magneto: a label, then quick clicks that count from the last one sent.
    Click(Centre(sface::MagnetoLabel(3)));
    EXPECT_EQ(Read(1), (std::vector<uint32_t>{0x001009}));
    Click(sface::Magneto().centre);
    Mouse(WM_RBUTTONDOWN, sface::Magneto().centre);
    Mouse(WM_RBUTTONDOWN, sface::Magneto().centre);
    EXPECT_EQ(Read(3), (std::vector<uint32_t>{0x00100A, 0x001009, 0x009008}));

    // The gear lever goes to the other position.
    Click(Centre(sface::GearSlot()));
    EXPECT_EQ(Read(1), (std::vector<uint32_t>{0x009004}));

    // A click beside every control does nothing.
    Click({sface::kWidth / 2, 20});
    EXPECT_TRUE(Silent());
}

TEST_F(SwitchWindow, LampsFollowTheFeatureReports) {
    EXPECT_EQ(switchpanel::LampsText(window_->Shown()), "nose=off left=off right=off");
    const uint64_t before = window_->Redraws();
    ASSERT_TRUE(Write({0x35}));
    EXPECT_TRUE(Pump([&] { return window_->Redraws() > before; }, 2000));
    EXPECT_EQ(switchpanel::LampsText(window_->Shown()), "nose=green left=red right=both");
    ASSERT_TRUE(Write({0x35}));
    Pump({}, 200);
    EXPECT_EQ(window_->Redraws(), before + 1);
    // Drawing what it shows (the window is hidden, so ask for it).
    ::SendMessageA(window_->Handle(), WM_PAINT, 0, 0);
}
