#pragma once
// Pictures of the program's windows as they are on the screen, saved as PNG files for people to look at, and
// the pixels themselves for tests that check what was drawn.
#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace movalent::test {

struct ScreenImage {
    int left = 0; // where the picture was taken, in screen coordinates
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels; // 0x00RRGGBB, rows from the top

    std::uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // The pixel at a point of the screen; nullopt outside the picture.
    std::optional<std::uint32_t> AtScreen(POINT point) const {
        const int x = point.x - left, y = point.y - top;
        if (x < 0 || y < 0 || x >= width || y >= height)
            return std::nullopt;
        return At(x, y);
    }
};

// Whether this run has a screen to take pictures of: the test command runs the screenshot tests under a
// virtual display and sets MOVALENT_SCREENSHOTS; without it they skip.
bool ScreenshotsAvailable();
// The folder the pictures go to (created on first use): "screenshots" in the build folder.
std::filesystem::path ScreenshotFolder();

// What the screen shows inside rect (screen coordinates), cut to the screen.
std::optional<ScreenImage> CaptureScreen(const RECT& rect);
// The window's rectangle on the screen, after it was brought to the front and every window of the program
// drew.
std::optional<ScreenImage> CaptureWindow(HWND window);
bool SavePng(const ScreenImage& image, const std::filesystem::path& file);

} // namespace movalent::test
