#include "framework/StatusBar.h"

#include "framework/Handles.h"
#include "framework/StatusBarLayout.h"
#include "framework/WindowDpi.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

namespace movalent {

namespace {

constexpr wchar_t kStatusBarClass[] = L"MovalentStatusBar";

template <typename List> StatusBarElement* At(const List& list, size_t index) {
    return index < list.size() ? list[index].get() : nullptr;
}

} // namespace

StatusBar::StatusBar() : font_(MakeMessageFont(kDesignDpi)) {}

StatusBar::~StatusBar() {
    // The element objects outlive their windows' last messages.
    if (Handle())
        DestroyWindow();
}

bool StatusBar::CreateBar(HWND parent, UINT id) {
    if (!RegisterWindowClass(kStatusBarClass, 0, ::LoadCursorW(nullptr, IDC_ARROW),
                             reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)))
        return false;
    SetDpi(DpiOfWindow(parent));
    RECT rect = {0, 0, 0, Height()};
    if (!Create(0, kStatusBarClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, rect,
                parent, id))
        return false;
    tooltips_ = ::CreateWindowExW(
        WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr, ResourceInstance(), nullptr);
    return true;
}

int StatusBar::Height() const {
    WindowDc screen(nullptr);
    ScopedSelection font(screen.get(), font_.get());
    TEXTMETRICW metrics = {};
    ::GetTextMetricsW(screen.get(), &metrics);
    return std::max<int>(metrics_.minimumHeight, metrics.tmHeight + 2 * metrics_.verticalPadding + metrics_.Px(2));
}

void StatusBar::SetDpi(int dpi) {
    metrics_ = StatusBarMetricsForDpi(dpi);
    // The elements take the new font before the old one goes.
    UniqueGdiObject font = MakeMessageFont(dpi);
    for (const auto* list : {&ordinary_, &extended_})
        for (const auto& element : *list) {
            element->SetDpi(dpi);
            element->SetFont(static_cast<HFONT>(font.get()));
        }
    font_ = std::move(font);
    RecalcLayout();
}

void StatusBar::Place(RECT& area) {
    const int height = Height();
    RECT rect = {area.left, std::max(area.top, area.bottom - height), area.right, area.bottom};
    MoveTo(rect, true);
    area.bottom = rect.top;
    RecalcLayout();
}

