// What the radio panel logic needs of the panel's device control: the knob
// acceleration and the four displays. The Windows control implements it;
// tests use a recording fake.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orvex::panels::radio {

class IRadioPanelControl {
public:
    virtual ~IRadioPanelControl() = default;
    // Speed-measuring period of a selector's knobs (1 upper, 2 lower):
    // value * 3 + 50 ms.
    virtual void SetAcceleration(int index, std::int16_t value) = 0;
    // Writes the given displays (a missing one keeps what it shows); the
    // panel gets a report only when a byte changed.
    virtual void WriteDisplay(const std::optional<std::string>& activeUpper,
                              const std::optional<std::string>& standbyUpper,
                              const std::optional<std::string>& activeLower,
                              const std::optional<std::string>& standbyLower) = 0;
    // Blanks all four displays at once.
    virtual void TurnOffDisplay() = 0;
};

} // namespace orvex::panels::radio
