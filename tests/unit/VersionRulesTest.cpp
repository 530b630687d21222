#include "app/MakerAddresses.h"
#include "app/VersionRules.h"

#include <gtest/gtest.h>

namespace movalent {
namespace {

TEST(VersionRulesTest, ProgramVersionStringTrim) {
    EXPECT_EQ(ProgramVersionString(0, 3, 4, 0), L"0.3.4");
    EXPECT_EQ(ProgramVersionString(2, 10, 0, 0), L"2.1");
    EXPECT_EQ(ProgramVersionString(1, 0, 0, 0), L"1.0");
    EXPECT_EQ(ProgramVersionString(0, 0, 0, 0), L".0");
    EXPECT_EQ(ProgramVersionString(1, 2, 3, 4), L"1.2.3.4");
    EXPECT_EQ(ProgramVersionString(1, 0, 0, 10), L"1.0.0.1");
    EXPECT_EQ(ProgramVersionString(65535, 65535, 65535, 65535), L"65535.65535.65535.65535");
}

TEST(VersionRulesTest, InstalledEngineFromText) {
    EXPECT_EQ(InstalledEngineFromText(L"8.0.6001.18702"), IE_8);
    EXPECT_EQ(InstalledEngineFromText(L"5.50.4807.2300"), IE_55);
    EXPECT_EQ(InstalledEngineFromText(L"5.00.3700.1000"), IE_5);
    EXPECT_EQ(InstalledEngineFromText(L"6.0.2900.2180"), IE_6);
    EXPECT_EQ(InstalledEngineFromText(L"7.0.5730.13"), IE_7);
    EXPECT_EQ(InstalledEngineFromText(L"4.72.3110.0"), IE_4);
    EXPECT_EQ(InstalledEngineFromText(L"9.0.8112.16421"), IE_DEFAULT);
    EXPECT_EQ(InstalledEngineFromText(L"11.0.9600.16428"), IE_DEFAULT);
    EXPECT_EQ(InstalledEngineFromText(kEngineVersionNotFound), IE_DEFAULT);
}

TEST(VersionRulesTest, InstalledEngineFromMalformedText) {
    EXPECT_EQ(InstalledEngineFromText(L""), IE_DEFAULT);
    EXPECT_EQ(InstalledEngineFromText(L"8"), IE_DEFAULT); // no dot: major reads 0
    EXPECT_EQ(InstalledEngineFromText(L"5."), IE_5);
    EXPECT_EQ(InstalledEngineFromText(L"5.x"), IE_5);
    EXPECT_EQ(InstalledEngineFromText(L".5"), IE_DEFAULT);
    EXPECT_EQ(InstalledEngineFromText(L"v8.0"), IE_DEFAULT);
    EXPECT_EQ(InstalledEngineFromText(L"8x.0"), IE_8);
    EXPECT_EQ(InstalledEngineFromText(L"4294967304.0"), IE_DEFAULT); // would wrap to 8
    EXPECT_EQ(InstalledEngineFromText(L"00000000000000000000006.0"), IE_6);
}

TEST(VersionRulesTest, DecideVersionCheck) {
    const std::wstring program = ProgramVersionString(0, 3, 4, 0);
    EXPECT_EQ(DecideVersionCheck(false, L"0.3.4", program), VersionCheckOutcome::UnableToAccess);
    EXPECT_EQ(DecideVersionCheck(true, L"0.3.4", program), VersionCheckOutcome::Latest);
    EXPECT_EQ(DecideVersionCheck(true, L" 0.3.4\r\n", program), VersionCheckOutcome::Latest);
    EXPECT_EQ(DecideVersionCheck(true, L"0.3.5\n", program), VersionCheckOutcome::NewVersion);
    for (const wchar_t* notAVersion : {L"", L" \r\n", L"<html><body>404 Not Found</body></html>", L"0..3", L".3",
                                       L"3.", L"0.3.4 beta"})
        EXPECT_EQ(DecideVersionCheck(true, notAVersion, program), VersionCheckOutcome::UnableToAccess) << notAVersion;
}

TEST(VersionRulesTest, AnswerKeepsAtMost9999Bytes) {
    EXPECT_EQ(CutVersionAnswer(""), "");
    EXPECT_EQ(CutVersionAnswer("0.3.4"), "0.3.4");
    const std::string full(10000, 'a');
    EXPECT_EQ(CutVersionAnswer(full).size(), 9999u);
    EXPECT_EQ(CutVersionAnswer(std::string_view(full).substr(0, 9999)).size(), 9999u);
}

class MakerAddressesTest : public ::testing::Test {
protected:
    void TearDown() override { SetMakerBaseAddress(L""); }
};

TEST_F(MakerAddressesTest, DefaultHomePageCarriesTheVersion) {
    EXPECT_EQ(DefaultHomePage(L"0.3.4"), L"http://www.ombrisk.com/movalent/?version=0.3.4");
}

TEST_F(MakerAddressesTest, OverrideMovesEveryAddress) {
    SetMakerBaseAddress(L"http://127.0.0.1:8123//");
    EXPECT_EQ(MakerBaseAddress(), L"http://127.0.0.1:8123");
    EXPECT_EQ(UpdateCheckUrl(), L"http://127.0.0.1:8123/movalent/checkversion.php");
    EXPECT_EQ(DefaultHomePage(L"1.0"), L"http://127.0.0.1:8123/movalent/?version=1.0");
    EXPECT_EQ(FennimoxDownloadPage(), L"http://127.0.0.1:8123/download.php");
    SetMakerBaseAddress(L"");
    EXPECT_EQ(MakerBaseAddress(), kDefaultMakerBaseAddress);
}

} // namespace
} // namespace movalent
