#pragma once
// What the stand-in takes from a page's markup: its title, the text it shows, its frames, and the page
// directives that make it act like a page with script. Markup is read leniently, the way browsers read it:
// nothing is ever rejected.
//
// Page directives are HTML comments of the form <!--standin: NAME ARGUMENT-->; the name is case-insensitive,
// the argument is the rest of the comment, trimmed. What each name does is the browser's business (see
// standin/StandInBrowser.h); the parser only collects them, in document order.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace movalent::standin {

struct PageDirective {
    std::wstring name; // lower case
    std::wstring argument;
};

// An element inside the page's body, as far as the document model keeps it: the body's elements are modelled
// as one flat list of its children, which is all that hosts look at (the first of them, and what wraps them).
struct PageElement {
    std::wstring tag; // lower case
    std::wstring id;
    std::wstring name;
    std::wstring style; // the inline style text as written
};

// One piece of the markup, for the document tree (standin/engine/document/DomTree.h): a start tag with its
// attributes as written (names lower case, values decoded), an end tag, or a run of text (character
// references decoded). Comments, directives and declarations give none. The content of title, script, style,
// textarea, xmp and noframes comes as one text token (decoded only for title and textarea); an iframe's is
// dropped.
struct PageToken {
    enum class Kind { Start, End, Text };
    Kind kind = Kind::Text;
    std::wstring name; // tags: lower case
    std::vector<std::pair<std::wstring, std::wstring>> attributes;
    std::wstring text;
};

struct PageContent {
    std::wstring title; // the first <title>, white space collapsed; empty when there is none
    // The text a reader sees: tags, comments, scripts and styles left out, character references decoded, runs
    // of white space collapsed to one space, and block elements (p, div, br, headings, list items, table
    // rows) separating lines with "\n". No leading or trailing white space.
    std::wstring text;
    bool frameset = false;            // the page has a <frameset> instead of a body of its own
    std::vector<std::wstring> frames; // src of every <frame> and <iframe>, as written, in document order
    std::vector<PageDirective> directives;
    // Start tags inside the body in document order: after <body>, or, for a page without one, from the
    // first tag that cannot stand in a head. Empty for a frameset page.
    std::vector<PageElement> bodyElements;
    // The whole markup in document order.
    std::vector<PageToken> tokens;
};

PageContent ParsePage(std::wstring_view markup);

// The attributes of a tag's attribute text (NAME="value" ...), names in lower case, values decoded, in order.
std::vector<std::pair<std::wstring, std::wstring>> ParseAttributes(std::wstring_view text);

// "&amp;", "&#233;", "&#xE9;" and the few named references pages use most; anything else stays as written.
std::wstring DecodeCharacterReferences(std::wstring_view text);

} // namespace movalent::standin
