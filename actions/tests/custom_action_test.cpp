// The custom FSUIPC actions: their texts both ways, every malformed shape,
// the Step arithmetic at each size's limits, and carrying them out.
#include "actions/custom_action.h"

#include "config/memory_ini_store.h"
#include "config/tests/fake_messages.h"
#include "tests/support/panel_logic_fakes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace orvex::actions {
namespace {

EventAction Read(std::string_view text, EventAction start = {}) {
    EXPECT_EQ(ReadActionText(text, start), ReadResult::Read) << text;
    return start;
}

TEST(CustomText, EachKindReadsAnyCaseIgnoresExtraItemsAndWritesBackTheSame) {
    EventAction c = Read("control,66587,-5,extra");
    EXPECT_EQ(c.Kind, kControl);
    EXPECT_EQ(c.Control, 66587);
    EXPECT_EQ(c.Parameter, -5);
    EXPECT_EQ(ActionText(c), "Control,66587,-5");

    EventAction s = Read("SET, 0x0bc8 ,2,0xFFFF");
    EXPECT_EQ(s.Kind, kSet);
    EXPECT_EQ(s.Offset, 0x0BC8);
    EXPECT_EQ(s.Size, 2);
    EXPECT_EQ(s.Value, 65535);
    EXPECT_EQ(ActionText(s), "Set,0x0BC8,2,65535");

    EventAction t = Read("Toggle,0x0D0C,2,4");
    EXPECT_EQ(t.Kind, kToggle);
    EXPECT_EQ(t.Value, 4);
    EXPECT_EQ(ActionText(t), "Toggle,0x0D0C,2,0x4");

    EventAction st = Read("sTeP,0x07CC,2,-1,0,359,1,more,items");
    EXPECT_EQ(st.Kind, kStep);
    EXPECT_EQ(st.Offset, 0x07CC);
    EXPECT_EQ(st.Value, -1);
    EXPECT_EQ(st.Minimum, 0);
    EXPECT_EQ(st.Maximum, 359);
    EXPECT_TRUE(st.Wrap);
    EXPECT_EQ(ActionText(st), "Step,0x07CC,2,-1,0,359,1");

    // Every written text reads back to the same record, including the
    // extremes of each size and negative numbers given as their bytes.
    for (const char* text : {"Control,2147483647,-2147483648", "Control,1,0xFFFFFFFF", "Set,0xFFFF,1,-128",
                             "Set,0xFFF8,8,-9223372036854775808", "Set,0,8,0xFFFFFFFFFFFFFFFF", "Set,0x66C0,4,4294967295",
                             "Toggle,0x66C0,8,0x8000000000000000", "Toggle,0x66C0,1,0xFF",
                             "Step,0x66C0,8,9223372036854775807,-9223372036854775808,9223372036854775807,0",
                             "Step,0x66C0,1,-128,-128,127,1"}) {
        const EventAction first = Read(text);
        const EventAction again = Read(ActionText(first));
        EXPECT_EQ(again, first) << text << " -> " << ActionText(first);
    }
    EXPECT_EQ(Read("Control,1,0xFFFFFFFF").Parameter, -1);
}

TEST(CustomText, EveryMalformedShapeLeavesTheRecordAndNamesTheItem) {
    struct Case {
        const char* text;
        int item; // the item the check names (0: the first after the kind word)
    };
    const Case cases[] = {
        {"Control", 0},                      {"Control,66587", 1},          {"Control,0,0", 0},
        {"Control,2147483648,0", 0},         {"Control,-1,0", 0},           {"Control,66587,4294967296", 1},
        {"Control,66587,-2147483649", 1},    {"Control,6.5,0", 0},          {"Control,abc,0", 0},
        {"Control,,0", 0},                   {"Set,0x66C0,2", 2},           {"Set,0x66C0", 1},
        {"Set,0x10000,1,0", 0},              {"Set,-1,1,0", 0},             {"Set,0x66C0,3,0", 1},
        {"Set,0x66C0,16,0", 1},              {"Set,0x66C0,0,0", 1},         {"Set,0xFFFF,2,0", 0},
        {"Set,0xFFFC,8,0", 0},               {"Set,0x66C0,1,256", 2},       {"Set,0x66C0,1,-129", 2},
        {"Set,0x66C0,2,65536", 2},           {"Set,0x66C0,4,0x100000000", 2}, {"Set,0x66C0,8,18446744073709551616", 2},
        {"Set,0x66C0,8,0x10000000000000000", 2}, {"Set,0x66C0,1,0x", 2},   {"Set,0x66C0,1,1 2", 2},
        {"Toggle,0x66C0,1,0x1FF", 2},        {"Toggle,0x66C0,2", 2},        {"Step,0x66C0,1,1,0,128,0", 4},
        {"Step,0x66C0,1,128,0,100,0", 2},    {"Step,0x66C0,1,1,-129,0,0", 3}, {"Step,0x66C0,2,1,10,9,0", 4},
        {"Step,0x66C0,2,1,0,9,2", 5},        {"Step,0x66C0,2,1,0,9", 5},    {"Step,0x66C0,4,1,0,2147483648,1", 4},
        {"Step,0x66C0,8,1,0,9223372036854775808,1", 4},
    };
    const EventAction start{kOffset, 1, 2, 3};
    for (const Case& c : cases) {
        EventAction r = start;
        EXPECT_EQ(ReadActionText(c.text, r), ReadResult::Malformed) << c.text;
        EXPECT_EQ(r, start) << c.text;
        // The same check by items, as the event selector's page makes it.
        const auto parts = config::SplitAll(c.text, ',');
        const std::int32_t kind = parts[0] == "Control" ? kControl
                                  : parts[0] == "Set"   ? kSet
                                  : parts[0] == "Toggle" ? kToggle
                                                        : kStep;
        const std::vector<std::string_view> items(parts.begin() + 1, parts.end());
        const CustomCheck check = ReadCustomItems(kind, items, r);
        EXPECT_EQ(check.Item, c.item) << c.text << ": " << check.Reason;
        EXPECT_FALSE(check.Reason.empty()) << c.text;
    }
}

TEST(CustomText, EveryItemThatDoesNotFitIsNamedWithItsReasonAndSummariesReadAsSentences) {
    EventAction r;
    const std::vector<std::string_view> items = {"0x1234x", "2", "70000", "5", "-40000", "3"};
    const CustomCheck check = ReadCustomItems(kStep, items, r);
    ASSERT_EQ(check.Problems.size(), 4u);
    EXPECT_EQ(check.Problems[0].Item, 0);
    EXPECT_EQ(check.Problems[0].Reason, "an offset from 0x0000 to 0xFFFF");
    EXPECT_EQ(check.Problems[1].Item, 2);
    EXPECT_EQ(check.Problems[1].Reason, "a whole number from -32768 to 32767");
    EXPECT_EQ(check.Problems[2].Item, 4);
    EXPECT_EQ(check.Problems[3].Item, 5);
    EXPECT_EQ(ReadCustomItems(kSet, std::vector<std::string_view>{"1", "3", "x"}, r).Problems.size(), 1u)
        << "a value is not judged against a size that does not fit";

    EXPECT_EQ(CustomSummary(Read("Step,0x07CC,2,1,0,359,1")), "Step 0x07CC (2 bytes) by 1 within 0 to 359, wrapping");
    EXPECT_EQ(CustomSummary(Read("Toggle,0x0D0C,2,4")), "Toggle bits 0x4 of 0x0D0C (2 bytes)");
    EXPECT_EQ(CustomSummary(Read("Set,0x66C0,1,9")), "Set 0x66C0 (1 byte) to 9");
    EXPECT_EQ(CustomSummary(Read("Control,66587,8")), "FSUIPC control 66587 with parameter 8");
    for (std::int32_t kind = kControl; kind <= kStep; ++kind) {
        EventAction d = CustomDefaults(kind);
        const std::string text = ActionText(d);
        EXPECT_EQ(Read(text, EventAction{}).Kind, kind);
        EXPECT_EQ(Read(text, d), d) << "the selector's defaults are a valid action: " << text;
    }
}

TEST(CustomText, MalformedTextIsReportedAndTheSectionReadsOn) {
    config::MemoryIniStore store;
    store.SetFileText("C:\\P.ini", "[RadioPanel1]\nButtonActionCOM1=Step,0x66C0,2,1,9,0,1\n"
                                   "ButtonActionCOM2=Set,0x66C0,2,7\nButtonActionNAV1=Control,0,1\n");
    config::testing::RecordingBadValues bad;
    std::array<EventAction, 3> records{};
    const std::vector<ActionRow> rows = {{"ButtonActionCOM1", &records[0], kOffset},
                                         {"ButtonActionCOM2", &records[1], kOffset},
                                         {"ButtonActionNAV1", &records[2], kOffset}};
    LoadActionDefaults(rows);
    LoadActions({store, "C:\\P.ini", "RadioPanel1", Field3Type::Integer16, {}, &bad}, rows);
    EXPECT_EQ(records[0].Kind, kOffset) << "min above max: the default stays";
    EXPECT_EQ(records[1].Kind, kSet);
    EXPECT_EQ(records[1].Value, 7);
    EXPECT_EQ(records[2].Kind, kOffset);
    EXPECT_EQ(bad.entries.size(), 2u);

    // Written back: only what differs from the defaults, the custom text as it reads.
    records[2] = Read("Toggle,0x0D0C,2,0x0004");
    SaveActions({store, "C:\\P.ini", "RadioPanel1", Field3Type::Integer16, {}, &bad}, rows);
    EXPECT_EQ(store.ReadString("C:\\P.ini", "RadioPanel1", "ButtonActionNAV1", ""), "Toggle,0x0D0C,2,0x4");
    EXPECT_EQ(store.ReadString("C:\\P.ini", "RadioPanel1", "ButtonActionCOM2", ""), "Set,0x66C0,2,7");
    EXPECT_EQ(store.ReadString("C:\\P.ini", "RadioPanel1", "ButtonActionCOM1", "gone"), "Step,0x66C0,2,1,9,0,1")
        << "a text that could not be read is kept for the user to mend";
}

TEST(CustomFields, AccessorsReachEveryFieldAndRefuseWhatDoesNotFit) {
    EventAction r;
    EXPECT_TRUE(SetActionField(r, 0, kStep));
    EXPECT_TRUE(SetActionField(r, 6, 0xFFFF));
    EXPECT_FALSE(SetActionField(r, 6, 0x10000));
    EXPECT_TRUE(SetActionField(r, 7, 8));
    EXPECT_FALSE(SetActionField(r, 7, 3));
    EXPECT_TRUE(SetActionField(r, 8, std::numeric_limits<std::int64_t>::min()));
    EXPECT_TRUE(SetActionField(r, 11, 1));
    EXPECT_FALSE(SetActionField(r, 11, 2));
    EXPECT_FALSE(SetActionField(r, 4, std::int64_t{1} << 40));
    EXPECT_FALSE(SetActionField(r, 0, std::int64_t{1} << 40));
    EXPECT_EQ(GetActionField(r, 8), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(GetActionField(r, 11), 1);
    EXPECT_EQ(GetActionField(r, 12), 0);
    EXPECT_FALSE(SetActionField(r, 12, 0));
}

TEST(StepArithmetic, WrapAndClampAtEachSizesLimits) {
    for (int size : {1, 2, 4, 8}) {
        const std::int64_t hi = size == 8 ? std::numeric_limits<std::int64_t>::max()
                                          : (std::int64_t{1} << (8 * size - 1)) - 1;
        const std::int64_t lo = -hi - 1;
        SCOPED_TRACE(size);
        EXPECT_EQ(StepValue(hi, 1, 1, lo, hi, true), lo) << "past max goes on from min";
        EXPECT_EQ(StepValue(lo, -1, 1, lo, hi, true), hi) << "and the same downwards";
        EXPECT_EQ(StepValue(hi, 1, 1, lo, hi, false), hi);
        EXPECT_EQ(StepValue(lo, -1, 1, lo, hi, false), lo);
        EXPECT_EQ(StepValue(hi, hi, 3, lo, hi, false), hi) << "no overflow on the way";
        EXPECT_EQ(StepValue(lo, lo, 3, lo, hi, false), lo);
        EXPECT_EQ(StepValue(hi - 1, hi, 2, lo, hi, true), hi - 3) << "exact modulo the full range";
    }
    // Ordinary ranges: a heading 0..359 wraps, a volume 0..100 clamps.
    EXPECT_EQ(StepValue(358, 1, 3, 0, 359, true), 1);
    EXPECT_EQ(StepValue(1, -1, 5, 0, 359, true), 356);
    EXPECT_EQ(StepValue(5, 10, 1, 0, 9, true), 5) << "a delta larger than the range";
    EXPECT_EQ(StepValue(98, 1, 5, 0, 100, false), 100);
    EXPECT_EQ(StepValue(500, 1, 1, 0, 359, true), 141) << "a value read outside the range is brought into it";
    EXPECT_EQ(StepValue(7, 1, 1, 7, 7, true), 7);
    EXPECT_EQ(SignExtend(0xFF, 1), -1);
    EXPECT_EQ(SignExtend(0x1FF80, 2), -128);
    EXPECT_EQ(SignExtend(0x7FFFFFFF, 4), 2147483647);
}

TEST(CustomCarryOut, ControlsRepeatStepsWriteOnceAndAFailedReadWritesNothing) {
    test::RecordingTarget target;
    EXPECT_EQ(CarryOut(Read("Control,65580,2"), target, 3), Outcome::Done);
    EXPECT_EQ(target.log, (test::Log{"control 65580,2", "control 65580,2", "control 65580,2"}));
    target.log.clear();

    target.memory[0x66C0] = 358;
    EXPECT_EQ(CarryOut(Read("Step,0x66C0,2,1,0,359,1"), target, 4), Outcome::Done);
    EXPECT_EQ(target.log, (test::Log{"write 0x66C0,2,2"})) << "one write of delta x speed";
    target.log.clear();

    target.memory[0x66C2] = 0xFFFE; // -2 in two bytes
    CarryOut(Read("Step,0x66C2,2,-3,-4,10,0"), target, 1, true);
    EXPECT_EQ(target.log, (test::Log{"write 0x66C2,2,65532 now"})) << "signed: -2 - 3 stops at -4";
    target.log.clear();

    target.memory[0x0D0C] = 0x0005;
    CarryOut(Read("Toggle,0x0D0C,2,4"), target, 1);
    EXPECT_EQ(target.memory[0x0D0C], 0x0001u);
    CarryOut(Read("Toggle,0x0D0C,2,4"), target, 2);
    EXPECT_EQ(target.memory[0x0D0C], 0x0001u) << "a knob step of speed 2 toggles twice";
    target.log.clear();

    Press(Read("Set,0x66C4,4,-1"), target);
    EXPECT_EQ(Release(Read("Set,0x66C4,4,-1"), target), Outcome::Nothing);
    EXPECT_EQ(Release(Read("Toggle,0x0D0C,2,4"), target), Outcome::Nothing) << "a click toggles once";
    CarryOut(Read("Set,0x66C4,4,-1"), target, 5);
    EXPECT_EQ(target.log, (test::Log{"write 0x66C4,4,4294967295", "write 0x66C4,4,4294967295"}))
        << "a Set is written once whatever the speed";
    target.log.clear();

    target.failReads = true;
    CarryOut(Read("Toggle,0x0D0C,2,4"), target, 1);
    CarryOut(Read("Step,0x66C0,2,1,0,359,1"), target, 1);
    EXPECT_TRUE(target.log.empty()) << "nothing is written after a failed read";
}

} // namespace
} // namespace orvex::actions
