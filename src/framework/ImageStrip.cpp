#include "framework/ImageStrip.h"

#include "framework/DpiScale.h"
#include "framework/Window.h"

#include <cstring>

namespace movalent {

UniqueGdiObject ImageStrip::MakeSection(int width, int height, std::vector<unsigned char>& pixels,
                                        void** bits) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down, like the pixel copy
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* section = nullptr;
    UniqueGdiObject bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &section, nullptr, 0));
    if (bitmap && section && !pixels.empty())
        std::memcpy(section, pixels.data(), pixels.size());
    if (bits)
        *bits = section;
    return bitmap;
}

bool ImageStrip::Load(UINT resourceId, int imageSize) {
    UniqueGdiObject loaded(::LoadImageW(Window::ResourceInstance(), MAKEINTRESOURCEW(resourceId),
                                        IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!loaded)
        return false;
    DIBSECTION dib = {};
    if (::GetObjectW(loaded.get(), sizeof(dib), &dib) != sizeof(dib) || dib.dsBm.bmBitsPixel != 32 ||
        !dib.dsBm.bmBits)
        return false;
    const int width = dib.dsBm.bmWidth, height = dib.dsBm.bmHeight;
    const bool bottomUp = dib.dsBmih.biHeight > 0;
    pixels_.assign(static_cast<size_t>(width) * height * 4, 0);
    std::vector<unsigned char> grey(pixels_.size());
    for (int row = 0; row < height; ++row) {
        const auto* source = static_cast<const unsigned char*>(dib.dsBm.bmBits) +
                             static_cast<size_t>(bottomUp ? height - 1 - row : row) * dib.dsBm.bmWidthBytes;
        unsigned char* target = pixels_.data() + static_cast<size_t>(row) * width * 4;
        unsigned char* faded = grey.data() + static_cast<size_t>(row) * width * 4;
        for (int x = 0; x < width; ++x) {
            const unsigned alpha = source[x * 4 + 3];
            for (int c = 0; c < 3; ++c)
                target[x * 4 + c] = static_cast<unsigned char>(source[x * 4 + c] * alpha / 255);
            target[x * 4 + 3] = static_cast<unsigned char>(alpha);
            // Disabled: the image's lightness in a mid grey, at half strength.
            unsigned light = (source[x * 4] * 11 + source[x * 4 + 1] * 59 + source[x * 4 + 2] * 30) / 100;
            unsigned value = 96 + light * 3 / 8;
            unsigned fadedAlpha = alpha / 2;
            for (int c = 0; c < 3; ++c)
                faded[x * 4 + c] = static_cast<unsigned char>(value * fadedAlpha / 255);
            faded[x * 4 + 3] = static_cast<unsigned char>(fadedAlpha);
        }
    }
    width_ = width;
    size_ = imageSize > 0 ? imageSize : height;
    colour_ = MakeSection(width, height, pixels_, nullptr);
    grey_ = MakeSection(width, height, grey, nullptr);
    return Loaded();
}

bool ImageStrip::LoadForDpi(const ScaledImages& images, int designSide, int dpi) {
    const UINT ids[] = {images.at100, images.at150, images.at200};
    for (int step = ImageStepForDpi(dpi); step >= 0; --step)
        if (ids[step] && Load(ids[step], ImageSideForStep(designSide, step)))
            return true;
    return false;
}

void ImageStrip::Draw(HDC dc, int index, int x, int y, bool enabled, int side) const {
    if (!Loaded() || index < 0 || index >= Count())
        return;
    UniqueMemoryDc memory(::CreateCompatibleDC(dc));
    if (!memory)
        return;
    ScopedSelection strip(memory.get(), (enabled ? colour_ : grey_).get());
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    const int drawn = side > 0 && side < size_ ? side : size_;
    ::GdiAlphaBlend(dc, x, y, drawn, drawn, memory.get(), index * size_, 0, size_, size_, blend);
}

HBITMAP ImageStrip::ExtractBitmap(int index, COLORREF background) const {
    if (!Loaded() || index < 0 || index >= Count())
        return nullptr;
    const unsigned backdrop[3] = {GetBValue(background), GetGValue(background), GetRValue(background)};
    std::vector<unsigned char> image(static_cast<size_t>(size_) * size_ * 4);
    for (int row = 0; row < size_; ++row) {
        const unsigned char* source =
            pixels_.data() + (static_cast<size_t>(row) * width_ + static_cast<size_t>(index) * size_) * 4;
        unsigned char* target = image.data() + static_cast<size_t>(row) * size_ * 4;
        for (int x = 0; x < size_; ++x) {
            const unsigned alpha = source[x * 4 + 3];
            // The colours are premultiplied already.
            for (int c = 0; c < 3; ++c)
                target[x * 4 + c] =
                    static_cast<unsigned char>(source[x * 4 + c] + backdrop[c] * (255 - alpha) / 255);
            target[x * 4 + 3] = 255;
        }
    }
    return static_cast<HBITMAP>(MakeSection(size_, size_, image, nullptr).release());
}

} // namespace movalent
