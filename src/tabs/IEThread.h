#pragma once
// The browser thread of one tab. It tags itself with the tab's engine version before anything else runs on
// it, so every engine module, class and registry value the browser asks for here is that version's; then it
// owns the tab's container dialog, a child of the tab's view (which lives on the main thread), and runs its
// messages.
//
// The view talks to it only by messages posted to the thread's message window (quit, size, command,
// navigate, zoom). The object
// deletes itself when the thread ends, and signals the exit event from its destructor.
#include "engine/IeVersion.h"
#include "framework/UiThread.h"
#include "tabs/DialogWBContainer.h"

#include <windows.h>

#include <string>

namespace movalent {

class TabHost;

class CIEThread : public UiThread {
public:
    // exitEvent belongs to the view; the thread only signals it.
    CIEThread(HWND parentWindow, TabHost& host, IEVERSION version, const std::wstring& startUrl, HANDLE exitEvent);
    ~CIEThread() override;

    bool InitInstance() override;
    int ExitInstance() override;
    // Keys go to accelerator table 129 first, against the window the framework reports as this thread's main
    // window (the thread has none of its own, so the application's).
    bool PreTranslateMessage(MSG& msg) override;

    // For tests on the thread itself.
    CDialogWBContainer& Container() { return container_; }
    IEVERSION Version() const { return version_; }

private:
    void RegisterThreadMessages();
    void Quit();
    // Navigation strings still queued when the thread ends would be lost with the queue.
    static void FreeQueuedStrings();

    HWND parentWindow_;
    TabHost& host_;
    CDialogWBContainer container_;
    IEVERSION version_;
    std::wstring startUrl_;
    HANDLE exitEvent_; // the starter's, set when the thread leaves; not owned
    bool oleInitialized_ = false;
};

} // namespace movalent
