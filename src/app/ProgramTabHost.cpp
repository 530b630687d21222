#include "app/ProgramTabHost.h"

#include "app/MovalentApp.h"
#include "app/Settings.h"
#include "framework/Window.h"
#include "tabs/ZoomSliderHost.h"

namespace movalent {

HWND ProgramTabHost::MainWindow() const {
    return app_.MainWindowHandle();
}

HACCEL ProgramTabHost::Accelerators() const {
    return app_.Accelerators();
}

std::wstring ProgramTabHost::StartPage() const {
    return app_.HomePage();
}

std::wstring ProgramTabHost::HomePage() const {
    return app_.HomePageSetting();
}

bool ProgramTabHost::WindowExternalDisabled() const {
    if (SettingsStore* settings = app_.Settings())
        return FlagFromSetting(settings->ReadInt(kDisableWindowExternalValue, kDefaultDisableWindowExternal));
    return app_.WindowExternalDisabled();
}

int ProgramTabHost::PanelWidth() const {
    SettingsStore* settings = app_.Settings();
    return settings ? ReadVertLeftSplitter(*settings) : kDefaultVertLeftSplitter;
}

void ProgramTabHost::SavePanelWidth(int width) {
    if (SettingsStore* settings = app_.Settings())
        settings->WriteInt(kVertLeftSplitterValue, width);
}

std::wstring ProgramTabHost::FavoriteAddress(unsigned command) const {
    return app_.FavoriteUrl(command);
}

void ProgramTabHost::OpenTab(IEVERSION version, const std::wstring& address) {
    app_.OpenTab(static_cast<int>(version), address);
}

ZoomSliderHost* ProgramTabHost::ZoomSlider() const {
    auto* host = dynamic_cast<ZoomSliderHost*>(app_.MainWindow());
    return host && host->HasZoomSlider() ? host : nullptr;
}

} // namespace movalent
