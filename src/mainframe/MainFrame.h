#pragma once
// The application's main window.
#include <windows.h>

namespace movalent {

class CMainFrame {
public:
    CMainFrame() = default;
    ~CMainFrame();
    CMainFrame(const CMainFrame&) = delete;
    CMainFrame& operator=(const CMainFrame&) = delete;

    // Creates the window; false when the window class or the window cannot be made.
    bool LoadFrame(HINSTANCE instance);
    void Show(int showCommand);
    HWND GetSafeHwnd() const { return hwnd_; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnDestroy();

    HWND hwnd_ = nullptr;
};

} // namespace movalent
