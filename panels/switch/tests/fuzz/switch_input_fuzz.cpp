// The Switch Panel's input decoder fed any sequence of 4-byte reports,
// re-raised positions and reports that arrive while an event handler runs.
// Nothing may crash, every event names a real input, the on-screen copy
// follows the last report decoded, and every report reaches RawInput once,
// in arrival order, unless the queue of reports arriving during a handler
// was full (it is then dropped and counted).
#include "panels/switch/switch_input.h"

#include "tests/support/fuzz_input.h"
#include "tests/support/fuzz_reports.h"

#include <deque>

namespace {

// Reports the decoder holds while a handler runs; one more is dropped.
constexpr std::size_t kQueueCapacity = 256;

using namespace orvex::panels::switchpanel;
using orvex::fuzzing::FuzzInput;
using Report = std::array<std::uint8_t, 4>;

class Harness final : public ISwitchInputHost, public ISwitchPanelEvents {
public:
    explicit Harness(FuzzInput& in) : in_(in), decoder_(*this, *this) {}

    void Run() {
        while (!in_.Empty()) {
            const std::uint8_t op = in_.Byte();
            if (op % 8 == 7) {
                // The positions replayed are the ones the last report gave.
                decoder_.ReplayPositions();
            } else {
                Deliver();
            }
            // Whatever arrived during the events was handled after them.
            CheckScreen(decoder_.PreviousState());
        }
        FUZZ_CHECK(sent_.empty());
    }

private:
    void Deliver() {
        Report r{in_.Byte(), in_.Byte(), in_.Byte(), in_.Byte()};
        orvex::fuzzing::DeliverReport(decoder_, sent_, r, kQueueCapacity, depth_ > 0);
    }
    void MaybeNested() {
        if (depth_ < 4 && (in_.Byte() & 7) == 7) {
            ++depth_;
            Deliver();
            --depth_;
        }
    }
    // The copy shows the state word last decoded or raised.
    void CheckScreen(std::uint32_t state) {
        const SwitchScreen& s = decoder_.Screen();
        FUZZ_CHECK(s.selector >= kNoSwitch && s.selector <= kSelStart);
        if (s.selector != kNoSwitch) FUZZ_CHECK((state & kSelectorMask) == SwitchBit(s.selector));
        for (int n = 0; n < kTwoPositionCount; ++n)
            FUZZ_CHECK(s.switchOn[static_cast<std::size_t>(n)] == ((state & SwitchBit(kFirstTwoPosition + n)) != 0));
        const LeverPosition gear = state & kGearDownBit ? LeverPosition::Down
                                   : state & kGearUpBit ? LeverPosition::Up
                                                        : LeverPosition::None;
        FUZZ_CHECK(s.gear == gear);
    }

    void ScreenChanged(std::uint32_t parts) override { FUZZ_CHECK(parts != 0 && parts < (1u << 16)); }

    void RawInput(const Report& report) override {
        FUZZ_CHECK(!sent_.empty() && sent_.front() == report);
        sent_.pop_front();
    }
    void SwitchChange(std::int32_t switchBit, bool) override {
        const int index = SwitchIndexOf(switchBit);
        FUZZ_CHECK(index >= kFirstTwoPosition && index < kFirstTwoPosition + kTwoPositionCount);
        MaybeNested();
    }
    void SelectorChange(std::int32_t newBit, std::int32_t previousBit) override {
        const auto mask = static_cast<std::int32_t>(kSelectorMask);
        FUZZ_CHECK((newBit & ~mask) == 0 && (previousBit & ~mask) == 0);
        MaybeNested();
    }
    void GearUp() override { MaybeNested(); }
    void GearDown() override {}
    void SetupRequest() override { FUZZ_CHECK(false); }

    FuzzInput& in_;
    SwitchInputDecoder decoder_;
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
