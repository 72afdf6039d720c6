// The Switch Panel's output: the three gear lamps, encoded into the panel's
// 2-byte feature report, and the bookkeeping that sends the report only
// when it changed. No platform code: the Windows control sends what this
// object says to send.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace orvex::panels::switchpanel {

// Report ID 0, then the lamp bits.
inline constexpr std::size_t kLampReportSize = 2;
using LampReport = std::array<std::uint8_t, kLampReportSize>;

// Colour numbers of a lamp.
inline constexpr std::int32_t kLampOff = 0;
inline constexpr std::int32_t kLampGreen = 65280;
inline constexpr std::int32_t kLampRed = 255;
inline constexpr std::int32_t kLampBoth = 65535;  // green and red together, seen as yellow

// The gears in the order of ChangeLights' arguments.
enum class Gear : std::uint8_t { Nose = 0, Left = 1, Right = 2 };
inline constexpr std::size_t kGearCount = 3;

// Lamp bits of byte 1: green 0x01 nose, 0x02 left, 0x04 right; red 0x08
// nose, 0x10 left, 0x20 right.
std::uint8_t LampBits(Gear gear, std::int32_t colour);
// What a lamp shows for a colour number: green, red, both, or off (0) for
// any other number.
std::int32_t LampColour(std::int32_t colour);

class SwitchLampReport {
public:
    // Sets the three lamps (a missing one dark). True when the report must
    // go to the panel now: its byte differs from the copy last sent, or
    // nothing was sent yet (the panel may still show an earlier program's
    // lamps). It is then taken as sent whether or not the write succeeds.
    bool ChangeLights(std::optional<std::int32_t> nose, std::optional<std::int32_t> left,
                      std::optional<std::int32_t> right);

    const LampReport& Buffer() const { return buffer_; }
    // The colour each lamp shows (kLampOff, kLampGreen, kLampRed, kLampBoth).
    std::int32_t Colour(Gear gear) const { return colours_[static_cast<std::size_t>(gear)]; }
    bool AnyLit() const { return buffer_[1] != 0; }

private:
    LampReport buffer_{};
    LampReport lastSent_{};
    bool sentOnce_ = false;
    std::array<std::int32_t, kGearCount> colours_{};
};

} // namespace orvex::panels::switchpanel
