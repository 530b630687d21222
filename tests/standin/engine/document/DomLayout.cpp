#include "standin/engine/document/DomLayout.h"

#include "standin/engine/page/PageText.h"

#include <algorithm>
#include <cwchar>
#include <initializer_list>
#include <iterator>
#include <unordered_set>

namespace movalent::standin {
namespace {

struct Property {
    std::wstring_view script;
    std::wstring_view css;
    bool inherited;
    std::wstring_view fallback;
};

constexpr Property kProperties[] = {
    {L"display", L"display", false, L"inline"},
    {L"position", L"position", false, L"static"},
    {L"visibility", L"visibility", false, L"inherit"},
    {L"zIndex", L"z-index", false, L"auto"},
    {L"color", L"color", true, L"#000000"},
    {L"backgroundColor", L"background-color", false, L"transparent"},
    {L"fontFamily", L"font-family", true, L"Times New Roman"},
    {L"fontSize", L"font-size", true, L"12pt"},
    {L"fontWeight", L"font-weight", true, L"400"},
    {L"fontStyle", L"font-style", true, L"normal"},
    {L"width", L"width", false, L"auto"},
    {L"height", L"height", false, L"auto"},
    {L"top", L"top", false, L"auto"},
    {L"left", L"left", false, L"auto"},
    {L"right", L"right", false, L"auto"},
    {L"bottom", L"bottom", false, L"auto"},
    {L"marginTop", L"margin-top", false, L"0px"},
    {L"marginRight", L"margin-right", false, L"0px"},
    {L"marginBottom", L"margin-bottom", false, L"0px"},
    {L"marginLeft", L"margin-left", false, L"0px"},
    {L"paddingTop", L"padding-top", false, L"0px"},
    {L"paddingRight", L"padding-right", false, L"0px"},
    {L"paddingBottom", L"padding-bottom", false, L"0px"},
    {L"paddingLeft", L"padding-left", false, L"0px"},
    {L"borderTopWidth", L"border-top-width", false, L"medium"},
    {L"borderRightWidth", L"border-right-width", false, L"medium"},
    {L"borderBottomWidth", L"border-bottom-width", false, L"medium"},
    {L"borderLeftWidth", L"border-left-width", false, L"medium"},
    {L"borderTopStyle", L"border-top-style", false, L"none"},
    {L"borderRightStyle", L"border-right-style", false, L"none"},
    {L"borderBottomStyle", L"border-bottom-style", false, L"none"},
    {L"borderLeftStyle", L"border-left-style", false, L"none"},
    {L"textAlign", L"text-align", true, L"left"},
    {L"textDecoration", L"text-decoration", false, L"none"},
    {L"lineHeight", L"line-height", true, L"normal"},
    {L"overflow", L"overflow", false, L"visible"},
    {L"cursor", L"cursor", true, L"auto"},
    {L"styleFloat", L"float", false, L"none"},
    {L"listStyleType", L"list-style-type", true, L"disc"},
    {L"whiteSpace", L"white-space", true, L"normal"},
    {L"verticalAlign", L"vertical-align", false, L"baseline"},
};

bool IsOneOf(std::wstring_view name, std::initializer_list<std::wstring_view> names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool IsHeading(std::wstring_view tag) {
    return IsOneOf(tag, {L"h1", L"h2", L"h3", L"h4", L"h5", L"h6"});
}

std::optional<std::wstring_view> DisplayDefault(std::wstring_view tag) {
    if (IsOneOf(tag, {L"head", L"title", L"meta", L"link", L"style", L"script", L"base", L"noscript",
                      L"noframes", L"param"}))
        return L"none";
    if (IsHeading(tag) ||
        IsOneOf(tag, {L"html",   L"body",     L"div",      L"p",          L"ul",     L"ol",      L"dl",
                      L"dd",     L"dt",       L"form",     L"blockquote", L"pre",    L"address", L"center",
                      L"hr",     L"fieldset", L"frameset", L"menu",       L"dir",    L"section", L"article",
                      L"header", L"footer",   L"nav",      L"aside",      L"legend", L"caption"}))
        return L"block";
    if (tag == L"li")
        return L"list-item";
    if (tag == L"table")
        return L"table";
    if (tag == L"tr")
        return L"table-row";
    if (tag == L"td" || tag == L"th")
        return L"table-cell";
    if (IsOneOf(tag, {L"tbody", L"thead", L"tfoot"}))
        return L"table-row-group";
    return std::nullopt;
}

// What a tag sets of a property by itself; none when it leaves it to inheritance or the general default.
std::optional<std::wstring_view> TagDefault(std::wstring_view tag, std::wstring_view css) {
    if (css == L"display")
        return DisplayDefault(tag);
    if (tag == L"body" && (css == L"margin-top" || css == L"margin-bottom"))
        return L"15px";
    if (tag == L"body" && (css == L"margin-left" || css == L"margin-right"))
        return L"10px";
    if (css == L"color" && tag == L"a")
        return L"#0000ff";
    if (css == L"font-family" && IsOneOf(tag, {L"pre", L"code", L"tt", L"kbd", L"samp"}))
        return L"Courier New";
    if (css == L"font-weight" && (IsHeading(tag) || IsOneOf(tag, {L"b", L"strong", L"th"})))
        return L"700";
    if (css == L"font-style" && IsOneOf(tag, {L"i", L"em", L"cite", L"var", L"address"}))
        return L"italic";
    if (css == L"font-size") {
        if (tag == L"h1")
            return L"24pt";
        if (tag == L"h2")
            return L"18pt";
        if (tag == L"h3")
            return L"13.5pt";
        if (tag == L"h5")
            return L"10pt";
        if (tag == L"h6")
            return L"7.5pt";
    }
    return std::nullopt;
}

std::vector<std::wstring_view> Words(std::wstring_view text) {
    std::vector<std::wstring_view> words;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() &&
               (text[i] == L' ' || text[i] == L'\t' || text[i] == L'\n' || text[i] == L'\r'))
            ++i;
        const size_t start = i;
        while (i < text.size() && text[i] != L' ' && text[i] != L'\t' && text[i] != L'\n' && text[i] != L'\r')
            ++i;
        if (i > start)
            words.push_back(text.substr(start, i - start));
    }
    return words;
}

// "top", "right", "bottom" or "left" of a one-to-four-value box shorthand.
std::wstring BoxSide(std::wstring_view shorthand, std::wstring_view side) {
    const std::vector<std::wstring_view> values = Words(shorthand);
    if (values.empty() || values.size() > 4)
        return {};
    const size_t n = values.size();
    size_t index = 0;
    if (side == L"right")
        index = n >= 2 ? 1 : 0;
    else if (side == L"bottom")
        index = n >= 3 ? 2 : 0;
    else if (side == L"left")
        index = n == 4 ? 3 : (n >= 2 ? 1 : 0);
    return std::wstring(values[index]);
}

bool IsBorderWidth(std::wstring_view word) {
    return word == L"thin" || word == L"medium" || word == L"thick" ||
           (!word.empty() && ((word[0] >= L'0' && word[0] <= L'9') || word[0] == L'.'));
}

bool IsBorderStyle(std::wstring_view word) {
    return IsOneOf(word, {L"none", L"hidden", L"dotted", L"dashed", L"solid", L"double", L"groove", L"ridge",
                          L"inset", L"outset"});
}

// The width or style word of a border shorthand ("1px solid red").
std::wstring BorderWord(std::wstring_view shorthand, bool width) {
    for (std::wstring_view word : Words(shorthand))
        if (width ? IsBorderWidth(word) : IsBorderStyle(word))
            return std::wstring(word);
    return {};
}

// The value set for css in one set of declarations, a longhand or from a shorthand; empty when none.
std::wstring Declared(const StyleDeclarations& declarations, std::wstring_view css) {
    std::wstring value = declarations.Get(css);
    if (!value.empty())
        return value;
    for (std::wstring_view box : {std::wstring_view(L"margin"), std::wstring_view(L"padding")}) {
        if (css.size() > box.size() + 1 && css.substr(0, box.size()) == box && css[box.size()] == L'-') {
            const std::wstring shorthand = declarations.Get(box);
            return shorthand.empty() ? std::wstring() : BoxSide(shorthand, css.substr(box.size() + 1));
        }
    }
    constexpr std::wstring_view kBorder = L"border-";
    if (css.substr(0, kBorder.size()) == kBorder) {
        const std::wstring_view rest = css.substr(kBorder.size()); // "top-width"
        const size_t dash = rest.find(L'-');
        if (dash == std::wstring_view::npos)
            return {};
        const std::wstring_view side = rest.substr(0, dash);
        const bool width = rest.substr(dash + 1) == L"width";
        const std::wstring box = declarations.Get(width ? L"border-width" : L"border-style");
        if (!box.empty())
            return BoxSide(box, side);
        for (const std::wstring& shorthand :
             {declarations.Get(std::wstring(kBorder) + std::wstring(side)), declarations.Get(L"border")})
            if (!shorthand.empty())
                return BorderWord(shorthand, width);
        return {};
    }
    if (css == L"background-color") {
        const std::wstring background = declarations.Get(L"background");
        if (Words(background).size() == 1)
            return background;
    }
    return {};
}

constexpr size_t IndexOf(std::wstring_view script) {
    for (size_t i = 0; i < std::size(kProperties); ++i)
        if (kProperties[i].script == script)
            return i;
    throw "no such property"; // at compile time: a typing mistake does not build
}

std::wstring Compute(const DomElement& element, const Property& property) {
    for (const DomElement* at = &element; at != nullptr; at = at->parent) {
        if (at->IsText())
            continue;
        std::wstring value;
        if (!at->runtime.Empty())
            value = Declared(at->runtime, property.css);
        if (value.empty() && !at->style.Empty())
            value = Declared(at->style, property.css);
        if (!value.empty())
            return value;
        if (const std::optional<std::wstring_view> byTag = TagDefault(at->tag, property.css))
            return std::wstring(*byTag);
        if (!property.inherited)
            break;
    }
    return std::wstring(property.fallback);
}

std::wstring Style(const DomElement& element, size_t index) {
    return element.IsText() ? std::wstring() : Compute(element, kProperties[index]);
}

constexpr size_t kDisplay = IndexOf(L"display");
constexpr size_t kPosition = IndexOf(L"position");
constexpr size_t kWidth = IndexOf(L"width");
constexpr size_t kHeight = IndexOf(L"height");
constexpr size_t kLeft = IndexOf(L"left");
constexpr size_t kTop = IndexOf(L"top");
constexpr size_t kMargins[] = {IndexOf(L"marginTop"), IndexOf(L"marginRight"), IndexOf(L"marginBottom"),
                               IndexOf(L"marginLeft")};
constexpr size_t kBorders[] = {IndexOf(L"borderTopWidth"), IndexOf(L"borderRightWidth"),
                               IndexOf(L"borderBottomWidth"), IndexOf(L"borderLeftWidth")};
constexpr size_t kPaddings[] = {IndexOf(L"paddingTop"), IndexOf(L"paddingRight"), IndexOf(L"paddingBottom"),
                                IndexOf(L"paddingLeft")};

// "12px", "12", "-3.5px" -> 12, 12, -3; anything else none.
std::optional<long> Pixels(std::wstring_view value) {
    if (value.size() > 2 && value.substr(value.size() - 2) == L"px")
        value.remove_suffix(2);
    if (value.empty() || value.size() > 30)
        return std::nullopt;
    const std::wstring text(value);
    wchar_t* end = nullptr;
    const double number = std::wcstod(text.c_str(), &end);
    if (end != text.c_str() + text.size() ||
        !(text[0] == L'-' || text[0] == L'.' || (text[0] >= L'0' && text[0] <= L'9')))
        return std::nullopt;
    if (number > 1e7 || number < -1e7)
        return std::nullopt;
    return static_cast<long>(number);
}

long PixelsOr0(const DomElement& element, size_t index) {
    return Pixels(Style(element, index)).value_or(0);
}

struct Edges {
    long top = 0, right = 0, bottom = 0, left = 0;
};

Edges EdgesOf(const DomElement& element, const size_t (&sides)[4]) {
    return {PixelsOr0(element, sides[0]), PixelsOr0(element, sides[1]), PixelsOr0(element, sides[2]),
            PixelsOr0(element, sides[3])};
}

bool IsReplaced(std::wstring_view tag) {
    return IsOneOf(tag, {L"img", L"iframe", L"frame", L"input", L"button", L"select", L"textarea", L"object",
                         L"embed", L"applet"});
}

long TextWidth(std::wstring_view text) {
    long characters = 0;
    bool space = false;
    for (wchar_t c : text) {
        const bool blank = c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\f';
        if (!blank || !space)
            ++characters;
        space = blank;
    }
    return characters * kCharWidth;
}

void Hide(DomElement& node) {
    node.box = {};
    for (const DomElementPtr& child : node.children)
        Hide(*child);
}

class Layout {
public:
    // Returns the height it takes, margins included.
    long Block(DomElement& element, long x, long y, long available) {
        const Edges margin = EdgesOf(element, kMargins);
        const Edges border = EdgesOf(element, kBorders);
        const Edges padding = EdgesOf(element, kPaddings);
        const long left = x + margin.left;
        const long top = y + margin.top;
        const long aroundX = border.left + border.right + padding.left + padding.right;
        const long aroundY = border.top + border.bottom + padding.top + padding.bottom;
        const std::optional<long> width = Pixels(Style(element, kWidth));
        const long outerWidth =
            width ? *width + aroundX : std::max(0L, available - margin.left - margin.right);
        const long content = Flow(element, left + border.left + padding.left, top + border.top + padding.top,
                                  std::max(0L, outerWidth - aroundX));
        const std::optional<long> height = Pixels(Style(element, kHeight));
        const long outerHeight = (height ? *height : content) + aroundY;
        element.box = {left, top, outerWidth, outerHeight, true};
        return margin.top + outerHeight + margin.bottom;
    }

private:
    // Lays out the element's children in its content box; returns the content's height.
    long Flow(DomElement& element, long x, long y, long width) {
        long used = 0;
        long lineX = x;
        long lineHeight = 0;
        for (const DomElementPtr& child : element.children) {
            DomElement& node = *child;
            if (!node.IsText() && !IsDisplayed(node)) {
                Hide(node);
            } else if (!node.IsText() && Style(node, kPosition) == L"absolute") {
                Block(node, Pixels(Style(node, kLeft)).value_or(x),
                      Pixels(Style(node, kTop)).value_or(y + used), width);
            } else if (!node.IsText() && !IsReplaced(node.tag) && IsBlockLevel(node)) {
                used += lineHeight;
                lineX = x;
                lineHeight = 0;
                used += Block(node, x, y + used, width);
            } else {
                const std::pair<long, long> size = Inline(node, lineX, y + used);
                lineX += size.first;
                lineHeight = std::max(lineHeight, size.second);
            }
        }
        return used + lineHeight;
    }

