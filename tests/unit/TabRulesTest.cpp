// The rules of a tab that need no window: its history, the container's layout, the zoom slider mapping and
// the small controls' arithmetic.
#include "tabs/ContainerLayout.h"
#include "tabs/ControlRules.h"
#include "tabs/TabHistory.h"
#include "tabs/ZoomSliderRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace movalent {
namespace {

std::wstring Page(int i) {
    return L"file:///C:/pages/" + std::to_wstring(i) + L".html";
}
std::wstring Title(int i) {
    return L"Page " + std::to_wstring(i);
}

std::vector<std::wstring> Urls(const std::vector<const CHistoryObj*>& list) {
    std::vector<std::wstring> urls;
    for (const CHistoryObj* entry : list)
        urls.push_back(entry->url);
    return urls;
}

TEST(TabHistory, NewPagesGoFirstWithTheNextCommandUntilTenAreKept) {
    TabHistory history;
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(history.AddDocument(Page(i), Title(i)));
    EXPECT_EQ(10u, history.Size());
    EXPECT_EQ(Page(9), history.Entry(0).url);
    EXPECT_EQ(4105u, history.Entry(0).commandId);
    EXPECT_EQ(4096u, history.Entry(9).commandId);

    // The eleventh page replaces the most recent one (index 0), and takes 4096 + 10 - 1 again.
    ASSERT_TRUE(history.AddDocument(Page(10), Title(10)));
    EXPECT_EQ(10u, history.Size());
    EXPECT_EQ(Page(10), history.Entry(0).url);
    EXPECT_EQ(4105u, history.Entry(0).commandId);
    EXPECT_EQ(Page(8), history.Entry(1).url);
    EXPECT_EQ(0u, history.CurrentIndex());
}

TEST(TabHistory, CommandsStayUniqueAfterAChoiceFromAFullHistory) {
    TabHistory history;
    for (int i = 0; i < 10; ++i)
        history.AddDocument(Page(i), Title(i));
    ASSERT_EQ(Page(9), history.Select(4105)); // the newest moves to the end, keeping 4105
    ASSERT_TRUE(history.AddDocument(Page(10), Title(10)));
    std::vector<unsigned> ids;
    for (std::size_t i = 0; i < history.Size(); ++i)
        ids.push_back(history.Entry(i).commandId);
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids.end(), std::adjacent_find(ids.begin(), ids.end())) << "two entries share a command";
    EXPECT_EQ(Page(9), history.Select(4105)) << "the chosen page keeps its command";
}

TEST(TabHistory, TheSamePageTwiceChangesNothing) {
    TabHistory history;
    history.AddDocument(Page(1), Title(1));
    history.AddDocument(Page(2), Title(2));
    history.AddDocument(Page(3), Title(3));
    ASSERT_EQ(Page(1), history.Select(4096));
    const std::size_t index = history.CurrentIndex();

    EXPECT_FALSE(history.AddDocument(Page(2), Title(2)));
    EXPECT_EQ(3u, history.Size());
    EXPECT_EQ(index, history.CurrentIndex());
    // Title and URL are compared exactly: another title or another case is another entry.
    EXPECT_TRUE(history.AddDocument(Page(2), L"page 2"));
    EXPECT_TRUE(history.AddDocument(L"FILE:///C:/PAGES/2.HTML", Title(2)));
    EXPECT_EQ(5u, history.Size());
}

TEST(TabHistory, HistoryCommandMovesTheEntryToTheEndAndNavigates) {
    TabHistory history;
    for (int i = 0; i < 4; ++i)
        history.AddDocument(Page(i), Title(i)); // array: 3 2 1 0, commands 4099 4098 4097 4096
    std::optional<std::wstring> url = history.Select(4098);
    ASSERT_TRUE(url);
    EXPECT_EQ(Page(2), *url);
    EXPECT_EQ(1u, history.CurrentIndex()); // its former position
    EXPECT_EQ(Page(2), history.Entry(3).url);
    EXPECT_EQ(Page(1), history.Entry(1).url);
    EXPECT_FALSE(history.Select(4100));
    EXPECT_FALSE(history.Select(4095));
}

TEST(TabHistory, BackAndForwardListsAroundTheCurrentEntry) {
    TabHistory history;
    EXPECT_FALSE(history.CanGoBack());
    EXPECT_FALSE(history.CanGoForward());
    for (int i = 0; i < 5; ++i)
        history.AddDocument(Page(i), Title(i)); // 4 3 2 1 0
    EXPECT_TRUE(history.CanGoBack());
    EXPECT_FALSE(history.CanGoForward());
    EXPECT_EQ((std::vector<std::wstring>{Page(3), Page(2), Page(1), Page(0)}), Urls(history.BackList()));
    EXPECT_TRUE(history.ForwardList().empty());

    history.Select(4098); // Page 2 at index 2 moves to the end: 4 3 1 0 2, current 2
    EXPECT_EQ(2u, history.CurrentIndex());
    EXPECT_EQ((std::vector<std::wstring>{Page(0), Page(2)}), Urls(history.BackList()));
    EXPECT_EQ((std::vector<std::wstring>{Page(3), Page(4)}), Urls(history.ForwardList()));
    EXPECT_TRUE(history.CanGoBack());
    EXPECT_TRUE(history.CanGoForward());
}

