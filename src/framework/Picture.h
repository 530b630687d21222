#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace movalent {

// A 32-bit picture, top row first; each pixel 0xAARRGGBB, which in memory is B, G, R, A: the layout of a
// 32-bit DIB and of WIC's 32bppBGRA, so pixels move to and from either without conversion.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // width * height

    // Nothing to show: no area, or a pixel count that does not match the size (which no one may index).
    bool Empty() const {
        return width <= 0 || height <= 0 ||
               pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    }
    uint32_t At(int x, int y) const { return pixels[Index(x, y)]; }
    uint32_t& At(int x, int y) { return pixels[Index(x, y)]; }

private:
    std::size_t Index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
    }
};

// A picture of the given size in one colour; negative sizes count as zero.
inline Picture MakePicture(int width, int height, uint32_t colour) {
    Picture picture;
    picture.width = width > 0 ? width : 0;
    picture.height = height > 0 ? height : 0;
    picture.pixels.assign(static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height),
                          colour);
    return picture;
}

} // namespace movalent
