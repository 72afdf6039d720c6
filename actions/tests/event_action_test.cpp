#include "actions/event_action.h"

#include "config/memory_ini_store.h"
#include "config/tests/fake_messages.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>
#include <vector>

namespace orvex::actions {
namespace {

using config::MemoryIniStore;
using config::testing::RecordingBadValues;

EventAction Read(std::string_view text, EventAction start = {}, Field3Type f3 = Field3Type::Integer16) {
    ReadActionText(text, start, f3);
    return start;
}

TEST(ActionText, KindWordsAndExamples) {
    EXPECT_EQ(Read("VBUTTON,64,3"), (EventAction{kVButton, 64, 3, 0}));
    EXPECT_EQ(Read("vbutton,64,3"), (EventAction{kVButton, 64, 3, 0}));
    EXPECT_EQ(Read("VButton,64,1"), (EventAction{kVButton, 64, 1, 0}));
    EXPECT_EQ(Read("VKey,112,1,0"), (EventAction{kVKey, 112, 1, 0}));
    EXPECT_EQ(Read("VKey,65,0,65,extra"), (EventAction{kVKey, 65, 0, 65}));
    EXPECT_EQ(Read("Offset,12", {kNone, 7, 8, 9}), (EventAction{kOffset, 7, 8, 9})) << "unused fields are kept";
    EXPECT_EQ(Read("NONE", {kOffset, 1, 2, 3}), (EventAction{kNone, 1, 2, 3}));
    // Numbers: blanks allowed, fractions round to even; no range test on joystick or button.
    EXPECT_EQ(Read("VButton, 64 ,2.5"), (EventAction{kVButton, 64, 2, 0}));
    EXPECT_EQ(Read("VButton,10,99"), (EventAction{kVButton, 10, 99, 0}));
    EXPECT_EQ(Read("VKey,65,0,-1"), (EventAction{kVKey, 65, 0, -1}));
}

TEST(ActionText, UnknownKindWordsLeaveTheRecord) {
    const EventAction start{kOffset, 1, 2, 3};
    for (const char* text : {" None", "", "Nothing", "vbutton64,1", "Offset ", ",None"}) {
        EventAction r = start;
        EXPECT_EQ(ReadActionText(text, r), ReadResult::UnknownKind) << '"' << text << '"';
        EXPECT_EQ(r, start);
    }
}

TEST(ActionText, MalformedNumbersLeaveTheRecordWhole) {
    const EventAction start{kOffset, 1, 2, 3};
    for (const char* text : {"VButton", "VButton,64", "VButton,64,", "VButton,x,1", "VButton,64,256",
                             "VButton,-1,1", "VKey,65,0", "VKey,65,0,40000", "VKey,300,0,0", "VKey,65,a,0"}) {
        EventAction r = start;
        EXPECT_EQ(ReadActionText(text, r), ReadResult::Malformed) << text;
        EXPECT_EQ(r, start) << text;
    }
    EventAction r = start;
    EXPECT_EQ(ReadActionText("VKey,65,0,256", r, Field3Type::Byte), ReadResult::Malformed)
        << "the Switch Panel's character field is 8-bit";
    EXPECT_EQ(ReadActionText("VKey,65,0,255", r, Field3Type::Byte), ReadResult::Read);
    EXPECT_EQ(r.Field3, 255);
}

TEST(ActionText, WrittenForms) {
    EXPECT_EQ(ActionText({kNone, 5, 5, 5}), "None");
    EXPECT_EQ(ActionText({kOffset, 5, 5, 5}), "Offset");
    EXPECT_EQ(ActionText({kVButton, 64, 1, 77}), "VButton,64,1");
    EXPECT_EQ(ActionText({kVKey, 112, 1, 0}), "VKey,112,1,0");
    EXPECT_EQ(ActionText({kVKey, 255, 7, -12}), "VKey,255,7,-12");
    EXPECT_EQ(ActionText({8, 1, 1, 1}), "");
    EXPECT_EQ(ActionText({-1, 1, 1, 1}), "");
}

// A panel-like holder with two tables of different defaults, declared as rows.
struct DemoPanel {
    std::array<EventAction, 3> clicks{};   // default Offset
    std::array<EventAction, 2> selectors{}; // default None
    std::vector<ActionRow> Rows() {
        return {{"ButtonActionCOM1", &clicks[0], kOffset},
                {"ButtonActionCOM2", &clicks[1], kOffset},
                {"ButtonActionNAV1", &clicks[2], kOffset},
                {"SelectorActionCOM1", &selectors[0], kNone},
                {"SelectorActionCOM2", &selectors[1], kNone}};
    }
};

const std::string kProfile = "C:\\Orvex\\Default.ini";

TEST(ActionTable, LoadKeepsDefaultsForMalformedKeysAndReportsThem) {
    MemoryIniStore store;
    store.SetFileText(kProfile, "[RadioPanel1]\n"
                                "ButtonActionCOM1=VButton,64\n"  // malformed
                                "ButtonActionCOM2=VKey,65,2,97\n"
                                "buttonactionnav1=None\n"        // differs in case: ignored
                                "SelectorActionCOM1=VButton,65,300\n" // malformed
                                "SelectorActionCOM2=Offset\n"
                                "RotAccelerationCOM1=4\n");       // not an action key
    RecordingBadValues bad;
    DemoPanel panel;
    const auto rows = panel.Rows();
    LoadActionDefaults(rows);
    LoadActions({store, kProfile, "RadioPanel1", Field3Type::Integer16, {}, &bad}, rows);
    EXPECT_EQ(panel.clicks[0].Kind, kOffset);
    EXPECT_EQ(panel.clicks[1], (EventAction{kVKey, 65, 2, 97}));
    EXPECT_EQ(panel.clicks[2].Kind, kOffset);
    EXPECT_EQ(panel.selectors[0].Kind, kNone);
    EXPECT_EQ(panel.selectors[1].Kind, kOffset);
    ASSERT_EQ(bad.entries.size(), 2u);
    EXPECT_EQ(bad.entries[0].File, kProfile);
    EXPECT_EQ(bad.entries[0].Section, "RadioPanel1");
    EXPECT_EQ(bad.entries[0].Key, "ButtonActionCOM1");
    EXPECT_EQ(bad.entries[0].Text, "VButton,64");
    EXPECT_EQ(bad.entries[1].Key, "SelectorActionCOM1");
}

TEST(ActionTable, SaveDeletesDefaultKindsAndWritesTheRest) {
    MemoryIniStore store;
    store.SetFileText(kProfile, "[RadioPanel1]\nButtonActionCOM1=None\nSelectorActionCOM1=VButton,64,1\nOther=1\n");
    DemoPanel panel;
    const auto rows = panel.Rows();
    LoadActionDefaults(rows);
    const ActionSection where{store, kProfile, "RadioPanel1"};
    LoadActions(where, rows);
    // Offset in the Offset table is deleted, in the None table it is written.
    panel.clicks[0].Kind = kOffset;
    panel.selectors[0] = {kOffset, 64, 1, 0};
    panel.clicks[1] = {kVKey, 112, 1, 0};
    panel.clicks[2] = {kVKey, 65, 3, 65};
    panel.clicks[2].Kind = kVButton; // kind 3 changed to 2: only fields 1 and 2 are written
    SaveActions(where, rows);
    EXPECT_EQ(store.FileText(kProfile), "[RadioPanel1]\r\nSelectorActionCOM1=Offset\r\nOther=1\r\n"
                                        "ButtonActionCOM2=VKey,112,1,0\r\nButtonActionNAV1=VButton,65,3\r\n");

    DemoPanel back;
    const auto backRows = back.Rows();
    LoadActionDefaults(backRows);
    LoadActions(where, backRows);
    EXPECT_EQ(back.clicks[1], panel.clicks[1]);
    EXPECT_EQ(back.clicks[2].Kind, kVButton);
    EXPECT_EQ(back.clicks[2].Field1, 65);
    EXPECT_EQ(back.clicks[2].Field2, 3);

    // All defaults: the table's keys are all deleted.
    LoadActionDefaults(rows);
    SaveActions(where, rows);
    EXPECT_EQ(store.FileText(kProfile), "[RadioPanel1]\r\nOther=1\r\n");
}

// A save used to delete every key of a default record, so a text the
// loader could not read (reported, the record kept its default) was gone
// after the next save, and a key spelled in another case was taken for the
// row's key. Found by the panel section fuzz targets.
TEST(ActionTable, SaveKeepsWhatTheLoaderCouldNotReadUntilTheRecordChanges) {
    MemoryIniStore store;
    store.SetFileText(kProfile, "[RadioPanel1]\n"
                                "ButtonActionCOM1=VButton,64\n"        // malformed
                                "ButtonActionCOM2=Macro,7\n"           // no kind this program knows
                                "buttonactionnav1=VKey,65,0,97\n"      // another case: not this key
                                "SelectorActionCOM1=Offset\n");        // read, and not the default
    DemoPanel panel;
    const auto rows = panel.Rows();
    LoadActionDefaults(rows);
    RecordingBadValues bad;
    const ActionSection where{store, kProfile, "RadioPanel1", Field3Type::Integer16, {}, &bad};
    LoadActions(where, rows);
    SaveActions(where, rows);
    EXPECT_EQ(store.FileText(kProfile), "[RadioPanel1]\r\nButtonActionCOM1=VButton,64\r\nButtonActionCOM2=Macro,7\r\n"
                                        "buttonactionnav1=VKey,65,0,97\r\nSelectorActionCOM1=Offset\r\n");

    // Set by the user, they are written; the key of another case gives way
    // to the exact name, which the next load reads.
    panel.clicks[0] = {kVButton, 64, 2, 0};
    panel.clicks[2] = {kVKey, 66, 0, 98};
    SaveActions(where, rows);
    EXPECT_EQ(store.FileText(kProfile), "[RadioPanel1]\r\nButtonActionCOM1=VButton,64,2\r\nButtonActionCOM2=Macro,7\r\n"
                                        "SelectorActionCOM1=Offset\r\nButtonActionNAV1=VKey,66,0,98\r\n");
    DemoPanel back;
    const auto backRows = back.Rows();
    LoadActionDefaults(backRows);
    LoadActions(where, backRows);
    EXPECT_EQ(back.clicks[0], panel.clicks[0]);
    EXPECT_EQ(back.clicks[2], panel.clicks[2]);
}

TEST(ActionTable, SwitchPanelCharacterFieldIsEightBit) {
    MemoryIniStore store;
    store.SetFileText(kProfile, "[SwitchPanel1]\nSwitchBATOn=VKey,66,1,300\nSwitchBATOff=VKey,66,1,98\n");
    RecordingBadValues bad;
    std::array<EventAction, 2> bat{};
    const std::vector<ActionRow> rows = {{"SwitchBATOn", &bat[0], kOffset}, {"SwitchBATOff", &bat[1], kOffset}};
    LoadActionDefaults(rows);
    LoadActions({store, kProfile, "SwitchPanel1", Field3Type::Byte, {}, &bad}, rows);
    EXPECT_EQ(bat[0].Kind, kOffset);
    EXPECT_EQ(bat[1], (EventAction{kVKey, 66, 1, 98}));
    EXPECT_EQ(bad.entries.size(), 1u);
}

struct RecordingTarget final : IActionTarget {
    std::vector<std::tuple<char, int, int, bool, bool>> calls;
    void SetVirtualButton(std::uint8_t j, std::uint8_t b, bool pressed, bool immediate) override {
        calls.emplace_back('B', j, b, pressed, immediate);
    }
    void SendKeystroke(std::uint8_t key, std::uint8_t q) override { calls.emplace_back('K', key, q, false, false); }
    void SendFsControl(std::int32_t c, std::int32_t p, bool immediate) override {
        calls.emplace_back('C', c, p, false, immediate);
    }
    bool ReadOffset(std::int32_t, std::int32_t, std::uint64_t&) override { return false; }
    void WriteOffset(std::int32_t o, std::int32_t s, std::uint64_t, bool immediate) override {
        calls.emplace_back('W', o, s, false, immediate);
    }
};

TEST(CarryOut, KindsAndPatterns) {
    RecordingTarget t;
    EXPECT_EQ(CarryOut({kNone, 64, 1, 0}, t), Outcome::Nothing);
    EXPECT_EQ(CarryOut({kOffset, 64, 1, 0}, t), Outcome::BuiltIn);
    EXPECT_EQ(CarryOut({8, 64, 1, 0}, t), Outcome::Nothing);
    EXPECT_EQ(CarryOut({-1, 64, 1, 0}, t), Outcome::Nothing);
    EXPECT_TRUE(t.calls.empty());

    EXPECT_EQ(CarryOut({kVButton, 64, 3, 0}, t, 2), Outcome::Done);
    using C = std::tuple<char, int, int, bool, bool>;
    EXPECT_EQ(t.calls, (std::vector<C>{{'B', 64, 3, true, false}, {'B', 64, 3, false, false},
                                       {'B', 64, 3, true, false}, {'B', 64, 3, false, false}}));
    t.calls.clear();
    EXPECT_EQ(CarryOut({kVKey, 112, 1, 0}, t, 3), Outcome::Done);
    EXPECT_EQ(t.calls.size(), 3u);
    EXPECT_EQ(t.calls[0], (C{'K', 112, 1, false, false}));
    t.calls.clear();

    Press({kVButton, 72, 32, 0}, t, true);
    Release({kVButton, 72, 32, 0}, t, true);
    EXPECT_EQ(t.calls, (std::vector<C>{{'B', 72, 32, true, true}, {'B', 72, 32, false, true}}));
    t.calls.clear();
    EXPECT_EQ(Press({kVKey, 65, 0, 0}, t), Outcome::Done);
    EXPECT_EQ(Release({kVKey, 65, 0, 0}, t), Outcome::Nothing);
    EXPECT_EQ(t.calls.size(), 1u) << "a keystroke is sent on the press only";
}

} // namespace
} // namespace orvex::actions
