#include "app/CapturePictures.h"

#include <algorithm>
#include <climits>

namespace movalent {

namespace {

constexpr uint32_t kChanged = 0xFFFF0000u;
constexpr uint32_t kColourMask = 0x00FFFFFFu;

// A quarter of the colour over three quarters of white: the page stays recognisable under the red.
uint32_t Faded(uint32_t pixel) {
    uint32_t result = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t channel = (pixel >> shift) & 0xFFu;
        result |= ((channel + 3u * 255u) / 4u) << shift;
    }
    return result;
}

int SideOf(const Picture& picture, bool horizontal) {
    if (picture.Empty())
        return 0;
    return horizontal ? picture.width : picture.height;
}

uint64_t ShrunkSide(int side, int factor) {
    if (side <= 0)
        return 0;
    return (static_cast<uint64_t>(side) + static_cast<uint64_t>(factor) - 1) / static_cast<uint64_t>(factor);
}

struct SheetSize {
    uint64_t width = 0, height = 0;
};

SheetSize MeasureSheet(const std::vector<std::pair<int, int>>& sizes, int headerHeight, int gap, int factor) {
    SheetSize size;
    size.width = static_cast<uint64_t>(gap);
    uint64_t tallest = 0;
    for (const auto& [width, height] : sizes) {
        size.width += ShrunkSide(width, factor) + static_cast<uint64_t>(gap);
        tallest = std::max(tallest, ShrunkSide(height, factor));
    }
    size.height = 2 * static_cast<uint64_t>(gap) + static_cast<uint64_t>(headerHeight) + tallest;
    return size;
}

bool Fits(const SheetSize& size, uint64_t maxPixels) {
    if (size.width > INT_MAX || size.height > INT_MAX)
        return false;
    return maxPixels == 0 || size.width * size.height <= maxPixels;
}

} // namespace

PictureDiff DiffPictures(const Picture& picture, const Picture& baseline) {
    const int pictureWidth = SideOf(picture, true), pictureHeight = SideOf(picture, false);
    const int baselineWidth = SideOf(baseline, true), baselineHeight = SideOf(baseline, false);
    PictureDiff diff;
    diff.picture =
        MakePicture(std::max(pictureWidth, baselineWidth), std::max(pictureHeight, baselineHeight), 0);
    for (int y = 0; y < diff.picture.height; ++y) {
        for (int x = 0; x < diff.picture.width; ++x) {
            const bool inPicture = x < pictureWidth && y < pictureHeight;
            const bool inBaseline = x < baselineWidth && y < baselineHeight;
            const bool same =
                inPicture && inBaseline && ((picture.At(x, y) ^ baseline.At(x, y)) & kColourMask) == 0;
            if (same) {
                diff.picture.At(x, y) = Faded(picture.At(x, y));
            } else {
                diff.picture.At(x, y) = kChanged;
                ++diff.changedPixels;
            }
        }
    }
    if (!diff.picture.pixels.empty())
        diff.changedShare =
            static_cast<double>(diff.changedPixels) / static_cast<double>(diff.picture.pixels.size());
    return diff;
}

Picture ShrinkPicture(const Picture& picture, int factor) {
    if (factor <= 1 || picture.Empty())
        return picture;
    Picture shrunk = MakePicture(static_cast<int>(ShrunkSide(picture.width, factor)),
                                 static_cast<int>(ShrunkSide(picture.height, factor)), 0);
    for (int y = 0; y < shrunk.height; ++y) {
        const int top = y * factor, bottom = std::min(picture.height, top + factor);
        for (int x = 0; x < shrunk.width; ++x) {
            const int left = x * factor, right = std::min(picture.width, left + factor);
            uint64_t sums[4] = {};
            for (int sy = top; sy < bottom; ++sy) {
                for (int sx = left; sx < right; ++sx) {
                    const uint32_t pixel = picture.At(sx, sy);
                    for (int c = 0; c < 4; ++c)
                        sums[c] += (pixel >> (8 * c)) & 0xFFu;
                }
            }
            const uint64_t count = static_cast<uint64_t>(bottom - top) * static_cast<uint64_t>(right - left);
            uint32_t average = 0;
            for (int c = 0; c < 4; ++c)
                average |= static_cast<uint32_t>((sums[c] + count / 2) / count) << (8 * c);
            shrunk.At(x, y) = average;
        }
    }
    return shrunk;
}

SheetLayout LayoutSheet(const std::vector<std::pair<int, int>>& sizes, int headerHeight, int gap,
                        uint64_t maxPixels) {
    SheetLayout layout;
    if (sizes.empty())
        return layout;
    headerHeight = std::max(headerHeight, 0);
    gap = std::max(gap, 0);
    int longest = 1;
    for (const auto& [width, height] : sizes)
        longest = std::max({longest, width, height});
    // The sheet shrinks as the factor grows, so the smallest factor that fits is found by halving; at the
    // longest side every picture is down to one pixel and nothing shrinks any further.
    int low = 1, high = longest;
    if (Fits(MeasureSheet(sizes, headerHeight, gap, high), maxPixels)) {
        while (low < high) {
            const int middle = low + (high - low) / 2;
            if (Fits(MeasureSheet(sizes, headerHeight, gap, middle), maxPixels))
                high = middle;
            else
                low = middle + 1;
        }
    }
    layout.factor = high;
    layout.headerHeight = headerHeight;
    const SheetSize size = MeasureSheet(sizes, headerHeight, gap, layout.factor);
    layout.width = static_cast<int>(std::min<uint64_t>(size.width, INT_MAX));
    layout.height = static_cast<int>(std::min<uint64_t>(size.height, INT_MAX));
    int x = gap;
    for (const auto& [width, height] : sizes) {
        SheetCell cell;
        cell.x = x;
        cell.headerY = gap;
        cell.y = gap + headerHeight;
        cell.width = static_cast<int>(ShrunkSide(width, layout.factor));
        cell.height = static_cast<int>(ShrunkSide(height, layout.factor));
        layout.cells.push_back(cell);
        x += cell.width + gap;
    }
    return layout;
}

Picture ComposeSheet(const std::vector<const Picture*>& pictures, const SheetLayout& layout,
                     uint32_t background) {
    Picture sheet = MakePicture(layout.width, layout.height, background);
    const std::size_t count = std::min(pictures.size(), layout.cells.size());
    for (std::size_t i = 0; i < count; ++i) {
        if (!pictures[i] || pictures[i]->Empty())
            continue;
        Picture shrunk;
        if (layout.factor > 1)
            shrunk = ShrinkPicture(*pictures[i], layout.factor);
        const Picture& source = layout.factor > 1 ? shrunk : *pictures[i];
        const SheetCell& cell = layout.cells[i];
        const int left = std::max(cell.x, 0), top = std::max(cell.y, 0);
        const int right = std::min(cell.x + std::min(cell.width, source.width), sheet.width);
        const int bottom = std::min(cell.y + std::min(cell.height, source.height), sheet.height);
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x)
                sheet.At(x, y) = source.At(x - cell.x, y - cell.y);
        }
    }
    return sheet;
}

} // namespace movalent
