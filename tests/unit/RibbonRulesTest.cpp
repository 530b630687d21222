// How the ribbon breaks labels, gives way when narrow, reads command strings, and which colours each visual
// style draws it in.
#include "framework/RibbonLayoutRules.h"
#include "mainframe/LookColours.h"
#include "mainframe/RibbonStrings.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace movalent;

namespace {

int CharacterWidth(const std::wstring& text) {
    return static_cast<int>(text.size()) * 6;
}

TEST(RibbonLabels, BreakAtTheSpaceThatBalancesTheLines) {
    using Lines = std::vector<std::wstring>;
    EXPECT_EQ((Lines{L"Close all except", L"active tab"}),
              SplitLabel(L"Close all except active tab", CharacterWidth));
    EXPECT_EQ((Lines{L"Close", L"all tabs"}), SplitLabel(L"Close all tabs", CharacterWidth));
    EXPECT_EQ((Lines{L"Refresh"}), SplitLabel(L"Refresh", CharacterWidth));
    EXPECT_EQ((Lines{L""}), SplitLabel(L"", CharacterWidth));
    // A measure that is not proportional to the length still decides: wide capitals go on the shorter line.
    auto capitalsWide = [](const std::wstring& text) {
        int width = 0;
        for (wchar_t c : text)
            width += (c >= L'A' && c <= L'Z') ? 20 : 5;
        return width;
    };
    EXPECT_EQ((Lines{L"WWW", L"abc def"}), SplitLabel(L"WWW abc def", capitalsWide));
}

TEST(RibbonLabels, MnemonicsAreRemovedAndDoubledAmpersandsKept) {
    EXPECT_EQ(L"Home", WithoutMnemonic(L"&Home"));
    EXPECT_EQ(L"Exit", WithoutMnemonic(L"E&xit"));
    EXPECT_EQ(L"Tom & Jerry", WithoutMnemonic(L"Tom && Jerry"));
    EXPECT_EQ(L"&", WithoutMnemonic(L"&&&"));
    EXPECT_EQ(L"end", WithoutMnemonic(L"end&"));
    // Shown as typed, then read back as a menu reads it.
    EXPECT_EQ(L"Tom && Jerry &&&&", WithLiteralAmpersands(L"Tom & Jerry &&"));
    EXPECT_EQ(L"Tom & Jerry &&", WithoutMnemonic(WithLiteralAmpersands(L"Tom & Jerry &&")));
}

TEST(RibbonPanels, CollapseFromTheLastPanelUntilTheyFit) {
    const std::vector<int> widths = {300, 250, 80};
    using Flags = std::vector<bool>;
    EXPECT_EQ((Flags{false, false, false}), CollapsePanels(widths, 60, 3, 636));
    EXPECT_EQ((Flags{false, false, true}), CollapsePanels(widths, 60, 3, 635));
    EXPECT_EQ((Flags{false, true, true}), CollapsePanels(widths, 60, 3, 426));
    EXPECT_EQ((Flags{true, true, true}), CollapsePanels(widths, 60, 3, 425));
    EXPECT_EQ((Flags{true, true, true}), CollapsePanels(widths, 60, 3, 100));
    // A panel no wider than its collapsed button stays as it is.
    EXPECT_EQ((Flags{true, false}), CollapsePanels({300, 50}, 60, 0, 200));
    EXPECT_TRUE(CollapsePanels({}, 60, 3, 0).empty());
}

TEST(RibbonCommandStrings, LabelTooltipAndDescription) {
    EXPECT_EQ(L"Close all tabs", CommandLabel(L"Close all opened tabs for this window\nClose all tabs"));
    EXPECT_EQ(L"New IE5.5", CommandLabel(L"New IE5.5"));
    EXPECT_EQ(L"", CommandLabel(L"Only a description\n"));

    CommandTip tip = CommandTipFromString(L"Refresh the current page\nRefresh");
    EXPECT_EQ(L"Refresh", tip.tooltip);
    EXPECT_EQ(L"Refresh the current page", tip.description);
    tip = CommandTipFromString(L"Save && go\nSave && &Go");
    EXPECT_EQ(L"Save & Go", tip.tooltip);
    EXPECT_EQ(L"Save && go", tip.description);
    // Only the first line break divides.
    tip = CommandTipFromString(L"a\nb\nc");
    EXPECT_EQ(L"b\nc", tip.tooltip);
    tip = CommandTipFromString(L"Default IE");
    EXPECT_EQ(L"", tip.tooltip);
    EXPECT_EQ(L"Default IE", tip.description);
}

double Luminance(std::uint32_t colour) {
    auto channel = [](unsigned value) {
        double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour & 0xFF) + 0.7152 * channel((colour >> 8) & 0xFF) +
           0.0722 * channel((colour >> 16) & 0xFF);
}

double Contrast(std::uint32_t a, std::uint32_t b) {
    double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

VisualLook LookOf(unsigned command) {
    return ApplyLookCommand(VisualLook{}, command);
}

// Every text of every style is readable on what it is drawn on.
TEST(RibbonColoursForLook, TextsAreReadableInEveryStyle) {
    for (unsigned command = kFirstLookCommand; command <= kLastLookCommand; ++command) {
        SCOPED_TRACE(command);
        RibbonColours c = RibbonColoursForLook(LookOf(command));
        EXPECT_GE(Contrast(c.tabText, c.tabRowTop), 4.5);
        EXPECT_GE(Contrast(c.tabText, c.tabRowBottom), 4.5);
        EXPECT_GE(Contrast(c.activeTabText, c.activeTabTop), 4.5);
        EXPECT_GE(Contrast(c.buttonText, c.panelTop), 4.5);
        EXPECT_GE(Contrast(c.buttonText, c.panelBottom), 4.5);
        EXPECT_GE(Contrast(c.buttonText, c.hotBottom), 4.5);
        EXPECT_GE(Contrast(c.buttonText, c.pressedBottom), 3.0);
        EXPECT_GE(Contrast(c.panelCaptionText, c.panelCaption), 4.5);
        // Disabled texts look disabled: weaker than the enabled ones, still legible.
        EXPECT_LT(Contrast(c.disabledText, c.panelTop), Contrast(c.buttonText, c.panelTop));
        EXPECT_GE(Contrast(c.disabledText, c.panelTop), 2.0);
    }
}

TEST(RibbonColoursForLook, TheFourOffice2007StylesDifferAndTheOthersAreTheirOwn) {
    std::vector<std::uint32_t> rows;
    for (unsigned command = 215; command <= 218; ++command)
        rows.push_back(RibbonColoursForLook(LookOf(command)).tabRowTop);
    for (size_t i = 0; i < rows.size(); ++i)
        for (size_t j = i + 1; j < rows.size(); ++j)
            EXPECT_NE(rows[i], rows[j]) << i << " " << j;
    // The classic looks are flat; an unknown style keeps the Office 2007 colour last chosen.
    EXPECT_FALSE(RibbonColoursForLook(LookOf(210)).gradients);
    EXPECT_TRUE(RibbonColoursForLook(LookOf(215)).gradients);
    VisualLook black = LookOf(216);
    EXPECT_EQ(RibbonColoursForLook(black).tabRowTop,
              RibbonColoursForLook(ApplyLookCommand(black, 999)).tabRowTop);
}

} // namespace
