#include "app/VersionCheck.h"

#include "app/LanguageTable.h"
#include "app/Localisation.h"
#include "app/MakerAddresses.h"
#include "app/VersionInfo.h"
#include "app/VersionRules.h"
#include "framework/Handles.h"
#include "framework/MessageBox.h"
#include "framework/ShellOpen.h"
#include "resource.h"

#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace movalent {

namespace {

constexpr DWORD kCheckFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_TRANSFER_ASCII;
constexpr DWORD kReadLimit = kVersionAnswerReadSize;
// A server that accepts and then stays silent must not keep the check going: short limits for the connection
// and for the answer.
constexpr DWORD kConnectTimeoutMs = 5000;
constexpr DWORD kAnswerTimeoutMs = 15000;

class WaitCursor {
public:
    WaitCursor() : previous_(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { ::SetCursor(previous_); }

private:
    HCURSOR previous_;
};

void SetTimeout(HINTERNET handle, DWORD option, DWORD milliseconds) {
    ::InternetSetOptionW(handle, option, &milliseconds, sizeof milliseconds);
}

// Only a success status carries a version; an error page's text is no answer.
bool AnsweredWithSuccess(HINTERNET file) {
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!::HttpQueryInfoW(file, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
        return false;
    return status >= 200 && status < 300;
}

// What the worker thread and the waiting window share; whichever lets go last frees it.
struct PendingCheck {
    std::wstring url;
    std::wstring answer;
    bool fetched = false;
    UniqueHandle done{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

// Waits for the check while the calling thread goes on answering its windows. False when the program is asked to
// end meanwhile (the quit message is put back for the caller's loop).
bool WaitAnsweringMessages(HANDLE done) {
    for (;;) {
        const DWORD woken = ::MsgWaitForMultipleObjects(1, &done, FALSE, INFINITE, QS_ALLINPUT);
        if (woken == WAIT_OBJECT_0)
            return true;
        if (woken != WAIT_OBJECT_0 + 1)
            return false;
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                ::PostQuitMessage(static_cast<int>(message.wParam));
                return false;
            }
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
}

} // namespace

bool FetchVersionAnswer(const std::wstring& url, std::wstring& answer) {
    UniqueInternet session(::InternetOpenW(LocalizedString(IDS_APPLICATION_NAME).c_str(), INTERNET_OPEN_TYPE_PRECONFIG,
                                           nullptr, nullptr, 0));
    if (!session)
        return false;
    SetTimeout(session.get(), INTERNET_OPTION_CONNECT_TIMEOUT, kConnectTimeoutMs);
    SetTimeout(session.get(), INTERNET_OPTION_SEND_TIMEOUT, kAnswerTimeoutMs);
    SetTimeout(session.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, kAnswerTimeoutMs);
    const ULONGLONG started = ::GetTickCount64();
    UniqueInternet file(::InternetOpenUrlW(session.get(), url.c_str(), nullptr, 0, kCheckFlags, 1));
    if (!file || !AnsweredWithSuccess(file.get()))
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
        // A server that trickles its answer byte by byte would otherwise restart the receive limit each time.
        if (::GetTickCount64() - started > kConnectTimeoutMs + kAnswerTimeoutMs)
            return false;
    }
    std::string_view kept = CutVersionAnswer(std::string_view(buffer.data(), total));
    answer = ThreadAnsiToWide(kept);
    return true;
}

VersionCheckOutcome RunVersionCheck(HWND owner) {
    // The windows keep answering while the server is asked; a second check meanwhile is one too many.
    static bool running = false;
    if (running)
        return VersionCheckOutcome::UnableToAccess;
    auto check = std::make_shared<PendingCheck>();
    check->url = UpdateCheckUrl();
    if (!check->done)
        return VersionCheckOutcome::UnableToAccess;
    running = true;
    bool answered = false;
    try {
        std::thread([check] {
            check->fetched = FetchVersionAnswer(check->url, check->answer);
            ::SetEvent(check->done.get());
        }).detach();
        WaitCursor wait;
        answered = WaitAnsweringMessages(check->done.get());
    } catch (...) {
    }
    running = false;
    if (!answered || (owner != nullptr && !::IsWindow(owner)))
        return VersionCheckOutcome::UnableToAccess;
    VersionCheckOutcome outcome = DecideVersionCheck(check->fetched, check->answer, GetProgramVersionString());
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
