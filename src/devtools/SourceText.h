#pragma once
// A page's source as text: its bytes decoded, and searched. No Windows API here; the code page conversion for
// text that is neither UTF-8 nor UTF-16 comes from the caller.
//
// Text is kept in UTF-16 code units on every platform (a wchar_t per unit, characters beyond the BMP as
// surrogate pairs), as the edit control that shows it counts them.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace movalent::devtools {

// Converts bytes in the system's code page to text. An empty function reads each byte as the character of the
// same number (ISO 8859-1).
using CodePageDecoder = std::function<std::wstring(std::string_view bytes)>;

enum class SourceEncoding { Utf8, Utf8WithBom, Utf16LittleEndian, Utf16BigEndian, CodePage };

// UTF-8 or UTF-16 with a byte order mark, UTF-8 when the bytes are well-formed UTF-8, else the code page.
SourceEncoding DetectSourceEncoding(std::string_view bytes);

// The bytes as text for an edit control: decoded as DetectSourceEncoding says (the byte order mark dropped,
// ill-formed sequences in text marked as UTF as U+FFFD) and prepared by ToEditControlText.
std::wstring DecodeSourceText(std::string_view bytes, const CodePageDecoder& codePage);

// Line ends as the edit control wants them: CR LF for every LF, CR or CR LF. A NUL, which would end the
// control's text there, becomes U+FFFD.
std::wstring ToEditControlText(std::wstring_view text);

// A match of a search in a text.
struct TextMatch {
    std::size_t position = 0;
    bool wrapped = false; // found only after going round the end (or, backwards, the start)
};

// The next match of needle after the selection [selectionStart, selectionEnd) when forward, else the last one
// that starts before selectionStart; going round the text's end when there is none that way. Both strings
// are expected in the same case folding. None for an empty needle or no match at all.
std::optional<TextMatch> FindInText(std::wstring_view text, std::wstring_view needle,
                                    std::size_t selectionStart, std::size_t selectionEnd, bool forward);

} // namespace movalent::devtools
