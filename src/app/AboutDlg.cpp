#include "app/AboutDlg.h"

#include "app/LanguageTable.h"
#include "app/MakerAddresses.h"
#include "app/TextFormat.h"
#include "app/VersionInfo.h"
#include "engine/EngineLoader.h"
#include "framework/DocumentString.h"
#include "framework/Shell.h"
#include "resource.h"
#include "tabs/TabTemplateIds.h"

#include <commctrl.h>

namespace movalent {
namespace {

unsigned EngineLineFormat(EngineAbsence absence) {
    switch (absence) {
    case EngineAbsence::None:
        return IDS_ENGINE_AVAILABLE;
    case EngineAbsence::OtherArchitecture:
        return IDS_ENGINE_OTHER_PROCESSOR;
    case EngineAbsence::NoBuildForArchitecture:
        return IDS_ENGINE_ONLY_32BIT;
    default:
        return IDS_ENGINE_NO_FILES;
    }
}

} // namespace

CAboutDlg::CAboutDlg() : Dialog(IDD_ABOUT_BOX) {}

std::wstring CAboutDlg::LinkMarkup(const std::wstring& homePage, const std::wstring& version) {
    return L"<a href=\"" + homePage + L"\">Movalent v" + version + L"</a>";
}

bool CAboutDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    SetItemText(IDC_ABOUT_LINK, LinkMarkup(ProjectHomePage(), GetProgramVersionString()));
    SetText(LocalizedString(IDS_ABOUT_CAPTION));
    SetItemText(IDC_ABOUT_ENGINES, EngineList());
    return true;
}

std::wstring CAboutDlg::EngineList() {
    std::wstring list;
    for (IEVERSION version : {IE_55, IE_6, IE_7, IE_8, IE_DEFAULT}) {
        std::wstring line = LocalizedString(EngineLineFormat(WhyEngineUnavailable(version)));
        const std::wstring name = DocStringPart(LocalizedString(TemplateResourceForVersion(version)),
                                                DocStringField::DocumentName);
        ReplaceFirst(line, L"%s", name);
        ReplaceFirst(line, L"%d", std::to_wstring(sizeof(void*) * 8));
        list += (list.empty() ? L"" : L"\r\n") + line;
    }
    return list;
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
