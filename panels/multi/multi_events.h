// The events a Multi Panel's device control raises, in the order the
// control declares them, and the bits that identify the panel's selector
// positions and buttons in them. The main window receives the events and
// hands them to the panel's logic, translated to indices.
#pragma once

#include <array>
#include <cstdint>

namespace orvex::panels::multi {

// Mode selector positions, as bits of the 24-bit input state word.
inline constexpr std::int32_t kSelectorAlt = 0x010000;
inline constexpr std::int32_t kSelectorVs = 0x020000;
inline constexpr std::int32_t kSelectorIas = 0x040000;
inline constexpr std::int32_t kSelectorHdg = 0x080000;
inline constexpr std::int32_t kSelectorCrs = 0x100000;
inline constexpr std::int32_t kSelectorMask = 0x1F0000;

// Buttons, as bits of the state word (the button masks of the events).
inline constexpr std::int32_t kButtonAp = 0x800000;
inline constexpr std::int32_t kButtonHdg = 0x000100;
inline constexpr std::int32_t kButtonNav = 0x000200;
inline constexpr std::int32_t kButtonIas = 0x000400;
inline constexpr std::int32_t kButtonAlt = 0x000800;
inline constexpr std::int32_t kButtonVs = 0x001000;
inline constexpr std::int32_t kButtonApr = 0x002000;
inline constexpr std::int32_t kButtonRev = 0x004000;

// The button masks by button index 1-8 (AP, HDG, NAV, IAS, ALT, VS, APR,
// REV), index 0 unused; the lamp of button index i is bit i-1 of the lamp
// byte.
inline constexpr std::array<std::int32_t, 9> kButtonMasks = {
    0, kButtonAp, kButtonHdg, kButtonNav, kButtonIas, kButtonAlt, kButtonVs, kButtonApr, kButtonRev,
};
// The selector bits by selector index 1-5 (ALT, VS, IAS, HDG, CRS), index 0 unused.
inline constexpr std::array<std::int32_t, 6> kSelectorBits = {
    0, kSelectorAlt, kSelectorVs, kSelectorIas, kSelectorHdg, kSelectorCrs,
};

// The main window's translations: a selector bit to its index 1-5, a button
// mask to its index 1-8; 0 for anything else.
constexpr int SelectorIndex(std::int32_t selectorBit) {
    for (int i = 1; i < static_cast<int>(kSelectorBits.size()); ++i)
        if (kSelectorBits[static_cast<std::size_t>(i)] == selectorBit) return i;
    return 0;
}
constexpr int ButtonIndex(std::int32_t mask) {
    for (int i = 1; i < static_cast<int>(kButtonMasks.size()); ++i)
        if (kButtonMasks[static_cast<std::size_t>(i)] == mask) return i;
    return 0;
}
// The lamp-byte bit of a button mask (0 for a mask that is no button).
constexpr std::uint8_t LampBit(std::int32_t mask) {
    const int index = ButtonIndex(mask);
    return index == 0 ? std::uint8_t{0} : static_cast<std::uint8_t>(1u << (index - 1));
}

class IMultiPanelEvents {
public:
    virtual ~IMultiPanelEvents() = default;
    virtual void RawInput(const std::array<std::uint8_t, 4>& report) = 0;  // before decoding
    virtual void ButtonClick(std::int32_t mask) = 0;      // released before the long-click threshold
    virtual void ButtonLongClick(std::int32_t mask) = 0;  // held past the threshold
    virtual void ButtonDown(std::int32_t mask) = 0;
    virtual void ButtonUp(std::int32_t mask) = 0;
    virtual void RotaryUp(std::int16_t speed) = 0;        // knob clockwise step
    virtual void RotaryDown(std::int16_t speed) = 0;
    virtual void TrimUp(std::int16_t speed) = 0;
    virtual void TrimDown(std::int16_t speed) = 0;
    virtual void FlapsUp() = 0;
    virtual void FlapsDown() = 0;
    // New and previous selector bit (0 when none is set).
    virtual void SelectorChange(std::int32_t newValue, std::int32_t previousValue) = 0;
    virtual void AutoThrottleChange(bool armed) = 0;
    virtual void SetupRequest() = 0;                      // the on-screen "Setup" button
};

} // namespace orvex::panels::multi
