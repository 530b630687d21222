#pragma once
// The document string of a template: seven fields separated by line feeds (window title, document name,
// new-file name, filter name, filter extension, file-type id, file-type name). Missing fields are empty.
#include <string>
#include <string_view>

namespace movalent {

enum class DocStringField {
    WindowTitle = 0,
    DocumentName = 1,
    NewFileName = 2,
    FilterName = 3,
    FilterExtension = 4,
    FileTypeId = 5,
    FileTypeName = 6,
};

std::wstring DocStringPart(std::wstring_view docString, DocStringField field);

} // namespace movalent
