#pragma once
// Connecting a sink to an object's outgoing interface, and telling whether two interface pointers belong to
// one object.
#include <windows.h>
#include <ocidl.h>

namespace movalent {

// Advises sink to the source's connection point for events; the cookie is 0 on failure.
HRESULT AdviseConnection(IUnknown* source, REFIID events, IUnknown* sink, DWORD* cookie);
HRESULT UnadviseConnection(IUnknown* source, REFIID events, DWORD cookie);

// COM identity: both answer the same IUnknown. Two nulls are the same; a null and an object are not.
bool IsSameComObject(IUnknown* first, IUnknown* second);

} // namespace movalent
