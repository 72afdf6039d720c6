// The program-wide keyed collection of offsets refreshed on every poll tick.
// Panel logics register the offsets they read at start-up; the poll loop
// queues a read of every entry, in the order they were added, before each
// exchange.
#pragma once

#include "simlink/link.h"
#include "simlink/offset.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvex::simlink {

class RegisteredOffsets {
public:
    // Every entry is created on `link`.
    explicit RegisteredOffsets(ILink& link) : link_(link) {}
    RegisteredOffsets(const RegisteredOffsets&) = delete;
    RegisteredOffsets& operator=(const RegisteredOffsets&) = delete;

    // Adds an entry under `key` (keys match without regard to ASCII case): Offset
    // is set, then the data type (which sets Lenght), then Lenght if `length`
    // is given. An existing key is left untouched. Returns the entry under
    // the key, new or existing.
    cOFFSET& AddOffset(int32_t offset, int32_t dataType, std::string_view key,
                       std::optional<int32_t> length = std::nullopt);
    // Removes the entry if there is one. Do not remove an entry between
    // queueing the reads and processing the batch: the queued read points
    // into it.
    void RemoveOffset(std::string_view key);
    bool OffsetExists(std::string_view key) const;

    // The entry under `key`, or nullptr. Entries keep their address until
    // they are removed.
    cOFFSET* Item(std::string_view key);
    const cOFFSET* Item(std::string_view key) const;

    std::size_t Count() const { return order_.size(); }
    bool Empty() const { return order_.empty(); }
    // Entry `index` in collection order (0-based), or nullptr.
    cOFFSET* At(std::size_t index) { return index < order_.size() ? order_[index].offset.get() : nullptr; }
    const std::string* KeyAt(std::size_t index) const {
        return index < order_.size() ? &order_[index].key : nullptr;
    }

    // Queues a read of every entry in collection order. A failure does not
    // stop the others (a full batch drops only what does not fit). `result`
    // is the first failure's code, or ResultOk; true when every read was
    // queued. Allocates nothing.
    bool QueueReadAll(int32_t& result);

private:
    struct Entry {
        std::string key;
        std::unique_ptr<cOFFSET> offset;
    };

    // Orders keys without regard to ASCII case, as keyed collections do.
    struct KeyLess {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };

    ILink& link_;
    std::vector<Entry> order_;                         // collection order
    std::map<std::string, cOFFSET*, KeyLess> index_;   // key -> entry
};

} // namespace orvex::simlink
