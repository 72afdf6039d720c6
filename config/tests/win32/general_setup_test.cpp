// The general setup dialog driven through its controls, modeless, with the
// setup in a memory store; autostart through a recorder or the real Run key.
#include "config/win32/general_setup.h"

#include "common/win32/place_window_win32.h"
#include "common/win32/window.h"
#include "config/autostart_command.h"
#include "config/memory_ini_store.h"
#include "config/tests/fake_messages.h"
#include "config/win32/autostart_win32.h"
#include "config/win32/general_setup_resource.h"
#include "config/win32/registry.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <array>
#include <bit>

namespace orvex::config::win32 {
namespace {

using config::testing::RecordingAutostart;
using config::testing::RecordingMessages;
using orvex::win32::WindowText;

void Click(HWND button) { ::SendMessageA(button, BM_CLICK, 0, 0); }
bool IsChecked(HWND button) { return ::SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void Type(HWND edit, const char* text) { ::SetWindowTextA(edit, text); }
void Choose(HWND combo, int row) {
    ::SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(row), 0);
    ::SendMessageA(::GetParent(combo), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(combo), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
}
int ComboRow(HWND combo) { return static_cast<int>(::SendMessageA(combo, CB_GETCURSEL, 0, 0)); }
void Key(HWND window, WPARAM key) {
    ::SendMessageA(window, WM_KEYDOWN, key, 1);
    ::SendMessageA(window, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
}
void CALLBACK CancelOpenDialog(HWND, UINT, UINT_PTR, DWORD) {
    if (HWND dialog = ::FindWindowA(nullptr, "  ORVEX - General Options"))
        ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}
int SliderPosition(HWND slider) { return static_cast<int>(::SendMessageA(slider, TBM_GETPOS, 0, 0)); }

std::array<std::int32_t, cSetupHolder::kItemCount> Values(const cSetupHolder& setup) {
    std::array<std::int32_t, cSetupHolder::kItemCount> values{};
    for (int i = 0; i < cSetupHolder::kItemCount; ++i) values[i] = setup.Get(static_cast<cSetupHolder::Item>(i));
    return values;
}

struct GeneralSetupDialog : ::testing::Test {
    MemoryIniStore store;
    RecordingMessages messages;
    RecordingAutostart autostart;
    cConfiguration config{store, "C:\\Orvex Test", messages, &autostart};
    cSetupHolder& setup = config.Setup();
    const std::string ini = "C:\\Orvex Test\\Orvex.ini";
    MonitorList monitors = orvex::win32::EnumerateMonitors();

    std::string Stored(const char* key) { return store.ReadString(ini, "GeneralSetup", key, "(none)"); }

    // A stored setup that differs from the defaults in every key the dialog edits.
    void StoreSetup() {
        store.SetFileText(ini, "[GeneralSetup]\nManualProfile=1\nOrvexPriority=128\nRelayboxPriority=4660\n"
                               "OrvexAffinity=3\nRelayboxAffinity=-1\nClickThreshold=700\n"
                               "GeneralSetupFormTop=1500\nGeneralSetupFormLeft=3000\n");
        setup.LoadSetup();
    }
};

TEST_F(GeneralSetupDialog, OpensWithEveryControlSetFromTheSetupAndSwitchesPages) {
    StoreSetup();
    frmGeneralSetup dialog(config, messages, monitors);
    ASSERT_TRUE(dialog.Create(nullptr));
    EXPECT_EQ(WindowText(dialog.Handle()), "  ORVEX - General Options");

    std::int32_t top = 0, left = 0;
    orvex::win32::WindowPositionTwips(dialog.Handle(), top, left);
    EXPECT_EQ(top, 1500);
    EXPECT_EQ(left, 3000);

    EXPECT_EQ(dialog.CurrentPage(), frmGeneralSetup::kGeneralPage);
    EXPECT_TRUE(::IsWindowVisible(dialog.Control(IDC_GS_CHKAUTOSTART)));
    EXPECT_FALSE(::IsWindowVisible(dialog.Control(IDC_GS_CMBORVEXPRIORITY)));
    EXPECT_EQ(::GetFocus(), dialog.Control(IDC_GS_CHKAUTOSTART));

    EXPECT_FALSE(IsChecked(dialog.Control(IDC_GS_CHKAUTOSTART)));
    EXPECT_FALSE(IsChecked(dialog.Control(IDC_GS_CHKAUTOQUIT)));
    EXPECT_TRUE(IsChecked(dialog.Control(IDC_GS_OPTMANPROFILE0)));
    EXPECT_FALSE(IsChecked(dialog.Control(IDC_GS_OPTMANPROFILE1)));
    EXPECT_EQ(SliderPosition(dialog.Control(IDC_GS_SLIDERCLICKTHRESHOLD)), 700);
    EXPECT_EQ(WindowText(dialog.Control(IDC_GS_LABTHRESHOLD)), "A press longer than 0.70 s is a long click");
    EXPECT_EQ(WindowText(dialog.Control(IDC_GS_LABTHRESHOLDMIN)), "0.1 s");
    EXPECT_EQ(WindowText(dialog.Control(IDC_GS_LABTHRESHOLDMAX)), "2.0 s");

    // The arrow keys on the tab strip turn the pages.
    HWND tab = dialog.Control(IDC_GS_TABMAIN);
    ::SetFocus(tab);
    Key(tab, VK_RIGHT);
    EXPECT_EQ(dialog.CurrentPage(), frmGeneralSetup::kProcessPage);
    EXPECT_FALSE(::IsWindowVisible(dialog.Control(IDC_GS_CHKAUTOSTART)));
    EXPECT_TRUE(::IsWindowVisible(dialog.Control(IDC_GS_CMBORVEXPRIORITY)));

    HWND orvexPriority = dialog.Control(IDC_GS_CMBORVEXPRIORITY);
    ASSERT_EQ(::SendMessageA(orvexPriority, CB_GETCOUNT, 0, 0), 6);
    EXPECT_EQ(ComboRow(orvexPriority), 4) << "High";
    EXPECT_EQ(ComboRow(dialog.Control(IDC_GS_CMBRELAYBOXPRIORITY)), -1) << "a class not in the list";
    EXPECT_TRUE(IsChecked(dialog.Control(IDC_GS_OPTORVEXAFFINITY1)));
    EXPECT_EQ(WindowText(dialog.Control(IDC_GS_TXTORVEXAFFINITY)), "3");
    EXPECT_TRUE(::IsWindowEnabled(dialog.Control(IDC_GS_TXTORVEXAFFINITY)));
    EXPECT_TRUE(IsChecked(dialog.Control(IDC_GS_OPTRELAYBOXAFFINITY0)));
    EXPECT_EQ(WindowText(dialog.Control(IDC_GS_TXTRELAYBOXAFFINITY)), "");
    EXPECT_FALSE(::IsWindowEnabled(dialog.Control(IDC_GS_TXTRELAYBOXAFFINITY)));

    Key(tab, VK_LEFT);
    EXPECT_EQ(dialog.CurrentPage(), frmGeneralSetup::kGeneralPage);
    EXPECT_TRUE(messages.shown.empty());
}

// Every control changed, then OK or Cancel: OK saves it all, Cancel keeps
// file and model as they were.
struct EditEverything : GeneralSetupDialog {
    void ChangeEveryControl(frmGeneralSetup& dialog) {
        Click(dialog.Control(IDC_GS_CHKAUTOSTART));
        Click(dialog.Control(IDC_GS_CHKAUTOQUIT));
        Click(dialog.Control(IDC_GS_OPTMANPROFILE1));
        Key(dialog.Control(IDC_GS_SLIDERCLICKTHRESHOLD), VK_PRIOR); // a page towards the start
        dialog.SelectPage(frmGeneralSetup::kProcessPage);
        Choose(dialog.Control(IDC_GS_CMBORVEXPRIORITY), 1);
        Choose(dialog.Control(IDC_GS_CMBRELAYBOXPRIORITY), 5);
        Click(dialog.Control(IDC_GS_OPTORVEXAFFINITY0));
        Click(dialog.Control(IDC_GS_OPTRELAYBOXAFFINITY1));
        Type(dialog.Control(IDC_GS_TXTRELAYBOXAFFINITY), "1");
    }
};

TEST_F(EditEverything, OkSavesEverySetting) {
    StoreSetup();
    {
        frmGeneralSetup dialog(config, messages, monitors);
        ASSERT_TRUE(dialog.Create(nullptr));
        ChangeEveryControl(dialog);
        // Each control writes its property at once.
        EXPECT_TRUE(setup.AutoStart());
        EXPECT_EQ(setup.ClickThreshold(), 600);
        EXPECT_EQ(setup.OrvexAffinity(), -1);
        EXPECT_EQ(setup.RelayboxAffinity(), 1);
        EXPECT_TRUE(store.FileText(ini).find("AutoStart") == std::string::npos) << "nothing saved before OK";
        dialog.Click(IDOK);
        EXPECT_TRUE(dialog.Ended());
        EXPECT_EQ(dialog.Result(), IDOK);
        EXPECT_EQ(dialog.Handle(), nullptr);
    }
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(autostart.calls, std::vector<bool>{true});
    EXPECT_EQ(Stored("AutoStart"), "1");
    EXPECT_EQ(Stored("AutoQuit"), "1");
    EXPECT_EQ(Stored("ManualProfile"), "(none)");
    EXPECT_EQ(Stored("ClickThreshold"), "600");
    EXPECT_EQ(Stored("OrvexPriority"), "16384");
    EXPECT_EQ(Stored("RelayboxPriority"), "256");
    EXPECT_EQ(Stored("OrvexAffinity"), "-1");
    EXPECT_EQ(Stored("RelayboxAffinity"), "1");
    EXPECT_EQ(Stored("GeneralSetupFormTop"), "1500");
    EXPECT_EQ(Stored("GeneralSetupFormLeft"), "3000");

}

TEST_F(EditEverything, CancelTheCloseBoxOrTheDialogGoingLeaveFileAndSetupAsTheyWere) {
    StoreSetup();
    const std::string file = store.FileText(ini);
    const auto before = Values(setup);
    enum class Ending { Cancel, CloseBox, Destroyed };
    for (Ending ending : {Ending::Cancel, Ending::CloseBox, Ending::Destroyed}) {
        SCOPED_TRACE(static_cast<int>(ending));
        {
            frmGeneralSetup dialog(config, messages, monitors);
            ASSERT_TRUE(dialog.Create(nullptr));
            ChangeEveryControl(dialog);
            ASSERT_NE(Values(setup), before);
            // Moved by the user: the new position is kept, in memory.
            ::SetWindowPos(dialog.Handle(), nullptr, 300, 250, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
            if (ending == Ending::Cancel) dialog.Click(IDCANCEL);
            else if (ending == Ending::CloseBox) ::SendMessageA(dialog.Handle(), WM_CLOSE, 0, 0);
            if (ending != Ending::Destroyed) {
                EXPECT_TRUE(dialog.Ended());
                EXPECT_EQ(dialog.Result(), IDCANCEL);
            }
        }
        EXPECT_EQ(setup.GeneralSetupFormTop(), 250 * kTwipsPerPixel);
        EXPECT_EQ(setup.GeneralSetupFormLeft(), 300 * kTwipsPerPixel);
        setup.GeneralSetupFormTop(before[cSetupHolder::kGeneralSetupFormTop]);
        setup.GeneralSetupFormLeft(before[cSetupHolder::kGeneralSetupFormLeft]);
        EXPECT_EQ(Values(setup), before);
        EXPECT_EQ(store.FileText(ini), file);
    }
    EXPECT_TRUE(autostart.calls.empty());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(GeneralSetupDialog, AffinityOptionsAndTheRefusedMask) {
    DWORD_PTR process = 0, system = 0;
    ASSERT_TRUE(::GetProcessAffinityMask(::GetCurrentProcess(), &process, &system));
    frmGeneralSetup dialog(config, messages, monitors);
    ASSERT_TRUE(dialog.Create(nullptr));
    dialog.SelectPage(frmGeneralSetup::kProcessPage);
    HWND automatic = dialog.Control(IDC_GS_OPTORVEXAFFINITY0);
    HWND manual = dialog.Control(IDC_GS_OPTORVEXAFFINITY1);
    HWND mask = dialog.Control(IDC_GS_TXTORVEXAFFINITY);
    ASSERT_TRUE(IsChecked(automatic));
    ASSERT_FALSE(::IsWindowEnabled(mask));

    Click(manual);
    EXPECT_TRUE(::IsWindowEnabled(mask));
    EXPECT_EQ(setup.OrvexAffinity(), -1) << "Manual alone keeps the affinity";
    Type(mask, "1");
    Type(mask, "abc");
    EXPECT_EQ(setup.OrvexAffinity(), 1) << "a text that does not convert keeps the affinity";

    // OK refuses it: message, dialog open on the process page, the box
    // focused for correcting; nothing saved.
    dialog.SelectPage(frmGeneralSetup::kGeneralPage);
    dialog.Click(IDOK);
    EXPECT_FALSE(dialog.Ended());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].Title, "  ORVEX");
    EXPECT_EQ(messages.shown[0].Text, AffinityMaskRefusal(SetupProcess::Orvex, system));
    EXPECT_EQ(dialog.CurrentPage(), frmGeneralSetup::kProcessPage);
    EXPECT_EQ(::GetFocus(), mask);
    EXPECT_FALSE(store.FileExists(ini));

    // No processor, and "automatic" typed as a mask, are refused as well;
    // so is a processor this computer lacks.
    std::vector<std::string> refused{"0", "-1", ""};
    if (std::popcount(static_cast<std::uint64_t>(system)) < 31) {
        const std::uint64_t missing = ~static_cast<std::uint64_t>(system) & (0 - ~static_cast<std::uint64_t>(system));
        refused.push_back(std::to_string(missing));
    }
    for (const std::string& text : refused) {
        Type(mask, text.c_str());
        dialog.Click(IDOK);
        EXPECT_FALSE(dialog.Ended()) << text;
    }
    EXPECT_EQ(messages.shown.size(), 1u + refused.size());

    // The other program's box is checked too.
    Type(mask, "1");
    Click(dialog.Control(IDC_GS_OPTRELAYBOXAFFINITY1));
    dialog.Click(IDOK);
    EXPECT_FALSE(dialog.Ended());
    EXPECT_EQ(messages.shown.back().Text, AffinityMaskRefusal(SetupProcess::Relaybox, system));
    EXPECT_EQ(::GetFocus(), dialog.Control(IDC_GS_TXTRELAYBOXAFFINITY));

    // Automatic empties and disables the box and the program chooses again.
    Click(dialog.Control(IDC_GS_OPTRELAYBOXAFFINITY0));
    EXPECT_FALSE(::IsWindowEnabled(dialog.Control(IDC_GS_TXTRELAYBOXAFFINITY)));
    Click(automatic);
    EXPECT_EQ(setup.OrvexAffinity(), -1);
    EXPECT_EQ(WindowText(mask), "");
    EXPECT_FALSE(::IsWindowEnabled(mask));
    Click(manual);
    Type(mask, "1");
    dialog.Click(IDOK);
    EXPECT_TRUE(dialog.Ended());
    EXPECT_EQ(Stored("OrvexAffinity"), "1");
    EXPECT_EQ(Stored("RelayboxAffinity"), "-1");
}

TEST_F(GeneralSetupDialog, SliderMovesSetTheClickThreshold) {
    frmGeneralSetup dialog(config, messages, monitors);
    ASSERT_TRUE(dialog.Create(nullptr));
    HWND slider = dialog.Control(IDC_GS_SLIDERCLICKTHRESHOLD);
    HWND label = dialog.Control(IDC_GS_LABTHRESHOLD);
    ASSERT_EQ(SliderPosition(slider), 500);
    Key(slider, VK_RIGHT);
    EXPECT_EQ(setup.ClickThreshold(), 510);
    EXPECT_EQ(WindowText(label), "A press longer than 0.51 s is a long click");
    Key(slider, VK_NEXT);
    EXPECT_EQ(setup.ClickThreshold(), 610);
    Key(slider, VK_HOME);
    EXPECT_EQ(setup.ClickThreshold(), ThresholdSlider::kMin);
    Key(slider, VK_END);
    EXPECT_EQ(setup.ClickThreshold(), ThresholdSlider::kMax);
    EXPECT_EQ(WindowText(label), "A press longer than 2.00 s is a long click");
    dialog.Click(IDCANCEL);
    EXPECT_EQ(setup.ClickThreshold(), 500);

    // A stored value beyond the slider's range stays until the slider moves.
    setup.ClickThreshold(5000);
    frmGeneralSetup again(config, messages, monitors);
    ASSERT_TRUE(again.Create(nullptr));
    slider = again.Control(IDC_GS_SLIDERCLICKTHRESHOLD);
    EXPECT_EQ(SliderPosition(slider), ThresholdSlider::kMax);
    EXPECT_EQ(WindowText(again.Control(IDC_GS_LABTHRESHOLD)), "A press longer than 5.00 s is a long click");
    Key(slider, VK_RIGHT);
    EXPECT_EQ(setup.ClickThreshold(), 5000);
    Key(slider, VK_LEFT);
    EXPECT_EQ(setup.ClickThreshold(), ThresholdSlider::kMax - ThresholdSlider::kLine);
    again.Click(IDOK);
    EXPECT_EQ(Stored("ClickThreshold"), "1990");
}

// The real Run key of the current user, saved and restored around the test.
TEST(GeneralSetupAutostart, OkWritesAndRemovesTheRunValue) {
    cRegistry run;
    run.ClassKey = HKEY_CURRENT_USER;
    run.SectionKey = kRunKey;
    run.ValueKey = kRunValue;
    const RegistryValue saved = run.Value();
    struct Restore {
        cRegistry& run;
        const RegistryValue& saved;
        ~Restore() {
            if (std::holds_alternative<std::monostate>(saved)) {
                run.DeleteValue();
            } else {
                run.ValueType = REG_SZ;
                run.Value(saved);
            }
        }
    } restore{run, saved};
    run.DeleteValue();

    MemoryIniStore store;
    RecordingMessages messages;
    const std::string folder = "C:\\Program Files\\Orvex Setup Test";
    RegistryAutostart autostart(folder);
    cConfiguration config(store, folder, messages, &autostart);
    const MonitorList monitors = orvex::win32::EnumerateMonitors();
    {
        frmGeneralSetup dialog(config, messages, monitors);
        ASSERT_TRUE(dialog.Create(nullptr));
        Click(dialog.Control(IDC_GS_CHKAUTOSTART));
        dialog.Click(IDCANCEL);
        EXPECT_TRUE(std::holds_alternative<std::monostate>(run.Value())) << "Cancel leaves the registry alone";
    }
    {
        frmGeneralSetup dialog(config, messages, monitors);
        ASSERT_TRUE(dialog.Create(nullptr));
        Click(dialog.Control(IDC_GS_CHKAUTOSTART));
        dialog.Click(IDOK);
        EXPECT_EQ(run.Value(), RegistryValue(std::string("\"" + folder + "\\Orvex.exe\"")));
    }
    {
        frmGeneralSetup dialog(config, messages, monitors);
        ASSERT_TRUE(dialog.Create(nullptr));
        EXPECT_TRUE(IsChecked(dialog.Control(IDC_GS_CHKAUTOSTART)));
        Click(dialog.Control(IDC_GS_CHKAUTOSTART));
        dialog.Click(IDOK);
        EXPECT_TRUE(std::holds_alternative<std::monostate>(run.Value()));
    }
    EXPECT_TRUE(messages.shown.empty());
}

// Shown modally, as the main window shows it: Enter in the mask box is OK.
bool modalTyped = false;
void CALLBACK TypeMaskAndEnter(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = ::FindWindowA(nullptr, "  ORVEX - General Options");
    if (!dialog || modalTyped) return;
    modalTyped = true;
    HWND page = nullptr;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (::GetDlgItem(child, IDC_GS_TXTRELAYBOXAFFINITY)) page = child;
    if (!page) return;
    ::SendMessageA(::GetDlgItem(page, IDC_GS_OPTRELAYBOXAFFINITY1), BM_CLICK, 0, 0);
    HWND box = ::GetDlgItem(page, IDC_GS_TXTRELAYBOXAFFINITY);
    ::SetWindowTextA(box, "1");
    ::SetFocus(box);
    ::PostMessageA(box, WM_KEYDOWN, VK_RETURN, 1);
    ::PostMessageA(box, WM_KEYUP, VK_RETURN, static_cast<LPARAM>(0xC0000001u));
}

TEST_F(GeneralSetupDialog, ModalEnterInTheMaskBoxIsOk) {
    modalTyped = false;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &TypeMaskAndEnter);
    // A second timer ends a dialog that did not close, so the test cannot hang.
    const UINT_PTR guard = ::SetTimer(nullptr, 0, 5000, &CancelOpenDialog);
    frmGeneralSetup dialog(config, messages, monitors);
    const INT_PTR result = dialog.ShowModal(nullptr);
    ::KillTimer(nullptr, timer);
    ::KillTimer(nullptr, guard);
    EXPECT_TRUE(modalTyped);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(Stored("RelayboxAffinity"), "1");
}

} // namespace
} // namespace orvex::config::win32
