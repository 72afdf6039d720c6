// An in-memory FSUIPC for tests: a 64 KiB offset table, a queue of requests
// applied in order when the batch is processed, and switches for failures.
#pragma once

#include "simlink/link.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace orvex::simlink::testing {

class FakeLink final : public ILink {
public:
    struct Request {
        bool write;
        int32_t offset;
        int32_t size;
        void* destination;           // reads
        std::vector<uint8_t> bytes;  // writes: copied when queued
    };

    std::array<uint8_t, 0x10000> table{};
    bool open = true;            // false: queueing fails with ResultNotOpen
    bool processFails = false;   // true: processing fails, destinations untouched
    bool readsFail = false;      // true: reads are refused with ResultTimeout (an unanswered read)
    std::size_t capacity = 1000; // queued requests beyond this fail
    std::vector<Request> queue;      // the current batch
    std::vector<Request> processed;  // every request of every successful batch
    int processCalls = 0;

    bool LinkRead(int32_t offset, int32_t size, void* destination, int32_t& result) override {
        if (!Admit(offset, size, result)) return false;
        if (readsFail) return Fail(result, ResultTimeout);
        queue.push_back(Request{false, offset, size, destination, {}});
        return Ok(result);
    }
    bool LinkWrite(int32_t offset, int32_t size, const void* source, int32_t& result) override {
        if (!Admit(offset, size, result)) return false;
        const auto* p = static_cast<const uint8_t*>(source);
        queue.push_back(Request{true, offset, size, nullptr, std::vector<uint8_t>(p, p + size)});
        return Ok(result);
    }
    bool LinkProcess(int32_t& result) override {
        ++processCalls;
        if (!open) return Fail(result, ResultNotOpen);
        if (queue.empty()) return Fail(result, ResultNothingQueued);
        if (processFails) {
            queue.clear();
            return Fail(result, ResultSendFailed);
        }
        for (Request& r : queue) {
            auto at = static_cast<std::size_t>(r.offset);
            if (r.write)
                std::memcpy(table.data() + at, r.bytes.data(), r.bytes.size());
            else if (r.size > 0)
                std::memcpy(r.destination, table.data() + at, static_cast<std::size_t>(r.size));
            processed.push_back(r);
        }
        queue.clear();
        return Ok(result);
    }

    // The latest queued write of the offset and size: the table shows it
    // once the batch is processed.
    bool LinkPendingWrite(int32_t offset, int32_t size, void* destination) const override {
        for (auto r = queue.rbegin(); r != queue.rend(); ++r) {
            if (!r->write || r->offset != offset || r->size != size) continue;
            std::memcpy(destination, r->bytes.data(), r->bytes.size());
            return true;
        }
        return false;
    }

    void Put(int32_t offset, std::initializer_list<uint8_t> bytes) {
        std::size_t i = static_cast<std::size_t>(offset);
        for (uint8_t b : bytes) table[i++] = b;
    }
    uint32_t Word(int32_t offset) const {
        uint32_t v;
        std::memcpy(&v, table.data() + offset, 4);
        return v;
    }

private:
    bool Admit(int32_t offset, int32_t size, int32_t& result) {
        if (!open) return Fail(result, ResultNotOpen);
        if (size < 0 || offset < 0 || offset + size > 0x10000 || queue.size() >= capacity)
            return Fail(result, ResultRequestTooLarge);
        return true;
    }
    static bool Ok(int32_t& result) {
        result = ResultOk;
        return true;
    }
    static bool Fail(int32_t& result, int32_t code) {
        result = code;
        return false;
    }
};

} // namespace orvex::simlink::testing
