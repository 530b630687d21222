// The program starts, shows its main window, keeps the user's settings as they are and ends cleanly.
#include "ProgramHarness.h"
#include "resource.h"
#include "standin/StandInTestSupport.h"

#include <gtest/gtest.h>

using namespace movalent::test;

namespace {

class Startup : public ::testing::Test {
protected:
    void SetUp() override { Program::ResetSettings(); }
    void TearDown() override { Program::ResetSettings(); }
};

TEST_F(Startup, ShowsTheMainWindowAndClosesCleanly) {
    Program program;
    ASSERT_TRUE(program.Start()) << program.StartError();
    EXPECT_EQ(L"Movalent", program.WindowText(program.MainWindow()));
    EXPECT_TRUE(::IsWindowVisible(program.MainWindow()));
    EXPECT_EQ(0, program.Close());
}

TEST_F(Startup, UrlsForVersionsThatAreNeverAvailableOpenNoTab) {
    Program program;
    ASSERT_TRUE(program.Start({.arguments = {L"-ie4", L"http://a.example/", L"-ie5", L"http://b.example/"}})) << program.StartError();
    EXPECT_TRUE(program.TabCaptions().empty());
    EXPECT_EQ(0, program.Close());
}

TEST_F(Startup, SettingsOfAnotherTypeSurviveARun) {
    Program program;
    ASSERT_TRUE(program.Start({.stringSettings = {{L"SearchBehaviour", L"2"}}})) << program.StartError();
    EXPECT_EQ(0, program.Close());
    wchar_t value[16] = {};
    DWORD size = sizeof(value), type = 0;
    ASSERT_EQ(ERROR_SUCCESS, ::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Ombrisk\\Movalent\\Options",
                                            L"SearchBehaviour", RRF_RT_ANY, &type, value, &size));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_STREQ(L"2", value);
}

// The about box lists every engine version and why tabs of a version cannot be opened.
TEST_F(Startup, AboutBoxSaysWhichEnginesAreAvailableAndWhyNot) {
    Program program;
    ProgramOptions options;
    options.engineFolder = movalent::standin::testing::StandInFolder(L"missing-5rlmon");
    ASSERT_TRUE(program.Start(options)) << program.StartError();
    const std::wstring ie55 =
        kIe55Offered ? L"IE 5.5: not available, missing from the program's folder: 5rlmon.dll"
                     : L"IE 5.5: not available, this version exists only as 32-bit code (use the 32-bit Movalent)";
    EXPECT_EQ(ie55 + L"\r\nIE 6: available\r\nIE 7: available\r\nIE 8: available\r\nDefault IE: available",
              program.DialogItemText(ID_SHOW_ABOUT, IDC_ABOUT_ENGINES));
    EXPECT_EQ(0, program.Close());
}

TEST_F(Startup, VersionCheckReportsAnUnreachableServer) {
    Program program;
    // Nothing listens on port 9 of the loopback address: the check must say it cannot reach the server.
    ASSERT_TRUE(program.Start({.environment = {{L"MOVALENT_MAKER_URL", L"http://127.0.0.1:9"}}})) << program.StartError();
    program.PostCommand(ID_CHECK_VERSION);
    HWND box = nullptr;
    ASSERT_TRUE(Program::WaitFor([&] { return (box = program.FindMessageBox()) != nullptr; }));
    EXPECT_EQ(L"Unable to access version information from the server. Try again later", program.MessageBoxText(box));
    program.AnswerMessageBox(box, IDOK);
    EXPECT_TRUE(Program::WaitFor([&] { return program.FindMessageBox() == nullptr; }));
    EXPECT_EQ(0, program.Close());
}

} // namespace
