#pragma once
// A window of the framework: an HWND with a C++ object behind it that receives its messages through the
// virtual WindowProc, and that takes part in command routing.
//
// The object is found from the handle through a window property, and only on the thread that owns the window:
// a browser thread's windows are children of the main thread's views, and neither thread may call into the
// other's objects.
#include "framework/CommandTarget.h"

#include <windows.h>

#include <string>

namespace movalent {


class Window : public CommandTarget {
public:
    Window();
    // A window still alive when its object goes is destroyed with it.
    ~Window() override;

    HWND Handle() const { return hwnd_; }
    // The object of a window of the calling thread, or null.
    static Window* FromHandle(HWND hwnd);

    // Registers a window class whose procedure is the framework's (once per process; later calls only look it
    // up).
    static bool RegisterWindowClass(const wchar_t* name, UINT style, HCURSOR cursor, HBRUSH background,
                                    HICON icon = nullptr, HICON smallIcon = nullptr);
    // The module whose resources and window classes the framework uses: the program file.
    static HINSTANCE ResourceInstance();

    // Creates the window. A class of the framework delivers every message from the first one on; any other
    // class (a system control) is subclassed right after creation.
    bool Create(DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style, const RECT& rect,
                HWND parent, UINT_PTR idOrMenu, void* createParam = nullptr);
    // Takes over an existing window of this thread (a dialog's control) until it is destroyed or
    // unsubclassed.
    bool Subclass(HWND hwnd);
    HWND Unsubclass();
    virtual bool DestroyWindow();

    // Offered every message of the thread's loop whose target lies at or below this window, before it is
    // translated and dispatched; true when the message was consumed.
    virtual bool PreTranslateMessage(MSG&) { return false; }

    // An owner-drawn control draws itself: its dialog hands WM_DRAWITEM back to it. True when it drew.
    virtual bool DrawItem(const DRAWITEMSTRUCT&) { return false; }

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    bool Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    std::wstring Text() const;
    void SetText(const std::wstring& text);
    RECT ClientRect() const;
    void MoveTo(const RECT& rect, bool repaint = true);

protected:
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The current message to the default processing (the class's or the subclassed control's).
    LRESULT Default();
    virtual LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);

    // WM_COMMAND. Menus, accelerators and buttons (codes 0 and 1) go through command routing; other
    // notifications go to OnControlNotify. True when handled.
    virtual bool OnCommandMessage(WPARAM wParam, LPARAM lParam);
    virtual bool OnControlNotify(int id, int code, HWND control);

    // After WM_DESTROY went through WindowProc, while the child windows still exist.
    virtual void OnDestroyed() {}
    // The window is gone; classes whose objects live only as long as their window delete themselves here.
    virtual void PostNcDestroy() {}

    static LRESULT CALLBACK StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Makes the next window created on this thread attach to this object at its first message.
    void ExpectCreation();
    // The object waiting for its window, taken off the thread (null when none waits).
    static Window* TakeExpectedCreation();
    // Forgets a creation that did not happen.
    void CancelExpectedCreation();
    void Attach(HWND hwnd);
    void Detach();
    // Runs WindowProc; destroyedOut (optional) tells whether the object was deleted meanwhile.
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam, bool* destroyedOut = nullptr);

private:
    struct CurrentMessage {
        UINT message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
    };

    HWND hwnd_ = nullptr;
    WNDPROC superProc_ = nullptr;
    CurrentMessage current_;
    bool* destroyedFlag_ = nullptr; // set while a message is being handled
};

} // namespace movalent
