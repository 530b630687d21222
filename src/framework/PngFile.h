#pragma once
// PNG files through the system's imaging component (WIC). The calling thread must be in a COM apartment.
#include "framework/Picture.h"

#include <optional>
#include <string>

namespace movalent {

// Writes the picture as a PNG, replacing any file of that name. Alpha is kept (32bppBGRA) only when it says
// something: a picture whose alpha is 0xFF everywhere, or 0 everywhere (what GDI leaves in a 32-bit DIB it
// drew on), is written opaque (24bpp) rather than as a picture no one can see. On failure no file is left
// behind and error (when given) tells which step failed, with the code and the path.
bool WritePng(const std::wstring& path, const Picture& picture, std::wstring* error);

// Any PNG, converted to 32bppBGRA; nothing when the file is missing, unreadable or not a PNG.
std::optional<Picture> ReadPng(const std::wstring& path);

} // namespace movalent
