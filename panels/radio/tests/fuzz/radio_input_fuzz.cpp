// The Radio Panel's input decoder fed any sequence of 4-byte reports with
// any time between them, long-click and speed timer ticks, acceleration
// changes and reports that arrive while an event handler lets messages
// run. Nothing may crash, every event's arguments stay inside their ranges,
// and every report reaches RawInput once, in arrival order, unless the
// queue of reports arriving during a handler was full (it is then dropped
// and counted).
#include "panels/radio/radio_input.h"

#include "tests/support/fuzz_input.h"
#include "tests/support/fuzz_reports.h"

#include <deque>

namespace {

// Reports the decoder holds while a handler runs; one more is dropped.
constexpr std::size_t kQueueCapacity = 256;

using namespace orvex::panels::radio;
using orvex::fuzzing::FuzzInput;
using Report = std::array<std::uint8_t, 4>;

bool IsSpeed(std::int16_t s) { return s == 1 || s == 5 || s == 10 || s == 20; }
bool IsButton(std::int32_t mask) {
    return mask == static_cast<std::int32_t>(kButtonUpper) || mask == static_cast<std::int32_t>(kButtonLower);
}

class Harness final : public IRadioInputHost, public IRadioPanelEvents {
public:
    explicit Harness(FuzzInput& in) : in_(in), decoder_(*this, *this) { threshold_ = in_.Word() % 3000; }

    void Run() {
        while (!in_.Empty()) {
            const std::uint8_t op = in_.Byte();
            switch (op % 8) {
            case 0: case 1: case 2: case 3:
                now_ += op & 0x80 ? in_.Dword() : in_.Byte();
                Deliver();
                break;
            case 4:
                now_ += kButtonTimerPeriodMs;
                decoder_.OnButtonTimer();
                break;
            case 5:
                now_ += decoder_.SpeedPeriod(1 + (op >> 7));
                decoder_.OnSpeedTimer(static_cast<int>(op >> 6));  // 0-3: only 1 and 2 count
                break;
            case 6: {
                const int selector = op >> 6;
                const auto value = static_cast<std::int16_t>(in_.Word());
                decoder_.SetAcceleration(selector, value);
                FUZZ_CHECK(decoder_.SpeedPeriod(selector) >= 1);
                break;
            }
            case 7:
                // The state read from the panel is the one its last report gave.
                decoder_.RaisePositions(decoder_.PreviousState());
                break;
            }
            CheckScreen();
        }
        FUZZ_CHECK(sent_.empty());
    }

private:
    void Deliver() {
        Report r{in_.Byte(), in_.Byte(), in_.Byte(), in_.Byte()};
        orvex::fuzzing::DeliverReport(decoder_, sent_, r, kQueueCapacity, depth_ > 0);
    }
    void CheckScreen() {
        const RadioScreen& s = decoder_.Screen();
        for (std::int16_t a : s.knobAngle) FUZZ_CHECK(a >= 0 && a < 360 && a % 15 == 0);
        for (std::int16_t a : s.needleAngle)
            FUZZ_CHECK(a == 0 || a == 38 || a == 71 || a == 108 || a == 131 || a == 158 || a == 195);
        for (std::int16_t v : s.speed) FUZZ_CHECK(IsSpeed(v));
        // The needles and buttons show the last report handled.
        const std::uint32_t state = decoder_.PreviousState();
        for (int selector = 1; selector <= 2; ++selector)
            FUZZ_CHECK(s.needleAngle[static_cast<std::size_t>(selector - 1)] ==
                       RadioInputDecoder::NeedleAngle(selector, state & RadioInputDecoder::SelectorMask(selector)));
        FUZZ_CHECK(s.buttonPressed[0] == ((state & kButtonUpper) != 0));
        FUZZ_CHECK(s.buttonPressed[1] == ((state & kButtonLower) != 0));
    }

    // The host.
    std::uint32_t TickCount() override { return now_; }
    void PumpMessages() override {
        // Now and then a report arrives while a handler lets messages run.
        if (depth_ < 4 && (in_.Byte() & 3) == 3) {
            ++depth_;
            now_ += in_.Byte();
            Deliver();
            --depth_;
        }
    }
    void EnableButtonTimer(bool) override {}
    std::int32_t ClickThreshold() override { return threshold_; }
    void ScreenChanged(std::uint32_t parts) override { FUZZ_CHECK(parts != 0 && parts < (1u << 10)); }

    // The events.
    void RawInput(const Report& report) override {
        // Reports are decoded once each, in the order they arrived.
        FUZZ_CHECK(!sent_.empty() && sent_.front() == report);
        sent_.pop_front();
    }
    void ButtonClick(std::int32_t mask) override { FUZZ_CHECK(IsButton(mask)); }
    void ButtonLongClick(std::int32_t mask) override { FUZZ_CHECK(IsButton(mask)); }
    void ButtonDown(std::int32_t mask) override { FUZZ_CHECK(IsButton(mask)); }
    void ButtonUp(std::int32_t mask) override { FUZZ_CHECK(IsButton(mask)); }
    void RotaryUp(std::int32_t knob, std::int16_t speed) override { FUZZ_CHECK(knob >= 0 && knob < 4 && IsSpeed(speed)); }
    void RotaryDown(std::int32_t knob, std::int16_t speed) override {
        FUZZ_CHECK(knob >= 0 && knob < 4 && IsSpeed(speed));
    }
    void SelectorChange(std::int16_t selector, std::int32_t newValue, std::int32_t previousValue) override {
        FUZZ_CHECK(selector == 1 || selector == 2);
        const auto mask = static_cast<std::int32_t>(RadioInputDecoder::SelectorMask(selector));
        FUZZ_CHECK((newValue & ~mask) == 0 && (previousValue & ~mask) == 0);
    }
    void SetupRequest() override { FUZZ_CHECK(false); }

    FuzzInput& in_;
    RadioInputDecoder decoder_;
    std::int32_t threshold_ = 500;
    std::uint32_t now_ = 0;
    int depth_ = 0;
    std::deque<Report> sent_;  // delivered, not decoded yet
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    Harness harness(in);
    harness.Run();
    return 0;
}
