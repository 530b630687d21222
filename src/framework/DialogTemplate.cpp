#include "framework/DialogTemplate.h"

#include <algorithm>
#include <cstring>

namespace movalent {

namespace {

constexpr std::uint32_t kSetFont = 0x40; // DS_SETFONT, also part of DS_SHELLFONT

// Little-endian reads with bounds; any read past the end marks the reader failed and yields 0.
class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool failed() const { return failed_; }
    std::size_t position() const { return position_; }

    std::uint16_t Word() {
        if (!Need(2))
            return 0;
        std::uint16_t value = static_cast<std::uint16_t>(data_[position_] | (data_[position_ + 1] << 8));
        position_ += 2;
        return value;
    }
    std::uint32_t Dword() {
        std::uint32_t low = Word();
        std::uint32_t high = Word();
        return low | (high << 16);
    }
    std::int16_t Short() { return static_cast<std::int16_t>(Word()); }
    void Skip(std::size_t bytes) {
        if (Need(bytes))
            position_ += bytes;
    }
    void AlignTo4() {
        std::size_t aligned = (position_ + 3) & ~static_cast<std::size_t>(3);
        // A template may end right after its last item without padding.
        position_ = std::min(aligned, size_);
    }
    std::u16string String() {
        std::u16string text;
        for (;;) {
            std::uint16_t c = Word();
            if (failed_ || c == 0)
                return text;
            text.push_back(static_cast<char16_t>(c));
        }
    }
    // A name, or 0xFFFF and a number, or an empty name (a single 0).
    void NameOrOrdinal(std::u16string& name, std::uint16_t& ordinal) {
        name.clear();
        ordinal = 0;
        std::uint16_t first = Word();
        if (failed_ || first == 0)
            return;
        if (first == 0xFFFF) {
            ordinal = Word();
            return;
        }
        name.push_back(static_cast<char16_t>(first));
        name += String();
    }

private:
    bool Need(std::size_t bytes) {
        if (failed_ || position_ > size_ || size_ - position_ < bytes) {
            failed_ = true;
            return false;
        }
        return true;
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
    bool failed_ = false;
};

bool IsHexDigit(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

} // namespace

std::optional<DialogTemplateInfo> ParseDialogTemplate(const std::uint8_t* data, std::size_t size) {
    if (!data)
        return std::nullopt;
    Reader in(data, size);
    DialogTemplateInfo info;
    std::uint16_t count = 0;
    std::uint16_t version = in.Word();
    std::uint16_t signature = in.Word();
    info.extended = version == 1 && signature == 0xFFFF;
    if (info.extended) {
        in.Dword(); // help id
        in.Dword(); // extended style
        info.style = in.Dword();
        info.countOffset = in.position();
        count = in.Word();
    } else {
        info.style = static_cast<std::uint32_t>(version) | (static_cast<std::uint32_t>(signature) << 16);
        in.Dword(); // extended style
        info.countOffset = in.position();
        count = in.Word();
    }
    in.Skip(8); // x, y, cx, cy
    std::u16string name;
    std::uint16_t ordinal = 0;
    in.NameOrOrdinal(name, ordinal); // menu
    in.NameOrOrdinal(name, ordinal); // class
    in.String();                     // title
    if (info.style & kSetFont) {
        in.Word(); // point size
        if (info.extended) {
            in.Word(); // weight
            in.Word(); // italic, character set
        }
        in.String(); // typeface
    }
    info.headerSize = in.position();
    if (in.failed())
        return std::nullopt;

    for (std::uint16_t i = 0; i < count; ++i) {
        in.AlignTo4();
        DialogTemplateItem item;
        item.offset = in.position();
        if (info.extended) {
            in.Dword(); // help id
            item.exStyle = in.Dword();
            item.style = in.Dword();
        } else {
            item.style = in.Dword();
            item.exStyle = in.Dword();
        }
        item.x = in.Short();
        item.y = in.Short();
        item.cx = in.Short();
        item.cy = in.Short();
        item.id = info.extended ? in.Dword() : in.Word();
        in.NameOrOrdinal(item.className, item.classOrdinal);
        std::uint16_t titleOrdinal = 0;
        in.NameOrOrdinal(item.title, titleOrdinal);
        std::uint16_t extra = in.Word();
        in.Skip(extra);
        if (in.failed())
            return std::nullopt;
        item.size = in.position() - item.offset;
        info.items.push_back(std::move(item));
    }
    return info;
}

bool IsControlClassId(const std::u16string& className) {
    // {8-4-4-4-12}
    static constexpr std::size_t kDashes[] = {9, 14, 19, 24};
    if (className.size() != 38 || className.front() != u'{' || className.back() != u'}')
        return false;
    for (std::size_t i = 1; i < 37; ++i) {
        bool dash = std::find(std::begin(kDashes), std::end(kDashes), i) != std::end(kDashes);
        if (dash ? className[i] != u'-' : !IsHexDigit(className[i]))
            return false;
    }
    return true;
}

std::vector<std::uint8_t> WithoutItems(const std::uint8_t* data, const DialogTemplateInfo& info,
                                       const std::vector<std::size_t>& removed) {
    std::vector<std::uint8_t> out(data, data + info.headerSize);
    std::uint16_t kept = 0;
    for (std::size_t i = 0; i < info.items.size(); ++i) {
        if (std::find(removed.begin(), removed.end(), i) != removed.end())
            continue;
        out.resize((out.size() + 3) & ~static_cast<std::size_t>(3), 0);
        const DialogTemplateItem& item = info.items[i];
        out.insert(out.end(), data + item.offset, data + item.offset + item.size);
        ++kept;
    }
    out[info.countOffset] = static_cast<std::uint8_t>(kept & 0xFF);
    out[info.countOffset + 1] = static_cast<std::uint8_t>(kept >> 8);
    return out;
}

} // namespace movalent
