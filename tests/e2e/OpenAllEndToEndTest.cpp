// Opening one address in every chosen engine version, in the real program: the dialog's address from the real
// clipboard, its check boxes stored the moment they are clicked, and OK opening one tab per ticked and
// available version.
#include "PageFolder.h"
#include "ProgramHarness.h"
#include "TabInspection.h"
#include "resource.h"
#include "standin/StandInTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

using namespace movalent::test;

namespace {

struct DialogSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchOpenAllDialog(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<DialogSearch*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[16] = {};
    ::GetClassNameW(hwnd, cls, 16);
    if (pid != search->processId || wcscmp(cls, L"#32770") != 0 || !::IsWindowVisible(hwnd) ||
        !::GetDlgItem(hwnd, IDC_OPEN_ALL_URL))
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

DWORD StoredInt(const wchar_t* name) {
    DWORD value = 0xFFFFFFFF;
    DWORD size = sizeof(value);
    ::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Ombrisk\\Movalent\\Options", name, RRF_RT_REG_DWORD,
                   nullptr, &value, &size);
    return value;
}

class OpenAll : public ::testing::Test {
protected:
    void SetUp() override {
        Program::ResetSettings();
        // The clipboard wants an owner window for its data.
        owner_ = ::CreateWindowExW(0, L"STATIC", L"clipboard owner", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   nullptr, nullptr);
        home_ = pages.WritePage(L"home.html", "Home");
    }
    void TearDown() override {
        Program::ResetSettings();
        if (::OpenClipboard(owner_)) {
            ::EmptyClipboard();
            ::CloseClipboard();
        }
        ::DestroyWindow(owner_);
    }

    void SetClipboard(const std::function<void()>& fill) {
        ASSERT_TRUE(Program::WaitFor([&] { return ::OpenClipboard(owner_) != FALSE; }));
        ::EmptyClipboard();
        fill();
        ::CloseClipboard();
    }
    void ClipboardText(const std::wstring& text) {
        SetClipboard([&] {
            size_t bytes = (text.size() + 1) * sizeof(wchar_t);
            HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
            std::memcpy(::GlobalLock(memory), text.c_str(), bytes);
            ::GlobalUnlock(memory);
            ::SetClipboardData(CF_UNICODETEXT, memory);
        });
    }
    void ClipboardAnsi(const std::string& text) {
        SetClipboard([&] {
            HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
            std::memcpy(::GlobalLock(memory), text.c_str(), text.size() + 1);
            ::GlobalUnlock(memory);
            ::SetClipboardData(CF_TEXT, memory);
        });
    }
    void ClipboardBitmap() {
        SetClipboard([] { ::SetClipboardData(CF_BITMAP, ::CreateBitmap(4, 4, 1, 32, nullptr)); });
    }

