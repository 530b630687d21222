// Pictures written as PNG files and read back through the system's imaging component.
#include "framework/PngFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace movalent {
namespace {

Picture Pattern(int width, int height, uint32_t alphaMask) {
    Picture picture = MakePicture(width, height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.At(x, y) = (static_cast<uint32_t>(x * 37 + y * 91) << 24 |
                                static_cast<uint32_t>(y * 0x10203 + x * 0x30201)) |
                               alphaMask;
    return picture;
}

class PngFile : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        dir_ = std::filesystem::path(temp) / L"movalent-png-test \u00e9";
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
        ::CoUninitialize();
    }
    std::wstring File(const wchar_t* name) const { return (dir_ / name).wstring(); }

    std::filesystem::path dir_;
};

TEST_F(PngFile, WritesAndReadsBackEveryPixel) {
    // Alpha that varies is kept; alpha the same everywhere is an opaque picture, even when GDI left it at 0.
    for (uint32_t alphaMask : {0u, 0xFF000000u}) {
        const std::wstring path = File(L"picture.png");
        const Picture picture = Pattern(7, 5, alphaMask);
        std::wstring error;
        ASSERT_TRUE(WritePng(path, picture, &error)) << error;
        const std::optional<Picture> read = ReadPng(path);
        ASSERT_TRUE(read);
        EXPECT_EQ(7, read->width);
        EXPECT_EQ(5, read->height);
        EXPECT_EQ(picture.pixels, read->pixels);
    }
    Picture gdi = Pattern(3, 2, 0);
    for (uint32_t& pixel : gdi.pixels)
        pixel &= 0x00FFFFFFu;
    ASSERT_TRUE(WritePng(File(L"picture.png"), gdi, nullptr)) << "over the file written before";
    const std::optional<Picture> read = ReadPng(File(L"picture.png"));
    ASSERT_TRUE(read);
    for (uint32_t& pixel : gdi.pixels)
        pixel |= 0xFF000000u;
    EXPECT_EQ(gdi.pixels, read->pixels);
}

TEST_F(PngFile, FailuresSayWhereAndLeaveNothing) {
    const std::wstring path = File(L"missing folder\\picture.png");
    std::wstring error;
    EXPECT_FALSE(WritePng(path, Pattern(4, 4, 0xFF000000u), &error));
    EXPECT_NE(std::wstring::npos, error.find(path)) << error;
    EXPECT_NE(std::wstring::npos, error.find(L"0x8007")) << error;
    EXPECT_FALSE(WritePng(File(L"empty.png"), Picture{}, &error));
    EXPECT_FALSE(std::filesystem::exists(File(L"empty.png")));

    EXPECT_FALSE(ReadPng(path));
    std::ofstream(dir_ / L"text.png") << "not a picture";
    EXPECT_FALSE(ReadPng(File(L"text.png")));
}

} // namespace
} // namespace movalent
