// frmCustomAction: the modal window in which an event selector's custom
// FSUIPC action is set up: the kind (an FSUIPC control, or an offset set,
// toggled or stepped), its numbers with their units and limits, and beside
// each number, as it is typed, why it does not fit. OK is enabled only for
// an action that fits; "Test" carries it out once against the simulator
// (while it is connected).
//
// The selector shows it modally (ShowModal); tests drive it modeless
// (Create) through its controls.
#pragma once

#include "actions/event_action.h"
#include "actions/win32/event_selector_resource.h"
#include "app/program_state.h"
#include "common/win32/dialog.h"
#include "simlink/link.h"

#include <windows.h>

#include <array>
#include <string>
#include <vector>

namespace orvex::actions::win32 {

// The four kinds as the selector and the window list them.
inline constexpr std::array<const char*, 4> kCustomKindNames = {"FSUIPC control", "Set an offset",
                                                                "Toggle bits of an offset", "Step an offset"};

class frmCustomAction final : public orvex::win32::Dialog {
public:
    // `action` is what the window starts with (its kind, when not a custom
    // one, counts as a control); state and link may be null (no "Test").
    frmCustomAction(const EventAction& action, app::ProgramState* state, simlink::ILink* link);
    ~frmCustomAction() override;

    // The action as set up (valid once the window ended with IDOK).
    const EventAction& Action() const { return action_; }
    // The kind shown, and whether what is typed fits.
    std::int32_t Kind() const { return kind_; }
    bool Fits() const { return fits_; }
    // The reason shown beside row n (0-4), empty when it fits.
    std::string Reason(int row) const { return ItemText(IDC_CUSTOM_REASON0 + row); }

protected:
    bool OnInit() override;
    void OnCommand(int id, int code, HWND control) override;

private:
    void ShowKind(std::int32_t kind);
    void FillFields();
    std::vector<std::string> Items() const;
    void Validate();
    void Test();

    EventAction action_;
    app::ProgramState* state_;
    simlink::ILink* link_;
    std::int32_t kind_ = kControl;
    bool fits_ = false;
    bool filling_ = false; // fields written by the program, not typed
    // What each kind's fields held when the user left it, so that going
    // back to a kind finds them again.
    std::array<std::vector<std::string>, 4> kept_;
};

} // namespace orvex::actions::win32
