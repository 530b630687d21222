#include "devtools/DomAccess.h"

#include <cwchar>

namespace movalent::devtools {

namespace {

// The computed style the panel lists, in the names a script uses.
constexpr const wchar_t* kComputedNames[] = {
    L"display",    L"position",   L"visibility",  L"zIndex",         L"color",  L"backgroundColor",
    L"fontFamily", L"fontSize",   L"fontWeight",  L"width",          L"height", L"marginTop",
    L"marginLeft", L"paddingTop", L"paddingLeft", L"borderTopWidth",
};

template <typename T> ComPtr<T> Query(IUnknown* object) {
    ComPtr<T> result;
    if (object)
        object->QueryInterface(__uuidof(T), result.put_void());
    return result;
}

UniqueBstr Bstr(const std::wstring& text) {
    return UniqueBstr(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}

std::wstring AttributeText(IHTMLElement* element, const wchar_t* name) {
    UniqueVariant value;
    UniqueBstr bstrName = Bstr(name);
    if (!element || FAILED(element->getAttribute(bstrName.get(), 0, &value)))
        return {};
    return value.get().vt == VT_BSTR ? BstrText(value.get().bstrVal) : std::wstring();
}

std::wstring InlineCssText(IHTMLElement* element) {
    ComPtr<IHTMLStyle> style;
    UniqueBstr text;
    if (!element || FAILED(element->get_style(style.put())) || !style ||
        FAILED(style->get_cssText(text.put())))
        return {};
    return BstrText(text.get());
}

void AddComputedStyle(IHTMLElement* element, std::vector<PropertyRow>& rows) {
    ComPtr<IHTMLElement2> element2 = Query<IHTMLElement2>(element);
    ComPtr<IHTMLCurrentStyle> current;
    if (!element2 || FAILED(element2->get_currentStyle(current.put())) || !current)
        return;
    ComPtr<IDispatch> style = Query<IDispatch>(current.get());
    if (!style)
        return;
    for (const wchar_t* name : kComputedNames) {
        DISPID id = DISPID_UNKNOWN;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        if (FAILED(style->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)))
            continue;
        DISPPARAMS none = {};
        UniqueVariant value;
        if (SUCCEEDED(style->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &value,
                                    nullptr, nullptr)))
            rows.push_back({PropertyRow::Kind::Computed, name, VariantText(value.get())});
    }
}

void AddBox(IHTMLElement* element, std::vector<PropertyRow>& rows) {
    long left = 0, top = 0, width = 0, height = 0;
    if (FAILED(element->get_offsetLeft(&left)) || FAILED(element->get_offsetTop(&top)) ||
        FAILED(element->get_offsetWidth(&width)) || FAILED(element->get_offsetHeight(&height)))
        return;
    const std::pair<const wchar_t*, long> box[] = {
        {L"offsetLeft", left}, {L"offsetTop", top}, {L"offsetWidth", width}, {L"offsetHeight", height}};
    for (const auto& [name, value] : box)
        rows.push_back({PropertyRow::Kind::Box, name, std::to_wstring(value)});
}

} // namespace

std::wstring BstrText(BSTR text) {
    return text ? std::wstring(text, ::SysStringLen(text)) : std::wstring();
}

std::wstring VariantText(const VARIANT& value) {
    switch (value.vt) {
    case VT_EMPTY:
        return L"undefined";
    case VT_NULL:
        return L"null";
    case VT_BOOL:
        return value.boolVal ? L"true" : L"false";
    case VT_BSTR:
        return BstrText(value.bstrVal);
    case VT_DISPATCH:
    case VT_UNKNOWN:
        return value.punkVal ? L"[object]" : L"null";
    default:
        break;
    }
    UniqueVariant text;
    if (SUCCEEDED(::VariantChangeType(&text, const_cast<VARIANT*>(&value), VARIANT_ALPHABOOL, VT_BSTR)) &&
        text.get().vt == VT_BSTR)
        return BstrText(text.get().bstrVal);
    return L"?";
}

ComPtr<IHTMLDocument2> DocumentOf(IDispatch* document) {
    return Query<IHTMLDocument2>(document);
}

ComPtr<IHTMLDOMNode> DocumentRoot(IHTMLDocument2* document) {
    ComPtr<IHTMLDocument3> document3 = Query<IHTMLDocument3>(document);
    ComPtr<IHTMLElement> root;
    if (!document3 || FAILED(document3->get_documentElement(root.put())))
        return {};
    return Query<IHTMLDOMNode>(root.get());
}

