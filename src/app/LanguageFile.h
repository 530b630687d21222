#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace movalent {

// Converts 8-bit text in the system's ANSI code page to UTF-16 (MultiByteToWideChar in the program).
using AnsiToWide = std::function<std::wstring(std::string_view)>;
// Reads a whole file; nothing when it cannot be opened or read.
using FileReader = std::function<std::optional<std::string>(const std::wstring& path)>;

using LanguageStrings = std::unordered_map<unsigned, std::wstring>;

// Well over the few hundred strings a translation holds, so loading never rehashes.
inline constexpr std::size_t kLanguageTableReserve = 1000;

// Identifier of the language's own name, the entry that makes a file show up in the options' language list.
inline constexpr unsigned kLanguageNameStringId = 124;

// The file's text as UTF-16 code units: after an FF FE byte-order mark little-endian UTF-16 (an odd last byte is
// ignored), anything else ANSI.
std::wstring DecodeLanguageFileText(std::string_view bytes, const AnsiToWide& ansiToWide);

// One definition line: its identifier and its text exactly as written after the first colon.
struct LanguageLine {
    unsigned id = 0;
    std::wstring_view text;
};

// Applies the line rules to a single line (line feed already removed): leading spaces and tabs dropped, empty and
// "#" lines ignored, identifier from the leading digits before the first colon. Nothing for a line that defines
// nothing, including identifier 0 and identifiers too large for 32 bits. Anything from a NUL on is ignored, as a
// NUL ends the text everywhere the program would show it.
std::optional<LanguageLine> ParseLanguageLine(std::wstring_view line);

// Calls visit for every line of the text, without its line feed and without the carriage return before it.
void ForEachLanguageFileLine(std::wstring_view text, const std::function<void(std::wstring_view)>& visit);

// The escapes a full load understands: \r\n, then \n, then \t.
std::wstring UnescapeLanguageText(std::wstring_view text);

// Every definition of the file; a later line with the same identifier replaces the earlier one.
LanguageStrings ParseLanguageFile(std::string_view bytes, const AnsiToWide& ansiToWide);

// One identifier without building a table: the first line with it wins, and only the four characters \n\r are
// turned into line feed and carriage return.
std::optional<std::wstring> ReadLanguageString(std::string_view bytes, const AnsiToWide& ansiToWide, unsigned id);

// Start-up looks in the installation folder first, the options' language list in the current folder first.
enum class LanguageFileSearch { InstallFolderFirst, CurrentFolderFirst };

// The bytes of the first of the two places that can be read. With no installation folder known only the name
// itself, relative to the current folder, is tried.
std::optional<std::string> LoadLanguageFileBytes(const FileReader& readFile, const std::wstring& installDir,
                                                 const std::wstring& fileName, LanguageFileSearch order);

} // namespace movalent
