#include "app/MovalentApp.h"

#include "app/LanguageTable.h"
#include "app/Localisation.h"
#include "app/MakerAddresses.h"
#include "app/RegistrySettingsStore.h"
#include "app/VersionInfo.h"
#include "framework/MessageBox.h"
#include "mainframe/MainFrame.h"
#include "resource.h"

#include <commctrl.h>
#include <ole2.h>

namespace movalent {

namespace {

CMovalentApp* g_app = nullptr;

// The folder of the program file, with its trailing backslash; empty when the path does not fit MAX_PATH.
std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH];
    DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    std::wstring folder(path, length);
    size_t slash = folder.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash + 1);
}

void ApplyMakerAddressOverride() {
    wchar_t value[1024];
    DWORD length = ::GetEnvironmentVariableW(L"MOVALENT_MAKER_URL", value, ARRAYSIZE(value));
    if (length > 0 && length < ARRAYSIZE(value))
        SetMakerBaseAddress(std::wstring(value, length));
}

} // namespace

CMovalentApp::CMovalentApp() { g_app = this; }

CMovalentApp::~CMovalentApp() {
    if (g_app == this)
        g_app = nullptr;
}

CMovalentApp& TheApp() { return *g_app; }

HWND CMovalentApp::MainWindow() const { return mainFrame_ ? mainFrame_->GetSafeHwnd() : nullptr; }

bool CMovalentApp::InitInstance(HINSTANCE instance, int showCommand) {
    instance_ = instance;
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof(controls);
    controls.dwICC = 0xFF;
    ::InitCommonControlsEx(&controls);
    SetMessageBoxCaption(LoadResourceString(IDS_APPLICATION_NAME));
    ApplyMakerAddressOverride();

    if (FAILED(::OleInitialize(nullptr))) {
        ShowMessageBox(nullptr, LoadResourceString(IDS_OLE_INIT_FAILED), MB_OK | MB_ICONERROR);
        return false;
    }
    oleInitialised_ = true;

    profile_ = std::make_unique<Profile>(kRegistryCompany, LoadResourceString(IDS_APPLICATION_NAME));
    installDir_ = ReadInstallDir();
    RegistrySettingsStore store(*profile_);
    InitProcessLanguage(static_cast<unsigned>(store.ReadInt(kLangIdValue, kDefaultLangId)), installDir_);
    languageInitialised_ = true;
    SetMessageBoxCaption(LocalizedString(IDS_APPLICATION_NAME));

    // Engine files are found in the program's folder, so it becomes the current directory.
    std::wstring folder = ProgramFolder();
    if (!folder.empty())
        ::SetCurrentDirectoryW(folder.c_str());

    ReadSettings();
    accelerators_ = ::LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_APP_ACCELERATORS));

    mainFrame_ = std::make_unique<CMainFrame>();
    if (!mainFrame_->LoadFrame(instance)) {
        mainFrame_.reset();
        return false;
    }
    mainFrame_->Show(showCommand);
    return true;
}

void CMovalentApp::ReadSettings() {
    RegistrySettingsStore store(*profile_);
    AppSettings settings = LoadAppSettings(store, DefaultHomePage(GetProgramVersionString()));
    disableFilters_ = settings.disableFilters;
    searchBehaviour_ = settings.searchBehaviour;
    disableWindowExternal_ = settings.disableWindowExternal;
    homePage_ = settings.homePage;
}

int CMovalentApp::Run() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        HWND main = MainWindow();
        if (main && accelerators_ && ::TranslateAcceleratorW(main, accelerators_, &msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

int CMovalentApp::ExitInstance() {
    mainFrame_.reset();
    if (languageInitialised_) {
        ProcessLanguageTable().Release();
        languageInitialised_ = false;
    }
    if (oleInitialised_) {
        ::OleUninitialize();
        oleInitialised_ = false;
    }
    return 0;
}

} // namespace movalent
