#pragma once
// Options, Advanced page: switches for the window.external object and the engines' filter feature, both
// acting at once.
#include "framework/PropertySheet.h"

namespace movalent {

class COptionsAdvancedPageDlg : public PropertyPage {
public:
    COptionsAdvancedPageDlg();

protected:
    bool OnInitDialog() override;
    bool OnControlNotify(int id, int code, HWND control) override;

private:
    bool Checked(int id) const;
};

} // namespace movalent
