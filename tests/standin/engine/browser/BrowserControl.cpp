#include "standin/engine/browser/BrowserControl.h"

#include "standin/engine/Probes.h"

#include <exdisp.h>
#include <windowsx.h>

#include <new>

namespace movalent::standin {

HRESULT CreateBrowserControl(const CLSID& clsid, REFIID iid, void** result) {
    if (result == nullptr)
        return E_POINTER;
    *result = nullptr;
    auto* control = new (std::nothrow) CBrowserControl(clsid);
    if (control == nullptr)
        return E_OUTOFMEMORY;
    const HRESULT hr = control->QueryInterface(iid, result);
    control->Release();
    return hr;
}

CBrowserControl::CBrowserControl(const CLSID& clsid)
    : clsid_(clsid), events2_(*this, DIID_DWebBrowserEvents2), events1_(*this, DIID_DWebBrowserEvents),
      events_(events2_, events1_) {}

CBrowserControl::~CBrowserControl() {
    DropFrames();
    HidePageView();
    // Cut loose first: the object is going and must hear nothing more from its windows. Windows of another
    // thread cannot be destroyed from here (a host letting its last reference go on a thread of its own).
    for (HWND* window : {&pageWindow_, &stepsWindow_}) {
        if (*window == nullptr)
            continue;
        ::SetWindowLongPtrW(*window, GWLP_USERDATA, 0);
        if (::GetWindowThreadProcessId(*window, nullptr) == ::GetCurrentThreadId())
            ::DestroyWindow(*window);
        *window = nullptr;
    }
}

HRESULT CBrowserControl::QueryInterface(REFIID iid, void** result) {
    if (result == nullptr)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID_IWebBrowser) ||
        IsEqualIID(iid, IID_IWebBrowserApp) || IsEqualIID(iid, IID_IWebBrowser2))
        *result = static_cast<IWebBrowser2*>(this);
    else if (IsEqualIID(iid, IID_IOleObject))
        *result = static_cast<IOleObject*>(this);
    else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceObject))
        *result = static_cast<IOleInPlaceObject*>(this);
    else if (IsEqualIID(iid, IID_IOleInPlaceActiveObject))
        *result = static_cast<IOleInPlaceActiveObject*>(this);
    else if (IsEqualIID(iid, IID_IOleControl))
        *result = static_cast<IOleControl*>(this);
    else if (IsEqualIID(iid, IID_IPersist) || IsEqualIID(iid, IID_IPersistStreamInit))
        *result = static_cast<IPersistStreamInit*>(this);
    else if (IsEqualIID(iid, IID_IOleCommandTarget))
        *result = static_cast<IOleCommandTarget*>(this);
    else if (IsEqualIID(iid, IID_IProvideClassInfo) || IsEqualIID(iid, IID_IProvideClassInfo2))
        *result = static_cast<IProvideClassInfo2*>(this);
    else if (IsEqualIID(iid, IID_IConnectionPointContainer))
        *result = static_cast<IConnectionPointContainer*>(this);
    else if (IsEqualIID(iid, IID_IStandInObject))
        *result = static_cast<IStandInObject*>(this);
    else if (IsEqualIID(iid, IID_IStandInBrowser))
        *result = static_cast<IStandInBrowser*>(this);
    else {
        *result = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG CBrowserControl::Release() {
    const ULONG left = --references_;
    if (left == 0)
        delete this;
    return left;
}

HRESULT CBrowserControl::GetModulePath(BSTR* path) {
    return ReturnBstr(ThisModulePath(), path);
}

HRESULT CBrowserControl::GetClassId(CLSID* clsid) {
    if (clsid == nullptr)
        return E_POINTER;
    *clsid = clsid_;
    return S_OK;
}

HRESULT CBrowserControl::Probe(LPCWSTR what, BSTR* report) {
    if (report == nullptr)
        return E_POINTER;
    *report = nullptr;
    if (what == nullptr)
        return E_INVALIDARG;
    try {
        return ReturnBstr(RunProbe(what), report);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT CBrowserControl::GetPageReport(BSTR* report) {
    if (report == nullptr)
        return E_POINTER;
    *report = nullptr;
    try {
        return ReturnBstr(BuildPageReport(Snapshot()), report);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

std::wstring CBrowserControl::CurrentState() const {
    if (hanging_)
        return L"hanging";
    if (closed_)
        return L"closed";
    if (pending_ || refreshing_)
        return L"loading";
    return page_.present ? L"complete" : L"empty";
}

namespace {

std::wstring LocationNameOf(const LoadedDocument& page) {
    return page.title.empty() ? page.url : page.title;
}

ZoomSnapshot ZoomOf(const LoadedDocument& page) {
    ZoomSnapshot zoom;
    ComPtr<IStandInDocument> model;
    if (!page.document || FAILED(page.document.As(model)) || !model)
        return zoom;
    UniqueBstr runtime, wrapper;
    LONG wrappers = 0;
    BOOL wrapsAll = FALSE;
    if (FAILED(model->GetZoom(runtime.put(), wrapper.put(), &wrappers, &wrapsAll)))
        return zoom;
    zoom.known = true;
    zoom.runtime = FromBstr(runtime.get());
    zoom.wrapper = FromBstr(wrapper.get());
    zoom.wrappers = wrappers;
    zoom.wrapsAll = wrapsAll != FALSE;
    return zoom;
}

// The document's own report lines (box.*, attr.*, script.error) as pairs; false for a document that is no
// stand-in's.
bool DocumentLinesOf(const LoadedDocument& page, std::vector<std::pair<std::wstring, std::wstring>>& lines) {
    ComPtr<IStandInDocument> model;
    UniqueBstr text;
    if (!page.document || FAILED(page.document.As(model)) || !model ||
        FAILED(model->GetReportLines(text.put())))
        return false;
    std::wstring_view rest = text.get() != nullptr ? std::wstring_view(text.get(), ::SysStringLen(text.get()))
                                                   : std::wstring_view();
    while (!rest.empty()) {
        const size_t end = std::min(rest.find(L'\n'), rest.size());
        const std::wstring_view line = rest.substr(0, end);
        rest.remove_prefix(end < rest.size() ? end + 1 : end);
        const size_t equals = line.find(L'=');
        if (equals != std::wstring_view::npos)
            lines.emplace_back(line.substr(0, equals), line.substr(equals + 1));
    }
    return true;
}

// What the process's last URLOpenBlockingStreamW call of any stand-in copy left behind.
std::wstring LastFetch() {
    std::wstring value(512, L'\0');
    for (;;) {
        const DWORD n =
            ::GetEnvironmentVariableW(kLastFetchVariable, value.data(), static_cast<DWORD>(value.size()));
        if (n < value.size()) {
            value.resize(n);
            return value;
        }
        value.resize(n);
    }
}

} // namespace

PageSnapshot CBrowserControl::Snapshot() const {
    const ModuleIdentity& identity = ThisModuleIdentity();
    PageSnapshot snapshot;
    snapshot.versionLetter = identity.versionLetter != 0 ? identity.versionLetter : L'?';
    snapshot.browserFile = identity.fileName;
    snapshot.browserPath = ThisModulePath();
    snapshot.state = CurrentState();
    snapshot.hasPage = page_.present;
    if (page_.present) {
        snapshot.url = page_.top.url;
        snapshot.title = page_.title;
        snapshot.locationName = LocationNameOf(page_.top);
        snapshot.text = page_.top.text;
        snapshot.error = static_cast<std::uint32_t>(page_.top.error);
        snapshot.origin = page_.top.origin;
        snapshot.zoom = ZoomOf(page_.top);
        for (const Frame& frame : page_.frames) {
            FrameSnapshot shot;
            shot.url = frame.page.url;
            shot.title = frame.page.title;
            shot.text = frame.page.text;
            shot.depth = frame.depth;
            shot.opened = frame.opened;
            shot.error = static_cast<std::uint32_t>(frame.page.error);
            shot.origin = frame.page.origin;
            shot.zoom = ZoomOf(frame.page);
            snapshot.frames.push_back(std::move(shot));
        }
        snapshot.clickCount = clickCount_;
        snapshot.clickLast = clickLast_;
        snapshot.documentKnown = DocumentLinesOf(page_.top, snapshot.documentLines);
        snapshot.probed = true;
        snapshot.modules = page_.probes.modules;
        snapshot.versionVector = page_.probes.versionVector;
    }
    snapshot.back = travel_.BackCount();
    snapshot.forward = travel_.ForwardCount();
    snapshot.textSize = textSize_;
    snapshot.print = printed_;
    snapshot.printPreview = previewed_;
    snapshot.host = host_;
    snapshot.newWindowUrl = newWindowUrl_;
    snapshot.newWindowHandledBy = newWindowHandledBy_;
    snapshot.close = closeAnswer_;
    snapshot.fetchLast = LastFetch();
    return snapshot;
}

namespace {

ComPtr<IStandInDocument> ModelOf(const LoadedDocument& page) {
    ComPtr<IStandInDocument> model;
    if (page.document && FAILED(page.document.As(model)))
        model.detach();
    return model;
}

} // namespace

void CBrowserControl::ShowPageView() {
    HidePageView();
    view_ = ComPtr<CPageView>::Attach(CPageView::Create(*this));
    if (const ComPtr<IStandInDocument> model = ModelOf(page_.top); view_ && model)
        model->ShowIn(view_.get());
}

// The document lets go of the view; it is cut loose all the same, so that nothing that still holds it can
// reach a control that has gone.
void CBrowserControl::HidePageView() {
    if (!view_)
        return;
    view_->Detach();
    if (const ComPtr<IStandInDocument> model = ModelOf(page_.top))
        model->ShowIn(nullptr);
    view_.reset();
}

void CBrowserControl::DrawForView(HDC dc, const RECT& area) {
    PaintPage(dc, area, PageLines(), textSize_);
}

// Measured on a memory DC of the screen, which the page window's DC matches in resolution.
void CBrowserControl::MeasureForView(SIZE& client, LONG& contentHeight) {
    RECT area = position_;
    if (pageWindow_ != nullptr)
        ::GetClientRect(pageWindow_, &area);
    client = SIZE{area.right - area.left, area.bottom - area.top};
    if (pageWindow_ == nullptr && (client.cx <= 0 || client.cy <= 0))
        client = SIZE{800, 600};
    const UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    contentHeight = dc ? MeasurePage(dc.get(), client.cx, PageLines(), textSize_) : 0;
}

void CBrowserControl::ClickPage(LONG x, LONG y) {
    if (!page_.present || closed_)
        return;
    const ComPtr<IDispatch> document = page_.top.document;
    ComPtr<IStandInDocument> model;
    if (!document || FAILED(document.As(model)) || !model)
        return;
    BOOL reached = FALSE;
    UniqueBstr target;
    // A sink may navigate meanwhile: a click on a page no longer on show counts for nothing.
    if (model->Click(x, y, &reached, target.put()) != S_OK || !reached ||
        page_.top.document.get() != document.get())
        return;
    ++clickCount_;
    clickLast_ = FromBstr(target.get());
    PageChanged();
}

void CBrowserControl::PageChanged() {
    if (pageWindow_ == nullptr)
        return;
    try {
        const std::wstring report = BuildPageReport(Snapshot());
        ::SetWindowTextW(pageWindow_, report.c_str());
    } catch (...) {
        // The window text is a convenience for outside readers; the page itself is still repainted.
    }
    ::InvalidateRect(pageWindow_, nullptr, TRUE);
}

void CBrowserControl::DestroyPageWindow() {
    if (pageWindow_ == nullptr)
        return;
    const HWND window = pageWindow_;
    ::DestroyWindow(window);
    pageWindow_ = nullptr;
}

LRESULT CBrowserControl::OnWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Events call out to the host, which may let its last reference go meanwhile.
    ComPtr<IWebBrowser2> keepAlive(static_cast<IWebBrowser2*>(this));
    try {
        if (window == stepsWindow_) {
            const auto navigation = static_cast<unsigned>(wParam);
            switch (message) {
            case kStepBegin:
                OnBegin(navigation);
                return 0;
            case kStepLoad:
                OnLoad(navigation);
                return 0;
            case kStepRefresh:
                OnRefresh(navigation);
                return 0;
            case kStepDirective:
                OnDirective(navigation, static_cast<size_t>(lParam));
                return 0;
            case kStepDomChanged:
                PageChanged();
                return 0;
            case WM_NCDESTROY:
                stepsWindow_ = nullptr;
                break;
            default:
                break;
            }
        } else if (window == pageWindow_) {
            switch (message) {
            case WM_PAINT: {
                PAINTSTRUCT paint;
                const HDC dc = ::BeginPaint(window, &paint);
                RECT client;
                ::GetClientRect(window, &client);
                PaintPage(dc, client, PageLines(), textSize_);
                ::EndPaint(window, &paint);
                return 0;
            }
            case WM_PRINTCLIENT: {
                RECT client;
                ::GetClientRect(window, &client);
                PaintPage(reinterpret_cast<HDC>(wParam), client, PageLines(), textSize_);
                return 0;
            }
            case WM_ERASEBKGND:
                return 1; // painting covers the whole window
            case WM_LBUTTONDOWN:
                ::SetFocus(window);
                buttonDown_ = true;
                return 0;
            case WM_LBUTTONUP:
                if (buttonDown_) {
                    buttonDown_ = false;
                    ClickPage(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
                }
                return 0;
            case WM_NCDESTROY:
                pageWindow_ = nullptr;
                break;
            default:
                break;
            }
        }
    } catch (...) {
        // Nothing may leave a window procedure; the step is lost, the control goes on.
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

} // namespace movalent::standin
