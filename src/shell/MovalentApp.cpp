#include "shell/MovalentApp.h"

#include "shell/AboutDlg.h"
#include "app/CaptureLaunch.h"
#include "shell/CaptureRun.h"
#include "app/ConsoleOutput.h"
#include "shell/CustomizePropSheet.h"
#include "shell/EngineImportFlow.h"
#include "app/InternalMessages.h"
#include "app/LanguageTable.h"
#include "app/Localisation.h"
#include "app/MakerAddresses.h"
#include "app/VersionCheck.h"
#include "app/VersionInfo.h"
#include "engine/EngineLoader.h"
#include "framework/ChildFrame.h"
#include "framework/ControlContainer.h"
#include "framework/Handles.h"
#include "framework/MessageBox.h"
#include "framework/ModulePaths.h"
#include "framework/ResourceStrings.h"
#include "framework/ShellOpen.h"
#include "framework/TextEncoding.h"
#include "framework/View.h"
#include "mainframe/DialogOpenAll.h"
#include "mainframe/FavoritesManager.h"
#include "mainframe/MainFrame.h"
#include "resource.h"
#include "tabs/MovalentDoc.h"
#include "tabs/DialogWBContainerCustomOccManager.h"
#include "tabs/MovalentView.h"
#include "tabs/TabTemplateIds.h"

#include <commctrl.h>
#include <shellapi.h>

