// The developer-tools panel of our own (MovalentDevTools.dll), registered as its installer does, beside pages
// of the stand-in engine: the tree, the properties and their editing, find, the picker, the script line and
// the source window.
#include "PageFolder.h"
#include "PanelInspection.h"
#include "ProgramHarness.h"
#include "TabInspection.h"
#include "devtools/PanelControls.h"
#include "resource.h"
#include "standin/StandInTestSupport.h"

#include <gtest/gtest.h>

using namespace movalent::test;
namespace devtools = movalent::devtools;

namespace {

class DevTools : public ::testing::Test {
protected:
    void SetUp() override { Program::ResetSettings(); }
    void TearDown() override { Program::ResetSettings(); }

    // Starts the program with one tab of the version showing the test page, registers the panel and opens it.
    HWND OpenPanel(Program& program, const wchar_t* versionSwitch,
                   std::map<std::wstring, DWORD> settings = {}) {
        ProgramOptions options;
        options.intSettings = std::move(settings);
        options.engineFolder = movalent::standin::testing::StandInFolder(L"full");
        options.arguments = {versionSwitch, Page()};
        if (!program.Start(options))
            return nullptr;
        registration_.reset(); // one registration at a time: the old one's end removes the key
        registration_ = std::make_unique<RegisteredPanel>(program.Folder() / L"MovalentDevTools.dll");
        EXPECT_TRUE(registration_->Ok());
        HWND tab = WaitForActivePage(program, L"Panel page");
        if (!tab)
            return nullptr;
        program.PostCommand(ID_TOGGLE_FENNIMOX);
        HWND panel = nullptr;
        Program::WaitFor([&] { return (panel = DevToolsPanel(tab)) && ::IsWindowVisible(panel); });
        return panel;
    }

    std::wstring Page() {
        pages_.Write(L"frame.html",
                     "<html><head><title>Inner</title></head><body><b id=\"deep\">deep</b></body></html>");
        pages_.Write(L"other.html", "<html><body>elsewhere<!--standin: other-site--></body></html>");
        return pages_.Write(L"panel.html",
                            "<html><head><title>Panel page</title></head><body>"
                            "<div id=\"target\" title=\"before\" style=\"color: red\">Target text</div>"
                            "<p id=\"para\">Para <span id=\"inner\">inner</span></p>"
                            "<iframe src=\"frame.html\"></iframe><iframe src=\"other.html\"></iframe>"
                            "</body></html>");
    }

    static HWND Item(HWND panel, unsigned id) { return PanelItem(panel, id); }
    static std::wstring Selected(HWND panel) {
        HWND tree = Item(panel, devtools::kTree);
        return TreeItemText(tree, SelectedTreeItem(tree));
    }
    static void FindBy(HWND panel, int mode, const std::wstring& text) {
        ::SendMessageTimeoutW(Item(panel, devtools::kFindMode), CB_SETCURSEL, static_cast<WPARAM>(mode), 0,
                              SMTO_ABORTIFHUNG, 5000, nullptr);
        SetPanelText(panel, devtools::kFindText, text);
        PressPanelButton(panel, devtools::kFindNext);
    }

