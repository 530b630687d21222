// The stand-in document's node tree: what a page's markup makes of it, the markup operations and styles that
// a host's page zoom goes through, the computed styles and layout a developer-tools panel reads, and the
// little script its windows run.
#include "standin/engine/document/DomLayout.h"
#include "standin/engine/document/DomTree.h"
#include "standin/engine/document/PageScript.h"
#include "standin/engine/page/PageReport.h"

#include <gtest/gtest.h>

#include <chrono>

namespace movalent::standin {
namespace {

std::vector<std::wstring> Ids(const std::vector<DomElement*>& elements) {
    std::vector<std::wstring> ids;
    for (const DomElement* element : elements)
        ids.push_back(element->id);
    return ids;
}

TEST(StandInDom, BodyHoldsTheElementsAfterTheHead) {
    const DomTree page(ParsePage(L"<html><head><title>T</title><meta charset=utf-8><style>p{}</style></head>"
                                 L"<body class=x><p id=first style='color: red; ZOOM : 50%'>a</p>"
                                 L"<iframe src=f.html id=frame></iframe><div id=last></div></body></html>"));
    ASSERT_TRUE(page.Root());
    EXPECT_EQ(L"body", page.Root()->tag);
    EXPECT_FALSE(page.IsFrameset());
    EXPECT_EQ((std::vector<std::wstring>{L"first", L"frame", L"last"}), Ids(Descendants(*page.Root())));
    EXPECT_EQ(L"50%", page.Root()->children[0]->style.Get(L"zoom"));

    // Without a body tag the body starts at the first element that cannot stand in a head.
    const DomTree bare(ParsePage(L"<title>T</title>text <b id=b>bold</b>"));
    EXPECT_EQ((std::vector<std::wstring>{L"b"}), Ids(Descendants(*bare.Root())));

    const DomTree frames(ParsePage(L"<frameset cols='*,*'><frame src=a.html><frame src=b.html></frameset>"));
    EXPECT_TRUE(frames.IsFrameset());
    EXPECT_EQ(2u, frames.Root()->children.size()) << "the frames are elements of the frameset";
    EXPECT_FALSE(DomTree().Root());
}

TEST(StandInDom, StyleDeclarationsReadAndChange) {
    StyleDeclarations style(L" position: relative;zoom: 150% ; ;broken; : x");
    EXPECT_EQ(L"relative", style.Get(L"POSITION"));
    EXPECT_EQ(L"150%", style.Get(L"zoom"));
    style.Set(L"Zoom", L"100%");
    EXPECT_EQ(L"position: relative; zoom: 100%", style.Text());
    style.Set(L"zoom", L"");
    EXPECT_EQ(L"", style.Get(L"zoom"));
    EXPECT_EQ(L"position: relative", style.Text());
}

TEST(StandInDom, ElementInsertedBetweenBodyEdgesWrapsEverything) {
    DomTree page(ParsePage(L"<body><p id=a></p><p id=b></p></body>"));
    const DomElementPtr body = page.Root();
    MarkupPosition start, end;
    ASSERT_TRUE(PositionBeside(body, Adjacency::AfterBegin, start));
    ASSERT_TRUE(PositionBeside(body, Adjacency::BeforeEnd, end));
    const DomElementPtr wrapper = MakeElement(
        L"DIV",
        L"ID = \"__om__fennimox__zoom__\" NAME=\"__om__fennimox__zoom__\" STYLE=\"position: relative;zoom: "
        L"150%\"");
    EXPECT_EQ(L"__om__fennimox__zoom__", wrapper->name);
    ASSERT_TRUE(InsertBetween(wrapper, start, end));
    ASSERT_EQ(1u, body->children.size());
    EXPECT_EQ(wrapper, body->children[0]);
    EXPECT_EQ((std::vector<std::wstring>{L"__om__fennimox__zoom__", L"a", L"b"}), Ids(Descendants(*body)));
    EXPECT_EQ(wrapper.get(), wrapper->children[1]->parent);

    const ZoomState zoom = page.Zoom();
    EXPECT_EQ(L"150%", zoom.wrapper);
    EXPECT_EQ(L"none", zoom.runtime);
    EXPECT_EQ(1u, zoom.wrappers);
    EXPECT_TRUE(zoom.wrapsAll);

    // An element already in the tree cannot go in a second time.
    EXPECT_FALSE(InsertBetween(wrapper, start, end));
}

TEST(StandInDom, MarkupPositionsAroundAnElement) {
    DomTree page(ParsePage(L"<body><p id=a></p><p id=b></p><p id=c></p></body>"));
    const DomElementPtr b = page.Root()->children[1];
    MarkupPosition before, after;
    ASSERT_TRUE(PositionBeside(b, Adjacency::BeforeBegin, before));
    ASSERT_TRUE(PositionBeside(b, Adjacency::AfterEnd, after));
    EXPECT_EQ(1u, before.offset);
    EXPECT_EQ(2u, after.offset);
    ASSERT_TRUE(InsertBetween(MakeElement(L"div", L"id=w"), before, after));
    EXPECT_EQ((std::vector<std::wstring>{L"a", L"w", L"b", L"c"}), Ids(Descendants(*page.Root())));

    // The HTML element has no parent to stand beside in; pointers in different containers or the wrong way
    // round enclose nothing.
    EXPECT_FALSE(PositionBeside(page.Html(), Adjacency::BeforeBegin, before));
    MarkupPosition bodyEnd, inner;
    ASSERT_TRUE(PositionBeside(page.Root(), Adjacency::BeforeEnd, bodyEnd));
    ASSERT_TRUE(PositionBeside(page.Root()->children[1], Adjacency::AfterBegin, inner));
    EXPECT_FALSE(InsertBetween(MakeElement(L"div", L""), inner, bodyEnd));
    EXPECT_FALSE(InsertBetween(MakeElement(L"div", L""), bodyEnd, before));
    EXPECT_EQ(4u, Descendants(*page.Root()).size());
}

TEST(StandInDom, ZoomStateSeesOnlyAWrapperThatComesFirst) {
    DomTree page(
        ParsePage(L"<body><p id=a></p><div id=__om__fennimox__zoom__ style='zoom: 80%'></div></body>"));
    EXPECT_EQ(L"none", page.Zoom().wrapper) << "not the first element: not a wrapper of the body";
    EXPECT_EQ(1u, page.Zoom().wrappers);

    DomTree wrapped(ParsePage(L"<body><div id=__om__fennimox__zoom__></div><p></p></body>"));
    EXPECT_EQ(L"unset", wrapped.Zoom().wrapper);
    EXPECT_FALSE(wrapped.Zoom().wrapsAll);
    wrapped.Root()->runtime.Set(L"zoom", L"66%");
    EXPECT_EQ(L"66%", wrapped.Zoom().runtime);
}

TEST(StandInDom, ReportAndPageShowTheZoomOfEveryDocument) {
    PageSnapshot page;
    page.versionLetter = L'7';
    page.hasPage = true;
    page.zoom = {true, L"none", L"150%", 1, true};
    FrameSnapshot frame;
    frame.opened = true;
    frame.zoom = {true, L"66%", L"150%", 2, false};
    FrameSnapshot untouched;
    untouched.opened = true;
    untouched.zoom = {true, L"none", L"none", 0, false};
    FrameSnapshot empty; // left empty: no document, no zoom
    page.frames = {frame, untouched, empty};

    const std::wstring report = BuildPageReport(page);
    for (const wchar_t* line :
         {L"\nzoom.runtime=none\n", L"\nzoom.wrapper=150%\n", L"\nzoom.wrappers=1\n",
          L"\nzoom.wrapsAll=yes\n", L"\nframe.0.zoom.runtime=66%\n", L"\nframe.0.zoom.wrappers=2\n",
          L"\nframe.0.zoom.wrapsAll=no\n", L"\nframe.1.zoom.wrapper=none\n"})
        EXPECT_NE(std::wstring::npos, report.find(line)) << line;
    EXPECT_EQ(std::wstring::npos, report.find(L"frame.2.zoom")) << report;

    std::vector<std::wstring> zoomLines;
    for (const PageLine& line : BuildPageLines(page))
        if (line.text.rfind(L"Zoom:", 0) == 0)
            zoomLines.push_back(line.text);
    EXPECT_EQ((std::vector<std::wstring>{L"Zoom: runtime none, wrapper 150%",
                                         L"Zoom: runtime 66%, wrapper 150% (2 wrappers)"}),
              zoomLines);
}

// "BODY(#text,B(#text))": node names with their children.
std::wstring Shape(const DomElement& node) {
    std::wstring out = NodeName(node);
    for (size_t i = 0; i < node.children.size(); ++i)
        out +=
            (i == 0 ? L"(" : L",") + Shape(*node.children[i]) + (i + 1 == node.children.size() ? L")" : L"");
    return out;
}

DomElement& ById(const DomTree& tree, std::wstring_view id) {
    DomElement* element = FindById(*tree.Html(), id);
    EXPECT_NE(nullptr, element) << std::wstring(id);
    static DomElement none;
    return element ? *element : none;
}

TEST(StandInDomTree, TheMarkupNestsIntoElementsAndTextNodes) {
    const DomTree page(
        ParsePage(L"<!DOCTYPE html><html lang=en><head><title>T</title></head><body class=main>\n"
                  L"  Hello <b id=b>bold <i>it</i></b>\n  <p id=one>first<p id=two>second</p>\n"
                  L"  <ul><li>a<li>b</ul>\n  <br><img src=x.png alt='a &amp; b'> tail\n</body></html>"));
    EXPECT_EQ(
        L"HTML(HEAD(TITLE(#text)),BODY(#text,B(#text,I(#text)),P(#text),P(#text),UL(LI(#text),LI(#text)),"
        L"BR,IMG,#text))",
        Shape(*page.Html()));
    EXPECT_EQ(page.Html().get(), page.Root()->parent);
    EXPECT_EQ(L"\n  Hello ", page.Root()->children[0]->text) << "a run with words keeps its white space";
    EXPECT_EQ(L"a & b", GetAttribute(*page.Root()->children[6], L"ALT")) << "decoded, any case";
    EXPECT_EQ(L"en", GetAttribute(*page.Html(), L"lang"));

    // Missing html, head and body are made; a second body tag adds its attributes; stray end tags do nothing.
    const DomTree bare(ParsePage(L"<meta charset=utf-8></div>text<body id=late><span>s</span></em>"));
    EXPECT_EQ(L"HTML(HEAD(META),BODY(#text,SPAN(#text)))", Shape(*bare.Html()));
    EXPECT_EQ(L"late", bare.Root()->id);

    const DomTree frames(ParsePage(L"<frameset rows='*,*'><frame src=a.html><frameset><frame></frameset>"
                                   L"</frameset><p>lost</p>"));
    EXPECT_EQ(L"HTML(HEAD,FRAMESET(FRAME,FRAMESET(FRAME)))", Shape(*frames.Html()));

    std::wstring deep;
    for (size_t i = 0; i < kDeepestNesting + 10; ++i)
        deep += L"<div>";
    const DomTree nested(ParsePage(deep));
    size_t depth = 0;
    for (const DomElement* node = nested.Root().get(); !node->children.empty();
         node = node->children.front().get())
        ++depth;
    EXPECT_EQ(kDeepestNesting - 2, depth) << "html and body count too";
    EXPECT_EQ(13u, Descendants(*nested.Root())[depth - 2]->children.size()) << "the rest side by side";
}

TEST(StandInDomTree, AttributesChangeAndSerialiseWithTheirCurrentValues) {
    const DomTree page(ParsePage(L"<body><p id=p class=c STYLE='COLOR:red'>a &lt; b<br></p>"
                                 L"<script>if (a < b) x();</script></body>"));
    DomElement& p = ById(page, L"p");
    EXPECT_EQ(L"c", GetAttribute(p, L"className"));
    EXPECT_FALSE(GetAttribute(p, L"ID", true)) << "case counts when asked";
    EXPECT_FALSE(GetAttribute(p, L"title"));
    EXPECT_EQ(L"COLOR:red", p.style.CssText()) << "as written";
    EXPECT_EQ(L"<P id=\"p\" class=\"c\" style=\"COLOR:red\">a &lt; b<BR></P>", OuterHtml(p));

    SetAttribute(p, L"title", L"say \"hi\" & go", true);
    SetAttribute(p, L"STYLE", L"margin: 0", true);
    SetAttribute(p, L"id", L"q", true);
    EXPECT_EQ(L"q", p.id);
    EXPECT_EQ(L"0", p.style.Get(L"margin"));
    EXPECT_EQ((std::vector<std::wstring>{L"title", L"style", L"id"}), p.changedByHost);
    EXPECT_EQ(
        L"<P id=\"q\" class=\"c\" style=\"margin: 0\" title=\"say &quot;hi&quot; &amp; go\">a &lt; b<BR></P>",
        OuterHtml(p));
    p.style.Set(L"zoom", L"2");
    EXPECT_EQ(L"margin: 0; zoom: 2", *GetAttribute(p, L"style")) << "one property set: no longer as written";

    // What outerHTML gives reads back into the same tree.
    const std::wstring html = OuterHtml(*page.Html());
    EXPECT_NE(std::wstring::npos, html.find(L"<SCRIPT>if (a < b) x();</SCRIPT>")) << html;
    EXPECT_EQ(html, OuterHtml(*DomTree(ParsePage(html)).Html()));
    EXPECT_EQ(L"a < b", InnerText(ById(page, L"q")));
}

TEST(StandInDomTree, InnerTextBreaksLinesAtBlocksAndLeavesOutWhatIsNotShown) {
    const DomTree page(
        ParsePage(L"<title>T</title><body>  Hello <b>bold  <i>it</i></b><p>first</p>"
                  L"<ul><li>a<li>b</ul><div style='display:none'>hidden</div>x<br>tail</body>"));
    EXPECT_EQ(L"Hello bold it\r\nfirst\r\na\r\nb\r\nx\r\ntail", InnerText(*page.Root()));
    EXPECT_EQ(L"T", InnerText(*page.Html()->children[0]->children[0])) << "the title asked for itself";
}

TEST(StandInDomLayout, CurrentStyleComesFromTheElementItsTagOrItsParent) {
    DomTree page(ParsePage(L"<body><div id=d style='margin: 1px 2px 3px; border: 4px solid red; COLOR: Blue'>"
                           L"<span id=s>t</span><b id=b style='font-weight: 900'></b></div>"
                           L"<h1><em id=e>x</em></h1><a id=a></a><li id=l></li></body>"));
    const DomElement& div = ById(page, L"d");
    const auto style = [](const DomElement& element, const wchar_t* name) {
        return CurrentStyle(element, name).value_or(L"<unknown>");
    };
    EXPECT_EQ(L"block", style(div, L"display"));
    EXPECT_EQ(L"inline", style(ById(page, L"s"), L"display"));
    EXPECT_EQ(L"none", style(*page.Html()->children[0], L"display")) << "head";
    EXPECT_EQ(L"list-item", style(ById(page, L"l"), L"display"));
    EXPECT_EQ(L"1px", style(div, L"marginTop"));
    EXPECT_EQ(L"2px", style(div, L"marginLeft"));
    EXPECT_EQ(L"3px", style(div, L"marginBottom"));
    EXPECT_EQ(L"4px", style(div, L"borderTopWidth"));
    EXPECT_EQ(L"solid", style(div, L"BORDERLEFTSTYLE")) << "names in any case";
    EXPECT_EQ(L"auto", style(div, L"width"));
    EXPECT_EQ(L"static", style(div, L"position"));
    EXPECT_EQ(L"transparent", style(div, L"backgroundColor"));
    EXPECT_EQ(L"0px", style(div, L"paddingTop"));
    EXPECT_EQ(L"15px", style(*page.Root(), L"marginTop"));
    EXPECT_EQ(L"10px", style(*page.Root(), L"marginLeft"));
    EXPECT_EQ(L"auto", style(div, L"zIndex"));
    EXPECT_EQ(L"inherit", style(div, L"visibility"));

    EXPECT_EQ(L"Blue", style(ById(page, L"s"), L"color")) << "inherited";
    EXPECT_EQ(L"#0000ff", style(ById(page, L"a"), L"color"));
    EXPECT_EQ(L"400", style(ById(page, L"s"), L"fontWeight"));
    EXPECT_EQ(L"900", style(ById(page, L"b"), L"fontWeight"));
    EXPECT_EQ(L"700", style(ById(page, L"e"), L"fontWeight")) << "from the heading around it";
    EXPECT_EQ(L"24pt", style(ById(page, L"e"), L"fontSize"));
    EXPECT_EQ(L"italic", style(ById(page, L"e"), L"fontStyle"));
    EXPECT_EQ(L"Times New Roman", style(div, L"fontFamily"));
    EXPECT_FALSE(CurrentStyle(div, L"colour"));

    ById(page, L"d").runtime.Set(L"color", L"green");
    EXPECT_EQ(L"green", style(ById(page, L"s"), L"color")) << "the runtime style wins";
}

TEST(StandInDomLayout, BoxesFollowTheDocumentedLayoutAndPointsFindTheInnermostElement) {
    DomTree page(
        ParsePage(L"<body><div id=a style='height: 30px; margin: 5px; padding: 2px'>x</div>"
                  L"<p id=p>ab <span id=s>cd</span></p><div id=gone style='display:none'><b id=in>z</b>"
                  L"</div><img id=i width=50 height=10><div id=abs style='position:absolute; left:200px;"
                  L" top:300px; width:20px; height:20px'></div></body>"));
    LayOut(*page.Html());
    EXPECT_EQ((std::vector<std::pair<std::wstring, std::wstring>>{{L"box.a", L"15,20,785,54"},
                                                                  {L"box.p", L"10,59,790,79"},
                                                                  {L"box.s", L"34,59,50,79"},
                                                                  {L"box.gone", L"0,0,0,0"},
                                                                  {L"box.in", L"0,0,0,0"},
                                                                  {L"box.i", L"10,79,60,89"},
                                                                  {L"box.abs", L"200,300,220,320"}}),
              DocumentReportLines(*page.Html()));
    EXPECT_EQ(104, page.Html()->box.height) << "body margins around 74 pixels of content";
    EXPECT_EQ(L"s", HitTest(*page.Root(), 40, 65)->id);
    EXPECT_EQ(L"p", HitTest(*page.Root(), 500, 65)->id);
    EXPECT_EQ(L"abs", HitTest(*page.Root(), 205, 305)->id);
    EXPECT_EQ(page.Root().get(), HitTest(*page.Root(), 2, 2)) << "outside every element: the body";

    SetAttribute(ById(page, L"s"), L"data-x", L"1", true);
    SetAttribute(ById(page, L"p"), L"style", L"display: none", true);
    LayOut(*page.Html());
    const auto lines = DocumentReportLines(*page.Html());
    EXPECT_EQ((std::pair<std::wstring, std::wstring>{L"box.p", L"0,0,0,0"}), lines[1]);
    EXPECT_EQ((std::pair<std::wstring, std::wstring>{L"attr.p.style", L"display: none"}), lines[2]);
    EXPECT_EQ((std::pair<std::wstring, std::wstring>{L"attr.s.data-x", L"1"}), lines[4]);
    EXPECT_EQ(L"10,59,60,69", lines[7].second) << "the image moved up into the place of the paragraph";
}

TEST(StandInDomLayout, ALargePageIsReadLaidOutAndReportedInLinearTime) {
    std::wstring markup = L"<body>";
    for (int i = 0; i < 2000; ++i) {
        markup += L"<div id=d" + std::to_wstring(i) + L">";
        for (int j = 0; j < 9; ++j)
            markup += L"<span>t</span>";
        markup += L"</div>";
    }
    const auto start = std::chrono::steady_clock::now();
    DomTree page(ParsePage(markup));
    LayOut(*page.Html());
    const auto lines = DocumentReportLines(*page.Html());
    const std::wstring html = OuterHtml(*page.Html());
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(20000u, Descendants(*page.Root()).size());
    EXPECT_EQ(2000u, lines.size());
    EXPECT_LT(took, std::chrono::seconds(10)) << "20,000 elements: nothing quadratic";
}

TEST(StandInPageScript, AssignmentsOfNumbersStringsAndWhatThePageSays) {
    const DomTree page(ParsePage(L"<title>Doc</title><div id=x>x</div>"));
    ScriptGlobals globals;
    EXPECT_FALSE(RunScript(L"window.a = 1 + 2; b = 'x' + 1 + 2\n c = document.title + \":\" + "
                           L"document.getElementById(\"x\").tagName;;\r\nd = (1 + 2) + 'px'; e = -1.5 + .25;"
                           L"f = document.getElementById('x').id + 'it\\'s'",
                           L"Doc", page.Html().get(), globals));
    const auto text = [&](const wchar_t* name) {
        const auto index = globals.Find(name, true);
        return index ? ScriptText(globals.ValueAt(*index)) : L"<unset>";
    };
    EXPECT_EQ(L"3", text(L"a"));
    EXPECT_TRUE(globals.ValueAt(*globals.Find(L"a", true)).isNumber);
    EXPECT_EQ(L"x12", text(L"b"));
    EXPECT_EQ(L"Doc:DIV", text(L"c"));
    EXPECT_EQ(L"3px", text(L"d"));
    EXPECT_EQ(L"-1.25", text(L"e"));
    EXPECT_EQ(L"xit's", text(L"f"));
    EXPECT_EQ(std::optional<size_t>(1), globals.Find(L"B", false)) << "by name in any case only when asked";
    EXPECT_FALSE(globals.Find(L"B", true));
    EXPECT_FALSE(RunScript(L"", L"Doc", page.Html().get(), globals));
    EXPECT_FALSE(RunScript(L" ;\n ; ", L"Doc", page.Html().get(), globals));
    EXPECT_EQ(6u, globals.Size());

    EXPECT_EQ(L"0.30000000000000004", ScriptText({true, 0.1 + 0.2, {}}));
    EXPECT_EQ(L"1e+21", ScriptText({true, 1e21, {}}));
    EXPECT_EQ(L"1e-7", ScriptText({true, 1e-7, {}}));
    EXPECT_TRUE(IsScriptLanguage(L"javascript"));
    EXPECT_TRUE(IsScriptLanguage(L""));
    EXPECT_FALSE(IsScriptLanguage(L"VBScript"));
}

TEST(StandInPageScript, ASyntaxErrorRunsNothingAndAFailingStatementStopsTheRest) {
    const DomTree page(ParsePage(L"<div id=x></div>"));
    ScriptGlobals globals;
    for (const wchar_t* wrong :
         {L"a = 5; alert(1)", L"window = 1", L"document.title = 'x'", L"a = y", L"a = 'open", L"a = 1 2",
          L"a = document.getElementById('x').className", L"a = (1", L"a == 1"}) {
        const std::optional<std::wstring> error = RunScript(wrong, L"", page.Html().get(), globals);
        ASSERT_TRUE(error) << wrong;
        EXPECT_EQ(0u, error->rfind(L"Syntax error at character ", 0)) << *error;
    }
    EXPECT_EQ(0u, globals.Size());

    EXPECT_EQ(
        L"'document.getElementById(...)' is null or not an object",
        RunScript(L"f = 1; g = document.getElementById('nope').id; h = 2", L"", page.Html().get(), globals));
    EXPECT_TRUE(globals.Find(L"f", true));
    EXPECT_FALSE(globals.Find(L"h", true));
}

} // namespace
} // namespace movalent::standin
