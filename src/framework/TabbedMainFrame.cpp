#include "framework/TabbedMainFrame.h"

#include "framework/QueryMessages.h"
#include "framework/Application.h"
#include "framework/ChildFrame.h"
#include "framework/Document.h"
#include "framework/ResourceStrings.h"
#include "framework/TabRow.h"
#include "framework/View.h"
#include "framework/WindowsDialog.h"
#include "framework_resource.h"

#include <algorithm>

namespace movalent {

namespace {

constexpr wchar_t kFrameClass[] = L"MovalentMainFrame";
constexpr UINT kFirstMdiChildId = 0xFF00;

// The window's own visibility, whatever its parents' is: tabs are opened before the frame is first shown.
bool HasVisibleStyle(HWND hwnd) {
    return (::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

#if defined(MOVALENT_TEST_HOOKS)
UINT QueryCommandStateMessage() {
    static const UINT message = ::RegisterWindowMessageW(kQueryCommandStateMessageName);
    return message;
}

UINT ChangeDpiMessage() {
    static const UINT message = ::RegisterWindowMessageW(kChangeDpiMessageName);
    return message;
}
#endif

} // namespace

TabbedMainFrame::TabbedMainFrame() {
    OnCommand(ID_NEXT_TAB_PANE, [this] { ActivateNextTab(true); });
    OnCommand(ID_PREVIOUS_TAB_PANE, [this] { ActivateNextTab(false); });
}

TabbedMainFrame::~TabbedMainFrame() {
    // The tabs report their end to this object, so the window goes while the object is still whole.
    if (Handle())
        ::DestroyWindow(Handle());
}

bool TabbedMainFrame::LoadFrame(UINT resourceId, DWORD style) {
    HINSTANCE instance = ResourceInstance();
    HICON icon = static_cast<HICON>(
        ::LoadImageW(instance, MAKEINTRESOURCEW(resourceId), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    HICON smallIcon = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(resourceId), IMAGE_ICON,
                                                      ::GetSystemMetrics(SM_CXSMICON),
                                                      ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    if (!RegisterWindowClass(kFrameClass, CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW), nullptr, icon,
                             smallIcon))
        return false;
    accelerators_ = ::LoadAcceleratorsW(instance, MAKEINTRESOURCEW(resourceId));
    // The frame's string: its caption up to the first line break.
    title_ = FrameworkString(resourceId);
    if (size_t end = title_.find(L'\n'); end != std::wstring::npos)
        title_.resize(end);

    DWORD exStyle = 0;
    PreCreateWindow(style, exStyle);
    frameStyle_ = style;
    // Without a stored placement the frame takes the middle of the work area.
    RECT work = {0, 0, 1024, 768};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    int width = (work.right - work.left) * 4 / 5, height = (work.bottom - work.top) * 4 / 5;
    int left = work.left + (work.right - work.left - width) / 2;
    int top = work.top + (work.bottom - work.top - height) / 2;
    RECT rect = {left, top, left + width, top + height};
    // The frame-style flags are ours, not the window's.
    if (!Create(exStyle, kFrameClass, title_.c_str(), style & ~kAddToTitle, rect, nullptr, 0))
        return false;
    if (Application* app = Application::Current()) {
        WINDOWPLACEMENT placement;
        if (app->LoadWindowPlacement(placement)) {
            placement.showCmd = SW_HIDE; // shown by the application with its own show command
            ::SetWindowPlacement(Handle(), &placement);
        }
    }
    LoadBarState();
    return true;
}

void TabbedMainFrame::PreCreateWindow(DWORD&, DWORD&) {}

int TabbedMainFrame::OnCreate(CREATESTRUCTW&) {
    if (Default() == -1)
        return -1;
    CLIENTCREATESTRUCT client = {};
    client.hWindowMenu = nullptr;
    client.idFirstChild = kFirstMdiChildId;
    // All child styles: the tabs are MDI children without caption or border.
    mdiClient_ =
        ::CreateWindowExW(0, L"MDICLIENT", nullptr,
                          WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VISIBLE | MDIS_ALLCHILDSTYLES, 0,
                          0, 0, 0, Handle(), nullptr, ResourceInstance(), &client);
    if (!mdiClient_)
        return -1;
    tabRow_ = std::make_unique<TabRow>(*this);
    if (!tabRow_->CreateRow(Handle()))
        return -1;
    return 0;
}

RECT TabbedMainFrame::TabArea() const {
    RECT rect = {};
    if (mdiClient_)
        ::GetClientRect(mdiClient_, &rect);
    return rect;
}

View* TabbedMainFrame::ActiveView() const {
    return active_ ? active_->ActiveView() : nullptr;
}

std::vector<TabRow*> TabbedMainFrame::TabControls() const {
    if (!tabRow_ || !tabRow_->Handle())
        return {};
    return {tabRow_.get()};
}

void TabbedMainFrame::EnableTabbedGroups(const TabbedGroupsOptions& options) {
    tabbedGroups_ = true;
    tabOptions_ = options;
    RecalcLayout();
}

void TabbedMainFrame::EnableWindowsDialog(UINT commandId, const std::wstring& label, bool, bool) {
    // The dialog offers no help; the list is offered however few tabs there are.
    windowsCommand_ = commandId;
    windowsLabel_ = label;
    OnCommand(commandId, [this] { ShowWindowsDialog(); });
}

void TabbedMainFrame::ShowWindowsDialog() {
    WindowsDialog dialog(*this);
    dialog.DoModal(Handle());
}

void TabbedMainFrame::SizeTab(ChildFrame* child) {
    RECT area = TabArea();
    ::SetWindowPos(child->Handle(), nullptr, 0, 0, area.right, area.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TabbedMainFrame::ActivateTab(ChildFrame* child) {
    if (!child || !child->Handle() || std::find(tabs_.begin(), tabs_.end(), child) == tabs_.end())
        return;
    SizeTab(child);
    ::ShowWindow(child->Handle(), SW_SHOWNA);
    ::SendMessageW(mdiClient_, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(child->Handle()), 0);
    // The MDI client says nothing when the child was already its active one.
    OnTabActivated(child);
}

void TabbedMainFrame::OnTabActivated(ChildFrame* child) {
    if (std::find(tabs_.begin(), tabs_.end(), child) == tabs_.end())
        return;
    bool changed = active_ != child;
    active_ = child;
    recentlyActive_.erase(std::remove(recentlyActive_.begin(), recentlyActive_.end(), child),
                          recentlyActive_.end());
    recentlyActive_.insert(recentlyActive_.begin(), child);
    if (!HasVisibleStyle(child->Handle())) {
        SizeTab(child);
        ::ShowWindow(child->Handle(), SW_SHOWNA);
    }
    for (ChildFrame* other : tabs_)
        if (other != child && HasVisibleStyle(other->Handle()))
            ::ShowWindow(other->Handle(), SW_HIDE);
    SyncZOrder();
    if (changed) {
        if (tabRow_)
            tabRow_->Refresh();
        UpdateFrameTitle();
    }
}

void TabbedMainFrame::SyncZOrder() {
    // Only the active tab is visible, so the stacking order shows nothing; keeping it equal to the row order
    // lets whatever reads the MDI children from outside (tests, accessibility) see the tabs as the row shows
    // them.
    HWND previous = HWND_TOP;
    for (ChildFrame* tab : tabs_) {
        ::SetWindowPos(tab->Handle(), previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        previous = tab->Handle();
    }
    if (active_ && active_->Handle())
        ::RedrawWindow(active_->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TabbedMainFrame::ActivateNextTab(bool forward) {
    if (tabs_.empty())
        return;
    auto it = std::find(tabs_.begin(), tabs_.end(), active_);
    size_t index = it == tabs_.end() ? 0 : static_cast<size_t>(it - tabs_.begin());
    size_t count = tabs_.size();
    size_t next = forward ? (index + 1) % count : (index + count - 1) % count;
    ActivateTab(tabs_[next]);
}

void TabbedMainFrame::MoveTab(size_t from, size_t to) {
    if (from >= tabs_.size() || to >= tabs_.size() || from == to)
        return;
    ChildFrame* moving = tabs_[from];
    tabs_.erase(tabs_.begin() + static_cast<std::ptrdiff_t>(from));
    tabs_.insert(tabs_.begin() + static_cast<std::ptrdiff_t>(to), moving);
    SyncZOrder();
    if (tabRow_)
        tabRow_->Refresh();
}

void TabbedMainFrame::OnTabCreated(ChildFrame* child) {
    if (std::find(tabs_.begin(), tabs_.end(), child) != tabs_.end())
        return;
    tabs_.push_back(child);
    SyncZOrder();
    RecalcLayout();
}

void TabbedMainFrame::OnTabDestroyed(ChildFrame* child) {
    auto it = std::find(tabs_.begin(), tabs_.end(), child);
    if (it == tabs_.end())
        return;
    tabs_.erase(it);
    recentlyActive_.erase(std::remove(recentlyActive_.begin(), recentlyActive_.end(), child),
                          recentlyActive_.end());
    if (active_ == child) {
        active_ = nullptr;
        UpdateFrameTitle();
    }
    RecalcLayout();
}

void TabbedMainFrame::EnsureActiveTab() {
    if (!Handle() || tabs_.empty())
        return;
    if (active_ && HasVisibleStyle(active_->Handle()))
        return;
    ChildFrame* next = recentlyActive_.empty() ? tabs_.front() : recentlyActive_.front();
    ActivateTab(next);
}

void TabbedMainFrame::OnTabChanged(ChildFrame* child) {
    if (tabRow_)
        tabRow_->Refresh();
    if (child == active_)
        UpdateFrameTitle();
}

void TabbedMainFrame::UpdateFrameTitle() {
    if (!Handle())
        return;
    std::wstring title = title_;
    if (frameStyle_ & kAddToTitle) {
        Document* document = active_ ? active_->ActiveDocument() : nullptr;
        if (document && !document->Title().empty())
            title += L" - " + document->Title();
    }
    if (Text() != title)
        SetText(title);
}

void TabbedMainFrame::LayoutBars(RECT&) {}

void TabbedMainFrame::OnDpiChanged(int dpi) {
    if (tabRow_)
        tabRow_->SetDpi(dpi);
}

void TabbedMainFrame::TakeDpi(int dpi, const RECT& suggested) {
    OnDpiChanged(dpi);
    // The system suggests where the window keeps its place on the new display at the new size.
    ::SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    RecalcLayout();
}

void TabbedMainFrame::RecalcLayout() {
    if (!Handle() || !mdiClient_)
        return;
    RECT area = ClientRect();
    LayoutBars(area);
    bool showRow = tabbedGroups_ && tabRow_ && tabRow_->Handle() && !tabs_.empty();
    if (tabRow_ && tabRow_->Handle()) {
        if (showRow) {
            RECT row = {area.left, area.top, area.right, area.top + tabRow_->Height()};
            tabRow_->MoveTo(row);
            area.top = row.bottom;
        }
        ::ShowWindow(tabRow_->Handle(), showRow ? SW_SHOWNA : SW_HIDE);
    }
    if (area.bottom < area.top)
        area.bottom = area.top;
    ::MoveWindow(mdiClient_, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
    for (ChildFrame* child : tabs_)
        SizeTab(child);
    if (tabRow_)
        tabRow_->Refresh();
}

void TabbedMainFrame::UpdateCommandStates() {
    std::vector<CommandStateDisplay*> displays = stateDisplays_;
    for (CommandStateDisplay* display : displays)
        display->UpdateCommandStates(*this);
}

void TabbedMainFrame::AddCommandStateDisplay(CommandStateDisplay* display) {
    if (std::find(stateDisplays_.begin(), stateDisplays_.end(), display) == stateDisplays_.end())
        stateDisplays_.push_back(display);
}

void TabbedMainFrame::RemoveCommandStateDisplay(CommandStateDisplay* display) {
    stateDisplays_.erase(std::remove(stateDisplays_.begin(), stateDisplays_.end(), display),
                         stateDisplays_.end());
}

void TabbedMainFrame::AppendRoute(std::vector<CommandTarget*>& route) {
    if (active_)
        active_->AppendRoute(route);
    route.push_back(this);
    if (Application* app = Application::Current())
        app->AppendRoute(route);
}

bool TabbedMainFrame::PreTranslateMessage(MSG& msg) {
    if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST && accelerators_ && Handle() &&
        ::TranslateAcceleratorW(Handle(), accelerators_, &msg))
        return true;
    return false;
}

void TabbedMainFrame::UpdatePopupMenu(HMENU menu) {
    int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW item = {};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE;
        if (!::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item) || item.hSubMenu ||
            (item.fType & MFT_SEPARATOR) || item.wID == 0)
            continue;
        CommandState state = RouteCommandState(item.wID);
        ::EnableMenuItem(menu, static_cast<UINT>(i),
                         MF_BYPOSITION | (state.enabled ? MF_ENABLED : MF_GRAYED));
        item.fMask = MIIM_FTYPE | MIIM_STATE;
        ::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item);
        item.fType = state.radio ? (item.fType | MFT_RADIOCHECK) : (item.fType & ~MFT_RADIOCHECK);
        bool mark = state.checked || state.radio;
        item.fState = mark ? (item.fState | MFS_CHECKED) : (item.fState & ~MFS_CHECKED);
        ::SetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item);
    }
}

void TabbedMainFrame::OnClose() {
    Application* app = Application::Current();
    if (app && app->MainWindow() == this) {
        app->CloseAllDocuments(false);
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof(placement);
        if (::GetWindowPlacement(Handle(), &placement))
            app->StoreWindowPlacement(placement);
        SaveBarState();
    }
    DestroyWindow();
}

LRESULT TabbedMainFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
#if defined(MOVALENT_TEST_HOOKS)
    if (message == QueryCommandStateMessage())
        return static_cast<LRESULT>(RouteCommandState(static_cast<unsigned>(wParam)).Bits());
    if (message == ChangeDpiMessage()) {
        RECT rect = {};
        ::GetWindowRect(Handle(), &rect);
        TakeDpi(static_cast<int>(wParam), rect);
        return 0;
    }
#endif
    switch (message) {
    case WM_CREATE:
        return OnCreate(*reinterpret_cast<CREATESTRUCTW*>(lParam));
    case WM_SIZE:
        // Not the MDI default, which would give the client the whole frame.
        if (wParam != SIZE_MINIMIZED)
            RecalcLayout();
        return 0;
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_DPICHANGED:
        TakeDpi(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_INITMENUPOPUP:
        if (!HIWORD(lParam))
            UpdatePopupMenu(reinterpret_cast<HMENU>(wParam));
        return Default();
    case WM_NCDESTROY: {
        Application* app = Application::Current();
        bool isMain = app && app->MainWindow() == this;
        LRESULT result = Default();
        if (isMain)
            ::PostQuitMessage(0);
        return result;
    }
    default:
        return Window::WindowProc(message, wParam, lParam);
    }
}

LRESULT TabbedMainFrame::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefFrameProcW(Handle(), mdiClient_, message, wParam, lParam);
}

} // namespace movalent
