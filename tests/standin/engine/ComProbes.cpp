// Class activation through COM, the way engine code creates its documents, script engines and managers.
#include "standin/StandInInterfaces.h"
#include "standin/engine/ProbeSet.h"

#include "framework/Handles.h"

#include <string>

namespace movalent::standin {
namespace {

// Joins the single-threaded apartment for the probe's duration unless the thread is in an apartment already.
class ApartmentScope {
public:
    ApartmentScope() : hr_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ApartmentScope(const ApartmentScope&) = delete;
    ApartmentScope& operator=(const ApartmentScope&) = delete;
    ~ApartmentScope() {
        if (SUCCEEDED(hr_))
            ::CoUninitialize();
    }

private:
    HRESULT hr_;
};

std::wstring ClassIdText(const CLSID& clsid) {
    wchar_t text[40] = {};
    ::StringFromGUID2(clsid, text, 40);
    return text;
}

bool ParseClassId(std::wstring_view text, CLSID& clsid) {
    const std::wstring owned(text);
    return SUCCEEDED(::IIDFromString(owned.c_str(), &clsid));
}

// Who made the object: a stand-in copy tells, anything else is the system's.
void DescribeObject(const ComPtr<IUnknown>& object, ProbeReport& report) {
    ComPtr<IStandInObject> standIn;
    if (!object) {
        report.Add(L"module", L"none");
        return;
    }
    if (FAILED(object.As(standIn)) || !standIn) {
        report.Add(L"module", L"system");
        return;
    }
    UniqueBstr path;
    standIn->GetModulePath(path.put());
    const std::wstring_view pathText =
        path ? std::wstring_view(path.get(), ::SysStringLen(path.get())) : std::wstring_view{};
    report.Add(L"module", FileNameOf(pathText));
    report.Add(L"modulePath", pathText);
    CLSID clsid = {};
    standIn->GetClassId(&clsid);
    report.Add(L"class", ClassIdText(clsid));
}

} // namespace

void ProbeCoCreateInstance(std::wstring_view text, ProbeReport& report) {
    CLSID clsid;
    if (!ParseClassId(text, clsid)) {
        report.Add(L"error", L"bad class id");
        return;
    }
    ApartmentScope apartment;
    ComPtr<IUnknown> object;
    const HRESULT hr =
        ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.put_void());
    report.AddHex(L"hr", static_cast<std::uint32_t>(hr));
    if (FAILED(hr))
        object.detach(); // a failing server may leave anything there
    DescribeObject(object, report);
}

void ProbeCoGetClassObject(std::wstring_view text, ProbeReport& report) {
    CLSID clsid;
    if (!ParseClassId(text, clsid)) {
        report.Add(L"error", L"bad class id");
        return;
    }
    ApartmentScope apartment;
    ComPtr<IClassFactory> factory;
    const HRESULT hr =
        ::CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, factory.put_void());
    report.AddHex(L"hr", static_cast<std::uint32_t>(hr));
    if (FAILED(hr) || !factory) {
        factory.detach();
        DescribeObject(nullptr, report);
        return;
    }
    ComPtr<IUnknown> object;
    const HRESULT created = factory->CreateInstance(nullptr, IID_IUnknown, object.put_void());
    report.AddHex(L"createHr", static_cast<std::uint32_t>(created));
    if (FAILED(created))
        object.detach();
    DescribeObject(object, report);
}

} // namespace movalent::standin
