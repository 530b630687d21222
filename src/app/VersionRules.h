#pragma once

#include "engine/IeVersion.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace movalent {

// Text reported when the installed engine's "Version" value cannot be read.
inline constexpr const wchar_t* kEngineVersionNotFound = L"not found";

// The program's product version as the version check compares it: "a.b.c.d" with trailing dots and zeros cut
// off, and ".0" appended when no dot is left (0.3.4.0 -> 0.3.4, 2.10.0.0 -> 2.1, 1.0.0.0 -> 1.0).
std::wstring ProgramVersionString(unsigned major, unsigned minor, unsigned patch, unsigned build);

// The engine a "Version" text such as 8.0.6001.18702 names; anything not IE 4 to IE 8 is the installed default.
IEVERSION InstalledEngineFromText(std::wstring_view text);

enum class VersionCheckOutcome { UnableToAccess, Latest, NewVersion };

// The answer, white space around it cut off, must be a version number ("1.2.3"): equal to the program's, it is the
// latest; another number is news; anything else (empty, a page of text) is a failed check.
VersionCheckOutcome DecideVersionCheck(bool fetched, const std::wstring& answer, const std::wstring& programVersion);

// The check reads once into a buffer of this size and keeps one byte for the terminator.
inline constexpr std::size_t kVersionAnswerReadSize = 10000;
inline constexpr std::size_t kVersionAnswerMaxBytes = kVersionAnswerReadSize - 1;

// The part of the bytes read that is compared.
std::string_view CutVersionAnswer(std::string_view bytesRead);

} // namespace movalent
