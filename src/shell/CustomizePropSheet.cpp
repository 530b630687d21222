#include "shell/CustomizePropSheet.h"

#include "app/LanguageTable.h"
#include "resource.h"

namespace movalent {

CCustomizePropSheet::CCustomizePropSheet() : PropertySheet(LocalizedString(IDS_OPTIONS_CAPTION)) {
    AddPage(general_);
    AddPage(language_);
    AddPage(advanced_);
}

void CCustomizePropSheet::OnInitDialog() {
    HWND apply = Item(IDC_SHEET_APPLY);
    for (int id : {IDCANCEL, IDC_SHEET_APPLY, IDC_SHEET_HELP})
        if (HWND button = Item(id))
            ::ShowWindow(button, SW_HIDE);
    HWND close = Item(IDOK);
    if (!close)
        return;
    ::SetWindowTextW(close, LocalizedString(IDS_CLOSE).c_str());
    // The one remaining button takes the corner the Apply button would have held.
    if (apply) {
        RECT place;
        ::GetWindowRect(apply, &place);
        ::MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&place), 2);
        ::MoveWindow(close, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
    }
}

} // namespace movalent
