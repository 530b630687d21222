#include "mainframe/MainFrame.h"

#include "app/InternalMessages.h"
#include "app/MakerAddresses.h"
#include "framework/Application.h"
#include "mainframe/FrameHost.h"
#include "framework/ChildFrame.h"
#include "framework/Document.h"
#include "framework/HighContrast.h"
#include "framework/ResourceStrings.h"
#include "framework/TabRow.h"
#include "framework/View.h"
#include "mainframe/LookColours.h"
#include "mainframe/UrlEncode.h"
#include "resource.h"
#include "tabs/MovalentDoc.h"
#include "tabs/ZoomSliderRules.h"

namespace movalent {

namespace {

constexpr wchar_t kApplicationLookValue[] = L"ApplicationLook";
constexpr UINT kStatusBarId = 0xE801;
constexpr UINT kRibbonBarId = 0xE806;
constexpr int kProgressWidth = 90;
constexpr int kProgressHeight = 22;
constexpr int kZoomSliderWidth = 100;
constexpr int kZoomSliderPage = 10;

UINT TabGroupsChangedMessage() {
    static const UINT message = ::RegisterWindowMessageW(kTabGroupsChangedMessageName);
    return message;
}

void PostNavigate(View* view, const std::wstring& address) {
    std::uintptr_t url = NewHeapString(address);
    if (!view->Post(kMsgNavigate, url))
        AdoptHeapString(url);
}

} // namespace

CMainFrame::CMainFrame(FrameHost* host) : host_(host) {
    Application* app = Application::Current();
    applicationLook_ = static_cast<unsigned>(
        app ? app->GetWorkspaceInt(kApplicationLookValue, kDefaultApplicationLook) : kDefaultApplicationLook);
    RegisterCommands();
}

CMainFrame::~CMainFrame() {
    RemoveCommandStateDisplay(&statusBar_);
    RemoveCommandStateDisplay(&ribbonBar_);
    // While the status bar and the rest of this object still exist.
    if (Handle())
        DestroyWindow();
}

void CMainFrame::RegisterCommands() {
    OnCommandRange(kFirstLookCommand, kLastLookCommand, [this](unsigned id) { SetApplicationLook(id); });
    OnUpdateCommandRange(kFirstLookCommand, kLastLookCommand, [this](CommandState& state) {
        state.Enable();
        state.SetRadio(state.id == applicationLook_);
    });
    OnCommand(ID_FOCUS_SEARCH, [this] { FocusSearch(); });
    OnUpdateCommand(ID_FOCUS_SEARCH, [](CommandState& state) { state.Enable(); });
    // Ctrl+W: the close command, as if from an accelerator, so the active tab closes.
    OnCommand(ID_CLOSE_TAB, [this] { Post(WM_COMMAND, MAKEWPARAM(ID_CLOSE_DOCUMENT, 1), 0); });
}

bool CMainFrame::LoadFrame(UINT resourceId, DWORD style) {
    if (!TabbedMainFrame::LoadFrame(resourceId, style))
        return false;
    // The workspace may have restored a minimized ribbon.
    if (ribbonToggleCategory_)
        ribbonToggleCategory_->SetName(
            FrameworkString(ribbonBar_.HideElements() ? IDS_SHOW_RIBBON : IDS_MINIMIZE_RIBBON));
    return true;
}

void CMainFrame::PreCreateWindow(DWORD& style, DWORD& exStyle) {
    TabbedMainFrame::PreCreateWindow(style, exStyle);
    // The caption stays "Movalent", never decorated with the active tab's name.
    style &= ~kAddToTitle;
}

int CMainFrame::OnCreate(CREATESTRUCTW& create) {
    // 1. The frame's own creation.
    if (TabbedMainFrame::OnCreate(create) == -1)
        return -1;
    // 2. The stored visual style.
    SetApplicationLook(applicationLook_);
    // 3. Tabbed MDI.
    TabbedGroupsOptions tabs;
    tabs.closeButtonOnActiveTab = true;
    tabs.documentIcons = true;
    tabs.autoColors = false;
    tabs.documentMenu = true;
    EnableTabbedGroups(tabs);
    // 4 and 5. The ribbon.
    if (ribbonBar_.CreateBar(Handle(), kRibbonBarId)) {
        ribbonBar_.SetColours(RibbonColoursInUse(look_, HighContrastSystemColours()));
        BuildRibbon();
        AddCommandStateDisplay(&ribbonBar_);
    }
    // 6 and 7. The status bar.
    if (!statusBar_.CreateBar(Handle(), kStatusBarId))
        return -1;
    BuildStatusBar();
    // 8 and 9. Docking and menu images: the frame keeps no panes and no menus with images.
    // 10. The windows-management dialog.
    EnableWindowsDialog(ID_WINDOW_MANAGER, FrameworkString(IDS_WINDOWS_DIALOG), true, false);
    // 11. No margins inside the search box's edit.
    if (searchBox_ && searchBox_->GetEditWindow())
        ::SendMessageW(searchBox_->GetEditWindow(), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    RecalcLayout();
    return 0;
}

void CMainFrame::BuildStatusBar() {
    statusBar_.AddPane(false, ID_STATUS_INFO, L"", FrameworkString(IDS_STATUS_INFO), {false, L"", true});
    // The frame relies on the progress bar being the first extended element.
    if (StatusBarProgressBar* progress =
            statusBar_.AddProgressBar(true, ID_DOWNLOAD_PROGRESS, kProgressWidth, kProgressHeight,
                                      FrameworkString(IDS_DOWNLOAD_PROGRESS)))
        progress->SetVisible(false);
    statusBar_.AddPane(true, ID_ZOOM_PANE, L"100%", FrameworkString(IDS_ZOOM), {true, L"1000%", false});
    StatusBarSlider::Options slider;
    slider.width = kZoomSliderWidth;
    slider.minimum = 0;
    slider.maximum = kZoomSliderMax;
    slider.pageSize = kZoomSliderPage;
    slider.position = kZoomSliderMiddle;
    slider.zoomButtons = true;
    statusBar_.AddSlider(true, ID_ZOOM_SLIDER, FrameworkString(IDS_ZOOM_SLIDER), slider);
    statusBar_.RecalcLayout();
    AddCommandStateDisplay(&statusBar_);
}

std::optional<int> CMainFrame::ChosenZoom() const {
    auto* slider = statusBar_.Handle() ? statusBar_.FindByIdAs<StatusBarSlider>(ID_ZOOM_SLIDER) : nullptr;
    if (!slider)
        return std::nullopt;
    return ZoomFromSlider(slider->Pos());
}

void CMainFrame::ShowZoom(int percent) {
    if (!statusBar_.Handle())
        return;
    // Several positions stand for one percentage (200 and 199 both for 999 %): a slider that already stands
    // for it stays where the user put it.
    auto* slider = statusBar_.FindByIdAs<StatusBarSlider>(ID_ZOOM_SLIDER);
    if (slider && ZoomFromSlider(slider->Pos()) != percent)
        slider->SetPos(SliderFromZoom(percent), true);
    if (auto* pane = statusBar_.FindByIdAs<StatusBarPane>(ID_ZOOM_PANE))
        pane->SetText(ZoomPaneText(percent), true);
}

void CMainFrame::LayoutBars(RECT& area) {
    if (ribbonBar_.Handle())
        ribbonBar_.Place(area);
    if (statusBar_.Handle())
        statusBar_.Place(area);
}

void CMainFrame::OnDpiChanged(int dpi) {
    ribbonBar_.SetDpi(dpi);
    statusBar_.SetDpi(dpi);
    TabbedMainFrame::OnDpiChanged(dpi);
}

void CMainFrame::LoadBarState() {
    if (ribbonBar_.Handle())
        ribbonBar_.LoadState();
}

void CMainFrame::SaveBarState() {
    if (ribbonBar_.Handle())
        ribbonBar_.SaveState();
}

bool CMainFrame::PreTranslateMessage(MSG& msg) {
    // Any other key (an accelerator such as Alt+D included) makes a following Alt release not Alt alone.
    if ((msg.message == WM_SYSKEYDOWN || msg.message == WM_KEYDOWN) && msg.wParam != VK_MENU)
        altAlone_ = false;
    HACCEL accelerators = host_ ? host_->Accelerators() : nullptr;
    if (accelerators && Handle() && ::TranslateAcceleratorW(Handle(), accelerators, &msg))
        return true;
    if (TranslateRibbonKeys(msg))
        return true;
    return TabbedMainFrame::PreTranslateMessage(msg);
}

bool CMainFrame::TranslateRibbonKeys(const MSG& msg) {
    if (!ribbonBar_.Handle())
        return false;
    switch (msg.message) {
    case WM_SYSKEYDOWN:
        if (msg.wParam == VK_F10 && ::GetKeyState(VK_SHIFT) >= 0) {
            altAlone_ = false;
            return ribbonBar_.OnKeyMenu(0);
        }
        // Alt pressed and released with nothing in between is the ribbon's, like a menu bar's.
        altAlone_ = msg.wParam == VK_MENU && !(msg.lParam & (1 << 30));
        return false;
    case WM_SYSKEYUP:
        if (msg.wParam == VK_MENU && std::exchange(altAlone_, false))
            return ribbonBar_.OnKeyMenu(0);
        return false;
    case WM_SYSCHAR:
        altAlone_ = false;
        return ribbonBar_.OnKeyMenu(static_cast<wchar_t>(msg.wParam));
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        altAlone_ = false;
        return false;
    default:
        return false;
    }
}

void CMainFrame::SetApplicationLook(unsigned id) {
    HCURSOR previous = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    applicationLook_ = id;
    look_ = ApplyLookCommand(look_, id);
    ribbonBar_.SetColours(RibbonColoursInUse(look_, HighContrastSystemColours()));
    if (Handle())
        ::RedrawWindow(Handle(), nullptr, nullptr,
                       RDW_ALLCHILDREN | RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME | RDW_ERASE);
    if (Application* app = Application::Current())
        app->WriteWorkspaceInt(kApplicationLookValue, static_cast<int>(id));
    ::SetCursor(previous);
}

void CMainFrame::OnSystemColoursChanged(UINT message) {
    const RibbonColours colours = RibbonColoursInUse(look_, HighContrastSystemColours());
    // Most setting changes leave the colours alone: no need to draw the whole frame again for those.
    if (message == WM_SETTINGCHANGE && colours == ribbonBar_.Colours())
        return;
    // Common controls keep their own copy of the system colours until told.
    if (message == WM_SYSCOLORCHANGE && statusBar_.Handle())
        for (HWND child = ::GetWindow(statusBar_.Handle(), GW_CHILD); child;
             child = ::GetWindow(child, GW_HWNDNEXT))
            ::SendMessageW(child, WM_SYSCOLORCHANGE, 0, 0);
    ribbonBar_.SetColours(colours);
    if (Handle())
        ::RedrawWindow(Handle(), nullptr, nullptr,
                       RDW_ALLCHILDREN | RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME | RDW_ERASE);
}

void CMainFrame::OnStatusText(const std::wstring& text) {
    if (!statusBar_.Handle())
        return;
    if (auto* pane = dynamic_cast<StatusBarPane*>(statusBar_.Ordinary(0)))
        pane->SetText(text, false);
    statusBar_.SetInformation(text);
}

LRESULT CMainFrame::OnDownloadProgress(int progress, int maximum) {
    StatusBarElement* element = statusBar_.Handle() ? statusBar_.FindById(ID_DOWNLOAD_PROGRESS) : nullptr;
    if (element) {
        const bool show = !(progress == maximum || progress == -1);
        if (element->Visible() != show) {
            element->SetVisible(show);
            statusBar_.RecalcLayout();
            ::InvalidateRect(statusBar_.Handle(), nullptr, TRUE);
        }
        if (!show)
            return 0;
    }
    auto* bar = dynamic_cast<StatusBarProgressBar*>(statusBar_.Extended(0));
    if (!bar)
        return 1;
    bar->SetRange(0, maximum);
    bar->SetPos(progress, true);
    return 0;
}

void CMainFrame::OpenInNewDefaultTab(const std::wstring& address) {
    if (host_)
        host_->OpenTab(IE_DEFAULT, address);
}

void CMainFrame::OnWebSearch(const std::wstring& text) {
    std::wstring address = WebSearchPrefix() + UrlEncode(text, true);
    SearchBehaviour behaviour = host_ ? host_->WebSearchBehaviour() : SearchBehaviour::NewDefaultTab;
    switch (behaviour) {
    case SearchBehaviour::ActiveTab:
        if (ChildFrame* child = ActiveChild(); child && child->ActiveView()) {
            PostNavigate(child->ActiveView(), address);
            return;
        }
        break;
    case SearchBehaviour::FirstDefaultTab:
        if (View* view = host_ ? host_->FirstTabOf(IE_DEFAULT) : nullptr) {
            PostNavigate(view, address);
            if (view->ParentFrame())
                ActivateTab(view->ParentFrame());
            return;
        }
        break;
    case SearchBehaviour::NewDefaultTab:
        break;
    }
    OpenInNewDefaultTab(address);
}

LRESULT CMainFrame::OnTabGroupsChanged() {
    for (TabRow* row : TabControls())
        row->SetMaxTabWidth(kMaxTabWidth);
    return 0;
}

void CMainFrame::FocusSearch() {
    if (searchBox_)
        searchBox_->FocusSearch();
}

LRESULT CMainFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == TabGroupsChangedMessage())
        return OnTabGroupsChanged();
    switch (message) {
    case kMsgStatusText:
        if (auto* text = reinterpret_cast<const std::wstring*>(wParam))
            OnStatusText(*text);
        return 0;
    case kMsgDownloadProgress:
        return OnDownloadProgress(static_cast<int>(wParam), static_cast<int>(lParam));
    case kMsgWebSearch:
        if (auto text = AdoptHeapString(wParam))
            OnWebSearch(*text);
        return 0;
    case WM_SETTINGCHANGE: // high contrast on or off
    case WM_SYSCOLORCHANGE:
    case WM_THEMECHANGED:
        OnSystemColoursChanged(message);
        return TabbedMainFrame::WindowProc(message, wParam, lParam);
    case WM_SYSCOMMAND:
        // Without a menu bar, Alt and F10 belong to the ribbon.
        if ((wParam & 0xFFF0) == SC_KEYMENU && ribbonBar_.Handle() &&
            ribbonBar_.OnKeyMenu(static_cast<wchar_t>(lParam)))
            return 0;
        return TabbedMainFrame::WindowProc(message, wParam, lParam);
    default:
        return TabbedMainFrame::WindowProc(message, wParam, lParam);
    }
}

} // namespace movalent
