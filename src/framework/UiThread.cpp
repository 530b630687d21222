#include "framework/UiThread.h"

#include "framework/Application.h"
#include "framework/Window.h"

#include <process.h>

namespace movalent {

namespace {

thread_local UiThread* t_thread = nullptr;

// Messages that say nothing about the user's input: they do not restart idle processing.
bool IsIdleMessage(const MSG& msg, MSG& lastMouseMove) {
    if (msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE) {
        bool same = lastMouseMove.message == msg.message && lastMouseMove.pt.x == msg.pt.x &&
                    lastMouseMove.pt.y == msg.pt.y;
        lastMouseMove = msg;
        return !same;
    }
    return msg.message != WM_PAINT && msg.message != 0x0118; // the caret's blink timer
}

} // namespace

UiThread::UiThread() = default;

UiThread::~UiThread() {
    if (t_thread == this)
        t_thread = nullptr;
}

UiThread* UiThread::Current() {
    return t_thread;
}

void UiThread::BindToCurrentThread() {
    t_thread = this;
    threadId_ = ::GetCurrentThreadId();
}

bool UiThread::CreateThread(SECURITY_ATTRIBUTES* security, unsigned stackSize, Identity* identity) {
    UniqueHandle ready(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!ready)
        return false;
    StartSignal signal;
    signal.ready = ready.get();
    start_ = &signal;
    unsigned id = 0;
    uintptr_t handle = ::_beginthreadex(security, stackSize, ThreadEntry, this, CREATE_SUSPENDED, &id);
    if (handle == 0) {
        start_ = nullptr;
        return false;
    }
    threadHandle_.reset(reinterpret_cast<HANDLE>(handle));
    threadId_ = id;
    if (identity) {
        identity->id = id;
        HANDLE process = ::GetCurrentProcess();
        ::DuplicateHandle(process, threadHandle_.get(), process, identity->handle.put(), 0, FALSE,
                          DUPLICATE_SAME_ACCESS);
    }
    // The thread may end and delete this object any time after it is resumed, so nothing of it is touched
    // afterwards; the signal belongs to this function.
    ::ResumeThread(threadHandle_.get());
    ::WaitForSingleObject(ready.get(), INFINITE);
    if (identity)
        identity->window = signal.window;
    return true;
}

unsigned __stdcall UiThread::ThreadEntry(void* param) {
    auto* self = static_cast<UiThread*>(param);
    t_thread = self;
    MSG msg;
    ::PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE); // creates the queue
    self->CreateMessageWindow();
    StartSignal* start = std::exchange(self->start_, nullptr);
    start->window = self->messageWindow_;
    ::SetEvent(start->ready);

    int code = 0;
    try {
        if (self->InitInstance()) {
            code = self->Run();
        } else {
            self->CloseMessageWindow();
            code = self->ExitInstance();
        }
    } catch (...) {
        self->CloseMessageWindow();
        code = -1;
    }
    t_thread = nullptr;
    if (self->autoDelete_)
        delete self;
    return static_cast<unsigned>(code);
}

bool UiThread::PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    if (messageWindow_)
        return ::PostMessageW(messageWindow_, message, wParam, lParam) != FALSE;
    return threadId_ != 0 && ::PostThreadMessageW(threadId_, message, wParam, lParam) != FALSE;
}

HWND UiThread::MainWindowHandle() const {
    if (mainWindow_ && mainWindow_->Handle())
        return mainWindow_->Handle();
    Application* app = Application::Current();
    if (app && app != this && app->MainWindow())
        return app->MainWindow()->Handle();
    return nullptr;
}

void UiThread::OnThreadMessage(UINT message, ThreadMessageHandler handler, bool urgent) {
    threadMessages_[message] = Handler{std::move(handler), urgent};
}

int UiThread::Run() {
    bool idle = true;
    long idleCount = 0;
    MSG lastMouseMove = {};
    MSG peek;
    for (;;) {
        while (idle && !::PeekMessageW(&peek, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(idleCount++))
                idle = false;
        }
        do {
            if (!PumpMessage()) {
                CloseMessageWindow();
                return ExitInstance();
            }
            if (IsIdleMessage(currentMessage_, lastMouseMove)) {
                idle = true;
                idleCount = 0;
            }
        } while (::PeekMessageW(&peek, nullptr, 0, 0, PM_NOREMOVE));
    }
}

bool UiThread::PumpMessage() {
    RunDeferredMessages();
    BOOL got = ::GetMessageW(&currentMessage_, nullptr, 0, 0);
    if (got == 0 || got == -1) {
        exitCode_ = got == 0 ? static_cast<int>(currentMessage_.wParam) : -1;
        return false;
    }
    if (!PreTranslateMessage(currentMessage_)) {
        ::TranslateMessage(&currentMessage_);
        ::DispatchMessageW(&currentMessage_);
    }
    return true;
}

bool UiThread::OnIdle(long) {
    return false;
}

bool UiThread::DispatchThreadMessage(const MSG& msg) {
    auto it = threadMessages_.find(msg.message);
    if (it == threadMessages_.end())
        return false;
    ThreadMessageHandler handler = it->second.run;
    handler(msg.wParam, msg.lParam);
    return true;
}

bool UiThread::PreTranslateMessage(MSG& msg) {
    if (!msg.hwnd || msg.hwnd == messageWindow_)
        return DispatchThreadMessage(msg);
    HWND main = mainWindow_ ? mainWindow_->Handle() : nullptr;
    if (WalkPreTranslateTree(main, msg))
        return true;
    // A message for a window outside the main window (a modeless dialog, a popup) still gets the main
    // window's keyboard shortcuts.
    if (Window* mainObject = Window::FromHandle(main)) {
        HWND top = ::GetAncestor(msg.hwnd, GA_ROOT);
        if (top != main)
            return mainObject->PreTranslateMessage(msg);
    }
    return false;
}

bool UiThread::WalkPreTranslateTree(HWND stop, MSG& msg) {
    for (HWND hwnd = msg.hwnd; hwnd; hwnd = ::GetParent(hwnd)) {
        if (Window* window = Window::FromHandle(hwnd))
            if (window->PreTranslateMessage(msg))
                return true;
        if (hwnd == stop)
            break;
        // Only child windows pass a message up: a popup's owner is not its parent.
        if (!(::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD))
            break;
    }
    return false;
}

} // namespace movalent
