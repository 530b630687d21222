#include "app/MakerAddresses.h"

#include <mutex>

namespace movalent {

namespace {

// Set at start-up, read from the main and browser threads; the lock makes a late change harmless.
std::mutex gBaseMutex;
std::wstring& Base() {
    static std::wstring base = kDefaultMakerBaseAddress;
    return base;
}

} // namespace

void SetMakerBaseAddress(std::wstring_view address) {
    while (!address.empty() && address.back() == L'/') {
        address.remove_suffix(1);
    }
    std::lock_guard lock(gBaseMutex);
    Base() = address.empty() ? std::wstring(kDefaultMakerBaseAddress) : std::wstring(address);
}

std::wstring MakerBaseAddress() {
    std::lock_guard lock(gBaseMutex);
    return Base();
}

std::wstring MakerWebSite() { return MakerBaseAddress(); }

std::wstring DefaultHomePage(const std::wstring& programVersion) {
    return ProjectHomePage() + L"?version=" + programVersion;
}

std::wstring UpdateCheckUrl() { return MakerBaseAddress() + L"/movalent/checkversion.php"; }

std::wstring ProjectHomePage() { return MakerBaseAddress() + L"/movalent/"; }

std::wstring WebSearchPrefix() { return MakerBaseAddress() + L"/movalent/movalent-search.php?q="; }

std::wstring FennimoxDownloadPage() { return MakerBaseAddress() + L"/download.php"; }

} // namespace movalent
