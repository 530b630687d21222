// The framework's documents, templates, tabs and command routing, with real windows.
#include "FrameworkTestSupport.h"
#include "app/InternalMessages.h"
#include "framework/QueryMessages.h"
#include "framework/Application.h"
#include "framework/ChildFrame.h"
#include "framework/Document.h"
#include "framework/DocumentTemplate.h"
#include "framework/TabRow.h"
#include "framework/TabbedMainFrame.h"
#include "framework/View.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace movalent;
using movalent::test::PumpMessages;

namespace {

std::vector<std::string> g_log;
int g_documents = 0;
int g_views = 0;
bool g_failOpen = false;

class TestDocument : public Document {
public:
    TestDocument() { ++g_documents; }
    ~TestDocument() override { --g_documents; }
    bool OnNewDocument() override {
        g_log.push_back("new");
        return Document::OnNewDocument();
    }
    bool OnOpenDocument(const std::wstring& path) override {
        g_log.push_back("open");
        openedWith = path;
        return !g_failOpen;
    }
    std::wstring openedWith;
};

class TestView : public View {
public:
    TestView() {
        ++g_views;
        OnCommand(100, [] { g_log.push_back("view:100"); });
        OnCommand(102, [] { g_log.push_back("view:102"); });
        OnUpdateCommand(104, [](CommandState& state) { state.SetCheck(); });
    }
    ~TestView() override { --g_views; }
    void OnInitialUpdate() override {
        visibleAtInitialUpdate = ::IsWindowVisible(ParentFrame()->Handle()) != FALSE;
        g_log.push_back("initial-update");
    }
    void OnActivateView(bool activate) override {
        g_log.push_back(activate ? "activate" : "deactivate");
        View::OnActivateView(activate);
    }
    bool visibleAtInitialUpdate = true;
};

class TestChildFrame : public ChildFrame {
public:
    TestChildFrame() {
        OnCommand(101, [] { g_log.push_back("child:101"); });
        OnCommand(100, [] { g_log.push_back("child:100"); });
    }
};

class TestFrame : public TabbedMainFrame {
public:
    TestFrame() {
        OnCommand(101, [] { g_log.push_back("frame:101"); });
        OnCommand(103, [] { g_log.push_back("frame:103"); });
        OnUpdateCommand(103, [](CommandState& state) { state.Enable(false); });
    }
};

class TestApp : public Application {
public:
    TestApp() {
        OnCommand(100, [] { g_log.push_back("app:100"); });
        OnCommand(105, [] { g_log.push_back("app:105"); });
    }
};

class FrameworkDocuments : public ::testing::Test {
protected:
    void SetUp() override {
        g_log.clear();
        g_failOpen = false;
        app_ = std::make_unique<TestApp>();
        docTemplate_ = app_->AddDocTemplate(std::make_unique<DocumentTemplate>(
            IDR_IE6_TAB, [] { return new TestDocument; }, [] { return new TestChildFrame; },
            [] { return new TestView; }));
        frame_ = std::make_unique<TestFrame>();
        app_->SetMainWindow(frame_.get());
        ASSERT_TRUE(frame_->LoadFrame(IDR_MAIN_FRAME, WS_OVERLAPPEDWINDOW));
        TabbedMainFrame::TabbedGroupsOptions options;
        options.closeButtonOnActiveTab = true;
        options.documentIcons = true;
        options.documentMenu = true;
        frame_->EnableTabbedGroups(options);
        ::ShowWindow(frame_->Handle(), SW_SHOW);
    }
    void TearDown() override {
        app_->CloseAllDocuments(true);
        // Not the main window any more, so destroying it ends no message loop.
        app_->SetMainWindow(nullptr);
        frame_->DestroyWindow();
        PumpMessages();
        frame_.reset();
        app_.reset();
        EXPECT_EQ(0, g_documents);
        EXPECT_EQ(0, g_views);
    }

