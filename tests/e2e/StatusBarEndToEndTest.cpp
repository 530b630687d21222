// The status bar as a user sees it: the tabs' status text and download progress, and the zoom slider with its
// percentage pane, driven by the zoom keys, the slider itself and its buttons, and by switching tabs.
//
// The bar is the main window's child with id 0xE801; every element is a child window of the bar with the
// element's id: 120 and 323 static texts, 327 a progress bar, 325 a trackbar with a "-" and a "+" button
// beside it. The bar's own window text is its information text.
#include "PageFolder.h"
#include "ProgramHarness.h"
#include "resource.h"
#include "standin/StandInTestSupport.h"

#include <commctrl.h>
#include <gtest/gtest.h>

using namespace movalent::test;

namespace {

constexpr int kStatusBarId = 0xE801;
constexpr UINT kMsgDownloadProgress = WM_USER + 0x2004;

class StatusBar : public ::testing::Test {
protected:
    void SetUp() override { Program::ResetSettings(); }
    void TearDown() override { Program::ResetSettings(); }

    // Starts the program with the stand-in engines and one tab per page, and waits until every tab loaded.
    void StartWithPages(const std::vector<std::string>& titles) {
        ProgramOptions options;
        options.engineFolder = movalent::standin::testing::StandInFolder(L"full");
        for (size_t i = 0; i < titles.size(); ++i) {
            options.arguments.push_back(L"-ie6");
            options.arguments.push_back(pages_.WritePage(std::to_wstring(i) + L".html", titles[i]));
        }
        ASSERT_NO_FATAL_FAILURE(Start(options));
        ASSERT_TRUE(Program::WaitFor([&] {
            std::vector<std::wstring> captions = program_.TabCaptions();
            size_t loaded = 0;
            for (const std::wstring& caption : captions)
                for (const std::string& title : titles)
                    loaded += caption == std::wstring(title.begin(), title.end());
            return captions.size() == titles.size() && loaded == titles.size() && BarText() == L"Done";
        })) << ::testing::PrintToString(program_.TabCaptions());
    }

    // The main window exists before it has finished building its bars: wait until the bar is complete and
    // shown.
    void Start(const ProgramOptions& options = {}) {
        ASSERT_TRUE(program_.Start(options)) << program_.StartError();
        ASSERT_TRUE(Program::WaitFor([&] {
            return ::IsWindowVisible(program_.MainWindow()) && Element(ID_ZOOM_SLIDER) && ZoomButton(L"+");
        }));
    }

    HWND Bar() const { return ::GetDlgItem(program_.MainWindow(), kStatusBarId); }
    HWND Element(int id) const { return ::GetDlgItem(Bar(), id); }
    std::wstring BarText() const { return program_.WindowText(Bar()); }
    std::wstring ElementText(int id) const { return program_.WindowText(Element(id)); }
    bool Shown(int id) const { return ::IsWindowVisible(Element(id)) != FALSE; }
    LRESULT Ask(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        DWORD_PTR answer = 0;
        ::SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &answer);
        return static_cast<LRESULT>(answer);
    }
    int SliderPosition() const { return static_cast<int>(Ask(Element(ID_ZOOM_SLIDER), TBM_GETPOS)); }
    // The slider and the percentage pane settle on position and text.
    bool ShowsZoom(int position, const std::wstring& percent) const {
        return Program::WaitFor(
            [&] { return SliderPosition() == position && ElementText(ID_ZOOM_PANE) == percent; },
            std::chrono::milliseconds(5000));
    }
    // The buttons are the bar's push buttons labelled "-" and "+".
    HWND ZoomButton(const wchar_t* label) const { return ::FindWindowExW(Bar(), nullptr, L"Button", label); }
    void PressZoomKey(WORD key) const { program_.PressKeys({VK_CONTROL, key}); }

    PageFolder pages_;
    Program program_;
};

