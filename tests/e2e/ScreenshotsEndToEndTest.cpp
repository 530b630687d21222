// Pictures of the main window as a user sees it: the ribbon in each Office 2007 style, minimized and
// restored, a history drop-down open, and a stand-in page at several zoom percentages. Each picture is saved
// in the build folder's "screenshots" for people to look at; the tests also check the pixels that show each
// effect.
#include "PageFolder.h"
#include "PanelInspection.h"
#include "ProgramHarness.h"
#include "Screenshot.h"
#include "StandInWindows.h"
#include "TabInspection.h"
#include "devtools/PanelControls.h"
#include "framework/QueryMessages.h"
#include "mainframe/LookColours.h"
#include "resource.h"
#include "standin/StandInTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

using namespace movalent;
using namespace movalent::test;

namespace {

constexpr UINT kMsgApplyZoom = WM_USER + 0x2007;
constexpr int kRibbonFullHeight = 124;
constexpr int kRibbonMinimizedHeight = 28;
constexpr int kTabRowHeight = 30;
constexpr int kStatusBarHeight = 26;

bool Near(std::uint32_t pixel, std::uint32_t colourBgr, int tolerance) {
    const int red = static_cast<int>(colourBgr & 0xFF), green = static_cast<int>((colourBgr >> 8) & 0xFF),
              blue = static_cast<int>((colourBgr >> 16) & 0xFF);
    return std::abs(static_cast<int>((pixel >> 16) & 0xFF) - red) <= tolerance &&
           std::abs(static_cast<int>((pixel >> 8) & 0xFF) - green) <= tolerance &&
           std::abs(static_cast<int>(pixel & 0xFF) - blue) <= tolerance;
}

class Screenshots : public ::testing::Test {
protected:
    void SetUp() override {
        if (!ScreenshotsAvailable())
            GTEST_SKIP() << "no screen: the test command runs these under a virtual display";
        Program::ResetSettings();
    }
    void TearDown() override { Program::ResetSettings(); }

    HWND OpenPage(const std::wstring& page, const std::wstring& title) {
        ProgramOptions options;
        options.engineFolder = standin::testing::StandInFolder(L"full");
        options.arguments = {L"-IE7", page};
        if (!program.Start(options)) {
            ADD_FAILURE() << program.StartError();
            return nullptr;
        }
        ::ShowWindow(program.MainWindow(), SW_MAXIMIZE);
        return WaitForPage(title);
    }
    HWND WaitForPage(const std::wstring& title) const { return WaitForActivePage(program, title); }

    HWND Ribbon() const {
        return ::FindWindowExW(program.MainWindow(), nullptr, L"MovalentRibbonBar", nullptr);
    }
    LRESULT Ask(RibbonQuery question, unsigned argument = 0) const {
        static const UINT message = ::RegisterWindowMessageW(kQueryRibbonMessageName);
        return ::SendMessageW(Ribbon(), message, MAKEWPARAM(question, argument), 0);
    }
    // A click at a point the ribbon reported (packed x | y << 16, client coordinates).
    void Click(LRESULT packed) const {
        ::PostMessageW(Ribbon(), WM_LBUTTONDOWN, MK_LBUTTON, static_cast<LPARAM>(packed));
        ::PostMessageW(Ribbon(), WM_LBUTTONUP, 0, static_cast<LPARAM>(packed));
    }
    int RibbonHeight() const {
        RECT rect = {};
        ::GetWindowRect(Ribbon(), &rect);
        return rect.bottom - rect.top;
    }
    ScreenImage Picture(const std::string& name) const {
        std::optional<ScreenImage> image = CaptureWindow(program.MainWindow());
        EXPECT_TRUE(image) << name;
        if (!image)
            return {};
        EXPECT_TRUE(SavePng(*image, ScreenshotFolder() / (name + ".png"))) << name;
        return *image;
    }
    // A pixel of the ribbon (client coordinates) in a picture of the main window; black outside it.
    std::uint32_t RibbonPixel(const ScreenImage& image, int x, int y) const {
        POINT point = {x, y};
        ::ClientToScreen(Ribbon(), &point);
        return image.AtScreen(point).value_or(0);
    }

