#include "standin/engine/ModuleIdentity.h"

namespace movalent::standin {
namespace {

struct NameTail {
    std::wstring_view tail;
    EngineModule module;
    std::wstring_view standardName;
};

// Both browser tails are known for every letter: which one a version uses is the loader's business, and a
// copy under the other name must still say what it is.
constexpr NameTail kTails[] = {
    {L"eframe.dll", EngineModule::Browser, L"ieframe.dll"},
    {L"hdocvw.dll", EngineModule::Browser, L"shdocvw.dll"},
    {L"shtml.dll", EngineModule::Mshtml, L"mshtml.dll"},
    {L"script.dll", EngineModule::Jscript, L"jscript.dll"},
    {L"rlmon.dll", EngineModule::Urlmon, L"urlmon.dll"},
    {L"ininet.dll", EngineModule::Wininet, L"wininet.dll"},
    {L"shtmled.dll", EngineModule::Mshtmled, L"mshtmled.dll"},
    {L"bscript.dll", EngineModule::Vbscript, L"vbscript.dll"},
    {L"xtmsft.dll", EngineModule::Dxtmsft, L"dxtmsft.dll"},
    {L"xtrans.dll", EngineModule::Dxtrans, L"dxtrans.dll"},
    {L"mgutil.dll", EngineModule::Imgutil, L"imgutil.dll"},
    {L"ngfilt.dll", EngineModule::Pngfilt, L"pngfilt.dll"},
    {L"hdoclc.dll", EngineModule::Shdoclc, L"shdoclc.dll"},
};

wchar_t AsciiLower(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}

} // namespace

ModuleIdentity IdentifyEngineFile(std::wstring_view path) {
    ModuleIdentity identity;
    const size_t slash = path.find_last_of(L"\\/");
    const std::wstring_view name = slash == std::wstring_view::npos ? path : path.substr(slash + 1);
    identity.fileName.assign(name);
    // A copy under any other name (the build output itself, say) must not pass for an engine module, or a
    // loader that loads the wrong file would still be answered as if it had loaded the right one.
    if (name.size() < 2 || name[0] < L'5' || name[0] > L'8')
        return identity;
    for (const NameTail& entry : kTails) {
        if (EqualsIgnoringAsciiCase(name.substr(1), entry.tail)) {
            identity.versionLetter = name[0];
            identity.module = entry.module;
            identity.standardName = entry.standardName;
            break;
        }
    }
    return identity;
}

std::wstring_view EngineModuleName(EngineModule module) {
    switch (module) {
    case EngineModule::Browser:
        return L"browser";
    case EngineModule::Mshtml:
        return L"mshtml";
    case EngineModule::Jscript:
        return L"jscript";
    case EngineModule::Urlmon:
        return L"urlmon";
    case EngineModule::Wininet:
        return L"wininet";
    case EngineModule::Mshtmled:
        return L"mshtmled";
    case EngineModule::Vbscript:
        return L"vbscript";
    case EngineModule::Dxtmsft:
        return L"dxtmsft";
    case EngineModule::Dxtrans:
        return L"dxtrans";
    case EngineModule::Imgutil:
        return L"imgutil";
    case EngineModule::Pngfilt:
        return L"pngfilt";
    case EngineModule::Shdoclc:
        return L"shdoclc";
    case EngineModule::Unknown:
        break;
    }
    return L"unknown";
}

} // namespace movalent::standin
