#pragma once
// The tab's zoom as the main window's zoom slider shows it, and the download state a progress report gives.
//
// The slider runs from 0 to 200 with 100 (no zoom) in the middle; the left half spans 10 % to 100 %, the
// right half 100 % to 999 %.
#include <string>

namespace movalent {

inline constexpr int kZoomSliderMax = 200;
inline constexpr int kZoomSliderMiddle = 100;
inline constexpr int kZoomSliderStep = 15;

int ZoomFromSlider(int position);
int SliderFromZoom(int zoom);
// The slider position after zoom in or zoom out, within the slider's ends (zoom in from 10 % goes up a step).
int ZoomInPosition(int position);
int ZoomOutPosition(int position);
// The zoom pane's text for a percentage: "55%".
std::wstring ZoomPaneText(int percent);

// A page is downloading unless progress reached its maximum or is -1.
bool IsBusyProgress(int progress, int maximum);

} // namespace movalent