TEST(ContainerLayout, PanelHiddenGivesTheBoxAndThePage) {
    ContainerLayout layout = LayoutContainer({.width = 800, .height = 600, .addressHeight = 24});
    EXPECT_FALSE(layout.panelShown);
    EXPECT_EQ((LayoutRect{0, 0, 800, 24}), layout.addressBox);
    EXPECT_EQ((LayoutRect{0, 24, 800, 576}), layout.browser);
}

TEST(ContainerLayout, PanelShownPlacesTheColumnLeftOfThePage) {
    ContainerLayout layout = LayoutContainer(
        {.width = 800, .height = 600, .addressHeight = 24, .panelShown = true, .splitterPosition = 200});
    EXPECT_EQ(200, layout.panelWidth);
    EXPECT_EQ((LayoutRect{200, 0, 4, 600}), layout.splitter);
    EXPECT_EQ((LayoutRect{0, 0, 180, 20}), layout.title);
    EXPECT_EQ((LayoutRect{180, 0, 20, 20}), layout.closeButton);
    EXPECT_EQ((LayoutRect{0, 20, 200, 580}), layout.panel);
    EXPECT_EQ((LayoutRect{204, 0, 596, 24}), layout.addressBox);
    EXPECT_EQ((LayoutRect{204, 24, 596, 576}), layout.browser);
}

TEST(ContainerLayout, NarrowWindowKeepsThePanelTwentyPixelsNarrower) {
    ContainerLayout layout = LayoutContainer(
        {.width = 150, .height = 100, .addressHeight = 20, .panelShown = true, .splitterPosition = 300});
    EXPECT_EQ(130, layout.panelWidth);
    EXPECT_EQ((LayoutRect{134, 0, 16, 20}), layout.addressBox);

    // Narrower than 20 pixels: the panel width would go negative and stops at 0; a narrow panel has no title.
    layout = LayoutContainer(
        {.width = 10, .height = 100, .addressHeight = 20, .panelShown = true, .splitterPosition = 300});
    EXPECT_EQ(0, layout.panelWidth);
    EXPECT_EQ(0, layout.title.width);
    layout = LayoutContainer(
        {.width = 800, .height = 100, .addressHeight = 20, .panelShown = true, .splitterPosition = 20});
    EXPECT_EQ(0, layout.title.width);
}

TEST(ContainerLayout, SplitterPercentOfTheClientWidth) {
    EXPECT_EQ(800, SplitterPositionFromPercent(100, 800));
    EXPECT_EQ(266, SplitterPositionFromPercent(33, 807));
    EXPECT_EQ(0, SplitterPositionFromPercent(0, 800));
    EXPECT_FALSE(SplitterPositionFromPercent(101, 800));
}

TEST(ZoomSlider, SliderToZoomAndBack) {
    const int slider[] = {0, 50, 99, 100, 101, 150, 199, 200};
    const int zoom[] = {10, 55, 99, 100, 109, 550, 991, 999};
    for (size_t i = 0; i < std::size(slider); ++i)
        EXPECT_EQ(zoom[i], ZoomFromSlider(slider[i])) << slider[i];
    EXPECT_EQ(50, SliderFromZoom(55));
    EXPECT_EQ(199, SliderFromZoom(999));
    EXPECT_EQ(0, SliderFromZoom(10));
    EXPECT_EQ(100, SliderFromZoom(100));
    EXPECT_EQ(150, SliderFromZoom(550));
}

TEST(ZoomSlider, StepsStopAtTheEndsAndNeverMoveFromZero) {
    EXPECT_EQ(115, ZoomInPosition(100));
    EXPECT_EQ(200, ZoomInPosition(190));
    EXPECT_EQ(85, ZoomOutPosition(100));
    EXPECT_EQ(0, ZoomOutPosition(10));
    EXPECT_EQ(15, ZoomInPosition(0)) << "zooming in from 10 % works";
    EXPECT_EQ(0, ZoomOutPosition(0));
}

TEST(ZoomSlider, BusyWhileProgressIsBelowItsMaximum) {
    EXPECT_FALSE(IsBusyProgress(0, 0));
    EXPECT_FALSE(IsBusyProgress(-1, 100));
    EXPECT_FALSE(IsBusyProgress(10000, 10000));
    EXPECT_TRUE(IsBusyProgress(50, 100));
}

TEST(ControlRules, SplitterDragIsClampedToTheBounds) {
    EXPECT_EQ(50, SplitterDragPercent(400, 0, 800, 0, 800));
    EXPECT_EQ(100, SplitterDragPercent(1200, 0, 800, 0, 800));
    EXPECT_EQ(0, SplitterDragPercent(-30, 0, 800, 0, 800));
    EXPECT_EQ(25, SplitterDragPercent(300, 100, 800, 0, 900));
    EXPECT_EQ(0, SplitterDragPercent(300, 0, 0, 0, 800));
}

TEST(ControlRules, HoverButtonFramesAndModalPath) {
    EXPECT_EQ(20, HoverButtonFrameWidth(60));
    EXPECT_EQ(0, HoverButtonFrameX(20, false, false));
    EXPECT_EQ(20, HoverButtonFrameX(20, true, true));
    EXPECT_EQ(40, HoverButtonFrameX(20, false, true));
    EXPECT_DOUBLE_EQ(0.3, ProductVersionNumber(0, 3));
    EXPECT_FALSE(UsesNestedModal(ProductVersionNumber(0, 3)));
    EXPECT_TRUE(UsesNestedModal(ProductVersionNumber(8, 0)));
    EXPECT_FALSE(UsesNestedModal(ProductVersionNumber(7, 99)));
}

} // namespace
} // namespace movalent
