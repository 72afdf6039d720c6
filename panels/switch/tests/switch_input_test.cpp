#include "panels/switch/switch_input.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace orvex::panels::switchpanel {
namespace {

struct RecordingEvents final : ISwitchPanelEvents {
    std::vector<std::string> log;
    std::function<void()> onEvent; // runs inside every switch event (a handler letting messages run)
    void RawInput(const std::array<std::uint8_t, 4>&) override { log.push_back("raw"); }
    void SwitchChange(std::int32_t bit, bool on) override {
        log.push_back("switch " + std::to_string(SwitchIndexOf(bit)) + (on ? " on" : " off"));
        if (onEvent) onEvent();
    }
    void SelectorChange(std::int32_t n, std::int32_t p) override {
        log.push_back("selector " + std::to_string(SwitchIndexOf(n)) + " from " + std::to_string(SwitchIndexOf(p)));
    }
    void GearUp() override { log.push_back("gear up"); }
    void GearDown() override { log.push_back("gear down"); }
    void SetupRequest() override {}
};

struct RecordingHost final : ISwitchInputHost {
    std::uint32_t changed = 0;
    void ScreenChanged(std::uint32_t parts) override { changed |= parts; }
};

std::array<std::uint8_t, 4> Report(std::uint32_t state) {
    return {0, static_cast<std::uint8_t>(state >> 16), static_cast<std::uint8_t>(state >> 8),
            static_cast<std::uint8_t>(state)};
}

struct DecoderFixture : ::testing::Test {
    RecordingEvents events;
    RecordingHost host;
    SwitchInputDecoder decoder{host, events};
    std::vector<std::string> Feed(std::uint32_t state) {
        events.log.clear();
        decoder.OnRawInput(Report(state));
        return events.log;
    }
};

TEST(SwitchIndices, BitsAndIndicesTranslateBothWays) {
    for (int i = 1; i <= kSwitchCount; ++i) EXPECT_EQ(SwitchIndexOf(static_cast<std::int32_t>(SwitchBit(i))), i);
    EXPECT_EQ(SwitchBit(kSelOff), 0x002000u);
    EXPECT_EQ(SwitchBit(kSelBoth), 0x000001u);
    EXPECT_EQ(SwitchBit(kPanel), 0x800000u);
    EXPECT_EQ(SwitchBit(kGearDown), 0x000008u);
    EXPECT_EQ(SwitchBit(0), 0u);
    EXPECT_EQ(SwitchBit(21), 0u);
    EXPECT_EQ(SwitchIndexOf(0), kNoSwitch);
    EXPECT_EQ(SwitchIndexOf(0x010001), kNoSwitch); // two inputs are no single one
    EXPECT_EQ(SwitchIndexOf(0x1000000), kNoSwitch);
}

TEST_F(DecoderFixture, FirstReportRaisesEveryPositionInPanelOrder) {
    // BAT on, everything else off, magneto OFF, lever DOWN.
    const auto log = Feed(0x010000 | 0x002000 | 0x08);
    std::vector<std::string> expected = {"raw", "selector 1 from 0"};
    for (int i = kBat; i <= kLanding; ++i) expected.push_back("switch " + std::to_string(i) + (i == kBat ? " on" : " off"));
    expected.push_back("gear down");
    EXPECT_EQ(log, expected);
    EXPECT_EQ(decoder.Screen().selector, kSelOff);
    EXPECT_TRUE(decoder.Screen().switchOn[0]);
    EXPECT_EQ(decoder.Screen().gear, LeverPosition::Down);
    EXPECT_TRUE(host.changed & screen::kSelector);
    EXPECT_TRUE(host.changed & screen::Switch(0));
    EXPECT_TRUE(host.changed & screen::kGear);
}

TEST_F(DecoderFixture, LaterReportsRaiseOnlyWhatChanged) {
    Feed(0x002000 | 0x08);
    // NAV on and the magneto to R in one report.
    EXPECT_EQ(Feed(0x004000 | 0x000200 | 0x08),
              (std::vector<std::string>{"raw", "selector 2 from 1", "switch 15 on"}));
    // The same report again: nothing.
    EXPECT_EQ(Feed(0x004000 | 0x000200 | 0x08), (std::vector<std::string>{"raw"}));
    // Lever leaves DOWN (nothing), then reaches UP (once).
    EXPECT_EQ(Feed(0x004000 | 0x000200), (std::vector<std::string>{"raw"}));
    EXPECT_EQ(decoder.Screen().gear, LeverPosition::None);
    EXPECT_EQ(Feed(0x004000 | 0x000200 | 0x04), (std::vector<std::string>{"raw", "gear up"}));
    // Straight from UP to DOWN.
    EXPECT_EQ(Feed(0x004000 | 0x000200 | 0x08), (std::vector<std::string>{"raw", "gear down"}));
    // A selector between positions is position 0.
    EXPECT_EQ(Feed(0x000200 | 0x08), (std::vector<std::string>{"raw", "selector 0 from 2"}));
    EXPECT_EQ(decoder.Screen().selector, kNoSwitch);
}

TEST_F(DecoderFixture, ReportsArrivingDuringAHandlerKeepTheirOrder) {
    Feed(0x002000 | 0x08);
    bool nested = false;
    events.onEvent = [&] {
        if (nested) return;
        nested = true;
        // While BAT's handler waits, ALT goes on and BAT off again.
        decoder.OnRawInput(Report(0x010000 | 0x020000 | 0x002000 | 0x08));
        decoder.OnRawInput(Report(0x020000 | 0x002000 | 0x08));
    };
    EXPECT_EQ(Feed(0x010000 | 0x002000 | 0x08),
              (std::vector<std::string>{"raw", "switch 6 on", "raw", "switch 7 on", "raw", "switch 6 off"}));
    EXPECT_EQ(decoder.PreviousState(), 0x020000u | 0x002000u | 0x08u);
    EXPECT_EQ(decoder.DroppedReports(), 0u);
}

// Connection sync: what the simulator is told at connection is what the
// panel last sent, never a state nobody reported.
TEST_F(DecoderFixture, ReplayRaisesTheLastReportsPositionsAndNothingBeforeTheFirst) {
    decoder.ReplayPositions();
    EXPECT_TRUE(events.log.empty()) << "no report yet: nothing is known of the switches";
    EXPECT_FALSE(decoder.HasPositions());

    Feed(0x002000 | 0x08);
    Feed(0x008000 | 0x400000 | 0x04);  // magneto L, COWL on, lever UP
    events.log.clear();
    decoder.ReplayPositions();
    ASSERT_EQ(events.log.size(), 15u);
    EXPECT_EQ(events.log.front(), "selector 3 from 0");
    EXPECT_EQ(events.log[7], "switch 12 on");
    EXPECT_EQ(events.log.back(), "gear up");
    EXPECT_EQ(decoder.PreviousState(), 0x008000u | 0x400000u | 0x04u) << "the decoding goes on from there";
    EXPECT_EQ(Feed(0x008000 | 0x04), (std::vector<std::string>{"raw", "switch 12 off"}));
}

TEST_F(DecoderFixture, AReplayAskedForDuringAHandlerWaitsForTheReportInHand) {
    Feed(0x002000 | 0x08);
    bool nested = false;
    events.onEvent = [&] {
        if (nested) return;
        nested = true;
        // While BAT's handler waits, the simulator connects (a replay) and
        // then ALT goes on.
        decoder.ReplayPositions();
        decoder.OnRawInput(Report(0x010000 | 0x020000 | 0x002000 | 0x08));
    };
    const auto log = Feed(0x010000 | 0x002000 | 0x08);
    ASSERT_EQ(log.size(), 2u + 15u + 2u);
    EXPECT_EQ(log[0], "raw");
    EXPECT_EQ(log[1], "switch 6 on");
    EXPECT_EQ(log[2], "selector 1 from 0") << "the replay after BAT's report, with BAT on";
    EXPECT_EQ(log[3], "switch 6 on");
    EXPECT_EQ(log[4], "switch 7 off");
    EXPECT_EQ(log[17], "raw");
    EXPECT_EQ(log[18], "switch 7 on");
}

} // namespace
} // namespace orvex::panels::switchpanel
