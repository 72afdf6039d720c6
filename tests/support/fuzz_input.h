// Reads a fuzz target's input as a stream of small values. Past the end
// every read yields zero (or an empty text), so a target never has to check
// the length itself and every input, however short, is a complete case.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvex::fuzzing {

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool Empty() const { return pos_ >= size_; }
    std::size_t Left() const { return size_ - pos_; }

    std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    std::uint16_t Word() { return static_cast<std::uint16_t>(Byte() | (Byte() << 8)); }
    std::uint32_t Dword() { return static_cast<std::uint32_t>(Word()) | (static_cast<std::uint32_t>(Word()) << 16); }
    bool Bit() { return (Byte() & 1) != 0; }
    // A value in [0, count) (0 when count is 0).
    std::uint32_t Below(std::uint32_t count) { return count == 0 ? 0 : Dword() % count; }

    // Up to `max` bytes as a text.
    std::string Text(std::size_t max) {
        const std::size_t n = Byte() % (max + 1);
        return Bytes(n);
    }
    std::string Bytes(std::size_t n) {
        const std::size_t take = n < Left() ? n : Left();
        std::string out(reinterpret_cast<const char*>(data_ + pos_), take);
        pos_ += take;
        return out;
    }
    // Everything not read yet.
    std::string Rest() { return Bytes(Left()); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// Stops the target with a message when a property does not hold: libFuzzer
// saves the input as a crash.
[[noreturn]] void Fail(const char* what);

} // namespace orvex::fuzzing

#define FUZZ_CHECK(condition)                                                                   \
    do {                                                                                        \
        if (!(condition)) ::orvex::fuzzing::Fail(__FILE__ ": " #condition);                     \
    } while (0)
