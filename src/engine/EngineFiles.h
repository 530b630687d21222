#pragma once
// Which files make up an engine version, and the names they have in the program's folder.
#include "engine/IeVersion.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace movalent {

// The eleven module handles of an engine record, in the record's order.
enum class ModuleSlot : int {
    Browser, // shdocvw for IE 5.5 and IE 6, ieframe from IE 7 on
    Mshtml,
    Jscript,
    Urlmon,
    Mshtmled,
    Wininet,
    Vbscript,
    Dxtmsft,
    Dxtrans,
    Imgutil,
    Pngfilt,
};
inline constexpr int kModuleSlotCount = 11;

// The ten DllGetClassObject entry points of an engine record, in the record's order. wininet serves no class.
enum class ClassModule : int {
    Browser,
    Mshtml,
    Jscript,
    Urlmon,
    Mshtmled,
    Vbscript,
    Dxtmsft,
    Dxtrans,
    Imgutil,
    Pngfilt,
};
inline constexpr int kClassModuleCount = 10;

constexpr unsigned SlotBit(ModuleSlot slot) { return 1u << static_cast<int>(slot); }
constexpr unsigned ClassModuleBit(ClassModule module) { return 1u << static_cast<int>(module); }

// One file of a version's load plan: the slot it fills, the tail its name ends in and whether the version is
// unusable without it.
struct EngineFile {
    ModuleSlot slot;
    std::wstring_view tail; // the standard file name without its first letter
    bool required;
};

// The files LoadEngineVersion loads for IE 5.5 to IE 8, in loading order: the browser module, the four other
// required modules, the two optional ones and, except for IE 6, the four optional filter modules. Empty for
// IE 4, IE 5 and Default IE, which have no files of their own.
std::span<const EngineFile> EngineLoadPlan(IEVERSION version);

// Where the class entry point of a module is kept; wininet has none.
bool ClassModuleOfSlot(ModuleSlot slot, ClassModule* module);

// Paths are built in a buffer of this many characters, terminator included; a longer path is not loaded.
inline constexpr size_t kEnginePathChars = 360;

// Folder + "\" + prefix letter: what every file name of the version is appended to. Empty when the folder is
// empty, the version has no files of its own, or the result leaves no room in kEnginePathChars.
std::wstring EnginePathPrefix(std::wstring_view folder, IEVERSION version);

// Prefix + tail, or empty when it would not fit kEnginePathChars with its terminator.
std::wstring EngineFilePath(std::wstring_view prefix, std::wstring_view tail);

// The file name of a version's module in the program's folder ("7eframe.dll"); empty when the version has no
// files or does not use that module.
std::wstring EngineFileName(IEVERSION version, ModuleSlot slot);

// Why tabs of a version cannot be opened.
enum class EngineAbsence : int {
    None,                    // available
    NoFiles,                 // its files are missing from the program's folder, or did not load
    OtherArchitecture,       // its files are built for another processor than the program: never loaded
    NoBuildForArchitecture,  // the version was never built for this program's processor (IE 5.5 in 64 bits)
};

// IE 5.5 exists only as 32-bit code; every other version had 64-bit builds or is the system's own.
constexpr bool VersionExistsForProcessor(IEVERSION version, bool is64Bit) { return !(is64Bit && version == IE_55); }
constexpr bool VersionExistsForThisProgram(IEVERSION version) {
    return VersionExistsForProcessor(version, sizeof(void*) == 8);
}

// The machine field of a PE image's file header, read from the file's first bytes; 0 when they hold no PE header.
inline constexpr uint16_t kMachineI386 = 0x014C;
inline constexpr uint16_t kMachineAmd64 = 0x8664;
uint16_t PeMachine(std::span<const uint8_t> head);

} // namespace movalent
