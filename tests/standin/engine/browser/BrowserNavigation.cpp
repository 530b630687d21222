// Navigation: each request is queued to the control's own window and carried out in steps from there, firing
// the events in the order documented in standin/StandInBrowser.h. Every step first checks that its
// navigation is still the current one: a host may navigate, stop or refresh from inside any event, and the
// replaced navigation must then fall silent.
#include "standin/engine/browser/BrowserControl.h"

#include <exdisp.h>

#include <algorithm>

namespace movalent::standin {
namespace {

constexpr LONG kProgressMax = 10000;
constexpr int kDeepestFrame = 4;
constexpr size_t kMostFrames = 32;

// Frames move the progress on from the half the page itself took, never quite to the end.
LONG FrameProgress(size_t framesOpened) {
    const LONG step = kProgressMax / 2 / static_cast<LONG>(kMostFrames + 1);
    return kProgressMax / 2 + step * static_cast<LONG>(framesOpened);
}

std::wstring LocationNameOf(const LoadedDocument& page) {
    return page.title.empty() ? page.url : page.title;
}

// The text of a URL argument: a string, or a variant (by reference too) holding one.
bool UrlText(const VARIANT* url, std::wstring& text) {
    if (url == nullptr)
        return false;
    if (V_VT(url) == (VT_BYREF | VT_VARIANT))
        url = V_VARIANTREF(url);
    if (url == nullptr)
        return false;
    if (V_VT(url) == VT_BSTR) {
        text = FromBstr(V_BSTR(url));
        return true;
    }
    if (V_VT(url) == (VT_BYREF | VT_BSTR) && V_BSTRREF(url) != nullptr) {
        text = FromBstr(*V_BSTRREF(url));
        return true;
    }
    return false;
}

// The user's start or search page, as the engine keeps it; about:blank when there is none.
std::wstring UserPage(const wchar_t* valueName) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Main", 0,
                        KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return L"about:blank";
    wchar_t value[2048] = {};
    DWORD size = sizeof value - sizeof(wchar_t);
    DWORD type = 0;
    const LONG error =
        ::RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    ::RegCloseKey(key);
    if (error != ERROR_SUCCESS || type != REG_SZ || value[0] == L'\0')
        return L"about:blank";
    return value;
}

} // namespace

HRESULT CBrowserControl::Navigate(BSTR url, VARIANT*, VARIANT*, VARIANT*, VARIANT*) {
    return NoThrow([&] {
        const std::wstring text = FromBstr(url);
        return text.empty() ? E_INVALIDARG : StartNavigation(text, std::nullopt);
    });
}

HRESULT CBrowserControl::Navigate2(VARIANT* url, VARIANT*, VARIANT*, VARIANT*, VARIANT*) {
    return NoThrow([&] {
        std::wstring text;
        if (!UrlText(url, text) || text.empty())
            return E_INVALIDARG;
        return StartNavigation(text, std::nullopt);
    });
}

HRESULT CBrowserControl::GoBack() {
    return NoThrow([&] {
        const std::optional<size_t> entry = travel_.BackIndex();
        return entry ? StartNavigation(travel_.At(*entry), entry) : E_FAIL;
    });
}

HRESULT CBrowserControl::GoForward() {
    return NoThrow([&] {
        const std::optional<size_t> entry = travel_.ForwardIndex();
        return entry ? StartNavigation(travel_.At(*entry), entry) : E_FAIL;
    });
}

HRESULT CBrowserControl::GoHome() {
    return NoThrow([&] { return StartNavigation(UserPage(L"Start Page"), std::nullopt); });
}

HRESULT CBrowserControl::GoSearch() {
    return NoThrow([&] { return StartNavigation(UserPage(L"Search Page"), std::nullopt); });
}

HRESULT CBrowserControl::Refresh() {
    return NoThrow([&] { return StartRefresh(); });
}

HRESULT CBrowserControl::Refresh2(VARIANT*) {
    // Every level reads the file again: there is no cache to skip.
    return NoThrow([&] { return StartRefresh(); });
}

