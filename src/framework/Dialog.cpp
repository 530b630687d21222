#include "framework/Dialog.h"

#include "framework/Application.h"

#include <commctrl.h>

#include <mutex>
#include <utility>

namespace movalent {

HWND DataExchange::Control(int id) {
    HWND control = dialog.Item(id);
    if (!control)
        failed = true;
    return control;
}

void ExchangeText(DataExchange& dx, int id, std::wstring& value) {
    HWND control = dx.Control(id);
    if (!control)
        return;
    if (dx.saving)
        value = dx.dialog.ItemText(id);
    else
        ::SetWindowTextW(control, value.c_str());
}

void ExchangeCheck(DataExchange& dx, int id, int& state) {
    HWND control = dx.Control(id);
    if (!control)
        return;
    if (dx.saving)
        state = static_cast<int>(::SendMessageW(control, BM_GETCHECK, 0, 0));
    else
        ::SendMessageW(control, BM_SETCHECK, static_cast<WPARAM>(state), 0);
}

void ExchangeRadio(DataExchange& dx, int firstId, int& index) {
    HWND control = dx.Control(firstId);
    if (!control)
        return;
    if (dx.saving)
        index = -1;
    int position = 0;
    do {
        if (::SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) {
            if (dx.saving) {
                if (::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED)
                    index = position;
            } else {
                ::SendMessageW(control, BM_SETCHECK, position == index ? BST_CHECKED : BST_UNCHECKED, 0);
            }
            ++position;
        }
        control = ::GetWindow(control, GW_HWNDNEXT);
    } while (control && !(::GetWindowLongPtrW(control, GWL_STYLE) & WS_GROUP));
}

void ExchangeControl(DataExchange& dx, int id, Window& control) {
    if (control.Handle())
        return;
    HWND hwnd = dx.Control(id);
    if (hwnd && !control.Subclass(hwnd))
        dx.failed = true;
}

Dialog::Dialog(UINT templateId) : templateId_(templateId) {}

Dialog::Dialog(const DLGTEMPLATE* indirectTemplate) : indirect_(indirectTemplate) {}

void Dialog::RegisterControlClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        INITCOMMONCONTROLSEX controls = {};
        controls.dwSize = sizeof(controls);
        controls.dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_LINK_CLASS | ICC_USEREX_CLASSES;
        ::InitCommonControlsEx(&controls);
    });
}

INT_PTR Dialog::DoModal(HWND owner) {
    RegisterControlClasses();
    if (!owner)
        if (Application* app = Application::Current(); app && app->MainWindow())
            owner = app->MainWindow()->Handle();
    modal_ = true;
    ExpectCreation();
    INT_PTR result =
        indirect_ ? ::DialogBoxIndirectParamW(ResourceInstance(), indirect_, owner, StaticDialogProc, 0)
                  : ::DialogBoxParamW(ResourceInstance(), MAKEINTRESOURCEW(templateId_), owner, StaticDialogProc, 0);
    CancelExpectedCreation();
    modal_ = false;
    return result;
}

bool Dialog::CreateModeless(HWND parent) {
    RegisterControlClasses();
    modal_ = false;
    ExpectCreation();
    HWND hwnd = indirect_
                    ? ::CreateDialogIndirectParamW(ResourceInstance(), indirect_, parent, StaticDialogProc, 0)
                    : ::CreateDialogParamW(ResourceInstance(), MAKEINTRESOURCEW(templateId_), parent,
                                           StaticDialogProc, 0);
    CancelExpectedCreation();
    return hwnd && hwnd == Handle();
}

void Dialog::EndDialog(INT_PTR result) {
    if (!Handle())
        return;
    if (modal_)
        ::EndDialog(Handle(), result);
    else
        DestroyWindow();
}

bool Dialog::UpdateData(bool saveAndValidate) {
    DataExchange dx(*this, saveAndValidate);
    DoDataExchange(dx);
    return !dx.failed;
}

std::wstring Dialog::ItemText(int id) const {
    HWND control = Item(id);
    if (!control)
        return {};
    int length = ::GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    int copied = ::GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

void Dialog::SetItemText(int id, const std::wstring& text) { ::SetDlgItemTextW(Handle(), id, text.c_str()); }

bool Dialog::PreTranslateMessage(MSG& msg) {
    if (modal_ || !Handle() || msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST)
        return false;
    return ::IsDialogMessageW(Handle(), &msg) != FALSE;
}

bool Dialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void Dialog::OnOK() {
    if (UpdateData(true))
        EndDialog(IDOK);
}

void Dialog::OnCancel() { EndDialog(IDCANCEL); }

bool Dialog::OnNotify(const NMHDR&, LRESULT&) { return false; }

LRESULT Dialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog() ? TRUE : FALSE;
    case WM_COMMAND:
        // Enter and Escape arrive as IDOK and IDCANCEL, with or without a button behind them.
        if (LOWORD(wParam) == IDOK && HIWORD(wParam) == BN_CLICKED) {
            OnOK();
            return 0;
        }
        if (LOWORD(wParam) == IDCANCEL && HIWORD(wParam) == BN_CLICKED) {
            OnCancel();
            return 0;
        }
        if (OnCommandMessage(wParam, lParam))
            return 0;
        return Default();
    case WM_NOTIFY: {
        LRESULT result = 0;
        if (lParam && OnNotify(*reinterpret_cast<const NMHDR*>(lParam), result))
            return result;
        return Default();
    }
    default:
        return Window::WindowProc(message, wParam, lParam);
    }
}

LRESULT Dialog::DefaultProc(UINT, WPARAM, LPARAM) {
    defaultRequested_ = true;
    return 0;
}

INT_PTR CALLBACK Dialog::StaticDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = dynamic_cast<Dialog*>(FromHandle(hwnd));
    if (!self) {
        self = dynamic_cast<Dialog*>(TakeExpectedCreation());
        if (!self)
            return FALSE;
        self->Attach(hwnd);
    }
    return DialogDispatch(self, hwnd, message, wParam, lParam);
}

INT_PTR Dialog::DialogDispatch(Dialog* self, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    bool outer = std::exchange(self->defaultRequested_, false);
    bool destroyed = false;
    LRESULT result = self->Dispatch(message, wParam, lParam, &destroyed);
    if (destroyed)
        return TRUE;
    bool useDefault = std::exchange(self->defaultRequested_, outer);
    if (useDefault)
        return FALSE;
    switch (message) {
    // These return their result directly rather than through DWLP_MSGRESULT.
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return static_cast<INT_PTR>(result);
    default:
        ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
}

} // namespace movalent
