#pragma once
// For the framework's Wine tests: pumping the test thread's queue, and running code against a modal dialog
// from inside its own message loop.
#include "framework/UiThread.h"

#include <windows.h>

#include <functional>

namespace movalent::test {

// Dispatches everything queued on this thread, through the thread object's pre-translation when there is one.
// A WM_QUIT is dropped: tests run no message loop that it could end.
inline void PumpMessages() {
    MSG msg;
    for (int round = 0; round < 1000 && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++round) {
        if (msg.message == WM_QUIT)
            continue;
        UiThread* thread = UiThread::Current();
        if (thread && thread->PreTranslateMessage(msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// Runs action once the thread's next modal dialog is up, with that dialog's window; the action must end it.
class WhenDialogShows {
public:
    explicit WhenDialogShows(std::function<void(HWND dialog)> action) {
        Action() = std::move(action);
        timer_ = ::SetTimer(nullptr, 0, 50, &WhenDialogShows::Tick);
    }
    ~WhenDialogShows() {
        ::KillTimer(nullptr, timer_);
        Action() = nullptr;
    }
    WhenDialogShows(const WhenDialogShows&) = delete;
    WhenDialogShows& operator=(const WhenDialogShows&) = delete;

private:
    static std::function<void(HWND)>& Action() {
        static std::function<void(HWND)> action;
        return action;
    }
    static BOOL CALLBACK FindDialog(HWND hwnd, LPARAM found) {
        wchar_t name[16] = {};
        ::GetClassNameW(hwnd, name, 16);
        if (lstrcmpW(name, L"#32770") == 0 && ::IsWindowVisible(hwnd)) {
            *reinterpret_cast<HWND*>(found) = hwnd;
            return FALSE;
        }
        return TRUE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        HWND dialog = nullptr;
        ::EnumThreadWindows(::GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
        if (!dialog || !Action())
            return;
        auto action = std::move(Action());
        Action() = nullptr;
        action(dialog);
    }
    UINT_PTR timer_ = 0;
};

} // namespace movalent::test
