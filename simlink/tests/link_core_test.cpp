// The link's protocol against an in-process FSUIPC: handshake, packing,
// retries, and the checks on what comes back.
#include "simlink/link_core.h"
#include "simlink/tests/fake_platform.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace orvex::simlink;
using namespace orvex::simlink::testing;

namespace {

class LinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake.SetInt32(0x3304, 0x49990000);
        fake.SetInt32(0x3308, static_cast<int32_t>(0xFADE0008u));
    }
    void Open(int32_t requested = 0) {
        int32_t result = -1;
        ASSERT_TRUE(link.LinkOpen(requested, result));
        ASSERT_EQ(result, ResultOk);
        fake.sends = fake.exchanges = fake.sleeps = fake.sleptMs = 0;
    }
    // One read of 0x3304 through an exchange whose every send fails with
    // `error`: it fails with `expected` after `sends` sends and `sleeps`
    // sleeps, copies nothing and leaves the batch empty.
    void ExpectFailedExchange(uint32_t error, int32_t expected, int sends, int sleeps) {
        fake.sends = fake.sleeps = 0;
        fake.failingSends = 1000;
        fake.sendError = error;
        uint32_t v = 7;
        int32_t result = -1;
        ASSERT_TRUE(link.LinkRead(0x3304, 4, &v, result));
        EXPECT_FALSE(link.LinkProcess(result));
        EXPECT_EQ(result, expected);
        EXPECT_EQ(fake.sends, sends);
        EXPECT_EQ(fake.sleeps, sleeps);
        EXPECT_EQ(v, 7u);
        EXPECT_EQ(link.QueuedBytes(), 0u) << "a failed exchange leaves the batch empty";
    }
    FakePlatform fake;
    FsuipcLink link{fake};
};

TEST_F(LinkTest, OpenHandshakeReadsVersionsAndNamesTheBlock) {
    int32_t result = -1;
    ASSERT_TRUE(link.LinkOpen(0, result));
    EXPECT_EQ(result, ResultOk);
    EXPECT_EQ(fake.mappingName.rfind("FSASMLIB:IPC:1A2C:", 0), 0u) << fake.mappingName;
    EXPECT_EQ(link.FsuipcVersion(), 0x49990000);
    EXPECT_EQ(link.SimulatorVersion(), 8);  // only the identifier remains
    EXPECT_EQ(fake.exchanges, 1);
    EXPECT_EQ(fake.lastWParam, 0xC0DEu);  // the atom, zero-extended
    EXPECT_EQ(link.Atom(), static_cast<int16_t>(0xC0DE));
    // The handshake batch: read 0x3304, read 0x3308, write 2 bytes at 0x330A.
    const auto& b = fake.lastBatch;
    ASSERT_EQ(b.size(), 20u + 20u + 14u + 4u);
    EXPECT_EQ(Int32At(&b[0]), 1);
    EXPECT_EQ(Int32At(&b[4]), 0x3304);
    EXPECT_EQ(Int32At(&b[8]), 4);
    EXPECT_EQ(Int32At(&b[20]), 1);
    EXPECT_EQ(Int32At(&b[24]), 0x3308);
    EXPECT_EQ(Int32At(&b[40]), 2);
    EXPECT_EQ(Int32At(&b[44]), 0x330A);
    EXPECT_EQ(Int32At(&b[48]), 2);
    EXPECT_EQ(b[52], 0);
    EXPECT_EQ(b[53], 0);
    EXPECT_EQ(Int32At(&b[54]), 0);  // terminator

    EXPECT_FALSE(link.LinkOpen(0, result));
    EXPECT_EQ(result, ResultAlreadyOpen);
    link.LinkClose();
    EXPECT_EQ(fake.LiveResources(), 0);
}

TEST_F(LinkTest, BlockNameUsesUpperCaseHexWithoutLeadingZeros) {
    char name[32];
    FsuipcLink::BlockName(0x1A2C, name);
    EXPECT_STREQ(name, "FSASMLIB:IPC:1A2C:1");
    FsuipcLink::BlockName(0xFFFFFFFF, name);
    EXPECT_STREQ(name, "FSASMLIB:IPC:FFFFFFFF:1");
    FsuipcLink::BlockName(0x8, name);
    EXPECT_STREQ(name, "FSASMLIB:IPC:8:1");
    FsuipcLink::BlockName(0xFFFFFFFF, name, 0xFFFFFFFF);
    EXPECT_STREQ(name, "FSASMLIB:IPC:FFFFFFFF:FFFFFFFF");  // the longest name fits the field
}

