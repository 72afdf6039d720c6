// frmSwitchPanelSetup: the modal dialog that edits the configuration of one
// Switch Panel in the profile in use. It works on a holder of its own,
// loaded from the profile file on opening; OK saves it back, Cancel drops
// it. The main window reloads the panel's configuration once it has closed.
//
//     frmSwitchPanelSetup dialog(configuration, panelIndex, selectorContext, monitors);
//     dialog.ShowModal(mainWindow);
#pragma once

#include "actions/win32/event_selector.h"
#include "common/place_window.h"
#include "common/win32/dialog.h"
#include "config/configuration.h"
#include "panels/switch/switch_actions_holder.h"
#include "panels/switch/switch_setup_model.h"

#include <windows.h>

#include <memory>

namespace orvex::panels::switchpanel::win32 {

class frmSwitchPanelSetup final : public orvex::win32::Dialog {
public:
    // All references must outlive the dialog.
    frmSwitchPanelSetup(config::cConfiguration& configuration, std::int16_t panelIndex,
                        const actions::win32::EventSelectorContext& selectorContext, const MonitorList& monitors);

    // The dialog's own configuration (null before it is shown).
    cSwitchPanelActionsHolder* Holder() const { return holder_.get(); }
    // The input whose actions are shown (switch index 1-20) and the menu
    // page shown (0 the events, 1 the options).
    int Input() const { return input_; }
    int MenuPage() const { return menuPage_; }
    // A control of the dialog or of one of its pages, by identifier.
    HWND Control(int id) const;
    // The event selector of the On or the Off action (null when the
    // control class is missing).
    actions::win32::ctlEventSelector* Selector(int state) const;

    // The selectors of an input into the holder, and back.
    void SaveControlsData(int input);
    void LoadControlsData(int input);

protected:
    bool OnInit() override;
    void OnCommand(int id, int code, HWND control) override;
    INT_PTR OnNotify(const NMHDR& header) override;
    void OnDestroy() override;

private:
    void ShowMenuPage(int page);
    void LoadOptions();

    config::cConfiguration& configuration_;
    std::int16_t panelIndex_;
    actions::win32::EventSelectorContext selectorContext_;
    const MonitorList& monitors_;

    std::unique_ptr<cSwitchPanelActionsHolder> holder_;
    // Children of the dialog: the window system owns them.
    HWND eventsPage_ = nullptr;
    HWND inputPage_ = nullptr;
    HWND optionsPage_ = nullptr;
    int input_ = kSelOff;
    int menuPage_ = 0;
};

} // namespace orvex::panels::switchpanel::win32
