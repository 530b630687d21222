#include "mainframe/OpenAllRules.h"

#include "app/Settings.h"
#include "resource.h"

#include <algorithm>

namespace movalent {

const OpenAllBox kOpenAllBoxes[kOpenAllBoxCount] = {
    {IDC_OPEN_ALL_IE55, IE_55, IDR_IE55_TAB},
    {IDC_OPEN_ALL_IE6, IE_6, IDR_IE6_TAB},
    {IDC_OPEN_ALL_IE7, IE_7, IDR_IE7_TAB},
    {IDC_OPEN_ALL_IE8, IE_8, IDR_IE8_TAB},
    {IDC_OPEN_ALL_IE_DEFAULT, IE_DEFAULT, IDR_IE_DEFAULT_TAB},
};

std::wstring OpenAllAddressFromClipboard(std::wstring_view text) {
    std::wstring address = TrimWhiteSpace(text);
    std::erase_if(address, [](wchar_t c) { return c == L'\r' || c == L'\n'; });
    if (address.starts_with(L"http://") || address.starts_with(L"https://"))
        return address;
    return {};
}

const OpenAllBox* FindOpenAllBox(int control) {
    auto box = std::find_if(std::begin(kOpenAllBoxes), std::end(kOpenAllBoxes),
                            [control](const OpenAllBox& b) { return b.control == control; });
    return box == std::end(kOpenAllBoxes) ? nullptr : box;
}

} // namespace movalent
