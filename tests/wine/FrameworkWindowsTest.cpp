// Dialogs with data exchange, property sheets, UI threads and the workspace store, with real windows.
#include "FrameworkTestSupport.h"
#include "framework/Application.h"
#include "framework/Dialog.h"
#include "framework/FileDialog.h"
#include "framework/PropertySheet.h"
#include "framework/UiThread.h"
#include "framework_resource.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace movalent;
using movalent::test::PumpMessages;

namespace {

constexpr int kNameEdit = 10;
constexpr int kCheck = 11;
constexpr int kFirstRadio = 12;
constexpr int kSecondRadio = 13;
constexpr int kAfterRadios = 14;

// An in-memory dialog template: an edit box, a check box, two radio buttons and a button after them.
class FormTemplate {
public:
    FormTemplate() {
        Dword(WS_POPUP | WS_CAPTION | DS_SETFONT);
        Dword(0);
        data_.push_back(5); // items
        Shorts({0, 0, 200, 100});
        data_.push_back(0); // no menu
        data_.push_back(0); // standard class
        Text(L"Form");
        data_.push_back(8);
        Text(L"MS Shell Dlg");
        Item(WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0x0081, kNameEdit, L"");
        Item(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0x0080, kCheck, L"Check");
        Item(WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 0x0080, kFirstRadio, L"One");
        Item(WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON, 0x0080, kSecondRadio, L"Two");
        Item(WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON, 0x0080, kAfterRadios, L"Other");
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(data_.data()); }

private:
    void Dword(DWORD value) {
        data_.push_back(LOWORD(value));
        data_.push_back(HIWORD(value));
    }
    void Shorts(std::initializer_list<short> values) {
        for (short v : values)
            data_.push_back(static_cast<WORD>(v));
    }
    void Text(const wchar_t* text) {
        for (; *text; ++text)
            data_.push_back(*text);
        data_.push_back(0);
    }
    void Item(DWORD style, WORD atom, WORD id, const wchar_t* text) {
        if (data_.size() % 2)
            data_.push_back(0); // items start on a DWORD boundary
        Dword(style);
        Dword(0);
        Shorts({10, static_cast<short>(10 + 14 * (id - kNameEdit)), 120, 12});
        data_.push_back(id);
        data_.push_back(0xFFFF);
        data_.push_back(atom);
        Text(text);
        data_.push_back(0); // no creation data
    }
    std::vector<WORD> data_;
};

class Control : public Window {};

class FormDialog : public Dialog {
public:
    explicit FormDialog(const DLGTEMPLATE* form) : Dialog(form) {}
    std::wstring name = L"initial";
    int check = BST_CHECKED;
    int choice = 1;
    Control edit;
    std::wstring typeOnInit;
    bool pressOkOnInit = false;
    bool pressCancelOnInit = false;

protected:
    void DoDataExchange(DataExchange& dx) override {
        ExchangeControl(dx, kNameEdit, edit);
        ExchangeText(dx, kNameEdit, name);
        ExchangeCheck(dx, kCheck, check);
        ExchangeRadio(dx, kFirstRadio, choice);
    }
    bool OnInitDialog() override {
        Dialog::OnInitDialog();
        if (!typeOnInit.empty())
            SetItemText(kNameEdit, typeOnInit);
        if (pressOkOnInit)
            Post(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED));
        if (pressCancelOnInit)
            Post(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED));
        return true;
    }
};

