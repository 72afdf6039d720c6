// A simulator that stops answering: Orvex's window keeps taking input, the
// status bar says what is going on, panel events wait for the simulator in
// order, and a simulator gone for longer than the tries last is given up and
// connected again, without a late answer landing anywhere.
#include "tests/app/e2e_fixture.h"
#include "tests/support/input_latency_probe.h"

#include <vector>

namespace orvex::app::win32 {
namespace {

constexpr const char* kNotAnswering = "FSUIPC Status: Simulator not answering";

struct OrvexStall : OrvexEndToEnd {
    void StartConnected() {
        StartPanels("--radio 1");
        ASSERT_TRUE(StartApp());
        ASSERT_TRUE(WaitConnected());
        ASSERT_TRUE(WaitDisplays("123.45|118.00|123.45|118.00")) << Displays(panels, 1);
    }
};

TEST_F(OrvexStall, TenSecondHangKeepsTheWindowAnsweringAndThePanelsFollowAfterIt) {
    StartConnected();
    test::InputLatencyProbe probe;
    ASSERT_TRUE(standin->Ok("fault hang 10000"));
    const ULONGLONG start = ::GetTickCount64();

    ASSERT_TRUE(PumpUntil([&] { return Status(StatusPanel::Status) == kNotAnswering; }, 4000));
    EXPECT_LT(::GetTickCount64() - start, 3000u);
    EXPECT_TRUE(app->State().SimConnected) << "a hang shorter than the tries is no disconnection";
    EXPECT_EQ(Displays(panels, 1), "123.45|118.00|123.45|118.00") << "the last values stay";
    const std::uint64_t skipped = app->Logic().SkippedTicks();
    PumpFor(1000);
    EXPECT_GT(app->Logic().SkippedTicks(), skipped) << "ticks falling due are skipped";

    // The hang ends by itself; the simulator's state reaches the panel again.
    ASSERT_TRUE(PumpUntil([&] { return Status(StatusPanel::Status) == "FSUIPC Status: Connected"; }, 12000));
    EXPECT_GE(::GetTickCount64() - start, 9000u);
    EXPECT_LE(probe.MaxMs(), 250.0) << "longest wait of posted input during the hang";
    EXPECT_GT(probe.Handled(), 100u);
    ASSERT_TRUE(standin->Set(0x034E, {0x50, 0x21}));
    EXPECT_TRUE(WaitDisplays("121.50|118.00|121.50|118.00")) << Displays(panels, 1);
    EXPECT_TRUE(app->State().SimConnected);
}

TEST_F(OrvexStall, PanelEventsDuringAHangReachTheSimulatorInOrderAfterIt) {
    StartConnected();
    ASSERT_TRUE(standin->Ok("clearlog"));
    ASSERT_TRUE(standin->Ok("fault hang 4000"));
    ASSERT_TRUE(PumpUntil([&] { return app->Logic().SkippedTicks() > 20; }, 2000));

    // Three notches up, slowly (no acceleration): three writes queued
    // behind the hang, each going on from the step before.
    ASSERT_TRUE(panels.Ok("turn 1 upper-inner 3 3"));
    PumpFor(100);
    EXPECT_TRUE(app->Link().Busy()) << "still within the hang";

    ASSERT_TRUE(PumpUntil([&] { return standin->Get(0x311A, 2) == std::vector<uint8_t>{0x07, 0x18}; }, 8000))
        << "the last of the steps wins: they arrived in order";
    // Every step's write went out after the hung exchange, none was lost.
    const std::string log = standin->Command("log 1000");
    std::size_t writes = 0;
    for (std::size_t at = log.find("W:0x311A:2"); at != std::string::npos; at = log.find("W:0x311A:2", at + 1))
        ++writes;
    EXPECT_EQ(writes, 3u) << log;
    EXPECT_TRUE(WaitDisplays("123.45|118.07|123.45|118.07")) << Displays(panels, 1);
}

TEST_F(OrvexStall, AHangLongerThanTheTriesDisconnectsReconnectsAndItsLateAnswerChangesNothing) {
    StartConnected();
    test::InputLatencyProbe probe;
    const std::uint64_t lateBefore = standin->LateAnswers();
    ASSERT_TRUE(standin->Ok("fault hang 30000"));
    const ULONGLONG start = ::GetTickCount64();

    // Eleven tries of 2 s with 60 ms between them, as before.
    ASSERT_TRUE(PumpUntil([&] { return !app->State().SimConnected; }, 28000));
    const ULONGLONG gone = ::GetTickCount64() - start;
    EXPECT_GE(gone, 21000u);
    EXPECT_LE(gone, 26000u);
    EXPECT_EQ(Status(StatusPanel::Status), "FSUIPC Status: Disconnected");
    EXPECT_TRUE(WaitDisplays("     |     |     |     ")) << Displays(panels, 1);
    EXPECT_EQ(app->Logic().PollInterval(), 1000u);

    // The hang ends: the held exchange is answered late, and the link
    // connects again.
    ASSERT_TRUE(WaitConnected(15000));
    EXPECT_EQ(Status(StatusPanel::Status), "FSUIPC Status: Connected");
    EXPECT_LE(probe.MaxMs(), 250.0) << "longest wait of posted input across the hang and the reconnection";
    EXPECT_GE(standin->LateAnswers(), lateBefore + 1);
    // The late answer found no block of the new connection: the panel shows
    // what the simulator holds, and the simulator holds what it had.
    EXPECT_TRUE(WaitDisplays("123.45|118.00|123.45|118.00")) << Displays(panels, 1);
    EXPECT_EQ(standin->Get(0x311A, 2), (std::vector<uint8_t>{0x00, 0x18}));
    ASSERT_TRUE(panels.Ok("turn 1 upper-inner 1"));
    EXPECT_TRUE(PumpUntil([&] { return standin->Get(0x311A, 2) == std::vector<uint8_t>{0x02, 0x18}; }, 3000));
}

} // namespace
} // namespace orvex::app::win32