    static void StoreLook(DWORD stored) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS,
                  ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Ombrisk\\Movalent\\Workspace", 0, nullptr,
                                    0, KEY_SET_VALUE, nullptr, &key, nullptr));
        ::RegSetValueExW(key, L"ApplicationLook", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&stored),
                         sizeof(stored));
        ::RegCloseKey(key);
    }
    void CheckStoredStyle(DWORD stored) {
        StoreLook(stored);
        ASSERT_TRUE(OpenPage(pages.WritePage(L"stored.html", "Stored", "<p>Stored style</p>"), L"Stored"));
        ScreenImage image = Picture("ribbon-stored-" + std::to_string(stored));
        RibbonColours colours = RibbonColoursForLook(ApplyLookCommand(VisualLook{}, stored));
        EXPECT_TRUE(Near(RibbonPixel(image, 600, 1), colours.tabRowTop, 12))
            << stored << ": " << std::hex << RibbonPixel(image, 600, 1);
        EXPECT_EQ(0, program.Close());
    }

    PageFolder pages;
    Program program;
};

TEST_F(Screenshots, RibbonInEachOffice2007StyleMinimizedAndRestored) {
    ASSERT_TRUE(
        OpenPage(pages.WritePage(L"styles.html", "Styles", "<p>The ribbon in every style.</p>"), L"Styles"));
    const std::pair<unsigned, const char*> styles[] = {
        {ID_LOOK_OFFICE_2007_BLUE, "blue"},
        {ID_LOOK_OFFICE_2007_BLACK, "black"},
        {ID_LOOK_OFFICE_2007_SILVER, "silver"},
        {ID_LOOK_OFFICE_2007_AQUA, "aqua"},
    };
    for (const auto& [command, name] : styles) {
        program.PostCommand(command);
        ASSERT_TRUE(Program::WaitFor([&] { return (program.CommandState(command) & kCommandRadio) != 0; }))
            << name;
        ScreenImage image = Picture(std::string("ribbon-") + name);
        // The top of the tab row, between the last tab and the search box, shows the style's own colour.
        RibbonColours colours = RibbonColoursForLook(ApplyLookCommand(VisualLook{}, command));
        EXPECT_TRUE(Near(RibbonPixel(image, 600, 1), colours.tabRowTop, 12))
            << name << ": " << std::hex << RibbonPixel(image, 600, 1);
    }

    ASSERT_EQ(kRibbonFullHeight, RibbonHeight());
    const LRESULT toggle = Ask(kRibbonCategoryPoint, 3);
    ASSERT_NE(0, toggle);
    Click(toggle);
    ASSERT_TRUE(Program::WaitFor([&] { return Ask(kRibbonMinimized) == 1; }));
    EXPECT_EQ(kRibbonMinimizedHeight, RibbonHeight());
    Picture("ribbon-minimized");
    Click(Ask(kRibbonCategoryPoint, 3));
    ASSERT_TRUE(Program::WaitFor([&] { return Ask(kRibbonMinimized) == 0; }));
    EXPECT_EQ(kRibbonFullHeight, RibbonHeight());
    Picture("ribbon-restored");
    EXPECT_EQ(0, program.Close());
}

// A stored style is the one the program starts in: 212 the Windows XP look, an unknown 999 Office 2007 in its
// first colour, blue.
TEST_F(Screenshots, StoredWindowsXpStyleIsTheStartingLook) {
    CheckStoredStyle(212);
}

TEST_F(Screenshots, StoredUnknownStyleStartsInOffice2007Blue) {
    CheckStoredStyle(999);
}

HWND OpenMenu(DWORD processId) {
    HWND menu = nullptr;
    Program::WaitFor([&] {
        for (menu = ::FindWindowExW(nullptr, nullptr, L"#32768", nullptr); menu;
             menu = ::FindWindowExW(nullptr, menu, L"#32768", nullptr)) {
            DWORD owner = 0;
            ::GetWindowThreadProcessId(menu, &owner);
            if (owner == processId && ::IsWindowVisible(menu))
                return true;
        }
        return false;
    });
    return menu;
}

