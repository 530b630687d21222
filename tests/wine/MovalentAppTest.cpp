// The application's start-up, its tabs and commands, and the main frame's messages, as the program runs them.
#include "FrameworkTestSupport.h"
#include "shell/AboutDlg.h"
#include "app/InternalMessages.h"
#include "framework/QueryMessages.h"
#include "app/Localisation.h"
#include "app/MakerAddresses.h"
#include "shell/MovalentApp.h"
#include "app/TextFormat.h"
#include "app/VersionInfo.h"
#include "engine/EngineLoader.h"
#include "framework/ChildFrame.h"
#include "framework/MessageBox.h"
#include "framework/ShellOpen.h"
#include "framework/TabRow.h"
#include "framework_resource.h"
#include "mainframe/MainFrame.h"
#include "resource.h"
#include "tabs/MovalentDoc.h"
#include "tabs/MovalentView.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <shellapi.h>

#include <memory>
#include <typeinfo>
#include <vector>

using namespace movalent;
using movalent::test::PumpMessages;
using movalent::test::WhenDialogShows;

namespace {

const wchar_t* kUserKey = L"Software\\Ombrisk\\Movalent";

std::vector<std::wstring> g_boxes;
std::vector<std::wstring> g_opened;

int RecordBox(HWND, const std::wstring& text, const std::wstring&, UINT) {
    g_boxes.push_back(text);
    return IDOK;
}
bool RecordOpen(const std::wstring& target) {
    g_opened.push_back(target);
    return true;
}

class MovalentApplication : public ::testing::Test {
protected:
    void SetUp() override {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kUserKey);
        g_boxes.clear();
        g_opened.clear();
        SetMessageBoxHandler(RecordBox);
        SetShellOpenHandler(RecordOpen);
        app_ = std::make_unique<CMovalentApp>();
        ASSERT_TRUE(app_->InitInstance());
        frame_ = app_->MainFrame();
        ASSERT_NE(nullptr, frame_);
    }
    void TearDown() override {
        app_->ExitInstance();
        PumpMessages();
        app_.reset();
        SetMessageBoxHandler(nullptr);
        SetShellOpenHandler(nullptr);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kUserKey);
        EXPECT_TRUE(g_boxes.empty());
    }

    CMovalentDoc* Open(int version, const std::wstring& url) {
        return dynamic_cast<CMovalentDoc*>(app_->OpenTab(version, url));
    }
    static ChildFrame* FrameOf(Document* document) { return document->Views().front()->ParentFrame(); }
    // The text of the address box of the tab's container (which lives on the tab's browser thread).
    static std::wstring AddressOf(Document* document) {
        HWND container = ::GetWindow(document->Views().front()->Handle(), GW_CHILD);
        HWND box = container ? ::GetDlgItem(container, IDC_ADDRESS_BOX) : nullptr;
        HWND edit = box ? reinterpret_cast<HWND>(::SendMessageW(box, CBEM_GETEDITCONTROL, 0, 0)) : nullptr;
        wchar_t text[1024] = {};
        if (edit)
            ::SendMessageW(edit, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
        return text;
    }
    static bool WaitForAddress(Document* document, const std::wstring& address) {
        for (int i = 0; i < 500; ++i) {
            PumpMessages();
            if (AddressOf(document) == address)
                return true;
            ::Sleep(20);
        }
        return false;
    }
    unsigned State(unsigned id) {
        static const UINT query = ::RegisterWindowMessageW(kQueryCommandStateMessageName);
        return static_cast<unsigned>(::SendMessageW(frame_->Handle(), query, id, 0));
    }
    void Command(unsigned id) { ::SendMessageW(frame_->Handle(), WM_COMMAND, id, 0); }
    std::wstring Caption(ChildFrame* child) {
        wchar_t text[512] = {};
        ::SendMessageW(child->Handle(), WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
        return text;
    }
    std::vector<std::wstring> StartUrls() {
        std::vector<std::wstring> urls;
        for (ChildFrame* tab : frame_->Tabs())
            urls.push_back(static_cast<CMovalentDoc*>(tab->ActiveDocument())->StartUrl());
        return urls;
    }

    std::unique_ptr<CMovalentApp> app_;
    CMainFrame* frame_ = nullptr;
};

TEST_F(MovalentApplication, StartUpRegistersTheFiveTabTemplatesInOrderAndShowsTheFrame) {
    std::vector<unsigned> ids;
    for (const auto& docTemplate : app_->DocTemplates()) {
        EXPECT_NE(nullptr, dynamic_cast<CMyMultiDocTemplate*>(docTemplate.get()));
        EXPECT_NE(nullptr, docTemplate->SmallIcon()) << docTemplate->ResourceId();
        ids.push_back(docTemplate->ResourceId());
    }
    EXPECT_EQ((std::vector<unsigned>{315, 314, 317, 319, 316}), ids);
    EXPECT_TRUE(::IsWindowVisible(frame_->Handle()));
    EXPECT_EQ(L"Movalent", frame_->Text());
    EXPECT_NE(nullptr, app_->Accelerators());
    EXPECT_EQ(SearchBehaviour::NewDefaultTab, app_->GetSearchBehaviour());
    EXPECT_EQ(DefaultHomePage(GetProgramVersionString()), app_->HomePage());
    EXPECT_TRUE(frame_->Tabs().empty()) << "the test's command line names no URL";
}

TEST_F(MovalentApplication, EachVersionOpensItsOwnDocumentClassThroughItsTemplate) {
    struct Case {
        int version;
        unsigned templateId;
        const std::type_info& type;
    };
    const Case cases[] = {{IE_55, 315, typeid(CIE55Doc)},
                          {IE_6, 314, typeid(CIE6Doc)},
                          {IE_7, 317, typeid(CIE7Doc)},
                          {IE_8, 319, typeid(CIE8Doc)},
                          {IE_DEFAULT, 316, typeid(CIEDefaultDoc)},
                          {42, 316, typeid(CIEDefaultDoc)}};
    for (const Case& c : cases) {
        CMovalentDoc* document = Open(c.version, L"http://v.test/");
        ASSERT_NE(nullptr, document) << c.version;
        EXPECT_EQ(c.templateId, document->Template()->ResourceId());
        EXPECT_EQ(c.type, typeid(*document));
        EXPECT_EQ(c.version == 42 ? IE_DEFAULT : c.version, document->EngineVersion());
    }
    EXPECT_EQ(nullptr, Open(IE_4, L"x")) << "IE 4 has no template";
    EXPECT_EQ(nullptr, Open(IE_5, L"x"));
    EXPECT_EQ(6u, app_->DocumentCount());
}

TEST_F(MovalentApplication, AStartUrlIsKeptAsGivenAndTheCaptionWaitsForTheBrowsersTitle) {
    const std::wstring path = L"C:\\no such folder\\page one.html";
    CMovalentDoc* document = Open(IE_DEFAULT, path);
    ASSERT_NE(nullptr, document);
    EXPECT_EQ(path, document->StartUrl());
    EXPECT_EQ(L"", document->Title());
    EXPECT_EQ(L"", Caption(FrameOf(document)));
    EXPECT_EQ(L"", document->PathName());
    EXPECT_TRUE(WaitForAddress(document, path)) << "the tab's browser opens the start URL";

    CMovalentDoc* empty = Open(IE_DEFAULT, L"");
    EXPECT_EQ(L"", empty->StartUrl());
    EXPECT_TRUE(WaitForAddress(empty, L"about:blank"));
}

TEST_F(MovalentApplication, OpeningATabReappliesTheMaximumTabWidth) {
    Open(IE_DEFAULT, std::wstring(300, L'x'));
    PumpMessages();
    std::vector<TabRow*> rows = frame_->TabControls();
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ(CMainFrame::kMaxTabWidth, rows.front()->MaxTabWidth());
    EXPECT_LE(rows.front()->TabRects().front().right - rows.front()->TabRects().front().left,
              CMainFrame::kMaxTabWidth);
}

TEST_F(MovalentApplication, TabCommandsAreEnabledByTheNumberOfOpenTabs) {
    EXPECT_EQ(0u, State(ID_CLOSE_ALL_TABS));
    EXPECT_EQ(0u, State(ID_CLOSE_OTHER_TABS));
    EXPECT_EQ(0u, State(ID_REFRESH_ALL));
    EXPECT_EQ(0u, State(ID_CLOSE_DOCUMENT));
    Open(IE_DEFAULT, L"a");
    EXPECT_EQ(1u, State(ID_CLOSE_ALL_TABS));
    EXPECT_EQ(0u, State(ID_CLOSE_OTHER_TABS));
    EXPECT_EQ(0u, State(ID_REFRESH_ALL));
    EXPECT_EQ(0u, State(ID_REFRESH_ALL_COMPLETE));
    EXPECT_EQ(1u, State(ID_CLOSE_DOCUMENT));
    Open(IE_DEFAULT, L"b");
    EXPECT_EQ(1u, State(ID_CLOSE_OTHER_TABS));
    EXPECT_EQ(1u, State(ID_REFRESH_ALL));
    EXPECT_EQ(1u, State(ID_REFRESH_ALL_COMPLETE));
}

TEST_F(MovalentApplication, VersionCommandsFollowEngineAvailability) {
    const unsigned commands[] = {ID_NEW_IE4, ID_NEW_IE5, ID_NEW_IE55, ID_NEW_IE6, ID_NEW_IE7, ID_NEW_IE8};
    for (int version = IE_4; version <= IE_8; ++version)
        EXPECT_EQ(IsEngineAvailable(static_cast<IEVERSION>(version)) ? 1u : 0u, State(commands[version]));
    EXPECT_EQ(0u, State(ID_NEW_IE4));
    EXPECT_EQ(1u, State(ID_NEW_IE_DEFAULT));
    for (unsigned always :
         {ID_OPEN_ALL_VERSIONS, ID_INTERNET_OPTIONS, ID_CONFIGURE, ID_CHECK_VERSION, ID_SHOW_ABOUT})
        EXPECT_EQ(1u, State(always)) << always;

    Command(ID_NEW_IE4);
    EXPECT_TRUE(frame_->Tabs().empty()) << "a disabled version command opens nothing";
    Command(ID_NEW_IE_DEFAULT);
    EXPECT_EQ((std::vector<std::wstring>{app_->HomePage()}), StartUrls());
}

TEST_F(MovalentApplication, OpenInAllVersionsOpensTheDialogsAddressInEveryAvailableTickedVersion) {
    // The dialog ends with the given button after the given address was typed.
    auto answer = [](int button, const wchar_t* address) {
        return [button, address](HWND dialog) {
            ::SetDlgItemTextW(dialog, IDC_OPEN_ALL_URL, address);
            ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        };
    };
    app_->Settings()->WriteInt(L"OpenAll_IED", 0);
    {
        WhenDialogShows cancel(answer(IDCANCEL, L"http://cancelled.test/"));
        Command(ID_OPEN_ALL_VERSIONS);
    }
    EXPECT_TRUE(frame_->Tabs().empty()) << "Cancel opens nothing";
    {
        WhenDialogShows ok(answer(IDOK, L"http://all.test/"));
        Command(ID_OPEN_ALL_VERSIONS);
    }
    size_t expected = 0;
    for (IEVERSION version : {IE_55, IE_6, IE_7, IE_8})
        expected += IsEngineAvailable(version) ? 1 : 0;
    EXPECT_EQ(std::vector<std::wstring>(expected, L"http://all.test/"), StartUrls())
        << "Default IE is not ticked";
    app_->Settings()->WriteInt(L"OpenAll_IED", 1);
    {
        WhenDialogShows ok(answer(IDOK, L"http://again.test/"));
        Command(ID_OPEN_ALL_VERSIONS);
    }
    EXPECT_EQ(2 * expected + 1, frame_->Tabs().size());
}

TEST_F(MovalentApplication, CtrlWClosesOnlyTheActiveTab) {
    CMovalentDoc* first = Open(IE_DEFAULT, L"first");
    Open(IE_DEFAULT, L"second");
    Command(ID_CLOSE_TAB);
    PumpMessages();
    EXPECT_EQ((std::vector<std::wstring>{L"first"}), StartUrls());
    EXPECT_EQ(FrameOf(first), frame_->ActiveChild());
}

TEST_F(MovalentApplication, KeyboardShortcutsOfTable129ReachTheFrame) {
    Open(IE_DEFAULT, L"first");
    Open(IE_DEFAULT, L"second");
    // Ctrl+Tab, as the keyboard would deliver it to the active tab's view.
    HWND view = frame_->ActiveView()->Handle();
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    ::SetKeyboardState(keys);
    MSG msg = {view, WM_KEYDOWN, VK_TAB, 0x000F0001, 0, {}};
    EXPECT_TRUE(app_->PreTranslateMessage(msg));
    keys[VK_CONTROL] = 0;
    ::SetKeyboardState(keys);
    EXPECT_EQ(L"first", static_cast<CMovalentDoc*>(frame_->ActiveChild()->ActiveDocument())->StartUrl());
}

TEST_F(MovalentApplication, CloseAllExceptActiveKeepsTheActiveTab) {
    Open(IE_DEFAULT, L"a");
    CMovalentDoc* b = Open(IE_DEFAULT, L"b");
    Open(IE_DEFAULT, L"c");
    frame_->ActivateTab(FrameOf(b));
    Command(ID_CLOSE_OTHER_TABS);
    EXPECT_EQ((std::vector<std::wstring>{L"b"}), StartUrls());
    Command(ID_CLOSE_ALL_TABS);
    EXPECT_TRUE(frame_->Tabs().empty());
    EXPECT_EQ(0u, app_->DocumentCount());
}

TEST_F(MovalentApplication, WebSearchOpensWhereTheSettingSays) {
    const std::wstring address = WebSearchPrefix() + L"a%20b%26c";
    auto search = [&](const std::wstring& text) {
        ::PostMessageW(frame_->Handle(), kMsgWebSearch, NewHeapString(text), 0);
        PumpMessages();
    };

    search(L"a b&c");
    EXPECT_EQ((std::vector<std::wstring>{address}), StartUrls()) << "1: always a new Default IE tab";
    search(L"a b&c");
    EXPECT_EQ(2u, frame_->Tabs().size());

    Command(ID_CLOSE_ALL_TABS);
    app_->SetSearchBehaviour(SearchBehaviour::ActiveTab);
    search(L"a b&c");
    EXPECT_EQ(1u, frame_->Tabs().size()) << "2 without a tab: a new Default IE tab";
    CMovalentDoc* seven = Open(IE_7, L"seven");
    search(L"x");
    EXPECT_EQ(2u, frame_->Tabs().size());
    EXPECT_TRUE(WaitForAddress(seven, WebSearchPrefix() + L"x")) << "2: the active tab navigates";

    Command(ID_CLOSE_ALL_TABS);
    app_->SetSearchBehaviour(SearchBehaviour::FirstDefaultTab);
    Open(IE_7, L"seven");
    search(L"y");
    ASSERT_EQ(2u, frame_->Tabs().size()) << "3 with only IE 7 tabs: a new Default IE tab";
    EXPECT_EQ(WebSearchPrefix() + L"y", StartUrls()[1]);
    CMovalentDoc* firstDefault = static_cast<CMovalentDoc*>(frame_->Tabs()[1]->ActiveDocument());
    Open(IE_DEFAULT, L"second default");
    frame_->ActivateTab(frame_->Tabs()[0]);
    search(L"z");
    EXPECT_EQ(3u, frame_->Tabs().size());
    EXPECT_TRUE(WaitForAddress(firstDefault, WebSearchPrefix() + L"z"));
    EXPECT_EQ(FrameOf(firstDefault), frame_->ActiveChild()) << "3: the first Default IE tab, activated";
}

TEST_F(MovalentApplication, StatusTextAndDownloadProgressReachTheStatusBar) {
    CMyMFCRibbonStatusBar& bar = frame_->StatusBar();
    auto* pane = bar.FindByIdAs<StatusBarPane>(ID_STATUS_INFO);
    auto* progress = bar.FindByIdAs<StatusBarProgressBar>(ID_DOWNLOAD_PROGRESS);
    ASSERT_TRUE(pane && progress);
    ASSERT_EQ(progress, bar.Extended(0)) << "the progress bar is the first extended element";
    auto progressShown = [&] {
        return progress->Visible() && (::GetWindowLongPtrW(progress->Handle(), GWL_STYLE) & WS_VISIBLE) != 0;
    };
    EXPECT_FALSE(progressShown());

    std::wstring text = L"Loading page";
    ::SendMessageW(frame_->Handle(), kMsgStatusText, reinterpret_cast<WPARAM>(&text), 0);
    EXPECT_EQ(text, pane->Text());
    EXPECT_EQ(text, bar.Information());
    EXPECT_EQ(L"Loading page", text) << "the sender keeps its string";

    EXPECT_EQ(0, ::SendMessageW(frame_->Handle(), kMsgDownloadProgress, 50, 100));
    EXPECT_TRUE(progressShown());
    EXPECT_EQ(50, progress->Pos());
    ::SendMessageW(frame_->Handle(), kMsgDownloadProgress, 100, 100);
    EXPECT_FALSE(progressShown());
    ::SendMessageW(frame_->Handle(), kMsgDownloadProgress, 3, 10);
    EXPECT_TRUE(progressShown()) << "the next ordinary report shows it again";
    ::SendMessageW(frame_->Handle(), kMsgDownloadProgress, static_cast<WPARAM>(-1), 100);
    EXPECT_FALSE(progressShown());
}

TEST_F(MovalentApplication, TheVisualStyleIsRadioCheckedAndRemembered) {
    EXPECT_EQ(215u, frame_->ApplicationLook());
    EXPECT_EQ(5u, State(ID_LOOK_OFFICE_2007_BLUE)) << "enabled with the radio mark";
    EXPECT_EQ(1u, State(ID_LOOK_OFFICE_2007_BLACK));
    Command(ID_LOOK_OFFICE_2007_BLACK);
    EXPECT_EQ(5u, State(ID_LOOK_OFFICE_2007_BLACK));
    EXPECT_EQ(1u, State(ID_LOOK_OFFICE_2007_BLUE));
    EXPECT_EQ(Office2007Colour::Black, frame_->Look().colour);
    EXPECT_EQ(216, app_->GetWorkspaceInt(L"ApplicationLook", 0));
    EXPECT_EQ(216u, CMainFrame().ApplicationLook()) << "a new frame starts from the stored style";
}

TEST_F(MovalentApplication, TheWindowsDialogListsTheTabsAndClosesTheChosenOnes) {
    CMovalentDoc* a = Open(IE_DEFAULT, L"a");
    Open(IE_DEFAULT, L"b");
    PumpMessages();
    int listed = -1;
    WhenDialogShows act([&](HWND dialog) {
        HWND list = ::GetDlgItem(dialog, IDC_WINDOWS_LIST);
        listed = static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
        ::SendMessageW(list, LB_SETSEL, FALSE, -1);
        ::SendMessageW(list, LB_SETSEL, TRUE, 1);
        ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_WINDOWS_CLOSE, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDC_WINDOWS_CLOSE)));
        ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    Command(ID_WINDOW_MANAGER);
    EXPECT_EQ(2, listed);
    ASSERT_EQ(1u, frame_->Tabs().size());
    EXPECT_EQ(FrameOf(a), frame_->Tabs().front());
}

