#pragma once
// The tabbed multiple-document main frame: an MDI client whose children are the tabs, a tab row above it, and
// room for bars that derived frames place around them (LayoutBars).
//
// Only the active tab's child frame is visible; the others are hidden and all are kept at the size of the MDI
// client. Command routing from the frame: the active tab (its view, then its child frame), the frame, then
// the application.
#include "framework/Window.h"

#include <memory>
#include <string>
#include <vector>

namespace movalent {

class ChildFrame;
class TabRow;
class View;

class TabbedMainFrame : public Window {
public:
    // Frame style flag: the frame's caption also names the active document.
    static constexpr DWORD kAddToTitle = 0x00008000;

    struct TabbedGroupsOptions {
        bool closeButtonOnActiveTab = false;
        bool documentIcons = false;
        bool autoColors = false; // every tab is drawn in the same colours
        bool documentMenu = false;
    };

    TabbedMainFrame();
    ~TabbedMainFrame() override;

    // Creates the frame with the caption, icon and accelerator table of resourceId; the window stays hidden
    // and takes the stored placement. False when the window cannot be made (OnCreate failed).
    virtual bool LoadFrame(UINT resourceId, DWORD style);

    HWND MdiClient() const { return mdiClient_; }
    // The MDI client's client area, the size of every tab.
    RECT TabArea() const;

    ChildFrame* ActiveChild() const { return active_; }
    View* ActiveView() const;
    const std::vector<ChildFrame*>& Tabs() const { return tabs_; }
    std::vector<TabRow*> TabControls() const;

    void EnableTabbedGroups(const TabbedGroupsOptions& options);
    const TabbedGroupsOptions& TabbedGroups() const { return tabOptions_; }
    // Adds command commandId, which shows the list of open tabs in a dialog, and offers it under label in the
    // tab row's document menu.
    void EnableWindowsDialog(UINT commandId, const std::wstring& label, bool showAlways, bool helpButton);
    UINT WindowsDialogCommand() const { return windowsCommand_; }
    const std::wstring& WindowsDialogLabel() const { return windowsLabel_; }
    void ShowWindowsDialog();

    void ActivateTab(ChildFrame* child);
    // Ctrl+Tab and Ctrl+Shift+Tab: the next or previous tab in row order, wrapping around.
    void ActivateNextTab(bool forward);
    void MoveTab(size_t from, size_t to);
    void RecalcLayout();

    // Command states for everything that shows them, through the same routing the commands take.
    void UpdateCommandStates();
    void AddCommandStateDisplay(CommandStateDisplay* display);
    void RemoveCommandStateDisplay(CommandStateDisplay* display);

    void AppendRoute(std::vector<CommandTarget*>& route) override;
    bool PreTranslateMessage(MSG& msg) override;

    // From the child frames.
    void OnTabCreated(ChildFrame* child);
    void OnTabActivated(ChildFrame* child);
    void OnTabDestroyed(ChildFrame* child);
    void OnTabChanged(ChildFrame* child);
    // After a tab went: the most recently active remaining tab becomes active.
    void EnsureActiveTab();

protected:
    // The style and extended style the window is created with.
    virtual void PreCreateWindow(DWORD& style, DWORD& exStyle);
    // The frame's creation: the MDI client and the tab row. Derived frames call it first and add their bars;
    // -1 fails the creation.
    virtual int OnCreate(CREATESTRUCTW& create);
    // Derived frames place their bars in area and take the space they use off it.
    virtual void LayoutBars(RECT& area);
    virtual void OnClose();
    // The bars' own state in the workspace (a ribbon's minimized state): restored at the end of LoadFrame,
    // stored when the frame closes.
    virtual void LoadBarState() {}
    virtual void SaveBarState() {}
    // The window moved to a display of another pixel density: the bars take its measures, fonts and
    // pictures. Derived frames hand it on to their own bars and call this.
    virtual void OnDpiChanged(int dpi);
    void UpdateFrameTitle();

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void UpdatePopupMenu(HMENU menu);
    void SyncZOrder();
    void SizeTab(ChildFrame* child);
    void TakeDpi(int dpi, const RECT& suggested);

    HWND mdiClient_ = nullptr;
    std::unique_ptr<TabRow> tabRow_;
    std::vector<ChildFrame*> tabs_;           // row order
    std::vector<ChildFrame*> recentlyActive_; // most recent first
    ChildFrame* active_ = nullptr;
    HACCEL accelerators_ = nullptr; // a resource table: freed with the module
    DWORD frameStyle_ = 0;
    std::wstring title_;
    bool tabbedGroups_ = false;
    TabbedGroupsOptions tabOptions_;
    UINT windowsCommand_ = 0;
    std::wstring windowsLabel_;
    std::vector<CommandStateDisplay*> stateDisplays_;
};

} // namespace movalent
