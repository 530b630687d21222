#pragma once
// A bitmap compatible with a target DC, selected into a memory DC of its own: a window paints into it and
// copies the result to the screen in one go, so it never flickers while parts are drawn over each other.
#include "framework/Handles.h"

#include <algorithm>
#include <memory>

namespace movalent {

class OffscreenBuffer {
public:
    OffscreenBuffer(HDC target, int width, int height)
        : dc_(::CreateCompatibleDC(target)),
          bitmap_(::CreateCompatibleBitmap(target, std::max(width, 1), std::max(height, 1))) {
        if (dc_ && bitmap_)
            selection_ = std::make_unique<ScopedSelection>(dc_.get(), bitmap_.get());
    }

    // Null when the buffer could not be made; a caller then paints nothing.
    HDC Dc() const { return selection_ ? dc_.get() : nullptr; }

private:
    UniqueMemoryDc dc_;
    UniqueGdiObject bitmap_;
    std::unique_ptr<ScopedSelection>
        selection_; // goes first, so the bitmap leaves the DC before either is freed
};

} // namespace movalent
