#pragma once
// The ribbon: a bar across the top of a frame with an application button and its menu, a quick access
// toolbar, a row of category tabs with elements at its right end, and below it the active category's panels
// of large buttons. Drawn with GDI in the colours of the program's visual style.
//
// Minimized (the hide-elements flag), only the tab row shows; clicking a category's tab then shows its panels
// over the frame until the user acts or clicks elsewhere. Double-clicking a tab or the tab row's context menu
// minimizes and restores it too. The minimized state is kept with the workspace.
//
// Keyboard: Alt or F10 moves the focus to the ribbon (arrows and Tab move between elements, Enter or Space
// runs one, Down opens its drop-down, Escape leaves); Alt with a key tip letter runs the application button
// or selects a category directly.
//
// Commands go to the bar's parent frame as WM_COMMAND with notification code 0, so they take the frame's
// command routing; enabled and checked states come back through UpdateCommandStates.
#include "framework/CommandTarget.h"
#include "framework/ImageStrip.h"
#include "framework/RibbonAccessible.h"
#include "framework/RibbonCategory.h"
#include "framework/RibbonColours.h"
#include "framework/RibbonComboBox.h"
#include "framework/RibbonMetrics.h"
#include "framework/Window.h"

#include <memory>
#include <string>
#include <vector>

namespace movalent {

class RibbonBar : public Window, public CommandStateDisplay {
public:
    RibbonBar();
    ~RibbonBar() override;

    bool CreateBar(HWND parent, UINT id);
    int Height() const;
    // The pixel density the bar is drawn at: its measures, font and pictures follow it. Taken from the parent
    // when the bar is made; the frame hands a new one over when the window moves to another display.
    void SetDpi(int dpi);
    int Dpi() const { return metrics_.dpi; }
    const ribbon::Metrics& Measures() const { return metrics_; }
    // Docks the bar at the top of area and takes its height off it.
    void Place(RECT& area);
    void RecalcLayout();

    // The application button: its picture (32-bit bitmap resources), text ("\nk" gives key tip k),
    // tooltip and size at 96 dots per inch.
    void SetApplicationButton(const ScaledImages& images, const std::wstring& text, const std::wstring& toolTip,
                              SIZE size);
    RibbonElement& ApplicationButton() { return appButton_; }
    // The application menu's category; its elements are the menu's commands.
    RibbonCategory* AddMainCategory(const std::wstring& name, const ScaledImages& smallImages,
                                    const ScaledImages& largeImages);
    RibbonCategory* MainCategory() const { return main_.get(); }

    RibbonCategory* AddCategory(const std::wstring& name, const ScaledImages& smallImages,
                                const ScaledImages& largeImages);
    size_t CategoryCount() const { return categories_.size(); }
    RibbonCategory* Category(size_t index) const;
    RibbonCategory* ActiveCategory() const { return active_; }
    void SetActiveCategory(RibbonCategory* category);

    // An element at the right end of the tab row; added from the right edge leftwards in reverse, so the last
    // one added is rightmost.
    RibbonElement* AddToTabs(std::unique_ptr<RibbonElement> element);
    const std::vector<std::unique_ptr<RibbonElement>>& TabElements() const { return tabElements_; }
    // The quick access toolbar: buttons for these commands, with the image of the ribbon's own element for
    // each.
    void SetQuickAccessCommands(const std::vector<int>& ids);
    const std::vector<std::unique_ptr<RibbonElement>>& QuickAccess() const { return quickAccess_; }
    // The images collapsed panels show.
    void SetPanelImages(const ScaledImages& images);
    const ImageStrip& PanelImages() const { return panelStrip_; }

    void SetColours(const RibbonColours& colours);
    const RibbonColours& Colours() const { return colours_; }

    // Minimized: the elements of the categories are hidden and only the tab row shows.
    bool HideElements() const { return hideElements_; }
    void SetHideElements(bool hide);
    // Lays out the frame the bar sits in, after the bar's height changed.
    void RecalcParentLayout() const;
    // The workspace's copy of the minimized state.
    void LoadState();
    void SaveState() const;

    // The element at a point of the client area: a category's tab, a panel's button, a tab-row element, the
    // application button or a quick access button; null for none.
    RibbonElement* HitTest(POINT point) const;
    RibbonElement* FindById(int id) const;

    // Shows an element's sub-items as a popup menu beside it and runs the command chosen.
    void ShowSubItemsMenu(RibbonElement& element);
    // Shows a list of texts as a menu under element; the index chosen, or -1.
    int ShowListMenu(RibbonElement& element, const std::vector<std::wstring>& items);
    void ShowApplicationMenu();

    // An element's text or content changed: lay out and draw again.
    void OnElementChanged(RibbonElement& element);

