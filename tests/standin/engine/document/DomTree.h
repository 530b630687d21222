#pragma once
// The node tree behind a stand-in document, built from the whole markup: an HTML element holding a HEAD and
// a BODY (or, for a frameset page, a FRAMESET), the elements nested as the tags nest, and the text between
// tags as text nodes. Element and text nodes share one structure (DomElement); an element keeps its
// attributes as written, its inline and runtime style declarations, and which attributes a host changed. Also
// here: the markup operations that move elements around (pointers beside an element, an element inserted
// between two pointers), serialising an element back to markup, and its text. The COM objects that hand it
// out live in HtmlDom.cpp; styles, boxes and what the document adds to the page report in DomLayout.h.
//
// How the tree is built from the markup, leniently and in one pass:
//  - html, head and body are made when the markup leaves them out; attributes of a second <html> or <body>
//    tag are added to the element there already. Title, meta, link, style, script, base and noscript before
//    the body go in the head; anything else (a non-blank text included) starts the body.
//  - a frameset page (one with a <frameset> tag anywhere) has a FRAMESET in place of the body; content
//    outside it is dropped.
//  - void elements (br, img, input, hr, meta, link, frame, base, col, area, param, embed) hold nothing. An
//    end tag closes the nearest open element of its name and everything opened inside it; one without an
//    open element of its name is ignored. A new p, div, list, table, heading or similar block closes an open
//    p; li closes an open li of its list, dt and dd an open dt or dd, tr an open tr, td and th an open td or
//    th, option an open option.
//  - text runs that are only white space are dropped everywhere; other runs are kept whole, white space
//    included, with character references decoded. Adjacent runs (split by a comment) make one node.
//  - no element lies more than kDeepestNesting deep (the HTML element being 1): further ones go beside the
//    deepest instead of inside it (the parsers of real browsers have such a limit too).
#include "standin/engine/page/PageContent.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace movalent::standin {

// The id under which the program wraps a page's content to zoom it; the page report looks for it.
inline constexpr std::wstring_view kZoomWrapperId = L"__om__fennimox__zoom__";

inline constexpr size_t kDeepestNesting = 512;

// "position: relative;zoom: 150%" as (name, value) pairs; names lower case, both trimmed.
class StyleDeclarations {
public:
    StyleDeclarations() = default;
    explicit StyleDeclarations(std::wstring_view text);

    // Empty when the property is not set.
    std::wstring Get(std::wstring_view name) const;
    // An empty value removes the property.
    void Set(std::wstring_view name, std::wstring_view value);
    // "name: value; name: value"
    std::wstring Text() const;
    // The text the declarations were made from, exactly as written, until a property is set one by one; then
    // Text().
    std::wstring CssText() const;
    bool Empty() const { return declarations_.empty(); }

private:
    std::vector<std::pair<std::wstring, std::wstring>> declarations_;
    std::wstring written_;
    bool asWritten_ = false;
};

// A node: an element (tag set) or a text node (tag empty, text set).
struct DomElement : std::enable_shared_from_this<DomElement> {
    // Where the node lies in the page's layout (DomLayout.h), in the page window's client coordinates;
    // shown false (and all zero) for a node that is not displayed.
    struct Box {
        long left = 0;
        long top = 0;
        long width = 0;
        long height = 0;
        bool shown = false;
    };

    std::wstring tag;  // lower case; empty for a text node
    std::wstring text; // a text node's text
    std::wstring id;   // the id and name attributes, kept here too for quick look-up
    std::wstring name;
    // Attributes in the order written (names lower case). The style attribute's value is not kept here but
    // read from style, so that it follows every change of the inline style.
    std::vector<std::pair<std::wstring, std::wstring>> attributes;
    StyleDeclarations style;                 // the inline style
    StyleDeclarations runtime;               // the runtime style, which the page's markup never sets
    std::vector<std::wstring> changedByHost; // attribute names a host set, in the order first set
    DomElement* parent = nullptr;
    std::vector<std::shared_ptr<DomElement>> children;
    Box box;

    bool IsText() const { return tag.empty(); }
};

using DomElementPtr = std::shared_ptr<DomElement>;

// An element made from a tag and markup attribute text (all attributes kept), in no tree yet.
DomElementPtr MakeElement(std::wstring_view tag, std::wstring_view attributes);
DomElementPtr MakeTextNode(std::wstring_view text);

// Every element below root, depth first in document order (root itself not included); text nodes left out.
std::vector<DomElement*> Descendants(const DomElement& root);

// The first element at or below root with this id (compared exactly), or null.
DomElement* FindById(const DomElement& root, std::wstring_view id);

// Attributes by name, ASCII case ignored unless caseSensitive. "className" and "htmlFor" stand for class and
// for, as they do for the engine's script names. The style attribute reads and replaces the inline style.
std::optional<std::wstring> GetAttribute(const DomElement& element, std::wstring_view name,
                                         bool caseSensitive = false);
// Sets or adds an attribute; with byHost, remembers it among the attributes a host changed.
void SetAttribute(DomElement& element, std::wstring_view name, std::wstring_view value, bool byHost);
// The attributes in order with their current values (style included when written or set).
std::vector<std::pair<std::wstring, std::wstring>> CurrentAttributes(const DomElement& element);

// The element as markup, with its current attributes and children: tag names upper case, attribute values in
// double quotes, text escaped (but for script and style content), no end tag for a void element.
std::wstring OuterHtml(const DomElement& element);
// The text of the element as a reader sees it: white space runs collapsed to one space, lines of block
// elements and BR separated by "\r\n", nothing from elements that are not displayed (DomLayout.h) below it.
std::wstring InnerText(const DomElement& element);
// Upper-case tag name, "#text" for a text node.
std::wstring NodeName(const DomElement& node);
bool IsVoidElement(std::wstring_view tag);

// Where a markup pointer stands: between two children of container (before the child at offset).
struct MarkupPosition {
    std::weak_ptr<DomElement> container;
    size_t offset = 0;
};

enum class Adjacency { BeforeBegin, AfterBegin, BeforeEnd, AfterEnd };

// The position beside element; false when there is none (before or after an element without a parent).
bool PositionBeside(const DomElementPtr& element, Adjacency where, MarkupPosition& position);

// Puts element between start and end, so that it encloses what lies between them. Both must stand in the
// same container, start not after end, and the element must be in no tree yet; false otherwise (nothing
// changes then).
bool InsertBetween(const DomElementPtr& element, const MarkupPosition& start, const MarkupPosition& end);

// What the document's zoom looks like from the outside.
struct ZoomState {
    std::wstring runtime; // the zoom of the body's (or frameset's) runtime style; "none" when unset
    std::wstring wrapper; // the inline zoom of the body's first element when that is the wrapper; else "none"
    size_t wrappers = 0;  // elements with the wrapper's id anywhere in the document
    bool wrapsAll = false; // the wrapper is the body's only child
};

class DomTree {
public:
    // The page's tree, built as described above.
    explicit DomTree(const PageContent& page);
    // A document with no tree yet.
    DomTree() = default;

    // The BODY, or the FRAMESET of a frameset page.
    const DomElementPtr& Root() const { return root_; }
    // The HTML element (the document element).
    const DomElementPtr& Html() const { return html_; }
    bool IsFrameset() const { return root_ && root_->tag == L"frameset"; }
    ZoomState Zoom() const;

private:
    DomElementPtr html_;
    DomElementPtr root_;
};

} // namespace movalent::standin
