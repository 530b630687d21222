#pragma once
// Options, General page: the home page and where a web search opens.
#include "framework/PropertySheet.h"

namespace movalent {

class COptionsGeneralPageDlg : public PropertyPage {
public:
    COptionsGeneralPageDlg();

protected:
    bool OnInitDialog() override;
    bool OnControlNotify(int id, int code, HWND control) override;

private:
    void HomePageEdited();
    void SearchChoiceChanged();

    HWND homePageEdit_ = nullptr;
    HWND searchCombo_ = nullptr;
    // While the page fills the box itself, the text is not a change of the user's.
    bool filling_ = false;
};

} // namespace movalent