namespace movalent {

namespace {

#ifdef MOVALENT_TEST_HOOKS
// Tests see what the program would open with the shell: each target becomes a line (UTF-8) of the file that
// MOVALENT_TEST_SHELL_LOG names.
bool LogShellOpen(const std::wstring& target) {
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableW(L"MOVALENT_TEST_SHELL_LOG", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    UniqueHandle file(::CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::string bytes = Utf8FromWide(target + L"\n");
    DWORD written = 0;
    return file && ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void InstallShellLogForTests() {
    if (::GetEnvironmentVariableW(L"MOVALENT_TEST_SHELL_LOG", nullptr, 0) > 0)
        SetShellOpenHandler(LogShellOpen);
}
#else
void InstallShellLogForTests() {}
#endif

void ApplyMakerAddressOverride() {
    wchar_t value[1024];
    DWORD length = ::GetEnvironmentVariableW(L"MOVALENT_MAKER_URL", value, ARRAYSIZE(value));
    if (length > 0 && length < ARRAYSIZE(value))
        SetMakerBaseAddress(std::wstring(value, length));
}

std::string ThreadWideToAnsi(std::wstring_view text) {
    if (text.empty())
        return {};
    int size = static_cast<int>(text.size());
    int bytes = ::WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        ::WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), size, result.data(), bytes, nullptr, nullptr);
    return result;
}

UINT TabGroupsChangedMessage() {
    static const UINT message = ::RegisterWindowMessageW(kTabGroupsChangedMessageName);
    return message;
}

template <typename Doc> DocumentTemplate::DocumentFactory DocumentOf(const TabHost& host) {
    return [&host] {
        auto* document = new Doc;
        document->SetHost(&host);
        return document;
    };
}

constexpr IEVERSION kAllVersions[] = {IE_4, IE_5, IE_55, IE_6, IE_7, IE_8, IE_DEFAULT};

} // namespace

CMovalentApp::CMovalentApp() {
    RegisterCommands();
}

CMovalentApp::~CMovalentApp() {
    if (occManager_ && &CurrentOccManager() == occManager_.get())
        EnableControlContainment(nullptr);
}

CMovalentApp* CMovalentApp::Get() {
    return dynamic_cast<CMovalentApp*>(Application::Current());
}

std::vector<std::wstring> CMovalentApp::ProcessArguments() {
    std::vector<std::wstring> arguments;
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!argv)
        return arguments;
    for (int i = 1; i < count; ++i)
        arguments.emplace_back(argv[i]);
    ::LocalFree(argv);
    return arguments;
}

bool CMovalentApp::InitInstance() {
    // 1. Common controls, then the framework's own start-up.
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof(controls);
    controls.dwICC = 0xFF;
    ::InitCommonControlsEx(&controls);
    SetMessageBoxCaption(LoadResourceString(IDS_APPLICATION_NAME));
    ApplyMakerAddressOverride();
    InstallShellLogForTests();
    if (!Application::InitInstance())
        return false;

    // 2. OLE for the main thread. The language is not loaded yet, so the English text.
    if (!InitializeOle()) {
        ShowMessageBox(nullptr, LoadResourceString(IDS_OLE_INIT_FAILED), MB_OK | MB_ICONERROR);
        return false;
    }

    // 3. Control containment.
    EnableCustomControlContainment();

    // 4. The registry root; no recent-file list is kept.
    SetRegistryKey(kRegistryCompany, LoadResourceString(IDS_APPLICATION_NAME));
    settings_ = std::make_unique<RegistrySettingsStore>(*GetProfile());

    // 5. The installation folder, the base of the language files.
    installDir_ = ReadInstallDir();

    // 6. The user-interface language.
    // Without an installation folder the language files are the program's own, whatever folder it was started in.
    InitProcessLanguage(static_cast<unsigned>(settings_->ReadInt(kLangIdValue, kDefaultLangId)),
                        installDir_.empty() ? ProgramFolder() : installDir_);
    languageInitialised_ = true;
    SetFrameworkStringLoader(LocalizedString);
    SetMessageBoxCaption(LocalizedString(IDS_APPLICATION_NAME));

    // "/import-engines <folder>": putting engine files in place is all this start does.
    if (std::optional<std::wstring> folder = ImportEnginesFolder(SplitCommandLineArgs(ProcessArguments()))) {
        if (folder->empty())
            folder = PickEngineFolder(nullptr);
        const ImportResult result = folder ? ImportEngineFolder(nullptr, *folder, false) : ImportResult::Cancelled;
        exitCode_ = result == ImportResult::Imported ? 0 : result == ImportResult::Cancelled ? 2 : 1;
        return false;
    }

    // "/capture <address> ...": pictures of one address in each version, and no window. Its paths are taken
    // relative to the folder the program was started in, before it leaves it.
    std::optional<CaptureOptions> capture;
    switch (const CaptureParse parse = ParseCaptureCommandLine(ProcessArguments()); parse.request) {
    case CaptureRequest::None:
        break;
    case CaptureRequest::Usage:
        ConsoleOutput().Write(CaptureUsageText());
        exitCode_ = kCaptureExitSucceeded;
        return false;
    case CaptureRequest::Error:
        ConsoleOutput().WriteError(parse.error + L"\r\n\r\n" + CaptureUsageText());
        exitCode_ = kCaptureExitBadArguments;
        return false;
    case CaptureRequest::Run:
        capture = parse.options;
        ResolveCapturePaths(*capture);
        break;
    }

    // 8. The program's folder becomes the current directory: the engine loader finds the engine files there.
    // The trailing backslash makes a drive's root ("C:\\") the root, not the drive's current folder.
    if (const std::wstring folder = ProgramFolder(); !folder.empty())
        ::SetCurrentDirectoryW((folder + L"\\").c_str());

    // 9. The engine loader, before any tab exists.
    disableFilters_ = FlagFromSetting(settings_->ReadInt(kDisableFiltersValue, kDefaultDisableFilters));
    InstallEngineHooks(disableFilters_);
    engineInstalled_ = true;

    // 10 to 12. Search behaviour, window.external, home page.
    ReadSettings();

    if (capture) {
        ConsoleOutput console;
        exitCode_ = RunCapture(*capture, console, host_);
        return false;
    }

    // 13. One tab template per engine version.
    RegisterTemplates();

    // 14. Favorites.
    LoadFavorites();

    // 15. Accelerator table 129.
    accelerators_ = ::LoadAcceleratorsW(Instance() ? Instance() : ::GetModuleHandleW(nullptr),
                                        MAKEINTRESOURCEW(IDR_APP_ACCELERATORS));

    // 16. The main frame.
    if (!CreateMainFrame())
        return false;

    // 17. The tabs the command line names.
    CCustomCommandLineInfo commandLine(ThreadWideToAnsi, ThreadAnsiToWide);
    commandLine.ParseAll(SplitCommandLineArgs(ProcessArguments()));
    OpenCommandLineTabs(commandLine);

    // 18. Show the main window.
    ShowMainWindow();
    return true;
}

void CMovalentApp::ReadSettings() {
    AppSettings settings = LoadAppSettings(*settings_, DefaultHomePage(GetProgramVersionString()));
    searchBehaviour_ = settings.searchBehaviour;
    disableWindowExternal_ = settings.disableWindowExternal;
    homePage_ = settings.homePage;
}

void CMovalentApp::RegisterTemplates() {
    // Registration order is the order every walk over the templates follows: 315, 314, 317, 319, 316.
    auto frame = [] { return new ChildFrame; };
    auto view = [this]() -> View* { return new CMovalentView(host_); };
    AddDocTemplate(std::make_unique<CMyMultiDocTemplate>(IDR_IE55_TAB, DocumentOf<CIE55Doc>(host_), frame, view));
    AddDocTemplate(std::make_unique<CMyMultiDocTemplate>(IDR_IE6_TAB, DocumentOf<CIE6Doc>(host_), frame, view));
    AddDocTemplate(std::make_unique<CMyMultiDocTemplate>(IDR_IE7_TAB, DocumentOf<CIE7Doc>(host_), frame, view));
    AddDocTemplate(std::make_unique<CMyMultiDocTemplate>(IDR_IE8_TAB, DocumentOf<CIE8Doc>(host_), frame, view));
    AddDocTemplate(
        std::make_unique<CMyMultiDocTemplate>(IDR_IE_DEFAULT_TAB, DocumentOf<CIEDefaultDoc>(host_), frame, view));
}

bool CMovalentApp::CreateMainFrame() {
    mainFrame_ = std::make_unique<CMainFrame>(&host_);
    SetMainWindow(mainFrame_.get());
    if (!mainFrame_->LoadFrame(IDR_MAIN_FRAME, WS_OVERLAPPEDWINDOW | TabbedMainFrame::kAddToTitle)) {
        SetMainWindow(nullptr);
        mainFrame_.reset();
        return false;
    }
    return true;
}

void CMovalentApp::ShowMainWindow() {
    int show = ShowCommand();
    // A frame that was maximized when the program last closed comes back maximized, unless the program was
    // started minimized, maximized or hidden.
    WINDOWPLACEMENT placement;
    if (LoadWindowPlacement(placement) && placement.showCmd == SW_SHOWMAXIMIZED &&
        (show == SW_SHOWNORMAL || show == SW_SHOWDEFAULT || show == SW_SHOW))
        show = SW_SHOWMAXIMIZED;
    ::ShowWindow(mainFrame_->Handle(), show);
    ::UpdateWindow(mainFrame_->Handle());
}

void CMovalentApp::OpenCommandLineTabs(const CCustomCommandLineInfo& commandLine) {
    for (IEVERSION version : kAllVersions) {
        if (!IsEngineAvailable(version))
            continue;
        for (const std::wstring& url : commandLine.Urls(version))
            OpenTab(version, url);
    }
}

Document* CMovalentApp::OpenTab(int version, const std::wstring& url) {
    unsigned id = TemplateResourceForVersion(version);
    Document* document = nullptr;
    for (const auto& docTemplate : DocTemplates()) {
        if (docTemplate->ResourceId() == id) {
            document = docTemplate->OpenDocumentFile(url.c_str(), true);
            break;
        }
    }
    if (HWND main = MainWindowHandle())
        ::SendMessageW(main, TabGroupsChangedMessage(), 0, 0);
    return document;
}

int CMovalentApp::ExitInstance() {
    // Tabs go before the engine loader that their threads run on.
    CloseAllDocuments(true);
    if (mainFrame_ && mainFrame_->Handle())
        mainFrame_->DestroyWindow();
    if (engineInstalled_) {
        RemoveEngineHooks();
        engineInstalled_ = false;
    }
    if (languageInitialised_) {
        SetFrameworkStringLoader(nullptr);
        ProcessLanguageTable().Release();
        languageInitialised_ = false;
    }
    int code = Application::ExitInstance();
    SetMainWindow(nullptr);
    mainFrame_.reset();
    return code;
}

void CMovalentApp::EnableCustomControlContainment() {
    if (!occManager_)
        occManager_ = std::make_unique<CDialogWBContainerCustomOccManager>();
    EnableControlContainment(occManager_.get());
}

std::wstring CMovalentApp::HomePageSetting() const {
    std::wstring fallback = DefaultHomePage(GetProgramVersionString());
    return settings_ ? settings_->ReadString(kHomePageValue, fallback) : fallback;
}

std::wstring CMovalentApp::FavoriteUrl(unsigned command) const {
    return favorites_ ? favorites_->Url(command) : std::wstring();
}

void CMovalentApp::LoadFavorites() {
    // Read once: favorites added while the program runs show from the next start. Without a Favorites folder
    // the menu is there, empty.
    favorites_ = std::make_unique<CFavoritesManager>();
    favorites_->Load();
    favorites_->BuildMenu(favoritesMenu_);
}

void CMovalentApp::RegisterCommands() {
    for (IEVERSION version : kAllVersions) {
        unsigned command = kNewTabCommands[version];
        OnCommand(command, [this, version] { OpenVersionTab(version); });
        if (version == IE_DEFAULT)
            OnUpdateCommand(command, [](CommandState& state) { state.Enable(); });
        else
            OnUpdateCommand(command,
                            [version](CommandState& state) { state.Enable(IsEngineAvailable(version)); });
    }
    auto always = [](CommandState& state) { state.Enable(); };
    OnCommand(ID_OPEN_ALL_VERSIONS, [this] { OpenInAllVersions(); });
    OnUpdateCommand(ID_OPEN_ALL_VERSIONS, always);
    OnCommand(ID_CAPTURE_ALL_VERSIONS, [this] {
        if (const std::wstring address = ActiveTabAddress(); !address.empty())
            LaunchCapture(address);
    });
    OnUpdateCommand(ID_CAPTURE_ALL_VERSIONS,
                    [this](CommandState& state) { state.Enable(!ActiveTabAddress().empty()); });
    OnCommand(ID_INTERNET_OPTIONS, [this] { ShowInternetOptions(); });
    OnUpdateCommand(ID_INTERNET_OPTIONS, always);
    OnCommand(ID_CONFIGURE, [] {
        // Every page stores its changes as they happen, so how the sheet ends does not matter.
        CCustomizePropSheet sheet;
        sheet.DoModal();
    });
    OnUpdateCommand(ID_CONFIGURE, always);
    OnCommand(ID_ADD_ENGINE_FILES, [this] {
        if (std::optional<std::wstring> folder = PickEngineFolder(MainWindowHandle()))
            ImportEngineFolder(MainWindowHandle(), *folder, true);
    });
    OnUpdateCommand(ID_ADD_ENGINE_FILES, always);
    OnCommand(ID_CHECK_VERSION, [this] { RunVersionCheck(MainWindowHandle()); });
    OnUpdateCommand(ID_CHECK_VERSION, always);
    OnCommand(ID_SHOW_ABOUT, [this] { ShowAbout(); });
    OnUpdateCommand(ID_SHOW_ABOUT, always);

    auto moreThanOne = [this](CommandState& state) { state.Enable(DocumentCount() > 1); };
    OnCommand(ID_REFRESH_ALL, [this] { PostToAllViews(ID_REFRESH_PAGE); });
    OnUpdateCommand(ID_REFRESH_ALL, moreThanOne);
    OnCommand(ID_REFRESH_ALL_COMPLETE, [this] { PostToAllViews(ID_REFRESH_COMPLETE); });
    OnUpdateCommand(ID_REFRESH_ALL_COMPLETE, moreThanOne);
    OnCommand(ID_CLOSE_ALL_TABS, [this] { CloseAllDocuments(false); });
    OnUpdateCommand(ID_CLOSE_ALL_TABS, [this](CommandState& state) { state.Enable(DocumentCount() >= 1); });
    OnCommand(ID_CLOSE_OTHER_TABS, [this] { CloseAllExceptActive(); });
    OnUpdateCommand(ID_CLOSE_OTHER_TABS, moreThanOne);
}

void CMovalentApp::OpenVersionTab(IEVERSION version) {
    OpenTab(version, homePage_);
}

void CMovalentApp::OpenInAllVersions() {
    CDialogOpenAll dialog(settings_.get());
    if (dialog.DoModal() != IDOK || !settings_)
        return;
    // The boxes were stored as they were clicked; versions without an engine are passed over even when
    // ticked.
    for (IEVERSION version : kAllVersions)
        if (IsEngineAvailable(version) && ReadOpenAll(*settings_, version))
            OpenTab(version, dialog.Address());
}

void CMovalentApp::ShowInternetOptions() {
    HMODULE module = InternetOptionsModule();
    if (!module)
        return;
    using LaunchPanel = BOOL(WINAPI*)(HWND);
    FARPROC entry = ::GetProcAddress(module, "LaunchInternetControlPanel");
    if (!entry)
        return;
    auto launch = reinterpret_cast<LaunchPanel>(reinterpret_cast<void*>(entry));
    launch(MainWindowHandle());
}

void CMovalentApp::ShowAbout() {
    CAboutDlg about;
    about.DoModal();
}

void CMovalentApp::PostToAllViews(unsigned command) {
    for (Document* document : Documents())
        for (View* view : document->Views())
            view->Post(WM_COMMAND, command, 0);
}

std::wstring CMovalentApp::ActiveTabAddress() const {
    ChildFrame* child = mainFrame_ ? mainFrame_->ActiveChild() : nullptr;
    const auto* view = child ? dynamic_cast<const CMovalentView*>(child->ActiveView()) : nullptr;
    return view ? view->CurrentAddress() : std::wstring();
}

void CMovalentApp::CloseAllExceptActive() {
    ChildFrame* child = mainFrame_ ? mainFrame_->ActiveChild() : nullptr;
    View* view = child ? child->ActiveView() : nullptr;
    Document* keep = view ? view->GetDocument() : nullptr;
    if (!keep) {
        CloseAllDocuments(false);
        return;
    }
    for (Document* document : Documents())
        if (document != keep)
            document->OnCloseDocument();
}

} // namespace movalent
