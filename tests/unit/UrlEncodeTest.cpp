#include "mainframe/UrlEncode.h"

#include <gtest/gtest.h>

namespace movalent {
namespace {

TEST(UrlEncodeTest, SearchQueryExample) { EXPECT_EQ(UrlEncode(L"a b&c", true), L"a%20b%26c"); }

TEST(UrlEncodeTest, LettersAndDigitsStay) {
    EXPECT_EQ(UrlEncode(L"AZaz09", true), L"AZaz09");
    EXPECT_EQ(UrlEncode(L"", true), L"");
}

TEST(UrlEncodeTest, PercentEncodedOnceOnly) {
    EXPECT_EQ(UrlEncode(L"100%", true), L"100%25");
    EXPECT_EQ(UrlEncode(L"%25", false), L"%2525");
}

TEST(UrlEncodeTest, ReservedSetOnlyWithEncodeReserved) {
    EXPECT_EQ(UrlEncode(L"$&+,./:;=?@-_!*()'", true),
              L"%24%26%2B%2C%2E%2F%3A%3B%3D%3F%40%2D%5F%21%2A%28%29%27");
    EXPECT_EQ(UrlEncode(L"$&+,./:;=?@-_!*()'", false), L"$&+,./:;=?@-_!*()'");
}

TEST(UrlEncodeTest, UnsafeSetAlwaysEncoded) {
    const std::wstring expected = L"%20%22%3C%3E%23%7B%7D%7C%5C%5E%7E%5B%5D%60";
    EXPECT_EQ(UrlEncode(L" \"<>#{}|\\^~[]`", true), expected);
    EXPECT_EQ(UrlEncode(L" \"<>#{}|\\^~[]`", false), expected);
}

TEST(UrlEncodeTest, ControlCharacters) {
    EXPECT_EQ(UrlEncode(L"\x01\t\n\x1F\x7F", false), L"%01%09%0A%1F%7F");
}

TEST(UrlEncodeTest, NonAsciiAsUtf8Bytes) {
    EXPECT_EQ(UrlEncode(L"\u00E9", true), L"%C3%A9");
    EXPECT_EQ(UrlEncode(L"\u20AC", true), L"%E2%82%AC");
    EXPECT_EQ(UrlEncode(L"\u0080", true), L"%C2%80");
    EXPECT_EQ(UrlEncode(L"\u00FF", true), L"%C3%BF");
    EXPECT_EQ(UrlEncode(L"\uFFFF", true), L"%EF%BF%BF");
}

TEST(UrlEncodeTest, NoCharacterSkippedAfterAnEncodedOne) {
    // Neighbouring two-byte characters of different kinds, and plain text right after them.
    EXPECT_EQ(UrlEncode(L"\u00E9\u00FC", true), L"%C3%A9%C3%BC");
    EXPECT_EQ(UrlEncode(L"\u00E9\u00FC\u00E9 x", true), L"%C3%A9%C3%BC%C3%A9%20x");
    EXPECT_EQ(UrlEncode(L"\u20AC\u00E9\u4E2D\u00FCa", false), L"%E2%82%AC%C3%A9%E4%B8%AD%C3%BCa");
}

TEST(UrlEncodeTest, SurrogatePairIsOneFourByteCharacter) {
    std::wstring text;
    text.push_back(static_cast<wchar_t>(0xD83D)); // U+1F600
    text.push_back(static_cast<wchar_t>(0xDE00));
    text += L"a";
    EXPECT_EQ(UrlEncode(text, true), L"%F0%9F%98%80a");
}

TEST(UrlEncodeTest, LoneSurrogatesBecomeReplacementCharacter) {
    std::wstring high(1, static_cast<wchar_t>(0xD800));
    std::wstring low(1, static_cast<wchar_t>(0xDC00));
    EXPECT_EQ(UrlEncode(high, true), L"%EF%BF%BD");
    EXPECT_EQ(UrlEncode(high + L"a", true), L"%EF%BF%BDa");
    EXPECT_EQ(UrlEncode(low + high, true), L"%EF%BF%BD%EF%BF%BD");
}

TEST(UrlEncodeTest, NulIsDropped) {
    EXPECT_EQ(UrlEncode(std::wstring(L"a\0b", 3), true), L"ab");
}

} // namespace
} // namespace movalent
