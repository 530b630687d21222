// How the ribbon looks: gradients in the colours of the visual style, drawn off-screen and copied at once.
#include "framework/RibbonBar.h"

#include "framework/Handles.h"
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
    UniqueGdiObject pen(::CreatePen(PS_SOLID, 1, Colour(colour)));
    ScopedSelection outline(dc, pen.get());
    ScopedSelection hollow(dc, ::GetStockObject(NULL_BRUSH));
    ::RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, round, round);
}

// A small downward triangle, rows high and 2 * rows - 1 pixels wide (three and five at 96 dots per inch).
int ArrowRows(const ribbon::Metrics& m) {
    return m.Px(3);
}

int ArrowWidth(const ribbon::Metrics& m) {
    return 2 * ArrowRows(m) - 1;
}

void Arrow(HDC dc, int x, int y, std::uint32_t colour, const ribbon::Metrics& m) {
    const int rows = ArrowRows(m), width = ArrowWidth(m);
    for (int row = 0; row < rows; ++row)
        for (int column = row; column < width - row; ++column)
            ::SetPixelV(dc, x + column, y + row, Colour(colour));
}

// A label's or arrow's colour on a button: the scheme's own on a pressed face, where it has one.
std::uint32_t OnFace(const RibbonColours& colours, bool pressedFace, std::uint32_t colour) {
    return pressedFace && colours.pressedText ? *colours.pressedText : colour;
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

bool RibbonBar::PaintButtonFace(HDC dc, const RECT& rect, const RibbonElement& element) const {
    const bool pressed = &element == pressed_ || &element == dropped_;
    const bool checked = element.State().checked || element.State().radio;
    const bool hot = &element == hot_ && (element.State().enabled || !element.SendsCommand());
    if (pressed || checked) {
        Gradient(dc, rect, colours_.pressedTop, colours_.pressedBottom, colours_.gradients);
        Frame(dc, rect, colours_.pressedBorder, metrics_.Px(4));
    } else if (hot) {
        Gradient(dc, rect, colours_.hotTop, colours_.hotBottom, colours_.gradients);
        Frame(dc, rect, colours_.hotBorder, metrics_.Px(4));
    }
    if (&element == focused_) {
        RECT focus = rect;
        ::InflateRect(&focus, -metrics_.Px(2), -metrics_.Px(2));
        ::SetTextColor(dc, Colour(colours_.buttonText));
        ::DrawFocusRect(dc, &focus);
    }
    return pressed || checked;
}

void RibbonBar::PaintTabRow(HDC dc) const {
    for (const auto& category : categories_) {
        const RibbonElement& tab = const_cast<RibbonCategory&>(*category).Tab();
        RECT rect = tab.Rect();
        const bool selected = category.get() == active_ && (!hideElements_ || peeking_);
        if (selected) {
            RECT fill = {rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom + 1};
            Gradient(dc, fill, colours_.activeTabTop, colours_.activeTabBottom, colours_.gradients);
            Frame(dc, {rect.left, rect.top, rect.right, rect.bottom + metrics_.Px(4)}, colours_.border,
                  metrics_.Px(5));
            RECT seam = {rect.left + 1, rect.bottom - 1, rect.right - 1, rect.bottom + 2};
            Gradient(dc, seam, colours_.activeTabBottom, colours_.activeTabBottom, false);
        } else if (&tab == hot_) {
            RECT fill = {rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom};
            Gradient(dc, fill, colours_.hotTab, colours_.tabRowBottom, colours_.gradients);
            Frame(dc, {rect.left, rect.top, rect.right, rect.bottom + metrics_.Px(4)}, colours_.border,
                  metrics_.Px(5));
        }
        if (&tab == focused_) {
            RECT focus = rect;
            ::InflateRect(&focus, -metrics_.Px(3), -metrics_.Px(3));
            ::DrawFocusRect(dc, &focus);
        }
        DrawLabel(dc, category->Name(), rect, DT_CENTER | DT_VCENTER,
                  selected ? colours_.activeTabText : colours_.tabText, focused_ != nullptr);
    }
    for (const auto& button : quickAccess_) {
        PaintButtonFace(dc, button->Rect(), *button);
        const RECT& rect = button->Rect();
        if (const ImageStrip* strip = StripOf(*button, false))
            strip->Draw(dc, button->Image(), rect.left + (rect.right - rect.left - strip->ImageSize()) / 2,
                        rect.top + (rect.bottom - rect.top - strip->ImageSize()) / 2, button->State().enabled);
    }
    for (const auto& element : tabElements_)
        if (!::IsRectEmpty(&element->Rect()))
            PaintTabElement(dc, *element);
}

void RibbonBar::PaintTabElement(HDC dc, const RibbonElement& element) const {
    RECT rect = element.Rect();
    if (auto* box = dynamic_cast<const RibbonComboBox*>(&element)) {
        ::FillRect(dc, &rect, ::GetSysColorBrush(COLOR_WINDOW));
        Frame(dc, rect, &element == hot_ ? colours_.hotBorder : colours_.editBorder, 0);
        RECT arrow = {rect.right - metrics_.comboArrowWidth, rect.top + 1, rect.right - 1, rect.bottom - 1};
        if (&element == hot_ || &element == focused_)
            Gradient(dc, arrow, colours_.hotTop, colours_.hotBottom, colours_.gradients);
        Arrow(dc, arrow.left + (arrow.right - arrow.left - ArrowWidth(metrics_)) / 2,
              arrow.top + (arrow.bottom - arrow.top - ArrowRows(metrics_)) / 2, colours_.buttonText, metrics_);
        if (&element == focused_) {
            RECT focus = rect;
            ::InflateRect(&focus, -1, -1);
            ::DrawFocusRect(dc, &focus);
        }
        if (!box->Window())
            DrawLabel(dc, element.Text(), {rect.left + metrics_.Px(4), rect.top, arrow.left, rect.bottom},
                      DT_LEFT | DT_VCENTER, colours_.disabledText, false);
        return;
    }
    const bool pressedFace = PaintButtonFace(dc, rect, element);
    int x = rect.left + metrics_.buttonPadding;
    const bool enabled = element.State().enabled || !element.SendsCommand();
    const std::uint32_t text =
        OnFace(colours_, pressedFace, enabled ? colours_.tabText : colours_.disabledText);
    if (element.Image() >= 0) {
        if (const ImageStrip* strip = StripOf(element, false))
            strip->Draw(dc, element.Image(), x, rect.top + (rect.bottom - rect.top - strip->ImageSize()) / 2,
                        enabled);
        x += metrics_.smallImage + metrics_.buttonPadding;
    }
    const bool arrow = element.GetDropDown() != RibbonElement::DropDown::None;
    DrawLabel(dc, element.Text(), {x, rect.top, rect.right - (arrow ? metrics_.arrowRoom : 0), rect.bottom},
              DT_LEFT | DT_VCENTER, text, focused_ != nullptr);
    if (arrow)
        Arrow(dc, rect.right - metrics_.arrowRoom, rect.top + (rect.bottom - rect.top) / 2 - metrics_.Px(1),
              OnFace(colours_, pressedFace, colours_.tabText), metrics_);
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
        RECT caption = {rect.left + 1, rect.bottom - metrics_.panelCaption, rect.right - 1, rect.bottom - 1};
        Gradient(dc, caption, colours_.panelCaption, colours_.panelCaption, false);
        Frame(dc, rect, colours_.border, metrics_.Px(5));
        DrawLabel(dc, panel->Name(), caption, DT_CENTER | DT_VCENTER | DT_END_ELLIPSIS,
                  colours_.panelCaptionText, false);
        if (panel->Collapsed()) {
            RibbonElement& button = const_cast<RibbonPanel&>(*panel).CollapsedButton();
            RECT face = button.Rect();
            const std::uint32_t text =
                OnFace(colours_, PaintButtonFace(dc, face, button), colours_.buttonText);
            const ribbon::Metrics& m = metrics_;
            const int middle = (face.left + face.right) / 2;
            RECT frame = {middle - m.Px(17), face.top + m.Px(6), middle + m.Px(17), face.top + m.Px(40)};
            Frame(dc, frame, colours_.border, m.Px(6));
            const int side = panelStrip_.ImageSize();
            panelStrip_.Draw(dc, panel->Icon(), middle - side / 2, (frame.top + frame.bottom - side) / 2, true);
            DrawLabel(dc, panel->Name(), {face.left, face.top + m.Px(42), face.right, face.top + m.Px(58)},
                      DT_CENTER | DT_TOP | DT_END_ELLIPSIS, text, false);
            Arrow(dc, middle - ArrowWidth(m) / 2, face.top + m.Px(61), text, m);
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
    const bool pressedFace = PaintButtonFace(dc, rect, element);
    if (element.GetDropDown() == RibbonElement::DropDown::Split &&
        (&element == hot_ || &element == dropped_)) {
        // The split between the command part and the arrow part.
        RECT line = {rect.left + metrics_.Px(2), rect.top + metrics_.arrowPartTop, rect.right - metrics_.Px(2),
                     rect.top + metrics_.arrowPartTop + 1};
        Gradient(dc, line, colours_.hotBorder, colours_.hotBorder, false);
    }
    const bool enabled = element.State().enabled || !element.SendsCommand();
    const int middle = (rect.left + rect.right) / 2;
    if (strip)
        strip->Draw(dc, image, middle - strip->ImageSize() / 2, rect.top + metrics_.Px(4), enabled);
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
    int y = rect.top + metrics_.arrowPartTop + 1;
    const std::uint32_t colour =
        OnFace(colours_, pressedFace, enabled ? colours_.buttonText : colours_.disabledText);
    for (size_t i = 0; i < lines.size(); ++i) {
        const bool last = i + 1 == lines.size();
        const int width = measure(lines[i]) + (last && arrow ? metrics_.Px(9) : 0);
        const int left = middle - width / 2;
        DrawLabel(dc, lines[i], {left, y, left + width + 2, y + metrics.tmHeight},
                  DT_LEFT | DT_TOP | DT_NOPREFIX, colour, false);
        if (last && arrow)
            Arrow(dc, left + width - ArrowWidth(metrics_), y + metrics.tmHeight / 2 - metrics_.Px(1), colour,
                  metrics_);
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
    const int width = rect.right - rect.left;
    {
        UniqueGdiObject rim(::CreateSolidBrush(Colour(hot ? colours_.hotBottom : colours_.border)));
        UniqueGdiObject fill(::CreateSolidBrush(Colour(outer)));
        UniqueGdiObject glow(::CreateSolidBrush(Colour(inner)));
        ScopedSelection noOutline(dc, ::GetStockObject(NULL_PEN));
        {
            ScopedSelection brush(dc, rim.get());
            ::Ellipse(dc, rect.left, rect.top, rect.right + 1, rect.bottom + 1);
        }
        {
            ScopedSelection brush(dc, fill.get());
            ::Ellipse(dc, rect.left + metrics_.Px(2), rect.top + metrics_.Px(2), rect.right - metrics_.Px(1),
                      rect.bottom - metrics_.Px(1));
        }
        ScopedSelection brush(dc, glow.get());
        ::Ellipse(dc, rect.left + width / 5, rect.top + metrics_.Px(4), rect.right - width / 5,
                  rect.top + width / 2);
    }
    const int side = std::min<int>(width - metrics_.Px(10), appImage_.ImageSize());
    appImage_.Draw(dc, 0, rect.left + (width - side) / 2, rect.top + (rect.bottom - rect.top - side) / 2, true,
                   side);
    if (focused_ == &appButton_) {
        RECT focus = rect;
        ::InflateRect(&focus, -metrics_.Px(3), -metrics_.Px(3));
        ::DrawFocusRect(dc, &focus);
    }
}

} // namespace movalent
