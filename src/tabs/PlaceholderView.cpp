#include "tabs/PlaceholderView.h"

#include "app/InternalMessages.h"
#include "framework/DocumentTemplate.h"
#include "tabs/MovalentDoc.h"

namespace movalent {

namespace {
constexpr wchar_t kBlankPage[] = L"about:blank";
}

void CPlaceholderView::OnInitialUpdate() {
    auto* document = dynamic_cast<CMovalentDoc*>(GetDocument());
    ShowAddress(document && !document->StartUrl().empty() ? document->StartUrl() : kBlankPage);
}

void CPlaceholderView::ShowAddress(const std::wstring& address) {
    address_ = address;
    // Posted, as the browser's title report is: the caption follows once the tab exists.
    std::uintptr_t title = NewHeapString(address);
    if (!Post(kMsgTitleChange, title))
        AdoptHeapString(title);
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

LRESULT CPlaceholderView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kMsgTitleChange:
        if (auto title = AdoptHeapString(wParam); title && GetDocument())
            GetDocument()->SetTitle(*title);
        return 0;
    case kMsgNavigate:
        if (auto url = AdoptHeapString(wParam))
            ShowAddress(*url);
        return 0;
    default:
        return View::WindowProc(message, wParam, lParam);
    }
}

void CPlaceholderView::OnDraw(HDC dc, const RECT& client) {
    std::wstring label;
    if (Document* document = GetDocument(); document && document->Template())
        label = document->Template()->DocString(DocStringField::DocumentName);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));

    LOGFONTW big = {};
    big.lfHeight = -36;
    big.lfWeight = FW_BOLD;
    lstrcpyW(big.lfFaceName, L"Tahoma");
    HFONT labelFont = ::CreateFontIndirectW(&big);
    HGDIOBJ old = ::SelectObject(dc, labelFont);
    RECT top = client;
    top.bottom = (client.top + client.bottom) / 2;
    ::DrawTextW(dc, label.c_str(), static_cast<int>(label.size()), &top, DT_CENTER | DT_BOTTOM | DT_SINGLELINE);
    ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT));
    RECT bottom = client;
    bottom.top = top.bottom + 8;
    ::DrawTextW(dc, address_.c_str(), static_cast<int>(address_.size()), &bottom,
                DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    ::SelectObject(dc, old);
    ::DeleteObject(labelFont);
}

} // namespace movalent
