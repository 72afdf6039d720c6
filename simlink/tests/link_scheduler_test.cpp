// The exchange scheduling between the user-interface thread and the link
// thread, against a worker the test finishes by hand and a clock it moves.
#include "simlink/link_scheduler.h"
#include "simlink/offset.h"
#include "simlink/sim_commands.h"
#include "simlink/tests/fake_platform.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace orvex::simlink;

namespace {

// Plays the link thread over an FSUIPC offset table. A batch finishes at
// once unless `hang` is set; then the test finishes it with Release().
// Closing touches no simulator and always finishes at once.
class FakeWorker final : public ILinkWorker {
public:
    std::array<uint8_t, 0x10000> table{};
    bool hang = false;
    int32_t failWith = ResultOk;   // the next batch fails with this code
    bool aborted = false;
    uint32_t now = 1000;
    uint32_t waited = 0;           // ms spent in WaitDone
    std::vector<std::string> log;  // "r 3304 4", "w 0330 2", "open", "close"
    LinkBatch* job = nullptr;

    void Start(LinkBatch& batch) override {
        job = &batch;
        done_ = false;
        Log(batch);
        if (!hang || batch.kind == LinkBatch::Kind::Close || batch.kind == LinkBatch::Kind::Reset) Release();
    }
    bool Done() override { return done_; }
    bool WaitDone(uint32_t ms) override {
        waited += ms;
        now += ms;
        return done_;
    }
    void Abort(bool abort) override {
        aborted = abort;
        if (abort && !done_) Release();
    }
    uint32_t Now() override { return now; }

    // Carries out the batch handed over.
    void Release() {
        LinkBatch& b = *job;
        b.ok = failWith == ResultOk;
        b.result = failWith;
        failWith = ResultOk;
        if (b.kind == LinkBatch::Kind::Open) {
            b.fsuipcVersion = 0x49990000;
            b.simulatorVersion = 8;
        } else if (b.kind == LinkBatch::Kind::Exchange && b.ok) {
            for (const LinkBatch::Record& r : b.records) {
                auto* at = table.data() + r.offset;
                if (r.id == 1)
                    std::memcpy(b.data.data() + r.at, at, static_cast<std::size_t>(r.size));
                else
                    std::memcpy(at, b.data.data() + r.at, static_cast<std::size_t>(r.size));
            }
        }
        done_ = true;
    }
    // What was handed over, as the simulator will see it.
    void Log(const LinkBatch& b) {
        switch (b.kind) {
        case LinkBatch::Kind::Open: log.push_back("open"); break;
        case LinkBatch::Kind::Close: log.push_back("close"); break;
        case LinkBatch::Kind::Reset: log.push_back("reset"); break;
        case LinkBatch::Kind::Exchange:
            for (const LinkBatch::Record& r : b.records) {
                char line[32];
                std::snprintf(line, sizeof line, "%c %04X %d", r.id == 1 ? 'r' : 'w', r.offset, r.size);
                log.push_back(line);
            }
            break;
        }
    }
    void Put32(int32_t offset, uint32_t v) { std::memcpy(table.data() + offset, &v, 4); }
    uint32_t Get32(int32_t offset) const {
        uint32_t v;
        std::memcpy(&v, table.data() + offset, 4);
        return v;
    }

private:
    bool done_ = true;
};

struct SchedulerTest : ::testing::Test {
    SchedulerTest() {
        int32_t result = -1;
        EXPECT_EQ(link.Open(result), LinkAnswer::Ok);
        worker.log.clear();
    }
    // One poll exchange: read 4 bytes at 0x0300 into `tickValue`.
    LinkAnswer Tick() {
        int32_t result = 0;
        link.LinkRead(0x0300, 4, &tickValue, result);
        return link.Exchange(result);
    }
    bool Write16(int32_t offset, uint16_t v, bool process = true) {
        int32_t result = 0;
        if (!link.LinkWrite(offset, 2, &v, result)) return false;
        return !process || link.LinkProcess(result);
    }

