// The events a Switch Panel's device control raises, in the order the
// control declares them. The main window receives them and hands them to the
// panel's logic (switch bit values translated to switch indices).
#pragma once

#include <array>
#include <cstdint>

namespace orvex::panels::switchpanel {

class ISwitchPanelEvents {
public:
    virtual ~ISwitchPanelEvents() = default;
    virtual void RawInput(const std::array<std::uint8_t, 4>& report) = 0;  // before decoding
    // A two-position switch moved (or its position at the first report).
    virtual void SwitchChange(std::int32_t switchBit, bool on) = 0;
    // The magneto selector moved: its new and previous position bits.
    virtual void SelectorChange(std::int32_t newBit, std::int32_t previousBit) = 0;
    virtual void GearUp() = 0;     // the lever reached UP
    virtual void GearDown() = 0;   // the lever reached DOWN
    virtual void SetupRequest() = 0; // the on-screen "Setup" button
};

} // namespace orvex::panels::switchpanel
