// Decoding the Multi Panel's input reports: knob and trim steps and speeds,
// selector, buttons with clicks and long clicks, flaps, auto-throttle, and
// the on-screen state.
#include "panels/multi/multi_input.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace orvex::panels::multi;

namespace {

class FakeHost final : public IMultiInputHost {
public:
    std::uint32_t TickCount() override { return now; }
    void EnableButtonTimer(bool enabled) override {
        timerOn = enabled;
        log->push_back(enabled ? "timer on" : "timer off");
    }
    std::int32_t ClickThreshold() override { return threshold; }
    void ScreenChanged(std::uint32_t parts) override { changed |= parts; }

    std::uint32_t now = 1000;
    std::int32_t threshold = 500;
    bool timerOn = false;
    std::uint32_t changed = 0;
    std::vector<std::string>* log = nullptr;
};

class RecordingEvents final : public IMultiPanelEvents {
public:
    void RawInput(const std::array<std::uint8_t, 4>&) override { ++raw; }
    void ButtonClick(std::int32_t m) override { Add("click", m); }
    void ButtonLongClick(std::int32_t m) override { Add("long", m); }
    void ButtonDown(std::int32_t m) override { Add("down", m); }
    void ButtonUp(std::int32_t m) override { Add("up", m); }
    void RotaryUp(std::int16_t s) override { Add("rotup", s); }
    void RotaryDown(std::int16_t s) override { Add("rotdown", s); }
    void TrimUp(std::int16_t s) override { Add("trimup", s); }
    void TrimDown(std::int16_t s) override { Add("trimdown", s); }
    void FlapsUp() override { Add("flapsup"); }
    void FlapsDown() override { Add("flapsdown"); }
    void SelectorChange(std::int32_t v, std::int32_t p) override { Add("sel", v, p); }
    void AutoThrottleChange(bool armed) override { Add("at", armed ? 1 : 0); }
    void SetupRequest() override { Add("setup"); }

    void Add(const std::string& name, long long a = -1, long long b = -1) {
        std::string s = name;
        for (long long v : {a, b})
            if (v != -1) s += " " + std::to_string(v);
        log.push_back(s);
        if (onAdd) onAdd(s);
    }
    std::function<void(const std::string&)> onAdd;  // a handler that lets messages run
    int raw = 0;
    std::vector<std::string> log;
};

using Log = std::vector<std::string>;

class DecoderTest : public ::testing::Test {
protected:
    DecoderTest() { host.log = &events.log; }

    std::array<std::uint8_t, 4> Report(std::uint32_t state) const {
        return {0, static_cast<std::uint8_t>(state >> 16), static_cast<std::uint8_t>(state >> 8),
                static_cast<std::uint8_t>(state)};
    }
    // A report of a state word, `dt` ms after the last one.
    void Send(std::uint32_t state, std::uint32_t dt = 5) {
        host.now += dt;
        decoder.OnRawInput(Report(state));
    }
    // Selector at ALT, first report consumed, log cleared.
    void Settle() {
        Send(kAlt);
        events.log.clear();
        host.changed = 0;
    }
    // `n` set/clear pairs of one pulse bit (selector held at ALT).
    void Pairs(std::uint32_t bit, int n) {
        for (int i = 0; i < n; ++i) {
            Send(kAlt | bit);
            Send(kAlt);
        }
    }
    int Count(const std::string& prefix) const {
        int n = 0;
        for (const auto& e : events.log) n += e.rfind(prefix, 0) == 0;
        return n;
    }

