#pragma once
// What the developer-tools panel decides without the engine: how a node reads in the tree, inline style text
// taken apart and put back together, what a search matches, the script that brings back a line's value.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace movalent::devtools {

// The parts of a DOM node the tree shows.
struct NodeSummary {
    long type = 1;        // 1 element, 3 text, 8 comment
    std::wstring name;    // the tag name of an element
    std::wstring id;      // element only
    std::wstring classes; // element only
    std::wstring text;    // text and comment nodes
};

// <div id="main" class="box">, "some text…", <!-- comment -->. Long texts are cut with an ellipsis.
std::wstring NodeLabel(const NodeSummary& node);

// True for text that is only white space: such text nodes are left out of the tree.
bool IsBlank(std::wstring_view text);

using CssDeclarations = std::vector<std::pair<std::wstring, std::wstring>>;

// "color: red; background: url(a;b)" -> {color, red}, {background, url(a;b)}. Names are lower-cased;
// semicolons inside quotes or parentheses do not end a declaration; declarations without a name are dropped.
CssDeclarations ParseCssText(std::wstring_view text);
std::wstring ComposeCssText(const CssDeclarations& declarations);
// Sets, adds (at the end) or, for an empty value, removes one declaration.
void SetCssValue(CssDeclarations& declarations, const std::wstring& name, const std::wstring& value);

enum class FindMode { Id, Tag, Text };

// Case-insensitive: an id or a tag name as a whole, text anywhere in a text node.
bool NodeMatches(const NodeSummary& node, FindMode mode, std::wstring_view query);

// The next position to look at from `current` in a list of `count`, forward or backward, going round.
size_t NextIndex(size_t current, size_t count, bool forward);

// The name of the window property a script's value is brought back through.
inline constexpr wchar_t kScriptValueName[] = L"movalentPanelValue";
// A line that reads as an expression is assigned to that property; statements (var, function, if, ...) or
// several statements run as they are.
bool LooksLikeExpression(std::wstring_view line);
std::wstring ScriptForValue(std::wstring_view line);

} // namespace movalent::devtools
