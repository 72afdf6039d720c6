// The general setup dialog frmGeneralSetup: two pages (general options;
// process priority and affinity) over the general setup. Every control
// writes its property at once; OK saves the setup (applying autostart) and
// closes, Cancel puts back the values the dialog opened with. A manual
// affinity mask that the program could not run with is refused on OK.
//
// Shown modally (ShowModal) by the main window, modeless (Create) by the
// tests. The template is in general_setup.rc: an executable that shows it
// adds ${ORVEX_DIALOGS_RC} to its sources.
#pragma once

#include "common/place_window.h"
#include "common/win32/dialog.h"
#include "config/configuration.h"
#include "config/general_setup_model.h"
#include "config/user_messages.h"

#include <windows.h>

#include <array>
#include <memory>

namespace orvex::config::win32 {

class frmGeneralSetup final : public orvex::win32::Dialog {
public:
    frmGeneralSetup(cConfiguration& configuration, IUserMessages& messages, const MonitorList& monitors);
    // Ends a dialog still shown modeless as Cancel would (while the position
    // can still be stored).
    ~frmGeneralSetup() override;

    enum PageIndex : int { kGeneralPage = 0, kProcessPage = 1 };
    // A control of either page or of the dialog itself.
    HWND Control(int id) const;
    // The page shown.
    int CurrentPage() const;
    void SelectPage(int page);

protected:
    bool OnInit() override;
    void OnCommand(int id, int code, HWND control) override;
    INT_PTR OnNotify(const NMHDR& header) override;
    void OnDestroy() override;

private:
    class Page;
    // The identifiers of one program's priority and affinity controls.
    struct ProcessControls {
        SetupProcess Process;
        int Priority, Automatic, Manual, Mask;
    };
    static const std::array<ProcessControls, 2> kProcessControls;

    void PageCommand(int id, int code);
    void ThresholdMoved();
    void LayoutPages();
    void LoadControls();
    void ShowThreshold();
    void ShowAffinity(const ProcessControls& controls);
    void Ok();
    void Cancel();

    cConfiguration& config_;
    IUserMessages& messages_;
    const MonitorList& monitors_;
    GeneralSetupEdit edit_;
    std::unique_ptr<Page> generalPage_, processPage_;
    int sliderPosition_ = 0; // the slider's position last seen
    bool loading_ = false;   // controls being set from the setup
    bool closed_ = false;    // OK or Cancel has ended this showing
};

} // namespace orvex::config::win32
