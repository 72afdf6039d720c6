// cRegistry and the autostart value, on the real registry of the test prefix.
#include "config/win32/registry.h"

#include "config/autostart_command.h"
#include "config/win32/autostart_win32.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace orvex::config::win32 {
namespace {

struct RegistryFixture : ::testing::Test {
    std::string base = "Software\\OrvexTest" + std::to_string(::GetCurrentProcessId());
    cRegistry reg;
    void SetUp() override {
        reg.ClassKey = HKEY_CURRENT_USER;
        reg.SectionKey = base + "\\Values";
    }
    void TearDown() override {
        ::RegDeleteKeyA(HKEY_CURRENT_USER, (base + "\\Values\\Sub1").c_str());
        ::RegDeleteKeyA(HKEY_CURRENT_USER, (base + "\\Values\\Sub2").c_str());
        ::RegDeleteKeyA(HKEY_CURRENT_USER, (base + "\\Values").c_str());
        ::RegDeleteKeyA(HKEY_CURRENT_USER, base.c_str());
    }
};

TEST_F(RegistryFixture, ValuesOfEachTypeRoundTrip) {
    reg.Default = std::string("none");
    reg.ValueKey = "Missing";
    EXPECT_EQ(reg.Value(), RegistryValue(std::string("none")));
    EXPECT_FALSE(reg.KeyExists());

    reg.ValueKey = "Text";
    reg.ValueType = REG_SZ;
    ASSERT_TRUE(reg.Value(RegistryValue(std::string("C:\\Program Files\\Orvex\\Orvex.exe"))));
    EXPECT_TRUE(reg.KeyExists());
    reg.ValueType = 0;
    EXPECT_EQ(reg.Value(), RegistryValue(std::string("C:\\Program Files\\Orvex\\Orvex.exe")));
    EXPECT_EQ(reg.ValueType, static_cast<DWORD>(REG_SZ)) << "a read sets the stored type";

    reg.ValueKey = "Number";
    reg.ValueType = REG_DWORD;
    ASSERT_TRUE(reg.Value(RegistryValue(std::uint32_t{0x12345678})));
    EXPECT_EQ(reg.Value(), RegistryValue(std::uint32_t{0x12345678}));

    reg.ValueKey = "BigEndian";
    reg.ValueType = REG_DWORD_BIG_ENDIAN;
    ASSERT_TRUE(reg.Value(RegistryValue(std::uint32_t{0x01020304})));
    EXPECT_EQ(reg.Value(), RegistryValue(std::uint32_t{0x01020304}));

    reg.ValueKey = "Expand";
    reg.ValueType = REG_EXPAND_SZ;
    ::SetEnvironmentVariableA("ORVEX_TEST_VAR", "expanded");
    ASSERT_TRUE(reg.Value(RegistryValue(std::string("%ORVEX_TEST_VAR%\\x"))));
    EXPECT_EQ(reg.Value(), RegistryValue(std::string("expanded\\x")));

    reg.ValueKey = "Bytes";
    reg.ValueType = REG_BINARY;
    const std::vector<std::uint8_t> bytes{0, 1, 2, 255};
    ASSERT_TRUE(reg.Value(RegistryValue(bytes)));
    EXPECT_EQ(reg.Value(), RegistryValue(bytes));

    auto values = reg.EnumerateValues();
    std::sort(values.begin(), values.end());
    EXPECT_EQ(values, (std::vector<std::string>{"BigEndian", "Bytes", "Expand", "Number", "Text"}));

    reg.ValueKey = "Text";
    EXPECT_TRUE(reg.DeleteValue());
    EXPECT_EQ(reg.Value(), RegistryValue(std::string("none")));
}

TEST_F(RegistryFixture, KeysAndSubkeys) {
    reg.SectionKey = base + "\\Values\\Sub1";
    EXPECT_TRUE(reg.CreateKey());
    reg.SectionKey = base + "\\Values\\Sub2";
    EXPECT_TRUE(reg.CreateKey());
    reg.SectionKey = base + "\\Values";
    auto subs = reg.EnumerateSections();
    std::sort(subs.begin(), subs.end());
    EXPECT_EQ(subs, (std::vector<std::string>{"Sub1", "Sub2"}));
    reg.SectionKey = base + "\\Values\\Sub1";
    EXPECT_TRUE(reg.DeleteKey());
    EXPECT_FALSE(reg.KeyExists());
}

TEST_F(RegistryFixture, FailuresCarryTheNumberAndText) {
    reg.SectionKey = base + "\\DoesNotExist";
    reg.ValueKey = "V";
    EXPECT_FALSE(reg.DeleteValue());
    EXPECT_EQ(reg.LastError().Number, 26001);
    EXPECT_EQ(reg.LastError().Source, "config_win32_tests.cRegistry");
    EXPECT_EQ(reg.LastError().Description,
              "Failed to open key '-2147483647',Section: '" + base + "\\DoesNotExist',Key: 'V' for delete access");

    EXPECT_FALSE(reg.DeleteKey());
    EXPECT_EQ(reg.LastError().Description,
              "Failed to delete registry Key: '-2147483647',Section: '" + base + "\\DoesNotExist'");

    reg.ClassKey = HKEY_CURRENT_USER;
    EXPECT_TRUE(reg.CreateKey());
    EXPECT_EQ(reg.LastError().Number, 0) << "success clears the error";
    ::RegDeleteKeyA(HKEY_CURRENT_USER, (base + "\\DoesNotExist").c_str());
}

// --- Autostart: the user's Run key, saved and restored around each test.

struct AutostartFixture : ::testing::Test {
    cRegistry run;
    RegistryValue saved;
    const std::string folder = "C:\\Program Files\\Orvex Test";
    void SetUp() override {
        run.ClassKey = HKEY_CURRENT_USER;
        run.SectionKey = kRunKey;
        run.ValueKey = kRunValue;
        saved = run.Value();
    }
    void TearDown() override {
        if (std::holds_alternative<std::monostate>(saved)) run.DeleteValue();
        else {
            run.ValueType = REG_SZ;
            run.Value(saved);
        }
    }
};

TEST_F(AutostartFixture, OnWritesTheQuotedPathOffRemovesIt) {
    RegistryAutostart autostart(folder);
    ASSERT_EQ(autostart.Apply(true), "");
    EXPECT_EQ(run.Value(), RegistryValue(std::string("\"C:\\Program Files\\Orvex Test\\Orvex.exe\"")));
    EXPECT_EQ(run.ValueType, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(RegistryAutostart::StoredProgramPath(), "C:\\Program Files\\Orvex Test\\Orvex.exe");

    ASSERT_EQ(autostart.Apply(false), "");
    EXPECT_TRUE(std::holds_alternative<std::monostate>(run.Value()));
    EXPECT_EQ(autostart.Apply(false), "") << "nothing to delete is no error";
}

TEST_F(AutostartFixture, OldUnquotedValueIsReadAndRemoved) {
    run.ValueType = REG_SZ;
    ASSERT_TRUE(run.Value(RegistryValue(std::string("C:\\Program Files\\Orvex Test\\Orvex.exe"))));
    EXPECT_EQ(RegistryAutostart::StoredProgramPath(), "C:\\Program Files\\Orvex Test\\Orvex.exe");
    RegistryAutostart autostart(folder);
    ASSERT_EQ(autostart.Apply(false), "");
    EXPECT_TRUE(std::holds_alternative<std::monostate>(run.Value()));
}

} // namespace
} // namespace orvex::config::win32