TEST_F(Screenshots, HistoryDropDownOpen) {
    const std::wstring one = pages.WritePage(L"one.html", "First page");
    const std::wstring two = pages.WritePage(L"two.html", "Second page");
    const std::wstring three = pages.WritePage(L"three.html", "Third page");
    ASSERT_TRUE(OpenPage(one, L"First page"));
    for (const auto& [address, title] : {std::pair{two, L"Second page"}, std::pair{three, L"Third page"}}) {
        program.PressKeys({VK_MENU, 'D'});
        ::Sleep(150);
        SetAddressText(program.ActiveTab(), address);
        program.PressKeys({VK_RETURN});
        ASSERT_TRUE(WaitForPage(title));
    }
    ASSERT_TRUE(Program::WaitFor([&] { return (Ask(kRibbonElementState, ID_NAV_PREVIOUS) & 1) != 0; }));
    Click(Ask(kRibbonElementArrow, ID_NAV_PREVIOUS));
    HWND menu = OpenMenu(program.ProcessId());
    ASSERT_TRUE(menu);
    ASSERT_EQ(2, Ask(kRibbonMenuItemCount));
    Picture("history-menu");
    ::PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(Program::WaitFor([&] { return !::IsWindowVisible(menu); }));

    // The application menu, with its large pictures.
    ::PostMessageW(Ribbon(), WM_LBUTTONDOWN, MK_LBUTTON,
                   static_cast<LPARAM>(Ask(kRibbonElementPoint, kRibbonApplicationButton)));
    menu = OpenMenu(program.ProcessId());
    ASSERT_TRUE(menu);
    EXPECT_EQ(3, Ask(kRibbonMenuItemCount));
    Picture("application-menu");
    ::PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(Program::WaitFor([&] { return !::IsWindowVisible(menu); }));
    EXPECT_EQ(0, program.Close());
}

// How much of the page is drawn in black: the page's own title and text, whose size follows the zoom.
size_t InkOfPage(const ScreenImage& image, HWND page) {
    RECT pageRect = {};
    ::GetWindowRect(page, &pageRect);
    size_t ink = 0;
    for (int y = pageRect.top; y < pageRect.bottom; ++y)
        for (int x = pageRect.left; x < pageRect.right; ++x)
            if (std::optional<std::uint32_t> pixel = image.AtScreen({x, y});
                pixel && (*pixel & 0xC0C0C0) == 0)
                ++ink;
    return ink;
}

TEST_F(Screenshots, ZoomedPageGrowsOnTheScreen) {
    HWND tab = OpenPage(pages.WritePage(L"zoom.html", "Zoom", "<p>Zoomed text</p>"), L"Zoom");
    ASSERT_TRUE(tab);
    HWND page = BrowserWindow(tab);
    ASSERT_TRUE(page);
    const DWORD thread = ::GetWindowThreadProcessId(page, nullptr);
    std::optional<size_t> previous;
    // At 10 % the text is too small to leave dark pixels; every step up draws more of them.
    for (int percent : {10, 55, 100, 150, 999}) {
        ASSERT_TRUE(::PostThreadMessageW(thread, kMsgApplyZoom, static_cast<WPARAM>(percent), 0));
        const std::wstring wrapper = std::to_wstring(percent) + L"%";
        ASSERT_TRUE(Program::WaitFor([&] { return PageValue(tab, L"zoom.wrapper") == wrapper; })) << percent;
        ScreenImage image = Picture("zoom-" + std::to_string(percent));
        const size_t ink = InkOfPage(image, page);
        if (previous) {
            EXPECT_GT(ink, *previous) << percent << "%: the page's text did not grow";
        }
        EXPECT_LT(ink, static_cast<size_t>(image.width) * image.height / 2) << percent << "%: not a page";
        previous = ink;
    }
    EXPECT_EQ(0, program.Close());
}

