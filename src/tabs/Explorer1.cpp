#include "tabs/Explorer1.h"

#include "framework/DispatchArguments.h"
#include "framework/Handles.h"

namespace movalent {

namespace {

constexpr DISPID kGoBack = 100;
constexpr DISPID kGoForward = 101;
constexpr DISPID kNavigate = 104;
constexpr DISPID kRefresh2 = 105;
constexpr DISPID kStop = 106;
constexpr DISPID kDocument = 203;
constexpr DISPID kLocationName = 210;
constexpr DISPID kExecWB = 502;
constexpr DISPID kRefresh = -550;

// A VARIANT* argument: the caller's variant by reference, or an empty one when the caller gave none.
VARIANT ByRef(VARIANT* value, VARIANT& empty) {
    VARIANT argument;
    ::VariantInit(&argument);
    argument.vt = VT_BYREF | VT_VARIANT;
    argument.pvarVal = value ? value : &empty;
    return argument;
}

} // namespace

const CLSID CExplorer1::kClassId = {
    0x8856F961, 0x340A, 0x11D0, {0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2}};

bool CExplorer1::Create(DWORD style, const RECT& rect, Dialog& parent, UINT id) {
    return CreateControl(kClassId, style, rect, parent, id);
}

HRESULT CExplorer1::GoBack() {
    return InvokeHelper(kGoBack, DISPATCH_METHOD, nullptr);
}

HRESULT CExplorer1::GoForward() {
    return InvokeHelper(kGoForward, DISPATCH_METHOD, nullptr);
}

HRESULT CExplorer1::Navigate(const std::wstring& url, VARIANT* flags, VARIANT* targetFrameName,
                             VARIANT* postData, VARIANT* headers) {
    UniqueBstr address(::SysAllocStringLen(url.data(), static_cast<UINT>(url.size())));
    if (!address)
        return E_OUTOFMEMORY;
    VARIANT first;
    ::VariantInit(&first);
    first.vt = VT_BSTR;
    first.bstrVal = address.get();
    UniqueVariant empty[4];
    return InvokeHelper(kNavigate, DISPATCH_METHOD, nullptr,
                        {first, ByRef(flags, empty[0].get()), ByRef(targetFrameName, empty[1].get()),
                         ByRef(postData, empty[2].get()), ByRef(headers, empty[3].get())});
}

HRESULT CExplorer1::Refresh2(VARIANT* level) {
    UniqueVariant empty;
    return InvokeHelper(kRefresh2, DISPATCH_METHOD, nullptr, {ByRef(level, empty.get())});
}

HRESULT CExplorer1::Stop() {
    return InvokeHelper(kStop, DISPATCH_METHOD, nullptr);
}

IDispatch* CExplorer1::GetDocument() {
    UniqueVariant result;
    if (FAILED(InvokeHelper(kDocument, DISPATCH_PROPERTYGET, &result)))
        return nullptr;
    VARIANT& value = result.get();
    if (value.vt == VT_DISPATCH && value.pdispVal) {
        IDispatch* document = value.pdispVal;
        document->AddRef();
        return document;
    }
    if (value.vt == VT_UNKNOWN && value.punkVal) {
        IDispatch* document = nullptr;
        if (SUCCEEDED(value.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&document))))
            return document;
    }
    return nullptr;
}

std::wstring CExplorer1::GetLocationName() {
    UniqueVariant result;
    if (FAILED(InvokeHelper(kLocationName, DISPATCH_PROPERTYGET, &result)) || result.get().vt != VT_BSTR ||
        !result.get().bstrVal)
        return {};
    return std::wstring(result.get().bstrVal, ::SysStringLen(result.get().bstrVal));
}

HRESULT CExplorer1::ExecWB(long command, long option, VARIANT* input, VARIANT* output) {
    UniqueVariant emptyInput;
    UniqueVariant emptyOutput;
    return InvokeHelper(kExecWB, DISPATCH_METHOD, nullptr,
                        {LongVariant(command), LongVariant(option), ByRef(input, emptyInput.get()),
                         ByRef(output, emptyOutput.get())});
}

HRESULT CExplorer1::Refresh() {
    return InvokeHelper(kRefresh, DISPATCH_METHOD, nullptr);
}

} // namespace movalent
