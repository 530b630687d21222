// The entry points every copy exports. Built with STANDIN_WITHOUT_CLASS_OBJECT, the copy lacks
// DllGetClassObject, like a damaged or foreign browser module.
#include "standin/StandInInterfaces.h"
#include "standin/engine/ClassFactory.h"
#include "standin/engine/ClassTable.h"
#include "standin/engine/Probes.h"
#include "standin/engine/ThisModule.h"
#include "standin/engine/browser/PageLoader.h"

#include <algorithm>
#include <cwchar>
#include <string>

using namespace movalent;
using namespace movalent::standin;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH)
        SetThisModule(instance);
    return TRUE;
}

#ifndef STANDIN_WITHOUT_CLASS_OBJECT
extern "C" __declspec(dllexport) HRESULT
    __stdcall DllGetClassObject(REFCLSID clsid, REFIID iid, void** result) {
    if (result == nullptr)
        return E_POINTER;
    *result = nullptr;
    try {
        const EngineModule own = ThisModuleIdentity().module;
        if (own == EngineModule::Unknown || ModuleServingClass(clsid) != own)
            return CLASS_E_CLASSNOTAVAILABLE;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    return CreateClassFactory(clsid, iid, result);
}
#endif

extern "C" __declspec(dllexport) HRESULT __stdcall DllCanUnloadNow() {
    return ModuleInUse() ? S_FALSE : S_OK;
}

extern "C" __declspec(dllexport) int __stdcall StandInProbe(const wchar_t* what, wchar_t* out, int outChars) {
    if (what == nullptr)
        return -1;
    std::wstring report;
    try {
        report = RunProbe(what);
    } catch (...) {
        report = L"error=out of memory\n";
    }
    if (out != nullptr && outChars > 0) {
        const size_t copied = std::min(report.size(), static_cast<size_t>(outChars - 1));
        std::wmemcpy(out, report.data(), copied);
        out[copied] = L'\0';
    }
    return static_cast<int>(report.size());
}

// Fetching a page's source the way urlmon does (standin/engine/browser/PageLoader.h). The status callback is
// never called.
extern "C" __declspec(dllexport) HRESULT WINAPI
    URLOpenBlockingStreamW(LPUNKNOWN, LPCWSTR url, LPSTREAM* stream, DWORD, LPBINDSTATUSCALLBACK) {
    return OpenBlockingStream(url, stream);
}
