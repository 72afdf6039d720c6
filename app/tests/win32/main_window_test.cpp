// The main window and the notification icon, without a simulator or panels:
// tabs and pages, the status bar, the profile list, the icon's record and
// the events that show the window again.
#include "app/win32/main_window.h"
#include "app/win32/orvex_app.h"
#include "common/win32/elevation.h"

#include "config/memory_ini_store.h"
#include "config/tests/fake_messages.h"
#include "simlink/tests/fake_link.h"

#include <gtest/gtest.h>

#include "orvex_version.h"

#include <commctrl.h>
#include <shellapi.h>

namespace orvex::app::win32 {
namespace {

// How often pages were darkened and released.
int g_pagesLost = 0;
int g_pagesReleased = 0;

// A page that is just a child window of the main window.
class PagePanel final : public IPanelObject {
public:
    PagePanel(HWND parent, std::int16_t index) : index_(index) {
        window_ = ::CreateWindowExA(0, "STATIC", "page", WS_CHILD, 0, 0, 700, 180, parent, nullptr,
                                    ::GetModuleHandleA(nullptr), nullptr);
    }
    ~PagePanel() override {
        ++g_pagesReleased;
        if (::IsWindow(window_)) ::DestroyWindow(window_);
    }
    app::PanelKindId Kind() const override { return app::PanelKindId::Radio; }
    std::int16_t Index() const override { return index_; }
    void RefreshData() override {}
    void GetPositions() override {}
    void SimulatorLost() override { ++g_pagesLost; }
    void ReloadSetup() override {}
    void ApplySetup() override {}
    void OpenSetupDialog() override {}
    HWND Control() const override { return window_; }
    bool Connect(const std::string&, std::string&) override { return true; }
    void Splash() override {}
    void StartUp() override {}
    bool DeviceConnected() const override { return true; }
    std::string DevicePath() const override { return {}; }
    void DeviceGone(const std::string&, bool) override {}
    void ShowStatus(const std::string&) override {}
    bool Reconnect(const std::string&, std::string&) override { return true; }
    void Refresh() override {}
    unsigned long ServerProcessId() const override { return 0; }

private:
    HWND window_ = nullptr;
    std::int16_t index_;
};

class NoConnection final : public ISimConnection {
public:
    simlink::LinkAnswer Open(std::int32_t& result) override {
        result = simlink::ResultNoSimulator;
        return simlink::LinkAnswer::Failed;
    }
    simlink::LinkAnswer Exchange(std::int32_t& result) override {
        result = simlink::ResultNotOpen;
        return simlink::LinkAnswer::Failed;
    }
    void Close() override {}
    void Reset() override {}
};

struct MainWindowTest : ::testing::Test {
    MainWindowTest() {
        store.SetFileText("C:\\Orvex\\Orvex.ini", "[Profiles]\nHeavy= \nLight= \n");
        config.BeginStartUp();
        config.FinishStartUp();
        window.Logic(&logic);
        EXPECT_TRUE(window.Create());
        window.Load();
    }
    config::MemoryIniStore store;
    config::testing::RecordingMessages messages;
    config::cConfiguration config{store, "C:\\Orvex", messages};
    ProgramState state;
    simlink::testing::FakeLink link;
    NoConnection connection;
    simlink::RegisteredOffsets offsets{link};
    MonitorList monitors{{{0, 0, 1280, 1024}}};
    // The logic is declared first so that it outlives the window, whose
    // unload handler still talks to it.
    cMainLogic logic{state, config, link, connection, offsets, window};
    frmMain window{state, config, messages, monitors};
};

TEST_F(MainWindowTest, TabsShowOnePageAtATimeInPanelOrder) {
    ASSERT_EQ(window.TabCount(), 1);
    window.AddPanelTab("RadioPanel1", "Radio Panel 1", std::make_unique<PagePanel>(window.Handle(), 1));
    window.AddPanelTab("MultiPanel1", "Multi Panel 1", std::make_unique<PagePanel>(window.Handle(), 1));
    window.AddPanelTab("MultiPanel2", "Multi Panel 2", std::make_unique<PagePanel>(window.Handle(), 2));
    ASSERT_EQ(window.TabCount(), 4);
    EXPECT_EQ(window.TabCaption(3), "Multi Panel 2");
    const auto& pages = window.PanelObjects();
    for (const auto& p : pages) EXPECT_FALSE(::IsWindowVisible(p->Control()));

    window.Show(true);
    window.SelectTab(3);  // tab 4: the second Multi Panel's control
    EXPECT_TRUE(::IsWindowVisible(pages[2]->Control()));
    EXPECT_FALSE(::IsWindowVisible(pages[0]->Control()));
    window.SelectTab(1);
    EXPECT_TRUE(::IsWindowVisible(pages[0]->Control()));
    EXPECT_FALSE(::IsWindowVisible(pages[2]->Control()));
    EXPECT_EQ(window.SelectedTab(), 1);
    window.CycleTab(-1);
    window.CycleTab(-1);  // wraps round to the last tab
    EXPECT_EQ(window.SelectedTab(), 3);
    EXPECT_TRUE(::IsWindowVisible(pages[2]->Control()));
    window.CycleTab(1);
    EXPECT_EQ(window.SelectedTab(), 0);
    // Focusing a tab (the keyboard's way, and other programs') selects it.
    ::SendMessageA(window.Control(frmMain::IDC_TABMAIN), TCM_SETCURFOCUS, 2, 0);
    EXPECT_EQ(window.SelectedTab(), 2);
    window.SelectTab(1);

    // The window grows to hold the largest page, never below its own size.
    RECT r{};
    ::GetWindowRect(window.Handle(), &r);
    EXPECT_GE(r.right - r.left, 11325 / 15);
    EXPECT_GE(r.bottom - r.top, 4218 / 15);
    RECT page{};
    ::GetWindowRect(pages[0]->Control(), &page);
    EXPECT_LE(page.right, r.right);
    EXPECT_LE(page.bottom, r.bottom);
}

TEST_F(MainWindowTest, StatusProfilesAndLoad) {
    EXPECT_EQ(window.StatusText(StatusPanel::Status), "FSUIPC Status: Disconnected");
    char text[128] = {};
    ::SendMessageA(window.Control(frmMain::IDC_BARMAIN), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "FSUIPC Status: Disconnected");

    // Loading selected the last entry, "Default".
    EXPECT_EQ(window.ProfileCount(), 3);
    EXPECT_EQ(window.SelectedProfileText(), "Default");
    EXPECT_TRUE(logic.SelectProfile("Light"));
    EXPECT_EQ(window.SelectedProfileText(), "Light");
    EXPECT_EQ(config.CurrentProfile, "Light");
    EXPECT_FALSE(logic.SelectProfile("light")) << "exact comparison";
    EXPECT_EQ(config.CurrentProfile, "Light");

    // Centred on the first monitor when no position was stored.
    RECT r{};
    ::GetWindowRect(window.Handle(), &r);
    EXPECT_NEAR((r.left + r.right) / 2, 640, 2);
}

TEST_F(MainWindowTest, MainPageShowsTheProjectVersion) {
    HWND page = ::FindWindowExA(window.Handle(), nullptr, "OrvexMainPage", nullptr);
    ASSERT_NE(page, nullptr);
    HWND version = ::GetDlgItem(page, frmMain::IDC_LBLVERSION);
    char text[64] = {};
    ::GetWindowTextA(version, text, sizeof(text));
    EXPECT_STREQ(text, "Version " ORVEX_VERSION_TEXT);
    EXPECT_TRUE(::GetWindowLongA(version, GWL_STYLE) & WS_VISIBLE);
    RECT label{}, client{};
    ::GetWindowRect(version, &label);
    ::GetWindowRect(page, &client);
    EXPECT_GT(label.right - label.left, 0);
    EXPECT_LE(label.right, client.right) << "inside the page";
}

TEST_F(MainWindowTest, TrayIconRecordAndDoubleClick) {
    ctlTrayArea& tray = window.Tray();
    EXPECT_TRUE(tray.Visible());
    EXPECT_EQ(tray.IconId(), ctlTrayArea::kIconId);
    EXPECT_EQ(tray.Record().uID, ctlTrayArea::kIconId) << "the same identity at every start";
    EXPECT_EQ(tray.ToolTip(), "Waiting FS connection...");
    NOTIFYICONDATAA record = tray.Record();
    EXPECT_EQ(record.cbSize, sizeof(NOTIFYICONDATAA));
    EXPECT_EQ(record.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(record.uCallbackMessage, 512u);
    EXPECT_STREQ(record.szTip, "Waiting FS connection...");
    window.SetTrayConnected(true);
    EXPECT_STREQ(tray.Record().szTip, "Connected...");

    tray.ToolTip(std::string(100, 'x'));
    EXPECT_EQ(std::string(tray.Record().szTip), std::string(63, 'x')) << "cut to the record's field";
    tray.ToolTip("");
    EXPECT_EQ(tray.Record().uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON));

    // A double click shows the hidden window, unless a dialog is open.
    window.Show(false);
    state.DialogOpen = true;
    ::SendMessageA(tray.Handle(), ctlTrayArea::kCallbackMessage, 0, WM_LBUTTONDBLCLK);
    EXPECT_FALSE(::IsWindowVisible(window.Handle()));
    state.DialogOpen = false;
    ::SendMessageA(tray.Handle(), ctlTrayArea::kCallbackMessage, 0, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(::IsWindowVisible(window.Handle()));

    // Explorer restarting: the icon is added again.
    ::SendMessageA(tray.Handle(), ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(tray.Visible());

    // Elevated, the shell's broadcast is let through the window's filter;
    // not elevated, the filter is left alone.
    EXPECT_EQ(tray.TaskbarCreatedAllowed(), orvex::win32::ProcessElevated());
    ctlTrayArea elevated;
    ASSERT_TRUE(elevated.Create(true));
    EXPECT_TRUE(elevated.TaskbarCreatedAllowed());
    ctlTrayArea normal;
    ASSERT_TRUE(normal.Create(false));
    EXPECT_FALSE(normal.TaskbarCreatedAllowed());
}

TEST_F(MainWindowTest, QuitAsksAndClosingSavesThePosition) {
    messages.answerOk = false;
    ::SendMessageA(window.Handle(), WM_COMMAND, frmMain::IDC_BTNQUIT, 0);
    ASSERT_EQ(messages.questions.size(), 1u);
    EXPECT_EQ(messages.questions[0].Title, " ORVEX - Quit request");
    EXPECT_EQ(messages.questions[0].Text, "           Are you sure ?\r\nQuitting will stop the panels.");
    EXPECT_FALSE(window.Unloaded());

    window.Show(true);
    ::SetWindowPos(window.Handle(), nullptr, 40, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    messages.answerOk = true;
    ::SendMessageA(window.Handle(), WM_COMMAND, frmMain::IDC_BTNQUIT, 0);
    EXPECT_TRUE(window.Unloaded());
    EXPECT_EQ(config.Setup().MainFormLeft(), 40 * 15);
    EXPECT_EQ(config.Setup().MainFormTop(), 60 * 15);
    EXPECT_NE(store.FileText("C:\\Orvex\\Orvex.ini").find("MainFormTop=900"), std::string::npos);
    EXPECT_FALSE(window.Tray().Visible());
}

TEST_F(MainWindowTest, EndOfSessionSavesLikeClosingAndDarkensThePanels) {
    window.AddPanelTab("Radio1", "Radio Panel 1", std::make_unique<PagePanel>(window.Handle(), 1));
    g_pagesLost = g_pagesReleased = 0;
    window.Show(true);
    ::SetWindowPos(window.Handle(), nullptr, 40, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);

    // Asked first: agreed to, and saved at once.
    EXPECT_EQ(::SendMessageA(window.Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    EXPECT_NE(store.FileText("C:\\Orvex\\Orvex.ini").find("MainFormTop=900"), std::string::npos);
    EXPECT_FALSE(window.Unloaded());
    // Another program refused: the session goes on, nothing changes.
    ::SendMessageA(window.Handle(), WM_ENDSESSION, FALSE, 0);
    EXPECT_FALSE(window.Unloaded());
    EXPECT_EQ(g_pagesReleased, 0);

    // Ending while a dialog is shown: saved, panels darkened but kept for the dialog.
    ::SetWindowPos(window.Handle(), nullptr, 80, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    logic.RunModal([&] {
        ::SendMessageA(window.Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        EXPECT_EQ(g_pagesLost, 1);
        EXPECT_EQ(g_pagesReleased, 0);
        EXPECT_EQ(config.Setup().MainFormLeft(), 80 * 15);
    });

    // Ending: saved, the panels released (which darkens real ones), the icon gone.
    ::SetWindowPos(window.Handle(), nullptr, 120, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ::SendMessageA(window.Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_TRUE(window.Unloaded());
    EXPECT_EQ(g_pagesReleased, 1);
    EXPECT_NE(store.FileText("C:\\Orvex\\Orvex.ini").find("MainFormLeft=1800"), std::string::npos);
    EXPECT_FALSE(window.Tray().Visible());
}

TEST(OrvexStartRules, AnOtherInstanceIsFoundAlsoWhenItsObjectRefusesAccess) {
    EXPECT_TRUE(OrvexApp::AnotherInstanceRuns(true, ERROR_ALREADY_EXISTS));
    // The running Orvex is elevated, this one is not: no handle, access denied.
    EXPECT_TRUE(OrvexApp::AnotherInstanceRuns(false, ERROR_ACCESS_DENIED));
    EXPECT_FALSE(OrvexApp::AnotherInstanceRuns(true, 0));
    EXPECT_FALSE(OrvexApp::AnotherInstanceRuns(false, ERROR_INVALID_NAME)) << "other failures start anyway";
}

TEST_F(MainWindowTest, ACloseWhileADialogIsShownFollowsWhenItEnds) {
    // The simulator going away with "AutoQuit" on posts the close from a
    // tick, which may run inside a dialog's loop.
    logic.RunModal([&] {
        window.StopAndUnload();
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
        EXPECT_FALSE(window.Unloaded()) << "the dialog's panels must outlive it";
        EXPECT_TRUE(::IsWindow(window.Handle()));
    });
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    EXPECT_TRUE(window.Unloaded());
}

} // namespace
} // namespace orvex::app::win32
