// "/capture": pictures of one address in several engine versions, written without a window, and the ribbon's
// "Capture all versions", which runs the same capture of the active tab's page and opens its sheet.
#include "PageFolder.h"
#include "ProgramHarness.h"
#include "framework/PngFile.h"
#include "resource.h"
#include "standin/StandInTestSupport.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <fstream>
#include <sstream>

using namespace movalent::test;
using movalent::ReadPng;
using movalent::standin::testing::StandInFolder;

namespace {

class Capture : public ::testing::Test {
protected:
    void SetUp() override {
        Program::ResetSettings();
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    }
    void TearDown() override {
        ::CoUninitialize();
        Program::ResetSettings();
    }

    struct Run {
        int exitCode = -1;
        std::string console;
        std::filesystem::path out;
        std::string File(const std::wstring& name) const {
            std::ifstream in(out / name, std::ios::binary);
            return std::string(std::istreambuf_iterator<char>(in), {});
        }
    };

    // Runs "Movalent.exe /capture <address> <arguments...> /out <folder of the test>" to its end.
    Run CaptureTo(const std::wstring& address, std::vector<std::wstring> arguments,
                  const std::wstring& engines = L"full") {
        Run run;
        run.out = pages_.Folder() / L"out";
        ProgramOptions options;
        options.engineFolder = StandInFolder(engines);
        options.arguments = {L"/capture", address, L"/out", run.out.wstring()};
        options.arguments.insert(options.arguments.end(), arguments.begin(), arguments.end());
        options.waitForMainWindow = false;
        options.outputFile = pages_.Folder() / L"console.txt";
        Program program;
        if (!program.Start(options)) {
            ADD_FAILURE() << program.StartError();
            return run;
        }
        run.exitCode = program.Close(std::chrono::seconds(60));
        std::ifstream in(options.outputFile, std::ios::binary);
        run.console.assign(std::istreambuf_iterator<char>(in), {});
        return run;
    }

