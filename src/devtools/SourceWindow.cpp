#include "devtools/SourceWindow.h"

#include "devtools/WindowSupport.h"

#include "devtools/SourceText.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <cwchar>
#include <iterator>

namespace movalent::devtools {

namespace {

constexpr wchar_t kGutterClassName[] = L"MovalentSourceGutter";
constexpr int kPreviousId = 103;
constexpr int kNextId = 104;
constexpr int kCopyAllId = 105;
constexpr int kFindLabelId = 107;
constexpr int kGutterId = 108;

struct HookState {
    HHOOK hook = nullptr;
    int users = 0;
};
thread_local HookState t_keyHook;

struct GlobalMemoryTraits {
    using Type = HGLOBAL;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
    static void Close(Type h) { ::GlobalFree(h); }
};

class OpenClipboardSession {
public:
    explicit OpenClipboardSession(HWND owner) : open_(::OpenClipboard(owner) != FALSE) {}
    ~OpenClipboardSession() {
        if (open_)
            ::CloseClipboard();
    }
    OpenClipboardSession(const OpenClipboardSession&) = delete;
    OpenClipboardSession& operator=(const OpenClipboardSession&) = delete;
    bool IsOpen() const { return open_; }

private:
    bool open_;
};

// Lower case unit for unit (the text's length and positions kept); the text itself if that cannot be had.
std::wstring FoldCase(const std::wstring& text) {
    if (text.empty() || text.size() > INT_MAX)
        return text;
    std::wstring folded(text.size(), L'\0');
    int length = ::LCMapStringW(LOCALE_INVARIANT, LCMAP_LOWERCASE, text.data(), static_cast<int>(text.size()),
                                folded.data(), static_cast<int>(folded.size()));
    return length == static_cast<int>(text.size()) ? folded : text;
}

int TextWidth(HDC dc, const std::wstring& text) {
    RECT rect = {};
    ::DrawTextW(dc, text.c_str(), -1, &rect, DT_CALCRECT | DT_SINGLELINE);
    return rect.right - rect.left;
}

void Place(HWND hwnd, int x, int y, int width, int height) {
    ::SetWindowPos(hwnd, nullptr, x, y, std::max(width, 0), std::max(height, 0),
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND CreateControl(DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style, HWND parent,
                   int id, void* param = nullptr) {
    return ::CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ThisModule(), param);
}

bool KeyDown(int key) {
    return ::GetKeyState(key) < 0;
}

} // namespace

SourceWindow::KeyHookUse::KeyHookUse() {
    if (t_keyHook.users++ == 0)
        t_keyHook.hook = ::SetWindowsHookExW(WH_GETMESSAGE, GetMessageHook, nullptr, ::GetCurrentThreadId());
}

SourceWindow::KeyHookUse::~KeyHookUse() {
    if (--t_keyHook.users == 0 && t_keyHook.hook) {
        ::UnhookWindowsHookEx(t_keyHook.hook);
        t_keyHook.hook = nullptr;
    }
}

std::atomic<int> SourceWindow::openWindows_{0};

SourceWindow::SourceWindow(std::wstring source, std::wstring generated, const SourceWindowTexts& texts)
    : texts_(texts) {
    pages_[kSourceTab].text = ToEditControlText(source);
    pages_[kGeneratedTab].text = ToEditControlText(generated);
    ++openWindows_;
}

SourceWindow::~SourceWindow() {
    --openWindows_;
}

int SourceWindow::OpenWindowCount() {
    return openWindows_;
}

bool SourceWindow::RegisterWindowClasses() {
    auto registerClass = [](const wchar_t* name, WNDPROC procedure, HBRUSH background) {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        if (::GetClassInfoExW(ThisModule(), name, &wc))
            return true;
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = procedure;
        wc.hInstance = ThisModule();
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = background;
        wc.lpszClassName = name;
        return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    };
    return registerClass(kClassName, WindowProcedure, ::GetSysColorBrush(COLOR_BTNFACE)) &&
           registerClass(kGutterClassName, GutterProcedure, nullptr);
}

void SourceWindow::UnregisterWindowClasses() {
    ::UnregisterClassW(kClassName, ThisModule());
    ::UnregisterClassW(kGutterClassName, ThisModule());
}

SourceWindow* SourceWindow::Open(HWND owner, const std::wstring& title, std::wstring source,
                                 std::wstring generated, const SourceWindowTexts& texts) {
    try {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
        ::InitCommonControlsEx(&controls);
        if (!RegisterWindowClasses())
            return nullptr;
        auto* window = new SourceWindow(std::move(source), std::move(generated), texts);
        bool adopted = false;
        window->adopted_ = &adopted;
        HWND hwnd = ::CreateWindowExW(0, kClassName, title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner,
                                      nullptr, ThisModule(), window);
        if (!adopted)
            delete window;
        if (!hwnd)
            return nullptr; // an adopted object went with its window
        window->adopted_ = nullptr;
        window->PlaceFirstTime(owner);
        ::ShowWindow(hwnd, SW_SHOWNORMAL);
        return window;
    } catch (...) {
        return nullptr;
    }
}

SourceWindow* SourceWindow::FromHandle(HWND hwnd) {
    wchar_t name[64] = {};
    if (!hwnd || !::GetClassNameW(hwnd, name, 64) || std::wcscmp(name, kClassName) != 0 ||
        reinterpret_cast<HINSTANCE>(::GetClassLongPtrW(hwnd, GCLP_HMODULE)) != ThisModule())
        return nullptr;
    return reinterpret_cast<SourceWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

LRESULT CALLBACK SourceWindow::WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    SourceWindow* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<SourceWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        if (self->adopted_)
            *self->adopted_ = true;
    } else {
        self = reinterpret_cast<SourceWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self)
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete self;
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        if (message == WM_CREATE)
            return -1;
        return message == WM_NCCREATE ? FALSE : 0;
    }
}

