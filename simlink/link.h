// The simulator link as the rest of the program sees it: queue reads and
// writes of FSUIPC offsets, then send them all in one exchange.
#pragma once

#include <cstdint>

namespace orvex::simlink {

// Result codes of the link operations. 0-15 are the protocol's own; 16 is
// returned when the simulator's reply does not match what was sent; 17 when
// the system refused the message because the simulator runs with other
// rights (an elevated simulator and a normal Orvex, or the reverse).
enum LinkResult : int32_t {
    ResultOk = 0,
    ResultAlreadyOpen = 1,
    ResultNoSimulator = 2,
    ResultRegisterFailed = 3,
    ResultAtomFailed = 4,
    ResultMappingFailed = 5,
    ResultViewFailed = 6,
    ResultVersionTooOld = 7,
    ResultWrongSimulator = 8,
    ResultNotOpen = 9,
    ResultNothingQueued = 10,
    ResultTimeout = 11,
    ResultSendFailed = 12,
    ResultDataRejected = 13,
    ResultNotRunning = 14,
    ResultRequestTooLarge = 15,
    ResultReplyMismatch = 16,
    ResultAccessDenied = 17,
};

// Short name of a result code, for messages and logs.
const char* LinkResultName(int32_t code);

// The queueing half of the link. Everything that reads or writes offsets
// (offset buffers, simulator commands, panel logic) talks to this, so that it
// can be exercised without a simulator.
class ILink {
public:
    virtual ~ILink() = default;
    // Queues a read of `size` bytes at `offset`; `destination` is filled when
    // the next LinkProcess succeeds and must stay valid until then.
    virtual bool LinkRead(int32_t offset, int32_t size, void* destination, int32_t& result) = 0;
    // Queues a write; the bytes are copied at once.
    virtual bool LinkWrite(int32_t offset, int32_t size, const void* source, int32_t& result) = 0;
    // Sends every queued request in one exchange and fills the destinations.
    virtual bool LinkProcess(int32_t& result) = 0;
    // The bytes of the latest write of `size` bytes at `offset` that the
    // values read so far may not show yet (still queued, or sent after the
    // last poll exchange's reads were taken); false when there is none. A
    // value stepped by the user goes on from this, not from an older read.
    // A link that sends every write before its next read has none.
    virtual bool LinkPendingWrite(int32_t offset, int32_t size, void* destination) const {
        (void)offset;
        (void)size;
        (void)destination;
        return false;
    }
};

} // namespace orvex::simlink