    // Places a text, a replaced element or an inline element at (x, y); returns its width and height.
    std::pair<long, long> Inline(DomElement& node, long x, long y) {
        if (node.IsText()) {
            node.box = {x, y, TextWidth(node.text), kLineHeight, true};
            return {node.box.width, node.box.height};
        }
        if (!IsDisplayed(node)) {
            Hide(node);
            return {0, 0};
        }
        if (IsReplaced(node.tag)) {
            const std::pair<long, long> size = ReplacedSize(node);
            node.box = {x, y, size.first, size.second, true};
            for (const DomElementPtr& child : node.children)
                Hide(*child);
            return size;
        }
        long cursor = x;
        long height = kLineHeight;
        for (const DomElementPtr& child : node.children) {
            const std::pair<long, long> size = Inline(*child, cursor, y);
            cursor += size.first;
            height = std::max(height, size.second);
        }
        node.box = {x, y, cursor - x, height, true};
        return {node.box.width, node.box.height};
    }

    static std::pair<long, long> ReplacedSize(const DomElement& element) {
        long width = 100, height = 20;
        if (element.tag == L"iframe" || element.tag == L"frame")
            width = 300, height = 150;
        else if (element.tag == L"img")
            width = height = 24;
        else if (element.tag == L"textarea")
            width = 200, height = 40;
        for (auto [index, size] : {std::pair<size_t, long*>{kWidth, &width}, {kHeight, &height}}) {
            if (const std::optional<long> styled = Pixels(Style(element, index)))
                *size = *styled;
            else if (const std::optional<std::wstring> attribute =
                         GetAttribute(element, index == kWidth ? L"width" : L"height"))
                if (const std::optional<long> written = Pixels(*attribute))
                    *size = *written;
        }
        return {std::max(0L, width), std::max(0L, height)};
    }
};

bool Holds(const DomElement::Box& box, long x, long y) {
    return box.shown && x >= box.left && x < box.left + box.width && y >= box.top && y < box.top + box.height;
}

void FindInnermost(DomElement& element, size_t depth, long x, long y, DomElement*& best, size_t& bestDepth) {
    for (const DomElementPtr& child : element.children) {
        if (child->IsText())
            continue;
        if (Holds(child->box, x, y) && depth + 1 >= bestDepth) {
            best = child.get();
            bestDepth = depth + 1;
        }
        FindInnermost(*child, depth + 1, x, y, best, bestDepth);
    }
}

void ReportElement(const DomElement& element, std::unordered_set<std::wstring>& seen,
                   std::vector<std::pair<std::wstring, std::wstring>>& lines) {
    if (!element.id.empty() && seen.insert(element.id).second) {
        const DomElement::Box& box = element.box;
        lines.emplace_back(L"box." + element.id, std::to_wstring(box.left) + L"," + std::to_wstring(box.top) +
                                                     L"," + std::to_wstring(box.left + box.width) + L"," +
                                                     std::to_wstring(box.top + box.height));
        for (const std::wstring& name : element.changedByHost)
            lines.emplace_back(L"attr." + element.id + L"." + name,
                               GetAttribute(element, name).value_or(L""));
    }
    for (const DomElementPtr& child : element.children)
        if (!child->IsText())
            ReportElement(*child, seen, lines);
}

} // namespace

