// The simulator adapter: a virtual button action reaches the link as a
// change of its joystick's word, with the other buttons kept.
#include "actions/win32/sim_action_target.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

namespace orvex::actions::win32 {
namespace {

// A link over a memory of offsets; reads and writes take effect on process.
class MemoryLink final : public simlink::ILink {
public:
    std::map<std::int32_t, std::uint8_t> memory;
    int processes = 0;
    bool LinkRead(std::int32_t offset, std::int32_t size, void* destination, std::int32_t& result) override {
        reads_.push_back({offset, size, static_cast<std::uint8_t*>(destination)});
        result = 0;
        return true;
    }
    bool LinkWrite(std::int32_t offset, std::int32_t size, const void* source, std::int32_t& result) override {
        const auto* bytes = static_cast<const std::uint8_t*>(source);
        writes_.push_back({offset, std::vector<std::uint8_t>(bytes, bytes + size)});
        result = 0;
        return true;
    }
    bool LinkProcess(std::int32_t& result) override {
        ++processes;
        for (auto& [offset, data] : writes_)
            for (std::size_t i = 0; i < data.size(); ++i) memory[offset + static_cast<std::int32_t>(i)] = data[i];
        for (auto& r : reads_)
            for (std::int32_t i = 0; i < r.size; ++i) r.destination[i] = memory[r.offset + i];
        writes_.clear();
        reads_.clear();
        result = 0;
        return true;
    }

private:
    struct Read {
        std::int32_t offset, size;
        std::uint8_t* destination;
    };
    std::vector<Read> reads_;
    std::vector<std::pair<std::int32_t, std::vector<std::uint8_t>>> writes_;
};

TEST(SimActionTarget, VirtualButtonPressAndReleaseKeepOtherButtons) {
    MemoryLink link;
    link.memory[0x3340] = 0x80; // button 8 of joystick 64 already held
    SimActionTarget target(link);
    EXPECT_EQ(Press({kVButton, 64, 1, 0}, target, true), Outcome::Done);
    EXPECT_EQ(link.memory[0x3340], 0x81);
    EXPECT_EQ(Release({kVButton, 64, 1, 0}, target, true), Outcome::Done);
    EXPECT_EQ(link.memory[0x3340], 0x80);
    EXPECT_GT(link.processes, 0);
}

} // namespace
} // namespace orvex::actions::win32
