// frmRadioPanelSetup: the modal dialog that edits the configuration of one
// Radio Panel in the profile in use. It works on a holder of its own, loaded
// from the profile file on opening; OK saves it back, Cancel drops it. The
// main window reloads the panel's configuration once it has closed.
//
//     frmRadioPanelSetup dialog(configuration, panelIndex, selectorContext, messages, monitors);
//     dialog.ShowModal(mainWindow);
#pragma once

#include "actions/win32/event_selector.h"
#include "common/place_window.h"
#include "common/win32/dialog.h"
#include "config/configuration.h"
#include "config/user_messages.h"
#include "panels/radio/radio_actions_holder.h"
#include "panels/radio/radio_setup_model.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>

namespace orvex::panels::radio::win32 {

class frmRadioPanelSetup final : public orvex::win32::Dialog {
public:
    // All references must outlive the dialog.
    frmRadioPanelSetup(config::cConfiguration& configuration, std::int16_t panelIndex,
                       const actions::win32::EventSelectorContext& selectorContext,
                       config::IUserMessages& messages, const MonitorList& monitors);

    // The dialog's own configuration (null before it is shown).
    cRadioPanelActionsHolder* Holder() const { return holder_.get(); }
    // The position shown (1 COM1 ... 7 XPDR) and the event page shown
    // (0 "Inner Knob" ... 3 "Selector Change").
    int Position() const { return position_; }
    int EventPage() const { return eventPage_; }
    // A control of the dialog or of one of its pages, by identifier.
    HWND Control(int id) const;
    // The event selector of a slot (null when the control class is missing).
    actions::win32::ctlEventSelector* Selector(SetupSlot slot) const;

    static constexpr int kEventPageCount = 4;

protected:
    bool OnInit() override;
    void OnCommand(int id, int code, HWND control) override;
    INT_PTR OnNotify(const NMHDR& header) override;
    void OnDestroy() override;

private:
    HWND CreatePage(int templateId, HWND tab);
    void ShowEventPage(int page);
    void ShowOptionFrames(int position);
    void LoadOptions();
    // The controls of a position from the holder, and back.
    void LoadPosition(int position);
    void StorePosition(int position);
    void StepChanged(int editId, float& step);

    config::cConfiguration& configuration_;
    std::int16_t panelIndex_;
    actions::win32::EventSelectorContext selectorContext_;
    config::IUserMessages& messages_;
    const MonitorList& monitors_;

    std::unique_ptr<cRadioPanelActionsHolder> holder_;
    HWND positionPage_ = nullptr;                    // children of the dialog: the
    std::array<HWND, kEventPageCount> eventPages_{}; // window system owns them
    int position_ = kCom1;
    int eventPage_ = 0;
    bool loading_ = false; // texts set by the dialog itself are not user edits
};

} // namespace orvex::panels::radio::win32
