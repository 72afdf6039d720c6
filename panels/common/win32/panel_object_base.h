// What the panel objects of every kind share: the panel's number, its
// device control and its logic, and the plumbing between them, start-up
// and the main window. A kind derives from it, creates its control in its
// constructor and turns the control's events into calls of its logic.
#pragma once

#include "actions/win32/event_selector.h"
#include "app/win32/panel_object.h"
#include "common/win32/place_window_win32.h"

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>

namespace orvex::panels {

template <class ControlT, class LogicT>
class PanelObjectBase : public app::win32::IPanelObject {
public:
    // The logic goes first; the control then darkens the panel, stops its
    // reader and closes the device.
    ~PanelObjectBase() override { logic_.reset(); }

    // IPanel
    std::int16_t Index() const override { return index_; }
    // A panel that is gone is not written to; its logic refreshes it on the
    // first tick after it is back.
    void RefreshData() override {
        if (logic_ && !gone_) logic_->RefreshData();
    }
    void ReloadSetup() override {
        if (!logic_) return;
        logic_->ActionsHolder().LoadSetup();
        logic_->SetupChanged();
    }
    void ApplySetup() override {
        if (logic_) logic_->SetupChanged();
    }

    // IPanelObject
    HWND Control() const override { return control_.Handle(); }
    bool Connect(const std::string& path, std::string& error) override {
        if (control_.Connect(path)) return true;
        error = control_.ConnectError();
        return false;
    }
    void Splash() override { control_.Splash(); }
    bool DeviceConnected() const override { return control_.Connected(); }
    std::string DevicePath() const override { return control_.DevicePath(); }
    void DeviceGone(const std::string& status, bool serverGone) override {
        gone_ = true;
        control_.ReleaseDevice(serverGone);
        control_.SetStatusText(status);
    }
    void ShowStatus(const std::string& status) override { control_.SetStatusText(status); }
    bool Reconnect(const std::string& path, std::string& error) override {
        if (!control_.Connect(path)) {
            error = control_.ConnectError();
            return false;
        }
        gone_ = false;
        control_.SetStatusText("");
        Refresh();
        return true;
    }
    void Refresh() override {
        control_.ResendAll();
        if (logic_ && services_.State.SimConnected) GetPositions();
    }
    unsigned long ServerProcessId() const override { return control_.ServerProcessId(); }
    // A new logic object, started.
    void StartUp() override {
        logic_ = NewLogic();
        logic_->StartUp();
    }

protected:
    PanelObjectBase(app::win32::PanelServices& services, std::int16_t index) : services_(services), index_(index) {
        const config::cSetupHolder& setup = services.Configuration.Setup();
        control_.SetReaderPriority(setup.RelayboxPriority(), setup.RelayboxAffinity());
        control_.OnDeviceFailed = [this] {
            if (services_.DeviceFailed) services_.DeviceFailed(*this);
        };
    }

    // A logic that carries out actions gets the link, the action target and
    // the wait host; one that only shows the simulator's state does not.
    std::unique_ptr<LogicT> NewLogic() {
        std::unique_ptr<LogicT> logic;
        if constexpr (std::is_constructible_v<LogicT, app::ProgramState&, simlink::RegisteredOffsets&, simlink::ILink&,
                                              actions::IActionTarget&, simlink::IWaitHost&, config::cConfiguration&,
                                              ControlT&>)
            logic = std::make_unique<LogicT>(services_.State, services_.Offsets, services_.Link, services_.Actions,
                                             services_.Wait, services_.Configuration, control_);
        else
            logic = std::make_unique<LogicT>(services_.State, services_.Offsets, services_.Configuration, control_);
        logic->PanelIndex = index_;
        return logic;
    }
    // The monitors a setup dialog is placed on.
    MonitorList Monitors() const {
        return services_.Monitors ? *services_.Monitors : orvex::win32::EnumerateMonitors();
    }
    // What the event selectors of a setup dialog use of the running program.
    actions::win32::EventSelectorContext SelectorContext(const MonitorList& monitors) const {
        return actions::win32::EventSelectorContext{&services_.State, &services_.Link,
                                                    &services_.Wait,  &services_.Configuration.Setup(),
                                                    &monitors,        &services_.Messages};
    }
    // The control's events reach the logic only while the simulator is
    // connected.
    bool Forward() const { return logic_ && services_.State.SimConnected; }
    // The setup request always reaches the main window.
    void RequestSetup() {
        if (services_.SetupRequest) services_.SetupRequest(*this);
    }

    app::win32::PanelServices& services_;
    const std::int16_t index_;
    ControlT control_;
    std::unique_ptr<LogicT> logic_;
    bool gone_ = false;  // the device went away and is not back yet
};

} // namespace orvex::panels
