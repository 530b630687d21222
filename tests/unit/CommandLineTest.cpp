#include "app/CustomCommandLineInfo.h"

#include <gtest/gtest.h>

namespace movalent {
namespace {

// A Latin-1 code page: characters beyond it become '?', as the real conversion's default character does.
std::string ToLatin1(std::wstring_view text) {
    std::string bytes;
    for (wchar_t c : text) {
        bytes.push_back(static_cast<std::uint32_t>(c) <= 0xFF ? static_cast<char>(c) : '?');
    }
    return bytes;
}

std::wstring FromLatin1(std::string_view bytes) {
    std::wstring text;
    for (char c : bytes) {
        text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    }
    return text;
}

using Urls = std::vector<std::wstring>;

class CommandLineTest : public ::testing::Test {
protected:
    CCustomCommandLineInfo info{ToLatin1, FromLatin1};
    void Parse(const std::vector<std::wstring>& argv) { info.ParseAll(SplitCommandLineArgs(argv)); }
    void ExpectOnly(IEVERSION version, const Urls& urls) {
        for (int v = 0; v < IE_VERSION_COUNT; ++v) {
            const auto& actual = info.Urls(static_cast<IEVERSION>(v));
            if (v == version) {
                EXPECT_EQ(actual, urls) << "version " << v;
            } else {
                EXPECT_TRUE(actual.empty()) << "version " << v;
            }
        }
    }
};

TEST_F(CommandLineTest, NoArgumentsNoUrls) {
    Parse({});
    EXPECT_FALSE(info.HasUrls());
    EXPECT_EQ(info.CurrentVersion(), IE_DEFAULT);
    EXPECT_FALSE(info.AllVersions());
}

TEST_F(CommandLineTest, UrlBeforeAnySwitchGoesToDefault) {
    Parse({L"http://a.test/"});
    ExpectOnly(IE_DEFAULT, {L"http://a.test/"});
}

TEST_F(CommandLineTest, SwitchesApplyToFollowingUrlsCaseInsensitively) {
    Parse({L"-IE7", L"a", L"-ie8", L"b", L"c"});
    EXPECT_EQ(info.Urls(IE_7), (Urls{L"a"}));
    EXPECT_EQ(info.Urls(IE_8), (Urls{L"b", L"c"}));
    EXPECT_TRUE(info.Urls(IE_DEFAULT).empty());
}

TEST_F(CommandLineTest, SlashSwitch) {
    Parse({L"/ie55", L"a"});
    ExpectOnly(IE_55, {L"a"});
}

TEST_F(CommandLineTest, EveryVersionSwitch) {
    Parse({L"-ie4", L"0", L"-ie5", L"1", L"-ie55", L"2", L"-ie6", L"3", L"-ie7", L"4", L"-ie8", L"5", L"-ie", L"6"});
    for (int v = 0; v < IE_VERSION_COUNT; ++v) {
        EXPECT_EQ(info.Urls(static_cast<IEVERSION>(v)), (Urls{std::to_wstring(v)}));
    }
}

TEST_F(CommandLineTest, AllPutsEachUrlOnceInEveryList) {
    Parse({L"-ie7", L"before", L"-all", L"a", L"-ie6", L"b"});
    EXPECT_TRUE(info.AllVersions());
    for (int v = 0; v < IE_VERSION_COUNT; ++v) {
        const Urls expected = v == IE_7 ? Urls{L"before", L"a", L"b"} : Urls{L"a", L"b"};
        EXPECT_EQ(info.Urls(static_cast<IEVERSION>(v)), expected) << v;
    }
    // A later version switch still moves the current version.
    EXPECT_EQ(info.CurrentVersion(), IE_6);
}

TEST_F(CommandLineTest, Ie4ListIsFilled) {
    Parse({L"-ie4", L"a"});
    ExpectOnly(IE_4, {L"a"});
}

TEST_F(CommandLineTest, UnknownSwitchIgnored) {
    Parse({L"-ie7", L"-x", L"a", L"-", L"/", L"-ie9", L"b", L"-print", L"c"});
    ExpectOnly(IE_7, {L"a", L"b", L"c"});
}

TEST_F(CommandLineTest, SameUrlTwiceKeptTwice) {
    Parse({L"a", L"a"});
    ExpectOnly(IE_DEFAULT, {L"a", L"a"});
}

TEST_F(CommandLineTest, LeadingSlashIsAlwaysASwitch) {
    Parse({L"/index.html"});
    EXPECT_FALSE(info.HasUrls());
    const auto args = SplitCommandLineArgs({L"/index.html", L"-all", L"x/y", L""});
    ASSERT_EQ(args.size(), 4u);
    EXPECT_TRUE(args[0].isSwitch);
    EXPECT_EQ(args[0].text, L"index.html");
    EXPECT_TRUE(args[1].isSwitch);
    EXPECT_EQ(args[1].text, L"all");
    EXPECT_FALSE(args[2].isSwitch);
    EXPECT_FALSE(args[3].isSwitch);
}

TEST_F(CommandLineTest, UrlsMakeTheAnsiRoundTrip) {
    Parse({L"http://caf\u00E9.test/", L"http://\u65E5\u672C.test/"});
    ExpectOnly(IE_DEFAULT, {L"http://caf\u00E9.test/", L"http://??.test/"});
}

TEST_F(CommandLineTest, SwitchesAreComparedInTheirAnsiForm) {
    // A switch with a character the code page lacks cannot match a name.
    Parse({L"-ie\u0E37", L"a"});
    ExpectOnly(IE_DEFAULT, {L"a"});
}

TEST_F(CommandLineTest, NullParameterIgnored) {
    info.ParseParam(nullptr, false, true);
    EXPECT_FALSE(info.HasUrls());
}

TEST_F(CommandLineTest, InvalidVersionHasNoUrls) {
    Parse({L"a"});
    EXPECT_TRUE(info.Urls(static_cast<IEVERSION>(7)).empty());
}

} // namespace
} // namespace movalent

TEST(ImportEnginesSwitch, NamesTheFolderInEitherFormAndOnlyWhenAsked) {
    using movalent::ImportEnginesFolder;
    using movalent::SplitCommandLineArgs;
    EXPECT_EQ(L"C:\\xp\\system32", ImportEnginesFolder(SplitCommandLineArgs({L"/Import-Engines", L"C:\\xp\\system32"})));
    EXPECT_EQ(L"", ImportEnginesFolder(SplitCommandLineArgs({L"-import-engines", L"-ie6"})));
    EXPECT_FALSE(ImportEnginesFolder(SplitCommandLineArgs({L"-ie6", L"import-engines"})));
}
