#include "framework/Window.h"


#include <utility>

namespace movalent {

namespace {

constexpr wchar_t kObjectProperty[] = L"Movalent.Window";
thread_local Window* t_creating = nullptr;

} // namespace

Window::Window() = default;

Window::~Window() {
    if (destroyedFlag_)
        *destroyedFlag_ = true;
    if (hwnd_ && ::GetWindowThreadProcessId(hwnd_, nullptr) == ::GetCurrentThreadId())
        ::DestroyWindow(hwnd_); // the derived parts are gone, so only Window's own handling runs
    if (hwnd_)
        Detach();
}

Window* Window::FromHandle(HWND hwnd) {
    if (!hwnd || ::GetWindowThreadProcessId(hwnd, nullptr) != ::GetCurrentThreadId())
        return nullptr;
    return static_cast<Window*>(::GetPropW(hwnd, kObjectProperty));
}

HINSTANCE Window::ResourceInstance() {
    return ::GetModuleHandleW(nullptr);
}

bool Window::RegisterWindowClass(const wchar_t* name, UINT style, HCURSOR cursor, HBRUSH background,
                                 HICON icon, HICON smallIcon) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    if (::GetClassInfoExW(ResourceInstance(), name, &wc))
        return true;
    wc.style = style;
    wc.lpfnWndProc = StaticWindowProc;
    wc.hInstance = ResourceInstance();
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.hIconSm = smallIcon;
    wc.lpszClassName = name;
    return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool Window::Create(DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style,
                    const RECT& rect, HWND parent, UINT_PTR idOrMenu, void* createParam) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    bool ours = ::GetClassInfoExW(ResourceInstance(), className, &wc) && wc.lpfnWndProc == StaticWindowProc;
    if (ours)
        ExpectCreation();
    HWND hwnd = ::CreateWindowExW(exStyle, className, text, style, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, parent,
                                  reinterpret_cast<HMENU>(idOrMenu), ResourceInstance(), createParam);
    CancelExpectedCreation();
    if (!hwnd)
        return false;
    if (!ours && !Subclass(hwnd)) {
        ::DestroyWindow(hwnd);
        return false;
    }
    return hwnd_ == hwnd;
}

void Window::ExpectCreation() {
    t_creating = this;
}

Window* Window::TakeExpectedCreation() {
    return std::exchange(t_creating, nullptr);
}

void Window::CancelExpectedCreation() {
    if (t_creating == this)
        t_creating = nullptr;
}

void Window::Attach(HWND hwnd) {
    hwnd_ = hwnd;
    ::SetPropW(hwnd, kObjectProperty, this);
}

void Window::Detach() {
    if (!hwnd_)
        return;
    ::RemovePropW(hwnd_, kObjectProperty);
    if (superProc_ && reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd_, GWLP_WNDPROC)) == StaticWindowProc)
        ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(superProc_));
    superProc_ = nullptr;
    hwnd_ = nullptr;
}

bool Window::Subclass(HWND hwnd) {
    if (!hwnd || hwnd_ || FromHandle(hwnd) ||
        ::GetWindowThreadProcessId(hwnd, nullptr) != ::GetCurrentThreadId())
        return false;
    Attach(hwnd);
    superProc_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StaticWindowProc)));
    if (!superProc_) {
        ::RemovePropW(hwnd, kObjectProperty);
        hwnd_ = nullptr;
        return false;
    }
    return true;
}

HWND Window::Unsubclass() {
    HWND hwnd = hwnd_;
    Detach();
    return hwnd;
}

bool Window::DestroyWindow() {
    return hwnd_ && ::DestroyWindow(hwnd_);
}

LRESULT Window::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageW(hwnd_, message, wParam, lParam);
}

bool Window::Post(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::PostMessageW(hwnd_, message, wParam, lParam) != FALSE;
}

std::wstring Window::Text() const {
    int length = ::GetWindowTextLengthW(hwnd_);
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    int copied = ::GetWindowTextW(hwnd_, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

void Window::SetText(const std::wstring& text) {
    ::SetWindowTextW(hwnd_, text.c_str());
}

RECT Window::ClientRect() const {
    RECT rect = {};
    ::GetClientRect(hwnd_, &rect);
    return rect;
}

void Window::MoveTo(const RECT& rect, bool repaint) {
    ::MoveWindow(hwnd_, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, repaint);
}

LRESULT Window::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && OnCommandMessage(wParam, lParam))
        return 0;
    return Default();
}

LRESULT Window::Default() {
    return DefaultProc(current_.message, current_.wParam, current_.lParam);
}

LRESULT Window::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (superProc_)
        return ::CallWindowProcW(superProc_, hwnd_, message, wParam, lParam);
    return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

bool Window::OnCommandMessage(WPARAM wParam, LPARAM lParam) {
    int code = HIWORD(wParam);
    unsigned id = LOWORD(wParam);
    if (HWND control = reinterpret_cast<HWND>(lParam)) {
        if (OnControlNotify(static_cast<int>(id), code, control))
            return true;
        return code == BN_CLICKED && ExecuteCommand(id);
    }
    return (code == 0 || code == 1) && ExecuteCommand(id);
}

bool Window::OnControlNotify(int, int, HWND) {
    return false;
}

LRESULT Window::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, bool* destroyedOut) {
    // A handler may end the object's life (a frame closing itself); from then on nothing of it is touched,
    // and every dispatch further out on the stack learns it through the chain of flags.
    bool destroyed = false;
    bool* outerFlag = std::exchange(destroyedFlag_, &destroyed);
    CurrentMessage saved = std::exchange(current_, CurrentMessage{message, wParam, lParam});
    LRESULT result = 0;
    try {
        result = WindowProc(message, wParam, lParam);
    } catch (...) {
        // Nothing may unwind into the system's dispatcher; the message counts as handled.
        result = 0;
    }
    if (!destroyed) {
        current_ = saved;
        destroyedFlag_ = outerFlag;
        if (message == WM_DESTROY)
            OnDestroyed();
        if (message == WM_NCDESTROY) {
            Detach();
            PostNcDestroy(); // may delete this, which raises outerFlag
        }
    } else if (outerFlag) {
        *outerFlag = true;
    }
    if (destroyedOut)
        *destroyedOut = destroyed;
    return result;
}

LRESULT CALLBACK Window::StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<Window*>(::GetPropW(hwnd, kObjectProperty));
    if (!self && t_creating) {
        self = std::exchange(t_creating, nullptr);
        self->Attach(hwnd);
    }
    if (!self)
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    return self->Dispatch(message, wParam, lParam);
}

} // namespace movalent
