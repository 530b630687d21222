#include "framework/RibbonBar.h"

#include "framework/Handles.h"
#include "framework/QueryMessages.h"
#include "framework/Application.h"
#include "framework/ResourceStrings.h"
#include "framework/RibbonMetrics.h"
#include "framework/TabbedMainFrame.h"
#include "framework/WindowDpi.h"
#include "framework_resource.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

namespace movalent {

namespace {

constexpr wchar_t kRibbonClass[] = L"MovalentRibbonBar";
constexpr wchar_t kMinimizedValue[] = L"RibbonMinimized";
constexpr UINT_PTR kPeekTimer = 1;
constexpr UINT kPeekInterval = 100;

#if defined(MOVALENT_TEST_HOOKS)
UINT QueryRibbonMessage() {
    static const UINT message = ::RegisterWindowMessageW(kQueryRibbonMessageName);
    return message;
}
#endif

POINT Middle(const RECT& rect) {
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

LRESULT PackPoint(const RECT& rect) {
    if (::IsRectEmpty(&rect))
        return 0;
    POINT middle = Middle(rect);
    return static_cast<LRESULT>(MAKELONG(middle.x, middle.y));
}

} // namespace

RibbonBar::RibbonBar() : font_(MakeMessageFont(kDesignDpi)) {}

RibbonBar::~RibbonBar() {
    // The elements outlive the window's last messages.
    if (Handle())
        DestroyWindow();
}

bool RibbonBar::CreateBar(HWND parent, UINT id) {
    if (!RegisterWindowClass(kRibbonClass, CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW), nullptr))
        return false;
    SetDpi(DpiOfWindow(parent));
    RECT rect = {0, 0, 0, Height()};
    if (!Create(0, kRibbonClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, rect, parent,
                id))
        return false;
    tooltips_ = ::CreateWindowExW(
        WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr, ResourceInstance(), nullptr);
    if (tooltips_)
        ::SendMessageW(tooltips_, TTM_SETMAXTIPWIDTH, 0, metrics_.Px(320));
    appButton_.SetOwner(this, nullptr, nullptr);
    return true;
}

int RibbonBar::Height() const {
    return metrics_.tabRowHeight + (hideElements_ ? 0 : metrics_.panelAreaHeight);
}

void RibbonBar::SetDpi(int dpi) {
    metrics_ = ribbon::MetricsForDpi(dpi);
    // The edit windows take the new font before the old one goes.
    UniqueGdiObject font = MakeMessageFont(dpi);
    for (const auto& element : tabElements_)
        if (HWND edit = element->Window())
            ::SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    font_ = std::move(font);
    const ribbon::Metrics design;
    appImage_.LoadForDpi(appImages_, design.largeImage, dpi);
    panelStrip_.LoadForDpi(panelImages_, design.smallImage, dpi);
    if (main_)
        main_->LoadImages(dpi);
    for (const auto& category : categories_)
        category->LoadImages(dpi);
    if (tooltips_)
        ::SendMessageW(tooltips_, TTM_SETMAXTIPWIDTH, 0, metrics_.Px(320));
    RecalcLayout();
}

void RibbonBar::SetPanelImages(const ScaledImages& images) {
    panelImages_ = images;
    panelStrip_.LoadForDpi(images, ribbon::Metrics().smallImage, Dpi());
}

void RibbonBar::Place(RECT& area) {
    RECT rect = {area.left, area.top, area.right, std::min(area.bottom, area.top + Height())};
    area.top = rect.bottom;
    // A minimized ribbon showing a category keeps covering what lies below it.
    if (peeking_)
        rect.bottom = rect.top + metrics_.tabRowHeight + metrics_.panelAreaHeight;
    MoveTo(rect, true);
    RecalcLayout();
}

void RibbonBar::SetApplicationButton(const ScaledImages& images, const std::wstring& text,
                                     const std::wstring& toolTip, SIZE size) {
    appImages_ = images;
    appImage_.LoadForDpi(images, ribbon::Metrics().largeImage, Dpi());
    appButton_.SetText(text);
    appButton_.SetToolTipText(toolTip);
    appButton_.SetOwnStrip(&appImage_, 0);
    appSize_ = size;
}

RibbonCategory* RibbonBar::AddMainCategory(const std::wstring& name, const ScaledImages& smallImages,
                                           const ScaledImages& largeImages) {
    main_ = std::make_unique<RibbonCategory>(*this, name, smallImages, largeImages);
    return main_.get();
}

RibbonCategory* RibbonBar::AddCategory(const std::wstring& name, const ScaledImages& smallImages,
                                       const ScaledImages& largeImages) {
    categories_.push_back(std::make_unique<RibbonCategory>(*this, name, smallImages, largeImages));
    if (!active_)
        active_ = categories_.back().get();
    return categories_.back().get();
}

RibbonCategory* RibbonBar::Category(size_t index) const {
    return index < categories_.size() ? categories_[index].get() : nullptr;
}

void RibbonBar::SetActiveCategory(RibbonCategory* category) {
    if (!category || category == active_)
        return;
    active_ = category;
    RecalcLayout();
    accessible_.NotifyElement(EVENT_OBJECT_SELECTION, &category->Tab());
}

RibbonElement* RibbonBar::AddToTabs(std::unique_ptr<RibbonElement> element) {
    element->SetOwner(this, nullptr, nullptr);
    tabElements_.push_back(std::move(element));
    RibbonElement* added = tabElements_.back().get();
    if (auto* box = dynamic_cast<RibbonComboBox*>(added); box && Handle()) {
        box->CreateEditWindow(Handle());
        if (HWND edit = box->Window()) {
            ::SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
            if (tooltips_) {
                TTTOOLINFOW tool = {};
                tool.cbSize = sizeof(tool);
                tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
                tool.hwnd = Handle();
                tool.uId = reinterpret_cast<UINT_PTR>(edit);
                tool.lpszText = LPSTR_TEXTCALLBACKW;
                ::SendMessageW(tooltips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
            }
        }
    }
    return added;
}

void RibbonBar::SetQuickAccessCommands(const std::vector<int>& ids) {
    quickAccess_.clear();
    for (int id : ids) {
        RibbonElement* source = FindById(id);
        auto button = std::make_unique<RibbonButton>(id, source ? source->Text() : L"");
        if (source)
            button->SetOwnStrip(StripOf(*source, false), source->Image());
        button->SetOwner(this, source ? source->ParentCategory() : nullptr, nullptr);
        quickAccess_.push_back(std::move(button));
    }
}

void RibbonBar::SetColours(const RibbonColours& colours) {
    colours_ = colours;
    if (Handle())
        ::InvalidateRect(Handle(), nullptr, FALSE);
}

void RibbonBar::SetHideElements(bool hide) {
    if (hide == hideElements_)
        return;
    hideElements_ = hide;
    peeking_ = false;
    RecalcLayout();
    OnHideElementsChanged();
}

void RibbonBar::ToggleHideElements() {
    SetHideElements(!hideElements_);
    RecalcParentLayout();
}

void RibbonBar::LoadState() {
    if (Application* app = Application::Current())
        SetHideElements(app->GetWorkspaceInt(kMinimizedValue, 0) != 0);
}

void RibbonBar::SaveState() const {
    if (Application* app = Application::Current())
        app->WriteWorkspaceInt(kMinimizedValue, hideElements_ ? 1 : 0);
}

RibbonElement* RibbonBar::HitTest(POINT point) const {
    for (RibbonElement* element : ShownElements())
        if (element->Visible() && ::PtInRect(&element->Rect(), point))
            return element;
    return nullptr;
}

RibbonElement* RibbonBar::FindById(int id) const {
    if (id == 0 || id == -1)
        return nullptr;
    auto find = [id](const std::vector<std::unique_ptr<RibbonElement>>& list) -> RibbonElement* {
        for (const auto& element : list)
            if (element->Id() == id)
                return element.get();
        return nullptr;
    };
    for (const auto& category : categories_)
        for (const auto& panel : category->Panels())
            if (RibbonElement* element = find(panel->Elements()))
                return element;
    if (RibbonElement* element = find(tabElements_))
        return element;
    if (main_)
        if (RibbonElement* element = find(main_->Elements()))
            return element;
    return find(quickAccess_);
}

void RibbonBar::OnElementChanged(RibbonElement& element) {
    if (Handle())
        RecalcLayout();
    accessible_.NotifyElement(EVENT_OBJECT_NAMECHANGE, &element);
}

void RibbonBar::UpdateCommandStates(CommandTarget& router) {
    auto update = [&](RibbonElement& element) {
        if (!element.SendsCommand())
            return;
        if (element.SetState(router.RouteCommandState(static_cast<unsigned>(element.Id())))) {
            InvalidateElement(element);
            accessible_.NotifyElement(EVENT_OBJECT_STATECHANGE, &element);
        }
    };
    for (RibbonElement* element : ShownElements())
        update(*element);
}

void RibbonBar::RecalcParentLayout() const {
    if (auto* frame = dynamic_cast<TabbedMainFrame*>(Window::FromHandle(::GetParent(Handle()))))
        frame->RecalcLayout();
}

void RibbonBar::SendCommand(int id) const {
    if (HWND parent = ::GetParent(Handle()))
        ::SendMessageW(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), 0), 0);
}

