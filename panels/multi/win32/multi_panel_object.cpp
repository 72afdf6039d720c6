#include "panels/multi/win32/multi_panel_object.h"

#include "common/win32/place_window_win32.h"
#include "panels/multi/multi_events.h"
#include "panels/multi/multi_logic.h"
#include "panels/multi/win32/ctl_multi_panel.h"
#include "panels/multi/win32/frm_multi_panel_setup.h"

#include <algorithm>
#include <vector>

namespace orvex::panels::multi {

namespace {

class MultiPanelObject;

// The Multi Panels that exist, in the order they were made: a confirmed
// setup dialog starts every Multi Panel's logic again.
std::vector<MultiPanelObject*>& LivePanels() {
    static std::vector<MultiPanelObject*> panels;
    return panels;
}

class MultiPanelObject final : public app::win32::IPanelObject, public IMultiPanelEvents {
public:
    MultiPanelObject(app::win32::PanelServices& services, std::int16_t index) : services_(services), index_(index) {
        control_.Create(services.MainWindow, index, *this,
                        [&s = services.Configuration] { return s.Setup().ClickThreshold(); }, services.Wait);
        LivePanels().push_back(this);
    }
    ~MultiPanelObject() override {
        auto& live = LivePanels();
        live.erase(std::remove(live.begin(), live.end(), this), live.end());
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
        win32::frmMultiPanelSetup dialog(services_.Configuration, index_, context, services_.Messages, monitors,
                                         &StartUpEveryPanel);
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
        if (!logic_) {
            logic_ = std::make_unique<cMultiPanelLogic>(services_.State, services_.Offsets, services_.Link,
                                                        services_.Actions, services_.Wait, services_.Configuration,
                                                        control_);
            logic_->PanelIndex = index_;
        }
        logic_->StartUp();
    }

    // IMultiPanelEvents: forwarded only while the simulator is connected.
    void RawInput(const std::array<std::uint8_t, 4>&) override {}
    void ButtonDown(std::int32_t) override {}
    void ButtonUp(std::int32_t) override {}
    void ButtonClick(std::int32_t mask) override {
        if (Forward()) logic_->ButtonClick(ButtonIndex(mask));
    }
    void ButtonLongClick(std::int32_t mask) override {
        if (Forward()) logic_->ButtonLongClick(ButtonIndex(mask));
    }
    void RotaryUp(std::int16_t speed) override {
        if (Forward()) logic_->Rotary(1, speed);
    }
    void RotaryDown(std::int16_t speed) override {
        if (Forward()) logic_->Rotary(0, speed);
    }
    void TrimUp(std::int16_t speed) override {
        if (Forward()) logic_->Trim(1, speed);
    }
    void TrimDown(std::int16_t speed) override {
        if (Forward()) logic_->Trim(0, speed);
    }
    void FlapsUp() override {
        if (Forward()) logic_->Flaps(1);
    }
    void FlapsDown() override {
        if (Forward()) logic_->Flaps(0);
    }
    void SelectorChange(std::int32_t newValue, std::int32_t previousValue) override {
        if (Forward()) logic_->SelectorChange(SelectorIndex(newValue), SelectorIndex(previousValue));
    }
    void AutoThrottleChange(bool armed) override {
        if (Forward()) logic_->AutoThrottleChange(armed);
    }
    void SetupRequest() override {
        if (services_.SetupRequest) services_.SetupRequest(*this);
    }

private:
    // After a confirmed setup: the logic of every Multi Panel starts again
    // from the saved configuration.
    static void StartUpEveryPanel() {
        // A copy of the list: a logic's start-up may let window messages run.
        const std::vector<MultiPanelObject*> panels = LivePanels();
        for (MultiPanelObject* panel : panels)
            if (panel->logic_) panel->logic_->StartUp();
    }
    bool Forward() const { return logic_ && services_.State.SimConnected; }

    app::win32::PanelServices& services_;
    std::int16_t index_;
    ctlMultiPanel control_;
    std::unique_ptr<cMultiPanelLogic> logic_;
};

} // namespace

std::unique_ptr<app::win32::IPanelObject> CreateMultiPanelObject(app::win32::PanelServices& services,
                                                                 std::int16_t index) {
    return std::make_unique<MultiPanelObject>(services, index);
}

} // namespace orvex::panels::multi