    static constexpr std::uint32_t kAlt = static_cast<std::uint32_t>(kSelectorAlt);
    RecordingEvents events;
    FakeHost host;
    MultiInputDecoder decoder{host, events};
};

TEST(MultiTranslation, SelectorBitsButtonMasksAndLampBits) {
    EXPECT_EQ(SelectorIndex(0x010000), 1);
    EXPECT_EQ(SelectorIndex(0x100000), 5);
    EXPECT_EQ(SelectorIndex(0x030000), 0);  // two positions at once: none
    EXPECT_EQ(SelectorIndex(0), 0);
    EXPECT_EQ(ButtonIndex(0x800000), 1);
    EXPECT_EQ(ButtonIndex(0x400), 4);
    EXPECT_EQ(ButtonIndex(0x4000), 8);
    EXPECT_EQ(ButtonIndex(0x8000), 0);  // the auto-throttle switch is no button
    const std::int32_t masks[8] = {0x800000, 0x100, 0x200, 0x400, 0x800, 0x1000, 0x2000, 0x4000};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(LampBit(masks[i]), 1u << i) << i;
    EXPECT_EQ(LampBit(0x10000), 0);
}

TEST(MultiScreenLabels, NeedleAnglesAndModeLabels) {
    EXPECT_EQ(NeedleAngle(kSelectorAlt), 0);
    EXPECT_EQ(NeedleAngle(kSelectorVs), 320);
    EXPECT_EQ(NeedleAngle(kSelectorIas), 285);
    EXPECT_EQ(NeedleAngle(kSelectorHdg), 255);
    EXPECT_EQ(NeedleAngle(kSelectorCrs), 210);
    EXPECT_STREQ(UpperModeLabel(kSelectorVs), "ALT");
    EXPECT_STREQ(LowerModeLabel(kSelectorVs), " VS");
    EXPECT_STREQ(UpperModeLabel(kSelectorCrs), "CRS");
    EXPECT_STREQ(LowerModeLabel(kSelectorCrs), "");
    EXPECT_STREQ(UpperModeLabel(0), "");
}

TEST_F(DecoderTest, FirstReportRaisesSelectorAndAutoThrottle) {
    Send(static_cast<std::uint32_t>(kSelectorHdg));
    EXPECT_EQ(events.log, (Log{"sel 524288 0", "at 0"}));
    EXPECT_EQ(events.raw, 1);
    EXPECT_EQ(decoder.Screen().selector, kSelectorHdg);
    EXPECT_EQ(decoder.Screen().needleAngle, 255);
    // The same state again raises nothing but RawInput.
    Send(static_cast<std::uint32_t>(kSelectorHdg));
    EXPECT_EQ(events.log.size(), 2u);
    EXPECT_EQ(events.raw, 2);
    Send(static_cast<std::uint32_t>(kSelectorCrs) | kAutoThrottleBit);
    EXPECT_EQ(events.log, (Log{"sel 524288 0", "at 0", "sel 1048576 524288", "at 1"}));
    EXPECT_TRUE(decoder.Screen().autoThrottleArmed);
}

TEST_F(DecoderTest, KnobRaisesOneStepPerTwoPulsesAndStaleDropsRaiseNothing) {
    Settle();
    Pairs(kKnobUpBit, 4);
    EXPECT_EQ(events.log, (Log{"rotup 1", "rotup 1"}));
    EXPECT_EQ(decoder.Screen().knobAngle, 30);
    events.log.clear();
    Pairs(kKnobDownBit, 2);
    EXPECT_EQ(events.log, (Log{"rotdown 1"}));
    EXPECT_EQ(decoder.Screen().knobAngle, 15);

    // One pulse arms the toggle; a drop more than 200 ms later raises
    // nothing and leaves the toggle armed.
    events.log.clear();
    Pairs(kKnobUpBit, 1);
    Send(kAlt | kKnobUpBit);
    Send(kAlt, 200);
    EXPECT_TRUE(events.log.empty());
    Pairs(kKnobUpBit, 1);
    EXPECT_EQ(events.log, (Log{"rotup 1"}));
}

TEST_F(DecoderTest, OtherInputsBetweenKnobPulsesDoNotCountAsDrops) {
    Settle();
    Send(kAlt | kKnobUpBit);
    Send(kAlt);                 // drop: toggle armed
    Send(kAlt | kFlapsUpBit);   // another input's report, no knob bit
    Send(kAlt);
    EXPECT_EQ(Count("rotup"), 0);
    Send(kAlt | kKnobUpBit);
    Send(kAlt);
    EXPECT_EQ(Count("rotup"), 1);
}

TEST_F(DecoderTest, KnobSpeedFollowsPulsesPerPeriod) {
    Settle();
    const auto pulses = [&](int n) {
        for (int i = 0; i < n; ++i) {
            Send(kAlt | kKnobUpBit, 1);
            Send(kAlt, 1);
        }
        decoder.OnRotSpeedTimer();
        return decoder.KnobSpeed();
    };
    EXPECT_EQ(pulses(10), 1);   // 10 pulses: unchanged
    EXPECT_EQ(pulses(11), 5);
    EXPECT_EQ(pulses(10), 5);   // a growth of 1-10 keeps the speed
    EXPECT_EQ(pulses(14), 10);
    EXPECT_EQ(pulses(17), 20);
    EXPECT_EQ(pulses(0), 1);    // an idle period
    EXPECT_NE(host.changed & screen::kKnobSpeed, 0u);
    EXPECT_EQ(decoder.TrimSpeed(), 1);  // the trim wheel has its own count
    // Steps carry the speed of their moment.
    pulses(17);
    events.log.clear();
    Pairs(kKnobDownBit, 2);
    EXPECT_EQ(events.log, (Log{"rotdown 20"}));
}

TEST_F(DecoderTest, TrimWheelStepsSpeedsAndItsLongerWindow) {
    Settle();
    Pairs(kTrimUpBit, 2);
    Pairs(kTrimDownBit, 2);
    EXPECT_EQ(events.log, (Log{"trimup 1", "trimdown 1"}));
    EXPECT_EQ(decoder.Screen().trimAngle, 0);  // +15, then -15

    // A drop 240 ms after its pulse still counts (250 ms window).
    events.log.clear();
    Pairs(kTrimUpBit, 1);
    Send(kAlt | kTrimUpBit);
    Send(kAlt, 240);
    EXPECT_EQ(events.log, (Log{"trimup 1"}));

    const auto pulses = [&](int n) {
        for (int i = 0; i < n; ++i) {
            Send(kAlt | kTrimDownBit, 1);
            Send(kAlt, 1);
        }
        decoder.OnTrimSpeedTimer();
        return decoder.TrimSpeed();
    };
    pulses(0);  // measures the steps above
    EXPECT_EQ(pulses(0), 1);
    EXPECT_EQ(pulses(5), 1);
    EXPECT_EQ(pulses(6), 5);
    EXPECT_EQ(pulses(10), 10);
    EXPECT_EQ(pulses(13), 20);
    EXPECT_EQ(decoder.KnobSpeed(), 1);
    // Trim speed measuring off: the speed stays where it is.
    decoder.SetTrimAcceleration(0);
    EXPECT_EQ(decoder.TrimSpeedPeriod(), 0u);
    EXPECT_EQ(pulses(0), 20);
    decoder.SetTrimAcceleration(4);
    EXPECT_EQ(decoder.TrimSpeedPeriod(), 12u);
    EXPECT_EQ(pulses(0), 1);
}

TEST_F(DecoderTest, SpeedPeriods) {
    EXPECT_EQ(decoder.RotSpeedPeriod(), 200u);
    EXPECT_EQ(decoder.TrimSpeedPeriod(), 200u);
    decoder.SetRotAcceleration(10);
    EXPECT_EQ(decoder.RotSpeedPeriod(), 80u);
    decoder.SetRotAcceleration(-100);
    EXPECT_EQ(decoder.RotSpeedPeriod(), 1u);
    decoder.SetTrimAcceleration(-3);
    EXPECT_EQ(decoder.TrimSpeedPeriod(), 0u);
}

TEST_F(DecoderTest, ButtonsClickBeforeTheThresholdAndLongClickAfterIt) {
    Settle();
    Send(kAlt | static_cast<std::uint32_t>(kButtonAp));
    EXPECT_TRUE(host.timerOn);
    EXPECT_TRUE(decoder.Screen().buttonPressed[1]);
    host.now += 100;
    decoder.OnButtonTimer();  // not yet
    Send(kAlt, 100);
    EXPECT_EQ(events.log, (Log{"down 8388608", "timer on", "up 8388608", "timer off", "click 8388608"}));
    EXPECT_FALSE(decoder.Screen().buttonPressed[1]);
    EXPECT_NE(host.changed & screen::Button(1), 0u);

    events.log.clear();
    Send(kAlt | static_cast<std::uint32_t>(kButtonRev));
    host.now += 501;
    decoder.OnButtonTimer();
    decoder.OnButtonTimer();  // once only
    Send(kAlt);
    EXPECT_EQ(events.log, (Log{"down 16384", "timer on", "timer off", "long 16384", "up 16384"}));
}

TEST_F(DecoderTest, ReleaseExactlyAtTheThresholdLeavesTheLongClickToTheTimer) {
    Settle();
    Send(kAlt | static_cast<std::uint32_t>(kButtonNav));
    Send(kAlt, 500);
    EXPECT_EQ(Count("click"), 0);
    EXPECT_TRUE(host.timerOn);
    host.now += 1;
    decoder.OnButtonTimer();
    EXPECT_EQ(events.log.back(), "long 512");
}

TEST_F(DecoderTest, ButtonsOfOneReportInTheirOrderAndOnlyTheLastPressIsTimed) {
    Settle();
    // All eight at once: raised AP, HDG, NAV, REV, ALT, VS, APR, IAS.
    Send(kAlt | 0x800000 | 0x7F00);
    Log downs;
    for (const auto& e : events.log)
        if (e.rfind("down", 0) == 0) downs.push_back(e);
    EXPECT_EQ(downs, (Log{"down 8388608", "down 256", "down 512", "down 16384", "down 2048", "down 4096",
                          "down 8192", "down 1024"}));
    events.log.clear();

    // Two buttons: the timer tracks the one pressed last.
    Send(kAlt);
    Send(kAlt | static_cast<std::uint32_t>(kButtonHdg), 1000);
    Send(kAlt | static_cast<std::uint32_t>(kButtonHdg | kButtonVs), 300);
    host.now += 400;  // 700 ms after HDG, 400 after VS
    decoder.OnButtonTimer();
    EXPECT_EQ(Count("long"), 0);
    host.now += 101;
    decoder.OnButtonTimer();
    EXPECT_EQ(events.log.back(), "long 4096");
}

TEST_F(DecoderTest, FlapsRaiseOnlyWhenTheLeverReachesAnEnd) {
    Settle();
    Send(kAlt | kFlapsUpBit);
    EXPECT_EQ(decoder.Screen().flaps, 1);
    Send(kAlt | kFlapsUpBit);
    Send(kAlt);
    EXPECT_EQ(decoder.Screen().flaps, 0);
    Send(kAlt | kFlapsDownBit);
    EXPECT_EQ(decoder.Screen().flaps, -1);
    Send(kAlt);
    EXPECT_EQ(events.log, (Log{"flapsup", "flapsdown"}));
    EXPECT_NE(host.changed & screen::kFlaps, 0u);
}

TEST_F(DecoderTest, PositionsRaiseTheSelectorWithoutDisturbingTheDecoding) {
    Settle();
    decoder.RaisePositions(static_cast<std::uint32_t>(kSelectorIas) | kAutoThrottleBit | 0x800000);
    EXPECT_EQ(events.log, (Log{"sel 262144 0"}));
    EXPECT_EQ(decoder.Screen().selector, kSelectorIas);
    EXPECT_EQ(decoder.PreviousState(), kAlt);
    // The next report is compared with the last one decoded.
    Send(kAlt);
    EXPECT_EQ(events.log.size(), 1u);
}

TEST_F(DecoderTest, ReportsArrivingDuringAHandlerWaitTheirTurn) {
    Settle();
    bool inner = false;
    events.onAdd = [&](const std::string& e) {
        if (e == "down 256" && !inner) {
            inner = true;
            // A handler that lets messages run meets the release report.
            Send(kAlt, 50);
            EXPECT_EQ(events.log.back(), "down 256");
        }
    };
    Send(kAlt | static_cast<std::uint32_t>(kButtonHdg));
    EXPECT_EQ(events.log, (Log{"down 256", "timer on", "up 256", "timer off", "click 256"}));
    EXPECT_EQ(decoder.DroppedReports(), 0u);
}

TEST_F(DecoderTest, TickCountWrapDoesNotBreakPulsesOrClicks) {
    host.now = 0xFFFFFFF0u;
    Settle();
    Pairs(kKnobUpBit, 2);  // across the wrap
    EXPECT_EQ(Count("rotup"), 1);
    Send(kAlt | static_cast<std::uint32_t>(kButtonApr));
    Send(kAlt, 20);
    EXPECT_EQ(events.log.back(), "click 8192");
}

} // namespace
