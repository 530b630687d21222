#pragma once
// The application object: process-wide settings and state, start-up and exit.
#include "app/Settings.h"
#include "framework/Profile.h"

#include <windows.h>

#include <memory>
#include <string>

namespace movalent {

class CMainFrame;

class CMovalentApp {
public:
    CMovalentApp();
    ~CMovalentApp();
    CMovalentApp(const CMovalentApp&) = delete;
    CMovalentApp& operator=(const CMovalentApp&) = delete;

    // Start-up; false ends the process.
    bool InitInstance(HINSTANCE instance, int showCommand);
    // Runs the message loop until the main window is gone; returns the exit code.
    int Run();
    int ExitInstance();

    const Profile& GetProfile() const { return *profile_; }
    const std::wstring& InstallDir() const { return installDir_; }
    const std::wstring& HomePage() const { return homePage_; }
    SearchBehaviour GetSearchBehaviour() const { return searchBehaviour_; }
    bool WindowExternalDisabled() const { return disableWindowExternal_; }
    bool FiltersDisabled() const { return disableFilters_; }
    HACCEL Accelerators() const { return accelerators_; }
    HWND MainWindow() const;

private:
    void ReadSettings();

    HINSTANCE instance_ = nullptr;
    bool oleInitialised_ = false;
    bool languageInitialised_ = false;
    std::unique_ptr<Profile> profile_;
    std::wstring installDir_;
    std::wstring homePage_;
    SearchBehaviour searchBehaviour_ = SearchBehaviour::NewDefaultTab;
    bool disableWindowExternal_ = false;
    bool disableFilters_ = false;
    HACCEL accelerators_ = nullptr; // a resource table: freed with the module
    std::unique_ptr<CMainFrame> mainFrame_;
};

// The one application object of the process.
CMovalentApp& TheApp();

} // namespace movalent
