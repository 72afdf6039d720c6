// The link's reply walk against whatever the other side leaves in the
// shared block. The input describes batches of reads and writes and how the
// reply differs from the request as it was sent (bytes patched here and
// there, or the whole block replaced, a failed send, another answer). The
// link may refuse a reply; it must never write anywhere but the queued
// destinations, never write them when it refuses, never read outside the
// block, and copy exactly the block's bytes when it accepts.
#include "simlink/link_core.h"

#include "tests/support/fuzz_input.h"

#include <cstring>
#include <memory>
#include <vector>

namespace {

using namespace orvex::simlink;
using orvex::fuzzing::FuzzInput;

constexpr std::uint8_t kUntouched = 0xA5;

// The operating system with an FSUIPC behind it whose reply the input
// chooses. The block is a heap allocation of exactly the block's size, so
// that the address sanitizer sees any access outside it.
class ReplyPlatform final : public ILinkPlatform {
public:
    explicit ReplyPlatform(FuzzInput& in) : in_(in), block_(new std::uint8_t[kBlockSize]) {}

    NativeHandle FindTopLevelWindow(const char* className) override {
        return std::strcmp(className, kWindowClass) == 0 ? 0x100 : 0;
    }
    std::uint32_t RegisterMessage(const char*) override { return 0xC123; }
    std::uint32_t CurrentProcessId() override { return 0x1A2C; }
    std::uint16_t AddGlobalAtom(const char*) override { return 0xC0DE; }
    void DeleteGlobalAtom(std::uint16_t) override {}
    NativeHandle CreateMapping(const char*, std::uint32_t size, bool& existed) override {
        FUZZ_CHECK(size == kBlockSize);
        existed = false;
        return 0x300;
    }
    void* MapView(NativeHandle) override {
        std::memset(block_.get(), 0, kBlockSize);
        return block_.get();
    }
    void UnmapView(void* view) override { FUZZ_CHECK(view == block_.get()); }
    void CloseMapping(NativeHandle) override {}
    void Sleep(std::uint32_t) override {}

    bool SendBlocking(NativeHandle, std::uint32_t, std::uintptr_t, std::uint32_t, std::uintptr_t& answer,
                      std::uint32_t& lastError) override {
        const std::uint8_t how = in_.Byte();
        if (how == 0xFF) {  // the send fails (time-out or error)
            lastError = in_.Bit() ? 1460 : 0;
            return false;
        }
        answer = how == 0xFE ? in_.Byte() : 1;
        if (how == 0xFD) {
            // An entirely foreign block.
            const std::string bytes = in_.Bytes(kBlockSize);
            std::memcpy(block_.get(), bytes.data(), bytes.size());
        } else {
            AnswerReads();
            // A few bytes anywhere in the block, mostly near the records.
            for (int patches = how % 8; patches > 0; --patches) {
                const std::uint32_t at = in_.Bit() ? in_.Word() % kBlockSize : in_.Byte() % 256;
                const std::string bytes = in_.Text(8);
                for (std::size_t i = 0; i < bytes.size() && at + i < kBlockSize; ++i)
                    block_[at + i] = static_cast<std::uint8_t>(bytes[i]);
            }
        }
        std::memcpy(reply_.data(), block_.get(), kBlockSize);
        return true;
    }

    const std::uint8_t* Reply() const { return reply_.data(); }

private:
    // FSUIPC's part: fills every read record with data (the versions at
    // open, whatever the input says otherwise).
    void AnswerReads() {
        std::uint32_t at = 0;
        while (at + 4 <= kRequestArea) {
            std::int32_t id;
            std::memcpy(&id, block_.get() + at, 4);
            if (id != 1 && id != 2) break;
            const std::uint32_t header = id == 1 ? kReadHeaderSize : kWriteHeaderSize;
            if (at + header > kRequestArea) break;
            std::int32_t offset, size;
            std::memcpy(&offset, block_.get() + at + 4, 4);
            std::memcpy(&size, block_.get() + at + 8, 4);
            if (size < 0 || at + header + static_cast<std::uint32_t>(size) > kRequestArea) break;
            if (id == 1) {
                std::uint8_t* data = block_.get() + at + header;
                if (offset == kOffsetFsuipcVersion && size == 4) {
                    const std::int32_t v = 0x39990000;
                    std::memcpy(data, &v, 4);
                } else if (offset == kOffsetSimulatorVersion && size == 4) {
                    const std::int32_t v = static_cast<std::int32_t>(0xFADE000Bu);
                    std::memcpy(data, &v, 4);
                } else {
                    for (std::int32_t i = 0; i < size; ++i) data[i] = static_cast<std::uint8_t>(offset + i);
                }
            }
            at += header + static_cast<std::uint32_t>(size);
        }
    }

