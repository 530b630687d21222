#include "standin/engine/ClassFactory.h"

#include "standin/engine/ServedObjects.h"
#include "standin/engine/ThisModule.h"

#include <atomic>
#include <new>

namespace movalent::standin {
namespace {

class CStandInClassFactory final : public IClassFactory {
public:
    explicit CStandInClassFactory(const CLSID& clsid) : clsid_(clsid) { AddModuleReference(); }
    CStandInClassFactory(const CStandInClassFactory&) = delete;
    CStandInClassFactory& operator=(const CStandInClassFactory&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override {
        if (result == nullptr)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *result = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *result = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** result) override {
        if (result == nullptr)
            return E_POINTER;
        *result = nullptr;
        if (outer != nullptr)
            return CLASS_E_NOAGGREGATION;
        return CreateServedObject(clsid_, iid, result);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock)
            AddModuleReference();
        else
            ReleaseModuleReference();
        return S_OK;
    }

private:
    ~CStandInClassFactory() { ReleaseModuleReference(); }

    std::atomic<ULONG> references_{1};
    const CLSID clsid_;
};

} // namespace

HRESULT CreateClassFactory(const CLSID& clsid, REFIID iid, void** result) {
    if (result == nullptr)
        return E_POINTER;
    *result = nullptr;
    auto* factory = new (std::nothrow) CStandInClassFactory(clsid);
    if (factory == nullptr)
        return E_OUTOFMEMORY;
    const HRESULT hr = factory->QueryInterface(iid, result);
    factory->Release();
    return hr;
}

} // namespace movalent::standin
