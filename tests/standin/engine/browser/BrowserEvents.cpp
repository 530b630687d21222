#include "standin/engine/browser/BrowserEvents.h"

#include <exdispid.h>

namespace movalent::standin {
namespace {

UniqueBstr NewBstr(const std::wstring& text) {
    return UniqueBstr(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}

// A VARIANT holding a string, for the VARIANT* parameters of the new interface.
class StringVariant {
public:
    explicit StringVariant(const std::wstring& text) {
        V_VT(&value_.get()) = VT_BSTR;
        V_BSTR(&value_.get()) = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    }
    VARIANT* get() { return &value_; }

private:
    UniqueVariant value_;
};

} // namespace

bool BrowserEvents::BeforeNavigate2(IDispatch* browser, bool topLevel, const std::wstring& url) {
    VARIANT_BOOL cancel = VARIANT_FALSE;
    {
        StringVariant urlValue(url);
        UniqueVariant flags;
        V_VT(&flags.get()) = VT_I4;
        V_I4(&flags.get()) = 0;
        StringVariant target(L"");
        UniqueVariant postData;
        StringVariant headers(L"");
        EventCall()
            .Dispatch(browser)
            .VariantRef(urlValue.get())
            .VariantRef(&flags)
            .VariantRef(target.get())
            .VariantRef(&postData)
            .VariantRef(headers.get())
            .BoolRef(&cancel)
            .Fire(events2_, DISPID_BEFORENAVIGATE2);
    }
    {
        UniqueBstr urlText = NewBstr(url);
        UniqueBstr empty = NewBstr(L"");
        UniqueVariant postData;
        EventCall()
            .Bstr(urlText.get())
            .Long(0)
            .Bstr(empty.get())
            .VariantRef(&postData)
            .Bstr(empty.get())
            .BoolRef(&cancel)
            .Fire(events1_, topLevel ? DISPID_BEFORENAVIGATE : DISPID_FRAMEBEFORENAVIGATE);
    }
    return cancel != VARIANT_FALSE;
}

void BrowserEvents::NavigateComplete2(IDispatch* browser, bool topLevel, const std::wstring& url) {
    StringVariant urlValue(url);
    EventCall().Dispatch(browser).VariantRef(urlValue.get()).Fire(events2_, DISPID_NAVIGATECOMPLETE2);
    UniqueBstr urlText = NewBstr(url);
    EventCall()
        .Bstr(urlText.get())
        .Fire(events1_, topLevel ? DISPID_NAVIGATECOMPLETE : DISPID_FRAMENAVIGATECOMPLETE);
}

void BrowserEvents::DocumentComplete(IDispatch* browser, const std::wstring& url) {
    StringVariant urlValue(url);
    EventCall().Dispatch(browser).VariantRef(urlValue.get()).Fire(events2_, DISPID_DOCUMENTCOMPLETE);
}

bool BrowserEvents::NavigateError(IDispatch* browser, const std::wstring& url, HRESULT status) {
    VARIANT_BOOL cancel = VARIANT_FALSE;
    StringVariant urlValue(url);
    StringVariant frame(L"");
    UniqueVariant statusCode;
    V_VT(&statusCode.get()) = VT_I4;
    V_I4(&statusCode.get()) = status;
    EventCall()
        .Dispatch(browser)
        .VariantRef(urlValue.get())
        .VariantRef(frame.get())
        .VariantRef(&statusCode)
        .BoolRef(&cancel)
        .Fire(events2_, DISPID_NAVIGATEERROR);
    return cancel != VARIANT_FALSE;
}

void BrowserEvents::StatusTextChange(const std::wstring& text) {
    UniqueBstr value = NewBstr(text);
    EventCall().Bstr(value.get()).Fire(events2_, DISPID_STATUSTEXTCHANGE);
    EventCall().Bstr(value.get()).Fire(events1_, DISPID_STATUSTEXTCHANGE);
}

void BrowserEvents::TitleChange(const std::wstring& text) {
    UniqueBstr value = NewBstr(text);
    EventCall().Bstr(value.get()).Fire(events2_, DISPID_TITLECHANGE);
    EventCall().Bstr(value.get()).Fire(events1_, DISPID_TITLECHANGE);
}

void BrowserEvents::ProgressChange(LONG progress, LONG progressMax) {
    EventCall().Long(progress).Long(progressMax).Fire(events2_, DISPID_PROGRESSCHANGE);
    EventCall().Long(progress).Long(progressMax).Fire(events1_, DISPID_PROGRESSCHANGE);
}

void BrowserEvents::DownloadBegin() {
    EventCall().Fire(events2_, DISPID_DOWNLOADBEGIN);
    EventCall().Fire(events1_, DISPID_DOWNLOADBEGIN);
}

void BrowserEvents::DownloadComplete() {
    EventCall().Fire(events2_, DISPID_DOWNLOADCOMPLETE);
    EventCall().Fire(events1_, DISPID_DOWNLOADCOMPLETE);
}

void BrowserEvents::CommandStateChange(LONG command, bool enabled) {
    const VARIANT_BOOL value = enabled ? VARIANT_TRUE : VARIANT_FALSE;
    EventCall().Long(command).Bool(value).Fire(events2_, DISPID_COMMANDSTATECHANGE);
    EventCall().Long(command).Bool(value).Fire(events1_, DISPID_COMMANDSTATECHANGE);
}

bool BrowserEvents::WindowClosing(bool childWindow) {
    VARIANT_BOOL cancel = VARIANT_FALSE;
    EventCall()
        .Bool(childWindow ? VARIANT_TRUE : VARIANT_FALSE)
        .BoolRef(&cancel)
        .Fire(events2_, DISPID_WINDOWCLOSING);
    return cancel != VARIANT_FALSE;
}

NewWindowAnswer BrowserEvents::NewWindow(const std::wstring& url, const std::wstring& pageUrl) {
    NewWindowAnswer answer;
    // A browser handed back comes with a reference for us.
    const auto take = [&answer](IDispatch* given, VARIANT_BOOL cancel, const wchar_t* event) {
        if (given == nullptr && cancel == VARIANT_FALSE)
            return false;
        answer.browser = ComPtr<IDispatch>::Attach(given);
        answer.handledBy = event;
        return true;
    };

    IDispatch* given = nullptr;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    EventCall().DispatchRef(&given).BoolRef(&cancel).Fire(events2_, DISPID_NEWWINDOW2);
    if (take(given, cancel, L"NewWindow2"))
        return answer;

    UniqueBstr context = NewBstr(pageUrl);
    UniqueBstr target = NewBstr(url);
    EventCall()
        .DispatchRef(&given)
        .BoolRef(&cancel)
        .ULong(0)
        .Bstr(context.get())
        .Bstr(target.get())
        .Fire(events2_, DISPID_NEWWINDOW3);
    if (take(given, cancel, L"NewWindow3"))
        return answer;

    VARIANT_BOOL processed = VARIANT_FALSE;
    UniqueBstr empty = NewBstr(L"");
    UniqueVariant postData;
    EventCall()
        .Bstr(target.get())
        .Long(0)
        .Bstr(empty.get())
        .VariantRef(&postData)
        .Bstr(empty.get())
        .BoolRef(&processed)
        .Fire(events1_, DISPID_NEWWINDOW);
    answer.handledBy = processed != VARIANT_FALSE ? L"NewWindow" : L"none";
    return answer;
}

} // namespace movalent::standin