HRESULT CBrowserControl::Stop() {
    return NoThrow([&] {
        if (pending_ || refreshing_)
            EndStopped();
        return S_OK;
    });
}

HRESULT CBrowserControl::StartNavigation(const std::wstring& address, std::optional<size_t> travelEntry) {
    if (closed_)
        return E_FAIL;
    try {
        PendingNavigation next;
        next.address = ParseAddress(address);
        next.url = next.address.url;
        next.travelEntry = travelEntry;
        const unsigned number = ++navigation_;
        pending_ = std::move(next);
        refreshing_ = false;
        if (!PostStep(kStepBegin, number)) {
            pending_.reset();
            return E_FAIL;
        }
    } catch (...) {
        pending_.reset();
        return E_OUTOFMEMORY;
    }
    readyState_ = READYSTATE_LOADING;
    PageChanged();
    return S_OK;
}

HRESULT CBrowserControl::StartRefresh() {
    if (closed_)
        return E_FAIL;
    if (!page_.present || (pending_ && !pending_->stalled))
        return S_OK; // nothing shown yet, or a navigation will show something new anyway
    const unsigned number = ++navigation_;
    pending_.reset();
    refreshing_ = true;
    if (!PostStep(kStepRefresh, number)) {
        refreshing_ = false;
        return E_FAIL;
    }
    readyState_ = READYSTATE_LOADING;
    PageChanged();
    return S_OK;
}

bool CBrowserControl::PostStep(StepMessage step, unsigned navigation, LPARAM lParam) {
    if (stepsWindow_ == nullptr)
        stepsWindow_ = CreateStepsWindow(*this);
    return stepsWindow_ != nullptr && ::PostMessageW(stepsWindow_, step, navigation, lParam);
}

void CBrowserControl::SetStatus(const std::wstring& text) {
    statusText_ = text;
    events_.StatusTextChange(text);
}

void CBrowserControl::OnBegin(unsigned n) {
    if (!IsCurrent(n) || !pending_)
        return;
    const std::wstring url = pending_->url;
    const bool cancel = events_.BeforeNavigate2(Self(), true, url);
    if (!IsCurrent(n))
        return;
    if (cancel) {
        pending_.reset();
        readyState_ = page_.present ? READYSTATE_COMPLETE : READYSTATE_UNINITIALIZED;
        PageChanged();
        return;
    }
    pending_->begun = true;
    events_.DownloadBegin();
    if (!IsCurrent(n))
        return;
    SetStatus(L"Opening " + url);
    if (!IsCurrent(n))
        return;
    events_.ProgressChange(0, kProgressMax);
    if (!IsCurrent(n))
        return;
    if (!PostStep(kStepLoad, n))
        EndStopped();
}

void CBrowserControl::OnLoad(unsigned n) {
    if (!IsCurrent(n) || !pending_)
        return;
    const PendingNavigation navigation = *pending_;
    std::string bytes;
    const HRESULT status = ReadPage(navigation.address, bytes);
    if (FAILED(status)) {
        const bool cancel = events_.NavigateError(Self(), navigation.url, status);
        if (!IsCurrent(n))
            return;
        if (cancel) {
            EndStopped();
            return;
        }
        bytes = ErrorPageBytes(navigation.url, status);
    }
    LoadedDocument top = MakeDocument(navigation.url, bytes);
    top.error = FAILED(status) ? status : S_OK;
    ReplacePage(std::move(top), RunEngineProbes());
    if (!navigation.travelEntry || !travel_.MoveTo(*navigation.travelEntry))
        travel_.Add(navigation.url);
    readyState_ = READYSTATE_INTERACTIVE;
    PageChanged();

    events_.NavigateComplete2(Self(), true, navigation.url);
    if (!IsCurrent(n))
        return;
    events_.CommandStateChange(CSC_NAVIGATEFORWARD, travel_.ForwardIndex().has_value());
    if (!IsCurrent(n))
        return;
    events_.CommandStateChange(CSC_NAVIGATEBACK, travel_.BackIndex().has_value());
    if (!IsCurrent(n))
        return;
    events_.TitleChange(page_.title);
    if (!IsCurrent(n))
        return;
    events_.ProgressChange(kProgressMax / 2, kProgressMax);
    if (!IsCurrent(n))
        return;
    if (!LoadFrames(n, page_.top.document.get(), page_.top.url, page_.top.frameSources, 1, true) ||
        StallsForever(n))
        return;
    events_.ProgressChange(kProgressMax, kProgressMax);
    if (!IsCurrent(n))
        return;
    events_.DownloadComplete();
    if (!IsCurrent(n))
        return;
    pending_.reset();
    readyState_ = READYSTATE_COMPLETE;
    PageChanged();
    events_.DocumentComplete(Self(), navigation.url);
    if (!IsCurrent(n))
        return;
    SetStatus(L"Done");
    if (!IsCurrent(n))
        return;
    ScheduleDirectives(n);
}

