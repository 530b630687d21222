#include "app/LanguageFile.h"

#include <cstdint>

namespace movalent {

namespace {

void ReplaceAll(std::wstring& text, std::wstring_view from, std::wstring_view to) {
    std::size_t pos = 0;
    while ((pos = text.find(from, pos)) != std::wstring::npos) {
        text.replace(pos, from.size(), to);
        pos += to.size();
    }
}

bool IsAsciiDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

} // namespace

std::wstring DecodeLanguageFileText(std::string_view bytes, const AnsiToWide& ansiToWide) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        const std::size_t units = (bytes.size() - 2) / 2;
        std::wstring text;
        text.reserve(units);
        for (std::size_t i = 0; i < units; ++i) {
            const auto lo = static_cast<unsigned char>(bytes[2 + 2 * i]);
            const auto hi = static_cast<unsigned char>(bytes[3 + 2 * i]);
            text.push_back(static_cast<wchar_t>(lo | (hi << 8)));
        }
        return text;
    }
    return ansiToWide ? ansiToWide(bytes) : std::wstring();
}

void ForEachLanguageFileLine(std::wstring_view text, const std::function<void(std::wstring_view)>& visit) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(L'\n', start);
        const bool hasFeed = end != std::wstring_view::npos;
        if (!hasFeed) {
            end = text.size();
        }
        std::wstring_view line = text.substr(start, end - start);
        if (hasFeed && !line.empty() && line.back() == L'\r') {
            line.remove_suffix(1);
        }
        visit(line);
        start = hasFeed ? end + 1 : end;
    }
}

std::optional<LanguageLine> ParseLanguageLine(std::wstring_view line) {
    if (const std::size_t nul = line.find(L'\0'); nul != std::wstring_view::npos) {
        line = line.substr(0, nul);
    }
    std::size_t first = 0;
    while (first < line.size() && (line[first] == L' ' || line[first] == L'\t')) {
        ++first;
    }
    line.remove_prefix(first);
    if (line.empty() || line.front() == L'#') {
        return std::nullopt;
    }

    const std::size_t colon = line.find(L':');
    const std::wstring_view head = line.substr(0, colon);
    std::uint64_t id = 0;
    for (std::size_t i = 0; i < head.size() && IsAsciiDigit(head[i]); ++i) {
        id = id * 10 + static_cast<unsigned>(head[i] - L'0');
        if (id > UINT32_MAX) {
            // No string has such an identifier; taking it modulo 2^32 would silently redefine a real one.
            return std::nullopt;
        }
    }
    if (id == 0) {
        return std::nullopt;
    }
    LanguageLine result;
    result.id = static_cast<unsigned>(id);
    if (colon != std::wstring_view::npos) {
        result.text = line.substr(colon + 1);
    }
    return result;
}

std::wstring UnescapeLanguageText(std::wstring_view text) {
    std::wstring result(text);
    ReplaceAll(result, L"\\r\\n", L"\r\n");
    ReplaceAll(result, L"\\n", L"\n");
    ReplaceAll(result, L"\\t", L"\t");
    return result;
}

LanguageStrings ParseLanguageFile(std::string_view bytes, const AnsiToWide& ansiToWide) {
    LanguageStrings strings;
    strings.reserve(kLanguageTableReserve);
    const std::wstring text = DecodeLanguageFileText(bytes, ansiToWide);
    ForEachLanguageFileLine(text, [&strings](std::wstring_view line) {
        if (const auto parsed = ParseLanguageLine(line)) {
            strings.insert_or_assign(parsed->id, UnescapeLanguageText(parsed->text));
        }
    });
    return strings;
}

std::optional<std::wstring> ReadLanguageString(std::string_view bytes, const AnsiToWide& ansiToWide, unsigned id) {
    const std::wstring text = DecodeLanguageFileText(bytes, ansiToWide);
    std::optional<std::wstring> found;
    ForEachLanguageFileLine(text, [&found, id](std::wstring_view line) {
        if (found) {
            return;
        }
        if (const auto parsed = ParseLanguageLine(line); parsed && parsed->id == id) {
            std::wstring value(parsed->text);
            ReplaceAll(value, L"\\n\\r", L"\n\r");
            found = std::move(value);
        }
    });
    return found;
}

std::optional<std::string> LoadLanguageFileBytes(const FileReader& readFile, const std::wstring& installDir,
                                                 const std::wstring& fileName, LanguageFileSearch order) {
    if (!readFile) {
        return std::nullopt;
    }
    // Without an installation folder only the relative name is tried: "\\" + name would be the root of whatever
    // drive the program was started from.
    if (installDir.empty())
        return readFile(fileName);
    const std::wstring inInstallFolder = installDir + L"\\" + fileName;
    const std::wstring& first = order == LanguageFileSearch::InstallFolderFirst ? inInstallFolder : fileName;
    const std::wstring& second = order == LanguageFileSearch::InstallFolderFirst ? fileName : inInstallFolder;
    if (auto bytes = readFile(first)) {
        return bytes;
    }
    return readFile(second);
}

} // namespace movalent
