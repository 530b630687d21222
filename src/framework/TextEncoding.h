#pragma once
// UTF-8 for what leaves the program as bytes: files, pipes.
#include <string>
#include <string_view>

namespace movalent {

std::string Utf8FromWide(std::wstring_view text);

} // namespace movalent
