// The selected element: its properties, the value being edited, its outline in the page; and the script line
// and the source window.
#include "devtools/PanelControls.h"
#include "devtools/PanelTranslation.h"
#include "devtools/PanelWindow.h"
#include "devtools/SourceFetch.h"
#include "devtools/SourceWindow.h"
#include "devtools/WindowSupport.h"
#include "framework/ConnectionPoints.h"

#include <cwchar>

namespace movalent::devtools {

namespace {

constexpr UINT_PTR kOutlineTimer = 1;
constexpr UINT kOutlineIntervalMs = 300;

std::wstring RowName(const PropertyRow& row) {
    switch (row.kind) {
    case PropertyRow::Kind::InlineStyle:
        return L"style." + row.name;
    case PropertyRow::Kind::Computed:
        return L"currentStyle." + row.name;
    default:
        return row.name;
    }
}

void SetListText(HWND list, int item, int column, const std::wstring& text) {
    LVITEMW info = {};
    info.iSubItem = column;
    info.pszText = const_cast<wchar_t*>(text.c_str());
    ::SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&info));
}

std::wstring ErrorCode(HRESULT result) {
    wchar_t code[16];
    std::swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(result));
    return code;
}

} // namespace

void PanelWindow::ShowDetails() {
    ::SendMessageW(properties_, LVM_DELETEALLITEMS, 0, 0);
    rows_.clear();
    auto item = reinterpret_cast<HTREEITEM>(::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CARET, 0));
    const Entry* entry = EntryOf(item);
    const bool element = entry && entry->nextChild == 0 && Summarise(entry->node.get()).type == 1;
    if (element)
        rows_ = ElementProperties(entry->node.get());
    for (size_t i = 0; i < rows_.size(); ++i) {
        const std::wstring name = RowName(rows_[i]);
        LVITEMW info = {};
        info.mask = LVIF_TEXT;
        info.iItem = static_cast<int>(i);
        info.pszText = const_cast<wchar_t*>(name.c_str());
        const auto at = static_cast<int>(
            ::SendMessageW(properties_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&info)));
        SetListText(properties_, at, 1, rows_[i].value);
    }
    ::SetWindowTextW(value_, L"");
    ::SetWindowTextW(outerHtml_, element ? OuterHtml(entry->node.get()).c_str() : L"");
    UpdateOutline();
    if (element)
        ::SetTimer(window_, kOutlineTimer, kOutlineIntervalMs, nullptr);
    else
        ::KillTimer(window_, kOutlineTimer);
}

void PanelWindow::OnPropertySelected() {
    const auto selected = static_cast<int>(
        ::SendMessageW(properties_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    const bool editable = selected >= 0 && static_cast<size_t>(selected) < rows_.size() &&
                          rows_[static_cast<size_t>(selected)].Editable();
    ::SetWindowTextW(value_, editable ? rows_[static_cast<size_t>(selected)].value.c_str() : L"");
    ::EnableWindow(::GetDlgItem(window_, kApplyButton), editable);
    ::SendMessageW(value_, EM_SETREADONLY, !editable, 0);
}

void PanelWindow::ApplyValue() {
    const auto selected = static_cast<int>(
        ::SendMessageW(properties_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    auto item = reinterpret_cast<HTREEITEM>(::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CARET, 0));
    const Entry* entry = EntryOf(item);
    if (!entry || selected < 0 || static_cast<size_t>(selected) >= rows_.size() ||
        !rows_[static_cast<size_t>(selected)].Editable())
        return;
    const PropertyRow row = rows_[static_cast<size_t>(selected)];
    const std::wstring value = WindowText(value_);
    const HRESULT result = row.kind == PropertyRow::Kind::Attribute
                               ? SetAttributeValue(entry->node.get(), row.name, value)
                               : SetInlineStyleValue(entry->node.get(), row.name, value);
    if (FAILED(result)) {
        SetStatus(Text(PanelText::ApplyFailed) + L" " + ErrorCode(result));
        return;
    }
    SetStatus(Text(PanelText::Done));
    // The element as it is now, with the same row selected where it still exists.
    const std::wstring name = RowName(row);
    ShowDetails();
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (RowName(rows_[i]) != name)
            continue;
        LVITEMW state = {};
        state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
        ::SendMessageW(properties_, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&state));
        break;
    }
}

void PanelWindow::UpdateOutline() {
    auto item = reinterpret_cast<HTREEITEM>(::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CARET, 0));
    const Entry* entry = EntryOf(item);
    std::optional<RECT> rect;
    // Elements of the top document only: a frame's coordinates are its own window's.
    if (entry && ::IsWindowVisible(window_) && entry->nextChild == 0 &&
        IsSameComObject(entry->document.get(), TopDocument().get()))
        rect = ElementClientRect(entry->node.get());
    if (rect)
        outline_.Show(PageWindow(), *rect);
    else
        outline_.Hide();
}

void PanelWindow::RunScript() {
    const std::wstring line = WindowText(script_);
    const ScriptOutcome outcome = RunScriptLine(TopDocument().get(), line);
    if (outcome.ok)
        SetStatus(outcome.value.empty() ? Text(PanelText::Done) : L"= " + outcome.value);
    else
        SetStatus(Text(PanelText::ScriptError, ErrorCode(outcome.result)));
    // A script may have changed the selected element.
    if (outcome.ok)
        ShowDetails();
}

void PanelWindow::ViewSource() {
    UniqueBstr location;
    std::wstring url;
    if (browser_ && SUCCEEDED(browser_->get_LocationURL(location.put())))
        url = BstrText(location.get());
    std::wstring error;
    std::optional<std::string> bytes = FetchSource(urlmon_, url, &error);
    std::wstring source = bytes ? DecodeSource(*bytes) : Text(PanelText::FetchFailed, error);
    std::wstring generated;
    if (ComPtr<IHTMLDOMNode> root = DocumentRoot(TopDocument().get()))
        generated = OuterHtml(root.get());
    // A window of its own, owned by nobody: an owner on the main thread would tie the two threads' input
    // together, and the page's thread may hang.
    SourceWindowTexts texts;
    texts.sourceTab = Text(PanelText::SourceTab);
    texts.generatedTab = Text(PanelText::GeneratedTab);
    texts.find = Text(PanelText::FindLabel);
    texts.findPrevious = Text(PanelText::Previous);
    texts.findNext = Text(PanelText::Next);
    texts.copyAll = Text(PanelText::CopyAll);
    texts.notFound = Text(PanelText::NotFound);
    SourceWindow::Open(nullptr, Text(PanelText::SourceTitle, url), std::move(source), std::move(generated),
                       texts);
}

} // namespace movalent::devtools
