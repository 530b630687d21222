#include "mainframe/RibbonStrings.h"

#include "framework/RibbonLayoutRules.h"

namespace movalent {

std::wstring CommandLabel(const std::wstring& commandString) {
    size_t lineBreak = commandString.find(L'\n');
    return lineBreak == std::wstring::npos ? commandString : commandString.substr(lineBreak + 1);
}

CommandTip CommandTipFromString(const std::wstring& commandString) {
    size_t lineBreak = commandString.find(L'\n');
    if (lineBreak == std::wstring::npos)
        return {L"", commandString};
    return {WithoutMnemonic(commandString.substr(lineBreak + 1)), commandString.substr(0, lineBreak)};
}

} // namespace movalent
