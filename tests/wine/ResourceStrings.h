#pragma once
// Every string identifier the program's resources define, read from the string bundles (16 strings each).
#include "app/Localisation.h"

#include <windows.h>

#include <set>

namespace movalent::testing {

inline BOOL CALLBACK CollectStringBundle(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
    if (!IS_INTRESOURCE(name))
        return TRUE;
    unsigned first = (static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(name)) - 1) * 16;
    for (unsigned id = first; id < first + 16; ++id)
        if (!LoadResourceString(id).empty())
            reinterpret_cast<std::set<unsigned>*>(param)->insert(id);
    return TRUE;
}

inline std::set<unsigned> ResourceStringIds() {
    std::set<unsigned> ids;
    ::EnumResourceNamesW(nullptr, RT_STRING, CollectStringBundle, reinterpret_cast<LONG_PTR>(&ids));
    return ids;
}

} // namespace movalent::testing
