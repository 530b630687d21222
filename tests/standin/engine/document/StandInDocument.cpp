#include "standin/engine/document/StandInDocument.h"

#include "framework/Handles.h"
#include "standin/StandInBrowser.h"
#include "standin/engine/ComHelpers.h"
#include "standin/engine/Probes.h"
#include "standin/engine/document/HtmlDom.h"
#include "standin/engine/page/PageContent.h"
#include "standin/engine/page/PageText.h"

#include <oleidl.h>

#include <atomic>
#include <new>
#include <string>

namespace movalent::standin {
namespace {

// Its IDispatch has no members: hosts reach the document through the object model's interfaces, which are
// faces of this same object (HtmlDom). It draws itself (IViewObject2) through the view of the control that
// shows it, since what the page window shows is the control's, not the document's.
class CStandInDocument final : public IDispatch,
                               public IStandInDocument,
                               public IStandInObject,
                               public IViewObject2 {
public:
    explicit CStandInDocument(const CLSID& clsid) : clsid_(clsid), dom_(static_cast<IDispatch*>(this)) {}
    CStandInDocument(const CStandInDocument&) = delete;
    CStandInDocument& operator=(const CStandInDocument&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override {
        if (result == nullptr)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch))
            *result = static_cast<IDispatch*>(this);
        else if (IsEqualIID(iid, IID_IStandInDocument))
            *result = static_cast<IStandInDocument*>(this);
        else if (IsEqualIID(iid, IID_IStandInObject))
            *result = static_cast<IStandInObject*>(this);
        else if (IsEqualIID(iid, IID_IViewObject) || IsEqualIID(iid, IID_IViewObject2))
            *result = static_cast<IViewObject2*>(this);
        else
            return dom_.Query(iid, result);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info != nullptr)
            *info = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) override {
        if (ids != nullptr)
            for (UINT i = 0; i < count; ++i)
                ids[i] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return DISP_E_MEMBERNOTFOUND;
    }

