// The Radio Panel setup dialog, shown modeless and driven through its
// controls: what it shows of the profile, edits kept across the position
// tabs, the ADF step texts, and what OK and Cancel leave in the file.
#include "panels/radio/win32/frm_radio_panel_setup.h"

#include "app/program_state.h"
#include "common/win32/place_window_win32.h"
#include "common/win32/window.h"
#include "config/memory_ini_store.h"
#include "config/tests/fake_messages.h"
#include "config/tests/win32/temp_folder.h"
#include "config/win32/inifile.h"
#include "panels/radio/win32/radio_setup_resource.h"
#include "tests/support/dialog_driving.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace orvex::panels::radio::win32 {
namespace {

using actions::EventAction;
using actions::win32::ctlEventSelector;
using config::NumberLocale;

const std::string kFolder = "C:\\Orvex";
const std::string kProfile = kFolder + "\\A320.ini";

using orvex::testing::ClickTab;
using orvex::testing::Visible;
void Pump() { orvex::testing::PumpMessages(); }

struct RadioSetupTest : ::testing::Test {
    explicit RadioSetupTest(NumberLocale locale = NumberLocale{','})
        : config(store, kFolder, messages, nullptr, locale), monitors(orvex::win32::EnumerateMonitors()) {
        config.CurrentProfile = "A320";
        context.State = &state;
        context.Setup = &config.Setup();
        context.Monitors = &monitors;
    }
    void Open(const std::string& section, std::int16_t panel = 1) {
        store.SetFileText(kProfile, "[RadioPanel" + std::to_string(panel) + "]\r\n" + section);
        before = store.FileText(kProfile);
        dialog = std::make_unique<frmRadioPanelSetup>(config, panel, context, messages, monitors);
        ASSERT_TRUE(dialog->Create(nullptr));
        Pump();
        ASSERT_NE(dialog->Holder(), nullptr);
        for (SetupSlot slot : kSetupSlots) ASSERT_NE(dialog->Selector(slot), nullptr);
    }
    HWND Ctl(int id) const { return dialog->Control(id); }
    ctlEventSelector& Sel(SetupSlot slot) const { return *dialog->Selector(slot); }
    void Press(int id) {
        ::SendMessageA(Ctl(id), BM_CLICK, 0, 0);
        Pump();
    }
    void Position(int position) { ClickTab(Ctl(IDC_RADIO_TABSELECTOR), position - 1); }
    void Type(int id, const char* text) {
        ::SetWindowTextA(Ctl(id), text);
        Pump();
    }
    int Slider() const { return static_cast<int>(::SendMessageA(Ctl(IDC_RADIO_SLIDER), TBM_GETPOS, 0, 0)); }
    void Slider(int value) { ::SendMessageA(Ctl(IDC_RADIO_SLIDER), TBM_SETPOS, TRUE, value); }
    std::vector<std::string> Keys() { return store.KeyNames(kProfile, "RadioPanel1"); }