StatusBarElement* StatusBar::Add(bool extended, std::unique_ptr<StatusBarElement> element) {
    element->SetDpi(Dpi());
    element->SetFont(static_cast<HFONT>(font_.get()));
    if (tooltips_ && element->GetKind() != StatusBarElement::Kind::Pane) {
        // Elements without text of their own are named by their tooltip.
        TTTOOLINFOW tool = {};
        tool.cbSize = sizeof(tool);
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = Handle();
        tool.uId = reinterpret_cast<UINT_PTR>(element->Handle());
        tool.lpszText = const_cast<wchar_t*>(element->Label().c_str());
        ::SendMessageW(tooltips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    auto& list = extended ? extended_ : ordinary_;
    list.push_back(std::move(element));
    RecalcLayout();
    return list.back().get();
}

StatusBarPane* StatusBar::AddPane(bool extended, UINT id, const std::wstring& text, const std::wstring& label,
                                  StatusBarPane::Options options) {
    auto pane = std::make_unique<StatusBarPane>(id, label, std::move(options));
    if (!Handle() || !pane->Create(Handle(), text))
        return nullptr;
    return static_cast<StatusBarPane*>(Add(extended, std::move(pane)));
}

StatusBarProgressBar* StatusBar::AddProgressBar(bool extended, UINT id, int width, int height,
                                                const std::wstring& label) {
    auto progress = std::make_unique<StatusBarProgressBar>(id, label, width, height);
    if (!Handle() || !progress->Create(Handle()))
        return nullptr;
    return static_cast<StatusBarProgressBar*>(Add(extended, std::move(progress)));
}

StatusBarSlider* StatusBar::AddSlider(bool extended, UINT id, const std::wstring& label,
                                      StatusBarSlider::Options options) {
    auto slider = std::make_unique<StatusBarSlider>(id, label, options);
    if (!Handle() || !slider->Create(Handle()))
        return nullptr;
    return static_cast<StatusBarSlider*>(Add(extended, std::move(slider)));
}

StatusBarElement* StatusBar::FindById(UINT id) const {
    for (const auto* list : {&ordinary_, &extended_})
        for (const auto& element : *list)
            if (element->Id() == id)
                return element.get();
    return nullptr;
}

StatusBarElement* StatusBar::Ordinary(size_t index) const {
    return At(ordinary_, index);
}

StatusBarElement* StatusBar::Extended(size_t index) const {
    return At(extended_, index);
}

StatusBarElement* StatusBar::ElementOfWindow(HWND hwnd) const {
    for (const auto* list : {&ordinary_, &extended_})
        for (const auto& element : *list) {
            if (element->Handle() == hwnd)
                return element.get();
            if (auto* slider = dynamic_cast<StatusBarSlider*>(element.get());
                slider && slider->IsZoomButton(hwnd))
                return element.get();
        }
    return nullptr;
}

void StatusBar::RecalcLayout() {
    if (!Handle())
        return;
    RECT client = ClientRect();
    const int barHeight = client.bottom - client.top;
    const int innerHeight = std::max(0, barHeight - 2 * metrics_.verticalPadding);

    StatusBarPlacement placement;
    {
        WindowDc window(Handle());
        HDC dc = window.get();
        ScopedSelection font(dc, font_.get());
        auto slots = [&](const std::vector<std::unique_ptr<StatusBarElement>>& list) {
            std::vector<StatusBarSlot> result;
            for (const auto& element : list) {
                auto* pane = dynamic_cast<const StatusBarPane*>(element.get());
                result.push_back({element->Width(dc), element->Visible(), pane && pane->Stretches()});
            }
            return result;
        };
        placement = LayOutStatusBar(client.right - client.left, slots(ordinary_), slots(extended_),
                                    !information_.empty(), metrics_);
    }

    auto place = [&](const std::vector<std::unique_ptr<StatusBarElement>>& list,
                     const std::vector<StatusBarSpan>& spans) {
        for (size_t i = 0; i < list.size(); ++i) {
            StatusBarElement& element = *list[i];
            const int height = std::min(element.Height(innerHeight), innerHeight);
            const int top = (barHeight - height) / 2;
            RECT rect = {spans[i].left, top, spans[i].right, top + height};
            element.Place(rect, element.Visible() && !spans[i].Empty());
        }
    };
    place(ordinary_, placement.ordinary);
    place(extended_, placement.extended);

    informationRect_ = {placement.mainArea.left + metrics_.textPadding, 0,
                        placement.mainArea.right - metrics_.textPadding, barHeight};
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

void StatusBar::SetInformation(const std::wstring& text) {
    const bool changesLayout = text.empty() != information_.empty();
    information_ = text;
    SetText(text);
    accessible_.Notify(EVENT_OBJECT_NAMECHANGE, 1);
    if (changesLayout)
        RecalcLayout();
    else
        ::InvalidateRect(Handle(), &informationRect_, TRUE);
}

void StatusBar::UpdateCommandStates(CommandTarget& router) {
    for (const auto* list : {&ordinary_, &extended_})
        for (const auto& element : *list)
            if (element->SendsCommand())
                element->Enable(router.RouteCommandState(element->Id()).enabled);
}

void StatusBar::SendElementCommand(const StatusBarElement& element) const {
    HWND parent = ::GetParent(Handle());
    if (parent)
        ::SendMessageW(parent, WM_COMMAND, MAKEWPARAM(element.Id(), 0),
                       reinterpret_cast<LPARAM>(element.Handle()));
}

void StatusBar::OnShowContextMenu(POINT) {}

void StatusBar::Paint() {
    PaintDc paint(Handle());
    HDC dc = paint.get();
    RECT client = ClientRect();
    // A line along the top edge parts the bar from the tabs above it.
    RECT edge = {client.left, client.top, client.right, client.top + 1};
    ::FillRect(dc, &edge, ::GetSysColorBrush(COLOR_BTNSHADOW));
    if (!information_.empty()) {
        ScopedSelection font(dc, font_.get());
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
        RECT text = informationRect_;
        ::DrawTextW(dc, information_.c_str(), static_cast<int>(information_.size()), &text,
                    DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
}

LRESULT StatusBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (LRESULT answer = 0; accessible_.OnMessage(Handle(), message, wParam, lParam, answer))
        return answer;
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_SIZE:
        RecalcLayout();
        return 0;
    case WM_COMMAND: {
        HWND control = reinterpret_cast<HWND>(lParam);
        StatusBarElement* element = control ? ElementOfWindow(control) : nullptr;
        if (!element || HIWORD(wParam) != BN_CLICKED) // STN_CLICKED has the same value
            return 0;
        if (auto* slider = dynamic_cast<StatusBarSlider*>(element); slider && slider->IsZoomButton(control))
            slider->Step(slider->IsPlusButton(control));
        if (element->SendsCommand())
            SendElementCommand(*element);
        return 0;
    }
    case WM_CTLCOLORSTATIC: {
        // The panes' texts in the bar's own text colour, as the information text (a system default would take
        // the window text colour, which a high-contrast scheme need not make legible on the button face).
        HDC dc = reinterpret_cast<HDC>(wParam);
        ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
        ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_HSCROLL: {
        // Every move the user makes; the end of a drag or key press repeats the last one.
        StatusBarElement* element = ElementOfWindow(reinterpret_cast<HWND>(lParam));
        const int code = LOWORD(wParam);
        if (element && code != TB_ENDTRACK && code != TB_THUMBPOSITION)
            SendElementCommand(*element);
        return 0;
    }
    case WM_CONTEXTMENU: {
        // Not while the left button is down: the user is still dragging or clicking.
        if (::GetKeyState(VK_LBUTTON) & 0x8000)
            return 0;
        POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (point.x == -1 && point.y == -1) {
            point = {0, 0};
            ::ClientToScreen(Handle(), &point);
        }
        OnShowContextMenu(point);
        return 0;
    }
    default:
        return Window::WindowProc(message, wParam, lParam);
    }
}

} // namespace movalent
