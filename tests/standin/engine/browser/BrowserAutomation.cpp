#include "standin/engine/browser/BrowserAutomation.h"

#include "standin/engine/ComHelpers.h"
#include "standin/engine/browser/BrowserDispIds.h"
#include "standin/engine/browser/DispatchArguments.h"
#include "standin/engine/page/PageText.h"

namespace movalent::standin {
namespace {

constexpr WORD kGetFlags = DISPATCH_PROPERTYGET;
constexpr WORD kPutFlags = DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF;

bool IsGet(WORD flags, const DispatchArguments& args) {
    return (flags & kGetFlags) != 0 || ((flags & DISPATCH_METHOD) != 0 && args.Count() == 0);
}
bool IsPut(WORD flags) {
    return (flags & kPutFlags) != 0;
}
bool IsCall(WORD flags) {
    return (flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) != 0;
}

// Property shapes: each takes the member's getter and, for writable ones, its setter.
template <typename Get>
HRESULT GetString(WORD flags, const DispatchArguments& args, VARIANT* result, Get get) {
    if (!IsGet(flags, args))
        return DISP_E_MEMBERNOTFOUND;
    BSTR value = nullptr;
    const HRESULT hr = get(&value);
    UniqueBstr owned(value);
    if (SUCCEEDED(hr))
        SetResult(result, std::wstring_view(value != nullptr ? value : L"",
                                            value != nullptr ? ::SysStringLen(value) : 0));
    return hr;
}

template <typename Get>
HRESULT GetDispatchProperty(WORD flags, const DispatchArguments& args, VARIANT* result, Get get) {
    if (!IsGet(flags, args))
        return DISP_E_MEMBERNOTFOUND;
    IDispatch* value = nullptr;
    const HRESULT hr = get(&value);
    if (SUCCEEDED(hr))
        SetResult(result, value);
    else if (value != nullptr)
        value->Release();
    return hr;
}

template <typename Get, typename Put>
HRESULT BoolProperty(WORD flags, const DispatchArguments& args, VARIANT* result, Get get, Put put) {
    if (IsPut(flags)) {
        VARIANT_BOOL value;
        const HRESULT hr = args.BoolValue(args.PutValue(), 0, value);
        return FAILED(hr) ? hr : put(value);
    }
    if (!IsGet(flags, args))
        return DISP_E_MEMBERNOTFOUND;
    VARIANT_BOOL value = VARIANT_FALSE;
    const HRESULT hr = get(&value);
    if (SUCCEEDED(hr))
        SetBoolResult(result, value);
    return hr;
}

template <typename Get, typename Put>
HRESULT LongProperty(WORD flags, const DispatchArguments& args, VARIANT* result, Get get, Put put) {
    if (IsPut(flags)) {
        LONG value;
        const HRESULT hr = args.LongValue(args.PutValue(), 0, value);
        return FAILED(hr) ? hr : put(value);
    }
    if (!IsGet(flags, args))
        return DISP_E_MEMBERNOTFOUND;
    LONG value = 0;
    const HRESULT hr = get(&value);
    if (SUCCEEDED(hr))
        SetResult(result, value);
    return hr;
}

template <typename Get> HRESULT GetBool(WORD flags, const DispatchArguments& args, VARIANT* result, Get get) {
    return BoolProperty(flags, args, result, get, [](VARIANT_BOOL) { return DISP_E_MEMBERNOTFOUND; });
}

template <typename Call> HRESULT Method(WORD flags, Call call) {
    return IsCall(flags) ? call() : DISP_E_MEMBERNOTFOUND;
}

} // namespace

HRESULT BrowserAutomation::GetTypeInfoCount(UINT* count) {
    if (count == nullptr)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT BrowserAutomation::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info == nullptr)
        return E_POINTER;
    *info = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT BrowserAutomation::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!IsEqualIID(iid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    if (names == nullptr || ids == nullptr || count == 0)
        return E_INVALIDARG;
    // Only the member's own name is known; names of its parameters are not.
    for (UINT i = 0; i < count; ++i)
        ids[i] = DISPID_UNKNOWN;
    if (names[0] == nullptr)
        return DISP_E_UNKNOWNNAME;
    for (const BrowserMemberName& member : kBrowserMemberNames) {
        if (EqualsNoCase(member.name, names[0])) {
            ids[0] = member.id;
            return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
        }
    }
    return DISP_E_UNKNOWNNAME;
}

HRESULT BrowserAutomation::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                                  VARIANT* result, EXCEPINFO*, UINT* argError) {
    if (!IsEqualIID(iid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    if (result != nullptr)
        ::VariantInit(result);
    return NoThrow([&] { return InvokeMember(id, flags, params, result, argError); });
}

HRESULT BrowserAutomation::InvokeMember(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                                        UINT* argError) {
    const DispatchArguments args(params, argError);
    if (args.HasUnsupportedNames())
        return DISP_E_NONAMEDARGS;
    switch (id) {
    case kDispGoBack:
        return Method(flags, [&] { return GoBack(); });
    case kDispGoForward:
        return Method(flags, [&] { return GoForward(); });
    case kDispGoHome:
        return Method(flags, [&] { return GoHome(); });
    case kDispGoSearch:
        return Method(flags, [&] { return GoSearch(); });
    case kDispNavigate:
        return Method(flags, [&] {
            UniqueBstr url;
            const HRESULT hr = args.Bstr(0, url);
            return FAILED(hr) ? hr : Navigate(url.get(), args.At(1), args.At(2), args.At(3), args.At(4));
        });
    case kDispNavigate2:
        return Method(flags, [&] {
            VARIANT* url = args.At(0);
            if (url == nullptr) {
                if (argError != nullptr)
                    *argError = 0;
                return DISP_E_PARAMNOTFOUND;
            }
            return Navigate2(url, args.At(1), args.At(2), args.At(3), args.At(4));
        });
    case kDispRefresh:
        return Method(flags, [&] { return Refresh(); });
    case kDispRefresh2:
        return Method(flags, [&] { return Refresh2(args.At(0)); });
    case kDispStop:
        return Method(flags, [&] { return Stop(); });
    case kDispQuit:
        return Method(flags, [&] { return Quit(); });

    case kDispApplication:
        return GetDispatchProperty(flags, args, result, [&](IDispatch** v) { return get_Application(v); });
    case kDispParent:
        return GetDispatchProperty(flags, args, result, [&](IDispatch** v) { return get_Parent(v); });
    case kDispContainer:
        return GetDispatchProperty(flags, args, result, [&](IDispatch** v) { return get_Container(v); });
    case kDispDocument:
        return GetDispatchProperty(flags, args, result, [&](IDispatch** v) { return get_Document(v); });
    case kDispTopLevelContainer:
        return GetBool(flags, args, result, [&](VARIANT_BOOL* v) { return get_TopLevelContainer(v); });
    case kDispType:
        return GetString(flags, args, result, [&](BSTR* v) { return get_Type(v); });
    case kDispLeft:
        return LongProperty(
            flags, args, result, [&](LONG* v) { return get_Left(v); }, [&](LONG v) { return put_Left(v); });
    case kDispTop:
        return LongProperty(
            flags, args, result, [&](LONG* v) { return get_Top(v); }, [&](LONG v) { return put_Top(v); });
    case kDispWidth:
        return LongProperty(
            flags, args, result, [&](LONG* v) { return get_Width(v); }, [&](LONG v) { return put_Width(v); });
    case kDispHeight:
        return LongProperty(
            flags, args, result, [&](LONG* v) { return get_Height(v); },
            [&](LONG v) { return put_Height(v); });
    case kDispLocationName:
        return GetString(flags, args, result, [&](BSTR* v) { return get_LocationName(v); });
    case kDispLocationUrl:
        return GetString(flags, args, result, [&](BSTR* v) { return get_LocationURL(v); });
    case kDispBusy:
        return GetBool(flags, args, result, [&](VARIANT_BOOL* v) { return get_Busy(v); });

    case kDispClientToWindow:
        return Method(flags, [&] {
            VARIANT* cx = args.At(0);
            VARIANT* cy = args.At(1);
            if (cx == nullptr || cy == nullptr || V_VT(cx) != (VT_BYREF | VT_I4) ||
                V_VT(cy) != (VT_BYREF | VT_I4))
                return DISP_E_TYPEMISMATCH;
            int width = static_cast<int>(*V_I4REF(cx));
            int height = static_cast<int>(*V_I4REF(cy));
            const HRESULT hr = ClientToWindow(&width, &height);
            *V_I4REF(cx) = width;
            *V_I4REF(cy) = height;
            return hr;
        });
    case kDispPutProperty:
        return Method(flags, [&] {
            UniqueBstr name;
            HRESULT hr = args.Bstr(0, name);
            VARIANT* value = args.At(1);
            if (SUCCEEDED(hr) && value == nullptr)
                hr = DISP_E_PARAMNOTFOUND;
            return FAILED(hr) ? hr : PutProperty(name.get(), *value);
        });
    case kDispGetProperty:
        return Method(flags, [&] {
            UniqueBstr name;
            const HRESULT hr = args.Bstr(0, name);
            if (FAILED(hr))
                return hr;
            UniqueVariant value;
            const HRESULT got = GetProperty(name.get(), &value);
            if (SUCCEEDED(got) && result != nullptr)
                ::VariantCopy(result, &value);
            return got;
        });
    case kDispName:
        return GetString(flags, args, result, [&](BSTR* v) { return get_Name(v); });
    case kDispHwnd:
        return LongProperty(
            flags, args, result,
            [&](LONG* v) {
                SHANDLE_PTR window = 0;
                const HRESULT hr = get_HWND(&window);
                *v = static_cast<LONG>(window);
                return hr;
            },
            [](LONG) { return DISP_E_MEMBERNOTFOUND; });
    case kDispFullName:
        return GetString(flags, args, result, [&](BSTR* v) { return get_FullName(v); });
    case kDispPath:
        return GetString(flags, args, result, [&](BSTR* v) { return get_Path(v); });
    case kDispVisible:
        return BoolProperty(
            flags, args, result, [&](VARIANT_BOOL* v) { return get_Visible(v); },
            [&](VARIANT_BOOL v) { return put_Visible(v); });
    case kDispStatusBar:
        return BoolProperty(
            flags, args, result, [&](VARIANT_BOOL* v) { return get_StatusBar(v); },
            [&](VARIANT_BOOL v) { return put_StatusBar(v); });
    case kDispStatusText:
        if (IsPut(flags)) {
            UniqueBstr text;
            const HRESULT hr = args.BstrValue(args.PutValue(), 0, text);
            return FAILED(hr) ? hr : put_StatusText(text.get());
        }
        return GetString(flags, args, result, [&](BSTR* v) { return get_StatusText(v); });
    case kDispToolBar:
        return LongProperty(
            flags, args, result,
            [&](LONG* v) {
                int value = 0;
                const HRESULT hr = get_ToolBar(&value);
                *v = value;
                return hr;
            },
            [&](LONG v) { return put_ToolBar(static_cast<int>(v)); });
    case kDispMenuBar:
        return BoolProperty(
            flags, args, result, [&](VARIANT_BOOL* v) { return get_MenuBar(v); },
            [&](VARIANT_BOOL v) { return put_MenuBar(v); });
    case kDispFullScreen:
        return BoolProperty(
            flags, args, result, [&](VARIANT_BOOL* v) { return get_FullScreen(v); },
            [&](VARIANT_BOOL v) { return put_FullScreen(v); });

    case kDispQueryStatusWb:
        return Method(flags, [&] {
            LONG command;
            const HRESULT hr = args.Long(0, command);
            if (FAILED(hr))
                return hr;
            OLECMDF state = static_cast<OLECMDF>(0);
            const HRESULT queried = QueryStatusWB(static_cast<OLECMDID>(command), &state);
            if (SUCCEEDED(queried))
                SetResult(result, static_cast<LONG>(state));
            return queried;
        });
    case kDispExecWb:
        return Method(flags, [&] {
            LONG command, option;
            HRESULT hr = args.Long(0, command);
            if (SUCCEEDED(hr))
                hr = args.Long(1, option);
            return FAILED(hr) ? hr
                              : ExecWB(static_cast<OLECMDID>(command), static_cast<OLECMDEXECOPT>(option),
                                       args.At(2), args.At(3));
        });
    case kDispShowBrowserBar:
        return Method(flags, [&] { return ShowBrowserBar(args.At(0), args.At(1), args.At(2)); });
    case kDispReadyState:
        return LongProperty(
            flags, args, result,
            [&](LONG* v) {
                READYSTATE state = READYSTATE_UNINITIALIZED;
                const HRESULT hr = get_ReadyState(&state);
                *v = state;
                return hr;
            },
            [](LONG) { return DISP_E_MEMBERNOTFOUND; });
    case kDispOffline:
        return BoolProperty(
            flags, args, result, [&](VARIANT_BOOL* v) { return get_Offline(v); },
            [&](VARIANT_BOOL v) { return put_Offline(v); });
    case kDispSilent:
        return BoolProperty(
            flags, args, result, [&](VARIANT_BOOL* v) { return get_Silent(v); },
            [&](VARIANT_BOOL v) { return put_Silent(v); });
    case kDispRegisterAsBrowser:
        return BoolProperty(
            flags, args, result, [&](VARIANT_BOOL* v) { return get_RegisterAsBrowser(v); },
            [&](VARIANT_BOOL v) { return put_RegisterAsBrowser(v); });
    case kDispRegisterAsDropTarget:
        return BoolProperty(
            flags, args, result, [&](VARIANT_BOOL* v) { return get_RegisterAsDropTarget(v); },
            [&](VARIANT_BOOL v) { return put_RegisterAsDropTarget(v); });
    case kDispTheaterMode:
        return BoolProperty(
            flags, args, result, [&](VARIANT_BOOL* v) { return get_TheaterMode(v); },
            [&](VARIANT_BOOL v) { return put_TheaterMode(v); });
    case kDispAddressBar:
        return BoolProperty(
            flags, args, result, [&](VARIANT_BOOL* v) { return get_AddressBar(v); },
            [&](VARIANT_BOOL v) { return put_AddressBar(v); });
    case kDispResizable:
        return BoolProperty(
            flags, args, result, [&](VARIANT_BOOL* v) { return get_Resizable(v); },
            [&](VARIANT_BOOL v) { return put_Resizable(v); });
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

} // namespace movalent::standin
