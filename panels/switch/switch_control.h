// What the switch panel logic needs of the panel's device control: the three
// gear lamps. The Windows control implements it; tests use a recording fake.
#pragma once

#include <cstdint>
#include <optional>

namespace orvex::panels::switchpanel {

class ISwitchPanelControl {
public:
    virtual ~ISwitchPanelControl() = default;
    // Colour numbers (65280 green, 255 red, 65535 both; anything else off)
    // of the nose, left and right gear lamps; a missing one is dark.
    virtual void ChangeLights(std::optional<std::int32_t> nose, std::optional<std::int32_t> left,
                              std::optional<std::int32_t> right) = 0;
};

} // namespace orvex::panels::switchpanel
