#include "devtools/EventSink.h"

#include "framework/ConnectionPoints.h"

namespace movalent::devtools {

class EventConnection::Sink final : public IDispatch {
public:
    Sink(REFIID events, EventHandler handler) : events_(events), handler_(std::move(handler)) {}

    void Cut() { handler_ = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override {
        if (!result)
            return E_POINTER;
        *result = nullptr;
        if (iid != IID_IUnknown && iid != IID_IDispatch && iid != events_)
            return E_NOINTERFACE;
        *result = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(::InterlockedIncrement(&references_));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = ::InterlockedDecrement(&references_);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count)
            *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info)
            *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT*) override {
        if (!handler_ || !params)
            return S_OK;
        try {
            EventHandler handler = handler_; // the handler may disconnect this sink
            handler(id, *params, result);
        } catch (...) {
        }
        return S_OK;
    }

private:
    LONG references_ = 1;
    IID events_;
    EventHandler handler_;
};

// Made and destroyed here, where the sink's class is complete.
EventConnection::EventConnection() = default;

EventConnection::~EventConnection() {
    Disconnect();
}

bool EventConnection::Connect(IUnknown* source, REFIID events, EventHandler handler) {
    Disconnect();
    if (!source)
        return false;
    // Born with the one reference this connection keeps.
    auto sink = ComPtr<Sink>::Attach(new Sink(events, std::move(handler)));
    DWORD cookie = 0;
    if (FAILED(AdviseConnection(source, events, sink.get(), &cookie)) || cookie == 0)
        return false;
    source_ = source;
    events_ = events;
    cookie_ = cookie;
    sink_ = std::move(sink);
    return true;
}

void EventConnection::Disconnect() {
    if (sink_) {
        sink_->Cut();
        if (cookie_ && source_)
            UnadviseConnection(source_.get(), events_, cookie_);
    }
    sink_.reset();
    cookie_ = 0;
    source_.reset();
}

} // namespace movalent::devtools
