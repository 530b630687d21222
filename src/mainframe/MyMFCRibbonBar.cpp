#include "mainframe/MyMFCRibbonBar.h"

#include "framework/ResourceStrings.h"
#include "mainframe/MainFrame.h"
#include "resource.h"

namespace movalent {

void CMyMFCRibbonBar::OnLButtonDown(POINT point) {
    RibbonElement* element = HitTest(point);
    RibbonCategory* toggle = frame_.RibbonToggleCategory();
    if (element && toggle && element->ParentCategory() == toggle) {
        ToggleRibbonMinimized();
        return;
    }
    RibbonBar::OnLButtonDown(point);
}

void CMyMFCRibbonBar::ToggleRibbonMinimized() {
    SetHideElements(!HideElements());
    RecalcParentLayout();
}

void CMyMFCRibbonBar::OnHideElementsChanged() {
    const bool shown = !HideElements();
    if (RibbonCategory* active = ActiveCategory())
        for (const auto& panel : active->Panels())
            for (const auto& element : panel->Elements())
                element->SetVisible(shown && !::IsRectEmpty(&element->Rect()));
    // The toggle tab says what its next click does, however the ribbon got where it is.
    if (RibbonCategory* toggle = frame_.RibbonToggleCategory())
        toggle->SetName(FrameworkString(shown ? IDS_MINIMIZE_RIBBON : IDS_SHOW_RIBBON));
}

} // namespace movalent
