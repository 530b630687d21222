#include "framework/PropertySheet.h"

#include "framework/Application.h"

#include <commctrl.h>
#include <prsht.h>

namespace movalent {

namespace {

// The sheet being created on this thread and the hook that catches its window. The window is taken over as soon
// as it exists, so the sheet's own WM_INITDIALOG already reaches the object.
thread_local PropertySheet* t_sheet = nullptr;
thread_local HHOOK t_hook = nullptr;

} // namespace

PropertyPage::PropertyPage(UINT templateId, std::wstring title)
    : Dialog(templateId), templateId_(templateId), title_(std::move(title)) {}

void PropertyPage::SetModified(bool changed) {
    if (sheet_ && sheet_->Handle() && Handle())
        sheet_->Send(changed ? PSM_CHANGED : PSM_UNCHANGED, reinterpret_cast<WPARAM>(Handle()));
}

bool PropertyPage::OnSetActive() {
    if (!firstActivation_)
        UpdateData(false);
    firstActivation_ = false;
    return true;
}

bool PropertyPage::OnKillActive() { return UpdateData(true); }

bool PropertyPage::OnApply() { return true; }

bool PropertyPage::OnNotify(const NMHDR& header, LRESULT& result) {
    switch (header.code) {
    case PSN_SETACTIVE:
        result = OnSetActive() ? 0 : -1;
        return true;
    case PSN_KILLACTIVE:
        result = OnKillActive() ? FALSE : TRUE;
        return true;
    case PSN_APPLY:
        result = OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
        return true;
    case PSN_RESET:
        OnReset();
        result = 0;
        return true;
    default:
        return Dialog::OnNotify(header, result);
    }
}

INT_PTR CALLBACK PropertyPage::PageDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = dynamic_cast<PropertyPage*>(FromHandle(hwnd));
    if (!self) {
        // A page's object arrives with WM_INITDIALOG, in the lParam of its page description.
        if (message != WM_INITDIALOG || !lParam)
            return FALSE;
        self = reinterpret_cast<PropertyPage*>(reinterpret_cast<const PROPSHEETPAGEW*>(lParam)->lParam);
        if (!self)
            return FALSE;
        self->Attach(hwnd);
    }
    return DialogDispatch(self, hwnd, message, wParam, lParam);
}

PropertySheet::PropertySheet(std::wstring caption) : caption_(std::move(caption)) {}

void PropertySheet::AddPage(PropertyPage& page) {
    page.sheet_ = this;
    pages_.push_back(&page);
}

LRESULT CALLBACK PropertySheet::CreationHook(int code, WPARAM wParam, LPARAM lParam) {
    HHOOK hook = t_hook;
    if (code == HCBT_CREATEWND && t_sheet) {
        auto* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam);
        if (!(create->lpcs->style & WS_CHILD)) {
            PropertySheet* sheet = std::exchange(t_sheet, nullptr);
            sheet->Subclass(reinterpret_cast<HWND>(wParam));
        }
    }
    return ::CallNextHookEx(hook, code, wParam, lParam);
}

INT_PTR PropertySheet::DoModal(HWND owner) {
    Dialog::RegisterControlClasses();
    if (!owner)
        if (Application* app = Application::Current(); app && app->MainWindow())
            owner = app->MainWindow()->Handle();

    std::vector<PROPSHEETPAGEW> pages;
    for (PropertyPage* page : pages_) {
        PROPSHEETPAGEW description = {};
        description.dwSize = sizeof(description);
        description.dwFlags = PSP_USETITLE;
        description.hInstance = ResourceInstance();
        description.pszTemplate = MAKEINTRESOURCEW(page->templateId_);
        description.pszTitle = page->title_.c_str();
        description.pfnDlgProc = PropertyPage::PageDialogProc;
        description.lParam = reinterpret_cast<LPARAM>(page);
        page->firstActivation_ = true;
        pages.push_back(description);
    }
    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_PROPSHEETPAGE;
    header.hwndParent = owner;
    header.hInstance = ResourceInstance();
    header.pszCaption = caption_.c_str();
    header.nPages = static_cast<UINT>(pages.size());
    header.ppsp = pages.data();

    t_sheet = this;
    t_hook = ::SetWindowsHookExW(WH_CBT, CreationHook, nullptr, ::GetCurrentThreadId());
    INT_PTR result = ::PropertySheetW(&header);
    if (t_hook) {
        ::UnhookWindowsHookEx(t_hook);
        t_hook = nullptr;
    }
    t_sheet = nullptr;
    if (result < 0)
        return -1;
    return result > 0 ? IDOK : IDCANCEL;
}

LRESULT PropertySheet::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        LRESULT result = Default();
        OnInitDialog();
        return result;
    }
    return Window::WindowProc(message, wParam, lParam);
}

} // namespace movalent
