#include "framework/RibbonComboBox.h"

#include "framework/RibbonBar.h"

#include <cwctype>

namespace movalent {

namespace {

bool EqualNoCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::towlower(a[i]) != std::towlower(b[i]))
            return false;
    return true;
}

bool IsEditKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN)
        return false;
    const bool control = ::GetKeyState(VK_CONTROL) < 0;
    const bool shift = ::GetKeyState(VK_SHIFT) < 0;
    switch (msg.wParam) {
    case 'A':
    case 'C':
    case 'V':
    case 'X':
    case 'Z':
        return control && !shift;
    case VK_INSERT:
        return control || shift;
    case VK_DELETE:
    case VK_BACK:
    case VK_HOME:
    case VK_END:
    case VK_LEFT:
    case VK_RIGHT:
        return true;
    default:
        return false;
    }
}

} // namespace

bool RibbonEdit::CreateEditWindow(DWORD style, const RECT& rect, HWND parent, UINT id) {
    return Create(0, L"Edit", L"", style, rect, parent, id);
}

bool RibbonEdit::PreTranslateMessage(MSG& msg) {
    if (!IsEditKey(msg))
        return Window::PreTranslateMessage(msg);
    if (msg.message == WM_KEYDOWN && msg.wParam == 'A') {
        Send(EM_SETSEL, 0, -1);
        return true;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
    return true;
}

RibbonComboBox::RibbonComboBox(int id, bool editable, int width, const std::wstring& label)
    : RibbonElement(id, label), width_(width), editable_(editable) {}

RibbonComboBox::~RibbonComboBox() {
    if (edit_ && edit_->Handle())
        edit_->DestroyWindow();
}

int RibbonComboBox::FindItemNoCase(const std::wstring& text) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (EqualNoCase(items_[i], text))
            return static_cast<int>(i);
    return -1;
}

HWND RibbonComboBox::Window() const {
    return edit_ ? edit_->Handle() : nullptr;
}

std::wstring RibbonComboBox::EditText() const {
    return edit_ && edit_->Handle() ? edit_->Text() : std::wstring();
}

void RibbonComboBox::SetEditText(const std::wstring& text) {
    if (edit_ && edit_->Handle())
        edit_->SetText(text);
}

void RibbonComboBox::CreateEditWindow(HWND bar) {
    if (!editable_ || edit_)
        return;
    edit_ = CreateEdit(bar, WS_CHILD | WS_TABSTOP | ES_AUTOHSCROLL);
}

std::unique_ptr<RibbonEdit> RibbonComboBox::CreateEdit(HWND parent, DWORD style) {
    auto edit = std::make_unique<RibbonEdit>(*this);
    if (!edit->CreateEditWindow(style, RECT{0, 0, width_, 20}, parent, 0))
        return nullptr;
    return edit;
}

void RibbonComboBox::DropDownList() {
    if (Bar())
        if (int index = Bar()->ShowListMenu(*this, items_); index >= 0)
            OnSelectItem(index);
}

void RibbonComboBox::OnSelectItem(int index) {
    if (index >= 0 && static_cast<size_t>(index) < items_.size())
        SetEditText(items_[index]);
}

} // namespace movalent
