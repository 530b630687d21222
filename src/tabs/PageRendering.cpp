#include "tabs/PageRendering.h"

#include "framework/Handles.h"
#include "framework/PictureCanvas.h"

#include <mshtml.h>
#include <ole2.h>

#include <algorithm>

namespace movalent {

namespace {

void TakeLarger(IHTMLElement* element, SIZE* size) {
    ComPtr<IHTMLElement2> element2;
    if (!element || FAILED(element->QueryInterface(__uuidof(IHTMLElement2), element2.put_void())) ||
        !element2)
        return;
    long width = 0, height = 0;
    if (SUCCEEDED(element2->get_scrollWidth(&width)))
        size->cx = std::max(size->cx, width);
    if (SUCCEEDED(element2->get_scrollHeight(&height)))
        size->cy = std::max(size->cy, height);
}

} // namespace

SIZE DocumentScrollSize(IDispatch* document) {
    SIZE size{0, 0};
    ComPtr<IHTMLDocument2> html;
    if (!document || FAILED(document->QueryInterface(__uuidof(IHTMLDocument2), html.put_void())) || !html)
        return size;
    ComPtr<IHTMLElement> body;
    if (SUCCEEDED(html->get_body(body.put())))
        TakeLarger(body.get(), &size);
    // Pages in standards mode scroll their root element rather than the body.
    ComPtr<IHTMLDocument3> html3;
    ComPtr<IHTMLElement> root;
    if (SUCCEEDED(html->QueryInterface(__uuidof(IHTMLDocument3), html3.put_void())) && html3 &&
        SUCCEEDED(html3->get_documentElement(root.put())))
        TakeLarger(root.get(), &size);
    return size;
}

HRESULT RenderDocument(IDispatch* document, int width, int height, Picture* picture) {
    if (!document || !picture || width <= 0 || height <= 0)
        return E_INVALIDARG;
    ComPtr<IViewObject> view;
    HRESULT hr = document->QueryInterface(IID_IViewObject, view.put_void());
    if (FAILED(hr) || !view)
        return FAILED(hr) ? hr : E_NOINTERFACE;

    PictureCanvas canvas(width, height);
    if (!canvas.Valid())
        return E_OUTOFMEMORY;
    RECTL bounds{0, 0, width, height};
    hr = view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.Dc(), &bounds, nullptr, nullptr,
                    0);
    if (FAILED(hr))
        return hr;
    *picture = canvas.Drawn();
    return S_OK;
}

} // namespace movalent
