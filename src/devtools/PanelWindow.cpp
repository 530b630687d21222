#include "devtools/PanelWindow.h"

#include "devtools/PanelControls.h"
#include "devtools/PanelTranslation.h"
#include "devtools/WindowSupport.h"
#include "framework/ConnectionPoints.h"
#include "framework/DispatchArguments.h"

#include <exdispid.h>

#include <algorithm>

namespace movalent::devtools {

namespace {

constexpr int kMargin = 4;
constexpr int kRow = 24;
constexpr int kGap = 4;
constexpr int kButton = 64;
constexpr int kSmallButton = 28;
constexpr int kModeWidth = 64;

void Place(HWND control, int x, int y, int width, int height) {
    if (control)
        ::MoveWindow(control, x, y, std::max(0, width), std::max(0, height), TRUE);
}

} // namespace

bool PanelWindow::Create(HWND container, IWebBrowser2* browser) {
    static const bool registered = [] {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = ThisModule();
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kPanelWindowClass;
        return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    if (!registered || !container || !browser)
        return false;
    browser_ = browser;
    window_ =
        ::CreateWindowExW(WS_EX_CONTROLPARENT, kPanelWindowClass, Text(PanelText::Title).c_str(),
                          WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0, 0, container, nullptr, ThisModule(), this);
    if (!window_)
        return false;
    browserEvents_.Connect(browser_.get(), DIID_DWebBrowserEvents2,
                           [this](DISPID id, DISPPARAMS& params, VARIANT*) { OnBrowserEvent(id, params); });
    return true;
}

void PanelWindow::UnregisterWindowClass() {
    ::UnregisterClassW(kPanelWindowClass, ThisModule());
}

void PanelWindow::Destroy() {
    SetPicking(false);
    browserEvents_.Disconnect();
    outline_.Destroy();
    entries_.clear();
    shownDocument_.reset();
    if (window_)
        ::DestroyWindow(window_);
    window_ = nullptr;
    browser_.reset();
}

void PanelWindow::OnBrowserEvent(DISPID id, DISPPARAMS& params) {
    if (!::IsWindowVisible(window_))
        return;
    // The top document complete (frames complete before it): its tree is read again. A refresh opens a new
    // document but says only that its download is complete.
    if (id == DISPID_DOCUMENTCOMPLETE) {
        if (IsSameComObject(VariantObject(DispatchArgument(params, 0)), browser_.get()))
            Rebuild();
    } else if (id == DISPID_DOWNLOADCOMPLETE && !IsSameComObject(TopDocument().get(), shownDocument_.get())) {
        Rebuild();
    }
}

void PanelWindow::Show(bool show) {
    if (!window_)
        return;
    ::ShowWindow(window_, show ? SW_SHOW : SW_HIDE);
    if (!show) {
        SetPicking(false);
        outline_.Hide();
    } else if (entries_.empty() || !IsSameComObject(TopDocument().get(), shownDocument_.get())) {
        Rebuild();
    } else {
        UpdateOutline();
    }
}

LRESULT CALLBACK PanelWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        static_cast<PanelWindow*>(create->lpCreateParams)->window_ = window;
    }
    auto* self = reinterpret_cast<PanelWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return ::DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    try {
        return self->OnMessage(message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

LRESULT PanelWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        OnCreate();
        return 0;
    case WM_SIZE:
        OnSize();
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_NOTIFY:
        return OnNotify(*reinterpret_cast<NMHDR*>(lParam));
    case WM_TIMER:
        UpdateOutline();
        return 0;
    case 0x02E3: // WM_DPICHANGED_AFTERPARENT
    case WM_SETTINGCHANGE:
        OnDpiChanged();
        return 0;
    case kPanelStopPicking:
        SetPicking(false);
        return 0;
    default:
        return ::DefWindowProcW(window_, message, wParam, lParam);
    }
}

HWND PanelWindow::AddControl(const wchar_t* className, const std::wstring& text, DWORD style, unsigned id,
                             DWORD exStyle) {
    return ::CreateWindowExW(exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                             window_, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), ThisModule(),
                             nullptr);
}

