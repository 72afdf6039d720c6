// Decoding the Radio Panel's input reports: knob steps and speeds,
// selectors, clicks and long clicks, positions and the on-screen state.
#include "panels/radio/radio_input.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace orvex::panels::radio;

namespace {

class FakeHost final : public IRadioInputHost {
public:
    std::uint32_t TickCount() override { return now; }
    void PumpMessages() override { log->push_back("pump"); }
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

class RecordingEvents final : public IRadioPanelEvents {
public:
    void RawInput(const std::array<std::uint8_t, 4>&) override { ++raw; }
    void ButtonClick(std::int32_t m) override { Add("click", m); }
    void ButtonLongClick(std::int32_t m) override { Add("long", m); }
    void ButtonDown(std::int32_t m) override { Add("down", m); }
    void ButtonUp(std::int32_t m) override { Add("up", m); }
    void RotaryUp(std::int32_t k, std::int16_t s) override { Add("rotup", k, s); }
    void RotaryDown(std::int32_t k, std::int16_t s) override { Add("rotdown", k, s); }
    void SelectorChange(std::int16_t sel, std::int32_t v, std::int32_t p) override { Add("sel", sel, v, p); }
    void SetupRequest() override { Add("setup"); }

    void Add(const std::string& name, long long a = -1, long long b = -1, long long c = -1) {
        std::string s = name;
        for (long long v : {a, b, c})
            if (v != -1) s += " " + std::to_string(v);
        log.push_back(s);
        if (onAdd) onAdd(s);
    }
    std::function<void(const std::string&)> onAdd;  // a handler that lets messages run
    int raw = 0;
    std::vector<std::string> log;
};

class DecoderTest : public ::testing::Test {
protected:
    DecoderTest() { host.log = &events.log; }

    // A report of a state word, `dt` ms after the last one.
    void Send(std::uint32_t state, std::uint32_t dt = 5) {
        host.now += dt;
        decoder.OnRawInput({0, static_cast<std::uint8_t>(state >> 16), static_cast<std::uint8_t>(state >> 8),
                            static_cast<std::uint8_t>(state)});
    }
    // Selectors at COM1, first report consumed, log cleared.
    void Settle() {
        Send(kCom1Both);
        events.log.clear();
        host.changed = 0;
    }
    // `n` set/clear pairs of one pulse bit (selectors held at COM1).
    void Pairs(std::uint32_t bit, int n) {
        for (int i = 0; i < n; ++i) {
            Send(kCom1Both | bit);
            Send(kCom1Both);
        }
    }
    int Count(const std::string& prefix) const {
        int n = 0;
        for (const auto& e : events.log) n += e.rfind(prefix, 0) == 0;
        return n;
    }

    static constexpr std::uint32_t kCom1Both = 0x010000 | 0x800000;
    RecordingEvents events;
    FakeHost host;
    RadioInputDecoder decoder{host, events};
};

} // namespace

TEST(RadioInputWord, StateWordAndNeedleAngles) {
    EXPECT_EQ(RadioInputDecoder::StateWord({0x00, 0x12, 0x34, 0x56}), 0x123456u);
    const std::uint32_t upper[7] = {0x010000, 0x020000, 0x040000, 0x080000, 0x100000, 0x200000, 0x400000};
    const std::uint32_t lower[7] = {0x800000, 0x000100, 0x000200, 0x000400, 0x000800, 0x001000, 0x002000};
    const int angles[7] = {0, 38, 71, 108, 131, 158, 195};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(RadioInputDecoder::NeedleAngle(1, upper[i]), angles[i]) << i;
        EXPECT_EQ(RadioInputDecoder::NeedleAngle(2, lower[i]), angles[i]) << i;
    }
    EXPECT_EQ(RadioInputDecoder::NeedleAngle(1, 0), 0);
    EXPECT_EQ(RadioInputDecoder::NeedleAngle(1, 0x060000), 0) << "two positions at once";
    EXPECT_EQ(RadioInputDecoder::NeedleAngle(1, 0x000100), 0) << "a lower position on the upper selector";
}

