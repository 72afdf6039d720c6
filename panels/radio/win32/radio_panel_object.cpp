#include "panels/radio/win32/radio_panel_object.h"

#include "common/win32/place_window_win32.h"
#include "panels/radio/radio_events.h"
#include "panels/radio/radio_logic.h"
#include "panels/radio/win32/ctl_radio_panel.h"
#include "panels/radio/win32/frm_radio_panel_setup.h"

namespace orvex::panels::radio {

namespace {

class RadioPanelObject final : public app::win32::IPanelObject, public IRadioPanelEvents {
public:
    RadioPanelObject(app::win32::PanelServices& services, std::int16_t index)
        : services_(services), index_(index) {
        control_.Create(services.MainWindow, index, *this,
                        [&s = services.Configuration] { return s.Setup().ClickThreshold(); }, services.Wait);
    }
    ~RadioPanelObject() override {
        // The logic goes first; the control then blanks the panel, stops
        // its reader and closes the device.
        logic_.reset();
    }

    // IPanel
    std::int16_t Index() const override { return index_; }
    void RefreshData() override {
        if (logic_) logic_->RefreshData();
    }
    void GetPositions() override { control_.GetPositions(); }
    void SimulatorLost() override { control_.TurnOffDisplay(); }
    void ReloadSetup() override {
        if (!logic_) return;
        logic_->ActionsHolder().LoadSetup();
        logic_->SetupChanged();
    }
    void OpenSetupDialog() override {
        const MonitorList monitors = services_.Monitors ? *services_.Monitors : orvex::win32::EnumerateMonitors();
        actions::win32::EventSelectorContext context;
        context.State = &services_.State;
        context.Link = &services_.Link;
        context.Wait = &services_.Wait;
        context.Setup = &services_.Configuration.Setup();
        context.Monitors = &monitors;
        context.Messages = &services_.Messages;
        win32::frmRadioPanelSetup dialog(services_.Configuration, index_, context, services_.Messages, monitors);
        dialog.ShowModal(services_.MainWindow);
    }

    // IPanelObject
    HWND Control() const override { return control_.Handle(); }
    bool Connect(const std::string& path, std::string& error) override {
        if (control_.Connect(path)) return true;
        error = control_.ConnectError();
        return false;
    }
    void Splash() override { control_.Splash(); }
    void StartUp() override {
        logic_ = std::make_unique<cRadioPanelLogic>(services_.State, services_.Offsets, services_.Link,
                                                    services_.Actions, services_.Wait, services_.Configuration,
                                                    control_);
        logic_->PanelIndex = index_;
        logic_->StartUp();
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
    void SetupRequest() override {
        if (services_.SetupRequest) services_.SetupRequest(*this);
    }

private:
    bool Forward() const { return logic_ && services_.State.SimConnected; }
    void Rotary(std::int32_t knob, int direction, std::int16_t speed) {
        if (!Forward()) return;
        const KnobCall call = cRadioPanelLogic::TranslateKnob(knob);
        if (call.Selector == 0) return;
        logic_->Rotary(call.Ring, direction, call.Selector, speed);
    }

    app::win32::PanelServices& services_;
    std::int16_t index_;
    ctlRadioPanel control_;
    std::unique_ptr<cRadioPanelLogic> logic_;
};

} // namespace

std::unique_ptr<app::win32::IPanelObject> CreateRadioPanelObject(app::win32::PanelServices& services,
                                                                 std::int16_t index) {
    return std::make_unique<RadioPanelObject>(services, index);
}

} // namespace orvex::panels::radio
