#include "simlink/link_core.h"

#include <atomic>
#include <cstring>

namespace orvex::simlink {

namespace {

// Most records a batch can hold: every record is at least a bare write header,
// and the terminator takes 4 bytes of the request area.
constexpr std::size_t kMaxRecords = (kRequestArea - kTerminatorSize) / kWriteHeaderSize;

// Every open in the process names a new block, so that a message the
// simulator takes up after its client gave it up never finds a block opened
// since (by this link or another one of the process).
std::atomic<uint32_t> g_openCount{0};

void PutInt32(uint8_t* at, int32_t value) {
    const auto u = static_cast<uint32_t>(value);
    at[0] = static_cast<uint8_t>(u);
    at[1] = static_cast<uint8_t>(u >> 8);
    at[2] = static_cast<uint8_t>(u >> 16);
    at[3] = static_cast<uint8_t>(u >> 24);
}

int32_t GetInt32(const uint8_t* at) {
    return static_cast<int32_t>(static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) |
                                (static_cast<uint32_t>(at[2]) << 16) |
                                (static_cast<uint32_t>(at[3]) << 24));
}

void AppendHex(char*& out, uint32_t value) {
    char digits[8];
    int n = 0;
    do {
        digits[n++] = "0123456789ABCDEF"[value & 15];
        value >>= 4;
    } while (value != 0);
    while (n > 0) *out++ = digits[--n];
}

} // namespace

FsuipcLink::FsuipcLink(ILinkPlatform& platform) : platform_(platform) {
    queue_.reserve(kMaxRecords);
}

FsuipcLink::~FsuipcLink() {
    LinkClose();
    ReleaseHeldAtoms();
}

void FsuipcLink::ReleaseHeldAtoms() {
    for (std::size_t i = 0; i < heldCount_; ++i) platform_.DeleteGlobalAtom(held_[i]);
    heldCount_ = 0;
}

void FsuipcLink::LinkReset() {
    window_ = 0;
    message_ = 0;
    atom_ = 0;
    mapping_ = 0;
    view_ = nullptr;
    next_ = 0;
    queue_.clear();
    gaveUp_ = false;
}

bool FsuipcLink::Fail(int32_t& result, int32_t code) {
    result = code;
    return false;
}

void FsuipcLink::BlockName(uint32_t processId, char (&name)[32], uint32_t openCount) {
    // "FSASMLIB:IPC:" + pid in upper-case hex + ":" + the open counter.
    char* out = name;
    for (const char* p = kMessageName; *p; ++p) *out++ = *p;
    *out++ = ':';
    AppendHex(out, processId);
    *out++ = ':';
    AppendHex(out, openCount);
    *out = '\0';
}

