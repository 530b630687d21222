#include "standin/engine/browser/BrowserWindows.h"

#include "framework/Handles.h"
#include "standin/engine/ThisModule.h"

#include <algorithm>
#include <map>
#include <mutex>

namespace movalent::standin {
namespace {

constexpr wchar_t kClassName[] = L"StandInWebBrowser";

std::mutex g_classLock;
int g_classUsers = 0;

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* owner = reinterpret_cast<WindowOwner*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (owner == nullptr)
        return ::DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY)
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    return owner->OnWindowMessage(window, message, wParam, lParam);
}

HWND CreateOwned(WindowOwner& owner, DWORD style, const RECT& position, HWND parent) {
    return ::CreateWindowExW(0, kClassName, L"", style, position.left, position.top,
                             position.right - position.left, position.bottom - position.top, parent, nullptr,
                             ThisModule(), &owner);
}

int PointSize(int textSize) {
    static constexpr int kSizes[] = {7, 8, 10, 12, 15};
    return kSizes[textSize < 0 ? 0 : textSize > 4 ? 4 : textSize];
}

UniqueGdiObject MakeFont(HDC dc, int points, bool bold) {
    const int height = -::MulDiv(points, ::GetDeviceCaps(dc, LOGPIXELSY), 72);
    return UniqueGdiObject(::CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                         DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                         DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Tahoma"));
}

} // namespace

BrowserWindowClass::BrowserWindowClass() {
    std::lock_guard<std::mutex> lock(g_classLock);
    if (g_classUsers++ > 0)
        return;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = ThisModule();
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    ::RegisterClassExW(&windowClass);
}

BrowserWindowClass::~BrowserWindowClass() {
    std::lock_guard<std::mutex> lock(g_classLock);
    if (--g_classUsers == 0)
        ::UnregisterClassW(kClassName, ThisModule());
}

HWND CreatePageWindow(WindowOwner& owner, HWND parent, const RECT& position) {
    return CreateOwned(owner, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP,
                       position, parent);
}

HWND CreateStepsWindow(WindowOwner& owner) {
    return CreateOwned(owner, 0, RECT{}, HWND_MESSAGE);
}

namespace {

// Lays the lines out top to bottom in area, drawing them or (measuring) only following them past its bottom;
// returns the height they took, margins included.
int LayPage(HDC dc, const RECT& area, const std::vector<PageLine>& lines, int textSize, bool draw) {
    const int points = PointSize(textSize);
    // One font per style and zoom, made when a line first needs it.
    std::map<std::pair<LineStyle, int>, UniqueGdiObject> fonts;
    auto fontFor = [&](const PageLine& line) {
        auto& font = fonts[{line.style, line.zoom}];
        if (!font) {
            int size = points;
            if (line.style == LineStyle::Heading)
                size = points + 2;
            else if (line.style == LineStyle::Title)
                size = points + 1;
            else if (line.style == LineStyle::Detail && points > 7)
                size = points - 1;
            size = std::clamp(size * line.zoom / 100, 1, 400);
            font = MakeFont(dc, size, line.style == LineStyle::Heading || line.style == LineStyle::Title);
        }
        return font.get();
    };
    const HGDIOBJ previousFont = ::GetCurrentObject(dc, OBJ_FONT);
    const int previousMode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF previousColour = ::GetTextColor(dc);

    constexpr int kMargin = 8;
    constexpr int kIndent = 16;
    int y = area.top + kMargin;
    for (const PageLine& line : lines) {
        if (draw && y >= area.bottom)
            break;
        COLORREF colour = RGB(0, 0, 0);
        if (line.style == LineStyle::Heading)
            colour = RGB(0xA0, 0x20, 0x20);
        else if (line.style == LineStyle::Detail)
            colour = RGB(0x50, 0x50, 0x50);
        ::SelectObject(dc, fontFor(line));
        ::SetTextColor(dc, colour);
        RECT box = {area.left + kMargin + line.indent * kIndent, y, area.right - kMargin, area.bottom};
        if (box.right <= box.left)
            continue;
        const std::wstring& text = line.text.empty() ? std::wstring(L" ") : line.text;
        const UINT format = DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL;
        const int height = ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
                                       draw ? format : format | DT_CALCRECT);
        y += height + (line.style == LineStyle::Heading ? kMargin : 2);
    }

    ::SetTextColor(dc, previousColour);
    ::SetBkMode(dc, previousMode);
    ::SelectObject(dc, previousFont);
    return y + kMargin - area.top;
}

} // namespace

void PaintPage(HDC dc, const RECT& area, const std::vector<PageLine>& lines, int textSize) {
    ::FillRect(dc, &area, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    LayPage(dc, area, lines, textSize, true);
}

int MeasurePage(HDC dc, int width, const std::vector<PageLine>& lines, int textSize) {
    return LayPage(dc, RECT{0, 0, width, 0}, lines, textSize, false);
}

} // namespace movalent::standin
