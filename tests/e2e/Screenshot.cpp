#include "Screenshot.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <string>

namespace movalent::test {

namespace {

std::uint32_t Crc32(const unsigned char* data, size_t size, std::uint32_t crc = 0) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void PutBigEndian(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
    PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
    std::string body = std::string(type, 4) + data;
    out += body;
    PutBigEndian(out, Crc32(reinterpret_cast<const unsigned char*>(body.data()), body.size()));
}

// A zlib stream of stored (uncompressed) blocks: larger files, no compressor needed.
std::string StoredZlib(const std::string& raw) {
    std::string out = "\x78\x01";
    std::uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    size_t offset = 0;
    do {
        const size_t length = std::min<size_t>(65535, raw.size() - offset);
        const bool last = offset + length == raw.size();
        out += static_cast<char>(last ? 1 : 0);
        out += static_cast<char>(length & 0xFF);
        out += static_cast<char>(length >> 8);
        out += static_cast<char>(~length & 0xFF);
        out += static_cast<char>((~length >> 8) & 0xFF);
        out.append(raw, offset, length);
        offset += length;
    } while (offset < raw.size());
    PutBigEndian(out, (b << 16) | a);
    return out;
}

} // namespace

bool ScreenshotsAvailable() {
    wchar_t value[8] = {};
    return ::GetEnvironmentVariableW(L"MOVALENT_SCREENSHOTS", value, 8) > 0 && value[0] == L'1';
}

std::filesystem::path ScreenshotFolder() {
    std::filesystem::path folder = std::filesystem::path(MOVALENT_TEST_BIN_DIR).parent_path() / "screenshots";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return folder;
}

// Wine draws other processes' windows straight to the X server, so the picture comes from there:
// ImageMagick's import, started as the Unix program it is, writes the screen's rectangle as a binary PPM
// file.
std::optional<ScreenImage> CaptureScreen(const RECT& wanted) {
    // A maximized window reaches past the screen's edges; import cuts the far ones itself. (The screen's size
    // is not asked of Wine: that call can stall in a test process while another process changes its window.)
    const RECT rect = {std::max<LONG>(wanted.left, 0), std::max<LONG>(wanted.top, 0), wanted.right,
                       wanted.bottom};
    if (rect.right <= rect.left || rect.bottom <= rect.top)
        return std::nullopt;
    const std::string base = "/tmp/movalent-screen-" + std::to_string(::GetCurrentProcessId());
    const std::wstring windowsFile = L"Z:" + std::wstring(base.begin(), base.end()) + L".ppm";
    ::DeleteFileW(windowsFile.c_str());
    // Written under another name and renamed once complete.
    std::string command = "Z:\\bin\\sh -c \"import -silent -window root -depth 8 -crop " +
                          std::to_string(rect.right - rect.left) + "x" +
                          std::to_string(rect.bottom - rect.top) + "+" + std::to_string(rect.left) + "+" +
                          std::to_string(rect.top) + " ppm:" + base + ".part && mv " + base + ".part " +
                          base + ".ppm\"";
    std::wstring wideCommand(command.begin(), command.end());
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(nullptr, wideCommand.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process))
        return std::nullopt;
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    // Wine cannot wait for a Unix process: the picture is there once the file is.
    for (int attempt = 0;
         attempt < 200 && ::GetFileAttributesW(windowsFile.c_str()) == INVALID_FILE_ATTRIBUTES; ++attempt)
        ::Sleep(100);

    std::ifstream in(std::filesystem::path(windowsFile), std::ios::binary);
    std::string magic;
    int width = 0, height = 0, maximum = 0;
    if (!(in >> magic >> width >> height >> maximum) || magic != "P6" || width <= 0 || height <= 0 ||
        maximum != 255)
        return std::nullopt;
    in.get(); // the single blank after the header
    std::string bytes(static_cast<size_t>(width) * height * 3, '\0');
    if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size())))
        return std::nullopt;
    in.close();
    ::DeleteFileW(windowsFile.c_str());
    ScreenImage image;
    image.left = rect.left;
    image.top = rect.top;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < image.pixels.size(); ++i)
        image.pixels[i] = (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i * 3])) << 16) |
                          (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i * 3 + 1])) << 8) |
                          static_cast<unsigned char>(bytes[i * 3 + 2]);
    return image;
}

std::optional<ScreenImage> CaptureWindow(HWND window) {
    ::SetForegroundWindow(window);
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_FRAME | RDW_UPDATENOW);
    // The program's windows draw on their own threads; give them a moment to finish.
    ::Sleep(700);
    RECT rect;
    if (!::GetWindowRect(window, &rect))
        return std::nullopt;
    return CaptureScreen(rect);
}

bool SavePng(const ScreenImage& image, const std::filesystem::path& file) {
    std::string raw;
    raw.reserve(static_cast<size_t>(image.height) * (1 + image.width * 3));
    for (int y = 0; y < image.height; ++y) {
        raw += '\0'; // no filter
        for (int x = 0; x < image.width; ++x) {
            std::uint32_t pixel = image.At(x, y);
            raw += static_cast<char>((pixel >> 16) & 0xFF);
            raw += static_cast<char>((pixel >> 8) & 0xFF);
            raw += static_cast<char>(pixel & 0xFF);
        }
    }
    std::string header;
    PutBigEndian(header, static_cast<std::uint32_t>(image.width));
    PutBigEndian(header, static_cast<std::uint32_t>(image.height));
    header += std::string("\x08\x02\x00\x00\x00", 5); // 8 bits, RGB, deflate, adaptive, no interlace
    std::string png = "\x89PNG\r\n\x1a\n";
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", StoredZlib(raw));
    PutChunk(png, "IEND", "");
    std::ofstream out(file, std::ios::binary);
    out.write(png.data(), static_cast<std::streamsize>(png.size()));
    return static_cast<bool>(out);
}

} // namespace movalent::test
