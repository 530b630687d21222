#include "app/CaptureReport.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace movalent {

namespace {

void AppendUtf8(std::string& out, uint32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

bool IsHighSurrogate(uint32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(uint32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

std::string Quoted(const std::wstring& text) {
    return "\"" + JsonEscape(text) + "\"";
}

std::string QuotedToken(IEVERSION version) {
    return Quoted(VersionToken(version));
}

// The digits of a rounded fixed-point value, without trailing zeros after the point: 250000 at 6 places is
// "0.25". Built by hand so the program's locale never turns the point into a comma.
std::string FixedPoint(long long scaled, int places, bool trimZeros) {
    std::string text = scaled < 0 ? "-" : "";
    const unsigned long long magnitude =
        scaled < 0 ? 0ULL - static_cast<unsigned long long>(scaled) : static_cast<unsigned long long>(scaled);
    unsigned long long unit = 1;
    for (int i = 0; i < places; ++i)
        unit *= 10;
    text += std::to_string(magnitude / unit);
    std::string fraction = std::to_string(magnitude % unit);
    fraction.insert(0, static_cast<std::size_t>(places) - fraction.size(), '0');
    while (trimZeros && !fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    return fraction.empty() ? text : text + "." + fraction;
}

std::string ShareNumber(const std::optional<double>& share) {
    if (!share || !std::isfinite(*share))
        return "null";
    return FixedPoint(std::llround(*share * 1e6), 6, true);
}

std::wstring Widen(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

} // namespace

std::string JsonEscape(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        uint32_t c = static_cast<uint32_t>(text[i]);
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(static_cast<uint32_t>(text[i + 1]))) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<uint32_t>(text[++i]) - 0xDC00);
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c) || c > 0x10FFFF) {
            c = 0xFFFD;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            static const char kHex[] = "0123456789abcdef";
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        } else {
            AppendUtf8(out, c);
        }
    }
    return out;
}

std::string CaptureReportJson(const CaptureOptions& options, const std::vector<CaptureResult>& results) {
    std::string json = "{\n";
    json += "  \"address\": " + Quoted(options.address) + ",\n";
    json += "  \"width\": " + std::to_string(options.width) + ",\n";
    json += "  \"height\": " + std::to_string(options.height) + ",\n";
    json += std::string("  \"full\": ") + (options.full ? "true" : "false") + ",\n";
    json += "  \"baseline\": " + QuotedToken(options.baseline) + ",\n";
    json += "  \"versions\": [";
    for (std::size_t i = 0; i < results.size(); ++i) {
        const CaptureResult& result = results[i];
        json += i == 0 ? "\n" : ",\n";
        json += "    {\n";
        json += "      \"version\": " + QuotedToken(result.version) + ",\n";
        json += "      \"engine\": " + Quoted(result.engineName) + ",\n";
        json += "      \"file\": " + Quoted(result.file) + ",\n";
        json += "      \"fileVersion\": " + Quoted(result.fileVersion) + ",\n";
        json += "      \"picture\": " + Quoted(result.picture) + ",\n";
        json += "      \"width\": " + std::to_string(result.width) + ",\n";
        json += "      \"height\": " + std::to_string(result.height) + ",\n";
        json += "      \"completeMs\": " + std::to_string(result.completeMs) + ",\n";
        json += "      \"changedShare\": " + ShareNumber(result.changedShare) + ",\n";
        json +=
            "      \"error\": " + (result.error.empty() ? std::string("null") : Quoted(result.error)) + "\n";
        json += "    }";
    }
    json += results.empty() ? "]\n" : "\n  ]\n";
    json += "}\n";
    return json;
}

std::wstring CaptureSummary(const CaptureOptions& options, const std::vector<CaptureResult>& results) {
    std::wstring summary;
    std::size_t captured = 0;
    for (const CaptureResult& result : results) {
        std::wstring line = VersionToken(result.version);
        line.resize(std::max<std::size_t>(line.size() + 1, 9), L' ');
        if (!result.error.empty()) {
            line += L"failed: " + result.error;
        } else {
            ++captured;
            line += result.completeMs >= 0 ? std::to_wstring(result.completeMs) + L" ms"
                                           : std::wstring(L"never completed");
            if (result.version == options.baseline)
                line += L", baseline";
            else if (result.changedShare && std::isfinite(*result.changedShare))
                line += L", " + Widen(FixedPoint(std::llround(*result.changedShare * 1000), 1, false)) +
                        L"% changed";
        }
        summary += line + L"\r\n";
    }
    summary +=
        std::to_wstring(captured) + L" of " + std::to_wstring(results.size()) + L" versions captured\r\n";
    return summary;
}

} // namespace movalent
