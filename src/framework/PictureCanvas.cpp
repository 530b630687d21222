#include "framework/PictureCanvas.h"

#include <cstring>

namespace movalent {

PictureCanvas::PictureCanvas(int width, int height) : width_(width), height_(height) {
    if (width <= 0 || height <= 0)
        return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top row first, as in a Picture
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    dc_.reset(::CreateCompatibleDC(nullptr));
    if (!bitmap_ || !bits || !dc_)
        return;
    bits_ = static_cast<uint32_t*>(bits);
    selection_ = std::make_unique<ScopedSelection>(dc_.get(), bitmap_.get());
    RECT all{0, 0, width, height};
    ::FillRect(dc_.get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
}

Picture PictureCanvas::Drawn() const {
    Picture picture;
    if (!Valid())
        return picture;
    ::GdiFlush();
    picture.width = width_;
    picture.height = height_;
    picture.pixels.resize(static_cast<size_t>(width_) * static_cast<size_t>(height_));
    std::memcpy(picture.pixels.data(), bits_, picture.pixels.size() * sizeof(uint32_t));
    for (uint32_t& pixel : picture.pixels)
        pixel |= 0xFF000000u;
    return picture;
}

} // namespace movalent
