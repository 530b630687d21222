#pragma once
// Small pieces every COM object of the stand-in needs.
#include "standin/engine/ThisModule.h"

#include <oleauto.h>

#include <string>
#include <string_view>

namespace movalent::standin {

// Hands a copy of text to a BSTR out-parameter.
inline HRESULT ReturnBstr(std::wstring_view text, BSTR* out) {
    if (out == nullptr)
        return E_POINTER;
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

// Runs the body of a COM method: nothing may leave it, and running out of memory is its failure.
template <typename Body> HRESULT NoThrow(Body body) noexcept {
    try {
        return body();
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

inline std::wstring FromBstr(BSTR text) {
    return text != nullptr ? std::wstring(text, ::SysStringLen(text)) : std::wstring{};
}

// Keeps the copy loaded while an object of it lives (DllCanUnloadNow).
class ModuleReference {
public:
    ModuleReference() { AddModuleReference(); }
    ModuleReference(const ModuleReference&) = delete;
    ModuleReference& operator=(const ModuleReference&) = delete;
    ~ModuleReference() { ReleaseModuleReference(); }
};

} // namespace movalent::standin
