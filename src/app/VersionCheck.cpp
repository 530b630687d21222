#include "app/VersionCheck.h"

#include "app/LanguageTable.h"
#include "app/Localisation.h"
#include "app/MakerAddresses.h"
#include "app/VersionInfo.h"
#include "app/VersionRules.h"
#include "framework/Handles.h"
#include "framework/MessageBox.h"
#include "framework/Shell.h"
#include "resource.h"

#include <string>
#include <vector>

namespace movalent {

namespace {

constexpr DWORD kCheckFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_TRANSFER_ASCII;
constexpr DWORD kReadLimit = kVersionAnswerReadSize;

class WaitCursor {
public:
    WaitCursor() : previous_(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { ::SetCursor(previous_); }

private:
    HCURSOR previous_;
};

} // namespace

bool FetchVersionAnswer(const std::wstring& url, std::wstring& answer) {
    UniqueInternet session(::InternetOpenW(LocalizedString(IDS_APPLICATION_NAME).c_str(), INTERNET_OPEN_TYPE_PRECONFIG,
                                           nullptr, nullptr, 0));
    if (!session)
        return false;
    UniqueInternet file(::InternetOpenUrlW(session.get(), url.c_str(), nullptr, 0, kCheckFlags, 1));
    if (!file)
        return false;
    // One read may return only part of what the server sent, so read until the buffer is full or the answer ends.
    std::vector<char> buffer(kReadLimit);
    DWORD total = 0;
    while (total < kReadLimit) {
        DWORD read = 0;
        if (!::InternetReadFile(file.get(), buffer.data() + total, kReadLimit - total, &read))
            return false;
        if (read == 0)
            break;
        total += read;
    }
    std::string_view kept = CutVersionAnswer(std::string_view(buffer.data(), total));
    answer = ThreadAnsiToWide(kept);
    return true;
}

VersionCheckOutcome RunVersionCheck(HWND owner) {
    std::wstring answer;
    bool fetched;
    {
        WaitCursor wait;
        fetched = FetchVersionAnswer(UpdateCheckUrl(), answer);
    }
    VersionCheckOutcome outcome = DecideVersionCheck(fetched, answer, GetProgramVersionString());
    switch (outcome) {
    case VersionCheckOutcome::UnableToAccess:
        ShowMessageBox(owner, LocalizedString(IDS_VERSION_SERVER_UNREACHABLE), MB_ICONEXCLAMATION | MB_OK);
        break;
    case VersionCheckOutcome::Latest:
        ShowMessageBox(owner, LocalizedString(IDS_LATEST_VERSION), MB_ICONINFORMATION | MB_OK);
        break;
    case VersionCheckOutcome::NewVersion:
        if (ShowMessageBox(owner, LocalizedString(IDS_NEW_VERSION_AVAILABLE), MB_ICONINFORMATION | MB_YESNO) == IDYES)
            ShellOpen(ProjectHomePage());
        break;
    }
    return outcome;
}

} // namespace movalent
