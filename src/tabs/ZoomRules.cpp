#include "tabs/ZoomRules.h"

#include <cwchar>

namespace movalent {

bool IsUsableZoom(int percent) {
    return percent > 0;
}

std::wstring ZoomStyleValue(int percent) {
    wchar_t text[24];
    std::swprintf(text, sizeof text / sizeof text[0], L"%d%%", percent);
    return text;
}

std::wstring FrameCounterZoomValue(int percent) {
    return ZoomStyleValue(10000 / percent);
}

std::wstring ZoomWrapperAttributes(int percent) {
    const std::wstring id(kZoomWrapperId);
    return L"ID = \"" + id + L"\" NAME=\"" + id + L"\" STYLE=\"position: relative;zoom: " +
           ZoomStyleValue(percent) + L"\"";
}

} // namespace movalent
