#include "mainframe/MyMFCRibbonStatusBar.h"

#include "framework/Handles.h"
#include "framework/ResourceStrings.h"
#include "framework/StatusBarLayout.h"
#include "resource.h"

namespace movalent {

std::wstring CMyMFCRibbonStatusBarCustomizeButton::MenuText() const {
    return StatusBarMenuItemText(element_->Label(), element_->Text());
}

void CMyMFCRibbonStatusBarCustomizeButton::OnClick(StatusBar& bar) const {
    element_->SetVisible(!element_->Visible());
    bar.RecalcLayout();
    ::RedrawWindow(bar.Handle(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    if (HWND frame = ::GetAncestor(bar.Handle(), GA_ROOT))
        ::RedrawWindow(frame, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

void CMyMFCRibbonStatusBar::BuildCustomizeButtons() {
    title_ = FrameworkString(IDS_STATUS_BAR_CONFIGURATION);
    std::vector<bool> ordinary(OrdinaryCount(), false);
    std::vector<bool> extended(ExtendedCount(), false);
    for (const StatusBarMenuEntry& entry : StatusBarMenuEntries(ordinary, extended)) {
        StatusBarElement* element = nullptr;
        if (entry.kind == StatusBarMenuEntry::Kind::Element)
            element = entry.extended ? Extended(entry.index) : Ordinary(entry.index);
        if (entry.kind == StatusBarMenuEntry::Kind::Title)
            buttons_.push_back(nullptr);
        else
            buttons_.push_back(element ? std::make_unique<CMyMFCRibbonStatusBarCustomizeButton>(element)
                                       : nullptr);
    }
    built_ = true;
}

void CMyMFCRibbonStatusBar::OnShowContextMenu(POINT screenPoint) {
    if (!built_)
        BuildCustomizeButtons();
    UniqueMenu menu(::CreatePopupMenu());
    if (!menu)
        return;
    // Item ids are positions in the list plus one; 0 is what the menu answers when nothing was chosen.
    for (size_t i = 0; i < buttons_.size(); ++i) {
        const auto& button = buttons_[i];
        MENUITEMINFOW item = {};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING;
        item.wID = static_cast<UINT>(i + 1);
        std::wstring text;
        if (i == 0) {
            text = title_;
            item.fState = MFS_DISABLED | MFS_DEFAULT;
        } else if (!button) {
            item.fMask = MIIM_FTYPE | MIIM_ID;
            item.fType = MFT_SEPARATOR;
        } else {
            text = button->MenuText();
            item.fState = button->Checked() ? MFS_CHECKED : MFS_UNCHECKED;
        }
        item.dwTypeData = text.data();
        ::InsertMenuItemW(menu.get(), static_cast<UINT>(i), TRUE, &item);
    }
    UINT chosen = static_cast<UINT>(::TrackPopupMenu(
        menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON,
        screenPoint.x, screenPoint.y, 0, Handle(), nullptr));
    if (chosen >= 1 && chosen <= buttons_.size() && buttons_[chosen - 1])
        buttons_[chosen - 1]->OnClick(*this);
}

} // namespace movalent
