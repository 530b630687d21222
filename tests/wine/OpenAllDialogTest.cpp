// The open-in-all-versions dialog in the test's own process: its check boxes against the settings, and
// Browse. (Its clipboard rules are exercised against the real program, which owns the clipboard while it
// runs.)
#include "FrameworkTestSupport.h"
#include "app/LanguageTable.h"
#include "app/Localisation.h"
#include "app/Settings.h"
#include "framework/FileDialog.h"
#include "mainframe/DialogOpenAll.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>

using namespace movalent;
using movalent::test::WhenDialogShows;

namespace {

class MemoryStore : public SettingsStore {
public:
    std::map<std::wstring, int, std::less<>> ints;

    int ReadInt(std::wstring_view name, int defaultValue) override {
        auto it = ints.find(name);
        return it == ints.end() ? defaultValue : it->second;
    }
    std::wstring ReadString(std::wstring_view, const std::wstring& defaultValue) override {
        return defaultValue;
    }
    bool WriteInt(std::wstring_view name, int value) override {
        ints[std::wstring(name)] = value;
        return true;
    }
    bool WriteString(std::wstring_view, const std::wstring&) override { return true; }
    bool DeleteValue(std::wstring_view name) override { return ints.erase(std::wstring(name)) > 0; }
};

void Click(HWND dialog, int id) {
    ::SendMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

bool Ticked(HWND dialog, int id) {
    return ::IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

std::wstring Text(HWND window) {
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return text;
}

TEST(OpenAllDialog, BoxesShowTheSettingsAndStoreEveryClickEvenWhenCancelled) {
    // As at start-up: texts without a language file come from the string table.
    ProcessLanguageTable().SetResourceFallback(LoadResourceString);
    MemoryStore settings;
    settings.ints[L"OpenAll_IE6"] = 0;
    settings.ints[L"OpenAll_IE8"] = 2; // only 1 ticks a box
    std::vector<bool> shown;
    bool iconsSet = true;
    std::wstring caption, prompt, ok, cancel, browse;
    CDialogOpenAll dialog(&settings);
    WhenDialogShows act([&](HWND window) {
        for (int id = IDC_OPEN_ALL_IE55; id <= IDC_OPEN_ALL_IE_DEFAULT; ++id) {
            shown.push_back(Ticked(window, id));
            iconsSet = iconsSet && ::SendMessageW(::GetDlgItem(window, id), BM_GETIMAGE, IMAGE_ICON, 0) != 0;
        }
        caption = Text(window);
        prompt = Text(::GetDlgItem(window, IDC_OPEN_ALL_PROMPT));
        ok = Text(::GetDlgItem(window, IDOK));
        cancel = Text(::GetDlgItem(window, IDCANCEL));
        browse = Text(::GetDlgItem(window, IDC_OPEN_ALL_BROWSE));
        Click(window, IDC_OPEN_ALL_IE6);
        Click(window, IDC_OPEN_ALL_IE55);
        Click(window, IDC_OPEN_ALL_IE_DEFAULT);
        Click(window, IDC_OPEN_ALL_IE_DEFAULT);
        Click(window, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, dialog.DoModal(nullptr));
    EXPECT_EQ((std::vector<bool>{true, false, true, false, true}), shown);
    EXPECT_TRUE(iconsSet);
    EXPECT_EQ(L"Open in all IE versions", caption);
    EXPECT_EQ(L"Enter here the URL that will be opened in all IE versions:", prompt);
    EXPECT_EQ(L"Ok", ok);
    EXPECT_EQ(L"Cancel", cancel);
    EXPECT_EQ(L"Browse...", browse);
    EXPECT_EQ(0, settings.ints[L"OpenAll_IE5"]);
    EXPECT_EQ(1, settings.ints[L"OpenAll_IE6"]);
    EXPECT_EQ(1, settings.ints[L"OpenAll_IED"]) << "ticked twice: back on";
    EXPECT_EQ(0u, settings.ints.count(L"OpenAll_IE7")) << "never clicked, never written";
    EXPECT_EQ(2, settings.ints[L"OpenAll_IE8"]);

    // The next opening shows what was stored.
    shown.clear();
    CDialogOpenAll again(&settings);
    WhenDialogShows look([&](HWND window) {
        for (int id = IDC_OPEN_ALL_IE55; id <= IDC_OPEN_ALL_IE_DEFAULT; ++id)
            shown.push_back(Ticked(window, id));
        Click(window, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, again.DoModal(nullptr));
    EXPECT_EQ((std::vector<bool>{false, true, true, false, true}), shown);
}

struct BrowseRequest {
    int calls = 0;
    std::wstring filter;
    DWORD flags = 0;
    std::optional<std::wstring> answer;
} g_browse;

std::optional<std::wstring> FakeBrowse(HWND, const std::wstring& filter, DWORD flags) {
    ++g_browse.calls;
    g_browse.filter = filter;
    g_browse.flags = flags;
    return g_browse.answer;
}

TEST(OpenAllDialog, BrowseReplacesTheAddressAndOkHandsItBack) {
    MemoryStore settings;
    g_browse = {};
    FileOpenHandler previous = SetFileOpenHandler(FakeBrowse);
    std::wstring afterCancelledBrowse, afterBrowse;
    CDialogOpenAll dialog(&settings);
    WhenDialogShows act([&](HWND window) {
        ::SetDlgItemTextW(window, IDC_OPEN_ALL_URL, L"typed");
        Click(window, IDC_OPEN_ALL_BROWSE);
        afterCancelledBrowse = Text(::GetDlgItem(window, IDC_OPEN_ALL_URL));
        g_browse.answer = L"C:\\pages\\start page.html";
        Click(window, IDC_OPEN_ALL_BROWSE);
        afterBrowse = Text(::GetDlgItem(window, IDC_OPEN_ALL_URL));
        Click(window, IDOK);
    });
    EXPECT_EQ(IDOK, dialog.DoModal(nullptr));
    SetFileOpenHandler(previous);
    EXPECT_EQ(2, g_browse.calls);
    EXPECT_EQ(L"HTML Files (*.htm; *.html; *.mhtml; *.mht)|*.htm;*.html;*.mhtml;*.mht|All files (*.*)|*.*||",
              g_browse.filter);
    EXPECT_EQ(static_cast<DWORD>(OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR),
              g_browse.flags & (OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR))
        << "the engine loader finds the engine files in the current directory: browsing must not move it";
    EXPECT_EQ(L"typed", afterCancelledBrowse);
    EXPECT_EQ(L"C:\\pages\\start page.html", afterBrowse);
    EXPECT_EQ(L"C:\\pages\\start page.html", dialog.Address());
    EXPECT_TRUE(settings.ints.empty()) << "OK stores nothing the boxes did not";
}

} // namespace
