// The developer-tools panel beside a page: shown and hidden by its command, asked for the page source, and
// the user's messages when the panel is missing, too old or fails to start. The stand-in panel is registered
// for the current user for the length of a test.
#include "PageFolder.h"
#include "ProgramHarness.h"
#include "StandInWindows.h"
#include "resource.h"

#include <gtest/gtest.h>

using namespace movalent::test;
using movalent::standin::testing::ProbeReport;

namespace {

constexpr wchar_t kPanelClassKey[] = L"Software\\Classes\\CLSID\\{947E34E9-1D85-43CB-9CBF-5C492118FDD5}";

const wchar_t kNotFoundText[] =
    L"Fennimox was not found. May be it is not installed. Click \"Yes\" to open the "
    L"Fennimox download page.";
const wchar_t kTooOldText[] = L"An old version of Fennimox is installed, not compatible with Movalent. Click "
                              L"\"Yes\" to open the Fennimox download page.";
const wchar_t kInitFailedText[] = L"An unexpected error occured during Fennimox panel creation.";

// The stand-in panel build of that name as the panel's in-process server, until the object goes. Registered
// for the current user, as the panel's installer does, and for the machine too: Wine's COM looks classes up
// only there.
class PanelRegistration {
public:
    explicit PanelRegistration(const std::wstring& build) {
        Remove();
        std::wstring dll = movalent::standin::testing::StandInRoot() + L"\\builds\\" + build + L".dll";
        ok_ = Register(HKEY_CURRENT_USER, dll) && Register(HKEY_LOCAL_MACHINE, dll);
    }
    PanelRegistration(const PanelRegistration&) = delete;
    PanelRegistration& operator=(const PanelRegistration&) = delete;
    ~PanelRegistration() { Remove(); }

    bool Ok() const { return ok_; }
    static void Remove() {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kPanelClassKey);
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kPanelClassKey);
    }

private:
    static bool Register(HKEY root, const std::wstring& dll) {
        HKEY key = nullptr;
        std::wstring server = std::wstring(kPanelClassKey) + L"\\InprocServer32";
        if (::RegCreateKeyExW(root, server.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS)
            return false;
        const wchar_t model[] = L"Apartment";
        bool ok = ::RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(dll.c_str()),
                                   static_cast<DWORD>((dll.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS &&
                  ::RegSetValueExW(key, L"ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE*>(model),
                                   sizeof model) == ERROR_SUCCESS;
        ::RegCloseKey(key);
        return ok;
    }

    bool ok_ = false;
};

class FennimoxPanel : public ::testing::Test {
protected:
    void SetUp() override {
        Program::ResetSettings();
        PanelRegistration::Remove();
    }
    void TearDown() override {
        Program::ResetSettings();
        PanelRegistration::Remove();
    }

    // One IE 6 tab with a finished page.
    bool StartWithTab(Program& program, std::map<std::wstring, DWORD> settings = {}) {
        ProgramOptions options;
        options.engineFolder = movalent::standin::testing::StandInFolder(L"full");
        options.intSettings = std::move(settings);
        options.arguments = {L"-ie6", pages_.WritePage(L"page.html", "page")};
        if (!program.Start(options))
            return false;
        return Program::WaitFor([&] {
            return ReportOfWindow(program.MainWindow(), kStandInBrowserClass)[L"state"] == L"complete";
        });
    }

    static HWND PanelWindow(const Program& program) {
        return FindDescendantOfClass(program.MainWindow(), kStandInPanelClass);
    }
    static ProbeReport PanelReport(const Program& program) {
        return ReportOfWindow(program.MainWindow(), kStandInPanelClass);
    }
    static bool PanelChecked(const Program& program) {
        return (program.CommandState(ID_TOGGLE_FENNIMOX) & kCommandChecked) != 0;
    }
    // A window's rectangle in its container's client coordinates.
    static RECT RectIn(HWND container, HWND window) {
        RECT rect = {};
        ::GetWindowRect(window, &rect);
        ::MapWindowPoints(nullptr, container, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }

    // The question box with that text; answered with No (Yes would open the download page in a browser).
    static void ExpectDownloadQuestion(const Program& program, const std::wstring& text) {
        HWND box = nullptr;
        ASSERT_TRUE(Program::WaitFor([&] { return (box = program.FindMessageBox()) != nullptr; }));
        EXPECT_EQ(text, program.MessageBoxText(box));
        EXPECT_NE(nullptr, ::GetDlgItem(box, IDYES));
        EXPECT_NE(nullptr, ::GetDlgItem(box, IDNO));
        program.AnswerMessageBox(box, IDNO);
        ASSERT_TRUE(Program::WaitFor([&] { return program.FindMessageBox() == nullptr; }));
    }

    PageFolder pages_;
};

TEST_F(FennimoxPanel, ToggleShowsThePanelBesideThePageAndHidesItAgain) {
    PanelRegistration panel(L"standin_panel");
    ASSERT_TRUE(panel.Ok());
    Program program;
    ASSERT_TRUE(StartWithTab(program)) << program.StartError();
    EXPECT_FALSE(PanelChecked(program));

    program.PostCommand(ID_TOGGLE_FENNIMOX);
    ASSERT_TRUE(Program::WaitFor([&] { return PanelReport(program)[L"shown"] == L"1"; }));
    ProbeReport report = PanelReport(program);
    EXPECT_EQ(L"3", report[L"version"]) << "IE 6";
    EXPECT_EQ(L"6rlmon.dll", report[L"urlmon"]);
    EXPECT_EQ(L"yes", report[L"browser"]);
    EXPECT_EQ(L"yes", report[L"mainWindow"]);
    EXPECT_EQ(L"1", report[L"run"]);
    EXPECT_TRUE(Program::WaitFor([&] { return PanelChecked(program); })) << "9225 reached the view";

    // The column: title and close button on top, the panel below, the page right of the splitter.
    HWND panelWindow = PanelWindow(program);
    HWND container = ::GetParent(panelWindow);
    EXPECT_EQ(L"  Fennimox stand-in", InternalText(::GetDlgItem(container, IDC_PANEL_TITLE)));
    RECT panelRect = RectIn(container, panelWindow);
    EXPECT_EQ(0, panelRect.left);
    EXPECT_EQ(20, panelRect.top);
    EXPECT_EQ(200, panelRect.right - panelRect.left) << "the default splitter position";
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(container, IDC_PANEL_CLOSE)));
    EXPECT_EQ(204, RectIn(container, ::GetDlgItem(container, IDC_ADDRESS_BOX)).left);

    program.PostCommand(ID_TOGGLE_FENNIMOX);
    ASSERT_TRUE(Program::WaitFor([&] { return PanelReport(program)[L"shown"] == L"0"; }));
    EXPECT_TRUE(Program::WaitFor([&] { return !PanelChecked(program); }));
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(container, IDC_PANEL_CLOSE)));
    EXPECT_EQ(0, RectIn(container, ::GetDlgItem(container, IDC_ADDRESS_BOX)).left);
    EXPECT_EQ(L"1", PanelReport(program)[L"run"]) << "hiding keeps the panel";
    EXPECT_EQ(0, program.Close());
}

