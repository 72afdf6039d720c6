#include "panels/multi/win32/multi_panel_object.h"

#include "panels/common/win32/panel_object_base.h"
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

class MultiPanelObject final : public PanelObjectBase<ctlMultiPanel, cMultiPanelLogic>, public IMultiPanelEvents {
public:
    MultiPanelObject(app::win32::PanelServices& services, std::int16_t index) : PanelObjectBase(services, index) {
        control_.Create(services.MainWindow, index, *this,
                        [&s = services.Configuration] { return s.Setup().ClickThreshold(); }, services.Wait);
        LivePanels().push_back(this);
    }
    ~MultiPanelObject() override {
        auto& live = LivePanels();
        live.erase(std::remove(live.begin(), live.end(), this), live.end());
    }

    // IPanel
    app::PanelKindId Kind() const override { return app::PanelKindId::Multi; }
    void GetPositions() override { control_.GetPositions(); }
    void SimulatorLost() override { control_.TurnOffDisplay(); }
    void OpenSetupDialog() override {
        const MonitorList monitors = Monitors();
        const actions::win32::EventSelectorContext context = SelectorContext(monitors);
        win32::frmMultiPanelSetup dialog(services_.Configuration, index_, context, services_.Messages, monitors,
                                         &StartUpEveryPanel);
        dialog.ShowModal(services_.MainWindow);
    }

    // IPanelObject
    void StartUp() override {
        if (!logic_) logic_ = NewLogic();
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
    void SetupRequest() override { RequestSetup(); }

private:
    // After a confirmed setup: the logic of every Multi Panel starts again
    // from the saved configuration.
    static void StartUpEveryPanel() {
        // A copy of the list: a logic's start-up may let window messages run.
        const std::vector<MultiPanelObject*> panels = LivePanels();
        for (MultiPanelObject* panel : panels)
            if (panel->logic_) panel->logic_->StartUp();
    }
};

} // namespace

std::unique_ptr<app::win32::IPanelObject> CreateMultiPanelObject(app::win32::PanelServices& services,
                                                                 std::int16_t index) {
    return std::make_unique<MultiPanelObject>(services, index);
}

} // namespace orvex::panels::multi
