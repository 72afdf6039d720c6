// The simulator link with its exchanges run on a thread of their own, so
// that a simulator that stops answering never holds up the user interface.
//
// The link thread owns the FSUIPC connection (the window, the atom and the
// mapping) and runs one batch at a time: it packs the batch's records into
// the shared block, sends it with every try the protocol allows and keeps
// the read results in the batch. The user-interface thread queues records
// into a batch of its own (the staging batch), hands it over, and copies the
// read results into their destinations when the thread has finished. Only
// the user-interface thread ever touches the destinations, so the panel
// logic stays single-threaded.
//
// LinkScheduler is that user-interface side; the thread is behind
// ILinkWorker so the scheduling runs the same against Win32 and in tests.
#pragma once

#include "simlink/link_core.h"

#include <cstdint>
#include <vector>

namespace orvex::simlink {

// One hand-over between the two threads.
struct LinkBatch {
    enum class Kind : uint8_t { Exchange, Open, Close, Reset };
    struct Record {
        int32_t id;          // 1 read, 2 write
        int32_t offset;
        int32_t size;
        uint32_t at;         // the record's bytes within `data`
        void* destination;   // reads: where the result goes on the user-interface thread
    };

    LinkBatch();
    void Clear();
    bool Empty() const { return records.empty(); }

    Kind kind = Kind::Exchange;
    std::vector<Record> records;  // capacity reserved once
    std::vector<uint8_t> data;    // write payloads and read results; sized once
    uint32_t dataUsed = 0;
    uint32_t blockUsed = 0;       // what the records take in the shared block
    bool hasReads = false;        // some read still has a destination

    // Filled by the link thread.
    bool ok = false;
    int32_t result = ResultOk;
    int32_t fsuipcVersion = 0;
    int32_t simulatorVersion = 0;
};

// Carries out a batch on the link (on the link thread).
void RunBatch(FsuipcLink& link, LinkBatch& batch);

// The link thread as the scheduler sees it.
class ILinkWorker {
public:
    virtual ~ILinkWorker() = default;
    // Hands the batch over; the worker owns it until Done() is true.
    virtual void Start(LinkBatch& batch) = 0;
    // The batch handed over last is finished.
    virtual bool Done() = 0;
    // Waits up to `ms` for Done(), without letting window messages run.
    virtual bool WaitDone(uint32_t ms) = 0;
    // Asks the batch under way to stop after its current try (or stop
    // asking). Used when the program ends.
    virtual void Abort(bool abort) = 0;
    // Milliseconds since an arbitrary start; wraps at 2^32.
    virtual uint32_t Now() = 0;
};

// What finished on the link since the poll loop last looked.
struct LinkEvents {
    bool opened = false;      // a connection attempt finished
    int32_t openResult = ResultOk;
    bool ticked = false;      // a poll exchange finished
    int32_t tickResult = ResultOk;
    bool gaveUp = false;      // another exchange ran out of tries
    int32_t gaveUpResult = ResultOk;
};

// How a poll-loop request ended.
enum class LinkAnswer { Ok, Failed, Pending };

class LinkScheduler final : public ILink {
public:
    // How long a caller waits, without letting messages run, for an answer
    // it needs now (a read of the panel logic) or may have at once (a poll
    // exchange, a write, a connection attempt). Longer waits end as
    // described at each call; the exchange itself carries on.
    static constexpr uint32_t kReadWaitMs = 80;
    static constexpr uint32_t kQuickWaitMs = 20;
    // All waits between two poll-loop calls (TakeEvents, which the tick and
    // the link's notification make) stay within this: a handler that reads
    // several times cannot add its waits up past it.
    static constexpr uint32_t kWaitBudgetMs = 100;
    // An exchange running this long is late: reads fail at once.
    static constexpr uint32_t kLateMs = 1000;

    explicit LinkScheduler(ILinkWorker& worker);
    ~LinkScheduler() override;
    LinkScheduler(const LinkScheduler&) = delete;
    LinkScheduler& operator=(const LinkScheduler&) = delete;

