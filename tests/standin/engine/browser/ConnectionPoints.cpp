#include "standin/engine/browser/ConnectionPoints.h"

#include <olectl.h>

#include <algorithm>

namespace movalent::standin {

HRESULT ConnectionPoint::QueryInterface(REFIID iid, void** result) {
    if (result == nullptr)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IConnectionPoint)) {
        *result = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *result = nullptr;
    return E_NOINTERFACE;
}

HRESULT ConnectionPoint::GetConnectionInterface(IID* iid) {
    if (iid == nullptr)
        return E_POINTER;
    *iid = iid_;
    return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (container == nullptr)
        return E_POINTER;
    *container = &container_;
    container_.AddRef();
    return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (cookie == nullptr)
        return E_POINTER;
    *cookie = 0;
    if (sink == nullptr)
        return E_POINTER;
    ComPtr<IDispatch> events;
    if (FAILED(sink->QueryInterface(iid_, events.put_void())) || !events) {
        events.detach();
        if (FAILED(sink->QueryInterface(IID_IDispatch, events.put_void())) || !events) {
            events.detach();
            return CONNECT_E_CANNOTCONNECT;
        }
    }
    try {
        sinks_.push_back({nextCookie_, events});
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    *cookie = nextCookie_++;
    return S_OK;
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie) {
    const auto found = std::find_if(sinks_.begin(), sinks_.end(),
                                    [cookie](const Connection& c) { return c.cookie == cookie; });
    if (found == sinks_.end())
        return CONNECT_E_NOCONNECTION;
    // Released after the entry is gone: a sink's destructor may call back into the control.
    ComPtr<IDispatch> leaving = std::move(found->sink);
    sinks_.erase(found);
    return S_OK;
}

HRESULT ConnectionPoint::EnumConnections(IEnumConnections** connections) {
    if (connections != nullptr)
        *connections = nullptr;
    return E_NOTIMPL;
}

std::vector<ComPtr<IDispatch>> ConnectionPoint::Sinks() const {
    std::vector<ComPtr<IDispatch>> sinks;
    sinks.reserve(sinks_.size());
    for (const Connection& c : sinks_)
        sinks.push_back(c.sink);
    return sinks;
}

EventCall& EventCall::Dispatch(IDispatch* object) {
    VARIANTARG v;
    ::VariantInit(&v);
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = object;
    arguments_.push_back(v);
    return *this;
}

EventCall& EventCall::Bstr(BSTR text) {
    VARIANTARG v;
    ::VariantInit(&v);
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = text;
    arguments_.push_back(v);
    return *this;
}

EventCall& EventCall::Long(LONG value) {
    VARIANTARG v;
    ::VariantInit(&v);
    V_VT(&v) = VT_I4;
    V_I4(&v) = value;
    arguments_.push_back(v);
    return *this;
}

EventCall& EventCall::ULong(ULONG value) {
    VARIANTARG v;
    ::VariantInit(&v);
    V_VT(&v) = VT_UI4;
    V_UI4(&v) = value;
    arguments_.push_back(v);
    return *this;
}

EventCall& EventCall::Bool(VARIANT_BOOL value) {
    VARIANTARG v;
    ::VariantInit(&v);
    V_VT(&v) = VT_BOOL;
    V_BOOL(&v) = value;
    arguments_.push_back(v);
    return *this;
}

EventCall& EventCall::VariantRef(VARIANT* value) {
    VARIANTARG v;
    ::VariantInit(&v);
    V_VT(&v) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&v) = value;
    arguments_.push_back(v);
    return *this;
}

EventCall& EventCall::BoolRef(VARIANT_BOOL* value) {
    VARIANTARG v;
    ::VariantInit(&v);
    V_VT(&v) = VT_BYREF | VT_BOOL;
    V_BOOLREF(&v) = value;
    arguments_.push_back(v);
    return *this;
}

EventCall& EventCall::DispatchRef(IDispatch** object) {
    VARIANTARG v;
    ::VariantInit(&v);
    V_VT(&v) = VT_BYREF | VT_DISPATCH;
    V_DISPATCHREF(&v) = object;
    arguments_.push_back(v);
    return *this;
}

void EventCall::Fire(const ConnectionPoint& point, DISPID id) {
    const std::vector<ComPtr<IDispatch>> sinks = point.Sinks();
    if (sinks.empty())
        return;
    // DISPPARAMS holds the arguments last to first. The values are not the call's to clear: strings and
    // objects belong to the caller.
    std::vector<VARIANTARG> reversed(arguments_.rbegin(), arguments_.rend());
    for (const ComPtr<IDispatch>& sink : sinks) {
        DISPPARAMS params = {reversed.empty() ? nullptr : reversed.data(), nullptr,
                             static_cast<UINT>(reversed.size()), 0};
        UniqueVariant result;
        sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, nullptr, nullptr);
    }
}

} // namespace movalent::standin