void RibbonBar::InvalidateElement(const RibbonElement& element) {
    if (Handle())
        ::InvalidateRect(Handle(), &element.Rect(), FALSE);
}

bool RibbonBar::PreTranslateMessage(MSG& msg) {
    if (msg.hwnd == Handle() && focused_ && msg.message == WM_KEYDOWN) {
        OnKeyDown(static_cast<UINT>(msg.wParam));
        return true;
    }
    return Window::PreTranslateMessage(msg);
}

// Mouse.

RECT RibbonBar::ArrowPart(const RibbonElement& element) const {
    // A large button's label carries its arrow; a small element's arrow is its right end.
    RECT rect = element.Rect();
    if (rect.bottom - rect.top > metrics_.tabRowElementHeight)
        rect.top += metrics_.arrowPartTop;
    else
        rect.left = rect.right - metrics_.comboArrowWidth;
    return rect;
}

bool RibbonBar::InArrowPart(const RibbonElement& element, POINT point) const {
    const RECT arrow = ArrowPart(element);
    return element.GetDropDown() == RibbonElement::DropDown::Split && ::PtInRect(&arrow, point);
}

void RibbonBar::OnLButtonDown(POINT point) {
    const bool doubleClick = doubleClick_;
    RibbonElement* element = HitTest(point);
    if (!element) {
        if (peeking_ && point.y >= metrics_.tabRowHeight)
            return;
        EndPeek();
        return;
    }
    if (RibbonCategory* category = element->ParentCategory(); category && element == &category->Tab()) {
        if (doubleClick) {
            // Double-clicking a tab minimizes or restores the ribbon.
            ToggleHideElements();
            return;
        }
        SetActiveCategory(category);
        if (hideElements_)
            peeking_ ? EndPeek() : BeginPeek();
        return;
    }
    if (element == &appButton_) {
        ShowApplicationMenu();
        return;
    }
    if (auto* box = dynamic_cast<RibbonComboBox*>(element)) {
        const RECT arrow = ArrowPart(*element);
        if (::PtInRect(&arrow, point) || !box->Window())
            box->DropDownList();
        return;
    }
    // A disabled command opens no menu either.
    if (!element->State().enabled && element->SendsCommand())
        return;
    if (element->GetDropDown() == RibbonElement::DropDown::Menu || InArrowPart(*element, point)) {
        Activate(*element, true);
        return;
    }
    pressed_ = element;
    ::SetCapture(Handle());
    InvalidateElement(*element);
}

