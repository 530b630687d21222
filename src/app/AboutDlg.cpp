#include "app/AboutDlg.h"

#include "app/LanguageTable.h"
#include "app/MakerAddresses.h"
#include "app/VersionInfo.h"
#include "framework/Shell.h"
#include "resource.h"

#include <commctrl.h>

namespace movalent {

CAboutDlg::CAboutDlg() : Dialog(IDD_ABOUT_BOX) {}

std::wstring CAboutDlg::LinkMarkup(const std::wstring& homePage, const std::wstring& version) {
    return L"<a href=\"" + homePage + L"\">Movalent v" + version + L"</a>";
}

bool CAboutDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    SetItemText(IDC_ABOUT_LINK, LinkMarkup(ProjectHomePage(), GetProgramVersionString()));
    SetText(LocalizedString(IDS_ABOUT_CAPTION));
    return true;
}

bool CAboutDlg::OnNotify(const NMHDR& header, LRESULT& result) {
    if (header.idFrom == IDC_ABOUT_LINK && (header.code == NM_CLICK || header.code == NM_RETURN)) {
        ShellOpen(ProjectHomePage());
        result = 0;
        return true;
    }
    return Dialog::OnNotify(header, result);
}

} // namespace movalent
