// The profile dialogs driven through their controls: modeless where a test
// opens them itself, and through a timer script where a button opens one
// modally.
#include "config/win32/profile_dialogs.h"

#include "common/win32/place_window_win32.h"
#include "common/win32/window.h"
#include "config/memory_ini_store.h"
#include "config/tests/fake_messages.h"
#include "config/tests/win32/temp_folder.h"
#include "config/win32/inifile.h"
#include "config/win32/profile_dialogs_resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <functional>
#include <utility>

namespace orvex::config::win32 {
namespace {

using config::testing::RecordingMessages;
using orvex::win32::WindowText;

const char* const kLetters = "Only letters and numbers are admitted in profiles names";

// Runs one step per timer tick on the modal dialog owned by `owner`; a
// dialog still open after the last step is cancelled (and reported).
class ModalScript {
public:
    using Step = std::function<void(HWND)>;
    ModalScript(HWND owner, std::vector<Step> steps) : owner_(owner), steps_(std::move(steps)) {
        current_ = this;
        timer_ = ::SetTimer(nullptr, 0, 30, &Tick);
    }
    ~ModalScript() {
        ::KillTimer(nullptr, timer_);
        current_ = nullptr;
        EXPECT_EQ(next_, steps_.size()) << "the modal dialog did not take every step";
        EXPECT_FALSE(leftOpen_) << "the modal dialog stayed open after the last step";
    }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        ModalScript* self = current_;
        if (!self) return;
        HWND dialog = nullptr;
        for (HWND w = ::GetTopWindow(nullptr); w && !dialog; w = ::GetWindow(w, GW_HWNDNEXT))
            if (::GetWindow(w, GW_OWNER) == self->owner_ && ::IsWindowVisible(w) &&
                ::GetWindowThreadProcessId(w, nullptr) == ::GetCurrentThreadId())
                dialog = w;
        if (!dialog) return;
        if (self->next_ < self->steps_.size()) {
            self->steps_[self->next_++](dialog);
        } else {
            self->leftOpen_ = true;
            ::SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        }
    }
    static inline ModalScript* current_ = nullptr;
    HWND owner_;
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    bool leftOpen_ = false;
    UINT_PTR timer_ = 0;
};

void Command(HWND control, int code) {
    ::SendMessageA(::GetParent(control), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(control), code),
                   reinterpret_cast<LPARAM>(control));
}
void Press(HWND button) { Command(button, BN_CLICKED); }
void Pick(HWND list, const std::string& text, int code = LBN_SELCHANGE) {
    const LRESULT at = ::SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(text.c_str()));
    ASSERT_GE(at, 0) << text;
    ::SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(at), 0);
    Command(list, code);
}
std::vector<std::string> Items(HWND list) {
    std::vector<std::string> items;
    const LRESULT n = ::SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        char text[256] = {};
        ::SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        items.emplace_back(text);
    }
    return items;
}
// Types a text into a dialog's control and presses a button of it.
ModalScript::Step Type(int id, std::string text, int button = IDOK) {
    return [id, text, button](HWND dialog) {
        ::SetDlgItemTextA(dialog, id, text.c_str());
        ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    };
}

struct ProfileDialogs : ::testing::Test {
    void SetUp() override { Load("[Profiles]\nB2= \nFree= \nUsed= \n[Aircrafts]\nCessna 172=B2\nBoeing 737=Default\n"); }
    void Load(const std::string& ini) {
        memory.SetFileText(config.IniPath(), ini);
        config.LoadProfilesList();
        config.LoadAircraftsList();
        config.CurrentProfile = "Used";
    }
    std::string LastShown() const { return messages.shown.empty() ? "" : messages.shown.back().Text; }

    MemoryIniStore memory;
    RecordingMessages messages;
    cConfiguration config{memory, "C:\\Orvex", messages};
    app::ProgramState state;
    MonitorList monitors = orvex::win32::EnumerateMonitors();
};

