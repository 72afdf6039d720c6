// The Multi Panel setup dialog, shown modeless and driven through its
// controls: what it shows of the profile, edits kept across the strips,
// the special-mode frames, what OK and Cancel leave in the file, and that
// every text fits its control.
#include "panels/multi/win32/frm_multi_panel_setup.h"

#include "app/program_state.h"
#include "common/win32/place_window_win32.h"
#include "common/win32/window.h"
#include "config/memory_ini_store.h"
#include "config/tests/fake_messages.h"
#include "config/tests/win32/temp_folder.h"
#include "config/win32/inifile.h"
#include "panels/multi/win32/multi_setup_resource.h"
#include "tests/support/dialog_driving.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace orvex::panels::multi::win32 {
namespace {

using actions::EventAction;
using actions::win32::ctlEventSelector;
using orvex::testing::ClickTab;
using orvex::testing::Visible;

const std::string kFolder = "C:\\Orvex";
const std::string kProfile = kFolder + "\\B737.ini";
const char* const kSection = "MultiPanel1";

void Pump() { orvex::testing::PumpMessages(); }

struct MultiSetupTest : ::testing::Test {
    MultiSetupTest()
        : config(store, kFolder, messages, nullptr, config::NumberLocale{'.'}),
          monitors(orvex::win32::EnumerateMonitors()) {
        config.CurrentProfile = "B737";
        context.State = &state;
        context.Setup = &config.Setup();
        context.Monitors = &monitors;
    }
    void Open(const std::string& section) {
        store.SetFileText(kProfile, std::string("[") + kSection + "]\r\n" + section);
        before = store.FileText(kProfile);
        dialog = std::make_unique<frmMultiPanelSetup>(config, 1, context, messages, monitors, [this] { ++saved; });
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
    void Page(int page) { ClickTab(Ctl(IDC_MULTI_TABMAIN), page); }
    void Strip(int id, int index) { ClickTab(Ctl(id), index - 1); }
    int Slider(int id) const { return static_cast<int>(::SendMessageA(Ctl(id), TBM_GETPOS, 0, 0)); }
    void Slider(int id, int value) { ::SendMessageA(Ctl(id), TBM_SETPOS, TRUE, value); }
    bool Checked(int id) const { return ::SendMessageA(Ctl(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    int ListChoice(int id) const { return static_cast<int>(::SendMessageA(Ctl(id), CB_GETCURSEL, 0, 0)); }
    void Choose(int id, int item) {
        ::SendMessageA(Ctl(id), CB_SETCURSEL, static_cast<WPARAM>(item), 0);
        Pump();
    }
    std::string Value(const char* key) { return store.ReadString(kProfile, kSection, key, "<none>"); }
    std::vector<std::string> Keys() { return store.KeyNames(kProfile, kSection); }

    config::MemoryIniStore store;
    config::testing::RecordingMessages messages;
    config::cConfiguration config;
    MonitorList monitors;
    app::ProgramState state;
    actions::win32::EventSelectorContext context;
    std::unique_ptr<frmMultiPanelSetup> dialog;
    std::string before;
    int saved = 0;
};

TEST_F(MultiSetupTest, ShowsTheProfileOfThePanel) {
    config.SpecialMode = 1;
    ASSERT_NO_FATAL_FAILURE(Open("SelectorActionVS=VButton,64,3\r\nRotaryAccelerationALT=10\r\nButtonActionNAV=None\r\n"
                                 "TrimAcceleration=20\r\nTrimSensitivity=8\r\nReverseFlaps=1\r\nCourseSel=2\r\n"
                                 "NGXAPShort=5\r\nNGXREVLong=22\r\n"));
    EXPECT_EQ(orvex::win32::WindowText(dialog->Handle()), "  ORVEX - Multi Panel Configuration");
    EXPECT_EQ(dialog->ItemText(IDC_MULTI_LABPROFILE), "Currently in use Profile:  B737");
    EXPECT_EQ(::SendMessageA(Ctl(IDC_MULTI_TABMAIN), TCM_GETITEMCOUNT, 0, 0), frmMultiPanelSetup::kPageCount);
    EXPECT_EQ(::SendMessageA(Ctl(IDC_MULTI_TABSELECTOR), TCM_GETITEMCOUNT, 0, 0), 5);
    EXPECT_EQ(::SendMessageA(Ctl(IDC_MULTI_TABROTARY), TCM_GETITEMCOUNT, 0, 0), 5);
    EXPECT_EQ(::SendMessageA(Ctl(IDC_MULTI_TABBUTTONS), TCM_GETITEMCOUNT, 0, 0), 8);

    // The selector page on ALT; one page at a time.
    EXPECT_EQ(dialog->PageShown(), frmMultiPanelSetup::kSelectorPage);
    EXPECT_TRUE(Visible(Ctl(IDC_MULTI_ES_SELECTOR)));
    EXPECT_FALSE(Visible(Ctl(IDC_MULTI_ES_ROTUP)));
    EXPECT_EQ(Sel(SetupSlot::Selector).FSEvent(), actions::kNone);
    Strip(IDC_MULTI_TABSELECTOR, kVs);
    EXPECT_EQ(dialog->SelectorPosition(), kVs);
    EXPECT_EQ(Sel(SetupSlot::Selector).FSEvent(), actions::kVButton);
    EXPECT_EQ(Sel(SetupSlot::Selector).VButton(), 3);

    Page(frmMultiPanelSetup::kRotaryPage);
    EXPECT_TRUE(Visible(Ctl(IDC_MULTI_ES_ROTUP)));
    EXPECT_FALSE(Visible(Ctl(IDC_MULTI_ES_SELECTOR)));
    EXPECT_EQ(dialog->RotaryPosition(), kAlt) << "each strip has its own position";
    EXPECT_EQ(Slider(IDC_MULTI_SLIDER_ROTACCEL), 10);
    Strip(IDC_MULTI_TABROTARY, kHdg);
    EXPECT_EQ(Slider(IDC_MULTI_SLIDER_ROTACCEL), 1);
    EXPECT_EQ(Sel(SetupSlot::RotUp).FSEvent(), actions::kOffset);

    Page(frmMultiPanelSetup::kButtonsPage);
    Strip(IDC_MULTI_TABBUTTONS, kNav);
    EXPECT_EQ(Sel(SetupSlot::Click).FSEvent(), actions::kNone);
    EXPECT_EQ(Sel(SetupSlot::LongClick).FSEvent(), actions::kOffset);

    // Options.
    EXPECT_EQ(Slider(IDC_MULTI_SLIDER_TRIMACCEL), 20);
    EXPECT_EQ(Slider(IDC_MULTI_SLIDER_TRIMSENS), 8);
    EXPECT_FALSE(Checked(IDC_MULTI_CHK_REVTRIM));
    EXPECT_TRUE(Checked(IDC_MULTI_CHK_REVFLAPS));
    EXPECT_TRUE(Checked(IDC_MULTI_OPTCOURSE2));
    EXPECT_FALSE(Checked(IDC_MULTI_OPTCOURSE1));

    // The special modes: the profile's mode picks the frame; the options
    // only switch the frame shown.
    Page(frmMultiPanelSetup::kSpecialPage);
    EXPECT_TRUE(Checked(IDC_MULTI_OPTSPECIAL_MADDOG));
    EXPECT_TRUE(Visible(Ctl(IDC_MULTI_MADDOG_TEXT)));
    EXPECT_FALSE(Visible(Ctl(IDC_MULTI_NGX_SHORT1)));
    Press(IDC_MULTI_OPTSPECIAL_NGX);
    EXPECT_TRUE(Visible(Ctl(IDC_MULTI_NGX_SHORT1)));
    EXPECT_FALSE(Visible(Ctl(IDC_MULTI_MADDOG_FRAME)));
    EXPECT_EQ(config.SpecialMode, 1);
    EXPECT_EQ(::SendMessageA(Ctl(IDC_MULTI_NGX_LONG8), CB_GETCOUNT, 0, 0), 23);
    EXPECT_EQ(orvex::win32::WindowText(Ctl(IDC_MULTI_NGX_LONG8)), "FMC P/RST");
    EXPECT_EQ(ListChoice(IDC_MULTI_NGX_SHORT1), 5);
    EXPECT_EQ(ListChoice(IDC_MULTI_NGX_SHORT2), cMultiPanelActionsHolder::DefaultNGXShortItem(kHdgButton));

    // Closing leaves the window's position for the next setup dialog.
    ::SetWindowPos(dialog->Handle(), nullptr, 300, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Press(IDCANCEL);
    EXPECT_TRUE(dialog->Ended());
    EXPECT_EQ(config.Setup().SetupFormLeft(), 300 * kTwipsPerPixel);
    EXPECT_EQ(store.FileText(kProfile), before);
    EXPECT_EQ(saved, 0);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MultiSetupTest, StripsKeepTheEditsOfThePositionLeft) {
    ASSERT_NO_FATAL_FAILURE(Open(""));
    const cMultiPanelActionsHolder& holder = *dialog->Holder();
    Sel(SetupSlot::Selector).Load(EventAction{actions::kVKey, 0x41, 2, 97});
    Strip(IDC_MULTI_TABSELECTOR, kCrs);
    EXPECT_EQ(holder.SelectorAction(kAlt), (EventAction{actions::kVKey, 0x41, 2, 97}));
    EXPECT_EQ(Sel(SetupSlot::Selector).FSEvent(), actions::kNone);

    Page(frmMultiPanelSetup::kRotaryPage);
    Sel(SetupSlot::RotDown).FSEvent(actions::kNone);
    Slider(IDC_MULTI_SLIDER_ROTACCEL, 33);
    Strip(IDC_MULTI_TABROTARY, kIas);
    EXPECT_EQ(holder.RotAction(0, kAlt).Kind, actions::kNone);
    EXPECT_EQ(holder.GetRotAcceleration(kAlt), 33);
    EXPECT_EQ(Slider(IDC_MULTI_SLIDER_ROTACCEL), 1);
    Strip(IDC_MULTI_TABROTARY, kAlt);
    EXPECT_EQ(Slider(IDC_MULTI_SLIDER_ROTACCEL), 33);
    EXPECT_EQ(Sel(SetupSlot::RotDown).FSEvent(), actions::kNone);

    Page(frmMultiPanelSetup::kButtonsPage);
    Sel(SetupSlot::LongClick).Load(EventAction{actions::kVButton, 66, 9, 0});
    Strip(IDC_MULTI_TABBUTTONS, kRev);
    EXPECT_EQ(holder.LongButtonAction(kAp), (EventAction{actions::kVButton, 66, 9, 0}));
    EXPECT_EQ(Sel(SetupSlot::LongClick).FSEvent(), actions::kOffset);
    Strip(IDC_MULTI_TABBUTTONS, kAp);
    EXPECT_EQ(Sel(SetupSlot::LongClick).VJoystick(), 66);
    // Nothing reaches the file before OK.
    EXPECT_EQ(store.FileText(kProfile), before);
}

TEST_F(MultiSetupTest, OkWritesOnlyWhatDiffersFromTheDefaults) {
    ASSERT_NO_FATAL_FAILURE(Open("OwnKey=5\r\nButtonActionAP=None\r\nTrimSensitivity=4\r\n"));
    Sel(SetupSlot::Selector).Load(EventAction{actions::kVButton, 65, 7, 0});
    Page(frmMultiPanelSetup::kButtonsPage);
    Sel(SetupSlot::Click).FSEvent(actions::kOffset);  // back to the default
    Page(frmMultiPanelSetup::kRotaryPage);
    Strip(IDC_MULTI_TABROTARY, kVs);
    Slider(IDC_MULTI_SLIDER_ROTACCEL, 12);  // stored by OK itself
    Page(frmMultiPanelSetup::kTrimPage);
    Sel(SetupSlot::TrimUp).FSEvent(actions::kNone);
    Slider(IDC_MULTI_SLIDER_TRIMACCEL, 40);
    Press(IDC_MULTI_CHK_REVTRIM);
    Page(frmMultiPanelSetup::kFlapsPage);
    Sel(SetupSlot::FlapsDown).Load(EventAction{actions::kVKey, 0x70, 0, 0});
    Page(frmMultiPanelSetup::kAutoThrottlePage);
    Sel(SetupSlot::ATArm).FSEvent(actions::kNone);
    Page(frmMultiPanelSetup::kCoursePage);
    Press(IDC_MULTI_OPTCOURSE0);
    Page(frmMultiPanelSetup::kSpecialPage);
    Choose(IDC_MULTI_NGX_LONG3, 20);
    EXPECT_EQ(store.FileText(kProfile), before);
    Press(IDOK);

    ASSERT_TRUE(dialog->Ended());
    EXPECT_EQ(dialog->Result(), IDOK);
    EXPECT_EQ(saved, 1);
    EXPECT_EQ(Keys(), (std::vector<std::string>{"OwnKey", "SelectorActionALT", "AutoThrottleActionARM",
                                                "FlapsActionDOWN", "TrimActionUP", "RotaryAccelerationVS",
                                                "NGXNAVLong", "CourseSel", "TrimAcceleration", "ReverseTrim"}));
    EXPECT_EQ(Value("SelectorActionALT"), "VButton,65,7");
    EXPECT_EQ(Value("AutoThrottleActionARM"), "None");
    EXPECT_EQ(Value("RotaryAccelerationVS"), "12");
    EXPECT_EQ(Value("NGXNAVLong"), "20");
    EXPECT_EQ(Value("CourseSel"), "0");
    EXPECT_EQ(Value("TrimAcceleration"), "40");
    EXPECT_EQ(Value("ReverseTrim"), "1");
}

TEST_F(MultiSetupTest, CancelWritesNothingAndAnUnchangedOkKeepsTheFile) {
    // Values beyond the sliders' ends, set by hand, and non-default keys in
    // the order they are written.
    const std::string section =
        "SelectorActionHDG=VKey,112,1,0\r\nLongButtonActionREV=None\r\nRotaryAccelerationCRS=200\r\n"
        "NGXAPShort=1\r\nCourseSel=2\r\nTrimAcceleration=500\r\nTrimSensitivity=0\r\nReverseFlaps=1\r\n";
    ASSERT_NO_FATAL_FAILURE(Open(section));
    Sel(SetupSlot::Selector).FSEvent(actions::kNone);
    Page(frmMultiPanelSetup::kTrimPage);
    Slider(IDC_MULTI_SLIDER_TRIMSENS, 20);
    Press(IDC_MULTI_CHK_REVTRIM);
    Page(frmMultiPanelSetup::kSpecialPage);
    Choose(IDC_MULTI_NGX_SHORT1, 0);
    Press(IDCANCEL);
    EXPECT_EQ(dialog->Result(), IDCANCEL);
    EXPECT_EQ(store.FileText(kProfile), before);
    EXPECT_EQ(saved, 0);

    ASSERT_NO_FATAL_FAILURE(Open(section));
    Page(frmMultiPanelSetup::kRotaryPage);
    Strip(IDC_MULTI_TABROTARY, kCrs);
    EXPECT_EQ(Slider(IDC_MULTI_SLIDER_ROTACCEL), kRotAccelerationSlider.Max);
    EXPECT_EQ(Slider(IDC_MULTI_SLIDER_TRIMACCEL), kTrimAccelerationSlider.Max);
    EXPECT_EQ(Slider(IDC_MULTI_SLIDER_TRIMSENS), kTrimSensitivitySlider.Min);
    Press(IDOK);
    EXPECT_EQ(dialog->Result(), IDOK);
    EXPECT_EQ(store.FileText(kProfile), before);
}

// Every text of every page fits its control in the dialog's font, and every
// control lies inside its page.
TEST_F(MultiSetupTest, NothingIsClipped) {
    ASSERT_NO_FATAL_FAILURE(Open(""));
    std::vector<HWND> pages;
    for (HWND child = ::GetWindow(dialog->Handle(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        char cls[64]{};
        ::GetClassNameA(child, cls, sizeof cls);
        if (std::string(cls) == "#32770") pages.push_back(child);
    }
    ASSERT_EQ(pages.size(), static_cast<std::size_t>(frmMultiPanelSetup::kPageCount));
    pages.push_back(dialog->Handle());
    for (HWND page : pages) {
        RECT area{};
        ::GetClientRect(page, &area);
        for (HWND c = ::GetWindow(page, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
            char cls[64]{};
            ::GetClassNameA(c, cls, sizeof cls);
            const std::string kind = cls;
            if (kind == "#32770") continue;
            RECT box{};
            ::GetWindowRect(c, &box);
            ::MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&box), 2);
            const int id = ::GetDlgCtrlID(c);
            EXPECT_TRUE(box.left >= area.left && box.top >= area.top && box.right <= area.right &&
                        box.bottom <= area.bottom)
                << "control " << id << " leaves its page";
            if (kind != "Static" && kind != "Button") continue;
            const std::string text = orvex::win32::WindowText(c);
            if (text.empty()) continue;
            const LONG style = ::GetWindowLongA(c, GWL_STYLE);
            const bool group = kind == "Button" && (style & BS_TYPEMASK) == BS_GROUPBOX;
            const bool check = kind == "Button" && !group && (style & BS_TYPEMASK) != BS_PUSHBUTTON &&
                               (style & BS_TYPEMASK) != BS_DEFPUSHBUTTON;
            HDC dc = ::GetDC(c);
            HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(c, WM_GETFONT, 0, 0)));
            const int room = (box.right - box.left) - (check ? ::GetSystemMetrics(SM_CXMENUCHECK) + 4 : 0) -
                             (group ? 16 : 0);
            RECT need{0, 0, room, 0};
            const bool wraps = kind == "Static" && (box.bottom - box.top) > 2 * 8 * 96 / 72;
            ::DrawTextA(dc, text.c_str(), -1, &need, DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
            ::SelectObject(dc, old);
            ::ReleaseDC(c, dc);
            EXPECT_LE(need.right, room) << "\"" << text << "\" is too wide";
            if (!group) {
                EXPECT_LE(need.bottom, box.bottom - box.top) << "\"" << text << "\" is too tall";
            }
        }
    }
    Press(IDCANCEL);
}

// The whole way to the file on disk, through the program's INI class.
TEST(MultiSetupFiles, OkWritesTheProfileFile) {
    config::testing::TempFolder folder("MultiSetup");
    config::win32::cInifile ini;
    config::testing::RecordingMessages messages;
    config::cConfiguration config(ini, folder.Path(), messages, nullptr, config::NumberLocale{'.'});
    const MonitorList monitors = orvex::win32::EnumerateMonitors();
    folder.Write("Default.ini", "[MultiPanel1]\r\nFlapsActionUP=None\r\n[MultiPanel2]\r\nButtonActionAPR=None\r\n");

    frmMultiPanelSetup dialog(config, 2, actions::win32::EventSelectorContext{}, messages, monitors);
    ASSERT_TRUE(dialog.Create(nullptr));
    Pump();
    ClickTab(dialog.Control(IDC_MULTI_TABMAIN), frmMultiPanelSetup::kFlapsPage);
    ::SendMessageA(dialog.Control(IDC_MULTI_CHK_REVFLAPS), BM_CLICK, 0, 0);
    ::SendMessageA(dialog.Control(IDOK), BM_CLICK, 0, 0);
    Pump();
    ASSERT_EQ(dialog.Result(), IDOK);

    const std::string path = folder.File("Default.ini");
    EXPECT_EQ(ini.KeyNames(path, "MultiPanel2"), (std::vector<std::string>{"ButtonActionAPR", "ReverseFlaps"}));
    EXPECT_EQ(ini.ReadString(path, "MultiPanel2", "ReverseFlaps", ""), "1");
    EXPECT_EQ(ini.KeyNames(path, "MultiPanel1"), (std::vector<std::string>{"FlapsActionUP"}));
}

} // namespace
} // namespace orvex::panels::multi::win32