    ProgramOptions Options(const wchar_t* engines = L"full") const {
        ProgramOptions options;
        options.engineFolder = movalent::standin::testing::StandInFolder(engines);
        options.stringSettings[L"HomePage"] = home_;
        return options;
    }
    // Runs the command and waits for its dialog.
    static HWND OpenDialog(const Program& program) {
        program.PostCommand(ID_OPEN_ALL_VERSIONS);
        DialogSearch search{program.ProcessId(), nullptr};
        Program::WaitFor([&] {
            ::EnumWindows(MatchOpenAllDialog, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        });
        return search.found;
    }
    static void Press(HWND dialog, int id) {
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
        ASSERT_TRUE(Program::WaitFor([&] { return !::IsWindow(dialog); }));
    }
    static void Click(HWND dialog, int id) {
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    }
    static std::vector<bool> Boxes(HWND dialog) {
        std::vector<bool> ticked;
        for (int id = IDC_OPEN_ALL_IE55; id <= IDC_OPEN_ALL_IE_DEFAULT; ++id) {
            DWORD_PTR state = 0;
            ::SendMessageTimeoutW(::GetDlgItem(dialog, id), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000,
                                  &state);
            ticked.push_back(state == BST_CHECKED);
        }
        return ticked;
    }
    static void SetAddress(HWND dialog, const std::wstring& text) {
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutW(::GetDlgItem(dialog, IDC_OPEN_ALL_URL), WM_SETTEXT, 0,
                              reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000, &ignored);
    }
    // The engine version of every tab, in the order the tabs were opened, once they read as expected (or the
    // wait ends). A Default IE tab runs the system's own engine, which shows no stand-in page: its version
    // reads empty.
    static std::vector<std::wstring> TabVersions(const Program& program,
                                                 const std::vector<std::wstring>& expected,
                                                 const std::wstring& title) {
        std::vector<std::wstring> versions;
        Program::WaitFor([&] {
            versions.clear();
            bool loaded = true;
            for (HWND tab : program.Tabs()) {
                versions.push_back(PageValue(tab, L"version"));
                loaded = loaded && (versions.back().empty() || PageValue(tab, L"state") == L"complete");
            }
            if (versions.size() > expected.size())
                versions.erase(versions.begin(),
                               versions.end() - static_cast<std::ptrdiff_t>(expected.size()));
            return versions == expected && loaded &&
                   (expected.back().empty() || Titles(program).back() == title);
        });
        return versions;
    }
    static std::vector<std::wstring> Titles(const Program& program) {
        std::vector<std::wstring> titles;
        for (HWND tab : program.Tabs())
            titles.push_back(PageValue(tab, L"title"));
        return titles;
    }

    PageFolder pages;
    std::wstring home_;
    HWND owner_ = nullptr;
};

TEST_F(OpenAll, TheAddressComesFromTheClipboardOnlyWhenItIsAWebAddress) {
    Program program;
    ASSERT_TRUE(program.Start(Options())) << program.StartError();
    struct Case {
        const char* what;
        std::function<void()> fill;
        std::wstring address;
    } cases[] = {
        {"blanks and a line break", [&] { ClipboardText(L" \t https://example.test/a\r\n/b  \r\n"); },
         L"https://example.test/a/b"},
        {"no scheme", [&] { ClipboardText(L"www.example.test"); }, L""},
        {"upper-case scheme", [&] { ClipboardText(L"HTTP://example.test/"); }, L""},
        {"a bitmap only", [&] { ClipboardBitmap(); }, L""},
        {"8-bit text only", [&] { ClipboardAnsi("http://ansi.test/page"); }, L"http://ansi.test/page"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.fill();
        HWND dialog = OpenDialog(program);
        ASSERT_TRUE(dialog);
        EXPECT_EQ(c.address, program.WindowText(::GetDlgItem(dialog, IDC_OPEN_ALL_URL)));
        EXPECT_EQ(L"Open in all IE versions", program.WindowText(dialog));
        Press(dialog, IDCANCEL);
    }
    ::Sleep(300);
    EXPECT_TRUE(program.Tabs().empty()) << "Cancel opens nothing";
    EXPECT_EQ(0, program.Close());
}

TEST_F(OpenAll, EveryClickIsStoredAtOnceEvenWhenTheDialogIsCancelled) {
    ProgramOptions options = Options();
    options.intSettings[L"OpenAll_IE7"] = 0;
    Program program;
    ASSERT_TRUE(program.Start(options)) << program.StartError();
    HWND dialog = OpenDialog(program);
    ASSERT_TRUE(dialog);
    EXPECT_EQ((std::vector<bool>{true, true, false, true, true}), Boxes(dialog));
    EXPECT_EQ(0xFFFFFFFFu, StoredInt(L"OpenAll_IE6")) << "nothing stored before a click";
    Click(dialog, IDC_OPEN_ALL_IE6);
    EXPECT_EQ(0u, StoredInt(L"OpenAll_IE6")) << "stored while the dialog is still open";
    Click(dialog, IDC_OPEN_ALL_IE7);
    EXPECT_EQ(1u, StoredInt(L"OpenAll_IE7"));
    Click(dialog, IDC_OPEN_ALL_IE_DEFAULT);
    EXPECT_EQ(0u, StoredInt(L"OpenAll_IED"));
    Press(dialog, IDCANCEL);
    EXPECT_EQ(0u, StoredInt(L"OpenAll_IE6"));

    dialog = OpenDialog(program);
    ASSERT_TRUE(dialog);
    EXPECT_EQ((std::vector<bool>{true, false, true, true, false}), Boxes(dialog));
    Press(dialog, IDCANCEL);
    EXPECT_TRUE(program.Tabs().empty());
    EXPECT_EQ(0, program.Close());
}

TEST_F(OpenAll, OkOpensTheAddressOncePerTickedVersionInVersionOrder) {
    std::wstring page = pages.WritePage(L"all.html", "Everywhere");
    Program program;
    ASSERT_TRUE(program.Start(Options())) << program.StartError();
    HWND dialog = OpenDialog(program);
    ASSERT_TRUE(dialog);
    SetAddress(dialog, page);
    Press(dialog, IDOK);
    // Every box starts ticked; a version the program does not offer is passed over.
    const std::vector<std::wstring> all = kIe55Offered ? std::vector<std::wstring>{L"5", L"6", L"7", L"8", L""}
                                                       : std::vector<std::wstring>{L"6", L"7", L"8", L""};
    EXPECT_EQ(all, TabVersions(program, all, L"Everywhere"));
    std::vector<std::wstring> titles(all.size() - 1, L"Everywhere");
    titles.push_back(L""); // Default IE under Wine shows no page
    EXPECT_EQ(titles, Titles(program));

    // Fewer boxes, fewer tabs.
    std::wstring second = pages.WritePage(L"some.html", "Some");
    dialog = OpenDialog(program);
    ASSERT_TRUE(dialog);
    Click(dialog, IDC_OPEN_ALL_IE6);
    Click(dialog, IDC_OPEN_ALL_IE8);
    Click(dialog, IDC_OPEN_ALL_IE_DEFAULT);
    SetAddress(dialog, second);
    Press(dialog, IDOK);
    const std::vector<std::wstring> some =
        kIe55Offered ? std::vector<std::wstring>{L"5", L"7"} : std::vector<std::wstring>{L"7"};
    EXPECT_EQ(some, TabVersions(program, some, L"Some"));
    const size_t tabs = all.size() + some.size();
    EXPECT_EQ(tabs, program.Tabs().size());
    EXPECT_EQ(L"Some", Titles(program).back());

    // No box ticked: OK opens nothing.
    dialog = OpenDialog(program);
    ASSERT_TRUE(dialog);
    Click(dialog, IDC_OPEN_ALL_IE55);
    Click(dialog, IDC_OPEN_ALL_IE7);
    Press(dialog, IDOK);
    ::Sleep(500);
    EXPECT_EQ(tabs, program.Tabs().size());
    EXPECT_EQ(0, program.Close());
}

TEST_F(OpenAll, AVersionWithoutItsEngineIsPassedOverEvenWhenTicked) {
    std::wstring page = pages.WritePage(L"all.html", "Everywhere");
    Program program;
    ASSERT_TRUE(program.Start(Options(L"missing-5rlmon"))) << program.StartError();
    HWND dialog = OpenDialog(program);
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(Boxes(dialog)[0]) << "the IE 5.5 box is ticked";
    SetAddress(dialog, page);
    Press(dialog, IDOK);
    const std::vector<std::wstring> available = {L"6", L"7", L"8", L""};
    EXPECT_EQ(available, TabVersions(program, available, L"Everywhere"));
    EXPECT_EQ(4u, program.Tabs().size());
    EXPECT_EQ(0, program.Close());
}

} // namespace
