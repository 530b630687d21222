#include "tabs/VerticalSplitter.h"

#include "tabs/ControlRules.h"
#include "tabs/DialogFMX.h"

#include <windowsx.h>

namespace movalent {

CVerticalSplitter::CVerticalSplitter()
    : cursor_(::LoadCursorW(nullptr, IDC_SIZEWE)), pen_(::CreatePen(PS_SOLID, 4, RGB(0, 0, 0))) {}

void CVerticalSplitter::OnDrag(POINT inSplitter) {
    HWND parent = ::GetParent(Handle());
    auto* owner = dynamic_cast<CDialogFMX*>(Window::FromHandle(parent));
    if (!owner)
        return;
    RECT rect = {};
    RECT bounds = {};
    owner->GetSplitterBounds(splitterId_, rect, bounds);
    POINT point = inSplitter;
    ::MapWindowPoints(Handle(), parent, &point, 1);
    owner->SetSplitterPercent(splitterId_, SplitterDragPercent(point.x, rect.left, rect.right - rect.left,
                                                               bounds.left, bounds.right));
}

void CVerticalSplitter::EndDrag() {
    if (!dragging_)
        return;
    dragging_ = false;
    ::ReleaseCapture();
}

LRESULT CVerticalSplitter::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDOWN:
        ::SetCapture(Handle());
        dragging_ = true;
        return 0;
    case WM_MOUSEMOVE:
        if (dragging_)
            OnDrag({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_LBUTTONUP:
        EndDrag();
        return 0;
    case WM_CAPTURECHANGED:
        // Releasing the capture ourselves brings this message too; the flag is already clear then.
        if (dragging_) {
            dragging_ = false;
            if (reinterpret_cast<HWND>(lParam) != Handle() && ::GetCapture() == Handle())
                ::ReleaseCapture();
        }
        return 0;
    case WM_SETCURSOR:
        ::SetCursor(cursor_);
        return TRUE;
    default:
        return Window::WindowProc(message, wParam, lParam);
    }
}

} // namespace movalent
