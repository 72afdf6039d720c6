// frmGetKeys: the small modal window that captures the keystroke of an event
// selector. Qualifiers (Shift, Ctrl, Tab) are pressed and released one after
// the other, each lighting its indicator; the release of the main key ends
// it. Alt and AltGr cannot be captured: it says so and waits for another key.
//
// The selector shows it modally (ShowModal); tests drive it modeless
// (Create) by sending key messages to CaptureWindow().
#pragma once

#include "actions/key_text.h"
#include "actions/win32/event_selector_resource.h"
#include "common/place_window.h"
#include "common/win32/dialog.h"
#include "common/win32/handles.h"
#include "config/setup_holder.h"
#include "config/user_messages.h"

#include <windows.h>

namespace orvex::actions::win32 {

// The key reader's result, program-wide: reset when a key reader opens,
// filled as it captures, read by the selector that opened it; it stays until
// the next opening. This is its only instance.
CapturedKeys& CapturedKeyValues();

inline constexpr const char* kAltNotSupported = "ALT and ALT-GROUND keys are not supported";

class frmGetKeys final : public orvex::win32::Dialog {
public:
    // Every pointer may be null: no stored position (centred), the monitors
    // of this desktop, a message box of its own for Alt.
    frmGetKeys(CapturedKeys& captured, config::cSetupHolder* setup, const MonitorList* monitors,
               config::IUserMessages* messages);
    // Destroys a dialog still shown modeless, while the position can be stored.
    ~frmGetKeys() override;

    // True once the main key was released (false when the window was closed
    // without a key).
    bool KeyCaptured() const { return capture_.Done(); }
    // The control that has the focus and takes every key.
    HWND CaptureWindow() const { return Item(IDC_GETKEYS_PROMPT); }

protected:
    bool OnInit() override;
    void OnDestroy() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    static LRESULT CALLBACK CaptureProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                             UINT_PTR id, DWORD_PTR data);
    void OnKey(UINT message, WPARAM wParam, LPARAM lParam);
    void ShowIndicators() const;
    void NoteHeldKeys();
    void TellAltNotSupported();

    CapturedKeys& captured_;
    config::cSetupHolder* setup_;
    const MonitorList* monitors_;
    config::IUserMessages* messages_;
    KeyCapture capture_;
    orvex::win32::UniqueGdi boldFont_;
};

} // namespace orvex::actions::win32
