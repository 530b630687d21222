#pragma once
// The document object model a stand-in document offers a host, with the engine's published interfaces:
//  - the document itself: IHTMLDocument2 (body, all: every element from HTML down in document order,
//    frames, title, parentWindow), IHTMLDocument3 (documentElement: the HTML element), IMarkupServices
//    (markup pointers, DIV elements, InsertElement), IMarkupContainer, and IConnectionPointContainer with
//    one connection point, HTMLDocumentEvents2 (any other answers CONNECT_E_NOCONNECTION). Its sinks get
//    onclick (Click below) through IDispatch::Invoke, DISPATCH_METHOD, with one argument: an event object
//    answering IHTMLEventObj (srcElement, type "click", clientX, clientY, returnValue, cancelBubble).
//  - elements (every one, HTML, HEAD, BODY, FRAME and IFRAME included): IHTMLElement (id, tagName, style,
//    all, getAttribute, setAttribute, outerHTML, innerText, offsetLeft/Top/Width/Height), IHTMLElement2
//    (runtimeStyle, currentStyle, getBoundingClientRect, scrollWidth, scrollHeight), IHTMLDOMNode (nodeType
//    1, nodeName, nodeValue VT_NULL, parentNode, childNodes, attributes), and IHTMLBodyElement or
//    IHTMLFrameSetElement by tag.
//  - scrollWidth and scrollHeight of the HTML, BODY and FRAMESET elements of a document a control shows
//    (ShowIn below) measure the page as the control draws it: the page window's client width, and the height
//    that drawing all of the page's lines needs, at least the client height. Any other element, and these in
//    a document no control shows, answer its box's width and height (offsetWidth, offsetHeight).
//  - text nodes: IHTMLDOMNode only (nodeType 3, nodeName "#text", nodeValue the text). The tree is the
//    page's real parse (standin/engine/document/DomTree.h): text runs between tags are text nodes, but runs
//    of white space alone are dropped.
//  - childNodes: IHTMLDOMChildrenCollection (length, item; an index out of range is E_INVALIDARG), live.
//  - attributes: IHTMLAttributeCollection (length; item by VT_I4 position or by name) holding, like the
//    engine's, also attributes nobody wrote (dir, lang, title, onclick: specified VARIANT_FALSE, nodeValue
//    VT_NULL), then the element's own in the order written; items answer IHTMLDOMAttribute (nodeName,
//    nodeValue as a BSTR, specified VARIANT_TRUE for an attribute written in the page or set by a host).
//  - getAttribute: the value as a BSTR, VT_NULL when absent; flag 1 makes the name's case count; className
//    and htmlFor stand for class and for; "style" gives the inline style's cssText. setAttribute takes the
//    value as text (VariantChangeType to VT_BSTR), "style" replacing the inline style; the change shows in
//    the page report (attr.<id>.<name>) and the page is repainted.
//  - styles: IHTMLStyle (cssText: the inline style as written, or as a host last replaced it; a property set
//    one by one makes it "name: value; ..."), IHTMLStyle3 (zoom).
//  - currentStyle: IHTMLCurrentStyle whose IDispatch answers GetIDsOfNames (script names, ASCII case
//    ignored; an unknown name DISP_E_UNKNOWNNAME) and Invoke(DISPATCH_PROPERTYGET) with the value as a BSTR;
//    the getters of those properties answer the same. Values: standin/engine/document/DomLayout.h.
//  - offset* and getBoundingClientRect (IHTMLRect: left, top, right, bottom): the box of the stand-in's own
//    layout (DomLayout.h), in the page window's client coordinates.
//  - windows: IHTMLWindow2 (document, frames, length, item, execScript) and IDispatchEx. A document's
//    parentWindow is its own window, one object while it is held; the frames collection (length, item by
//    position) hands out each frame document's own window. execScript runs the little script of
//    standin/engine/document/PageScript.h (language JScript or JavaScript, any case, or empty); a failure
//    answers 0x80020101 and puts its message in the page report (script.error). The window's IDispatch
//    (GetIDsOfNames, Invoke with DISPATCH_PROPERTYGET) and IDispatchEx (GetDispID, InvokeEx, GetMemberName,
//    GetNextDispID) answer the properties scripts set: whole numbers as VT_I4, other numbers VT_R8, strings
//    VT_BSTR.
//  - a frame whose page holds the directive <!--standin: other-site--> comes from another site: its window
//    (from the frames collection) answers E_ACCESSDENIED from document and execScript. A frame left empty
//    has a window without a document (document S_OK with none).
//
// Only those members have behaviour. The others are there so that the interfaces have their published
// layout, but calling one ends the process with a message on stderr: a host that reaches for more of the
// model than the stand-in has must fail loudly, not read an answer the real engine would not give.
//
// The interfaces are C-style vtables filled member by member (HtmlDom.cpp), so this header names no
// interface type; interface pointers cross it as void*.
#include "standin/engine/document/DomTree.h"

#include <objbase.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace movalent::standin {

// The directive that makes a frame's page one from another site.
inline constexpr std::wstring_view kOtherSiteDirective = L"other-site";

class HtmlDom {
public:
    // outer: the document object (its IUnknown), which the faces delegate their identity and lifetime to;
    // not held.
    explicit HtmlDom(void* outer);
    HtmlDom(const HtmlDom&) = delete;
    HtmlDom& operator=(const HtmlDom&) = delete;
    ~HtmlDom();

    void Load(const PageContent& page);
    // Called after every change a host makes to the elements or their styles, and after a script failed.
    void Watch(std::function<void()> changed);
    // The view of the control that shows the document (an IStandInPageView, held; null: none).
    void ShowIn(void* view);
    // S_OK with a reference (taken on the outer object) for the document faces; E_NOINTERFACE otherwise.
    HRESULT Query(REFIID iid, void** result);
    // The next frame's document (an IDispatch, held; null for a frame left empty).
    HRESULT AddFrame(void* frameDocument);
    ZoomState Zoom() const;
    // A left click at (x, y) of the page window: onclick to every sink, with the innermost element there (or
    // the body) as srcElement. reached is false when a sink cancelled it (returnValue, or its Invoke result,
    // VT_BOOL false); target is that element's id, or its tag when it has none. The caller holds the
    // document meanwhile. S_FALSE, nothing fired, for a document without a tree.
    HRESULT Click(long x, long y, bool& reached, std::wstring& target);
    // "key=value\n" lines for the page report: box.*, attr.* (DomLayout.h) and script.error.
    std::wstring ReportLines();

    struct Parts;

private:
    std::unique_ptr<Parts> parts_;
};

} // namespace movalent::standin