TEST_F(ProfileDialogs, ProfileNameValidatesAndStoresItsPosition) {
    {
        frmProfileName dialog(config, messages, state, monitors);
        ASSERT_TRUE(dialog.Create(nullptr));
        EXPECT_TRUE(state.DialogOpen);
        const std::pair<const char*, const char*> refusals[] = {{"A B", kLetters},
                                                                {"A_B", kLetters},
                                                                {"B2", "Profile name already in use."},
                                                                {"b2", "Profile name already in use."},
                                                                {"default", "Profile name already in use."}};
        for (const auto& [name, text] : refusals) {
            dialog.ItemText(IDC_TXTPROFILE, name);
            dialog.Click(IDOK);
            EXPECT_FALSE(dialog.Ended()) << name;
            EXPECT_EQ(LastShown(), text) << name;
        }
        EXPECT_EQ(messages.shown.back().Title, "  ORVEX");
        ::SetWindowPos(dialog.Handle(), nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        dialog.ItemText(IDC_TXTPROFILE, "B3");
        dialog.Click(IDOK);
        EXPECT_TRUE(dialog.Ended());
        EXPECT_EQ(dialog.Result(), IDOK);
        EXPECT_EQ(dialog.NewProfileName(), "B3");
        EXPECT_FALSE(state.DialogOpen);
    }
    EXPECT_EQ(config.Setup().ProfileNameFormLeft(), 300 * kTwipsPerPixel);
    EXPECT_EQ(config.Setup().ProfileNameFormTop(), 200 * kTwipsPerPixel);

    frmProfileName again(config, messages, state, monitors);
    ASSERT_TRUE(again.Create(nullptr));
    RECT r{};
    ::GetWindowRect(again.Handle(), &r);
    EXPECT_EQ(r.left, 300);
    EXPECT_EQ(r.top, 200);
    again.ItemText(IDC_TXTPROFILE, "Typed");
    again.Click(IDCANCEL);
    EXPECT_EQ(again.NewProfileName(), "");
    EXPECT_EQ(config.colProfiles.size(), 4u) << "the prompt itself adds nothing";
}

TEST_F(ProfileDialogs, AircraftProfileBindsListedOrNewNames) {
    state.NewAircraftTitle = "Beech Baron & Co";
    state.ChosenProfile = "stale";
    {
        frmAircraftProfile dialog(config, messages, state, monitors);
        ASSERT_TRUE(dialog.Create(nullptr));
        EXPECT_EQ(dialog.ItemText(IDC_LABEL1), "Beech Baron & Co");
        EXPECT_EQ(state.ChosenProfile, "");
        EXPECT_NE(::GetWindowLongPtrA(dialog.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
        EXPECT_EQ(::SendMessageA(dialog.Item(IDC_CMBPROFILES), CB_GETCOUNT, 0, 0), 4);
        dialog.ItemText(IDC_CMBPROFILES, "My Baron");
        dialog.Click(IDOK);
        EXPECT_FALSE(dialog.Ended());
        EXPECT_EQ(LastShown(), kLetters);
        dialog.ItemText(IDC_CMBPROFILES, "free");
        dialog.Click(IDOK);
        EXPECT_TRUE(dialog.Ended());
        EXPECT_EQ(state.ChosenProfile, "Free") << "an existing profile, whatever the case typed";
        EXPECT_FALSE(dialog.ProfileAdded());
        EXPECT_EQ(config.colProfiles.size(), 4u);
    }
    EXPECT_NE(config.Setup().AircraftFormTop(), 0);
    {
        frmAircraftProfile dialog(config, messages, state, monitors);
        ASSERT_TRUE(dialog.Create(nullptr));
        dialog.ItemText(IDC_CMBPROFILES, "Baron58");
        dialog.Click(IDOK);
        EXPECT_EQ(state.ChosenProfile, "Baron58");
        EXPECT_TRUE(dialog.ProfileAdded());
        EXPECT_EQ(config.colProfiles, (std::vector<std::string>{"B2", "Free", "Used", "Baron58", "Default"}));
    }
    frmAircraftProfile cancelled(config, messages, state, monitors);
    ASSERT_TRUE(cancelled.Create(nullptr));
    cancelled.ItemText(IDC_CMBPROFILES, "Free");
    cancelled.Click(IDCANCEL);
    EXPECT_EQ(state.ChosenProfile, "");
}

TEST_F(ProfileDialogs, ProfilesListSpecialModeAndNewProfile) {
    memory.SetFileText(config.ProfilePath("Free"), "[Common]\nSpecialMode=ngx\n");
    frmProfilesSetup dialog(config, messages, state, monitors);
    ASSERT_TRUE(dialog.Create(nullptr));
    HWND profiles = dialog.Control(IDC_LSTPROFILES);
    HWND none = dialog.Control(IDC_OPTSPECIALMODE0), maddog = dialog.Control(IDC_OPTSPECIALMODE1),
         ngx = dialog.Control(IDC_OPTSPECIALMODE2);
    EXPECT_EQ(Items(profiles), config.colProfiles);
    EXPECT_EQ(Items(dialog.Control(IDC_LSTAIRCRAFTS)), config.colAircrafts);
    EXPECT_FALSE(::IsWindowEnabled(none)) << "no profile selected, no file to write to";

    Pick(profiles, "Free");
    EXPECT_EQ(::SendMessageA(ngx, BM_GETCHECK, 0, 0), BST_CHECKED);
    ::SendMessageA(maddog, BM_CLICK, 0, 0);
    EXPECT_EQ(memory.ReadString(config.ProfilePath("Free"), "Common", "SpecialMode", ""), "MADDOG");
    ::SendMessageA(none, BM_CLICK, 0, 0);
    EXPECT_TRUE(memory.KeyNames(config.ProfilePath("Free"), "Common").empty());
    Pick(profiles, "B2");
    EXPECT_EQ(::SendMessageA(none, BM_GETCHECK, 0, 0), BST_CHECKED);
    ::SendMessageA(ngx, BM_CLICK, 0, 0);
    EXPECT_EQ(memory.ReadString(config.ProfilePath("B2"), "Common", "SpecialMode", ""), "NGX");

    {
        ModalScript script(dialog.Handle(), {Type(IDC_TXTPROFILE, "A B"), Type(IDC_TXTPROFILE, "free"),
                                             Type(IDC_TXTPROFILE, "B3")});
        Press(dialog.Control(IDC_CMDNEW));
    }
    EXPECT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(config.colProfiles, (std::vector<std::string>{"B2", "Free", "Used", "B3", "Default"}));
    EXPECT_EQ(memory.KeyNames(config.IniPath(), "Profiles"), (std::vector<std::string>{"B2", "Free", "Used", "B3"}));
    EXPECT_EQ(Items(profiles), config.colProfiles);
    {
        ModalScript script(dialog.Handle(), {Type(IDC_TXTPROFILE, "Zed", IDCANCEL)});
        Press(dialog.Control(IDC_CMDNEW));
    }
    EXPECT_EQ(config.colProfiles.size(), 5u);

    // The second page, through the tab strip.
    HWND tab = dialog.Control(IDC_TABMAIN);
    TabCtrl_SetCurSel(tab, 1);
    NMHDR change{tab, IDC_TABMAIN, static_cast<UINT>(TCN_SELCHANGE)};
    ::SendMessageA(dialog.Handle(), WM_NOTIFY, IDC_TABMAIN, reinterpret_cast<LPARAM>(&change));
    EXPECT_TRUE(::IsWindowVisible(dialog.Control(IDC_LSTAIRCRAFTS)));
    EXPECT_FALSE(::IsWindowVisible(profiles));
}

TEST_F(ProfileDialogs, AircraftRebindingThroughDoubleClick) {
    frmProfilesSetup dialog(config, messages, state, monitors);
    ASSERT_TRUE(dialog.Create(nullptr));
    HWND aircraft = dialog.Control(IDC_LSTAIRCRAFTS);
    Pick(aircraft, "Cessna 172");
    EXPECT_EQ(WindowText(dialog.Control(IDC_LABPROFILE)), "B2");
    {
        ModalScript script(dialog.Handle(), {[&](HWND nested) {
                                                 EXPECT_EQ(WindowText(::GetDlgItem(nested, IDC_LABEL1)), "Cessna 172");
                                                 EXPECT_TRUE(state.DialogOpen);
                                                 Type(IDC_CMBPROFILES, "Skyhawk")(nested);
                                             }});
        Pick(aircraft, "Cessna 172", LBN_DBLCLK);
    }
    EXPECT_TRUE(state.DialogOpen) << "the manager is still open";
    EXPECT_EQ(config.GetAircraftProfile("Cessna 172"), "Skyhawk");
    EXPECT_EQ(memory.ReadString(config.IniPath(), "Aircrafts", "Cessna 172", ""), "Skyhawk");
    EXPECT_EQ(memory.ReadString(config.IniPath(), "Aircrafts", "Boeing 737", ""), "Default");
    EXPECT_EQ(memory.KeyNames(config.IniPath(), "Profiles").back(), "Skyhawk") << "the new profile is saved too";
    EXPECT_EQ(WindowText(dialog.Control(IDC_LABPROFILE)), "Skyhawk");
    EXPECT_EQ(Items(dialog.Control(IDC_LSTPROFILES)), config.colProfiles);
    {
        ModalScript script(dialog.Handle(), {Type(IDC_CMBPROFILES, "Free", IDCANCEL)});
        Pick(aircraft, "Cessna 172", LBN_DBLCLK);
    }
    EXPECT_EQ(config.GetAircraftProfile("Cessna 172"), "Skyhawk");
    dialog.Click(IDCANCEL);
    EXPECT_FALSE(state.DialogOpen);
    EXPECT_NE(config.Setup().ProfilesFormTop(), 0);
}

TEST(ProfileDialogFiles, DeleteRefusalsAndDeleteOfAFreeProfileWithItsFile) {
    config::testing::TempFolder folder("profiles");
    folder.Write("Orvex.ini", "[Profiles]\r\nB2= \r\nFree= \r\nUsed= \r\n[Aircrafts]\r\nCessna 172=B2\r\n");
    folder.Write("Free.ini", "[RadioPanel1]\r\nA=1\r\n");
    folder.Write("Default.ini", "[RadioPanel1]\r\nA=2\r\n");
    cInifile ini;
    RecordingMessages messages;
    cConfiguration config(ini, folder.Path(), messages);
    config.LoadProfilesList();
    config.LoadAircraftsList();
    config.CurrentProfile = "Used";
    app::ProgramState state;
    const MonitorList monitors = orvex::win32::EnumerateMonitors();

    frmProfilesSetup dialog(config, messages, state, monitors);
    ASSERT_TRUE(dialog.Create(nullptr));
    HWND profiles = dialog.Control(IDC_LSTPROFILES);
    HWND del = dialog.Control(IDC_CMDDELETE);
    Press(del);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].Text, "No profile is currently selected");
    EXPECT_TRUE(messages.shown[0].Information);
    for (const char* refused : {"B2", "Used", "Default"}) {
        Pick(profiles, refused);
        Press(del);
        EXPECT_TRUE(messages.shown.back().Critical) << refused;
    }
    EXPECT_EQ(messages.shown[1].Text,
              "The selected profile is bound to at list one Aircraft. You can't delete a profile bound.");
    EXPECT_EQ(messages.shown[2].Text, "The selected profile is currently in use. You can't delete the profile in use.");
    EXPECT_NE(messages.shown[3].Text.find("Default"), std::string::npos);
    EXPECT_TRUE(messages.questions.empty());
    EXPECT_TRUE(folder.Exists("Default.ini"));

    Pick(profiles, "Free");
    messages.answerOk = false;
    Press(del);
    ASSERT_EQ(messages.questions.size(), 1u);
    EXPECT_EQ(messages.questions[0].Text, "Are you sure you want to delete this profile ?");
    EXPECT_TRUE(folder.Exists("Free.ini"));
    messages.answerOk = true;
    Press(del);
    EXPECT_FALSE(folder.Exists("Free.ini"));
    EXPECT_EQ(Items(profiles), (std::vector<std::string>{"B2", "Used", "Default"}));
    EXPECT_EQ(ini.KeyNames(config.IniPath(), "Profiles"), (std::vector<std::string>{"B2", "Used"}));
    EXPECT_EQ(messages.shown.size(), 4u);
    // Nothing of the deleted file comes back through the profile functions.
    EXPECT_EQ(ini.ReadString(config.ProfilePath("Free"), "RadioPanel1", "A", "none"), "none");
}

TEST_F(ProfileDialogs, ImportWizardReplacesTheChosenSections) {
    std::string sections = "[Common]\nSpecialMode=NGX\n[RadioPanel1]\nA=src\n";
    for (int i = 2; i <= 12; ++i) sections += "[Extra" + std::to_string(i) + "]\nK=" + std::to_string(i) + "\n";
    memory.SetFileText(config.ProfilePath("Free"), sections);
    memory.SetFileText(config.ProfilePath("B2"), "[RadioPanel1]\nA=old\nGone=1\n[MultiPanel1]\nX=kept\n");
    {
        frmProfileImport dialog(config, messages, state, monitors, "B2");
        ASSERT_TRUE(dialog.Create(nullptr));
        EXPECT_EQ(dialog.ItemText(IDC_LBLTARGETPROFILE), "B2");
        HWND source = dialog.Item(IDC_LSTPROFILES);
        EXPECT_EQ(Items(source), (std::vector<std::string>{"Free", "Used", "Default"}));
        dialog.Click(IDOK);
        EXPECT_EQ(LastShown(), "No profile is currently selected");
        EXPECT_TRUE(messages.shown.back().Information);
        Pick(source, "Used");
        dialog.Click(IDOK);
        EXPECT_EQ(LastShown(), "The selected profile has not sections to import");
        EXPECT_EQ(messages.shown.back().Title, "Orvex");
        EXPECT_EQ(dialog.Page(), 0);
        Pick(source, "Free");
        dialog.Click(IDOK);
        ASSERT_EQ(dialog.Page(), 1);
        EXPECT_EQ(dialog.ItemText(IDC_LBLSOURCEPROFILE), "Free");
        HWND list = dialog.Item(IDC_LSTSECTIONS);
        ASSERT_EQ(ListView_GetItemCount(list), 13) << "every section is offered";
        dialog.Click(IDOK);
        EXPECT_EQ(LastShown(), "You have selected no sections. Please select at least one section before proceeding");
        EXPECT_TRUE(messages.shown.back().Critical);
        ListView_SetCheckState(list, 1, TRUE);  // RadioPanel1
        ListView_SetCheckState(list, 12, TRUE); // Extra12, beyond the first ten
        dialog.Click(IDOK);
        ASSERT_EQ(dialog.Page(), 2);
        EXPECT_EQ(dialog.ItemText(IDOK), "Ok");
        EXPECT_EQ(Items(dialog.Item(IDC_LSTCONFIRM)), (std::vector<std::string>{"RadioPanel1", "Extra12"}));
        dialog.Click(IDOK);
        EXPECT_TRUE(dialog.Ended());
        EXPECT_EQ(LastShown(), "Import successfully completed !");
        EXPECT_TRUE(messages.shown.back().Information);
    }
    const std::string target = config.ProfilePath("B2");
    EXPECT_EQ(memory.KeyNames(target, "RadioPanel1"), std::vector<std::string>{"A"}) << "replaced entirely";
    EXPECT_EQ(memory.ReadString(target, "RadioPanel1", "A", ""), "src");
    EXPECT_EQ(memory.ReadString(target, "Extra12", "K", ""), "12");
    EXPECT_EQ(memory.ReadString(target, "MultiPanel1", "X", ""), "kept");
    EXPECT_TRUE(memory.KeyNames(target, "Common").empty());
    EXPECT_NE(config.Setup().ProfileImportFormTop(), 0);

    // From the manager: the target is the selected profile; importing
    // "Common" shows its special mode at once.
    frmProfilesSetup manager(config, messages, state, monitors);
    ASSERT_TRUE(manager.Create(nullptr));
    Press(manager.Control(IDC_CMDIMPORT));
    EXPECT_EQ(LastShown(), "No profile is currently selected");
    EXPECT_TRUE(messages.shown.back().Information);
    Pick(manager.Control(IDC_LSTPROFILES), "B2");
    {
        ModalScript script(manager.Handle(),
                           {[](HWND wizard) {
                                EXPECT_EQ(WindowText(::GetDlgItem(wizard, IDC_LBLTARGETPROFILE)), "B2");
                                HWND source = ::GetDlgItem(wizard, IDC_LSTPROFILES);
                                ::SendMessageA(source, LB_SETCURSEL, 0, 0); // Free
                                ::SendMessageA(wizard, WM_COMMAND, IDOK, 0);
                            },
                            [](HWND wizard) {
                                ListView_SetCheckState(::GetDlgItem(wizard, IDC_LSTSECTIONS), 0, TRUE); // Common
                                ::SendMessageA(wizard, WM_COMMAND, IDOK, 0);
                            },
                            [](HWND wizard) { ::SendMessageA(wizard, WM_COMMAND, IDOK, 0); }});
        Press(manager.Control(IDC_CMDIMPORT));
    }
    EXPECT_EQ(memory.ReadString(target, "Common", "SpecialMode", ""), "NGX");
    EXPECT_EQ(::SendMessageA(manager.Control(IDC_OPTSPECIALMODE2), BM_GETCHECK, 0, 0), BST_CHECKED);
}

} // namespace
} // namespace orvex::config::win32
