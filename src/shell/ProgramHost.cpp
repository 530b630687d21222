#include "shell/ProgramHost.h"

#include "shell/MovalentApp.h"
#include "app/Settings.h"
#include "framework/View.h"
#include "framework/Window.h"
#include "mainframe/MainFrame.h"
#include "tabs/MovalentDoc.h"
#include "tabs/TabTemplateIds.h"

namespace movalent {

HWND ProgramHost::MainWindow() const {
    return app_.MainWindowHandle();
}

HACCEL ProgramHost::Accelerators() const {
    return app_.Accelerators();
}

std::wstring ProgramHost::StartPage() const {
    return app_.HomePage();
}

std::wstring ProgramHost::HomePage() const {
    return app_.HomePageSetting();
}

bool ProgramHost::WindowExternalDisabled() const {
    if (SettingsStore* settings = app_.Settings())
        return FlagFromSetting(settings->ReadInt(kDisableWindowExternalValue, kDefaultDisableWindowExternal));
    return app_.WindowExternalDisabled();
}

int ProgramHost::PanelWidth() const {
    SettingsStore* settings = app_.Settings();
    return settings ? ReadVertLeftSplitter(*settings) : kDefaultVertLeftSplitter;
}

void ProgramHost::SavePanelWidth(int width) {
    if (SettingsStore* settings = app_.Settings())
        settings->WriteInt(kVertLeftSplitterValue, width);
}

std::wstring ProgramHost::FavoriteAddress(unsigned command) const {
    return app_.FavoriteUrl(command);
}

void ProgramHost::OpenTab(IEVERSION version, const std::wstring& address) {
    app_.OpenTab(static_cast<int>(version), address);
}

std::optional<int> ProgramHost::ChosenZoom() const {
    CMainFrame* frame = app_.MainFrame();
    return frame ? frame->ChosenZoom() : std::nullopt;
}

void ProgramHost::ShowZoom(int percent) {
    if (CMainFrame* frame = app_.MainFrame())
        frame->ShowZoom(percent);
}

HMENU ProgramHost::FavoritesMenu() const {
    return app_.FavoritesMenu();
}

SearchBehaviour ProgramHost::WebSearchBehaviour() const {
    return app_.GetSearchBehaviour();
}

View* ProgramHost::FirstTabOf(IEVERSION version) const {
    const unsigned resource = TemplateResourceForVersion(version);
    for (const auto& docTemplate : app_.DocTemplates()) {
        auto* tabTemplate = dynamic_cast<CMyMultiDocTemplate*>(docTemplate.get());
        if (!tabTemplate || tabTemplate->ResourceId() != resource)
            continue;
        if (!tabTemplate->Documents().empty() && !tabTemplate->Documents().front()->Views().empty())
            return tabTemplate->Documents().front()->Views().front();
        return nullptr;
    }
    return nullptr;
}

} // namespace movalent