bool FsuipcLink::LinkOpen(int32_t requestedSimulator, int32_t& result) {
    if (view_ != nullptr) return Fail(result, ResultAlreadyOpen);
    fsuipcVersion_ = 0;
    simulatorVersion_ = 0;

    found_ = FoundWindow::None;
    window_ = platform_.FindTopLevelWindow(kWindowClass);
    if (window_ != 0) {
        found_ = FoundWindow::Ready;
    } else {
        window_ = platform_.FindTopLevelWindow(kWindowClassNotReady);
        if (window_ == 0) return Fail(result, ResultNoSimulator);
        found_ = FoundWindow::NotReady;
    }

    message_ = platform_.RegisterMessage(kMessageName);
    if (message_ == 0) {
        window_ = 0;
        return Fail(result, ResultRegisterFailed);
    }

    char name[32];
    uint32_t openCount = g_openCount.fetch_add(1) + 1;
    if (openCount == 0) openCount = g_openCount.fetch_add(1) + 1;  // after the wrap
    BlockName(platform_.CurrentProcessId(), name, openCount);

    atom_ = platform_.AddGlobalAtom(name);
    if (atom_ == 0) {
        LinkClose();
        return Fail(result, ResultAtomFailed);
    }

    bool existed = false;
    mapping_ = platform_.CreateMapping(name, kBlockSize, existed);
    if (mapping_ == 0 || existed) {
        // A mapping of that name that we did not create could be read or
        // written by its owner behind our back: never use it.
        LinkClose();
        return Fail(result, ResultMappingFailed);
    }

    view_ = platform_.MapView(mapping_);
    if (view_ == nullptr) {
        LinkClose();
        return Fail(result, ResultViewFailed);
    }
    next_ = 0;
    queue_.clear();

    // A network client answers zeros until its server has the data: retry.
    for (int attempt = 0; attempt < kOpenTries; ++attempt) {
        if (fsuipcVersion_ != 0 && simulatorVersion_ != 0) break;
        if (!LinkRead(kOffsetFsuipcVersion, 4, &fsuipcVersion_, result) ||
            !LinkRead(kOffsetSimulatorVersion, 4, &simulatorVersion_, result)) {
            LinkClose();
            return false;
        }
        int32_t writeResult = 0;
        if (!LinkWrite(kOffsetClientLibraryVersion, 2, &clientLibraryVersion_, writeResult) &&
            attempt == 0) {
            LinkClose();
            return Fail(result, writeResult);
        }
        if (!LinkProcess(result)) {
            LinkClose();
            return false;
        }
        platform_.Sleep(kRetrySleepMs);
    }

    const auto simulatorBits = static_cast<uint32_t>(simulatorVersion_);
    if (fsuipcVersion_ < kMinFsuipcVersion || (simulatorBits >> 16) != kSimulatorCheckPattern) {
        const int32_t code = found_ == FoundWindow::NotReady ? ResultNotRunning : ResultVersionTooOld;
        LinkClose();
        return Fail(result, code);
    }

    simulatorVersion_ = static_cast<int32_t>(simulatorBits & 0xFFFF);
    if (requestedSimulator == 0 || requestedSimulator == simulatorVersion_) {
        result = ResultOk;
        return true;
    }
    LinkClose();
    return Fail(result, ResultWrongSimulator);
}

bool FsuipcLink::LinkRead(int32_t offset, int32_t size, void* destination, int32_t& result) {
    if (view_ == nullptr) return Fail(result, ResultNotOpen);
    // A negative size would run the packing backwards; refuse it like an
    // oversized one.
    if (size < 0 ||
        static_cast<uint64_t>(next_) + static_cast<uint32_t>(size) + kReadHeaderSize + kTerminatorSize >
            kRequestArea)
        return Fail(result, ResultRequestTooLarge);

    uint8_t* at = Block() + next_;
    PutInt32(at, 1);
    PutInt32(at + 4, offset);
    PutInt32(at + 8, size);
    // The protocol's destination field is only 32 bits wide and FSUIPC does
    // not use it: store the queue index, and keep the real destination here.
    PutInt32(at + 12, static_cast<int32_t>(queue_.size()));
    if (size > 0) std::memset(at + kReadHeaderSize, 0, static_cast<std::size_t>(size));
    queue_.push_back(Queued{next_, 1, offset, size, destination});
    next_ += kReadHeaderSize + static_cast<uint32_t>(size);
    result = ResultOk;
    return true;
}

bool FsuipcLink::LinkWrite(int32_t offset, int32_t size, const void* source, int32_t& result) {
    if (view_ == nullptr) return Fail(result, ResultNotOpen);
    if (size < 0 ||
        static_cast<uint64_t>(next_) + static_cast<uint32_t>(size) + kWriteHeaderSize + kTerminatorSize >
            kRequestArea)
        return Fail(result, ResultRequestTooLarge);
    if (size > 0 && source == nullptr) return Fail(result, ResultRequestTooLarge);

    uint8_t* at = Block() + next_;
    PutInt32(at, 2);
    PutInt32(at + 4, offset);
    PutInt32(at + 8, size);
    if (size > 0) std::memcpy(at + kWriteHeaderSize, source, static_cast<std::size_t>(size));
    queue_.push_back(Queued{next_, 2, offset, size, nullptr});
    next_ += kWriteHeaderSize + static_cast<uint32_t>(size);
    result = ResultOk;
    return true;
}

