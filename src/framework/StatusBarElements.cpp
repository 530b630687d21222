#include "framework/StatusBarElements.h"

#include "framework/Window.h"

#include <commctrl.h>

#include <algorithm>

namespace movalent {

namespace {

constexpr int kPanePadding = 4;
constexpr int kSliderHeight = 22;
constexpr int kButtonGap = 1;

HWND CreateChild(const wchar_t* className, const wchar_t* text, DWORD style, HWND parent, UINT id) {
    return ::CreateWindowExW(0, className, text, WS_CHILD | style, 0, 0, 0, 0, parent,
                             reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), Window::ResourceInstance(),
                             nullptr);
}

void PlaceWindow(HWND hwnd, const RECT& rect, bool show) {
    if (!hwnd)
        return;
    if (show) {
        ::SetWindowPos(hwnd, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                       SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    } else if (::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE) {
        ::ShowWindow(hwnd, SW_HIDE);
    }
}

int TextWidth(HDC dc, const std::wstring& text) {
    SIZE size = {};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

std::wstring WindowText(HWND hwnd) {
    int length = ::GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(hwnd, text.data(), length + 1)));
    return text;
}

} // namespace

void StatusBarElement::Place(const RECT& rect, bool show) {
    PlaceWindow(hwnd_, rect, show);
}

void StatusBarElement::Enable(bool enabled) {
    if (hwnd_ && (::IsWindowEnabled(hwnd_) != FALSE) != enabled)
        ::EnableWindow(hwnd_, enabled);
}

void StatusBarElement::SetFont(HFONT font) {
    if (hwnd_)
        ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

bool StatusBarPane::Create(HWND bar, const std::wstring& text) {
    // Page addresses are shown as they are: an ampersand is no mnemonic.
    DWORD style = SS_NOPREFIX | SS_CENTERIMAGE | SS_ENDELLIPSIS;
    style |= options_.clickable ? (SS_CENTER | SS_NOTIFY) : SS_LEFTNOWORDWRAP;
    hwnd_ = CreateChild(WC_STATICW, text.c_str(), style, bar, Id());
    return hwnd_ != nullptr;
}

std::wstring StatusBarPane::Text() const {
    return WindowText(hwnd_);
}

void StatusBarPane::SetText(const std::wstring& text, bool redraw) {
    ::SetWindowTextW(hwnd_, text.c_str());
    if (redraw)
        ::UpdateWindow(hwnd_);
}

int StatusBarPane::Width(HDC dc) const {
    const std::wstring measured = options_.widthText.empty() ? Text() : options_.widthText;
    return TextWidth(dc, measured) + 2 * Px(kPanePadding);
}

bool StatusBarProgressBar::Create(HWND bar) {
    hwnd_ = CreateChild(PROGRESS_CLASSW, L"", PBS_SMOOTH, bar, Id());
    return hwnd_ != nullptr;
}

void StatusBarProgressBar::SetRange(int minimum, int maximum) {
    ::SendMessageW(hwnd_, PBM_SETRANGE32, static_cast<WPARAM>(minimum), maximum);
}

void StatusBarProgressBar::SetPos(int position, bool redraw) {
    ::SendMessageW(hwnd_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    if (redraw)
        ::UpdateWindow(hwnd_);
}

int StatusBarProgressBar::Pos() const {
    return static_cast<int>(::SendMessageW(hwnd_, PBM_GETPOS, 0, 0));
}

bool StatusBarSlider::Create(HWND bar) {
    hwnd_ = CreateChild(TRACKBAR_CLASSW, L"", TBS_HORZ | TBS_NOTICKS | TBS_BOTH, bar, Id());
    if (!hwnd_)
        return false;
    ::SendMessageW(hwnd_, TBM_SETRANGEMIN, FALSE, options_.minimum);
    ::SendMessageW(hwnd_, TBM_SETRANGEMAX, FALSE, options_.maximum);
    ::SendMessageW(hwnd_, TBM_SETPAGESIZE, 0, options_.pageSize);
    ::SendMessageW(hwnd_, TBM_SETPOS, TRUE, options_.position);
    if (options_.zoomButtons) {
        // The buttons carry no command id of their own: the bar turns their clicks into moves of the slider.
        minus_ = CreateChild(WC_BUTTONW, L"-", BS_PUSHBUTTON | BS_CENTER | BS_VCENTER, bar, 0);
        plus_ = CreateChild(WC_BUTTONW, L"+", BS_PUSHBUTTON | BS_CENTER | BS_VCENTER, bar, 0);
        if (!minus_ || !plus_)
            return false;
    }
    return true;
}

int StatusBarSlider::Pos() const {
    return static_cast<int>(::SendMessageW(hwnd_, TBM_GETPOS, 0, 0));
}

void StatusBarSlider::SetPos(int position, bool redraw) {
    ::SendMessageW(hwnd_, TBM_SETPOS, redraw ? TRUE : FALSE, position);
}

void StatusBarSlider::Step(bool up) {
    int position = Pos() + (up ? options_.pageSize : -options_.pageSize);
    SetPos(std::clamp(position, options_.minimum, options_.maximum), true);
}

int StatusBarSlider::ButtonWidth() const {
    return options_.zoomButtons ? Px(kSliderHeight - 4) : 0;
}

int StatusBarSlider::Width(HDC) const {
    return Px(options_.width) + (options_.zoomButtons ? 2 * (ButtonWidth() + Px(kButtonGap)) : 0);
}

int StatusBarSlider::Height(int barHeight) const {
    return std::min(Px(kSliderHeight), barHeight);
}

void StatusBarSlider::Place(const RECT& rect, bool show) {
    if (!options_.zoomButtons) {
        PlaceWindow(hwnd_, rect, show);
        return;
    }
    const int button = ButtonWidth();
    const int middle = (rect.top + rect.bottom) / 2;
    RECT minus = {rect.left, middle - button / 2, rect.left + button, middle - button / 2 + button};
    RECT plus = {rect.right - button, minus.top, rect.right, minus.bottom};
    RECT track = {minus.right + Px(kButtonGap), rect.top, plus.left - Px(kButtonGap), rect.bottom};
    PlaceWindow(minus_, minus, show);
    PlaceWindow(hwnd_, track, show);
    PlaceWindow(plus_, plus, show);
}

void StatusBarSlider::Enable(bool enabled) {
    StatusBarElement::Enable(enabled);
    for (HWND button : {minus_, plus_})
        if (button && (::IsWindowEnabled(button) != FALSE) != enabled)
            ::EnableWindow(button, enabled);
}

void StatusBarSlider::SetFont(HFONT font) {
    StatusBarElement::SetFont(font);
    for (HWND button : {minus_, plus_})
        if (button)
            ::SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

} // namespace movalent
