#pragma once
// The platform side of the translations: the English string table in the program's resources, files, and the
// system's ANSI code page.
#include "app/LanguageFile.h"

#include <optional>
#include <string>

namespace movalent {

// The English text of a string resource of the program; empty when there is none.
std::wstring LoadResourceString(unsigned id);

// The system's ANSI code page to UTF-16 (language files).
std::wstring SystemAnsiToWide(std::string_view bytes);

// The calling thread's ANSI code page to UTF-16 (answers from the network, the command line).
std::wstring ThreadAnsiToWide(std::string_view bytes);

// A whole file's bytes; nothing when it cannot be opened or read (or is larger than any language file can be).
std::optional<std::string> ReadWholeFile(const std::wstring& path);

// Builds the process-wide language table for the "langID" setting and the installation folder, with the English
// resources as fallback.
void InitProcessLanguage(unsigned langIdSetting, const std::wstring& installDir);

// One string of a language file without loading it: the current folder first, then the installation folder.
std::optional<std::wstring> ReadLanguageFileString(const std::wstring& fileName, const std::wstring& installDir,
                                                   unsigned id);

} // namespace movalent