    TestDocument* Open(const wchar_t* path = L"http://example.test/") {
        return static_cast<TestDocument*>(docTemplate_->OpenDocumentFile(path, true));
    }
    int MdiChildren() const {
        int count = 0;
        for (HWND child = ::GetWindow(frame_->MdiClient(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            ++count;
        return count;
    }
    std::wstring Caption(ChildFrame* child) const {
        wchar_t text[256] = {};
        ::SendMessageW(child->Handle(), WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
        return text;
    }
    LRESULT SendCommand(unsigned id, WORD code = 0) {
        return ::SendMessageW(frame_->Handle(), WM_COMMAND, MAKEWPARAM(id, code), 0);
    }
    unsigned QueryState(unsigned id) {
        static const UINT query = ::RegisterWindowMessageW(kQueryCommandStateMessageName);
        return static_cast<unsigned>(::SendMessageW(frame_->Handle(), query, id, 0));
    }

    std::unique_ptr<TestApp> app_;
    DocumentTemplate* docTemplate_ = nullptr;
    std::unique_ptr<TestFrame> frame_;
};

TEST_F(FrameworkDocuments, OpeningCreatesDocumentFrameAndViewAndClosingTheTabDestroysAll) {
    TestDocument* document = Open(L"http://a.test/x?y");
    ASSERT_NE(nullptr, document);
    EXPECT_EQ(L"http://a.test/x?y", document->openedWith);
    EXPECT_EQ((std::vector<std::string>{"open", "initial-update", "activate"}), g_log);
    ASSERT_EQ(1u, document->Views().size());
    auto* view = static_cast<TestView*>(document->Views().front());
    EXPECT_FALSE(view->visibleAtInitialUpdate) << "the view is updated before its tab is shown";
    ChildFrame* child = view->ParentFrame();
    EXPECT_EQ(child, frame_->ActiveChild());
    EXPECT_EQ(view, frame_->ActiveView());
    EXPECT_EQ(docTemplate_, document->Template());
    EXPECT_EQ(L"", Caption(child)) << "a path never becomes the title";

    document->SetTitle(L"Page & title");
    EXPECT_EQ(L"Page & title", Caption(child));

    HWND childWindow = child->Handle();
    HWND viewWindow = view->Handle();
    ::SendMessageW(childWindow, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, g_documents);
    EXPECT_EQ(0, g_views);
    EXPECT_FALSE(::IsWindow(childWindow));
    EXPECT_FALSE(::IsWindow(viewWindow));
    EXPECT_TRUE(docTemplate_->Documents().empty());
    EXPECT_TRUE(frame_->Tabs().empty());
    EXPECT_EQ(nullptr, frame_->ActiveChild());
}

TEST_F(FrameworkDocuments, ANewDocumentGetsANumberedTitle) {
    TestDocument* first = Open(nullptr);
    TestDocument* second = Open(nullptr);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(L"IE 61", first->Title());
    EXPECT_EQ(L"IE 62", second->Title());
    EXPECT_EQ(L"IE 62", Caption(frame_->ActiveChild()));
    EXPECT_EQ("new", g_log.front());
}

TEST_F(FrameworkDocuments, AFailedOpenLeavesNothingBehind) {
    g_failOpen = true;
    EXPECT_EQ(nullptr, Open());
    EXPECT_EQ(0, g_documents);
    EXPECT_EQ(0, g_views);
    EXPECT_EQ(0, MdiChildren());
    EXPECT_TRUE(frame_->Tabs().empty());
    EXPECT_TRUE(docTemplate_->Documents().empty());
}

TEST_F(FrameworkDocuments, ClosingAllDocumentsClosesEveryTab) {
    Open();
    Open();
    Open();
    EXPECT_EQ(3u, app_->DocumentCount());
    EXPECT_EQ(3, MdiChildren());
    app_->CloseAllDocuments(false);
    EXPECT_EQ(0u, app_->DocumentCount());
    EXPECT_EQ(0, MdiChildren());
}

TEST_F(FrameworkDocuments, CommandsGoToTheViewThenItsFrameThenTheMainFrameThenTheApplication) {
    SendCommand(100);
    SendCommand(101);
    SendCommand(105);
    EXPECT_EQ((std::vector<std::string>{"app:100", "frame:101", "app:105"}), g_log) << "no tab: frame, app";

    Open();
    g_log.clear();
    SendCommand(100, 1);
    SendCommand(101, 1);
    SendCommand(102);
    SendCommand(105);
    EXPECT_EQ((std::vector<std::string>{"view:100", "child:101", "view:102", "app:105"}), g_log);
}

TEST_F(FrameworkDocuments, StatesFollowTheSameRouteAndDisabledCommandsNeverRun) {
    EXPECT_EQ(0u, QueryState(102)) << "handled only by a view, and there is none";
    EXPECT_EQ(1u, QueryState(105));
    EXPECT_EQ(0u, QueryState(ID_CLOSE_DOCUMENT)) << "closing needs a tab";
    Open();
    EXPECT_EQ(1u, QueryState(102));
    EXPECT_EQ(3u, QueryState(104)) << "the view's update handler: enabled and checked";
    EXPECT_EQ(1u, QueryState(ID_CLOSE_DOCUMENT));
    EXPECT_EQ(1u, QueryState(ID_NEXT_TAB_PANE));

    g_log.clear();
    EXPECT_EQ(0u, QueryState(103));
    SendCommand(103);
    SendCommand(103, 1);
    EXPECT_TRUE(g_log.empty()) << "a command its update handler disables is dropped";
}

TEST_F(FrameworkDocuments, PopupMenusShowTheRoutedStates) {
    Open();
    HMENU menu = ::CreatePopupMenu();
    ::AppendMenuW(menu, MF_STRING, 102, L"view");
    ::AppendMenuW(menu, MF_STRING, 103, L"disabled");
    ::AppendMenuW(menu, MF_STRING, 104, L"checked");
    ::AppendMenuW(menu, MF_STRING, 999, L"nobody");
    ::SendMessageW(frame_->Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
    EXPECT_FALSE(::GetMenuState(menu, 102, MF_BYCOMMAND) & (MF_GRAYED | MF_CHECKED));
    EXPECT_TRUE(::GetMenuState(menu, 103, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(::GetMenuState(menu, 104, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(::GetMenuState(menu, 999, MF_BYCOMMAND) & MF_GRAYED);
    ::DestroyMenu(menu);
}

TEST_F(FrameworkDocuments, TabsCycleInRowOrderAndOnlyTheActiveOneIsVisible) {
    ChildFrame* a = Open(L"a")->Views().front()->ParentFrame();
    ChildFrame* b = Open(L"b")->Views().front()->ParentFrame();
    ChildFrame* c = Open(L"c")->Views().front()->ParentFrame();
    ASSERT_EQ((std::vector<ChildFrame*>{a, b, c}), frame_->Tabs());
    EXPECT_EQ(c, frame_->ActiveChild());
    EXPECT_TRUE(::IsWindowVisible(c->Handle()));
    EXPECT_FALSE(::IsWindowVisible(a->Handle()));
    EXPECT_FALSE(::IsWindowVisible(b->Handle()));

    SendCommand(ID_NEXT_TAB_PANE, 1);
    EXPECT_EQ(a, frame_->ActiveChild()) << "wraps around";
    EXPECT_TRUE(::IsWindowVisible(a->Handle()));
    EXPECT_FALSE(::IsWindowVisible(c->Handle()));
    SendCommand(ID_PREVIOUS_TAB_PANE, 1);
    EXPECT_EQ(c, frame_->ActiveChild());
    SendCommand(ID_PREVIOUS_TAB_PANE, 1);
    EXPECT_EQ(b, frame_->ActiveChild());

    frame_->MoveTab(0, 2); // b, c, a
    SendCommand(ID_NEXT_TAB_PANE, 1);
    EXPECT_EQ(c, frame_->ActiveChild()) << "the row's order, not the creation order";
    std::vector<HWND> stacked;
    for (HWND child = ::GetWindow(frame_->MdiClient(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        stacked.push_back(child);
    EXPECT_EQ((std::vector<HWND>{b->Handle(), c->Handle(), a->Handle()}), stacked)
        << "the MDI children, read from outside, come in row order";

    RECT area = frame_->TabArea();
    RECT rect = {};
    ::GetClientRect(c->Handle(), &rect);
    EXPECT_EQ(area.right, rect.right);
    EXPECT_EQ(area.bottom, rect.bottom);
}

TEST_F(FrameworkDocuments, TabsOpenedBeforeTheFrameIsShownStayHiddenButTheActiveOne) {
    ::ShowWindow(frame_->Handle(), SW_HIDE);
    ChildFrame* a = Open(L"a")->Views().front()->ParentFrame();
    ChildFrame* b = Open(L"b")->Views().front()->ParentFrame();
    ::ShowWindow(frame_->Handle(), SW_SHOW);
    EXPECT_EQ(b, frame_->ActiveChild());
    EXPECT_TRUE(::IsWindowVisible(b->Handle()));
    EXPECT_FALSE(::IsWindowVisible(a->Handle()));
}

TEST_F(FrameworkDocuments, ClosingTheActiveTabActivatesTheMostRecentlyActiveOne) {
    ChildFrame* a = Open(L"a")->Views().front()->ParentFrame();
    ChildFrame* b = Open(L"b")->Views().front()->ParentFrame();
    ChildFrame* c = Open(L"c")->Views().front()->ParentFrame();
    frame_->ActivateTab(a);
    frame_->ActivateTab(c);
    ::SendMessageW(c->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(a, frame_->ActiveChild());
    EXPECT_TRUE(::IsWindowVisible(a->Handle()));
    EXPECT_FALSE(::IsWindowVisible(b->Handle()));
    ::SendMessageW(a->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(b, frame_->ActiveChild());
    EXPECT_TRUE(::IsWindowVisible(b->Handle()));
}

TEST_F(FrameworkDocuments, TheCloseCommandClosesTheActiveTab) {
    ChildFrame* a = Open(L"a")->Views().front()->ParentFrame();
    Open(L"b");
    SendCommand(ID_CLOSE_DOCUMENT, 1);
    PumpMessages();
    ASSERT_EQ(1u, frame_->Tabs().size());
    EXPECT_EQ(a, frame_->Tabs().front());
    EXPECT_EQ(1, g_documents);
}

TEST_F(FrameworkDocuments, TheTabRowDrawsCaptionsWithinTheMaximumWidthAndClosesByItsButton) {
    TestDocument* document = Open(L"a");
    document->SetTitle(std::wstring(120, L'W'));
    std::vector<TabRow*> rows = frame_->TabControls();
    ASSERT_EQ(1u, rows.size());
    TabRow* row = rows.front();
    EXPECT_TRUE(::IsWindowVisible(row->Handle()));
    ASSERT_EQ(1u, row->TabRects().size());
    EXPECT_GT(row->TabRects()[0].right - row->TabRects()[0].left, 200) << "no maximum yet";
    row->SetMaxTabWidth(200);
    EXPECT_EQ(200, row->TabRects()[0].right - row->TabRects()[0].left);

    RECT close = row->CloseButtonRect();
    ASSERT_GT(close.right, close.left);
    POINT middle = {(close.left + close.right) / 2, (close.top + close.bottom) / 2};
    EXPECT_EQ(TabRow::HitKind::CloseButton, row->HitTest(middle).kind);
    RECT menu = row->DocumentMenuRect();
    EXPECT_EQ(TabRow::HitKind::DocumentMenu, row->HitTest({(menu.left + menu.right) / 2, menu.bottom - 2}).kind);
    ::SendMessageW(row->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(middle.x, middle.y));
    EXPECT_EQ(0, g_documents);
    EXPECT_FALSE(::IsWindowVisible(row->Handle())) << "no tabs, no row";
}

TEST_F(FrameworkDocuments, ClickingATabActivatesIt) {
    ChildFrame* a = Open(L"a")->Views().front()->ParentFrame();
    Open(L"b");
    TabRow* row = frame_->TabControls().front();
    RECT first = row->TabRects()[0];
    ::SendMessageW(row->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(first.left + 4, first.bottom - 4));
    ::SendMessageW(row->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(first.left + 4, first.bottom - 4));
    EXPECT_EQ(a, frame_->ActiveChild());
}

} // namespace