// The developer-tools panel beside a page, an element selected and outlined in the page; then the source window.
TEST_F(Screenshots, DevToolsPanelOutlinesTheSelectedElement) {
    HWND tab = OpenPage(pages.WritePage(L"tools.html", "Tools",
                                        "<div id=\"target\" title=\"picked\">Outlined block</div><p>after</p>"),
                        L"Tools");
    ASSERT_TRUE(tab);
    RegisteredPanel registration(program.Folder() / L"MovalentDevTools.dll");
    ASSERT_TRUE(registration.Ok());
    program.PostCommand(ID_TOGGLE_FENNIMOX);
    HWND panel = nullptr;
    ASSERT_TRUE(Program::WaitFor([&] { return (panel = DevToolsPanel(tab)) && ::IsWindowVisible(panel); }));
    SetPanelText(panel, devtools::kFindText, L"target");
    PressPanelButton(panel, devtools::kFindNext);
    HWND list = PanelItem(panel, devtools::kProperties);
    ASSERT_TRUE(Program::WaitFor([&] { return RowValue(list, L"title") == L"picked"; }));
    ::Sleep(500); // the outline follows on its timer
    ScreenImage image = Picture("devtools-panel");
    RECT box = {};
    ASSERT_EQ(4, swscanf(PageValue(tab, L"box.target").c_str(), L"%ld,%ld,%ld,%ld", &box.left, &box.top,
                         &box.right, &box.bottom));
    POINT corner = {box.left, box.top + 4};
    ::ClientToScreen(BrowserWindow(tab), &corner);
    corner.x -= 1; // on the frame just outside the element
    EXPECT_TRUE(Near(image.AtScreen(corner).value_or(0), ::GetSysColor(COLOR_HIGHLIGHT), 8))
        << std::hex << image.AtScreen(corner).value_or(0);

    PressPanelButton(panel, devtools::kSourceButton);
    HWND source = nullptr;
    ASSERT_TRUE(Program::WaitFor([&] { return (source = ::FindWindowW(L"MovalentSourceWindow", nullptr)); }));
    ::Sleep(300);
    std::optional<ScreenImage> sourceImage = CaptureWindow(source);
    ASSERT_TRUE(sourceImage);
    EXPECT_TRUE(SavePng(*sourceImage, ScreenshotFolder() / "devtools-source.png"));
    EXPECT_EQ(0, program.Close());
}

// System colours of the whole session, put back as they were when the test ends.
class SystemColoursSet {
public:
    SystemColoursSet(std::vector<int> elements, std::vector<COLORREF> colours)
        : elements_(std::move(elements)) {
        for (int element : elements_)
            saved_.push_back(::GetSysColor(element));
        ::SetSysColors(static_cast<int>(elements_.size()), elements_.data(), colours.data());
    }
    ~SystemColoursSet() {
        ::SetSysColors(static_cast<int>(elements_.size()), elements_.data(), saved_.data());
    }

private:
    std::vector<int> elements_;
    std::vector<COLORREF> saved_;
};

size_t PixelsNear(const ScreenImage& image, HWND window, RECT rect, COLORREF colour) {
    size_t count = 0;
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x) {
            POINT point = {x, y};
            ::ClientToScreen(window, &point);
            count += Near(image.AtScreen(point).value_or(0xFF00FF), colour, 40) ? 1 : 0;
        }
    return count;
}

std::uint32_t PixelOf(const ScreenImage& image, HWND window, int x, int y) {
    POINT point = {x, y};
    ::ClientToScreen(window, &point);
    return image.AtScreen(point).value_or(0xFF00FF);
}

