#pragma once
// What a stand-in document looks like, without drawing it: the style the engine computes for an element
// (currentStyle), a simple layout that gives every element a box, the element a point falls on, and the lines
// the document adds to the page report.
//
// Current style: a property comes from the element's runtime style, else its inline style (a longhand, or the
// margin, padding, border-width, border, border-<side> and background shorthands), else a small table of
// defaults by tag; color, font*, textAlign, lineHeight, cursor, listStyleType and whiteSpace are inherited
// from the parent when neither the element nor its tag sets them. Defaults: display "block" for html, body,
// div, p, h1-h6, lists, forms, pre and the like, "list-item" for li, "table", "table-row", "table-cell" and
// "table-row-group" for table, tr, td and th, tbody and the like, "none" for head, title, meta, link, style,
// script, base, noscript, noframes and param, "inline" for everything else; position "static", visibility
// "inherit", zIndex "auto", width, height, top, left, right, bottom "auto"; margins "0px" but the body's
// "15px" (top, bottom) and "10px" (left, right); paddings "0px"; border widths "medium", border styles
// "none"; color "#000000" ("#0000ff" for a), backgroundColor "transparent", fontFamily "Times New Roman"
// ("Courier New" for pre, code, tt, kbd, samp), fontSize "12pt" (h1 "24pt", h2 "18pt", h3 "13.5pt", h5
// "10pt", h6 "7.5pt"), fontWeight "400" ("700" for b, strong, th and headings), fontStyle "normal" ("italic"
// for i, em, cite, var, address). Values are the text of the declaration (the engine's current style gives
// lengths as written, not in pixels).
//
// Layout, in the page window's client coordinates (the stand-in draws no boxes: this layout is all there is):
//  - the HTML element is kPageWidth wide at (0, 0); a block element (display other than inline, inline-block
//    and none) starts a new line, is as wide as its parent's content box less its margins (or its width in
//    pixels plus padding and border) and as high as its content (or its height in pixels plus padding and
//    border). Margins, borders and paddings count when given in pixels ("12px" or a bare number); anything
//    else counts as 0.
//  - text and inline elements line up from the left of their block's content box on one line, kLineHeight
//    high, never wrapping; a text is kCharWidth per character (white space runs counting one); an inline
//    element is as wide as what it holds and at least one line high; whatever it holds is laid out inline,
//    blocks too. Inline elements get no margins, borders or paddings.
//  - img, iframe, frame, input, button, select, textarea, object, embed and applet are boxes of their own
//  size
//    (style width and height in pixels, else their width and height attributes, else: iframe and frame
//    300 x 150, img 24 x 24, textarea 200 x 40, the others 100 x 20), lined up like inline elements.
//  - an element with position "absolute" is a block at its left and top (pixels; else where it would be)
//    that takes no room from the rest. Other positions are laid out as static. Tables are nested blocks.
//  - an element that is not displayed, and all below it, has no box (all zero).
// offsetLeft and offsetTop are the box's position in these coordinates (as if every element's offset parent
// were the page), offsetWidth and offsetHeight its size; getBoundingClientRect gives the same rectangle.
#include "standin/engine/document/DomTree.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace movalent::standin {

inline constexpr long kPageWidth = 800;
inline constexpr long kLineHeight = 20;
inline constexpr long kCharWidth = 8;

// The script names of the current style's properties ("display", "backgroundColor", ...), in a fixed order.
const std::vector<std::wstring_view>& CurrentStyleNames();
// The position of a script name in CurrentStyleNames (ASCII case ignored); none for a name it does not know.
std::optional<size_t> CurrentStyleIndex(std::wstring_view scriptName);
// The value of the property at that position for an element.
std::wstring CurrentStyle(const DomElement& element, size_t index);
// By script name; none for an unknown name.
std::optional<std::wstring> CurrentStyle(const DomElement& element, std::wstring_view scriptName);

// display is not "none". Text nodes follow their parent.
bool IsDisplayed(const DomElement& node);
// displayed and laid out as a block (display other than inline and inline-block).
bool IsBlockLevel(const DomElement& node);

// Gives every node at or below html its box.
void LayOut(DomElement& html);

// The innermost displayed element at or below root whose box holds the point (of two, the later in document
// order); root when there is none. Needs a current layout.
DomElement* HitTest(DomElement& root, long x, long y);

// What the document adds to the page report, in document order (needs a current layout):
//   box.<id>=left,top,right,bottom        for the first element of every id (all zero when not displayed)
//   attr.<id>.<name>=<value>              for every attribute a host set on the first element of an id
std::vector<std::pair<std::wstring, std::wstring>> DocumentReportLines(const DomElement& html);

} // namespace movalent::standin
