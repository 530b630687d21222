#pragma once
// The "key=value" lines a probe answers with.
#include <cstdint>
#include <string>
#include <string_view>

namespace movalent::standin {

class ProbeReport {
public:
    // Line breaks inside a value would split the line; they become spaces.
    void Add(std::wstring_view key, std::wstring_view value);
    void AddHex(std::wstring_view key, std::uint32_t value); // 0x0000ABCD
    void AddDecimal(std::wstring_view key, long long value);
    // Every line of another report, its key prefixed.
    void AddNested(std::wstring_view prefix, std::wstring_view report);

    const std::wstring& Text() const { return text_; }

private:
    std::wstring text_;
};

} // namespace movalent::standin
