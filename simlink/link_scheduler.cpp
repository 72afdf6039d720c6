#include "simlink/link_scheduler.h"

#include <cstring>
#include <utility>

namespace orvex::simlink {

namespace {

constexpr std::size_t kMaxRecords = (kRequestArea - kTerminatorSize) / kWriteHeaderSize;

// The simulator is taken for gone: every try of the exchange went unanswered.
bool RanOutOfTries(int32_t result) { return result == ResultTimeout || result == ResultSendFailed; }

} // namespace

LinkBatch::LinkBatch() : data(kRequestArea) { records.reserve(kMaxRecords); }

void LinkBatch::Clear() {
    kind = Kind::Exchange;
    records.clear();
    dataUsed = 0;
    blockUsed = 0;
    hasReads = false;
    ok = false;
    result = ResultOk;
}

void RunBatch(FsuipcLink& link, LinkBatch& batch) {
    int32_t result = ResultOk;
    switch (batch.kind) {
    case LinkBatch::Kind::Open:
        batch.ok = link.LinkOpen(0, result);
        batch.fsuipcVersion = link.FsuipcVersion();
        batch.simulatorVersion = link.SimulatorVersion();
        break;
    case LinkBatch::Kind::Close:
        link.LinkClose();
        batch.ok = true;
        break;
    case LinkBatch::Kind::Reset:
        link.LinkReset();
        batch.ok = true;
        break;
    case LinkBatch::Kind::Exchange: {
        // The batch was admitted with the block's own limits, so every record
        // fits; a link closed meanwhile refuses them all.
        bool queued = true;
        for (const LinkBatch::Record& r : batch.records) {
            uint8_t* bytes = batch.data.data() + r.at;
            queued = r.id == 1 ? link.LinkRead(r.offset, r.size, bytes, result)
                               : link.LinkWrite(r.offset, r.size, bytes, result);
            if (!queued) break;
        }
        if (queued) {
            batch.ok = link.LinkProcess(result);
        } else {
            link.LinkDiscard();
            batch.ok = false;
        }
        break;
    }
    }
    batch.result = batch.ok ? ResultOk : result;
}

LinkScheduler::LinkScheduler(ILinkWorker& worker) : worker_(worker) {}

LinkScheduler::~LinkScheduler() {
    if (inFlight_ || open_) Shutdown();
}

bool LinkScheduler::Admit(int32_t size, uint32_t header, int32_t& result) {
    if (!open_) return Fail(result, ResultNotOpen);
    if (size < 0 ||
        static_cast<uint64_t>(staging_->blockUsed) + static_cast<uint32_t>(size) + header + kTerminatorSize >
            kRequestArea) {
        ++droppedRecords_;
        return Fail(result, ResultRequestTooLarge);
    }
    return true;
}

bool LinkScheduler::LinkRead(int32_t offset, int32_t size, void* destination, int32_t& result) {
    if (!Admit(size, kReadHeaderSize, result)) return false;
    LinkBatch& b = *staging_;
    b.records.push_back(LinkBatch::Record{1, offset, size, b.dataUsed, destination});
    if (size > 0) std::memset(b.data.data() + b.dataUsed, 0, static_cast<std::size_t>(size));
    if (destination != nullptr && size > 0) b.hasReads = true;
    b.dataUsed += static_cast<uint32_t>(size);
    b.blockUsed += kReadHeaderSize + static_cast<uint32_t>(size);
    result = ResultOk;
    return true;
}

bool LinkScheduler::LinkWrite(int32_t offset, int32_t size, const void* source, int32_t& result) {
    if (!Admit(size, kWriteHeaderSize, result)) return false;
    if (size > 0 && source == nullptr) return Fail(result, ResultRequestTooLarge);
    LinkBatch& b = *staging_;
    b.records.push_back(LinkBatch::Record{2, offset, size, b.dataUsed, nullptr});
    if (size > 0) std::memcpy(b.data.data() + b.dataUsed, source, static_cast<std::size_t>(size));
    b.dataUsed += static_cast<uint32_t>(size);
    b.blockUsed += kWriteHeaderSize + static_cast<uint32_t>(size);
    RememberWrite(offset, size, source);
    result = ResultOk;
    return true;
}

void LinkScheduler::RememberWrite(int32_t offset, int32_t size, const void* source) {
    if (size <= 0 || size > static_cast<int32_t>(sizeof(PendingWrite::bytes))) return;
    std::size_t i = 0;
    while (i < pendingCount_ && (pending_[i].offset != offset || pending_[i].size != size)) ++i;
    if (i == pendingCount_) {
        if (pendingCount_ == kMaxPendingWrites) {
            // Full: the oldest goes (the table is kept oldest first).
            std::memmove(&pending_[0], &pending_[1], sizeof(PendingWrite) * (kMaxPendingWrites - 1));
            i = kMaxPendingWrites - 1;
        } else {
            ++pendingCount_;
        }
    }
    PendingWrite& w = pending_[i];
    w.offset = offset;
    w.size = size;
    // The poll exchange under way took its reads before this write: the
    // next one shows it.
    w.shownBy = ticksSubmitted_ + 1;
    std::memcpy(w.bytes, source, static_cast<std::size_t>(size));
}

void LinkScheduler::ConfirmWrites(uint64_t tick) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < pendingCount_; ++i)
        if (pending_[i].shownBy > tick) pending_[kept++] = pending_[i];
    pendingCount_ = kept;
}

