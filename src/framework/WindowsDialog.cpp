#include "framework/WindowsDialog.h"

#include "framework/ChildFrame.h"
#include "framework/TabbedMainFrame.h"
#include "framework_resource.h"

#include <algorithm>

namespace movalent {

WindowsDialog::WindowsDialog(TabbedMainFrame& frame) : Dialog(IDD_WINDOWS_MANAGER), frame_(frame) {}

bool WindowsDialog::OnInitDialog() {
    Dialog::OnInitDialog();
    FillList();
    return true;
}

void WindowsDialog::FillList() {
    HWND list = Item(IDC_WINDOWS_LIST);
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
    listed_ = frame_.Tabs();
    for (size_t i = 0; i < listed_.size(); ++i) {
        std::wstring caption = listed_[i]->Text();
        ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(caption.c_str()));
        if (listed_[i] == frame_.ActiveChild())
            ::SendMessageW(list, LB_SETSEL, TRUE, static_cast<LPARAM>(i));
    }
    UpdateButtons();
}

std::vector<ChildFrame*> WindowsDialog::SelectedTabs() const {
    HWND list = Item(IDC_WINDOWS_LIST);
    std::vector<ChildFrame*> selected;
    const std::vector<ChildFrame*>& open = frame_.Tabs();
    for (size_t i = 0; i < listed_.size(); ++i) {
        if (::SendMessageW(list, LB_GETSEL, i, 0) > 0 &&
            std::find(open.begin(), open.end(), listed_[i]) != open.end())
            selected.push_back(listed_[i]);
    }
    return selected;
}

void WindowsDialog::UpdateButtons() {
    size_t count = SelectedTabs().size();
    ::EnableWindow(Item(IDC_WINDOWS_ACTIVATE), count == 1);
    ::EnableWindow(Item(IDC_WINDOWS_CLOSE), count > 0);
}

void WindowsDialog::ActivateSelected() {
    std::vector<ChildFrame*> selected = SelectedTabs();
    if (selected.size() != 1)
        return;
    frame_.ActivateTab(selected.front());
    EndDialog(IDOK);
}

void WindowsDialog::CloseSelected() {
    for (ChildFrame* tab : SelectedTabs()) {
        // Each close may take other tabs' state with it; only tabs still open are closed.
        const std::vector<ChildFrame*>& open = frame_.Tabs();
        if (std::find(open.begin(), open.end(), tab) != open.end())
            tab->Send(WM_CLOSE);
    }
    FillList();
}

bool WindowsDialog::OnControlNotify(int id, int code, HWND) {
    switch (id) {
    case IDC_WINDOWS_ACTIVATE:
        if (code == BN_CLICKED)
            ActivateSelected();
        return true;
    case IDC_WINDOWS_CLOSE:
        if (code == BN_CLICKED)
            CloseSelected();
        return true;
    case IDC_WINDOWS_LIST:
        if (code == LBN_SELCHANGE)
            UpdateButtons();
        else if (code == LBN_DBLCLK)
            ActivateSelected();
        return true;
    default:
        return false;
    }
}

} // namespace movalent
