// The options sheet, driven from outside as a user would: every change is stored the moment it is made,
// survives a restart, and the sheet speaks the language chosen in it.
#include "PageFolder.h"
#include "ProgramHarness.h"
#include "StandInWindows.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <prsht.h>

#include <fstream>
#include <optional>
#include <string>
#include <vector>

using namespace movalent::test;

namespace {

constexpr const wchar_t* kOptionsKey = L"Software\\Ombrisk\\Movalent\\Options";
constexpr int kGeneralPage = 0;
constexpr int kLanguagePage = 1;
constexpr int kAdvancedPage = 2;

std::optional<DWORD> StoredInt(const wchar_t* name) {
    DWORD value = 0, size = sizeof(value);
    if (::RegGetValueW(HKEY_CURRENT_USER, kOptionsKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

std::optional<std::wstring> StoredString(const wchar_t* name) {
    wchar_t value[512] = {};
    DWORD size = sizeof(value);
    if (::RegGetValueW(HKEY_CURRENT_USER, kOptionsKey, name, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(value);
}

// Sent, not read from the window structure: edit boxes keep their text to themselves.
std::wstring TextOf(HWND hwnd) {
    wchar_t text[512] = {};
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutW(hwnd, WM_GETTEXT, ARRAYSIZE(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                          5000, &copied);
    return std::wstring(text, copied);
}

LRESULT SendTo(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
    return static_cast<LRESULT>(result);
}

struct SheetSearch {
    DWORD processId;
    HWND owner;
    HWND found;
};

BOOL CALLBACK FindSheet(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<SheetSearch*>(param);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(hwnd, &processId);
    wchar_t className[32] = {};
    ::GetClassNameW(hwnd, className, ARRAYSIZE(className));
    if (processId == search->processId && std::wstring(className) == L"#32770" && ::IsWindowVisible(hwnd) &&
        ::GetWindow(hwnd, GW_OWNER) == search->owner && ::GetDlgItem(hwnd, IDOK)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The options sheet of a running program, seen from outside.
class OptionsSheet {
public:
    explicit OptionsSheet(Program& program) : program_(program) {}

    bool Open() {
        program_.PostCommand(ID_CONFIGURE);
        return Program::WaitFor([this] { return (sheet_ = Find()) != nullptr; });
    }
    HWND Handle() const { return sheet_; }
    HWND Find() const {
        SheetSearch search{program_.ProcessId(), program_.MainWindow(), nullptr};
        ::EnumWindows(FindSheet, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    // Pages come into being when first shown, so a page is shown before its controls are used.
    HWND Control(int page, int id) const {
        SendTo(sheet_, PSM_SETCURSEL, static_cast<WPARAM>(page), 0);
        HWND pageWindow = reinterpret_cast<HWND>(SendTo(sheet_, PSM_GETCURRENTPAGEHWND));
        return pageWindow ? ::GetDlgItem(pageWindow, id) : nullptr;
    }

    // What a mouse selection in a list ends with: the selection, then the notification to the page.
    void Choose(int page, int id, int index, bool comboBox) const {
        HWND control = Control(page, id);
        SendTo(control, comboBox ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(index));
        SendTo(::GetParent(control), WM_COMMAND, MAKEWPARAM(id, comboBox ? CBN_SELCHANGE : LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(control));
    }

    std::vector<std::wstring> ListItems(int page, int id) const {
        HWND list = Control(page, id);
        std::vector<std::wstring> items;
        LRESULT count = SendTo(list, LB_GETCOUNT);
        for (LRESULT i = 0; i < count; ++i) {
            wchar_t text[256] = {};
            SendTo(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            items.emplace_back(text);
        }
        return items;
    }
    int ListIndexOf(int page, int id, const std::wstring& text) const {
        std::vector<std::wstring> items = ListItems(page, id);
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i] == text)
                return static_cast<int>(i);
        return -1;
    }
    std::wstring SelectedListItem(int page, int id) const {
        LRESULT index = SendTo(Control(page, id), LB_GETCURSEL);
        std::vector<std::wstring> items = ListItems(page, id);
        return index >= 0 && index < static_cast<LRESULT>(items.size()) ? items[index] : L"";
    }
    std::wstring ComboItem(int index) const {
        wchar_t text[256] = {};
        SendTo(Control(kGeneralPage, IDC_SEARCH_BEHAVIOUR), CB_GETLBTEXT, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(text));
        return text;
    }
    LRESULT SelectedSearchData() const {
        HWND combo = Control(kGeneralPage, IDC_SEARCH_BEHAVIOUR);
        LRESULT index = SendTo(combo, CB_GETCURSEL);
        return index < 0 ? -1 : SendTo(combo, CB_GETITEMDATA, static_cast<WPARAM>(index));
    }
    void Click(int page, int id) const { SendTo(Control(page, id), BM_CLICK); }
    bool Checked(int page, int id) const { return SendTo(Control(page, id), BM_GETCHECK) == BST_CHECKED; }
    void TypeHomePage(const std::wstring& text) const {
        SendTo(Control(kGeneralPage, IDC_HOME_PAGE_EDIT), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>(text.c_str()));
    }
    std::wstring HomePageText() const { return TextOf(Control(kGeneralPage, IDC_HOME_PAGE_EDIT)); }

    // The title bar's close box.
    bool CloseFromTitleBar() {
        ::PostMessageW(sheet_, WM_SYSCOMMAND, SC_CLOSE, 0);
        return Program::WaitFor([this] { return !::IsWindow(sheet_); });
    }
    bool CloseWithButton() {
        ::PostMessageW(::GetDlgItem(sheet_, IDOK), BM_CLICK, 0, 0);
        return Program::WaitFor([this] { return !::IsWindow(sheet_); });
    }

private:
    Program& program_;
    HWND sheet_ = nullptr;
};

void WriteLanguageFile(const std::filesystem::path& path, const std::wstring& text) {
    std::ofstream out(path, std::ios::binary);
    out.write("\xFF\xFE", 2);
    out.write(reinterpret_cast<const char*>(text.data()), static_cast<std::streamsize>(text.size() * 2));
}

class Options : public ::testing::Test {
protected:
    void SetUp() override { Program::ResetSettings(); }
    void TearDown() override { Program::ResetSettings(); }
};

TEST_F(Options, SheetHasOnlyACloseButtonInApplysPlace) {
    Program program;
    ASSERT_TRUE(program.Start()) << program.StartError();
    OptionsSheet sheet(program);
    ASSERT_TRUE(sheet.Open());
    EXPECT_EQ(L"Movalent options", TextOf(sheet.Handle()));
    HWND close = ::GetDlgItem(sheet.Handle(), IDOK);
    EXPECT_EQ(L"Close", TextOf(close));
    for (int id : {IDCANCEL, IDC_SHEET_APPLY, IDC_SHEET_HELP}) {
        if (HWND hidden = ::GetDlgItem(sheet.Handle(), id)) {
            EXPECT_FALSE(::IsWindowVisible(hidden)) << id;
        }
    }
    if (HWND apply = ::GetDlgItem(sheet.Handle(), IDC_SHEET_APPLY)) {
        RECT closeRect, applyRect;
        ::GetWindowRect(close, &closeRect);
        ::GetWindowRect(apply, &applyRect);
        EXPECT_TRUE(::EqualRect(&closeRect, &applyRect));
    }
    EXPECT_EQ(L"HomePage", TextOf(sheet.Control(kGeneralPage, IDC_HOME_PAGE_GROUP)));
    EXPECT_EQ(L"Always open in new Default IE tab", sheet.ComboItem(0));
    EXPECT_EQ(L"Open in active tab", sheet.ComboItem(1));
    EXPECT_EQ(L"Open in first Default IE tab", sheet.ComboItem(2));
    EXPECT_EQ(1, sheet.SelectedSearchData());
    EXPECT_EQ(L"", sheet.HomePageText()) << "no stored home page: the box stays empty under its cue";
    EXPECT_EQ(L"Disable \"window.external\" feature",
              TextOf(sheet.Control(kAdvancedPage, IDC_DISABLE_WINDOW_EXTERNAL)));
    EXPECT_TRUE(sheet.CloseWithButton());
    EXPECT_EQ(0, program.Close());
}

TEST_F(Options, EveryChangeIsStoredAtOnceAndSurvivesARestart) {
    {
        Program program;
        ASSERT_TRUE(program.Start()) << program.StartError();
        OptionsSheet sheet(program);
        ASSERT_TRUE(sheet.Open());

        sheet.TypeHomePage(L"  http://home.example/start  ");
        EXPECT_EQ(L"http://home.example/start", StoredString(L"HomePage").value_or(L"<absent>"));
        sheet.Choose(kGeneralPage, IDC_SEARCH_BEHAVIOUR, 2, true);
        EXPECT_EQ(3u, StoredInt(L"SearchBehaviour").value_or(0));

        int german = sheet.ListIndexOf(kLanguagePage, IDC_LANGUAGE_LIST, L"Deutsch");
        ASSERT_GE(german, 0);
        sheet.Choose(kLanguagePage, IDC_LANGUAGE_LIST, german, false);
        EXPECT_EQ(7u, StoredInt(L"langID").value_or(0));

        sheet.Click(kAdvancedPage, IDC_DISABLE_WINDOW_EXTERNAL);
        EXPECT_EQ(1u, StoredInt(L"DisableWindowExternal").value_or(0));
        sheet.Click(kAdvancedPage, IDC_DISABLE_FILTERS);
        EXPECT_EQ(1u, StoredInt(L"DisableFilters").value_or(0));

        // Nothing to confirm: the close box keeps everything.
        ASSERT_TRUE(sheet.CloseFromTitleBar());
        EXPECT_EQ(0, program.Close());
    }
    EXPECT_EQ(L"http://home.example/start", StoredString(L"HomePage").value_or(L"<absent>"));
    EXPECT_EQ(3u, StoredInt(L"SearchBehaviour").value_or(0));
    EXPECT_EQ(7u, StoredInt(L"langID").value_or(0));

    Program program;
    ASSERT_TRUE(program.Start()) << program.StartError();
    OptionsSheet sheet(program);
    ASSERT_TRUE(sheet.Open());
    // The language chosen last time is the language now.
    EXPECT_EQ(L"Movalent-Optionen", TextOf(sheet.Handle()));
    EXPECT_EQ(L"Schließen", TextOf(::GetDlgItem(sheet.Handle(), IDOK)));
    EXPECT_EQ(L"http://home.example/start", sheet.HomePageText());
    EXPECT_EQ(3, sheet.SelectedSearchData());
    EXPECT_EQ(L"Deutsch", sheet.SelectedListItem(kLanguagePage, IDC_LANGUAGE_LIST));
    EXPECT_TRUE(sheet.Checked(kAdvancedPage, IDC_DISABLE_WINDOW_EXTERNAL));
    EXPECT_TRUE(sheet.Checked(kAdvancedPage, IDC_DISABLE_FILTERS));

    // Switching off stores 0 rather than removing the value.
    sheet.Click(kAdvancedPage, IDC_DISABLE_WINDOW_EXTERNAL);
    sheet.Click(kAdvancedPage, IDC_DISABLE_FILTERS);
    EXPECT_EQ(0u, StoredInt(L"DisableWindowExternal").value_or(9));
    EXPECT_EQ(0u, StoredInt(L"DisableFilters").value_or(9));
    ASSERT_TRUE(sheet.CloseWithButton());
    EXPECT_EQ(0, program.Close());
}

TEST_F(Options, HomePageButtonsAndBlankTextEditTheStoredValue) {
    Program program;
    ProgramOptions options;
    options.stringSettings[L"HomePage"] = L"http://before.example/";
    ASSERT_TRUE(program.Start(options)) << program.StartError();
    OptionsSheet sheet(program);
    ASSERT_TRUE(sheet.Open());
    EXPECT_EQ(L"http://before.example/", sheet.HomePageText());

    sheet.Click(kGeneralPage, IDC_BLANK_PAGE);
    EXPECT_EQ(L"about:blank", sheet.HomePageText());
    EXPECT_EQ(L"about:blank", StoredString(L"HomePage").value_or(L"<absent>"));

    sheet.Click(kGeneralPage, IDC_DEFAULT_HOME);
    EXPECT_EQ(L"", sheet.HomePageText());
    EXPECT_FALSE(StoredString(L"HomePage").has_value());

    sheet.TypeHomePage(L"http://again.example/");
    ASSERT_TRUE(StoredString(L"HomePage").has_value());
    sheet.TypeHomePage(L"   \t ");
    EXPECT_FALSE(StoredString(L"HomePage").has_value()) << "spaces only count as no home page";
    ASSERT_TRUE(sheet.CloseWithButton());
    EXPECT_EQ(0, program.Close());
}

TEST_F(Options, LanguageListShowsOnlyFilesThatNameTheirLanguage) {
    Program program;
    // Traditional Chinese is chosen; the list reduces it to its primary language and selects Chinese.
    ProgramOptions options;
    options.intSettings[L"langID"] = 1028;
    ASSERT_TRUE(program.Start(options)) << program.StartError();
    std::filesystem::path languages = program.Folder() / "Languages";
    WriteLanguageFile(languages / "CHINESE.lang", L"124:Chinese (test)\r\n");
    WriteLanguageFile(languages / "TCHINESE.lang", L"124:Traditional Chinese (test)\r\n");
    WriteLanguageFile(languages / "DUTCH.lang", L"# no name here\r\n125:Iets\r\n");

    OptionsSheet sheet(program);
    ASSERT_TRUE(sheet.Open());
    std::vector<std::wstring> expected = {L"Chinese (test)", L"Deutsch",  L"English",
                                          L"Español",        L"Français", L"Traditional Chinese (test)"};
    EXPECT_EQ(expected, sheet.ListItems(kLanguagePage, IDC_LANGUAGE_LIST));
    EXPECT_EQ(L"Chinese (test)", sheet.SelectedListItem(kLanguagePage, IDC_LANGUAGE_LIST));
    ASSERT_TRUE(sheet.CloseWithButton());
    EXPECT_EQ(0, program.Close());
}

TEST_F(Options, SheetSpeaksTheLanguageOfTheSetting) {
    Program program;
    ProgramOptions options;
    options.intSettings[L"langID"] = 0x0C;
    ASSERT_TRUE(program.Start(options)) << program.StartError();
    OptionsSheet sheet(program);
    ASSERT_TRUE(sheet.Open());
    EXPECT_EQ(L"Options de Movalent", TextOf(sheet.Handle()));
    EXPECT_EQ(L"Fermer", TextOf(::GetDlgItem(sheet.Handle(), IDOK)));
    EXPECT_EQ(L"Page d'accueil", TextOf(sheet.Control(kGeneralPage, IDC_HOME_PAGE_GROUP)));
    EXPECT_EQ(L"Page vierge", TextOf(sheet.Control(kGeneralPage, IDC_BLANK_PAGE)));
    EXPECT_EQ(L"Ouvrir dans l'onglet actif", sheet.ComboItem(1));
    EXPECT_EQ(L"Choisissez votre langue préférée :",
              TextOf(sheet.Control(kLanguagePage, IDC_LANGUAGE_PROMPT)));
    EXPECT_EQ(L"Français", sheet.SelectedListItem(kLanguagePage, IDC_LANGUAGE_LIST));
    EXPECT_EQ(L"Fonctions expérimentales", TextOf(sheet.Control(kAdvancedPage, IDC_EXPERIMENTAL_GROUP)));
    ASSERT_TRUE(sheet.CloseWithButton());
    EXPECT_EQ(0, program.Close());
}

TEST_F(Options, HomePageAndWindowExternalSwitchActOnTheNextTabAtOnce) {
    PageFolder pages;
    std::wstring page =
        pages.Write(L"external.html", "<html><head><title>external</title></head><body>calls"
                                      "<!--standin: external AddFavorite http://a.example/ A-->"
                                      "</body></html>");
    Program program;
    ProgramOptions options;
    options.engineFolder = movalent::standin::testing::StandInFolder(L"full");
    ASSERT_TRUE(program.Start(options)) << program.StartError();
    OptionsSheet sheet(program);
    ASSERT_TRUE(sheet.Open());
    sheet.TypeHomePage(page);
    sheet.Click(kAdvancedPage, IDC_DISABLE_WINDOW_EXTERNAL);
    ASSERT_TRUE(sheet.CloseWithButton());

    // No restart: the new tab opens the new home page, and the page finds no window.external.
    program.PostCommand(ID_NEW_IE6);
    std::wstring value;
    ASSERT_TRUE(Program::WaitFor([&] {
        movalent::standin::testing::ProbeReport report =
            ReportOfWindow(program.MainWindow(), kStandInBrowserClass);
        auto found = report.find(L"external.AddFavorite");
        if (found == report.end())
            return false;
        value = found->second;
        return true;
    })) << "the tab did not open the home page typed in the sheet";
    EXPECT_EQ(L"no object (0x00000001)", value);
    EXPECT_EQ(nullptr, program.FindMessageBox());
    EXPECT_EQ(0, program.Close());
}

} // namespace
