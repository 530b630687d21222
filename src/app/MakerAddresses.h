#pragma once

#include <string>
#include <string_view>

namespace movalent {

// Every address of the maker derives from one base, so a test installation can point the whole program at
// another server (start-up passes the MOVALENT_MAKER_URL environment variable here when it is set).
inline constexpr const wchar_t* kDefaultMakerBaseAddress = L"http://www.ombrisk.com";

// Replaces the base; trailing slashes are dropped so paths join cleanly. An empty address restores the default.
void SetMakerBaseAddress(std::wstring_view address);
std::wstring MakerBaseAddress();

std::wstring MakerWebSite();
// The page a new tab opens when the user has set none; carries the program version for the maker's statistics.
std::wstring DefaultHomePage(const std::wstring& programVersion);
std::wstring UpdateCheckUrl();
std::wstring ProjectHomePage();
// The web search address without its query value.
std::wstring WebSearchPrefix();
std::wstring FennimoxDownloadPage();

} // namespace movalent
