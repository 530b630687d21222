#pragma once
// A horizontal strip of square images from a 32-bit bitmap resource with alpha, drawn blended over whatever
// is behind them, greyed for disabled commands, or handed out one by one as bitmaps for menu items.
#include "framework/Handles.h"

#include <windows.h>

#include <vector>

namespace movalent {

// One strip's bitmap resources as drawn for 100, 150 and 200 % scaling; 0 where it is not drawn at that size.
struct ScaledImages {
    UINT at100 = 0;
    UINT at150 = 0;
    UINT at200 = 0;
};

class ImageStrip {
public:
    ImageStrip() = default;
    ImageStrip(const ImageStrip&) = delete;
    ImageStrip& operator=(const ImageStrip&) = delete;

    // Loads the bitmap; the image size is the bitmap's height unless given. False when the resource is
    // missing or not a 32-bit bitmap.
    bool Load(UINT resourceId, int imageSize = 0);
    // Loads the drawing of images nearest to dpi (a smaller one where that is missing), whose pictures are
    // designSide pixels at 100 %. False when none loads.
    bool LoadForDpi(const ScaledImages& images, int designSide, int dpi);
    bool Loaded() const { return static_cast<bool>(colour_); }
    int ImageSize() const { return size_; }
    int Count() const { return size_ > 0 ? width_ / size_ : 0; }

    // Draws image index with its top-left corner at (x, y) at its own size: a picture stretched by a fraction
    // blurs, so layouts make room for the size the strip has. Only a picture that must fit a smaller place
    // (the minimized ribbon's application button) is shrunk to side pixels. Nothing for an index outside the
    // strip.
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
