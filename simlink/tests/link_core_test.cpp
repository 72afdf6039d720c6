// The link's protocol against an in-process FSUIPC: handshake, packing,
// retries, and the checks on what comes back.
#include "simlink/link_core.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace orvex::simlink;

namespace {

int32_t Int32At(const uint8_t* p) {
    int32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
void PutInt32At(uint8_t* p, int32_t v) { std::memcpy(p, &v, 4); }

// Plays the operating system and an FSUIPC behind it.
class FakePlatform : public ILinkPlatform {
public:
    // What exists.
    bool uipcWindow = true;
    bool fs98Window = false;
    bool registerFails = false;
    bool atomFails = false;
    bool mappingExists = false;
    bool mappingFails = false;
    bool viewFails = false;
    uint32_t pid = 0x1A2C;

    // How FSUIPC answers.
    std::array<uint8_t, 0x10000> table{};
    int failingSends = 0;        // this many sends fail before one succeeds
    uint32_t sendError = 0;      // the error reported by a failing send
    uintptr_t answer = 1;
    int zeroExchanges = 0;       // answer zeros for this many exchanges
    std::function<void(uint8_t*)> tamper;  // changes the block after the batch ran

    // What happened.
    int sends = 0, exchanges = 0, sleeps = 0, sleptMs = 0;
    int atomsAdded = 0, atomsDeleted = 0, mappingsCreated = 0, mappingsClosed = 0, views = 0,
        unmaps = 0;
    std::string mappingName;
    uintptr_t lastWParam = 0;
    std::vector<uint8_t> lastBatch;  // the block as it arrived, up to the terminator

    std::array<uint8_t, kBlockSize> block{};

    void SetInt32(uint32_t offset, int32_t v) { PutInt32At(table.data() + offset, v); }

    NativeHandle FindTopLevelWindow(const char* cls) override {
        if (std::string(cls) == "UIPCMAIN") return uipcWindow ? 0x100 : 0;
        if (std::string(cls) == "FS98MAIN") return fs98Window ? 0x200 : 0;
        return 0;
    }
    uint32_t RegisterMessage(const char* name) override {
        EXPECT_STREQ(name, "FSASMLIB:IPC");
        return registerFails ? 0 : 0xC123;
    }
    uint32_t CurrentProcessId() override { return pid; }
    uint16_t AddGlobalAtom(const char* name) override {
        if (atomFails) return 0;
        ++atomsAdded;
        mappingName = name;
        return 0xC0DE;
    }
    void DeleteGlobalAtom(uint16_t atom) override {
        EXPECT_EQ(atom, 0xC0DE);
        ++atomsDeleted;
    }
    NativeHandle CreateMapping(const char* name, uint32_t size, bool& existed) override {
        EXPECT_EQ(mappingName, name);
        EXPECT_EQ(size, 0x8000u);
        if (mappingFails) return 0;
        ++mappingsCreated;
        existed = mappingExists;
        return 0x44;
    }
    void* MapView(NativeHandle) override {
        if (viewFails) return nullptr;
        ++views;
        return block.data();
    }
    void UnmapView(void* v) override {
        EXPECT_EQ(v, block.data());
        ++unmaps;
    }
    void CloseMapping(NativeHandle h) override {
        EXPECT_EQ(h, 0x44u);
        ++mappingsClosed;
    }
    bool SendBlocking(NativeHandle window, uint32_t message, uintptr_t wParam, uint32_t timeoutMs,
                      uintptr_t& reply, uint32_t& lastError) override {
        ++sends;
        EXPECT_NE(window, 0u);
        EXPECT_EQ(message, 0xC123u);
        EXPECT_EQ(timeoutMs, 2000u);
        lastWParam = wParam;
        if (failingSends > 0) {
            --failingSends;
            lastError = sendError;
            return false;
        }
        ++exchanges;
        Execute();
        if (tamper) tamper(block.data());
        reply = answer;
        return true;
    }
    void Sleep(uint32_t ms) override {
        ++sleeps;
        sleptMs += static_cast<int>(ms);
    }

    int LiveResources() const {
        return (atomsAdded - atomsDeleted) + (mappingsCreated - mappingsClosed) + (views - unmaps);
    }

private:
    void Execute() {
        const bool zeros = zeroExchanges > 0;
        if (zeros) --zeroExchanges;
        uint32_t at = 0;
        for (;;) {
            int32_t id = Int32At(&block[at]) & 0xFFFF;
            if (id == 0) break;
            int32_t offset = Int32At(&block[at + 4]);
            int32_t size = Int32At(&block[at + 8]);
            if (id == 1) {
                if (!zeros) std::memcpy(&block[at + 16], &table[offset], size);
                at += 16 + size;
            } else {
                // 0x330A takes the client's library version; FSUIPC keeps
                // the check pattern that reads there.
                if (!zeros && offset != 0x330A) std::memcpy(&table[offset], &block[at + 12], size);
                at += 12 + size;
            }
        }
        lastBatch.assign(block.begin(), block.begin() + at + 4);
    }
};

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
    FakePlatform fake;
    FsuipcLink link{fake};
};

TEST_F(LinkTest, OpenHandshakeReadsVersionsAndNamesTheBlock) {
    int32_t result = -1;
    ASSERT_TRUE(link.LinkOpen(0, result));
    EXPECT_EQ(result, ResultOk);
    EXPECT_EQ(fake.mappingName, "FSASMLIB:IPC:1A2C:1");
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
    char name[24];
    FsuipcLink::BlockName(0x1A2C, name);
    EXPECT_STREQ(name, "FSASMLIB:IPC:1A2C:1");
    FsuipcLink::BlockName(0xFFFFFFFF, name);
    EXPECT_STREQ(name, "FSASMLIB:IPC:FFFFFFFF:1");  // the longest name fits the field
    FsuipcLink::BlockName(0x8, name);
    EXPECT_STREQ(name, "FSASMLIB:IPC:8:1");
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
    EXPECT_EQ(fake.LiveResources(), 0);
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

    fake.sends = fake.sleeps = 0;
    fake.failingSends = 1000;
    fake.sendError = 0;
    v = 0;
    ASSERT_TRUE(link.LinkRead(0x3304, 4, &v, result));
    EXPECT_FALSE(link.LinkProcess(result));
    EXPECT_EQ(result, ResultTimeout);
    EXPECT_EQ(fake.sends, 11);
    EXPECT_EQ(fake.sleeps, 10);
    EXPECT_EQ(v, 0u);
    EXPECT_EQ(link.QueuedBytes(), 0u) << "a failed exchange leaves the batch empty";

    fake.sendError = 1460;  // ERROR_TIMEOUT
    ASSERT_TRUE(link.LinkRead(0x3304, 4, &v, result));
    EXPECT_FALSE(link.LinkProcess(result));
    EXPECT_EQ(result, ResultSendFailed);
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
    for (int32_t code = 0; code <= 16; ++code)
        EXPECT_STRNE(LinkResultName(code), "unknown result") << code;
    EXPECT_STREQ(LinkResultName(99), "unknown result");
}

} // namespace