void RibbonBar::OnLButtonUp(POINT point) {
    RibbonElement* pressed = std::exchange(pressed_, nullptr);
    if (::GetCapture() == Handle())
        ::ReleaseCapture();
    if (!pressed)
        return;
    InvalidateElement(*pressed);
    if (HitTest(point) == pressed)
        Activate(*pressed, false);
}

void RibbonBar::OnMouseMove(POINT point) {
    if (!trackingLeave_) {
        TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, Handle(), 0};
        trackingLeave_ = ::TrackMouseEvent(&track) != FALSE;
    }
    SetHot(HitTest(point));
}

void RibbonBar::SetHot(RibbonElement* element) {
    if (element == hot_)
        return;
    if (hot_)
        InvalidateElement(*hot_);
    hot_ = element;
    if (hot_)
        InvalidateElement(*hot_);
}

void RibbonBar::Activate(RibbonElement& element, bool openDropDown) {
    if (RibbonCategory* category = element.ParentCategory(); category && &element == &category->Tab()) {
        POINT middle = Middle(element.Rect());
        OnLButtonDown(middle);
        return;
    }
    if (&element == &appButton_) {
        ShowApplicationMenu();
        return;
    }
    if (auto* box = dynamic_cast<RibbonComboBox*>(&element)) {
        if (openDropDown || !box->Window()) {
            box->DropDownList();
        } else {
            LeaveKeyboardMode(false);
            ::SetFocus(box->Window());
        }
        return;
    }
    if (element.SendsCommand() && !element.State().enabled)
        return;
    if (element.GetDropDown() == RibbonElement::DropDown::Menu ||
        (openDropDown && element.GetDropDown() == RibbonElement::DropDown::Split)) {
        dropped_ = &element;
        InvalidateElement(element);
        element.OnShowPopupMenu();
        dropped_ = nullptr;
        if (Handle())
            InvalidateElement(element);
        return;
    }
    Execute(element);
}

