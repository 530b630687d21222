#include "standin/engine/ProbeReport.h"

#include <cwchar>

namespace movalent::standin {

void ProbeReport::Add(std::wstring_view key, std::wstring_view value) {
    text_.append(key);
    text_ += L'=';
    for (wchar_t c : value)
        text_ += c == L'\r' || c == L'\n' ? L' ' : c;
    text_ += L'\n';
}

void ProbeReport::AddHex(std::wstring_view key, std::uint32_t value) {
    wchar_t buffer[16];
    std::swprintf(buffer, sizeof buffer / sizeof buffer[0], L"0x%08X", static_cast<unsigned>(value));
    Add(key, buffer);
}

void ProbeReport::AddDecimal(std::wstring_view key, long long value) {
    Add(key, std::to_wstring(value));
}

void ProbeReport::AddNested(std::wstring_view prefix, std::wstring_view report) {
    while (!report.empty()) {
        const size_t end = report.find(L'\n');
        const std::wstring_view line = report.substr(0, end);
        if (!line.empty()) {
            text_.append(prefix);
            text_.append(line);
            text_ += L'\n';
        }
        if (end == std::wstring_view::npos)
            break;
        report.remove_prefix(end + 1);
    }
}

} // namespace movalent::standin
