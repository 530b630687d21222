// COM activation on an engine thread: classes of the engine's own modules come from that version's
// DllGetClassObject instead of the registered system servers.
#include "engine/ClassTables.h"
#include "engine/EngineLoader.h"
#include "engine/EngineReplacements.h"

#include <cstring>

namespace movalent {
namespace {

bool IsEngineThread(const EngineRecord* record) { return record != nullptr && record->isSystem != 1; }

ClassId AsClassId(REFCLSID clsid) {
    ClassId id;
    std::memcpy(&id, &clsid, sizeof id);
    return id;
}

// All ones is no more a factory than null is.
IClassFactory* const kInvalidFactory = reinterpret_cast<IClassFactory*>(~uintptr_t{0});

// A success other than S_OK that brought no object would reach the caller as "created" with nothing in hand.
HRESULT NoObject(HRESULT hr, LPVOID* out) {
    if (out != nullptr)
        *out = nullptr;
    return SUCCEEDED(hr) ? CLASS_E_CLASSNOTAVAILABLE : hr;
}

HRESULT CreateFromModule(GetClassObjectFn getClassObject, ClassModule module, REFCLSID clsid, LPUNKNOWN outer,
                         REFIID iid, LPVOID* out) {
    IClassFactory* factory = nullptr;
    const HRESULT hr = getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    // The browser and mshtml modules return informational success codes that still carry a factory.
    const bool lenient = module == ClassModule::Browser || module == ClassModule::Mshtml;
    if (lenient ? FAILED(hr) : hr != S_OK) {
        if (SUCCEEDED(hr) && factory != nullptr)
            factory->Release();
        return NoObject(hr, out);
    }
    if (module == ClassModule::Browser && factory == kInvalidFactory)
        return E_FAIL;
    // A module that reports success without a factory must not make us call through null.
    if (factory == nullptr)
        return E_FAIL;
    const HRESULT created = factory->CreateInstance(outer, iid, out);
    factory->Release();
    if (created != S_OK && SUCCEEDED(created) && (out == nullptr || *out == nullptr))
        return NoObject(created, out);
    return created;
}

} // namespace

HRESULT WINAPI RedirectedCoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* out) {
    const EngineRecord* record = GetCurrentEngine();
    if (IsEngineThread(record)) {
        const ClassRouteContext route{record->version, ClassEntryPoints(*record), EngineFiltersDisabled()};
        if (const auto module = RouteCreateInstance(AsClassId(clsid), route)) {
            if (GetClassObjectFn entry = record->getClassObject[static_cast<int>(*module)])
                return CreateFromModule(entry, *module, clsid, outer, iid, out);
        }
    }
    return RealCoCreateInstance(clsid, outer, context, iid, out);
}

HRESULT WINAPI RedirectedCoCreateInstanceEx(REFCLSID clsid, IUnknown* outer, DWORD context, COSERVERINFO* server,
                                            DWORD count, MULTI_QI* results) {
    return RealCoCreateInstanceEx(clsid, outer, context, server, count, results);
}

HRESULT WINAPI RedirectedCoGetClassObject(REFCLSID clsid, DWORD context, LPVOID serverInfo, REFIID iid, LPVOID* out) {
    const EngineRecord* record = GetCurrentEngine();
    if (IsEngineThread(record)) {
        if (const auto module = RouteGetClassObject(AsClassId(clsid), ClassEntryPoints(*record))) {
            if (GetClassObjectFn entry = record->getClassObject[static_cast<int>(*module)]) {
                if (IsEqualIID(iid, IID_IClassFactory))
                    return entry(clsid, IID_IClassFactory, out);
                // The engine modules are asked for their factory; a caller that wants another interface of
                // it (IClassFactory2, say) gets that interface, not a factory pointer posing as it.
                if (out == nullptr)
                    return E_INVALIDARG;
                *out = nullptr;
                IClassFactory* factory = nullptr;
                const HRESULT hr = entry(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
                if (FAILED(hr) || factory == nullptr)
                    return FAILED(hr) ? hr : E_FAIL;
                const HRESULT queried = factory->QueryInterface(iid, out);
                factory->Release();
                return queried;
            }
        }
    }
    return RealCoGetClassObject(clsid, context, serverInfo, iid, out);
}

} // namespace movalent
