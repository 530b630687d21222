#include "devtools/ElementOutline.h"

#include "devtools/WindowSupport.h"

#include <algorithm>

namespace movalent::devtools {

namespace {

constexpr wchar_t kEdgeClass[] = L"MovalentDevToolsOutline";

bool RegisterEdgeClass() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ThisModule();
    // The selection colour of the system: it stands out on most pages and follows a high-contrast scheme.
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_HIGHLIGHT + 1);
    wc.lpszClassName = kEdgeClass;
    return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

int EdgeWidth(HWND page) {
    return std::max(2, ::MulDiv(2, static_cast<int>(WindowDpi(page)), 96));
}

} // namespace

bool ElementOutline::Create(HWND owner) {
    if (edges_[0])
        return true;
    static const bool registered = RegisterEdgeClass();
    if (!registered)
        return false;
    for (HWND& edge : edges_) {
        edge = ::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TRANSPARENT, kEdgeClass, L"",
                                 WS_POPUP | WS_DISABLED, 0, 0, 0, 0, owner, nullptr, ThisModule(), nullptr);
        if (!edge) {
            Destroy();
            return false;
        }
    }
    return true;
}

void ElementOutline::Show(HWND page, const RECT& rect) {
    if (!page || !Create(::GetAncestor(page, GA_ROOT))) {
        Hide();
        return;
    }
    RECT client = {};
    ::GetClientRect(page, &client);
    RECT box = {};
    const int width = EdgeWidth(page);
    RECT outer = {rect.left - width, rect.top - width, rect.right + width, rect.bottom + width};
    if (!::IntersectRect(&box, &outer, &client) || !::IsWindowVisible(page)) {
        Hide();
        return;
    }
    POINT origin = {0, 0};
    ::ClientToScreen(page, &origin);
    ::OffsetRect(&box, origin.x, origin.y);
    const int w = box.right - box.left, h = box.bottom - box.top;
    const RECT parts[4] = {{box.left, box.top, w, std::min(width, h)},
                           {box.left, box.bottom - std::min(width, h), w, std::min(width, h)},
                           {box.left, box.top, std::min(width, w), h},
                           {box.right - std::min(width, w), box.top, std::min(width, w), h}};
    // Just above the page's top-level window: a window in front of the page (another program's, a source
    // window) stays in front of the frame too.
    HWND owner = ::GetAncestor(page, GA_ROOT);
    HWND above = ::GetWindow(owner, GW_HWNDPREV);
    while (above && std::find(edges_.begin(), edges_.end(), above) != edges_.end())
        above = ::GetWindow(above, GW_HWNDPREV);
    for (size_t i = 0; i < edges_.size(); ++i)
        ::SetWindowPos(edges_[i], above ? above : HWND_TOP, parts[i].left, parts[i].top, parts[i].right,
                       parts[i].bottom, SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void ElementOutline::UnregisterWindowClass() {
    ::UnregisterClassW(kEdgeClass, ThisModule());
}

void ElementOutline::Hide() {
    for (HWND edge : edges_)
        if (edge)
            ::ShowWindow(edge, SW_HIDE);
}

void ElementOutline::Destroy() {
    for (HWND& edge : edges_) {
        if (edge)
            ::DestroyWindow(edge);
        edge = nullptr;
    }
}

} // namespace movalent::devtools