TEST(DialogDataExchange, ModelessDialogsLoadAndSaveTheirMembers) {
    FormTemplate form;
    FormDialog dialog(form.Get());
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    EXPECT_FALSE(dialog.IsModal());
    EXPECT_EQ(L"initial", dialog.ItemText(kNameEdit));
    EXPECT_EQ(BST_CHECKED, ::SendMessageW(dialog.Item(kCheck), BM_GETCHECK, 0, 0));
    EXPECT_EQ(BST_UNCHECKED, ::SendMessageW(dialog.Item(kFirstRadio), BM_GETCHECK, 0, 0));
    EXPECT_EQ(BST_CHECKED, ::SendMessageW(dialog.Item(kSecondRadio), BM_GETCHECK, 0, 0));
    EXPECT_EQ(&dialog.edit, Window::FromHandle(dialog.Item(kNameEdit))) << "the control is bound to its object";

    dialog.SetItemText(kNameEdit, L"changed");
    ::SendMessageW(dialog.Item(kCheck), BM_SETCHECK, BST_UNCHECKED, 0);
    ::SendMessageW(dialog.Item(kSecondRadio), BM_SETCHECK, BST_UNCHECKED, 0);
    ::SendMessageW(dialog.Item(kFirstRadio), BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(L"changed", dialog.name);
    EXPECT_EQ(BST_UNCHECKED, dialog.check);
    EXPECT_EQ(0, dialog.choice);

    ::SendMessageW(dialog.Item(kFirstRadio), BM_SETCHECK, BST_UNCHECKED, 0);
    dialog.UpdateData(true);
    EXPECT_EQ(-1, dialog.choice) << "no radio button checked";

    dialog.EndDialog(IDOK);
    EXPECT_EQ(nullptr, dialog.Handle()) << "a modeless dialog ends by going away";
    EXPECT_EQ(nullptr, dialog.edit.Handle());
}

TEST(DialogDataExchange, OkSavesTheControlsAndCancelDoesNot) {
    FormTemplate form;
    FormDialog ok(form.Get());
    ok.typeOnInit = L"typed";
    ok.pressOkOnInit = true;
    EXPECT_EQ(IDOK, ok.DoModal(nullptr));
    EXPECT_EQ(L"typed", ok.name);
    EXPECT_EQ(nullptr, ok.Handle());

    FormDialog cancel(form.Get());
    cancel.typeOnInit = L"typed";
    cancel.pressCancelOnInit = true;
    EXPECT_EQ(IDCANCEL, cancel.DoModal(nullptr));
    EXPECT_EQ(L"initial", cancel.name);
}

TEST(DialogDataExchange, AMissingControlFailsTheExchange) {
    class Broken : public FormDialog {
    public:
        using FormDialog::FormDialog;
        void DoDataExchange(DataExchange& dx) override { ExchangeText(dx, 999, name); }
    };
    FormTemplate form;
    Broken dialog(form.Get());
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    EXPECT_FALSE(dialog.UpdateData(true));
    dialog.DestroyWindow();
}

std::vector<std::string> g_sheetLog;

class LoggingPage : public PropertyPage {
public:
    LoggingPage(UINT id, std::string name) : PropertyPage(id, L"Page"), name_(std::move(name)) {}

protected:
    bool OnInitDialog() override {
        g_sheetLog.push_back(name_ + ":init");
        return PropertyPage::OnInitDialog();
    }
    bool OnApply() override {
        g_sheetLog.push_back(name_ + ":apply");
        return true;
    }

private:
    std::string name_;
};

class PressingSheet : public PropertySheet {
public:
    PressingSheet() : PropertySheet(L"Sheet") {}
    bool sawButtons = false;

protected:
    void OnInitDialog() override {
        g_sheetLog.push_back("sheet:init");
        sawButtons = Item(IDOK) && Item(IDCANCEL);
        Post(PSM_PRESSBUTTON, PSBTN_OK);
    }
};

TEST(PropertySheets, TheSheetInitialisesAfterItsButtonsAndOkAppliesTheShownPages) {
    g_sheetLog.clear();
    LoggingPage first(IDD_ABOUT_BOX, "first");
    LoggingPage second(IDD_WINDOWS_MANAGER, "second");
    PressingSheet sheet;
    sheet.AddPage(first);
    sheet.AddPage(second);
    EXPECT_EQ(IDOK, sheet.DoModal(nullptr));
    EXPECT_TRUE(sheet.sawButtons);
    EXPECT_EQ((std::vector<std::string>{"first:init", "sheet:init", "first:apply"}), g_sheetLog)
        << "the second page was never shown";
    EXPECT_EQ(&sheet, first.Sheet());
    EXPECT_EQ(nullptr, sheet.Handle());
}

TEST(FileDialogs, FiltersBecomeDoublyTerminatedLists) {
    std::wstring html = FilterFromPipes(L"HTML Files (*.htm)|*.htm;*.html|All files (*.*)|*.*||");
    EXPECT_EQ(std::wstring(L"HTML Files (*.htm)\0*.htm;*.html\0All files (*.*)\0*.*\0\0", 53), html);
    EXPECT_EQ(std::wstring(L"a\0b\0\0", 5), FilterFromPipes(L"a|b"));
    EXPECT_EQ(std::wstring(L"\0\0", 2), FilterFromPipes(L""));
}

// Thread results live outside the thread object, which deletes itself.
struct ThreadResults {
    std::vector<int> seen;
    DWORD initThread = 0;
    bool exited = false;
    int preTranslated = 0;
    int dispatched = 0;
    HANDLE ended = nullptr;
};

constexpr UINT kEcho = WM_APP + 1;
constexpr UINT kToWindow = WM_APP + 2;

class CountingWindow : public Window {
public:
    explicit CountingWindow(ThreadResults& results) : results_(results) {}
    bool PreTranslateMessage(MSG& msg) override {
        if (msg.message != kToWindow)
            return false;
        ++results_.preTranslated;
        return msg.wParam == 1; // 1: consumed here
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kToWindow) {
            ++results_.dispatched;
            return 0;
        }
        return Window::WindowProc(message, wParam, lParam);
    }

private:
    ThreadResults& results_;
};

