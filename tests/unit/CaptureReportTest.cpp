#include "app/CaptureReport.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>

namespace movalent {
namespace {

// A strict little JSON reader: every scalar as "path=value;" in document order ("versions.1.error=null;"),
// strings unescaped (the \u00XX escapes the report writes below U+0020, the rest is UTF-8 as it stands).
// Fails on anything malformed.
class JsonChecker {
public:
    explicit JsonChecker(const std::string& text) : text_(text) {
        ok = Value("") && (Skip(), at_ == text_.size());
    }
    bool ok = false;
    std::string flat;

private:
    void Skip() {
        while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_])))
            ++at_;
    }
    bool Eat(char c) {
        Skip();
        return at_ < text_.size() && text_[at_] == c && (++at_, true);
    }
    bool String(std::string& out) {
        if (!Eat('"'))
            return false;
        for (; at_ < text_.size() && text_[at_] != '"'; ++at_) {
            char c = text_[at_];
            if (static_cast<unsigned char>(c) < 0x20)
                return false;
            if (c == '\\') {
                c = at_ + 1 < text_.size() ? text_[++at_] : '\0';
                if (text_.compare(at_, 3, "u00") == 0 && at_ + 5 <= text_.size()) {
                    c = static_cast<char>(std::stoi(text_.substr(at_ + 3, 2), nullptr, 16));
                    at_ += 4;
                } else if (c != '"' && c != '\\') {
                    return false;
                }
            }
            out += c;
        }
        return Eat('"');
    }
    bool Value(const std::string& path) {
        Skip();
        const char open = at_ < text_.size() ? text_[at_] : '\0';
        if (open == '{' || open == '[') {
            ++at_;
            if (Eat(open == '{' ? '}' : ']'))
                return true;
            int index = 0;
            do {
                std::string key = std::to_string(index++);
                if ((open == '{' && (key.clear(), !String(key) || !Eat(':'))) ||
                    !Value(path.empty() ? key : path + "." + key))
                    return false;
            } while (Eat(','));
            return Eat(open == '{' ? '}' : ']');
        }
        std::string value;
        if (open == '"') {
            if (!String(value))
                return false;
        } else {
            value = text_.substr(at_, text_.find_first_of(",}] \n", at_) - at_);
            char* rest = nullptr;
            std::strtod(value.c_str(), &rest);
            if (value.empty() || (value != "true" && value != "false" && value != "null" && *rest != '\0'))
                return false;
            at_ += value.size();
        }
        flat += path + "=" + value + ";";
        return true;
    }
    std::string text_;
    std::size_t at_ = 0;
};

CaptureOptions TwoVersions() {
    CaptureOptions options;
    options.address = L"http://a.test/?q=\"x\"";
    options.versions = {IE_6, IE_DEFAULT};
    options.full = true;
    return options;
}

std::vector<CaptureResult> TwoResults() {
    CaptureResult six;
    six.version = IE_6;
    six.engineName = L"IE 6";
    six.file = L"6shtml.dll";
    six.fileVersion = L"6.0.2900.2180";
    six.width = 1024;
    six.height = 2000;
    six.completeMs = 1234;
    six.changedShare = 0.1234567;
    six.picture = L"ie6.png";
    CaptureResult installed;
    installed.engineName = L"IE";
    installed.error = L"The page did not load in 30 s";
    return {six, installed};
}

TEST(CaptureReport, JsonReadsBackWithEveryField) {
    const JsonChecker json(CaptureReportJson(TwoVersions(), TwoResults()));
    EXPECT_TRUE(json.ok);
    EXPECT_EQ("address=http://a.test/?q=\"x\";width=1024;height=768;full=true;baseline=default;"
              "versions.0.version=6;versions.0.engine=IE 6;versions.0.file=6shtml.dll;"
              "versions.0.fileVersion=6.0.2900.2180;versions.0.picture=ie6.png;versions.0.width=1024;"
              "versions.0.height=2000;versions.0.completeMs=1234;versions.0.changedShare=0.123457;"
              "versions.0.error=null;versions.1.version=default;versions.1.engine=IE;versions.1.file=;"
              "versions.1.fileVersion=;versions.1.picture=;versions.1.width=0;versions.1.height=0;"
              "versions.1.completeMs=-1;versions.1.changedShare=null;"
              "versions.1.error=The page did not load in 30 s;",
              json.flat);
    EXPECT_TRUE(JsonChecker(CaptureReportJson(CaptureOptions{}, {})).ok);
    // Shares with a point and six places at most.
    const std::pair<double, const char*> shares[] = {
        {0.25, "=0.25;"}, {1.0, "=1;"}, {0.0, "=0;"}, {4e-7, "=0;"}, {0.0000006, "=0.000001;"}};
    for (const auto& [share, text] : shares) {
        std::vector<CaptureResult> results(1);
        results[0].changedShare = share;
        const JsonChecker one(CaptureReportJson(CaptureOptions{}, results));
        EXPECT_NE(std::string::npos, one.flat.find(std::string("changedShare") + text)) << one.flat;
    }
}

TEST(CaptureReport, EscapesAndUtf8) {
    EXPECT_EQ("a\\\"b\\\\c\\u000a\\u0001\\u001f /", JsonEscape(L"a\"b\\c\n\x01\x1f /"));
    EXPECT_EQ("\xC3\xA9\xE6\x97\xA5", JsonEscape(L"\u00e9\u65e5"));
    const std::wstring pair = {wchar_t(0xD83D), wchar_t(0xDE00)};
    EXPECT_EQ("\xF0\x9F\x98\x80", JsonEscape(pair));
    const std::wstring lone = {wchar_t(0xD83D), L'x', wchar_t(0xDE00)};
    EXPECT_EQ("\xEF\xBF\xBDx\xEF\xBF\xBD", JsonEscape(lone));

    CaptureOptions options;
    options.address = L"C:\\p\u00e9\t" + pair;
    const JsonChecker json(CaptureReportJson(options, {}));
    EXPECT_TRUE(json.ok);
    EXPECT_EQ(0u, json.flat.find("address=C:\\p\xC3\xA9\t\xF0\x9F\x98\x80;")) << json.flat;
}

TEST(CaptureReport, SummaryHasALinePerVersionAndACount) {
    std::vector<CaptureResult> results = TwoResults();
    CaptureResult never = results[0];
    never.version = IE_55;
    never.completeMs = -1;
    never.changedShare = 0.0005;
    results.insert(results.begin(), never);
    CaptureOptions options = TwoVersions();
    options.baseline = IE_6;
    EXPECT_EQ(L"5.5      never completed, 0.1% changed\r\n"
              L"6        1234 ms, baseline\r\n"
              L"default  failed: The page did not load in 30 s\r\n"
              L"2 of 3 versions captured\r\n",
              CaptureSummary(options, results));
    options.baseline = IE_DEFAULT;
    EXPECT_NE(std::wstring::npos, CaptureSummary(options, results).find(L"1234 ms, 12.3% changed\r\n"));
}

} // namespace
} // namespace movalent
