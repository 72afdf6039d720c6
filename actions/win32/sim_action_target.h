// Carries out event actions on the simulator: virtual buttons, controls and
// offsets through the FSUIPC link, keystrokes through SendInput.
#pragma once

#include "actions/event_action.h"
#include "simlink/link.h"

namespace orvex::actions::win32 {

class SimActionTarget final : public IActionTarget {
public:
    explicit SimActionTarget(simlink::ILink& link) : link_(link) {}

    void SetVirtualButton(std::uint8_t joystick, std::uint8_t button, bool pressed, bool immediate) override;
    void SendKeystroke(std::uint8_t key, std::uint8_t qualifiers) override;
    void SendFsControl(std::int32_t control, std::int32_t parameter, bool immediate) override;
    bool ReadOffset(std::int32_t offset, std::int32_t size, std::uint64_t& value) override;
    void WriteOffset(std::int32_t offset, std::int32_t size, std::uint64_t value, bool immediate) override;

private:
    simlink::ILink& link_;
};

} // namespace orvex::actions::win32
