#pragma once
// The object pages see as window.external. Its members are those the calling thread's engine version
// offered pages (the maps in WindowExternalMaps.h), chosen again at every name lookup and call; each member
// ignores its arguments, returns nothing and tells the user in a message box which member the page called.
//
// It lives by value inside its control site and has no life of its own: when an owner is given, references
// to it are references to the owner, so the site stays as long as the page holds the object.
#include "tabs/WindowExternalMaps.h"

#include <windows.h>
#include <oaidl.h>

#include <atomic>

namespace movalent {

class CCustomWindowExternal final : public IDispatch {
public:
    explicit CCustomWindowExternal(IUnknown* owner = nullptr) : owner_(owner) {}
    CCustomWindowExternal(const CCustomWindowExternal&) = delete;
    CCustomWindowExternal& operator=(const CCustomWindowExternal&) = delete;

    // The members for the calling thread: its engine's, or the installed engine's for Default IE and for a
    // thread without an engine.
    static WindowExternalMap CurrentMap();

    IDispatch* GetIDispatch(bool addRef);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT*) override;

private:
    IUnknown* owner_; // the object this one lives inside, which counts its references; not held
    std::atomic<ULONG> references_{0}; // without an owner: counted so a leak shows, nothing is freed
};

} // namespace movalent
