#pragma once
// An event interface's sink that hands every call to a function of its owner, connected for as long as the
// object lives. The engine holds the sink by reference counting; Disconnect makes a late call harmless.
#include "framework/Handles.h"

#include <windows.h>
#include <oaidl.h>

#include <functional>

namespace movalent::devtools {

using EventHandler = std::function<void(DISPID id, DISPPARAMS& params, VARIANT* result)>;

class EventConnection {
public:
    EventConnection();
    EventConnection(const EventConnection&) = delete;
    EventConnection& operator=(const EventConnection&) = delete;
    ~EventConnection();

    bool Connect(IUnknown* source, REFIID events, EventHandler handler);
    void Disconnect();
    bool Connected() const { return cookie_ != 0; }

private:
    class Sink;
    ComPtr<IUnknown> source_;
    IID events_ = {};
    DWORD cookie_ = 0;
    ComPtr<Sink> sink_;
};

} // namespace movalent::devtools
