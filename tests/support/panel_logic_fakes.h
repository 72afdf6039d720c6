// What the panel logic tests share: the program around a logic (a fake
// link with its registered offsets, the program state, a configuration over
// an in-memory INI store), an action target that writes the virtual buttons,
// keystrokes, controls and offset writes it is given into a log (over
// offsets of its own), and a clock that moves only when slept on.
#pragma once

#include "actions/event_action.h"
#include "app/program_state.h"
#include "config/configuration.h"
#include "config/memory_ini_store.h"
#include "config/tests/fake_messages.h"
#include "simlink/registered_offsets.h"
#include "simlink/sim_commands.h"
#include "simlink/tests/fake_link.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace orvex::test {

using Log = std::vector<std::string>;

// A logic test fixture derives from it beside ::testing::Test; the profiles
// live in "C:\\Orvex".
struct LogicEnvironment {
    simlink::testing::FakeLink link;
    simlink::RegisteredOffsets offsets{link};
    app::ProgramState state;
    config::MemoryIniStore store;
    config::testing::RecordingMessages messages;
    config::cConfiguration config{store, "C:\\Orvex", messages};
};

// "press 64,3", "release 64,3 now", "key 38,2", "control 65580,1",
// "write 0x66C0,2,5 now"; into a log of its own or one shared with other
// fakes, so that the order of everything shows. Offsets read what was
// written (or put in `memory`); `failReads` makes every read fail.
struct RecordingTarget final : actions::IActionTarget {
    RecordingTarget() : log(own) {}
    explicit RecordingTarget(Log& shared) : log(shared) {}
    RecordingTarget(const RecordingTarget&) = delete;
    RecordingTarget& operator=(const RecordingTarget&) = delete;

    void SetVirtualButton(std::uint8_t j, std::uint8_t b, bool pressed, bool immediate) override {
        log.push_back((pressed ? "press " : "release ") + std::to_string(j) + "," + std::to_string(b) +
                      (immediate ? " now" : ""));
    }
    void SendKeystroke(std::uint8_t key, std::uint8_t q) override {
        log.push_back("key " + std::to_string(key) + "," + std::to_string(q));
    }
    void SendFsControl(std::int32_t control, std::int32_t parameter, bool immediate) override {
        log.push_back("control " + std::to_string(control) + "," + std::to_string(parameter) +
                      (immediate ? " now" : ""));
    }
    bool ReadOffset(std::int32_t offset, std::int32_t size, std::uint64_t& value) override {
        if (failReads) return false;
        const std::uint64_t mask = size >= 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * size)) - 1;
        value = memory[offset] & mask;
        return true;
    }
    void WriteOffset(std::int32_t offset, std::int32_t size, std::uint64_t value, bool immediate) override {
        const std::uint64_t mask = size >= 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * size)) - 1;
        memory[offset] = value & mask;
        char hex[8];
        std::snprintf(hex, sizeof(hex), "0x%04X", static_cast<unsigned>(offset));
        log.push_back(std::string("write ") + hex + "," + std::to_string(size) + "," +
                      std::to_string(value & mask) + (immediate ? " now" : ""));
    }

    std::map<std::int32_t, std::uint64_t> memory;
    bool failReads = false;

    Log own;
    Log& log;
};

// The tick count moves by what is slept. With a log, each sleep is written
// to it ("sleep 50"), or the time slept since the last Mark() is written
// when Mark() is called ("wait 100"), as the test prefers.
struct FakeWait final : simlink::IWaitHost {
    enum class Logging { EverySleep, OnMark };
    FakeWait() = default;
    FakeWait(Log& shared, Logging how) : log(&shared), logging(how) {}

    std::uint32_t TickCount() override { return now; }
    void Sleep(std::uint32_t ms) override {
        now += ms;
        slept += ms;
        waited += ms;
        if (log && logging == Logging::EverySleep) log->push_back("sleep " + std::to_string(ms));
    }
    void PumpMessages() override { ++pumps; }
    void Mark() {
        if (log && waited) log->push_back("wait " + std::to_string(waited));
        waited = 0;
    }

    Log* log = nullptr;
    Logging logging = Logging::EverySleep;
    std::uint32_t now = 0;
    std::uint32_t slept = 0;   // in all
    std::uint32_t waited = 0;  // since the last Mark()
    int pumps = 0;
};

} // namespace orvex::test
