#pragma once
// The program's ribbon: a click on the last tab, "Minimize the ribbon" / "Show the ribbon", minimizes or
// restores the ribbon and renames that tab to say what the next click does.
#include "framework/RibbonBar.h"

namespace movalent {

class CMainFrame;

class CMyMFCRibbonBar : public RibbonBar {
public:
    explicit CMyMFCRibbonBar(CMainFrame& frame) : frame_(frame) {}
    void ToggleRibbonMinimized();
    // The frame the ribbon belongs to, for the program's elements on it.
    CMainFrame& Frame() const { return frame_; }

protected:
    void OnLButtonDown(POINT point) override;
    void OnHideElementsChanged() override;

private:
    CMainFrame& frame_;
};

} // namespace movalent