void RibbonBar::Execute(RibbonElement& element) {
    if (!element.SendsCommand())
        return;
    const int id = element.Id();
    LeaveKeyboardMode(true);
    EndPeek();
    SendCommand(id);
}

// Keyboard.

std::vector<RibbonElement*> RibbonBar::FocusOrder() const {
    std::vector<RibbonElement*> order;
    for (RibbonElement* element : ShownElements())
        if (element->Visible() && !::IsRectEmpty(&element->Rect()) && !element->IsSeparator())
            order.push_back(element);
    return order;
}

void RibbonBar::EnterKeyboardMode(RibbonElement* start) {
    std::vector<RibbonElement*> order = FocusOrder();
    if (order.empty())
        return;
    HWND focus = ::GetFocus();
    if (focus != Handle())
        focusBefore_ = focus;
    focused_ = start ? start : order.front();
    ::SetFocus(Handle());
    ::InvalidateRect(Handle(), nullptr, FALSE);
    accessible_.NotifyElement(EVENT_OBJECT_FOCUS, focused_);
}

void RibbonBar::LeaveKeyboardMode(bool restoreFocus) {
    if (!focused_)
        return;
    focused_ = nullptr;
    if (Handle())
        ::InvalidateRect(Handle(), nullptr, FALSE);
    HWND before = std::exchange(focusBefore_, nullptr);
    if (restoreFocus && ::GetFocus() == Handle())
        ::SetFocus(before && ::IsWindow(before) ? before : ::GetParent(Handle()));
}

