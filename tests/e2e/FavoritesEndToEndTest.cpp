// The user's Internet Explorer favorites in the real program: a favorites folder made by the test, named by
// the shell's "User Shell Folders" value the program reads at start-up, and favorites commands that navigate
// the active tab.
#include "PageFolder.h"
#include "ProgramHarness.h"
#include "TabInspection.h"
#include "resource.h"
#include "standin/StandInTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <optional>

using namespace movalent::test;

namespace {

const wchar_t* const kShellFolders =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// The "Favorites" value as it was, put back when the test ends.
class SavedFavoritesValue {
public:
    SavedFavoritesValue() {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, kShellFolders, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
            return;
        DWORD size = 0;
        if (::RegQueryValueExW(key, L"Favorites", nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
            data_.resize(size);
            if (::RegQueryValueExW(key, L"Favorites", nullptr, &type_, data_.data(), &size) == ERROR_SUCCESS)
                present_ = true;
        }
        ::RegCloseKey(key);
    }
    ~SavedFavoritesValue() {
        HKEY key = nullptr;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, kShellFolders, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                              nullptr) != ERROR_SUCCESS)
            return;
        if (present_)
            ::RegSetValueExW(key, L"Favorites", 0, type_, data_.data(), static_cast<DWORD>(data_.size()));
        else
            ::RegDeleteValueW(key, L"Favorites");
        ::RegCloseKey(key);
    }
    SavedFavoritesValue(const SavedFavoritesValue&) = delete;
    SavedFavoritesValue& operator=(const SavedFavoritesValue&) = delete;

private:
    bool present_ = false;
    DWORD type_ = 0;
    std::vector<BYTE> data_;
};

void SetFavoritesValue(const std::wstring& value, DWORD type) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CURRENT_USER, kShellFolders, 0, nullptr, 0, KEY_SET_VALUE,
                                               nullptr, &key, nullptr));
    ::RegSetValueExW(key, L"Favorites", 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
}

bool EndsInUrl(const std::wstring& name) {
    return name.size() >= 4 && ::lstrcmpiW(name.c_str() + name.size() - 4, L".url") == 0;
}