    FakeWorker worker;
    LinkScheduler link{worker};
    uint32_t tickValue = 0;
};

TEST_F(SchedulerTest, AnAnsweringSimulatorIsServedAtOnce) {
    EXPECT_EQ(link.FsuipcVersion(), 0x49990000);
    EXPECT_EQ(link.SimulatorVersion(), 8);
    worker.Put32(0x0300, 1234);
    EXPECT_EQ(Tick(), LinkAnswer::Ok);
    EXPECT_EQ(tickValue, 1234u);
    EXPECT_TRUE(Write16(0x0330, 7));
    EXPECT_EQ(worker.Get32(0x0330), 7u);

    // A virtual button keeps the other buttons of its word.
    worker.Put32(0x3340, 0x5);
    SetVirtualButton(link, 64, 2, true, true);
    EXPECT_EQ(worker.Get32(0x3340), 0x7u);
    EXPECT_EQ(worker.waited, 0u);
    EXPECT_FALSE(link.Busy());
    const LinkEvents e = link.TakeEvents();
    EXPECT_FALSE(e.opened || e.ticked || e.gaveUp) << "the callers had their answers";
}

TEST_F(SchedulerTest, ALateExchangeSkipsTicksAndQueuesWritesInOrderAheadOfTheNextReads) {
    worker.hang = true;
    EXPECT_EQ(Tick(), LinkAnswer::Pending);
    EXPECT_LE(worker.waited, LinkScheduler::kQuickWaitMs);
    worker.now += 1500;
    EXPECT_TRUE(link.Busy());
    EXPECT_GE(link.LateMs(), 1500u);
    int32_t skipped = 0;
    EXPECT_EQ(link.Exchange(skipped), LinkAnswer::Pending) << "skipped, not stacked";
    EXPECT_EQ(link.Batches(), 2u) << "the open and the one poll exchange";

    // Panel events meanwhile: their writes wait, in order.
    EXPECT_TRUE(Write16(0x0330, 1));
    EXPECT_TRUE(Write16(0x0332, 2));
    EXPECT_TRUE(Write16(0x0330, 3));
    EXPECT_EQ(worker.log, (std::vector<std::string>{"r 0300 4"}));

    worker.Put32(0x0300, 99);
    worker.Release();
    EXPECT_TRUE(link.Busy()) << "the waiting writes went at once";
    EXPECT_EQ(worker.log,
              (std::vector<std::string>{"r 0300 4", "w 0330 2", "w 0332 2", "w 0330 2"}));
    const LinkEvents e = link.TakeEvents();
    EXPECT_TRUE(e.ticked);
    EXPECT_EQ(e.tickResult, ResultOk);
    EXPECT_EQ(tickValue, 99u);
    worker.Release();
    EXPECT_EQ(worker.Get32(0x0330) & 0xFFFF, 3u);

    worker.hang = false;
    EXPECT_EQ(Tick(), LinkAnswer::Ok);
}

TEST_F(SchedulerTest, WritesBeyondTheRequestAreaAreDroppedNotSpilled) {
    worker.hang = true;
    EXPECT_EQ(Tick(), LinkAnswer::Pending);
    std::vector<uint8_t> chunk(1000, 0xAB);
    int32_t result = 0;
    int accepted = 0;
    while (link.LinkWrite(0x1000, 1000, chunk.data(), result)) ++accepted;
    EXPECT_EQ(result, ResultRequestTooLarge);
    EXPECT_EQ(accepted, static_cast<int>((kRequestArea - kTerminatorSize) / (1000 + kWriteHeaderSize)));
    EXPECT_TRUE(Write16(0x0330, 5)) << "a small write still fits";
    EXPECT_EQ(link.DroppedRecords(), 1u);
    worker.Release();
    EXPECT_TRUE(link.Busy());
    worker.Release();
    EXPECT_FALSE(link.Busy());
    EXPECT_EQ(worker.log.size(), 1u + static_cast<std::size_t>(accepted) + 1u);
}

TEST_F(SchedulerTest, ReadsDuringAStallFailWithoutAStaleWriteOrALateCopy) {
    worker.Put32(0x3340, 0x1);
    worker.hang = true;
    EXPECT_EQ(Tick(), LinkAnswer::Pending);

    // Behind a young exchange a read waits its budget, then fails.
    const uint32_t before = worker.waited;
    SetVirtualButton(link, 64, 2, true, true);
    EXPECT_LE(worker.waited - before, LinkScheduler::kReadWaitMs);
    EXPECT_GT(link.AbandonedReads(), 0u);

    // Behind a late one it fails without waiting.
    worker.now += LinkScheduler::kLateMs;
    const uint32_t late = worker.waited;
    cOFFSET probe(link);
    probe.Offset = 0x3340;
    probe.SetDataType(3);
    probe.DirectRead(true);
    EXPECT_EQ(probe.dwResult, ResultTimeout);
    EXPECT_EQ(worker.waited, late);

    worker.Release();  // the poll exchange
    EXPECT_TRUE(link.Busy());
    worker.Release();  // the abandoned read, carried along
    EXPECT_FALSE(link.Busy());
    EXPECT_EQ(worker.Get32(0x3340), 0x1u) << "no write from a read that never came";
    EXPECT_EQ(probe.Data().AsLong(), 0) << "the buffer was not written later";
}

TEST_F(SchedulerTest, AReplyAfterTheCallerGaveUpIsNeverCopied) {
    worker.hang = true;
    worker.Put32(0x0400, 0xDEADBEEF);
    uint32_t buffer = 0;
    int32_t result = 0;
    ASSERT_TRUE(link.LinkRead(0x0400, 4, &buffer, result));
    EXPECT_FALSE(link.LinkProcess(result));
    EXPECT_EQ(result, ResultTimeout);
    EXPECT_LE(worker.waited, LinkScheduler::kReadWaitMs);
    buffer = 42;  // handed out again
    worker.Release();
    EXPECT_FALSE(link.Busy());
    EXPECT_EQ(buffer, 42u);
    EXPECT_EQ(link.AbandonedReads(), 1u);
    EXPECT_FALSE(link.TakeEvents().gaveUp);
}

TEST_F(SchedulerTest, RunningOutOfTriesIsReportedAndDropsWhatWaits) {
    worker.hang = true;
    EXPECT_EQ(Tick(), LinkAnswer::Pending);
    EXPECT_TRUE(Write16(0x0330, 1));
    worker.failWith = ResultTimeout;
    worker.Release();
    LinkEvents e = link.TakeEvents();
    EXPECT_TRUE(e.ticked);
    EXPECT_EQ(e.tickResult, ResultTimeout);
    EXPECT_FALSE(link.Busy()) << "nothing is sent to a simulator taken for gone";
    EXPECT_EQ(link.DroppedRecords(), 1u);

    // A write-only exchange running out of tries is reported too.
    EXPECT_TRUE(Write16(0x0330, 2));
    worker.failWith = ResultSendFailed;
    worker.Release();
    e = link.TakeEvents();
    EXPECT_TRUE(e.gaveUp);
    EXPECT_EQ(e.gaveUpResult, ResultSendFailed);

    // Closing waits for nothing; the close follows the exchange under way.
    EXPECT_EQ(Tick(), LinkAnswer::Pending);
    link.Close();
    EXPECT_FALSE(link.IsOpen());
    int32_t result = 0;
    EXPECT_FALSE(link.LinkWrite(0x0330, 2, &result, result));
    EXPECT_EQ(result, ResultNotOpen);
    worker.Release();
    EXPECT_FALSE(link.Busy());
    EXPECT_EQ(worker.log.back(), "close");
}

// A value stepped by the user goes on from what was written last until the
// reads show it: a poll exchange under way took its reads before the write,
// so only the one after it clears the write.
TEST_F(SchedulerTest, AWriteStaysPendingUntilAPollExchangeAfterItHasRead) {
    auto pending = [&](int32_t offset) {
        uint16_t v = 0;
        return link.LinkPendingWrite(offset, 2, &v) ? int{v} : -1;
    };
    worker.hang = true;
    EXPECT_EQ(Tick(), LinkAnswer::Pending);
    EXPECT_TRUE(Write16(0x0330, 1, false));
    EXPECT_TRUE(Write16(0x0330, 2, false));
    EXPECT_TRUE(Write16(0x0332, 9, false));
    EXPECT_EQ(pending(0x0330), 2) << "the latest write of the offset";
    uint32_t wide = 0;
    EXPECT_FALSE(link.LinkPendingWrite(0x0330, 4, &wide)) << "another size is another value";

    worker.Release();  // the poll exchange that read before the writes
    EXPECT_TRUE(link.TakeEvents().ticked);
    EXPECT_EQ(pending(0x0330), 2) << "its reads do not show the writes";
    worker.Release();  // the writes, sent right after it
    EXPECT_FALSE(link.Busy());
    EXPECT_EQ(worker.Get32(0x0330) & 0xFFFF, 2u);
    EXPECT_EQ(pending(0x0330), 2) << "sent, but no read has shown it yet";

    EXPECT_EQ(Tick(), LinkAnswer::Pending);
    EXPECT_TRUE(Write16(0x0332, 10, false));
    worker.Release();
    EXPECT_TRUE(link.TakeEvents().ticked);
    EXPECT_EQ(pending(0x0330), -1);
    EXPECT_EQ(pending(0x0332), 10) << "written after that exchange was sent";
    worker.Release();
    EXPECT_FALSE(link.Busy());

    // A poll exchange that fails shows nothing; one that reads well does.
    worker.failWith = ResultDataRejected;
    EXPECT_EQ(Tick(), LinkAnswer::Pending);
    worker.Release();
    link.TakeEvents();
    EXPECT_EQ(pending(0x0332), 10);
    worker.hang = false;
    EXPECT_EQ(Tick(), LinkAnswer::Ok);
    EXPECT_EQ(pending(0x0332), -1);

    // Writes that never go (the link closed) are not pending either.
    EXPECT_TRUE(Write16(0x0334, 5, false));
    link.Close();
    EXPECT_EQ(pending(0x0334), -1);

    // Many offsets written within one exchange: the oldest gives way.
    int32_t result = -1;
    link.Open(result);
    for (int i = 0; i < 40; ++i) EXPECT_TRUE(Write16(0x1000 + 2 * i, static_cast<uint16_t>(i), false));
    EXPECT_EQ(pending(0x1000), -1);
    EXPECT_EQ(pending(0x1000 + 2 * 39), 39);
}

TEST_F(SchedulerTest, ConnectionAttemptsRunInTheBackgroundAndShutdownAborts) {
    link.Close();
    worker.hang = true;
    int32_t result = -1;
    EXPECT_EQ(link.Open(result), LinkAnswer::Pending);
    EXPECT_EQ(link.Open(result), LinkAnswer::Pending) << "no second attempt while one runs";
    worker.Release();
    const LinkEvents e = link.TakeEvents();
    EXPECT_TRUE(e.opened);
    EXPECT_EQ(e.openResult, ResultOk);
    EXPECT_TRUE(link.IsOpen());

    EXPECT_EQ(Tick(), LinkAnswer::Pending);
    link.Shutdown();
    EXPECT_FALSE(worker.aborted) << "the abort is taken back for the close";
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(worker.log.back(), "close");
}

// The batch as the link thread carries it out on the protocol.
TEST(RunBatchTest, RecordsTravelInOrderAndResultsStayInTheBatch) {
    orvex::simlink::testing::FakePlatform platform;
    platform.SetInt32(0x3304, 0x49990000);
    platform.SetInt32(0x3308, static_cast<int32_t>(0xFADE0008u));
    platform.SetInt32(0x0300, 777);
    FsuipcLink link(platform);
    int32_t result = 0;

    LinkBatch open;
    open.kind = LinkBatch::Kind::Open;
    RunBatch(link, open);
    EXPECT_TRUE(open.ok);
    EXPECT_EQ(open.simulatorVersion, 8);

    LinkBatch batch;
    const uint16_t value = 0x1234;
    batch.records.push_back({2, 0x0330, 2, 0, nullptr});
    std::memcpy(batch.data.data(), &value, 2);
    batch.records.push_back({1, 0x0300, 4, 2, &result});
    batch.dataUsed = 6;
    RunBatch(link, batch);
    EXPECT_TRUE(batch.ok);
    uint32_t read = 0;
    std::memcpy(&read, batch.data.data() + 2, 4);
    EXPECT_EQ(read, 777u);
    EXPECT_EQ(platform.table[0x0330], 0x34);

    platform.failingSends = 1000;
    RunBatch(link, batch);
    EXPECT_FALSE(batch.ok);
    EXPECT_EQ(batch.result, ResultTimeout);
    EXPECT_EQ(platform.sends, 1 + 1 + 11) << "the handshake, the batch, then every try";

    LinkBatch close;
    close.kind = LinkBatch::Kind::Close;
    RunBatch(link, close);
    EXPECT_FALSE(link.IsOpen());
    batch.ok = true;
    RunBatch(link, batch);
    EXPECT_EQ(batch.result, ResultNotOpen);
}

} // namespace
