#pragma once
// An owner-drawn button that shows one of three frames of a bitmap: normal, pushed, or hovered by the mouse.
#include "framework/Handles.h"
#include "framework/Window.h"

namespace movalent {

class CHoverButton : public Window {
public:
    // Loads the bitmap (3-D colours mapped) and sizes the button to one frame without moving it.
    bool LoadBitmap(UINT resourceId);

    int FrameWidth() const { return frameWidth_; }
    int FrameHeight() const { return frameHeight_; }
    bool Hovered() const { return hovered_; }

    bool DrawItem(const DRAWITEMSTRUCT& item) override;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    UniqueGdiObject bitmap_;
    int frameWidth_ = 0;
    int frameHeight_ = 0;
    bool hovered_ = false;
    bool tracking_ = false;
};

} // namespace movalent
