// ctlEventSelector: the control with which every panel setup dialog edits one
// event action; frmGetKeys: the small modal window that captures a keystroke.
//
// In a dialog template the selector is a custom control of the window class
// kEventSelectorClass:
//     CONTROL "", IDC_..., "OrvexEventSelector", WS_CHILD | WS_VISIBLE | WS_TABSTOP, x, y, 371, 83
// (the control's fixed 5565 x 1245 twips in dialog units at the system font),
// and the dialog reaches the C++ object with ctlEventSelector::FromWindow.
// RegisterEventSelectorClass must run once before such a dialog is created.
#pragma once

#include "actions/event_action.h"
#include "app/program_state.h"
#include "config/setup_holder.h"
#include "common/place_window.h"
#include "simlink/link.h"
#include "simlink/sim_commands.h"

#include <windows.h>

#include <cstdint>
#include <functional>

namespace orvex::actions::win32 {

inline constexpr const char* kEventSelectorClass = "OrvexEventSelector";

// What a selector needs of the running program. Every pointer may be null
// (the "Click" test and the key reader then do what they can without it).
struct EventSelectorContext {
    app::ProgramState* State = nullptr;        // SimConnected enables "Click"; DialogOpen around the key reader
    simlink::ILink* Link = nullptr;            // the "Click" test's virtual button
    simlink::IWaitHost* Wait = nullptr;        // the 100 ms between press and release
    config::cSetupHolder* Setup = nullptr;     // "GetKeysFormTop"/"GetKeysFormLeft"
    const MonitorList* Monitors = nullptr;     // placing the key reader
};

// Registers the window class (idempotent). False on failure.
bool RegisterEventSelectorClass();

class ctlEventSelector {
public:
    // The object behind a selector window (nullptr for another window).
    static ctlEventSelector* FromWindow(HWND window);

    HWND Handle() const { return hwnd_; }
    void Context(const EventSelectorContext& context);

    // The six properties.
    std::int32_t FSEvent() const;
    void FSEvent(std::int32_t kind);        // selects the option and shows its page
    std::uint8_t VJoystick() const;         // 64-72
    void VJoystick(std::uint8_t joystick);
    std::uint8_t VButton() const;           // 1-32
    void VButton(std::uint8_t button);
    std::uint8_t KeyCode() const;
    void KeyCode(std::uint8_t code);        // refreshes the key text
    std::uint8_t KeyQualifiers() const;
    void KeyQualifiers(std::uint8_t qualifiers);
    std::int16_t KeyAscii() const;
    void KeyAscii(std::int16_t ascii);

    // An action record in and out, by the rules above (fields a kind does
    // not use keep what `into` held).
    void Load(const EventAction& action);
    void Store(EventAction& into) const;

    // The text of labKeyStrokes, e.g. "CTRL-SHIFT-A".
    std::string KeyText() const;

    // Raised when the user changes anything.
    std::function<void()> Changed;

    ~ctlEventSelector();

private:
    // (The private part is the implementation's to choose.)
    ctlEventSelector() = default;
    HWND hwnd_ = nullptr;
};

// The key text of a key code, qualifiers and character code: the qualifier
// prefix and the key's name ("CTRL-SHIFT-A", "F1", "???").
std::string KeyStrokeText(std::uint8_t keyCode, std::uint8_t qualifiers, std::int16_t keyAscii);

} // namespace orvex::actions::win32
