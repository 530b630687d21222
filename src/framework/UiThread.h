#pragma once
// A thread with a message loop of its own: the application's main thread, and the browser thread of every
// tab.
//
// Life of a started thread: InitInstance; when it succeeds, the message loop until WM_QUIT; ExitInstance in
// every case; then the object deletes itself when auto-delete is on (the default), so its owner must not
// touch it once the thread may have ended. Thread messages (posted with no window) go to the handlers
// registered with OnThreadMessage; every other message is first offered to PreTranslateMessage.
#include "framework/CommandTarget.h"
#include "framework/Handles.h"

#include <windows.h>

#include <functional>
#include <map>

namespace movalent {

class Window;

class UiThread : public CommandTarget {
public:
    UiThread();
    ~UiThread() override;

    // What the starter may keep of a thread: the object may end and delete itself at any moment after the
    // start.
    struct Identity {
        DWORD id = 0;
        UniqueHandle handle; // a handle of the starter's own
    };

    // Starts the thread and returns once its message queue exists, so thread messages posted right after the
    // call are never lost. False when the thread cannot be created (the object is then not deleted).
    // identity, when given, is filled before the thread runs.
    bool CreateThread(SECURITY_ATTRIBUTES* security = nullptr, unsigned stackSize = 0,
                      Identity* identity = nullptr);

    DWORD ThreadId() const { return threadId_; }
    HANDLE ThreadHandle() const { return threadHandle_.get(); }
    bool PostThreadMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    // The thread object of the calling thread, or null for a thread the framework did not start.
    static UiThread* Current();

    // The thread's own main window when it has one; otherwise the application's, which is what keyboard
    // translation on a thread without windows of its own works against.
    HWND MainWindowHandle() const;
    Window* MainWindow() const { return mainWindow_; }
    void SetMainWindow(Window* window) { mainWindow_ = window; }

    void SetAutoDelete(bool on) { autoDelete_ = on; }
    bool AutoDelete() const { return autoDelete_; }

    virtual bool InitInstance() { return true; }
    virtual int ExitInstance() { return exitCode_; }
    // The message loop, with idle processing; returns ExitInstance's result once WM_QUIT arrives.
    virtual int Run();
    // Thread messages first, then the windows from the message's target up to the main window.
    virtual bool PreTranslateMessage(MSG& msg);
    // Called while the queue is empty, with a count that restarts after each input message; return true to be
    // called again before waiting.
    virtual bool OnIdle(long count);

protected:
    using ThreadMessageHandler = std::function<void(WPARAM wParam, LPARAM lParam)>;
    void OnThreadMessage(UINT message, ThreadMessageHandler handler);

    // For the application object, whose thread is the one that constructs it.
    void BindToCurrentThread();

    int exitCode_ = 0;

private:
    static unsigned __stdcall ThreadEntry(void* param);
    bool PumpMessage();
    bool DispatchThreadMessage(const MSG& msg);
    static bool WalkPreTranslateTree(HWND stop, MSG& msg);

    DWORD threadId_ = 0;
    UniqueHandle threadHandle_;
    HANDLE queueReady_ = nullptr; // owned by CreateThread while it waits
    Window* mainWindow_ = nullptr;
    bool autoDelete_ = true;
    MSG currentMessage_ = {};
    std::map<UINT, ThreadMessageHandler> threadMessages_;
};

} // namespace movalent
