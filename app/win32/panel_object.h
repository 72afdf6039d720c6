// What a panel object is given and what it offers to start-up and the main
// window. Header only, so that the panel folders need nothing of the
// application's libraries.
#pragma once

#include "actions/event_action.h"
#include "app/main_logic.h"
#include "app/program_state.h"
#include "common/place_window.h"
#include "config/configuration.h"
#include "config/user_messages.h"
#include "simlink/link.h"
#include "simlink/registered_offsets.h"
#include "simlink/sim_commands.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace orvex::app::win32 {

inline constexpr std::uint16_t kSaitekVendorId = 0x06A3;

class IPanelObject;

// What every panel object may use. All of it outlives the panels.
struct PanelServices {
    ProgramState& State;
    config::cConfiguration& Configuration;
    simlink::ILink& Link;
    simlink::RegisteredOffsets& Offsets;
    actions::IActionTarget& Actions;
    simlink::IWaitHost& Wait;
    config::IUserMessages& Messages;
    // The main window: parent of the device controls, and where a panel's
    // setup request goes.
    HWND MainWindow;
    std::function<void(IPanel&)> SetupRequest;
    // The desktop's monitors, for placing the setup dialogs.
    const MonitorList* Monitors = nullptr;
    // A panel's device failed (its reader ended on its own or a write
    // failed); called after the event that found it has returned.
    std::function<void(IPanelObject&)> DeviceFailed;
};

// One panel of a kind, as start-up and the main window handle it.
class IPanelObject : public IPanel {
public:
    // The on-screen device control (a child of the main window).
    virtual HWND Control() const = 0;
    // Opens the device and starts reading; false with `error` set when the
    // device-I/O server could not be used.
    virtual bool Connect(const std::string& path, std::string& error) = 0;
    virtual void Splash() = 0;
    // After Connect (and Splash): the BIP turns every tile dark.
    virtual void AfterConnect() {}
    // Creates the panel's logic object and starts it.
    virtual void StartUp() = 0;

    // Whether the device is connected (its reader runs), and its path.
    virtual bool DeviceConnected() const = 0;
    virtual std::string DevicePath() const = 0;
    // The device is gone: its reader and handle are released without a
    // write, the logic stops writing to it, and the on-screen copy shows
    // `status`. `serverGone`: the reader's server has ended.
    virtual void DeviceGone(const std::string& status, bool serverGone) = 0;
    // Shows `status` on the on-screen copy of a panel that is not connected.
    virtual void ShowStatus(const std::string& status) = 0;
    // Connects the device again (at `path`), sends every report it had
    // again and, while the simulator is connected, reads its positions.
    virtual bool Reconnect(const std::string& path, std::string& error) = 0;
    // Sends every report again and reads the positions (after a resume).
    virtual void Refresh() = 0;
    // The process id of the server that reads the panel (0: none).
    virtual unsigned long ServerProcessId() const = 0;
};

} // namespace orvex::app::win32
