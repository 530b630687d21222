#pragma once
// The little script a stand-in window runs (IHTMLWindow2::execScript): enough JScript to set a window
// property to a value read from the page.
//
//   program    := statement (separator statement)*     separators are ';' and line breaks; empty ones allowed
//   statement  := "window." NAME "=" expression  |  NAME "=" expression
//   expression := term ("+" term)*                     numbers add; with a string on either side, the
//                                                      values are joined as text, left to right
//   term       := number ("-" allowed before it)  |  'string'  |  "string"  (escapes \\ \' \" \n \t)
//              |  "document.title"
//              |  "document.getElementById(" string ")" ( ".tagName" | ".id" )
//              |  "(" expression ")"
// Anything else is an error. The whole program is read before any of it runs, so a syntax error changes
// nothing; a statement that fails while running (getElementById finding nothing) stops the program after the
// statements before it have run. Names are case-sensitive, as in JScript; "window" and "document" cannot be
// assigned.
#include "standin/engine/document/DomTree.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace movalent::standin {

struct ScriptValue {
    bool isNumber = false;
    double number = 0;
    std::wstring text;
};

// A value as JScript turns it into text: "3", "0.5", "-1e+21", the string itself.
std::wstring ScriptText(const ScriptValue& value);

// The window's properties a script assigned, each keeping its place (the window's DISPIDs follow it).
class ScriptGlobals {
public:
    void Set(const std::wstring& name, ScriptValue value);
    // The place of a name: exactly as written, else (unless caseSensitive) ignoring ASCII case.
    std::optional<size_t> Find(std::wstring_view name, bool caseSensitive) const;
    size_t Size() const { return entries_.size(); }
    const std::wstring& NameAt(size_t index) const { return entries_[index].first; }
    const ScriptValue& ValueAt(size_t index) const { return entries_[index].second; }

private:
    std::vector<std::pair<std::wstring, ScriptValue>> entries_;
};

// "JScript" or "JavaScript" in any case; an empty name means JScript too, as it does for the engine.
bool IsScriptLanguage(std::wstring_view language);

// Runs code against the document (title, and its tree from the document element down, which may be null).
// Returns the message of the error that stopped it, or nothing when it ran to the end.
std::optional<std::wstring> RunScript(std::wstring_view code, std::wstring_view title,
                                      const DomElement* documentElement, ScriptGlobals& globals);

} // namespace movalent::standin
