#include "shell/OptionsGeneralPageDlg.h"

#include "app/LanguageTable.h"
#include "app/MakerAddresses.h"
#include "shell/MovalentApp.h"
#include "app/OptionsChoices.h"
#include "app/VersionInfo.h"
#include "resource.h"

#include <commctrl.h>

namespace movalent {

COptionsGeneralPageDlg::COptionsGeneralPageDlg()
    : PropertyPage(IDD_OPTIONS_GENERAL, LocalizedString(IDS_PAGE_GENERAL)) {}

bool COptionsGeneralPageDlg::OnInitDialog() {
    PropertyPage::OnInitDialog();
    homePageEdit_ = Item(IDC_HOME_PAGE_EDIT);
    searchCombo_ = Item(IDC_SEARCH_BEHAVIOUR);
    for (auto [id, text] :
         {std::pair{IDC_HOME_PAGE_GROUP, IDS_HOME_PAGE_GROUP}, std::pair{IDC_BLANK_PAGE, IDS_BLANK_PAGE},
          std::pair{IDC_DEFAULT_HOME, IDS_DEFAULT_HOME},
          std::pair{IDC_WEB_SEARCH_GROUP, IDS_WEB_SEARCH_GROUP}})
        SetItemText(id, LocalizedString(text));

    CMovalentApp* app = CMovalentApp::Get();
    if (searchCombo_) {
        for (const SearchChoice& choice : SearchChoices()) {
            std::wstring label = LocalizedString(choice.labelId);
            LRESULT index =
                ::SendMessageW(searchCombo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label.c_str()));
            if (index >= 0)
                ::SendMessageW(searchCombo_, CB_SETITEMDATA, static_cast<WPARAM>(index), choice.behaviour);
        }
        int current = app ? static_cast<int>(app->GetSearchBehaviour()) : -1;
        ::SendMessageW(searchCombo_, CB_SETCURSEL, static_cast<WPARAM>(SearchChoiceIndex(current)), 0);
    }

    if (homePageEdit_) {
        std::wstring cue = LocalizedString(IDS_HOME_PAGE_CUE);
        ::SendMessageW(homePageEdit_, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(cue.c_str()));
        ::SendMessageW(homePageEdit_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
        // The stored value, not the application's home page: with nothing stored the box stays empty and
        // shows the cue instead of the default address.
        std::wstring stored;
        if (app && app->Settings())
            stored = app->Settings()->ReadString(kHomePageValue, std::wstring());
        filling_ = true;
        ::SetWindowTextW(homePageEdit_, stored.c_str());
        filling_ = false;
    }
    return true;
}

bool COptionsGeneralPageDlg::OnControlNotify(int id, int code, HWND control) {
    switch (id) {
    case IDC_HOME_PAGE_EDIT:
        if (code == EN_CHANGE && !filling_)
            HomePageEdited();
        return true;
    case IDC_BLANK_PAGE:
        // Both buttons only change the box; its change notification stores the result.
        if (code == BN_CLICKED && homePageEdit_)
            ::SetWindowTextW(homePageEdit_, L"about:blank");
        return true;
    case IDC_DEFAULT_HOME:
        if (code == BN_CLICKED && homePageEdit_)
            ::SetWindowTextW(homePageEdit_, L"");
        return true;
    case IDC_SEARCH_BEHAVIOUR:
        if (code == CBN_SELCHANGE)
            SearchChoiceChanged();
        return true;
    default:
        return PropertyPage::OnControlNotify(id, code, control);
    }
}

void COptionsGeneralPageDlg::HomePageEdited() {
    CMovalentApp* app = CMovalentApp::Get();
    if (!app || !app->Settings())
        return;
    std::wstring homePage = ApplyHomePageEdit(*app->Settings(), ItemText(IDC_HOME_PAGE_EDIT),
                                              DefaultHomePage(GetProgramVersionString()));
    app->SetHomePage(homePage);
}

void COptionsGeneralPageDlg::SearchChoiceChanged() {
    CMovalentApp* app = CMovalentApp::Get();
    LRESULT index = ::SendMessageW(searchCombo_, CB_GETCURSEL, 0, 0);
    if (!app || index == CB_ERR)
        return;
    int behaviour =
        static_cast<int>(::SendMessageW(searchCombo_, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
    app->SetSearchBehaviour(static_cast<SearchBehaviour>(behaviour));
    if (app->Settings())
        app->Settings()->WriteInt(kSearchBehaviourValue, behaviour);
}

} // namespace movalent
