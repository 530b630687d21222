#pragma once
// The texts the page zoom writes into a document: style values and the markup of the element that wraps a
// body's content. The zoom lives inside the page, so engines without a zoom of their own show it too.
#include <string>
#include <string_view>

namespace movalent {

// The id (and name) of the DIV that holds a zoomed body's former content.
inline constexpr std::wstring_view kZoomWrapperId = L"__om__fennimox__zoom__";
// The engine's tag identifier for DIV.
inline constexpr long kDivTagId = 30;

// A percentage that can be applied: anything above 0. The view sends 10 to 999; 0 would divide by zero in
// a frame's counter-zoom and negative ones mean nothing.
bool IsUsableZoom(int percent);

// "150%" for 150.
std::wstring ZoomStyleValue(int percent);

// The runtime zoom of a frame's body, which undoes the zoom the frame's own wrapper gets, so that a frame
// does not grow twice (once with its parent, once by itself): 10000 / percent, rounded down, "66%" for 150.
// Only for usable percentages.
std::wstring FrameCounterZoomValue(int percent);

// The attribute text of a new wrapper at this percentage.
std::wstring ZoomWrapperAttributes(int percent);

} // namespace movalent
