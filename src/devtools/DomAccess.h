#pragma once
// Reading and changing a page through the engine's object model, with only what the oldest engine version
// already offers (IHTMLDocument2/3, IHTMLDOMNode, IHTMLElement/2, IHTMLDOMAttribute, IHTMLWindow2). Every
// call tolerates a missing object or a failing member: the page may be navigating away meanwhile.
#include "devtools/PanelRules.h"
#include "framework/Handles.h"

#include <windows.h>
#include <mshtml.h>

#include <optional>
#include <string>
#include <vector>

namespace movalent::devtools {

std::wstring BstrText(BSTR text);
// A value as a script would print it: "undefined", "null", true/false, numbers, strings as they are.
std::wstring VariantText(const VARIANT& value);

ComPtr<IHTMLDocument2> DocumentOf(IDispatch* document);
// The document's root element (documentElement), or null.
ComPtr<IHTMLDOMNode> DocumentRoot(IHTMLDocument2* document);

NodeSummary Summarise(IHTMLDOMNode* node);
// Child nodes, white-space-only text left out.
std::vector<ComPtr<IHTMLDOMNode>> ChildNodes(IHTMLDOMNode* node);
bool HasChildNodes(IHTMLDOMNode* node);
bool IsFrameElement(const NodeSummary& node);

// The document shown by a FRAME or IFRAME element of owner: found by the element's place among the owner's
// frame elements. Null with E_ACCESSDENIED for a page from another site.
ComPtr<IHTMLDocument2> FrameDocument(IHTMLDocument2* owner, IHTMLDOMNode* frameElement, HRESULT* result);

struct PropertyRow {
    enum class Kind { Attribute, InlineStyle, Computed, Box };
    Kind kind;
    std::wstring name;
    std::wstring value;
    bool Editable() const { return kind == Kind::Attribute || kind == Kind::InlineStyle; }
};

// Attributes written in the page, inline style declarations, the computed style and the box.
std::vector<PropertyRow> ElementProperties(IHTMLDOMNode* node);
HRESULT SetAttributeValue(IHTMLDOMNode* node, const std::wstring& name, const std::wstring& value);
HRESULT SetInlineStyleValue(IHTMLDOMNode* node, const std::wstring& name, const std::wstring& value);
std::wstring OuterHtml(IHTMLDOMNode* node);
// The element's rectangle in the client coordinates of the page's window.
std::optional<RECT> ElementClientRect(IHTMLDOMNode* node);

struct ScriptOutcome {
    bool ok = false;
    HRESULT result = S_OK;
    std::wstring value; // the expression's value when ok
};
// Runs one line of JScript in the document's window and reads back the value of an expression.
ScriptOutcome RunScriptLine(IHTMLDocument2* document, const std::wstring& line);

} // namespace movalent::devtools
