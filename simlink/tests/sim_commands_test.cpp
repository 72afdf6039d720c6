// Virtual buttons and controls through the in-memory FSUIPC, keystroke
// sequences, and the wait on a fake clock.
#include "simlink/sim_commands.h"
#include "simlink/tests/fake_link.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <functional>
#include <vector>

using namespace orvex::simlink;
using orvex::simlink::testing::FakeLink;

namespace {

TEST(VirtualButtonTest, SetsAndClearsOneBitKeepingTheOthers) {
    FakeLink link;
    link.Put(0x3340, {0xA4, 0x5A, 0x00, 0xFF});
    SetVirtualButton(link, 64, 1, true, true);
    EXPECT_EQ(link.Word(0x3340), 0xFF005AA5u);
    SetVirtualButton(link, 64, 9, true, true);  // byte 1, bit 0
    EXPECT_EQ(link.Word(0x3340), 0xFF005BA5u);
    SetVirtualButton(link, 64, 32, false, true);  // byte 3, bit 7
    EXPECT_EQ(link.Word(0x3340), 0x7F005BA5u);

    link.Put(0x3360, {0xFF, 0xFF, 0xFF, 0xFF});
    SetVirtualButton(link, 72, 32, false, true);
    EXPECT_EQ(link.table[0x3363], 0x7F);
    EXPECT_EQ(link.Word(0x3360), 0x7FFFFFFFu);
    SetVirtualButton(link, 72, 32, false, true);  // releasing twice keeps it released
    EXPECT_EQ(link.table[0x3363], 0x7F);
    EXPECT_EQ(link.Word(0x335C), 0u);  // joystick 71 untouched

    // Without Immediate the write waits for the next exchange.
    SetVirtualButton(link, 66, 17, true, false);
    ASSERT_EQ(link.queue.size(), 1u);
    EXPECT_TRUE(link.queue[0].write);
    EXPECT_EQ(link.queue[0].offset, 0x3348);
    EXPECT_EQ(link.Word(0x3348), 0u);
    int32_t r = 0;
    link.LinkProcess(r);
    EXPECT_EQ(link.Word(0x3348), 0x00010000u);
}

TEST(VirtualButtonTest, NoWriteWithoutAGoodReadNorForOutOfRangeNumbers) {
    FakeLink link;
    link.Put(0x3340, {0x00, 0x00, 0x00, 0x80});  // another button held
    link.processFails = true;
    SetVirtualButton(link, 64, 1, true, true);
    link.processFails = false;
    EXPECT_TRUE(link.queue.empty());
    EXPECT_EQ(link.Word(0x3340), 0x80000000u);

    link.open = false;
    SetVirtualButton(link, 64, 1, true, true);
    link.open = true;

    const int calls = link.processCalls;
    SetVirtualButton(link, 63, 1, true, true);
    SetVirtualButton(link, 73, 1, true, true);
    SetVirtualButton(link, 64, 0, true, true);
    SetVirtualButton(link, 64, 33, true, true);
    EXPECT_EQ(link.processCalls, calls);
    EXPECT_TRUE(link.queue.empty());
    EXPECT_EQ(link.Word(0x3340), 0x80000000u);
}

TEST(FsControlTest, QueuesControlAndParameterWithoutProcessing) {
    FakeLink link;
    SendFsControl(link, 66587, -1);
    EXPECT_EQ(link.processCalls, 0);
    ASSERT_EQ(link.queue.size(), 1u);
    const auto& q = link.queue[0];
    EXPECT_TRUE(q.write);
    EXPECT_EQ(q.offset, 0x3110);
    ASSERT_EQ(q.size, 8);
    int32_t control = 0, parameter = 0;
    std::memcpy(&control, q.bytes.data(), 4);
    std::memcpy(&parameter, q.bytes.data() + 4, 4);
    EXPECT_EQ(control, 66587);
    EXPECT_EQ(parameter, -1);
}

std::vector<KeyRecord> Records(uint8_t key, uint8_t qualifiers) {
    const KeySequence s = BuildKeystroke(key, qualifiers);
    return {s.records.begin(), s.records.begin() + static_cast<std::ptrdiff_t>(s.count)};
}

TEST(KeystrokeTest, QualifiersWrapTheKeyInOrder) {
    const KeyRecord aDown{0x41, false}, aUp{0x41, true};
    const KeyRecord shiftDown{0x10, false}, shiftUp{0x10, true};
    const KeyRecord ctrlDown{0x11, false}, ctrlUp{0x11, true};
    const KeyRecord tabDown{0x09, false}, tabUp{0x09, true};
    EXPECT_EQ(Records(0x41, 0), (std::vector<KeyRecord>{aDown, aUp}));
    EXPECT_EQ(Records(0x41, 3), (std::vector<KeyRecord>{shiftDown, ctrlDown, aDown, aUp, ctrlUp, shiftUp}));
    EXPECT_EQ(Records(0x41, 4), (std::vector<KeyRecord>{tabDown, aDown, aUp, tabUp}));
    EXPECT_EQ(Records(0x41, 5), (std::vector<KeyRecord>{shiftDown, tabDown, aDown, aUp, tabUp, shiftUp}));
    EXPECT_EQ(Records(0x41, 7),
              (std::vector<KeyRecord>{shiftDown, ctrlDown, tabDown, aDown, aUp, tabUp, ctrlUp, shiftUp}));
    for (unsigned q = 0; q < 256; ++q) {
        const auto recs = Records(0x70, static_cast<uint8_t>(q));
        EXPECT_EQ(recs.size(), 2u + 2u * static_cast<unsigned>(std::popcount(q & 7u))) << q;
        // Every key that goes down comes up again, in reverse order.
        for (std::size_t i = 0; i < recs.size() / 2; ++i) {
            EXPECT_FALSE(recs[i].keyUp);
            EXPECT_EQ(recs[recs.size() - 1 - i], (KeyRecord{recs[i].virtualKey, true}));
        }
    }
}

// A clock that moves only when slept on.
class FakeWaitHost : public IWaitHost {
public:
    uint32_t now = 1000;
    std::vector<uint32_t> sleeps;
    int pumps = 0;
    std::function<void()> onPump;
    uint32_t TickCount() override { return now; }
    void Sleep(uint32_t ms) override {
        sleeps.push_back(ms);
        now += ms;
    }
    void PumpMessages() override {
        ++pumps;
        if (onPump) onPump();
    }
};

TEST(KeystrokeTest, NavigationKeysAreExtendedAndTheirNumericPadTwinsAreNot) {
    for (uint8_t vk : {0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x2D, 0x2E, 0x6F, 0xA3, 0xA5})
        EXPECT_TRUE(IsExtendedKey(vk)) << int(vk);
    // Numeric pad 0-9 and decimal, the left Ctrl and Alt, letters, Enter.
    for (uint8_t vk : {0x60, 0x61, 0x64, 0x69, 0x6E, 0xA2, 0xA4, 0x41, 0x0D, 0x10, 0x11})
        EXPECT_FALSE(IsExtendedKey(vk)) << int(vk);
}

TEST(WaitForTest, SleepsWholeStepsAndPumpsAfterEach) {
    FakeWaitHost host;
    EXPECT_FALSE(WaitFor(host, 100, 25));
    EXPECT_EQ(host.sleeps, (std::vector<uint32_t>{25, 25, 25, 25}));
    EXPECT_EQ(host.pumps, 4);

    FakeWaitHost uneven;
    EXPECT_FALSE(WaitFor(uneven, 100, 30));  // at least the duration
    EXPECT_EQ(uneven.sleeps.size(), 4u);

    FakeWaitHost none;
    EXPECT_FALSE(WaitFor(none, 0, 25));
    EXPECT_FALSE(WaitFor(none, -5, 25));
    EXPECT_TRUE(none.sleeps.empty());

    FakeWaitHost rounded;
    EXPECT_FALSE(WaitFor(rounded, 5, 2.5));  // 2.5 ms rounds to 2
    EXPECT_EQ(rounded.sleeps, (std::vector<uint32_t>{2, 2, 2}));
}

TEST(WaitForTest, AbortFlagEndsTheWait) {
    FakeWaitHost host;
    const bool already = true;
    EXPECT_TRUE(WaitFor(host, 100, 25, &already));
    EXPECT_EQ(host.sleeps.size(), 1u);
    EXPECT_EQ(host.pumps, 1);

    FakeWaitHost later;
    bool abort = false;
    later.onPump = [&] { abort = later.pumps == 2; };
    EXPECT_TRUE(WaitFor(later, 1000, 10, &abort));
    EXPECT_EQ(later.sleeps.size(), 2u);
}

TEST(WaitForTest, TickCountWrapNeitherEndsNorStretchesTheWait) {
    FakeWaitHost host;
    host.now = 0xFFFFFFF0u;  // wraps 16 ms into the wait
    EXPECT_FALSE(WaitFor(host, 100, 25));
    EXPECT_EQ(host.sleeps.size(), 4u);

    FakeWaitHost nearEnd;
    nearEnd.now = 0xFFFFFF00u;  // start + duration itself wraps
    EXPECT_FALSE(WaitFor(nearEnd, 0x200, 0x80));
    EXPECT_EQ(nearEnd.sleeps.size(), 4u);
}

} // namespace