    PageFolder pages_;
};

TEST_F(Capture, TwoVersionsGivePicturesASheetDiffsAndAReport) {
    const std::wstring page = pages_.WritePage(L"page.html", "Capture", "<p>Same text in every version</p>");
    const Run run = CaptureTo(page, {L"/versions", L"6,8", L"/size", L"400x300", L"/wait", L"100"});
    ASSERT_EQ(0, run.exitCode) << run.console;
    const auto ie6 = ReadPng((run.out / L"ie6.png").wstring()),
               ie8 = ReadPng((run.out / L"ie8.png").wstring());
    ASSERT_TRUE(ie6 && ie8) << run.console;
    EXPECT_EQ(400, ie6->width);
    EXPECT_EQ(300, ie6->height);
    EXPECT_NE(ie6->pixels, ie8->pixels) << "the stand-in draws its version into the page";
    const auto sheet = ReadPng((run.out / L"sheet.png").wstring());
    ASSERT_TRUE(sheet);
    EXPECT_GT(sheet->width, 800);
    EXPECT_GT(sheet->height, 300);
    EXPECT_TRUE(ReadPng((run.out / L"diff-6.png").wstring())) << "IE 8, the newest, is the baseline";
    EXPECT_FALSE(std::filesystem::exists(run.out / L"diff-8.png"));
    const std::string report = run.File(L"report.json");
    EXPECT_NE(std::string::npos, report.find("\"ie6.png\"")) << report;
    // Only the line that names the version differs: a sliver of the picture, never nothing.
    const size_t at = report.find("\"changedShare\": ", report.find("\"version\": \"6\""));
    ASSERT_NE(std::string::npos, at) << report;
    const double share = std::stod(report.substr(at + 16));
    EXPECT_GT(share, 0.0005) << report;
    EXPECT_LT(share, 0.05) << report;
    EXPECT_NE(std::string::npos, report.find("\"error\": null")) << report;
    EXPECT_NE(std::string::npos, run.console.find("2 of 2 versions captured")) << run.console;
}

TEST_F(Capture, AFailingVersionLeavesTheOthersCapturedAndEndsWithThree) {
    const std::wstring page = pages_.WritePage(L"page.html", "Capture");
    const Run missing = CaptureTo(page, {L"/versions", L"6,7", L"/wait", L"0"}, L"browser-no-export-7");
    EXPECT_EQ(3, missing.exitCode) << missing.console;
    EXPECT_TRUE(std::filesystem::exists(missing.out / L"ie6.png"));
    EXPECT_FALSE(std::filesystem::exists(missing.out / L"ie7.png"));
    EXPECT_NE(std::string::npos, missing.console.find("1 of 2 versions captured")) << missing.console;

    const std::wstring endless =
        pages_.Write(L"endless.html", "<html><!--standin: never-complete--><p>x</p></html>");
    const auto start = std::chrono::steady_clock::now();
    const Run timedOut = CaptureTo(endless, {L"/versions", L"8", L"/timeout", L"2"});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_EQ(3, timedOut.exitCode) << timedOut.console;
    EXPECT_NE(std::string::npos, timedOut.File(L"report.json").find("timed out")) << timedOut.console;
}

TEST_F(Capture, BadArgumentsEndWithTwoAndSayWhich) {
    const Run size = CaptureTo(L"about:blank", {L"/size", L"10x10"});
    EXPECT_EQ(2, size.exitCode);
    EXPECT_NE(std::string::npos, size.console.find("10x10")) << size.console;
    const Run version = CaptureTo(L"about:blank", {L"/versions", L"9"});
    EXPECT_EQ(2, version.exitCode);
    EXPECT_NE(std::string::npos, version.console.find("\"9\"")) << version.console;
    EXPECT_FALSE(std::filesystem::exists(version.out));
}

TEST_F(Capture, AnAddressWithSpacesAndOtherScripts) {
    std::filesystem::create_directories(pages_.Folder() / L"d\u00e9j\u00e0 vu \u65e5\u672c");
    const std::wstring page =
        pages_.WritePage(L"d\u00e9j\u00e0 vu \u65e5\u672c\\page one.html", "Spaces", "<p>text</p>");
    const Run run = CaptureTo(page, {L"/versions", L"6", L"/wait", L"0"});
    EXPECT_EQ(0, run.exitCode) << run.console;
    EXPECT_NE(std::string::npos,
              run.File(L"report.json").find("d\xc3\xa9j\xc3\xa0 vu \xe6\x97\xa5\xe6\x9c\xac"));
}

TEST_F(Capture, AFullPageIsAsTallAsItsContent) {
    std::string paragraphs;
    for (int i = 0; i < 200; ++i)
        paragraphs += "<p>Paragraph " + std::to_string(i) + "</p>";
    const std::wstring page = pages_.WritePage(L"long.html", "Long", paragraphs);
    const Run run = CaptureTo(page, {L"/versions", L"8", L"/size", L"400x300", L"/full", L"/wait", L"0"});
    ASSERT_EQ(0, run.exitCode) << run.console;
    const auto picture = ReadPng((run.out / L"ie8.png").wstring());
    ASSERT_TRUE(picture);
    EXPECT_EQ(400, picture->width);
    EXPECT_GT(picture->height, 1500);
}

TEST_F(Capture, TheRibbonsCommandCapturesTheActiveTabAndOpensTheSheet) {
    const std::wstring page = pages_.WritePage(L"page.html", "Ribbon capture", "<p>text</p>");
    const std::filesystem::path captures = pages_.Folder() / L"captures",
                                log = pages_.Folder() / L"shell.txt";
    ProgramOptions options;
    options.engineFolder = StandInFolder(L"full");
    options.arguments = {L"-ie6", page};
    options.environment = {{L"MOVALENT_TEST_CAPTURE_FOLDER", captures.wstring()},
                           {L"MOVALENT_TEST_SHELL_LOG", log.wstring()},
                           {L"MOVALENT_TEST_CAPTURE_VERSIONS", L"6,8"}};
    Program program;
    ASSERT_TRUE(program.Start(options)) << program.StartError();
    ASSERT_TRUE(Program::WaitFor([&] { return program.CommandEnabled(ID_CAPTURE_ALL_VERSIONS); }));
    program.PostCommand(ID_CAPTURE_ALL_VERSIONS);
    std::string opened;
    EXPECT_TRUE(Program::WaitFor(
        [&] {
            std::ifstream in(log, std::ios::binary);
            opened.assign(std::istreambuf_iterator<char>(in), {});
            return !opened.empty();
        },
        std::chrono::seconds(60)));
    EXPECT_NE(std::string::npos, opened.find("sheet.png")) << opened;
    const std::string line = opened.substr(0, opened.find('\n'));
    std::wstring path(line.size(), L'\0');
    path.resize(static_cast<size_t>(::MultiByteToWideChar(
        CP_UTF8, 0, line.data(), static_cast<int>(line.size()), path.data(), static_cast<int>(path.size()))));
    const std::filesystem::path sheet = path;
    EXPECT_TRUE(std::filesystem::exists(sheet)) << opened;
    EXPECT_EQ(captures, sheet.parent_path().parent_path());
    EXPECT_EQ(0, program.Close());
}

} // namespace
