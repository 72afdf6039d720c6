#include "panels/multi/multi_input.h"

#include <algorithm>

namespace orvex::panels::multi {

namespace {

// Signed difference of two wrapping tick counts.
std::int32_t Elapsed(std::uint32_t now, std::uint32_t then) { return static_cast<std::int32_t>(now - then); }

// Growth of the pulse count in one speed period above which the speed is
// 5, 10 and 20.
constexpr std::array<std::uint32_t, 3> kKnobThresholds = {10, 13, 16};
constexpr std::array<std::uint32_t, 3> kTrimThresholds = {5, 9, 12};

// Buttons in the order a report's changes are raised.
constexpr std::array<int, 8> kButtonOrder = {1, 2, 3, 8, 5, 6, 7, 4};  // AP HDG NAV REV ALT VS APR IAS

std::int16_t Turned(std::int16_t angle, int degrees) {
    return static_cast<std::int16_t>(((angle + degrees) % 360 + 360) % 360);
}

} // namespace

std::int16_t NeedleAngle(std::int32_t selectorBit) {
    switch (selectorBit) {
    case kSelectorAlt: return 0;
    case kSelectorVs: return 320;
    case kSelectorIas: return 285;
    case kSelectorHdg: return 255;
    case kSelectorCrs: return 210;
    default: return 0;
    }
}

const char* UpperModeLabel(std::int32_t selectorBit) {
    switch (selectorBit) {
    case kSelectorAlt: case kSelectorVs: return "ALT";
    case kSelectorIas: return "IAS";
    case kSelectorHdg: return "HDG";
    case kSelectorCrs: return "CRS";
    default: return "";
    }
}

const char* LowerModeLabel(std::int32_t selectorBit) {
    return selectorBit == kSelectorAlt || selectorBit == kSelectorVs ? " VS" : "";
}

MultiInputDecoder::MultiInputDecoder(IMultiInputHost& host, IMultiPanelEvents& events)
    : host_(host), events_(events) {}

std::uint32_t MultiInputDecoder::StateWord(const std::array<std::uint8_t, 4>& report) {
    return (std::uint32_t{report[1]} << 16) | (std::uint32_t{report[2]} << 8) | std::uint32_t{report[3]};
}

void MultiInputDecoder::OnRawInput(const std::array<std::uint8_t, 4>& report) {
    queue_.Run(PanelInputWork{report}, host_.TickCount(),
               [this](const PanelInputWork& w, std::uint32_t arrived) { Handle(w, arrived); });
}

void MultiInputDecoder::Handle(const PanelInputWork& work, std::uint32_t now) {
    if (work.positions) Positions(StateWord(work.report));
    else Decode(work.report, now);
}

void MultiInputDecoder::Decode(const std::array<std::uint8_t, 4>& report, std::uint32_t now) {
    events_.RawInput(report);
    const std::uint32_t state = StateWord(report);

    if (Pulse(knobUp_, kKnobUpBit, state, now, kKnobPulseWindowMs, knobMeter_)) Step(Wheel::Knob, true);
    if (Pulse(knobDown_, kKnobDownBit, state, now, kKnobPulseWindowMs, knobMeter_)) Step(Wheel::Knob, false);
    if (Pulse(trimUp_, kTrimUpBit, state, now, kTrimPulseWindowMs, trimMeter_)) Step(Wheel::Trim, true);
    if (Pulse(trimDown_, kTrimDownBit, state, now, kTrimPulseWindowMs, trimMeter_)) Step(Wheel::Trim, false);

    const auto selector = static_cast<std::int32_t>(state & static_cast<std::uint32_t>(kSelectorMask));
    const auto before = static_cast<std::int32_t>(previous_ & static_cast<std::uint32_t>(kSelectorMask));
    if (selector != before || firstReport_) {
        events_.SelectorChange(selector, before);
        Selector(selector);
    }

    for (int index : kButtonOrder) Button(index, state, now);

    Flaps(state);

    const bool armed = (state & kAutoThrottleBit) != 0;
    if (armed != ((previous_ & kAutoThrottleBit) != 0) || firstReport_) {
        if (screen_.autoThrottleArmed != armed) {
            screen_.autoThrottleArmed = armed;
            host_.ScreenChanged(screen::kAutoThrottle);
        }
        events_.AutoThrottleChange(armed);
    }

    previous_ = state;
    firstReport_ = false;
}

bool MultiInputDecoder::Pulse(PulseBit& pulse, std::uint32_t bit, std::uint32_t state, std::uint32_t now,
                              std::int32_t window, SpeedMeter& meter) {
    if (state & bit) {
        pulse.lastSet = now;
        ++meter.count;
        return false;
    }
    // Only the report in which the bit drops ends a pulse: the reports of
    // other inputs in between (the trim wheel while the knob turns, a
    // button) leave the count alone. A pulse set so long ago that the
    // difference of the tick counts wrapped is stale.
    if (!(previous_ & bit)) return false;
    const std::int32_t since = Elapsed(now, pulse.lastSet);
    if (since < 0 || since >= window) return false;
    pulse.toggle = !pulse.toggle;
    return !pulse.toggle;  // every second pulse is a step
}

void MultiInputDecoder::Step(Wheel wheel, bool up) {
    const int degrees = up ? 15 : -15;
    if (wheel == Wheel::Knob) {
        screen_.knobAngle = Turned(screen_.knobAngle, degrees);
        host_.ScreenChanged(screen::kKnob);
        if (up) events_.RotaryUp(screen_.knobSpeed);
        else events_.RotaryDown(screen_.knobSpeed);
        return;
    }
    screen_.trimAngle = Turned(screen_.trimAngle, degrees);
    host_.ScreenChanged(screen::kTrim);
    if (up) events_.TrimUp(screen_.trimSpeed);
    else events_.TrimDown(screen_.trimSpeed);
}

void MultiInputDecoder::Selector(std::int32_t value) {
    const std::int16_t angle = NeedleAngle(value);
    if (screen_.selector == value && screen_.needleAngle == angle) return;
    screen_.selector = value;
    screen_.needleAngle = angle;
    host_.ScreenChanged(screen::kSelector);
}

// Press and release are timed by the reports' arrival, so that a handler
// that runs long (or a report that waited its turn) does not stretch or
// shorten the press.
void MultiInputDecoder::Button(int index, std::uint32_t state, std::uint32_t now) {
    const auto mask = kButtonMasks[static_cast<std::size_t>(index)];
    const auto bit = static_cast<std::uint32_t>(mask);
    if ((state & bit) == (previous_ & bit)) return;
    bool& pressed = screen_.buttonPressed[static_cast<std::size_t>(index)];
    if (state & bit) {
        pressed = true;
        host_.ScreenChanged(screen::Button(index));
        events_.ButtonDown(mask);
        pressTime_ = now;
        pressedButton_ = mask;
        EnableButtonTimer(true);
        return;
    }
    pressed = false;
    host_.ScreenChanged(screen::Button(index));
    events_.ButtonUp(mask);
    // Timed from the last press, whichever button that was.
    if (Elapsed(now, pressTime_) >= host_.ClickThreshold()) return;  // the timer raises the long click
    // The timer stops before the click is raised: the click's handler may
    // let messages run long enough for a due tick to add a long click.
    EnableButtonTimer(false);
    events_.ButtonClick(mask);
}

void MultiInputDecoder::Flaps(std::uint32_t state) {
    const bool upNow = (state & kFlapsUpBit) != 0, upBefore = (previous_ & kFlapsUpBit) != 0;
    const bool downNow = (state & kFlapsDownBit) != 0, downBefore = (previous_ & kFlapsDownBit) != 0;
    const std::int8_t lever = upNow ? std::int8_t{1} : downNow ? std::int8_t{-1} : std::int8_t{0};
    if (lever != screen_.flaps) {
        screen_.flaps = lever;
        host_.ScreenChanged(screen::kFlaps);
    }
    if (upNow && !upBefore) events_.FlapsUp();
    if (downNow && !downBefore) events_.FlapsDown();
}

void MultiInputDecoder::EnableButtonTimer(bool enabled) {
    buttonTimerOn_ = enabled;
    host_.EnableButtonTimer(enabled);
}

void MultiInputDecoder::OnButtonTimer() {
    if (!buttonTimerOn_) return;
    if (Elapsed(host_.TickCount(), pressTime_) <= host_.ClickThreshold()) return;
    // Stopped first, so that a handler letting messages run cannot meet a
    // further tick and raise the long click twice.
    EnableButtonTimer(false);
    events_.ButtonLongClick(pressedButton_);
}

void MultiInputDecoder::Measure(SpeedMeter& meter, std::int16_t& speed,
                                const std::array<std::uint32_t, 3>& thresholds, std::uint32_t part) {
    std::int16_t next = speed;
    if (meter.count == meter.countAtLastTick) {
        // A whole period without pulses.
        meter.count = 0;
        next = 1;
    } else {
        const std::uint32_t growth = meter.count - meter.countAtLastTick;
        if (growth > thresholds[0]) next = 5;
        if (growth > thresholds[1]) next = 10;
        if (growth > thresholds[2]) next = 20;
    }
    meter.countAtLastTick = meter.count;
    if (next != speed) {
        speed = next;
        host_.ScreenChanged(part);
    }
}

void MultiInputDecoder::OnRotSpeedTimer() { Measure(knobMeter_, screen_.knobSpeed, kKnobThresholds, screen::kKnobSpeed); }

void MultiInputDecoder::OnTrimSpeedTimer() {
    if (trimPeriod_ == 0) return;  // measuring is off: the speed stays
    Measure(trimMeter_, screen_.trimSpeed, kTrimThresholds, screen::kTrimSpeed);
}

void MultiInputDecoder::SetRotAcceleration(std::int16_t value) {
    rotPeriod_ = static_cast<std::uint32_t>(std::max<std::int32_t>(std::int32_t{value} * 3 + 50, 1));
}

void MultiInputDecoder::SetTrimAcceleration(std::int16_t value) {
    trimPeriod_ = static_cast<std::uint32_t>(std::max<std::int32_t>(std::int32_t{value} * 3, 0));
}

void MultiInputDecoder::RaisePositions(std::uint32_t state) {
    queue_.Run(PanelInputWork::Positions(state), host_.TickCount(),
               [this](const PanelInputWork& w, std::uint32_t arrived) { Handle(w, arrived); });
}

void MultiInputDecoder::Positions(std::uint32_t state) {
    const auto selector = static_cast<std::int32_t>(state & static_cast<std::uint32_t>(kSelectorMask));
    events_.SelectorChange(selector, 0);
    Selector(selector);
}

} // namespace orvex::panels::multi
