#pragma once
// The options sheet. Its pages apply and store every change the moment it is made, so the sheet has nothing
// to confirm or undo: its only button is "Close".
#include "shell/OptionsAdvancedPageDlg.h"
#include "shell/OptionsGeneralPageDlg.h"
#include "shell/OptionsLanguagePageDlg.h"
#include "framework/PropertySheet.h"

namespace movalent {

class CCustomizePropSheet : public PropertySheet {
public:
    CCustomizePropSheet();

protected:
    void OnInitDialog() override;

private:
    COptionsGeneralPageDlg general_;
    COptionsLanguagePageDlg language_;
    COptionsAdvancedPageDlg advanced_;
};

} // namespace movalent