    PageFolder pages_;
    std::unique_ptr<RegisteredPanel> registration_;
};

TEST_F(DevTools, RegistersForTheUserAndShowsThePageTreeWithItsFrames) {
    Program program;
    HWND panel = OpenPanel(program, L"-ie6");
    ASSERT_TRUE(panel) << program.StartError();
    EXPECT_EQ(program.Folder() / L"MovalentDevTools.dll", std::filesystem::path(registration_->Registered()));
    HWND tree = Item(panel, devtools::kTree);
    ASSERT_TRUE(Program::WaitFor([&] { return !TreeChildren(tree, FindTreeItem(tree, L"<html")).empty(); }));
    EXPECT_TRUE(FindTreeItem(tree, L"<body"));
    HTREEITEM frame = FindTreeItem(tree, L"<iframe");
    ASSERT_TRUE(frame);
    const auto inside = TreeChildren(tree, frame);
    ASSERT_EQ(1u, inside.size());
    EXPECT_EQ(L"<html>", inside[0].second) << "the frame's document as a sub-tree";
    EXPECT_TRUE(FindTreeItem(tree, L"<b id=\"deep\">"));
    // The second frame's page is from another site.
    const auto frames = TreeChildren(tree, FindTreeItem(tree, L"<body"));
    ASSERT_EQ(L"<iframe>", frames.back().second);
    const auto denied = TreeChildren(tree, frames.back().first);
    ASSERT_EQ(1u, denied.size());
    EXPECT_EQ(L"access denied", denied[0].second);
    EXPECT_EQ(0, program.Close());
}

TEST_F(DevTools, SelectedElementShowsItsPropertiesAndEditsReachThePage) {
    Program program;
    HWND panel = OpenPanel(program, L"-ie6");
    ASSERT_TRUE(panel) << program.StartError();
    FindBy(panel, 0, L"target");
    ASSERT_TRUE(Program::WaitFor([&] { return Selected(panel) == L"<div id=\"target\">"; }))
        << Selected(panel);
    HWND list = Item(panel, devtools::kProperties);
    EXPECT_EQ(L"before", RowValue(list, L"title"));
    EXPECT_EQ(L"red", RowValue(list, L"style.color"));
    EXPECT_EQ(L"block", RowValue(list, L"currentStyle.display"));
    EXPECT_NE(L"(none)", RowValue(list, L"offsetWidth"));
    EXPECT_NE(std::wstring::npos, PanelItemText(panel, devtools::kOuterHtml).find(L"Target text"));

    HWND tab = program.ActiveTab();
    for (const auto& [row, value, key] : {std::tuple{L"title", L"after", L"attr.target.title"},
                                          std::tuple{L"style.color", L"blue", L"attr.target.style"}}) {
        SelectListRow(list, row);
        SetPanelText(panel, devtools::kValue, value);
        PressPanelButton(panel, devtools::kApplyButton);
        EXPECT_TRUE(Program::WaitFor([&] { return PageValue(tab, key).find(value) != std::wstring::npos; }))
            << key << " = " << PageValue(tab, key);
    }
    EXPECT_TRUE(Program::WaitFor([&] { return RowValue(list, L"title") == L"after"; }));

    // The page opened again: the tree is read anew (the edits are gone) and the selection stays where it was.
    program.PostCommand(ID_NAV_REFRESH);
    EXPECT_TRUE(Program::WaitFor([&] { return RowValue(list, L"title") == L"before"; }));
    EXPECT_EQ(L"<div id=\"target\">", Selected(panel));
    EXPECT_EQ(0, program.Close());
}

TEST_F(DevTools, TextsFollowTheProgramsLanguage) {
    Program program;
    HWND panel = OpenPanel(program, L"-ie7", {{L"langID", 0x0C}}); // French
    ASSERT_TRUE(panel) << program.StartError();
    EXPECT_EQ(L"&Choisir", PanelItemText(panel, devtools::kPickButton));
    EXPECT_EQ(0, program.Close());
}

TEST_F(DevTools, FindScriptAndPickerWorkOnThePage) {
    Program program;
    HWND panel = OpenPanel(program, L"-ie8");
    ASSERT_TRUE(panel) << program.StartError();
    FindBy(panel, 1, L"span");
    EXPECT_TRUE(Program::WaitFor([&] { return Selected(panel) == L"<span id=\"inner\">"; }))
        << Selected(panel);
    FindBy(panel, 2, L"target TEXT");
    EXPECT_TRUE(Program::WaitFor([&] { return Selected(panel) == L"\"Target text\""; })) << Selected(panel);

    for (const auto& [line, expected] : {std::pair{L"document.title", L"= Panel page"},
                                         std::pair{L"nonsense((", L"Script error 0x80020101"}}) {
        SetPanelText(panel, devtools::kScript, line);
        PressPanelButton(panel, devtools::kRunButton);
        EXPECT_TRUE(Program::WaitFor([&] { return PanelItemText(panel, devtools::kStatus) == expected; }))
            << PanelItemText(panel, devtools::kStatus);
    }

    // The picker takes the next click in the page for itself.
    HWND tab = program.ActiveTab();
    PressPanelButton(panel, devtools::kPickButton);
    RECT box = {};
    ASSERT_EQ(4, swscanf(PageValue(tab, L"box.para").c_str(), L"%ld,%ld,%ld,%ld", &box.left, &box.top,
                         &box.right, &box.bottom));
    ::Sleep(200);
    const LPARAM at = MAKELPARAM(box.left + 1, (box.top + box.bottom) / 2);
    ::PostMessageW(BrowserWindow(tab), WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(BrowserWindow(tab), WM_LBUTTONUP, 0, at);
    EXPECT_TRUE(Program::WaitFor([&] { return Selected(panel) == L"<p id=\"para\">"; })) << Selected(panel);
    EXPECT_EQ(L"0", PageValue(tab, L"click.count")) << "the click did not reach the page";
    EXPECT_EQ(0, program.Close());
}

TEST_F(DevTools, SourceComesThroughTheTabsOwnEngineAndTheTabClosesWithThePanelOpen) {
    for (const wchar_t* version : {L"-ie6", L"-ie8"}) {
        Program program;
        HWND panel = OpenPanel(program, version);
        ASSERT_TRUE(panel) << program.StartError();
        HWND tab = program.ActiveTab();
        PressPanelButton(panel, devtools::kSourceButton);
        HWND source = nullptr;
        ASSERT_TRUE(
            Program::WaitFor([&] { return (source = ::FindWindowW(L"MovalentSourceWindow", nullptr)); }));
        EXPECT_TRUE(Program::WaitFor([&] {
            return program.WindowText(::GetDlgItem(source, 100)).find(L"<div id=\"target\"") !=
                   std::wstring::npos;
        }));
        // The page's report is made anew when the page is refreshed.
        program.PostCommand(ID_NAV_REFRESH);
        const std::wstring expected = std::wstring(1, version[3]) + L"rlmon.dll ";
        EXPECT_TRUE(Program::WaitFor([&] { return PageValue(tab, L"fetch.last").find(expected) == 0; }))
            << ::testing::PrintToString(PageValue(tab, L"fetch.last"));
        ::PostMessageW(source, WM_CLOSE, 0, 0);

        // Closed and opened again, then the tab goes with the panel open.
        program.PostCommand(ID_TOGGLE_FENNIMOX);
        EXPECT_TRUE(Program::WaitFor([&] { return !::IsWindowVisible(panel); }));
        program.PostCommand(ID_TOGGLE_FENNIMOX);
        EXPECT_TRUE(Program::WaitFor([&] { return ::IsWindowVisible(panel); }));
        program.PostCommand(ID_CLOSE_TAB);
        EXPECT_TRUE(Program::WaitFor([&] { return program.Tabs().empty(); }));
        EXPECT_EQ(0, program.Close());
    }
}

} // namespace
