#include "tabs/BrowserThreadLink.h"

#include "app/InternalMessages.h"
#include "engine/EngineLoader.h"
#include "tabs/HeapStringPost.h"
#include "tabs/IEThread.h"
#include "tabs/PagePicture.h"

#include <ole2.h>

namespace movalent {

namespace {

// Runs on a thread-pool thread when the browser thread has ended.
VOID CALLBACK ReportThreadEnd(PVOID window, BOOLEAN) {
    ::PostMessageW(static_cast<HWND>(window), kMsgBrowserThreadEnded, 0, 0);
}

} // namespace

bool BrowserThreadLink::Start(HWND window, TabHost& host, IEVERSION version, const std::wstring& startUrl) {
    if (running_)
        return false;
    exitEvent_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!exitEvent_)
        return false;
    auto* thread = new CIEThread(window, host, version, startUrl, exitEvent_.get());
    UiThread::Identity identity;
    if (!thread->CreateThread(nullptr, 0, &identity)) {
        delete thread;
        exitEvent_.reset();
        return false;
    }
    threadId_ = identity.id;
    threadWindow_ = identity.window;
    threadHandle_ = std::move(identity.handle);
    running_ = true;
    // The window, not an object, goes to the thread pool: a report arriving after the window is gone is
    // dropped.
    if (!::RegisterWaitForSingleObject(&watch_, threadHandle_.get(), ReportThreadEnd, window, INFINITE,
                                       WT_EXECUTEONLYONCE))
        watch_ = nullptr;
    return true;
}

bool BrowserThreadLink::Post(UINT message, WPARAM wParam, LPARAM lParam) const {
    return Running() && ::PostMessageW(threadWindow_, message, wParam, lParam) != FALSE;
}

bool BrowserThreadLink::Navigate(const std::wstring& url) const {
    return Running() && PostHeapString(threadWindow_, kMsgNavigate, HeapString(url), 0);
}

void BrowserThreadLink::Stop() {
    // Messages sent to this thread while it waits run in the middle of the stop; a second stop lands here.
    if (!running_ || stopping_)
        return;
    stopping_ = true;
    RequestStop();
    if (!WaitForExit() && threadHandle_) {
        ::TerminateThread(threadHandle_.get(), 1);
        // Termination skips the thread-exit callbacks that drop the thread's engine tag. It completes
        // asynchronously; the tag goes once the thread can no longer run.
        constexpr DWORD kTerminateWaitMs = 1000;
        ::WaitForSingleObject(threadHandle_.get(), kTerminateWaitMs);
        ForgetThread(threadId_);
    }
    Forget();
}

void BrowserThreadLink::RequestStop() {
    if (!running_ || quitPosted_)
        return;
    quitPosted_ = true;
    ::PostMessageW(threadWindow_, kMsgThreadQuit, 0, 0);
}

bool BrowserThreadLink::EndedByItself() {
    if (!running_ || stopping_ || !threadHandle_ ||
        ::WaitForSingleObject(threadHandle_.get(), 0) != WAIT_OBJECT_0)
        return false; // a stop already dealt with it
    const bool asked = quitPosted_;
    ForgetThread(threadId_);
    Forget();
    return !asked;
}

void BrowserThreadLink::Forget() {
    StopWatching();
    exitEvent_.reset();
    threadHandle_.reset();
    threadId_ = 0;
    threadWindow_ = nullptr;
    running_ = false;
    stopping_ = false;
    quitPosted_ = false;
}

bool BrowserThreadLink::WaitForExit() const {
    // Posted messages and input wait, so the main window does not respond meanwhile. Messages the browser
    // thread sends to this thread are answered, though: a thread still creating its container sends to its
    // parent (child notifications, focus changes) and would otherwise sit out the whole time-out and be
    // terminated half-made.
    HANDLE event = exitEvent_.get();
    const ULONGLONG start = ::GetTickCount64();
    for (;;) {
        ULONGLONG elapsed = ::GetTickCount64() - start;
        DWORD left = elapsed >= kStopTimeoutMs ? 0 : static_cast<DWORD>(kStopTimeoutMs - elapsed);
        DWORD result = ::MsgWaitForMultipleObjectsEx(1, &event, left, QS_SENDMESSAGE, 0);
        if (result == WAIT_OBJECT_0)
            return true;
        if (result != WAIT_OBJECT_0 + 1)
            return false;
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

void BrowserThreadLink::StopWatching() {
    // Waits for a report being made, so none uses the handle after it is closed.
    if (watch_)
        ::UnregisterWaitEx(watch_, INVALID_HANDLE_VALUE);
    watch_ = nullptr;
}

void ReleaseBrowserStream(IStream* stream) {
    ::CoReleaseMarshalData(stream);
    stream->Release();
}

void DiscardBrowserReports(HWND window) {
    MSG msg;
    while (::PeekMessageW(&msg, window, kMsgTitleChange, kMsgNavigateError, PM_REMOVE)) {
        switch (msg.message) {
        case kMsgTitleChange:
        case kMsgStatusText:
        case kMsgNavigate:
        case kMsgNewWindow:
            AdoptHeapString(msg.wParam);
            break;
        case kMsgDocumentComplete:
            AdoptHeapString(msg.wParam);
            AdoptHeapString(static_cast<std::uintptr_t>(msg.lParam));
            break;
        case kMsgPagePicture: {
            const std::unique_ptr<PagePicture> picture(reinterpret_cast<PagePicture*>(msg.wParam));
            break;
        }
        case kMsgBrowserStream:
            if (auto* stream = reinterpret_cast<IStream*>(msg.wParam))
                ReleaseBrowserStream(stream);
            break;
        default:
            break;
        }
    }
}

} // namespace movalent
