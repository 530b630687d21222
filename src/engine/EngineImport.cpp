#include "engine/EngineImport.h"

#include <algorithm>
#include <cwctype>

namespace movalent {

namespace {

constexpr IEVERSION kImportable[] = {IE_55, IE_6, IE_7, IE_8};

// The first letter each module's tail lost; the browser module is shdocvw up to IE 6 and ieframe after.
wchar_t FirstLetter(IEVERSION version, ModuleSlot slot) {
    switch (slot) {
    case ModuleSlot::Browser:
        return version == IE_55 || version == IE_6 ? L's' : L'i';
    case ModuleSlot::Mshtml:
    case ModuleSlot::Mshtmled:
        return L'm';
    case ModuleSlot::Jscript:
        return L'j';
    case ModuleSlot::Urlmon:
        return L'u';
    case ModuleSlot::Wininet:
        return L'w';
    case ModuleSlot::Vbscript:
        return L'v';
    case ModuleSlot::Dxtmsft:
    case ModuleSlot::Dxtrans:
        return L'd';
    case ModuleSlot::Imgutil:
        return L'i';
    case ModuleSlot::Pngfilt:
        return L'p';
    }
    return L'?';
}

bool KeepsItsOwnNumbers(ModuleSlot slot) {
    return slot == ModuleSlot::Jscript || slot == ModuleSlot::Vbscript;
}

unsigned ExpectedMajor(IEVERSION version) {
    return version == IE_55 ? 5u : version == IE_6 ? 6u : version == IE_7 ? 7u : 8u;
}

const FoundModule* Find(const std::vector<FoundModule>& found, const std::wstring& name) {
    for (const FoundModule& module : found) {
        std::wstring lower = module.name;
        for (wchar_t& c : lower)
            c = static_cast<wchar_t>(std::towlower(c));
        if (lower == name)
            return &module;
    }
    return nullptr;
}

uint32_t Dword(std::span<const uint8_t> bytes, size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

} // namespace

std::optional<std::pair<unsigned, unsigned>> FileVersionInImage(std::span<const uint8_t> image) {
    static constexpr char16_t kKey[] = u"VS_VERSION_INFO";
    constexpr size_t kKeyBytes = sizeof(kKey); // with its terminator
    constexpr uint32_t kSignature = 0xFEEF04BD;
    for (size_t at = 0; at + kKeyBytes <= image.size(); at += 2) {
        bool match = true;
        for (size_t i = 0; i < kKeyBytes / 2 && match; ++i)
            match = image[at + 2 * i] == static_cast<uint8_t>(kKey[i] & 0xFF) &&
                    image[at + 2 * i + 1] == (kKey[i] >> 8);
        if (!match)
            continue;
        // The fixed part starts at the next 32-bit boundary of the structure, which starts 6 bytes before its
        // key.
        size_t fixed = at + kKeyBytes;
        fixed += (4 - (fixed - (at - 6)) % 4) % 4;
        if (at < 6 || fixed + 12 > image.size() || Dword(image, fixed) != kSignature)
            continue;
        const uint32_t versionMs = Dword(image, fixed + 8);
        return std::pair<unsigned, unsigned>(versionMs >> 16, versionMs & 0xFFFF);
    }
    return std::nullopt;
}

std::optional<IEVERSION> VersionOfMshtml(unsigned major, unsigned minor) {
    if (major == 5 && minor == 50)
        return IE_55;
    if (minor == 0 && major >= 6 && major <= 8)
        return major == 6 ? IE_6 : major == 7 ? IE_7 : IE_8;
    return std::nullopt;
}

std::wstring StandardEngineFileName(IEVERSION version, ModuleSlot slot) {
    for (const EngineFile& file : EngineLoadPlan(version))
        if (file.slot == slot)
            return FirstLetter(version, slot) + std::wstring(file.tail);
    return {};
}

std::vector<std::wstring> StandardEngineFileNames() {
    std::vector<std::wstring> names;
    for (IEVERSION version : kImportable)
        for (const EngineFile& file : EngineLoadPlan(version)) {
            std::wstring name = StandardEngineFileName(version, file.slot);
            if (std::find(names.begin(), names.end(), name) == names.end())
                names.push_back(std::move(name));
        }
    return names;
}

ImportPlan PlanEngineImport(const std::vector<FoundModule>& found, bool program64Bit) {
    ImportPlan plan;
    const FoundModule* mshtml = Find(found, L"mshtml.dll");
    if (!mshtml) {
        plan.refusal = ImportRefusal::NoMshtml;
        return plan;
    }
    plan.mshtmlMajor = mshtml->major;
    plan.mshtmlMinor = mshtml->minor;
    std::optional<IEVERSION> version = VersionOfMshtml(mshtml->major, mshtml->minor);
    if (!version) {
        plan.refusal = ImportRefusal::UnknownVersion;
        return plan;
    }
    plan.version = *version;
    if (!VersionExistsForProcessor(*version, program64Bit)) {
        plan.refusal = ImportRefusal::NotForThisProgram;
        return plan;
    }
    for (const EngineFile& file : EngineLoadPlan(*version)) {
        const std::wstring name = StandardEngineFileName(*version, file.slot);
        const FoundModule* module = Find(found, name);
        if (!module) {
            (file.required ? plan.missing : plan.absentOptional).push_back(name);
            continue;
        }
        if (module->otherProcessor)
            plan.otherProcessor.push_back(name);
        if (!KeepsItsOwnNumbers(file.slot) && module->major != ExpectedMajor(*version))
            plan.mismatched.push_back(name + L" " + std::to_wstring(module->major) + L"." +
                                      std::to_wstring(module->minor));
        plan.copies.push_back({name, EngineFileName(*version, file.slot)});
    }
    if (!plan.otherProcessor.empty())
        plan.refusal = ImportRefusal::OtherProcessor;
    else if (!plan.mismatched.empty())
        plan.refusal = ImportRefusal::MixedVersions;
    else if (!plan.missing.empty())
        plan.refusal = ImportRefusal::MissingRequired;
    if (plan.refusal != ImportRefusal::None)
        plan.copies.clear();
    return plan;
}

} // namespace movalent
