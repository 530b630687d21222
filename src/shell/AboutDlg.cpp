#include "shell/AboutDlg.h"

#include "app/LanguageTable.h"
#include "app/MakerAddresses.h"
#include "app/TextFormat.h"
#include "app/VersionInfo.h"
#include "shell/VersionNames.h"
#include "engine/EngineFolderScan.h"
#include "engine/EngineLoader.h"
#include "framework/ModulePaths.h"
#include "framework/ShellOpen.h"
#include "resource.h"

#include <commctrl.h>

#include <vector>

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

// The version's state; an available one names the HTML engine file its tabs use and that file's version, a
// missing one the files it lacks.
std::wstring EngineLine(IEVERSION version, const std::wstring& programFolder) {
    const std::wstring name = EngineVersionName(version);
    const EngineAbsence absence = WhyEngineUnavailable(version);
    if (absence == EngineAbsence::None) {
        const HMODULE module = LoadedMshtml(version);
        const std::wstring path = module != nullptr ? ModuleFilePath(module) : std::wstring();
        if (const std::wstring fileVersion = path.empty() ? path : FileVersionText(path); !fileVersion.empty())
            return FillText(LocalizedString(IDS_ENGINE_LOADED), name, FileNameOf(path), fileVersion);
    } else if (absence == EngineAbsence::NoFiles) {
        if (const std::vector<std::wstring> missing = MissingEngineFiles(version, programFolder); !missing.empty())
            return FillText(LocalizedString(IDS_ENGINE_FILES_MISSING), name, JoinedWithCommas(missing));
    }
    std::wstring line = FillText(LocalizedString(EngineLineFormat(absence)), name);
    ReplaceFirst(line, L"%d", std::to_wstring(sizeof(void*) * 8));
    return line;
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
    const std::wstring programFolder = ProgramFolder();
    std::wstring list;
    for (IEVERSION version : {IE_55, IE_6, IE_7, IE_8, IE_DEFAULT})
        list += (list.empty() ? L"" : L"\r\n") + EngineLine(version, programFolder);
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
