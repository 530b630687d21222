// The source window with real controls and keys through the thread's loop, and fetching a source through a
// network module handed in.
#include "devtools/SourceFetch.h"
#include "devtools/SourceWindow.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstring>
#include <string>

using namespace movalent::devtools;

namespace {

void Pump() {
    MSG msg;
    for (int round = 0; round < 10000 && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++round) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

std::wstring Text(HWND hwnd) {
    std::wstring text(static_cast<size_t>(::SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    text.resize(static_cast<size_t>(
        ::SendMessageW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

std::pair<DWORD, DWORD> Selection(HWND edit) {
    DWORD start = 0, end = 0;
    ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
}

class SourceWindowTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (::IsWindow(hwnd_))
            ::DestroyWindow(hwnd_);
        Pump();
    }
    void Open(const std::wstring& source, const std::wstring& generated = L"<html>\n<p>now</p>\n</html>") {
        window_ = SourceWindow::Open(nullptr, L"Source of page", source, generated);
        ASSERT_NE(window_, nullptr);
        hwnd_ = window_->Handle();
        edit_ = ::GetDlgItem(hwnd_, SourceWindow::kEditId);
        tabs_ = ::GetDlgItem(hwnd_, SourceWindow::kTabsId);
        find_ = ::GetDlgItem(hwnd_, SourceWindow::kFindEditId);
        Pump();
    }
    // A key as the user types it, to the focused control, through the thread's loop.
    void Press(WORD key, bool control = false, bool shift = false) {
        BYTE saved[256] = {}, state[256] = {};
        ::GetKeyboardState(saved);
        std::memcpy(state, saved, sizeof(state));
        state[VK_CONTROL] = control ? 0x80 : 0;
        state[VK_SHIFT] = shift ? 0x80 : 0;
        ::SetKeyboardState(state);
        HWND focus = ::GetFocus();
        ::PostMessageW(focus ? focus : edit_, WM_KEYDOWN, key, 1);
        Pump();
        ::SetKeyboardState(saved);
    }
    int FirstVisibleLine() const {
        return static_cast<int>(::SendMessageW(edit_, EM_GETFIRSTVISIBLELINE, 0, 0));
    }

    SourceWindow* window_ = nullptr;
    HWND hwnd_ = nullptr, edit_ = nullptr, tabs_ = nullptr, find_ = nullptr;
};

std::wstring NumberedLines(int count) {
    std::wstring text;
    for (int line = 1; line <= count; ++line)
        text += L"line " + std::to_wstring(line) + (line == 250 ? L" Needle" : L"") + L"\n";
    return text;
}

TEST_F(SourceWindowTest, TabsShowTheSourceAndTheGeneratedSource) {
    Open(L"<p>a</p>\n<p>b</p>");
    wchar_t name[64] = {};
    ::GetClassNameW(hwnd_, name, 64);
    EXPECT_STREQ(name, L"MovalentSourceWindow");
    EXPECT_EQ(Text(hwnd_), L"Source of page");
    EXPECT_EQ(Text(edit_), L"<p>a</p>\r\n<p>b</p>");

    ::SendMessageW(edit_, EM_SETSEL, 3, 5);
    ::SendMessageW(tabs_, TCM_SETCURFOCUS, 1, 0);
    EXPECT_EQ(Text(edit_), L"<html>\r\n<p>now</p>\r\n</html>");
    ::SendMessageW(tabs_, TCM_SETCURSEL, 0, 0); // no notification: the page follows all the same
    EXPECT_EQ(Text(edit_), L"<p>a</p>\r\n<p>b</p>");
    EXPECT_EQ(Selection(edit_), std::make_pair(DWORD(3), DWORD(5))); // each tab keeps its selection

    ::SetFocus(edit_);
    Press(VK_TAB, true);
    EXPECT_EQ(window_->ShownTab(), SourceWindow::kGeneratedTab);
    EXPECT_EQ(::SendMessageW(tabs_, TCM_GETCURSEL, 0, 0), 1);
    Press(VK_TAB, true, true);
    EXPECT_EQ(window_->ShownTab(), SourceWindow::kSourceTab);
}

TEST_F(SourceWindowTest, FindNextAndPreviousSelectMatchesAndWrap) {
    Open(L"Foo bar\nfoo baz\nFOO");
    HWND status = ::GetDlgItem(hwnd_, SourceWindow::kFindStatusId);
    ::SetFocus(edit_);
    Press('F', true);
    ASSERT_EQ(::GetFocus(), find_);
    ::SetWindowTextW(find_, L"foo");
    Press(VK_RETURN);
    EXPECT_EQ(Selection(edit_), std::make_pair(DWORD(0), DWORD(3)));
    Press(VK_F3);
    EXPECT_EQ(Selection(edit_), std::make_pair(DWORD(9), DWORD(12)));
    Press(VK_F3);
    EXPECT_EQ(Selection(edit_), std::make_pair(DWORD(18), DWORD(21)));
    Press(VK_F3); // round the end
    EXPECT_EQ(Selection(edit_), std::make_pair(DWORD(0), DWORD(3)));
    Press(VK_F3, false, true); // round the start
    EXPECT_EQ(Selection(edit_), std::make_pair(DWORD(18), DWORD(21)));
    Press(VK_RETURN, false, true);
    EXPECT_EQ(Selection(edit_), std::make_pair(DWORD(9), DWORD(12)));
    EXPECT_EQ(Text(status), L"");

    ::SetWindowTextW(find_, L"qux");
    Press(VK_RETURN);
    EXPECT_EQ(Text(status), L"Not found");
    EXPECT_EQ(Selection(edit_), std::make_pair(DWORD(9), DWORD(12)));
}

TEST_F(SourceWindowTest, GutterFollowsScrollingFindingAndTabs) {
    Open(NumberedLines(300));
    ::UpdateWindow(hwnd_);
    EXPECT_EQ(window_->GutterFirstLine(), 1);

    ::SendMessageW(edit_, EM_LINESCROLL, 0, 100);
    EXPECT_EQ(FirstVisibleLine(), 100);
    EXPECT_EQ(window_->GutterFirstLine(), 101);
    ::SendMessageW(edit_, WM_VSCROLL, SB_LINEUP, 0);
    EXPECT_EQ(window_->GutterFirstLine(), 100);

    ::SetWindowTextW(find_, L"needle");
    ::SendMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(104, BN_CLICKED), 0); // the Next button
    EXPECT_GT(FirstVisibleLine(), 150);
    EXPECT_EQ(window_->GutterFirstLine(), FirstVisibleLine() + 1);

    const int scrolled = FirstVisibleLine();
    ::SendMessageW(tabs_, TCM_SETCURFOCUS, 1, 0);
    EXPECT_EQ(window_->GutterFirstLine(), 1);
    ::SendMessageW(tabs_, TCM_SETCURFOCUS, 0, 0);
    EXPECT_EQ(FirstVisibleLine(), scrolled);
    EXPECT_EQ(window_->GutterFirstLine(), scrolled + 1);

    ::SetWindowPos(hwnd_, nullptr, 0, 0, 500, 300, SWP_NOMOVE | SWP_NOZORDER);
    ::UpdateWindow(hwnd_);
    EXPECT_EQ(window_->GutterFirstLine(), FirstVisibleLine() + 1);
}

TEST_F(SourceWindowTest, CopyAllAndEscape) {
    Open(L"one\ntwo");
    ::SendMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(105, BN_CLICKED), 0); // Copy all
    ASSERT_TRUE(::OpenClipboard(nullptr));
    HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
    const auto* copied = data ? static_cast<const wchar_t*>(::GlobalLock(data)) : nullptr;
    EXPECT_STREQ(copied, L"one\r\ntwo");
    if (copied)
        ::GlobalUnlock(data);
    ::CloseClipboard();

    // Esc closes the window it was typed in, not the others.
    HWND other = SourceWindow::Open(nullptr, L"Other", L"", L"")->Handle();
    EXPECT_EQ(SourceWindow::OpenWindowCount(), 2);
    ::SetForegroundWindow(hwnd_);
    ::SetFocus(::GetDlgItem(hwnd_, 105));
    Press(VK_ESCAPE);
    EXPECT_FALSE(::IsWindow(hwnd_));
    EXPECT_TRUE(::IsWindow(other));
    EXPECT_EQ(SourceWindow::OpenWindowCount(), 1);
    ::DestroyWindow(other);
    EXPECT_EQ(SourceWindow::OpenWindowCount(), 0);
}

TEST(SourceFetchTest, ExplainsAMissingModuleOrFunction) {
    std::wstring error;
    EXPECT_FALSE(FetchSource(nullptr, L"http://a/", &error));
    EXPECT_NE(error.find(L"http://a/"), std::wstring::npos);
    EXPECT_NE(error.find(L"network module"), std::wstring::npos);
    EXPECT_FALSE(FetchSource(::GetModuleHandleW(L"kernel32.dll"), L"http://a/", &error));
    EXPECT_NE(error.find(L"URLOpenBlockingStreamW"), std::wstring::npos);
}

TEST(SourceFetchTest, ReadsAFileWholeThroughTheModuleGiven) {
    HMODULE urlmon = ::LoadLibraryW(L"urlmon.dll");
    ASSERT_NE(urlmon, nullptr);
    wchar_t folder[MAX_PATH] = {}, path[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    ::GetTempFileNameW(folder, L"src", 0, path);
    std::string content = "\xEF\xBB\xBF<p>caf\xC3\xA9</p>\n";
    content += std::string(200000, 'x');
    HANDLE file = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    ::CloseHandle(file);

    std::wstring error;
    auto bytes = FetchSource(urlmon, std::wstring(L"file:///") + path, &error);
    ASSERT_TRUE(bytes) << error;
    EXPECT_EQ(*bytes, content);
    EXPECT_EQ(DecodeSource(*bytes).substr(0, 13), L"<p>caf\u00E9</p>\r\n");

    ::DeleteFileW(path);
    EXPECT_FALSE(FetchSource(urlmon, std::wstring(L"file:///") + path, &error));
    EXPECT_NE(error.find(L"could not be fetched"), std::wstring::npos);
    ::FreeLibrary(urlmon);
}

TEST(SourceFetchTest, StreamReadingStopsAtTheLimit) {
    IStream* raw = nullptr;
    ASSERT_EQ(::CreateStreamOnHGlobal(nullptr, TRUE, &raw), S_OK);
    movalent::ComPtr<IStream> stream = movalent::ComPtr<IStream>::Attach(raw);
    stream->Write("0123456789", 10, nullptr);
    const LARGE_INTEGER start = {};
    std::wstring error;
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(ReadWholeStream(stream.get(), 10, &error).value_or("none"), "0123456789");
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    EXPECT_FALSE(ReadWholeStream(stream.get(), 9, &error));
    EXPECT_EQ(error, L"The data are larger than 9 bytes.");
}

} // namespace
