#pragma once
// The ribbon's colours while the user has high contrast on: the user's system colours replace the visual
// style's, every fill is flat, and each mark keeps the text colour that goes with the fill under it.
#include "framework/RibbonColours.h"

#include <cstdint>

namespace movalent {

// The system colours the ribbon draws with under high contrast (0x00BBGGRR values).
struct SystemColours {
    std::uint32_t buttonFace = 0;
    std::uint32_t buttonText = 0;
    std::uint32_t highlight = 0;
    std::uint32_t highlightText = 0;
    std::uint32_t grayText = 0;
    std::uint32_t hotLight = 0;
    std::uint32_t shadow = 0; // the darker 3-D edge
};

// Hot elements are outlined in the hot-tracking colour; the selected tab, and pressed or checked buttons,
// take the selection colours. Edges, dimmed text and the outline that would vanish into the button face
// (a ratio of relative luminance below 3:1) take the button text colour instead.
RibbonColours RibbonColoursFromSystem(const SystemColours& system);

// The WCAG contrast ratio of two colours, 1 (equal) to 21 (black and white).
double ContrastRatio(std::uint32_t first, std::uint32_t second);

} // namespace movalent