// Wine keeps high contrast off whatever a program asks, so the program's test hook counts it on while a file
// exists; the system colours are real. Whatever look is stored (Office 2007 black here), the ribbon, the tab
// row and the status bar draw in yellow on black, flat; a settings change after high contrast went off brings
// the stored look back.
TEST_F(Screenshots, HighContrastDrawsInTheSystemColoursUntilItGoesOff) {
    const std::filesystem::path flag = pages.Folder() / L"high-contrast";
    { std::ofstream(flag) << "on"; }
    ProgramOptions options;
    options.engineFolder = standin::testing::StandInFolder(L"full");
    options.arguments = {L"-IE7", pages.WritePage(L"contrast.html", "Contrast", "<p>High contrast</p>")};
    options.environment[L"MOVALENT_TEST_HIGH_CONTRAST"] = flag.wstring();
    const unsigned black = ID_LOOK_OFFICE_2007_BLACK;
    StoreLook(black);
    // Wine's processes read the system colours when they start.
    constexpr COLORREF kFace = RGB(0, 0, 0), kText = RGB(255, 255, 0);
    SystemColoursSet colours({COLOR_BTNFACE, COLOR_BTNTEXT}, {kFace, kText});
    ASSERT_TRUE(program.Start(options)) << program.StartError();
    ::ShowWindow(program.MainWindow(), SW_MAXIMIZE);
    ASSERT_TRUE(WaitForPage(L"Contrast"));
    program.PostCommand(ID_NEW_IE6); // the first tab becomes an inactive one
    ASSERT_TRUE(Program::WaitFor([&] { return program.Tabs().size() == 2; }));

    ScreenImage image = Picture("high-contrast");
    HWND ribbon = Ribbon(), tabRow = FindDescendant(program.MainWindow(), L"MovalentTabRow"),
         statusBar = FindDescendant(program.MainWindow(), L"MovalentStatusBar");
    ASSERT_TRUE(tabRow && statusBar);
    RECT ribbonRect = {}, rowRect = {}, barRect = {};
    ::GetClientRect(ribbon, &ribbonRect);
    ::GetClientRect(tabRow, &rowRect);
    ::GetClientRect(statusBar, &barRect);
    // Flat: the tab row's background from top to bottom, and the panel area's bottom edge.
    for (int y : {1, 10, 20})
        EXPECT_TRUE(Near(PixelOf(image, ribbon, 600, y), kFace, 8))
            << y << ": " << std::hex << PixelOf(image, ribbon, 600, y);
    EXPECT_TRUE(Near(PixelOf(image, ribbon, ribbonRect.right - 4, ribbonRect.bottom - 3), kFace, 8));
    EXPECT_GT(PixelsNear(image, ribbon, ribbonRect, kText), 200u) << "labels in the button text colour";
    // The tab row behind its tabs and inside the inactive first tab; its caption in the button text colour.
    EXPECT_TRUE(Near(PixelOf(image, tabRow, rowRect.right - 40, 3), kFace, 8));
    const int middle = (rowRect.top + rowRect.bottom) / 2 + 1;
    EXPECT_TRUE(Near(PixelOf(image, tabRow, 3, middle), kFace, 8))
        << std::hex << PixelOf(image, tabRow, 3, middle);
    EXPECT_GT(PixelsNear(image, tabRow, {0, 0, 120, rowRect.bottom}, kText), 10u);
    EXPECT_TRUE(Near(PixelOf(image, statusBar, barRect.right / 2, barRect.bottom - 2), kFace, 8));
    HWND zoomPane = ::FindWindowExW(statusBar, nullptr, L"Static", L"100%");
    RECT paneRect = {};
    ::GetClientRect(zoomPane, &paneRect);
    EXPECT_GT(PixelsNear(image, zoomPane, paneRect, kText), 10u) << "the zoom pane's text";

    std::filesystem::remove(flag);
    ::SendMessageW(program.MainWindow(), WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
    image = Picture("high-contrast-off");
    const RibbonColours look = RibbonColoursForLook(ApplyLookCommand(VisualLook{}, black));
    EXPECT_TRUE(Near(PixelOf(image, ribbon, 600, 1), look.tabRowTop, 12))
        << std::hex << PixelOf(image, ribbon, 600, 1);
    EXPECT_NE(0u, program.CommandState(ID_LOOK_OFFICE_2007_BLACK) & kCommandRadio);
    EXPECT_EQ(0, program.Close());
}

// Wine gives a process the display density of the user's LogPixels as the process starts: the program started
// while this lives sees dpi, and 96 comes back afterwards.
class DisplayDensity {
public:
    explicit DisplayDensity(DWORD dpi) { Set(dpi); }
    ~DisplayDensity() { Set(96); }
    DisplayDensity(const DisplayDensity&) = delete;
    DisplayDensity& operator=(const DisplayDensity&) = delete;

private:
    static void Set(DWORD dpi) {
        HKEY key = nullptr;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &key, nullptr) != ERROR_SUCCESS)
            return;
        ::RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof(dpi));
        ::RegCloseKey(key);
    }
};

int WindowHeight(HWND window) {
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    return rect.bottom - rect.top;
}

struct Bars {
    int ribbon = 0;
    int tabRow = 0;
    int statusBar = 0;
};

// The bars' heights as drawn, read along a column of the main window's client area right of the tabs: the tab
// row ends in a shadow line, and the status bar begins with one.
Bars DrawnBars(const ScreenImage& image, HWND frame, HWND ribbon, int x) {
    const std::uint32_t shadow = ::GetSysColor(COLOR_BTNSHADOW);
    RECT client = {};
    ::GetClientRect(frame, &client);
    auto isShadow = [&](int y) {
        POINT point = {x, y};
        ::ClientToScreen(frame, &point);
        return Near(image.AtScreen(point).value_or(0), shadow, 2);
    };
    Bars bars;
    bars.ribbon = WindowHeight(ribbon);
    int y = bars.ribbon;
    while (y < client.bottom && !isShadow(y))
        ++y;
    bars.tabRow = y + 1 - bars.ribbon;
    y = client.bottom - 1;
    while (y > bars.ribbon && !isShadow(y))
        --y;
    bars.statusBar = client.bottom - y;
    return bars;
}

