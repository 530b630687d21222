#include "shell/OptionsLanguagePageDlg.h"

#include "app/LanguageTable.h"
#include "app/Localisation.h"
#include "shell/MovalentApp.h"
#include "app/OptionsChoices.h"
#include "framework/ModulePaths.h"
#include "resource.h"

namespace movalent {

namespace {

// Language files are named relative to the program's folder; start-up made it the current directory, but
// anything since (a file dialog) may have moved it.
void EnterProgramFolder() {
    if (const std::wstring folder = ProgramFolder(); !folder.empty())
        ::SetCurrentDirectoryW((folder + L"\\").c_str());
}

} // namespace

COptionsLanguagePageDlg::COptionsLanguagePageDlg()
    : PropertyPage(IDD_OPTIONS_LANGUAGE, LocalizedString(IDS_PAGE_LANGUAGE)) {}

bool COptionsLanguagePageDlg::OnInitDialog() {
    PropertyPage::OnInitDialog();
    list_ = Item(IDC_LANGUAGE_LIST);
    SetItemText(IDC_LANGUAGE_PROMPT, LocalizedString(IDS_CHOOSE_LANGUAGE));
    SetItemText(IDC_LANGUAGE_NOTE, LocalizedString(IDS_LANGUAGE_NEXT_START));
    FillLanguageList();
    return true;
}

void COptionsLanguagePageDlg::FillLanguageList() {
    if (!list_)
        return;
    CMovalentApp* app = CMovalentApp::Get();
    std::wstring installDir = app ? app->InstallDir() : std::wstring();
    // The setting as stored now, so a choice made earlier in this session shows when the sheet is opened
    // again.
    unsigned setting = 0;
    if (app && app->Settings())
        setting = static_cast<unsigned>(app->Settings()->ReadInt(kLangIdValue, kDefaultLangId));
    unsigned chosen = ChooseLanguage(setting, ::GetUserDefaultLangID());

    EnterProgramFolder();
    auto readName = [&installDir](const wchar_t* fileName) {
        return ReadLanguageFileString(fileName, installDir, kLanguageNameStringId);
    };
    for (const LanguageChoice& choice : AvailableLanguages(readName, chosen)) {
        // The list is sorted, so an item's place is only known once it is in.
        LRESULT index = ::SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice.name.c_str()));
        if (index < 0)
            continue;
        ::SendMessageW(list_, LB_SETITEMDATA, static_cast<WPARAM>(index), choice.langId);
        if (choice.selected)
            ::SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}

bool COptionsLanguagePageDlg::OnControlNotify(int id, int code, HWND control) {
    if (id != IDC_LANGUAGE_LIST)
        return PropertyPage::OnControlNotify(id, code, control);
    if (code == LBN_SELCHANGE)
        SelectionChanged();
    return true;
}

void COptionsLanguagePageDlg::SelectionChanged() {
    CMovalentApp* app = CMovalentApp::Get();
    LRESULT index = ::SendMessageW(list_, LB_GETCURSEL, 0, 0);
    if (!app || !app->Settings() || index == LB_ERR)
        return;
    LRESULT langId = ::SendMessageW(list_, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    app->Settings()->WriteInt(kLangIdValue, static_cast<int>(langId));
}

} // namespace movalent