void CBrowserControl::OnRefresh(unsigned n) {
    if (!IsCurrent(n) || !refreshing_)
        return;
    const std::wstring url = page_.top.url;
    events_.DownloadBegin();
    if (!IsCurrent(n))
        return;
    SetStatus(L"Refreshing " + url);
    if (!IsCurrent(n))
        return;
    events_.ProgressChange(0, kProgressMax);
    if (!IsCurrent(n))
        return;
    std::string bytes;
    const HRESULT status = ReadPage(ParseAddress(url), bytes);
    if (FAILED(status))
        bytes = ErrorPageBytes(url, status);
    LoadedDocument top = MakeDocument(url, bytes);
    top.error = FAILED(status) ? status : S_OK;
    ReplacePage(std::move(top), RunEngineProbes());
    PageChanged();
    if (!LoadFrames(n, page_.top.document.get(), page_.top.url, page_.top.frameSources, 1, false))
        return;
    events_.TitleChange(page_.title);
    if (!IsCurrent(n) || StallsForever(n))
        return;
    events_.ProgressChange(kProgressMax, kProgressMax);
    if (!IsCurrent(n))
        return;
    refreshing_ = false;
    readyState_ = READYSTATE_COMPLETE;
    PageChanged();
    events_.DownloadComplete();
    if (!IsCurrent(n))
        return;
    SetStatus(L"Done");
    if (!IsCurrent(n))
        return;
    ScheduleDirectives(n);
}

bool CBrowserControl::LoadFrames(unsigned n, IDispatch* parentDocument, const std::wstring& parentUrl,
                                 std::vector<std::wstring> sources, int depth, bool fireEvents) {
    if (depth > kDeepestFrame)
        return true;
    // Held: a host may pump messages inside an event, and a newer navigation then drops the old page.
    const ComPtr<IDispatch> parent(parentDocument);
    for (const std::wstring& source : sources) {
        if (page_.frames.size() >= kMostFrames)
            return true;
        const PageAddress address = ParseAddress(ResolveReference(parentUrl, source));
        const std::wstring& url = address.url;
        const ComPtr<CFrameBrowser> browser = ComPtr<CFrameBrowser>::Attach(CFrameBrowser::Create(Self()));
        if (!browser)
            return true;
        const size_t index = page_.frames.size();
        Frame frame;
        frame.browser = browser;
        frame.depth = depth;
        frame.page.url = url;
        page_.frames.push_back(std::move(frame));

        if (fireEvents) {
            const bool cancel = events_.BeforeNavigate2(browser.get(), false, url);
            if (!IsCurrent(n))
                return false;
            if (cancel) {
                AdoptFrame(parent.get(), nullptr);
                continue;
            }
            SetStatus(L"Opening " + url);
            if (!IsCurrent(n))
                return false;
        }
        std::string bytes;
        const HRESULT status = ReadPage(address, bytes);
        if (FAILED(status)) {
            if (fireEvents) {
                const bool cancel = events_.NavigateError(browser.get(), url, status);
                if (!IsCurrent(n))
                    return false;
                if (cancel) {
                    AdoptFrame(parent.get(), nullptr);
                    continue;
                }
            }
            bytes = ErrorPageBytes(url, status);
        }
        LoadedDocument document = MakeDocument(url, bytes);
        document.error = FAILED(status) ? status : S_OK;
        browser->SetPage(url, LocationNameOf(document), document.document.get());
        AdoptFrame(parent.get(), document.document.get());
        const ComPtr<IDispatch> frameDocument = document.document;
        const std::wstring documentUrl = document.url;
        std::vector<std::wstring> childSources = document.frameSources;
        page_.frames[index].page = std::move(document);
        page_.frames[index].opened = true;
        PageChanged();

        if (fireEvents) {
            events_.NavigateComplete2(browser.get(), false, url);
            if (!IsCurrent(n))
                return false;
            events_.ProgressChange(FrameProgress(page_.frames.size()), kProgressMax);
            if (!IsCurrent(n))
                return false;
        }
        if (!LoadFrames(n, frameDocument.get(), documentUrl, std::move(childSources), depth + 1, fireEvents))
            return false;
        if (fireEvents) {
            events_.DocumentComplete(browser.get(), url);
            if (!IsCurrent(n))
                return false;
        }
    }
    return true;
}

