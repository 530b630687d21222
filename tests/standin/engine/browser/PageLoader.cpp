#include "standin/engine/browser/PageLoader.h"

#include "standin/engine/ComHelpers.h"
#include "standin/engine/ProbeSet.h"
#include "standin/engine/document/StandInDocument.h"

#include <cwchar>

namespace movalent::standin {
namespace {

constexpr DWORD kLargestPage = 16 * 1024 * 1024;

std::string Utf8(const std::wstring& text) {
    if (text.empty())
        return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                        nullptr, nullptr);
    std::string out(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                              nullptr);
    return out;
}

std::wstring Escaped(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'<')
            out += L"&lt;";
        else if (c == L'&')
            out += L"&amp;";
        else
            out += c;
    }
    return out;
}

std::wstring Reason(HRESULT status) {
    switch (status) {
    case kInetResourceNotFound:
        return L"there is no such file";
    case kInetUnknownProtocol:
        return L"the stand-in engine opens only about:blank and local files";
    default:
        return L"the file could not be read";
    }
}

void ReadModel(IStandInDocument& model, LoadedDocument& page) {
    UniqueBstr text;
    if (SUCCEEDED(model.GetTitle(text.put())))
        page.title = FromBstr(text.get());
    if (SUCCEEDED(model.GetText(text.put())))
        page.text = FromBstr(text.get());
    LONG count = 0;
    if (SUCCEEDED(model.GetFrameCount(&count)))
        for (LONG i = 0; i < count; ++i)
            if (SUCCEEDED(model.GetFrameSource(i, text.put())))
                page.frameSources.push_back(FromBstr(text.get()));
    count = 0;
    if (SUCCEEDED(model.GetDirectiveCount(&count))) {
        for (LONG i = 0; i < count; ++i) {
            UniqueBstr name, argument;
            if (SUCCEEDED(model.GetDirective(i, name.put(), argument.put())))
                page.directives.push_back({FromBstr(name.get()), FromBstr(argument.get())});
        }
    }
}

// The stand-in copy that made an object, by its own word; "system" for an object that is no stand-in's.
std::wstring MakerOf(IUnknown& object) {
    ComPtr<IStandInObject> standIn;
    if (FAILED(object.QueryInterface(IID_IStandInObject, standIn.put_void())) || !standIn) {
        standIn.detach();
        return L"system";
    }
    UniqueBstr path;
    standIn->GetModulePath(path.put());
    return std::wstring(FileNameOf(FromBstr(path.get())));
}

} // namespace

HRESULT ReadPage(const PageAddress& address, std::string& bytes) {
    bytes.clear();
    if (address.kind == AddressKind::Blank)
        return S_OK;
    if (address.kind != AddressKind::File)
        return kInetUnknownProtocol;
    const DWORD attributes = ::GetFileAttributesW(address.path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return kInetResourceNotFound;
    UniqueHandle file(::CreateFileW(address.path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return ::GetLastError() == ERROR_FILE_NOT_FOUND ? kInetResourceNotFound : kInetDownloadFailure;
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > kLargestPage)
        return kInetDownloadFailure;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() &&
        !::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
        bytes.clear();
        return kInetDownloadFailure;
    }
    bytes.resize(read);
    return S_OK;
}

std::string ErrorPageBytes(const std::wstring& url, HRESULT status) {
    wchar_t code[16];
    std::swprintf(code, 16, L"0x%08X", static_cast<unsigned>(status));
    return Utf8(
        L"<html><head><title>Cannot open the page</title></head><body><p>The stand-in engine could not "
        L"open " +
        Escaped(url) + L":</p><p>" + Reason(status) + L" (status " + code + L").</p></body></html>");
}

HRESULT OpenBlockingStream(LPCWSTR url, IStream** stream) {
    if (stream == nullptr)
        return E_POINTER;
    *stream = nullptr;
    if (url == nullptr)
        return E_INVALIDARG;
    try {
        const std::wstring record = ThisModuleIdentity().fileName + L" " + url;
        ::SetEnvironmentVariableW(kLastFetchVariable, record.c_str());
        const PageAddress address = ParseAddress(url);
        if (address.kind != AddressKind::File)
            return kInetUnknownProtocol;
        std::string bytes;
        const HRESULT status = ReadPage(address, bytes);
        if (FAILED(status))
            return status;
        ComPtr<IStream> memory;
        HRESULT hr = ::CreateStreamOnHGlobal(nullptr, TRUE, memory.put());
        if (FAILED(hr) || !memory)
            return FAILED(hr) ? hr : E_OUTOFMEMORY;
        ULONG written = 0;
        if (!bytes.empty() &&
            FAILED(hr = memory->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written)))
            return hr;
        LARGE_INTEGER start = {};
        memory->Seek(start, STREAM_SEEK_SET, nullptr);
        *stream = memory.detach();
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

LoadedDocument MakeDocument(const std::wstring& url, const std::string& bytes) {
    LoadedDocument page;
    page.url = url;

    ComPtr<IUnknown> object;
    const HRESULT created = ::CoCreateInstance(kClsidHtmlDocument, nullptr, CLSCTX_INPROC_SERVER,
                                               IID_IUnknown, object.put_void());
    page.origin.createHr = static_cast<std::uint32_t>(created);
    ComPtr<IStandInDocument> model;
    if (FAILED(created) || !object) {
        object.detach(); // a failing server may leave anything there
        page.origin.answeredBy = L"none";
    } else {
        page.origin.answeredBy = MakerOf(*object.get());
        if (FAILED(object.As(model)))
            model.detach();
    }
    if (model) {
        page.origin.module = page.origin.answeredBy;
    } else {
        page.origin.module = ThisModuleIdentity().fileName;
        if (FAILED(CreateStandInDocument(kClsidHtmlDocument, IID_IStandInDocument, model.put_void())))
            model.detach();
    }
    if (!model)
        return page;

    if (SUCCEEDED(model->Load(url.c_str(), reinterpret_cast<const BYTE*>(bytes.data()),
                              static_cast<ULONG>(bytes.size()))))
        ReadModel(*model.get(), page);
    if (FAILED(model.As(page.document)))
        page.document.detach();
    return page;
}

} // namespace movalent::standin
