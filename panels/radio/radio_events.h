// The events a Radio Panel's device control raises, in the order the
// control declares them. The main window receives them and hands them to the
// panel's logic.
#pragma once

#include <array>
#include <cstdint>

namespace orvex::panels::radio {

class IRadioPanelEvents {
public:
    virtual ~IRadioPanelEvents() = default;
    virtual void RawInput(const std::array<std::uint8_t, 4>& report) = 0;  // before decoding
    virtual void ButtonClick(std::int32_t mask) = 0;       // released before the long-click threshold
    virtual void ButtonLongClick(std::int32_t mask) = 0;   // held past the threshold
    virtual void ButtonDown(std::int32_t mask) = 0;
    virtual void ButtonUp(std::int32_t mask) = 0;
    virtual void RotaryUp(std::int32_t knob, std::int16_t speed) = 0;    // knob 0-3
    virtual void RotaryDown(std::int32_t knob, std::int16_t speed) = 0;
    virtual void SelectorChange(std::int16_t selector, std::int32_t newValue, std::int32_t previousValue) = 0;
    virtual void SetupRequest() = 0;                       // the on-screen "Setup" button
};

} // namespace orvex::panels::radio
