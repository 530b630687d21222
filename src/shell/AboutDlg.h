#pragma once
// The about box: the program's icon, a line of text, a link to the project's home page that names the
// program's version, and every engine version with whether its tabs can be opened, or why not.
#include "framework/Dialog.h"

namespace movalent {

class CAboutDlg : public Dialog {
public:
    CAboutDlg();

    // The link's markup: an anchor to the project home page reading "Movalent v<version>".
    static std::wstring LinkMarkup(const std::wstring& homePage, const std::wstring& version);
    // One line per engine version, in the user's language.
    static std::wstring EngineList();

protected:
    bool OnInitDialog() override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;
};

} // namespace movalent
