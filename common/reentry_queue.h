// Keeps the order of work items that arrive while the previous one is still
// being handled: a handler that lets window messages run may meet the next
// item (an input report delivered as a message) before it has returned.
// Such an item waits in a fixed ring and is handled, in arrival order, once
// the one in hand is done. Allocates nothing; when the ring is full the new
// item is dropped and counted.
//
//     queue.Run(report, now, [&](const Report& r, std::uint32_t arrived) { Decode(r, arrived); });
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace orvex {

template <class Item, std::size_t Capacity>
class ReentryQueue {
public:
    static_assert(Capacity > 0);

    // Handles `item` now, or queues it when called from inside a handler.
    template <class Handler>
    void Run(const Item& item, std::uint32_t arrived, Handler&& handle) {
        if (busy_) {
            if (count_ == Capacity) {
                ++dropped_;
                return;
            }
            ring_[(head_ + count_) % Capacity] = Entry{item, arrived};
            ++count_;
            return;
        }
        BusyGuard guard{busy_};
        handle(item, arrived);
        while (count_ > 0) {
            const Entry next = ring_[head_];
            head_ = (head_ + 1) % Capacity;
            --count_;
            handle(next.item, next.arrived);
        }
    }

    // Items dropped because the ring was full.
    std::uint32_t Dropped() const { return dropped_; }
    bool Busy() const { return busy_; }

private:
    struct Entry {
        Item item{};
        std::uint32_t arrived = 0;
    };
    // Clears the flag also when a handler throws.
    struct BusyGuard {
        explicit BusyGuard(bool& f) : flag(f) { flag = true; }
        ~BusyGuard() { flag = false; }
        BusyGuard(const BusyGuard&) = delete;
        BusyGuard& operator=(const BusyGuard&) = delete;
        bool& flag;
    };

    std::array<Entry, Capacity> ring_{};
    std::size_t head_ = 0;
    std::size_t count_ = 0;
    std::uint32_t dropped_ = 0;
    bool busy_ = false;
};

// The work of a panel's input decoder: a 4-byte input report to decode, or
// (positions) a state word read from the panel whose positions are raised
// again, kept in bytes 1-3 as a report holds it. Both go through the
// decoder's one queue, so that a report arriving while positions are being
// raised waits for them, and positions asked for while a report's events
// run wait for that report: events never interleave.
struct PanelInputWork {
    std::array<std::uint8_t, 4> report{};
    bool positions = false;

    static PanelInputWork Positions(std::uint32_t state) {
        return {{0, static_cast<std::uint8_t>(state >> 16), static_cast<std::uint8_t>(state >> 8),
                 static_cast<std::uint8_t>(state)},
                true};
    }
};

} // namespace orvex
