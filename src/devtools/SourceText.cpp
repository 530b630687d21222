#include "devtools/SourceText.h"

#include <algorithm>

namespace movalent::devtools {

namespace {

constexpr wchar_t kReplacementCharacter = 0xFFFD;

bool StartsWith(std::string_view bytes, std::string_view prefix) {
    return bytes.substr(0, prefix.size()) == prefix;
}

void AppendCodePoint(std::wstring& out, char32_t c) {
    if (c < 0x10000) {
        out.push_back(static_cast<wchar_t>(c));
        return;
    }
    c -= 0x10000;
    out.push_back(static_cast<wchar_t>(0xD800 + (c >> 10)));
    out.push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
}

// The length of the well-formed UTF-8 sequence at bytes[i], its code point in c; 0 when it is ill-formed
// (overlong forms, surrogates and values past U+10FFFF included).
std::size_t ReadUtf8Sequence(std::string_view bytes, std::size_t i, char32_t& c) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    unsigned char lead = byte(i);
    if (lead < 0x80) {
        c = lead;
        return 1;
    }
    std::size_t length = 0;
    // The range of the second byte; the later ones are always 80..BF.
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0F;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (bytes.size() - i < length)
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        unsigned char trail = byte(i + k);
        if (trail < (k == 1 ? low : 0x80) || trail > (k == 1 ? high : 0xBF))
            return 0;
        c = (c << 6) | (trail & 0x3F);
    }
    return length;
}

// Strict: none at the first ill-formed sequence. Otherwise each ill-formed byte reads as U+FFFD.
std::optional<std::wstring> DecodeUtf8(std::string_view bytes, bool strict) {
    std::wstring text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t c = 0;
        std::size_t length = ReadUtf8Sequence(bytes, i, c);
        if (length == 0) {
            if (strict)
                return std::nullopt;
            text.push_back(kReplacementCharacter);
            ++i;
            continue;
        }
        AppendCodePoint(text, c);
        i += length;
    }
    return text;
}

std::wstring DecodeUtf16(std::string_view bytes, bool bigEndian) {
    std::wstring text;
    text.reserve(bytes.size() / 2 + 1);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        unsigned first = static_cast<unsigned char>(bytes[i]),
                 second = static_cast<unsigned char>(bytes[i + 1]);
        text.push_back(static_cast<wchar_t>(bigEndian ? (first << 8 | second) : (second << 8 | first)));
    }
    if (bytes.size() % 2 != 0)
        text.push_back(kReplacementCharacter);
    return text;
}

std::wstring DecodeLatin1(std::string_view bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    for (char byte : bytes)
        text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(byte)));
    return text;
}

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleEndianBom = "\xFF\xFE";
constexpr std::string_view kUtf16BigEndianBom = "\xFE\xFF";

} // namespace

SourceEncoding DetectSourceEncoding(std::string_view bytes) {
    if (StartsWith(bytes, kUtf8Bom))
        return SourceEncoding::Utf8WithBom;
    if (StartsWith(bytes, kUtf16LittleEndianBom))
        return SourceEncoding::Utf16LittleEndian;
    if (StartsWith(bytes, kUtf16BigEndianBom))
        return SourceEncoding::Utf16BigEndian;
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t c = 0;
        std::size_t length = ReadUtf8Sequence(bytes, i, c);
        if (length == 0)
            return SourceEncoding::CodePage;
        i += length;
    }
    return SourceEncoding::Utf8;
}

std::wstring DecodeSourceText(std::string_view bytes, const CodePageDecoder& codePage) {
    std::wstring text;
    if (StartsWith(bytes, kUtf8Bom)) {
        text = *DecodeUtf8(bytes.substr(kUtf8Bom.size()), false);
    } else if (StartsWith(bytes, kUtf16LittleEndianBom)) {
        text = DecodeUtf16(bytes.substr(kUtf16LittleEndianBom.size()), false);
    } else if (StartsWith(bytes, kUtf16BigEndianBom)) {
        text = DecodeUtf16(bytes.substr(kUtf16BigEndianBom.size()), true);
    } else if (auto utf8 = DecodeUtf8(bytes, true)) {
        text = std::move(*utf8);
    } else {
        text = codePage ? codePage(bytes) : DecodeLatin1(bytes);
    }
    return ToEditControlText(text);
}

std::wstring ToEditControlText(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c == L'\r' || c == L'\n') {
            if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n')
                ++i;
            out += L"\r\n";
        } else {
            out.push_back(c == L'\0' ? kReplacementCharacter : c);
        }
    }
    return out;
}

std::optional<TextMatch> FindInText(std::wstring_view text, std::wstring_view needle,
                                    std::size_t selectionStart, std::size_t selectionEnd, bool forward) {
    if (needle.empty() || needle.size() > text.size())
        return std::nullopt;
    TextMatch match;
    if (forward) {
        match.position = text.find(needle, std::min(selectionEnd, text.size()));
        if (match.position == std::wstring_view::npos) {
            match.position = text.find(needle);
            match.wrapped = true;
        }
    } else {
        std::size_t start = std::min(selectionStart, text.size());
        match.position = start > 0 ? text.rfind(needle, start - 1) : std::wstring_view::npos;
        if (match.position == std::wstring_view::npos) {
            match.position = text.rfind(needle);
            match.wrapped = true;
        }
    }
    if (match.position == std::wstring_view::npos)
        return std::nullopt;
    return match;
}

} // namespace movalent::devtools