void PanelWindow::AddTip(HWND control, const std::wstring& text) {
    if (!tips_ || !control)
        return;
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<wchar_t*>(text.c_str());
    ::SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void PanelWindow::OnCreate() {
    dpi_ = static_cast<int>(WindowDpi(window_));
    tips_ = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, window_,
                              nullptr, ThisModule(), nullptr);
    const DWORD button = WS_TABSTOP | BS_PUSHBUTTON;
    pick_ =
        AddControl(L"BUTTON", Text(PanelText::Pick), WS_TABSTOP | BS_AUTOCHECKBOX | BS_PUSHLIKE, kPickButton);
    AddTip(pick_, Text(PanelText::PickTip));
    AddTip(AddControl(L"BUTTON", Text(PanelText::Refresh), button, kRefreshButton),
           Text(PanelText::RefreshTip));
    AddTip(AddControl(L"BUTTON", Text(PanelText::ViewSource), button, kSourceButton),
           Text(PanelText::ViewSourceTip));

    findMode_ = AddControl(WC_COMBOBOXW, L"", WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL, kFindMode);
    for (PanelText mode : {PanelText::FindById, PanelText::FindByTag, PanelText::FindByText})
        ::SendMessageW(findMode_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Text(mode).c_str()));
    ::SendMessageW(findMode_, CB_SETCURSEL, 0, 0);
    findText_ = AddControl(WC_EDITW, L"", WS_TABSTOP | ES_AUTOHSCROLL, kFindText, WS_EX_CLIENTEDGE);
    AddTip(AddControl(L"BUTTON", Text(PanelText::FindPrevious), button, kFindPrevious),
           Text(PanelText::FindPreviousTip));
    AddTip(AddControl(L"BUTTON", Text(PanelText::FindNext), button, kFindNext), Text(PanelText::FindNextTip));

    tree_ = AddControl(WC_TREEVIEWW, L"",
                       WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                       kTree, WS_EX_CLIENTEDGE);
    properties_ = AddControl(WC_LISTVIEWW, L"",
                             WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOCOLUMNHEADER,
                             kProperties, WS_EX_CLIENTEDGE);
    ::SendMessageW(properties_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (int column = 0; column < 2; ++column) {
        LVCOLUMNW info = {};
        info.mask = LVCF_WIDTH;
        info.cx = Scale(column == 0 ? 110 : 140);
        ::SendMessageW(properties_, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&info));
    }
    value_ = AddControl(WC_EDITW, L"", WS_TABSTOP | ES_AUTOHSCROLL, kValue, WS_EX_CLIENTEDGE);
    AddTip(AddControl(L"BUTTON", Text(PanelText::Apply), button, kApplyButton), Text(PanelText::ApplyTip));
    outerHtml_ = AddControl(WC_EDITW, L"",
                            WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
                                WS_VSCROLL | WS_HSCROLL,
                            kOuterHtml, WS_EX_CLIENTEDGE);
    script_ = AddControl(WC_EDITW, L"", WS_TABSTOP | ES_AUTOHSCROLL, kScript, WS_EX_CLIENTEDGE);
    AddTip(AddControl(L"BUTTON", Text(PanelText::Run), button, kRunButton), Text(PanelText::RunTip));
    status_ = AddControl(WC_STATICW, L"", SS_LEFTNOWORDWRAP | SS_NOPREFIX, kStatus);
    // Enter in a one-line box does what its button does.
    for (HWND input : {findText_, value_, script_})
        ::SetWindowSubclass(input, InputProc, 1, reinterpret_cast<DWORD_PTR>(this));
    ApplyFont();
}

LRESULT CALLBACK PanelWindow::InputProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR data) {
    auto* self = reinterpret_cast<PanelWindow*>(data);
    if (message == WM_GETDLGCODE && wParam == VK_RETURN)
        return DLGC_WANTALLKEYS | ::DefSubclassProc(window, message, wParam, lParam);
    if (message == WM_CHAR && wParam == L'\r')
        return 0; // no beep
    if (message == WM_KEYDOWN && wParam == VK_RETURN) {
        const unsigned id = static_cast<unsigned>(::GetDlgCtrlID(window));
        const unsigned command = id == kFindText ? (::GetKeyState(VK_SHIFT) < 0 ? kFindPrevious : kFindNext)
                                 : id == kValue  ? kApplyButton
                                                 : kRunButton;
        ::PostMessageW(self->window_, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0);
        return 0;
    }
    if (message == WM_NCDESTROY)
        ::RemoveWindowSubclass(window, InputProc, 1);
    return ::DefSubclassProc(window, message, wParam, lParam);
}

int PanelWindow::Scale(int value) const {
    return ::MulDiv(value, dpi_, 96);
}

