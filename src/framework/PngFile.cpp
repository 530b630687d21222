#include "framework/PngFile.h"

#include "framework/Handles.h"

#include <wincodec.h>

#include <climits>
#include <cstdint>
#include <cwchar>
#include <memory>
#include <vector>

namespace movalent {

namespace {

struct LocalMemoryDeleter {
    void operator()(void* memory) const { ::LocalFree(memory); }
};

// "Access is denied (0x80070005)"; the code alone where the system has no text for it (most imaging codes).
std::wstring FailureText(HRESULT result) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(result), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::unique_ptr<wchar_t, LocalMemoryDeleter> owned(buffer);
    std::wstring text = length > 0 && buffer ? std::wstring(buffer, length) : std::wstring();
    while (!text.empty() &&
           (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' || text.back() == L'.'))
        text.pop_back();
    wchar_t code[16] = {};
    std::swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(result));
    return text.empty() ? std::wstring(code) : text + L" (" + code + L")";
}

void SetError(std::wstring* error, const std::wstring& path, const wchar_t* step, HRESULT result) {
    if (error)
        *error = L"Cannot write the picture \"" + path + L"\": " + step + L" failed: " + FailureText(result) +
                 L".";
}

ComPtr<IWICImagingFactory> CreateFactory(HRESULT& result) {
    ComPtr<IWICImagingFactory> factory;
    result = ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                __uuidof(IWICImagingFactory), factory.put_void());
    return factory;
}

// Alpha 0xFF everywhere says nothing, and 0 everywhere is what GDI leaves behind: both are opaque pictures.
bool AlphaIsMeaningless(const Picture& picture) {
    const uint32_t first = picture.pixels.front() >> 24;
    if (first != 0 && first != 0xFF)
        return false;
    for (uint32_t pixel : picture.pixels) {
        if (pixel >> 24 != first)
            return false;
    }
    return true;
}

// The picture's rows in the format the frame takes: its own memory for 32bppBGRA, B, G, R triples for 24bpp.
struct PixelRows {
    WICPixelFormatGUID format;
    UINT stride = 0;
    UINT size = 0;
    std::vector<BYTE> converted;
    // WIC takes the rows through non-const pointers but only reads them.
    BYTE* data = nullptr;
};

PixelRows RowsOf(const Picture& picture) {
    PixelRows rows;
    if (!AlphaIsMeaningless(picture)) {
        rows.format = GUID_WICPixelFormat32bppBGRA;
        rows.stride = static_cast<UINT>(picture.width) * 4;
        rows.data = reinterpret_cast<BYTE*>(const_cast<uint32_t*>(picture.pixels.data()));
    } else {
        rows.format = GUID_WICPixelFormat24bppBGR;
        rows.stride = static_cast<UINT>(picture.width) * 3;
        rows.converted.reserve(picture.pixels.size() * 3);
        for (uint32_t pixel : picture.pixels) {
            rows.converted.push_back(static_cast<BYTE>(pixel));
            rows.converted.push_back(static_cast<BYTE>(pixel >> 8));
            rows.converted.push_back(static_cast<BYTE>(pixel >> 16));
        }
        rows.data = rows.converted.data();
    }
    rows.size = rows.stride * static_cast<UINT>(picture.height);
    return rows;
}

// Encodes into a stream already open on the file; the step that failed in step.
HRESULT Encode(IWICImagingFactory* factory, IStream* stream, const Picture& picture, const wchar_t*& step) {
    step = L"starting the PNG encoder";
    ComPtr<IWICBitmapEncoder> encoder;
    HRESULT hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put());
    if (SUCCEEDED(hr))
        hr = encoder->Initialize(stream, WICBitmapEncoderNoCache);
    ComPtr<IWICBitmapFrameEncode> frame;
    ComPtr<IPropertyBag2> properties;
    if (SUCCEEDED(hr))
        hr = encoder->CreateNewFrame(frame.put(), properties.put());
    if (SUCCEEDED(hr))
        hr = frame->Initialize(properties.get());
    if (SUCCEEDED(hr))
        hr = frame->SetSize(static_cast<UINT>(picture.width), static_cast<UINT>(picture.height));
    if (FAILED(hr))
        return hr;
    PixelRows rows = RowsOf(picture);
    WICPixelFormatGUID format = rows.format;
    hr = frame->SetPixelFormat(&format);
    if (FAILED(hr))
        return hr;
    step = L"encoding the pixels";
    if (IsEqualGUID(format, rows.format)) {
        hr = frame->WritePixels(static_cast<UINT>(picture.height), rows.stride, rows.size, rows.data);
    } else {
        // An encoder that offers another format gets the rows converted to it.
        ComPtr<IWICBitmap> bitmap;
        ComPtr<IWICBitmapSource> converted;
        hr = factory->CreateBitmapFromMemory(static_cast<UINT>(picture.width),
                                             static_cast<UINT>(picture.height), rows.format, rows.stride,
                                             rows.size, rows.data, bitmap.put());
        if (SUCCEEDED(hr))
            hr = ::WICConvertBitmapSource(format, bitmap.get(), converted.put());
        if (SUCCEEDED(hr))
            hr = frame->WriteSource(converted.get(), nullptr);
    }
    step = L"finishing the file";
    if (SUCCEEDED(hr))
        hr = frame->Commit();
    if (SUCCEEDED(hr))
        hr = encoder->Commit();
    return hr;
}

} // namespace

