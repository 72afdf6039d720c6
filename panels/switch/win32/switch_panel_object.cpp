#include "panels/switch/win32/switch_panel_object.h"

#include "common/win32/place_window_win32.h"
#include "panels/switch/switch_events.h"
#include "panels/switch/switch_lamps.h"
#include "panels/switch/switch_logic.h"
#include "panels/switch/win32/ctl_switch_panel.h"
#include "panels/switch/win32/frm_switch_panel_setup.h"

namespace orvex::panels::switchpanel {

namespace {

class SwitchPanelObject final : public app::win32::IPanelObject, public ISwitchPanelEvents {
public:
    SwitchPanelObject(app::win32::PanelServices& services, std::int16_t index) : services_(services), index_(index) {
        control_.Create(services.MainWindow, index, *this, services.Wait);
    }
    ~SwitchPanelObject() override {
        // The logic goes first; the control then darkens the lamps, stops
        // its reader and closes the device.
        logic_.reset();
    }

    // IPanel
    std::int16_t Index() const override { return index_; }
    void RefreshData() override {
        if (logic_) logic_->RefreshData();
    }
    void GetPositions() override { control_.GetPositions(); }
    void SimulatorLost() override {
        // Through the logic, so that its next refresh lights them again.
        if (logic_) logic_->TurnOffLights();
        else control_.ChangeLights(kLampOff, kLampOff, kLampOff);
    }
    void ReloadSetup() override {
        if (!logic_) return;
        logic_->ActionsHolder().LoadSetup();
        logic_->SetupChanged();
    }
    void OpenSetupDialog() override {
        const MonitorList monitors = services_.Monitors ? *services_.Monitors : orvex::win32::EnumerateMonitors();
        const actions::win32::EventSelectorContext context{&services_.State,
                                                           &services_.Link,
                                                           &services_.Wait,
                                                           &services_.Configuration.Setup(),
                                                           &monitors,
                                                           &services_.Messages};
        win32::frmSwitchPanelSetup dialog(services_.Configuration, index_, context, monitors);
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
        logic_ = std::make_unique<cSwitchPanelLogic>(services_.State, services_.Offsets, services_.Link,
                                                     services_.Actions, services_.Wait, services_.Configuration,
                                                     control_);
        logic_->PanelIndex = index_;
        logic_->StartUp();
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
    void SetupRequest() override {
        if (services_.SetupRequest) services_.SetupRequest(*this);
    }

private:
    bool Forward() const { return logic_ && services_.State.SimConnected; }

    app::win32::PanelServices& services_;
    std::int16_t index_;
    ctlSwitchPanel control_;
    std::unique_ptr<cSwitchPanelLogic> logic_;
};

} // namespace

std::unique_ptr<app::win32::IPanelObject> CreateSwitchPanelObject(app::win32::PanelServices& services,
                                                                  std::int16_t index) {
    return std::make_unique<SwitchPanelObject>(services, index);
}

} // namespace orvex::panels::switchpanel
