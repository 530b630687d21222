// Measures for a display's pixel density: the scaling arithmetic, the picture sizes chosen, and the bars'
// measures at 100, 150 and 200 %.
#include "framework/DpiScale.h"
#include "framework/RibbonMetrics.h"
#include "framework/StatusBarLayout.h"
#include "framework/TabLayout.h"
#include "tabs/ContainerLayout.h"

#include <gtest/gtest.h>

using namespace movalent;

namespace {

TEST(DpiScale, RoundsHalvesAwayFromZeroAsMulDivDoes) {
    EXPECT_EQ(7, ScaleForDpi(7, 96));
    EXPECT_EQ(5, ScaleForDpi(3, 144));   // 4.5
    EXPECT_EQ(-5, ScaleForDpi(-3, 144)); // -4.5
    EXPECT_EQ(21, ScaleForDpi(17, 120)); // 21.25
    EXPECT_EQ(2, ScaleForDpi(1, 144));   // 1.5
    EXPECT_EQ(0, ScaleForDpi(0, 192));
}

TEST(DpiScale, PicturesTakeTheNearestDrawingAndTheSmallerOfTwoEquallyNear) {
    const std::pair<int, int> steps[] = {{72, 0},  {96, 0},  {120, 0}, {121, 1}, {144, 1},
                                         {168, 1}, {169, 2}, {192, 2}, {288, 2}};
    for (const auto& [dpi, step] : steps)
        EXPECT_EQ(step, ImageStepForDpi(dpi)) << dpi;
    EXPECT_EQ(24, ImageSideForDpi(16, 144));
    EXPECT_EQ(64, ImageSideForDpi(32, 192));
}

TEST(DpiScale, RibbonHeightsFollowTheDensityAndPicturesKeepClearOfLabels) {
    for (const auto& [dpi, height] : {std::pair{96, 124}, {144, 186}, {192, 248}})
        EXPECT_EQ(height,
                  ribbon::MetricsForDpi(dpi).tabRowHeight + ribbon::MetricsForDpi(dpi).panelAreaHeight);
    EXPECT_EQ(48, ribbon::MetricsForDpi(144).largeImage);
    EXPECT_EQ(32, ribbon::MetricsForDpi(192).smallImage);
    // A large button's picture, drawn below its top edge, must end above where its label starts.
    for (int dpi = 96; dpi <= 288; dpi += 12) {
        const ribbon::Metrics m = ribbon::MetricsForDpi(dpi);
        EXPECT_LE(m.Px(4) + m.largeImage, m.arrowPartTop) << dpi;
        EXPECT_LE(m.smallImage, m.quickAccessSize) << dpi;
    }
}

TEST(DpiScale, TabRowAndStatusBarMeasures) {
    const TabRowMetrics tabs = TabRowMetricsForDpi(192);
    EXPECT_EQ(32, tabs.iconSize);
    EXPECT_EQ(80, tabs.minTabWidth);
    EXPECT_EQ(12, tabs.padding);
    // The status bar's margins and gaps double at 200 %.
    StatusBarPlacement placement =
        LayOutStatusBar(500, {{0, true, true}}, {{40, true, false}}, false, StatusBarMetricsForDpi(192));
    EXPECT_EQ(456, placement.extended[0].left);
    EXPECT_EQ(496, placement.extended[0].right);
    EXPECT_EQ(4, placement.ordinary[0].left);
    EXPECT_EQ(52, StatusBarMetricsForDpi(192).minimumHeight);
}

TEST(DpiScale, DeveloperPanelTitleAndSplitterGrow) {
    ContainerLayout layout = LayoutContainer({.width = 800,
                                              .height = 600,
                                              .addressHeight = 48,
                                              .panelShown = true,
                                              .splitterPosition = 300,
                                              .dpi = 192});
    EXPECT_EQ((LayoutRect{300, 0, 8, 600}), layout.splitter);
    EXPECT_EQ((LayoutRect{0, 0, 260, 40}), layout.title);
    EXPECT_EQ((LayoutRect{260, 0, 40, 40}), layout.closeButton);
    EXPECT_EQ((LayoutRect{308, 0, 492, 48}), layout.addressBox);
    // A window narrower than the panel keeps a sliver of the page that grows too.
    layout = LayoutContainer({.width = 150,
                              .height = 100,
                              .addressHeight = 40,
                              .panelShown = true,
                              .splitterPosition = 300,
                              .dpi = 192});
    EXPECT_EQ(110, layout.panelWidth);
}

} // namespace
