#include "app/CapturePictures.h"

#include <gtest/gtest.h>

namespace movalent {
namespace {

constexpr uint32_t kRed = 0xFFFF0000u;

// Every pixel different, alpha opaque.
Picture Pattern(int width, int height) {
    Picture picture = MakePicture(width, height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.At(x, y) = 0xFF000000u | static_cast<uint32_t>(y * 0x10000 + x * 0x100 + 0x20);
    return picture;
}

uint64_t RedPixels(const Picture& picture) {
    uint64_t count = 0;
    for (uint32_t pixel : picture.pixels)
        count += pixel == kRed;
    return count;
}

TEST(CaptureDiff, IdenticalPicturesFadeWithoutRed) {
    const Picture picture = Pattern(4, 3);
    const PictureDiff diff = DiffPictures(picture, picture);
    EXPECT_EQ(0u, diff.changedPixels);
    EXPECT_EQ(0.0, diff.changedShare);
    EXPECT_EQ(4, diff.picture.width);
    EXPECT_EQ(3, diff.picture.height);
    EXPECT_EQ(0u, RedPixels(diff.picture));
    // A quarter of the colour over white: black becomes 0xBF, and the result is opaque.
    EXPECT_EQ(0xFFBFBFC7u,
              DiffPictures(MakePicture(1, 1, 0x00000020u), MakePicture(1, 1, 0xFF000020u)).picture.At(0, 0));
}

TEST(CaptureDiff, OneChangedPixelButNotAlpha) {
    const Picture picture = Pattern(4, 3);
    Picture baseline = picture;
    for (uint32_t& pixel : baseline.pixels)
        pixel &= 0x00FFFFFFu;
    EXPECT_EQ(0u, DiffPictures(picture, baseline).changedPixels);
    baseline.At(2, 1) ^= 0x000001u;
    const PictureDiff diff = DiffPictures(picture, baseline);
    EXPECT_EQ(1u, diff.changedPixels);
    EXPECT_DOUBLE_EQ(1.0 / 12, diff.changedShare);
    EXPECT_EQ(kRed, diff.picture.At(2, 1));
    EXPECT_EQ(1u, RedPixels(diff.picture));
}

TEST(CaptureDiff, PixelsOnlyOnePictureHasAreChanged) {
    const Picture wide = Pattern(4, 3), tall = Pattern(2, 5);
    for (const PictureDiff& diff : {DiffPictures(wide, tall), DiffPictures(tall, wide)}) {
        EXPECT_EQ(4, diff.picture.width);
        EXPECT_EQ(5, diff.picture.height);
        EXPECT_EQ(20u - 6u, diff.changedPixels); // the 2x3 both have is the same
        EXPECT_EQ(kRed, diff.picture.At(3, 4));  // in neither
        EXPECT_NE(kRed, diff.picture.At(1, 2));
    }
    EXPECT_EQ(1.0, DiffPictures(Picture{}, Pattern(2, 2)).changedShare);
    EXPECT_EQ(0.0, DiffPictures(Picture{}, Picture{}).changedShare);
}

TEST(CaptureSheet, ShrinkAveragesWholeAndEdgeBoxes) {
    Picture picture = MakePicture(5, 3, 0);
    picture.At(0, 0) = 0x04080C10u;
    picture.At(4, 0) = 0xFF0000FFu;
    picture.At(4, 1) = 0x01000001u;
    const Picture shrunk = ShrinkPicture(picture, 2);
    ASSERT_EQ(3, shrunk.width);
    ASSERT_EQ(2, shrunk.height);
    EXPECT_EQ(0x01020304u, shrunk.At(0, 0));
    EXPECT_EQ(0x80000080u, shrunk.At(2, 0)); // a box of two pixels at the right edge
    EXPECT_EQ(0u, shrunk.At(2, 1));
    EXPECT_EQ(picture.pixels, ShrinkPicture(picture, 1).pixels);
}

TEST(CaptureSheet, LayoutTakesTheSmallestFactorThatFits) {
    const std::vector<std::pair<int, int>> sizes = {{100, 50}, {60, 80}};
    // Factor 1: (4 + 100 + 4 + 60 + 4) x (4 + 10 + 80 + 4); factor 2: 92 x 58.
    const struct {
        uint64_t maxPixels;
        int factor;
    } cases[] = {{0, 1}, {172 * 98, 1}, {172 * 98 - 1, 2}, {92 * 58, 2}, {92 * 58 - 1, 3}, {1, 100}};
    for (const auto& c : cases)
        EXPECT_EQ(c.factor, LayoutSheet(sizes, 10, 4, c.maxPixels).factor) << c.maxPixels;

    const SheetLayout layout = LayoutSheet(sizes, 10, 4, 92 * 58);
    EXPECT_EQ((std::vector<int>{92, 58, 10}),
              (std::vector<int>{layout.width, layout.height, layout.headerHeight}));
    std::vector<std::vector<int>> cells;
    for (const SheetCell& c : layout.cells)
        cells.push_back({c.x, c.headerY, c.y, c.width, c.height});
    EXPECT_EQ((std::vector<std::vector<int>>{{4, 4, 14, 50, 25}, {58, 4, 14, 30, 40}}), cells);
    EXPECT_TRUE(LayoutSheet({}, 10, 4, 0).cells.empty());
}

TEST(CaptureSheet, ComposePlacesShrunkPicturesAndLeavesTheRestBackground) {
    constexpr uint32_t kBackground = 0xFF123456u;
    const Picture solid = MakePicture(8, 6, 0xFF00FF00u);
    const SheetLayout layout = LayoutSheet({{8, 6}, {8, 6}}, 3, 2, 20 * 12);
    ASSERT_EQ(2, layout.factor);
    const Picture sheet = ComposeSheet({&solid, nullptr}, layout, kBackground);
    ASSERT_EQ(layout.width, sheet.width);
    ASSERT_EQ(layout.height, sheet.height);
    const SheetCell& first = layout.cells[0];
    const SheetCell& missing = layout.cells[1];
    EXPECT_EQ(0xFF00FF00u, sheet.At(first.x, first.y));
    EXPECT_EQ(0xFF00FF00u, sheet.At(first.x + first.width - 1, first.y + first.height - 1));
    EXPECT_EQ(kBackground, sheet.At(first.x, first.headerY));
    EXPECT_EQ(kBackground, sheet.At(first.x + first.width, first.y));
    EXPECT_EQ(kBackground, sheet.At(missing.x, missing.y));
}

} // namespace
} // namespace movalent
