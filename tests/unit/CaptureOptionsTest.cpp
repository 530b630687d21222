#include "app/CaptureOptions.h"
#include "engine/EngineFiles.h"

#include <gtest/gtest.h>

#include <tuple>

namespace movalent {
namespace {

using Args = std::vector<std::wstring>;
using Versions = std::vector<IEVERSION>;
const Versions kEveryVersion = {IE_55, IE_6, IE_7, IE_8, IE_DEFAULT};
// "all": IE 5.5 only where this program can have it.
const Versions kAllVersions = VersionExistsForThisProgram(IE_55) ? kEveryVersion
                                                                 : Versions{IE_6, IE_7, IE_8, IE_DEFAULT};

using Fields =
    std::tuple<std::wstring, Versions, IEVERSION, int, int, bool, unsigned, unsigned, std::wstring, bool>;

Fields FieldsOf(const CaptureOptions& o) {
    return {o.address, o.versions, o.baseline,       o.width,     o.height,
            o.full,    o.waitMs,   o.timeoutSeconds, o.outFolder, o.openSheet};
}

CaptureOptions Parsed(const Args& args) {
    const CaptureParse parse = ParseCaptureCommandLine(args);
    EXPECT_EQ(CaptureRequest::Run, parse.request) << parse.error;
    return parse.options;
}

TEST(CaptureCommandLine, WithoutCaptureNothingIsOurs) {
    for (const Args& args : {Args{}, Args{L"http://a.test/", L"-ie7"}, Args{L"/versions", L"9", L"/bogus"}})
        EXPECT_EQ(CaptureRequest::None, ParseCaptureCommandLine(args).request);
    for (const Args& args : {Args{L"/?"}, Args{L"/capture", L"a", L"-?"}, Args{L"/bogus", L"/?"}})
        EXPECT_EQ(CaptureRequest::Usage, ParseCaptureCommandLine(args).request);
}

TEST(CaptureCommandLine, DefaultsAndEverySwitchInAnyCaseWithEitherPrefix) {
    EXPECT_EQ((Fields{L"http://a.test/", kAllVersions, IE_DEFAULT, 1024, 768, false, 500, 30, L"", false}),
              FieldsOf(Parsed({L"/capture", L"http://a.test/"})));
    const std::wstring address = L" C:\\My Pages\\\u00e9t\u00e9 \u65e5\u672c.html";
    EXPECT_EQ(
        (Fields{address, {IE_6, IE_DEFAULT}, IE_6, 800, 600, true, 0, 3600, L"out dir", true}),
        FieldsOf(Parsed({L"-SIZE", L"800X600", L"-CAPTURE", address, L"/Versions", L"IE6,Default", L"/FULL", L"-Open",
                         L"-Wait", L"0", L"/timeout", L"3600", L"-OUT", L"out dir", L"/BaseLine", L"ie6"})));
}

TEST(CaptureCommandLine, VersionListsMergeRepeatsAndBaselineIsTheNewest) {
    const struct {
        const wchar_t* list;
        Versions versions;
    } cases[] = {
        {L"all", kAllVersions},
        {L"6,6,ie6", {IE_6}},
        {L" 8 , 55,ie5.5", {IE_55, IE_8}},
        {L"default,ie,ALL", kAllVersions},
    };
    for (const auto& c : cases) {
        const CaptureOptions options = Parsed({L"/capture", L"a", L"/versions", c.list});
        EXPECT_EQ(c.versions, options.versions) << c.list;
        EXPECT_EQ(c.versions.back(), options.baseline) << c.list;
    }
    // Every token the program writes reads back as its version.
    for (IEVERSION version : kEveryVersion)
        EXPECT_EQ(Versions{version},
                  Parsed({L"/capture", L"a", L"/versions", VersionToken(version)}).versions);
}

TEST(CaptureCommandLine, EveryErrorIsOneSentenceQuotingTheCulprit) {
    const struct {
        Args args;
        const wchar_t* culprit;
    } cases[] = {
        {{L"/capture"}, L"/capture needs an address"},
        {{L"/capture", L"/full"}, L"/capture needs an address"},
        {{L"/capture", L" "}, L"/capture needs an address"},
        {{L"/capture", L"a", L"/versions", L"6,9"}, L"\"9\""},
        {{L"/capture", L"a", L"/versions", L"6,,7"}, L"\"6,,7\""},
        {{L"/capture", L"a", L"/versions", L""}, L"\"\""},
        {{L"/capture", L"a", L"/size", L"15x768"}, L"\"15x768\""},
        {{L"/capture", L"a", L"/size", L"1024x16385"}, L"\"1024x16385\""},
        {{L"/capture", L"a", L"/size", L"1024*768"}, L"\"1024*768\""},
        {{L"/capture", L"a", L"/wait", L"600001"}, L"\"600001\""},
        {{L"/capture", L"a", L"/wait", L"-1"}, L"\"-1\""},
        {{L"/capture", L"a", L"/timeout", L"0"}, L"\"0\""},
        {{L"/capture", L"a", L"/timeout", L"99999999999999999999"}, L"\"99999999999999999999\""},
        {{L"/capture", L"a", L"/out", L""}, L"\"/out\""},
        {{L"/capture", L"a", L"-Size"}, L"\"-Size\""},
        {{L"/capture", L"a", L"/out", L"/full"}, L"\"/out\""},
        {{L"/capture", L"a", L"b"}, L"\"b\""},
        {{L"x", L"/capture", L"a"}, L"\"x\""},
        {{L"/capture", L"a", L"/bogus"}, L"\"/bogus\""},
        {{L"/capture", L"a", L"/full", L"-FULL"}, L"\"-FULL\""},
        {{L"/capture", L"a", L"/baseline", L"all"}, L"\"all\""},
        {{L"/capture", L"a", L"/versions", L"6,7", L"/baseline", L"IE8"}, L"\"IE8\""},
    };
    for (const auto& c : cases) {
        const CaptureParse parse = ParseCaptureCommandLine(c.args);
        SCOPED_TRACE(::testing::PrintToString(c.args));
        EXPECT_EQ(CaptureRequest::Error, parse.request);
        ASSERT_FALSE(parse.error.empty());
        EXPECT_NE(std::wstring::npos, parse.error.find(c.culprit)) << parse.error;
        EXPECT_EQ(L'.', parse.error.back());
        EXPECT_EQ(std::wstring::npos, parse.error.find_first_of(L"\r\n"));
        if (c.args.size() == 4 && c.args[2] == L"/versions") {
            EXPECT_NE(std::wstring::npos, parse.error.find(L"5.5, 6, 7, 8, default or all")) << parse.error;
        }
    }
}

TEST(CaptureCommandLine, UsageListsEverySwitchWithItsDefault) {
    const std::wstring usage = CaptureUsageText();
    for (const wchar_t* text :
         {L"/capture <address>", L"/versions", L"/size", L"/full", L"/wait", L"/timeout", L"/out",
          L"/baseline", L"/?", L"1024x768", L"(default: 500)", L"(default: 30)"})
        EXPECT_NE(std::wstring::npos, usage.find(text)) << text;
    ASSERT_GE(usage.size(), 2u);
    EXPECT_EQ(L"\r\n", usage.substr(usage.size() - 2));
    for (std::size_t at = usage.find(L'\n'); at != std::wstring::npos; at = usage.find(L'\n', at + 1))
        EXPECT_EQ(L'\r', usage[at - 1]) << at;
}

TEST(CaptureCommandLine, FileNames) {
    EXPECT_EQ(L"capture-20261209-134502", CaptureFolderName(2026, 12, 9, 13, 45, 2));
    EXPECT_EQ(L"ie5.5.png", PictureFileName(IE_55));
    EXPECT_EQ(L"iedefault.png", PictureFileName(IE_DEFAULT));
    EXPECT_EQ(L"diff-5.5.png", DiffFileName(IE_55));
    EXPECT_EQ(L"diff-8.png", DiffFileName(IE_8));
}

} // namespace
} // namespace movalent
