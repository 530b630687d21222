#pragma once
// A page's source in a top-level window of its own, owned by the browser's window: the source as fetched and
// the generated source (the document as it stands) on two tabs, in a read-only edit control with line numbers
// beside it, a find bar above, and copying.
//
// The window lives on the thread that opened it, whose message loop it relies on; its keys (Tab, Ctrl+Tab,
// Ctrl+F, F3, Esc...) are taken from that loop by a message hook of the thread while any source window is
// open there, so the loop needs to know nothing about it.
#include "framework/Handles.h"

#include <windows.h>

#include <atomic>
#include <string>

namespace movalent::devtools {

// The window's words, for the caller to translate; "&" marks a control's access key.
struct SourceWindowTexts {
    std::wstring sourceTab = L"Source";
    std::wstring generatedTab = L"Generated source";
    std::wstring find = L"&Find:";
    std::wstring findPrevious = L"&Previous";
    std::wstring findNext = L"&Next";
    std::wstring copyAll = L"Copy &all";
    std::wstring notFound = L"Not found";
};

class SourceWindow {
public:
    static constexpr const wchar_t* kClassName = L"MovalentSourceWindow";
    // Control ids, for tests and automation from outside.
    static constexpr int kEditId = 100;       // the text (WM_GETTEXT)
    static constexpr int kTabsId = 101;       // TCM_SETCURSEL or TCM_SETCURFOCUS switch what the edit shows
    static constexpr int kFindEditId = 102;   //
    static constexpr int kFindStatusId = 106; // "not found", or empty
    enum Tab : int { kSourceTab = 0, kGeneratedTab = 1 };

    // Opens a window showing source (as fetched) and generated (as the document stands), shown and active.
    // Line ends need not be CR LF already. The object belongs to its window and goes with it; null when the
    // window could not be made.
    static SourceWindow* Open(HWND owner, const std::wstring& title, std::wstring source,
                              std::wstring generated, const SourceWindowTexts& texts = {});
    // For the module that holds this code, before it is unloaded with no source window left open.
    static void UnregisterWindowClasses();

    // Source windows open in the process, on any thread (the module stays loaded while there are any).
    static int OpenWindowCount();

    HWND Handle() const { return hwnd_; }
    Tab ShownTab() const { return static_cast<Tab>(shownTab_); }
    // The line number at the top of the gutter when it was last painted (1-based), 0 before it was painted.
    int GutterFirstLine() const { return gutterFirstLine_; }

    SourceWindow(const SourceWindow&) = delete;
    SourceWindow& operator=(const SourceWindow&) = delete;

private:
    struct Page {
        std::wstring text;   // with CR LF line ends
        std::wstring folded; // lower case, for finding; made on the first search
        bool foldedReady = false;
        DWORD selectionStart = 0;
        DWORD selectionEnd = 0;
        int firstLine = 0;
    };
    // The thread's message hook, held while a window of the thread is open.
    class KeyHookUse {
    public:
        KeyHookUse();
        ~KeyHookUse();
        KeyHookUse(const KeyHookUse&) = delete;
        KeyHookUse& operator=(const KeyHookUse&) = delete;
    };

    SourceWindow(std::wstring source, std::wstring generated, const SourceWindowTexts& texts);
    ~SourceWindow();

    static bool RegisterWindowClasses();
    static SourceWindow* FromHandle(HWND hwnd);
    static LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK GutterProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK EditProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK TabsProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool OnCreate();
    void OnCommand(int id, int code);
    void PlaceFirstTime(HWND owner);
    void ApplyDpi(UINT dpi);
    void Layout();
    int Scale(int value) const;
    int GutterWidth() const;
    void PaintGutter(HDC dc, const RECT& area);
    void FollowEditScrolling();
    void ShowTab(int index);
    void Find(bool forward);
    void FocusFind();
    void MoveFocus(HWND from, bool backwards);
    void CopyAll();
    // A key of the thread's loop aimed at this window; true when it was handled here (the window may then be
    // gone).
    bool TranslateKey(MSG& msg);

    HWND hwnd_ = nullptr;
    HWND findLabel_ = nullptr, findEdit_ = nullptr, previous_ = nullptr, next_ = nullptr, status_ = nullptr;
    HWND copyAll_ = nullptr, gutter_ = nullptr, edit_ = nullptr, tabControl_ = nullptr;
    WNDPROC editProc_ = nullptr, tabsProc_ = nullptr;
    HWND lastFocus_ = nullptr;
    bool* adopted_ = nullptr; // set by the window's first message: from then on the window owns the object

    Page pages_[2];
    int shownTab_ = -1;
    SourceWindowTexts texts_;

    UINT dpi_ = 96;
    UniqueGdiObject uiFont_, codeFont_;
    int uiTextHeight_ = 0, codeLineHeight_ = 0, digitWidth_ = 0;
    int findLabelWidth_ = 0, previousWidth_ = 0, nextWidth_ = 0, copyAllWidth_ = 0;
    int gutterTopLine_ = -1;  // the edit's first visible line the gutter was last asked to show
    int gutterFirstLine_ = 0; // what it showed at the top when painted, 1-based

    KeyHookUse keyHook_;

    static std::atomic<int> openWindows_;
};

} // namespace movalent::devtools
