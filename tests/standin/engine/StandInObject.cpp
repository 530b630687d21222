#include "standin/engine/StandInObject.h"

#include "standin/engine/Probes.h"
#include "standin/engine/ThisModule.h"

#include <atomic>
#include <new>

namespace movalent::standin {
namespace {

class CStandInObject final : public IStandInObject {
public:
    explicit CStandInObject(const CLSID& clsid) : clsid_(clsid) { AddModuleReference(); }
    CStandInObject(const CStandInObject&) = delete;
    CStandInObject& operator=(const CStandInObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override {
        if (result == nullptr)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IStandInObject)) {
            *result = static_cast<IStandInObject*>(this);
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

    HRESULT STDMETHODCALLTYPE GetModulePath(BSTR* path) override {
        if (path == nullptr)
            return E_POINTER;
        const std::wstring& own = ThisModulePath();
        *path = ::SysAllocStringLen(own.data(), static_cast<UINT>(own.size()));
        return *path != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE GetClassId(CLSID* clsid) override {
        if (clsid == nullptr)
            return E_POINTER;
        *clsid = clsid_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Probe(LPCWSTR what, BSTR* report) override {
        if (report == nullptr)
            return E_POINTER;
        *report = nullptr;
        if (what == nullptr)
            return E_INVALIDARG;
        try {
            const std::wstring text = RunProbe(what);
            *report = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        } catch (...) {
            return E_OUTOFMEMORY;
        }
        return *report != nullptr ? S_OK : E_OUTOFMEMORY;
    }

private:
    ~CStandInObject() { ReleaseModuleReference(); }

    std::atomic<ULONG> references_{1};
    const CLSID clsid_;
};

} // namespace

HRESULT CreateStandInObject(const CLSID& clsid, REFIID iid, void** result) {
    if (result == nullptr)
        return E_POINTER;
    *result = nullptr;
    auto* object = new (std::nothrow) CStandInObject(clsid);
    if (object == nullptr)
        return E_OUTOFMEMORY;
    const HRESULT hr = object->QueryInterface(iid, result);
    object->Release();
    return hr;
}

} // namespace movalent::standin
