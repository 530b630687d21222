// How the ribbon looks: gradients in the colours of the visual style, drawn off-screen and copied at once.
#include "framework/RibbonBar.h"

#include "framework/OffscreenBuffer.h"
#include "framework/RibbonLayoutRules.h"
#include "framework/RibbonMetrics.h"

#include <algorithm>

namespace movalent {

namespace {

COLORREF Colour(std::uint32_t value) {
    return static_cast<COLORREF>(value);
}

void Gradient(HDC dc, const RECT& rect, std::uint32_t top, std::uint32_t bottom, bool gradients) {
    if (rect.bottom <= rect.top || rect.right <= rect.left)
        return;
    if (!gradients)
        bottom = top;
    TRIVERTEX vertices[2] = {};
    vertices[0] = {rect.left,
                   rect.top,
                   static_cast<COLOR16>(GetRValue(top) << 8),
                   static_cast<COLOR16>(GetGValue(top) << 8),
                   static_cast<COLOR16>(GetBValue(top) << 8),
                   0};
    vertices[1] = {rect.right,
                   rect.bottom,
                   static_cast<COLOR16>(GetRValue(bottom) << 8),
                   static_cast<COLOR16>(GetGValue(bottom) << 8),
                   static_cast<COLOR16>(GetBValue(bottom) << 8),
                   0};
    GRADIENT_RECT mesh = {0, 1};
    ::GdiGradientFill(dc, vertices, 2, &mesh, 1, GRADIENT_FILL_RECT_V);
}

void Frame(HDC dc, const RECT& rect, std::uint32_t colour, int round) {
    HPEN pen = ::CreatePen(PS_SOLID, 1, Colour(colour));
    HGDIOBJ oldPen = ::SelectObject(dc, pen);
    HGDIOBJ oldBrush = ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
    ::RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, round, round);
    ::SelectObject(dc, oldBrush);
    ::SelectObject(dc, oldPen);
    ::DeleteObject(pen);
}

void Arrow(HDC dc, int x, int y, std::uint32_t colour) {
    // A small downward triangle, five pixels wide.
    for (int row = 0; row < 3; ++row)
        for (int column = row; column < 5 - row; ++column)
            ::SetPixelV(dc, x + column, y + row, Colour(colour));
}

void DrawLabel(HDC dc, const std::wstring& text, RECT rect, UINT format, std::uint32_t colour,
               bool showPrefix) {
    ::SetTextColor(dc, Colour(colour));
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
                format | DT_SINGLELINE | (showPrefix ? 0 : DT_HIDEPREFIX));
}

} // namespace