bool LinkScheduler::LinkPendingWrite(int32_t offset, int32_t size, void* destination) const {
    for (std::size_t i = 0; i < pendingCount_; ++i) {
        const PendingWrite& w = pending_[i];
        if (w.offset != offset || w.size != size) continue;
        std::memcpy(destination, w.bytes, static_cast<std::size_t>(size));
        return true;
    }
    return false;
}

void LinkScheduler::Submit(LinkBatch::Kind kind, bool tick) {
    std::swap(staging_, flight_);
    staging_->Clear();
    flight_->kind = kind;
    inFlight_ = true;
    flightIsTick_ = tick;
    if (tick) flightTick_ = ++ticksSubmitted_;
    flightAbandoned_ = false;
    flightStart_ = worker_.Now();
    ++batches_;
    worker_.Start(*flight_);
}

bool LinkScheduler::WaitUntil(uint32_t start, uint32_t budget) {
    const uint32_t began = worker_.Now();
    bool done = false;
    for (;;) {
        if (worker_.Done()) {
            done = true;
            break;
        }
        const uint32_t elapsed = worker_.Now() - start;
        if (elapsed >= budget) break;
        worker_.WaitDone(budget - elapsed);
    }
    waitedMs_ += worker_.Now() - began;
    return done;
}

void LinkScheduler::Finish() {
    inFlight_ = false;
    const LinkBatch& b = *flight_;
    lastOk_ = b.ok;
    lastResult_ = b.result;
    switch (b.kind) {
    case LinkBatch::Kind::Open:
        open_ = b.ok;
        if (b.ok) {
            fsuipcVersion_ = b.fsuipcVersion;
            simulatorVersion_ = b.simulatorVersion;
        }
        events_.opened = true;
        events_.openResult = b.result;
        break;
    case LinkBatch::Kind::Close:
    case LinkBatch::Kind::Reset:
        open_ = false;
        break;
    case LinkBatch::Kind::Exchange:
        for (const LinkBatch::Record& r : b.records) {
            if (r.id != 1 || r.destination == nullptr || r.size <= 0) continue;
            // A caller that stopped waiting may have handed its buffer out
            // again: its reply is dropped, as is any reply of a failed batch.
            if (flightAbandoned_)
                ++abandonedReads_;
            else if (b.ok)
                std::memcpy(r.destination, b.data.data() + r.at, static_cast<std::size_t>(r.size));
        }
        if (flightIsTick_) {
            events_.ticked = true;
            events_.tickResult = b.result;
            if (b.ok) ConfirmWrites(flightTick_);
        } else if (!b.ok && RanOutOfTries(b.result)) {
            events_.gaveUp = true;
            events_.gaveUpResult = b.result;
        }
        if (!b.ok && RanOutOfTries(b.result)) {
            // The link is about to be closed: what waits would go nowhere.
            droppedRecords_ += staging_->records.size();
            staging_->Clear();
            pendingCount_ = 0;
        }
        break;
    }
    flightAbandoned_ = false;

    if (closePending_) {
        closePending_ = false;
        staging_->Clear();
        Submit(LinkBatch::Kind::Close, false);
        return;
    }
    // Writes that came while the exchange ran go now, ahead of the next
    // poll exchange's reads.
    if (open_ && b.ok && !staging_->Empty() && !staging_->hasReads) Submit(LinkBatch::Kind::Exchange, false);
}

bool LinkScheduler::Service() {
    if (!inFlight_ || !worker_.Done()) return false;
    Finish();
    return true;
}

