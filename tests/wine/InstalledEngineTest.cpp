// The installed engine's version as read from the registry.
#include "app/VersionInfo.h"
#include "framework/Registry.h"

#include <gtest/gtest.h>

using namespace movalent;

namespace {

const wchar_t* const kKey = L"Software\\Microsoft\\Internet Explorer";

class InstalledEngine : public ::testing::Test {
protected:
    void SetUp() override {
        RegistryString read = ReadRegistryString(HKEY_LOCAL_MACHINE, kKey, L"Version", 1000, false);
        hadValue_ = read.status == RegistryStatus::Value;
        saved_ = read.value;
    }
    void TearDown() override {
        if (hadValue_)
            WriteRegistryString(HKEY_LOCAL_MACHINE, kKey, L"Version", saved_);
        else
            DeleteRegistryValue(HKEY_LOCAL_MACHINE, kKey, L"Version");
    }
    bool hadValue_ = false;
    std::wstring saved_;
};

TEST_F(InstalledEngine, VersionValueNamesTheEngine) {
    const struct {
        const wchar_t* text;
        IEVERSION expected;
    } cases[] = {{L"8.0.6001.18702", IE_8},    {L"5.50.4807.2300", IE_55}, {L"5.00.3700.1000", IE_5},
                 {L"6.0.2900.2180", IE_6},     {L"7.0.5730.13", IE_7},     {L"9.0.8112.16421", IE_DEFAULT},
                 {L"11.0.9600.19036", IE_DEFAULT}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ASSERT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, kKey, L"Version", c.text));
        EXPECT_EQ(c.text, GetInstalledEngineVersionText());
        EXPECT_EQ(c.expected, GetInstalledEngineVersion());
    }
}

TEST_F(InstalledEngine, MissingOrOversizedValueIsNotFound) {
    DeleteRegistryValue(HKEY_LOCAL_MACHINE, kKey, L"Version");
    EXPECT_EQ(L"not found", GetInstalledEngineVersionText());
    EXPECT_EQ(IE_DEFAULT, GetInstalledEngineVersion());
    // 100 characters and a terminator do not fit the 200-byte buffer.
    ASSERT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, kKey, L"Version", L"8." + std::wstring(98, L'1')));
    EXPECT_EQ(L"not found", GetInstalledEngineVersionText());
    ASSERT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, kKey, L"Version", L"8." + std::wstring(97, L'1')));
    EXPECT_EQ(IE_8, GetInstalledEngineVersion());
}

} // namespace
