#include "devtools/SourceFetch.h"

#include "devtools/SourceText.h"
#include "framework/Handles.h"

#include <algorithm>
#include <climits>
#include <cwchar>
#include <cwctype>
#include <memory>
#include <new>

namespace movalent::devtools {

namespace {

// URLOpenBlockingStreamW; the status callback (IBindStatusCallback*) is never passed.
using OpenBlockingStreamFunction = HRESULT(WINAPI*)(IUnknown* caller, const wchar_t* url, IStream** stream,
                                                    DWORD reserved, void* callback);

struct LocalMemoryDeleter {
    void operator()(void* memory) const { ::LocalFree(memory); }
};

// The calling thread in a COM apartment while the object lives; one it already has is kept as it is.
class ComApartment {
public:
    ComApartment() : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(result_))
            ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT result_;
};

void SetError(std::wstring* error, std::wstring text) {
    if (error)
        *error = std::move(text);
}

// The failure's message (from module's table first, then the system's) with its code, without the final
// full stop: "The system cannot find the file specified (0x80070002)".
std::wstring FailureText(HRESULT result, HMODULE module) {
    wchar_t* buffer = nullptr;
    DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    if (module)
        flags |= FORMAT_MESSAGE_FROM_HMODULE;
    DWORD length = ::FormatMessageW(flags, module, static_cast<DWORD>(result), 0,
                                    reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::unique_ptr<wchar_t, LocalMemoryDeleter> owned(buffer);
    std::wstring text = length > 0 && buffer ? std::wstring(buffer, length) : std::wstring();
    while (!text.empty() && (std::iswspace(text.back()) || text.back() == L'.'))
        text.pop_back();
    wchar_t code[16] = {};
    std::swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(result));
    return text.empty() ? std::wstring(code) : text + L" (" + code + L")";
}

std::wstring SizeText(std::size_t bytes) {
    constexpr std::size_t kMegabyte = 1024 * 1024;
    if (bytes >= kMegabyte && bytes % kMegabyte == 0)
        return std::to_wstring(bytes / kMegabyte) + L" MB";
    return std::to_wstring(bytes) + L" bytes";
}

} // namespace

std::optional<std::string> ReadWholeStream(IStream* stream, std::size_t limit, std::wstring* error,
                                           HMODULE messageModule) {
    if (!stream) {
        SetError(error, L"There is no data to read.");
        return std::nullopt;
    }
    constexpr std::size_t kChunk = 64 * 1024;
    try {
        std::string bytes;
        for (;;) {
            // One byte past the limit at most: enough to tell that there is more.
            std::size_t room = limit - bytes.size();
            ULONG wanted = static_cast<ULONG>(room >= kChunk ? kChunk : room + 1);
            std::size_t had = bytes.size();
            bytes.resize(had + wanted);
            ULONG read = 0;
            HRESULT result = stream->Read(bytes.data() + had, wanted, &read);
            bytes.resize(had + std::min(read, wanted));
            if (FAILED(result)) {
                SetError(error, L"Reading the data failed: " + FailureText(result, messageModule) + L".");
                return std::nullopt;
            }
            if (bytes.size() > limit) {
                SetError(error, L"The data are larger than " + SizeText(limit) + L".");
                return std::nullopt;
            }
            if (result == S_FALSE || read == 0)
                return bytes;
        }
    } catch (const std::bad_alloc&) {
        SetError(error, L"There is not enough memory for the data.");
        return std::nullopt;
    }
}

std::optional<std::string> FetchSource(HMODULE urlmon, const std::wstring& url, std::wstring* error) {
    try {
        const std::wstring failed = L"The source of " + url + L" could not be fetched";
        if (!urlmon) {
            SetError(error, failed + L": the page's engine has no network module (urlmon) loaded.");
            return std::nullopt;
        }
        auto open = reinterpret_cast<OpenBlockingStreamFunction>(
            reinterpret_cast<void*>(::GetProcAddress(urlmon, "URLOpenBlockingStreamW")));
        if (!open) {
            SetError(error,
                     failed + L": the engine's network module has no URLOpenBlockingStreamW function.");
            return std::nullopt;
        }
        if (url.empty()) {
            SetError(error, L"The page has no address to fetch its source from.");
            return std::nullopt;
        }
        ComApartment apartment; // outlives the stream
        ComPtr<IStream> stream;
        HRESULT result = open(nullptr, url.c_str(), stream.put(), 0, nullptr);
        if (FAILED(result) || !stream) {
            SetError(error, failed + L": " +
                                (FAILED(result) ? FailureText(result, urlmon) : L"no data came") + L".");
            return std::nullopt;
        }
        std::wstring readError;
        auto bytes = ReadWholeStream(stream.get(), kMaxSourceBytes, &readError, urlmon);
        if (!bytes)
            SetError(error, failed + L". " + readError);
        return bytes;
    } catch (const std::bad_alloc&) {
        SetError(error, L"There is not enough memory for the page's source.");
        return std::nullopt;
    }
}

std::wstring DecodeSource(const std::string& bytes) {
    return DecodeSourceText(bytes, [](std::string_view ansi) {
        std::wstring text;
        if (ansi.empty())
            return text;
        int size = static_cast<int>(std::min<std::size_t>(ansi.size(), INT_MAX));
        int length = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, nullptr, 0);
        if (length > 0) {
            text.resize(static_cast<std::size_t>(length));
            length = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, text.data(), length);
        }
        if (length > 0) {
            text.resize(static_cast<std::size_t>(length));
        } else { // no conversion: each byte as the character of its number
            text.clear();
            for (char byte : ansi)
                text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(byte)));
        }
        return text;
    });
}

} // namespace movalent::devtools