const std::vector<std::wstring_view>& CurrentStyleNames() {
    static const std::vector<std::wstring_view> names = [] {
        std::vector<std::wstring_view> out;
        for (const Property& property : kProperties)
            out.push_back(property.script);
        return out;
    }();
    return names;
}

std::optional<size_t> CurrentStyleIndex(std::wstring_view scriptName) {
    for (size_t i = 0; i < std::size(kProperties); ++i)
        if (EqualsNoCase(kProperties[i].script, scriptName))
            return i;
    return std::nullopt;
}

std::wstring CurrentStyle(const DomElement& element, size_t index) {
    if (index >= std::size(kProperties) || element.IsText())
        return {};
    return Compute(element, kProperties[index]);
}

std::optional<std::wstring> CurrentStyle(const DomElement& element, std::wstring_view scriptName) {
    const std::optional<size_t> index = CurrentStyleIndex(scriptName);
    if (!index)
        return std::nullopt;
    return CurrentStyle(element, *index);
}

bool IsDisplayed(const DomElement& node) {
    if (node.IsText())
        return node.parent == nullptr || IsDisplayed(*node.parent);
    return Style(node, kDisplay) != L"none";
}

bool IsBlockLevel(const DomElement& node) {
    if (node.IsText())
        return false;
    const std::wstring display = Style(node, kDisplay);
    return display != L"none" && display != L"inline" && display != L"inline-block";
}

void LayOut(DomElement& html) {
    if (!IsDisplayed(html)) {
        Hide(html);
        return;
    }
    Layout().Block(html, 0, 0, kPageWidth);
}

DomElement* HitTest(DomElement& root, long x, long y) {
    DomElement* best = &root;
    size_t bestDepth = 0;
    FindInnermost(root, 0, x, y, best, bestDepth);
    return best;
}

std::vector<std::pair<std::wstring, std::wstring>> DocumentReportLines(const DomElement& html) {
    std::vector<std::pair<std::wstring, std::wstring>> lines;
    std::unordered_set<std::wstring> seen;
    ReportElement(html, seen, lines);
    return lines;
}

} // namespace movalent::standin
