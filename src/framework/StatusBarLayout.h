#pragma once
// Where a status bar's elements go, and what its configuration menu lists.
//
// A status bar has ordinary elements, placed from the left edge, and extended elements, placed against the
// right edge in their order. While the bar shows an information text, the text takes the whole room left of
// the extended elements and the ordinary elements are hidden.
#include "framework/DpiScale.h"

#include <cstddef>
#include <string>
#include <vector>

namespace movalent {

struct StatusBarSlot {
    int width = 0;
    bool visible = true;
    // Takes whatever room the other ordinary elements leave (ordinary elements only).
    bool stretch = false;
};

// A horizontal span of the bar; an element without room has an empty span and is not shown.
struct StatusBarSpan {
    int left = 0;
    int right = 0;
    bool Empty() const { return right <= left; }
};

struct StatusBarPlacement {
    std::vector<StatusBarSpan> ordinary;
    std::vector<StatusBarSpan> extended;
    // The room left of the extended elements, where an information text is drawn.
    StatusBarSpan mainArea;
};

// The bar's measures in pixels for a display's pixel density, designed at 96 dots per inch.
struct StatusBarMetrics {
    int margin = 2;          // at both ends of the bar
    int gap = 4;             // between two elements
    int verticalPadding = 3; // above and below the elements
    int minimumHeight = 26;  // room for a 22-pixel progress bar or slider
    int textPadding = 4;     // beside the information text
    int dpi = kDesignDpi;

    constexpr int Px(int designPixels) const { return ScaleForDpi(designPixels, dpi); }
};

constexpr StatusBarMetrics StatusBarMetricsForDpi(int dpi) {
    const StatusBarMetrics design;
    StatusBarMetrics m;
    m.dpi = dpi;
    m.margin = m.Px(design.margin);
    m.gap = m.Px(design.gap);
    m.verticalPadding = m.Px(design.verticalPadding);
    m.minimumHeight = m.Px(design.minimumHeight);
    m.textPadding = m.Px(design.textPadding);
    return m;
}

StatusBarPlacement LayOutStatusBar(int barWidth, const std::vector<StatusBarSlot>& ordinary,
                                   const std::vector<StatusBarSlot>& extended, bool informationShown,
                                   const StatusBarMetrics& metrics = {});

// One line of the configuration menu.
struct StatusBarMenuEntry {
    enum class Kind { Title, Separator, Element };
    Kind kind = Kind::Element;
    bool extended = false; // Element: which list index refers to
    std::size_t index = 0;

    bool operator==(const StatusBarMenuEntry&) const = default;
};

// The menu's lines: the title, one line per ordinary element (separators stay separators), a separator when
// ordinary lines were added and extended elements follow, then one line per extended element.
std::vector<StatusBarMenuEntry> StatusBarMenuEntries(const std::vector<bool>& ordinaryIsSeparator,
                                                     const std::vector<bool>& extendedIsSeparator);

// The element's current text as the menu shows it: texts longer than 50 characters keep their first 49.
std::wstring StatusBarMenuValue(const std::wstring& text);
// A menu item's text: the label, and after a tab the element's text (cut as above); ampersands are literal.
std::wstring StatusBarMenuItemText(const std::wstring& label, const std::wstring& text);

} // namespace movalent
