#pragma once

#include <string>
#include <string_view>

namespace movalent {

// Percent-encodes text for a query value. "%", the unsafe characters and the control characters are always
// encoded, the reserved characters $&+,./:;=?@-_!*()' only with encodeReserved; ASCII letters and digits stay.
// Everything else is encoded as the bytes of its UTF-8 form; a surrogate pair is one character of four bytes, a
// lone surrogate becomes U+FFFD, and U+0000 is dropped. A space gives %20, never "+".
std::wstring UrlEncode(std::wstring_view text, bool encodeReserved);

} // namespace movalent
