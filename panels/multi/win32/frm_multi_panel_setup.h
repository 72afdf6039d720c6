// frmMultiPanelSetup: the modal dialog that edits the configuration of one
// Multi Panel in the profile in use. It works on a holder of its own, loaded
// from the profile file on opening; OK saves it back and starts the Multi
// Panels' logic again, Cancel drops it. The main window reloads the panel's
// configuration once it has closed.
//
//     frmMultiPanelSetup dialog(configuration, panelIndex, selectorContext, messages, monitors, onSaved);
//     dialog.ShowModal(mainWindow);
#pragma once

#include "actions/win32/event_selector.h"
#include "common/place_window.h"
#include "common/win32/dialog.h"
#include "config/configuration.h"
#include "config/user_messages.h"
#include "panels/multi/multi_actions_holder.h"
#include "panels/multi/multi_setup_model.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

namespace orvex::panels::multi::win32 {

class frmMultiPanelSetup final : public orvex::win32::Dialog {
public:
    // The pages of the main tabs, in their order.
    enum Page : int { kSelectorPage, kRotaryPage, kButtonsPage, kTrimPage, kFlapsPage, kAutoThrottlePage,
                      kCoursePage, kSpecialPage, kPageCount };

    // All references must outlive the dialog. `onSaved` runs after OK has
    // saved the configuration (the Multi Panels' logic starts again there).
    frmMultiPanelSetup(config::cConfiguration& configuration, std::int16_t panelIndex,
                       const actions::win32::EventSelectorContext& selectorContext,
                       config::IUserMessages& messages, const MonitorList& monitors,
                       std::function<void()> onSaved = nullptr);

    // The dialog's own configuration (null before it is shown).
    cMultiPanelActionsHolder* Holder() const { return holder_.get(); }
    // The selector position (1 ALT ... 5 CRS) of the selector and rotary
    // pages and the button (1 AP ... 8 REV) of the buttons page shown.
    int SelectorPosition() const { return selectorPosition_; }
    int RotaryPosition() const { return rotaryPosition_; }
    int Button() const { return button_; }
    int PageShown() const { return page_; }
    // A control of the dialog or of one of its pages, by identifier.
    HWND Control(int id) const;
    // The event selector of a slot (null when the control class is missing).
    actions::win32::ctlEventSelector* Selector(SetupSlot slot) const;

protected:
    bool OnInit() override;
    void OnCommand(int id, int code, HWND control) override;
    INT_PTR OnNotify(const NMHDR& header) override;
    void OnDestroy() override;

private:
    HWND Page(int page) const { return pages_[static_cast<std::size_t>(page)]; }
    void ShowPage(int page);
    void ShowSpecialFrame(SpecialFrame frame);
    void LoadOptions();
    void StoreOptions();
    // The selectors of `slots` from the holder's records for `index`, and
    // back.
    void LoadSlots(std::span<const SetupSlot> slots, int index);
    void StoreSlots(std::span<const SetupSlot> slots, int index);
    void LoadRotary(int position);
    void StoreRotary(int position);

    config::cConfiguration& configuration_;
    std::int16_t panelIndex_;
    actions::win32::EventSelectorContext selectorContext_;
    config::IUserMessages& messages_;
    const MonitorList& monitors_;
    std::function<void()> onSaved_;

    std::unique_ptr<cMultiPanelActionsHolder> holder_;
    std::array<HWND, kPageCount> pages_{};  // children of the dialog: the window system owns them
    int page_ = kSelectorPage;
    int selectorPosition_ = kAlt;
    int rotaryPosition_ = kAlt;
    int button_ = kAp;
};

} // namespace orvex::panels::multi::win32
