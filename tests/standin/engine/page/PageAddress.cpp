#include "standin/engine/page/PageAddress.h"

#include "standin/engine/page/PageText.h"

#include <string>
#include <vector>

namespace movalent::standin {
namespace {

bool IsAsciiLetter(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}
bool IsSeparator(wchar_t c) {
    return c == L'/' || c == L'\\';
}

std::wstring_view Trim(std::wstring_view text) {
    while (!text.empty() && (text.front() == L' ' || text.front() == L'\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\t'))
        text.remove_suffix(1);
    return text;
}

// "C:", "C:\..." or "C|/..." (the old URL spelling of a drive).
bool IsDriveStart(std::wstring_view s) {
    return s.size() >= 2 && IsAsciiLetter(s[0]) && (s[1] == L':' || s[1] == L'|') &&
           (s.size() == 2 || IsSeparator(s[2]));
}

// A scheme has at least two characters, so that "C:" stays a drive.
bool HasScheme(std::wstring_view s) {
    if (s.empty() || !IsAsciiLetter(s[0]))
        return false;
    for (size_t i = 1; i < s.size(); ++i) {
        const wchar_t c = s[i];
        if (c == L':')
            return i >= 2;
        if (!IsAsciiLetter(c) && !(c >= L'0' && c <= L'9') && c != L'+' && c != L'-' && c != L'.')
            return false;
    }
    return false;
}

int HexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

// %XX runs are bytes; a run that is valid UTF-8 becomes its characters, any other stays byte for byte.
std::wstring PercentDecode(std::wstring_view s) {
    std::wstring out;
    size_t i = 0;
    while (i < s.size()) {
        std::string bytes;
        while (i + 2 < s.size() && s[i] == L'%' && HexValue(s[i + 1]) >= 0 && HexValue(s[i + 2]) >= 0) {
            bytes += static_cast<char>(HexValue(s[i + 1]) * 16 + HexValue(s[i + 2]));
            i += 3;
        }
        if (!bytes.empty()) {
            std::wstring decoded;
            if (!DecodeUtf8(bytes, decoded)) {
                decoded.clear();
                for (char b : bytes)
                    decoded += static_cast<wchar_t>(static_cast<unsigned char>(b));
            }
            out += decoded;
            continue;
        }
        out += s[i++];
    }
    return out;
}

std::wstring PercentEncodeSegment(std::wstring_view segment) {
    static constexpr wchar_t kHex[] = L"0123456789ABCDEF";
    std::wstring out;
    for (wchar_t c : segment) {
        if (c == L' ' || c == L'%' || c == L'#' || c == L'?' || c < 0x20) {
            out += L'%';
            out += kHex[(c >> 4) & 0xF];
            out += kHex[c & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

// A file path taken apart: its root (a drive "C:" or a server "\\server") and the folders and name below it.
struct SplitPath {
    bool unc = false;
    std::wstring root;
    std::vector<std::wstring> segments;
    bool trailingSeparator = false;
};

// "." and ".." are resolved here; ".." never climbs above the root. Empty segments ("a\\b") vanish. A path
// ending in a separator, "." or ".." names a folder.
void AppendSegments(std::wstring_view rest, SplitPath& split) {
    split.trailingSeparator = !rest.empty() && IsSeparator(rest.back());
    size_t start = 0;
    while (start <= rest.size()) {
        size_t end = start;
        while (end < rest.size() && !IsSeparator(rest[end]))
            ++end;
        const std::wstring_view segment = rest.substr(start, end - start);
        if (segment == L"..") {
            if (!split.segments.empty())
                split.segments.pop_back();
        } else if (!segment.empty() && segment != L".") {
            split.segments.emplace_back(segment);
        }
        if (end == rest.size() && (segment == L"." || segment == L".."))
            split.trailingSeparator = true;
        start = end + 1;
    }
}

bool SplitDrivePath(std::wstring_view path, SplitPath& split) {
    if (!IsDriveStart(path))
        return false;
    split.root = {path[0], L':'};
    AppendSegments(path.substr(2), split);
    return true;
}

// "server\share\..." with the leading separators already taken off.
bool SplitUncPath(std::wstring_view afterSlashes, SplitPath& split) {
    size_t end = 0;
    while (end < afterSlashes.size() && !IsSeparator(afterSlashes[end]))
        ++end;
    if (end == 0)
        return false;
    split.unc = true;
    split.root = L"\\\\" + std::wstring(afterSlashes.substr(0, end));
    AppendSegments(afterSlashes.substr(end), split);
    return true;
}

PageAddress FileAddress(const SplitPath& split, std::wstring_view suffix) {
    PageAddress address;
    address.kind = AddressKind::File;
    address.path = split.root;
    address.url = split.unc ? L"file://" + split.root.substr(2) : L"file:///" + split.root;
    for (const std::wstring& segment : split.segments) {
        address.path += L'\\';
        address.path += segment;
        address.url += L'/';
        address.url += PercentEncodeSegment(segment);
    }
    if (split.segments.empty() || split.trailingSeparator) {
        address.path += L'\\';
        address.url += L'/';
    }
    address.url += suffix;
    return address;
}

size_t CountLeadingSeparators(std::wstring_view s) {
    size_t n = 0;
    while (n < s.size() && IsSeparator(s[n]))
        ++n;
    return n;
}

PageAddress ParseFileUrl(std::wstring_view afterScheme) {
    const size_t suffixStart = afterScheme.find_first_of(L"?#");
    const std::wstring_view suffix =
        suffixStart == std::wstring_view::npos ? std::wstring_view{} : afterScheme.substr(suffixStart);
    const std::wstring decoded = PercentDecode(afterScheme.substr(0, suffixStart));
    const std::wstring_view body = decoded;

    const size_t slashes = CountLeadingSeparators(body);
    std::wstring_view rest = body.substr(slashes);
    SplitPath split;
    if (IsDriveStart(rest)) {
        SplitDrivePath(rest, split);
        return FileAddress(split, suffix);
    }
    if (slashes == 2 && StartsWithNoCase(rest, L"localhost") && (rest.size() == 9 || IsSeparator(rest[9]))) {
        rest.remove_prefix(9);
        rest.remove_prefix(CountLeadingSeparators(rest));
        if (SplitDrivePath(rest, split))
            return FileAddress(split, suffix);
    } else if ((slashes == 2 || slashes >= 4) && SplitUncPath(rest, split)) {
        return FileAddress(split, suffix);
    }
    return {};
}

} // namespace

PageAddress ParseAddress(std::wstring_view input) {
    const std::wstring_view text = Trim(input);
    if (EqualsNoCase(text, L"about:blank"))
        return {AddressKind::Blank, L"about:blank", {}};
    PageAddress address;
    SplitPath split;
    if (StartsWithNoCase(text, L"file:"))
        address = ParseFileUrl(text.substr(5));
    else if (SplitDrivePath(text, split))
        address = FileAddress(split, {});
    else if (text.size() > 2 && IsSeparator(text[0]) && IsSeparator(text[1]) &&
             SplitUncPath(text.substr(CountLeadingSeparators(text)), split))
        address = FileAddress(split, {});
    if (address.kind == AddressKind::Unsupported)
        address.url.assign(text);
    return address;
}

std::wstring ResolveReference(std::wstring_view pageUrl, std::wstring_view reference) {
    const std::wstring_view ref = Trim(reference);
    if (ref.empty())
        return L"about:blank";
    if (HasScheme(ref) || IsDriveStart(ref) || (ref.size() > 1 && IsSeparator(ref[0]) && IsSeparator(ref[1])))
        return std::wstring(ref);
    const PageAddress page = ParseAddress(pageUrl);
    if (page.kind != AddressKind::File)
        return std::wstring(ref);

    const size_t suffixStart = ref.find_first_of(L"?#");
    const std::wstring_view suffix =
        suffixStart == std::wstring_view::npos ? std::wstring_view{} : ref.substr(suffixStart);
    const std::wstring relative = PercentDecode(ref.substr(0, suffixStart));

    std::wstring base = page.path;
    if (IsSeparator(relative.empty() ? L'x' : relative[0])) {
        // Relative to the root: the drive, or the share of a UNC path.
        SplitPath split;
        if (page.path.size() > 1 && page.path[1] == L':') {
            base = page.path.substr(0, 2);
        } else {
            SplitUncPath(std::wstring_view(page.path).substr(2), split);
            base = split.root + (split.segments.empty() ? L"" : L"\\" + split.segments.front());
        }
    } else {
        base.erase(base.find_last_of(L'\\') + 1);
    }
    PageAddress joined = ParseAddress(base + L"\\" + relative);
    return joined.url + std::wstring(suffix);
}

} // namespace movalent::standin