LRESULT SourceWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return OnCreate() ? 0 : -1;
    case WM_SIZE:
        Layout();
        return 0;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = {Scale(420), Scale(240)};
        return 0;
    }
    case WM_DPICHANGED: {
        ApplyDpi(HIWORD(wParam));
        const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
        ::SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                       suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_SETTINGCHANGE:
        if (wParam == SPI_SETNONCLIENTMETRICS)
            ApplyDpi(dpi_);
        break;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = ::GetFocus();
            if (focus && ::IsChild(hwnd_, focus))
                lastFocus_ = focus;
        }
        break;
    case WM_SETFOCUS:
        ::SetFocus(lastFocus_ && ::IsWindow(lastFocus_) ? lastFocus_ : edit_);
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->hwndFrom == tabControl_ && header->code == TCN_SELCHANGE)
            ShowTab(static_cast<int>(::SendMessageW(tabControl_, TCM_GETCURSEL, 0, 0)));
        return 0;
    }
    case WM_CTLCOLORSTATIC:
        // The read-only text reads as a document, not as a disabled field.
        if (reinterpret_cast<HWND>(lParam) == edit_) {
            HDC dc = reinterpret_cast<HDC>(wParam);
            ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
            ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
            return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
        }
        break;
    }
    return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

bool SourceWindow::OnCreate() {
    // Created in the order Tab walks them (MoveFocus); the tab control last, so that it lies beneath the
    // gutter and the edit placed on its page.
    findLabel_ =
        CreateControl(0, L"STATIC", texts_.find.c_str(), SS_LEFT | SS_CENTERIMAGE, hwnd_, kFindLabelId);
    findEdit_ =
        CreateControl(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, hwnd_, kFindEditId);
    previous_ = CreateControl(0, L"BUTTON", texts_.findPrevious.c_str(), WS_TABSTOP | BS_PUSHBUTTON, hwnd_,
                              kPreviousId);
    next_ = CreateControl(0, L"BUTTON", texts_.findNext.c_str(), WS_TABSTOP | BS_PUSHBUTTON, hwnd_, kNextId);
    status_ = CreateControl(0, L"STATIC", L"", SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX | SS_ENDELLIPSIS, hwnd_,
                            kFindStatusId);
    copyAll_ =
        CreateControl(0, L"BUTTON", texts_.copyAll.c_str(), WS_TABSTOP | BS_PUSHBUTTON, hwnd_, kCopyAllId);
    gutter_ = CreateControl(0, kGutterClassName, L"", 0, hwnd_, kGutterId, this);
    edit_ = CreateControl(0, L"EDIT", L"",
                          WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                              ES_AUTOHSCROLL | ES_READONLY | ES_NOHIDESEL,
                          hwnd_, kEditId);
    tabControl_ = CreateControl(0, WC_TABCONTROLW, L"", WS_TABSTOP | WS_CLIPSIBLINGS, hwnd_, kTabsId);
    if (!findLabel_ || !findEdit_ || !previous_ || !next_ || !status_ || !copyAll_ || !gutter_ || !edit_ ||
        !tabControl_)
        return false;

    for (int tab : {kSourceTab, kGeneratedTab}) {
        std::wstring& caption = tab == kSourceTab ? texts_.sourceTab : texts_.generatedTab;
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = caption.data();
        ::SendMessageW(tabControl_, TCM_INSERTITEMW, static_cast<WPARAM>(tab),
                       reinterpret_cast<LPARAM>(&item));
    }
    ::SendMessageW(edit_, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
    ::SetWindowLongPtrW(edit_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    editProc_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditProcedure)));
    ::SetWindowLongPtrW(tabControl_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    tabsProc_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(tabControl_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TabsProcedure)));

    // The window's owner's icon, if it has one (the class's: shared, never destroyed here).
    if (HWND owner = ::GetWindow(hwnd_, GW_OWNER)) {
        auto icon = ::GetClassLongPtrW(owner, GCLP_HICON), small = ::GetClassLongPtrW(owner, GCLP_HICONSM);
        ::SendMessageW(hwnd_, WM_SETICON, ICON_BIG, static_cast<LPARAM>(icon));
        ::SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, static_cast<LPARAM>(small ? small : icon));
    }
    lastFocus_ = edit_;
    ApplyDpi(WindowDpi(hwnd_));
    ShowTab(kSourceTab);
    return true;
}

