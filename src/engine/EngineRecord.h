#pragma once
// One loaded engine version: its modules and their class entry points. The engine table holds one per
// IEVERSION value; it is written only by install and removal and read without a lock in between.
#include "engine/EngineFiles.h"
#include "engine/IeVersion.h"

#include <windows.h>
#include <objbase.h>

#include <cstddef>
#include <cstdint>

namespace movalent {

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID clsid, REFIID iid, LPVOID* out);

struct EngineRecord {
    IEVERSION version;
    uint32_t loaded;   // 1: the version is available
    uint32_t isSystem; // 1: Default IE, whose requests all go to the system
    HMODULE hBrowser;  // shdocvw for IE 5.5 and IE 6, ieframe from IE 7 on
    HMODULE hMshtml;
    HMODULE hJscript;
    HMODULE hUrlmon;
    HMODULE hMshtmled;
    HMODULE hWininet;
    HMODULE hVbscript;
    HMODULE hDxtmsft;
    HMODULE hDxtrans;
    HMODULE hImgutil;
    HMODULE hPngfilt;
    GetClassObjectFn getClassObject[kClassModuleCount]; // indexed by ClassModule
    uint32_t typeLibKey[4]; // the IE 5.5 type library chain's fake keys while open, shared by its threads
};

static_assert(sizeof(IEVERSION) == 4 && sizeof(HMODULE) == sizeof(void*) && sizeof(GetClassObjectFn) == sizeof(void*));
#if !defined(_WIN64)
static_assert(offsetof(EngineRecord, version) == 0 && offsetof(EngineRecord, loaded) == 4 &&
              offsetof(EngineRecord, isSystem) == 8 && offsetof(EngineRecord, hBrowser) == 12 &&
              offsetof(EngineRecord, hWininet) == 32 && offsetof(EngineRecord, hPngfilt) == 52 &&
              offsetof(EngineRecord, getClassObject) == 56 && offsetof(EngineRecord, typeLibKey) == 96 &&
              sizeof(EngineRecord) == 112);
#endif

// The module handle in a slot, by ModuleSlot.
HMODULE& ModuleAt(EngineRecord& record, ModuleSlot slot);
HMODULE ModuleAt(const EngineRecord& record, ModuleSlot slot);

// SlotBit of every filled module slot / ClassModuleBit of every class entry point the record holds.
unsigned FilledSlots(const EngineRecord& record);
unsigned ClassEntryPoints(const EngineRecord& record);

// Every version's record, indexed by IEVERSION.
extern EngineRecord EngineTable[IE_VERSION_COUNT];

} // namespace movalent
