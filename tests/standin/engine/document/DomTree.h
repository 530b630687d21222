#pragma once
// The element tree behind a stand-in document, as far as hosts reach into it: the document's BODY (or, for a
// frameset page, its FRAMESET) with the body's elements as a flat list of children, inline and runtime style
// declarations, and the markup operations that move elements around (pointers beside an element, an element
// inserted between two pointers). The COM objects that hand it out live in HtmlDom.cpp.
#include "standin/engine/page/PageContent.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace movalent::standin {

// The id under which the program wraps a page's content to zoom it; the page report looks for it.
inline constexpr std::wstring_view kZoomWrapperId = L"__om__fennimox__zoom__";

// "position: relative;zoom: 150%" as (name, value) pairs; names lower case, both trimmed.
class StyleDeclarations {
public:
    StyleDeclarations() = default;
    explicit StyleDeclarations(std::wstring_view text);

    // Empty when the property is not set.
    std::wstring Get(std::wstring_view name) const;
    // An empty value removes the property.
    void Set(std::wstring_view name, std::wstring_view value);
    std::wstring Text() const;

private:
    std::vector<std::pair<std::wstring, std::wstring>> declarations_;
};

struct DomElement : std::enable_shared_from_this<DomElement> {
    std::wstring tag; // lower case
    std::wstring id;
    std::wstring name;
    StyleDeclarations style;   // the inline style
    StyleDeclarations runtime; // the runtime style, which the page's markup never sets
    DomElement* parent = nullptr;
    std::vector<std::shared_ptr<DomElement>> children;
};

using DomElementPtr = std::shared_ptr<DomElement>;

// An element made from a tag and markup attribute text (ID, NAME and STYLE are kept), in no tree yet.
DomElementPtr MakeElement(std::wstring_view tag, std::wstring_view attributes);

// Every element below root, depth first in document order (root itself not included).
std::vector<DomElement*> Descendants(const DomElement& root);

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
    // A frameset page gets a FRAMESET root; any other page a BODY holding the page's body elements.
    explicit DomTree(const PageContent& page);
    // A document with no body yet.
    DomTree() = default;

    const DomElementPtr& Root() const { return root_; }
    bool IsFrameset() const { return root_ && root_->tag == L"frameset"; }
    ZoomState Zoom() const;

private:
    DomElementPtr root_;
};

} // namespace movalent::standin
