#pragma once
// Fetching a page's source as the page's own engine would: through the network module (urlmon) of the engine
// version that shows the page, never through the system's.
#include <windows.h>
#include <objidl.h>

#include <cstddef>
#include <optional>
#include <string>

namespace movalent::devtools {

// A source larger than this is refused rather than shown.
inline constexpr std::size_t kMaxSourceBytes = 32u * 1024 * 1024;

// The bytes at url, read through the URLOpenBlockingStreamW export of urlmon (the engine's network module,
// not loaded or released here). Blocks the calling thread until the whole answer is in. On failure (no
// module, no such export, the fetch or the read failed, more than kMaxSourceBytes) none, with a sentence
// saying why in *error when error is given.
std::optional<std::string> FetchSource(HMODULE urlmon, const std::wstring& url, std::wstring* error);

// Everything left in stream, at most limit bytes (more is an error). Messages of messageModule's table
// (besides the system's) explain failures.
std::optional<std::string> ReadWholeStream(IStream* stream, std::size_t limit, std::wstring* error,
                                           HMODULE messageModule = nullptr);

// The bytes as text for the source view (see DecodeSourceText), the ANSI code page for bytes that are not
// UTF-8 or marked UTF-16.
std::wstring DecodeSource(const std::string& bytes);

} // namespace movalent::devtools
