#pragma once
// The program as its tabs see it: the application's settings, favorites, main window and tab opening behind
// the narrow interface a tab is handed.
#include "tabs/TabHost.h"

namespace movalent {

class CMovalentApp;

class ProgramTabHost final : public TabHost {
public:
    explicit ProgramTabHost(CMovalentApp& app) : app_(app) {}

    HWND MainWindow() const override;
    HACCEL Accelerators() const override;
    std::wstring StartPage() const override;
    std::wstring HomePage() const override;
    bool WindowExternalDisabled() const override;
    int PanelWidth() const override;
    void SavePanelWidth(int width) override;
    std::wstring FavoriteAddress(unsigned command) const override;
    void OpenTab(IEVERSION version, const std::wstring& address) override;
    ZoomSliderHost* ZoomSlider() const override;

private:
    CMovalentApp& app_;
};

} // namespace movalent