TEST_F(LinkTest, OpenFailuresReleaseWhatTheyCreated) {
    int32_t result = -1;
    fake.uipcWindow = false;
    EXPECT_FALSE(link.LinkOpen(0, result));
    EXPECT_EQ(result, ResultNoSimulator);
    EXPECT_EQ(fake.atomsAdded + fake.mappingsCreated, 0);
    fake.uipcWindow = true;

    fake.registerFails = true;
    EXPECT_FALSE(link.LinkOpen(0, result));
    EXPECT_EQ(result, ResultRegisterFailed);
    fake.registerFails = false;

    fake.atomFails = true;
    EXPECT_FALSE(link.LinkOpen(0, result));
    EXPECT_EQ(result, ResultAtomFailed);
    fake.atomFails = false;

    fake.mappingFails = true;
    EXPECT_FALSE(link.LinkOpen(0, result));
    EXPECT_EQ(result, ResultMappingFailed);
    EXPECT_EQ(fake.LiveResources(), 0);
    fake.mappingFails = false;

    fake.mappingExists = true;  // someone else owns a block of our name
    EXPECT_FALSE(link.LinkOpen(0, result));
    EXPECT_EQ(result, ResultMappingFailed);
    EXPECT_EQ(fake.LiveResources(), 0);
    fake.mappingExists = false;

    fake.viewFails = true;
    EXPECT_FALSE(link.LinkOpen(0, result));
    EXPECT_EQ(result, ResultViewFailed);
    EXPECT_EQ(fake.LiveResources(), 0);
    EXPECT_FALSE(link.IsOpen());
    fake.viewFails = false;

    fake.failingSends = 100;
    EXPECT_FALSE(link.LinkOpen(0, result));
    EXPECT_EQ(result, ResultTimeout);
    EXPECT_EQ(fake.LiveResources(), 1) << "only the given-up block's atom, held";
    EXPECT_EQ(link.HeldAtoms(), 1u);
    EXPECT_FALSE(link.IsOpen());
}

TEST_F(LinkTest, VersionChecks) {
    int32_t result = -1;
    fake.SetInt32(0x3304, 0x19980004);
    EXPECT_FALSE(link.LinkOpen(0, result));
    EXPECT_EQ(result, ResultVersionTooOld);
    EXPECT_EQ(fake.LiveResources(), 0);

    fake.SetInt32(0x3304, 0x19980005);
    EXPECT_TRUE(link.LinkOpen(0, result));
    link.LinkClose();

    // A version with the top bit set is negative as a signed number: too old.
    fake.SetInt32(0x3304, static_cast<int32_t>(0x89990000u));
    EXPECT_FALSE(link.LinkOpen(0, result));
    EXPECT_EQ(result, ResultVersionTooOld);

    fake.SetInt32(0x3304, 0x49990000);
    fake.SetInt32(0x3308, static_cast<int32_t>(0xFADD0008u));  // wrong check pattern
    EXPECT_FALSE(link.LinkOpen(0, result));
    EXPECT_EQ(result, ResultVersionTooOld);
}

TEST_F(LinkTest, RequestedSimulator) {
    int32_t result = -1;
    fake.SetInt32(0x3308, static_cast<int32_t>(0xFADE0007u));
    EXPECT_FALSE(link.LinkOpen(8, result));
    EXPECT_EQ(result, ResultWrongSimulator);
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(fake.LiveResources(), 0);
    EXPECT_TRUE(link.LinkOpen(7, result));
    EXPECT_EQ(link.SimulatorVersion(), 7);
    link.LinkClose();
    EXPECT_TRUE(link.LinkOpen(0, result));
}

TEST_F(LinkTest, NotReadyWindowAnsweringZerosIsRetriedFiveTimes) {
    int32_t result = -1;
    fake.uipcWindow = false;
    fake.fs98Window = true;
    fake.zeroExchanges = 1000;
    EXPECT_FALSE(link.LinkOpen(0, result));
    EXPECT_EQ(result, ResultNotRunning);
    EXPECT_EQ(fake.exchanges, 5);
    EXPECT_EQ(fake.sleeps, 5);
    EXPECT_EQ(fake.sleptMs, 300);
    EXPECT_EQ(fake.LiveResources(), 0);

    // The same zeros from the ready window are an old version.
    fake.uipcWindow = true;
    fake.exchanges = 0;
    EXPECT_FALSE(link.LinkOpen(0, result));
    EXPECT_EQ(result, ResultVersionTooOld);
    EXPECT_EQ(fake.exchanges, 5);
}

