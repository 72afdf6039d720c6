#include "panels/switch/switch_lamps.h"

namespace orvex::panels::switchpanel {

std::int32_t LampColour(std::int32_t colour) {
    return colour == kLampGreen || colour == kLampRed || colour == kLampBoth ? colour : kLampOff;
}

std::uint8_t LampBits(Gear gear, std::int32_t colour) {
    const auto green = static_cast<std::uint8_t>(0x01u << static_cast<unsigned>(gear));
    const auto red = static_cast<std::uint8_t>(0x08u << static_cast<unsigned>(gear));
    switch (LampColour(colour)) {
    case kLampGreen: return green;
    case kLampRed: return red;
    case kLampBoth: return static_cast<std::uint8_t>(green | red);
    default: return 0;
    }
}

bool SwitchLampReport::ChangeLights(std::optional<std::int32_t> nose, std::optional<std::int32_t> left,
                                    std::optional<std::int32_t> right) {
    const std::optional<std::int32_t>* args[kGearCount] = {&nose, &left, &right};
    std::uint8_t bits = 0;
    for (std::size_t i = 0; i < kGearCount; ++i) {
        const std::int32_t colour = LampColour(args[i]->value_or(kLampOff));
        colours_[i] = colour;
        bits = static_cast<std::uint8_t>(bits | LampBits(static_cast<Gear>(i), colour));
    }
    buffer_[0] = 0;
    buffer_[1] = bits;
    if (sentOnce_ && buffer_ == lastSent_) return false;
    sentOnce_ = true;
    lastSent_ = buffer_;
    return true;
}

} // namespace orvex::panels::switchpanel
