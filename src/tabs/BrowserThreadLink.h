#pragma once
// The main thread's end of one browser thread: starting it as the child of a window, posting to it, and
// stopping it. A stop waits at most kStopTimeoutMs for the thread to end and then terminates it; the window
// gets kMsgBrowserThreadEnded whenever the thread ends, and asks EndedByItself whether that was a stop.
#include "engine/IeVersion.h"
#include "framework/Handles.h"

#include <windows.h>

#include <string>

namespace movalent {

class TabHost;

class BrowserThreadLink {
public:
    static constexpr DWORD kStopTimeoutMs = 10000;

    BrowserThreadLink() = default;
    BrowserThreadLink(const BrowserThreadLink&) = delete;
    BrowserThreadLink& operator=(const BrowserThreadLink&) = delete;
    ~BrowserThreadLink() { Stop(); }

    // Starts a browser thread of the version whose container is a child of window and reports to it; false
    // when the thread could not be made.
    bool Start(HWND window, TabHost& host, IEVERSION version, const std::wstring& startUrl);
    void Stop();
    // Asks the thread to end without waiting for it; Stop still waits, and cuts it off when it does not end.
    void RequestStop();
    // To the thread's message window; false when the thread is not there to take it.
    bool Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    // A navigation; the string is freed here when the thread cannot take it.
    bool Navigate(const std::wstring& url) const;

    bool Running() const { return running_ && !stopping_ && !quitPosted_; }
    // The thread's id while it runs; 0 before the start, after the stop, and when it could not start.
    DWORD ThreadId() const { return threadId_; }

    // On kMsgBrowserThreadEnded: once the thread has ended the link lets go of it, so nothing is posted to
    // its id any more; true when it ended while still counted on (not asked to stop).
    bool EndedByItself();

private:
    // Waits at most kStopTimeoutMs for the exit event; true when it came.
    bool WaitForExit() const;
    void StopWatching();
    void Forget();

    UniqueHandle exitEvent_;
    UniqueHandle threadHandle_; // a handle of our own, valid whether or not the thread object is gone
    DWORD threadId_ = 0;
    HWND threadWindow_ = nullptr; // the thread's message window
    bool running_ = false;
    bool stopping_ = false;
    bool quitPosted_ = false;
    HANDLE watch_ = nullptr; // the wait that reports the thread's end
};

// Lets go of a marshalled browser stream nobody will unmarshal.
void ReleaseBrowserStream(IStream* stream);
// Reports a browser thread posted to a window that no longer wants them: their strings and streams are freed.
void DiscardBrowserReports(HWND window);

} // namespace movalent
