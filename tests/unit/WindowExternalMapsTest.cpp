// The members window.external offers a page per engine version.
#include "tabs/WindowExternalMaps.h"

#include <gtest/gtest.h>

#include <vector>

using namespace movalent;

namespace {

std::vector<std::wstring> Names(WindowExternalMap map) {
    return {map.begin(), map.end()};
}

TEST(WindowExternalMaps, EachVersionGetsItsOwnMembersInDispidOrder) {
    const std::vector<std::wstring> ie6 = {
        L"AddChannel",           L"AddFavorite",     L"AddDesktopComponent",
        L"AutoCompleteSaveForm", L"AutoScan",        L"ImportExportFavorites",
        L"IsSubscribed",         L"NavigateAndFind", L"ShowBrowserUI"};
    const std::vector<std::wstring> ie7 = {
        L"AddFavorite",  L"AddDesktopComponent",   L"AddSearchProvider",         L"AutoCompleteSaveForm",
        L"AutoScan",     L"ImportExportFavorites", L"IsSearchProviderInstalled", L"NavigateAndFind",
        L"ShowBrowserUI"};
    const std::vector<std::wstring> ie8 = {
        L"AddFavorite",           L"AddDesktopComponent",       L"AddSearchProvider",
        L"AddToFavoritesBar",     L"AutoCompleteSaveForm",      L"AutoScan",
        L"ContentDiscoveryReset", L"InPrivateFilteringEnabled", L"IsSearchProviderInstalled",
        L"IsServiceInstalled",    L"NavigateAndFind",           L"ShowBrowserUI"};
    EXPECT_EQ(ie6, Names(WindowExternalMapFor(IE_55)));
    EXPECT_EQ(ie6, Names(WindowExternalMapFor(IE_6)));
    EXPECT_EQ(ie7, Names(WindowExternalMapFor(IE_7)));
    EXPECT_EQ(ie8, Names(WindowExternalMapFor(IE_8)));
    for (IEVERSION other : {IE_4, IE_5, IE_DEFAULT, static_cast<IEVERSION>(42)})
        EXPECT_EQ(ie8, Names(WindowExternalMapFor(other))) << other;
}

TEST(WindowExternalMaps, NamesAreFoundWithoutRegardToCaseAndOnlyInTheirOwnMap) {
    EXPECT_EQ(1, FindExternalMember(WindowExternalMapFor(IE_6), L"AddFavorite"));
    EXPECT_EQ(1, FindExternalMember(WindowExternalMapFor(IE_6), L"addfavorite"));
    EXPECT_EQ(0, FindExternalMember(WindowExternalMapFor(IE_8), L"ADDFAVORITE"));
    EXPECT_EQ(9, FindExternalMember(WindowExternalMapFor(IE_8), L"IsServiceInstalled"));

    EXPECT_FALSE(FindExternalMember(WindowExternalMapFor(IE_6), L"AddSearchProvider"));
    EXPECT_FALSE(FindExternalMember(WindowExternalMapFor(IE_7), L"AddChannel"));
    EXPECT_FALSE(FindExternalMember(WindowExternalMapFor(IE_8), L"AddChannel"));
    EXPECT_FALSE(FindExternalMember(WindowExternalMapFor(IE_7), L"IsServiceInstalled"));
    EXPECT_FALSE(FindExternalMember(WindowExternalMapFor(IE_8), L"AddFavorit")) << "no prefix match";
    EXPECT_FALSE(FindExternalMember(WindowExternalMapFor(IE_8), L"AddFavoriteX"));
    EXPECT_FALSE(FindExternalMember(WindowExternalMapFor(IE_8), L""));
}

TEST(WindowExternalMaps, DispidsOutsideTheMapHaveNoName) {
    WindowExternalMap ie7 = WindowExternalMapFor(IE_7);
    EXPECT_STREQ(L"ShowBrowserUI", ExternalMemberName(ie7, 8));
    EXPECT_EQ(nullptr, ExternalMemberName(ie7, 9));
    EXPECT_EQ(nullptr, ExternalMemberName(ie7, -1));
    EXPECT_EQ(nullptr, ExternalMemberName(ie7, 0x7FFFFFFF));
    EXPECT_STREQ(L"ShowBrowserUI", ExternalMemberName(WindowExternalMapFor(IE_8), 11));
}

TEST(WindowExternalMaps, DefaultIeAndUntaggedThreadsFollowTheInstalledEngine) {
    EXPECT_EQ(IE_7, ResolveExternalVersion(IE_DEFAULT, IE_7));
    EXPECT_EQ(IE_7, ResolveExternalVersion(std::nullopt, IE_7));
    EXPECT_EQ(IE_6, ResolveExternalVersion(IE_6, IE_8));
    EXPECT_EQ(IE_DEFAULT, ResolveExternalVersion(IE_DEFAULT, IE_DEFAULT)) << "an unknown installed engine";
    EXPECT_EQ(Names(WindowExternalMapFor(IE_8)),
              Names(WindowExternalMapFor(ResolveExternalVersion(IE_DEFAULT, IE_DEFAULT))));
}

TEST(WindowExternalMaps, CallMessageNamesTheMember) {
    EXPECT_EQ(L"window.external.AddFavorite method called", ExternalCallMessage(L"AddFavorite"));
    EXPECT_EQ(L"window.external.InPrivateFilteringEnabled method called",
              ExternalCallMessage(L"InPrivateFilteringEnabled"));
}

} // namespace
