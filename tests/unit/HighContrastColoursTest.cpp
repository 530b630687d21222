// The ribbon's colours under high contrast: the user's system colours, whatever look is stored.
#include "framework/HighContrastColours.h"
#include "mainframe/LookColours.h"

#include <gtest/gtest.h>

using namespace movalent;

namespace {

constexpr std::uint32_t kBlack = 0x000000, kWhite = 0xFFFFFF, kYellow = 0x00FFFF, kCyan = 0xFFFF00,
                        kGreen = 0x00FF00, kGrey = 0x808080, kNearBlack = 0x202020;

SystemColours YellowOnBlack() {
    SystemColours system;
    system.buttonFace = kBlack, system.buttonText = kYellow;
    system.highlight = kCyan, system.highlightText = kBlack;
    system.grayText = kGreen, system.hotLight = kWhite, system.shadow = kGrey;
    return system;
}

TEST(HighContrastColours, SystemColoursReplaceEveryLookAndEveryGradient) {
    const VisualLook black = ApplyLookCommand(VisualLook{}, 216);
    EXPECT_EQ(RibbonColoursForLook(black), RibbonColoursInUse(black, std::nullopt));
    const RibbonColours c = RibbonColoursInUse(black, YellowOnBlack());
    EXPECT_EQ(RibbonColoursInUse(ApplyLookCommand(VisualLook{}, 210), YellowOnBlack()), c);
    EXPECT_FALSE(c.gradients);
    for (std::uint32_t fill : {c.tabRowTop, c.activeTabBottom, c.hotTab, c.panelTop, c.panelCaption, c.hotTop,
                               c.appButtonOuter, c.appButtonInner})
        EXPECT_EQ(kBlack, fill);
    for (std::uint32_t text : {c.tabText, c.buttonText, c.panelCaptionText})
        EXPECT_EQ(kYellow, text);
    // The selected tab and a checked button in the selection colours, their labels in its text colour.
    EXPECT_EQ(kCyan, c.activeTabTop);
    EXPECT_EQ(kCyan, c.pressedTop);
    EXPECT_EQ(kBlack, c.activeTabText);
    EXPECT_EQ(kBlack, c.pressedText);
    EXPECT_EQ(kGreen, c.disabledText);
    EXPECT_EQ(kGrey, c.border);
    EXPECT_EQ(kWhite, c.hotBorder);
    EXPECT_FALSE(RibbonColoursForLook(black).pressedText) << "the looks keep their labels' colours";
}

TEST(HighContrastColours, MarksThatWouldVanishIntoTheFaceTakeTheButtonText) {
    SystemColours system = YellowOnBlack();
    system.shadow = kNearBlack, system.grayText = kNearBlack, system.hotLight = kBlack;
    const RibbonColours c = RibbonColoursFromSystem(system);
    EXPECT_EQ(kYellow, c.border);
    EXPECT_EQ(kYellow, c.editBorder);
    EXPECT_EQ(kYellow, c.disabledText);
    EXPECT_EQ(kYellow, c.hotBorder);
    EXPECT_NEAR(21.0, ContrastRatio(kBlack, kWhite), 0.01);
    EXPECT_NEAR(1.0, ContrastRatio(kGrey, kGrey), 0.01);
}

} // namespace
