// The developer-tools panel's rules: tree labels, inline style text, search and the script line.
#include "devtools/PanelRules.h"

#include <gtest/gtest.h>

using namespace movalent::devtools;

TEST(PanelRules, LabelsShowTagIdAndClassAndCutLongText) {
    EXPECT_EQ(L"<div id=\"main\" class=\"a b\">", NodeLabel({1, L"DIV", L"main", L"a b", L""}));
    EXPECT_EQ(L"<p>", NodeLabel({1, L"P", L"", L"", L""}));
    EXPECT_EQ(L"\"two words\"", NodeLabel({3, L"", L"", L"", L"  two\r\n\twords "}));
    const std::wstring label = NodeLabel({3, L"", L"", L"", std::wstring(100, L'x')});
    EXPECT_EQ(63u, label.size()) << "60 characters, an ellipsis and the quotes";
    EXPECT_TRUE(IsBlank(L" \r\n\t"));
    EXPECT_FALSE(IsBlank(L" a "));
}

TEST(PanelRules, InlineStyleIsTakenApartAndPutBackWithoutLosingDeclarations) {
    CssDeclarations css =
        ParseCssText(L"COLOR: red; background: url(\"a;b\") ; :x; font-family: 'a;b', serif;");
    ASSERT_EQ(3u, css.size());
    EXPECT_EQ(L"color", css[0].first);
    EXPECT_EQ(L"url(\"a;b\")", css[1].second);
    EXPECT_EQ(L"'a;b', serif", css[2].second);
    SetCssValue(css, L"Color", L" blue ");
    SetCssValue(css, L"background", L"");
    SetCssValue(css, L"width", L"10px");
    EXPECT_EQ(L"color: blue; font-family: 'a;b', serif; width: 10px", ComposeCssText(css));
}

TEST(PanelRules, SearchMatchesWholeIdsAndTagsAndTextAnywhere) {
    const NodeSummary element{1, L"DIV", L"Main", L"", L""};
    const NodeSummary text{3, L"", L"", L"", L"Hello World"};
    EXPECT_TRUE(NodeMatches(element, FindMode::Id, L"main"));
    EXPECT_FALSE(NodeMatches(element, FindMode::Id, L"mai"));
    EXPECT_TRUE(NodeMatches(element, FindMode::Tag, L" div "));
    EXPECT_TRUE(NodeMatches(text, FindMode::Text, L"o w"));
    EXPECT_FALSE(NodeMatches(element, FindMode::Text, L"div"));
    EXPECT_FALSE(NodeMatches(text, FindMode::Text, L"  "));
    EXPECT_EQ(0u, NextIndex(static_cast<size_t>(-1), 3, true));
    EXPECT_EQ(2u, NextIndex(static_cast<size_t>(-1), 3, false));
    EXPECT_EQ(0u, NextIndex(2, 3, true));
    EXPECT_EQ(2u, NextIndex(0, 3, false));
}

TEST(PanelRules, ExpressionsBringTheirValueBackAndStatementsRunAsWritten) {
    EXPECT_EQ(L"window.movalentPanelValue = document.title", ScriptForValue(L" document.title; "));
    EXPECT_EQ(L"window.movalentPanelValue = 'a;b'", ScriptForValue(L"'a;b'"));
    for (const wchar_t* statement : {L"var a = 1", L"a = 1; b = 2", L"if (a) b()", L"{ a }", L""})
        EXPECT_EQ(statement, ScriptForValue(statement)) << statement;
    EXPECT_TRUE(LooksLikeExpression(L"variable + 1")) << "a name that starts like a keyword";
}
