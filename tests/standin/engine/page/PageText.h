#pragma once
// Page bytes into text, the way a page without a declared charset is read: a byte-order mark decides, else
// UTF-8 when the bytes are valid UTF-8, else Windows-1252.
#include <string>
#include <string_view>

namespace movalent::standin {

std::wstring DecodePageBytes(std::string_view bytes);

// Strict UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF); false leaves out unspecified.
bool DecodeUtf8(std::string_view bytes, std::wstring& out);

// ASCII-only case folding, for markup names and URL schemes.
wchar_t AsciiLower(wchar_t c);
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);
bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix);

} // namespace movalent::standin
