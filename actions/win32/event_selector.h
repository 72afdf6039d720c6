// ctlEventSelector: the control with which every panel setup dialog edits one
// event action; frmGetKeys: the small modal window that captures a keystroke.
//
// In a dialog template the selector is a custom control of the window class
// kEventSelectorClass:
//     CONTROL "", IDC_..., "OrvexEventSelector", WS_CHILD | WS_VISIBLE | WS_TABSTOP, x, y, 212, 47
// The control keeps a fixed 5565 x 1245 twips (371 x 83 pixels at 96 DPI,
// scaled with the DPI) whatever size the template gives; 212 x 47 dialog
// units is that size in the dialogs' font ("MS Shell Dlg 2", 9 points). It
// makes itself a control parent, so Tab and the arrow keys go through its
// children, which take the dialog's font. The dialog reaches the C++ object
// with ctlEventSelector::FromWindow.
// RegisterEventSelectorClass must run once before such a dialog is created.
#pragma once

#include "actions/custom_action.h"
#include "actions/event_action.h"
#include "app/program_state.h"
#include "config/setup_holder.h"
#include "config/user_messages.h"
#include "common/place_window.h"
#include "common/win32/handles.h"
#include "simlink/link.h"
#include "simlink/sim_commands.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

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
    config::IUserMessages* Messages = nullptr; // the key reader's Alt message (null: a message box of its own)
};

// Registers the window class (idempotent). False on failure.
bool RegisterEventSelectorClass();

// "Click" (enabled while the simulator is connected) presses the chosen
// virtual button, waits 100 ms and releases it. The "FSUIPC Custom Action"
// page chooses one of the four custom kinds (FSUIPC control, Set, Toggle,
// Step), shows what the action does, opens frmCustomAction with "Edit..."
// for its numbers, and carries it out once with "Test" (enabled while the
// simulator is connected). "Get Keys" shows frmGetKeys
// modally with DialogOpen set (and given back its value afterwards); a
// captured key becomes the keystroke, closing it without one keeps the
// keystroke as it was.
class ctlEventSelector {
public:
    // The object behind a selector window (nullptr for another window).
    static ctlEventSelector* FromWindow(HWND window);

    HWND Handle() const { return hwnd_; }
    void Context(const EventSelectorContext& context);

    // The six properties.
    std::int32_t FSEvent() const;
    void FSEvent(std::int32_t kind);        // 0-7: selects the option and shows its page
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
    // The custom action shown on the "FSUIPC Custom Action" page (its kind
    // and numbers; always one that fits).
    EventAction CustomAction() const;

    // The text of labKeyStrokes, e.g. "CTRL-SHIFT-A".
    std::string KeyText() const;

    // Raised when the user changes anything.
    std::function<void()> Changed;

    ~ctlEventSelector();

private:
    struct Tag {
        explicit Tag() = default;
    };

public:
    // Made by the window itself (WM_NCCREATE), never by hand.
    explicit ctlEventSelector(Tag) {}
    ctlEventSelector(const ctlEventSelector&) = delete;
    ctlEventSelector& operator=(const ctlEventSelector&) = delete;

private:
    friend bool RegisterEventSelectorClass();
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void CreateChildren();
    void FixSize();
    void Layout();
    void FitPageTexts(const RECT& box);
    void ShowKind(std::int32_t kind);
    void ShowJoystick();
    void ShowButton();
    void RefreshKeyText();
    void RefreshClick();
    void OnCommand(int id, int code);
    void ClickVirtualButton();
    void ReadKeys();
    void ShowCustom();
    void EditCustom();
    void TestCustom();
    void RaiseChanged();
    HWND Child(int id) const { return ::GetDlgItem(hwnd_, id); }

    HWND hwnd_ = nullptr;
    EventSelectorContext context_;
    HFONT font_ = nullptr;          // the parent's (not owned)
    // The two long texts in a smaller size of it, when they would not fit
    // the page in the parent's font (null: they use the parent's font).
    orvex::win32::UniqueGdi pageFont_;
    std::int32_t kind_ = kNone;
    // Values outside the lists' ranges (from a hand-edited file) are kept
    // as they are, with no item selected, until the user picks one.
    std::uint8_t joystick_ = 64;
    std::uint8_t button_ = 1;
    std::uint8_t keyCode_ = 0;
    std::uint8_t qualifiers_ = 0;
    std::int16_t ascii_ = 0;
    EventAction custom_ = CustomDefaults(kControl);
    bool clicking_ = false;         // the "Click" test is running
    orvex::win32::UniqueWindow tooltip_;
    // False once the object is gone: code that let messages run (the
    // "Click" wait, the modal key reader) checks it before going on.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// The key text of a key code, qualifiers and character code: the qualifier
// prefix and the key's name ("CTRL-SHIFT-A", "F1", "???").
std::string KeyStrokeText(std::uint8_t keyCode, std::uint8_t qualifiers, std::int16_t keyAscii);

} // namespace orvex::actions::win32
