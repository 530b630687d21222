#pragma once
// A thread with a message loop of its own: the application's main thread, and the browser thread of every
// tab.
//
// Life of a started thread: InitInstance; when it succeeds, the message loop until WM_QUIT; ExitInstance in
// every case; then the object deletes itself when auto-delete is on (the default), so its owner must not
// touch it once the thread may have ended. Thread messages go to the handlers registered with
// OnThreadMessage; every other message is first offered to PreTranslateMessage.
//
// A started thread has a message-only window for its thread messages: a modal loop on the thread (a message
// box, a dialog, a print box) dispatches window messages but drops those posted to the thread itself. What
// arrives through a modal loop waits until the thread's own loop is back, unless its handler is urgent.
#include "framework/CommandTarget.h"
#include "framework/Handles.h"

#include <windows.h>

#include <functional>
#include <map>
#include <vector>

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
        HWND window = nullptr; // the message window; posts to it fail once the thread is ending
    };

    // Starts the thread and returns once its message queue exists, so thread messages posted right after the
    // call are never lost. False when the thread cannot be created (the object is then not deleted).
    // identity, when given, is filled before the thread runs.
    bool CreateThread(SECURITY_ATTRIBUTES* security = nullptr, unsigned stackSize = 0,
                      Identity* identity = nullptr);

    DWORD ThreadId() const { return threadId_; }
    HANDLE ThreadHandle() const { return threadHandle_.get(); }
    HWND MessageWindow() const { return messageWindow_; }
    // To the message window when the thread has one, otherwise to the thread.
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
    // An urgent handler also runs inside a modal loop; InModalLoop tells it so.
    void OnThreadMessage(UINT message, ThreadMessageHandler handler, bool urgent = false);
    bool InModalLoop() const { return inModalLoop_; }

    // For the application object, whose thread is the one that constructs it.
    void BindToCurrentThread();

    int exitCode_ = 0;

private:
    struct StartSignal {
        HANDLE ready = nullptr;
        HWND window = nullptr;
    };
    struct Handler {
        ThreadMessageHandler run;
        bool urgent = false;
    };

    static unsigned __stdcall ThreadEntry(void* param);
    bool PumpMessage();
    bool DispatchThreadMessage(const MSG& msg);
    static bool WalkPreTranslateTree(HWND stop, MSG& msg);

    void CreateMessageWindow();
    // Messages still queued for the window, and those deferred, go back to the thread's queue as thread
    // messages, so ExitInstance finds every message that was not handled.
    void CloseMessageWindow();
    static LRESULT CALLBACK MessageWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnModalLoopMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void RunDeferredMessages();

    DWORD threadId_ = 0;
    UniqueHandle threadHandle_;
    StartSignal* start_ = nullptr; // CreateThread's, while it waits
    HWND messageWindow_ = nullptr;
    bool inModalLoop_ = false;
    std::vector<MSG> deferred_;
    Window* mainWindow_ = nullptr;
    bool autoDelete_ = true;
    MSG currentMessage_ = {};
    std::map<UINT, Handler> threadMessages_;
};

} // namespace movalent
