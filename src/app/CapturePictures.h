#pragma once

#include "framework/Picture.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace movalent {

struct PictureDiff {
    Picture picture;
    uint64_t changedPixels = 0;
    double changedShare = 0; // changedPixels over the compared area, 0 when both pictures are empty
};

// Compares over the larger width and height of the two; a pixel that only one picture has counts as changed.
// The picture is the compared one faded toward white (a quarter of its colour) with changed pixels pure red
// (0xFFFF0000); alpha is ignored in the comparison and every pixel of the result is opaque.
PictureDiff DiffPictures(const Picture& picture, const Picture& baseline);

// Shrinks by a whole factor, each pixel the average of its factor x factor box (a partial box at the right or
// bottom edge averages what it has, so the size is rounded up); a factor below 1 counts as 1, which returns a
// copy.
Picture ShrinkPicture(const Picture& picture, int factor);

// Picture at (x, y); header band from headerY down to y, same x and width.
struct SheetCell {
    int x = 0, y = 0;
    int width = 0, height = 0;
    int headerY = 0;
};

struct SheetLayout {
    int width = 0, height = 0;
    int headerHeight = 0;
    int factor = 1;
    std::vector<SheetCell> cells;
};

// Pictures side by side, left to right, a gap between and around them, each under a header band of
// headerHeight; when the sheet would exceed maxPixels (width * height) the pictures are shrunk by the
// smallest whole factor that fits (0: no limit). Headers and gaps keep their size; when even one-pixel
// pictures would not fit, the pictures are shrunk as far as they go. No sizes: an empty sheet.
SheetLayout LayoutSheet(const std::vector<std::pair<int, int>>& sizes, int headerHeight, int gap,
                        uint64_t maxPixels);

// The pictures (shrunk by layout.factor) placed on a background, one per cell in order; the header bands are
// left as background for the caller to label. A null picture (a version that failed) leaves its cell as
// background.
Picture ComposeSheet(const std::vector<const Picture*>& pictures, const SheetLayout& layout,
                     uint32_t background);

} // namespace movalent