void CBrowserControl::EndStopped() {
    const bool begun = (pending_ && pending_->begun) || refreshing_;
    ++navigation_;
    pending_.reset();
    refreshing_ = false;
    readyState_ = page_.present ? READYSTATE_COMPLETE : READYSTATE_UNINITIALIZED;
    PageChanged();
    if (!begun)
        return;
    events_.ProgressChange(-1, kProgressMax);
    events_.DownloadComplete();
    SetStatus(L"");
}

void CBrowserControl::ReplacePage(LoadedDocument top, EngineProbeAnswers probes) {
    HidePageView();
    DropFrames();
    page_.present = true;
    page_.top = std::move(top);
    WatchDocument(page_.top.document.get());
    page_.title = LocationNameOf(page_.top);
    page_.probes = std::move(probes);
    clickCount_ = 0;
    clickLast_.clear();
    ShowPageView();
    AskHost();
}

// Like a page with a request the server never answers: it shows, it stays busy, and Stop ends it as it ends
// any load.
bool CBrowserControl::StallsForever(unsigned n) {
    const auto& directives = page_.top.directives;
    if (std::none_of(directives.begin(), directives.end(), [](const PageDirective& directive) {
            return directive.name == kNeverCompleteDirective;
        }))
        return false;
    if (pending_)
        pending_->stalled = true;
    PageChanged();
    ScheduleDirectives(n);
    return true;
}

void CBrowserControl::AdoptFrame(IDispatch* parentDocument, IDispatch* document) {
    ComPtr<IStandInDocument> parent;
    if (parentDocument != nullptr &&
        SUCCEEDED(parentDocument->QueryInterface(IID_IStandInDocument, parent.put_void())) && parent)
        parent->AddFrame(document);
    WatchDocument(document);
}

void CBrowserControl::WatchDocument(IDispatch* document) {
    ComPtr<IStandInDocument> model;
    if (document == nullptr || FAILED(document->QueryInterface(IID_IStandInDocument, model.put_void())) ||
        !model)
        return;
    if (stepsWindow_ == nullptr)
        stepsWindow_ = CreateStepsWindow(*this);
    model->WatchChanges(stepsWindow_, kStepDomChanged);
}

void CBrowserControl::DropFrames() {
    for (Frame& frame : page_.frames)
        if (frame.browser)
            frame.browser->Detach();
    page_.frames.clear();
}

void CBrowserControl::ScheduleDirectives(unsigned n) {
    for (size_t i = 0; i < page_.top.directives.size(); ++i)
        PostStep(kStepDirective, n, static_cast<LPARAM>(i));
}

} // namespace movalent::standin
