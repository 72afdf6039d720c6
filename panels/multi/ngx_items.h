// The mode-control items of the PMDG 737NGX that the Multi Panel's buttons
// can work in that aircraft's special mode: each item's name (as the setup
// dialog lists it), the control number sent for it and the FSUIPC offset
// (one byte) of its lamp, 0 for an item without a lamp.
#pragma once

#include <array>
#include <cstdint>

namespace orvex::panels::multi {

struct NGXItem {
    const char* Name;
    std::int32_t Control;
    std::int32_t LampOffset;
};

inline constexpr std::size_t kNGXItemCount = 23;

inline constexpr std::array<NGXItem, kNGXItemCount> NGXItemTable = {{
    {"F/D 1", 70010, 0x6533},
    {"F/D 2", 70039, 0x6534},
    {"N1", 70013, 0x653B},
    {"SPEED", 70014, 0x653C},
    {"LNAV", 70029, 0x6540},
    {"VNAV", 70018, 0x653D},
    {"LVL CHG", 70023, 0x653E},
    {"HDG SEL", 70024, 0x653F},
    {"VOR LOC", 70028, 0x6541},
    {"APP", 70025, 0x6542},
    {"ALT HLD", 70026, 0x6543},
    {"V/S", 70027, 0x6544},
    {"CMD A", 70034, 0x6545},
    {"CWS A", 70036, 0x6546},
    {"CMD B", 70035, 0x6547},
    {"CWS B", 70037, 0x6548},
    {"AP Disengage Bar", 70038, 0x6537},
    {"SPD INTV", 70019, 0},
    {"ALT INTV", 70517, 0},
    {"C/O", 70015, 0},
    {"A/P P/RST", 69971, 0x6550},
    {"A/T P/RST", 69972, 0x6552},
    {"FMC P/RST", 69973, 0x6554},
}};

// The parameter of a click on an item (and on the A/T arm switch).
inline constexpr std::int32_t kNGXClickParameter = 0x20000000;

constexpr bool IsNGXItem(int item) { return item >= 0 && item < static_cast<int>(kNGXItemCount); }

} // namespace orvex::panels::multi
