// What the multi panel logic needs of the panel's device control: the two
// display rows, the button lamps and the knob and trim speed measuring. The
// Windows control implements it; tests use a recording fake.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orvex::panels::multi {

class IMultiPanelControl {
public:
    virtual ~IMultiPanelControl() = default;
    // Writes the given rows (texts, right-aligned, five positions) and the
    // lamp byte (bit 0 AP ... bit 7 REV); a missing argument keeps what the
    // panel shows. The panel gets a report only when a byte changed, when
    // `force` is true, or after TurnOffDisplay.
    virtual void WriteDisplay(const std::optional<std::string>& upper, const std::optional<std::string>& lower,
                              std::optional<std::uint8_t> lamps, bool force) = 0;
    // Blanks both rows and all lamps.
    virtual void TurnOffDisplay() = 0;
    // Reads the panel's switch state and raises SelectorChange for the
    // selector position (nothing when the panel cannot be read).
    virtual void GetPositions() = 0;
    // Knob speed-measuring period: value * 3 + 50 ms.
    virtual void SetRotAcceleration(std::int16_t value) = 0;
    // Trim speed-measuring period: value * 3 ms; 0 stops trim speed
    // measuring (the trim speed stays where it is).
    virtual void SetTrimAcceleration(std::int16_t value) = 0;
};

} // namespace orvex::panels::multi
