#pragma once
// Options, Language page: the languages whose files are installed, each under its own name. A choice is
// stored for the next start; the running program keeps its language.
#include "framework/PropertySheet.h"

namespace movalent {

class COptionsLanguagePageDlg : public PropertyPage {
public:
    COptionsLanguagePageDlg();

protected:
    bool OnInitDialog() override;
    bool OnControlNotify(int id, int code, HWND control) override;

private:
    void FillLanguageList();
    void SelectionChanged();

    HWND list_ = nullptr;
};

} // namespace movalent
