#include "panels/radio/win32/radio_panel_object.h"

#include "panels/common/win32/panel_object_base.h"
#include "panels/radio/radio_events.h"
#include "panels/radio/radio_logic.h"
#include "panels/radio/win32/ctl_radio_panel.h"
#include "panels/radio/win32/frm_radio_panel_setup.h"

namespace orvex::panels::radio {

namespace {

class RadioPanelObject final : public PanelObjectBase<ctlRadioPanel, cRadioPanelLogic>, public IRadioPanelEvents {
public:
    RadioPanelObject(app::win32::PanelServices& services, std::int16_t index) : PanelObjectBase(services, index) {
        control_.Create(services.MainWindow, index, *this,
                        [&s = services.Configuration] { return s.Setup().ClickThreshold(); }, services.Wait);
    }

    // IPanel
    app::PanelKindId Kind() const override { return app::PanelKindId::Radio; }
    void GetPositions() override { control_.GetPositions(); }
    void SimulatorLost() override { control_.TurnOffDisplay(); }
    void OpenSetupDialog() override {
        const MonitorList monitors = Monitors();
        const actions::win32::EventSelectorContext context = SelectorContext(monitors);
        win32::frmRadioPanelSetup dialog(services_.Configuration, index_, context, services_.Messages, monitors);
        dialog.ShowModal(services_.MainWindow);
    }

    // IRadioPanelEvents: forwarded only while the simulator is connected.
    void RawInput(const std::array<std::uint8_t, 4>&) override {}
    void ButtonDown(std::int32_t) override {}
    void ButtonClick(std::int32_t mask) override {
        if (Forward()) logic_->ButtonClick(mask);
    }
    void ButtonLongClick(std::int32_t mask) override {
        if (Forward()) logic_->ButtonLongClick(mask);
    }
    void ButtonUp(std::int32_t mask) override {
        if (Forward()) logic_->ButtonUp(mask);
    }
    void RotaryUp(std::int32_t knob, std::int16_t speed) override { Rotary(knob, 1, speed); }
    void RotaryDown(std::int32_t knob, std::int16_t speed) override { Rotary(knob, 0, speed); }
    void SelectorChange(std::int16_t selector, std::int32_t newValue, std::int32_t previousValue) override {
        if (Forward())
            logic_->SelectorChange(selector, cRadioPanelLogic::SelectorPosition(newValue),
                                   cRadioPanelLogic::SelectorPosition(previousValue));
    }
    void SetupRequest() override { RequestSetup(); }

private:
    void Rotary(std::int32_t knob, int direction, std::int16_t speed) {
        if (!Forward()) return;
        const KnobCall call = cRadioPanelLogic::TranslateKnob(knob);
        if (call.Selector == 0) return;
        logic_->Rotary(call.Ring, direction, call.Selector, speed);
    }
};

} // namespace

std::unique_ptr<app::win32::IPanelObject> CreateRadioPanelObject(app::win32::PanelServices& services,
                                                                 std::int16_t index) {
    return std::make_unique<RadioPanelObject>(services, index);
}

} // namespace orvex::panels::radio
