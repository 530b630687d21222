// Registry opens the way the engines make them: the version vector check and the walk down to the path of
// one type library.
#include "standin/engine/ProbeSet.h"

#include <string>

namespace movalent::standin {
namespace {

struct RootKey {
    std::wstring_view name;
    HKEY key;
};

const RootKey kRoots[] = {
    {L"HKLM", HKEY_LOCAL_MACHINE},
    {L"HKCU", HKEY_CURRENT_USER},
    {L"HKCR", HKEY_CLASSES_ROOT},
    {L"HKU", HKEY_USERS},
};

// "HKLM\SOFTWARE\..." into the root and the rest; hasPath is false when nothing follows the root.
bool SplitKeyPath(std::wstring_view path, HKEY& root, std::wstring& subKey, bool& hasPath) {
    const size_t slash = path.find(L'\\');
    const std::wstring_view rootName = path.substr(0, slash);
    hasPath = slash != std::wstring_view::npos;
    subKey = hasPath ? std::wstring(path.substr(slash + 1)) : std::wstring{};
    for (const RootKey& candidate : kRoots) {
        if (candidate.name == rootName) {
            root = candidate.key;
            return true;
        }
    }
    return false;
}

std::uint32_t HandleValue(HKEY key) {
    return static_cast<std::uint32_t>(reinterpret_cast<uintptr_t>(key));
}

std::wstring_view StateOf(LONG error) {
    if (error == ERROR_SUCCESS)
        return L"visible";
    return error == ERROR_FILE_NOT_FOUND ? L"missing" : L"failed";
}

} // namespace

void ProbeRegOpenKeyW(std::wstring_view path, ProbeReport& report) {
    HKEY root = nullptr;
    std::wstring subKey;
    bool hasPath = false;
    if (!SplitKeyPath(path, root, subKey, hasPath)) {
        report.Add(L"error", L"bad root key");
        return;
    }
    HKEY key = nullptr;
    const LONG error = ::RegOpenKeyW(root, hasPath ? subKey.c_str() : nullptr, &key);
    report.AddDecimal(L"error", error);
    report.Add(L"state", StateOf(error));
    if (error == ERROR_SUCCESS) {
        report.AddHex(L"key", HandleValue(key));
        report.AddDecimal(L"close", ::RegCloseKey(key));
    }
}

void ProbeTypeLibChain(std::wstring_view parentPath, ProbeReport& report) {
    if (parentPath.empty())
        parentPath = L"HKCR\\TypeLib";
    HKEY root = nullptr;
    std::wstring parentSubKey;
    bool hasPath = false;
    if (!SplitKeyPath(parentPath, root, parentSubKey, hasPath) || !hasPath) {
        report.Add(L"error", L"bad parent key");
        return;
    }

    struct Level {
        std::wstring_view name;
        const wchar_t* subKey;
        HKEY key;
    };
    Level levels[] = {
        {L"parent", parentSubKey.c_str(), nullptr},
        {L"library", L"{527A4DA4-7F2C-11D2-B12D-0000F81F5995}", nullptr},
        {L"version", L"1.0", nullptr},
        {L"lcid", L"0", nullptr},
        {L"platform", L"win32", nullptr},
    };
    constexpr size_t kLevels = sizeof levels / sizeof levels[0];

    size_t opened = 0;
    HKEY above = root;
    for (Level& level : levels) {
        const LONG error = ::RegOpenKeyW(above, level.subKey, &level.key);
        report.AddDecimal(std::wstring(level.name) + L".error", error);
        if (error != ERROR_SUCCESS)
            break;
        report.AddHex(std::wstring(level.name) + L".key", HandleValue(level.key));
        above = level.key;
        ++opened;
    }

    if (opened == kLevels) {
        wchar_t value[1024] = {};
        LONG size = sizeof value;
        const LONG error = ::RegQueryValueW(levels[kLevels - 1].key, nullptr, value, &size);
        report.AddDecimal(L"query.error", error);
        if (error == ERROR_SUCCESS)
            report.Add(L"query.value", value);
    }

    while (opened > 0) {
        Level& level = levels[--opened];
        report.AddDecimal(std::wstring(level.name) + L".close", ::RegCloseKey(level.key));
    }
}

} // namespace movalent::standin
