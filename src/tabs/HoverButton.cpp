#include "tabs/HoverButton.h"

#include "tabs/ControlRules.h"

#include <algorithm>

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
    // On a denser display the button is larger than a frame: the frame is drawn in its middle, enlarged by a
    // whole factor only, so its pixels stay sharp.
    const int width = item.rcItem.right - item.rcItem.left, height = item.rcItem.bottom - item.rcItem.top;
    const int factor = frameWidth_ > 0 && frameHeight_ > 0
                           ? std::max(1, std::min(width / frameWidth_, height / frameHeight_))
                           : 1;
    const int drawnWidth = frameWidth_ * factor, drawnHeight = frameHeight_ * factor;
    if (drawnWidth < width || drawnHeight < height)
        ::FillRect(item.hDC, &item.rcItem, ::GetSysColorBrush(COLOR_3DFACE));
    ::StretchBlt(item.hDC, item.rcItem.left + (width - drawnWidth) / 2, item.rcItem.top + (height - drawnHeight) / 2,
                 drawnWidth, drawnHeight, memory.get(), x, 0, frameWidth_, frameHeight_, SRCCOPY);
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