bool WritePng(const std::wstring& path, const Picture& picture, std::wstring* error) {
    if (picture.Empty()) {
        if (error)
            *error = L"Cannot write the picture \"" + path + L"\": it has no pixels.";
        return false;
    }
    if (static_cast<uint64_t>(picture.width) * static_cast<uint64_t>(picture.height) * 4 > UINT_MAX) {
        if (error)
            *error = L"Cannot write the picture \"" + path + L"\": at " + std::to_wstring(picture.width) +
                     L"x" + std::to_wstring(picture.height) + L" pixels it is too large.";
        return false;
    }
    HRESULT hr = S_OK;
    ComPtr<IWICImagingFactory> factory = CreateFactory(hr);
    if (FAILED(hr)) {
        SetError(error, path, L"starting the imaging component", hr);
        return false;
    }
    const wchar_t* step = L"creating the file";
    {
        ComPtr<IWICStream> stream;
        hr = factory->CreateStream(stream.put());
        if (SUCCEEDED(hr))
            hr = stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE);
        if (FAILED(hr)) {
            SetError(error, path, step, hr);
            return false;
        }
        hr = Encode(factory.get(), stream.get(), picture, step);
    } // the file closes with the stream
    if (FAILED(hr)) {
        // A half-written PNG would pass for a picture of the page.
        ::DeleteFileW(path.c_str());
        SetError(error, path, step, hr);
        return false;
    }
    return true;
}

std::optional<Picture> ReadPng(const std::wstring& path) {
    HRESULT hr = S_OK;
    ComPtr<IWICImagingFactory> factory = CreateFactory(hr);
    ComPtr<IWICBitmapDecoder> decoder;
    if (SUCCEEDED(hr))
        hr = factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                WICDecodeMetadataCacheOnDemand, decoder.put());
    GUID container = {};
    if (SUCCEEDED(hr))
        hr = decoder->GetContainerFormat(&container);
    if (FAILED(hr) || !IsEqualGUID(container, GUID_ContainerFormatPng))
        return std::nullopt;
    ComPtr<IWICBitmapFrameDecode> frame;
    UINT width = 0, height = 0;
    hr = decoder->GetFrame(0, frame.put());
    if (SUCCEEDED(hr))
        hr = frame->GetSize(&width, &height);
    if (FAILED(hr) || width == 0 || height == 0 || width > INT_MAX || height > INT_MAX ||
        static_cast<uint64_t>(width) * height * 4 > UINT_MAX)
        return std::nullopt;
    ComPtr<IWICBitmapSource> converted;
    if (FAILED(::WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame.get(), converted.put())))
        return std::nullopt;
    Picture picture = MakePicture(static_cast<int>(width), static_cast<int>(height), 0);
    if (FAILED(converted->CopyPixels(nullptr, width * 4, width * height * 4,
                                     reinterpret_cast<BYTE*>(picture.pixels.data()))))
        return std::nullopt;
    return picture;
}

} // namespace movalent
