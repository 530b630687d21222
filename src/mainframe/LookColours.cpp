#include "mainframe/LookColours.h"

namespace movalent {

namespace {

constexpr std::uint32_t Rgb(unsigned r, unsigned g, unsigned b) {
    return r | (g << 8) | (b << 16);
}

// The warm highlight every Office look shares for buttons under the mouse and pressed.
void OfficeHighlight(RibbonColours& c) {
    c.hotTop = Rgb(255, 246, 204);
    c.hotBottom = Rgb(255, 216, 128);
    c.hotBorder = Rgb(219, 180, 98);
    c.pressedTop = Rgb(252, 200, 140);
    c.pressedBottom = Rgb(248, 170, 80);
    c.pressedBorder = Rgb(194, 130, 50);
}

RibbonColours Office2007(Office2007Colour colour) {
    RibbonColours c;
    OfficeHighlight(c);
    switch (colour) {
    case Office2007Colour::Blue:
        c.tabRowTop = Rgb(196, 221, 255), c.tabRowBottom = Rgb(178, 207, 245);
        c.tabText = c.activeTabText = Rgb(21, 66, 139);
        c.activeTabTop = Rgb(250, 252, 255), c.activeTabBottom = Rgb(221, 233, 248),
        c.hotTab = Rgb(226, 238, 255);
        c.border = Rgb(141, 178, 227);
        c.panelTop = Rgb(228, 238, 250), c.panelBottom = Rgb(200, 219, 242);
        c.panelCaption = Rgb(193, 217, 243), c.panelCaptionText = Rgb(35, 74, 130);
        c.buttonText = Rgb(21, 66, 139), c.disabledText = Rgb(120, 136, 160);
        c.editBorder = Rgb(141, 178, 227);
        break;
    case Office2007Colour::Black:
        c.tabRowTop = Rgb(80, 80, 80), c.tabRowBottom = Rgb(52, 52, 52);
        c.tabText = Rgb(255, 255, 255), c.activeTabText = Rgb(0, 0, 0);
        c.activeTabTop = Rgb(245, 245, 245), c.activeTabBottom = Rgb(222, 222, 222),
        c.hotTab = Rgb(110, 110, 110);
        c.border = Rgb(132, 132, 132);
        c.panelTop = Rgb(232, 232, 232), c.panelBottom = Rgb(200, 200, 200);
        c.panelCaption = Rgb(108, 108, 108), c.panelCaptionText = Rgb(255, 255, 255);
        c.buttonText = Rgb(0, 0, 0), c.disabledText = Rgb(118, 118, 118);
        c.editBorder = Rgb(132, 132, 132);
        break;
    case Office2007Colour::Silver:
        c.tabRowTop = Rgb(222, 225, 231), c.tabRowBottom = Rgb(201, 206, 215);
        c.tabText = c.activeTabText = Rgb(60, 66, 76);
        c.activeTabTop = Rgb(252, 252, 253), c.activeTabBottom = Rgb(236, 238, 242),
        c.hotTab = Rgb(238, 240, 244);
        c.border = Rgb(163, 170, 181);
        c.panelTop = Rgb(242, 243, 246), c.panelBottom = Rgb(218, 222, 229);
        c.panelCaption = Rgb(204, 209, 218), c.panelCaptionText = Rgb(56, 62, 72);
        c.buttonText = Rgb(50, 56, 66), c.disabledText = Rgb(128, 133, 142);
        c.editBorder = Rgb(163, 170, 181);
        break;
    case Office2007Colour::Aqua:
        c.tabRowTop = Rgb(202, 226, 232), c.tabRowBottom = Rgb(176, 208, 218);
        c.tabText = c.activeTabText = Rgb(24, 72, 88);
        c.activeTabTop = Rgb(250, 254, 255), c.activeTabBottom = Rgb(224, 241, 245),
        c.hotTab = Rgb(226, 242, 246);
        c.border = Rgb(122, 173, 188);
        c.panelTop = Rgb(232, 245, 248), c.panelBottom = Rgb(198, 226, 234);
        c.panelCaption = Rgb(186, 220, 230), c.panelCaptionText = Rgb(26, 76, 92);
        c.buttonText = Rgb(20, 66, 82), c.disabledText = Rgb(112, 140, 150);
        c.editBorder = Rgb(122, 173, 188);
        break;
    }
    return c;
}

// Flat, in the colours of classic dialogs: the older looks.
RibbonColours Flat(std::uint32_t face, std::uint32_t light) {
    RibbonColours c;
    c.gradients = false;
    c.tabRowTop = c.tabRowBottom = face;
    c.activeTabTop = c.activeTabBottom = light;
    c.hotTab = light;
    c.tabText = c.activeTabText = c.buttonText = Rgb(0, 0, 0);
    c.panelCaptionText = Rgb(0, 0, 0);
    c.disabledText = Rgb(109, 109, 109);
    c.border = c.editBorder = Rgb(128, 128, 128);
    c.panelTop = c.panelBottom = light;
    c.panelCaption = face;
    c.hotTop = c.hotBottom = Rgb(193, 210, 238);
    c.hotBorder = Rgb(49, 106, 197);
    c.pressedTop = c.pressedBottom = Rgb(152, 181, 226);
    c.pressedBorder = Rgb(49, 106, 197);
    return c;
}

} // namespace

RibbonColours RibbonColoursForLook(const VisualLook& look) {
    switch (look.manager) {
    case VisualManager::Windows2000:
        return Flat(Rgb(212, 208, 200), Rgb(230, 228, 222));
    case VisualManager::OfficeXP:
        return Flat(Rgb(219, 216, 209), Rgb(249, 248, 247));
    case VisualManager::WindowsXP: {
        RibbonColours c = Flat(Rgb(236, 233, 216), Rgb(252, 252, 249));
        c.gradients = true;
        c.tabRowBottom = Rgb(222, 218, 200);
        c.panelBottom = Rgb(236, 233, 216);
        c.hotTop = Rgb(255, 241, 200), c.hotBottom = Rgb(255, 220, 140), c.hotBorder = Rgb(229, 151, 0);
        return c;
    }
    case VisualManager::Office2003: {
        RibbonColours c = Office2007(Office2007Colour::Blue);
        c.tabRowTop = Rgb(221, 236, 254), c.tabRowBottom = Rgb(150, 186, 235);
        c.border = Rgb(59, 97, 156);
        return c;
    }
    case VisualManager::VisualStudio2005: {
        RibbonColours c = Flat(Rgb(229, 229, 215), Rgb(250, 250, 247));
        c.gradients = true;
        c.tabRowBottom = Rgb(204, 199, 186);
        c.panelBottom = Rgb(229, 229, 215);
        return c;
    }
    case VisualManager::Office2007:
        break;
    }
    return Office2007(look.colour);
}

RibbonColours RibbonColoursInUse(const VisualLook& look, const std::optional<SystemColours>& highContrast) {
    return highContrast ? RibbonColoursFromSystem(*highContrast) : RibbonColoursForLook(look);
}

} // namespace movalent