    FuzzInput& in_;
    std::unique_ptr<std::uint8_t[]> block_;
    std::vector<std::uint8_t> reply_ = std::vector<std::uint8_t>(kBlockSize);
};

struct QueuedRead {
    std::unique_ptr<std::uint8_t[]> buffer;  // exactly `size` bytes (one for size 0)
    std::int32_t size;
    std::uint32_t position;  // where its data lies in the block
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    ReplyPlatform platform(in);
    FsuipcLink link(platform);
    std::int32_t result = 0;
    if (!link.LinkOpen(in.Bit() ? 0 : 11, result)) {
        FUZZ_CHECK(result != ResultOk && !link.IsOpen());
        return 0;
    }
    FUZZ_CHECK(link.SimulatorVersion() >= 0 && link.SimulatorVersion() <= 0xFFFF);

    for (int batch = 0; batch < 4 && !in.Empty(); ++batch) {
        std::vector<QueuedRead> reads;
        std::uint32_t position = 0;
        const int records = in.Byte() % 40;
        for (int r = 0; r < records; ++r) {
            const std::uint8_t kind = in.Byte();
            const auto offset = static_cast<std::int32_t>(in.Word());
            // Mostly small records, now and then one near or over the limit.
            std::int32_t length = (kind & 0x30) == 0x30 ? static_cast<std::int32_t>(in.Word()) : in.Byte() % 64;
            if ((kind & 0xF0) == 0xF0) length = -length;
            if (kind & 1) {
                QueuedRead read{std::make_unique<std::uint8_t[]>(length > 0 ? static_cast<std::size_t>(length) : 1),
                                length, position + kReadHeaderSize};
                std::memset(read.buffer.get(), kUntouched, length > 0 ? static_cast<std::size_t>(length) : 1);
                if (link.LinkRead(offset, length, read.buffer.get(), result)) {
                    position += kReadHeaderSize + static_cast<std::uint32_t>(length);
                    reads.push_back(std::move(read));
                } else {
                    FUZZ_CHECK(result == ResultRequestTooLarge);
                }
            } else {
                std::vector<std::uint8_t> source(length > 0 ? static_cast<std::size_t>(length) : 0, kind);
                if (link.LinkWrite(offset, length, source.data(), result))
                    position += kWriteHeaderSize + static_cast<std::uint32_t>(length);
                else
                    FUZZ_CHECK(result == ResultRequestTooLarge);
            }
            FUZZ_CHECK(link.QueuedBytes() == position && position + kTerminatorSize <= kRequestArea);
        }

        const bool ok = link.LinkProcess(result);
        if (position == 0) {
            FUZZ_CHECK(!ok && result == ResultNothingQueued);
            continue;
        }
        FUZZ_CHECK(ok == (result == ResultOk));
        FUZZ_CHECK(link.QueuedRecords() == 0 && link.QueuedBytes() == 0);
        for (const QueuedRead& read : reads) {
            const auto n = static_cast<std::size_t>(read.size > 0 ? read.size : 0);
            for (std::size_t i = 0; i < n; ++i) {
                if (ok) FUZZ_CHECK(read.buffer[i] == platform.Reply()[read.position + i]);
                else FUZZ_CHECK(read.buffer[i] == kUntouched);
            }
            if (n == 0) FUZZ_CHECK(read.buffer[0] == kUntouched);
        }
    }
    link.LinkClose();
    return 0;
}
