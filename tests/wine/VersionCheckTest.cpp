// The version check against a real HTTP server on the loopback address.
#include "LoopbackHttpServer.h"
#include "app/LanguageTable.h"
#include "app/Localisation.h"
#include "app/MakerAddresses.h"
#include "app/VersionCheck.h"
#include "app/VersionInfo.h"
#include "framework/MessageBox.h"
#include "framework/ShellOpen.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <vector>

using namespace movalent;
using movalent::test::LoopbackHttpServer;

namespace {

struct Box {
    std::wstring text;
    UINT type;
};
std::vector<Box> g_boxes;
int g_answer = IDNO;
std::vector<std::wstring> g_opened;

int RecordBox(HWND, const std::wstring& text, const std::wstring&, UINT type) {
    g_boxes.push_back({text, type});
    return g_answer;
}
bool RecordOpen(const std::wstring& target) {
    g_opened.push_back(target);
    return true;
}

class VersionCheck : public ::testing::Test {
protected:
    void SetUp() override {
        g_boxes.clear();
        g_opened.clear();
        g_answer = IDNO;
        SetMessageBoxHandler(RecordBox);
        SetShellOpenHandler(RecordOpen);
        ProcessLanguageTable().SetResourceFallback(LoadResourceString);
    }
    void TearDown() override {
        SetMessageBoxHandler(nullptr);
        SetShellOpenHandler(nullptr);
        SetMakerBaseAddress(L"");
    }

    VersionCheckOutcome CheckAgainst(const std::string& rawResponse) {
        LoopbackHttpServer server(rawResponse);
        SetMakerBaseAddress(server.BaseAddress());
        VersionCheckOutcome outcome = RunVersionCheck(nullptr);
        EXPECT_EQ(1, server.Requests());
        return outcome;
    }
};

TEST_F(VersionCheck, ProgramVersionComesFromTheVersionResource) {
    EXPECT_EQ(L"0.3.4", GetProgramVersionString());
}

TEST_F(VersionCheck, SameVersionIsTheLatest) {
    EXPECT_EQ(VersionCheckOutcome::Latest, CheckAgainst(LoopbackHttpServer::Ok("0.3.4")));
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ(LoadResourceString(IDS_LATEST_VERSION), g_boxes[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_ICONINFORMATION | MB_OK), g_boxes[0].type);
}

TEST_F(VersionCheck, AnotherVersionIsANewVersion) {
    EXPECT_EQ(VersionCheckOutcome::NewVersion, CheckAgainst(LoopbackHttpServer::Ok("0.3.5")));
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ(LoadResourceString(IDS_NEW_VERSION_AVAILABLE), g_boxes[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_ICONINFORMATION | MB_YESNO), g_boxes[0].type);
    EXPECT_TRUE(g_opened.empty()) << "No must open nothing";
    EXPECT_EQ(VersionCheckOutcome::Latest, CheckAgainst(LoopbackHttpServer::Ok("0.3.4\r\n")))
        << "a line break after the number is no news";
}

// An error status, an empty answer or a page of text (a proxy's login page) says nothing about a new version.
TEST_F(VersionCheck, AnswersThatAreNoVersionAreAFailedCheck) {
    const std::string answers[] = {LoopbackHttpServer::NotFound(), LoopbackHttpServer::Ok(""),
                                   LoopbackHttpServer::Ok("<html><body>Please log in</body></html>"),
                                   "HTTP/1.0 500 Server Error\r\nContent-Length: 5\r\n\r\n0.3.4"};
    for (const std::string& answer : answers) {
        SCOPED_TRACE(answer);
        g_boxes.clear();
        EXPECT_EQ(VersionCheckOutcome::UnableToAccess, CheckAgainst(answer));
        ASSERT_EQ(1u, g_boxes.size());
        EXPECT_EQ(LoadResourceString(IDS_VERSION_SERVER_UNREACHABLE), g_boxes[0].text);
    }
}

bool g_answered = false;

LRESULT CALLBACK NoteAnswer(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP)
        g_answered = true;
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

// The window that asked goes on answering while the server takes its time.
TEST_F(VersionCheck, TheAskingThreadKeepsAnsweringItsWindows) {
    LoopbackHttpServer server(LoopbackHttpServer::Ok("0.3.4"), 1500);
    SetMakerBaseAddress(server.BaseAddress());
    HWND window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, window);
    g_answered = false;
    ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&NoteAnswer));
    ::PostMessageW(window, WM_APP, 0, 0);
    EXPECT_EQ(VersionCheckOutcome::Latest, RunVersionCheck(nullptr));
    EXPECT_TRUE(g_answered) << "the posted message waited for the whole check";
    ::DestroyWindow(window);
}

TEST_F(VersionCheck, YesOpensTheProjectHomePage) {
    g_answer = IDYES;
    EXPECT_EQ(VersionCheckOutcome::NewVersion, CheckAgainst(LoopbackHttpServer::Ok("9.9")));
    ASSERT_EQ(1u, g_opened.size());
    EXPECT_EQ(ProjectHomePage(), g_opened[0]);
}

TEST_F(VersionCheck, RefusedConnectionCannotAccess) {
    SetMakerBaseAddress(L"http://127.0.0.1:" + std::to_wstring(LoopbackHttpServer::ClosedPort()));
    EXPECT_EQ(VersionCheckOutcome::UnableToAccess, RunVersionCheck(nullptr));
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ(LoadResourceString(IDS_VERSION_SERVER_UNREACHABLE), g_boxes[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_ICONEXCLAMATION | MB_OK), g_boxes[0].type);
}

TEST_F(VersionCheck, LongAnswerIsComparedOnItsFirst9999Bytes) {
    LoopbackHttpServer server(LoopbackHttpServer::Ok(std::string(9999, 'v') + "tail beyond the buffer"));
    std::wstring answer;
    ASSERT_TRUE(FetchVersionAnswer(server.BaseAddress() + L"/movalent/checkversion.php", answer));
    EXPECT_EQ(std::wstring(9999, L'v'), answer);
}

TEST_F(VersionCheck, MessagesGoThroughTheTranslation) {
    EXPECT_FALSE(LocalizedString(IDS_LATEST_VERSION).empty());
    EXPECT_EQ(L"You have the latest version", LocalizedString(IDS_LATEST_VERSION));
}

} // namespace