    // Queue into the staging batch; the same limits and result codes as the
    // shared block (15 when it is full: nothing is written beyond it).
    bool LinkRead(int32_t offset, int32_t size, void* destination, int32_t& result) override;
    bool LinkWrite(int32_t offset, int32_t size, const void* source, int32_t& result) override;
    // Sends what is staged. Writes alone are sent at once, or right after
    // the exchange under way (before the next poll exchange): true at once
    // when the answer is not there within kQuickWaitMs. With reads the
    // caller needs the answer: it waits up to kReadWaitMs in all; without an
    // answer by then the reads fail with 11 and their destinations are never
    // written (the exchange carries on without them).
    bool LinkProcess(int32_t& result) override;
    // A write counts as pending from the moment it is queued until a poll
    // exchange submitted after it has finished well (its reads show it);
    // values of up to 8 bytes, the latest per offset and size.
    bool LinkPendingWrite(int32_t offset, int32_t size, void* destination) const override;

    // The poll loop's side.
    // Starts a connection attempt (any simulator); Pending while it runs.
    LinkAnswer Open(int32_t& result);
    // Sends the staged batch as the poll exchange; Pending while it runs,
    // its end then comes with TakeEvents.
    LinkAnswer Exchange(int32_t& result);
    // Closes the link (after the exchange under way, if any).
    void Close();
    // Forgets the link's handles without releasing them.
    void Reset();
    // An exchange or connection attempt is under way.
    bool Busy();
    // How long the one under way has been running; 0 when none.
    uint32_t LateMs();
    // Finishes what the link thread has finished; true when something did.
    bool Service();
    // What finished since the last call.
    LinkEvents TakeEvents();
    bool IsOpen() const { return open_; }
    int32_t FsuipcVersion() const { return fsuipcVersion_; }
    int32_t SimulatorVersion() const { return simulatorVersion_; }
    // Ends the program's use of the link: stops the exchange under way after
    // its current try and closes the link. Waits for both.
    void Shutdown();

    // Counters for tests and benchmarks.
    uint64_t AbandonedReads() const { return abandonedReads_; }
    uint64_t DroppedRecords() const { return droppedRecords_; }
    uint64_t Batches() const { return batches_; }

private:
    // Close and Reset: the staged batch goes, and the handles are released
    // now or, with an exchange in flight, right after it.
    void Release(LinkBatch::Kind kind);
    bool Fail(int32_t& result, int32_t code) {
        result = code;
        return false;
    }
    bool Admit(int32_t size, uint32_t header, int32_t& result);
    void Submit(LinkBatch::Kind kind, bool tick);
    // Submits the poll loop's request and gives its answer when it comes
    // within kQuickWaitMs (clearing `event`, which would announce it later);
    // Pending otherwise.
    LinkAnswer SubmitAndAnswer(LinkBatch::Kind kind, bool tick, bool& event, int32_t& result);
    void Finish();
    // Waits for the batch under way until `start` + `budget`.
    bool WaitUntil(uint32_t start, uint32_t budget);
    // What is left of kWaitBudgetMs, capped at `want`.
    uint32_t Allowance(uint32_t want) const {
        const uint32_t left = waitedMs_ >= kWaitBudgetMs ? 0 : kWaitBudgetMs - waitedMs_;
        return want < left ? want : left;
    }
    void AbandonStagedReads();
    void RememberWrite(int32_t offset, int32_t size, const void* source);
    // The poll exchange numbered `tick` has finished well: what was written
    // before it was submitted shows in the values now.
    void ConfirmWrites(uint64_t tick);

    struct PendingWrite {
        int32_t offset;
        int32_t size;
        uint64_t shownBy;  // the poll exchange whose reads will show it
        uint8_t bytes[8];
    };
    static constexpr std::size_t kMaxPendingWrites = 32;

    ILinkWorker& worker_;
    LinkBatch store_[2];
    LinkBatch* staging_ = &store_[0];
    LinkBatch* flight_ = &store_[1];
    bool inFlight_ = false;
    bool flightIsTick_ = false;
    bool flightAbandoned_ = false;  // its reads are not copied: the caller stopped waiting
    uint32_t flightStart_ = 0;
    bool open_ = false;
    bool closePending_ = false;
    bool lastOk_ = false;
    int32_t lastResult_ = ResultOk;
    int32_t fsuipcVersion_ = 0;
    int32_t simulatorVersion_ = 0;
    LinkEvents events_;
    uint32_t waitedMs_ = 0;  // waited since the last TakeEvents
    PendingWrite pending_[kMaxPendingWrites] = {};
    std::size_t pendingCount_ = 0;
    uint64_t ticksSubmitted_ = 0;
    uint64_t flightTick_ = 0;  // the number of the poll exchange in flight
    uint64_t abandonedReads_ = 0;
    uint64_t droppedRecords_ = 0;
    uint64_t batches_ = 0;
};

} // namespace orvex::simlink
