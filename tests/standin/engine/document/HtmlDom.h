#pragma once
// The document object model a stand-in document offers a host, with the engine's published interfaces:
// IHTMLDocument2 (body, all, frames, title), IMarkupServices (markup pointers, DIV elements, InsertElement)
// and IMarkupContainer as faces of the document itself; elements with IHTMLElement (id, tagName, style,
// all), IHTMLElement2 (runtimeStyle) and IHTMLBodyElement or IHTMLFrameSetElement by their tag; styles with
// IHTMLStyle3 (zoom); element collections (length, item) and frames collections (length, item) whose items
// are windows with IHTMLWindow2 (document, and the frame's own frames).
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

namespace movalent::standin {

class HtmlDom {
public:
    // outer: the document object (its IUnknown), which the faces delegate their identity and lifetime to;
    // not held.
    explicit HtmlDom(void* outer);
    HtmlDom(const HtmlDom&) = delete;
    HtmlDom& operator=(const HtmlDom&) = delete;
    ~HtmlDom();

    void Load(const PageContent& page);
    // Called after every change a host makes to the elements or their styles.
    void Watch(std::function<void()> changed);
    // S_OK with a reference (taken on the outer object) for the document faces; E_NOINTERFACE otherwise.
    HRESULT Query(REFIID iid, void** result);
    // The next frame's document (an IDispatch, held; null for a frame left empty).
    HRESULT AddFrame(void* frameDocument);
    ZoomState Zoom() const;

    struct Parts;

private:
    std::unique_ptr<Parts> parts_;
};

} // namespace movalent::standin
