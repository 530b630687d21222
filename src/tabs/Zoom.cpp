#include "tabs/Zoom.h"

#include "framework/DispatchArguments.h"
#include "framework/Handles.h"
#include "tabs/ZoomRules.h"

#include <string>

namespace movalent {
namespace {

// Style values go to the engine as string variants.
HRESULT SetZoom(IHTMLStyle* style, const std::wstring& value) {
    ComPtr<IHTMLStyle3> style3;
    if (!style || FAILED(style->QueryInterface(__uuidof(IHTMLStyle3), style3.put_void())) || !style3)
        return E_NOINTERFACE;
    UniqueVariant zoom;
    zoom.get().bstrVal = ::SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
    if (!zoom.get().bstrVal)
        return E_OUTOFMEMORY;
    zoom.get().vt = VT_BSTR;
    return style3->put_zoom(zoom.get());
}

HRESULT SetRuntimeZoom(IHTMLElement* element, const std::wstring& value) {
    ComPtr<IHTMLElement2> element2;
    if (FAILED(element->QueryInterface(__uuidof(IHTMLElement2), element2.put_void())) || !element2)
        return E_NOINTERFACE;
    ComPtr<IHTMLStyle> runtime;
    if (FAILED(element2->get_runtimeStyle(runtime.put())) || !runtime)
        return E_FAIL;
    return SetZoom(runtime.get(), value);
}

// The body's first element in document order when it is a wrapper left by an earlier call; the user's
// locale decides equality, as it does for the engine's own string comparisons.
ComPtr<IHTMLElement> ExistingWrapper(IHTMLElementCollection* all) {
    VARIANT name, index;
    ::VariantInit(&name);
    ::VariantInit(&index);
    name.vt = index.vt = VT_I4;
    name.lVal = index.lVal = 0;
    ComPtr<IDispatch> item;
    ComPtr<IHTMLElement> element;
    if (FAILED(all->item(name, index, item.put())) || !item ||
        FAILED(item->QueryInterface(__uuidof(IHTMLElement), element.put_void())) || !element)
        return {};
    UniqueBstr id;
    if (FAILED(element->get_id(id.put())) || !id)
        return {};
    const std::wstring wrapperId(kZoomWrapperId);
    const int compared =
        ::CompareStringW(LOCALE_USER_DEFAULT, 0, id.get(), static_cast<int>(::SysStringLen(id.get())),
                         wrapperId.c_str(), static_cast<int>(wrapperId.size()));
    if (compared != CSTR_EQUAL)
        return {};
    return element;
}

// Wraps the whole content of the body in a new DIV at the given zoom.
bool InsertWrapper(IHTMLDocument2* document, IHTMLElement* body, int percent) {
    ComPtr<IMarkupServices> markup;
    ComPtr<IMarkupContainer> container;
    if (FAILED(document->QueryInterface(__uuidof(IMarkupServices), markup.put_void())) || !markup ||
        FAILED(document->QueryInterface(__uuidof(IMarkupContainer), container.put_void())) || !container)
        return false;
    ComPtr<IMarkupPointer> start, end;
    if (FAILED(markup->CreateMarkupPointer(start.put())) || !start ||
        FAILED(markup->CreateMarkupPointer(end.put())) || !end)
        return false;
    if (FAILED(start->MoveAdjacentToElement(body, ELEM_ADJ_AfterBegin)) ||
        FAILED(end->MoveAdjacentToElement(body, ELEM_ADJ_BeforeEnd)))
        return false;
    std::wstring attributes = ZoomWrapperAttributes(percent);
    ComPtr<IHTMLElement> wrapper;
    if (FAILED(markup->CreateElement(static_cast<ELEMENT_TAG_ID>(kDivTagId), attributes.data(),
                                     wrapper.put())) ||
        !wrapper)
        return false;
    return SUCCEEDED(markup->InsertElement(wrapper.get(), start.get(), end.get()));
}

bool ZoomBody(IHTMLDocument2* document, IHTMLElement* body, int percent, bool inFrame) {
    if (inFrame)
        SetRuntimeZoom(body, FrameCounterZoomValue(percent)); // the frame still gets its wrapper without it
    ComPtr<IDispatch> allObject;
    ComPtr<IHTMLElementCollection> all;
    if (FAILED(body->get_all(allObject.put())) || !allObject ||
        FAILED(allObject->QueryInterface(__uuidof(IHTMLElementCollection), all.put_void())) || !all)
        return false;
    if (ComPtr<IHTMLElement> wrapper = ExistingWrapper(all.get())) {
        ComPtr<IHTMLStyle> style;
        if (FAILED(wrapper->get_style(style.put())) || !style ||
            FAILED(SetZoom(style.get(), ZoomStyleValue(percent))))
            return false;
        return ApplyZoomToFrames(document, percent);
    }
    if (!InsertWrapper(document, body, percent))
        return false;
    return ApplyZoomToFrames(document, percent);
}

bool ZoomFrameset(IHTMLDocument2* document, IHTMLElement* root, int percent, bool inFrame) {
    // A frameset inside a frame is already zoomed with its parent; only its frames need their own zoom.
    if (inFrame)
        return ApplyZoomToFrames(document, percent);
    ComPtr<IHTMLFrameSetElement> frameset;
    if (FAILED(root->QueryInterface(__uuidof(IHTMLFrameSetElement), frameset.put_void())) || !frameset)
        return false;
    if (FAILED(SetRuntimeZoom(root, ZoomStyleValue(percent))))
        return false;
    return ApplyZoomToFrames(document, percent);
}

} // namespace

bool ApplyZoom(IHTMLDocument2* document, int percent, bool inFrame) {
    if (!document || !IsUsableZoom(percent))
        return false;
    ComPtr<IHTMLElement> body;
    if (FAILED(document->get_body(body.put())) || !body)
        return false; // still loading: the next finished download or document applies the zoom
    ComPtr<IHTMLBodyElement> bodyElement;
    if (SUCCEEDED(body->QueryInterface(__uuidof(IHTMLBodyElement), bodyElement.put_void())) && bodyElement)
        return ZoomBody(document, body.get(), percent, inFrame);
    return ZoomFrameset(document, body.get(), percent, inFrame);
}

bool ApplyZoomToFrames(IHTMLDocument2* document, int percent) {
    if (!document)
        return false;
    ComPtr<IHTMLFramesCollection2> frames;
    long length = 0;
    if (FAILED(document->get_frames(frames.put())) || !frames || FAILED(frames->get_length(&length)))
        return false;
    for (long i = 0; i < length; ++i) {
        VARIANT index = LongVariant(i);
        UniqueVariant item;
        if (FAILED(frames->item(&index, &item)) || item.get().vt != VT_DISPATCH || !item.get().pdispVal)
            continue;
        ComPtr<IHTMLWindow2> window;
        if (FAILED(item.get().pdispVal->QueryInterface(__uuidof(IHTMLWindow2), window.put_void())) || !window)
            continue;
        ComPtr<IHTMLDocument2> frameDocument;
        if (FAILED(window->get_document(frameDocument.put())) || !frameDocument)
            continue;
        ApplyZoom(frameDocument.get(), percent, true);
    }
    return true;
}

} // namespace movalent