TEST_F(StatusBar, ElementsStartAsTheBarIsBuilt) {
    ASSERT_NO_FATAL_FAILURE(Start());
    for (int id : {ID_STATUS_INFO, ID_DOWNLOAD_PROGRESS, ID_ZOOM_PANE, ID_ZOOM_SLIDER})
        ASSERT_NE(nullptr, Element(id)) << id;
    EXPECT_FALSE(Shown(ID_DOWNLOAD_PROGRESS));
    EXPECT_TRUE(Shown(ID_ZOOM_PANE));
    EXPECT_TRUE(Shown(ID_ZOOM_SLIDER));
    EXPECT_EQ(L"100%", ElementText(ID_ZOOM_PANE));
    EXPECT_EQ(100, SliderPosition());
    EXPECT_EQ(0, Ask(Element(ID_ZOOM_SLIDER), TBM_GETRANGEMIN));
    EXPECT_EQ(200, Ask(Element(ID_ZOOM_SLIDER), TBM_GETRANGEMAX));
    EXPECT_EQ(10, Ask(Element(ID_ZOOM_SLIDER), TBM_GETPAGESIZE));
    ASSERT_NE(nullptr, ZoomButton(L"-"));
    ASSERT_NE(nullptr, ZoomButton(L"+"));

    // Left to right: the zoom pane, then "-", the slider, "+", against the right edge of the bar.
    RECT pane = {}, minus = {}, slider = {}, plus = {}, bar = {};
    ::GetWindowRect(Element(ID_ZOOM_PANE), &pane);
    ::GetWindowRect(ZoomButton(L"-"), &minus);
    ::GetWindowRect(Element(ID_ZOOM_SLIDER), &slider);
    ::GetWindowRect(ZoomButton(L"+"), &plus);
    ::GetWindowRect(Bar(), &bar);
    EXPECT_LE(pane.right, minus.left);
    EXPECT_LE(minus.right, slider.left);
    EXPECT_LE(slider.right, plus.left);
    EXPECT_LE(plus.right, bar.right);
    EXPECT_EQ(100, slider.right - slider.left);
    EXPECT_EQ(bar.bottom, [&] {
        RECT client = {};
        ::GetClientRect(program_.MainWindow(), &client);
        ::MapWindowPoints(program_.MainWindow(), nullptr, reinterpret_cast<POINT*>(&client), 2);
        return client.bottom;
    }());

    // The zoom elements answer to the active tab's view: without a tab they cannot be used.
    EXPECT_TRUE(Program::WaitFor([&] {
        return !::IsWindowEnabled(Element(ID_ZOOM_SLIDER)) && !::IsWindowEnabled(Element(ID_ZOOM_PANE));
    }));
    program_.PostCommand(ID_NEW_IE_DEFAULT);
    EXPECT_TRUE(Program::WaitFor([&] {
        return ::IsWindowEnabled(Element(ID_ZOOM_SLIDER)) && ::IsWindowEnabled(Element(ID_ZOOM_PANE)) &&
               ::IsWindowEnabled(ZoomButton(L"+"));
    }));
    EXPECT_EQ(0, program_.Close());
}

TEST_F(StatusBar, TabStatusTextAndProgressReachTheBar) {
    StartWithPages({"status"});
    // The last status text of the page is the bar's information text and the status pane's text.
    EXPECT_EQ(L"Done", ElementText(ID_STATUS_INFO));
    // The download drove the progress bar (to half way, before the end hid it) and left it hidden.
    EXPECT_FALSE(Shown(ID_DOWNLOAD_PROGRESS));
    EXPECT_EQ(10000, Ask(Element(ID_DOWNLOAD_PROGRESS), PBM_GETRANGE, FALSE, 0));
    EXPECT_GE(Ask(Element(ID_DOWNLOAD_PROGRESS), PBM_GETPOS), 5000);
    EXPECT_EQ(0, program_.Close());
}

// The frame's progress rules themselves are the application test's; here: where the bar appears.
TEST_F(StatusBar, ProgressBarAppearsLeftOfTheZoomWithoutMovingIt) {
    ASSERT_NO_FATAL_FAILURE(Start());
    RECT before = {}, after = {}, progress = {};
    ::GetWindowRect(Element(ID_ZOOM_PANE), &before);
    Ask(program_.MainWindow(), kMsgDownloadProgress, 30, 120);
    EXPECT_TRUE(Shown(ID_DOWNLOAD_PROGRESS));
    EXPECT_EQ(30, Ask(Element(ID_DOWNLOAD_PROGRESS), PBM_GETPOS));
    ::GetWindowRect(Element(ID_ZOOM_PANE), &after);
    ::GetWindowRect(Element(ID_DOWNLOAD_PROGRESS), &progress);
    EXPECT_TRUE(::EqualRect(&before, &after));
    EXPECT_EQ(90, progress.right - progress.left);
    EXPECT_LE(progress.right, after.left);
    Ask(program_.MainWindow(), kMsgDownloadProgress, 0, 0);
    EXPECT_FALSE(Shown(ID_DOWNLOAD_PROGRESS)) << "0 of 0 is a finished download";
    EXPECT_EQ(0, program_.Close());
}

TEST_F(StatusBar, ZoomKeysMoveTheSliderByFifteen) {
    StartWithPages({"zoom"});
    PressZoomKey(VK_OEM_PLUS);
    EXPECT_TRUE(ShowsZoom(115, L"235%"));
    PressZoomKey('0');
    EXPECT_TRUE(ShowsZoom(100, L"100%"));
    // 100, 85, ... 10, and then 0 rather than below it.
    for (int step = 0; step < 7; ++step)
        PressZoomKey(VK_OEM_MINUS);
    EXPECT_TRUE(ShowsZoom(0, L"10%"));
    // At the left end both directions stay put; only the reset leaves it.
    PressZoomKey(VK_OEM_PLUS);
    PressZoomKey(VK_OEM_MINUS);
    PressZoomKey(VK_ADD);
    ::Sleep(300);
    EXPECT_TRUE(ShowsZoom(0, L"10%"));
    PressZoomKey(VK_NUMPAD0);
    EXPECT_TRUE(ShowsZoom(100, L"100%"));
    EXPECT_EQ(0, program_.Close());
}

