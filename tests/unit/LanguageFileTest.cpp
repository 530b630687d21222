#include "app/LanguageFile.h"

#include <gtest/gtest.h>

#include <map>

namespace movalent {
namespace {

// The ANSI code page of the tests is Latin-1: every byte is the character of the same number.
std::wstring Latin1(std::string_view bytes) {
    std::wstring text;
    for (char c : bytes) {
        text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    }
    return text;
}

std::string Utf16File(std::u16string_view text, bool bom = true) {
    std::string bytes = bom ? std::string("\xFF\xFE", 2) : std::string();
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

LanguageStrings Parse(std::string_view bytes) { return ParseLanguageFile(bytes, Latin1); }

TEST(LanguageFileTest, DocumentedLineRules) {
    const auto s = Parse("  160:first\\nsecond\n"
                         "#12:comment\n"
                         "abc:no digits\n"
                         "0:zero\n"
                         "161\n");
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s.at(160), L"first\nsecond");
    EXPECT_EQ(s.at(161), L"");
}

TEST(LanguageFileTest, IdentifierFromLeadingDigitsAndTextAfterFirstColon) {
    const auto s = Parse("\t 42abc:x:y: z \n007:leading zeros\n");
    EXPECT_EQ(s.at(42), L"x:y: z ");
    EXPECT_EQ(s.at(7), L"leading zeros");
}

TEST(LanguageFileTest, CarriageReturnOnlyDroppedBeforeLineFeed) {
    const auto s = Parse("1:crlf\r\n2:inner\rcr\n3:last\r");
    EXPECT_EQ(s.at(1), L"crlf");
    EXPECT_EQ(s.at(2), L"inner\rcr");
    EXPECT_EQ(s.at(3), L"last\r");
}

TEST(LanguageFileTest, EscapesReplacedInOrder) {
    EXPECT_EQ(UnescapeLanguageText(L"a\\r\\nb\\nc\\td"), L"a\r\nb\nc\td");
    // A lone \r is not an escape.
    EXPECT_EQ(UnescapeLanguageText(L"a\\rb"), L"a\\rb");
    // \r\n is consumed before \n can take its second half.
    EXPECT_EQ(UnescapeLanguageText(L"\\r\\n\\n"), L"\r\n\n");
}

TEST(LanguageFileTest, LaterDuplicateReplaces) {
    const auto s = Parse("5:one\n5:two\n");
    EXPECT_EQ(s.at(5), L"two");
}

TEST(LanguageFileTest, Utf16WithBom) {
    const auto s = Parse(Utf16File(u"# comment\r\n124:Fran\u00E7ais\r\n125:\u65E5\u672C\r\n"));
    EXPECT_EQ(s.at(124), L"Fran\u00E7ais");
    EXPECT_EQ(s.at(125), L"\u65E5\u672C");
}

TEST(LanguageFileTest, Utf16OddByteIgnored) {
    std::string bytes = Utf16File(u"7:ok");
    bytes.push_back('\x41');
    const auto s = Parse(bytes);
    EXPECT_EQ(s.at(7), L"ok");
}

TEST(LanguageFileTest, WithoutBomBytesAreAnsi) {
    // UTF-16 text without the mark is read as 8-bit text, so its NULs end every line early.
    const auto unmarked = Parse(Utf16File(u"9:x\n", false));
    ASSERT_EQ(unmarked.size(), 1u);
    EXPECT_EQ(unmarked.at(9), L"");
    const auto s = Parse("8:caf\xE9\n");
    EXPECT_EQ(s.at(8), L"caf\u00E9");
}

TEST(LanguageFileTest, TinyAndEmptyFiles) {
    EXPECT_TRUE(Parse("").empty());
    EXPECT_TRUE(Parse("\xFF").empty());
    EXPECT_TRUE(Parse("\xFE").empty());
    EXPECT_TRUE(Parse("\xFF\xFE").empty());
    EXPECT_TRUE(Parse("\xFF\xFE\x31").empty());
    EXPECT_TRUE(Parse("\n\n\r\n").empty());
    // Just FF then a digit is ANSI text: the FF makes the identifier unreadable.
    EXPECT_TRUE(Parse("\xFF" "1:x").empty());
}

TEST(LanguageFileTest, NoFinalNewline) {
    const auto s = Parse("3:a\n4:b");
    EXPECT_EQ(s.at(4), L"b");
}

TEST(LanguageFileTest, VeryLongLine) {
    std::string line = "99:" + std::string(100000, 'x');
    const auto s = Parse(line + "\n100:after\n");
    EXPECT_EQ(s.at(99).size(), 100000u);
    EXPECT_EQ(s.at(100), L"after");
}

TEST(LanguageFileTest, NulEndsTheLine) {
    using namespace std::string_literals;
    const auto s = Parse("1:before\0after\n2:next\n\0" "3:hidden\n"s);
    EXPECT_EQ(s.at(1), L"before");
    EXPECT_EQ(s.at(2), L"next");
    EXPECT_EQ(s.count(3), 0u);
}

TEST(LanguageFileTest, IdentifierBeyondThirtyTwoBitsIsSkipped) {
    const auto s = Parse("4294967295:max\n4294967296:wraps to zero\n4294967297:wraps to one\n"
                         "99999999999999999999999999:huge\n1:one\n");
    EXPECT_EQ(s.at(4294967295u), L"max");
    EXPECT_EQ(s.at(1), L"one");
    EXPECT_EQ(s.size(), 2u);
}

TEST(LanguageFileTest, ParseLanguageLineDetails) {
    EXPECT_FALSE(ParseLanguageLine(L""));
    EXPECT_FALSE(ParseLanguageLine(L" \t "));
    EXPECT_FALSE(ParseLanguageLine(L"  # 5:x"));
    EXPECT_FALSE(ParseLanguageLine(L":text"));
    EXPECT_FALSE(ParseLanguageLine(L"-5:negative"));
    const auto line = ParseLanguageLine(L"12 :x");
    ASSERT_TRUE(line);
    EXPECT_EQ(line->id, 12u);
    EXPECT_EQ(line->text, L"x");
}

TEST(LanguageFileTest, AnsiConverterSeesTheWholeFile) {
    // A multi-byte code page must get the bytes unsplit; the fake records what it was given.
    std::string seen;
    const auto s = ParseLanguageFile("1:a\n2:b\n", [&seen](std::string_view bytes) {
        seen = std::string(bytes);
        return Latin1(bytes);
    });
    EXPECT_EQ(seen, "1:a\n2:b\n");
    EXPECT_EQ(s.size(), 2u);
}

TEST(LanguageFileReaderTest, FirstLineWinsAndOnlyNewlineReturnIsReplaced) {
    const std::string file = "124:Deutsch\\n\\rzwei\\r\\nx\\t\n124:later\n";
    const auto name = ReadLanguageString(file, Latin1, 124);
    ASSERT_TRUE(name);
    EXPECT_EQ(*name, L"Deutsch\n\rzwei\\r\\nx\\t");
}

TEST(LanguageFileReaderTest, MissingIdentifierIsNotFound) {
    EXPECT_FALSE(ReadLanguageString("1:a\n# 124:b\n", Latin1, 124));
    EXPECT_FALSE(ReadLanguageString("", Latin1, 124));
    EXPECT_FALSE(ReadLanguageString("1:a\n", Latin1, 0));
    const auto empty = ReadLanguageString("124\n", Latin1, 124);
    ASSERT_TRUE(empty);
    EXPECT_EQ(*empty, L"");
}

TEST(LanguageFileReaderTest, Utf16) {
    const auto name = ReadLanguageString(Utf16File(u"124:\u0420\u0443\u0441\u0441\u043A\u0438\u0439\r\n"),
                                         Latin1, 124);
    ASSERT_TRUE(name);
    EXPECT_EQ(*name, L"\u0420\u0443\u0441\u0441\u043A\u0438\u0439");
}

TEST(LanguageFileLocationTest, SearchOrders) {
    std::map<std::wstring, std::string> files;
    std::vector<std::wstring> tried;
    const FileReader reader = [&](const std::wstring& path) -> std::optional<std::string> {
        tried.push_back(path);
        const auto it = files.find(path);
        if (it == files.end()) {
            return std::nullopt;
        }
        return it->second;
    };

    EXPECT_FALSE(LoadLanguageFileBytes(reader, L"C:\\Prog", L"Languages\\X.lang",
                                       LanguageFileSearch::InstallFolderFirst));
    EXPECT_EQ(tried, (std::vector<std::wstring>{L"C:\\Prog\\Languages\\X.lang", L"Languages\\X.lang"}));

    tried.clear();
    files[L"Languages\\X.lang"] = "relative";
    files[L"C:\\Prog\\Languages\\X.lang"] = "installed";
    EXPECT_EQ(LoadLanguageFileBytes(reader, L"C:\\Prog", L"Languages\\X.lang",
                                    LanguageFileSearch::CurrentFolderFirst),
              "relative");
    EXPECT_EQ(LoadLanguageFileBytes(reader, L"C:\\Prog", L"Languages\\X.lang",
                                    LanguageFileSearch::InstallFolderFirst),
              "installed");

    tried.clear();
    EXPECT_EQ(LoadLanguageFileBytes(reader, L"", L"Languages\\X.lang", LanguageFileSearch::InstallFolderFirst),
              "relative");
    EXPECT_EQ(tried, (std::vector<std::wstring>{L"Languages\\X.lang"})) << "never the root of the current drive";

    EXPECT_FALSE(LoadLanguageFileBytes(nullptr, L"", L"a", LanguageFileSearch::InstallFolderFirst));
}

} // namespace
} // namespace movalent
