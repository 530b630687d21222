// Where the status bar puts its elements and what its configuration menu lists.
#include "framework/StatusBarLayout.h"

#include <gtest/gtest.h>

using namespace movalent;

namespace {

using Kind = StatusBarMenuEntry::Kind;

bool Same(const StatusBarSpan& span, int left, int right) {
    return span.left == left && span.right == right;
}

TEST(StatusBarLayout, ExtendedElementsKeepTheirOrderAgainstTheRightEdge) {
    // Progress bar hidden, zoom pane, slider: as the main window's bar has them.
    StatusBarPlacement placement = LayOutStatusBar(
        500, {{0, true, true}}, {{90, false, false}, {40, true, false}, {136, true, false}}, false, {2, 4});
    EXPECT_TRUE(placement.extended[0].Empty());
    EXPECT_TRUE(Same(placement.extended[2], 362, 498));
    EXPECT_TRUE(Same(placement.extended[1], 318, 358));
    EXPECT_TRUE(Same(placement.mainArea, 2, 314));
    // The stretching status pane fills the room left of them.
    EXPECT_TRUE(Same(placement.ordinary[0], 2, 314));

    // Showing the progress bar takes its room from the status pane, not from the others.
    placement = LayOutStatusBar(500, {{0, true, true}},
                                {{90, true, false}, {40, true, false}, {136, true, false}}, false, {2, 4});
    EXPECT_TRUE(Same(placement.extended[0], 224, 314));
    EXPECT_TRUE(Same(placement.extended[2], 362, 498));
    EXPECT_TRUE(Same(placement.ordinary[0], 2, 220));
}

TEST(StatusBarLayout, InformationTextCoversTheOrdinaryElements) {
    StatusBarPlacement placement =
        LayOutStatusBar(300, {{0, true, true}, {50, true, false}}, {{100, true, false}}, true, {2, 4});
    EXPECT_TRUE(placement.ordinary[0].Empty());
    EXPECT_TRUE(placement.ordinary[1].Empty());
    EXPECT_TRUE(Same(placement.mainArea, 2, 194));
    EXPECT_TRUE(Same(placement.extended[0], 198, 298));
}

TEST(StatusBarLayout, NarrowBarDropsWhatDoesNotFitAndNeverOverlaps) {
    // Only the rightmost extended element fits; the one left of it is dropped, though it alone would fit.
    StatusBarPlacement placement =
        LayOutStatusBar(140, {{0, true, true}}, {{20, true, false}, {120, true, false}}, false, {2, 4});
    EXPECT_TRUE(Same(placement.extended[1], 18, 138));
    EXPECT_TRUE(placement.extended[0].Empty());
    EXPECT_TRUE(placement.ordinary[0].Empty() || placement.ordinary[0].right <= 18);

    // A bar with no width at all places nothing and reports an empty main area.
    placement = LayOutStatusBar(0, {{0, true, true}, {30, true, false}}, {{90, true, false}}, false, {2, 4});
    EXPECT_TRUE(placement.extended[0].Empty());
    EXPECT_TRUE(placement.ordinary[0].Empty());
    EXPECT_TRUE(placement.ordinary[1].Empty());
    EXPECT_TRUE(placement.mainArea.Empty());
}

TEST(StatusBarLayout, FixedOrdinaryElementsShareTheRestWithTheStretchingOnes) {
    StatusBarPlacement placement = LayOutStatusBar(
        204, {{30, true, false}, {0, true, true}, {0, false, true}, {0, true, true}, {20, true, false}}, {},
        false, {2, 4});
    // 200 pixels, 50 fixed, four gaps of visible elements: 3 gaps = 12; 138 spare for two stretching
    // elements.
    EXPECT_TRUE(Same(placement.ordinary[0], 2, 32));
    EXPECT_TRUE(Same(placement.ordinary[1], 36, 105));
    EXPECT_TRUE(placement.ordinary[2].Empty());
    EXPECT_TRUE(Same(placement.ordinary[3], 109, 178));
    EXPECT_TRUE(Same(placement.ordinary[4], 182, 202));
}

TEST(StatusBarMenu, TitleThenOrdinaryThenSeparatorThenExtended) {
    std::vector<StatusBarMenuEntry> expected = {{Kind::Title, false, 0},     {Kind::Element, false, 0},
                                                {Kind::Separator, false, 0}, {Kind::Element, true, 0},
                                                {Kind::Element, true, 1},    {Kind::Element, true, 2}};
    EXPECT_EQ(expected, StatusBarMenuEntries({false}, {false, false, false}));

    // Separator elements stay separators in place.
    expected = {{Kind::Title, false, 0},
                {Kind::Element, false, 0},
                {Kind::Separator, false, 1},
                {Kind::Element, false, 2}};
    EXPECT_EQ(expected, StatusBarMenuEntries({false, true, false}, {}));
}

TEST(StatusBarMenu, NoPartingSeparatorWithoutOrdinaryElements) {
    std::vector<StatusBarMenuEntry> expected = {{Kind::Title, false, 0}, {Kind::Element, true, 0}};
    EXPECT_EQ(expected, StatusBarMenuEntries({}, {false}));
    const std::vector<StatusBarMenuEntry> titleOnly = {{Kind::Title, false, 0}};
    EXPECT_EQ(titleOnly, StatusBarMenuEntries({}, {}));
}

TEST(StatusBarMenu, ItemTextsShowTheCutValueWithLiteralAmpersands) {
    EXPECT_EQ(L"Zoom\t100%", StatusBarMenuItemText(L"Zoom", L"100%"));
    EXPECT_EQ(L"Zoom Slider", StatusBarMenuItemText(L"Zoom Slider", L""));

    const std::wstring fifty(50, L'x');
    EXPECT_EQ(fifty, StatusBarMenuValue(fifty));
    EXPECT_EQ(std::wstring(49, L'y'), StatusBarMenuValue(std::wstring(51, L'y')));
    EXPECT_EQ(L"Status Info\t" + std::wstring(49, L'y'),
              StatusBarMenuItemText(L"Status Info", std::wstring(80, L'y')));

    // An address in the status text keeps its ampersands instead of turning them into mnemonics; the cut
    // comes before the doubling so it never splits a pair.
    EXPECT_EQ(L"Status Info\tOpening a?b=1&&c=2",
              StatusBarMenuItemText(L"Status Info", L"Opening a?b=1&c=2"));
    std::wstring value(48, L'z');
    value += L"&&&";
    EXPECT_EQ(L"S\t" + std::wstring(48, L'z') + L"&&", StatusBarMenuItemText(L"S", value));
}

} // namespace