    // IStandInDocument
    HRESULT STDMETHODCALLTYPE Load(LPCWSTR url, const BYTE* bytes, ULONG size) override {
        if (url == nullptr || (bytes == nullptr && size != 0))
            return E_POINTER;
        if (loaded_)
            return E_UNEXPECTED;
        try {
            url_ = url;
            content_ = ParsePage(DecodePageBytes(
                std::string_view(reinterpret_cast<const char*>(bytes), bytes != nullptr ? size : 0)));
            dom_.Load(content_);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
        loaded_ = true;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetUrl(BSTR* url) override { return ReturnBstr(url_, url); }
    HRESULT STDMETHODCALLTYPE GetTitle(BSTR* title) override { return ReturnBstr(content_.title, title); }
    HRESULT STDMETHODCALLTYPE GetText(BSTR* text) override { return ReturnBstr(content_.text, text); }
    HRESULT STDMETHODCALLTYPE GetFrameCount(LONG* count) override {
        if (count == nullptr)
            return E_POINTER;
        *count = static_cast<LONG>(content_.frames.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetFrameSource(LONG index, BSTR* source) override {
        if (source == nullptr)
            return E_POINTER;
        *source = nullptr;
        if (index < 0 || static_cast<size_t>(index) >= content_.frames.size())
            return E_INVALIDARG;
        return ReturnBstr(content_.frames[static_cast<size_t>(index)], source);
    }
    HRESULT STDMETHODCALLTYPE GetDirectiveCount(LONG* count) override {
        if (count == nullptr)
            return E_POINTER;
        *count = static_cast<LONG>(content_.directives.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDirective(LONG index, BSTR* name, BSTR* argument) override {
        if (name == nullptr || argument == nullptr)
            return E_POINTER;
        *name = *argument = nullptr;
        if (index < 0 || static_cast<size_t>(index) >= content_.directives.size())
            return E_INVALIDARG;
        const PageDirective& directive = content_.directives[static_cast<size_t>(index)];
        HRESULT hr = ReturnBstr(directive.name, name);
        if (SUCCEEDED(hr))
            hr = ReturnBstr(directive.argument, argument);
        if (FAILED(hr)) {
            ::SysFreeString(*name);
            *name = nullptr;
        }
        return hr;
    }

    HRESULT STDMETHODCALLTYPE AddFrame(IDispatch* frameDocument) override {
        return dom_.AddFrame(frameDocument);
    }
    HRESULT STDMETHODCALLTYPE WatchChanges(HWND window, UINT message) override {
        return NoThrow([&] {
            dom_.Watch([window, message] {
                if (window != nullptr)
                    ::PostMessageW(window, message, 0, 0);
            });
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE GetZoom(BSTR* runtime, BSTR* wrapper, LONG* wrappers, BOOL* wrapsAll) override {
        if (runtime == nullptr || wrapper == nullptr || wrappers == nullptr || wrapsAll == nullptr)
            return E_POINTER;
        *runtime = *wrapper = nullptr;
        return NoThrow([&] {
            const ZoomState zoom = dom_.Zoom();
            HRESULT hr = ReturnBstr(zoom.runtime, runtime);
            if (SUCCEEDED(hr))
                hr = ReturnBstr(zoom.wrapper, wrapper);
            if (FAILED(hr)) {
                ::SysFreeString(*runtime);
                *runtime = nullptr;
                return hr;
            }
            *wrappers = static_cast<LONG>(zoom.wrappers);
            *wrapsAll = zoom.wrapsAll;
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE GetReportLines(BSTR* lines) override {
        if (lines == nullptr)
            return E_POINTER;
        *lines = nullptr;
        return NoThrow([&] { return ReturnBstr(dom_.ReportLines(), lines); });
    }
    HRESULT STDMETHODCALLTYPE Click(LONG x, LONG y, BOOL* reached, BSTR* target) override {
        if (reached == nullptr || target == nullptr)
            return E_POINTER;
        *reached = FALSE;
        *target = nullptr;
        // Held: a sink may let go of the document while it hears of the click.
        AddRef();
        bool wentThrough = false;
        std::wstring element;
        HRESULT hr = dom_.Click(x, y, wentThrough, element);
        if (hr == S_OK) {
            *reached = wentThrough;
            hr = ReturnBstr(element, target);
        }
        Release();
        return hr;
    }

    HRESULT STDMETHODCALLTYPE ShowIn(IStandInPageView* view) override {
        view_ = view;
        dom_.ShowIn(view);
        return S_OK;
    }

    // IViewObject, IViewObject2: the content aspect only, drawn whole (no parts, no freezing).
    HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG index, void*, DVTARGETDEVICE*, HDC, HDC dc,
                                   LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                                   ULONG_PTR) override {
        const HRESULT hr = CheckAspect(aspect, index);
        if (FAILED(hr))
            return hr;
        if (dc == nullptr || bounds == nullptr)
            return E_INVALIDARG;
        if (!view_)
            return E_UNEXPECTED; // no control shows this document: there is nothing it would look like
        const RECT area = {bounds->left, bounds->top, bounds->right, bounds->bottom};
        return view_->DrawPage(dc, &area);
    }
    HRESULT STDMETHODCALLTYPE GetColorSet(DWORD aspect, LONG index, void*, DVTARGETDEVICE*, HDC,
                                          LOGPALETTE** colours) override {
        if (colours == nullptr)
            return E_POINTER;
        *colours = nullptr;
        const HRESULT hr = CheckAspect(aspect, index);
        return FAILED(hr) ? hr : S_FALSE; // no colour set: it draws in whatever colours it likes
    }
    HRESULT STDMETHODCALLTYPE Freeze(DWORD, LONG, void*, DWORD* freeze) override {
        if (freeze != nullptr)
            *freeze = 0;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Unfreeze(DWORD) override { return E_NOTIMPL; }
    // One sink, as IViewObject has it; the stand-in's pages change only by what the host does, so it hears
    // from the document only when it asks to be primed.
    HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override {
        adviseAspects_ = aspects;
        adviseFlags_ = flags;
        adviseSink_ = sink;
        if (sink != nullptr && (flags & ADVF_PRIMEFIRST) != 0 && (aspects & DVASPECT_CONTENT) != 0) {
            const ComPtr<IAdviseSink> primed = adviseSink_;
            if ((flags & ADVF_ONLYONCE) != 0)
                adviseSink_.reset();
            primed->OnViewChange(DVASPECT_CONTENT, -1);
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override {
        if (aspects != nullptr)
            *aspects = adviseSink_ ? adviseAspects_ : 0;
        if (flags != nullptr)
            *flags = adviseSink_ ? adviseFlags_ : 0;
        if (sink != nullptr) {
            *sink = adviseSink_.get();
            if (*sink != nullptr)
                (*sink)->AddRef();
        }
        return S_OK;
    }
    // The page window's size, in HIMETRIC.
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE*, SIZEL* size) override {
        if (size == nullptr)
            return E_POINTER;
        *size = SIZEL{0, 0};
        HRESULT hr = CheckAspect(aspect, index);
        if (FAILED(hr))
            return hr;
        if (!view_)
            return E_UNEXPECTED;
        SIZE client = {};
        LONG height = 0;
        if (FAILED(hr = view_->GetPageExtent(&client, &height)))
            return hr;
        const UniqueMemoryDc screen(::CreateCompatibleDC(nullptr));
        if (!screen)
            return E_OUTOFMEMORY;
        *size = SIZEL{::MulDiv(client.cx, 2540, ::GetDeviceCaps(screen.get(), LOGPIXELSX)),
                      ::MulDiv(client.cy, 2540, ::GetDeviceCaps(screen.get(), LOGPIXELSY))};
        return S_OK;
    }

    // IStandInObject
    HRESULT STDMETHODCALLTYPE GetModulePath(BSTR* path) override {
        return ReturnBstr(ThisModulePath(), path);
    }
    HRESULT STDMETHODCALLTYPE GetClassId(CLSID* clsid) override {
        if (clsid == nullptr)
            return E_POINTER;
        *clsid = clsid_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Probe(LPCWSTR what, BSTR* report) override {
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

private:
    ~CStandInDocument() = default;

    static HRESULT CheckAspect(DWORD aspect, LONG index) {
        if (aspect != DVASPECT_CONTENT)
            return DV_E_DVASPECT;
        return index == -1 ? S_OK : DV_E_LINDEX;
    }

    ModuleReference module_;
    std::atomic<ULONG> references_{1};
    const CLSID clsid_;
    bool loaded_ = false;
    std::wstring url_;
    PageContent content_;
    HtmlDom dom_;
    ComPtr<IStandInPageView> view_;
    ComPtr<IAdviseSink> adviseSink_;
    DWORD adviseAspects_ = 0;
    DWORD adviseFlags_ = 0;
};

} // namespace

HRESULT CreateStandInDocument(const CLSID& clsid, REFIID iid, void** result) {
    if (result == nullptr)
        return E_POINTER;
    *result = nullptr;
    auto* document = new (std::nothrow) CStandInDocument(clsid);
    if (document == nullptr)
        return E_OUTOFMEMORY;
    const HRESULT hr = document->QueryInterface(iid, result);
    document->Release();
    return hr;
}

} // namespace movalent::standin
