#pragma once
// A vertical bar (a static control of a CDialogFMX) that the user drags sideways; it reports each position to
// its dialog as a percentage, and the dialog decides where things go.
#include "framework/Handles.h"
#include "framework/Window.h"

namespace movalent {

class CVerticalSplitter : public Window {
public:
    CVerticalSplitter();

    bool Dragging() const { return dragging_; }
    int SplitterId() const { return splitterId_; }

    // Pixels from the owner's left edge; set and read by the owner.
    int position = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnDrag(POINT inSplitter);
    void EndDrag();

    bool dragging_ = false;
    int splitterId_ = 0;
    HCURSOR cursor_;
    UniqueGdiObject pen_;
};

} // namespace movalent
