// Offset buffers against the in-memory FSUIPC: typed values, BCD, rounding
// and range limits, text, transfers, and the registered collection.
#include "simlink/offset.h"
#include "simlink/registered_offsets.h"
#include "simlink/tests/fake_link.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

using namespace orvex::simlink;
using orvex::simlink::testing::FakeLink;

namespace {

class OffsetTest : public ::testing::Test {
protected:
    FakeLink link;
    // An offset of `type` at `at`, read from the fake table at once.
    void Read(cOFFSET& o, int32_t at, int32_t type) {
        o.Offset = at;
        o.SetDataType(type);
        o.DirectRead(true);
        ASSERT_EQ(o.dwResult, ResultOk);
    }
};

TEST_F(OffsetTest, BcdFrequencyAndBytesOfReadValues) {
    link.Put(0x034E, {0x45, 0x23});
    cOFFSET com(link);
    Read(com, 0x034E, 3);
    EXPECT_EQ(com.Data().AsLong(), 9029);
    EXPECT_EQ(com.GetBCD(), 2345);
    EXPECT_FLOAT_EQ(com.GetFreq(), 123.45f);
    EXPECT_EQ(com.ByteN(0), 0x45);
    EXPECT_EQ(com.ByteN(1), 0x23);

    link.Put(0x3304, {0x11, 0x00, 0x39, 0x49});
    cOFFSET version(link);
    Read(version, 0x3304, 5);
    EXPECT_EQ(version.GetBCDLow(), 11);
    EXPECT_EQ(version.GetBCDHigh(), 4939);
    EXPECT_EQ(version.ByteN(0), 0x11);
    EXPECT_EQ(version.ByteN(1), 0);
    EXPECT_EQ(version.ByteN(3), 0x49);
    EXPECT_EQ(version.ByteN(4), 0);  // no such byte

    // Byte 0/1 exist only for the array types; a 32-bit offset yields 0.
    link.Put(0x0400, {0x78, 0x56, 0x34, 0x12});
    cOFFSET word(link);
    Read(word, 0x0400, 4);
    EXPECT_EQ(word.Data().AsLong(), 0x12345678);
    EXPECT_EQ(word.ByteN(0), 0);

    // Four bytes above 0x7FFFFFFF wrap to a negative 32-bit value.
    link.Put(0x0410, {0xFE, 0xFF, 0xFF, 0xFF});
    cOFFSET wrapped(link);
    Read(wrapped, 0x0410, 5);
    EXPECT_EQ(wrapped.Data().AsLong(), -2);
}

TEST_F(OffsetTest, EveryTypeReadsItsOwnWidthAndSign) {
    link.Put(0x0500, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    const struct {
        int32_t type;
        int32_t length;
        double value;
    } rows[] = {{1, 1, 255}, {2, 2, -1}, {3, 2, 65535}, {4, 4, -1}, {5, 4, -1}, {6, 8, -1}};
    for (const auto& row : rows) {
        cOFFSET o(link);
        Read(o, 0x0500, row.type);
        EXPECT_EQ(o.Lenght, row.length) << "type " << row.type;
        EXPECT_EQ(o.Data().AsDouble(), row.value) << "type " << row.type;
    }
    float f = 1.5f;
    double d = -2.25;
    std::memcpy(link.table.data() + 0x0600, &f, 4);
    std::memcpy(link.table.data() + 0x0608, &d, 8);
    cOFFSET single(link), dbl(link);
    Read(single, 0x0600, 7);
    Read(dbl, 0x0608, 8);
    EXPECT_EQ(single.Data().AsDouble(), 1.5);
    EXPECT_EQ(dbl.Data().AsDouble(), -2.25);
    EXPECT_EQ(dbl.Lenght, 8);
}

TEST_F(OffsetTest, SetBcdWritesFourDigitsAndRejectsOthers) {
    cOFFSET o(link);
    o.Offset = 0x0311;
    o.SetDataType(3);
    o.SetBcd(1215);
    o.DirectWrite(true);
    EXPECT_EQ(link.table[0x0311], 0x15);
    EXPECT_EQ(link.table[0x0312], 0x12);
    EXPECT_EQ(o.DataType(), 3);
    EXPECT_EQ(o.Lenght, 2);
    o.SetBcd(9999);
    EXPECT_EQ(o.GetBCD(), 9999);

    EXPECT_THROW(o.SetBcd(10000), OverflowError);
    EXPECT_THROW(o.SetBcd(-1), OverflowError);
    EXPECT_EQ(o.GetBCD(), 9999);  // unchanged
}

TEST_F(OffsetTest, WritesRoundHalfToEven) {
    cOFFSET o(link);
    o.SetDataType(1);
    o.SetData(2.5);
    EXPECT_EQ(o.Data().AsLong(), 2);
    o.SetData(3.5);
    EXPECT_EQ(o.Data().AsLong(), 4);
    o.SetData(254.6);
    EXPECT_EQ(o.Data().AsLong(), 255);
    o.SetDataType(2);
    o.SetData(-2.5);
    EXPECT_EQ(o.Data().AsLong(), -2);
    o.SetData(-0.5);
    EXPECT_EQ(o.Data().AsLong(), 0);
    o.SetDataType(6);
    o.SetData(-3.5);
    EXPECT_EQ(o.Data().AsDouble(), -4.0);
    EXPECT_EQ(OffsetValue::FromNumber(1.5).AsLong(), 2);
    EXPECT_EQ(OffsetValue::FromText(" 42.5 ").AsLong(), 42);
}

TEST_F(OffsetTest, ValuesThatDoNotFitRaiseAndKeepTheStorage) {
    const struct {
        int32_t type;
        double fits;
        double overflows;
    } rows[] = {
        {1, 255.4, 255.5},   {1, 0, -0.6},
        {2, 32767, 32767.5}, {2, -32768.5, -32769},
        {3, 65535, 65536},   {3, 0, -1},
        {4, 2147483647, 2147483648.0}, {4, -2147483648.0, -2147483649.0},
        {5, 2147483647, 2147483648.0}, {5, 0, -1},
        {6, -9223372036854775808.0, 9223372036854775808.0},
        {7, 3.0e38, 1.0e39},
    };
    for (const auto& row : rows) {
        cOFFSET o(link);
        o.SetDataType(row.type);
        o.SetData(row.fits);
        const OffsetValue before = o.Data();
        EXPECT_THROW(o.SetData(row.overflows), OverflowError) << "type " << row.type << " " << row.overflows;
        EXPECT_EQ(o.Data(), before) << "type " << row.type;
    }
    cOFFSET big(link);
    big.SetDataType(6);
    big.SetData(std::numeric_limits<int64_t>::max());
    big.Offset = 0x0700;
    big.DirectWrite(true);
    int64_t back = 0;
    std::memcpy(&back, link.table.data() + 0x0700, 8);
    EXPECT_EQ(back, std::numeric_limits<int64_t>::max());  // exact, not through a double

    cOFFSET small(link);
    small.SetDataType(1);
    EXPECT_THROW(small.SetData(int64_t{1} << 40), OverflowError);
    EXPECT_THROW(small.SetData(std::numeric_limits<uint64_t>::max()), OverflowError);
    EXPECT_THROW(small.SetData("12x"), TypeMismatchError);
    small.SetData("  200 ");
    EXPECT_EQ(small.Data().AsLong(), 200);

    // Wide integers fit the floating-point types; an unknown type ignores them.
    cOFFSET wide(link);
    wide.SetDataType(8);
    wide.SetData(int64_t{5000000000});
    EXPECT_EQ(wide.Data().AsDouble(), 5e9);
    wide.SetDataType(7);
    wide.SetData(int64_t{-5000000000});
    EXPECT_EQ(wide.Data().AsDouble(), -5e9);
    wide.SetDataType(12);
    EXPECT_NO_THROW(wide.SetData(int64_t{5000000000}));
    EXPECT_TRUE(wide.Data().IsEmpty());
}

TEST_F(OffsetTest, TextStopsAtZeroOrLenght) {
    std::memcpy(link.table.data() + 0x3D00, "B737", 4);
    cOFFSET title(link);
    title.Offset = 0x3D00;
    title.SetDataType(9);
    EXPECT_EQ(title.Lenght, 0);
    title.Lenght = 60;
    title.DirectRead(true);
    EXPECT_EQ(title.Data().AsText(), "B737");

    std::memset(link.table.data() + 0x3D00, 'x', 300);
    title.DirectRead(true);
    EXPECT_EQ(title.Data().AsText(), std::string(60, 'x'));

    // Above 255 the transfer and the reader stop at 255: the buffer keeps
    // its terminating zero.
    title.Lenght = 400;
    title.DirectRead(false);
    ASSERT_EQ(link.queue.size(), 1u);
    EXPECT_EQ(link.queue[0].size, 255);
    int32_t r = 0;
    link.LinkProcess(r);
    EXPECT_EQ(title.Data().AsText(), std::string(255, 'x'));
}

TEST_F(OffsetTest, TextWritesZeroTheTailAndTakeNumbers) {
    cOFFSET o(link);
    o.Offset = 0x4000;
    o.SetDataType(9);
    o.Lenght = 16;
    o.SetData("LONGER TEXT");
    o.SetData("ABC");
    o.DirectWrite(true);
    EXPECT_EQ(std::memcmp(link.table.data() + 0x4000, "ABC\0\0\0\0\0\0\0\0\0", 12), 0);
    o.SetData(123.5);
    EXPECT_EQ(o.Data().AsText(), "123.5");
    o.SetData(std::string(300, 'y'));
    o.Lenght = 255;
    EXPECT_EQ(o.Data().AsText().size(), 255u);
}

TEST_F(OffsetTest, TypeSetsLenghtAndUnknownTypesTransferNothing) {
    cOFFSET o(link);
    EXPECT_EQ(o.Lenght, 0);
    EXPECT_EQ(o.DataPtr(), nullptr);
    o.SetDataType(8);
    EXPECT_EQ(o.Lenght, 8);
    o.SetDataType(12);
    EXPECT_EQ(o.DataType(), 12);
    EXPECT_EQ(o.Lenght, 8);
    EXPECT_EQ(o.DataPtr(), nullptr);
    EXPECT_TRUE(o.Data().IsEmpty());
    o.SetData(5.0);  // ignored
    o.DirectRead(true);
    EXPECT_EQ(o.dwResult, ResultNothingQueued);
    o.DirectWrite(true);
    EXPECT_EQ(o.dwResult, ResultNothingQueued);
    EXPECT_TRUE(link.queue.empty());
    EXPECT_EQ(link.processCalls, 0);

    // A Lenght beyond the slot would write past it: the transfer is clamped.
    o.SetDataType(4);
    o.Lenght = 8;
    o.DirectRead(false);
    ASSERT_EQ(link.queue.size(), 1u);
    EXPECT_EQ(link.queue[0].size, 4);
}

TEST_F(OffsetTest, DirectTransfersReportThroughDwResult) {
    link.Put(0x0800, {7});
    cOFFSET o(link);
    Read(o, 0x0800, 1);
    EXPECT_EQ(o.Data().AsLong(), 7);

    // A failed exchange leaves the old value.
    link.Put(0x0800, {9});
    link.processFails = true;
    o.DirectRead(true);
    EXPECT_EQ(o.dwResult, ResultSendFailed);
    EXPECT_EQ(o.Data().AsLong(), 7);

    // A failed queueing is not followed by an exchange that would report Ok.
    link.processFails = false;
    link.capacity = 0;
    const int calls = link.processCalls;
    o.DirectWrite(true);
    EXPECT_EQ(o.dwResult, ResultRequestTooLarge);
    EXPECT_EQ(link.processCalls, calls);

    // Written bytes are taken when queued.
    link.capacity = 10;
    o.SetData(1.0);
    o.DirectWrite(false);
    o.SetData(2.0);
    EXPECT_EQ(o.dwResult, ResultOk);
    int32_t r = 0;
    link.LinkProcess(r);
    EXPECT_EQ(link.table[0x0800], 1);

    link.open = false;
    o.DirectRead(true);
    EXPECT_EQ(o.dwResult, ResultNotOpen);
}

TEST_F(OffsetTest, NibbleHelpers) {
    EXPECT_EQ(ShiftLeftByte(0x0F, 4), 0xF0);
    EXPECT_THROW(ShiftLeftByte(0x10, 4), OverflowError);
    EXPECT_EQ(ShiftRightByte(0xF0, 4), 0x0F);
    EXPECT_EQ(LowNibble(0xA7), 0x07);
    EXPECT_EQ(HighNibble(0xA7), 0x0A);
}

TEST_F(OffsetTest, RegisteredOffsetsKeepsFirstEntryAndOrder) {
    RegisteredOffsets reg(link);
    cOFFSET& battery = reg.AddOffset(0x281C, 4, "MASTERBATTERY");
    reg.AddOffset(0x3D00, 9, "AIRCRAFT", 40);
    reg.AddOffset(0x2E80, 4, "MASTERAVIONICS");
    // A second registration under the same key changes nothing.
    cOFFSET& again = reg.AddOffset(0x1234, 1, "MASTERBATTERY", 1);
    EXPECT_EQ(&again, &battery);
    EXPECT_EQ(battery.Offset, 0x281C);
    EXPECT_EQ(battery.DataType(), 4);
    EXPECT_EQ(battery.Lenght, 4);
    EXPECT_EQ(reg.Item("AIRCRAFT")->Lenght, 40);
    // Keys match whatever their case, as in any keyed collection.
    EXPECT_EQ(&reg.AddOffset(0x1234, 1, "MasterBattery"), &battery);
    EXPECT_EQ(reg.Item("aircraft"), reg.Item("AIRCRAFT"));

    EXPECT_FALSE(reg.OffsetExists("NOSUCHKEY"));
    EXPECT_EQ(reg.Item("NOSUCHKEY"), nullptr);
    reg.RemoveOffset("NOSUCHKEY");
    EXPECT_EQ(reg.Count(), 3u);

    // Addresses stay while other entries come and go.
    for (int i = 0; i < 100; ++i) reg.AddOffset(0x100 + i, 1, "K" + std::to_string(i));
    for (int i = 0; i < 100; i += 2) reg.RemoveOffset("K" + std::to_string(i));
    EXPECT_EQ(reg.Item("MASTERBATTERY"), &battery);
    EXPECT_EQ(reg.Count(), 53u);
    reg.RemoveOffset("MASTERBATTERY");
    EXPECT_FALSE(reg.OffsetExists("MASTERBATTERY"));
    EXPECT_EQ(*reg.KeyAt(0), "AIRCRAFT");
    EXPECT_EQ(*reg.KeyAt(2), "K1");
}

TEST_F(OffsetTest, QueueReadAllRefreshesInCollectionOrder) {
    RegisteredOffsets reg(link);
    int32_t r = -1;
    EXPECT_TRUE(reg.QueueReadAll(r));
    EXPECT_EQ(r, ResultOk);
    EXPECT_TRUE(link.queue.empty());

    std::memcpy(link.table.data() + 0x3D00, "Cessna", 7);
    link.Put(0x281C, {1, 0, 0, 0});
    link.Put(0x034E, {0x45, 0x23});
    reg.AddOffset(0x3D00, 9, "AIRCRAFT", 40);
    reg.AddOffset(0x281C, 4, "MASTERBATTERY");
    reg.AddOffset(0x034E, 3, "COM1");
    EXPECT_TRUE(reg.QueueReadAll(r));
    ASSERT_EQ(link.queue.size(), 3u);
    EXPECT_EQ(link.queue[0].offset, 0x3D00);
    EXPECT_EQ(link.queue[0].size, 40);
    EXPECT_EQ(link.queue[1].offset, 0x281C);
    EXPECT_EQ(link.queue[2].offset, 0x034E);
    ASSERT_TRUE(link.LinkProcess(r));
    EXPECT_EQ(reg.Item("AIRCRAFT")->Data().AsText(), "Cessna");
    EXPECT_EQ(reg.Item("MASTERBATTERY")->Data().AsLong(), 1);
    EXPECT_FLOAT_EQ(reg.Item("COM1")->GetFreq(), 123.45f);

    // A full batch drops what does not fit; the rest is still queued.
    link.capacity = 2;
    EXPECT_FALSE(reg.QueueReadAll(r));
    EXPECT_EQ(r, ResultRequestTooLarge);
    EXPECT_EQ(link.queue.size(), 2u);
    EXPECT_EQ(reg.Item("COM1")->dwResult, ResultOk);  // the poll form leaves dwResult alone
}

} // namespace
