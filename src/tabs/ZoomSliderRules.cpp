#include "tabs/ZoomSliderRules.h"

#include <algorithm>

namespace movalent {

int ZoomFromSlider(int position) {
    int zoom;
    if (position < kZoomSliderMiddle)
        zoom = static_cast<int>(position / 100.0 * 90 + 10);
    else if (position == kZoomSliderMiddle)
        zoom = 100;
    else
        zoom = 9 * position - 800;
    return zoom >= 1000 ? 999 : zoom;
}

int SliderFromZoom(int zoom) {
    if (zoom < 100)
        return (zoom - 10) * 100 / 90;
    if (zoom == 100)
        return kZoomSliderMiddle;
    return (zoom - 100) / 9 + 100;
}

int ZoomInPosition(int position) {
    return std::min(position + kZoomSliderStep, kZoomSliderMax);
}

int ZoomOutPosition(int position) {
    return std::max(position - kZoomSliderStep, 0);
}

std::wstring ZoomPaneText(int percent) {
    return std::to_wstring(percent) + L'%';
}

bool IsBusyProgress(int progress, int maximum) {
    return progress != maximum && progress != -1;
}

} // namespace movalent
