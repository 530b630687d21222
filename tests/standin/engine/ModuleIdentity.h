#pragma once
// Which engine file a copy of the stand-in is, read from its own file name: the version letter followed by
// the standard module name without its first letter ("7eframe.dll" is IE 7's ieframe.dll).
#include <string>
#include <string_view>

namespace movalent::standin {

enum class EngineModule {
    Unknown,
    Browser,
    Mshtml,
    Jscript,
    Urlmon,
    Wininet,
    Mshtmled,
    Vbscript,
    Dxtmsft,
    Dxtrans,
    Imgutil,
    Pngfilt,
    Shdoclc, // resources only: serves no class
};

struct ModuleIdentity {
    std::wstring fileName;     // without folder, as given
    wchar_t versionLetter = 0; // '5' to '8'; 0 when the name is no engine file name
    EngineModule module = EngineModule::Unknown;
    std::wstring_view standardName; // "ieframe.dll", ...; empty when unknown
};

// path may carry a folder (either slash); only the last component counts, compared ignoring ASCII case.
ModuleIdentity IdentifyEngineFile(std::wstring_view path);

// "browser", "mshtml", ..., "unknown".
std::wstring_view EngineModuleName(EngineModule module);

} // namespace movalent::standin