    void UpdateCommandStates(CommandTarget& router) override;
    bool PreTranslateMessage(MSG& msg) override;
    // Alt with key (0 for Alt alone or F10), forwarded by the frame, which has no menu bar of its own. False
    // when no key tip of the ribbon is key (the frame then lets the system have it: Alt+Space, a page's
    // keys).
    bool OnKeyMenu(wchar_t key);

protected:
    // A left button press on the client area; the framework's processing: select a tab, press a button, open
    // a drop-down, minimize or restore on a double click of a tab.
    virtual void OnLButtonDown(POINT point);
    // After the ribbon was minimized or restored, whichever way (toggle, double-click, stored state).
    virtual void OnHideElementsChanged() {}
    // The tab row's context menu: minimize or restore.
    virtual void OnShowContextMenu(POINT screenPoint);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Screen readers' objects read the bar's elements and layout and act through its own input paths.
    friend class RibbonAccessible;

    // Layout (RibbonBarLayout.cpp).
    void LayoutTabRow(HDC dc, int width);
    void LayoutPanels(HDC dc, int width);
    int LargeButtonWidth(HDC dc, const RibbonElement& element) const;
    int TabElementWidth(HDC dc, const RibbonElement& element) const;
    void UpdateTooltips();
    std::vector<RibbonElement*> FocusOrder() const;
    std::vector<RibbonElement*> ShownElements() const;

    // Drawing (RibbonBarPaint.cpp).
    void Paint(HDC dc) const;
    void PaintTabRow(HDC dc) const;
    void PaintPanels(HDC dc) const;
    void PaintLargeButton(HDC dc, const RibbonElement& element, const ImageStrip* strip, int image) const;
    void PaintTabElement(HDC dc, const RibbonElement& element) const;
    // True when it drew the pressed (or checked) face, whose labels take the pressed text colour.
    bool PaintButtonFace(HDC dc, const RECT& rect, const RibbonElement& element) const;
    void PaintApplicationButton(HDC dc) const;

    // Input.
    void OnMouseMove(POINT point);
    void OnLButtonUp(POINT point);
    void OnKeyDown(UINT key);
    void Execute(RibbonElement& element);
    void Activate(RibbonElement& element, bool openDropDown);
    RECT ArrowPart(const RibbonElement& element) const;
    bool InArrowPart(const RibbonElement& element, POINT point) const;
    // The framework's own minimizing and restoring (a double click on a tab, the context menu).
    void ToggleHideElements();
    void SetHot(RibbonElement* element);
    void InvalidateElement(const RibbonElement& element);
    void EnterKeyboardMode(RibbonElement* start);
    void LeaveKeyboardMode(bool restoreFocus);
    void BeginPeek();
    void EndPeek();
    void SendCommand(int id) const;
    LRESULT OnQuery(WPARAM wParam, LPARAM lParam);
    LRESULT OnNotify(const NMHDR& header);

    // Menus (RibbonBarMenus.cpp).
    int TrackMenu(HMENU menu, const RECT& exclude, bool rightAlign, bool beside);
    // Menu items for elements, with their small pictures (a system menu gives a large one no room of its
    // own).
    void AppendItems(HMENU menu, const std::vector<RibbonElement*>& items,
                     std::vector<UniqueGdiObject>& bitmaps) const;
    static std::vector<RibbonElement*> Pointers(const std::vector<std::unique_ptr<RibbonElement>>& items);
    const ImageStrip* StripOf(const RibbonElement& element, bool large) const;

    RibbonElement appButton_{0, L""};
    ImageStrip appImage_;
    ScaledImages appImages_;
    SIZE appSize_ = {45, 45}; // at 96 dots per inch
    std::unique_ptr<RibbonCategory> main_;
    std::vector<std::unique_ptr<RibbonCategory>> categories_;
    std::vector<std::unique_ptr<RibbonElement>> tabElements_;
    std::vector<std::unique_ptr<RibbonElement>> quickAccess_;
    RibbonCategory* active_ = nullptr;
    ScaledImages panelImages_;
    ImageStrip panelStrip_;
    RibbonColours colours_;
    UniqueGdiObject font_;
    ribbon::Metrics metrics_;
    bool hideElements_ = false;
    bool peeking_ = false;
    bool doubleClick_ = false;
    RECT panelArea_ = {};

    RibbonElement* hot_ = nullptr;
    RibbonElement* pressed_ = nullptr;
    RibbonElement* dropped_ = nullptr; // whose menu is open
    RibbonElement* focused_ = nullptr; // keyboard mode
    HWND focusBefore_ = nullptr;
    bool trackingLeave_ = false;

    HWND tooltips_ = nullptr; // destroyed with the bar
    std::vector<RibbonElement*> tipElements_;
    std::wstring tipText_; // what the tooltip shows now; it reads the text after the notification returns
    std::vector<std::wstring> openMenuItems_; // what the open (or last) popup menu shows, for inspection
    AccessibleHost accessible_{[this](const std::shared_ptr<AccessibleLink>& link) {
        return MakeRibbonAccessible(*this, link);
    }};
};

} // namespace movalent
