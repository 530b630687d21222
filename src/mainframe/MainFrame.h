#pragma once
// The application's main window: the tabbed frame with the ribbon above (built with its own part), the status
// bar below, the visual style, status text and download progress that tabs report, the web search, and a few
// frame-level commands.
#include "framework/TabbedMainFrame.h"
#include "framework/ImageStrip.h"
#include "mainframe/ApplicationLook.h"
#include "mainframe/MFCRibbonGoogleSearch.h"
#include "mainframe/MyMFCRibbonBar.h"
#include "mainframe/MyMFCRibbonStatusBar.h"

#include <memory>
#include <optional>
#include <string>

namespace movalent {

class FrameHost;

class CMainFrame : public TabbedMainFrame {
public:
    // host: the program around the frame; a frame without one opens no tab and translates no program keys.
    explicit CMainFrame(FrameHost* host = nullptr);
    ~CMainFrame() override;

    bool LoadFrame(UINT resourceId, DWORD style) override;
    // Table 129 first, against the main window, so its shortcuts win over the frame's own table and work
    // while any child has the focus.
    bool PreTranslateMessage(MSG& msg) override;

    // The command id of the current visual style (210 to 218, or whatever was stored) and the look it gives.
    unsigned ApplicationLook() const { return applicationLook_; }
    const VisualLook& Look() const { return look_; }
    void SetApplicationLook(unsigned id);

    // A settings, system colour or theme change: the ribbon takes the colours now in use (the system's under
    // high contrast, else the look's) and the whole frame is drawn again.
    void OnSystemColoursChanged(UINT message);
    // 9218: the text across the status bar (owned by the sender).
    void OnStatusText(const std::wstring& text);
    // 9220: shows the progress bar while progress differs from maximum and is not -1. Returns 1 when the
    // status bar has no progress element, else 0.
    LRESULT OnDownloadProgress(int progress, int maximum);
    // 9223: opens the web search for text where the "SearchBehaviour" setting says.
    void OnWebSearch(const std::wstring& text);
    // The registered tab-groups message: every tab control gets its maximum tab width again.
    LRESULT OnTabGroupsChanged();

    CMyMFCRibbonStatusBar& StatusBar() { return statusBar_; }
    CMyMFCRibbonBar& Ribbon() { return ribbonBar_; }
    // The category whose tab minimizes and restores the ribbon; null until the ribbon is built.
    RibbonCategory* RibbonToggleCategory() const { return ribbonToggleCategory_; }
    CMFCRibbonGoogleSearch* SearchBox() const { return searchBox_; }

    // The status bar's zoom slider (element 325) and zoom pane (element 323) show the active tab's zoom.
    // The percentage the slider stands for; none without a slider.
    std::optional<int> ChosenZoom() const;
    // Moves the slider to the percentage, unless it stands for it already, and writes the percentage in the pane.
    void ShowZoom(int percent);

    static constexpr int kMaxTabWidth = 200;

protected:
    void PreCreateWindow(DWORD& style, DWORD& exStyle) override;
    int OnCreate(CREATESTRUCTW& create) override;
    void LayoutBars(RECT& area) override;
    void LoadBarState() override;
    void SaveBarState() override;
    void OnDpiChanged(int dpi) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void RegisterCommands();
    void BuildRibbon();
    void AddNavigatePanel(RibbonCategory& home);
    void AddNewPanel(RibbonCategory& home);
    void AddDevToolsCategory();
    void AddOptionsCategory();
    void AddTabRowElements();
    void BuildStatusBar();
    void OpenInNewDefaultTab(const std::wstring& address);
    // Alt alone, F10 and Alt with a key tip go to the ribbon.
    bool TranslateRibbonKeys(const MSG& msg);
    void FocusSearch();

    FrameHost* host_;
    CMyMFCRibbonStatusBar statusBar_;
    CMyMFCRibbonBar ribbonBar_{*this};
    RibbonCategory* ribbonToggleCategory_ = nullptr;
    CMFCRibbonGoogleSearch* searchBox_ = nullptr;
    bool altAlone_ = false;
    unsigned applicationLook_;
    VisualLook look_;
};

} // namespace movalent
