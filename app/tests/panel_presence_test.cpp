#include "app/panel_presence.h"

#include <gtest/gtest.h>

namespace orvex::app {
namespace {

constexpr int kRadio = 0;
constexpr int kMulti = 1;
const std::string kA = "\\\\?\\hid#vid_06a3&pid_0d05#a";
const std::string kB = "\\\\?\\hid#vid_06a3&pid_0d05#b";
const std::string kC = "\\\\?\\hid#vid_06a3&pid_0d05#c";

TEST(MatchSlots, APanelThatComesBackGetsItsOwnSlotEvenBehindANewOne) {
    std::vector<PanelSlot> slots{{kRadio, 1, kA, false}, {kRadio, 2, kB, false}, {kMulti, 1, "m", true}};
    // B listed first, then a path never seen: B goes back to slot 2 although
    // slot 1 is the first vacant one; C takes slot 1.
    const SlotMatch match = MatchSlots(slots, kRadio, {kC, kB});
    ASSERT_EQ(match.Arrivals.size(), 2u);
    EXPECT_EQ(match.Arrivals[0].Path, kC);
    EXPECT_EQ(match.Arrivals[0].Slot, 0u);
    EXPECT_EQ(match.Arrivals[0].Number, 1);
    EXPECT_EQ(match.Arrivals[1].Slot, 1u);
    EXPECT_EQ(match.Arrivals[1].Number, 2);
    EXPECT_TRUE(match.Gone.empty());
}

TEST(MatchSlots, PathsCompareWithoutCaseAndAHeldPathIsNoArrival) {
    std::vector<PanelSlot> slots{{kRadio, 1, kA, true}, {kRadio, 2, kB, false}};
    std::string upperB = kB;
    for (char& c : upperB) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const SlotMatch match = MatchSlots(slots, kRadio, {kA, upperB, upperB});
    ASSERT_EQ(match.Arrivals.size(), 1u) << "A is held, B listed twice counts once";
    EXPECT_EQ(match.Arrivals[0].Slot, 1u);
    EXPECT_TRUE(match.Gone.empty());
}

TEST(MatchSlots, PresentSlotsNotListedAreGoneAndAnExtraPanelGetsTheNextNumber) {
    std::vector<PanelSlot> slots{{kRadio, 1, kA, true}, {kRadio, 2, kB, true}, {kMulti, 1, "m", true}};
    const SlotMatch match = MatchSlots(slots, kRadio, {kB, kC});
    ASSERT_EQ(match.Gone, std::vector<std::size_t>{0});
    ASSERT_EQ(match.Arrivals.size(), 1u);
    // Slot 1 is going but still present in this check: C is a third panel.
    EXPECT_EQ(match.Arrivals[0].Slot, SlotMatch::npos);
    EXPECT_EQ(match.Arrivals[0].Number, 3);
    // Another kind is untouched.
    EXPECT_TRUE(MatchSlots(slots, kMulti, {"m"}).Gone.empty());
    EXPECT_EQ(MatchSlots(slots, kMulti, {}).Gone, std::vector<std::size_t>{2});
}

TEST(MatchSlots, APlaceholderSlotThatNeverHadAPanelIsTakenFirst) {
    std::vector<PanelSlot> slots{{kRadio, 1, "", false}};
    const SlotMatch match = MatchSlots(slots, kRadio, {kA});
    ASSERT_EQ(match.Arrivals.size(), 1u);
    EXPECT_EQ(match.Arrivals[0].Slot, 0u);
}

TEST(PanelPresence, ChecksRunOnlyWhileAKnownPanelIsMissing) {
    PanelPresence presence;
    const std::size_t r1 = presence.AddSlot(kRadio, 1, kA, true);
    presence.AddSlot(kMulti, 1, "", false);  // a placeholder: not known, not missing
    EXPECT_EQ(presence.CheckPeriodMs(), 0u);
    EXPECT_EQ(presence.MissingCount(), 0u);

    EXPECT_TRUE(presence.Lost(r1));
    EXPECT_FALSE(presence.Lost(r1)) << "a second report of the same loss releases nothing";
    EXPECT_EQ(presence.CheckPeriodMs(), PanelPresence::kPanelCheckMs);
    EXPECT_EQ(presence.FindByPath(kA), r1);

    // It comes back under a new path: found by that path from now on.
    presence.Restored(r1, kC);
    EXPECT_EQ(presence.CheckPeriodMs(), 0u);
    EXPECT_EQ(presence.FindByPath(kC), r1);
    EXPECT_FALSE(presence.FindByPath(kA));
}

TEST(PanelPresence, ApplyAddsNewSlotsAndMarksGoneOnes) {
    PanelPresence presence;
    presence.AddSlot(kRadio, 1, kA, true);
    SlotMatch match = MatchSlots(presence.Slots(), kRadio, {kB});
    EXPECT_EQ(presence.Apply(match, kRadio), std::vector<std::size_t>{0});
    ASSERT_EQ(match.Arrivals.size(), 1u);
    // A was still present when matched, so B is a new slot, number 2; the
    // program connects it and reports it restored.
    EXPECT_EQ(match.Arrivals[0].Slot, 1u);
    EXPECT_EQ(presence.Slot(1).Number, 2);
    EXPECT_FALSE(presence.Slot(1).Present);
    presence.Restored(1, kB);
    EXPECT_EQ(presence.MissingCount(), 1u) << "A is still missing";
}

TEST(PanelPresence, ServerOutageRetriesQuicklyThenSlowlyAndTellsTheUserOnce) {
    PanelPresence presence;
    presence.AddSlot(kRadio, 1, kA, true);
    presence.AddSlot(kRadio, 2, kB, false);
    presence.AddSlot(kMulti, 1, "m", true);
    EXPECT_EQ(presence.ServerLost(1000), (std::vector<std::size_t>{0, 2}));
    EXPECT_FALSE(presence.ServerUp());
    EXPECT_EQ(presence.CheckPeriodMs(), PanelPresence::kServerFirstRetryMs);

    std::uint64_t now = 1000;
    int told = 0;
    for (int attempt = 1; attempt <= 8; ++attempt) {
        now += presence.CheckPeriodMs();
        if (presence.ServerStartFailed(now)) ++told;
        if (attempt < PanelPresence::kServerQuickRetries) {
            EXPECT_EQ(presence.CheckPeriodMs(), PanelPresence::kServerQuickRetryMs) << attempt;
        }
    }
    EXPECT_EQ(told, 1);
    EXPECT_EQ(presence.CheckPeriodMs(), PanelPresence::kServerRetryMs);
    EXPECT_TRUE(presence.ServerFailing());

    // Started again: the panels are still to be reconnected, so the check
    // goes on at the panels' period; a later outage is told again.
    presence.ServerStarted();
    EXPECT_EQ(presence.CheckPeriodMs(), PanelPresence::kPanelCheckMs);
    presence.ServerLost(now);
    EXPECT_FALSE(presence.ServerStartFailed(now + 100)) << "not before the outage lasted a while";
    EXPECT_TRUE(presence.ServerStartFailed(now + PanelPresence::kServerTellAfterMs));
}

} // namespace
} // namespace orvex::app