class EchoThread : public UiThread {
public:
    EchoThread(ThreadResults& results, bool start) : results_(results), start_(start), window_(results) {
        OnThreadMessage(kEcho, [this](WPARAM wParam, LPARAM) {
            results_.seen.push_back(static_cast<int>(wParam));
            if (wParam == 0)
                ::PostQuitMessage(0);
        });
    }
    ~EchoThread() override { ::SetEvent(results_.ended); }
    bool InitInstance() override {
        results_.initThread = ::GetCurrentThreadId();
        if (!start_)
            return false;
        Window::RegisterWindowClass(L"MovalentTestThreadWindow", 0, nullptr, nullptr);
        if (!window_.Create(0, L"MovalentTestThreadWindow", L"", WS_POPUP, RECT{}, nullptr, 0))
            return false;
        SetMainWindow(&window_);
        return true;
    }
    int ExitInstance() override {
        results_.exited = true;
        EXPECT_EQ(this, UiThread::Current());
        window_.DestroyWindow();
        return UiThread::ExitInstance();
    }
    HWND WindowHandle() const { return window_.Handle(); }

private:
    ThreadResults& results_;
    bool start_;
    CountingWindow window_;
};

TEST(UiThreads, ThreadMessagesReachTheirHandlersAndTheThreadDeletesItselfAtTheEnd) {
    ThreadResults results;
    results.ended = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    auto* thread = new EchoThread(results, true);
    ASSERT_TRUE(thread->CreateThread());
    // The queue exists as soon as CreateThread returns: nothing posted now is lost.
    ASSERT_TRUE(thread->PostThreadMessage(kEcho, 5));
    ASSERT_TRUE(thread->PostThreadMessage(kEcho, 6));
    HWND window = nullptr;
    for (int i = 0; i < 200 && !window; ++i) {
        ::Sleep(10);
        window = thread->WindowHandle();
    }
    ASSERT_NE(nullptr, window);
    ::PostMessageW(window, kToWindow, 1, 0);
    ::PostMessageW(window, kToWindow, 2, 0);
    ASSERT_TRUE(thread->PostThreadMessage(kEcho, 0));
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(results.ended, 10000));
    EXPECT_EQ((std::vector<int>{5, 6, 0}), results.seen);
    EXPECT_NE(::GetCurrentThreadId(), results.initThread);
    EXPECT_TRUE(results.exited);
    EXPECT_EQ(2, results.preTranslated) << "the window's pre-translation sees its messages first";
    EXPECT_EQ(1, results.dispatched) << "and keeps the one it consumed";
    ::CloseHandle(results.ended);
}

constexpr UINT kShowBox = WM_APP + 3;
constexpr UINT kUrgent = WM_APP + 4;

