// The Multi Panel's input: decodes each 4-byte input report into panel
// events (knob and trim steps with a speed, button clicks and long clicks,
// selector, flaps and auto-throttle changes) and keeps what the on-screen
// copy of the panel shows. No platform code: the clock, the long-click
// timer and the click threshold come through IMultiInputHost; the owner
// runs the three timers and calls back on their ticks.
//
// Runs once per input report on the user-interface thread: it allocates
// nothing.
#pragma once

#include "common/reentry_queue.h"
#include "panels/multi/multi_events.h"

#include <array>
#include <cstdint>

namespace orvex::panels::multi {

// Bits of the state word that are no selector position or button.
inline constexpr std::uint32_t kKnobUpBit = 0x200000;
inline constexpr std::uint32_t kKnobDownBit = 0x400000;
inline constexpr std::uint32_t kAutoThrottleBit = 0x008000;  // set: ARM
inline constexpr std::uint32_t kFlapsUpBit = 0x000001;
inline constexpr std::uint32_t kFlapsDownBit = 0x000002;
inline constexpr std::uint32_t kTrimDownBit = 0x000004;
inline constexpr std::uint32_t kTrimUpBit = 0x000008;

// Pulses are reported this long after their last set report, at most.
inline constexpr std::int32_t kKnobPulseWindowMs = 200;
inline constexpr std::int32_t kTrimPulseWindowMs = 250;
// Periods of the speed measurements before they are set.
inline constexpr std::uint32_t kDefaultSpeedPeriodMs = 200;
// Period of the long-click timer.
inline constexpr std::uint32_t kButtonTimerPeriodMs = 15;

// Parts of the on-screen copy, as bits for IMultiInputHost::ScreenChanged.
namespace screen {
inline constexpr std::uint32_t kSelector = 1u << 0;      // needle and mode labels
inline constexpr std::uint32_t kKnob = 1u << 1;
inline constexpr std::uint32_t kTrim = 1u << 2;
inline constexpr std::uint32_t kFlaps = 1u << 3;
inline constexpr std::uint32_t kAutoThrottle = 1u << 4;
inline constexpr std::uint32_t kKnobSpeed = 1u << 5;     // labSpeed
inline constexpr std::uint32_t kTrimSpeed = 1u << 6;     // labSpeed2
// Button index 1-8 (AP ... REV): bits 8-15.
constexpr std::uint32_t Button(int index) { return 1u << (7 + index); }
} // namespace screen

// What the on-screen copy shows (the rows and lamps come from the display
// report, see multi_display.h).
struct MultiScreen {
    std::int32_t selector = 0;                 // current selector bit (0 before the first report)
    std::int16_t needleAngle = 0;              // degrees
    std::int16_t knobAngle = 0;                // degrees 0-359, +15 per clockwise step
    std::int16_t trimAngle = 0;                // degrees 0-359, +15 per TrimUp step
    std::array<bool, 9> buttonPressed{};       // by button index 1-8; 0 unused
    std::int8_t flaps = 0;                     // 1 up, -1 down, 0 middle
    bool autoThrottleArmed = false;
    std::int16_t knobSpeed = 1;
    std::int16_t trimSpeed = 1;
};

// The needle angle of a selector bit: ALT 0, VS 320, IAS 285, HDG 255,
// CRS 210; 0 for anything else.
std::int16_t NeedleAngle(std::int32_t selectorBit);
// The mode labels over the rows: "ALT" over " VS" for ALT and VS; "IAS",
// "HDG" or "CRS" over an empty label otherwise; both empty for no position.
const char* UpperModeLabel(std::int32_t selectorBit);
const char* LowerModeLabel(std::int32_t selectorBit);

// What the decoder needs from its surroundings.
class IMultiInputHost {
public:
    virtual ~IMultiInputHost() = default;
    // Milliseconds, wrapping at 2^32; compared as signed 32-bit differences.
    virtual std::uint32_t TickCount() = 0;
    // Starts or stops the long-click timer (OnButtonTimer every 15 ms).
    virtual void EnableButtonTimer(bool enabled) = 0;
    // The general setting: a button held longer than this is a long click.
    virtual std::int32_t ClickThreshold() = 0;
    // These parts of the on-screen copy (screen:: bits) changed.
    virtual void ScreenChanged(std::uint32_t parts) = 0;
};

class MultiInputDecoder {
public:
    MultiInputDecoder(IMultiInputHost& host, IMultiPanelEvents& events);
    MultiInputDecoder(const MultiInputDecoder&) = delete;
    MultiInputDecoder& operator=(const MultiInputDecoder&) = delete;

