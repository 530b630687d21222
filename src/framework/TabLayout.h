#pragma once
// How wide each tab of a tab row is drawn, and the row's measures.
#include "framework/DpiScale.h"

#include <vector>

namespace movalent {

// A tab row's measures in pixels for a display's pixel density, designed at 96 dots per inch.
struct TabRowMetrics {
    int dpi = kDesignDpi;
    int padding = 6; // around a tab's content
    int iconSize = 16;
    int iconGap = 4;
    int closeSize = 14;
    int menuButtonWidth = 20;
    int minTabWidth = 40;
    int topMargin = 2;

    // Any other distance of the row's drawing.
    constexpr int Px(int designPixels) const { return ScaleForDpi(designPixels, dpi); }
};

constexpr TabRowMetrics TabRowMetricsForDpi(int dpi) {
    const TabRowMetrics design;
    TabRowMetrics m;
    m.dpi = dpi;
    m.padding = m.Px(design.padding);
    m.iconSize = ImageSideForDpi(design.iconSize, dpi);
    m.iconGap = m.Px(design.iconGap);
    m.closeSize = m.Px(design.closeSize);
    m.menuButtonWidth = m.Px(design.menuButtonWidth);
    m.minTabWidth = m.Px(design.minTabWidth);
    m.topMargin = m.Px(design.topMargin);
    return m;
}

// Each tab gets its natural width, at most maxWidth (0: no limit) and at least minWidth. When the tabs do not fit
// the available width, the widest shrink first, all to one common width, never below minWidth; a row that does
// not fit even then keeps the minimum widths and overflows on the right.
std::vector<int> FitTabWidths(const std::vector<int>& natural, int available, int maxWidth, int minWidth);

} // namespace movalent
