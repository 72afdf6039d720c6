// The Switch Panel setup dialog, shown modeless and driven through its
// controls: the input tabs and their two selectors, the options page, and
// what OK and Cancel leave in the file.
#include "panels/switch/win32/frm_switch_panel_setup.h"

#include "common/win32/place_window_win32.h"
#include "common/win32/window.h"
#include "config/memory_ini_store.h"
#include "config/tests/fake_messages.h"
#include "panels/switch/win32/switch_setup_resource.h"
#include "tests/support/dialog_driving.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace orvex::panels::switchpanel::win32 {
namespace {

using actions::EventAction;
using actions::win32::ctlEventSelector;

const std::string kFolder = "C:\\Orvex";
const std::string kProfile = kFolder + "\\C172.ini";

using orvex::testing::ClickTab;
using orvex::testing::Visible;
void Pump() { orvex::testing::PumpMessages(); }

struct SwitchSetupTest : ::testing::Test {
    SwitchSetupTest() : config(store, kFolder, messages), monitors(orvex::win32::EnumerateMonitors()) {
        config.CurrentProfile = "C172";
        context.State = &state;
        context.Setup = &config.Setup();
        context.Monitors = &monitors;
        context.Messages = &messages;
    }
    void Open(const std::string& section) {
        store.SetFileText(kProfile, "[SwitchPanel2]\r\n" + section);
        before = store.FileText(kProfile);
        dialog = std::make_unique<frmSwitchPanelSetup>(config, 2, context, monitors);
        ASSERT_TRUE(dialog->Create(nullptr));
        Pump();
        ASSERT_NE(dialog->Holder(), nullptr);
        ASSERT_NE(dialog->Selector(kStateOn), nullptr);
        ASSERT_NE(dialog->Selector(kStateOff), nullptr);
    }
    HWND Ctl(int id) const { return dialog->Control(id); }
    ctlEventSelector& On() const { return *dialog->Selector(kStateOn); }
    ctlEventSelector& Off() const { return *dialog->Selector(kStateOff); }
    void Input(int index) { ClickTab(Ctl(IDC_SWITCH_TABMAIN), index - 1); }
    void Press(int id) {
        ::SendMessageA(Ctl(id), BM_CLICK, 0, 0);
        Pump();
    }
    bool Checked(int id) const { return ::SendMessageA(Ctl(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    std::vector<std::string> Keys() { return store.KeyNames(kProfile, "SwitchPanel2"); }

    config::MemoryIniStore store;
    config::testing::RecordingMessages messages;
    config::cConfiguration config;
    MonitorList monitors;
    app::ProgramState state;
    actions::win32::EventSelectorContext context;
    std::unique_ptr<frmSwitchPanelSetup> dialog;
    std::string before;
};

TEST_F(SwitchSetupTest, ShowsEachInputsActionsAndTheOptions) {
    ASSERT_NO_FATAL_FAILURE(Open("SwitchSELOFFOff=VKey,79,2,111\r\nSwitchGEARDOWNOn=VButton,66,9\r\n"
                                 "SingleDeIce=1\r\nRetractableGear=0\r\n"));
    EXPECT_EQ(orvex::win32::WindowText(dialog->Handle()), "  ORVEX - Switch Panel Configuration");
    EXPECT_EQ(dialog->ItemText(IDC_SWITCH_LABPROFILE), "Currently in use Profile:  C172");
    EXPECT_EQ(::SendMessageA(Ctl(IDC_SWITCH_TABMAIN), TCM_GETITEMCOUNT, 0, 0), 20);
    EXPECT_EQ(::SendMessageA(Ctl(IDC_SWITCH_TABMENU), TCM_GETITEMCOUNT, 0, 0), 2);

    // The first input, the magneto's OFF.
    EXPECT_EQ(dialog->Input(), kSelOff);
    EXPECT_TRUE(Visible(On().Handle()));
    EXPECT_FALSE(Visible(Ctl(IDC_SWITCH_CHKRETGEAR)));
    EXPECT_EQ(On().FSEvent(), actions::kOffset);
    EXPECT_EQ(Off().FSEvent(), actions::kVKey);
    EXPECT_EQ(Off().KeyCode(), 79);
    EXPECT_EQ(Off().KeyAscii(), 111);
    Input(kGearDown);
    EXPECT_EQ(dialog->Input(), kGearDown);
    EXPECT_EQ(On().FSEvent(), actions::kVButton);
    EXPECT_EQ(On().VJoystick(), 66);
    EXPECT_EQ(On().VButton(), 9);
    EXPECT_EQ(Off().FSEvent(), actions::kOffset);

    // The options page instead of the events.
    ClickTab(Ctl(IDC_SWITCH_TABMENU), 1);
    EXPECT_EQ(dialog->MenuPage(), 1);
    EXPECT_TRUE(Visible(Ctl(IDC_SWITCH_CHKRETGEAR)));
    EXPECT_FALSE(Visible(On().Handle()));
    EXPECT_TRUE(Checked(IDC_SWITCH_CHKDEICE));
    EXPECT_FALSE(Checked(IDC_SWITCH_CHKRETGEAR));
    EXPECT_FALSE(Checked(IDC_SWITCH_CHKSTARTERSELECTOR));
    // A check box writes the dialog's holder at once, the file not yet.
    Press(IDC_SWITCH_CHKRETGEAR);
    Press(IDC_SWITCH_CHKFUELPUMP);
    Press(IDC_SWITCH_CHKDEICE);
    EXPECT_TRUE(dialog->Holder()->RetractableGear);
    EXPECT_TRUE(dialog->Holder()->SingleFuelPump);
    EXPECT_FALSE(dialog->Holder()->SingleDeIce);
    EXPECT_EQ(store.FileText(kProfile), before);
    ClickTab(Ctl(IDC_SWITCH_TABMENU), 0);
    EXPECT_TRUE(Visible(On().Handle()));

    Press(IDCANCEL);
    EXPECT_TRUE(dialog->Ended());
    EXPECT_EQ(dialog->Result(), IDCANCEL);
    EXPECT_EQ(store.FileText(kProfile), before) << "Cancel writes nothing";
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(SwitchSetupTest, EditsFollowTheTabsAndOkWritesOnlyWhatDiffers) {
    ASSERT_NO_FATAL_FAILURE(Open("OwnKey=5\r\nSwitchBATOn=Offset\r\nSwitchNAVOff=None\r\n"));
    Input(kBat);
    On().Load(EventAction{actions::kVButton, 64, 1, 0});
    Off().FSEvent(actions::kNone);
    Input(kNav);
    EXPECT_EQ(Off().FSEvent(), actions::kNone);
    Off().FSEvent(actions::kOffset); // back to the default: the key goes
    On().Load(EventAction{actions::kVKey, 78, 1, 110});
    Input(kBat);
    EXPECT_EQ(On().FSEvent(), actions::kVButton);
    EXPECT_EQ(Off().FSEvent(), actions::kNone);
    EXPECT_EQ(dialog->Holder()->SwitchAction(kNav, kStateOn), (EventAction{actions::kVKey, 78, 1, 110}));
    EXPECT_EQ(store.FileText(kProfile), before);
    // The input shown when OK is pressed is stored too.
    Input(kLanding);
    Off().Load(EventAction{actions::kVKey, 76, 0, 108});
    ClickTab(Ctl(IDC_SWITCH_TABMENU), 1);
    Press(IDC_SWITCH_CHKRETGEAR);
    Press(IDOK);

    ASSERT_TRUE(dialog->Ended());
    EXPECT_EQ(dialog->Result(), IDOK);
    EXPECT_EQ(Keys(), (std::vector<std::string>{"OwnKey", "SwitchBATOn", "SwitchNAVOn", "SwitchBATOff",
                                                "SwitchLANDINGOff", "RetractableGear"}));
    EXPECT_EQ(store.ReadString(kProfile, "SwitchPanel2", "SwitchBATOn", ""), "VButton,64,1");
    EXPECT_EQ(store.ReadString(kProfile, "SwitchPanel2", "SwitchNAVOn", ""), "VKey,78,1,110");
    EXPECT_EQ(store.ReadString(kProfile, "SwitchPanel2", "SwitchBATOff", ""), "None");
    EXPECT_EQ(store.ReadString(kProfile, "SwitchPanel2", "SwitchLANDINGOff", ""), "VKey,76,0,108");
    EXPECT_EQ(store.ReadString(kProfile, "SwitchPanel2", "RetractableGear", ""), "0");

    // Opened again and confirmed as it is: the same file.
    const std::string saved = store.FileText(kProfile);
    dialog = std::make_unique<frmSwitchPanelSetup>(config, 2, context, monitors);
    ASSERT_TRUE(dialog->Create(nullptr));
    Pump();
    Press(IDOK);
    EXPECT_EQ(store.FileText(kProfile), saved);
}

} // namespace
} // namespace orvex::panels::switchpanel::win32