TEST_F(StatusBar, SliderAndItsButtonsSetTheZoom) {
    StartWithPages({"slider"});
    HWND slider = Element(ID_ZOOM_SLIDER);
    // The user's keys on the slider itself: its ends give the extremes of the zoom.
    ::PostMessageW(slider, WM_KEYDOWN, VK_END, 0);
    EXPECT_TRUE(ShowsZoom(200, L"999%"));
    ::PostMessageW(slider, WM_KEYDOWN, VK_HOME, 0);
    EXPECT_TRUE(ShowsZoom(0, L"10%"));
    ::PostMessageW(slider, WM_KEYDOWN, VK_NEXT, 0); // a page towards the end
    EXPECT_TRUE(ShowsZoom(10, L"19%"));

    PressZoomKey('0');
    ASSERT_TRUE(ShowsZoom(100, L"100%"));
    // The buttons move by the page size.
    Ask(ZoomButton(L"-"), BM_CLICK);
    EXPECT_TRUE(ShowsZoom(90, L"91%"));
    Ask(ZoomButton(L"+"), BM_CLICK);
    Ask(ZoomButton(L"+"), BM_CLICK);
    EXPECT_TRUE(ShowsZoom(110, L"190%"));
    EXPECT_EQ(0, program_.Close());
}

TEST_F(StatusBar, EachTabShowsItsOwnZoom) {
    StartWithPages({"first", "second"});
    const std::wstring first = program_.WindowText(program_.ActiveTab());
    // Five pages down from the middle: position 50, 55 %.
    for (int click = 0; click < 5; ++click)
        Ask(ZoomButton(L"-"), BM_CLICK);
    ASSERT_TRUE(ShowsZoom(50, L"55%"));

    program_.PostCommand(ID_NEXT_TAB_PANE);
    ASSERT_TRUE(Program::WaitFor([&] { return program_.WindowText(program_.ActiveTab()) != first; }));
    EXPECT_TRUE(ShowsZoom(100, L"100%"));

    program_.PostCommand(ID_NEXT_TAB_PANE);
    ASSERT_TRUE(Program::WaitFor([&] { return program_.WindowText(program_.ActiveTab()) == first; }));
    EXPECT_TRUE(ShowsZoom(50, L"55%"));
    EXPECT_EQ(0, program_.Close());
}

// The configuration menu (a right click on the bar) lists the elements, the zoom slider last; choosing it
// hides the slider and choosing it again brings it back where it was.
TEST_F(StatusBar, ConfigurationMenuHidesAndShowsAnElement) {
    StartWithPages({"menu"});
    Ask(ZoomButton(L"+"), BM_CLICK);
    ASSERT_TRUE(ShowsZoom(110, L"190%"));

    auto chooseLastItem = [&] {
        RECT bar = {};
        ::GetWindowRect(Bar(), &bar);
        ::PostMessageW(Bar(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Bar()),
                       MAKELPARAM(bar.left + 5, bar.top + 5));
        HWND menu = nullptr;
        if (!Program::WaitFor([&] {
                menu = nullptr;
                while ((menu = ::FindWindowExW(nullptr, menu, L"#32768", nullptr)) != nullptr) {
                    DWORD process = 0;
                    ::GetWindowThreadProcessId(menu, &process);
                    if (process == program_.ProcessId() && ::IsWindowVisible(menu))
                        return true;
                }
                return false;
            }))
            return false;
        // The menu takes the keys of its thread: up from nothing selected is the last item.
        ::PostMessageW(Bar(), WM_KEYDOWN, VK_UP, 0);
        ::PostMessageW(Bar(), WM_CHAR, L'\r', 0);
        return Program::WaitFor([&] { return !::IsWindowVisible(menu); });
    };

    ASSERT_TRUE(chooseLastItem());
    EXPECT_TRUE(
        Program::WaitFor([&] { return !Shown(ID_ZOOM_SLIDER) && !::IsWindowVisible(ZoomButton(L"+")); }));
    EXPECT_TRUE(Shown(ID_ZOOM_PANE));
    ASSERT_TRUE(chooseLastItem());
    EXPECT_TRUE(
        Program::WaitFor([&] { return Shown(ID_ZOOM_SLIDER) && ::IsWindowVisible(ZoomButton(L"-")); }));
    EXPECT_TRUE(ShowsZoom(110, L"190%"));
    EXPECT_EQ(0, program_.Close());
}

} // namespace
