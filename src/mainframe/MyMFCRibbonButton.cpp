#include "mainframe/MyMFCRibbonButton.h"

#include "framework/ResourceStrings.h"
#include "framework/RibbonLayoutRules.h"
#include "mainframe/MainFrame.h"
#include "mainframe/MyMFCRibbonBar.h"
#include "mainframe/RibbonStrings.h"
#include "resource.h"
#include "tabs/MovalentView.h"

namespace movalent {

namespace {

constexpr size_t kRefreshSeparatorPosition = 2;

CMovalentView* ActiveTabView(CMainFrame& frame) {
    return dynamic_cast<CMovalentView*>(frame.ActiveView());
}

} // namespace

void UpdateCommandTooltip(RibbonElement& element) {
    if (!element.SendsCommand())
        return;
    std::wstring text = FrameworkString(static_cast<unsigned>(element.Id()));
    if (text.empty())
        return;
    CommandTip tip = CommandTipFromString(text);
    element.SetToolTipText(tip.tooltip);
    element.SetDescription(tip.description);
}

void CMyMFCRibbonButton::OnShowPopupMenu() {
    // The frame of the ribbon the button sits on, not whatever the application calls its main window.
    auto* bar = dynamic_cast<CMyMFCRibbonBar*>(Bar());
    if (!bar || !bar->Frame().Handle())
        return;
    if (Id() == ID_NAV_PREVIOUS || Id() == ID_NAV_NEXT) {
        CMovalentView* view = ActiveTabView(bar->Frame());
        if (!view)
            return;
        const TabHistory& history = view->History();
        std::vector<const CHistoryObj*> entries =
            Id() == ID_NAV_PREVIOUS ? history.BackList() : history.ForwardList();
        if (entries.empty())
            return;
        RemoveAllSubItems();
        for (const CHistoryObj* entry : entries) {
            // A page without a title is named by its address; "&" in either is shown as it is.
            const std::wstring& text = entry->title.empty() ? entry->url : entry->title;
            AddSubItem(std::make_unique<RibbonButton>(static_cast<int>(entry->commandId),
                                                      WithLiteralAmpersands(text)));
        }
    } else if (Id() != ID_FAVORITES && !subItemLabelsDone_) {
        subItemLabelsDone_ = true;
        for (const auto& item : SubItems())
            if (item->SendsCommand())
                if (std::wstring text = FrameworkString(static_cast<unsigned>(item->Id())); !text.empty())
                    item->SetText(text);
        if (Id() == ID_NAV_REFRESH && SubItems().size() > kRefreshSeparatorPosition)
            AddSubItem(std::make_unique<RibbonSeparator>(), static_cast<int>(kRefreshSeparatorPosition));
    }
    RibbonButton::OnShowPopupMenu();
}

} // namespace movalent
