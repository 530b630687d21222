#include "framework/ConnectionPoints.h"

#include "framework/Handles.h"

namespace movalent {

namespace {

HRESULT FindConnectionPoint(IUnknown* source, REFIID events, ComPtr<IConnectionPoint>& point) {
    if (!source)
        return E_POINTER;
    ComPtr<IConnectionPointContainer> container;
    HRESULT hr = source->QueryInterface(IID_IConnectionPointContainer, container.put_void());
    if (FAILED(hr) || !container)
        return FAILED(hr) ? hr : E_NOINTERFACE;
    hr = container->FindConnectionPoint(events, point.put());
    if (SUCCEEDED(hr) && !point)
        return E_UNEXPECTED;
    return hr;
}

} // namespace

HRESULT AdviseConnection(IUnknown* source, REFIID events, IUnknown* sink, DWORD* cookie) {
    if (!cookie)
        return E_POINTER;
    *cookie = 0;
    if (!sink)
        return E_POINTER;
    ComPtr<IConnectionPoint> point;
    HRESULT hr = FindConnectionPoint(source, events, point);
    if (FAILED(hr))
        return hr;
    hr = point->Advise(sink, cookie);
    if (FAILED(hr))
        *cookie = 0;
    return hr;
}

HRESULT UnadviseConnection(IUnknown* source, REFIID events, DWORD cookie) {
    if (cookie == 0)
        return E_INVALIDARG;
    ComPtr<IConnectionPoint> point;
    HRESULT hr = FindConnectionPoint(source, events, point);
    if (FAILED(hr))
        return hr;
    return point->Unadvise(cookie);
}

bool IsSameComObject(IUnknown* first, IUnknown* second) {
    if (!first || !second)
        return first == second;
    ComPtr<IUnknown> a;
    ComPtr<IUnknown> b;
    if (FAILED(first->QueryInterface(IID_IUnknown, a.put_void())) ||
        FAILED(second->QueryInterface(IID_IUnknown, b.put_void())))
        return false;
    return a.get() == b.get();
}

} // namespace movalent