bool FsuipcLink::LinkProcess(int32_t& result) {
    if (view_ == nullptr) return Fail(result, ResultNotOpen);
    if (next_ == 0) return Fail(result, ResultNothingQueued);

    std::memset(Block() + next_, 0, kTerminatorSize);
    next_ = 0;

    // Zero-extended: the window reads the atom from the low 16 bits.
    const auto wParam = static_cast<uintptr_t>(atom_);
    uintptr_t answer = 0;
    uint32_t lastError = 0;
    bool sent = false;
    // A try that timed out or failed otherwise may still reach the simulator
    // later; one the system refused for the processes' rights never does.
    bool mayArriveLater = false;
    for (int attempt = 0; attempt < kSendAttempts && !sent; ++attempt) {
        if (attempt > 0) {
            if (Aborted()) break;
            platform_.Sleep(kRetrySleepMs);
        }
        sent = platform_.SendBlocking(window_, message_, wParam, kSendTimeoutMs, answer, lastError);
        // Refused for the rights the processes run with: final at once.
        if (!sent && lastError == kErrorAccessDenied) break;
        if (!sent) mayArriveLater = true;
    }
    if (!sent) {
        queue_.clear();
        if (mayArriveLater) gaveUp_ = true;
        if (lastError == kErrorAccessDenied) return Fail(result, ResultAccessDenied);
        return Fail(result, lastError != 0 ? ResultSendFailed : ResultTimeout);
    }
    // The simulator answered this one, so it has taken up every message
    // sent before it: the atoms held for given-up blocks can go.
    ReleaseHeldAtoms();
    if (answer != 1) {
        queue_.clear();
        return Fail(result, ResultDataRejected);
    }
    const bool ok = WalkReply(result);
    queue_.clear();
    return ok;
}

bool FsuipcLink::WalkReply(int32_t& result) {
    const uint8_t* block = Block();
    // First check that the reply still holds exactly the records we queued,
    // each inside the request area; only then copy anything out.
    for (const Queued& q : queue_) {
        const uint32_t header = q.id == 1 ? kReadHeaderSize : kWriteHeaderSize;
        if (static_cast<uint64_t>(q.position) + header + static_cast<uint32_t>(q.size) > kRequestArea)
            return Fail(result, ResultReplyMismatch);
        const uint8_t* at = block + q.position;
        if ((GetInt32(at) & 0xFFFF) != q.id || GetInt32(at + 4) != q.offset || GetInt32(at + 8) != q.size)
            return Fail(result, ResultReplyMismatch);
    }
    for (const Queued& q : queue_) {
        if (q.id == 1 && q.destination != nullptr && q.size > 0)
            std::memcpy(q.destination, block + q.position + kReadHeaderSize,
                        static_cast<std::size_t>(q.size));
    }
    result = ResultOk;
    return true;
}

void FsuipcLink::LinkClose() {
    window_ = 0;
    message_ = 0;
    next_ = 0;
    queue_.clear();
    if (atom_ != 0) {
        if (gaveUp_) {
            if (heldCount_ == held_.size()) {
                platform_.DeleteGlobalAtom(held_[0]);
                for (std::size_t i = 1; i < held_.size(); ++i) held_[i - 1] = held_[i];
                --heldCount_;
            }
            held_[heldCount_++] = atom_;
        } else {
            platform_.DeleteGlobalAtom(atom_);
        }
        atom_ = 0;
    }
    gaveUp_ = false;
    if (view_ != nullptr) {
        platform_.UnmapView(view_);
        view_ = nullptr;
    }
    if (mapping_ != 0) {
        platform_.CloseMapping(mapping_);
        mapping_ = 0;
    }
}

} // namespace orvex::simlink
