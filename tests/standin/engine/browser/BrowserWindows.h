#pragma once
// The control's windows: the page it draws in, a child of the host's window, and a message-only window that
// carries its navigation steps. Both belong to one window class of this copy, registered while a control of
// the copy lives (a copy unloaded with its class still registered would leave a dangling window procedure).
#include "standin/engine/page/PageReport.h"

#include <windows.h>

#include <vector>

namespace movalent::standin {

class WindowOwner {
public:
    virtual LRESULT OnWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;

protected:
    ~WindowOwner() = default;
};

// Keeps the class registered for as long as it lives.
class BrowserWindowClass {
public:
    BrowserWindowClass();
    BrowserWindowClass(const BrowserWindowClass&) = delete;
    BrowserWindowClass& operator=(const BrowserWindowClass&) = delete;
    ~BrowserWindowClass();
};

// The owner gets every message from WM_NCCREATE on, WM_NCDESTROY last; null on failure.
HWND CreatePageWindow(WindowOwner& owner, HWND parent, const RECT& position);
HWND CreateStepsWindow(WindowOwner& owner);

// Draws the page's lines top to bottom into the rectangle, with the text size level (0 to 4) of the page.
void PaintPage(HDC dc, const RECT& area, const std::vector<PageLine>& lines, int textSize);
// The height in pixels PaintPage needs to draw all the lines into a rectangle this wide, margins included.
int MeasurePage(HDC dc, int width, const std::vector<PageLine>& lines, int textSize);

} // namespace movalent::standin
