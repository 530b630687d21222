#include "mainframe/MyMFCRibbonBar.h"

#include "app/LanguageTable.h"
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
    const bool wasMinimized = HideElements();
    SetHideElements(!wasMinimized);
    const bool shown = wasMinimized;
    if (RibbonCategory* active = ActiveCategory())
        for (const auto& panel : active->Panels())
            for (const auto& element : panel->Elements())
                element->SetVisible(shown && !::IsRectEmpty(&element->Rect()));
    if (RibbonCategory* toggle = frame_.RibbonToggleCategory())
        toggle->SetName(LocalizedString(shown ? IDS_MINIMIZE_RIBBON : IDS_SHOW_RIBBON));
    RecalcParentLayout();
}

} // namespace movalent
