// The BIP setup dialog, shown modeless and driven through its controls: the
// tiles (by mouse and keys), the function groups, colour and threshold, the
// clear buttons, and what OK and Cancel leave in the file and on the panel.
#include "panels/bip/win32/frm_bip_panel_setup.h"

#include "common/win32/place_window_win32.h"
#include "common/win32/window.h"
#include "config/memory_ini_store.h"
#include "config/tests/fake_messages.h"
#include "panels/bip/bip_catalog.h"
#include "panels/bip/win32/bip_setup_resource.h"
#include "tests/support/dialog_driving.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace orvex::panels::bip::win32 {
namespace {

const std::string kFolder = "C:\\Orvex";
const std::string kProfile = kFolder + "\\C172.ini";

using orvex::testing::ClickTab;
using orvex::testing::Visible;
void Pump() { orvex::testing::PumpMessages(); }

// The panel the dialog darkens when it goes.
struct RecordingPanel final : IBIPPanelControl {
    void SetTileLabel(int, const std::string&) override { ++labels; }
    void TurnTile(int, std::int32_t) override { ++tiles; }
    void TurnAllTiles(const std::array<std::int32_t, kTileCount>&) override { ++tiles; }
    void TurnPanel(std::int32_t colour) override { panels.push_back(colour); }
    std::int32_t TileColour(int) const override { return kTileDark; }
    int labels = 0, tiles = 0;
    std::vector<std::int32_t> panels;
};

struct BipSetupTest : ::testing::Test {
    BipSetupTest() : config(store, kFolder, messages), monitors(orvex::win32::EnumerateMonitors()) {
        config.CurrentProfile = "C172";
    }
    void Open(const std::string& section) {
        store.SetFileText(kProfile, "[BIPPanel2]\r\n" + section);
        OpenAgain();
    }
    // Opens the dialog on the file as it is.
    void OpenAgain() {
        before = store.FileText(kProfile);
        dialog = std::make_unique<frmBIPPanelSetup>(config, state, 2, panel, monitors);
        ASSERT_TRUE(dialog->Create(nullptr));
        Pump();
        ASSERT_NE(dialog->Holder(), nullptr);
    }
    HWND Ctl(int id) const { return dialog->Control(id); }
    HWND Option(int function) const { return Ctl(IDC_BIP_OPTFUNCTION + function); }
    HWND Grid() const { return Ctl(IDC_BIP_TILES); }
    void ClickTile(int tile) {
        const RECT r = dialog->TileShape(tile);
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        ::SendMessageA(Grid(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageA(Grid(), WM_LBUTTONUP, 0, at);
        Pump();
    }
    void Key(WPARAM key) {
        ::SendMessageA(Grid(), WM_KEYDOWN, key, 0);
        Pump();
    }
    void Press(HWND button) {
        ASSERT_TRUE(button);
        ::SendMessageA(button, BM_CLICK, 0, 0);
        Pump();
    }
    void Press(int id) { Press(Ctl(id)); }
    void Group(int group) { ClickTab(Ctl(IDC_BIP_TABCAT), TabOfGroup(group)); }
    bool Checked(HWND h) const { return ::SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED; }
    bool Enabled(int id) const { return ::IsWindowEnabled(Ctl(id)) != FALSE; }
    int Slider() const { return static_cast<int>(::SendMessageA(Ctl(IDC_BIP_SLIDERTHRESHOLD), TBM_GETPOS, 0, 0)); }
    void MoveSlider(int value) {
        ::SendMessageA(Ctl(IDC_BIP_SLIDERTHRESHOLD), TBM_SETPOS, TRUE, value);
        ::SendMessageA(dialog->Handle(), WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, value),
                       reinterpret_cast<LPARAM>(Ctl(IDC_BIP_SLIDERTHRESHOLD)));
        Pump();
    }
    std::string Legend(int tile) const {
        const TileLegends& l = dialog->Legends();
        return l.Line(tile, 0) + "|" + l.Line(tile, 1) + "|" + l.Line(tile, 2);
    }
    std::vector<std::string> Keys() { return store.KeyNames(kProfile, "BIPPanel2"); }
    std::string Value(const std::string& key) { return store.ReadString(kProfile, "BIPPanel2", key, ""); }
    // The options checked anywhere in the dialog.
    std::vector<int> CheckedFunctions() const {
        std::vector<int> checked;
        for (int f = 0; f < kTileFunctionCount; ++f)
            if (HWND h = Option(f); h && Checked(h)) checked.push_back(f);
        return checked;
    }

    config::MemoryIniStore store;
    config::testing::RecordingMessages messages;
    config::cConfiguration config;
    MonitorList monitors;
    app::ProgramState state;
    RecordingPanel panel;
    std::unique_ptr<frmBIPPanelSetup> dialog;
    std::string before;
};

TEST_F(BipSetupTest, ShowsEachTilesFunctionColourAndThreshold) {
    ASSERT_NO_FATAL_FAILURE(Open("T0=OIL_PRESSURE,Red,30\r\nT5=GEAR_DOWN\r\nT9=COMBINED_GEAR\r\n"));
    EXPECT_TRUE(state.BIPSetupOpen) << "the panel stops following the simulator";
    EXPECT_EQ(orvex::win32::WindowText(dialog->Handle()), "ORVEX - BIP Panel Configuration");
    EXPECT_EQ(dialog->ItemText(IDC_BIP_LABPROFILE), "Currently in use Profile:  C172");
    EXPECT_EQ(dialog->ItemText(IDC_BIP_HINT), "Click on the tile you want to setup");
    EXPECT_EQ(::SendMessageA(Ctl(IDC_BIP_TABCAT), TCM_GETITEMCOUNT, 0, 0), 8);
    // Every offered function has its option, captioned as the catalogue
    // says; the empty entries have none.
    EXPECT_EQ(orvex::win32::WindowText(Option(0)), "&No Function");
    EXPECT_EQ(orvex::win32::WindowText(Option(2)), "ENG 1 FIRE");
    EXPECT_EQ(orvex::win32::WindowText(Option(6)), "LEFT ENGINE FIRE");
    EXPECT_EQ(orvex::win32::WindowText(Option(67)), "A/P P/RST");
    EXPECT_EQ(Option(42), nullptr);
    for (int f = 1; f < kTileFunctionCount; ++f) {
        if (IsOfferedFunction(f)) {
            EXPECT_NE(Option(f), nullptr) << f;
        }
    }
    EXPECT_EQ(Legend(0), "OIL||PRESSURE");
    EXPECT_EQ(Legend(9), "COMBINED||GEAR");
    EXPECT_EQ(Legend(1), "||");

    // Tile 0 first: its function in the Engines group, red, 30 %.
    EXPECT_EQ(dialog->CurrentTile(), 0);
    EXPECT_EQ(dialog->GroupTab(), TabOfGroup(kGroupEngines));
    EXPECT_TRUE(Visible(Option(9)));
    EXPECT_EQ(CheckedFunctions(), (std::vector<int>{9}));
    EXPECT_EQ(dialog->ItemText(IDC_BIP_LBLDESCRIPTION), TileFunction(9).Description);
    EXPECT_TRUE(Enabled(IDC_BIP_OPTTILECOLOR_GREEN));
    EXPECT_TRUE(Checked(Ctl(IDC_BIP_OPTTILECOLOR_RED)));
    EXPECT_TRUE(Enabled(IDC_BIP_SLIDERTHRESHOLD));
    EXPECT_EQ(Slider(), 30);

    // A click on tile 5 shows the Gear group; no threshold there.
    ClickTile(5);
    EXPECT_EQ(dialog->CurrentTile(), 5);
    EXPECT_EQ(dialog->GroupTab(), TabOfGroup(kGroupGear));
    EXPECT_TRUE(Visible(Option(24)));
    EXPECT_FALSE(Visible(Option(9)));
    EXPECT_EQ(CheckedFunctions(), (std::vector<int>{24}));
    EXPECT_TRUE(Checked(Ctl(IDC_BIP_OPTTILECOLOR_GREEN)));
    EXPECT_FALSE(Enabled(IDC_BIP_SLIDERTHRESHOLD));
    // The arrow keys move on from there: a custom tile has neither choice.
    Key(VK_DOWN);
    Key(VK_LEFT);
    Key(VK_RIGHT);
    Key(VK_RIGHT);
    Key(VK_RIGHT);
    Key(VK_RIGHT);
    EXPECT_EQ(dialog->CurrentTile(), 15);
    Key(VK_UP);
    Key(VK_UP);
    Key(VK_UP);
    EXPECT_EQ(dialog->CurrentTile(), 7) << "the top row stops it";
    ClickTile(9);
    EXPECT_EQ(CheckedFunctions(), (std::vector<int>{52}));
    EXPECT_FALSE(Enabled(IDC_BIP_OPTTILECOLOR_RED));
    EXPECT_FALSE(Enabled(IDC_BIP_SLIDERTHRESHOLD));

    // A tab shows its group without touching the tile.
    Group(kGroupLights);
    EXPECT_EQ(dialog->GroupTab(), TabOfGroup(kGroupLights));
    EXPECT_TRUE(Visible(Option(60)));
    EXPECT_EQ(dialog->Model().Tile(9).Function, 52);

    Press(IDCANCEL);
    EXPECT_TRUE(dialog->Ended());
    EXPECT_EQ(dialog->Result(), IDCANCEL);
    EXPECT_EQ(store.FileText(kProfile), before) << "Cancel writes nothing";
    EXPECT_FALSE(state.BIPSetupOpen);
    EXPECT_EQ(panel.panels, (std::vector<std::int32_t>{kTileDark})) << "the panel goes dark when the dialog goes";
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(BipSetupTest, ANewFunctionTakesItsDefaultsAndOkSavesTheTiles) {
    ASSERT_NO_FATAL_FAILURE(Open("Other=1\r\nT0=OIL_PRESSURE,Red,30\r\nT23=NAV_LIGHT\r\n"));

    // Tile 2 gets VAC.LOW: yellow, 60 %.
    ClickTile(2);
    EXPECT_EQ(CheckedFunctions(), (std::vector<int>{0}));
    EXPECT_FALSE(Enabled(IDC_BIP_OPTTILECOLOR_YELLOW));
    Group(kGroupMisc);
    Press(Option(44));
    EXPECT_EQ(CheckedFunctions(), (std::vector<int>{44}));
    EXPECT_EQ(Legend(2), "VAC||LOW");
    EXPECT_TRUE(Checked(Ctl(IDC_BIP_OPTTILECOLOR_YELLOW)));
    EXPECT_EQ(Slider(), 60);
    // Its colour and threshold changed; clicking the same function keeps them.
    Press(IDC_BIP_OPTTILECOLOR_GREEN);
    MoveSlider(45);
    Press(Option(44));
    EXPECT_EQ(dialog->Model().Tile(2), (BIPTileSetup{44, 45, kTileGreen}));
    EXPECT_TRUE(Checked(Ctl(IDC_BIP_OPTTILECOLOR_GREEN)));
    EXPECT_EQ(Slider(), 45);
    // Another function resets them to its defaults.
    Press(Option(47));
    EXPECT_EQ(dialog->Model().Tile(2), (BIPTileSetup{47, 0, kTileYellow}));
    EXPECT_FALSE(Enabled(IDC_BIP_SLIDERTHRESHOLD));
    EXPECT_EQ(store.FileText(kProfile), before) << "nothing is written before OK";

    // Clearing tile 0; "No Function" on tile 23 clears it too.
    ClickTile(0);
    Press(IDC_BIP_CMBCLEAR);
    EXPECT_EQ(CheckedFunctions(), (std::vector<int>{0}));
    EXPECT_EQ(dialog->ItemText(IDC_BIP_LBLDESCRIPTION), "");
    EXPECT_EQ(Legend(0), "||");
    ClickTile(23);
    EXPECT_EQ(CheckedFunctions(), (std::vector<int>{60}));
    Press(Option(0));
    EXPECT_EQ(dialog->Model().Tile(23), (BIPTileSetup{}));
    ClickTile(22);
    Group(kGroupEngines);
    Press(Option(1));
    Press(IDC_BIP_OPTTILECOLOR_YELLOW);
    Press(IDOK);

    ASSERT_TRUE(dialog->Ended());
    EXPECT_EQ(dialog->Result(), IDOK);
    EXPECT_EQ(Keys(), (std::vector<std::string>{"Other", "T2", "T22"}));
    EXPECT_EQ(Value("T2"), "STALL_WARNING,Yellow");
    EXPECT_EQ(Value("T22"), "ENG_FIRE,Yellow");
    EXPECT_EQ(panel.panels, (std::vector<std::int32_t>{kTileDark}));

    // Opened again: what was saved; clearing every tile leaves only the
    // other key.
    ASSERT_NO_FATAL_FAILURE(OpenAgain());
    EXPECT_EQ(Legend(22), "ENG||FIRE");
    Press(IDC_BIP_CMDCLEARALL);
    EXPECT_EQ(Legend(22), "||");
    Press(IDOK);
    EXPECT_EQ(Keys(), (std::vector<std::string>{"Other"}));
}

} // namespace
} // namespace orvex::panels::bip::win32
