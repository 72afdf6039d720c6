#include "panels/bip/win32/bip_panel_object.h"

#include "panels/common/win32/panel_object_base.h"
#include "panels/bip/bip_logic.h"
#include "panels/bip/bip_tiles.h"
#include "panels/bip/win32/ctl_bip_panel.h"
#include "panels/bip/win32/frm_bip_panel_setup.h"

namespace orvex::panels::bip {

namespace {

class BIPPanelObject final : public PanelObjectBase<ctlBIPPanel, cBIPPanelLogic>, public IBIPPanelEvents {
public:
    BIPPanelObject(app::win32::PanelServices& services, std::int16_t index) : PanelObjectBase(services, index) {
        control_.Create(services.MainWindow, index, *this, services.Wait);
    }

    // IPanel
    app::PanelKindId Kind() const override { return app::PanelKindId::Bip; }
    void GetPositions() override {}  // the BIP has no input
    // The tiles are left as they are when the simulator goes; the first
    // refresh after reconnecting brings them up to date.
    void SimulatorLost() override {}
    void OpenSetupDialog() override {
        const MonitorList monitors = Monitors();
        win32::frmBIPPanelSetup dialog(services_.Configuration, services_.State, index_, control_, monitors);
        dialog.ShowModal(services_.MainWindow);
    }

    // IPanelObject
    // Dark whether or not the light show ran.
    void AfterConnect() override { control_.TurnPanel(kTileDark); }

    // IBIPPanelEvents
    void SetupRequest() override { RequestSetup(); }
};

} // namespace

std::unique_ptr<app::win32::IPanelObject> CreateBIPPanelObject(app::win32::PanelServices& services,
                                                               std::int16_t index) {
    return std::make_unique<BIPPanelObject>(services, index);
}

} // namespace orvex::panels::bip
