#include "mainframe/FavoritesManager.h"

#include "app/Localisation.h"
#include "framework/Handles.h"
#include "mainframe/InternetShortcut.h"

#include <memory>
#include <type_traits>
#include <vector>

namespace movalent {

namespace {

constexpr const wchar_t* kShellFoldersKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr const wchar_t* kFavoritesValue = L"Favorites";
constexpr DWORD kMaxPathChars = 260;
// Shortcut files are a few lines; a larger file is read no further than this.
constexpr DWORD kMaxShortcutBytes = 1 << 20;

struct FindCloser {
    void operator()(HANDLE search) const { ::FindClose(search); }
};
using UniqueFind = std::unique_ptr<std::remove_pointer_t<HANDLE>, FindCloser>;

class DiskFavorites : public FavoritesFileSystem {
public:
    bool List(const std::wstring& folder, std::vector<Entry>& entries) override {
        WIN32_FIND_DATAW found;
        HANDLE first = ::FindFirstFileW((folder + L"*.*").c_str(), &found);
        if (first == INVALID_HANDLE_VALUE)
            return false;
        UniqueFind search(first);
        do
            entries.push_back({found.cFileName, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                               (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0});
        while (::FindNextFileW(search.get(), &found));
        return true;
    }

    std::wstring ShortcutUrl(const std::wstring& path) override {
        UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER size = {};
        if (!file || !::GetFileSizeEx(file.get(), &size))
            return {};
        DWORD wanted =
            size.QuadPart < kMaxShortcutBytes ? static_cast<DWORD>(size.QuadPart) : kMaxShortcutBytes;
        std::string bytes(wanted, '\0');
        DWORD total = 0;
        DWORD read = 0;
        while (total < wanted &&
               ::ReadFile(file.get(), bytes.data() + total, wanted - total, &read, nullptr) && read > 0)
            total += read;
        bytes.resize(total);
        return InternetShortcutUrl(bytes, SystemAnsiToWide);
    }
};

} // namespace

std::wstring UserFavoritesFolder() {
    UniqueKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kShellFoldersKey, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return {};
    wchar_t value[kMaxPathChars + 1] = {};
    DWORD type = 0;
    DWORD bytes = kMaxPathChars * sizeof(wchar_t);
    if (::RegQueryValueExW(key.get(), kFavoritesValue, nullptr, &type, reinterpret_cast<BYTE*>(value),
                           &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return {};
    // The stored text need not end in a terminator.
    value[bytes / sizeof(wchar_t)] = L'\0';
    key.reset();
    wchar_t expanded[kMaxPathChars] = {};
    DWORD length = ::ExpandEnvironmentStringsW(value, expanded, kMaxPathChars);
    // A path cut short would name some other folder.
    if (length == 0 || length > kMaxPathChars)
        return {};
    return expanded;
}

bool CFavoritesManager::Load() {
    std::wstring folder = UserFavoritesFolder();
    return !folder.empty() && LoadFrom(folder);
}

bool CFavoritesManager::LoadFrom(const std::wstring& folder) {
    DiskFavorites disk;
    return root_.LoadFolder(folder, disk, ids_);
}

} // namespace movalent
