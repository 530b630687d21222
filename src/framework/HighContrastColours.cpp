#include "framework/HighContrastColours.h"

#include <algorithm>
#include <cmath>

namespace movalent {

namespace {

constexpr double kLegibleRatio = 3.0;

double Linear(std::uint32_t channel) {
    const double value = static_cast<double>(channel & 0xFF) / 255.0;
    return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double Luminance(std::uint32_t colour) {
    return 0.2126 * Linear(colour) + 0.7152 * Linear(colour >> 8) + 0.0722 * Linear(colour >> 16);
}

// colour where it stands out from background, else the fallback.
std::uint32_t Legible(std::uint32_t colour, std::uint32_t background, std::uint32_t fallback) {
    return ContrastRatio(colour, background) >= kLegibleRatio ? colour : fallback;
}

} // namespace

double ContrastRatio(std::uint32_t first, std::uint32_t second) {
    const double a = Luminance(first), b = Luminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

RibbonColours RibbonColoursFromSystem(const SystemColours& system) {
    const std::uint32_t face = system.buttonFace, text = system.buttonText;
    const std::uint32_t edge = Legible(system.shadow, face, text);
    const std::uint32_t hot = Legible(system.hotLight, face, text);
    RibbonColours c;
    c.gradients = false;
    c.tabRowTop = c.tabRowBottom = face;
    c.tabText = c.buttonText = c.panelCaptionText = text;
    // The tab's fill is the first colour; the panel area under it (and the seam joining them) the second.
    c.activeTabTop = system.highlight;
    c.activeTabBottom = face;
    c.activeTabText = system.highlightText;
    c.hotTab = face;
    c.border = c.editBorder = edge;
    c.panelTop = c.panelBottom = c.panelCaption = face;
    c.disabledText = Legible(system.grayText, face, text);
    // Flat fills show only the first colour; the application button's rim shows the second under the mouse.
    c.hotTop = face;
    c.hotBottom = c.hotBorder = hot;
    c.pressedTop = c.pressedBottom = system.highlight;
    c.pressedBorder = edge;
    c.pressedText = system.highlightText;
    c.appButtonOuter = c.appButtonInner = face;
    return c;
}

} // namespace movalent
