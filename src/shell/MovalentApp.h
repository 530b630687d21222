#pragma once
// The application object: start-up and exit, the process-wide settings, the application's commands, and the
// operation that opens an address in a new tab of a given engine version.
#include "app/CustomCommandLineInfo.h"
#include "shell/ProgramHost.h"
#include "app/RegistrySettingsStore.h"
#include "app/Settings.h"
#include "engine/IeVersion.h"
#include "framework/Application.h"
#include "framework/Menu.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace movalent {

class CDialogWBContainerCustomOccManager;
class CFavoritesManager;
class CMainFrame;
class Document;

class CMovalentApp : public Application {
public:
    CMovalentApp();
    ~CMovalentApp() override;

    // The application object of the process, or null.
    static CMovalentApp* Get();

    bool InitInstance() override;
    int ExitInstance() override;

    // Opens url in a new tab of the version's template (0 -> 312, 1 -> 313, 2 -> 315, 3 -> 314, 4 -> 317,
    // 5 -> 319, else 316), then tells the main frame to re-apply its tab widths. The new document, or null
    // when no registered template has that id or the tab cannot be made.
    Document* OpenTab(int version, const std::wstring& url);
    // Opens the command line's URLs: versions in order 0 to 6, each list in order, available versions only.
    void OpenCommandLineTabs(const CCustomCommandLineInfo& commandLine);

    const std::wstring& InstallDir() const { return installDir_; }
    const std::wstring& HomePage() const { return homePage_; }
    void SetHomePage(const std::wstring& homePage) { homePage_ = homePage; }
    // The "HomePage" setting as stored right now (the default home page when none is), read from the registry
    // so that any thread may ask.
    std::wstring HomePageSetting() const;
    // The address of the favorite with that command (3584 to 4095); empty when there is none.
    std::wstring FavoriteUrl(unsigned command) const;
    // The favorites read at start-up (null before), and the popup menu built from them, which the ribbon's
    // Favorites button drops down; the menu stays the application's.
    const CFavoritesManager* Favorites() const { return favorites_.get(); }
    HMENU FavoritesMenu() const { return favoritesMenu_.Handle(); }
    SearchBehaviour GetSearchBehaviour() const { return searchBehaviour_; }
    void SetSearchBehaviour(SearchBehaviour behaviour) { searchBehaviour_ = behaviour; }
    bool WindowExternalDisabled() const { return disableWindowExternal_; }
    void SetWindowExternalDisabled(bool disabled) { disableWindowExternal_ = disabled; }
    bool FiltersDisabled() const { return disableFilters_; }
    void SetFiltersDisabled(bool disabled) { disableFilters_ = disabled; }
    // Table 129, loaded once; the main frame and every browser thread translate keys with it.
    HACCEL Accelerators() const { return accelerators_; }
    CMainFrame* MainFrame() const { return mainFrame_.get(); }
    // The "Options" section of the per-user settings; null before start-up reached the registry.
    SettingsStore* Settings() const { return settings_.get(); }

    // The arguments after the program name, as the shell split the process's command line.
    static std::vector<std::wstring> ProcessArguments();

private:
    void RegisterCommands();
    void ReadSettings();
    void RegisterTemplates();
    bool CreateMainFrame();
    void ShowMainWindow();

    // Control containment with the program's control-site manager (WebBrowser controls get the custom site).
    void EnableCustomControlContainment();
    // The Internet Explorer favorites and their menu.
    void LoadFavorites();

    void OpenVersionTab(IEVERSION version);
    void OpenInAllVersions();
    void ShowInternetOptions();
    void ShowAbout();
    void PostToAllViews(unsigned command);
    void CloseAllExceptActive();
    // The address the active tab shows; empty without a tab.
    std::wstring ActiveTabAddress() const;

    ProgramHost host_{*this};
    std::unique_ptr<RegistrySettingsStore> settings_;
    std::wstring installDir_;
    std::wstring homePage_;
    SearchBehaviour searchBehaviour_ = SearchBehaviour::NewDefaultTab;
    bool disableWindowExternal_ = false;
    bool disableFilters_ = false;
    bool languageInitialised_ = false;
    bool engineInstalled_ = false;
    HACCEL accelerators_ = nullptr; // a resource table: freed with the module
    std::unique_ptr<CMainFrame> mainFrame_;
    std::unique_ptr<CFavoritesManager> favorites_;
    Menu favoritesMenu_;
    // Every control site of the process comes from here; outlives every control (the tabs close before exit).
    std::unique_ptr<CDialogWBContainerCustomOccManager> occManager_;
};

} // namespace movalent
