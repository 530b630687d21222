// The ribbon as a user meets it in the real program: what it shows, its toggle tab, the history and Refresh
// menus, its language, the web search box, the Favorites button and the keys that reach the search box. The
// test clicks where the ribbon says its elements are and reads back what the ribbon, the tabs and the
// settings show.
#include "PageFolder.h"
#include "ProgramHarness.h"
#include "RibbonInspection.h"
#include "TabInspection.h"
#include "framework/QueryMessages.h"
#include "resource.h"
#include "standin/StandInTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <optional>

using namespace movalent::test;
using movalent::kRibbonApplicationButton;
using movalent::kRibbonTabRowElement;

namespace {

constexpr unsigned kSearchBoxElement = kRibbonTabRowElement;
constexpr unsigned kStyleElement = kRibbonTabRowElement + 1;
constexpr unsigned kAboutElement = kRibbonTabRowElement + 2;
constexpr size_t kToggleCategory = 3;

const wchar_t* const kWorkspaceKey = L"Software\\Ombrisk\\Movalent\\Workspace";

std::optional<DWORD> StoredWorkspaceInt(const wchar_t* name) {
    DWORD value = 0, size = sizeof(value);
    if (::RegGetValueW(HKEY_CURRENT_USER, kWorkspaceKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

class Ribbon : public ::testing::Test {
protected:
    void SetUp() override { Program::ResetSettings(); }
    void TearDown() override { Program::ResetSettings(); }

    static ProgramOptions WithEngines(std::vector<std::wstring> arguments = {}) {
        ProgramOptions options;
        options.engineFolder = movalent::standin::testing::StandInFolder(L"full");
        options.arguments = std::move(arguments);
        return options;
    }
    static bool WaitForTabs(const Program& program, size_t count) {
        return Program::WaitFor([&] { return program.Tabs().size() == count; });
    }
    static bool ShowsPage(HWND tab, const std::wstring& title) {
        return PageValue(tab, L"title") == title && PageValue(tab, L"state") == L"complete";
    }
    // Types an address into the active tab's address box and presses Enter.
    static void TypeAddress(const Program& program, const std::wstring& address) {
        program.PressKeys({VK_MENU, 'D'});
        HWND tab = program.ActiveTab();
        Program::WaitFor([&] { return FocusOfThread(tab) == AddressEdit(tab); },
                         std::chrono::milliseconds(2000));
        SetAddressText(tab, address);
        program.PressKeys({VK_RETURN});
    }
    // Posted clicks are handled in order: once a click on another category's tab has selected it, every
    // click posted before it has been handled too.
    static bool Settle(const RibbonDriver& ribbon) {
        const size_t target = ribbon.ActiveCategory() == 1 ? 0 : 1;
        ribbon.Click(ribbon.CategoryPoint(target));
        return Program::WaitFor([&] { return ribbon.ActiveCategory() == static_cast<int>(target); });
    }

    PageFolder pages;
};

// What is on it.

// The questions are answered to a window the asker names: an address passed in their place is never written to.
TEST_F(Ribbon, AQuestionCarryingAnAddressWritesNothingThere) {
    Program program;
    ASSERT_TRUE(program.Start(WithEngines())) << program.StartError();
    RibbonDriver ribbon(program);
    ASSERT_TRUE(ribbon.Ready());
    const UINT query = ::RegisterWindowMessageW(movalent::kQueryRibbonMessageName);
    for (LPARAM address : {LPARAM{0x10}, reinterpret_cast<LPARAM>(&program)}) {
        DWORD_PTR answer = 1;
        ::SendMessageTimeoutW(ribbon.Handle(), query, MAKEWPARAM(movalent::kRibbonCategoryName, 0), address,
                              SMTO_ABORTIFHUNG, 5000, &answer);
        EXPECT_EQ(0u, answer);
    }
    EXPECT_TRUE(program.Running());
    EXPECT_EQ(L"&Home", ribbon.AskText(movalent::kRibbonCategoryName, 0)) << "a window of the asker gets the text";
    EXPECT_EQ(0, program.Close());
}

TEST_F(Ribbon, ShowsItsCategoriesPanelsAndLabels) {
    Program program;
    ASSERT_TRUE(program.Start(WithEngines())) << program.StartError();
    RibbonDriver ribbon(program);
    ASSERT_TRUE(ribbon.Ready());

    EXPECT_EQ((std::vector<std::wstring>{L"&Home", L"Dev Tools", L"Options", L"Minimize the ribbon"}),
              ribbon.CategoryNames());
    EXPECT_EQ(0, ribbon.ActiveCategory());
    EXPECT_FALSE(ribbon.Minimized());
    EXPECT_EQ((std::vector<std::wstring>{L"Navigate", L"New", L"Favorites"}), ribbon.PanelNames());

    // Labels from their own strings, and from the part of a command's string after its line break.
    const std::pair<unsigned, const wchar_t*> labels[] = {
        {ID_NAV_PREVIOUS, L"Previous"},
        {ID_NAV_REFRESH, L"Refresh"},
        {ID_CLOSE_ALL_TABS, L"Close all tabs"},
        {ID_CLOSE_OTHER_TABS, L"Close all except active tab"},
        {ID_NEW_IE55, L"New IE5.5"},
        {ID_NEW_IE_DEFAULT, L"Default IE"},
        {ID_FAVORITES, L"Favorites"},
        {ID_TEXT_SIZE, L"Change text size on the current tab"},
        {ID_PRINT_PREVIEW_PAGE, L"Print Preview"},
        {ID_PRINT_PAGE, L"Print the active document"},
        {ID_CONFIGURE, L"Configure Movalent"},
        {kSearchBoxElement, L"Web Search"},
        {kStyleElement, L"Style"},
        {kAboutElement, L"About"},
    };
    for (const auto& [id, label] : labels)
        EXPECT_EQ(label, ribbon.Text(id)) << id;

    // Tooltip above description: from the command's string, or as set for the style menu, which has none.
    EXPECT_EQ(L"Refresh\nRefresh the current page", ribbon.Tip(ID_NAV_REFRESH));
    EXPECT_EQ(L"Close all tabs\nClose all opened tabs for this window", ribbon.Tip(ID_CLOSE_ALL_TABS));
    EXPECT_EQ(L"Modify Visual Style\nChoose one of the Office 2007 themes", ribbon.Tip(kStyleElement));

    // Only the active category's buttons show; another tab shows its own panels.
    EXPECT_TRUE(ribbon.Shows(ID_NAV_REFRESH));
    EXPECT_FALSE(ribbon.Shows(ID_PRINT_PREVIEW_PAGE));
    EXPECT_TRUE(ribbon.Shows(kSearchBoxElement));
    ribbon.Click(ribbon.CategoryPoint(2));
    ASSERT_TRUE(Program::WaitFor([&] { return ribbon.ActiveCategory() == 2; }));
    EXPECT_EQ((std::vector<std::wstring>{L"Print", L"Internet Explorer Options", L"Movalent Options"}),
              ribbon.PanelNames());
    EXPECT_TRUE(ribbon.Shows(ID_PRINT_PREVIEW_PAGE));
    EXPECT_FALSE(ribbon.Shows(ID_NAV_REFRESH));
    EXPECT_EQ(0, program.Close());
}

TEST_F(Ribbon, StyleMenuMarksTheStyleInUseAndStoresTheChoice) {
    Program program;
    ASSERT_TRUE(program.Start(WithEngines())) << program.StartError();
    RibbonDriver ribbon(program);
    ASSERT_TRUE(ribbon.Ready());
    const unsigned styles[] = {ID_LOOK_OFFICE_2007_BLUE, ID_LOOK_OFFICE_2007_BLACK,
                               ID_LOOK_OFFICE_2007_SILVER, ID_LOOK_OFFICE_2007_AQUA};
    auto marked = [&] {
        std::vector<unsigned> radio;
        for (unsigned id : styles)
            if (program.CommandState(id) & kCommandRadio)
                radio.push_back(id);
        return radio;
    };
    EXPECT_EQ(std::vector<unsigned>{ID_LOOK_OFFICE_2007_BLUE}, marked()) << "blue at first";

    ribbon.Press(ribbon.ElementPoint(kStyleElement));
    HWND menu = ribbon.WaitForMenu();
    ASSERT_TRUE(menu);
    EXPECT_TRUE(ribbon.MenuOpen());
    EXPECT_EQ((std::vector<std::wstring>{L"Office 2007 (&Blue Style)", L"Office 2007 (B&lack Style)",
                                         L"Office 2007 (&Silver Style)", L"Office 2007 (&Aqua Style)"}),
              ribbon.MenuItems());
    ASSERT_TRUE(ribbon.ChooseMenuItem(menu, 1));
    EXPECT_TRUE(
        Program::WaitFor([&] { return marked() == std::vector<unsigned>{ID_LOOK_OFFICE_2007_BLACK}; }));
    EXPECT_FALSE(ribbon.MenuOpen());
    EXPECT_EQ(std::optional<DWORD>(ID_LOOK_OFFICE_2007_BLACK), StoredWorkspaceInt(L"ApplicationLook"));
    EXPECT_EQ(0, program.Close());

    // The next start comes up in the stored style.
    Program again;
    ASSERT_TRUE(again.Start(WithEngines())) << again.StartError();
    EXPECT_TRUE(again.CommandState(ID_LOOK_OFFICE_2007_BLACK) & kCommandRadio);
    EXPECT_FALSE(again.CommandState(ID_LOOK_OFFICE_2007_BLUE) & kCommandRadio);
    EXPECT_EQ(0, again.Close());
}

TEST_F(Ribbon, ApplicationMenuAndQuickAccessCloseTabsAndExitEndsTheProgram) {
    Program program;
    ASSERT_TRUE(
        program.Start(WithEngines({L"-ie6", pages.WritePage(L"a.html", "A"), pages.WritePage(L"b.html", "B"),
                                   pages.WritePage(L"c.html", "C")})))
        << program.StartError();
    ASSERT_TRUE(WaitForTabs(program, 3));
    RibbonDriver ribbon(program);
    ASSERT_TRUE(ribbon.Ready());

    ribbon.Press(ribbon.ElementPoint(kRibbonApplicationButton));
    HWND menu = ribbon.WaitForMenu();
    ASSERT_TRUE(menu);
    EXPECT_EQ((std::vector<std::wstring>{L"&Close", L"-", L"E&xit"}), ribbon.MenuItems());
    HWND active = program.ActiveTab();
    ASSERT_TRUE(ribbon.ChooseMenuItem(menu, 0));
    ASSERT_TRUE(WaitForTabs(program, 2));
    EXPECT_FALSE(::IsWindow(active)) << "the active tab is the one closed";

    // The quick access toolbar's one button.
    active = program.ActiveTab();
    EXPECT_EQ(L"&Close", ribbon.Text(movalent::kRibbonQuickAccessElement));
    ribbon.Click(ribbon.ElementPoint(movalent::kRibbonQuickAccessElement));
    ASSERT_TRUE(WaitForTabs(program, 1));
    EXPECT_FALSE(::IsWindow(active));

    ribbon.Press(ribbon.ElementPoint(kRibbonApplicationButton));
    menu = ribbon.WaitForMenu();
    ASSERT_TRUE(menu);
    ASSERT_TRUE(ribbon.ChooseMenuItem(menu, 2));
    EXPECT_TRUE(Program::WaitFor([&] { return !program.Running(); }, std::chrono::milliseconds(20000)));
    EXPECT_EQ(0, program.Close());
}

// The toggle tab.

TEST_F(Ribbon, ToggleTabHidesAndReturnsTheRibbonAndRelabelsItself) {
    Program program;
    ASSERT_TRUE(program.Start(WithEngines())) << program.StartError();
    RibbonDriver ribbon(program);
    ASSERT_TRUE(ribbon.Ready());
    auto height = [&] {
        RECT rect = {};
        ::GetClientRect(ribbon.Handle(), &rect);
        return rect.bottom - rect.top;
    };
    const LONG fullHeight = height();
    const POINT refresh = ribbon.ElementPoint(ID_NAV_REFRESH);

    ribbon.Click(ribbon.CategoryPoint(kToggleCategory));
    ASSERT_TRUE(Program::WaitFor([&] { return ribbon.Minimized(); }));
    EXPECT_EQ(L"Show the ribbon", ribbon.CategoryNames()[kToggleCategory]);
    EXPECT_FALSE(ribbon.Shows(ID_NAV_REFRESH));
    EXPECT_TRUE(Program::WaitFor([&] { return height() < fullHeight; }));
    EXPECT_EQ(0, ribbon.ActiveCategory()) << "the toggle tab is never the category shown";

    ribbon.Click(ribbon.CategoryPoint(kToggleCategory));
    ASSERT_TRUE(Program::WaitFor([&] { return !ribbon.Minimized(); }));
    EXPECT_EQ(L"Minimize the ribbon", ribbon.CategoryNames()[kToggleCategory]);
    EXPECT_TRUE(Program::WaitFor([&] { return height() == fullHeight; }));
    const POINT back = ribbon.ElementPoint(ID_NAV_REFRESH);
    EXPECT_EQ(refresh.x, back.x);
    EXPECT_EQ(refresh.y, back.y);
    EXPECT_EQ(0, ribbon.ActiveCategory());
    EXPECT_EQ(0, program.Close());
}

TEST_F(Ribbon, MinimizedRibbonStaysMinimizedAfterARestartUnderTheShowLabel) {
    {
        Program program;
        ASSERT_TRUE(program.Start(WithEngines())) << program.StartError();
        RibbonDriver ribbon(program);
        ASSERT_TRUE(ribbon.Ready());
        ribbon.Click(ribbon.CategoryPoint(kToggleCategory));
        ASSERT_TRUE(Program::WaitFor([&] { return ribbon.Minimized(); }));
        EXPECT_EQ(0, program.Close());
    }
    {
        Program program;
        ASSERT_TRUE(program.Start(WithEngines())) << program.StartError();
        RibbonDriver ribbon(program);
        ASSERT_TRUE(ribbon.Ready());
        EXPECT_TRUE(ribbon.Minimized());
        EXPECT_EQ(L"Show the ribbon", ribbon.CategoryNames()[kToggleCategory]);
        EXPECT_FALSE(ribbon.Shows(ID_NAV_REFRESH));
        // The restored state toggles back like any other.
        ribbon.Click(ribbon.CategoryPoint(kToggleCategory));
        ASSERT_TRUE(Program::WaitFor([&] { return !ribbon.Minimized(); }));
        EXPECT_EQ(L"Minimize the ribbon", ribbon.CategoryNames()[kToggleCategory]);
        EXPECT_TRUE(ribbon.Shows(ID_NAV_REFRESH));
        EXPECT_EQ(0, program.Close());
    }
    Program program;
    ASSERT_TRUE(program.Start(WithEngines())) << program.StartError();
    RibbonDriver ribbon(program);
    ASSERT_TRUE(ribbon.Ready());
    EXPECT_FALSE(ribbon.Minimized());
    EXPECT_EQ(L"Minimize the ribbon", ribbon.CategoryNames()[kToggleCategory]);
    EXPECT_EQ(0, program.Close());
}

TEST_F(Ribbon, DoubleClickOnACategoryTabMinimizesAndTheToggleTabFollows) {
    Program program;
    ASSERT_TRUE(program.Start(WithEngines())) << program.StartError();
    RibbonDriver ribbon(program);
    ASSERT_TRUE(ribbon.Ready());
    ribbon.DoubleClick(ribbon.CategoryPoint(1));
    ASSERT_TRUE(Program::WaitFor([&] { return ribbon.Minimized(); }));
    EXPECT_EQ(L"Show the ribbon", ribbon.CategoryNames()[kToggleCategory]);
    EXPECT_FALSE(ribbon.Shows(ID_TOGGLE_FENNIMOX));

    ribbon.DoubleClick(ribbon.CategoryPoint(1));
    ASSERT_TRUE(Program::WaitFor([&] { return !ribbon.Minimized(); }));
    EXPECT_EQ(L"Minimize the ribbon", ribbon.CategoryNames()[kToggleCategory]);
    EXPECT_EQ(1, ribbon.ActiveCategory());
    EXPECT_TRUE(ribbon.Shows(ID_TOGGLE_FENNIMOX));
    EXPECT_EQ(0, program.Close());
}

// The drop-down menus of the Navigate panel.

TEST_F(Ribbon, PreviousArrowOnTheFirstPageOpensNoMenu) {
    Program program;
    ASSERT_TRUE(program.Start(WithEngines({L"-ie6", pages.WritePage(L"only.html", "Only")})))
        << program.StartError();
    ASSERT_TRUE(WaitForActivePage(program, L"Only"));
    RibbonDriver ribbon(program);
    ASSERT_TRUE(ribbon.Ready());
    ribbon.Press(ribbon.ArrowPoint(ID_NAV_PREVIOUS));
    ribbon.Release(ribbon.ArrowPoint(ID_NAV_PREVIOUS));
    // A menu would hold the ribbon's thread, and take the next click itself.
    ASSERT_TRUE(Settle(ribbon));
    EXPECT_EQ(nullptr, ribbon.OpenMenu());
    EXPECT_FALSE(ribbon.MenuOpen());
    EXPECT_TRUE(ribbon.MenuItems().empty());
    EXPECT_TRUE(ShowsPage(program.ActiveTab(), L"Only"));
    EXPECT_EQ(0, program.Close());
}

TEST_F(Ribbon, PreviousMenuListsEarlierPagesNearestFirstAndGoesThere) {
    Program program;
    ASSERT_TRUE(program.Start(WithEngines({L"-ie6", pages.WritePage(L"one.html", "One")})))
        << program.StartError();
    ASSERT_TRUE(WaitForActivePage(program, L"One"));
    TypeAddress(program, pages.WritePage(L"two.html", "Two"));
    ASSERT_TRUE(WaitForActivePage(program, L"Two"));
    TypeAddress(program, pages.WritePage(L"three.html", "Three"));
    HWND tab = WaitForActivePage(program, L"Three");
    ASSERT_TRUE(tab);
    RibbonDriver ribbon(program);
    ASSERT_TRUE(ribbon.Ready());
    ASSERT_TRUE(Program::WaitFor([&] { return ribbon.State(ID_NAV_PREVIOUS) & 1; }));

    ribbon.Press(ribbon.ArrowPoint(ID_NAV_PREVIOUS));
    HWND menu = ribbon.WaitForMenu();
    ASSERT_TRUE(menu);
    EXPECT_TRUE(ribbon.MenuOpen());
    EXPECT_EQ((std::vector<std::wstring>{L"Two", L"One"}), ribbon.MenuItems());
    ASSERT_TRUE(ribbon.ChooseMenuItem(menu, 1));
    EXPECT_TRUE(Program::WaitFor([&] { return ShowsPage(tab, L"One"); }));
    EXPECT_EQ(0, program.Close());
}

TEST_F(Ribbon, RefreshMenuHasItsFourCommandsInTwoGroupsEveryTime) {
    Program program;
    ASSERT_TRUE(program.Start(WithEngines({L"-ie7", pages.WritePage(L"r.html", "R")})))
        << program.StartError();
    ASSERT_TRUE(WaitForActivePage(program, L"R"));
    RibbonDriver ribbon(program);
    ASSERT_TRUE(ribbon.Ready());
    ASSERT_TRUE(Program::WaitFor([&] { return ribbon.State(ID_NAV_REFRESH) & 1; }));
    const std::vector<std::wstring> expected = {L"Refresh", L"Refresh Complete (no cache)", L"-",
                                                L"Refresh All", L"Refresh All Complete (no cache)"};
    for (int opening = 1; opening <= 2; ++opening) {
        SCOPED_TRACE(opening);
        ribbon.Press(ribbon.ArrowPoint(ID_NAV_REFRESH));
        HWND menu = ribbon.WaitForMenu();
        ASSERT_TRUE(menu);
        EXPECT_EQ(expected, ribbon.MenuItems());
        ASSERT_TRUE(ribbon.DismissMenu(menu));
    }
    EXPECT_EQ(0, program.Close());
}

// Language.

TEST_F(Ribbon, SpeaksTheSelectedLanguage) {
    const std::map<unsigned, std::wstring> french =
        ReadLanguageFile(BuiltProgramFolder() / L"Languages" / L"FRENCH.lang");
    for (unsigned id : {IDS_CATEGORY_HOME, IDS_CATEGORY_DEV_TOOLS, IDS_CATEGORY_OPTIONS, IDS_MINIMIZE_RIBBON,
                        IDS_SHOW_RIBBON, IDS_REFRESH, ID_REFRESH_PAGE, ID_REFRESH_COMPLETE, ID_REFRESH_ALL,
                        ID_REFRESH_ALL_COMPLETE})
        ASSERT_TRUE(french.count(id)) << "the French file lacks " << id;
    ASSERT_NE(L"&Home", french.at(IDS_CATEGORY_HOME));

    ProgramOptions options = WithEngines({L"-ie6", pages.WritePage(L"fr.html", "Page")});
    options.intSettings[L"langID"] = 0x0C;
    // Started from another folder, with no installation folder in the registry: the language files are still
    // the program's own.
    options.currentDirectory = pages.Folder();
    Program program;
    ASSERT_TRUE(program.Start(options)) << program.StartError();
    ASSERT_TRUE(WaitForActivePage(program, L"Page"));
    RibbonDriver ribbon(program);
    ASSERT_TRUE(ribbon.Ready());
    EXPECT_EQ((std::vector<std::wstring>{french.at(IDS_CATEGORY_HOME), french.at(IDS_CATEGORY_DEV_TOOLS),
                                         french.at(IDS_CATEGORY_OPTIONS), french.at(IDS_MINIMIZE_RIBBON)}),
              ribbon.CategoryNames());
    EXPECT_EQ(french.at(IDS_REFRESH), ribbon.Text(ID_NAV_REFRESH));

    ASSERT_TRUE(Program::WaitFor([&] { return ribbon.State(ID_NAV_REFRESH) & 1; }));
    ribbon.Press(ribbon.ArrowPoint(ID_NAV_REFRESH));
    HWND menu = ribbon.WaitForMenu();
    ASSERT_TRUE(menu);
    EXPECT_EQ((std::vector<std::wstring>{french.at(ID_REFRESH_PAGE), french.at(ID_REFRESH_COMPLETE), L"-",
                                         french.at(ID_REFRESH_ALL), french.at(ID_REFRESH_ALL_COMPLETE)}),
              ribbon.MenuItems());
    ASSERT_TRUE(ribbon.DismissMenu(menu));

    ribbon.Click(ribbon.CategoryPoint(kToggleCategory));
    ASSERT_TRUE(Program::WaitFor([&] { return ribbon.Minimized(); }));
    EXPECT_EQ(french.at(IDS_SHOW_RIBBON), ribbon.CategoryNames()[kToggleCategory]);
    EXPECT_EQ(0, program.Close());
}

// The web search box.

class WebSearch : public Ribbon {
protected:
    // Nothing listens there: the tabs show the address they were sent to, and no request leaves the machine.
    static constexpr const wchar_t* kMaker = L"http://127.0.0.1:9";
    static std::wstring SearchAddress(const std::wstring& query) {
        return std::wstring(kMaker) + L"/movalent/movalent-search.php?q=" + query;
    }
    ProgramOptions Options(DWORD behaviour, std::vector<std::wstring> arguments = {}) {
        ProgramOptions options = WithEngines(std::move(arguments));
        options.environment[L"MOVALENT_MAKER_URL"] = kMaker;
        options.intSettings[L"SearchBehaviour"] = behaviour;
        // A new stand-in tab opens this page rather than the maker's.
        options.stringSettings[L"HomePage"] = pages.WritePage(L"home.html", "Home page");
        return options;
    }
    static std::wstring Address(const Program& program, HWND tab) {
        return program.WindowText(AddressEdit(tab));
    }
    static bool WaitForAddress(const Program& program, HWND tab, const std::wstring& address) {
        return Program::WaitFor([&] { return Address(program, tab) == address; });
    }
    // The tab that is not among the earlier ones, once there is exactly one.
    static HWND WaitForNewTab(const Program& program, const std::vector<HWND>& earlier) {
        HWND added = nullptr;
        Program::WaitFor([&] {
            std::vector<HWND> now = program.Tabs();
            if (now.size() != earlier.size() + 1)
                return false;
            for (HWND tab : now)
                if (std::find(earlier.begin(), earlier.end(), tab) == earlier.end())
                    added = tab;
            return added != nullptr;
        });
        return added;
    }
};

TEST_F(WebSearch, EnterSearchesTheTrimmedTextAndListsEachSearchOnce) {
    Program program;
    ASSERT_TRUE(program.Start(Options(1))) << program.StartError();
    RibbonDriver ribbon(program);
    ASSERT_TRUE(ribbon.Ready());
    ASSERT_TRUE(ribbon.SearchEdit());

    struct Step {
        const wchar_t* typed; // null: Enter once more on the text still in the box
        const wchar_t* query;
        std::vector<std::wstring> list;
    } steps[] = {
        {L"  hello  ", L"hello", {L"hello"}},
        {nullptr, L"hello", {L"hello"}},
        {L"HELLO", L"HELLO", {L"hello"}},
        {L"a b&c", L"a%20b%26c", {L"hello", L"a b&c"}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(step.typed ? step.typed : L"(Enter again)")));
        std::vector<HWND> before = program.Tabs();
        step.typed ? ribbon.Search(step.typed) : ribbon.PressEnterInSearch();
        // Each search opens a new Default IE tab at the search address.
        HWND tab = WaitForNewTab(program, before);
        ASSERT_TRUE(tab);
        EXPECT_TRUE(WaitForAddress(program, tab, SearchAddress(step.query))) << Address(program, tab);
        EXPECT_EQ(step.list, ribbon.SearchItems());
    }

    // Blanks alone search nothing: by the time the search typed after them has its tab, theirs would have
    // been there before it.
    std::vector<HWND> before = program.Tabs();
    ribbon.Search(L"    ");
    ribbon.Search(L"after");
    HWND tab = WaitForNewTab(program, before);
    ASSERT_TRUE(tab);
    EXPECT_TRUE(WaitForAddress(program, tab, SearchAddress(L"after")));
    EXPECT_EQ(before.size() + 1, program.Tabs().size());
    EXPECT_EQ((std::vector<std::wstring>{L"hello", L"a b&c", L"after"}), ribbon.SearchItems());
    EXPECT_EQ(0, program.Close());
}

TEST_F(WebSearch, ChoosingAnEarlierSearchRunsItAgainWithoutAddingIt) {
    Program program;
    ASSERT_TRUE(program.Start(Options(1))) << program.StartError();
    RibbonDriver ribbon(program);
    ASSERT_TRUE(ribbon.Ready());
    for (const wchar_t* query : {L"first", L"second"}) {
        std::vector<HWND> before = program.Tabs();
        ribbon.Search(query);
        ASSERT_TRUE(WaitForNewTab(program, before));
    }
    ASSERT_EQ((std::vector<std::wstring>{L"first", L"second"}), ribbon.SearchItems());

    std::vector<HWND> before = program.Tabs();
    ribbon.Press(ribbon.ArrowPoint(kSearchBoxElement));
    HWND menu = ribbon.WaitForMenu();
    ASSERT_TRUE(menu);
    EXPECT_EQ((std::vector<std::wstring>{L"first", L"second"}), ribbon.MenuItems());
    ASSERT_TRUE(ribbon.ChooseMenuItem(menu, 0));
    HWND tab = WaitForNewTab(program, before);
    ASSERT_TRUE(tab);
    EXPECT_TRUE(WaitForAddress(program, tab, SearchAddress(L"first")));
    EXPECT_EQ(L"first", ribbon.SearchText());
    EXPECT_EQ((std::vector<std::wstring>{L"first", L"second"}), ribbon.SearchItems());
    EXPECT_EQ(0, program.Close());
}

TEST_F(WebSearch, NewTabBehaviourLeavesTheActiveTabAlone) {
    // 4 is out of range and reads as 1.
    for (DWORD behaviour : {1u, 4u}) {
        SCOPED_TRACE(behaviour);
        Program program;
        ASSERT_TRUE(program.Start(Options(behaviour, {L"-ie6", pages.WritePage(L"six.html", "Six")})))
            << program.StartError();
        HWND six = WaitForActivePage(program, L"Six");
        ASSERT_TRUE(six);
        const std::wstring sixAddress = Address(program, six);
        RibbonDriver ribbon(program);
        ASSERT_TRUE(ribbon.Ready());
        ribbon.Search(L"news");
        HWND tab = WaitForNewTab(program, {six});
        ASSERT_TRUE(tab);
        EXPECT_TRUE(WaitForAddress(program, tab, SearchAddress(L"news")));
        EXPECT_EQ(sixAddress, Address(program, six));
        EXPECT_TRUE(ShowsPage(six, L"Six"));
        EXPECT_EQ(0, program.Close());
    }
}

TEST_F(WebSearch, ActiveTabBehaviourNavigatesTheActiveTabOrOpensOne) {
    Program program;
    ASSERT_TRUE(program.Start(Options(2))) << program.StartError();
    RibbonDriver ribbon(program);
    ASSERT_TRUE(ribbon.Ready());
    // No tab: a new Default IE tab.
    ribbon.Search(L"alone");
    HWND first = WaitForNewTab(program, {});
    ASSERT_TRUE(first);
    EXPECT_TRUE(WaitForAddress(program, first, SearchAddress(L"alone")));

    // A stand-in tab in front: it goes to the search itself, and no tab is added.
    program.PostCommand(ID_NEW_IE6);
    HWND six = WaitForNewTab(program, {first});
    ASSERT_TRUE(six);
    ASSERT_TRUE(WaitForActivePage(program, L"Home page"));
    ribbon.Search(L"in front");
    EXPECT_TRUE(WaitForAddress(program, six, SearchAddress(L"in%20front"))) << Address(program, six);
    EXPECT_TRUE(Program::WaitFor([&] { return PageValue(six, L"url") == SearchAddress(L"in%20front"); }));
    EXPECT_EQ(2u, program.Tabs().size());
    EXPECT_EQ(SearchAddress(L"alone"), Address(program, first));
    EXPECT_EQ(0, program.Close());
}

TEST_F(WebSearch, FirstDefaultTabBehaviourReusesTheFirstDefaultIeTab) {
    Program program;
    ASSERT_TRUE(program.Start(Options(3, {L"-ie7", pages.WritePage(L"seven.html", "Seven")})))
        << program.StartError();
    HWND seven = WaitForActivePage(program, L"Seven");
    ASSERT_TRUE(seven);
    const std::wstring sevenAddress = Address(program, seven);
    RibbonDriver ribbon(program);
    ASSERT_TRUE(ribbon.Ready());

    // Only an IE 7 tab: a new Default IE tab.
    ribbon.Search(L"one");
    HWND firstDefault = WaitForNewTab(program, {seven});
    ASSERT_TRUE(firstDefault);
    EXPECT_TRUE(WaitForAddress(program, firstDefault, SearchAddress(L"one")));
    EXPECT_EQ(sevenAddress, Address(program, seven));

    // Two Default IE tabs, the second in front: the first one opened takes the search and comes to the front.
    program.PostCommand(ID_NEW_IE_DEFAULT);
    HWND secondDefault = WaitForNewTab(program, {seven, firstDefault});
    ASSERT_TRUE(secondDefault);
    ASSERT_TRUE(Program::WaitFor([&] { return program.ActiveTab() == secondDefault; }));
    ribbon.Search(L"two");
    EXPECT_TRUE(WaitForAddress(program, firstDefault, SearchAddress(L"two")));
    EXPECT_TRUE(Program::WaitFor([&] { return program.ActiveTab() == firstDefault; }));
    EXPECT_EQ(3u, program.Tabs().size());
    EXPECT_NE(SearchAddress(L"two"), Address(program, secondDefault));
    EXPECT_EQ(sevenAddress, Address(program, seven));
    EXPECT_EQ(0, program.Close());
}

// The Favorites button.

const wchar_t* const kShellFolders =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// Points the user's favorites at a folder of the test's own, and puts the setting back afterwards.
class FavoritesFolder {
public:
    explicit FavoritesFolder(std::filesystem::path folder) : folder_(std::move(folder)) {
        std::filesystem::create_directories(folder_);
        HKEY key = nullptr;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, kShellFolders, 0, nullptr, 0,
                              KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
            return;
        DWORD size = 0;
        if (::RegQueryValueExW(key, L"Favorites", nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
            saved_.resize(size);
            saved_present_ =
                ::RegQueryValueExW(key, L"Favorites", nullptr, &type_, saved_.data(), &size) == ERROR_SUCCESS;
        }
        const std::wstring value = folder_.wstring();
        ::RegSetValueExW(key, L"Favorites", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                         static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        ::RegCloseKey(key);
    }
    ~FavoritesFolder() {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, kShellFolders, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
            return;
        if (saved_present_)
            ::RegSetValueExW(key, L"Favorites", 0, type_, saved_.data(), static_cast<DWORD>(saved_.size()));
        else
            ::RegDeleteValueW(key, L"Favorites");
        ::RegCloseKey(key);
    }
    FavoritesFolder(const FavoritesFolder&) = delete;
    FavoritesFolder& operator=(const FavoritesFolder&) = delete;

    void Shortcut(const std::wstring& relative, const std::wstring& target) const {
        std::filesystem::path file = folder_ / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary);
        out << "[InternetShortcut]\r\nURL=" << std::filesystem::path(target).string() << "\r\n";
    }
    // The menu's top level as the folder lists: shortcuts before the first folder, the folders, then the
    // rest.
    std::vector<std::wstring> TopLevel() const {
        std::vector<std::wstring> items;
        size_t folders = 0, firstFolder = std::wstring::npos;
        WIN32_FIND_DATAW found;
        HANDLE search = ::FindFirstFileW((folder_ / L"*.*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return items;
        do {
            std::wstring name = found.cFileName;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (name == L"." || name == L"..")
                    continue;
                if (firstFolder == std::wstring::npos) {
                    firstFolder = items.size();
                    items.push_back(name);
                } else {
                    items.insert(items.begin() + static_cast<std::ptrdiff_t>(firstFolder + folders), name);
                }
                ++folders;
            } else if (name.size() > 4 && ::lstrcmpiW(name.c_str() + name.size() - 4, L".url") == 0) {
                items.push_back(name.substr(0, name.size() - 4));
            }
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
        return items;
    }

private:
    std::filesystem::path folder_;
    bool saved_present_ = false;
    DWORD type_ = REG_SZ;
    std::vector<BYTE> saved_;
};

TEST_F(Ribbon, FavoritesButtonListsTheFavoritesAndOpensOneInTheActiveTab) {
    FavoritesFolder favorites(pages.Folder() / L"Favorites");
    favorites.Shortcut(L"Zeta.url", pages.WritePage(L"zeta.html", "Zeta page"));
    favorites.Shortcut(L"Alpha\\Inner.url", pages.WritePage(L"inner.html", "Inner page"));
    favorites.Shortcut(L"Beta.url", pages.WritePage(L"beta.html", "Beta page"));
    const std::vector<std::wstring> expected = favorites.TopLevel();
    ASSERT_EQ(3u, expected.size());

    Program program;
    ASSERT_TRUE(program.Start(WithEngines())) << program.StartError();
    RibbonDriver ribbon(program);
    ASSERT_TRUE(ribbon.Ready());
    // No tab to take a favorite.
    EXPECT_TRUE(Program::WaitFor([&] { return (ribbon.State(ID_FAVORITES) & 1) == 0; }));

    program.PostCommand(ID_NEW_IE8);
    ASSERT_TRUE(WaitForTabs(program, 1));
    HWND tab = program.Tabs().front();
    ASSERT_TRUE(Program::WaitFor([&] { return PageValue(tab, L"state") == L"complete"; }));
    ASSERT_TRUE(Program::WaitFor([&] { return ribbon.State(ID_FAVORITES) & 1; }));

    for (const wchar_t* chosen : {L"Beta", L"Zeta"}) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(chosen)));
        ribbon.Press(ribbon.ElementPoint(ID_FAVORITES));
        HWND menu = ribbon.WaitForMenu();
        ASSERT_TRUE(menu);
        EXPECT_TRUE(ribbon.MenuOpen());
        EXPECT_EQ(expected, ribbon.MenuItems());
        const size_t index =
            static_cast<size_t>(std::find(expected.begin(), expected.end(), chosen) - expected.begin());
        ASSERT_TRUE(ribbon.ChooseMenuItem(menu, index));
        EXPECT_TRUE(Program::WaitFor([&] { return ShowsPage(tab, std::wstring(chosen) + L" page"); }));
    }
    EXPECT_EQ(1u, program.Tabs().size());
    EXPECT_EQ(0, program.Close());
}

// The keys that reach the search box.

TEST_F(Ribbon, CtrlEAndCtrlKFocusTheSearchBoxWithItsTextSelected) {
    Program program;
    ASSERT_TRUE(program.Start(WithEngines({L"-ie6", pages.WritePage(L"k.html", "Keys")})))
        << program.StartError();
    HWND tab = WaitForActivePage(program, L"Keys");
    ASSERT_TRUE(tab);
    RibbonDriver ribbon(program);
    ASSERT_TRUE(ribbon.Ready());
    HWND edit = ribbon.SearchEdit();
    ASSERT_TRUE(edit);
    const std::wstring typed = L"some words";
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()), SMTO_ABORTIFHUNG,
                          5000, &ignored);
    auto selection = [&] {
        DWORD_PTR range = 0;
        ::SendMessageTimeoutW(edit, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &range);
        return std::make_pair(LOWORD(range), HIWORD(range));
    };
    // Each key is pressed with the focus in the tab's address box, and only once the box has it: Alt+D travels
    // through both threads and Ctrl+E through one, so keys pressed together could land in either order.
    ASSERT_TRUE(Program::WaitFor([&] { return FocusOfThread(tab) == AddressEdit(tab); }));
    for (WORD key : {WORD('E'), WORD('K')}) {
        SCOPED_TRACE(static_cast<char>(key));
        program.PressKeys({VK_CONTROL, key});
        EXPECT_TRUE(Program::WaitFor([&] { return FocusOfThread(program.MainWindow()) == edit; }));
        EXPECT_EQ(std::make_pair(WORD(0), static_cast<WORD>(typed.size())), selection());
        EXPECT_EQ(typed, ribbon.SearchText());
        // Away from the box again: Alt+D gives the address box the focus.
        program.PressKeys({VK_MENU, 'D'});
        ASSERT_TRUE(Program::WaitFor([&] { return FocusOfThread(tab) == AddressEdit(tab); }));
    }
    EXPECT_EQ(0, program.Close());
}

// The ribbon without a mouse: Alt with the application button's key tip opens its menu, Alt with a category's
// mnemonic selects that category, and F10 (also from inside the page) puts the focus on the ribbon, where the
// arrow keys move and Enter runs the element.
TEST_F(Ribbon, KeyboardReachesEveryPartOfTheRibbon) {
    Program program;
    ASSERT_TRUE(program.Start(WithEngines({L"-ie6", pages.WritePage(L"a.html", "Alt")})))
        << program.StartError();
    HWND tab = WaitForActivePage(program, L"Alt");
    ASSERT_TRUE(tab);
    RibbonDriver ribbon(program);
    ASSERT_TRUE(ribbon.Ready());

    // From the search box: Alt with a letter in the page belongs to the page.
    program.PressKeys({VK_CONTROL, 'E'});
    ASSERT_TRUE(Program::WaitFor([&] { return FocusOfThread(program.MainWindow()) == ribbon.SearchEdit(); }));
    program.PressKeys({VK_MENU, 'F'});
    HWND menu = ribbon.WaitForMenu();
    ASSERT_TRUE(menu);
    EXPECT_EQ((std::vector<std::wstring>{L"&Close", L"-", L"E&xit"}), ribbon.MenuItems());
    ASSERT_TRUE(ribbon.DismissMenu(menu));

    program.PressKeys({VK_MENU, 'O'});
    EXPECT_TRUE(Program::WaitFor([&] { return ribbon.ActiveCategory() == 2; }));
    program.PressKeys({VK_MENU, 'H'});
    EXPECT_TRUE(Program::WaitFor([&] { return ribbon.ActiveCategory() == 0; }));

    // F10 from the page: the application button has the focus; Right goes to the quick access Close, Enter
    // runs it.
    program.PressKeys({VK_ESCAPE});
    program.PressKeys({VK_MENU, 'D'});
    ASSERT_TRUE(Program::WaitFor([&] { return FocusOfThread(tab) == AddressEdit(tab); }));
    program.PressKeys({VK_F10});
    ASSERT_TRUE(Program::WaitFor([&] { return FocusOfThread(program.MainWindow()) == ribbon.Handle(); }));
    program.PressKeys({VK_RIGHT});
    program.PressKeys({VK_RETURN});
    EXPECT_TRUE(WaitForTabs(program, 0));
    EXPECT_NE(ribbon.Handle(), FocusOfThread(program.MainWindow()));
    EXPECT_EQ(0, program.Close());
}

// Minimized, a click on a category's tab shows its panels over the page without moving the page; running one of
// its commands puts them away again, and the ribbon stays minimized.
TEST_F(Ribbon, MinimizedRibbonShowsACategoryOverThePageUntilACommandRuns) {
    Program program;
    ASSERT_TRUE(program.Start(WithEngines({L"-ie7", pages.WritePage(L"p.html", "Peek")}))) << program.StartError();
    ASSERT_TRUE(WaitForActivePage(program, L"Peek"));
    RibbonDriver ribbon(program);
    ASSERT_TRUE(ribbon.Ready());
    auto height = [&](HWND window) {
        RECT rect = {};
        ::GetWindowRect(window, &rect);
        return rect.bottom - rect.top;
    };
    auto top = [&](HWND window) {
        RECT rect = {};
        ::GetWindowRect(window, &rect);
        return rect.top;
    };
    const int fullHeight = height(ribbon.Handle());
    ribbon.Click(ribbon.CategoryPoint(3));
    ASSERT_TRUE(Program::WaitFor([&] { return ribbon.Minimized(); }));
    ASSERT_TRUE(Program::WaitFor([&] { return height(ribbon.Handle()) < fullHeight; }));
    const int minimizedHeight = height(ribbon.Handle());
    const int pageTop = top(program.MdiClient());
    EXPECT_FALSE(ribbon.Shows(ID_NEW_IE6));

    ribbon.Click(ribbon.CategoryPoint(0));
    ASSERT_TRUE(Program::WaitFor([&] { return height(ribbon.Handle()) == fullHeight; }));
    EXPECT_TRUE(ribbon.Minimized());
    EXPECT_EQ(pageTop, top(program.MdiClient())) << "the page stays where it was";
    ASSERT_TRUE(ribbon.Shows(ID_NEW_IE6));

    ribbon.Click(ribbon.ElementPoint(ID_NEW_IE6));
    EXPECT_TRUE(WaitForTabs(program, 2));
    EXPECT_TRUE(Program::WaitFor([&] { return height(ribbon.Handle()) == minimizedHeight; }));
    EXPECT_TRUE(ribbon.Minimized());
    EXPECT_EQ(L"Show the ribbon", ribbon.CategoryNames().at(3));
    EXPECT_EQ(0, program.Close());
}

} // namespace