void RibbonBar::OnKeyDown(UINT key) {
    std::vector<RibbonElement*> order = FocusOrder();
    auto position = std::find(order.begin(), order.end(), focused_);
    if (order.empty() || position == order.end()) {
        LeaveKeyboardMode(true);
        return;
    }
    const bool shift = ::GetKeyState(VK_SHIFT) < 0;
    switch (key) {
    case VK_RIGHT:
    case VK_LEFT:
    case VK_TAB: {
        const bool forward = key == VK_RIGHT || (key == VK_TAB && !shift);
        size_t index = static_cast<size_t>(position - order.begin());
        index = forward ? (index + 1) % order.size() : (index + order.size() - 1) % order.size();
        focused_ = order[index];
        ::InvalidateRect(Handle(), nullptr, FALSE);
        accessible_.NotifyElement(EVENT_OBJECT_FOCUS, focused_);
        break;
    }
    case VK_RETURN:
    case VK_SPACE:
    case VK_DOWN:
        Activate(*focused_, key == VK_DOWN);
        break;
    case VK_ESCAPE:
        EndPeek();
        LeaveKeyboardMode(true);
        break;
    default:
        break;
    }
}

bool RibbonBar::OnKeyMenu(wchar_t key) {
    if (key == 0) {
        focused_ ? LeaveKeyboardMode(true) : EnterKeyboardMode(nullptr);
        return true;
    }
    auto lowered = [](wchar_t c) {
        wchar_t text[2] = {c, L'\0'};
        ::CharLowerW(text);
        return text[0];
    };
    const wchar_t lower = lowered(key);
    auto matches = [&](const std::wstring& tip) { return tip.size() == 1 && lowered(tip[0]) == lower; };
    if (matches(appButton_.KeyTip())) {
        ShowApplicationMenu();
        return true;
    }
    for (const auto& category : categories_) {
        // The key marked with "&", or else the name's first letter.
        const std::wstring& name = category->Name();
        size_t amp = name.find(L'&');
        size_t keyAt = amp != std::wstring::npos && amp + 1 < name.size() ? amp + 1 : 0;
        if (!name.empty() && matches(name.substr(keyAt, 1))) {
            EnterKeyboardMode(&category->Tab());
            Activate(category->Tab(), false);
            return true;
        }
    }
    return false;
}

// Showing a minimized ribbon's category over the frame.

void RibbonBar::BeginPeek() {
    if (!hideElements_ || peeking_ || !Handle())
        return;
    peeking_ = true;
    RECT rect;
    ::GetWindowRect(Handle(), &rect);
    ::MapWindowPoints(nullptr, ::GetParent(Handle()), reinterpret_cast<POINT*>(&rect), 2);
    ::SetWindowPos(Handle(), HWND_TOP, rect.left, rect.top, rect.right - rect.left,
                   metrics_.tabRowHeight + metrics_.panelAreaHeight, 0);
    RecalcLayout();
    ::SetTimer(Handle(), kPeekTimer, kPeekInterval, nullptr);
}

