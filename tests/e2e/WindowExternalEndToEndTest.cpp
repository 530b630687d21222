// What pages find on window.external, and what the browser's host tells the engine, with the stand-in engine:
// a page's directive calls the host's object the way a script would.
#include "PageFolder.h"
#include "ProgramHarness.h"
#include "StandInWindows.h"
#include "resource.h"

#include <gtest/gtest.h>

using namespace movalent::test;
using movalent::standin::testing::ProbeReport;

namespace {

class WindowExternal : public ::testing::Test {
protected:
    void SetUp() override { Program::ResetSettings(); }
    void TearDown() override { Program::ResetSettings(); }

    // Starts the program with one tab of the version's switch showing a page that makes these calls.
    bool StartWithPage(Program& program, const std::wstring& versionSwitch, const std::string& directives,
                       std::map<std::wstring, DWORD> settings = {}) {
        ProgramOptions options;
        options.engineFolder = movalent::standin::testing::StandInFolder(L"full");
        options.intSettings = std::move(settings);
        options.arguments = {versionSwitch,
                             pages_.Write(L"external.html", "<html><head><title>external</title>"
                                                            "</head><body>calls" +
                                                                directives + "</body></html>")};
        return program.Start(options);
    }

    static ProbeReport Report(const Program& program) {
        return ReportOfWindow(program.MainWindow(), kStandInBrowserClass);
    }

    // Waits for the report to hold the key, then gives its value.
    static std::wstring WaitForKey(const Program& program, const std::wstring& key) {
        std::wstring value;
        Program::WaitFor([&] {
            ProbeReport report = Report(program);
            auto found = report.find(key);
            if (found == report.end())
                return false;
            value = found->second;
            return true;
        });
        return value;
    }

    // Waits for the program's message box, checks its text and closes it with OK.
    static void ExpectMessage(const Program& program, const std::wstring& text) {
        HWND box = nullptr;
        ASSERT_TRUE(Program::WaitFor([&] { return (box = program.FindMessageBox()) != nullptr; }))
            << "no message box for " << ::testing::PrintToString(text);
        EXPECT_EQ(text, program.MessageBoxText(box));
        program.AnswerMessageBox(box, IDOK);
        ASSERT_TRUE(Program::WaitFor([&] { return program.FindMessageBox() == nullptr; }));
    }

    PageFolder pages_;
};

TEST_F(WindowExternal, Ie6PageCallingAddFavoriteShowsItsMessageAndGetsNoResult) {
    Program program;
    ASSERT_TRUE(StartWithPage(program, L"-ie6", "<!--standin: external AddFavorite http://a.example/ A-->"))
        << program.StartError();
    ExpectMessage(program, L"window.external.AddFavorite method called");
    EXPECT_EQ(L"dispid 1, returned 0x00000000, no result", WaitForKey(program, L"external.AddFavorite"));
    EXPECT_EQ(0, program.Close());
}

TEST_F(WindowExternal, HostAsksForBorderlessThemedPagesAndLeavesTheContextMenuToTheEngine) {
    Program program;
    ASSERT_TRUE(StartWithPage(program, L"-ie8", "<!--standin: contextmenu-->")) << program.StartError();
    EXPECT_EQ(L"0x00000001", WaitForKey(program, L"contextMenu"));
    ProbeReport report = Report(program);
    EXPECT_EQ(L"yes", report[L"host.uiHandler"]);
    EXPECT_EQ(L"0x00000000", report[L"host.hostInfo.hr"]);
    EXPECT_EQ(L"0x00040004", report[L"host.flags"]);
    EXPECT_EQ(L"0", report[L"host.doubleClick"]);
    EXPECT_EQ(0, program.Close());
}

TEST_F(WindowExternal, Ie7HasNoAddChannelButItsOwnSearchProviderMember) {
    Program program;
    ASSERT_TRUE(StartWithPage(program, L"-ie7",
                              "<!--standin: external AddChannel http://c.example/-->"
                              "<!--standin: external AddSearchProvider http://s.example/-->"))
        << program.StartError();
    ExpectMessage(program, L"window.external.AddSearchProvider method called");
    EXPECT_EQ(L"dispid 2, returned 0x00000000, no result",
              WaitForKey(program, L"external.AddSearchProvider"));
    // DISP_E_UNKNOWNNAME, and no message for it: the only box was the search provider's.
    EXPECT_EQ(L"unknown name (0x80020006)", Report(program)[L"external.AddChannel"]);
    EXPECT_EQ(0, program.Close());
}

TEST_F(WindowExternal, Ie8PageCallingIsServiceInstalledShowsItsMessage) {
    Program program;
    ASSERT_TRUE(StartWithPage(program, L"-ie8",
                              "<!--standin: external IsServiceInstalled http://s.example/ x-->"
                              "<!--standin: external AddChannel http://c.example/-->"))
        << program.StartError();
    ExpectMessage(program, L"window.external.IsServiceInstalled method called");
    EXPECT_EQ(L"dispid 9, returned 0x00000000, no result",
              WaitForKey(program, L"external.IsServiceInstalled"));
    EXPECT_EQ(L"unknown name (0x80020006)", WaitForKey(program, L"external.AddChannel"));
    EXPECT_EQ(0, program.Close());
}

TEST_F(WindowExternal, NamesAreMatchedWithoutRegardToCase) {
    Program program;
    // IE 5.5 shares IE 6's names.
    ASSERT_TRUE(StartWithPage(program, kIe55Offered ? L"-ie55" : L"-ie6",
                              "<!--standin: external addchannel http://c.example/-->"))
        << program.StartError();
    ExpectMessage(program, L"window.external.AddChannel method called");
    EXPECT_EQ(L"dispid 0, returned 0x00000000, no result", WaitForKey(program, L"external.addchannel"));
    EXPECT_EQ(0, program.Close());
}

TEST_F(WindowExternal, DisabledSettingGivesPagesNoObject) {
    Program program;
    ASSERT_TRUE(StartWithPage(program, L"-ie6", "<!--standin: external AddFavorite http://a.example/ A-->",
                              {{L"DisableWindowExternal", 1}}))
        << program.StartError();
    EXPECT_EQ(L"no object (0x00000001)", WaitForKey(program, L"external.AddFavorite"));
    EXPECT_EQ(nullptr, program.FindMessageBox());
    // The handler itself is still there: only window.external goes.
    EXPECT_EQ(L"0x00040004", Report(program)[L"host.flags"]);
    EXPECT_EQ(0, program.Close());
}

TEST_F(WindowExternal, OnlyTheValueOneDisablesTheObject) {
    Program program;
    ASSERT_TRUE(StartWithPage(program, L"-ie6", "<!--standin: external IsSubscribed http://a.example/-->",
                              {{L"DisableWindowExternal", 2}}))
        << program.StartError();
    ExpectMessage(program, L"window.external.IsSubscribed method called");
    EXPECT_EQ(0, program.Close());
}

TEST_F(WindowExternal, DefaultIeFollowsTheInstalledEngine) {
    Program program;
    ASSERT_TRUE(StartWithPage(program, L"-ie", "<!--standin: external AddFavorite http://a.example/ A-->"))
        << program.StartError();
    // Default IE runs the system's own control, which the stand-in's directives cannot drive.
    if (!Program::WaitFor([&] { return FindDescendantOfClass(program.MainWindow(), kStandInBrowserClass); },
                          std::chrono::milliseconds(3000)))
        GTEST_SKIP() << "the Default IE tab does not run the stand-in control";
    ExpectMessage(program, L"window.external.AddFavorite method called");
    EXPECT_EQ(0, program.Close());
}

} // namespace
