#pragma once
// What a tab view needs of the main window's zoom slider (element 325) and the zoom percentage pane beside it
// (element 323). A main frame that has them implements this; a frame without them leaves tab zoom alone.
#include <string>

namespace movalent {

class ZoomSliderHost {
public:
    virtual ~ZoomSliderHost() = default;
    // False when the frame has no slider right now.
    virtual bool HasZoomSlider() const = 0;
    virtual int ZoomSliderPosition() const = 0;
    virtual void SetZoomSliderPosition(int position, bool redraw) = 0;
    // Sets the text of the percentage pane and redraws it.
    virtual void SetZoomPaneText(const std::wstring& text) = 0;
};

} // namespace movalent
