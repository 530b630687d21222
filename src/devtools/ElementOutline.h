#pragma once
// A frame drawn around an element of the page, in four thin windows of its own above the page: the page's
// styles are never touched, so nothing of the page changes when the selection moves or the panel closes.
#include <windows.h>

#include <array>

namespace movalent::devtools {

class ElementOutline {
public:
    ElementOutline() = default;
    ElementOutline(const ElementOutline&) = delete;
    ElementOutline& operator=(const ElementOutline&) = delete;
    ~ElementOutline() { Destroy(); }

    // rect: in the client coordinates of page; the frame is clipped to the page's visible client area.
    void Show(HWND page, const RECT& rect);
    void Hide();
    void Destroy();
    static void UnregisterWindowClass();

private:
    bool Create(HWND owner);
    std::array<HWND, 4> edges_ = {};
};

} // namespace movalent::devtools
