// Tab widths in the tab row.
#include "framework/TabLayout.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace movalent;

namespace {

int Sum(const std::vector<int>& widths) { return std::accumulate(widths.begin(), widths.end(), 0); }

TEST(TabLayout, TabsThatFitKeepTheirWidthUpToTheMaximum) {
    EXPECT_EQ((std::vector<int>{120, 200, 80}), FitTabWidths({120, 350, 80}, 1000, 200, 40));
    EXPECT_EQ((std::vector<int>{120, 350, 80}), FitTabWidths({120, 350, 80}, 1000, 0, 40)) << "0: no maximum";
    EXPECT_EQ((std::vector<int>{40, 60}), FitTabWidths({10, 60}, 1000, 200, 40)) << "never below the minimum";
    EXPECT_TRUE(FitTabWidths({}, 500, 200, 40).empty());
}

TEST(TabLayout, TooManyTabsShrinkTheWidestFirst) {
    std::vector<int> widths = FitTabWidths({100, 300, 60, 250}, 400, 0, 40);
    EXPECT_LE(Sum(widths), 400);
    EXPECT_EQ(60, widths[2]) << "a narrow tab keeps its width while wider ones shrink";
    EXPECT_EQ(widths[1], widths[3]);
    EXPECT_EQ(100, widths[0]);
    EXPECT_EQ(120, widths[1]) << "the largest common width that fits: 100 + 60 + 2 x 120";
}

TEST(TabLayout, ARowThatCannotFitKeepsTheMinimumAndOverflows) {
    std::vector<int> widths = FitTabWidths({200, 200, 200}, 90, 200, 40);
    EXPECT_EQ((std::vector<int>{40, 40, 40}), widths);
    EXPECT_EQ((std::vector<int>{40}), FitTabWidths({150}, -5, 200, 40)) << "no room at all";
}

TEST(TabLayout, AMaximumBelowTheMinimumGivesTheMinimum) {
    EXPECT_EQ((std::vector<int>{40, 40}), FitTabWidths({100, 20}, 1000, 10, 40));
}

} // namespace
