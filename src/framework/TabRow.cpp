#include "framework/TabRow.h"

#include "framework/ChildFrame.h"
#include "framework/OffscreenBuffer.h"
#include "framework/TabLayout.h"
#include "framework/TabbedMainFrame.h"
#include "framework/Handles.h"
#include "framework/WindowDpi.h"

#include <windowsx.h>

#include <algorithm>

namespace movalent {

namespace {

constexpr wchar_t kTabRowClass[] = L"MovalentTabRow";

bool Contains(const RECT& rect, POINT point) { return ::PtInRect(&rect, point) != FALSE; }

std::wstring MenuText(const std::wstring& caption) {
    std::wstring text;
    for (wchar_t c : caption) {
        text.push_back(c);
        if (c == L'&')
            text.push_back(L'&'); // a literal ampersand, not a mnemonic
    }
    return text.empty() ? L" " : text;
}

} // namespace

TabRow::TabRow(TabbedMainFrame& frame) : frame_(frame), font_(MakeMessageFont(kDesignDpi)) {}

TabRow::~TabRow() = default;

bool TabRow::CreateRow(HWND parent) {
    if (!RegisterWindowClass(kTabRowClass, CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW), nullptr))
        return false;
    SetDpi(DpiOfWindow(parent));
    RECT rect = {0, 0, 0, Height()};
    return Create(0, kTabRowClass, L"", WS_CHILD | WS_CLIPSIBLINGS, rect, parent, 0);
}

int TabRow::Height() const {
    WindowDc screen(nullptr);
    ScopedSelection font(screen.get(), font_.get());
    TEXTMETRICW metrics = {};
    ::GetTextMetricsW(screen.get(), &metrics);
    return std::max<int>(metrics_.iconSize, metrics.tmHeight) + 2 * metrics_.padding + metrics_.topMargin;
}

void TabRow::SetDpi(int dpi) {
    metrics_ = TabRowMetricsForDpi(dpi);
    font_ = MakeMessageFont(dpi);
    sizedIcons_.clear();
    Refresh();
}

HICON TabRow::SizedIcon(HICON icon) {
    ICONINFO info = {};
    BITMAP colour = {};
    if (::GetIconInfo(icon, &info)) {
        ::GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(colour), &colour);
        UniqueGdiObject mask(info.hbmMask), colours(info.hbmColor);
        if (colour.bmWidth == metrics_.iconSize)
            return icon;
    }
    // Another size: the resource's own image of the row's size, rather than the icon stretched.
    auto found = sizedIcons_.find(icon);
    if (found == sizedIcons_.end()) {
        HANDLE copy = ::CopyImage(icon, IMAGE_ICON, metrics_.iconSize, metrics_.iconSize, LR_COPYFROMRESOURCE);
        found = sizedIcons_.emplace(icon, UniqueIcon(static_cast<HICON>(copy))).first;
    }
    return found->second ? found->second.get() : icon;
}

void TabRow::SetMaxTabWidth(int width) {
    maxTabWidth_ = std::max(width, 0);
    Refresh();
}

void TabRow::Refresh() {
    Layout();
    if (Handle())
        ::InvalidateRect(Handle(), nullptr, FALSE);
    const std::vector<ChildFrame*>& tabs = frame_.Tabs();
    const auto active = std::find(tabs.begin(), tabs.end(), frame_.ActiveChild());
    if (active != tabs.end())
        accessible_.NotifyChange(EVENT_OBJECT_SELECTION, *active, static_cast<long>(active - tabs.begin()) + 1);
}

