#include "devtools/SourceText.h"

#include <gtest/gtest.h>

namespace movalent::devtools {
namespace {

// Marks what went through the code page, so a test sees which way the bytes were read.
std::wstring CodePage(std::string_view bytes) {
    std::wstring text = L"[";
    for (char byte : bytes)
        text.push_back(static_cast<unsigned char>(byte));
    return text + L"]";
}

TEST(SourceTextTest, Utf8WithAndWithoutBom) {
    EXPECT_EQ(DecodeSourceText("\xEF\xBB\xBF"
                               "a\xC3\xA9",
                               CodePage),
              L"a\u00E9");
    EXPECT_EQ(DecodeSourceText("\xE2\x82\xAC", CodePage), L"\u20AC");
    // Beyond the BMP: a surrogate pair, as the edit control counts it.
    EXPECT_EQ(DecodeSourceText("\xF0\x9F\x98\x80", CodePage),
              std::wstring({wchar_t(0xD83D), wchar_t(0xDE00)}));
    EXPECT_EQ(DetectSourceEncoding("plain"), SourceEncoding::Utf8);
}

TEST(SourceTextTest, IllFormedUtf8GoesToTheCodePage) {
    EXPECT_EQ(DecodeSourceText("caf\xE9", CodePage), L"[caf\u00E9]");              // a lone Latin-1 byte
    EXPECT_EQ(DecodeSourceText("\xC0\xAF", CodePage), L"[\u00C0\u00AF]");          // overlong '/'
    EXPECT_EQ(DetectSourceEncoding("\xED\xA0\x80"), SourceEncoding::CodePage);     // a surrogate
    EXPECT_EQ(DetectSourceEncoding("\xF4\x90\x80\x80"), SourceEncoding::CodePage); // past U+10FFFF
    EXPECT_EQ(DetectSourceEncoding("\xE2\x82"), SourceEncoding::CodePage);         // cut short
    // Without a decoder each byte is its own character.
    EXPECT_EQ(DecodeSourceText("\xE9", nullptr), L"\u00E9");
    // With a byte order mark the text stays UTF-8, the bad byte marked.
    EXPECT_EQ(DecodeSourceText("\xEF\xBB\xBF"
                               "a\xFF"
                               "b",
                               CodePage),
              L"a\uFFFDb");
}

TEST(SourceTextTest, Utf16WithBom) {
    EXPECT_EQ(DecodeSourceText(std::string("\xFF\xFE"
                                           "A\0\xAC\x20",
                                           6),
                               CodePage),
              L"A\u20AC");
    EXPECT_EQ(DecodeSourceText(std::string("\xFE\xFF\0A", 4), CodePage), L"A");
    EXPECT_EQ(DecodeSourceText(std::string("\xFF\xFE"
                                           "A\0B",
                                           5),
                               CodePage),
              L"A\uFFFD");
    EXPECT_EQ(DecodeSourceText(std::string("\xFF\xFE"
                                           "\n\0",
                                           4),
                               CodePage),
              L"\r\n");
}

TEST(SourceTextTest, LineEndsAndNulsForTheEditControl) {
    EXPECT_EQ(ToEditControlText(L"a\nb\rc\r\nd\n\ne"), L"a\r\nb\r\nc\r\nd\r\n\r\ne");
    EXPECT_EQ(ToEditControlText(L"\r"), L"\r\n");
    EXPECT_EQ(ToEditControlText(std::wstring(L"a\0b", 3)), L"a\uFFFDb");
    EXPECT_EQ(DecodeSourceText("x\ny", nullptr), L"x\r\ny");
}

TEST(SourceTextTest, FindGoesForwardAndBackAndWraps) {
    const std::wstring text = L"ab ab ab"; // matches at 0, 3, 6
    EXPECT_EQ(FindInText(text, L"ab", 0, 0, true)->position, 0u);
    EXPECT_EQ(FindInText(text, L"ab", 0, 2, true)->position, 3u); // after the selected match
    auto wrapped = FindInText(text, L"ab", 6, 8, true);
    EXPECT_EQ(wrapped->position, 0u);
    EXPECT_TRUE(wrapped->wrapped);
    EXPECT_EQ(FindInText(text, L"ab", 6, 8, false)->position, 3u);
    EXPECT_FALSE(FindInText(text, L"ab", 6, 8, false)->wrapped);
    EXPECT_EQ(FindInText(text, L"ab", 0, 2, false)->position, 6u); // round the start
    EXPECT_EQ(FindInText(text, L"ab", 100, 100, false)->position, 6u);
    EXPECT_FALSE(FindInText(text, L"x", 0, 0, true));
    EXPECT_FALSE(FindInText(text, L"", 0, 0, true));
    EXPECT_FALSE(FindInText(L"a", L"ab", 0, 0, false));
}

} // namespace
} // namespace movalent::devtools
