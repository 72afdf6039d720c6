#include "panels/radio/radio_input.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace orvex::panels::radio {

namespace {

// Signed difference of two wrapping tick counts.
std::int32_t Elapsed(std::uint32_t now, std::uint32_t then) { return static_cast<std::int32_t>(now - then); }

} // namespace

RadioInputDecoder::RadioInputDecoder(IRadioInputHost& host, IRadioPanelEvents& events)
    : host_(host), events_(events) {}

std::uint32_t RadioInputDecoder::StateWord(const std::array<std::uint8_t, 4>& report) {
    return (std::uint32_t{report[1]} << 16) | (std::uint32_t{report[2]} << 8) | std::uint32_t{report[3]};
}

std::int16_t RadioInputDecoder::NeedleAngle(int selector, std::uint32_t value) {
    static constexpr std::int16_t kAngles[7] = {0, 38, 71, 108, 131, 158, 195};
    // The positions COM1..XPDR as bits of the state word.
    static constexpr std::uint32_t kUpper[7] = {0x010000, 0x020000, 0x040000, 0x080000,
                                                0x100000, 0x200000, 0x400000};
    static constexpr std::uint32_t kLower[7] = {0x800000, 0x000100, 0x000200, 0x000400,
                                                0x000800, 0x001000, 0x002000};
    const std::uint32_t* positions = selector == 2 ? kLower : kUpper;
    for (int i = 0; i < 7; ++i)
        if (value == positions[i]) return kAngles[i];
    return 0;
}

void RadioInputDecoder::OnRawInput(const std::array<std::uint8_t, 4>& report) {
    queue_.Run(PanelInputWork{report}, host_.TickCount(),
               [this](const PanelInputWork& w, std::uint32_t arrived) { Handle(w, arrived); });
}

void RadioInputDecoder::Handle(const PanelInputWork& work, std::uint32_t now) {
    if (work.positions) Positions(StateWord(work.report));
    else Decode(work.report, now);
}

void RadioInputDecoder::Decode(const std::array<std::uint8_t, 4>& report, std::uint32_t now) {
    events_.RawInput(report);
    const std::uint32_t state = StateWord(report);

    for (int knob = 0; knob < 4; ++knob) {
        Knob(knob, 0, state, now);
        Knob(knob, 1, state, now);
    }

    for (int selector = 1; selector <= 2; ++selector) {
        const std::uint32_t mask = SelectorMask(selector);
        const std::uint32_t value = state & mask;
        const std::uint32_t before = previous_ & mask;
        if (value != before || firstReport_) {
            events_.SelectorChange(static_cast<std::int16_t>(selector), static_cast<std::int32_t>(value),
                                   static_cast<std::int32_t>(before));
            MoveNeedle(selector, value);
        }
    }

    Button(kButtonUpper, state, now);
    Button(kButtonLower, state, now);

    previous_ = state;
    firstReport_ = false;
}

void RadioInputDecoder::Knob(int knob, int direction, std::uint32_t state, std::uint32_t now) {
    const std::uint32_t bit = 1u << (2 * knob + direction);
    PulseBit& pulse = pulses_[static_cast<std::size_t>(knob)][static_cast<std::size_t>(direction)];
    const std::size_t selector = knob < 2 ? 0 : 1;
    if (state & bit) {
        pulse.lastSet = now;
        ++pulseCount_[selector];
        return;
    }
    // Only the report in which the bit drops ends a pulse: other inputs'
    // reports in between (another knob, a button, a selector) leave the
    // knob's count alone. A pulse set so long ago that the difference of
    // the tick counts wrapped is stale.
    if (!(previous_ & bit)) return;
    const std::int32_t since = Elapsed(now, pulse.lastSet);
    if (since < 0 || since >= kKnobPulseWindowMs) return;
    if (!pulse.toggle) {
        pulse.toggle = true;
        return;
    }
    pulse.toggle = false;
    const std::int16_t speed = screen_.speed[selector];
    if (direction == 0) {
        TurnMark(knob, 15);
        events_.RotaryUp(knob, speed);
    } else {
        TurnMark(knob, -15);
        events_.RotaryDown(knob, speed);
    }
}

void RadioInputDecoder::TurnMark(int knob, int degrees) {
    std::int16_t& angle = screen_.knobAngle[static_cast<std::size_t>(knob)];
    angle = static_cast<std::int16_t>(((angle + degrees) % 360 + 360) % 360);
    host_.ScreenChanged(screen::Knob(knob));
}

void RadioInputDecoder::MoveNeedle(int selector, std::uint32_t value) {
    const std::int16_t angle = NeedleAngle(selector, value);
    std::int16_t& shown = screen_.needleAngle[Index(selector)];
    if (shown == angle) return;
    shown = angle;
    host_.ScreenChanged(selector == 2 ? screen::kNeedleLower : screen::kNeedleUpper);
}

