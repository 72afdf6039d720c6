#include "panels/switch/win32/switch_panel_object.h"

#include "panels/common/win32/panel_object_base.h"
#include "panels/switch/switch_events.h"
#include "panels/switch/switch_lamps.h"
#include "panels/switch/switch_logic.h"
#include "panels/switch/win32/ctl_switch_panel.h"
#include "panels/switch/win32/frm_switch_panel_setup.h"

namespace orvex::panels::switchpanel {

namespace {

class SwitchPanelObject final : public PanelObjectBase<ctlSwitchPanel, cSwitchPanelLogic>, public ISwitchPanelEvents {
public:
    SwitchPanelObject(app::win32::PanelServices& services, std::int16_t index) : PanelObjectBase(services, index) {
        control_.Create(services.MainWindow, index, *this, services.Wait);
    }

    // IPanel
    app::PanelKindId Kind() const override { return app::PanelKindId::Switch; }
    void GetPositions() override { control_.GetPositions(); }
    void SimulatorLost() override {
        // Through the logic, so that its next refresh lights them again.
        if (logic_) logic_->TurnOffLights();
        else control_.ChangeLights(kLampOff, kLampOff, kLampOff);
    }
    void OpenSetupDialog() override {
        const MonitorList monitors = Monitors();
        const actions::win32::EventSelectorContext context = SelectorContext(monitors);
        win32::frmSwitchPanelSetup dialog(services_.Configuration, index_, context, monitors);
        dialog.ShowModal(services_.MainWindow);
    }

    // ISwitchPanelEvents: forwarded only while the simulator is connected,
    // bit values as switch indices.
    void RawInput(const std::array<std::uint8_t, 4>&) override {}
    void SwitchChange(std::int32_t bit, bool on) override {
        if (Forward()) logic_->SwitchChange(cSwitchPanelLogic::SwitchIndex(bit), on);
    }
    void SelectorChange(std::int32_t newBit, std::int32_t previousBit) override {
        if (Forward())
            logic_->SelectorChange(cSwitchPanelLogic::SwitchIndex(newBit), cSwitchPanelLogic::SwitchIndex(previousBit));
    }
    void GearUp() override {
        if (Forward()) logic_->GearUp();
    }
    void GearDown() override {
        if (Forward()) logic_->GearDown();
    }
    void SetupRequest() override { RequestSetup(); }
};

} // namespace

std::unique_ptr<app::win32::IPanelObject> CreateSwitchPanelObject(app::win32::PanelServices& services,
                                                                  std::int16_t index) {
    return std::make_unique<SwitchPanelObject>(services, index);
}

} // namespace orvex::panels::switchpanel
