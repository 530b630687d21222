#pragma once
// The control's outgoing interfaces: a connection point per event interface, and the call that fires one
// event to every sink advised to it.
#include "framework/Handles.h"

#include <ocidl.h>

#include <vector>

namespace movalent::standin {

// Lives inside its container and shares its lifetime: AddRef and Release go to the container.
class ConnectionPoint final : public IConnectionPoint {
public:
    ConnectionPoint(IConnectionPointContainer& container, const IID& iid)
        : container_(container), iid_(iid) {}
    ConnectionPoint(const ConnectionPoint&) = delete;
    ConnectionPoint& operator=(const ConnectionPoint&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return container_.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return container_.Release(); }

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override;
    // The sink is asked for the event interface itself first, then for IDispatch.
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override;

    const IID& Iid() const { return iid_; }
    // The sinks as they are now: a sink that unadvises while an event is fired still gets that event.
    std::vector<ComPtr<IDispatch>> Sinks() const;
    void DisconnectAll() { sinks_.clear(); }

private:
    struct Connection {
        DWORD cookie;
        ComPtr<IDispatch> sink;
    };

    IConnectionPointContainer& container_;
    const IID iid_;
    std::vector<Connection> sinks_;
    DWORD nextCookie_ = 1;
};

// One event's arguments, given in the order of the event's parameters. By-reference arguments point to the
// caller's variables, so what one sink sets (Cancel, Processed) the next sink and the caller see.
class EventCall {
public:
    EventCall& Dispatch(IDispatch* object); // not owned: the caller keeps it alive
    EventCall& Bstr(BSTR text);             // not owned
    EventCall& Long(LONG value);
    EventCall& ULong(ULONG value);
    EventCall& Bool(VARIANT_BOOL value);
    EventCall& VariantRef(VARIANT* value);
    EventCall& BoolRef(VARIANT_BOOL* value);
    EventCall& DispatchRef(IDispatch** object);

    void Fire(const ConnectionPoint& point, DISPID id);

private:
    std::vector<VARIANTARG> arguments_;
};

} // namespace movalent::standin