// What the main window's bars measure: their windows, and what they drew, which must agree.
Bars MeasureBars(const Program& program, HWND ribbon, const ScreenImage& image) {
    HWND frame = program.MainWindow();
    Bars windows;
    windows.ribbon = WindowHeight(ribbon);
    windows.tabRow = WindowHeight(::FindWindowExW(frame, nullptr, L"MovalentTabRow", nullptr));
    windows.statusBar = WindowHeight(::FindWindowExW(frame, nullptr, L"MovalentStatusBar", nullptr));
    RECT client = {};
    ::GetClientRect(frame, &client);
    const Bars drawn = DrawnBars(image, frame, ribbon, client.right / 2);
    EXPECT_EQ(windows.tabRow, drawn.tabRow);
    EXPECT_EQ(windows.statusBar, drawn.statusBar);
    return windows;
}

// At 150 % and 200 % the ribbon, the tab row and the status bar are as much larger as the display is denser.
TEST_F(Screenshots, BarsGrowWithTheDisplayDensity) {
    for (const int dpi : {144, 192}) {
        SCOPED_TRACE(dpi);
        {
            DisplayDensity density(static_cast<DWORD>(dpi));
            ASSERT_TRUE(OpenPage(pages.WritePage(L"dpi.html", "Density", "<p>Denser display</p>"), L"Density"));
        }
        ScreenImage image = Picture("dpi-" + std::to_string(dpi));
        const Bars bars = MeasureBars(program, Ribbon(), image);
        EXPECT_EQ(kRibbonFullHeight * dpi / 96, bars.ribbon);
        EXPECT_EQ(kStatusBarHeight * dpi / 96, bars.statusBar);
        // The tab row is as high as its font, which the system scales to the nearest pixel or two.
        EXPECT_NEAR(kTabRowHeight * dpi / 96, bars.tabRow, 2);
        // The application menu, its items with the pictures drawn for this density.
        Click(Ask(kRibbonElementPoint, kRibbonApplicationButton));
        HWND menu = OpenMenu(program.ProcessId());
        ASSERT_TRUE(menu);
        Picture("application-menu-" + std::to_string(dpi));
        ::PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_TRUE(Program::WaitFor([&] { return !::IsWindowVisible(menu); }));
        EXPECT_EQ(0, program.Close());
    }
}

// WM_DPICHANGED (the window moved to a denser display and back) lays the bars out for the new density, and the
// old one brings back the very same pixels.
TEST_F(Screenshots, BarsFollowTheWindowToAnotherDensity) {
    ASSERT_TRUE(OpenPage(pages.WritePage(L"moved.html", "Moved", "<p>Moved window</p>"), L"Moved"));
    // The bars' rows of a picture: the page between them has a blinking caret.
    auto barPixels = [&](const ScreenImage& image) {
        RECT client = {}, page = {};
        ::GetClientRect(program.MainWindow(), &client);
        ::MapWindowPoints(program.MainWindow(), nullptr, reinterpret_cast<POINT*>(&client), 2);
        ::GetWindowRect(::GetParent(program.ActiveTab()), &page);
        std::vector<std::uint32_t> rows;
        for (const auto& [top, bottom] : {std::pair{client.top, page.top}, std::pair{page.bottom, client.bottom}})
            for (int y = top; y < bottom; ++y)
                for (int x = client.left; x < client.right; ++x)
                    rows.push_back(image.AtScreen({x, y}).value_or(0));
        return rows;
    };
    const std::vector<std::uint32_t> before = barPixels(Picture("dpi-before-change"));
    ASSERT_GT(before.size(), 100000u);
    static const UINT change = ::RegisterWindowMessageW(kChangeDpiMessageName);
    ::SendMessageW(program.MainWindow(), change, 192, 0);
    ASSERT_TRUE(Program::WaitFor([&] { return RibbonHeight() == kRibbonFullHeight * 2; }));
    const Bars bars = MeasureBars(program, Ribbon(), Picture("dpi-changed-192"));
    EXPECT_EQ(kStatusBarHeight * 2, bars.statusBar);
    EXPECT_NEAR(kTabRowHeight * 2, bars.tabRow, 2);
    ::SendMessageW(program.MainWindow(), change, 96, 0);
    ASSERT_TRUE(Program::WaitFor([&] { return RibbonHeight() == kRibbonFullHeight; }));
    EXPECT_TRUE(barPixels(Picture("dpi-changed-back")) == before);
    EXPECT_EQ(0, program.Close());
}

} // namespace
