#pragma once
// The about box: the program's icon, a line of text, and a link to the project's home page that names the
// program's version.
#include "framework/Dialog.h"

namespace movalent {

class CAboutDlg : public Dialog {
public:
    CAboutDlg();

    // The link's markup: an anchor to the project home page reading "Movalent v<version>".
    static std::wstring LinkMarkup(const std::wstring& homePage, const std::wstring& version);

protected:
    bool OnInitDialog() override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;
};

} // namespace movalent