void SourceWindow::OnCommand(int id, int code) {
    if (id == IDCANCEL) {
        ::DestroyWindow(hwnd_);
    } else if ((id == kPreviousId || id == kNextId) && code == BN_CLICKED) {
        Find(id == kNextId);
    } else if (id == kCopyAllId && code == BN_CLICKED) {
        CopyAll();
    } else if (id == kFindEditId && code == EN_CHANGE) {
        ::SetWindowTextW(status_, L"");
    }
}

void SourceWindow::PlaceFirstTime(HWND owner) {
    HWND reference = owner ? owner : hwnd_;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    if (!::GetMonitorInfoW(::MonitorFromWindow(reference, MONITOR_DEFAULTTONEAREST), &monitor))
        return;
    const RECT& work = monitor.rcWork;
    int width = std::min(Scale(900), static_cast<int>(work.right - work.left));
    int height = std::min(Scale(650), static_cast<int>(work.bottom - work.top));
    RECT around = work;
    if (owner)
        ::GetWindowRect(owner, &around);
    int x = (around.left + around.right - width) / 2, y = (around.top + around.bottom - height) / 2;
    x = std::clamp(x, static_cast<int>(work.left), static_cast<int>(work.right) - width);
    y = std::clamp(y, static_cast<int>(work.top), static_cast<int>(work.bottom) - height);
    ::SetWindowPos(hwnd_, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    // Moved to a screen of another resolution while hidden, it was told nothing.
    if (UINT dpi = WindowDpi(hwnd_); dpi != dpi_)
        ApplyDpi(dpi);
}

int SourceWindow::Scale(int value) const {
    return ::MulDiv(value, static_cast<int>(dpi_), 96);
}

void SourceWindow::ApplyDpi(UINT dpi) {
    dpi_ = dpi;
    LOGFONTW ui = MessageFont(dpi);
    UniqueGdiObject uiFont(::CreateFontIndirectW(&ui));
    // A fixed-pitch face of the system's choosing, as tall as the message font.
    LOGFONTW code = {};
    code.lfHeight = ui.lfHeight;
    code.lfWeight = FW_NORMAL;
    code.lfCharSet = DEFAULT_CHARSET;
    code.lfQuality = ui.lfQuality;
    code.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    UniqueGdiObject codeFont(::CreateFontIndirectW(&code));
    if (!uiFont || !codeFont)
        return;

    WindowDc dc(hwnd_);
    TEXTMETRICW metrics = {};
    {
        ScopedSelection selected(dc.get(), codeFont.get());
        ::GetTextMetricsW(dc.get(), &metrics);
        codeLineHeight_ = std::max(1, static_cast<int>(metrics.tmHeight));
        SIZE digit = {};
        ::GetTextExtentPoint32W(dc.get(), L"0", 1, &digit);
        digitWidth_ = digit.cx;
    }
    {
        ScopedSelection selected(dc.get(), uiFont.get());
        ::GetTextMetricsW(dc.get(), &metrics);
        uiTextHeight_ = metrics.tmHeight;
        findLabelWidth_ = TextWidth(dc.get(), texts_.find);
        previousWidth_ = TextWidth(dc.get(), texts_.findPrevious);
        nextWidth_ = TextWidth(dc.get(), texts_.findNext);
        copyAllWidth_ = TextWidth(dc.get(), texts_.copyAll);
    }
    // The controls take the new fonts before the old ones go.
    for (HWND control : {findLabel_, findEdit_, previous_, next_, status_, copyAll_, tabControl_})
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont.get()), FALSE);
    ::SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(codeFont.get()), FALSE);
    ::SendMessageW(edit_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(Scale(4), Scale(4)));
    uiFont_ = std::move(uiFont);
    codeFont_ = std::move(codeFont);
    Layout();
    ::InvalidateRect(hwnd_, nullptr, TRUE);
}

