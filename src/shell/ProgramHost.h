#pragma once
// The program as its tabs and its main frame see it: the application's settings, favorites, main window and tab
// opening behind the narrow interfaces they are handed.
#include "mainframe/FrameHost.h"
#include "tabs/TabHost.h"

namespace movalent {

class CMovalentApp;

class ProgramHost final : public TabHost, public FrameHost {
public:
    explicit ProgramHost(CMovalentApp& app) : app_(app) {}

    HWND MainWindow() const override;
    HACCEL Accelerators() const override;
    std::wstring StartPage() const override;
    std::wstring HomePage() const override;
    bool WindowExternalDisabled() const override;
    int PanelWidth() const override;
    void SavePanelWidth(int width) override;
    std::wstring FavoriteAddress(unsigned command) const override;
    void OpenTab(IEVERSION version, const std::wstring& address) override;
    std::optional<int> ChosenZoom() const override;
    void ShowZoom(int percent) override;
    HMENU FavoritesMenu() const override;
    SearchBehaviour WebSearchBehaviour() const override;
    View* FirstTabOf(IEVERSION version) const override;

private:
    CMovalentApp& app_;
};

} // namespace movalent
