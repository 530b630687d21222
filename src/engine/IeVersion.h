#pragma once

#include <cstdint>

// <windows.h> defines IE_DEFAULT as a serial-port error code. The Windows build includes <windows.h> ahead of every
// source file, so dropping the macro here lets the engine version of that name win everywhere.
#ifdef IE_DEFAULT
#undef IE_DEFAULT
#endif

namespace movalent {

// Engine version of a tab or thread. The value indexes the engine table, the tab templates, the version commands
// and the open-in-all option names, so the numbering must never change.
enum IEVERSION : std::int32_t {
    IE_4 = 0,
    IE_5 = 1,
    IE_55 = 2,
    IE_6 = 3,
    IE_7 = 4,
    IE_8 = 5,
    IE_DEFAULT = 6,
};

inline constexpr int IE_VERSION_COUNT = 7;

// First letter of every engine file of a version, and the suffix of its "OpenAll_IE" option. IE 4 and IE 5 have
// no files of their own, hence the empty entries.
extern const wchar_t* const EngineFilePrefix[IE_VERSION_COUNT];

// True for the seven values above; guards every place that indexes a table with a value from outside.
constexpr bool IsValidIeVersion(int value) { return value >= IE_4 && value <= IE_DEFAULT; }

} // namespace movalent
