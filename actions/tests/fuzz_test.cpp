// Random action texts and random INI contents through the readers: nothing
// may crash, hang or trip the sanitizers, and whatever is read must save and
// read back to the same thing.
#include "actions/event_action.h"

#include "config/configuration.h"
#include "config/memory_ini_store.h"
#include "config/tests/fake_messages.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <random>
#include <string>

namespace orvex::actions {
namespace {

constexpr const char* kPieces[] = {"None", "offset", "VButton", "vkey", "Control", "set", "TOGGLE", "Step", "0x66C0",
                                   "0xFFFF", "0x", "8", "2", "-9223372036854775808", "18446744073709551615",
                                   ",", ",", ",", "64", "255", "256", "-1",
                                   "2.5", " ", "\t", "x", "1e3", ".", "0", "99999999999", "[", "]", "=", "\n",
                                   "RadioPanel1", "GeneralSetup", "ClickThreshold", "Profiles", "Aircrafts",
                                   "AutoStart", "Splash", "SpecialMode", "Common", "ngx", "\r\n"};

std::string RandomText(std::mt19937& rng, std::size_t maxPieces) {
    std::uniform_int_distribution<std::size_t> count(0, maxPieces);
    std::uniform_int_distribution<std::size_t> piece(0, std::size(kPieces) - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string text;
    for (std::size_t n = count(rng); n > 0; --n) {
        if (byte(rng) < 24) text += static_cast<char>(byte(rng));
        else text += kPieces[piece(rng)];
    }
    return text;
}

TEST(Fuzz, ActionTextsReadAndRoundTrip) {
    std::mt19937 rng(20240607u);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (int i = 0; i < 200000 && std::chrono::steady_clock::now() < deadline; ++i) {
        const std::string text = RandomText(rng, 8);
        for (Field3Type f3 : {Field3Type::Integer16, Field3Type::Byte}) {
            EventAction record{kOffset, 1, 2, 3};
            const ReadResult result = ReadActionText(text, record, f3, {i % 2 ? ',' : '.'});
            if (result != ReadResult::Read) {
                ASSERT_EQ(record, (EventAction{kOffset, 1, 2, 3})) << text;
                continue;
            }
            EventAction back{kOffset, 1, 2, 3};
            ASSERT_EQ(ReadActionText(ActionText(record), back, f3), ReadResult::Read) << text;
            ASSERT_EQ(back.Kind, record.Kind);
            if (IsCustomKind(record.Kind)) {
                EventAction custom = back;
                ASSERT_EQ(ReadActionText(ActionText(record), custom), ReadResult::Read);
                ASSERT_EQ(ActionText(custom), ActionText(record)) << text;
                ASSERT_EQ(custom.Control, record.Control);
                ASSERT_EQ(custom.Parameter, record.Parameter);
                ASSERT_EQ(custom.Offset, record.Offset);
                ASSERT_EQ(custom.Value, record.Value) << text;
                continue;
            }
            if (record.Kind >= kVButton) {
                ASSERT_EQ(back.Field1, record.Field1);
                ASSERT_EQ(back.Field2, record.Field2);
            }
            if (record.Kind == kVKey) {
                ASSERT_EQ(back.Field3, record.Field3);
            }
        }
    }
}

TEST(Fuzz, RandomIniContentsThroughTheConfigurationReaders) {
    std::mt19937 rng(77u);
    const std::string folder = "C:\\Fuzz";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (int i = 0; i < 20000 && std::chrono::steady_clock::now() < deadline; ++i) {
        config::MemoryIniStore store;
        config::testing::RecordingMessages messages;
        messages.answerOk = (i % 2) == 0;
        store.SetFileText(folder + "\\Orvex.ini", RandomText(rng, 40));
        store.SetFileText(folder + "\\Default.ini", RandomText(rng, 40));
        config::cConfiguration config(store, folder, messages);
        config.BeginStartUp();
        if (config.FinishStartUp()) {
            config.LoadCurrentProfileCommon();
            ASSERT_EQ(config.colProfiles.back(), "Default");
            config.Setup().SaveSetup();
            config.SaveProfilesList();
            config.SaveAircraftsList();
        }
        std::array<EventAction, 4> table{};
        const std::vector<ActionRow> rows = {{"RadioPanel1", &table[0], kOffset}, {"AutoStart", &table[1], kNone},
                                             {"ngx", &table[2], kOffset}, {"Common", &table[3], kVKey}};
        for (const std::string& section : store.SectionNames(folder + "\\Default.ini")) {
            const ActionSection where{store, folder + "\\Default.ini", section, Field3Type::Byte, {},
                                      &config.BadValues()};
            LoadActionDefaults(rows);
            LoadActions(where, rows);
            SaveActions(where, rows);
        }
    }
}

} // namespace
} // namespace orvex::actions
