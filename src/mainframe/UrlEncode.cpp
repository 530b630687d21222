#include "mainframe/UrlEncode.h"

#include <cstdint>

namespace movalent {

namespace {

constexpr std::wstring_view kReserved = L"$&+,./:;=?@-_!*()'";
constexpr std::wstring_view kUnsafe = L" \"<>#{}|\\^~[]`";

bool IsAsciiAlnum(std::uint32_t c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsIn(std::wstring_view set, std::uint32_t c) {
    return c < 0x80 && set.find(static_cast<wchar_t>(c)) != std::wstring_view::npos;
}

void AppendByte(std::wstring& out, std::uint8_t byte) {
    static constexpr wchar_t kHex[] = L"0123456789ABCDEF";
    out += L'%';
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
}

void AppendUtf8(std::wstring& out, std::uint32_t cp) {
    if (cp == 0) {
        return; // a NUL has no non-zero byte to encode
    }
    if (cp < 0x80) {
        AppendByte(out, static_cast<std::uint8_t>(cp));
    } else if (cp < 0x800) {
        AppendByte(out, static_cast<std::uint8_t>(0xC0 | (cp >> 6)));
        AppendByte(out, static_cast<std::uint8_t>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        AppendByte(out, static_cast<std::uint8_t>(0xE0 | (cp >> 12)));
        AppendByte(out, static_cast<std::uint8_t>(0x80 | ((cp >> 6) & 0x3F)));
        AppendByte(out, static_cast<std::uint8_t>(0x80 | (cp & 0x3F)));
    } else {
        AppendByte(out, static_cast<std::uint8_t>(0xF0 | (cp >> 18)));
        AppendByte(out, static_cast<std::uint8_t>(0x80 | ((cp >> 12) & 0x3F)));
        AppendByte(out, static_cast<std::uint8_t>(0x80 | ((cp >> 6) & 0x3F)));
        AppendByte(out, static_cast<std::uint8_t>(0x80 | (cp & 0x3F)));
    }
}

constexpr std::uint32_t kReplacementCharacter = 0xFFFD;

// The next character starting at text[i], as a code point; advances i past it. The text is UTF-16 code units
// even where wchar_t is wider.
std::uint32_t NextCodePoint(std::wstring_view text, std::size_t& i) {
    const std::uint32_t unit = static_cast<std::uint32_t>(text[i++]);
    if (unit >= 0xD800 && unit <= 0xDBFF) {
        if (i < text.size()) {
            const std::uint32_t low = static_cast<std::uint32_t>(text[i]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                ++i;
                return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
            }
        }
        return kReplacementCharacter;
    }
    if ((unit >= 0xDC00 && unit <= 0xDFFF) || unit > 0x10FFFF) {
        return kReplacementCharacter;
    }
    return unit;
}

} // namespace

// Every character maps to its encoding independently of its neighbours: the encodings only hold "%", digits and
// upper-case letters, which no later rule touches. One pass per character therefore gives what replacing rule by
// rule over the whole string would give, without its risk of stepping over a character that still needs encoding.
std::wstring UrlEncode(std::wstring_view text, bool encodeReserved) {
    std::wstring out;
    out.reserve(text.size() * 3);
    std::size_t i = 0;
    while (i < text.size()) {
        const std::uint32_t cp = NextCodePoint(text, i);
        const bool isControl = (cp >= 1 && cp <= 31) || cp == 127;
        if (cp == '%' || (encodeReserved && IsIn(kReserved, cp)) || IsIn(kUnsafe, cp) || isControl) {
            AppendByte(out, static_cast<std::uint8_t>(cp));
        } else if (IsAsciiAlnum(cp) || IsIn(kReserved, cp)) {
            out += static_cast<wchar_t>(cp);
        } else {
            AppendUtf8(out, cp);
        }
    }
    return out;
}

} // namespace movalent
