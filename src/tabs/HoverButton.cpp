#include "tabs/HoverButton.h"

#include "tabs/ControlRules.h"

namespace movalent {

bool CHoverButton::LoadBitmap(UINT resourceId) {
    HANDLE image = ::LoadImageW(ResourceInstance(), MAKEINTRESOURCEW(resourceId), IMAGE_BITMAP, 0, 0,
                                LR_LOADMAP3DCOLORS);
    if (!image)
        return false;
    bitmap_.reset(image);
    BITMAP info = {};
    ::GetObjectW(image, sizeof(info), &info);
    frameWidth_ = HoverButtonFrameWidth(info.bmWidth);
    frameHeight_ = info.bmHeight;
    if (Handle())
        ::SetWindowPos(Handle(), nullptr, 0, 0, frameWidth_, frameHeight_,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

bool CHoverButton::DrawItem(const DRAWITEMSTRUCT& item) {
    if (!bitmap_)
        return false;
    UniqueMemoryDc memory(::CreateCompatibleDC(item.hDC));
    if (!memory)
        return false;
    ScopedSelection frames(memory.get(), bitmap_.get());
    int x = HoverButtonFrameX(frameWidth_, (item.itemState & ODS_SELECTED) != 0, hovered_);
    ::BitBlt(item.hDC, item.rcItem.left, item.rcItem.top, frameWidth_, frameHeight_, memory.get(), x, 0, SRCCOPY);
    return true;
}

LRESULT CHoverButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEMOVE:
        if (!tracking_) {
            TRACKMOUSEEVENT track = {sizeof(track), TME_HOVER | TME_LEAVE, Handle(), HOVER_DEFAULT};
            tracking_ = ::TrackMouseEvent(&track) != FALSE;
        }
        break;
    case WM_MOUSEHOVER:
        hovered_ = true;
        ::InvalidateRect(Handle(), nullptr, FALSE);
        break;
    case WM_MOUSELEAVE:
        hovered_ = false;
        tracking_ = false;
        ::InvalidateRect(Handle(), nullptr, FALSE);
        break;
    default:
        break;
    }
    return Window::WindowProc(message, wParam, lParam);
}

} // namespace movalent