TEST_F(DecoderTest, OneKnobStepForEveryTwoPulsePairs) {
    Settle();
    Pairs(0x01, 1);
    EXPECT_EQ(Count("rot"), 0);
    Pairs(0x01, 1);
    EXPECT_EQ(events.log, (std::vector<std::string>{"rotup 0 1"}));
    Pairs(0x01, 4);
    EXPECT_EQ(Count("rotup 0"), 3);
    EXPECT_EQ(decoder.Screen().knobAngle[0], 45);
    EXPECT_TRUE(host.changed & screen::Knob(0));

    // Counter-clockwise on the lower outer ring: the mark wraps below 0.
    Pairs(0x80, 2);
    EXPECT_EQ(events.log.back(), "rotdown 3 1");
    EXPECT_EQ(decoder.Screen().knobAngle[3], 345);
    EXPECT_EQ(Count("rotup 1") + Count("rotup 2") + Count("rotdown 0"), 0);
    EXPECT_EQ(events.raw, 1 + 12 + 4);

    // A clear report long after the last set raises nothing and keeps the
    // toggle: here it stays armed, so the next pair raises at once.
    Send(kCom1Both, 250);  // every earlier pulse is stale now
    events.log.clear();
    Send(kCom1Both | 0x04);
    Send(kCom1Both);  // toggle of knob 1 up: armed
    Send(kCom1Both, 250);
    EXPECT_EQ(Count("rot"), 0);
    Pairs(0x04, 1);
    EXPECT_EQ(events.log, (std::vector<std::string>{"rotup 1 1"}));
}

TEST_F(DecoderTest, BitsNeverSetRaiseNothingWhateverTheClock) {
    // Right after the clock's start, and once it has passed 2^31 ms.
    for (std::uint32_t start : {0u, 0x90000000u}) {
        RecordingEvents fresh;
        FakeHost clock;
        clock.log = &fresh.log;
        RadioInputDecoder d(clock, fresh);
        clock.now = start;
        for (int i = 0; i < 6; ++i) {
            d.OnRawInput({0, 0x81, 0x00, 0x00});
            clock.now += 5;
        }
        for (const auto& e : fresh.log) EXPECT_EQ(e.rfind("rot", 0), std::string::npos) << start << ": " << e;
    }
    // A pulse whose clear report comes after a 2^31 ms gap is stale.
    Settle();
    Pairs(0x01, 1);  // armed
    Send(kCom1Both | 0x01);
    Send(kCom1Both, 0x80000010u);
    EXPECT_EQ(Count("rot"), 0);
}

TEST_F(DecoderTest, OtherInputsBetweenPulsesDoNotCountAsPulses) {
    Settle();
    Pairs(0x01, 1);  // armed
    // A button and a selector move right after the pulse: their reports
    // carry the knob bit clear, but it did not drop in them.
    Send(kCom1Both | kButtonUpper);
    Send(kCom1Both);
    Send(0x020000 | 0x800000);
    EXPECT_EQ(Count("rot"), 0);
    Pairs(0x01, 1);
    EXPECT_EQ(Count("rotup 0 1"), 1);

    // Two knobs of a selector turned together, their pulses interleaved.
    events.log.clear();
    for (int i = 0; i < 4; ++i) {
        Send(kCom1Both | 0x01);
        Send(kCom1Both);
        Send(kCom1Both | 0x08);
        Send(kCom1Both);
    }
    EXPECT_EQ(events.log, (std::vector<std::string>{"rotup 0 1", "rotdown 1 1", "rotup 0 1", "rotdown 1 1"}));
}

