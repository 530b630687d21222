#include "app/Settings.h"
#include "mainframe/Favorit.h"
#include "mainframe/InternetShortcut.h"
#include "mainframe/OpenAllRules.h"

#include <gtest/gtest.h>

#include <map>

namespace movalent {
namespace {

// Folders by path (with their trailing backslash), each with its entries in listing order.
class FakeFolders : public FavoritesFileSystem {
public:
    std::map<std::wstring, std::vector<Entry>> folders;
    std::map<std::wstring, std::wstring> urls;
    std::vector<std::wstring> listed;

    bool List(const std::wstring& folder, std::vector<Entry>& entries) override {
        listed.push_back(folder);
        // "Loop" is a link to the folder that holds it: any depth of it lists that folder again.
        std::wstring resolved = folder;
        for (size_t at; (at = resolved.find(L"Loop\\")) != std::wstring::npos;)
            resolved.erase(at, 5);
        auto it = folders.find(resolved);
        if (it == folders.end())
            return false;
        entries = it->second;
        return true;
    }
    std::wstring ShortcutUrl(const std::wstring& path) override {
        auto it = urls.find(path);
        return it == urls.end() ? std::wstring() : it->second;
    }
};

FavoritesFileSystem::Entry File(const wchar_t* name) {
    return {name, false};
}
FavoritesFileSystem::Entry Dir(const wchar_t* name) {
    return {name, true};
}

std::vector<std::wstring> Names(const CFavorit& node) {
    std::vector<std::wstring> names;
    for (const auto& child : node.Children())
        names.push_back(child->Name() + (child->IsFolder() ? L"/" : L""));
    return names;
}

using Names_ = std::vector<std::wstring>;

TEST(FavoritesTree, ALinkedFolderIsPassedOverSoALinkBackUpEnds) {
    FakeFolders disk;
    disk.folders[L"C:\\Fav\\"] = {File(L"A.url"), {L"Loop", true, true}, Dir(L"Real")};
    disk.folders[L"C:\\Fav\\Real\\"] = {File(L"B.url")};
    CFavorit root;
    FavoriteIdCounter ids;
    ASSERT_TRUE(root.LoadFolder(L"C:\\Fav", disk, ids));
    EXPECT_EQ((Names_{L"A", L"Real/"}), Names(root));
    EXPECT_EQ(2u, disk.listed.size());
}

TEST(FavoritesTree, FoldersGoAfterTheShortcutsListedBeforeTheFirstFolder) {
    FakeFolders disk;
    disk.folders[L"C:\\Fav\\"] = {Dir(L"."),     Dir(L".."),        File(L"Zeta.url"),
                                  Dir(L"Alpha"), File(L"Beta.url"), Dir(L"Gamma")};
    disk.folders[L"C:\\Fav\\Alpha\\"] = {};
    disk.folders[L"C:\\Fav\\Gamma\\"] = {};
    CFavorit root;
    FavoriteIdCounter ids;
    ASSERT_TRUE(root.LoadFolder(L"C:\\Fav", disk, ids));
    EXPECT_EQ((Names_{L"Zeta", L"Alpha/", L"Gamma/", L"Beta"}), Names(root));

    // Later shortcuts keep their listing order behind all folders.
    disk.folders[L"C:\\Two\\"] = {File(L"s1.url"), File(L"s2.url"), Dir(L"F1"), File(L"s3.url"),
                                  Dir(L"F2"),      File(L"s4.url"), Dir(L"F3")};
    CFavorit other;
    ASSERT_TRUE(other.LoadFolder(L"C:\\Two\\", disk, ids));
    EXPECT_EQ((Names_{L"s1", L"s2", L"F1/", L"F2/", L"F3/", L"s3", L"s4"}), Names(other));
}

TEST(FavoritesTree, IdsFollowLoadOrderDepthFirstAndPathsGetTheirBackslash) {
    FakeFolders disk;
    disk.folders[L"D:\\F\\"] = {File(L"a.url"), Dir(L"Sub"), File(L"d.url")};
    disk.folders[L"D:\\F\\Sub\\"] = {File(L"b.url"), Dir(L"Deeper"), File(L"c.url")};
    disk.folders[L"D:\\F\\Sub\\Deeper\\"] = {File(L"x.URL")};
    disk.urls[L"D:\\F\\Sub\\Deeper\\x.URL"] = L"http://x.test/";
    disk.urls[L"D:\\F\\d.url"] = L"http://d.test/";
    CFavorit root;
    FavoriteIdCounter ids;
    ASSERT_TRUE(root.LoadFolder(L"D:\\F", disk, ids));
    EXPECT_EQ((Names_{L"D:\\F\\", L"D:\\F\\Sub\\", L"D:\\F\\Sub\\Deeper\\"}), disk.listed);

    // The tree shows a, Sub, d; ids were given a, b, x, c, d.
    ASSERT_EQ((Names_{L"a", L"Sub/", L"d"}), Names(root));
    const CFavorit& sub = *root.Children()[1];
    ASSERT_EQ((Names_{L"b", L"Deeper/", L"c"}), Names(sub));
    EXPECT_EQ(3584u, root.Children()[0]->Id());
    EXPECT_EQ(3585u, sub.Children()[0]->Id());
    EXPECT_EQ(3586u, sub.Children()[1]->Children()[0]->Id());
    EXPECT_EQ(3587u, sub.Children()[2]->Id());
    EXPECT_EQ(3588u, root.Children()[2]->Id());
    EXPECT_EQ(0u, sub.Id());
    EXPECT_EQ(3589u, ids.Peek());

    EXPECT_EQ(L"http://x.test/", root.AddressOf(3586));
    EXPECT_EQ(L"http://d.test/", root.AddressOf(3588));
    EXPECT_EQ(L"", root.AddressOf(3584)); // a shortcut without an address
    EXPECT_EQ(L"", root.AddressOf(3589)); // nobody has it yet
    EXPECT_EQ(L"", root.AddressOf(0));
    EXPECT_EQ(nullptr, root.Find(0)); // not the root, not a folder
    EXPECT_EQ(sub.Children()[1]->Children()[0].get(), root.Find(3586));
}

TEST(FavoritesTree, OnlyUrlFilesInAnyCaseAreShortcuts) {
    FakeFolders disk;
    disk.folders[L"F\\"] = {File(L"Links.URL"), File(L"notes.txt"), File(L"page.url.lnk"), File(L"Mixed.uRl"),
                            File(L".url"),      File(L"url"),       File(L"x.ur")};
    CFavorit root;
    FavoriteIdCounter ids;
    ASSERT_TRUE(root.LoadFolder(L"F", disk, ids));
    EXPECT_EQ((Names_{L"Links", L"Mixed", L""}), Names(root));
    EXPECT_EQ(3587u, ids.Peek());
}

TEST(FavoritesTree, UnlistableFoldersGiveNothingButAnUnlistableSubFolderStillShows) {
    FakeFolders disk;
    FavoriteIdCounter ids;
    CFavorit missing;
    EXPECT_FALSE(missing.LoadFolder(L"", disk, ids));
    EXPECT_EQ((Names_{L"\\"}), disk.listed);
    EXPECT_TRUE(missing.Children().empty());

    disk.folders[L"R\\"] = {Dir(L"Locked"), File(L"a.url")};
    CFavorit root;
    ASSERT_TRUE(root.LoadFolder(L"R\\", disk, ids));
    EXPECT_EQ((Names_{L"Locked/", L"a"}), Names(root));
    EXPECT_TRUE(root.Children()[0]->Children().empty());
}

TEST(FavoritesTree, ShortcutsPastTheLastFavoritesCommandHaveNoAddress) {
    FakeFolders disk;
    std::vector<FavoritesFileSystem::Entry> entries;
    for (int i = 0; i < 600; ++i) {
        std::wstring name = L"s" + std::to_wstring(i) + L".url";
        entries.push_back({name, false});
        disk.urls[L"F\\" + name] = L"http://s" + std::to_wstring(i) + L".test/";
    }
    disk.folders[L"F\\"] = entries;
    CFavorit root;
    FavoriteIdCounter ids;
    ASSERT_TRUE(root.LoadFolder(L"F", disk, ids));
    ASSERT_EQ(600u, root.Children().size());
    EXPECT_EQ(4095u, root.Children()[511]->Id());
    EXPECT_EQ(L"http://s511.test/", root.AddressOf(4095));
    // The 513th shortcut would be 4096, the first history entry: it answers no command.
    EXPECT_EQ(4096u, root.Children()[512]->Id());
    EXPECT_EQ(L"", root.AddressOf(4096));
    EXPECT_FALSE(IsFavoriteCommand(4096));
    EXPECT_FALSE(IsFavoriteCommand(3583));
}

std::wstring Latin1(std::string_view bytes) {
    std::wstring text;
    for (char c : bytes)
        text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return text;
}

std::wstring Url(std::string_view bytes) {
    return InternetShortcutUrl(bytes, Latin1);
}

TEST(InternetShortcutFile, UrlOfTheShortcutSection) {
    EXPECT_EQ(L"http://example.test/a?b=c", Url("[DEFAULT]\r\nBASEURL=http://other.test/"
                                                "\r\n[InternetShortcut]\r\nURL=http://example.test/a?b=c\r\n"
                                                "IDList=\r\nIconIndex=0\r\n"));
    // Names in any case, blanks around names and values, no final line break, a bare line feed.
    EXPECT_EQ(L"http://x.test/ y", Url("  [internetshortcut]\n\t url \t=  http://x.test/ y \t"));
    // One pair of equal quotes goes; unequal quotes and a lone quote stay.
    EXPECT_EQ(L"http://q.test/", Url("[InternetShortcut]\nURL=\"http://q.test/\""));
    EXPECT_EQ(L"http://q.test/", Url("[InternetShortcut]\nURL='http://q.test/'"));
    EXPECT_EQ(L"\"http://q.test/'", Url("[InternetShortcut]\nURL=\"http://q.test/'"));
    EXPECT_EQ(L"\"", Url("[InternetShortcut]\nURL=\""));
    // Further "=" belong to the value; the first key of that name wins.
    EXPECT_EQ(L"http://e.test/?a=1",
              Url("[InternetShortcut]\nURL=http://e.test/?a=1\nURL=http://late.test/"));
}

TEST(InternetShortcutFile, NoAddressWhereTheSectionOrKeyIsMissing) {
    EXPECT_EQ(L"", Url(""));
    EXPECT_EQ(L"", Url("[InternetShortcut]\nIconIndex=1\n"));
    EXPECT_EQ(L"", Url("URL=http://before-any-section.test/\n[InternetShortcut]\n"));
    EXPECT_EQ(L"", Url("[Other]\nURL=http://other.test/\n"));
    EXPECT_EQ(L"", Url("[InternetShortcut]\nURL\n"));
    EXPECT_EQ(L"", Url("[InternetShortcut]\n;URL=http://comment.test/\nURLs=http://longer.test/\n"));
    // Only the first section of the name is searched.
    EXPECT_EQ(L"", Url("[InternetShortcut]\nA=1\n[Other]\n[InternetShortcut]\nURL=http://second.test/\n"));
    // A header without its bracket is a key line of the section before it.
    EXPECT_EQ(L"", Url("[InternetShortcut\nURL=http://x.test/\n"));
}

TEST(InternetShortcutFile, LongAddressesAreCut) {
    std::string longUrl = "http://long.test/" + std::string(3000, 'a');
    std::wstring url = Url("[InternetShortcut]\nURL=" + longUrl + "\n");
    EXPECT_EQ(kShortcutUrlMaxChars, url.size());
    EXPECT_EQ(std::wstring(longUrl.begin(), longUrl.begin() + kShortcutUrlMaxChars), url);
}

TEST(InternetShortcutFile, ByteOrderMarksChooseTheEncoding) {
    auto utf16 = [](std::wstring_view text, bool bigEndian) {
        std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (wchar_t c : text) {
            char high = static_cast<char>((c >> 8) & 0xFF), low = static_cast<char>(c & 0xFF);
            bytes += bigEndian ? std::string{high, low} : std::string{low, high};
        }
        return bytes;
    };
    std::wstring text = L"[InternetShortcut]\r\nURL=http://\u00e9\u4e2d.test/\r\n";
    EXPECT_EQ(L"http://\u00e9\u4e2d.test/", Url(utf16(text, false)));
    EXPECT_EQ(L"http://\u00e9\u4e2d.test/", Url(utf16(text, true)));
    // An odd trailing byte is dropped.
    EXPECT_EQ(L"http://\u00e9\u4e2d.test/", Url(utf16(text, false) + "x"));
    EXPECT_EQ(L"http://\u00e9\u4e2d.test/",
              Url("\xEF\xBB\xBF[InternetShortcut]\nURL=http://\xC3\xA9\xE4\xB8\xAD.test/"));
    // Broken UTF-8 gives replacement characters, never a read past the end.
    EXPECT_EQ(L"http://\uFFFD\uFFFD.test/\uFFFD\uFFFD",
              Url("\xEF\xBB\xBF[InternetShortcut]\nURL=http://\xC3\xC0.test/\xE4\xB8"));
    // Without a mark: the 8-bit code page.
    EXPECT_EQ(L"http://\u00e9.test/", Url("[InternetShortcut]\nURL=http://\xE9.test/"));
}

TEST(OpenAllDialogRules, ClipboardTextBecomesAnAddressOnlyWhenItIsAWebAddress) {
    EXPECT_EQ(L"https://example.test/long/path",
              OpenAllAddressFromClipboard(L"  https://example.test/long\r\n/path \t"));
    EXPECT_EQ(L"http://a.test/", OpenAllAddressFromClipboard(L"\r\n\thttp://a.test/\n"));
    EXPECT_EQ(L"http://a.test/with space", OpenAllAddressFromClipboard(L"http://a.test/with space"));
    EXPECT_EQ(L"", OpenAllAddressFromClipboard(L"www.example.test"));
    EXPECT_EQ(L"", OpenAllAddressFromClipboard(L"HTTP://upper.test/"));
    EXPECT_EQ(L"", OpenAllAddressFromClipboard(L"ftp://files.test/"));
    EXPECT_EQ(L"", OpenAllAddressFromClipboard(L"see http://a.test/"));
    EXPECT_EQ(L"", OpenAllAddressFromClipboard(L""));
    EXPECT_EQ(L"", OpenAllAddressFromClipboard(L"http:/"));
}

TEST(OpenAllDialogRules, BoxesStandForTheVersionsLeftToRight) {
    std::vector<std::wstring> settings;
    std::vector<int> controls;
    for (const OpenAllBox& box : kOpenAllBoxes) {
        settings.push_back(OpenAllValueName(box.version));
        controls.push_back(box.control);
        EXPECT_EQ(&box, FindOpenAllBox(box.control));
    }
    EXPECT_EQ((Names_{L"OpenAll_IE5", L"OpenAll_IE6", L"OpenAll_IE7", L"OpenAll_IE8", L"OpenAll_IED"}),
              settings);
    EXPECT_EQ((std::vector<int>{1017, 1018, 1019, 1020, 1021}), controls);
    EXPECT_EQ((std::vector<unsigned>{315, 314, 317, 319, 316}),
              (std::vector<unsigned>{kOpenAllBoxes[0].icon, kOpenAllBoxes[1].icon, kOpenAllBoxes[2].icon,
                                     kOpenAllBoxes[3].icon, kOpenAllBoxes[4].icon}));
    EXPECT_EQ(nullptr, FindOpenAllBox(1015));
    EXPECT_EQ(nullptr, FindOpenAllBox(1022));
}

} // namespace
} // namespace movalent
