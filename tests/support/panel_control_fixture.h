// What the tests of the panel controls share: one virtual panel in an
// instance of the test's own, the Relaybox server registered for it, a
// parent window for the control, and a log of the events it raised.
#pragma once

#include "relaybox/client/relaybox_client.h"
#include "relaybox/com_util.h"
#include "relaybox/tests/com_test_support.h"
#include "simlink/win32/wait_win32.h"
#include "tools/virtualpanels/virtualpanels_client.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace orvex::test {

// The events a control raised, in words ("click 3", "gear up").
struct EventLog {
    void Add(const std::string& e) { log.push_back(e); }
    bool Has(const std::string& e) const { return std::find(log.begin(), log.end(), e) != log.end(); }
    int Count(const std::string& prefix) const {
        return static_cast<int>(
            std::count_if(log.begin(), log.end(), [&](const std::string& e) { return e.rfind(prefix, 0) == 0; }));
    }
    int raw = 0;  // input reports seen
    std::vector<std::string> log;
};

// A name for this process's virtual panels, e.g. "RadioControlTests1234".
inline std::string InstanceName(const char* prefix) { return prefix + std::to_string(::GetCurrentProcessId()); }

template <class Control, class Events>
class PanelControlTest : public ::testing::Test {
protected:
    // Both this process's device layer and the Relaybox server it starts
    // look for the virtual panels of `instance`.
    static void RegisterServer(const std::string& instance) {
        ::SetEnvironmentVariableA("ORVEX_VIRTUAL_PANELS", instance.c_str());
        ASSERT_TRUE(relaybox::RunServerRegistration(relaybox::DefaultServerPath(), false));
    }
    // Starts the panels (`kind`: "--radio 1") and makes the parent window and
    // the control, not yet created.
    void StartPanel(const std::string& instance, const std::string& kind) {
        ASSERT_TRUE(panels.Start("--hidden --pipe " + instance + " " + kind));
        parent = ::CreateWindowExA(0, "STATIC", "panel test", WS_OVERLAPPEDWINDOW, 0, 0, 800, 260, nullptr, nullptr,
                                   ::GetModuleHandleA(nullptr), nullptr);
        ASSERT_TRUE(parent);
        control = std::make_unique<Control>();
    }
    void TearDown() override {
        control.reset();
        if (parent) ::DestroyWindow(parent);
        if (!relaybox::test::WaitForServerExit(8000)) {
            ADD_FAILURE() << "the server outlived the control";
            relaybox::test::EndLeftoverServers();
        }
        panels.Stop();
    }
    void ConnectPanel() {
        ASSERT_TRUE(control->Connect(panels.Path(1))) << control->ConnectError();
        EXPECT_TRUE(control->DeviceOpen());
        relaybox::test::PumpFor(300);  // the reader opens the device and starts reading
    }
    bool WaitFor(const std::string& event, DWORD ms = 4000) {
        return relaybox::test::PumpUntil([&] { return events.Has(event); }, ms);
    }
    // The control has its fixed size and keeps it when resized.
    void ExpectFixedSize() {
        const SIZE size = Control::FixedSize(win32::WindowDpi(control->Handle()));
        RECT rc{};
        ::GetWindowRect(control->Handle(), &rc);
        EXPECT_EQ(rc.right - rc.left, size.cx);
        EXPECT_EQ(rc.bottom - rc.top, size.cy);
        ::SetWindowPos(control->Handle(), nullptr, 0, 0, 100, 40, SWP_NOMOVE | SWP_NOZORDER);
        ::GetWindowRect(control->Handle(), &rc);
        EXPECT_EQ(rc.right - rc.left, size.cx) << "the size is fixed";
    }

    com::ComApartment apartment;
    virtualpanels::VirtualPanelsProcess panels;
    simlink::Win32WaitHost waitHost;
    Events events;
    HWND parent = nullptr;
    std::unique_ptr<Control> control;
};

} // namespace orvex::test