void LinkScheduler::AbandonStagedReads() {
    for (LinkBatch::Record& r : staging_->records) {
        if (r.id == 1 && r.destination != nullptr && r.size > 0) {
            r.destination = nullptr;
            ++abandonedReads_;
        }
    }
    staging_->hasReads = false;
}

bool LinkScheduler::LinkProcess(int32_t& result) {
    Service();
    if (!open_) return Fail(result, ResultNotOpen);
    if (staging_->Empty()) return Fail(result, ResultNothingQueued);

    if (!staging_->hasReads) {
        // Writes only: nobody waits for them beyond a moment.
        result = ResultOk;
        if (inFlight_) return true;
        Submit(LinkBatch::Kind::Exchange, false);
        if (!WaitUntil(flightStart_, Allowance(kQuickWaitMs))) return true;
        Finish();
        result = lastResult_;
        return lastOk_;
    }

    const uint32_t start = worker_.Now();
    const uint32_t allowance = Allowance(kReadWaitMs);
    if (inFlight_) {
        // Behind an exchange that is already late this read cannot be
        // answered in time: do not wait at all.
        if (start - flightStart_ >= kLateMs || !WaitUntil(start, allowance)) {
            AbandonStagedReads();
            return Fail(result, ResultTimeout);
        }
        Finish();
        if (!open_) return Fail(result, lastOk_ ? ResultNotOpen : lastResult_);
        if (staging_->Empty()) return Fail(result, lastResult_);
    }
    Submit(LinkBatch::Kind::Exchange, false);
    if (!WaitUntil(start, allowance)) {
        flightAbandoned_ = true;
        return Fail(result, ResultTimeout);
    }
    Finish();
    result = lastResult_;
    return lastOk_;
}

LinkAnswer LinkScheduler::Open(int32_t& result) {
    Service();
    result = ResultOk;
    if (inFlight_) return LinkAnswer::Pending;
    if (open_) {
        result = ResultAlreadyOpen;
        return LinkAnswer::Failed;
    }
    staging_->Clear();
    return SubmitAndAnswer(LinkBatch::Kind::Open, false, events_.opened, result);
}

LinkAnswer LinkScheduler::Exchange(int32_t& result) {
    Service();
    result = ResultOk;
    if (inFlight_) return LinkAnswer::Pending;
    if (!open_) {
        result = ResultNotOpen;
        return LinkAnswer::Failed;
    }
    if (staging_->Empty()) {
        result = ResultNothingQueued;
        return LinkAnswer::Failed;
    }
    return SubmitAndAnswer(LinkBatch::Kind::Exchange, true, events_.ticked, result);
}

LinkAnswer LinkScheduler::SubmitAndAnswer(LinkBatch::Kind kind, bool tick, bool& event, int32_t& result) {
    Submit(kind, tick);
    if (!WaitUntil(flightStart_, Allowance(kQuickWaitMs))) return LinkAnswer::Pending;
    Finish();
    event = false;  // the caller has the answer
    result = lastResult_;
    return lastOk_ ? LinkAnswer::Ok : LinkAnswer::Failed;
}

void LinkScheduler::Close() { Release(LinkBatch::Kind::Close); }

void LinkScheduler::Reset() { Release(LinkBatch::Kind::Reset); }

void LinkScheduler::Release(LinkBatch::Kind kind) {
    Service();
    staging_->Clear();
    pendingCount_ = 0;
    open_ = false;
    if (inFlight_) {
        // Whatever runs now still holds the handles: release them after it.
        closePending_ = true;
        return;
    }
    Submit(kind, false);
    if (WaitUntil(flightStart_, kQuickWaitMs)) Finish();
}

bool LinkScheduler::Busy() {
    while (Service()) {
    }
    return inFlight_;
}

uint32_t LinkScheduler::LateMs() { return inFlight_ ? worker_.Now() - flightStart_ : 0; }

LinkEvents LinkScheduler::TakeEvents() {
    waitedMs_ = 0;
    Service();
    const LinkEvents e = events_;
    events_ = LinkEvents{};
    return e;
}

void LinkScheduler::Shutdown() {
    staging_->Clear();
    pendingCount_ = 0;
    closePending_ = false;
    worker_.Abort(true);
    while (inFlight_) {
        worker_.WaitDone(1000);
        Service();
    }
    worker_.Abort(false);
    Submit(LinkBatch::Kind::Close, false);
    while (!worker_.Done()) worker_.WaitDone(1000);
    Finish();
    events_ = LinkEvents{};
}

} // namespace orvex::simlink