TEST_F(LinkTest, NetworkClientWithLateDataConnects) {
    int32_t result = -1;
    fake.zeroExchanges = 2;
    ASSERT_TRUE(link.LinkOpen(0, result));
    EXPECT_EQ(fake.exchanges, 3);
    EXPECT_EQ(link.FsuipcVersion(), 0x49990000);
}

TEST_F(LinkTest, OperationsWhileClosed) {
    int32_t result = -1;
    uint8_t buffer[4];
    EXPECT_FALSE(link.LinkRead(0x3304, 4, buffer, result));
    EXPECT_EQ(result, ResultNotOpen);
    EXPECT_FALSE(link.LinkWrite(0x3304, 4, buffer, result));
    EXPECT_EQ(result, ResultNotOpen);
    EXPECT_FALSE(link.LinkProcess(result));
    EXPECT_EQ(result, ResultNotOpen);
    link.LinkClose();
    link.LinkClose();
    EXPECT_EQ(fake.atomsDeleted + fake.unmaps + fake.mappingsClosed, 0);
}

TEST_F(LinkTest, ReadsAndWritesTravelInOneExchange) {
    Open();
    fake.table[0x034E] = 0x45;
    fake.table[0x034F] = 0x23;
    uint16_t com1 = 0;
    const uint8_t xpdr[2] = {0x00, 0x12};
    uint32_t control[2] = {65580, 0};
    int32_t result = -1;
    ASSERT_TRUE(link.LinkRead(0x034E, 2, &com1, result));
    ASSERT_TRUE(link.LinkWrite(0x0354, 2, xpdr, result));
    ASSERT_TRUE(link.LinkWrite(0x3110, 8, control, result));
    EXPECT_EQ(link.QueuedBytes(), 18u + 14u + 20u);
    EXPECT_EQ(com1, 0) << "a destination is only filled by the exchange";
    ASSERT_TRUE(link.LinkProcess(result));
    EXPECT_EQ(result, ResultOk);
    EXPECT_EQ(fake.exchanges, 1);
    EXPECT_EQ(com1, 0x2345);
    EXPECT_EQ(fake.table[0x0355], 0x12);
    EXPECT_EQ(Int32At(&fake.table[0x3110]), 65580);
    EXPECT_EQ(link.QueuedBytes(), 0u);

    // The destination field carries the queue index, never an address.
    const auto& b = fake.lastBatch;
    EXPECT_EQ(Int32At(&b[12]), 0);

    EXPECT_FALSE(link.LinkProcess(result));
    EXPECT_EQ(result, ResultNothingQueued);
    EXPECT_EQ(fake.sends, 1) << "an empty batch sends nothing";
}

TEST_F(LinkTest, WriteDataIsCopiedWhenQueued) {
    Open();
    int32_t value = 111;
    int32_t result = -1;
    ASSERT_TRUE(link.LinkWrite(0x2000, 4, &value, result));
    value = 222;
    ASSERT_TRUE(link.LinkProcess(result));
    EXPECT_EQ(Int32At(&fake.table[0x2000]), 111);
}

TEST_F(LinkTest, SizeLimitsOfTheRequestArea) {
    Open();
    static uint8_t big[32768];
    int32_t result = -1;
    ASSERT_TRUE(link.LinkRead(0x0000, 32492, big, result));  // 32,492 + 20 = 32,512
    EXPECT_EQ(link.QueuedBytes(), 32508u);
    EXPECT_FALSE(link.LinkRead(0x0000, 0, big, result)) << "not even an empty read fits now";
    EXPECT_EQ(result, ResultRequestTooLarge);
    ASSERT_TRUE(link.LinkProcess(result));

    EXPECT_FALSE(link.LinkRead(0x0000, 32493, big, result));
    EXPECT_EQ(result, ResultRequestTooLarge);
    EXPECT_EQ(link.QueuedBytes(), 0u) << "a refused request leaves the batch unchanged";

    ASSERT_TRUE(link.LinkWrite(0x0000, 32496, big, result));  // 32,496 + 16 = 32,512
    ASSERT_TRUE(link.LinkProcess(result));
    EXPECT_FALSE(link.LinkWrite(0x0000, 32497, big, result));
    EXPECT_EQ(result, ResultRequestTooLarge);

    // A full batch refuses only the request that does not fit.
    uint8_t small[4];
    ASSERT_TRUE(link.LinkRead(0x3304, 4, small, result));
    EXPECT_FALSE(link.LinkRead(0x0000, 32492, big, result));
    EXPECT_EQ(link.QueuedRecords(), 1u);

    EXPECT_FALSE(link.LinkRead(0x0000, -1, big, result));
    EXPECT_EQ(result, ResultRequestTooLarge);
    EXPECT_FALSE(link.LinkWrite(0x0000, -20, big, result));
    EXPECT_FALSE(link.LinkWrite(0x0000, 4, nullptr, result));
    EXPECT_EQ(link.QueuedRecords(), 1u);
}

