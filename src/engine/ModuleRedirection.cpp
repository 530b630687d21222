// Engine code asks for its sibling modules by standard name; on an engine thread it gets the modules that its
// own version's files loaded at install. Redirected answers never raise a module's load count, and freeing any
// engine handle is swallowed, so the loader's modules stay loaded exactly once until removal.
#include "engine/EngineLoader.h"
#include "engine/EngineReplacements.h"
#include "engine/ModuleNames.h"

#include <cstring>

namespace movalent {
namespace {

// The slots engine code may free through FreeLibrary; the filter modules are loaded and freed by nobody else.
constexpr ModuleSlot kProtectedSlots[] = {ModuleSlot::Browser,  ModuleSlot::Mshtml,  ModuleSlot::Jscript,
                                          ModuleSlot::Urlmon,   ModuleSlot::Mshtmled, ModuleSlot::Wininet,
                                          ModuleSlot::Vbscript};

bool IsEngineThread(const EngineRecord* record) { return record != nullptr && record->isSystem != 1; }

// The loader's answer to a redirected name, or null when the real function must answer.
HMODULE LoaderAnswer(const EngineRecord* record, RequestedModule request) {
    const auto slot = SlotForRequest(request);
    if (!slot)
        return nullptr;
    if (IsEngineThread(record))
        return ModuleAt(*record, *slot);
    // Every other thread shares the installed engine's urlmon and wininet, loaded once at install.
    if (request == RequestedModule::Urlmon || request == RequestedModule::Wininet)
        return ModuleAt(EngineTable[IE_DEFAULT], *slot);
    return nullptr;
}

} // namespace

HMODULE WINAPI RedirectedLoadLibraryA(LPCSTR name) {
    // The names come first: most loads are of other modules and must not pay for the thread lookup.
    const RequestedModule request = name != nullptr ? ClassifyLoadLibraryA(name) : RequestedModule::Other;
    if (request == RequestedModule::Other)
        return RealLoadLibraryA(name);
    if (HMODULE module = LoaderAnswer(GetCurrentEngine(), request))
        return module;
    return RealLoadLibraryA(name);
}

HMODULE WINAPI RedirectedLoadLibraryW(LPCWSTR name) {
    const RequestedModule request = name != nullptr ? ClassifyLoadLibraryW(name) : RequestedModule::Other;
    if (request == RequestedModule::Other)
        return RealLoadLibraryW(name);
    const EngineRecord* record = GetCurrentEngine();
    if (request == RequestedModule::Shdoclc) {
        // Only IE 5.5 and IE 6 keep their resources apart; the later versions carry them in ieframe.
        if (record != nullptr && record->version == IE_55)
            return RealLoadLibraryW(L"5hdoclc.dll");
        if (record != nullptr && record->version == IE_6)
            return RealLoadLibraryW(L"6hdoclc.dll");
        return RealLoadLibraryW(name);
    }
    if (HMODULE module = LoaderAnswer(record, request))
        return module;
    return RealLoadLibraryW(name);
}

BOOL WINAPI RedirectedFreeLibrary(HMODULE module) {
    // A null handle matches every empty slot, but is no module: the system says so.
    if (module == nullptr)
        return RealFreeLibrary(module);
    for (const EngineRecord& record : EngineTable)
        for (ModuleSlot slot : kProtectedSlots)
            if (ModuleAt(record, slot) == module)
                return TRUE;
    return RealFreeLibrary(module);
}

NTSTATUS NTAPI RedirectedLdrGetDllHandle(PCWSTR searchPath, PULONG characteristics, PUNICODE_STRING name,
                                         HMODULE* module) {
    const EngineRecord* record = GetCurrentEngine();
    if (record != nullptr && record->version != IE_DEFAULT && name != nullptr && module != nullptr) {
        // A counted string need not end in a terminator: its length is all there is to read.
        const std::wstring_view requested = CountedName(name->Buffer, name->Length);
        if (const auto slot = LdrGetDllHandleSlot(requested, FilledSlots(*record)))
            *module = ModuleAt(*record, *slot);
    }
    // What the system then leaves in the variable is what the caller sees.
    return RealLdrGetDllHandle(searchPath, characteristics, name, module);
}

} // namespace movalent
