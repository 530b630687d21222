#include "framework/Dialog.h"

#include "framework/Application.h"
#include "framework/ControlContainer.h"
#include "framework/DialogTemplate.h"
#include "framework/OleControlSite.h"

#include <commctrl.h>

#include <cstring>
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

const DLGTEMPLATE* Dialog::PrepareTemplate(std::vector<std::uint32_t>& storage,
                                           std::vector<TemplateControl>* controls) {
    if (controls)
        controls->clear();
    if (indirect_)
        return indirect_;
    HINSTANCE instance = ResourceInstance();
    HRSRC resource =
        ::FindResourceW(instance, MAKEINTRESOURCEW(templateId_), MAKEINTRESOURCEW(5)); // RT_DIALOG
    HGLOBAL loaded = resource ? ::LoadResource(instance, resource) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data)
        return nullptr;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::optional<DialogTemplateInfo> info = ParseDialogTemplate(bytes, ::SizeofResource(instance, resource));
    if (!info)
        return static_cast<const DLGTEMPLATE*>(data);
    templateItemCount_ = info->items.size();
    std::vector<size_t> removed;
    for (size_t i = 0; i < info->items.size(); ++i) {
        const DialogTemplateItem& item = info->items[i];
        if (!IsControlClassId(item.className))
            continue;
        std::wstring name(item.className.begin(), item.className.end());
        CLSID clsid;
        if (FAILED(::CLSIDFromString(name.c_str(), &clsid)))
            continue;
        removed.push_back(i);
        if (controls)
            controls->push_back({clsid,
                                 i,
                                 static_cast<int>(item.id),
                                 item.style,
                                 {item.x, item.y, item.x + item.cx, item.y + item.cy}});
    }
    if (removed.empty())
        return static_cast<const DLGTEMPLATE*>(data);
    std::vector<std::uint8_t> filtered = WithoutItems(bytes, *info, removed);
    storage.assign((filtered.size() + 3) / 4, 0);
    std::memcpy(storage.data(), filtered.data(), filtered.size());
    return reinterpret_cast<const DLGTEMPLATE*>(storage.data());
}

bool Dialog::CreateTemplateControls() {
    if (templateControls_.empty())
        return true;
    // The system made the other items in template order, each below the one before.
    std::vector<HWND> made;
    for (HWND child = ::GetWindow(Handle(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        made.push_back(child);
    HWND previous = nullptr;
    size_t next = 0;
    auto control = templateControls_.begin();
    for (size_t i = 0; i < templateItemCount_; ++i) {
        if (control == templateControls_.end() || control->index != i) {
            if (next < made.size())
                previous = made[next++];
            continue;
        }
        RECT rect = control->dialogUnits;
        ::MapDialogRect(Handle(), &rect);
        OleControlSite* site =
            Controls().CreateControl(control->clsid, control->id, rect, control->style, previous);
        if (!site)
            return false;
        HWND window = site->ControlWindow();
        if (window && !previous)
            ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        if (window)
            previous = window;
        ++control;
    }
    return true;
}

INT_PTR Dialog::DoModal(HWND owner) {
    RegisterControlClasses();
    if (!owner)
        if (Application* app = Application::Current(); app && app->MainWindow())
            owner = app->MainWindow()->Handle();
    const DLGTEMPLATE* dialogTemplate = PrepareTemplate(templateStorage_, &templateControls_);
    if (!dialogTemplate)
        return -1;
    modal_ = true;
    ExpectCreation();
    INT_PTR result =
        ::DialogBoxIndirectParamW(ResourceInstance(), dialogTemplate, owner, StaticDialogProc, 0);
    CancelExpectedCreation();
    modal_ = false;
    return result;
}

bool Dialog::CreateModeless(HWND parent) {
    RegisterControlClasses();
    modal_ = false;
    const DLGTEMPLATE* dialogTemplate = PrepareTemplate(templateStorage_, &templateControls_);
    if (!dialogTemplate)
        return false;
    ExpectCreation();
    HWND hwnd = ::CreateDialogIndirectParamW(ResourceInstance(), dialogTemplate, parent, StaticDialogProc, 0);
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

void Dialog::SetItemText(int id, const std::wstring& text) {
    ::SetDlgItemTextW(Handle(), id, text.c_str());
}

Dialog::~Dialog() = default;

ControlContainer& Dialog::Controls() {
    if (!controls_)
        controls_ = std::make_unique<ControlContainer>(*this);
    return *controls_;
}

void Dialog::OnDestroyed() {
    if (controls_)
        controls_->DestroyAll();
}

bool Dialog::PreTranslateMessage(MSG& msg) {
    if (controls_ && controls_->PreTranslateMessage(msg))
        return true;
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

void Dialog::OnCancel() {
    EndDialog(IDCANCEL);
}

bool Dialog::OnNotify(const NMHDR&, LRESULT&) {
    return false;
}

LRESULT Dialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        if (!CreateTemplateControls()) {
            // As if the system could not make the dialog.
            if (modal_)
                ::EndDialog(Handle(), -1);
            else
                DestroyWindow();
            return FALSE;
        }
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
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        Window* control = item && item->CtlType != ODT_MENU ? FromHandle(item->hwndItem) : nullptr;
        if (control && control->DrawItem(*item))
            return TRUE;
        return Default();
    }
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