TEST_F(LinkTest, ManySmallRecordsFillTheAreaWithoutOverrun) {
    Open();
    std::vector<uint8_t> dest(4000, 0xEE);
    int32_t result = -1;
    int queued = 0;
    while (link.LinkRead(0x0100, 1, &dest[static_cast<size_t>(queued)], result)) ++queued;
    EXPECT_EQ(result, ResultRequestTooLarge);
    EXPECT_EQ(queued, (32512 - 4) / 17);
    fake.table[0x0100] = 7;
    ASSERT_TRUE(link.LinkProcess(result));
    EXPECT_EQ(dest[0], 7);
    EXPECT_EQ(dest[static_cast<size_t>(queued) - 1], 7);
    EXPECT_EQ(dest[static_cast<size_t>(queued)], 0xEE);
}

TEST_F(LinkTest, ReadOfSizeZeroOrWithoutDestinationIsSentButCopiesNothing) {
    Open();
    uint32_t guard = 0xAAAAAAAA;
    int32_t result = -1;
    ASSERT_TRUE(link.LinkRead(0x3304, 0, &guard, result));
    ASSERT_TRUE(link.LinkRead(0x3304, 4, nullptr, result));
    ASSERT_TRUE(link.LinkProcess(result));
    EXPECT_EQ(guard, 0xAAAAAAAAu);
    EXPECT_EQ(fake.lastBatch.size(), 16u + 20u + 4u);
}

TEST_F(LinkTest, SendRetriesThenReportsTimeoutOrError) {
    Open();
    uint32_t v = 0;
    int32_t result = -1;

    fake.failingSends = 3;
    ASSERT_TRUE(link.LinkRead(0x3304, 4, &v, result));
    ASSERT_TRUE(link.LinkProcess(result));
    EXPECT_EQ(fake.sends, 4);
    EXPECT_EQ(v, 0x49990000u);

    ExpectFailedExchange(0, ResultTimeout, 11, 10);
    ExpectFailedExchange(1460, ResultSendFailed, 11, 10);  // ERROR_TIMEOUT
}

TEST_F(LinkTest, AccessDeniedIsFinalWithoutRetriesNorSleeps) {
    // An elevated simulator and a normal Orvex: every send is refused.
    fake.failingSends = 1000;
    fake.sendError = 5;
    int32_t result = -1;
    EXPECT_FALSE(link.LinkOpen(0, result));
    EXPECT_EQ(result, ResultAccessDenied);
    EXPECT_EQ(fake.sends, 1);
    EXPECT_EQ(fake.sleeps, 0);
    EXPECT_EQ(fake.LiveResources(), 0);

    // Refused in the middle of a session: the batch is dropped, nothing copied.
    fake.failingSends = 0;
    Open();
    ExpectFailedExchange(5, ResultAccessDenied, 1, 0);
    // The system refused the message: it never reaches the simulator, so
    // its block's atom goes at the close, not held like a given-up one's.
    link.LinkClose();
    EXPECT_EQ(link.HeldAtoms(), 0u);
    EXPECT_EQ(fake.LiveResources(), 0);
}

// A message given up may still be taken up by the simulator later. Every
// open names a new block, and the atom of a given-up block is held until
// the simulator has answered a later exchange, so that its number cannot
// name the new block meanwhile.
TEST_F(LinkTest, GivenUpBlocksAreNeverNamedAgain) {
    Open();
    uint32_t v = 0;
    int32_t result = -1;
    const std::string first = fake.mappingName;
    fake.failingSends = 1000;
    ASSERT_TRUE(link.LinkRead(0x3304, 4, &v, result));
    EXPECT_FALSE(link.LinkProcess(result));
    link.LinkClose();
    EXPECT_EQ(fake.atomsDeleted, 0) << "the given-up block's atom is held";
    EXPECT_EQ(link.HeldAtoms(), 1u);

    fake.failingSends = 0;
    Open();
    EXPECT_NE(fake.mappingName, first);
    EXPECT_EQ(fake.mappingName.rfind("FSASMLIB:IPC:1A2C:", 0), 0u);
    EXPECT_EQ(fake.lastWParam, 0xC0DFu);
    EXPECT_EQ(fake.deletedAtoms, std::vector<uint16_t>{0xC0DE}) << "released once the simulator answered";
    EXPECT_EQ(link.HeldAtoms(), 0u);

    // A close after good exchanges releases the atom at once.
    link.LinkClose();
    EXPECT_EQ(fake.LiveResources(), 0);
}

