#include "mainframe/MFCRibbonGoogleSearch.h"

#include "app/InternalMessages.h"
#include "framework/RibbonBar.h"

#include <commctrl.h>

namespace movalent {

namespace {

std::wstring Trimmed(const std::wstring& text) {
    constexpr wchar_t kBlanks[] = L" \t\r\n\v\f";
    size_t first = text.find_first_not_of(kBlanks);
    if (first == std::wstring::npos)
        return L"";
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

} // namespace

CMFCRibbonRichEditCtrlGoogleSearch::CMFCRibbonRichEditCtrlGoogleSearch(CMFCRibbonGoogleSearch& box)
    : RibbonEdit(box), search_(&box) {}

bool CMFCRibbonRichEditCtrlGoogleSearch::CreateEditWindow(DWORD style, const RECT& rect, HWND parent,
                                                          UINT id) {
    return Create(0, L"Edit", L"", style, rect, parent, id);
}

bool CMFCRibbonRichEditCtrlGoogleSearch::PreTranslateMessage(MSG& msg) {
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN) {
        search_->Search(nullptr, true);
        return true;
    }
    return RibbonEdit::PreTranslateMessage(msg);
}

void CMFCRibbonGoogleSearch::Search(const std::wstring* text, bool addToList) {
    std::wstring query = Trimmed(text ? *text : EditText());
    if (query.empty())
        return;
    // The frame the ribbon sits in opens the search.
    HWND frame = Bar() && Bar()->Handle() ? ::GetParent(Bar()->Handle()) : nullptr;
    if (!frame)
        return;
    std::uintptr_t posted = NewHeapString(query);
    if (!::PostMessageW(frame, kMsgWebSearch, static_cast<WPARAM>(posted), 0)) {
        AdoptHeapString(posted);
        return;
    }
    if (addToList && FindItemNoCase(query) < 0)
        AddItem(query);
}

void CMFCRibbonGoogleSearch::FocusSearch() {
    if (HWND edit = GetEditWindow()) {
        ::SendMessageW(edit, EM_SETSEL, 0, -1);
        ::SetFocus(edit);
    }
}

std::unique_ptr<RibbonEdit> CMFCRibbonGoogleSearch::CreateEdit(HWND parent, DWORD style) {
    auto edit = std::make_unique<CMFCRibbonRichEditCtrlGoogleSearch>(*this);
    if (!edit->CreateEditWindow(style, RECT{0, 0, Width(), 20}, parent, 0))
        return nullptr;
    // The grey hint while the edit is empty.
    ::SendMessageW(edit->Handle(), EM_SETCUEBANNER, FALSE, reinterpret_cast<LPARAM>(ToolTip().c_str()));
    return edit;
}

void CMFCRibbonGoogleSearch::OnSelectItem(int index) {
    if (index < 0 || static_cast<size_t>(index) >= Items().size())
        return;
    SetEditText(Items()[index]);
    Search(nullptr, false);
}

} // namespace movalent
