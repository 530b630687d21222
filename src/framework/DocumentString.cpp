#include "framework/DocumentString.h"

namespace movalent {

std::wstring DocStringPart(std::wstring_view docString, DocStringField field) {
    size_t index = static_cast<size_t>(field);
    size_t start = 0;
    for (size_t i = 0; i < index; ++i) {
        size_t next = docString.find(L'\n', start);
        if (next == std::wstring_view::npos)
            return {};
        start = next + 1;
    }
    size_t end = docString.find(L'\n', start);
    return std::wstring(docString.substr(start, end == std::wstring_view::npos ? end : end - start));
}

} // namespace movalent