    // The state word of a report's three data bytes (byte 0 is the report ID).
    static std::uint32_t StateWord(const std::array<std::uint8_t, 4>& report);

    // One input report: RawInput, then knob, trim, selector, buttons, flaps
    // and auto-throttle. A report that arrives while an event handler lets
    // messages run waits until the report before it is decoded, so every
    // report is compared with the one before it and events keep the
    // reports' order.
    void OnRawInput(const std::array<std::uint8_t, 4>& report);
    // Reports dropped because too many arrived during one event handler.
    std::uint32_t DroppedReports() const { return queue_.Dropped(); }
    // A tick of the long-click timer (ignored while it is meant to be off).
    void OnButtonTimer();
    // Ticks of the knob and the trim speed timers.
    void OnRotSpeedTimer();
    void OnTrimSpeedTimer();

    // Knob speed period: value * 3 + 50 ms, kept to 1 ms at least.
    void SetRotAcceleration(std::int16_t value);
    std::uint32_t RotSpeedPeriod() const { return rotPeriod_; }
    // Trim speed period: value * 3 ms; a value of 0 or less gives 0, which
    // means the trim speed timer is stopped and the trim speed kept.
    void SetTrimAcceleration(std::int16_t value);
    std::uint32_t TrimSpeedPeriod() const { return trimPeriod_; }

    // Raises SelectorChange(state & selector mask, 0) from a state word read
    // from the panel; the previous state word of the decoding is not changed.
    // It takes its turn with the reports (see PanelInputWork).
    void RaisePositions(std::uint32_t state);

    const MultiScreen& Screen() const { return screen_; }
    std::int16_t KnobSpeed() const { return screen_.knobSpeed; }
    std::int16_t TrimSpeed() const { return screen_.trimSpeed; }
    std::uint32_t PreviousState() const { return previous_; }

private:
    struct PulseBit {
        std::uint32_t lastSet = 0;
        bool toggle = false;
    };
    // Pulse counting and speed of the knob or the trim wheel.
    struct SpeedMeter {
        std::uint32_t count = 0;
        std::uint32_t countAtLastTick = 0;
    };
    enum class Wheel { Knob, Trim };

    void Handle(const PanelInputWork& work, std::uint32_t now);
    void Decode(const std::array<std::uint8_t, 4>& report, std::uint32_t now);
    void Positions(std::uint32_t state);
    // True when the pulse of `bit` completes a step.
    bool Pulse(PulseBit& pulse, std::uint32_t bit, std::uint32_t state, std::uint32_t now, std::int32_t window,
               SpeedMeter& meter);
    void Step(Wheel wheel, bool up);
    void Selector(std::int32_t value);
    void Button(int index, std::uint32_t state, std::uint32_t now);
    void Flaps(std::uint32_t state);
    void EnableButtonTimer(bool enabled);
    void Measure(SpeedMeter& meter, std::int16_t& speed, const std::array<std::uint32_t, 3>& thresholds,
                 std::uint32_t part);

    IMultiInputHost& host_;
    IMultiPanelEvents& events_;

    std::uint32_t previous_ = 0;
    bool firstReport_ = true;
    ReentryQueue<PanelInputWork, 256> queue_;

    PulseBit knobUp_, knobDown_, trimUp_, trimDown_;
    SpeedMeter knobMeter_, trimMeter_;
    std::uint32_t rotPeriod_ = kDefaultSpeedPeriodMs;
    std::uint32_t trimPeriod_ = kDefaultSpeedPeriodMs;

    std::uint32_t pressTime_ = 0;
    std::int32_t pressedButton_ = 0;
    bool buttonTimerOn_ = false;

    MultiScreen screen_;
};

} // namespace orvex::panels::multi
