#include "app/Localisation.h"

#include "app/LanguageTable.h"
#include "framework/Handles.h"

namespace movalent {

namespace {
// Language files hold a few hundred short lines; anything bigger is not one.
constexpr LONGLONG kMaxLanguageFileSize = 16 * 1024 * 1024;
} // namespace

std::wstring LoadResourceString(unsigned id) {
    const wchar_t* text = nullptr;
    int length = ::LoadStringW(::GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr)
        return {};
    return std::wstring(text, static_cast<size_t>(length));
}

namespace {

std::wstring AnsiToWideIn(UINT codePage, std::string_view bytes) {
    if (bytes.empty())
        return {};
    int size = static_cast<int>(bytes.size());
    int chars = ::MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    std::wstring text(static_cast<size_t>(chars > 0 ? chars : 0), L'\0');
    if (chars > 0)
        ::MultiByteToWideChar(codePage, 0, bytes.data(), size, text.data(), chars);
    return text;
}

} // namespace

std::wstring SystemAnsiToWide(std::string_view bytes) { return AnsiToWideIn(CP_ACP, bytes); }

std::wstring ThreadAnsiToWide(std::string_view bytes) { return AnsiToWideIn(CP_THREAD_ACP, bytes); }

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return std::nullopt;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > kMaxLanguageFileSize)
        return std::nullopt;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && !::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
        return std::nullopt;
    bytes.resize(read);
    return bytes;
}

void InitProcessLanguage(unsigned langIdSetting, const std::wstring& installDir) {
    LanguageTable& table = ProcessLanguageTable();
    table.SetResourceFallback(LoadResourceString);
    LanguageEnvironment environment;
    environment.langIdSetting = langIdSetting;
    environment.userDefaultLangId = ::GetUserDefaultLangID();
    environment.installDir = installDir;
    environment.readFile = ReadWholeFile;
    environment.ansiToWide = SystemAnsiToWide;
    table.Init(environment);
}

std::optional<std::wstring> ReadLanguageFileString(const std::wstring& fileName, const std::wstring& installDir,
                                                   unsigned id) {
    std::optional<std::string> bytes =
        LoadLanguageFileBytes(ReadWholeFile, installDir, fileName, LanguageFileSearch::CurrentFolderFirst);
    if (!bytes)
        return std::nullopt;
    return ReadLanguageString(*bytes, SystemAnsiToWide, id);
}

} // namespace movalent