TEST_F(MovalentApplication, TheAboutBoxLinksToTheProjectHomePage) {
    EXPECT_EQ(L"<a href=\"http://h.test/p\">Movalent v0.3.4</a>",
              CAboutDlg::LinkMarkup(L"http://h.test/p", L"0.3.4"));
    std::wstring caption, link;
    WhenDialogShows act([&](HWND dialog) {
        wchar_t text[256] = {};
        ::GetWindowTextW(dialog, text, 256);
        caption = text;
        ::GetDlgItemTextW(dialog, IDC_ABOUT_LINK, text, 256);
        link = text;
        NMLINK click = {};
        click.hdr.hwndFrom = ::GetDlgItem(dialog, IDC_ABOUT_LINK);
        click.hdr.idFrom = IDC_ABOUT_LINK;
        click.hdr.code = NM_CLICK;
        ::SendMessageW(dialog, WM_NOTIFY, IDC_ABOUT_LINK, reinterpret_cast<LPARAM>(&click));
        ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    Command(ID_SHOW_ABOUT);
    EXPECT_EQ(L"About...", caption);
    EXPECT_NE(std::wstring::npos, link.find(L"Movalent v" + GetProgramVersionString()))
        << "link text: " << link;
    EXPECT_EQ((std::vector<std::wstring>{ProjectHomePage()}), g_opened);
}

TEST_F(MovalentApplication, TheCommandLineOpensTabsInVersionOrderForAvailableVersionsOnly) {
    CCustomCommandLineInfo commandLine([](std::wstring_view w) { return std::string(w.begin(), w.end()); },
                                       [](std::string_view a) { return std::wstring(a.begin(), a.end()); });
    commandLine.ParseAll(
        SplitCommandLineArgs({L"-ie7", L"seven", L"b", L"-ie", L"d1", L"d2", L"-ie4", L"four"}));
    app_->OpenCommandLineTabs(commandLine);
    std::vector<std::wstring> expected;
    if (IsEngineAvailable(IE_7))
        expected = {L"seven", L"b"};
    expected.push_back(L"d1");
    expected.push_back(L"d2");
    EXPECT_EQ(expected, StartUrls());
}

// A browser object to marshal into a stream, counting its references.
class CountedDispatch : public IDispatch {
public:
    ULONG refs = 1;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }
};

TEST_F(MovalentApplication, ADocumentKeepsTheFirstBrowserStreamAndReleasesItWhenItCloses) {
    CountedDispatch browser;
    IStream* first = nullptr;
    IStream* second = nullptr;
    ASSERT_EQ(S_OK, ::CoMarshalInterThreadInterfaceInStream(IID_IDispatch, &browser, &first));
    ASSERT_EQ(S_OK, ::CoMarshalInterThreadInterfaceInStream(IID_IDispatch, &browser, &second));
    ULONG marshalled = browser.refs;
    EXPECT_GT(marshalled, 1u);

    CMovalentDoc* document = Open(IE_DEFAULT, L"a");
    EXPECT_TRUE(document->AdoptBrowserStream(first));
    EXPECT_FALSE(document->AdoptBrowserStream(second)) << "later streams stay with the caller";
    EXPECT_EQ(first, document->BrowserStream());
    ::CoReleaseMarshalData(second);
    second->Release();

    Command(ID_CLOSE_ALL_TABS);
    EXPECT_EQ(1u, browser.refs) << "every reference the streams held is gone";

    CMovalentDoc* never = Open(IE_DEFAULT, L"b");
    EXPECT_EQ(nullptr, never->BrowserStream());
    Command(ID_CLOSE_ALL_TABS);
    EXPECT_EQ(0u, app_->DocumentCount());
}

} // namespace

namespace {

// Arguments the program hands to another start of itself (an elevated import, a capture) come back whole,
// however they end.
TEST(QuotedArgument, ReadsBackWholeThroughTheSystemsSplitter) {
    for (const std::wstring argument :
         {L"C:\\", L"C:\\old files\\", L"a \"b\" c", L"x\\\\\"y", L"", L"\u00e9t\u00e9\\\\"}) {
        const std::wstring line = L"movalent.exe " + QuotedArgument(argument) + L" next";
        int count = 0;
        LPWSTR* argv = ::CommandLineToArgvW(line.c_str(), &count);
        ASSERT_EQ(3, count) << line;
        EXPECT_EQ(argument, argv[1]) << line;
        EXPECT_STREQ(L"next", argv[2]) << line;
        ::LocalFree(argv);
    }
}

} // namespace
