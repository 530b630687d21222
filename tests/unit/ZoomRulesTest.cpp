// The texts the page zoom writes into documents.
#include "tabs/ZoomRules.h"

#include <gtest/gtest.h>

namespace movalent {
namespace {

TEST(ZoomRules, StyleValueIsThePercentageWithASign) {
    EXPECT_EQ(L"10%", ZoomStyleValue(10));
    EXPECT_EQ(L"100%", ZoomStyleValue(100));
    EXPECT_EQ(L"999%", ZoomStyleValue(999));
}

TEST(ZoomRules, FrameCounterZoomRoundsDown) {
    EXPECT_EQ(L"50%", FrameCounterZoomValue(200));
    EXPECT_EQ(L"66%", FrameCounterZoomValue(150));
    EXPECT_EQ(L"100%", FrameCounterZoomValue(100));
    EXPECT_EQ(L"181%", FrameCounterZoomValue(55));
    EXPECT_EQ(L"1000%", FrameCounterZoomValue(10));
    EXPECT_EQ(L"10%", FrameCounterZoomValue(999));
}

TEST(ZoomRules, OnlyPositivePercentagesCanBeApplied) {
    // A zero would divide by zero in the frames' counter-zoom.
    EXPECT_FALSE(IsUsableZoom(0));
    EXPECT_FALSE(IsUsableZoom(-150));
    EXPECT_TRUE(IsUsableZoom(1));
    EXPECT_TRUE(IsUsableZoom(999));
}

TEST(ZoomRules, WrapperMarkupCarriesIdNameAndZoom) {
    EXPECT_EQ(L"ID = \"__om__fennimox__zoom__\" NAME=\"__om__fennimox__zoom__\" "
              L"STYLE=\"position: relative;zoom: 150%\"",
              ZoomWrapperAttributes(150));
    EXPECT_NE(std::wstring::npos, ZoomWrapperAttributes(10).find(L"zoom: 10%\""));
}

} // namespace
} // namespace movalent
