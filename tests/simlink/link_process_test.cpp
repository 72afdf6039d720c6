// The link against the stand-in simulator in another process: the real
// window message, atom and shared block.
#include "simlink/win32/fsuipc_platform_win32.h"
#include "tools/simstandin/standin_client.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstring>
#include <vector>

using namespace orvex::simlink;

namespace {

class LinkProcessTest : public ::testing::Test {
protected:
    void StartSim(const std::string& args = "") {
        ASSERT_TRUE(sim.Start("--hidden " + args)) << "the stand-in did not start";
    }
    void Open(int32_t requested = 0) {
        int32_t result = -1;
        ASSERT_TRUE(link.LinkOpen(requested, result)) << LinkResultName(result);
    }
    void TearDown() override {
        link.LinkClose();
        sim.Stop();
    }
    SimStandinProcess sim;
    Win32LinkPlatform platform;
    FsuipcLink link{platform};
};

TEST_F(LinkProcessTest, NoSimulatorLeavesNothingOpen) {
    ASSERT_EQ(::FindWindowExA(nullptr, nullptr, "UIPCMAIN", nullptr), nullptr);
    ASSERT_EQ(::FindWindowExA(nullptr, nullptr, "FS98MAIN", nullptr), nullptr);
    int32_t result = -1;
    EXPECT_FALSE(link.LinkOpen(0, result));
    EXPECT_EQ(result, ResultNoSimulator);
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(link.Atom(), 0);
}

TEST_F(LinkProcessTest, OpensReadsAndWritesInOneExchangePerBatch) {
    StartSim("--simid 8");
    Open();
    EXPECT_GE(link.FsuipcVersion(), kMinFsuipcVersion);
    EXPECT_EQ(link.SimulatorVersion(), 8);
    // The handshake's write of the client library version reached the simulator.
    auto clientVersion = sim.Get(0x330A, 2);
    EXPECT_EQ(clientVersion, (std::vector<uint8_t>{0xDE, 0xFA})) << "the check pattern stays";

    ASSERT_TRUE(sim.Set(0x034E, {0x45, 0x23}));
    ASSERT_TRUE(sim.Ok("title Test Aircraft"));
    const uint64_t before = sim.Exchanges();

    uint16_t com1 = 0;
    char title[60] = {};
    const uint8_t standby[2] = {0x75, 0x18};
    int32_t result = -1;
    ASSERT_TRUE(link.LinkRead(0x034E, 2, &com1, result));
    ASSERT_TRUE(link.LinkRead(0x3D00, 60, title, result));
    ASSERT_TRUE(link.LinkWrite(0x311A, 2, standby, result));
    ASSERT_TRUE(link.LinkProcess(result)) << LinkResultName(result);
    EXPECT_EQ(com1, 0x2345);
    EXPECT_STREQ(title, "Test Aircraft");
    EXPECT_EQ(sim.Get(0x311A, 2), (std::vector<uint8_t>{0x75, 0x18}));
    EXPECT_EQ(sim.Exchanges(), before + 1);

    // An empty batch sends nothing.
    EXPECT_FALSE(link.LinkProcess(result));
    EXPECT_EQ(result, ResultNothingQueued);
    EXPECT_EQ(sim.Exchanges(), before + 1);

    // Reads of size 0 or with no destination travel but fill nothing.
    uint32_t guard = 0xA5A5A5A5;
    ASSERT_TRUE(link.LinkRead(0x3304, 0, &guard, result));
    ASSERT_TRUE(link.LinkRead(0x3304, 4, nullptr, result));
    ASSERT_TRUE(link.LinkProcess(result));
    EXPECT_EQ(guard, 0xA5A5A5A5u);
    EXPECT_EQ(sim.Exchanges(), before + 2);

    link.LinkClose();
    link.LinkClose();
    EXPECT_FALSE(link.IsOpen());
}

TEST_F(LinkProcessTest, LargestBatchFitsAndOneByteMoreIsRefused) {
    StartSim();
    Open();
    std::vector<uint8_t> big(32768, 0xEE);
    int32_t result = -1;
    EXPECT_FALSE(link.LinkRead(0x0000, 32493, big.data(), result));
    EXPECT_EQ(result, ResultRequestTooLarge);
    ASSERT_TRUE(sim.Set(0x0000, {1, 2, 3}));
    ASSERT_TRUE(link.LinkRead(0x0000, 32492, big.data(), result));
    ASSERT_TRUE(link.LinkProcess(result)) << LinkResultName(result);
    EXPECT_EQ(big[0], 1);
    EXPECT_EQ(big[2], 3);
    EXPECT_EQ(big[32492], 0xEE) << "nothing beyond the read's size is touched";
}

TEST_F(LinkProcessTest, VersionAndSimulatorChecks) {
    StartSim("--simid 7");
    int32_t result = -1;
    EXPECT_FALSE(link.LinkOpen(8, result));
    EXPECT_EQ(result, ResultWrongSimulator);
    EXPECT_FALSE(link.IsOpen());
    Open(7);
    link.LinkClose();

    ASSERT_TRUE(sim.Ok("fault version 0x19980004"));
    EXPECT_FALSE(link.LinkOpen(0, result));
    EXPECT_EQ(result, ResultVersionTooOld);
    ASSERT_TRUE(sim.Ok("fault version 0x19980005"));
    Open();
}

TEST_F(LinkProcessTest, NotReadySimulatorAnsweringZerosFailsAfterFiveTries) {
    StartSim("--class FS98MAIN");
    ASSERT_TRUE(sim.Ok("fault zeros 1000"));
    ASSERT_TRUE(sim.Ok("clearlog"));
    int32_t result = -1;
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(link.LinkOpen(0, result));
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - t0).count();
    EXPECT_EQ(result, ResultNotRunning);
    EXPECT_EQ(sim.Exchanges(), 5u);
    EXPECT_GE(ms, 5 * 60 - 20);
    EXPECT_FALSE(link.IsOpen());
}

