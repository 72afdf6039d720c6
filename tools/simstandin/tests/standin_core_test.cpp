// The stand-in's batch execution: reads, writes, side effects, malformed
// batches and the fault modes that the core carries out itself.
#include "tools/simstandin/standin_core.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

using namespace orvex::simstandin;

namespace {

// Builds a batch the way a client lays it out.
class Batch {
public:
    Batch& Read(int32_t offset, int32_t size, int32_t id = 1) {
        Put(id);
        Put(offset);
        Put(size);
        Put(0x12345678);  // destination, not used by the simulator side
        readAt_.push_back(bytes_.size());
        bytes_.resize(bytes_.size() + static_cast<size_t>(std::max(size, 0)), 0xCC);
        return *this;
    }
    Batch& Write(int32_t offset, std::vector<uint8_t> data, int32_t id = 2) {
        Put(id);
        Put(offset);
        Put(static_cast<int32_t>(data.size()));
        bytes_.insert(bytes_.end(), data.begin(), data.end());
        return *this;
    }
    // A write record that makes the next record start at the given position.
    Batch& PadTo(size_t position) {
        return Write(0x1000, std::vector<uint8_t>(position - bytes_.size() - 12, 7));
    }
    Batch& Raw(std::vector<int32_t> fields) {
        for (int32_t f : fields) Put(f);
        return *this;
    }
    // The block as sent: the records, a terminator and zeros up to the block size.
    std::vector<uint8_t> Block(bool terminate = true) const {
        std::vector<uint8_t> block = bytes_;
        if (terminate) block.insert(block.end(), 4, 0);
        block.resize(std::max(block.size(), kBlockSize), 0);
        return block;
    }
    // Data bytes of the i-th read in a block built from this batch.
    static std::vector<uint8_t> Data(const std::vector<uint8_t>& block, size_t at, size_t size) {
        return {block.begin() + static_cast<std::ptrdiff_t>(at), block.begin() + static_cast<std::ptrdiff_t>(at + size)};
    }
    size_t ReadAt(size_t i) const { return readAt_[i]; }
    size_t Size() const { return bytes_.size(); }

private:
    void Put(int32_t v) {
        for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
    }
    std::vector<uint8_t> bytes_;
    std::vector<size_t> readAt_;
};

std::vector<uint8_t> TableBytes(const Standin& s) {
    std::vector<uint8_t> all(kTableSize);
    s.Table().Read(0, all);
    return all;
}

TEST(StandinCore, InitialValuesIdentifyAnFsxWithACurrentInterface) {
    Standin s;
    EXPECT_GE(static_cast<int32_t>(s.Table().GetUnsigned(off::kFsuipcVersion, 4)), 0x19980005);
    EXPECT_EQ(s.Table().GetUnsigned(off::kSimulatorVersion, 4), 0xFADE0008u);
    EXPECT_EQ(s.Table().GetUnsigned(off::kCom1, 2), 0x2345u);
    EXPECT_EQ(s.Table().GetUnsigned(off::kAltimeter, 2), 16212u);
    EXPECT_EQ(s.Table().GetText(off::kTitle, 255), "Cessna Skyhawk 172SP");
    EXPECT_EQ(Standin(7).Table().GetUnsigned(off::kSimulatorVersion, 4), 0xFADE0007u);
}

TEST(StandinCore, ReadsAreFilledAndWritesAppliedInOrder) {
    Standin s;
    Batch b;
    b.Read(off::kCom1, 2).Write(off::kCom1Standby, {0x75, 0x18}).Read(off::kCom1Standby, 2).Read(0x3D00, 0);
    std::vector<uint8_t> block = b.Block();
    ASSERT_EQ(s.Exchange(block), 1u);
    EXPECT_EQ(Batch::Data(block, b.ReadAt(0), 2), (std::vector<uint8_t>{0x45, 0x23}));
    EXPECT_EQ(Batch::Data(block, b.ReadAt(1), 2), (std::vector<uint8_t>{0x75, 0x18})) << "a read sees an earlier write";
    EXPECT_EQ(s.Table().GetUnsigned(off::kCom1Standby, 2), 0x1875u);
    // Headers stay as the client wrote them.
    int32_t destination = 0;
    std::memcpy(&destination, block.data() + 12, 4);
    EXPECT_EQ(destination, 0x12345678);

    ASSERT_EQ(s.Log().size(), 1u);
    const ExchangeEntry& e = s.Log().back();
    EXPECT_EQ(e.sequence, 1u);
    EXPECT_EQ(e.outcome, Outcome::Ok);
    EXPECT_EQ(e.records, (std::vector<RecordInfo>{{RecordKind::Read, 0x034E, 2},
                                                  {RecordKind::Write, 0x311A, 2},
                                                  {RecordKind::Read, 0x311A, 2},
                                                  {RecordKind::Read, 0x3D00, 0}}));
    EXPECT_EQ(FormatExchange(e), "1 4 R:0x034E:2 W:0x311A:2 R:0x311A:2 R:0x3D00:0");
}

TEST(StandinCore, IdTakesTheLowSixteenBits) {
    Standin s;
    Batch b;
    b.Read(off::kFsuipcVersion, 4, 0x7FFF0001);
    std::vector<uint8_t> block = b.Block();
    EXPECT_EQ(s.Exchange(block), 1u);
    EXPECT_EQ(Batch::Data(block, b.ReadAt(0), 4), (std::vector<uint8_t>{0x00, 0x00, 0x05, 0x40}));
}

TEST(StandinCore, TheTopOfTheTableIsReachableAndNotOneByteMore) {
    Standin s;
    Batch good;
    good.Write(0xFFFF, {0xAB}).Read(0xFFFE, 2).Read(0xFFFF, 0);
    std::vector<uint8_t> block = good.Block();
    ASSERT_EQ(s.Exchange(block), 1u);
    EXPECT_EQ(Batch::Data(block, good.ReadAt(0), 2), (std::vector<uint8_t>{0x00, 0xAB}));

    for (Batch bad : {Batch().Read(0xFFFF, 2), Batch().Write(0xFFFE, {1, 2, 3}), Batch().Read(0x10000, 0),
                      Batch().Read(-1, 1), Batch().Raw({1, 0x7FFFFFFF, 0x7FFFFFFF, 0})}) {
        const std::vector<uint8_t> before = TableBytes(s);
        std::vector<uint8_t> bad_block = bad.Block();
        const std::vector<uint8_t> sent = bad_block;
        EXPECT_EQ(s.Exchange(bad_block), 0u);
        EXPECT_EQ(bad_block, sent);
        EXPECT_EQ(TableBytes(s), before);
    }
}

// Every kind of broken batch is answered 0, and its earlier good records
// are not applied either.
TEST(StandinCore, MalformedBatchesChangeNothing) {
    struct Case {
        const char* what;
        std::vector<uint8_t> block;
    };
    auto withGoodStart = [] {
        Batch b;
        b.Write(off::kCom1Standby, {0x99, 0x19}).Read(off::kCom1, 2);
        return b;
    };
    std::vector<Case> cases;
    cases.push_back({"unknown id", withGoodStart().Raw({3, 0x0330, 2, 0}).Block()});
    cases.push_back({"negative size", withGoodStart().Raw({2, 0x0330, -2}).Block()});
    cases.push_back({"past the table", withGoodStart().Write(0xFFF0, std::vector<uint8_t>(17, 1)).Block()});
    auto cut = [](Batch b, size_t keep) {
        std::vector<uint8_t> block = b.Block(false);
        block.resize(keep);
        return block;
    };
    // A write whose data would run past the end of the block.
    cases.push_back({"record past the block", cut(withGoodStart().PadTo(kBlockSize - 12).Raw({2, 0x0100, 64}),
                                                  kBlockSize)});
    // A read header cut by the end of the block.
    cases.push_back({"header past the block", cut(withGoodStart().PadTo(kBlockSize - 8).Raw({1, 0x0100, 4, 0}),
                                                  kBlockSize)});
    // Records up to the last byte and no room for the terminator.
    cases.push_back({"no terminator", cut(withGoodStart().PadTo(kBlockSize), kBlockSize)});
    for (Case& c : cases) {
        Standin s;
        ASSERT_EQ(c.block.size(), kBlockSize) << c.what;
        const std::vector<uint8_t> before = TableBytes(s);
        const std::vector<uint8_t> sent = c.block;
        EXPECT_EQ(s.Exchange(c.block), 0u) << c.what;
        EXPECT_EQ(TableBytes(s), before) << c.what;
        EXPECT_EQ(c.block, sent) << c.what << ": the reads were not filled";
        EXPECT_EQ(s.Malformed(), 1u) << c.what;
        EXPECT_EQ(s.Log().back().outcome, Outcome::Malformed) << c.what;
        EXPECT_GE(s.Log().back().recordCount, 2u) << c.what;
    }
    // The empty block, a short one and a record ending exactly at the block's end are fine.
    Standin s;
    std::vector<uint8_t> empty(kBlockSize, 0);
    EXPECT_EQ(s.Exchange(empty), 1u);
    std::vector<uint8_t> tiny(3, 0);
    EXPECT_EQ(s.Exchange(tiny), 0u);
    Batch full;
    full.Read(0, static_cast<int32_t>(kBlockSize - 16 - 4));
    std::vector<uint8_t> block = full.Block();
    ASSERT_EQ(block.size(), kBlockSize);
    EXPECT_EQ(s.Exchange(block), 1u);
}

TEST(StandinCore, ClientsCannotOverwriteTheVersionWords) {
    Standin s;
    Batch b;
    b.Write(off::kClientVersion, {0, 0}).Write(off::kFsuipcVersion, std::vector<uint8_t>(10, 0x11));
    std::vector<uint8_t> block = b.Block();
    ASSERT_EQ(s.Exchange(block), 1u);
    EXPECT_EQ(s.Table().GetUnsigned(off::kSimulatorVersion, 4), 0xFADE0008u);
    EXPECT_EQ(s.Table().GetUnsigned(off::kFsuipcVersion, 4), kDefaultFsuipcVersion);
    EXPECT_EQ(s.Table().GetUnsigned(off::kIdentityEnd, 2), 0x1111u) << "bytes beyond the words are written";
    EXPECT_EQ(s.ClientVersion(), 0x1111);
}

TEST(StandinCore, ControlsButtonsSwapsAndGear) {
    Standin s;
    Batch b;
    // Control 65580 with parameter -1, then one with only the number written.
    b.Write(off::kControl, {0x2C, 0x00, 0x01, 0x00, 0xFF, 0xFF, 0xFF, 0xFF})
        .Write(off::kControl, {0x01, 0x00, 0x00, 0x00})
        .Write(0x3340, {0x01, 0, 0, 0})
        .Write(0x3360, {0, 0, 0, 0x80})
        .Write(off::kRadioSwap, {8})
        .Write(off::kGearControl, {0, 0, 0, 0});
    std::vector<uint8_t> block = b.Block();
    ASSERT_EQ(s.Exchange(block), 1u);
    EXPECT_EQ(s.Controls().size(), 2u);
    EXPECT_EQ(s.Controls()[0], (ControlEntry{65580, -1}));
    EXPECT_EQ(s.Controls()[1], (ControlEntry{1, -1}));
    EXPECT_EQ(s.Table().GetUnsigned(0x3340, 1), 1u);
    EXPECT_EQ(s.Table().GetUnsigned(0x3363, 1), 0x80u);
    ASSERT_EQ(s.Buttons().size(), 2u);
    EXPECT_EQ(s.Buttons()[1].offset, 0x3360u);
    EXPECT_EQ(s.Buttons()[1].bytes, (std::vector<uint8_t>{0, 0, 0, 0x80}));
    EXPECT_EQ(s.Table().GetUnsigned(off::kCom1, 2), 0x1875u);
    EXPECT_EQ(s.Table().GetUnsigned(off::kCom1Standby, 2), 0x2345u);
    EXPECT_EQ(s.Table().GetUnsigned(off::kNav1, 2), 0x1030u) << "only COM1 was swapped";
    EXPECT_EQ(s.Table().GetUnsigned(off::kGearNose, 4), 0u);
    EXPECT_EQ(s.Table().GetUnsigned(off::kGearLeft, 4), 0u);
}

TEST(StandinCore, ZerosForNExchangesThenRealData) {
    Standin s;
    s.SetFault({FaultKind::Zeros, 2, 0});
    for (int i = 0; i < 3; ++i) {
        Batch b;
        b.Read(off::kFsuipcVersion, 4).Write(off::kCom1Standby, {0x00, 0x19});
        std::vector<uint8_t> block = b.Block();
        ASSERT_EQ(s.Exchange(block), 1u);
        const bool zeros = i < 2;
        EXPECT_EQ(Batch::Data(block, b.ReadAt(0), 4) == std::vector<uint8_t>(4, 0), zeros) << i;
        EXPECT_EQ(s.Table().GetUnsigned(off::kCom1Standby, 2) == 0x1900u, !zeros) << i;
        EXPECT_EQ(s.Log().back().outcome, zeros ? Outcome::Zeros : Outcome::Ok) << i;
    }
    EXPECT_EQ(s.CurrentFault().kind, FaultKind::None);
}

TEST(StandinCore, RejectCountsAndLogsButChangesNothing) {
    Standin s;
    s.SetFault({FaultKind::Reject, 0, 0});
    Batch b;
    b.Write(off::kCom1, {0, 0});
    std::vector<uint8_t> block = b.Block();
    EXPECT_EQ(s.Exchange(block), 0u);
    EXPECT_EQ(s.Table().GetUnsigned(off::kCom1, 2), 0x2345u);
    EXPECT_EQ(s.Rejected(), 1u);
    EXPECT_EQ(FormatExchange(s.Log().back()), "1 1 W:0x034E:2 rejected");
    s.RecordUnreadable();
    EXPECT_EQ(FormatExchange(s.Log().back()), "2 0 unreadable");

    s.SetFsuipcVersion(0x19980004);
    s.SetSimulator(7);
    s.ClearFaults();
    EXPECT_EQ(s.CurrentFault().kind, FaultKind::None);
    EXPECT_EQ(s.Table().GetUnsigned(off::kFsuipcVersion, 4), kDefaultFsuipcVersion);
    EXPECT_EQ(s.Table().GetUnsigned(off::kSimulatorVersion, 4), 0xFADE0008u);
}

TEST(StandinCore, LogsAreBoundedAndClearedTogetherWithTheCounters) {
    Standin s;
    for (size_t i = 0; i < Standin::kMaxLog + 5; ++i) {
        Batch b;
        b.Write(off::kControl, {1, 0, 0, 0, 2, 0, 0, 0});
        std::vector<uint8_t> block = b.Block();
        s.Exchange(block);
    }
    EXPECT_EQ(s.Log().size(), Standin::kMaxLog);
    EXPECT_EQ(s.Log().front().sequence, 6u);
    EXPECT_EQ(s.Controls().size(), Standin::kMaxControlLog);
    EXPECT_EQ(s.Exchanges(), Standin::kMaxLog + 5);

    // A huge batch is logged with its count and the first records only.
    Batch many;
    for (int i = 0; i < 400; ++i) many.Read(i, 1);
    std::vector<uint8_t> block = many.Block();
    ASSERT_EQ(s.Exchange(block), 1u);
    EXPECT_EQ(s.Log().back().recordCount, 400u);
    EXPECT_EQ(s.Log().back().records.size(), Standin::kMaxLoggedRecords);
    EXPECT_NE(FormatExchange(s.Log().back()).find(" ..."), std::string::npos);

    s.ClearLogs();
    EXPECT_EQ(s.Exchanges(), 0u);
    EXPECT_TRUE(s.Log().empty());
    EXPECT_TRUE(s.Controls().empty());
    EXPECT_TRUE(s.Buttons().empty());
}

TEST(OffsetTable, IntegersTextAndBounds) {
    OffsetTable t;
    EXPECT_TRUE(t.SetInt(0xFFF8, 8, 0x8877665544332211ull));
    EXPECT_EQ(t.GetUnsigned(0xFFF8, 8), 0x8877665544332211ull);
    EXPECT_EQ(t.GetSigned(0xFFFF, 1), -120);
    EXPECT_FALSE(t.SetInt(0xFFFF, 2, 1));
    EXPECT_EQ(t.GetUnsigned(0xFFFF, 2), 0u);
    EXPECT_TRUE(t.SetText(0x3D00, 8, "1234567"));
    EXPECT_FALSE(t.SetText(0x3D00, 8, "12345678")) << "no room for the NUL";
    EXPECT_EQ(t.GetText(0x3D00, 255), "1234567");
    EXPECT_FALSE(t.SetText(0xFFF0, 256, "x"));
    uint8_t two[2];
    EXPECT_FALSE(t.Read(0xFFFF, two));
    EXPECT_TRUE(t.Read(0x10000, {}) == false);
}

}  // namespace