TEST_F(LinkTest, AbortStopsAfterTheTryUnderWay) {
    Open();
    std::atomic<bool> abort{false};
    link.SetAbortFlag(&abort);
    fake.failingSends = 1000;
    fake.onSend = [&] { abort = fake.sends >= 3; };
    uint32_t v = 0;
    int32_t result = -1;
    ASSERT_TRUE(link.LinkRead(0x3304, 4, &v, result));
    EXPECT_FALSE(link.LinkProcess(result));
    EXPECT_EQ(result, ResultTimeout);
    EXPECT_EQ(fake.sends, 3);
}

TEST_F(LinkTest, RejectedDataLeavesDestinationsUntouched) {
    Open();
    fake.answer = 0;
    uint32_t v = 5;
    int32_t result = -1;
    ASSERT_TRUE(link.LinkRead(0x3304, 4, &v, result));
    EXPECT_FALSE(link.LinkProcess(result));
    EXPECT_EQ(result, ResultDataRejected);
    EXPECT_EQ(v, 5u);
    fake.answer = 2;
    ASSERT_TRUE(link.LinkRead(0x3304, 4, &v, result));
    EXPECT_FALSE(link.LinkProcess(result));
    EXPECT_EQ(result, ResultDataRejected);
}

// Whatever writes the block can only fill the destinations that were queued,
// with the sizes that were queued.
TEST_F(LinkTest, ForgedRepliesAreRejectedAndCopyNothing) {
    Open();
    struct Forgery {
        const char* what;
        std::function<void(uint8_t*)> change;
    };
    const std::vector<Forgery> forgeries = {
        {"size grown", [](uint8_t* b) { PutInt32At(b + 8, 4000); }},
        {"size of the second record grown", [](uint8_t* b) { PutInt32At(b + 20 + 8, 0x7FFFFFFF); }},
        {"negative size", [](uint8_t* b) { PutInt32At(b + 8, -16); }},
        {"offset changed", [](uint8_t* b) { PutInt32At(b + 4, 0x3308); }},
        {"read turned into a write", [](uint8_t* b) { PutInt32At(b, 2); }},
        {"record removed", [](uint8_t* b) { PutInt32At(b + 20, 0); }},
        {"unknown id", [](uint8_t* b) { PutInt32At(b, 7); }},
    };
    for (const auto& f : forgeries) {
        uint32_t first = 0x11111111, second = 0x22222222;
        std::array<uint8_t, 64> around{};
        around.fill(0x5A);
        int32_t result = -1;
        ASSERT_TRUE(link.LinkRead(0x3304, 4, &first, result));
        ASSERT_TRUE(link.LinkRead(0x3308, 4, &second, result));
        fake.tamper = f.change;
        EXPECT_FALSE(link.LinkProcess(result)) << f.what;
        EXPECT_EQ(result, ResultReplyMismatch) << f.what;
        EXPECT_EQ(first, 0x11111111u) << f.what;
        EXPECT_EQ(second, 0x22222222u) << f.what;
        for (uint8_t byte : around) EXPECT_EQ(byte, 0x5A) << f.what;
        EXPECT_EQ(link.QueuedBytes(), 0u);
    }

    // A destination address planted in the block is ignored; the data goes
    // where it was queued.
    uint32_t target = 0, elsewhere = 0;
    int32_t result = -1;
    ASSERT_TRUE(link.LinkRead(0x3304, 4, &target, result));
    fake.tamper = [&](uint8_t* b) {
        PutInt32At(b + 12, static_cast<int32_t>(reinterpret_cast<uintptr_t>(&elsewhere)));
    };
    ASSERT_TRUE(link.LinkProcess(result));
    EXPECT_EQ(target, 0x49990000u);
    EXPECT_EQ(elsewhere, 0u);

    // The upper half of the id field is not part of the id.
    ASSERT_TRUE(link.LinkRead(0x3304, 4, &target, result));
    fake.tamper = [](uint8_t* b) { PutInt32At(b, 0x00050001); };
    EXPECT_TRUE(link.LinkProcess(result));
    fake.tamper = nullptr;
}

TEST(LinkResultNames, EveryCodeHasAName) {
    for (int32_t code = 0; code <= 17; ++code)
        EXPECT_STRNE(LinkResultName(code), "unknown result") << code;
    EXPECT_STREQ(LinkResultName(99), "unknown result");
}

} // namespace
