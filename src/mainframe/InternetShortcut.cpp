#include "mainframe/InternetShortcut.h"

#include <algorithm>

namespace movalent {

namespace {

// 0x1A is the end-of-file mark of old text files; the profile reader counts it as a blank.
bool IsProfileBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r' || c == 0x1A;
}

wchar_t AsciiLower(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool SameNameIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
               return AsciiLower(x) == AsciiLower(y);
           });
}

std::wstring_view TrimBlanks(std::wstring_view text) {
    while (!text.empty() && IsProfileBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsProfileBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::wstring Utf16(std::string_view bytes, bool bigEndian) {
    std::wstring text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        auto first = static_cast<unsigned char>(bytes[i]);
        auto second = static_cast<unsigned char>(bytes[i + 1]);
        text.push_back(static_cast<wchar_t>(bigEndian ? (first << 8) | second : (second << 8) | first));
    }
    return text;
}

// Code points of UTF-8, as UTF-16 units; a malformed sequence gives U+FFFD for its first byte.
std::wstring Utf8(std::string_view bytes) {
    std::u32string points;
    for (std::size_t i = 0; i < bytes.size();) {
        auto lead = static_cast<unsigned char>(bytes[i]);
        std::size_t length = lead < 0x80           ? 1
                             : (lead >> 5) == 0x6  ? 2
                             : (lead >> 4) == 0xE  ? 3
                             : (lead >> 3) == 0x1E ? 4
                                                   : 0;
        char32_t point = length == 1   ? lead
                         : length == 2 ? lead & 0x1F
                         : length == 3 ? lead & 0x0F
                                       : lead & 0x07;
        bool valid = length != 0 && i + length <= bytes.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            auto next = static_cast<unsigned char>(bytes[i + k]);
            valid = (next & 0xC0) == 0x80;
            point = (point << 6) | (next & 0x3F);
        }
        static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (valid && (point < kSmallest[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)))
            valid = false;
        points.push_back(valid ? point : U'\uFFFD');
        i += valid ? length : 1;
    }
    std::wstring text;
    for (char32_t point : points) {
        if constexpr (sizeof(wchar_t) == 2) {
            if (point >= 0x10000) {
                point -= 0x10000;
                text.push_back(static_cast<wchar_t>(0xD800 + (point >> 10)));
                text.push_back(static_cast<wchar_t>(0xDC00 + (point & 0x3FF)));
                continue;
            }
        }
        text.push_back(static_cast<wchar_t>(point));
    }
    return text;
}

} // namespace

std::wstring DecodeProfileText(std::string_view bytes, const AnsiDecoder& ansi) {
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE')
        return Utf16(bytes.substr(2), false);
    if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF')
        return Utf16(bytes.substr(2), true);
    if (bytes.size() >= 3 && bytes[0] == '\xEF' && bytes[1] == '\xBB' && bytes[2] == '\xBF')
        return Utf8(bytes.substr(3));
    return ansi ? ansi(bytes) : std::wstring();
}

std::wstring ProfileValue(std::wstring_view text, std::wstring_view section, std::wstring_view key,
                          std::size_t maxChars) {
    // Keys ahead of the first header belong to no section at all, not even one with an empty name.
    bool seenWanted = false;
    bool inWanted = false;
    std::size_t position = 0;
    while (position < text.size()) {
        std::size_t end = text.find_first_of(L"\r\n", position);
        if (end == std::wstring_view::npos)
            end = text.size();
        std::wstring_view line = TrimBlanks(text.substr(position, end - position));
        position = end + 1;
        if (line.empty())
            continue;
        if (line.front() == L'[') {
            std::size_t close = line.rfind(L']');
            if (close != std::wstring_view::npos) {
                if (inWanted)
                    return {};
                inWanted = !seenWanted && SameNameIgnoringCase(line.substr(1, close - 1), section);
                seenWanted = seenWanted || inWanted;
                continue;
            }
            // Without its closing bracket the line is a key like any other.
        }
        if (!inWanted)
            continue;
        std::size_t equals = line.find(L'=');
        std::wstring_view name = TrimBlanks(line.substr(0, equals));
        if (!SameNameIgnoringCase(name, key))
            continue;
        std::wstring_view value =
            equals == std::wstring_view::npos ? std::wstring_view() : TrimBlanks(line.substr(equals + 1));
        value = value.substr(0, value.find(L'\0'));
        if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return std::wstring(value.substr(0, maxChars));
    }
    return {};
}

std::wstring InternetShortcutUrl(std::string_view fileBytes, const AnsiDecoder& ansi) {
    return ProfileValue(DecodeProfileText(fileBytes, ansi), L"InternetShortcut", L"URL",
                        kShortcutUrlMaxChars);
}

} // namespace movalent
