// The Radio Panel's input: decodes each 4-byte input report into panel
// events (knob steps with a speed, button clicks and long clicks, selector
// changes) and keeps what the on-screen copy of the panel shows. No
// platform code: the clock, the message pump, the long-click timer and the
// click threshold come through IRadioInputHost.
//
// Runs once per input report on the user-interface thread: it allocates
// nothing.
#pragma once

#include "common/reentry_queue.h"
#include "panels/radio/radio_events.h"

#include <array>
#include <cstdint>

namespace orvex::panels::radio {

// Bits of the 24-bit state word (first data byte in bits 16-23).
inline constexpr std::uint32_t kSelectorMaskUpper = 0x7F0000;
inline constexpr std::uint32_t kSelectorMaskLower = 0x803F00;
inline constexpr std::uint32_t kButtonUpper = 0x4000;
inline constexpr std::uint32_t kButtonLower = 0x8000;

// Knob pulses are reported this long after their last set report, at most.
inline constexpr std::int32_t kKnobPulseWindowMs = 200;
// Period of the knob speed measurement before SetAcceleration.
inline constexpr std::uint32_t kDefaultSpeedPeriodMs = 100;
// Period of the long-click timer.
inline constexpr std::uint32_t kButtonTimerPeriodMs = 15;

// Parts of the on-screen copy, as bits for IRadioInputHost::ScreenChanged.
namespace screen {
inline constexpr std::uint32_t kNeedleUpper = 1u << 0;
inline constexpr std::uint32_t kNeedleLower = 1u << 1;
constexpr std::uint32_t Knob(int knob) { return 1u << (2 + knob); }  // knobs 0-3: bits 2-5
inline constexpr std::uint32_t kButtonUpper = 1u << 6;
inline constexpr std::uint32_t kButtonLower = 1u << 7;
inline constexpr std::uint32_t kSpeedUpper = 1u << 8;
inline constexpr std::uint32_t kSpeedLower = 1u << 9;
} // namespace screen

// What the on-screen copy shows; index 0 is the upper half.
struct RadioScreen {
    std::array<std::int16_t, 2> needleAngle{0, 0};  // degrees, per selector
    std::array<std::int16_t, 4> knobAngle{};        // degrees 0-359, knobs 0-3
    std::array<bool, 2> buttonPressed{};
    std::array<std::int16_t, 2> speed{1, 1};
};

// What the decoder needs from its surroundings.
class IRadioInputHost {
public:
    virtual ~IRadioInputHost() = default;
    // Milliseconds, wrapping at 2^32; compared as signed 32-bit differences.
    virtual std::uint32_t TickCount() = 0;
    // Lets the pending window messages run once.
    virtual void PumpMessages() = 0;
    // Starts or stops the long-click timer (OnButtonTimer every 15 ms).
    virtual void EnableButtonTimer(bool enabled) = 0;
    // The general setting: a button held longer than this is a long click.
    virtual std::int32_t ClickThreshold() = 0;
    // These parts of the on-screen copy (screen:: bits) changed.
    virtual void ScreenChanged(std::uint32_t parts) = 0;
};

class RadioInputDecoder {
public:
    RadioInputDecoder(IRadioInputHost& host, IRadioPanelEvents& events);
    RadioInputDecoder(const RadioInputDecoder&) = delete;
    RadioInputDecoder& operator=(const RadioInputDecoder&) = delete;

    // The state word of a report's three data bytes (byte 0 is the report ID).
    static std::uint32_t StateWord(const std::array<std::uint8_t, 4>& report);
    // The needle angle of a selector value (masked state word): COM1 0,
    // COM2 38, NAV1 71, NAV2 108, ADF 131, DME 158, XPDR 195; 0 otherwise.
    static std::int16_t NeedleAngle(int selector, std::uint32_t value);
    static std::uint32_t SelectorMask(int selector) {
        return selector == 2 ? kSelectorMaskLower : kSelectorMaskUpper;
    }

    // One input report: RawInput, then knobs, selectors and buttons. A
    // report that arrives while an event handler lets messages run waits
    // until the report before it is decoded, so that every report is
    // compared with the one before it and events keep the reports' order.
    void OnRawInput(const std::array<std::uint8_t, 4>& report);
    // Reports dropped because too many arrived during one event handler.
    std::uint32_t DroppedReports() const { return queue_.Dropped(); }
    // A tick of the long-click timer (ignored while it is meant to be off).
    void OnButtonTimer();
    // A tick of selector 1's or 2's knob speed timer.
    void OnSpeedTimer(int selector);

    // The speed-measuring period of a selector (1-2): value * 3 + 50 ms,
    // kept to 1 ms at least. Other selectors are ignored.
    void SetAcceleration(int selector, std::int16_t value);
    // The period read back as period / 3 - 50, rounded (0 for other selectors).
    std::int16_t GetAcceleration(int selector) const;
    std::uint32_t SpeedPeriod(int selector) const;

    // Raises SelectorChange for both selectors from a state word read from
    // the panel, with 0 as the previous value; the previous state word of
    // the decoding is not changed. It takes its turn with the reports (see
    // PanelInputWork).
    void RaisePositions(std::uint32_t state);

    const RadioScreen& Screen() const { return screen_; }
    std::int16_t Speed(int selector) const { return screen_.speed[Index(selector)]; }
    std::uint32_t PreviousState() const { return previous_; }

private:
    struct PulseBit {
        std::uint32_t lastSet = 0;
        bool toggle = false;
    };


    static std::size_t Index(int selector) { return selector == 2 ? 1 : 0; }
    void Handle(const PanelInputWork& work, std::uint32_t now);
    void Decode(const std::array<std::uint8_t, 4>& report, std::uint32_t now);
    void Positions(std::uint32_t state);
    void Knob(int knob, int direction, std::uint32_t state, std::uint32_t now);
    void MoveNeedle(int selector, std::uint32_t value);
    void Button(std::uint32_t mask, std::uint32_t state, std::uint32_t now);
    void TurnMark(int knob, int degrees);
    void EnableButtonTimer(bool enabled);

    IRadioInputHost& host_;
    IRadioPanelEvents& events_;

    std::uint32_t previous_ = 0;
    bool firstReport_ = true;
    ReentryQueue<PanelInputWork, 256> queue_;
    std::array<std::array<PulseBit, 2>, 4> pulses_{};  // [knob][0 up, 1 down]

    std::array<std::uint32_t, 2> pulseCount_{};      // per selector, up and down of both knobs
    std::array<std::uint32_t, 2> countAtLastTick_{};
    std::array<std::uint32_t, 2> period_{kDefaultSpeedPeriodMs, kDefaultSpeedPeriodMs};

    std::uint32_t pressTime_ = 0;
    std::uint32_t pressedButton_ = 0;
    bool buttonTimerOn_ = false;

    RadioScreen screen_;
};

} // namespace orvex::panels::radio
