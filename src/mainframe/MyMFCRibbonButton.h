#pragma once
// The program's ribbon buttons: tooltips and descriptions from the commands' translated strings, history
// menus for Previous and Next built from the active tab at each opening, and drop-down labels translated the
// first time a menu opens.
#include "framework/RibbonElement.h"

namespace movalent {

// Tooltip and description of a command element from its string: nothing for elements without a command or a
// string.
void UpdateCommandTooltip(RibbonElement& element);

class CMyMFCRibbonButton : public RibbonButton {
public:
    using RibbonButton::RibbonButton;

    void OnShowPopupMenu() override;
    void UpdateTooltipInfo() override { UpdateCommandTooltip(*this); }

private:
    // False until the sub-items took their translated labels.
    bool subItemLabelsDone_ = false;
};

class CMyMFCRibbonMainPanelButton : public RibbonMenuBottomButton {
public:
    using RibbonMenuBottomButton::RibbonMenuBottomButton;
    void UpdateTooltipInfo() override { UpdateCommandTooltip(*this); }
};

} // namespace movalent