    config::MemoryIniStore store;
    config::testing::RecordingMessages messages;
    config::cConfiguration config;
    MonitorList monitors;
    app::ProgramState state;
    actions::win32::EventSelectorContext context;
    std::unique_ptr<frmRadioPanelSetup> dialog;
    std::string before;
};

TEST_F(RadioSetupTest, ShowsTheProfileOfThePanel) {
    config.Setup().SetupFormTop(1500);
    config.Setup().SetupFormLeft(3000);
    ASSERT_NO_FATAL_FAILURE(Open("OutRotUpNAV1=VButton,64,3\r\nRotAccelerationCOM1=10\r\nADFMode=2\r\nDMEMode=1\r\n"
                                 "AltimeterUnit=2\r\nADFInnStep=0,5\r\n"));
    EXPECT_EQ(orvex::win32::WindowText(dialog->Handle()), "  ORVEX - Radio Panel Configuration");
    EXPECT_EQ(dialog->ItemText(IDC_RADIO_LABPROFILE), "Currently in use Profile:  A320");
    RECT r{};
    ::GetWindowRect(dialog->Handle(), &r);
    EXPECT_EQ(r.left, 200);
    EXPECT_EQ(r.top, 100);

    // COM1, the inner knob page, no option frame.
    EXPECT_EQ(dialog->Position(), kCom1);
    EXPECT_EQ(::SendMessageA(Ctl(IDC_RADIO_TABSELECTOR), TCM_GETITEMCOUNT, 0, 0), 7);
    EXPECT_EQ(::SendMessageA(Ctl(IDC_RADIO_TABCONTROLS), TCM_GETITEMCOUNT, 0, 0), 4);
    EXPECT_TRUE(Visible(Ctl(IDC_RADIO_ES_CLOCKWISE0)));
    EXPECT_FALSE(Visible(Ctl(IDC_RADIO_ES_CLOCKWISE1)));
    EXPECT_FALSE(Visible(Ctl(IDC_RADIO_ES_SELECTOR)));
    EXPECT_FALSE(Visible(Ctl(IDC_RADIO_ADF_FRAME)));
    EXPECT_FALSE(Visible(Ctl(IDC_RADIO_DME_FRAME)));
    EXPECT_FALSE(Visible(Ctl(IDC_RADIO_ALTIMETER_FRAME)));
    EXPECT_EQ(Slider(), 10);
    EXPECT_EQ(Sel(SetupSlot::InnerUp).FSEvent(), actions::kOffset);
    EXPECT_EQ(Sel(SetupSlot::Selector).FSEvent(), actions::kNone);

    // The options and steps, whatever position is shown.
    const auto checked = [this](int id) { return ::SendMessageA(Ctl(id), BM_GETCHECK, 0, 0) == BST_CHECKED; };
    EXPECT_TRUE(checked(IDC_RADIO_ADFMODE2));
    EXPECT_FALSE(checked(IDC_RADIO_ADFMODE0));
    EXPECT_TRUE(checked(IDC_RADIO_DME1));
    EXPECT_TRUE(checked(IDC_RADIO_ALTIMETER2));
    EXPECT_EQ(orvex::win32::WindowText(Ctl(IDC_RADIO_ADFINNSTEP)), "0,5");
    EXPECT_EQ(orvex::win32::WindowText(Ctl(IDC_RADIO_ADFOUTSTEP)), "1");

    // NAV1 shows its own records; the event tabs pick the page.
    Position(kNav1);
    EXPECT_EQ(Slider(), 1);
    ClickTab(Ctl(IDC_RADIO_TABCONTROLS), 1);
    EXPECT_EQ(dialog->EventPage(), 1);
    EXPECT_TRUE(Visible(Ctl(IDC_RADIO_ES_CLOCKWISE1)));
    EXPECT_FALSE(Visible(Ctl(IDC_RADIO_ES_CLOCKWISE0)));
    EXPECT_EQ(Sel(SetupSlot::OuterUp).FSEvent(), actions::kVButton);
    EXPECT_EQ(Sel(SetupSlot::OuterUp).VJoystick(), 64);
    EXPECT_EQ(Sel(SetupSlot::OuterUp).VButton(), 3);
    EXPECT_EQ(Sel(SetupSlot::OuterDown).FSEvent(), actions::kOffset);

    // Each option frame comes with its position only.
    Position(kAdf);
    EXPECT_TRUE(Visible(Ctl(IDC_RADIO_ADF_FRAME)));
    EXPECT_TRUE(Visible(Ctl(IDC_RADIO_ADFINNSTEP)));
    EXPECT_FALSE(Visible(Ctl(IDC_RADIO_DME_FRAME)));
    Position(kDme);
    EXPECT_TRUE(Visible(Ctl(IDC_RADIO_DME3)));
    EXPECT_FALSE(Visible(Ctl(IDC_RADIO_ADFMODE0)));
    Position(kXpdr);
    EXPECT_TRUE(Visible(Ctl(IDC_RADIO_ALTIMETER_FRAME)));
    EXPECT_FALSE(Visible(Ctl(IDC_RADIO_DME_FRAME)));

    // Closing leaves the window's position for the next setup dialog.
    ::SetWindowPos(dialog->Handle(), nullptr, 300, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Press(IDCANCEL);
    EXPECT_TRUE(dialog->Ended());
    EXPECT_EQ(config.Setup().SetupFormLeft(), 300 * kTwipsPerPixel);
    EXPECT_EQ(config.Setup().SetupFormTop(), 150 * kTwipsPerPixel);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(RadioSetupTest, SwitchingPositionsKeepsTheEdits) {
    ASSERT_NO_FATAL_FAILURE(Open(""));
    Sel(SetupSlot::InnerUp).FSEvent(actions::kNone);
    Sel(SetupSlot::Click).Load(EventAction{actions::kVKey, 0x41, 2, 97});
    Slider(20);

    Position(kNav1);
    const cRadioPanelActionsHolder& holder = *dialog->Holder();
    EXPECT_EQ(holder.RotAction(kInnerRing, kUp, kCom1).Kind, actions::kNone);
    EXPECT_EQ(holder.ButtonAction(kCom1), (EventAction{actions::kVKey, 0x41, 2, 97}));
    EXPECT_EQ(holder.GetAcceleration(kCom1), 20);
    // NAV1 is untouched by the COM1 edits.
    EXPECT_EQ(Sel(SetupSlot::InnerUp).FSEvent(), actions::kOffset);
    EXPECT_EQ(Sel(SetupSlot::Click).FSEvent(), actions::kOffset);
    EXPECT_EQ(Slider(), 1);
    Sel(SetupSlot::Selector).Load(EventAction{actions::kVButton, 65, 7, 0});

    Position(kCom1);
    EXPECT_EQ(Sel(SetupSlot::InnerUp).FSEvent(), actions::kNone);
    EXPECT_EQ(Sel(SetupSlot::Click).FSEvent(), actions::kVKey);
    EXPECT_EQ(Sel(SetupSlot::Click).KeyCode(), 0x41);
    EXPECT_EQ(Sel(SetupSlot::Click).KeyQualifiers(), 2);
    EXPECT_EQ(Sel(SetupSlot::Click).KeyAscii(), 97);
    EXPECT_EQ(Sel(SetupSlot::Selector).FSEvent(), actions::kNone);
    EXPECT_EQ(Slider(), 20);
    EXPECT_EQ(holder.SelectorAction(kNav1), (EventAction{actions::kVButton, 65, 7, 0}));
    // Nothing reaches the file before OK.
    EXPECT_EQ(store.FileText(kProfile), before);
}

TEST_F(RadioSetupTest, StepTextsUseTheUsersDecimalSeparator) {
    ASSERT_NO_FATAL_FAILURE(Open("ADFOutStep=2\r\n"));
    const cRadioPanelActionsHolder& holder = *dialog->Holder();
    Position(kAdf);
    Type(IDC_RADIO_ADFINNSTEP, "abc");
    EXPECT_FLOAT_EQ(holder.ADFInnStep, 0.1f);
    Type(IDC_RADIO_ADFINNSTEP, "0,5");
    EXPECT_FLOAT_EQ(holder.ADFInnStep, 0.5f);
    // Not a number with a comma as the separator, nor an empty box.
    Type(IDC_RADIO_ADFINNSTEP, "0.25");
    EXPECT_FLOAT_EQ(holder.ADFInnStep, 0.5f);
    Type(IDC_RADIO_ADFINNSTEP, "");
    EXPECT_FLOAT_EQ(holder.ADFInnStep, 0.5f);
    EXPECT_FLOAT_EQ(holder.ADFOutStep, 2.0f);
    Type(IDC_RADIO_ADFOUTSTEP, " 2,25 ");
    EXPECT_FLOAT_EQ(holder.ADFOutStep, 2.25f);
    Type(IDC_RADIO_ADFOUTSTEP, "1x");
    EXPECT_FLOAT_EQ(holder.ADFOutStep, 2.25f);
    EXPECT_EQ(store.FileText(kProfile), before);
}

TEST_F(RadioSetupTest, OkWritesWhatDiffersFromTheDefaults) {
    ASSERT_NO_FATAL_FAILURE(Open("ButtonActionCOM1=None\r\nInnRotUpCOM2=Offset\r\nRotAccelerationCOM2=1\r\nOwnKey=5\r\n"));
    Sel(SetupSlot::Selector).Load(EventAction{actions::kVButton, 65, 7, 0});
    Sel(SetupSlot::Click).FSEvent(actions::kOffset);
    Position(kDme);
    Press(IDC_RADIO_DME3);
    EXPECT_EQ(dialog->Holder()->DMEMode, 3);
    EXPECT_EQ(store.FileText(kProfile), before); // the option changes the holder only
    Position(kAdf);
    Type(IDC_RADIO_ADFINNSTEP, "0,5");
    Slider(12); // the ADF acceleration, stored by OK itself
    Press(IDOK);

    ASSERT_TRUE(dialog->Ended());
    EXPECT_EQ(dialog->Result(), IDOK);
    EXPECT_EQ(Keys(), (std::vector<std::string>{"OwnKey", "SelectorActionCOM1", "RotAccelerationADF", "DMEMode",
                                                "ADFInnStep"}));
    EXPECT_EQ(store.ReadString(kProfile, "RadioPanel1", "SelectorActionCOM1", ""), "VButton,65,7");
    EXPECT_EQ(store.ReadString(kProfile, "RadioPanel1", "RotAccelerationADF", ""), "12");
    EXPECT_EQ(store.ReadString(kProfile, "RadioPanel1", "DMEMode", ""), "3");
    EXPECT_EQ(store.ReadString(kProfile, "RadioPanel1", "ADFInnStep", ""), "0,5");
}

TEST_F(RadioSetupTest, CancelDiscardsAndAnUnchangedOkKeepsTheFile) {
    // Values out of the controls' ranges, set by hand, and non-default keys
    // in the order they are written.
    const std::string section =
        "SelectorActionNAV2=VKey,112,1,0\r\nLongButtonActionXPDR=None\r\nOutRotDownCOM1=VButton,66,32\r\n"
        "RotAccelerationCOM2=200\r\nRotAccelerationDME=7\r\nAltimeterUnit=1\r\nADFMode=9\r\n"
        "ADFInnStep=0,25\r\nADFOutStep=5\r\n";
    ASSERT_NO_FATAL_FAILURE(Open(section));
    Sel(SetupSlot::OuterDown).FSEvent(actions::kNone);
    Slider(30);
    Position(kXpdr);
    Press(IDC_RADIO_ALTIMETER2);
    Position(kAdf);
    for (int id = IDC_RADIO_ADFMODE0; id <= IDC_RADIO_ADFMODE5; ++id)
        EXPECT_EQ(::SendMessageA(Ctl(id), BM_GETCHECK, 0, 0), BST_UNCHECKED) << id;
    Press(IDC_RADIO_ADFMODE1);
    Type(IDC_RADIO_ADFOUTSTEP, "7");
    EXPECT_EQ(dialog->Holder()->AltimeterUnit, 2);
    EXPECT_EQ(dialog->Holder()->ADFMode, 1);
    Press(IDCANCEL);
    EXPECT_EQ(dialog->Result(), IDCANCEL);
    EXPECT_EQ(store.FileText(kProfile), before);

    // Opened again and confirmed as it is: the same section.
    ASSERT_NO_FATAL_FAILURE(Open(section));
    EXPECT_EQ(dialog->Holder()->ADFMode, 9);
    Position(kCom2);
    EXPECT_EQ(Slider(), kAccelerationSliderMax);
    Press(IDOK);
    EXPECT_EQ(dialog->Result(), IDOK);
    EXPECT_EQ(store.FileText(kProfile), before);
}

// The whole way to the file on disk, through the program's INI class.
TEST(RadioSetupFiles, OkWritesTheProfileFile) {
    config::testing::TempFolder folder("RadioSetup");
    config::win32::cInifile ini;
    config::testing::RecordingMessages messages;
    config::cConfiguration config(ini, folder.Path(), messages, nullptr, NumberLocale{'.'});
    const MonitorList monitors = orvex::win32::EnumerateMonitors();
    folder.Write("Default.ini", "[RadioPanel1]\r\nButtonActionNAV2=None\r\n[RadioPanel2]\r\nOutRotDownNAV2=None\r\n");

    frmRadioPanelSetup dialog(config, 2, actions::win32::EventSelectorContext{}, messages, monitors);
    ASSERT_TRUE(dialog.Create(nullptr));
    Pump();
    ClickTab(dialog.Control(IDC_RADIO_TABSELECTOR), kXpdr - 1);
    ::SendMessageA(dialog.Control(IDC_RADIO_ALTIMETER1), BM_CLICK, 0, 0);
    ClickTab(dialog.Control(IDC_RADIO_TABSELECTOR), kAdf - 1);
    ::SetWindowTextA(dialog.Control(IDC_RADIO_ADFOUTSTEP), "0.5");
    ::SendMessageA(dialog.Control(IDOK), BM_CLICK, 0, 0);
    Pump();
    ASSERT_EQ(dialog.Result(), IDOK);

    const std::string path = folder.File("Default.ini");
    EXPECT_EQ(ini.KeyNames(path, "RadioPanel2"), (std::vector<std::string>{"OutRotDownNAV2", "AltimeterUnit", "ADFOutStep"}));
    EXPECT_EQ(ini.ReadString(path, "RadioPanel2", "AltimeterUnit", ""), "1");
    EXPECT_EQ(ini.ReadString(path, "RadioPanel2", "ADFOutStep", ""), "0.5");
    EXPECT_EQ(ini.KeyNames(path, "RadioPanel1"), (std::vector<std::string>{"ButtonActionNAV2"}));
}

} // namespace
} // namespace orvex::panels::radio::win32
