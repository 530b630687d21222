#pragma once
// How the module-loading replacements read the names engine code asks for. Two kinds of comparison exist:
// whole-name (the caller's string as given, only ASCII A-Z folded) and, for the resource module alone, a
// case-sensitive substring test. Which one applies to which name is part of the rule, so both live here.
#include "engine/EngineFiles.h"

#include <optional>
#include <string_view>

namespace movalent {

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);
bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b);

// The names the loader answers from its own modules.
enum class RequestedModule {
    Other,
    Urlmon,
    Wininet,
    Mshtml,
    Ieframe,
    Shdocvw,
    Shdoclc, // LoadLibraryW only: the per-version resource module
};

// LoadLibraryA: the five whole names; anything else (a path, a name without extension) is Other.
RequestedModule ClassifyLoadLibraryA(std::string_view name);

// LoadLibraryW, tested in this order: urlmon, wininet, mshtml as whole names, then "shdoclc.dll" anywhere in
// the string, case-sensitive. The browser module names are not redirected through this entry.
RequestedModule ClassifyLoadLibraryW(std::wstring_view name);

// The record slot that answers a redirected LoadLibraryA/W request on an engine thread.
std::optional<ModuleSlot> SlotForRequest(RequestedModule request);

// LdrGetDllHandle on a thread of an engine version: the first group whose slot is filled (bit set in
// filledSlots, see SlotBit) and whose bare or ".dll" name equals the request. Only the seven slots that
// engine code asks for by name take part.
std::optional<ModuleSlot> LdrGetDllHandleSlot(std::wstring_view name, unsigned filledSlots);

// The name a counted string really holds: its length in bytes, rounded down to whole characters, cut at an
// embedded terminator if it holds one. The buffer is never read past the length.
std::wstring_view CountedName(const wchar_t* buffer, unsigned lengthBytes);

} // namespace movalent
