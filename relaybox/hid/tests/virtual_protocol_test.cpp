// The virtual devices' wire form: names, paths, directory and messages.
#include "relaybox/hid/hid_core.h"
#include "relaybox/hid/virtual_protocol.h"

#include <gtest/gtest.h>

using namespace orvex::hid;
using namespace orvex::hid::virt;

TEST(VirtualPaths, LookLikeRealPathsToTheIdCheck) {
    const std::string path = DevicePath(0x06A3, 0x0D05, 1);
    EXPECT_EQ(path, "\\\\?\\hid#vid_06a3&pid_0d05&virt#1#{4d1e55b2-f16f-11cf-88cb-001111000030}");
    EXPECT_TRUE(PathCarriesIds(path, 0x06A3, 0x0D05));
    const std::string upper = DevicePath(0x06A3, 0x0B4E, 12, true);
    EXPECT_NE(upper.find("VID_06A3&PID_0B4E&virt#12#"), std::string::npos);
    EXPECT_TRUE(PathCarriesIds(upper, 0x06A3, 0x0B4E));
    EXPECT_EQ(DevicePipeName("X", 3), "\\\\.\\pipe\\X.dev3");
}

TEST(VirtualDirectory, RoundTripsAndRefusesDamagedBlocks) {
    const std::vector<DirectoryEntry> entries = {
        {DevicePath(0x06A3, 0x0D05, 1), DevicePipeName("I", 1), 0x06A3, 0x0D05, 0x0100},
        {DevicePath(0x06A3, 0x0D67, 2), DevicePipeName("I", 2), 0x06A3, 0x0D67, 0xFFFF},
    };
    auto block = EncodeDirectory(entries);
    auto decoded = DecodeDirectory(block.data(), block.size());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, entries);

    auto empty = EncodeDirectory({});
    ASSERT_TRUE(DecodeDirectory(empty.data(), empty.size()));
    EXPECT_TRUE(DecodeDirectory(empty.data(), empty.size())->empty());

    // A length beyond the block, a truncated block, a broken line.
    auto longer = block;
    longer[0] = 0xFF;
    longer[1] = 0xFF;
    EXPECT_FALSE(DecodeDirectory(longer.data(), longer.size()));
    EXPECT_FALSE(DecodeDirectory(block.data(), block.size() - 5));
    EXPECT_FALSE(DecodeDirectory(block.data(), 3));
    auto broken = block;
    for (auto& b : broken)
        if (b == '\t') {
            b = ' ';
            break;
        }
    EXPECT_FALSE(DecodeDirectory(broken.data(), broken.size()));
    std::vector<uint8_t> zeros(64, 0);
    EXPECT_FALSE(DecodeDirectory(zeros.data(), zeros.size())) << "a block never written";
}

TEST(VirtualMessages, CheckKindAndSize) {
    auto ok = [](std::vector<uint8_t> bytes) { return Decode(bytes.data(), bytes.size()).has_value(); };
    EXPECT_TRUE(ok({'R'}));
    EXPECT_FALSE(ok({'R', 1}));
    EXPECT_FALSE(ok({}));
    EXPECT_FALSE(ok({'Z'}));
    EXPECT_TRUE(ok({'i', 0, 1, 2, 3}));
    EXPECT_FALSE(ok({'i'}));
    EXPECT_FALSE(ok({'S'}));
    EXPECT_FALSE(ok(std::vector<uint8_t>(kMaxMessage + 1, 'S')));
    EXPECT_TRUE(ok({'G', 23, 0, 0}));
    EXPECT_FALSE(ok({'G', 23, 0}));

    HidCaps caps;
    caps.Usage = 1;
    caps.UsagePage = 0xFF00;
    caps.FeatureReportByteLength = 23;
    caps.Reserved[16] = 0xABCD;
    caps.NumberFeatureDataIndices = 0x1234;
    auto message = Encode({Op::CapsReply, EncodeCaps(caps)});
    auto decoded = Decode(message.data(), message.size());
    ASSERT_TRUE(decoded);
    auto back = DecodeCaps(decoded->body);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->UsagePage, 0xFF00);
    EXPECT_EQ(back->FeatureReportByteLength, 23);
    EXPECT_EQ(back->Reserved[16], 0xABCD);
    EXPECT_EQ(back->NumberFeatureDataIndices, 0x1234);

    auto attrs = DecodeAttributes(EncodeAttributes({0x06A3, 0x0D06, 0x0102}));
    ASSERT_TRUE(attrs);
    EXPECT_EQ(attrs->productId, 0x0D06);
    EXPECT_EQ(attrs->versionNumber, 0x0102);
}

TEST(Hex, RoundTripsAndRefusesOddText) {
    EXPECT_EQ(ToHex({0x00, 0xAB, 0x12}), "00AB12");
    EXPECT_EQ(FromHex("00 ab 12"), (std::vector<uint8_t>{0x00, 0xAB, 0x12}));
    EXPECT_FALSE(FromHex("abc"));
    EXPECT_FALSE(FromHex("zz"));
    EXPECT_TRUE(FromHex("")->empty());
}
