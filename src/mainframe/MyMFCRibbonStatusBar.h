#pragma once
// The main window's status bar (the elements are set up by the frame's BuildStatusBar) with its configuration
// menu: a right click lists every element with its current text, checked while it is shown; choosing one
// shows or hides it.
#include "framework/StatusBar.h"

#include <memory>
#include <string>
#include <vector>

namespace movalent {

// One line of the configuration menu, for one element of the bar (which it does not own).
class CMyMFCRibbonStatusBarCustomizeButton {
public:
    explicit CMyMFCRibbonStatusBarCustomizeButton(StatusBarElement* element) : element_(element) {}

    StatusBarElement* Element() const { return element_; }
    // The label, a tab and the element's text as it is at this moment.
    std::wstring MenuText() const;
    bool Checked() const { return element_->Visible(); }
    // Shows or hides the element and redraws the bar and the frame around it.
    void OnClick(StatusBar& bar) const;

private:
    StatusBarElement* element_;
};

class CMyMFCRibbonStatusBar : public StatusBar {
public:
    // Built at the first right click and kept; null entries are separators, the first entry is the title.
    const std::vector<std::unique_ptr<CMyMFCRibbonStatusBarCustomizeButton>>& CustomizeButtons() const {
        return buttons_;
    }

protected:
    void OnShowContextMenu(POINT screenPoint) override;

private:
    void BuildCustomizeButtons();

    std::wstring title_;
    std::vector<std::unique_ptr<CMyMFCRibbonStatusBarCustomizeButton>> buttons_;
    bool built_ = false;
};

} // namespace movalent
