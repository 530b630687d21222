#pragma once
// The addresses the stand-in browser can open, in the canonical spelling its events and LocationURL carry:
// "about:blank" and local files ("file:///C:/dir/page.html", "file://server/share/page.html"). Plain drive
// and UNC paths are taken as file addresses, the way the real control takes them.
#include <string>
#include <string_view>

namespace movalent::standin {

enum class AddressKind {
    Blank,       // about:blank
    File,        // a local or UNC file; path says which
    Unsupported, // any other scheme, or a relative reference: the stand-in opens nothing from the network
};

struct PageAddress {
    AddressKind kind = AddressKind::Unsupported;
    std::wstring url;  // canonical; for Unsupported the input, trimmed
    std::wstring path; // File only: the file path with backslashes, "." and ".." resolved, %XX decoded
};

PageAddress ParseAddress(std::wstring_view input);

// A reference written in a page (frame source, directive argument), resolved against the page's canonical
// url. Absolute references come back as written; relative ones are joined to the page's folder (or, with a
// leading slash, to its drive or share). Against a page that is no file the reference comes back unchanged.
std::wstring ResolveReference(std::wstring_view pageUrl, std::wstring_view reference);

} // namespace movalent::standin