NodeSummary Summarise(IHTMLDOMNode* node) {
    NodeSummary summary;
    if (!node)
        return summary;
    node->get_nodeType(&summary.type);
    if (summary.type == 1) {
        ComPtr<IHTMLElement> element = Query<IHTMLElement>(node);
        UniqueBstr text;
        if (element && SUCCEEDED(element->get_tagName(text.put())))
            summary.name = BstrText(text.get());
        if (element && SUCCEEDED(element->get_id(text.put())))
            summary.id = BstrText(text.get());
        summary.classes = AttributeText(element.get(), L"className");
        if (summary.classes.empty())
            summary.classes = AttributeText(element.get(), L"class");
    } else {
        UniqueVariant value;
        if (SUCCEEDED(node->get_nodeValue(&value)) && value.get().vt == VT_BSTR)
            summary.text = BstrText(value.get().bstrVal);
    }
    return summary;
}

std::vector<ComPtr<IHTMLDOMNode>> ChildNodes(IHTMLDOMNode* node) {
    std::vector<ComPtr<IHTMLDOMNode>> children;
    ComPtr<IDispatch> list;
    if (!node || FAILED(node->get_childNodes(list.put())))
        return children;
    ComPtr<IHTMLDOMChildrenCollection> collection = Query<IHTMLDOMChildrenCollection>(list.get());
    long count = 0;
    if (!collection || FAILED(collection->get_length(&count)))
        return children;
    children.reserve(static_cast<size_t>(count > 0 ? count : 0));
    for (long i = 0; i < count; ++i) {
        ComPtr<IDispatch> item;
        if (FAILED(collection->item(i, item.put())))
            continue;
        ComPtr<IHTMLDOMNode> child = Query<IHTMLDOMNode>(item.get());
        if (!child)
            continue;
        long type = 0;
        child->get_nodeType(&type);
        if (type == 3 && IsBlank(Summarise(child.get()).text))
            continue;
        children.push_back(std::move(child));
    }
    return children;
}

bool HasChildNodes(IHTMLDOMNode* node) {
    ComPtr<IDispatch> list;
    if (!node || FAILED(node->get_childNodes(list.put())))
        return false;
    ComPtr<IHTMLDOMChildrenCollection> collection = Query<IHTMLDOMChildrenCollection>(list.get());
    long count = 0;
    return collection && SUCCEEDED(collection->get_length(&count)) && count > 0;
}

bool IsFrameElement(const NodeSummary& node) {
    return node.type == 1 &&
           (_wcsicmp(node.name.c_str(), L"FRAME") == 0 || _wcsicmp(node.name.c_str(), L"IFRAME") == 0);
}

ComPtr<IHTMLDocument2> FrameDocument(IHTMLDocument2* owner, IHTMLDOMNode* frameElement, HRESULT* result) {
    *result = E_FAIL;
    ComPtr<IHTMLElementCollection> all;
    long count = 0;
    if (!owner || FAILED(owner->get_all(all.put())) || !all || FAILED(all->get_length(&count)))
        return {};
    ComPtr<IUnknown> wanted = Query<IUnknown>(frameElement);
    long ordinal = -1;
    for (long i = 0, frames = 0; i < count && ordinal < 0; ++i) {
        VARIANT index;
        index.vt = VT_I4;
        index.lVal = i;
        VARIANT none;
        none.vt = VT_EMPTY;
        ComPtr<IDispatch> item;
        if (FAILED(all->item(index, none, item.put())) || !item)
            continue;
        ComPtr<IHTMLDOMNode> node = Query<IHTMLDOMNode>(item.get());
        if (!IsFrameElement(Summarise(node.get())))
            continue;
        if (Query<IUnknown>(item.get()).get() == wanted.get())
            ordinal = frames;
        ++frames;
    }
    ComPtr<IHTMLFramesCollection2> frames;
    if (ordinal < 0 || FAILED(owner->get_frames(frames.put())) || !frames)
        return {};
    VARIANT index;
    index.vt = VT_I4;
    index.lVal = ordinal;
    UniqueVariant item;
    if (FAILED(frames->item(&index, &item)) || item.get().vt != VT_DISPATCH)
        return {};
    ComPtr<IHTMLWindow2> window = Query<IHTMLWindow2>(item.get().pdispVal);
    ComPtr<IHTMLDocument2> document;
    if (!window)
        return {};
    *result = window->get_document(document.put());
    if (FAILED(*result))
        return {};
    return document;
}

