// The status bar in a window of the test's own: which user actions reach the parent as commands, how the bar
// gives way to its information text, and what the configuration menu lists.
#include "FrameworkTestSupport.h"
#include "app/LanguageTable.h"
#include "app/Localisation.h"
#include "mainframe/MyMFCRibbonStatusBar.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <oleacc.h>

#include <utility>
#include <vector>

using namespace movalent;
using movalent::test::PumpMessages;

namespace {

constexpr wchar_t kParentClass[] = L"MovalentStatusBarTestParent";

// Records the commands its status bar sends.
class Parent : public Window {
public:
    std::vector<std::pair<unsigned, unsigned>> commands; // id, notification code

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_COMMAND) {
            commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
            return 0;
        }
        return Window::WindowProc(message, wParam, lParam);
    }
};

struct MenuLine {
    std::wstring text;
    bool separator = false;
    bool checked = false;
};

// What the thread's popup menu showed, read from inside its loop, which is then ended.
std::vector<MenuLine> g_menu;
bool g_menuShown = false;

void CALLBACK ReadMenu(HWND, UINT, UINT_PTR, DWORD) {
    HWND window = nullptr;
    while ((window = ::FindWindowExW(nullptr, window, L"#32768", nullptr)) != nullptr)
        if (::IsWindowVisible(window) &&
            ::GetWindowThreadProcessId(window, nullptr) == ::GetCurrentThreadId())
            break;
    if (!window)
        return;
    g_menuShown = true;
    HMENU menu = reinterpret_cast<HMENU>(::SendMessageW(window, MN_GETHMENU, 0, 0));
    for (int i = 0; menu && i < ::GetMenuItemCount(menu); ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW item = {};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = 256;
        ::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item);
        g_menu.push_back({text, (item.fType & MFT_SEPARATOR) != 0, (item.fState & MFS_CHECKED) != 0});
    }
    ::EndMenu();
}

class StatusBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
        ::InitCommonControlsEx(&controls);
        // The menu's title comes from the string table, as in the program without a language file.
        ProcessLanguageTable().SetResourceFallback(LoadResourceString);
        ASSERT_TRUE(Window::RegisterWindowClass(kParentClass, 0, nullptr, nullptr));
        RECT rect = {0, 0, 600, 200};
        ASSERT_TRUE(parent_.Create(0, kParentClass, L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, rect, nullptr, 0));
        ASSERT_TRUE(bar_.CreateBar(parent_.Handle(), 0xE801));
        // As the main window builds it.
        status_ = bar_.AddPane(false, ID_STATUS_INFO, L"", L"Status Info", {false, L"", true});
        progress_ = bar_.AddProgressBar(true, ID_DOWNLOAD_PROGRESS, 90, 22, L"Download Progress");
        zoom_ = bar_.AddPane(true, ID_ZOOM_PANE, L"100%", L"Zoom", {true, L"1000%", false});
        slider_ = bar_.AddSlider(true, ID_ZOOM_SLIDER, L"Zoom Slider", {100, 0, 200, 10, 100, true});
        ASSERT_TRUE(status_ && progress_ && zoom_ && slider_);
        progress_->SetVisible(false);
        RECT area = parent_.ClientRect();
        bar_.Place(area);
        PumpMessages();
        parent_.commands.clear();
    }
    void TearDown() override {
        bar_.DestroyWindow();
        parent_.DestroyWindow();
        PumpMessages();
    }

    HWND Button(const wchar_t* label) const {
        return ::FindWindowExW(bar_.Handle(), nullptr, L"Button", label);
    }
    static bool Shown(const StatusBarElement* element) {
        return (::GetWindowLongPtrW(element->Handle(), GWL_STYLE) & WS_VISIBLE) != 0;
    }
    std::vector<MenuLine> ShowMenu() {
        g_menu.clear();
        g_menuShown = false;
        UINT_PTR timer = ::SetTimer(nullptr, 0, 50, ReadMenu);
        ::SendMessageW(bar_.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(bar_.Handle()),
                       MAKELPARAM(10, 10));
        ::KillTimer(nullptr, timer);
        return g_menu;
    }

    Parent parent_;
    CMyMFCRibbonStatusBar bar_;
    StatusBarPane* status_ = nullptr;
    StatusBarProgressBar* progress_ = nullptr;
    StatusBarPane* zoom_ = nullptr;
    StatusBarSlider* slider_ = nullptr;
};

using Commands = std::vector<std::pair<unsigned, unsigned>>;

