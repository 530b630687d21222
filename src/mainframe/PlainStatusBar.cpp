#include "mainframe/PlainStatusBar.h"

#include "resource.h"

#include <commctrl.h>

namespace movalent {

namespace {
constexpr int kProgressWidth = 160;
}

bool PlainStatusBar::CreateBar(HWND parent, UINT id) {
    RECT rect = {};
    if (!Create(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | WS_CLIPCHILDREN, rect, parent,
                id))
        return false;
    progress_ = ::CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | PBS_SMOOTH, 0, 0, 0, 0, Handle(),
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(ID_DOWNLOAD_PROGRESS)),
                                  ResourceInstance(), nullptr);
    return progress_ != nullptr;
}

int PlainStatusBar::Height() const {
    RECT rect = {};
    ::GetWindowRect(Handle(), &rect);
    return rect.bottom - rect.top;
}

void PlainStatusBar::Place(RECT& area) {
    // The bar sizes itself to its parent's bottom edge.
    Send(WM_SIZE, 0, 0);
    area.bottom -= Height();
    LayoutParts();
}

void PlainStatusBar::LayoutParts() {
    RECT client = ClientRect();
    int parts[2] = {client.right - kProgressWidth, -1};
    if (parts[0] < 0)
        parts[0] = 0;
    Send(SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
    RECT part = {};
    Send(SB_GETRECT, 1, reinterpret_cast<LPARAM>(&part));
    ::InflateRect(&part, -2, -2);
    ::MoveWindow(progress_, part.left, part.top, part.right - part.left, part.bottom - part.top, TRUE);
}

void PlainStatusBar::SetStatusText(const std::wstring& text) {
    Send(SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring PlainStatusBar::StatusText() const {
    LRESULT info = Send(SB_GETTEXTLENGTHW, 0, 0);
    std::wstring text(static_cast<size_t>(LOWORD(info)) + 1, L'\0');
    Send(SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(LOWORD(info)));
    return text;
}

bool PlainStatusBar::ProgressVisible() const { return ::IsWindowVisible(progress_) != FALSE; }

bool PlainStatusBar::SetProgressVisible(bool visible) {
    bool was = (::GetWindowLongPtrW(progress_, GWL_STYLE) & WS_VISIBLE) != 0;
    if (was != visible)
        ::ShowWindow(progress_, visible ? SW_SHOWNA : SW_HIDE);
    return was;
}

void PlainStatusBar::SetProgress(int position, int maximum) {
    ::SendMessageW(progress_, PBM_SETRANGE32, 0, maximum);
    ::SendMessageW(progress_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

} // namespace movalent
