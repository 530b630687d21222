#pragma once
// A horizontal strip of square images from a 32-bit bitmap resource with alpha, drawn blended over whatever
// is behind them, greyed for disabled commands, or handed out one by one as bitmaps for menu items.
#include "framework/Handles.h"

#include <windows.h>

#include <vector>

namespace movalent {

class ImageStrip {
public:
    ImageStrip() = default;
    ImageStrip(const ImageStrip&) = delete;
    ImageStrip& operator=(const ImageStrip&) = delete;

    // Loads the bitmap; the image size is the bitmap's height unless given. False when the resource is
    // missing or not a 32-bit bitmap.
    bool Load(UINT resourceId, int imageSize = 0);
    bool Loaded() const { return static_cast<bool>(colour_); }
    int ImageSize() const { return size_; }
    int Count() const { return size_ > 0 ? width_ / size_ : 0; }

    // Draws image index with its top-left corner at (x, y), scaled to side pixels (0: its own size). Nothing
    // for an index outside the strip.
    void Draw(HDC dc, int index, int x, int y, bool enabled, int side = 0) const;
    // A new opaque bitmap holding one image drawn over background, for a menu item (menus do not blend every
    // bitmap they are given); null outside the strip.
    HBITMAP ExtractBitmap(int index, COLORREF background) const;

private:
    static UniqueGdiObject MakeSection(int width, int height, std::vector<unsigned char>& pixels,
                                       void** bits);

    UniqueGdiObject colour_; // premultiplied
    UniqueGdiObject grey_;   // premultiplied, faded grey for disabled commands
    std::vector<unsigned char> pixels_;
    int width_ = 0;
    int size_ = 0;
};

} // namespace movalent