TEST_F(StatusBarTest, OnlyTheUsersMovesAndClicksBecomeCommands) {
    slider_->SetPos(150, true);
    zoom_->SetText(L"550%");
    EXPECT_TRUE(parent_.commands.empty()) << "programmatic changes send nothing";

    // A key on the slider moves it once: one command, and none for the end of the move.
    ::SendMessageW(slider_->Handle(), WM_KEYDOWN, VK_RIGHT, 0);
    ::SendMessageW(slider_->Handle(), WM_KEYUP, VK_RIGHT, 0);
    EXPECT_EQ(151, slider_->Pos());
    EXPECT_EQ((Commands{{ID_ZOOM_SLIDER, 0}}), parent_.commands);

    parent_.commands.clear();
    ::SendMessageW(Button(L"+"), BM_CLICK, 0, 0);
    EXPECT_EQ(161, slider_->Pos());
    slider_->SetPos(4, true);
    ::SendMessageW(Button(L"-"), BM_CLICK, 0, 0);
    EXPECT_EQ(0, slider_->Pos()) << "the buttons stop at the ends of the range";
    EXPECT_EQ((Commands{{ID_ZOOM_SLIDER, 0}, {ID_ZOOM_SLIDER, 0}}), parent_.commands);

    // The zoom pane is clickable; the status pane is not.
    parent_.commands.clear();
    ::SendMessageW(zoom_->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    ::SendMessageW(zoom_->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    ::SendMessageW(status_->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    ::SendMessageW(status_->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    ASSERT_FALSE(parent_.commands.empty());
    EXPECT_EQ((std::pair<unsigned, unsigned>{ID_ZOOM_PANE, 0}), parent_.commands.front());
    for (const auto& command : parent_.commands)
        EXPECT_EQ(static_cast<unsigned>(ID_ZOOM_PANE), command.first);
}

TEST_F(StatusBarTest, InformationTextCoversTheOrdinaryPanesUntilItIsEmpty) {
    EXPECT_TRUE(Shown(status_));
    status_->SetText(L"Opening page");
    bar_.SetInformation(L"Opening page");
    EXPECT_FALSE(Shown(status_));
    EXPECT_TRUE(Shown(zoom_));
    EXPECT_EQ(L"Opening page", bar_.Text());
    bar_.SetInformation(L"");
    EXPECT_TRUE(Shown(status_));
    EXPECT_EQ(L"Opening page", status_->Text());
}

TEST_F(StatusBarTest, ConfigurationMenuListsEveryElementWithItsText) {
    status_->SetText(L"Done & dusted");
    std::vector<MenuLine> menu = ShowMenu();
    ASSERT_TRUE(g_menuShown);
    ASSERT_EQ(6u, menu.size());
    EXPECT_EQ(L"Status Bar Configuration", menu[0].text);
    EXPECT_EQ(L"Status Info\tDone && dusted", menu[1].text);
    EXPECT_TRUE(menu[1].checked);
    EXPECT_TRUE(menu[2].separator);
    EXPECT_EQ(L"Download Progress", menu[3].text);
    EXPECT_FALSE(menu[3].checked) << "the progress bar starts hidden";
    EXPECT_EQ(L"Zoom\t100%", menu[4].text);
    EXPECT_TRUE(menu[4].checked);
    EXPECT_EQ(L"Zoom Slider", menu[5].text);
    EXPECT_TRUE(menu[5].checked);

    // The items are made once; the texts and checks they show are those of the moment.
    const auto* first = bar_.CustomizeButtons()[1].get();
    zoom_->SetText(L"55%");
    bar_.CustomizeButtons()[5]->OnClick(bar_);
    EXPECT_FALSE(Shown(slider_));
    EXPECT_FALSE(::IsWindowVisible(Button(L"+")));
    menu = ShowMenu();
    ASSERT_EQ(6u, menu.size());
    EXPECT_EQ(first, bar_.CustomizeButtons()[1].get());
    EXPECT_EQ(L"Zoom\t55%", menu[4].text);
    EXPECT_FALSE(menu[5].checked);
}

TEST_F(StatusBarTest, NoMenuWhileTheLeftButtonIsDown) {
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_LBUTTON] = 0x80;
    ::SetKeyboardState(keys);
    ShowMenu();
    keys[VK_LBUTTON] = 0;
    ::SetKeyboardState(keys);
    EXPECT_FALSE(g_menuShown);
    ShowMenu();
    EXPECT_TRUE(g_menuShown);
}

// A screen reader reads the elements and presses a zoom button; an object it keeps after the bar's window
// went answers that it is cut off.
TEST_F(StatusBarTest, ScreenReadersReadTheElementsAndNothingOnceTheBarIsGone) {
    ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    {
        ComPtr<IAccessible> bar;
        ASSERT_EQ(S_OK, ::AccessibleObjectFromWindow(bar_.Handle(), static_cast<DWORD>(OBJID_CLIENT),
                                                     IID_IAccessible, bar.put_void()));
        auto read = [&](long child, auto get) {
            UniqueBstr text;
            VARIANT id = {};
            id.vt = VT_I4;
            id.lVal = child;
            return SUCCEEDED((bar.get()->*get)(id, text.put())) && text ? std::wstring(text.get()) : L"";
        };
        long count = 0;
        ASSERT_EQ(S_OK, bar->get_accChildCount(&count));
        std::vector<std::wstring> names;
        for (long i = 1; i <= count; ++i)
            names.push_back(read(i, &IAccessible::get_accName));
        // The information text (empty), the panes by their texts, the slider between its buttons.
        EXPECT_EQ((std::vector<std::wstring>{L"", L"Status Info", L"Download Progress", L"100%", L"Zoom Out",
                                             L"Zoom Slider", L"Zoom In"}),
                  names);
        EXPECT_EQ(L"100", read(6, &IAccessible::get_accValue));
        VARIANT zoomIn = {};
        zoomIn.vt = VT_I4;
        zoomIn.lVal = 7;
        EXPECT_EQ(S_OK, bar->accDoDefaultAction(zoomIn));
        EXPECT_EQ(100, slider_->Pos()) << "the press waits until the screen reader has its answer";
        PumpMessages();
        EXPECT_EQ(110, slider_->Pos());

        bar_.DestroyWindow();
        EXPECT_EQ(CO_E_OBJNOTCONNECTED, bar->get_accChildCount(&count));
        EXPECT_EQ(L"", read(6, &IAccessible::get_accValue));
        EXPECT_EQ(CO_E_OBJNOTCONNECTED, bar->accDoDefaultAction(zoomIn));
    }
    ::CoUninitialize();
}

} // namespace