void RibbonBar::Paint(HDC target) const {
    RECT client = ClientRect();
    OffscreenBuffer buffer(target, client.right, client.bottom);
    HDC dc = buffer.Dc();
    if (!dc)
        return;
    ScopedSelection font(dc, font_ ? font_.get() : ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(dc, TRANSPARENT);
    Gradient(dc, client, colours_.tabRowTop, colours_.tabRowBottom, colours_.gradients);
    PaintPanels(dc);
    PaintTabRow(dc);
    PaintApplicationButton(dc);
    ::BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
}

void RibbonBar::PaintButtonFace(HDC dc, const RECT& rect, const RibbonElement& element) const {
    const bool pressed = &element == pressed_ || &element == dropped_;
    const bool checked = element.State().checked || element.State().radio;
    const bool hot = &element == hot_ && (element.State().enabled || !element.SendsCommand());
    if (pressed || checked) {
        Gradient(dc, rect, colours_.pressedTop, colours_.pressedBottom, colours_.gradients);
        Frame(dc, rect, colours_.pressedBorder, 4);
    } else if (hot) {
        Gradient(dc, rect, colours_.hotTop, colours_.hotBottom, colours_.gradients);
        Frame(dc, rect, colours_.hotBorder, 4);
    }
    if (&element == focused_) {
        RECT focus = rect;
        ::InflateRect(&focus, -2, -2);
        ::SetTextColor(dc, Colour(colours_.buttonText));
        ::DrawFocusRect(dc, &focus);
    }
}

void RibbonBar::PaintTabRow(HDC dc) const {
    for (const auto& category : categories_) {
        const RibbonElement& tab = const_cast<RibbonCategory&>(*category).Tab();
        RECT rect = tab.Rect();
        const bool selected = category.get() == active_ && (!hideElements_ || peeking_);
        if (selected) {
            RECT fill = {rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom + 1};
            Gradient(dc, fill, colours_.activeTabTop, colours_.activeTabBottom, colours_.gradients);
            Frame(dc, {rect.left, rect.top, rect.right, rect.bottom + 4}, colours_.border, 5);
            RECT seam = {rect.left + 1, rect.bottom - 1, rect.right - 1, rect.bottom + 2};
            Gradient(dc, seam, colours_.activeTabBottom, colours_.activeTabBottom, false);
        } else if (&tab == hot_) {
            RECT fill = {rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom};
            Gradient(dc, fill, colours_.hotTab, colours_.tabRowBottom, colours_.gradients);
            Frame(dc, {rect.left, rect.top, rect.right, rect.bottom + 4}, colours_.border, 5);
        }
        if (&tab == focused_) {
            RECT focus = rect;
            ::InflateRect(&focus, -3, -3);
            ::DrawFocusRect(dc, &focus);
        }
        DrawLabel(dc, category->Name(), rect, DT_CENTER | DT_VCENTER,
                  selected ? colours_.activeTabText : colours_.tabText, focused_ != nullptr);
    }
    for (const auto& button : quickAccess_) {
        PaintButtonFace(dc, button->Rect(), *button);
        const RECT& rect = button->Rect();
        if (const ImageStrip* strip = StripOf(*button, false))
            strip->Draw(dc, button->Image(), rect.left + (rect.right - rect.left - ribbon::kSmallImage) / 2,
                        rect.top + (rect.bottom - rect.top - ribbon::kSmallImage) / 2,
                        button->State().enabled, ribbon::kSmallImage);
    }
    for (const auto& element : tabElements_)
        if (!::IsRectEmpty(&element->Rect()))
            PaintTabElement(dc, *element);
}

void RibbonBar::PaintTabElement(HDC dc, const RibbonElement& element) const {
    RECT rect = element.Rect();
    if (auto* box = dynamic_cast<const RibbonComboBox*>(&element)) {
        HBRUSH white = ::CreateSolidBrush(::GetSysColor(COLOR_WINDOW));
        ::FillRect(dc, &rect, white);
        ::DeleteObject(white);
        Frame(dc, rect, &element == hot_ ? colours_.hotBorder : colours_.editBorder, 0);
        RECT arrow = {rect.right - ribbon::kComboArrowWidth, rect.top + 1, rect.right - 1, rect.bottom - 1};
        if (&element == hot_ || &element == focused_)
            Gradient(dc, arrow, colours_.hotTop, colours_.hotBottom, colours_.gradients);
        Arrow(dc, arrow.left + (arrow.right - arrow.left - 5) / 2,
              arrow.top + (arrow.bottom - arrow.top - 3) / 2, colours_.buttonText);
        if (&element == focused_) {
            RECT focus = rect;
            ::InflateRect(&focus, -1, -1);
            ::DrawFocusRect(dc, &focus);
        }
        if (!box->Window())
            DrawLabel(dc, element.Text(), {rect.left + 4, rect.top, arrow.left, rect.bottom},
                      DT_LEFT | DT_VCENTER, colours_.disabledText, false);
        return;
    }
    PaintButtonFace(dc, rect, element);
    int x = rect.left + ribbon::kButtonPadding;
    const bool enabled = element.State().enabled || !element.SendsCommand();
    if (element.Image() >= 0) {
        if (const ImageStrip* strip = StripOf(element, false))
            strip->Draw(dc, element.Image(), x, rect.top + (rect.bottom - rect.top - ribbon::kSmallImage) / 2,
                        enabled, ribbon::kSmallImage);
        x += ribbon::kSmallImage + ribbon::kButtonPadding;
    }
    const bool arrow = element.GetDropDown() != RibbonElement::DropDown::None;
    DrawLabel(dc, element.Text(), {x, rect.top, rect.right - (arrow ? 10 : 0), rect.bottom},
              DT_LEFT | DT_VCENTER, enabled ? colours_.tabText : colours_.disabledText, focused_ != nullptr);
    if (arrow)
        Arrow(dc, rect.right - 10, rect.top + (rect.bottom - rect.top) / 2 - 1, colours_.tabText);
}

void RibbonBar::PaintPanels(HDC dc) const {
    if (::IsRectEmpty(&panelArea_) || !active_)
        return;
    RECT area = panelArea_;
    area.right -= 1;
    area.bottom -= 1;
    Gradient(dc, area, colours_.activeTabBottom, colours_.panelBottom, colours_.gradients);
    Frame(dc, {area.left - 1, area.top, area.right + 1, area.bottom + 1}, colours_.border, 0);
    for (const auto& panel : active_->Panels()) {
        RECT rect = panel->Rect();
        if (::IsRectEmpty(&rect))
            continue;
        Gradient(dc, {rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1}, colours_.panelTop,
                 colours_.panelBottom, colours_.gradients);
        RECT caption = {rect.left + 1, rect.bottom - ribbon::kPanelCaption, rect.right - 1, rect.bottom - 1};
        Gradient(dc, caption, colours_.panelCaption, colours_.panelCaption, false);
        Frame(dc, rect, colours_.border, 5);
        DrawLabel(dc, panel->Name(), caption, DT_CENTER | DT_VCENTER | DT_END_ELLIPSIS,
                  colours_.panelCaptionText, false);
        if (panel->Collapsed()) {
            RibbonElement& button = const_cast<RibbonPanel&>(*panel).CollapsedButton();
            RECT face = button.Rect();
            PaintButtonFace(dc, face, button);
            const int middle = (face.left + face.right) / 2;
            RECT frame = {middle - 17, face.top + 6, middle + 17, face.top + 40};
            Frame(dc, frame, colours_.border, 6);
            if (panelImages_)
                panelImages_->Draw(dc, panel->Icon(), middle - 8, face.top + 15, true, ribbon::kSmallImage);
            DrawLabel(dc, panel->Name(), {face.left, face.top + 42, face.right, face.top + 58},
                      DT_CENTER | DT_TOP | DT_END_ELLIPSIS, colours_.buttonText, false);
            Arrow(dc, middle - 2, face.top + 61, colours_.buttonText);
            continue;
        }
        for (const auto& element : panel->Elements())
            PaintLargeButton(dc, *element, &active_->LargeImages(), element->Image());
    }
}

void RibbonBar::PaintLargeButton(HDC dc, const RibbonElement& element, const ImageStrip* strip,
                                 int image) const {
    const RECT& rect = element.Rect();
    if (::IsRectEmpty(&rect) || !element.Visible())
        return;
    PaintButtonFace(dc, rect, element);
    if (element.GetDropDown() == RibbonElement::DropDown::Split &&
        (&element == hot_ || &element == dropped_)) {
        // The split between the command part and the arrow part.
        RECT line = {rect.left + 2, rect.top + ribbon::kArrowPartTop, rect.right - 2,
                     rect.top + ribbon::kArrowPartTop + 1};
        Gradient(dc, line, colours_.hotBorder, colours_.hotBorder, false);
    }
    const bool enabled = element.State().enabled || !element.SendsCommand();
    const int middle = (rect.left + rect.right) / 2;
    if (strip)
        strip->Draw(dc, image, middle - ribbon::kLargeImage / 2, rect.top + 4, enabled, ribbon::kLargeImage);
    auto measure = [dc](const std::wstring& text) {
        SIZE size = {};
        ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        return static_cast<int>(size.cx);
    };
    std::vector<std::wstring> lines = SplitLabel(WithoutMnemonic(element.Text()), measure);
    const bool arrow = element.GetDropDown() != RibbonElement::DropDown::None;
    if (arrow && lines.size() == 1)
        lines.push_back(L"");
    TEXTMETRICW metrics = {};
    ::GetTextMetricsW(dc, &metrics);
    int y = rect.top + ribbon::kArrowPartTop + 1;
    const std::uint32_t colour = enabled ? colours_.buttonText : colours_.disabledText;
    for (size_t i = 0; i < lines.size(); ++i) {
        const bool last = i + 1 == lines.size();
        const int width = measure(lines[i]) + (last && arrow ? 9 : 0);
        const int left = middle - width / 2;
        DrawLabel(dc, lines[i], {left, y, left + width + 2, y + metrics.tmHeight},
                  DT_LEFT | DT_TOP | DT_NOPREFIX, colour, false);
        if (last && arrow)
            Arrow(dc, left + width - 5, y + metrics.tmHeight / 2 - 1, colour);
        y += metrics.tmHeight;
    }
}

void RibbonBar::PaintApplicationButton(HDC dc) const {
    RECT rect = appButton_.Rect();
    if (::IsRectEmpty(&rect))
        return;
    // A disc with a light rim; lighter under the mouse, darker while its menu is open.
    const bool hot = &appButton_ == hot_ || &appButton_ == focused_;
    const bool open = &appButton_ == pressed_;
    std::uint32_t outer = colours_.appButtonOuter,
                  inner = open ? colours_.appButtonOuter : colours_.appButtonInner;
    HBRUSH rim = ::CreateSolidBrush(Colour(hot ? colours_.hotBottom : colours_.border));
    HBRUSH fill = ::CreateSolidBrush(Colour(outer));
    HGDIOBJ oldPen = ::SelectObject(dc, ::GetStockObject(NULL_PEN));
    HGDIOBJ oldBrush = ::SelectObject(dc, rim);
    ::Ellipse(dc, rect.left, rect.top, rect.right + 1, rect.bottom + 1);
    ::SelectObject(dc, fill);
    ::Ellipse(dc, rect.left + 2, rect.top + 2, rect.right - 1, rect.bottom - 1);
    HBRUSH glow = ::CreateSolidBrush(Colour(inner));
    ::SelectObject(dc, glow);
    const int width = rect.right - rect.left;
    ::Ellipse(dc, rect.left + width / 5, rect.top + 4, rect.right - width / 5, rect.top + width / 2);
    ::SelectObject(dc, oldBrush);
    ::SelectObject(dc, oldPen);
    ::DeleteObject(glow);
    ::DeleteObject(fill);
    ::DeleteObject(rim);
    const int side = std::min<int>(width - 10, appImage_.ImageSize());
    appImage_.Draw(dc, 0, rect.left + (width - side) / 2, rect.top + (rect.bottom - rect.top - side) / 2,
                   true, side);
    if (focused_ == &appButton_) {
        RECT focus = rect;
        ::InflateRect(&focus, -3, -3);
        ::DrawFocusRect(dc, &focus);
    }
}

} // namespace movalent
