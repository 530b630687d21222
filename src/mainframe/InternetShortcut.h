#pragma once
// Internet Shortcut files (".url"): initialization files whose section "InternetShortcut" holds the address
// in its value "URL". Read here the way the system's profile reader reads them.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace movalent {

// The longest address taken from a shortcut; longer ones are cut.
inline constexpr std::size_t kShortcutUrlMaxChars = 2047;

using AnsiDecoder = std::function<std::wstring(std::string_view)>;

// The text of an initialization file: UTF-16 of either byte order or UTF-8 when a byte-order mark says so,
// otherwise 8-bit text in the code page that ansi decodes. A lone trailing byte of UTF-16 is dropped.
std::wstring DecodeProfileText(std::string_view bytes, const AnsiDecoder& ansi);

// The value of key in section. Lines end at carriage returns and line feeds; blanks at both ends of a line do
// not count. A line "[name]" starts a section (the name runs to the last "]"); other lines are keys, with the
// value after the first "=" (a line without one is a key with an empty value). Only the first section of that
// name is searched, for its first key of that name; both names match without regard to ASCII case. One pair
// of equal quotes (single or double) around the value is dropped, and the value is cut to maxChars. Empty
// when there is no such key.
std::wstring ProfileValue(std::wstring_view text, std::wstring_view section, std::wstring_view key,
                          std::size_t maxChars);

// The "URL" value of the "InternetShortcut" section of a shortcut file's bytes.
std::wstring InternetShortcutUrl(std::string_view fileBytes, const AnsiDecoder& ansi);

} // namespace movalent