void TabRow::Layout() {
    const std::vector<ChildFrame*>& tabs = frame_.Tabs();
    ChildFrame* active = frame_.ActiveChild();
    const TabbedMainFrame::TabbedGroupsOptions& options = frame_.TabbedGroups();
    RECT client = Handle() ? ClientRect() : RECT{};

    menuButton_ = {};
    int right = client.right;
    const TabRowMetrics& m = metrics_;
    if (options.documentMenu) {
        menuButton_ = {client.right - m.menuButtonWidth, client.top + m.topMargin, client.right, client.bottom};
        right = menuButton_.left;
    }

    std::vector<int> natural;
    WindowDc window(Handle());
    HDC dc = window.get();
    ScopedSelection font(dc, font_.get());
    for (ChildFrame* tab : tabs) {
        std::wstring caption = tab->Text();
        SIZE size = {};
        if (!caption.empty())
            ::GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
        int width = 2 * m.padding + size.cx;
        if (options.documentIcons)
            width += m.iconSize + m.iconGap;
        if (options.closeButtonOnActiveTab && tab == active)
            width += m.closeSize + m.iconGap;
        natural.push_back(width);
    }

    std::vector<int> widths = FitTabWidths(natural, std::max<int>(right - client.left, 0), m.Px(maxTabWidth_), m.minTabWidth);
    tabRects_.clear();
    closeButton_ = {};
    int x = client.left;
    for (size_t i = 0; i < tabs.size(); ++i) {
        RECT rect = {x, client.top + m.topMargin, x + widths[i], client.bottom};
        tabRects_.push_back(rect);
        if (options.closeButtonOnActiveTab && tabs[i] == active) {
            int top = (rect.top + rect.bottom - m.closeSize) / 2;
            closeButton_ = {rect.right - m.padding - m.closeSize, top, rect.right - m.padding, top + m.closeSize};
        }
        x += widths[i];
    }
}

TabRow::Hit TabRow::HitTest(POINT point) const {
    if (Contains(menuButton_, point))
        return {HitKind::DocumentMenu, -1};
    for (size_t i = 0; i < tabRects_.size(); ++i) {
        if (!Contains(tabRects_[i], point))
            continue;
        if (Contains(closeButton_, point))
            return {HitKind::CloseButton, static_cast<int>(i)};
        return {HitKind::Tab, static_cast<int>(i)};
    }
    return {};
}

void TabRow::ShowDocumentMenu() {
    const std::vector<ChildFrame*> tabs = frame_.Tabs();
    UniqueMenu owned(::CreatePopupMenu());
    HMENU menu = owned.get();
    if (!menu)
        return;
    for (size_t i = 0; i < tabs.size(); ++i) {
        UINT flags = MF_STRING | (tabs[i] == frame_.ActiveChild() ? MF_CHECKED : 0);
        ::AppendMenuW(menu, flags, i + 1, MenuText(tabs[i]->Text()).c_str());
    }
    UINT windowsCommand = frame_.WindowsDialogCommand();
    if (windowsCommand != 0) {
        if (!tabs.empty())
            ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuW(menu, MF_STRING, windowsCommand, frame_.WindowsDialogLabel().c_str());
    }
    POINT corner = {menuButton_.right, menuButton_.bottom};
    ::ClientToScreen(Handle(), &corner);
    UINT chosen = static_cast<UINT>(::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTALIGN | TPM_TOPALIGN,
                                                     corner.x, corner.y, 0, Handle(), nullptr));
    owned.reset();
    if (chosen != 0 && chosen == windowsCommand) {
        frame_.Send(WM_COMMAND, windowsCommand);
    } else if (chosen >= 1 && chosen <= tabs.size()) {
        // The list may have changed while the menu was open.
        const std::vector<ChildFrame*>& now = frame_.Tabs();
        if (std::find(now.begin(), now.end(), tabs[chosen - 1]) != now.end())
            frame_.ActivateTab(tabs[chosen - 1]);
    }
}

void TabRow::OnButtonDown(POINT point) {
    Hit hit = HitTest(point);
    const std::vector<ChildFrame*>& tabs = frame_.Tabs();
    switch (hit.kind) {
    case HitKind::DocumentMenu:
        ShowDocumentMenu();
        break;
    case HitKind::CloseButton:
        tabs[static_cast<size_t>(hit.index)]->Send(WM_CLOSE);
        break;
    case HitKind::Tab:
        frame_.ActivateTab(tabs[static_cast<size_t>(hit.index)]);
        dragIndex_ = hit.index;
        ::SetCapture(Handle());
        break;
    case HitKind::None:
        break;
    }
}

void TabRow::OnMouseMove(POINT point) {
    if (dragIndex_ < 0)
        return;
    Hit hit = HitTest(point);
    if (hit.kind == HitKind::Tab || hit.kind == HitKind::CloseButton) {
        if (hit.index != dragIndex_) {
            frame_.MoveTab(static_cast<size_t>(dragIndex_), static_cast<size_t>(hit.index));
            dragIndex_ = hit.index;
        }
    }
}