TEST_F(DecoderTest, SpeedFollowsThePulsesOfEachSelectorPeriod) {
    Settle();
    decoder.OnSpeedTimer(1);
    decoder.OnSpeedTimer(2);  // both idle: speed 1, counters 0
    struct Case {
        int pulses;
        int speed;
    };
    // Growth per period; the speed holds through 1-10 pulses.
    for (Case c : {Case{11, 5}, Case{10, 5}, Case{14, 10}, Case{1, 10}, Case{17, 20}, Case{16, 10}, Case{0, 1}}) {
        for (int i = 0; i < c.pulses; ++i) {
            Send(kCom1Both | 0x01);
            Send(kCom1Both);
        }
        decoder.OnSpeedTimer(1);
        EXPECT_EQ(decoder.Speed(1), c.speed) << c.pulses << " pulses";
        EXPECT_EQ(decoder.Speed(2), 1) << "the other selector's speed is its own";
        decoder.OnSpeedTimer(2);
    }
    EXPECT_EQ(decoder.Screen().speed[0], 1);

    // Both rings of the upper knob share one counter: 6 + 6 pulses give 5,
    // and each ring's events carry it.
    for (int i = 0; i < 6; ++i) {
        Send(kCom1Both | 0x01 | 0x04);
        Send(kCom1Both);
    }
    decoder.OnSpeedTimer(1);
    EXPECT_EQ(decoder.Speed(1), 5);
    events.log.clear();
    Pairs(0x05, 2);
    EXPECT_EQ(events.log, (std::vector<std::string>{"rotup 0 5", "rotup 1 5"}));
    EXPECT_TRUE(host.changed & screen::kSpeedUpper);
    EXPECT_FALSE(host.changed & screen::kSpeedLower);

    // The lower selector's knobs count on their own.
    for (int i = 0; i < 12; ++i) {
        Send(kCom1Both | 0x20);
        Send(kCom1Both);
    }
    decoder.OnSpeedTimer(2);
    EXPECT_EQ(decoder.Speed(2), 5);
}

TEST_F(DecoderTest, SelectorsReportTheFirstReportAndEachMove) {
    Send(kCom1Both);
    EXPECT_EQ(events.log, (std::vector<std::string>{"sel 1 65536 0", "sel 2 8388608 0"}));
    events.log.clear();
    Send(kCom1Both);
    EXPECT_TRUE(events.log.empty()) << "nothing changed";
    Send(0x080000 | 0x002000);
    EXPECT_EQ(events.log, (std::vector<std::string>{"sel 1 524288 65536", "sel 2 8192 8388608"}));
    EXPECT_EQ(decoder.Screen().needleAngle[0], 108);
    EXPECT_EQ(decoder.Screen().needleAngle[1], 195);
    events.log.clear();
    Send(0x080000 | 0x000800 | 0x01);  // lower to ADF, knob bit and no upper move
    EXPECT_EQ(events.log, (std::vector<std::string>{"sel 2 2048 8192"}));
    EXPECT_EQ(decoder.PreviousState(), 0x080801u);
}

TEST_F(DecoderTest, ShortPressClicksBeforeUpAndStopsTheTimer) {
    Settle();
    Send(kCom1Both | kButtonUpper);
    EXPECT_EQ(events.log, (std::vector<std::string>{"down 16384", "timer on"}));
    EXPECT_TRUE(decoder.Screen().buttonPressed[0]);
    EXPECT_TRUE(host.changed & screen::kButtonUpper);
    host.now += 300;
    decoder.OnButtonTimer();
    EXPECT_EQ(Count("long"), 0);
    events.log.clear();
    Send(kCom1Both, 199);  // released 499 ms after the press
    EXPECT_EQ(events.log, (std::vector<std::string>{"timer off", "click 16384", "pump", "up 16384", "pump"}));
    EXPECT_FALSE(decoder.Screen().buttonPressed[0]);
}