std::vector<PropertyRow> ElementProperties(IHTMLDOMNode* node) {
    std::vector<PropertyRow> rows;
    ComPtr<IHTMLElement> element = Query<IHTMLElement>(node);
    if (!element)
        return rows;
    ComPtr<IDispatch> list;
    ComPtr<IHTMLAttributeCollection> attributes;
    long count = 0;
    if (SUCCEEDED(node->get_attributes(list.put())) &&
        (attributes = Query<IHTMLAttributeCollection>(list.get())) &&
        SUCCEEDED(attributes->get_length(&count))) {
        for (long i = 0; i < count; ++i) {
            VARIANT index;
            index.vt = VT_I4;
            index.lVal = i;
            ComPtr<IDispatch> item;
            if (FAILED(attributes->item(&index, item.put())))
                continue;
            ComPtr<IHTMLDOMAttribute> attribute = Query<IHTMLDOMAttribute>(item.get());
            VARIANT_BOOL specified = VARIANT_FALSE;
            UniqueBstr name;
            UniqueVariant value;
            // The older engines list every attribute they know; only those the page wrote count.
            if (!attribute || FAILED(attribute->get_specified(&specified)) || !specified ||
                FAILED(attribute->get_nodeName(name.put())))
                continue;
            attribute->get_nodeValue(&value);
            std::wstring text = BstrText(name.get());
            if (_wcsicmp(text.c_str(), L"style") != 0)
                rows.push_back({PropertyRow::Kind::Attribute, text, VariantText(value.get())});
        }
    }
    for (auto& [name, value] : ParseCssText(InlineCssText(element.get())))
        rows.push_back({PropertyRow::Kind::InlineStyle, name, value});
    AddComputedStyle(element.get(), rows);
    AddBox(element.get(), rows);
    return rows;
}

HRESULT SetAttributeValue(IHTMLDOMNode* node, const std::wstring& name, const std::wstring& value) {
    ComPtr<IHTMLElement> element = Query<IHTMLElement>(node);
    if (!element)
        return E_NOINTERFACE;
    UniqueBstr bstrName = Bstr(name);
    UniqueVariant text;
    text.get().vt = VT_BSTR;
    text.get().bstrVal = ::SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
    return element->setAttribute(bstrName.get(), text.get(), 0);
}

HRESULT SetInlineStyleValue(IHTMLDOMNode* node, const std::wstring& name, const std::wstring& value) {
    ComPtr<IHTMLElement> element = Query<IHTMLElement>(node);
    ComPtr<IHTMLStyle> style;
    if (!element || FAILED(element->get_style(style.put())) || !style)
        return E_NOINTERFACE;
    CssDeclarations declarations = ParseCssText(InlineCssText(element.get()));
    SetCssValue(declarations, name, value);
    UniqueBstr text = Bstr(ComposeCssText(declarations));
    return style->put_cssText(text.get());
}

std::wstring OuterHtml(IHTMLDOMNode* node) {
    ComPtr<IHTMLElement> element = Query<IHTMLElement>(node);
    UniqueBstr html;
    if (!element || FAILED(element->get_outerHTML(html.put())))
        return {};
    return BstrText(html.get());
}

std::optional<RECT> ElementClientRect(IHTMLDOMNode* node) {
    ComPtr<IHTMLElement2> element = Query<IHTMLElement2>(node);
    ComPtr<IHTMLRect> rect;
    if (!element || FAILED(element->getBoundingClientRect(rect.put())) || !rect)
        return std::nullopt;
    long left = 0, top = 0, right = 0, bottom = 0;
    if (FAILED(rect->get_left(&left)) || FAILED(rect->get_top(&top)) || FAILED(rect->get_right(&right)) ||
        FAILED(rect->get_bottom(&bottom)))
        return std::nullopt;
    return RECT{left, top, right, bottom};
}

ScriptOutcome RunScriptLine(IHTMLDocument2* document, const std::wstring& line) {
    ScriptOutcome outcome;
    ComPtr<IHTMLWindow2> window;
    if (!document || FAILED(outcome.result = document->get_parentWindow(window.put())) || !window) {
        outcome.result = FAILED(outcome.result) ? outcome.result : E_NOINTERFACE;
        return outcome;
    }
    const std::wstring script = ScriptForValue(line);
    const bool expression = script != line;
    UniqueBstr code = Bstr(script);
    UniqueBstr language = Bstr(L"JScript");
    UniqueVariant ignored;
    outcome.result = window->execScript(code.get(), language.get(), &ignored);
    if (FAILED(outcome.result))
        return outcome;
    outcome.ok = true;
    if (!expression)
        return outcome;
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(kScriptValueName)};
    DISPPARAMS none = {};
    UniqueVariant value;
    if (SUCCEEDED(window->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)) &&
        SUCCEEDED(window->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &value,
                                 nullptr, nullptr)))
        outcome.value = VariantText(value.get());
    else
        outcome.value = L"undefined";
    return outcome;
}

} // namespace movalent::devtools
