#pragma once
// What a tab may ask of the program around it, handed to each view, browser thread and container when it is
// made. Browser threads call it too: every member may be called from any thread.
#include "engine/IeVersion.h"

#include <windows.h>

#include <optional>
#include <string>

namespace movalent {

class TabHost {
public:
    // The program's main window: the owner of a tab's boxes and the window keys are translated against; null
    // while there is none (a capture).
    virtual HWND MainWindow() const = 0;
    // The accelerator table every browser thread translates keys with.
    virtual HACCEL Accelerators() const = 0;
    // Where a tab opened without an address starts.
    virtual std::wstring StartPage() const = 0;
    // Where the Home command goes: the setting as stored right now.
    virtual std::wstring HomePage() const = 0;
    // Whether pages are refused window.external, as the options say right now.
    virtual bool WindowExternalDisabled() const = 0;
    // The developer-tools panel's width, kept between tabs and runs.
    virtual int PanelWidth() const = 0;
    virtual void SavePanelWidth(int width) = 0;
    // The address of the favorite with that command; empty when there is none.
    virtual std::wstring FavoriteAddress(unsigned command) const = 0;
    // A new tab of the version (a page asked for a window, a favorite in a new tab).
    virtual void OpenTab(IEVERSION version, const std::wstring& address) = 0;
    // The zoom percentage the user chose on the main window's slider; none while there is no slider.
    virtual std::optional<int> ChosenZoom() const = 0;
    // Shows a tab's zoom in the main window: the slider moves to it (without a command of its own) and the
    // percentage pane reads it. Nothing while the window shows no zoom. Main thread only.
    virtual void ShowZoom(int percent) = 0;

protected:
    ~TabHost() = default;
};

} // namespace movalent