void TabRow::Paint(HDC dc, const RECT& client) {
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
    const std::vector<ChildFrame*>& tabs = frame_.Tabs();
    ChildFrame* active = frame_.ActiveChild();
    const TabbedMainFrame::TabbedGroupsOptions& options = frame_.TabbedGroups();
    const TabRowMetrics& m = metrics_;
    ScopedSelection font(dc, font_.get());
    ::SetBkMode(dc, TRANSPARENT);
    UniqueGdiObject border(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW)));
    UniqueGdiObject crossPen(::CreatePen(PS_SOLID, m.Px(2), ::GetSysColor(COLOR_WINDOWTEXT)));
    ScopedSelection borderPen(dc, border.get());

    // The line the tabs stand on; the active tab opens it.
    ::MoveToEx(dc, client.left, client.bottom - 1, nullptr);
    ::LineTo(dc, client.right, client.bottom - 1);

    for (size_t i = 0; i < tabs.size() && i < tabRects_.size(); ++i) {
        RECT rect = tabRects_[i];
        bool isActive = tabs[i] == active;
        if (!isActive)
            rect.top += m.Px(2);
        // Each text in the colour made for its fill: a high-contrast scheme keeps only those pairs legible.
        {
            ScopedSelection fill(dc, ::GetSysColorBrush(isActive ? COLOR_WINDOW : COLOR_BTNFACE));
            ::RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom + m.Px(4), m.Px(6), m.Px(6));
        }
        if (!isActive) {
            ::MoveToEx(dc, rect.left, client.bottom - 1, nullptr);
            ::LineTo(dc, rect.right, client.bottom - 1);
        }
        int x = rect.left + m.padding;
        int middle = (rect.top + rect.bottom) / 2;
        if (options.documentIcons) {
            if (HICON icon = tabs[i]->TabIcon())
                ::DrawIconEx(dc, x, middle - m.iconSize / 2, SizedIcon(icon), m.iconSize, m.iconSize, 0, nullptr,
                             DI_NORMAL);
            x += m.iconSize + m.iconGap;
        }
        RECT text = {x, rect.top, rect.right - m.padding, rect.bottom};
        if (isActive && options.closeButtonOnActiveTab)
            text.right = closeButton_.left - m.iconGap;
        std::wstring caption = tabs[i]->Text();
        ::SetTextColor(dc, ::GetSysColor(isActive ? COLOR_WINDOWTEXT : COLOR_BTNTEXT));
        if (text.right > text.left)
            ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
                        DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX | DT_LEFT);
        if (isActive && options.closeButtonOnActiveTab) {
            ScopedSelection cross(dc, crossPen.get());
            RECT c = closeButton_;
            ::InflateRect(&c, -m.Px(3), -m.Px(3));
            ::MoveToEx(dc, c.left, c.top, nullptr);
            ::LineTo(dc, c.right, c.bottom);
            ::MoveToEx(dc, c.right, c.top, nullptr);
            ::LineTo(dc, c.left, c.bottom);
        }
    }

    if (options.documentMenu) {
        int cx = (menuButton_.left + menuButton_.right) / 2;
        int cy = (menuButton_.top + menuButton_.bottom) / 2;
        POINT arrow[] = {{cx - m.Px(4), cy - m.Px(2)}, {cx + m.Px(4), cy - m.Px(2)}, {cx, cy + m.Px(2)}};
        ScopedSelection brush(dc, ::GetSysColorBrush(COLOR_BTNTEXT));
        ScopedSelection noPen(dc, ::GetStockObject(NULL_PEN));
        ::Polygon(dc, arrow, 3);
    }
}

LRESULT TabRow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (LRESULT answer = 0; accessible_.OnMessage(Handle(), message, wParam, lParam, answer))
        return answer;
    switch (message) {
    case WM_PAINT: {
        PaintDc dc(Handle());
        RECT client = ClientRect();
        // Drawn off screen first, so tabs never flicker while captions change.
        OffscreenBuffer buffer(dc.get(), client.right, client.bottom);
        if (HDC memory = buffer.Dc()) {
            Paint(memory, client);
            ::BitBlt(dc.get(), 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        }
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        Refresh();
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        OnButtonDown({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_LBUTTONUP:
        if (dragIndex_ >= 0)
            ::ReleaseCapture();
        dragIndex_ = -1;
        return 0;
    case WM_CAPTURECHANGED:
        dragIndex_ = -1;
        return 0;
    default:
        return Window::WindowProc(message, wParam, lParam);
    }
}

} // namespace movalent
