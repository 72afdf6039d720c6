// The FSUIPC inter-process link: requests are packed into a shared block,
// the block is named by a global atom and handed to the FSUIPC window with
// one blocking message; FSUIPC runs the batch and writes the read results
// back into the block.
//
// This class holds the protocol (record packing, the open handshake, send
// retries, the reply walk). The operating-system calls go through
// ILinkPlatform, so the protocol runs the same against Win32 and in tests.
#pragma once

#include "simlink/link.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvex::simlink {

// Sizes and constants of the protocol.
inline constexpr uint32_t kBlockSize = 0x8000;       // the shared block
inline constexpr uint32_t kRequestArea = 0x7F00;     // requests + 4-byte terminator
inline constexpr uint32_t kReadHeaderSize = 16;
inline constexpr uint32_t kWriteHeaderSize = 12;
inline constexpr uint32_t kTerminatorSize = 4;
inline constexpr int32_t kMinFsuipcVersion = 0x19980005;
inline constexpr uint32_t kSimulatorCheckPattern = 0xFADE;
inline constexpr int32_t kOffsetFsuipcVersion = 0x3304;
inline constexpr int32_t kOffsetSimulatorVersion = 0x3308;
inline constexpr int32_t kOffsetClientLibraryVersion = 0x330A;
inline constexpr uint32_t kSendTimeoutMs = 2000;
inline constexpr int kSendAttempts = 11;            // the first one plus 10 retries
inline constexpr uint32_t kRetrySleepMs = 60;
inline constexpr int kOpenTries = 5;
// The platform error of a send refused between processes of different
// integrity levels (ERROR_ACCESS_DENIED): no retry can change it.
inline constexpr uint32_t kErrorAccessDenied = 5;
inline constexpr const char* kMessageName = "FSASMLIB:IPC";
inline constexpr const char* kWindowClass = "UIPCMAIN";
inline constexpr const char* kWindowClassNotReady = "FS98MAIN";

using NativeHandle = std::uintptr_t;  // a window or mapping handle, 0 = none

// The operating-system side of the link.
class ILinkPlatform {
public:
    virtual ~ILinkPlatform() = default;
    // A top-level window of the class, or 0.
    virtual NativeHandle FindTopLevelWindow(const char* className) = 0;
    // The registered window message of that name, or 0.
    virtual uint32_t RegisterMessage(const char* name) = 0;
    virtual uint32_t CurrentProcessId() = 0;
    // A global atom for the name, or 0.
    virtual uint16_t AddGlobalAtom(const char* name) = 0;
    virtual void DeleteGlobalAtom(uint16_t atom) = 0;
    // A new page-file backed mapping of `size` bytes; `alreadyExisted` tells
    // whether an object of that name was there before. 0 on failure.
    virtual NativeHandle CreateMapping(const char* name, uint32_t size, bool& alreadyExisted) = 0;
    virtual void* MapView(NativeHandle mapping) = 0;
    virtual void UnmapView(void* view) = 0;
    virtual void CloseMapping(NativeHandle mapping) = 0;
    // Sends the message synchronously (block the caller, time-out in ms).
    // Returns false when the send failed; `lastError` is the platform error
    // seen then (0 = none reported).
    virtual bool SendBlocking(NativeHandle window, uint32_t message, uintptr_t wParam,
                              uint32_t timeoutMs, uintptr_t& answer, uint32_t& lastError) = 0;
    virtual void Sleep(uint32_t ms) = 0;
};

// Which FSUIPC window the link found at open.
enum class FoundWindow { None, Ready, NotReady };

class FsuipcLink final : public ILink {
public:
    explicit FsuipcLink(ILinkPlatform& platform);
    ~FsuipcLink() override;
    FsuipcLink(const FsuipcLink&) = delete;
    FsuipcLink& operator=(const FsuipcLink&) = delete;

    // Forgets every handle without releasing anything.
    void LinkReset();
    // Connects to FSUIPC; `requestedSimulator` 0 accepts any simulator.
    bool LinkOpen(int32_t requestedSimulator, int32_t& result);
    bool LinkRead(int32_t offset, int32_t size, void* destination, int32_t& result) override;
    bool LinkWrite(int32_t offset, int32_t size, const void* source, int32_t& result) override;
    bool LinkProcess(int32_t& result) override;
    // Drops what is queued without sending it.
    void LinkDiscard() {
        next_ = 0;
        queue_.clear();
    }
    // Releases the atom, the view and the mapping. Safe when closed.
    void LinkClose();
    // When set (from any thread), an exchange stops after the try under way
    // instead of trying again, and fails as a time-out.
    void SetAbortFlag(const std::atomic<bool>* abort) { abort_ = abort; }

    bool IsOpen() const { return view_ != nullptr; }
    // Read at open from 0x3304 and 0x3308 (after a good open only the
    // simulator identifier, the low 16 bits, remains).
    int32_t FsuipcVersion() const { return fsuipcVersion_; }
    int32_t SimulatorVersion() const { return simulatorVersion_; }
    FoundWindow Window() const { return found_; }
    // The atom as the protocol stores it: widened as a signed 16-bit value.
    int32_t Atom() const { return static_cast<int16_t>(atom_); }
    // Bytes queued so far in the current batch.
    uint32_t QueuedBytes() const { return next_; }
    std::size_t QueuedRecords() const { return queue_.size(); }
    // The block name for a process id and an open counter, e.g.
    // "FSASMLIB:IPC:1A2C:1".
    static void BlockName(uint32_t processId, char (&name)[32], uint32_t openCount = 1);
    // Atoms of blocks whose exchange was given up, still held (see below).
    std::size_t HeldAtoms() const { return heldCount_; }

private:
    struct Queued {
        uint32_t position;  // offset of the record within the block
        int32_t id;         // 1 read, 2 write
        int32_t offset;
        int32_t size;
        void* destination;  // reads only; kept here, never taken from the block
    };

    bool Fail(int32_t& result, int32_t code);
    bool WalkReply(int32_t& result);
    bool Aborted() const { return abort_ != nullptr && abort_->load(std::memory_order_relaxed); }
    void ReleaseHeldAtoms();
    uint8_t* Block() const { return static_cast<uint8_t*>(view_); }

    ILinkPlatform& platform_;
    NativeHandle window_ = 0;
    uint32_t message_ = 0;
    uint16_t atom_ = 0;
    NativeHandle mapping_ = 0;
    void* view_ = nullptr;
    uint32_t next_ = 0;  // where the next record goes, as an offset into the view
    FoundWindow found_ = FoundWindow::None;
    int32_t fsuipcVersion_ = 0;
    int32_t simulatorVersion_ = 0;
    int16_t clientLibraryVersion_ = 0;
    std::vector<Queued> queue_;  // capacity reserved once: queueing never allocates
    const std::atomic<bool>* abort_ = nullptr;
    // A given-up message may still wait in the simulator's queue with the
    // atom's number. The atom is kept until the simulator has answered a
    // later exchange (it takes its messages in order), so that the number
    // cannot name a newer block meanwhile.
    bool gaveUp_ = false;
    std::array<uint16_t, 8> held_{};
    std::size_t heldCount_ = 0;
};

} // namespace orvex::simlink
