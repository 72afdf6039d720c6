// The control commands against the model, with the window part faked.
#include "tools/simstandin/control_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace orvex::simstandin;

namespace {

class FakeHost : public ICommandHost {
public:
    std::string CloseWindow() override {
        if (windowClass.empty()) return "no window";
        windowClass.clear();
        return "";
    }
    std::string OpenWindow(const std::string& cls) override {
        if (!windowClass.empty()) return "window already open";
        windowClass = cls;
        return "";
    }
    void ArmHang() override { ++armed; }
    std::string windowClass = "UIPCMAIN";
    int armed = 0;
};

class Commands : public ::testing::Test {
protected:
    std::string Run(const std::string& line) { return ExecuteCommand(standin, host, line); }
    Standin standin;
    FakeHost host;
};

TEST_F(Commands, SetGetAndSetint) {
    EXPECT_EQ(Run("set 0x034E 4523"), "ok");
    EXPECT_EQ(Run("get 0x034E 2"), "ok 4523");
    EXPECT_EQ(Run("set 846 01 02"), "ok") << "decimal offset, blanks between bytes";
    EXPECT_EQ(Run("get 0x034E 2"), "ok 0102");
    EXPECT_EQ(Run("setint 0x07F2 2 -500"), "ok");
    EXPECT_EQ(standin.Table().GetSigned(0x07F2, 2), -500);
    EXPECT_EQ(Run("setint 0x3304 4 0xFFFFFFFF"), "ok");
    EXPECT_EQ(Run("get 0x3304 4"), "ok FFFFFFFF");
    EXPECT_EQ(Run("setint 0xFFF8 8 -1"), "ok");
    EXPECT_EQ(Run("get 0xFFF8 8"), "ok FFFFFFFFFFFFFFFF");
    EXPECT_EQ(Run("GET 0xffff 1"), "ok FF");

    for (const char* bad : {"set 0xFFFF 0102", "set 0x10000 01", "set 0x100 123", "set 0x100 zz", "set 0x100",
                            "get 0xFFFF 2", "get 0x100 0", "get 0x100", "setint 0x100 3 1",
                            "setint 0x100 1 256", "setint 0x100 1 -129", "setint 0x100 2 0x1FFFF",
                            "setint 0xFFFE 4 1", "setint 0x100 4 12abc", "get -1 1"}) {
        EXPECT_EQ(Run(bad).rfind("error ", 0), 0u) << bad;
    }
    EXPECT_EQ(Run("setint 0x100 1 255"), "ok");
    EXPECT_EQ(Run("setint 0x100 1 -128"), "ok");
}

TEST_F(Commands, TitleKeepsInnerBlanksAndZeroFills) {
    EXPECT_EQ(Run("title  Boeing 737-800  Wings"), "ok");
    EXPECT_EQ(standin.Table().GetText(off::kTitle, 255), "Boeing 737-800  Wings");
    EXPECT_EQ(standin.Table().GetUnsigned(off::kTitle + 40, 8), 0u);
    EXPECT_EQ(Run("title " + std::string(256, 'x')), "error title longer than 255 bytes");
    EXPECT_EQ(Run("title " + std::string(255, 'x')), "ok");
    EXPECT_EQ(standin.Table().GetText(off::kTitle, 255), std::string(255, 'x'));
    EXPECT_EQ(standin.Table().GetUnsigned(off::kTitle + 255, 1), 0u);
}

TEST_F(Commands, Faults) {
    EXPECT_EQ(Run("fault reject"), "ok");
    EXPECT_EQ(standin.CurrentFault().kind, FaultKind::Reject);
    EXPECT_EQ(Run("fault zeros 3"), "ok");
    EXPECT_EQ(standin.CurrentFault().count, 3u);
    EXPECT_EQ(Run("fault simid 7"), "ok");
    EXPECT_EQ(Run("get 0x3308 4"), "ok 0700DEFA");
    EXPECT_EQ(Run("fault version 0x19980004"), "ok");
    EXPECT_EQ(Run("get 0x3304 4"), "ok 04009819");
    EXPECT_EQ(Run("fault slow 250"), "ok");
    EXPECT_EQ(standin.CurrentFault().ms, 250u);
    EXPECT_EQ(host.armed, 0);
    EXPECT_EQ(Run("fault hang"), "ok");
    EXPECT_EQ(host.armed, 1);
    EXPECT_EQ(standin.CurrentFault().ms, 60000u);
    EXPECT_EQ(Run("fault hang 1500"), "ok");
    EXPECT_EQ(standin.CurrentFault().ms, 1500u);
    for (const char* bad : {"fault", "fault zeros", "fault zeros x", "fault simid 65536", "fault version 0x100000000",
                            "fault slow 60001", "fault hang 0", "fault hang 1 2", "fault sideways", "fault reject 1"})
        EXPECT_EQ(Run(bad).rfind("error ", 0), 0u) << bad;
    EXPECT_EQ(Run("fault none"), "ok");
    EXPECT_EQ(standin.CurrentFault().kind, FaultKind::None);
    EXPECT_EQ(Run("get 0x3304 8"), "ok 00000540" "0800DEFA");
}

TEST_F(Commands, StatsLogControlsAndClearlog) {
    std::vector<uint8_t> block(kBlockSize, 0);
    const uint8_t records[] = {1, 0, 0, 0, 0x04, 0x33, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // read 0x3304:4
                               2, 0, 0, 0, 0x10, 0x31, 0, 0, 8, 0, 0, 0, 7, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF};
    std::copy(std::begin(records), std::end(records), block.begin());
    standin.Exchange(block);
    standin.SetFault({FaultKind::Reject, 0, 0});
    standin.Exchange(block);
    standin.ClearFaults();
    block[0] = 9;
    standin.Exchange(block);

    EXPECT_EQ(Run("stats"), "ok exchanges=3 rejected=1 malformed=1 late=0");
    EXPECT_EQ(Run("log"), "ok 3\n1 2 R:0x3304:4 W:0x3110:8\n2 2 R:0x3304:4 W:0x3110:8 rejected\n3 0 malformed");
    EXPECT_EQ(Run("log 1"), "ok 1\n3 0 malformed");
    EXPECT_EQ(Run("log 0"), "ok 0");
    EXPECT_EQ(Run("controls"), "ok 1\n7 -2");
    EXPECT_EQ(Run("buttons"), "ok 0");
    EXPECT_EQ(Run("clearlog"), "ok");
    EXPECT_EQ(Run("stats"), "ok exchanges=0 rejected=0 malformed=0 late=0");
    EXPECT_EQ(Run("controls"), "ok 0");
    EXPECT_EQ(Run("log x").rfind("error ", 0), 0u);
}

TEST_F(Commands, WindowAndUnknownCommands) {
    EXPECT_EQ(Run("window close"), "ok");
    EXPECT_EQ(Run("window close"), "error no window");
    EXPECT_EQ(Run("window open FS98MAIN"), "ok");
    EXPECT_EQ(host.windowClass, "FS98MAIN");
    EXPECT_EQ(Run("window open"), "error window already open");
    EXPECT_EQ(Run("window open NOTEPAD"), "error class must be UIPCMAIN or FS98MAIN");
    EXPECT_EQ(Run(""), "error empty command");
    EXPECT_EQ(Run("jump"), "error unknown command jump");
    EXPECT_EQ(Run("ping"), "error unknown command ping") << "the pipe thread answers ping itself";
}

TEST(CommandParsing, NumbersAndHex) {
    EXPECT_EQ(ParseUnsigned("0x3D00"), 0x3D00u);
    EXPECT_EQ(ParseUnsigned("15616"), 15616u);
    EXPECT_FALSE(ParseUnsigned("0x"));
    EXPECT_FALSE(ParseUnsigned("-1"));
    EXPECT_FALSE(ParseUnsigned("0x1FFFFFFFFFFFFFFFF"));
    EXPECT_EQ(ParseSigned("-0x10"), -16);
    EXPECT_EQ(ParseSigned("-9223372036854775808"), INT64_MIN);
    EXPECT_FALSE(ParseSigned("-9223372036854775809"));
    EXPECT_EQ(ParseHexBytes("00ff A5"), (std::vector<uint8_t>{0x00, 0xFF, 0xA5}));
    EXPECT_FALSE(ParseHexBytes("0 0"));
    EXPECT_FALSE(ParseHexBytes(""));
    EXPECT_EQ(SplitWords("  a \tbb  c "), (std::vector<std::string>{"a", "bb", "c"}));
}

TEST(StatusLines, ShowTheKeyOffsets) {
    Standin s;
    s.Table().SetInt(off::kApVerticalSpeed, 2, static_cast<uint64_t>(-500) & 0xFFFF);
    const std::vector<StatusLine> lines = StatusLines(s, "UIPCMAIN");
    auto value = [&](const std::string& label) {
        for (const StatusLine& l : lines)
            if (l.label == label) return l.value;
        return std::string("(missing)");
    };
    EXPECT_EQ(value("COM1"), "123.45   standby 118.75");
    EXPECT_EQ(value("Transponder"), "1200");
    EXPECT_EQ(value("Altimeter"), "1013.25 hPa");
    EXPECT_EQ(value("Simulator"), "0xFADE0008  FSX (8)");
    EXPECT_EQ(value("ADF1 / ADF2"), "350.0   415.0 kHz");
    EXPECT_EQ(value("Lights"), "0x0003 NAV BEACON");
    EXPECT_EQ(value("Autopilot"), "off   HDG 270  ALT 5000 ft  VS -500 ft/min  IAS 110 kt");
    EXPECT_EQ(value("Fault"), "none");
    EXPECT_EQ(StatusLines(s, "")[0].value, "closed");
}

}  // namespace
