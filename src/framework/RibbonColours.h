#pragma once
// The colours a ribbon draws with (0x00BBGGRR values), chosen by the program's visual style.
#include <cstdint>
#include <optional>

namespace movalent {

struct RibbonColours {
    std::uint32_t tabRowTop = 0xF0E4DB; // the tab row, a vertical gradient
    std::uint32_t tabRowBottom = 0xE8D8C9;
    std::uint32_t tabText = 0x5E3515;
    std::uint32_t activeTabTop = 0xFFFAF5; // the selected tab and the panel area below it
    std::uint32_t activeTabBottom = 0xFBEFE4;
    std::uint32_t activeTabText = 0x5E3515;
    std::uint32_t hotTab = 0xFAEEE3;
    std::uint32_t border = 0xD3B799; // around the panel area, the panels and the tabs
    std::uint32_t panelTop = 0xFCF3EA;
    std::uint32_t panelBottom = 0xF3E1CF;
    std::uint32_t panelCaption = 0xEBD2C2; // the strip with the panel's name
    std::uint32_t panelCaptionText = 0x6B4A3E;
    std::uint32_t buttonText = 0x4C2A15;
    std::uint32_t disabledText = 0x9C8D83;
    std::uint32_t hotTop = 0xDCF6FF; // a button under the mouse
    std::uint32_t hotBottom = 0x8CE1FF;
    std::uint32_t hotBorder = 0x7AC1DB;
    std::uint32_t pressedTop = 0x87C3FC; // a pressed or checked button
    std::uint32_t pressedBottom = 0x4DA5F9;
    std::uint32_t pressedBorder = 0x2A8FC2;
    // Labels on a pressed or checked face; unset, they keep the colour they have beside it.
    std::optional<std::uint32_t> pressedText;
    std::uint32_t appButtonOuter = 0x2B248E; // the application button's disc
    std::uint32_t appButtonInner = 0x5B54C8;
    std::uint32_t editBorder = 0xC9A889;
    bool gradients = true; // flat looks draw every gradient in its first colour

    bool operator==(const RibbonColours&) const = default;
};

} // namespace movalent