int SourceWindow::GutterWidth() const {
    int lines = static_cast<int>(::SendMessageW(edit_, EM_GETLINECOUNT, 0, 0));
    int digits = 1;
    for (int rest = lines; rest >= 10; rest /= 10)
        ++digits;
    return std::max(digits, 3) * digitWidth_ + Scale(12);
}

void SourceWindow::Layout() {
    if (!tabControl_)
        return;
    RECT client = {};
    ::GetClientRect(hwnd_, &client);
    const int margin = Scale(6), gap = Scale(6), small = Scale(3);
    const int rowHeight = std::max(Scale(23), uiTextHeight_ + Scale(8));
    auto buttonWidth = [&](int textWidth) { return std::max(Scale(75), textWidth + Scale(16)); };

    int x = margin, y = margin;
    Place(findLabel_, x, y, findLabelWidth_, rowHeight);
    x += findLabelWidth_ + small;
    Place(findEdit_, x, y, Scale(200), rowHeight);
    x += Scale(200) + gap;
    Place(previous_, x, y, buttonWidth(previousWidth_), rowHeight);
    x += buttonWidth(previousWidth_) + small;
    Place(next_, x, y, buttonWidth(nextWidth_), rowHeight);
    x += buttonWidth(nextWidth_) + gap;
    int copyAllX = std::max(x, static_cast<int>(client.right) - margin - buttonWidth(copyAllWidth_));
    Place(status_, x, y, copyAllX - gap - x, rowHeight);
    Place(copyAll_, copyAllX, y, buttonWidth(copyAllWidth_), rowHeight);

    y += rowHeight + gap;
    RECT tabs = {margin, y, std::max<LONG>(margin, client.right - margin),
                 std::max<LONG>(y, client.bottom - margin)};
    Place(tabControl_, tabs.left, tabs.top, tabs.right - tabs.left, tabs.bottom - tabs.top);
    RECT page = {0, 0, tabs.right - tabs.left, tabs.bottom - tabs.top};
    ::SendMessageW(tabControl_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
    ::OffsetRect(&page, tabs.left, tabs.top);
    int gutterWidth = std::min(GutterWidth(), std::max<int>(0, page.right - page.left));
    Place(gutter_, page.left, page.top, gutterWidth, page.bottom - page.top);
    Place(edit_, page.left + gutterWidth, page.top, page.right - page.left - gutterWidth,
          page.bottom - page.top);
    ::InvalidateRect(gutter_, nullptr, FALSE);
}

void SourceWindow::PaintGutter(HDC dc, const RECT& area) {
    ::FillRect(dc, &area, ::GetSysColorBrush(COLOR_BTNFACE));
    RECT border = area;
    border.left = border.right - std::max(1, Scale(1));
    ::FillRect(dc, &border, ::GetSysColorBrush(COLOR_BTNSHADOW));

    int first = static_cast<int>(::SendMessageW(edit_, EM_GETFIRSTVISIBLELINE, 0, 0));
    int count = static_cast<int>(::SendMessageW(edit_, EM_GETLINECOUNT, 0, 0));
    // Where the edit draws its first visible line, and how far apart its lines are.
    auto lineTop = [&](int line, int fallback) {
        LRESULT index = ::SendMessageW(edit_, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
        LRESULT position =
            index < 0 ? -1 : ::SendMessageW(edit_, EM_POSFROMCHAR, static_cast<WPARAM>(index), 0);
        return position == -1 ? fallback : static_cast<int>(static_cast<short>(HIWORD(position)));
    };
    RECT format = {};
    ::SendMessageW(edit_, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    int top = lineTop(first, format.top);
    int lineHeight = codeLineHeight_;
    if (first + 1 < count) {
        int next = lineTop(first + 1, top + codeLineHeight_);
        if (next > top)
            lineHeight = next - top;
    }
    RECT text = {};
    ::GetClientRect(edit_, &text);
    text.top = top;
    ::MapWindowPoints(edit_, gutter_, reinterpret_cast<POINT*>(&text), 2);
    ::IntersectClipRect(dc, area.left, text.top, area.right, text.bottom);

    ScopedSelection font(dc, codeFont_.get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(COLOR_GRAYTEXT));
    for (int line = first, y = text.top; line < count && y < text.bottom; ++line, y += lineHeight) {
        std::wstring number = std::to_wstring(line + 1);
        RECT cell = {area.left, y, area.right - Scale(6), y + lineHeight};
        ::DrawTextW(dc, number.c_str(), static_cast<int>(number.size()), &cell,
                    DT_RIGHT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    }
    gutterFirstLine_ = count > 0 ? first + 1 : 0;
}

void SourceWindow::FollowEditScrolling() {
    int first = static_cast<int>(::CallWindowProcW(editProc_, edit_, EM_GETFIRSTVISIBLELINE, 0, 0));
    if (first == gutterTopLine_)
        return;
    gutterTopLine_ = first;
    ::InvalidateRect(gutter_, nullptr, FALSE);
    ::UpdateWindow(gutter_);
}

void SourceWindow::ShowTab(int index) {
    if (index < 0 || index > kGeneratedTab || index == shownTab_)
        return;
    if (shownTab_ >= 0) {
        Page& old = pages_[shownTab_];
        ::SendMessageW(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&old.selectionStart),
                       reinterpret_cast<LPARAM>(&old.selectionEnd));
        old.firstLine = static_cast<int>(::SendMessageW(edit_, EM_GETFIRSTVISIBLELINE, 0, 0));
    }
    shownTab_ = index;
    if (::SendMessageW(tabControl_, TCM_GETCURSEL, 0, 0) != index)
        ::SendMessageW(tabControl_, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    const Page& page = pages_[index];
    ::SetWindowTextW(edit_, page.text.c_str());
    ::SendMessageW(edit_, EM_SETSEL, page.selectionStart, page.selectionEnd);
    // Setting the selection may have scrolled already (it does on Wine).
    int first = static_cast<int>(::SendMessageW(edit_, EM_GETFIRSTVISIBLELINE, 0, 0));
    ::SendMessageW(edit_, EM_LINESCROLL, 0, page.firstLine - first);
    ::SetWindowTextW(status_, L"");
    Layout(); // the gutter's width follows the line count
    FollowEditScrolling();
}

void SourceWindow::Find(bool forward) {
    if (shownTab_ < 0)
        return;
    std::wstring needle = WindowText(findEdit_);
    if (needle.empty()) {
        FocusFind();
        return;
    }
    Page& page = pages_[shownTab_];
    if (!page.foldedReady) {
        page.folded = FoldCase(page.text);
        page.foldedReady = true;
    }
    DWORD start = 0, end = 0;
    ::SendMessageW(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    auto match = FindInText(page.folded, FoldCase(needle), start, end, forward);
    if (!match) {
        ::SetWindowTextW(status_, texts_.notFound.c_str());
        return;
    }
    ::SetWindowTextW(status_, L"");
    ::SendMessageW(edit_, EM_SETSEL, match->position, match->position + needle.size());
    ::SendMessageW(edit_, EM_SCROLLCARET, 0, 0);
}

void SourceWindow::FocusFind() {
    ::SetFocus(findEdit_);
    ::SendMessageW(findEdit_, EM_SETSEL, 0, -1);
}

void SourceWindow::MoveFocus(HWND from, bool backwards) {
    const HWND order[] = {findEdit_, previous_, next_, copyAll_, tabControl_, edit_};
    constexpr int count = static_cast<int>(std::size(order));
    int at = static_cast<int>(std::find(std::begin(order), std::end(order), from) - std::begin(order));
    if (at == count)
        at = backwards ? 0 : count - 1;
    for (int step = 1; step <= count; ++step) {
        HWND candidate = order[(at + (backwards ? count - step : step)) % count];
        if (::IsWindowVisible(candidate) && ::IsWindowEnabled(candidate)) {
            if (candidate == findEdit_)
                FocusFind();
            else
                ::SetFocus(candidate);
            return;
        }
    }
}

void SourceWindow::CopyAll() {
    if (shownTab_ < 0)
        return;
    const std::wstring& text = pages_[shownTab_].text;
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    UniqueResource<GlobalMemoryTraits> memory(::GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!memory)
        return;
    void* data = ::GlobalLock(memory.get());
    if (!data)
        return;
    std::memcpy(data, text.c_str(), bytes);
    ::GlobalUnlock(memory.get());
    OpenClipboardSession clipboard(hwnd_);
    if (!clipboard.IsOpen())
        return;
    ::EmptyClipboard();
    if (::SetClipboardData(CF_UNICODETEXT, memory.get()))
        memory.release(); // the clipboard's now
}

bool SourceWindow::TranslateKey(MSG& msg) {
    if (msg.message == WM_KEYDOWN) {
        const bool control = KeyDown(VK_CONTROL), shift = KeyDown(VK_SHIFT), alt = KeyDown(VK_MENU);
        HWND focus = ::GetFocus();
        switch (msg.wParam) {
        case VK_ESCAPE:
            ::DestroyWindow(hwnd_); // and this object with it
            return true;
        case VK_F3:
            Find(!shift);
            return true;
        case VK_TAB:
            if (control)
                ShowTab(shownTab_ == kSourceTab ? kGeneratedTab : kSourceTab);
            else
                MoveFocus(focus, shift);
            return true;
        case VK_RETURN:
            if (focus == findEdit_) {
                Find(!shift);
                return true;
            }
            if (focus == previous_ || focus == next_ || focus == copyAll_) {
                ::SendMessageW(focus, BM_CLICK, 0, 0);
                return true;
            }
            break;
        case 'F':
            if (control && !alt) {
                FocusFind();
                return true;
            }
            break;
        case 'A':
            if (control && !alt && (focus == edit_ || focus == findEdit_)) {
                ::SendMessageW(focus, EM_SETSEL, 0, -1);
                return true;
            }
            break;
        case 'C':
            // Copying from a button or the tabs copies what is selected in the text.
            if (control && !alt && focus != edit_ && focus != findEdit_) {
                ::SendMessageW(edit_, WM_COPY, 0, 0);
                return true;
            }
            break;
        }
    }
    // Access keys, Space on buttons, arrows on the tabs.
    return ::IsDialogMessageW(hwnd_, &msg) != FALSE;
}

LRESULT CALLBACK SourceWindow::GetMessageHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        auto* msg = reinterpret_cast<MSG*>(lParam);
        if (msg->hwnd && msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) {
            if (SourceWindow* window = FromHandle(::GetAncestor(msg->hwnd, GA_ROOT))) {
                bool handled = false;
                try {
                    handled = window->TranslateKey(*msg);
                } catch (...) {
                }
                if (handled) {
                    msg->message = WM_NULL;
                    msg->wParam = 0;
                    msg->lParam = 0;
                }
            }
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK SourceWindow::GutterProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        ::SetWindowLongPtrW(
            hwnd, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<SourceWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    try {
        switch (message) {
        case WM_ERASEBKGND:
            return 1; // painted whole in WM_PAINT
        case WM_PAINT:
            if (self && self->edit_) {
                PaintDc paint(hwnd);
                RECT area = {};
                ::GetClientRect(hwnd, &area);
                self->PaintGutter(paint.get(), area);
                return 0;
            }
            break;
        case WM_MOUSEWHEEL:
            if (self && self->edit_)
                return ::SendMessageW(self->edit_, message, wParam, lParam);
            break;
        case WM_NCDESTROY:
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            break;
        }
    } catch (...) {
        return 0;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK SourceWindow::EditProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<SourceWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self || !self->editProc_)
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    WNDPROC original = self->editProc_;
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->edit_ = nullptr;
        return ::CallWindowProcW(original, hwnd, message, wParam, lParam);
    }
    LRESULT result = ::CallWindowProcW(original, hwnd, message, wParam, lParam);
    if (!::IsWindow(hwnd))
        return result; // destroyed meanwhile, and the window object may be gone with it
    switch (message) {
    // Nothing the edit does on these moves its lines.
    case WM_PAINT:
    case WM_NCPAINT:
    case WM_ERASEBKGND:
    case WM_NCHITTEST:
    case WM_SETCURSOR:
    case WM_GETDLGCODE:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case WM_DESTROY:
    case EM_GETFIRSTVISIBLELINE:
    case EM_GETLINECOUNT:
    case EM_LINEINDEX:
    case EM_POSFROMCHAR:
    case EM_GETRECT:
    case EM_GETSEL:
        break;
    default:
        try {
            self->FollowEditScrolling();
        } catch (...) {
        }
    }
    return result;
}

LRESULT CALLBACK SourceWindow::TabsProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<SourceWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self || !self->tabsProc_)
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    WNDPROC original = self->tabsProc_;
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->tabControl_ = nullptr;
        return ::CallWindowProcW(original, hwnd, message, wParam, lParam);
    }
    LRESULT result = ::CallWindowProcW(original, hwnd, message, wParam, lParam);
    if (!::IsWindow(hwnd))
        return result;
    // A selection set from outside without a notification still changes the page.
    if (message == TCM_SETCURSEL || message == TCM_SETCURFOCUS) {
        try {
            self->ShowTab(static_cast<int>(::CallWindowProcW(original, hwnd, TCM_GETCURSEL, 0, 0)));
        } catch (...) {
        }
    }
    return result;
}

} // namespace movalent::devtools
