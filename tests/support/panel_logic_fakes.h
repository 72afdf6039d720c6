// What the panel logic tests share: the program around a logic (a fake
// link with its registered offsets, the program state, a configuration over
// an in-memory INI store), an action target that writes the virtual buttons
// and keystrokes it is given into a log, and a clock that moves only when
// slept on.
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

// "press 64,3", "release 64,3 now", "key 38,2"; into a log of its own or
// one shared with other fakes, so that the order of everything shows.
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