// Press and release are timed by the reports' arrival, so that a handler
// that runs long (or a report that waited its turn) does not stretch or
// shorten the press.
void RadioInputDecoder::Button(std::uint32_t mask, std::uint32_t state, std::uint32_t now) {
    if ((state & mask) == (previous_ & mask)) return;
    const std::size_t index = mask == kButtonLower ? 1 : 0;
    const std::uint32_t part = index ? screen::kButtonLower : screen::kButtonUpper;
    const auto event = static_cast<std::int32_t>(mask);
    if (state & mask) {
        screen_.buttonPressed[index] = true;
        host_.ScreenChanged(part);
        events_.ButtonDown(event);
        pressTime_ = now;
        pressedButton_ = mask;
        EnableButtonTimer(true);
        return;
    }
    screen_.buttonPressed[index] = false;
    host_.ScreenChanged(part);
    if (Elapsed(now, pressTime_) < host_.ClickThreshold()) {
        // The timer stops before the click is raised: its handler may let
        // messages run long enough for a due tick to add a long click.
        EnableButtonTimer(false);
        events_.ButtonClick(event);
        host_.PumpMessages();
    }
    events_.ButtonUp(event);
    host_.PumpMessages();
}

void RadioInputDecoder::EnableButtonTimer(bool enabled) {
    buttonTimerOn_ = enabled;
    host_.EnableButtonTimer(enabled);
}

void RadioInputDecoder::OnButtonTimer() {
    if (!buttonTimerOn_) return;
    if (Elapsed(host_.TickCount(), pressTime_) <= host_.ClickThreshold()) return;
    // Stopped first, so that a handler letting messages run cannot meet a
    // further tick and raise the long click twice.
    EnableButtonTimer(false);
    const auto event = static_cast<std::int32_t>(pressedButton_);
    events_.ButtonLongClick(event);
    // Released between the threshold and this tick: its release was raised
    // before the long click, so whatever the long click pressed would stay
    // pressed. Raise the release again, after it.
    if (!(previous_ & pressedButton_)) {
        events_.ButtonUp(event);
        host_.PumpMessages();
    }
}

void RadioInputDecoder::OnSpeedTimer(int selector) {
    if (selector != 1 && selector != 2) return;
    const std::size_t i = Index(selector);
    std::int16_t speed = screen_.speed[i];
    if (pulseCount_[i] == countAtLastTick_[i]) {
        pulseCount_[i] = 0;
        speed = 1;
    }
    const auto growth = static_cast<std::int32_t>(pulseCount_[i] - countAtLastTick_[i]);
    if (growth > 10) speed = 5;
    if (growth > 13) speed = 10;
    if (growth > 16) speed = 20;
    countAtLastTick_[i] = pulseCount_[i];
    if (speed != screen_.speed[i]) {
        screen_.speed[i] = speed;
        host_.ScreenChanged(i ? screen::kSpeedLower : screen::kSpeedUpper);
    }
}

void RadioInputDecoder::SetAcceleration(int selector, std::int16_t value) {
    if (selector != 1 && selector != 2) return;
    const std::int32_t period = std::int32_t{value} * 3 + 50;
    period_[Index(selector)] = static_cast<std::uint32_t>(std::max<std::int32_t>(period, 1));
}

std::int16_t RadioInputDecoder::GetAcceleration(int selector) const {
    if (selector != 1 && selector != 2) return 0;
    const double value = std::round(static_cast<double>(period_[Index(selector)]) / 3.0 - 50.0);
    return static_cast<std::int16_t>(std::clamp<double>(value, std::numeric_limits<std::int16_t>::min(),
                                                        std::numeric_limits<std::int16_t>::max()));
}

std::uint32_t RadioInputDecoder::SpeedPeriod(int selector) const {
    return selector == 1 || selector == 2 ? period_[Index(selector)] : kDefaultSpeedPeriodMs;
}

void RadioInputDecoder::RaisePositions(std::uint32_t state) {
    queue_.Run(PanelInputWork::Positions(state), host_.TickCount(),
               [this](const PanelInputWork& w, std::uint32_t arrived) { Handle(w, arrived); });
}

void RadioInputDecoder::Positions(std::uint32_t state) {
    const std::uint32_t upper = state & kSelectorMaskUpper;
    events_.SelectorChange(1, static_cast<std::int32_t>(upper), 0);
    MoveNeedle(1, upper);
    const std::uint32_t lower = state & kSelectorMaskLower;
    events_.SelectorChange(2, static_cast<std::int32_t>(lower), 0);
    MoveNeedle(2, lower);
}

} // namespace orvex::panels::radio
