#include "shell/EngineImportFlow.h"

#include "app/LanguageTable.h"
#include "app/TextFormat.h"
#include "shell/VersionNames.h"
#include "engine/EngineFolderScan.h"
#include "engine/EngineLoader.h"
#include "framework/Handles.h"
#include "framework/ModulePaths.h"
#include "framework/MessageBox.h"
#include "resource.h"

#include <shellapi.h>
#include <shlobj.h>

namespace movalent {

namespace {

std::wstring RefusalText(const ImportPlan& plan, const std::wstring& folder) {
    switch (plan.refusal) {
    case ImportRefusal::NoMshtml:
        return FillText(LocalizedString(IDS_IMPORT_NO_MSHTML), folder);
    case ImportRefusal::UnknownVersion:
        return FillText(LocalizedString(IDS_IMPORT_UNKNOWN_VERSION),
                        std::to_wstring(plan.mshtmlMajor) + L"." + std::to_wstring(plan.mshtmlMinor));
    case ImportRefusal::NotForThisProgram:
        return FillText(LocalizedString(IDS_IMPORT_NOT_FOR_PROGRAM), EngineVersionName(plan.version));
    case ImportRefusal::OtherProcessor:
        return FillText(LocalizedString(IDS_IMPORT_OTHER_PROCESSOR), JoinedWithCommas(plan.otherProcessor));
    case ImportRefusal::MixedVersions:
        return FillText(LocalizedString(IDS_IMPORT_MIXED),
                        L"mshtml.dll " + std::to_wstring(plan.mshtmlMajor) + L"." +
                            std::to_wstring(plan.mshtmlMinor) + L", " + JoinedWithCommas(plan.mismatched));
    case ImportRefusal::MissingRequired:
        return FillText(LocalizedString(IDS_IMPORT_MISSING), EngineVersionName(plan.version), JoinedWithCommas(plan.missing));
    case ImportRefusal::None:
        break;
    }
    return {};
}

// The same import again, in a program started with the administrator's rights.
void OfferElevation(HWND owner, const std::wstring& folder) {
    const std::wstring parameters = L"/import-engines " + QuotedArgument(folder);
    ::ShellExecuteW(owner, L"runas", ModuleFilePath().c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL);
}

} // namespace

ImportResult ImportEngineFolder(HWND owner, const std::wstring& folder, bool running) {
    const ImportPlan plan = PlanEngineImport(ScanEngineFolder(folder), sizeof(void*) == 8);
    if (plan.refusal != ImportRefusal::None) {
        ShowMessageBox(owner, RefusalText(plan, folder), MB_OK | MB_ICONEXCLAMATION);
        return ImportResult::Refused;
    }
    const std::wstring programFolder = ProgramFolder();
    const std::wstring version = EngineVersionName(plan.version);
    if (EngineFilesExist(plan, programFolder) &&
        ShowMessageBox(owner, FillText(LocalizedString(IDS_IMPORT_REPLACE), version),
                       MB_YESNO | MB_ICONQUESTION) != IDYES)
        return ImportResult::Cancelled;
    // A version already loaded keeps the files it has until the program starts again.
    const bool loadedBefore = running && IsEngineAvailable(plan.version);

    std::wstring failed;
    switch (CopyEngineFiles(plan, folder, programFolder, &failed)) {
    case CopyOutcome::NotWritable:
        if (ShowMessageBox(owner, FillText(LocalizedString(IDS_IMPORT_NOT_WRITABLE), programFolder),
                           MB_YESNO | MB_ICONEXCLAMATION) == IDYES)
            OfferElevation(owner, folder);
        return ImportResult::Failed;
    case CopyOutcome::Failed:
        ShowMessageBox(owner, FillText(LocalizedString(IDS_IMPORT_FAILED), failed), MB_OK | MB_ICONERROR);
        return ImportResult::Failed;
    case CopyOutcome::Copied:
        break;
    }

    std::vector<std::wstring> copied;
    for (const ImportCopy& copy : plan.copies)
        copied.push_back(copy.to);
    std::wstring report = FillText(LocalizedString(IDS_IMPORT_DONE), version, JoinedWithCommas(copied));
    if (!plan.absentOptional.empty())
        report += L"\n" + FillText(LocalizedString(IDS_IMPORT_OPTIONAL_ABSENT), JoinedWithCommas(plan.absentOptional));
    if (running) {
        const bool now = !loadedBefore && LoadEngineVersionNow(plan.version);
        report +=
            L"\n\n" + FillText(LocalizedString(now ? IDS_IMPORT_AVAILABLE_NOW : IDS_IMPORT_RESTART), version);
    }
    ShowMessageBox(owner, report, MB_OK | MB_ICONINFORMATION);
    return ImportResult::Imported;
}

std::optional<std::wstring> PickEngineFolder(HWND owner) {
#ifdef MOVALENT_TEST_HOOKS
    // Tests stand in for the user at the system's folder picker, which they cannot drive.
    wchar_t chosenByTest[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"MOVALENT_TEST_IMPORT_FOLDER", chosenByTest, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        return std::wstring(chosenByTest, length);
#endif
    const std::wstring prompt = LocalizedString(IDS_IMPORT_CHOOSE_FOLDER);
    BROWSEINFOW browse = {};
    browse.hwndOwner = owner;
    browse.lpszTitle = prompt.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;
    PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&browse);
    if (!chosen)
        return std::nullopt;
    wchar_t path[MAX_PATH] = {};
    const bool ok = ::SHGetPathFromIDListW(chosen, path) != FALSE;
    ::CoTaskMemFree(chosen);
    return ok ? std::optional<std::wstring>(path) : std::nullopt;
}

} // namespace movalent
