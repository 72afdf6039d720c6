// The Multi Panel's input decoder fed any sequence of 4-byte reports with
// any time between them, long-click and speed timer ticks, acceleration
// changes and reports that arrive while an event handler runs. Nothing may
// crash, every event's arguments stay inside their ranges, and every report
// reaches RawInput once, in arrival order, unless the queue of reports
// arriving during a handler was full (it is then dropped and counted).
#include "panels/multi/multi_input.h"

#include "tests/support/fuzz_input.h"
#include "tests/support/fuzz_reports.h"

#include <deque>

namespace {

// Reports the decoder holds while a handler runs; one more is dropped.
constexpr std::size_t kQueueCapacity = 256;

using namespace orvex::panels::multi;
using orvex::fuzzing::FuzzInput;
using Report = std::array<std::uint8_t, 4>;

bool IsSpeed(std::int16_t s) { return s == 1 || s == 5 || s == 10 || s == 20; }
bool IsButton(std::int32_t mask) { return ButtonIndex(mask) != 0; }
bool IsSelector(std::int32_t bits) { return (bits & ~kSelectorMask) == 0; }

class Harness final : public IMultiInputHost, public IMultiPanelEvents {
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
                now_ += decoder_.RotSpeedPeriod();
                decoder_.OnRotSpeedTimer();
                break;
            case 6:
                now_ += decoder_.TrimSpeedPeriod();
                decoder_.OnTrimSpeedTimer();
                break;
            case 7:
                if (op & 0x80) decoder_.RaisePositions(decoder_.PreviousState());
                else if (op & 0x40) decoder_.SetRotAcceleration(static_cast<std::int16_t>(in_.Word()));
                else decoder_.SetTrimAcceleration(static_cast<std::int16_t>(in_.Word()));
                FUZZ_CHECK(decoder_.RotSpeedPeriod() >= 1);
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
    // A handler may let messages run: now and then a report arrives then.
    void MaybeNested() {
        if (depth_ < 4 && (in_.Byte() & 7) == 7) {
            ++depth_;
            now_ += in_.Byte();
            Deliver();
            --depth_;
        }
    }
    void CheckScreen() {
        const MultiScreen& s = decoder_.Screen();
        FUZZ_CHECK(IsSelector(s.selector) && s.needleAngle == NeedleAngle(s.selector));
        FUZZ_CHECK(s.knobAngle >= 0 && s.knobAngle < 360 && s.knobAngle % 15 == 0);
        FUZZ_CHECK(s.trimAngle >= 0 && s.trimAngle < 360 && s.trimAngle % 15 == 0);
        FUZZ_CHECK(s.flaps >= -1 && s.flaps <= 1 && !s.buttonPressed[0]);
        FUZZ_CHECK(IsSpeed(s.knobSpeed) && IsSpeed(s.trimSpeed));
        // The selector, buttons, flaps and auto-throttle show the last report handled.
        const std::uint32_t state = decoder_.PreviousState();
        FUZZ_CHECK(static_cast<std::uint32_t>(s.selector) == (state & static_cast<std::uint32_t>(kSelectorMask)));
        for (int i = 1; i <= 8; ++i)
            FUZZ_CHECK(s.buttonPressed[static_cast<std::size_t>(i)] ==
                       ((state & static_cast<std::uint32_t>(kButtonMasks[static_cast<std::size_t>(i)])) != 0));
        FUZZ_CHECK(s.flaps == (state & kFlapsUpBit ? 1 : state & kFlapsDownBit ? -1 : 0));
        FUZZ_CHECK(s.autoThrottleArmed == ((state & kAutoThrottleBit) != 0));
    }

    // The host.
    std::uint32_t TickCount() override { return now_; }
    void EnableButtonTimer(bool) override {}
    std::int32_t ClickThreshold() override { return threshold_; }
    void ScreenChanged(std::uint32_t parts) override { FUZZ_CHECK(parts != 0 && parts < (1u << 16)); }

    // The events.
    void RawInput(const Report& report) override {
        FUZZ_CHECK(!sent_.empty() && sent_.front() == report);
        sent_.pop_front();
    }
    void ButtonClick(std::int32_t mask) override { FUZZ_CHECK(IsButton(mask)); MaybeNested(); }
    void ButtonLongClick(std::int32_t mask) override { FUZZ_CHECK(IsButton(mask)); MaybeNested(); }
    void ButtonDown(std::int32_t mask) override { FUZZ_CHECK(IsButton(mask)); }
    void ButtonUp(std::int32_t mask) override { FUZZ_CHECK(IsButton(mask)); }
    void RotaryUp(std::int16_t speed) override { FUZZ_CHECK(IsSpeed(speed)); MaybeNested(); }
    void RotaryDown(std::int16_t speed) override { FUZZ_CHECK(IsSpeed(speed)); }
    void TrimUp(std::int16_t speed) override { FUZZ_CHECK(IsSpeed(speed)); }
    void TrimDown(std::int16_t speed) override { FUZZ_CHECK(IsSpeed(speed)); }
    void FlapsUp() override {}
    void FlapsDown() override {}
    void SelectorChange(std::int32_t newValue, std::int32_t previousValue) override {
        FUZZ_CHECK(IsSelector(newValue) && IsSelector(previousValue));
    }
    void AutoThrottleChange(bool) override {}
    void SetupRequest() override { FUZZ_CHECK(false); }

    FuzzInput& in_;
    MultiInputDecoder decoder_;
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