TEST_F(DecoderTest, PressOfExactlyTheThresholdIsALongClickOnTheNextTick) {
    Settle();
    Send(kCom1Both | kButtonLower);
    host.now += 500;
    decoder.OnButtonTimer();
    EXPECT_EQ(Count("long"), 0) << "not past the threshold yet";
    events.log.clear();
    Send(kCom1Both, 0);  // released at exactly 500 ms
    EXPECT_EQ(events.log, (std::vector<std::string>{"up 32768", "pump"}));
    EXPECT_TRUE(host.timerOn);
    host.now += 15;
    events.log.clear();
    decoder.OnButtonTimer();
    // The late long click is followed by a release of its own, so that a
    // virtual button it pressed does not stay pressed.
    EXPECT_EQ(events.log, (std::vector<std::string>{"timer off", "long 32768", "up 32768", "pump"}));

    // Held past the threshold: one long click while held, then only Up.
    events.log.clear();
    Send(kCom1Both | kButtonUpper);
    host.now += 501;
    decoder.OnButtonTimer();
    decoder.OnButtonTimer();
    EXPECT_EQ(Count("long 16384"), 1);
    Send(kCom1Both, 300);
    EXPECT_EQ(Count("click"), 0);
    EXPECT_EQ(events.log.back(), "pump");
    EXPECT_EQ(events.log[events.log.size() - 2], "up 16384");
}

TEST_F(DecoderTest, PositionsAndAcceleration) {
    Settle();
    decoder.RaisePositions(0x080000 | 0x002000 | 0x4001);
    EXPECT_EQ(events.log, (std::vector<std::string>{"sel 1 524288 0", "sel 2 8192 0"}));
    EXPECT_EQ(decoder.Screen().needleAngle[0], 108);
    EXPECT_EQ(decoder.Screen().needleAngle[1], 195);
    EXPECT_EQ(decoder.PreviousState(), kCom1Both) << "the decoding's previous word is kept";
    events.log.clear();
    Send(kCom1Both);
    EXPECT_TRUE(events.log.empty()) << "a report like the previous one raises no selector change";

    EXPECT_EQ(decoder.SpeedPeriod(1), 100u);
    EXPECT_EQ(decoder.GetAcceleration(1), -17) << "100 ms reads back as -16.67, rounded";
    decoder.SetAcceleration(1, 10);
    EXPECT_EQ(decoder.SpeedPeriod(1), 80u);
    decoder.SetAcceleration(2, 100);
    EXPECT_EQ(decoder.SpeedPeriod(2), 350u);
    EXPECT_EQ(decoder.GetAcceleration(2), 67);
    EXPECT_EQ(decoder.SpeedPeriod(1), 80u);
    decoder.SetAcceleration(1, -100);
    EXPECT_EQ(decoder.SpeedPeriod(1), 1u) << "never zero or negative";
    decoder.SetAcceleration(3, 5);
    EXPECT_EQ(decoder.GetAcceleration(3), 0);
    decoder.SetAcceleration(2, 32767);
    EXPECT_EQ(decoder.SpeedPeriod(2), 98351u);
}

TEST_F(DecoderTest, ReportsArrivingDuringAHandlerWaitTheirTurn) {
    Settle();
    Send(kCom1Both | kButtonUpper);
    events.log.clear();
    // While the click is handled, the upper selector moves and the button
    // goes down again.
    events.onAdd = [&](const std::string& e) {
        if (e != "click 16384") return;
        events.onAdd = nullptr;
        Send(0x020000 | 0x800000);
        Send(0x020000 | 0x800000 | kButtonUpper);
    };
    Send(kCom1Both);
    EXPECT_EQ(events.log, (std::vector<std::string>{"timer off", "click 16384", "pump", "up 16384", "pump",
                                                    "sel 1 131072 65536", "down 16384", "timer on"}));
    EXPECT_EQ(events.raw, 2 + 3);
    EXPECT_EQ(decoder.PreviousState(), 0x820000u | kButtonUpper);

    // A handler that holds on while far too many reports come in: the
    // excess is dropped, the rest decoded in order.
    events.onAdd = [&](const std::string& e) {
        if (e != "up 16384") return;
        events.onAdd = nullptr;
        for (int i = 0; i < 300; ++i) Send(0x820000 | (i % 2 ? 0x01u : 0u));
    };
    Send(0x820000);
    EXPECT_EQ(decoder.DroppedReports(), 300u - 256u);
    EXPECT_EQ(Count("rotup 0"), 63) << "the first 256 reports hold 127 set/clear pairs";
}