TEST_F(FennimoxPanel, StoredSplitterPositionIsThePanelWidth) {
    PanelRegistration panel(L"standin_panel");
    ASSERT_TRUE(panel.Ok());
    Program program;
    ASSERT_TRUE(StartWithTab(program, {{L"VertLeftSplitter", 150}})) << program.StartError();
    program.PostCommand(ID_TOGGLE_FENNIMOX);
    // The check mark comes with 9225, which the container posts once the children are laid out.
    ASSERT_TRUE(Program::WaitFor([&] { return PanelChecked(program); }));
    HWND panelWindow = PanelWindow(program);
    RECT panelRect = RectIn(::GetParent(panelWindow), panelWindow);
    EXPECT_EQ(150, panelRect.right - panelRect.left);
    EXPECT_EQ(0, program.Close());
}

TEST_F(FennimoxPanel, ViewSourceCreatesThePanelWithoutShowingIt) {
    PanelRegistration panel(L"standin_panel");
    ASSERT_TRUE(panel.Ok());
    Program program;
    ASSERT_TRUE(StartWithTab(program)) << program.StartError();
    program.PostCommand(ID_VIEW_SOURCE);
    ASSERT_TRUE(Program::WaitFor([&] { return PanelReport(program)[L"viewSource"] == L"1"; }));
    ProbeReport report = PanelReport(program);
    EXPECT_EQ(L"-1", report[L"viewSource.which"]);
    EXPECT_EQ(L"0", report[L"shown"]);
    EXPECT_FALSE(::IsWindowVisible(PanelWindow(program)));
    EXPECT_FALSE(PanelChecked(program));

    program.PostCommand(ID_VIEW_SOURCE);
    ASSERT_TRUE(Program::WaitFor([&] { return PanelReport(program)[L"viewSource"] == L"2"; }));
    EXPECT_EQ(L"1", PanelReport(program)[L"run"]) << "the same panel both times";
    EXPECT_EQ(0, program.Close());
}

TEST_F(FennimoxPanel, MissingPanelOffersTheDownloadEachTime) {
    Program program;
    ASSERT_TRUE(StartWithTab(program)) << program.StartError();
    program.PostCommand(ID_TOGGLE_FENNIMOX);
    ExpectDownloadQuestion(program, kNotFoundText);
    EXPECT_FALSE(PanelChecked(program));
    program.PostCommand(ID_VIEW_SOURCE);
    ExpectDownloadQuestion(program, kNotFoundText);
    EXPECT_EQ(nullptr, PanelWindow(program));
    EXPECT_EQ(0, program.Close());
}

TEST_F(FennimoxPanel, PanelWithoutItsInterfaceIsTooOld) {
    PanelRegistration panel(L"standin_panel_too_old");
    ASSERT_TRUE(panel.Ok());
    Program program;
    ASSERT_TRUE(StartWithTab(program)) << program.StartError();
    program.PostCommand(ID_TOGGLE_FENNIMOX);
    ExpectDownloadQuestion(program, kTooOldText);
    EXPECT_FALSE(PanelChecked(program));
    program.PostCommand(ID_TOGGLE_FENNIMOX);
    ExpectDownloadQuestion(program, kTooOldText);
    EXPECT_EQ(0, program.Close());
}

TEST_F(FennimoxPanel, PanelFailingToStartIsReportedAndTriedAfreshNextTime) {
    PanelRegistration panel(L"standin_panel_init_fails");
    ASSERT_TRUE(panel.Ok());
    Program program;
    ASSERT_TRUE(StartWithTab(program)) << program.StartError();
    for (int attempt = 0; attempt < 2; ++attempt) {
        program.PostCommand(ID_TOGGLE_FENNIMOX);
        HWND box = nullptr;
        ASSERT_TRUE(Program::WaitFor([&] { return (box = program.FindMessageBox()) != nullptr; })) << attempt;
        EXPECT_EQ(kInitFailedText, program.MessageBoxText(box));
        program.AnswerMessageBox(box, IDOK);
        ASSERT_TRUE(Program::WaitFor([&] { return program.FindMessageBox() == nullptr; }));
        EXPECT_FALSE(PanelChecked(program)) << "a panel that did not start is never shown";
    }
    EXPECT_EQ(0, program.Close());
}

} // namespace
