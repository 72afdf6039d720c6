// cInifile over the real profile functions, on files in a folder of its own.
#include "config/win32/inifile.h"

#include "config/tests/win32/temp_folder.h"

#include <gtest/gtest.h>

namespace orvex::config::win32 {
namespace {

using testing::TempFolder;

struct IniFixture : ::testing::Test {
    TempFolder folder{"ini"};
    cInifile ini;
    void SetUp() override {
        ini.Path(folder.File("Test.ini"));
        ini.Section("Main");
    }
};

TEST_F(IniFixture, ValuesDefaultsAndTheCut) {
    ini.Key("Missing");
    EXPECT_EQ(ini.Value(), "") << "Default never set";
    ini.Default("0");
    EXPECT_EQ(ini.Value(), "0");

    ini.Key("Long");
    const std::string text(300, 'x');
    ini.Value(text);
    EXPECT_TRUE(ini.Success());
    EXPECT_NE(ini.LastReturnCode(), 0);
    EXPECT_EQ(ini.Value(), text.substr(0, 254));
    ini.Default(std::string(300, 'd'));
    ini.Key("Missing");
    EXPECT_EQ(ini.Value(), std::string(254, 'd')) << "the default is cut the same way";

    ini.Key("Nul");
    ini.Value(std::string("a\0b\0\0c", 6));
    ini.Default("");
    EXPECT_EQ(ini.Value(), "abc");
    EXPECT_NE(folder.Read("Test.ini").find("Nul=abc"), std::string::npos);
}

TEST_F(IniFixture, EnumerationOrderMissingSectionAndDeletion) {
    std::vector<std::string> names{"stale"};
    std::int32_t count = 5;
    ini.EnumerateCurrentSection(names, count);
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(names.empty());

    folder.Write("Test.ini", "[Main]\r\nB=1\r\nA=2\r\n[Second]\r\nX=1\r\n[Third]\r\n");
    ini.EnumerateCurrentSection(names, count);
    EXPECT_EQ(names, (std::vector<std::string>{"B", "A"}));
    EXPECT_EQ(count, 2);
    ini.EnumerateAllSections(names, count);
    EXPECT_EQ(names, (std::vector<std::string>{"Main", "Second", "Third"}));

    ini.Section("SECOND");
    ini.DeleteSection();
    EXPECT_TRUE(ini.Success());
    ini.EnumerateAllSections(names, count);
    EXPECT_EQ(names, (std::vector<std::string>{"Main", "Third"}));

    ini.Section("main");
    ini.Key("b");
    ini.DeleteKey();
    ini.EnumerateCurrentSection(names, count);
    EXPECT_EQ(names, std::vector<std::string>{"A"});
    EXPECT_EQ(ini.INISection(), std::string("A\0", 2));
}

TEST_F(IniFixture, ListsLongerThanTheFirstBufferComeWhole) {
    std::string text = "[First]\r\nK=1\r\n[Long]\r\n";
    std::vector<std::string> expected;
    for (int i = 0; i < 400; ++i) {
        expected.push_back("Aircraft title number " + std::to_string(i) + " with a long livery name");
        text += expected.back() + "=Default\r\n";
    }
    for (int i = 0; i < 400; ++i) text += "[Section " + std::to_string(i) + " of a file with very many sections]\r\n";
    folder.Write("Test.ini", text);
    std::vector<std::string> names;
    std::int32_t count = 0;
    ini.Section("Long");
    ini.EnumerateCurrentSection(names, count);
    ASSERT_EQ(count, 400);
    EXPECT_EQ(names, expected);
    EXPECT_GT(ini.INISection().size(), 8192u);
    EXPECT_EQ(ini.KeyNames(ini.Path(), "Long"), expected);
    ini.EnumerateAllSections(names, count);
    EXPECT_EQ(count, 402);
    EXPECT_EQ(names.back(), "Section 399 of a file with very many sections");
}

TEST_F(IniFixture, StoreInterfaceAndFiles) {
    EXPECT_FALSE(ini.FileExists(ini.Path()));
    EXPECT_TRUE(ini.WriteString(ini.Path(), "S", "K", "V"));
    EXPECT_TRUE(ini.FileExists(ini.Path())) << "writing creates the file";
    EXPECT_EQ(ini.ReadString(ini.Path(), "s", "k", "d"), "V");
    EXPECT_EQ(ini.ReadString(ini.Path(), "S", "Other", "d"), "d");
    EXPECT_FALSE(ini.FileExists(folder.Path())) << "a folder is not a file";

    folder.Write("Other.ini", "[X]\r\n");
    EXPECT_FALSE(ini.MoveFileTo(ini.Path(), folder.File("Other.ini"))) << "never overwrites";
    EXPECT_EQ(folder.Read("Other.ini"), "[X]\r\n");
    EXPECT_TRUE(ini.MoveFileTo(ini.Path(), folder.File("Moved.ini")));
    EXPECT_EQ(ini.ReadString(folder.File("Moved.ini"), "S", "K", ""), "V");
}

TEST(CLngDefault, ConvertsOrFallsBack) {
    EXPECT_EQ(cInifile::CLngDefault("FAIL", 7), 7);
    EXPECT_EQ(cInifile::CLngDefault("42", 7), 42);
    EXPECT_EQ(cInifile::CLngDefault(" -42 ", 7), -42);
    EXPECT_EQ(cInifile::CLngDefault("", 7), 7);
}

TEST_F(IniFixture, FormPositionRoundTrip) {
    HWND form = ::CreateWindowExA(0, "STATIC", "form", WS_OVERLAPPEDWINDOW, 50, 60, 300, 200, nullptr, nullptr,
                                  nullptr, nullptr);
    if (!form) GTEST_SKIP() << "no window station";
    ini.Section("Form");
    ini.Key("Kept");
    ini.SaveFormPosition(form);
    EXPECT_EQ(ini.Key(), "Kept");
    ini.Key("Left");
    EXPECT_EQ(ini.Value(), "50");
    ini.Key("Maximised");
    EXPECT_EQ(ini.Value(), "0");

    ::MoveWindow(form, 0, 0, 100, 100, FALSE);
    ini.Key("Kept");
    ini.Default("D");
    ini.LoadFormPosition(form, 400, 0);
    EXPECT_EQ(ini.Key(), "Kept");
    EXPECT_EQ(ini.Default(), "D");
    RECT r{};
    ::GetWindowRect(form, &r);
    EXPECT_EQ(r.left, 50);
    EXPECT_EQ(r.top, 60);
    EXPECT_EQ(r.right - r.left, 400) << "the minimum width wins";
    EXPECT_EQ(r.bottom - r.top, 200);
    ::DestroyWindow(form);
}

} // namespace
} // namespace orvex::config::win32
