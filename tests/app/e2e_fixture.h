// The end-to-end tests' common ground: Orvex runs in the test process
// against the real Relaybox server, the simulator stand-in and virtual
// panels in processes of their own.
#pragma once

#include "app/win32/orvex_app.h"
#include "config/tests/fake_messages.h"
#include "config/tests/win32/temp_folder.h"
#include "relaybox/client/relaybox_client.h"
#include "relaybox/tests/com_test_support.h"
#include "tools/simstandin/standin_client.h"
#include "tools/virtualpanels/virtualpanels_client.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

namespace orvex::app::win32 {

using relaybox::test::PumpFor;
using relaybox::test::PumpUntil;

inline constexpr const char* kPanels = "OrvexEndToEnd";
inline constexpr const char* kStandinPipe = "OrvexEndToEndSim";


inline int RelayboxProcesses() { return relaybox::test::ServerProcessCount(); }

// The four display texts of a virtual Radio Panel, "a|b|c|d".
inline std::string Displays(virtualpanels::VirtualPanelsProcess& panels, int device) {
    const std::string reply = panels.Command("displays " + std::to_string(device));
    return reply.rfind("ok ", 0) == 0 ? reply.substr(3) : reply;
}

class OrvexEndToEnd : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Relaybox (started by COM from this process) and this process's
        // device layer both look for this instance's virtual panels.
        ::SetEnvironmentVariableA("ORVEX_VIRTUAL_PANELS", kPanels);
        ASSERT_TRUE(relaybox::RunServerRegistration(relaybox::DefaultServerPath(), false));
        standin = std::make_unique<SimStandinProcess>();
        ASSERT_TRUE(standin->Start(std::string("--hidden --pipe ") + kStandinPipe));
    }
    static void TearDownTestSuite() {
        if (standin) standin->Stop();
        standin.reset();
    }

    void SetUp() override {
        ASSERT_TRUE(standin->Ok("fault none"));
        standin->Command("window open");  // an error when it is open already
        ASSERT_TRUE(standin->Ok("title Cessna 172"));
        // Power on, COM1 123.45 / 118.00.
        ASSERT_TRUE(standin->SetInt(0x281C, 4, 1));
        ASSERT_TRUE(standin->SetInt(0x2E80, 4, 1));
        ASSERT_TRUE(standin->Set(0x034E, {0x45, 0x23}));
        ASSERT_TRUE(standin->Set(0x311A, {0x00, 0x18}));
    }
    void TearDown() override {
        app.reset();
        // The server ends once its last object is released.
        PumpUntil([] { return RelayboxProcesses() == 0; }, 10000);
        panels.Stop();
    }

    void StartPanels(const std::string& kinds) {
        ASSERT_TRUE(panels.Start(std::string("--hidden --pipe ") + kPanels + " " + kinds));
    }
    bool StartApp() {
        AppEnvironment env;
        env.ProgramFolder = folder.Path() + "\\";
        env.Messages = &messages;
        env.InstanceName = "Local\\OrvexEndToEndInstance";
        env.ShowWindow = false;
        app = std::make_unique<OrvexApp>(env);
        return app->Start();
    }
    std::string Status(StatusPanel panel) { return app->MainWindow()->StatusText(panel); }
    bool WaitConnected(DWORD ms = 3000) {
        return PumpUntil([&] { return app->State().SimConnected; }, ms, 5);
    }
    bool WaitDisplays(const std::string& expected, int device = 1, DWORD ms = 3000) {
        return PumpUntil([&] { return Displays(panels, device) == expected; }, ms);
    }

    inline static std::unique_ptr<SimStandinProcess> standin;
    config::testing::TempFolder folder{"EndToEnd"};
    config::testing::RecordingMessages messages;
    virtualpanels::VirtualPanelsProcess panels;
    std::unique_ptr<OrvexApp> app;
};

} // namespace orvex::app::win32
