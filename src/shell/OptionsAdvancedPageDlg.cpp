#include "shell/OptionsAdvancedPageDlg.h"

#include "app/LanguageTable.h"
#include "shell/MovalentApp.h"
#include "engine/EngineLoader.h"
#include "resource.h"

namespace movalent {

COptionsAdvancedPageDlg::COptionsAdvancedPageDlg()
    : PropertyPage(IDD_OPTIONS_ADVANCED, LocalizedString(IDS_PAGE_ADVANCED)) {}

bool COptionsAdvancedPageDlg::OnInitDialog() {
    PropertyPage::OnInitDialog();
    SetItemText(IDC_EXPERIMENTAL_GROUP, LocalizedString(IDS_EXPERIMENTAL_FEATURES));
    SetItemText(IDC_DISABLE_WINDOW_EXTERNAL, LocalizedString(IDS_DISABLE_WINDOW_EXTERNAL));
    SetItemText(IDC_DISABLE_FILTERS, LocalizedString(IDS_DISABLE_FILTERS));
    if (CMovalentApp* app = CMovalentApp::Get()) {
        ::CheckDlgButton(Handle(), IDC_DISABLE_WINDOW_EXTERNAL,
                         app->WindowExternalDisabled() ? BST_CHECKED : BST_UNCHECKED);
        ::CheckDlgButton(Handle(), IDC_DISABLE_FILTERS, app->FiltersDisabled() ? BST_CHECKED : BST_UNCHECKED);
    }
    return true;
}

bool COptionsAdvancedPageDlg::Checked(int id) const {
    return ::IsDlgButtonChecked(Handle(), id) == BST_CHECKED;
}

bool COptionsAdvancedPageDlg::OnControlNotify(int id, int code, HWND control) {
    if (id != IDC_DISABLE_WINDOW_EXTERNAL && id != IDC_DISABLE_FILTERS)
        return PropertyPage::OnControlNotify(id, code, control);
    CMovalentApp* app = CMovalentApp::Get();
    if (code != BN_CLICKED || !app)
        return true;
    bool disabled = Checked(id);
    if (id == IDC_DISABLE_WINDOW_EXTERNAL) {
        // Pages loaded from now on get no window.external object.
        app->SetWindowExternalDisabled(disabled);
        if (app->Settings())
            app->Settings()->WriteInt(kDisableWindowExternalValue, disabled ? 1 : 0);
    } else {
        app->SetFiltersDisabled(disabled);
        SetEngineFiltersDisabled(disabled);
        if (app->Settings())
            app->Settings()->WriteInt(kDisableFiltersValue, disabled ? 1 : 0);
    }
    return true;
}

} // namespace movalent
