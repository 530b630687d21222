#pragma once
// The row of tabs above the MDI client: one tab per child frame with its document icon and caption, a close
// button on the active tab, and the list of all tabs behind a button at the right end. Tabs are dragged to
// reorder them.
#include "framework/Handles.h"
#include "framework/TabLayout.h"
#include "framework/TabRowAccessible.h"
#include "framework/Window.h"

#include <map>
#include <vector>

namespace movalent {

class TabbedMainFrame;

class TabRow : public Window {
public:
    explicit TabRow(TabbedMainFrame& frame);
    ~TabRow() override;

    bool CreateRow(HWND parent);
    int Height() const;
    // The pixel density the row is drawn at (its measures and font); the parent's when the row is made.
    void SetDpi(int dpi);
    int Dpi() const { return metrics_.dpi; }

    // 0: no limit. Recalculates the layout.
    void SetMaxTabWidth(int width);
    int MaxTabWidth() const { return maxTabWidth_; }
    // Lays the tabs out again from the frame's tab list and repaints.
    void Refresh();

    enum class HitKind { None, Tab, CloseButton, DocumentMenu };
    struct Hit {
        HitKind kind = HitKind::None;
        int index = -1; // the tab, for Tab and CloseButton
    };
    Hit HitTest(POINT point) const;
    const std::vector<RECT>& TabRects() const { return tabRects_; }
    RECT CloseButtonRect() const { return closeButton_; }
    RECT DocumentMenuRect() const { return menuButton_; }

    // The list of tabs as a popup menu under its button; the chosen tab becomes active.
    void ShowDocumentMenu();

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Screen readers' objects read the row's tabs and layout and act as a click does.
    friend class TabRowAccessible;

    void Layout();
    void Paint(HDC dc, const RECT& client);
    void OnButtonDown(POINT point);
    void OnMouseMove(POINT point);
    HICON SizedIcon(HICON icon);

    TabbedMainFrame& frame_;
    UniqueGdiObject font_;
    TabRowMetrics metrics_;
    std::map<HICON, UniqueIcon> sizedIcons_; // the tabs' icons at the row's icon size
    int maxTabWidth_ = 0;
    std::vector<RECT> tabRects_;
    RECT closeButton_ = {};
    RECT menuButton_ = {};
    int dragIndex_ = -1;
    AccessibleHost accessible_{[this](const std::shared_ptr<AccessibleLink>& link) {
        return MakeTabRowAccessible(*this, link);
    }};
};

} // namespace movalent