// A thread whose message box runs a modal loop, as a page's alert does on a browser thread.
class ModalThread : public EchoThread {
public:
    explicit ModalThread(ThreadResults& results) : EchoThread(results, true) {
        OnThreadMessage(kShowBox, [](WPARAM, LPARAM) { ::MessageBoxW(nullptr, L"modal", L"ModalThread", MB_OK); });
        OnThreadMessage(
            kUrgent, [this, &results](WPARAM, LPARAM) { results.seen.push_back(InModalLoop() ? 100 : -100); },
            true);
    }
};

TEST(UiThreads, MessagesPostedDuringAModalLoopWaitForItUnlessUrgent) {
    ThreadResults results;
    results.ended = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    auto* thread = new ModalThread(results);
    UiThread::Identity identity;
    ASSERT_TRUE(thread->CreateThread(nullptr, 0, &identity));
    ASSERT_TRUE(identity.window);
    ASSERT_TRUE(::PostMessageW(identity.window, kShowBox, 0, 0));
    HWND box = nullptr;
    for (int i = 0; i < 500 && !box; ++i, ::Sleep(10))
        box = ::FindWindowW(L"#32770", L"ModalThread");
    ASSERT_TRUE(box);
    ASSERT_TRUE(::PostMessageW(identity.window, kEcho, 5, 0));
    ASSERT_TRUE(::PostMessageW(identity.window, kUrgent, 0, 0));
    for (int i = 0; i < 500 && results.seen.empty(); ++i)
        ::Sleep(10);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(::PostMessageW(identity.window, kEcho, 0, 0));
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(results.ended, 10000));
    EXPECT_EQ((std::vector<int>{100, 5, 0}), results.seen);
    EXPECT_FALSE(::PostMessageW(identity.window, kEcho, 0, 0)) << "the window goes with the thread";
    ::CloseHandle(results.ended);
}

TEST(UiThreads, AThreadThatFailsToStartStillRunsItsExitAndGoes) {
    ThreadResults results;
    results.ended = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    auto* thread = new EchoThread(results, false);
    ASSERT_TRUE(thread->CreateThread());
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(results.ended, 10000));
    EXPECT_TRUE(results.exited);
    EXPECT_TRUE(results.seen.empty());
    ::CloseHandle(results.ended);
}

TEST(Workspace, TheWindowPlacementIsStoredAndRestored) {
    const wchar_t* key = L"Software\\Ombrisk\\MovalentFrameworkTest";
    ::RegDeleteTreeW(HKEY_CURRENT_USER, key);
    {
        Application app;
        WINDOWPLACEMENT placement = {};
        EXPECT_FALSE(app.LoadWindowPlacement(placement)) << "no profile yet";
        app.SetRegistryKey(L"Ombrisk", L"MovalentFrameworkTest");
        EXPECT_FALSE(app.LoadWindowPlacement(placement)) << "nothing stored yet";

        placement.length = sizeof(placement);
        placement.rcNormalPosition = {40, 50, 840, 650};
        placement.showCmd = SW_SHOWMAXIMIZED;
        app.StoreWindowPlacement(placement);
        WINDOWPLACEMENT restored = {};
        ASSERT_TRUE(app.LoadWindowPlacement(restored));
        EXPECT_EQ(40, restored.rcNormalPosition.left);
        EXPECT_EQ(650, restored.rcNormalPosition.bottom);
        EXPECT_EQ(static_cast<UINT>(SW_SHOWMAXIMIZED), restored.showCmd);

        placement.rcNormalPosition = {40, 50, 60, 70};
        app.StoreWindowPlacement(placement);
        EXPECT_FALSE(app.LoadWindowPlacement(restored)) << "a window too small to use is not restored";

        EXPECT_EQ(215, app.GetWorkspaceInt(L"ApplicationLook", 215));
        EXPECT_TRUE(app.WriteWorkspaceInt(L"ApplicationLook", 217));
        EXPECT_EQ(217, app.GetWorkspaceInt(L"ApplicationLook", 215));
    }
    ::RegDeleteTreeW(HKEY_CURRENT_USER, key);
}

} // namespace