TEST_F(LinkProcessTest, NetworkClientWithoutDataYetConnectsOnALaterTry) {
    StartSim();
    ASSERT_TRUE(sim.Ok("fault zeros 2"));
    ASSERT_TRUE(sim.Ok("clearlog"));
    Open();
    EXPECT_EQ(sim.Exchanges(), 3u);
}

TEST_F(LinkProcessTest, RejectedAndSlowAnswers) {
    StartSim();
    Open();
    uint32_t version = 0;
    int32_t result = -1;

    ASSERT_TRUE(sim.Ok("fault reject"));
    ASSERT_TRUE(link.LinkRead(0x3304, 4, &version, result));
    EXPECT_FALSE(link.LinkProcess(result));
    EXPECT_EQ(result, ResultDataRejected);
    EXPECT_EQ(version, 0u);

    ASSERT_TRUE(sim.Ok("fault slow 300"));
    ASSERT_TRUE(link.LinkRead(0x3304, 4, &version, result));
    ASSERT_TRUE(link.LinkProcess(result)) << LinkResultName(result);
    EXPECT_NE(version, 0u);
}

TEST_F(LinkProcessTest, WindowClosingMidSessionFailsTheExchangeAndReconnects) {
    StartSim();
    Open();
    ASSERT_TRUE(sim.Ok("window close"));
    uint32_t version = 0;
    int32_t result = -1;
    ASSERT_TRUE(link.LinkRead(0x3304, 4, &version, result));
    EXPECT_FALSE(link.LinkProcess(result));
    EXPECT_TRUE(result == ResultSendFailed || result == ResultTimeout) << result;
    link.LinkClose();
    link.LinkReset();
    EXPECT_FALSE(link.LinkOpen(0, result));
    EXPECT_EQ(result, ResultNoSimulator);

    ASSERT_TRUE(sim.Ok("window open"));
    Open();
    ASSERT_TRUE(link.LinkRead(0x3304, 4, &version, result));
    EXPECT_TRUE(link.LinkProcess(result));
}

TEST_F(LinkProcessTest, HungSimulatorIsGivenElevenAttempts) {
    StartSim();
    Open();
    ASSERT_TRUE(sim.Ok("fault hang 60000"));
    uint32_t version = 0;
    int32_t result = -1;
    ASSERT_TRUE(link.LinkRead(0x3304, 4, &version, result));
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(link.LinkProcess(result));
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - t0).count();
    EXPECT_TRUE(result == ResultTimeout || result == ResultSendFailed) << result;
    // 11 attempts of 2,000 ms with 10 pauses of 60 ms between them.
    EXPECT_GE(ms, 11 * 2000 + 10 * 60 - 200);
    EXPECT_LT(ms, 40000);
    EXPECT_EQ(version, 0u);
    EXPECT_TRUE(sim.Ok("unhang"));
}

} // namespace
