// Moving between the children of an accessible object, and the keys that select labelled elements.
#include "framework/AccessibleRules.h"

#include <gtest/gtest.h>

using namespace movalent;
using Dir = NavigationDirection;

namespace {

// A row of three buttons over a wider one, the middle button hidden:  [0] [1] [2]
//                                                                     [     3     ]
const std::vector<NavigationItem> kItems = {
    {0, 0, 10, 10}, {20, 0, 30, 10, false}, {40, 0, 50, 10}, {0, 20, 50, 30}};

TEST(AccessibleRules, OrderNavigationSkipsHiddenChildren) {
    EXPECT_EQ(0, NavigateAmong(kItems, -1, Dir::First));
    EXPECT_EQ(3, NavigateAmong(kItems, -1, Dir::Last));
    EXPECT_EQ(2, NavigateAmong(kItems, 0, Dir::Next));
    EXPECT_EQ(0, NavigateAmong(kItems, 2, Dir::Previous));
    EXPECT_EQ(-1, NavigateAmong(kItems, 3, Dir::Next)) << "no wrapping";
    EXPECT_EQ(-1, NavigateAmong(kItems, 0, Dir::Previous));
    EXPECT_EQ(-1, NavigateAmong({}, -1, Dir::First));
    EXPECT_EQ(-1, NavigateAmong(kItems, 7, Dir::Next)) << "a child that does not exist";
}

TEST(AccessibleRules, SpatialNavigationTakesTheNearestChildThatWay) {
    EXPECT_EQ(2, NavigateAmong(kItems, 0, Dir::Right)) << "over the hidden one";
    EXPECT_EQ(0, NavigateAmong(kItems, 2, Dir::Left));
    EXPECT_EQ(3, NavigateAmong(kItems, 0, Dir::Down));
    EXPECT_EQ(-1, NavigateAmong(kItems, 0, Dir::Up));
    EXPECT_EQ(-1, NavigateAmong(kItems, 2, Dir::Right));
    // From the wide one up: both buttons lie above it; the nearer middle wins.
    const std::vector<NavigationItem> offset = {{0, 0, 10, 10}, {30, 0, 40, 10}, {25, 20, 45, 30}};
    EXPECT_EQ(1, NavigateAmong(offset, 2, Dir::Up));
    // A child straight ahead but far beats one close by but off to the side.
    const std::vector<NavigationItem> aside = {{0, 0, 10, 10}, {15, 60, 25, 70}, {100, 0, 110, 10}};
    EXPECT_EQ(2, NavigateAmong(aside, 0, Dir::Right));
}

TEST(AccessibleRules, AccessKeysReadAsAltShortcuts) {
    EXPECT_EQ(L'H', AccessKeyOf(L"&Home"));
    EXPECT_EQ(L't', AccessKeyOf(L"Dev &tools"));
    EXPECT_EQ(L'b', AccessKeyOf(L"R&&D &b")) << "a doubled ampersand marks nothing";
    EXPECT_EQ(L'O', AccessKeyOf(L"Options")) << "no mark: the first letter";
    EXPECT_EQ(L'\0', AccessKeyOf(L""));
    EXPECT_EQ(L"Alt+H", AltShortcutText(L'h'));
    EXPECT_EQ(L"", AltShortcutText(L'\0'));
    EXPECT_EQ(L"", AltShortcutText(L' '));
}

} // namespace