void PanelWindow::ApplyFont() {
    LOGFONTW message = MessageFont(static_cast<UINT>(dpi_));
    UniqueGdiObject font(::CreateFontIndirectW(&message));
    if (!font)
        return;
    for (HWND child = ::GetWindow(window_, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    font_ = std::move(font);
}

void PanelWindow::OnDpiChanged() {
    dpi_ = static_cast<int>(WindowDpi(window_));
    ApplyFont();
    OnSize();
}

void PanelWindow::OnSize() {
    RECT client = {};
    ::GetClientRect(window_, &client);
    const int margin = Scale(kMargin), row = Scale(kRow), gap = Scale(kGap);
    const int width = client.right - 2 * margin;
    int y = margin;
    int x = margin;
    for (unsigned id : {kPickButton, kRefreshButton, kSourceButton}) {
        Place(::GetDlgItem(window_, id), x, y, Scale(kButton), row);
        x += Scale(kButton) + gap;
    }
    y += row + gap;
    const int small = Scale(kSmallButton), mode = Scale(kModeWidth);
    Place(findMode_, margin, y, mode, row * 6);
    Place(findText_, margin + mode + gap, y, width - mode - 2 * small - 3 * gap, row);
    Place(::GetDlgItem(window_, kFindPrevious), client.right - margin - 2 * small - gap, y, small, row);
    Place(::GetDlgItem(window_, kFindNext), client.right - margin - small, y, small, row);
    y += row + gap;

    // What is left: the tree, the properties, the value row, the outer HTML, the script row and the status.
    const int fixed = 2 * row + Scale(18) + 5 * gap + margin;
    const int flexible = std::max(0, static_cast<int>(client.bottom) - y - fixed);
    const int treeHeight = flexible * 45 / 100, listHeight = flexible * 30 / 100;
    Place(tree_, margin, y, width, treeHeight);
    y += treeHeight + gap;
    Place(properties_, margin, y, width, listHeight);
    y += listHeight + gap;
    const int apply = Scale(kButton);
    Place(value_, margin, y, width - apply - gap, row);
    Place(::GetDlgItem(window_, kApplyButton), client.right - margin - apply, y, apply, row);
    y += row + gap;
    const int htmlHeight = flexible - treeHeight - listHeight;
    Place(outerHtml_, margin, y, width, htmlHeight);
    y += htmlHeight + gap;
    Place(script_, margin, y, width - apply - gap, row);
    Place(::GetDlgItem(window_, kRunButton), client.right - margin - apply, y, apply, row);
    y += row + gap;
    Place(status_, margin, y, width, Scale(18));
    LVCOLUMNW info = {};
    info.mask = LVCF_WIDTH;
    info.cx = std::max(Scale(60), width - Scale(110) - ::GetSystemMetrics(SM_CXVSCROLL) - Scale(4));
    ::SendMessageW(properties_, LVM_SETCOLUMNW, 1, reinterpret_cast<LPARAM>(&info));
}

void PanelWindow::OnCommand(unsigned id, unsigned code) {
    if (code != BN_CLICKED)
        return;
    switch (id) {
    case kPickButton:
        SetPicking(::SendMessageW(pick_, BM_GETCHECK, 0, 0) == BST_CHECKED);
        break;
    case kRefreshButton:
        Rebuild();
        break;
    case kSourceButton:
        ViewSource();
        break;
    case kFindPrevious:
    case kFindNext:
        Find(id == kFindNext);
        break;
    case kApplyButton:
        ApplyValue();
        break;
    case kRunButton:
        RunScript();
        break;
    default:
        break;
    }
}

LRESULT PanelWindow::OnNotify(NMHDR& header) {
    if (header.hwndFrom == tree_) {
        if (header.code == TVN_ITEMEXPANDINGW) {
            auto& change = reinterpret_cast<NMTREEVIEWW&>(header);
            if (change.action & TVE_EXPAND)
                if (Entry* entry = EntryOf(change.itemNew.hItem))
                    ListChildren(static_cast<size_t>(entry - entries_.data()));
        } else if (header.code == TVN_SELCHANGEDW) {
            OnSelectionChanged();
        }
    } else if (header.hwndFrom == properties_) {
        if (header.code == LVN_ITEMCHANGED)
            OnPropertySelected();
        else if (header.code == NM_DBLCLK || header.code == NM_RETURN)
            ::SetFocus(value_);
    }
    return 0;
}

void PanelWindow::SetStatus(const std::wstring& text) {
    ::SetWindowTextW(status_, text.c_str());
}

HWND PanelWindow::PageWindow() const {
    // The document's own window when the engine says which; otherwise the deepest first child of the
    // browser's.
    ComPtr<IOleWindow> ole;
    HWND window = nullptr;
    if (ComPtr<IHTMLDocument2> document = TopDocument())
        if (SUCCEEDED(document->QueryInterface(IID_IOleWindow, ole.put_void())) && ole &&
            SUCCEEDED(ole->GetWindow(&window)) && window)
            return window;
    if (!browser_ || FAILED(browser_->QueryInterface(IID_IOleWindow, ole.put_void())) || !ole ||
        FAILED(ole->GetWindow(&window)))
        return nullptr;
    while (HWND child = window ? ::GetWindow(window, GW_CHILD) : nullptr)
        window = child;
    return window;
}

ComPtr<IHTMLDocument2> PanelWindow::TopDocument() const {
    ComPtr<IDispatch> document;
    if (!browser_ || FAILED(browser_->get_Document(document.put())))
        return {};
    return DocumentOf(document.get());
}

} // namespace movalent::devtools
