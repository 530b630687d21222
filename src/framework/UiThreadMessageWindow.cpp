// The message-only window of a started thread. The thread's own loop hands its messages straight to the
// handlers (PreTranslateMessage); the window procedure only runs when some other loop dispatches them: a
// modal loop, or a message sent to the window.
#include "framework/UiThread.h"

namespace movalent {

namespace {

constexpr wchar_t kMessageWindowClass[] = L"MovalentThreadMessages";

bool RegisterMessageWindowClass(WNDPROC procedure) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = procedure;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kMessageWindowClass;
    return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

} // namespace

void UiThread::CreateMessageWindow() {
    static const bool registered = RegisterMessageWindowClass(MessageWindowProc);
    if (!registered)
        return; // thread messages then go to the thread itself, as on the main thread
    messageWindow_ = ::CreateWindowExW(0, kMessageWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                       ::GetModuleHandleW(nullptr), nullptr);
    // Only now: the messages of the window's creation are not the handlers'.
    if (messageWindow_)
        ::SetWindowLongPtrW(messageWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void UiThread::CloseMessageWindow() {
    HWND window = std::exchange(messageWindow_, nullptr);
    std::vector<MSG> left = std::move(deferred_);
    deferred_.clear();
    if (window) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        MSG msg;
        while (::PeekMessageW(&msg, window, 0, 0, PM_REMOVE))
            if (msg.message != WM_QUIT)
                left.push_back(msg);
        // Posts to the window fail from here on, so their senders keep what they meant to hand over.
        ::DestroyWindow(window);
    }
    const DWORD self = ::GetCurrentThreadId();
    for (const MSG& msg : left)
        ::PostThreadMessageW(self, msg.message, msg.wParam, msg.lParam);
}

LRESULT CALLBACK UiThread::MessageWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<UiThread*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return ::DefWindowProcW(window, message, wParam, lParam);
    try {
        return self->OnModalLoopMessage(message, wParam, lParam);
    } catch (...) {
        return 0; // nothing crosses the window procedure
    }
}

LRESULT UiThread::OnModalLoopMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    auto it = threadMessages_.find(message);
    if (it == threadMessages_.end())
        return ::DefWindowProcW(messageWindow_, message, wParam, lParam);
    if (!it->second.urgent) {
        MSG msg = {};
        msg.hwnd = messageWindow_;
        msg.message = message;
        msg.wParam = wParam;
        msg.lParam = lParam;
        deferred_.push_back(msg);
        return 0;
    }
    struct Restore {
        bool& flag;
        bool value;
        ~Restore() { flag = value; }
    } restore{inModalLoop_, std::exchange(inModalLoop_, true)};
    ThreadMessageHandler handler = it->second.run;
    handler(wParam, lParam);
    return 0;
}

void UiThread::RunDeferredMessages() {
    while (!deferred_.empty()) {
        // A handler may enter a modal loop of its own, which defers again.
        std::vector<MSG> batch = std::move(deferred_);
        deferred_.clear();
        for (const MSG& msg : batch)
            DispatchThreadMessage(msg);
    }
}

} // namespace movalent
