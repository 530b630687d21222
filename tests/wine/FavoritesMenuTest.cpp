// The favorites menu as the ribbon gets it, built from trees made in memory and from a real folder of
// shortcut files.
#include "framework/Menu.h"
#include "mainframe/Favorit.h"
#include "mainframe/FavoritesManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace movalent;

namespace {

std::wstring ItemText(HMENU menu, int position) {
    wchar_t text[256] = {};
    ::GetMenuStringW(menu, static_cast<UINT>(position), text, 256, MF_BYPOSITION);
    return text;
}

// One line per item: its text, then its id, or "/" and the sub-menu's items in brackets.
std::wstring Describe(HMENU menu) {
    std::wstring out;
    int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        if (!out.empty())
            out += L" ";
        out += ItemText(menu, i);
        if (HMENU sub = ::GetSubMenu(menu, i))
            out += L"/[" + Describe(sub) + L"]";
        else
            out += L"=" + std::to_wstring(::GetMenuItemID(menu, i));
    }
    return out;
}

TEST(FavoritesMenu, ShortcutsAreItemsAndFoldersSubMenusEvenWhenEmpty) {
    CFavorit root;
    root.Add(CFavorit::Shortcut(L"Zeta", L"http://zeta.test/", 3584));
    CFavorit& alpha = root.Add(CFavorit::Folder(L"Alpha"));
    alpha.Add(CFavorit::Shortcut(L"Inner", L"", 3585));
    CFavorit& nested = alpha.Add(CFavorit::Folder(L"Nested"));
    nested.Add(CFavorit::Shortcut(L"Deep", L"http://deep.test/", 3586));
    root.Add(CFavorit::Folder(L"Empty"));
    root.Add(CFavorit::Shortcut(L"Fish && &Chips", L"http://fish.test/", 3587));

    Menu menu;
    ASSERT_TRUE(root.BuildMenu(menu));
    ASSERT_TRUE(menu);
    EXPECT_EQ(L"Zeta=3584 Alpha/[Inner=3585 Nested/[Deep=3586]] Empty/[] Fish && &Chips=3587",
              Describe(menu.Handle()));
    // Building again replaces the popup rather than adding to it.
    HMENU first = menu.Handle();
    ASSERT_TRUE(root.BuildMenu(menu));
    EXPECT_FALSE(::IsMenu(first));
    EXPECT_EQ(4, ::GetMenuItemCount(menu.Handle()));
}

TEST(FavoritesMenu, SubMenusBelongToTheMenuThatHoldsThem) {
    Menu outer;
    ASSERT_TRUE(outer.CreatePopup());
    Menu inner;
    ASSERT_TRUE(inner.CreatePopup());
    HMENU innerHandle = inner.Handle();
    ASSERT_TRUE(outer.AppendSubMenu(inner, L"Inner"));
    EXPECT_FALSE(inner);
    EXPECT_FALSE(outer.AppendSubMenu(inner, L"Again")) << "nothing left to append";
    EXPECT_FALSE(outer.AppendSubMenu(outer, L"Itself"));
    outer.Destroy();
    EXPECT_FALSE(::IsMenu(innerHandle));
}

class FavoritesFolder : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        folder_ =
            std::filesystem::path(temp) / (L"movalent-favorites-" + std::to_wstring(::GetCurrentProcessId()));
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    void Shortcut(const std::filesystem::path& relative, const std::string& url) {
        std::filesystem::create_directories((folder_ / relative).parent_path());
        std::ofstream file(folder_ / relative, std::ios::binary);
        file << "[InternetShortcut]\r\n";
        if (!url.empty())
            file << "URL=" << url << "\r\n";
    }

    std::filesystem::path folder_;
};

TEST_F(FavoritesFolder, RealShortcutFilesGiveTheirAddresses) {
    Shortcut(L"Links.URL", "http://links.test/");
    Shortcut(L"No address.url", "");
    Shortcut(L"Tools\\Deeper\\Deep.url", "http://deep.test/");
    Shortcut(L"readme.txt", "http://ignored.test/");
    std::filesystem::create_directories(folder_ / L"Empty");

    CFavoritesManager favorites;
    ASSERT_TRUE(favorites.LoadFrom(folder_.wstring()));
    const CFavorit& root = favorites.Root();
    ASSERT_EQ(4u, root.Children().size());
    std::vector<std::wstring> shortcuts;
    for (const auto& child : root.Children()) {
        if (child->IsFolder())
            continue;
        shortcuts.push_back(child->Name());
        std::wstring expected = child->Name() == L"Links" ? L"http://links.test/" : L"";
        EXPECT_EQ(expected, favorites.Url(child->Id())) << child->Name();
    }
    std::sort(shortcuts.begin(), shortcuts.end());
    EXPECT_EQ((std::vector<std::wstring>{L"Links", L"No address"}), shortcuts);

    const CFavorit* deep = nullptr;
    for (unsigned id = kFirstFavoriteCommand; id < kFirstFavoriteCommand + 3; ++id)
        if (const CFavorit* node = root.Find(id); node && node->Name() == L"Deep")
            deep = node;
    ASSERT_TRUE(deep);
    EXPECT_EQ(L"http://deep.test/", favorites.Url(deep->Id()));

    Menu menu;
    ASSERT_TRUE(favorites.BuildMenu(menu));
    EXPECT_EQ(4, ::GetMenuItemCount(menu.Handle()));
}

TEST_F(FavoritesFolder, OnlyTheFirst512ShortcutsGetMenuItems) {
    for (int i = 0; i < 600; ++i)
        Shortcut(L"s" + std::to_wstring(i) + L".url", "http://s" + std::to_string(i) + ".test/");
    CFavoritesManager favorites;
    ASSERT_TRUE(favorites.LoadFrom(folder_.wstring() + L"\\"));
    ASSERT_EQ(600u, favorites.Root().Children().size());
    Menu menu;
    ASSERT_TRUE(favorites.BuildMenu(menu));
    ASSERT_EQ(512, ::GetMenuItemCount(menu.Handle()));
    EXPECT_EQ(static_cast<UINT>(kFirstFavoriteCommand), ::GetMenuItemID(menu.Handle(), 0));
    EXPECT_EQ(static_cast<UINT>(kLastFavoriteCommand), ::GetMenuItemID(menu.Handle(), 511));
    // The item of the last favorites command opens what it shows.
    std::wstring lastName = ItemText(menu.Handle(), 511);
    EXPECT_EQ(L"http://" + lastName + L".test/", favorites.Url(kLastFavoriteCommand));
    EXPECT_EQ(L"", favorites.Url(kLastFavoriteCommand + 1));
}

} // namespace
