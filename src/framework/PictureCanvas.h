#pragma once
// A 32-bit DIB section selected into a memory DC, white at first: GDI and engines draw into it, and what they
// drew becomes a Picture.
#include "framework/Handles.h"
#include "framework/Picture.h"

#include <memory>

namespace movalent {

class PictureCanvas {
public:
    PictureCanvas(int width, int height);
    PictureCanvas(const PictureCanvas&) = delete;
    PictureCanvas& operator=(const PictureCanvas&) = delete;

    // False when the bitmap or the DC could not be made (out of memory, a size of nothing).
    bool Valid() const { return bits_ != nullptr && dc_; }
    HDC Dc() const { return dc_.get(); }
    // What was drawn so far, opaque: GDI leaves the alpha byte as it found it.
    Picture Drawn() const;

private:
    int width_, height_;
    uint32_t* bits_ = nullptr;
    UniqueGdiObject bitmap_;
    UniqueMemoryDc dc_;
    std::unique_ptr<ScopedSelection>
        selection_; // goes first, so the bitmap leaves the DC before either is freed
};

} // namespace movalent