void RibbonBar::EndPeek() {
    if (!peeking_ || !Handle())
        return;
    peeking_ = false;
    ::KillTimer(Handle(), kPeekTimer);
    RECT rect;
    ::GetWindowRect(Handle(), &rect);
    ::MapWindowPoints(nullptr, ::GetParent(Handle()), reinterpret_cast<POINT*>(&rect), 2);
    ::SetWindowPos(Handle(), nullptr, rect.left, rect.top, rect.right - rect.left, Height(), SWP_NOZORDER);
    RecalcLayout();
    ::RedrawWindow(::GetParent(Handle()), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void RibbonBar::OnShowContextMenu(POINT screenPoint) {
    UniqueMenu menu(::CreatePopupMenu());
    if (!menu)
        return;
    constexpr UINT kMinimizeItem = 1;
    ::AppendMenuW(menu.get(), MF_STRING | (hideElements_ ? MF_CHECKED : MF_UNCHECKED), kMinimizeItem,
                  FrameworkString(IDS_RIBBON_MINIMIZE).c_str());
    UINT chosen =
        static_cast<UINT>(::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON,
                                           screenPoint.x, screenPoint.y, 0, Handle(), nullptr));
    menu.reset();
    if (chosen == kMinimizeItem)
        ToggleHideElements();
}

// Questions from outside.

LRESULT RibbonBar::OnQuery(WPARAM wParam, LPARAM lParam) {
    const unsigned question = LOWORD(wParam), argument = HIWORD(wParam);
    auto element = [&]() -> RibbonElement* {
        if (argument == kRibbonApplicationButton)
            return &appButton_;
        if (argument >= kRibbonTabRowElement && argument < kRibbonTabRowElement + tabElements_.size())
            return tabElements_[argument - kRibbonTabRowElement].get();
        if (argument >= kRibbonQuickAccessElement &&
            argument < kRibbonQuickAccessElement + quickAccess_.size())
            return quickAccess_[argument - kRibbonQuickAccessElement].get();
        return FindById(static_cast<int>(argument));
    };
    // The asker names a window of its own; whatever else lParam holds, nothing is written through it.
    auto answer = [&](const std::wstring& text) -> LRESULT {
        const auto reply = reinterpret_cast<HWND>(lParam);
        if (!reply || !::IsWindow(reply))
            return 0;
        const size_t length = std::min<size_t>(text.size(), kRibbonQueryTextSize - 1);
        COPYDATASTRUCT data = {question, static_cast<DWORD>(length * sizeof(wchar_t)),
                               const_cast<wchar_t*>(text.data())};
        DWORD_PTR ignored = 0;
        if (!::SendMessageTimeoutW(reply, WM_COPYDATA, reinterpret_cast<WPARAM>(Handle()),
                                   reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 2000, &ignored))
            return 0;
        return static_cast<LRESULT>(length);
    };
    switch (question) {
    case kRibbonElementPoint:
    case kRibbonElementArrow: {
        RibbonElement* found = element();
        if (!found || !found->Visible())
            return 0;
        return PackPoint(question == kRibbonElementArrow ? ArrowPart(*found) : found->Rect());
    }
    case kRibbonElementText:
        if (RibbonElement* found = element())
            return answer(found->Text());
        return 0;
    case kRibbonElementTip:
        if (RibbonElement* found = element()) {
            found->UpdateTooltipInfo();
            return answer(found->ToolTip() + L"\n" + found->Description());
        }
        return 0;
    case kRibbonElementState:
        if (RibbonElement* found = element())
            return (found->State().enabled ? 1 : 0) | (found->State().checked ? 2 : 0);
        return 0;
    case kRibbonCategoryCount:
        return static_cast<LRESULT>(categories_.size());
    case kRibbonCategoryName:
        return argument < categories_.size() ? answer(categories_[argument]->Name()) : 0;
    case kRibbonCategoryPoint:
        return argument < categories_.size() ? PackPoint(categories_[argument]->Tab().Rect()) : 0;
    case kRibbonActiveCategory:
        for (size_t i = 0; i < categories_.size(); ++i)
            if (categories_[i].get() == active_)
                return static_cast<LRESULT>(i);
        return -1;
    case kRibbonMinimized:
        return hideElements_ ? 1 : 0;
    case kRibbonMenuItemCount:
        return static_cast<LRESULT>(openMenuItems_.size());
    case kRibbonMenuItemText:
        return argument < openMenuItems_.size() ? answer(openMenuItems_[argument]) : 0;
    case kRibbonSearchItemCount:
    case kRibbonSearchItemText:
        for (const auto& tabElement : tabElements_)
            if (auto* box = dynamic_cast<RibbonComboBox*>(tabElement.get())) {
                if (question == kRibbonSearchItemCount)
                    return static_cast<LRESULT>(box->Items().size());
                return argument < box->Items().size() ? answer(box->Items()[argument]) : 0;
            }
        return 0;
    case kRibbonPanelName:
        if (active_ && argument < active_->Panels().size())
            return answer(active_->Panels()[argument]->Name());
        return 0;
    case kRibbonMenuOpen:
        return dropped_ != nullptr || pressed_ == &appButton_ ? 1 : 0;
    default:
        return 0;
    }
}

LRESULT RibbonBar::OnNotify(const NMHDR& header) {
    if (header.hwndFrom != tooltips_ || header.code != TTN_GETDISPINFOW)
        return 0;
    auto& info = const_cast<NMTTDISPINFOW&>(reinterpret_cast<const NMTTDISPINFOW&>(header));
    RibbonElement* element = nullptr;
    if (info.uFlags & TTF_IDISHWND) {
        for (const auto& tabElement : tabElements_)
            if (tabElement->Window() == reinterpret_cast<HWND>(header.idFrom))
                element = tabElement.get();
    } else if (header.idFrom < tipElements_.size()) {
        element = tipElements_[header.idFrom];
    }
    std::wstring& text = tipText_;
    text.clear();
    std::wstring title;
    if (element) {
        element->UpdateTooltipInfo();
        title = element->ToolTip();
        if (title.empty())
            title = element->Text();
        text = element->Description();
    }
    // The tooltip in bold above the description; a tooltip alone is the tip's only text.
    if (text.empty() || text == title) {
        text = title;
        title.clear();
    }
    ::SendMessageW(tooltips_, TTM_SETTITLEW, TTI_NONE, reinterpret_cast<LPARAM>(title.c_str()));
    info.lpszText = text.data();
    return 0;
}

LRESULT RibbonBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (LRESULT answer = 0; accessible_.OnMessage(Handle(), message, wParam, lParam, answer))
        return answer;
#if defined(MOVALENT_TEST_HOOKS)
    if (message == QueryRibbonMessage())
        return OnQuery(wParam, lParam);
#endif
    const POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_PAINT: {
        PaintDc dc(Handle());
        Paint(dc.get());
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        RecalcLayout();
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        doubleClick_ = message == WM_LBUTTONDBLCLK;
        OnLButtonDown(point);
        doubleClick_ = false;
        return 0;
    case WM_LBUTTONUP:
        OnLButtonUp(point);
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(point);
        return 0;
    case WM_MOUSELEAVE:
        trackingLeave_ = false;
        SetHot(nullptr);
        return 0;
    case WM_CAPTURECHANGED:
        if (pressed_) {
            InvalidateElement(*pressed_);
            pressed_ = nullptr;
        }
        return 0;
    case WM_CONTEXTMENU: {
        POINT screen = point;
        if (screen.x == -1 && screen.y == -1) {
            screen = {0, metrics_.tabRowHeight};
            ::ClientToScreen(Handle(), &screen);
        }
        POINT client = screen;
        ::ScreenToClient(Handle(), &client);
        if (client.y < metrics_.tabRowHeight)
            OnShowContextMenu(screen);
        return 0;
    }
    case WM_TIMER:
        if (wParam == kPeekTimer && peeking_) {
            // A click outside the shown category, or the frame losing the foreground, puts it away.
            POINT cursor;
            ::GetCursorPos(&cursor);
            RECT rect;
            ::GetWindowRect(Handle(), &rect);
            const bool clickOutside =
                (::GetAsyncKeyState(VK_LBUTTON) < 0 || ::GetAsyncKeyState(VK_RBUTTON) < 0) &&
                !::PtInRect(&rect, cursor);
            if (clickOutside || ::GetForegroundWindow() != ::GetAncestor(Handle(), GA_ROOT))
                EndPeek();
        }
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS;
    case WM_KILLFOCUS:
        if (focused_) {
            focused_ = nullptr;
            focusBefore_ = nullptr;
            ::InvalidateRect(Handle(), nullptr, FALSE);
        }
        return 0;
    case WM_NOTIFY:
        return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_COMMAND:
        // The edit's notifications; commands come from the bar's own elements.
        return 0;
    case WM_DESTROY:
        if (tooltips_) {
            ::DestroyWindow(tooltips_);
            tooltips_ = nullptr;
        }
        return Default();
    default:
        return Window::WindowProc(message, wParam, lParam);
    }
}

} // namespace movalent