// The command every shortcut below folder gets: in the order the file system lists them, a sub-folder's
// shortcuts before the ones listed after that sub-folder. Keys are paths relative to the favorites folder.
void NumberShortcuts(const std::wstring& folder, const std::wstring& relative, unsigned& next,
                     std::map<std::wstring, unsigned>& ids) {
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((folder + L"\\*.*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::wstring name = found.cFileName;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (name != L"." && name != L"..")
                NumberShortcuts(folder + L"\\" + name, relative + name + L"\\", next, ids);
        } else if (EndsInUrl(name)) {
            ids[relative + name] = next++;
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

class Favorites : public ::testing::Test {
protected:
    void SetUp() override {
        Program::ResetSettings();
        favorites_ = pages.Folder() / L"Favorites";
        std::filesystem::create_directories(favorites_);
    }
    void TearDown() override { Program::ResetSettings(); }

    void Shortcut(const std::wstring& relative, const std::optional<std::wstring>& url) const {
        std::filesystem::path file = favorites_ / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary);
        out << "[DEFAULT]\r\nBASEURL=http://elsewhere.test/\r\n[InternetShortcut]\r\n";
        if (url)
            out << "URL=" << std::filesystem::path(*url).string() << "\r\n";
        out << "IconIndex=0\r\n";
    }
    std::map<std::wstring, unsigned> Ids() const {
        std::map<std::wstring, unsigned> ids;
        unsigned next = ID_FAVORITE_FIRST;
        NumberShortcuts(favorites_.wstring(), L"", next, ids);
        return ids;
    }
    // The program finds the folder through an environment variable in the value, as the shell stores it.
    ProgramOptions Options(std::vector<std::wstring> arguments) const {
        SetFavoritesValue(L"%MOVALENT_TEST_FAVORITES%", REG_EXPAND_SZ);
        ProgramOptions options;
        options.engineFolder = movalent::standin::testing::StandInFolder(L"full");
        options.arguments = std::move(arguments);
        options.environment[L"MOVALENT_TEST_FAVORITES"] = favorites_.wstring();
        return options;
    }
    static bool ShowsPage(HWND tab, const std::wstring& title) {
        return PageValue(tab, L"title") == title && PageValue(tab, L"state") == L"complete";
    }
    static bool WaitForPage(HWND tab, const std::wstring& title) {
        return Program::WaitFor([&] { return ShowsPage(tab, title); });
    }

    SavedFavoritesValue savedValue_;
    PageFolder pages;
    std::filesystem::path favorites_;
};

TEST_F(Favorites, AFavoriteOpensInTheActiveTabOnly) {
    std::wstring six = pages.WritePage(L"six.html", "Six");
    std::wstring seven = pages.WritePage(L"seven.html", "Seven");
    Shortcut(L"Zeta.url", pages.WritePage(L"zeta.html", "Zeta page"));
    Shortcut(L"Alpha\\Inner.url", pages.WritePage(L"inner.html", "Inner page"));
    Shortcut(L"Alpha\\Nested\\Deep.url", pages.WritePage(L"deep.html", "Deep page"));
    Shortcut(L"Links.URL", pages.WritePage(L"links.html", "Links page"));
    Shortcut(L"No address.url", std::nullopt);
    Shortcut(L"notes.txt", pages.Path(L"zeta.html"));
    std::filesystem::create_directories(favorites_ / L"Empty");
    std::map<std::wstring, unsigned> ids = Ids();
    ASSERT_EQ(5u, ids.size());

    Program program;
    ASSERT_TRUE(program.Start(Options({L"-ie6", six, L"-ie7", seven}))) << program.StartError();
    ASSERT_TRUE(Program::WaitFor([&] {
        auto tabs = program.Tabs();
        return tabs.size() == 2 && ShowsPage(tabs[0], L"Six") != ShowsPage(tabs[0], L"Seven") &&
               ShowsPage(tabs[1], L"Six") != ShowsPage(tabs[1], L"Seven");
    }));
    HWND active = program.ActiveTab();
    ASSERT_TRUE(active);
    HWND other = program.Tabs()[0] == active ? program.Tabs()[1] : program.Tabs()[0];
    const std::wstring otherTitle = PageValue(other, L"title");
    EXPECT_TRUE(program.CommandEnabled(ids[L"Zeta.url"]));

    program.PostCommand(ids[L"Zeta.url"]);
    EXPECT_TRUE(WaitForPage(active, L"Zeta page"));
    // Shortcuts in sub-folders, at any depth, and with the extension in capitals.
    program.PostCommand(ids[L"Alpha\\Nested\\Deep.url"]);
    EXPECT_TRUE(WaitForPage(active, L"Deep page"));
    program.PostCommand(ids[L"Links.URL"]);
    EXPECT_TRUE(WaitForPage(active, L"Links page"));
    program.PostCommand(ids[L"Alpha\\Inner.url"]);
    EXPECT_TRUE(WaitForPage(active, L"Inner page"));
    // A shortcut without an address leaves the tab where it is.
    program.PostCommand(ids[L"No address.url"]);
    ::Sleep(500);
    EXPECT_TRUE(ShowsPage(active, L"Inner page")) << PageValue(active, L"title");
    EXPECT_TRUE(ShowsPage(other, otherTitle)) << "the other tab never moved";
    EXPECT_EQ(0, program.Close());
}

TEST_F(Favorites, OnlyThe512FirstShortcutsAreCommands) {
    std::wstring start = pages.WritePage(L"start.html", "Start");
    Shortcut(L"First.url", pages.Path(L"first.html"));
    for (int i = 0; i < 600; ++i)
        Shortcut(L"Many\\m" + std::to_wstring(i) + L".url", pages.Path(L"m" + std::to_wstring(i) + L".html"));
    std::map<std::wstring, unsigned> ids = Ids();
    ASSERT_EQ(601u, ids.size());
    for (const auto& [path, id] : ids) {
        std::wstring page = path == L"First.url" ? L"first" : path.substr(5, path.size() - 9);
        if (id == ID_FAVORITE_LAST)
            pages.WritePage(page + L".html", "Last favorite");
        else if (id == ID_FAVORITE_LAST + 1)
            pages.WritePage(page + L".html", "Past the favorites");
    }

    Program program;
    ASSERT_TRUE(program.Start(Options({L"-ie8", start}))) << program.StartError();
    ASSERT_TRUE(Program::WaitFor([&] { return program.ActiveTab() != nullptr; }));
    HWND tab = program.ActiveTab();
    ASSERT_TRUE(WaitForPage(tab, L"Start"));
    program.PostCommand(ID_FAVORITE_LAST);
    ASSERT_TRUE(WaitForPage(tab, L"Last favorite"));
    // The next number is the first history entry's, which goes back to a page the tab has shown.
    program.PostCommand(ID_FAVORITE_LAST + 1);
    ::Sleep(800);
    EXPECT_TRUE(Program::WaitFor([&] { return PageValue(tab, L"state") == L"complete"; }));
    EXPECT_NE(L"Past the favorites", PageValue(tab, L"title"));
    EXPECT_EQ(0, program.Close());
}

TEST_F(Favorites, WithoutAFavoritesFolderFavoritesDoNothing) {
    std::wstring start = pages.WritePage(L"start.html", "Start");
    // A value naming no folder, then an empty value: neither may have the program search anything else.
    for (const std::wstring& value : {(favorites_ / L"missing").wstring(), std::wstring()}) {
        SCOPED_TRACE(value);
        SetFavoritesValue(value, REG_SZ);
        ProgramOptions options;
        options.engineFolder = movalent::standin::testing::StandInFolder(L"full");
        options.stringSettings[L"HomePage"] = start;
        Program program;
        ASSERT_TRUE(program.Start(options)) << program.StartError();
        // The favorites commands belong to the tabs.
        EXPECT_FALSE(program.CommandEnabled(ID_FAVORITE_FIRST));
        program.PostCommand(ID_NEW_IE6);
        ASSERT_TRUE(Program::WaitFor([&] { return program.ActiveTab() != nullptr; }));
        HWND tab = program.ActiveTab();
        ASSERT_TRUE(Program::WaitFor([&] { return PageValue(tab, L"state") == L"complete"; }));
        const std::wstring url = PageValue(tab, L"url");
        EXPECT_TRUE(program.CommandEnabled(ID_FAVORITE_FIRST));
        program.PostCommand(ID_FAVORITE_FIRST);
        ::Sleep(500);
        EXPECT_EQ(url, PageValue(tab, L"url"));
        EXPECT_EQ(0, program.Close());
    }
}

} // namespace
