#pragma once
// What the open-in-all-versions dialog takes from the clipboard, and which check box stands for which engine
// version.
#include "engine/IeVersion.h"

#include <string>
#include <string_view>

namespace movalent {

// The clipboard text as an address: blanks at both ends trimmed, every carriage return and line feed removed,
// and kept only when it then begins with "http://" or "https://" (in exactly that case); empty otherwise.
std::wstring OpenAllAddressFromClipboard(std::wstring_view text);

struct OpenAllBox {
    int control;
    IEVERSION version;
    unsigned icon; // the icon of the version's tabs
};

// The check boxes from left to right.
inline constexpr int kOpenAllBoxCount = 5;
extern const OpenAllBox kOpenAllBoxes[kOpenAllBoxCount];

// The box of a control id, or null.
const OpenAllBox* FindOpenAllBox(int control);

} // namespace movalent
