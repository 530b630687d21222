#pragma once
// The ribbon's measures in pixels.

namespace movalent::ribbon {

inline constexpr int kTabRowHeight = 28;
inline constexpr int kTabHeight = 23;
inline constexpr int kTabPadding = 10;      // on each side of a tab's name
inline constexpr int kPanelAreaHeight = 96; // below the tab row while the elements show
inline constexpr int kPanelCaption = 17;    // the strip with the panel's name
inline constexpr int kPanelMargin = 3; // between the panel area's edge and the panels, and between panels
inline constexpr int kLargeButtonMin = 42;
inline constexpr int kLargeImage = 32;
inline constexpr int kSmallImage = 16;
inline constexpr int kButtonPadding = 4;
inline constexpr int kArrowPartTop = 40; // a large split button's arrow part starts this far down
inline constexpr int kCollapsedPanelWidth = 62;
inline constexpr int kAppButtonLeft = 3;
inline constexpr int kAppButtonColumn = 52; // left of the tab row and the panels
inline constexpr int kQuickAccessSize = 22;
inline constexpr int kTabRowElementHeight = 22;
inline constexpr int kComboArrowWidth = 15;
inline constexpr int kMinimizedAppButton = 24;

} // namespace movalent::ribbon
