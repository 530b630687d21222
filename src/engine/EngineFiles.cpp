#include "engine/EngineFiles.h"

namespace movalent {
namespace {

// A version's file name is its prefix letter followed by the standard name without its first letter, so every
// copy keeps the length of the name it stands for.
constexpr EngineFile kShdocvwPlan[] = {
    {ModuleSlot::Browser, L"hdocvw.dll", true},  {ModuleSlot::Mshtml, L"shtml.dll", true},
    {ModuleSlot::Jscript, L"script.dll", true},  {ModuleSlot::Urlmon, L"rlmon.dll", true},
    {ModuleSlot::Wininet, L"ininet.dll", true},  {ModuleSlot::Mshtmled, L"shtmled.dll", false},
    {ModuleSlot::Vbscript, L"bscript.dll", false}, {ModuleSlot::Dxtmsft, L"xtmsft.dll", false},
    {ModuleSlot::Dxtrans, L"xtrans.dll", false}, {ModuleSlot::Imgutil, L"mgutil.dll", false},
    {ModuleSlot::Pngfilt, L"ngfilt.dll", false},
};

constexpr EngineFile kIeframePlan[] = {
    {ModuleSlot::Browser, L"eframe.dll", true},  {ModuleSlot::Mshtml, L"shtml.dll", true},
    {ModuleSlot::Jscript, L"script.dll", true},  {ModuleSlot::Urlmon, L"rlmon.dll", true},
    {ModuleSlot::Wininet, L"ininet.dll", true},  {ModuleSlot::Mshtmled, L"shtmled.dll", false},
    {ModuleSlot::Vbscript, L"bscript.dll", false}, {ModuleSlot::Dxtmsft, L"xtmsft.dll", false},
    {ModuleSlot::Dxtrans, L"xtrans.dll", false}, {ModuleSlot::Imgutil, L"mgutil.dll", false},
    {ModuleSlot::Pngfilt, L"ngfilt.dll", false},
};

// IE 6 never came with the filter modules: its plan stops before them.
constexpr size_t kPlanWithoutFilters = 7;

} // namespace

std::span<const EngineFile> EngineLoadPlan(IEVERSION version) {
    switch (version) {
    case IE_55:
        return kShdocvwPlan;
    case IE_6:
        return std::span<const EngineFile>(kShdocvwPlan).first(kPlanWithoutFilters);
    case IE_7:
    case IE_8:
        return kIeframePlan;
    default:
        return {};
    }
}

bool ClassModuleOfSlot(ModuleSlot slot, ClassModule* module) {
    ClassModule result;
    switch (slot) {
    case ModuleSlot::Browser: result = ClassModule::Browser; break;
    case ModuleSlot::Mshtml: result = ClassModule::Mshtml; break;
    case ModuleSlot::Jscript: result = ClassModule::Jscript; break;
    case ModuleSlot::Urlmon: result = ClassModule::Urlmon; break;
    case ModuleSlot::Mshtmled: result = ClassModule::Mshtmled; break;
    case ModuleSlot::Vbscript: result = ClassModule::Vbscript; break;
    case ModuleSlot::Dxtmsft: result = ClassModule::Dxtmsft; break;
    case ModuleSlot::Dxtrans: result = ClassModule::Dxtrans; break;
    case ModuleSlot::Imgutil: result = ClassModule::Imgutil; break;
    case ModuleSlot::Pngfilt: result = ClassModule::Pngfilt; break;
    default: return false;
    }
    *module = result;
    return true;
}

std::wstring EnginePathPrefix(std::wstring_view folder, IEVERSION version) {
    if (folder.empty() || EngineLoadPlan(version).empty())
        return {};
    std::wstring prefix(folder);
    // The root of a drive comes back with its backslash already there.
    if (prefix.back() != L'\\')
        prefix += L'\\';
    prefix += EngineFilePrefix[version];
    if (prefix.size() + 1 > kEnginePathChars)
        return {};
    return prefix;
}

std::wstring EngineFilePath(std::wstring_view prefix, std::wstring_view tail) {
    if (prefix.empty() || prefix.size() + tail.size() + 1 > kEnginePathChars)
        return {};
    std::wstring path(prefix);
    path += tail;
    return path;
}

std::wstring EngineFileName(IEVERSION version, ModuleSlot slot) {
    for (const EngineFile& file : EngineLoadPlan(version))
        if (file.slot == slot)
            return std::wstring(EngineFilePrefix[version]) + std::wstring(file.tail);
    return {};
}

uint16_t PeMachine(std::span<const uint8_t> head) {
    constexpr size_t kNewHeaderOffset = 0x3C;
    const auto byte = [&head](size_t at) { return static_cast<uint32_t>(head[at]); };
    if (head.size() < kNewHeaderOffset + 4 || head[0] != 'M' || head[1] != 'Z')
        return 0;
    const uint32_t pe = byte(kNewHeaderOffset) | byte(kNewHeaderOffset + 1) << 8 | byte(kNewHeaderOffset + 2) << 16 |
                        byte(kNewHeaderOffset + 3) << 24;
    // The signature and the machine word must lie inside what was read.
    if (pe > head.size() || head.size() - pe < 6 || head[pe] != 'P' || head[pe + 1] != 'E' || head[pe + 2] != 0 ||
        head[pe + 3] != 0)
        return 0;
    return static_cast<uint16_t>(byte(pe + 4) | byte(pe + 5) << 8);
}

} // namespace movalent
