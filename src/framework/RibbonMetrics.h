#pragma once
// The ribbon's measures in pixels for a display's pixel density: designed at 96 dots per inch and scaled
// from there, pictures taking the nearest size they are drawn at.
#include "framework/DpiScale.h"

namespace movalent::ribbon {

struct Metrics {
    int dpi = kDesignDpi;
    int tabRowHeight = 28;
    int tabHeight = 23;
    int tabPadding = 10;      // on each side of a tab's name
    int panelAreaHeight = 96; // below the tab row while the elements show
    int panelCaption = 17;    // the strip with the panel's name
    int panelMargin = 3;      // between the panel area's edge and the panels, and between panels
    int largeButtonMin = 42;
    int largeImage = 32;
    int smallImage = 16;
    int buttonPadding = 4;
    int arrowPartTop = 40; // a large split button's arrow part starts this far down
    int arrowRoom = 10;    // what a drop-down arrow adds to a label
    int collapsedPanelWidth = 62;
    int appButtonLeft = 3;
    int appButtonColumn = 52; // left of the tab row and the panels
    int quickAccessSize = 22;
    int tabRowElementHeight = 22;
    int comboArrowWidth = 15;
    int minimizedAppButton = 24;

    // Any other distance of the ribbon's drawing, designed at 96 dots per inch.
    constexpr int Px(int designPixels) const { return ScaleForDpi(designPixels, dpi); }
};

constexpr Metrics MetricsForDpi(int dpi) {
    const Metrics design;
    Metrics m;
    m.dpi = dpi;
    auto scale = [dpi](int value) { return ScaleForDpi(value, dpi); };
    m.tabRowHeight = scale(design.tabRowHeight);
    m.tabHeight = scale(design.tabHeight);
    m.tabPadding = scale(design.tabPadding);
    m.panelAreaHeight = scale(design.panelAreaHeight);
    m.panelCaption = scale(design.panelCaption);
    m.panelMargin = scale(design.panelMargin);
    m.largeButtonMin = scale(design.largeButtonMin);
    m.largeImage = ImageSideForDpi(design.largeImage, dpi);
    m.smallImage = ImageSideForDpi(design.smallImage, dpi);
    m.buttonPadding = scale(design.buttonPadding);
    m.arrowPartTop = scale(design.arrowPartTop);
    m.arrowRoom = scale(design.arrowRoom);
    m.collapsedPanelWidth = scale(design.collapsedPanelWidth);
    m.appButtonLeft = scale(design.appButtonLeft);
    m.appButtonColumn = scale(design.appButtonColumn);
    m.quickAccessSize = scale(design.quickAccessSize);
    m.tabRowElementHeight = scale(design.tabRowElementHeight);
    m.comboArrowWidth = scale(design.comboArrowWidth);
    m.minimizedAppButton = scale(design.minimizedAppButton);
    return m;
}

} // namespace movalent::ribbon
