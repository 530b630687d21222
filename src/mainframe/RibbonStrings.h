#pragma once
// How the ribbon reads a command's string resource, "description\ntooltip": the label a button takes from it,
// and the tooltip and description it shows.
#include <string>

namespace movalent {

// The part after the first line break, or the whole string when it has no second part.
std::wstring CommandLabel(const std::wstring& commandString);

struct CommandTip {
    std::wstring tooltip;     // after the line break, "&&" as "&" and other ampersands removed
    std::wstring description; // before the line break
};
CommandTip CommandTipFromString(const std::wstring& commandString);

} // namespace movalent
