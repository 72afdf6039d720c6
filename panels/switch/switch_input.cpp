#include "panels/switch/switch_input.h"

namespace orvex::panels::switchpanel {

namespace {

// By switch index 1-20.
constexpr std::uint32_t kIndexBits[kSwitchCount + 1] = {
    0,        0x002000, 0x004000, 0x008000, 0x000001, 0x000002, 0x010000, 0x020000, 0x040000, 0x080000, 0x100000,
    0x200000, 0x400000, 0x800000, 0x000100, 0x000200, 0x000400, 0x000800, 0x001000, 0x000004, 0x000008};

} // namespace

std::uint32_t SwitchBit(int index) { return index >= 1 && index <= kSwitchCount ? kIndexBits[index] : 0; }

int SwitchIndexOf(std::int32_t bit) {
    for (int i = 1; i <= kSwitchCount; ++i)
        if (static_cast<std::int64_t>(kIndexBits[i]) == bit) return i;
    return kNoSwitch;
}

SwitchInputDecoder::SwitchInputDecoder(ISwitchInputHost& host, ISwitchPanelEvents& events)
    : host_(host), events_(events) {}

std::uint32_t SwitchInputDecoder::StateWord(const std::array<std::uint8_t, 4>& report) {
    return (std::uint32_t{report[1]} << 16) | (std::uint32_t{report[2]} << 8) | std::uint32_t{report[3]};
}

void SwitchInputDecoder::OnRawInput(const std::array<std::uint8_t, 4>& report) {
    // A handler that lets messages run (a virtual button's wait, the
    // 737NGX's second click) may meet the next report before it returns.
    queue_.Run(Input{report, false}, 0, [this](const Input& input, std::uint32_t) { Handle(input); });
}

void SwitchInputDecoder::ReplayPositions() {
    queue_.Run(Input{{}, true}, 0, [this](const Input& input, std::uint32_t) { Handle(input); });
}

void SwitchInputDecoder::Handle(const Input& input) {
    if (!input.replay) {
        Decode(input.report);
        return;
    }
    // Nothing is known of the switches before the first report: raising
    // "all off" would switch the simulator's electrics off.
    if (!firstReport_) Raise(previous_, 0, true);
}

void SwitchInputDecoder::Decode(const std::array<std::uint8_t, 4>& report) {
    events_.RawInput(report);
    const std::uint32_t state = StateWord(report);
    // Taken as decoded before the events run, so that the report is not
    // raised again whatever a handler does.
    const std::uint32_t previous = previous_;
    const bool all = firstReport_;
    previous_ = state;
    firstReport_ = false;
    Raise(state, previous, all);
}

void SwitchInputDecoder::Raise(std::uint32_t state, std::uint32_t previous, bool all) {
    const std::uint32_t selector = state & kSelectorMask;
    const std::uint32_t selectorBefore = previous & kSelectorMask;
    if (selector != selectorBefore || all) {
        ShowSelector(selector);
        events_.SelectorChange(static_cast<std::int32_t>(selector), static_cast<std::int32_t>(selectorBefore));
    }
    for (int n = 0; n < kTwoPositionCount; ++n) {
        const std::uint32_t bit = SwitchBit(kFirstTwoPosition + n);
        if (!all && (state & bit) == (previous & bit)) continue;
        const bool on = (state & bit) != 0;
        ShowSwitch(n, on);
        events_.SwitchChange(static_cast<std::int32_t>(bit), on);
    }
    // A lever between its positions (or leaving one) raises nothing.
    const bool down = (state & kGearDownBit) != 0;
    const bool up = (state & kGearUpBit) != 0;
    ShowGear(down ? LeverPosition::Down : up ? LeverPosition::Up : LeverPosition::None);
    if (down && (all || !(previous & kGearDownBit))) events_.GearDown();
    if (up && (all || !(previous & kGearUpBit))) events_.GearUp();
}

void SwitchInputDecoder::ShowSelector(std::uint32_t value) {
    int position = kNoSwitch;
    for (int i = kSelOff; i <= kSelStart; ++i)
        if (value == SwitchBit(i)) position = i;
    if (screen_.selector == position) return;
    screen_.selector = position;
    host_.ScreenChanged(screen::kSelector);
}

void SwitchInputDecoder::ShowSwitch(int n, bool on) {
    bool& shown = screen_.switchOn[static_cast<std::size_t>(n)];
    if (shown == on) return;
    shown = on;
    host_.ScreenChanged(screen::Switch(n));
}

void SwitchInputDecoder::ShowGear(LeverPosition position) {
    if (screen_.gear == position) return;
    screen_.gear = position;
    host_.ScreenChanged(screen::kGear);
}

} // namespace orvex::panels::switchpanel
