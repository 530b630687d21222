#pragma once
// Where the browser container places its children: the address box above the page, and, while the
// developer-tools panel is shown, the panel column on the left with its title, close button and splitter.
#include "framework/DpiScale.h"

#include <optional>

namespace movalent {

struct LayoutRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const LayoutRect&) const = default;
};

struct ContainerLayoutInput {
    int width = 0;         // client width of the container
    int height = 0;        // client height
    int addressHeight = 0; // current height of the address box's window
    bool panelShown = false;
    int splitterPosition = 0; // the panel width the splitter asks for
    int dpi = kDesignDpi;     // the splitter and the panel's title strip are designed at 96 dots per inch
};

struct ContainerLayout {
    bool panelShown = false;
    int panelWidth = 0;
    // Only placed while the panel is shown.
    LayoutRect splitter;
    LayoutRect title;
    LayoutRect closeButton;
    LayoutRect panel;
    // Always placed.
    LayoutRect addressBox;
    LayoutRect browser;
};

inline constexpr int kSplitterWidth = 4;
inline constexpr int kPanelHeaderHeight = 20;
inline constexpr int kPageSliver = 20; // of the page beside a panel wider than the window

ContainerLayout LayoutContainer(const ContainerLayoutInput& input);

// The panel width a splitter drag to percent of the client width gives; nothing for a percent above 100.
std::optional<int> SplitterPositionFromPercent(int percent, int clientWidth);

} // namespace movalent
