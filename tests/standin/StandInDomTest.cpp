// The stand-in document's element tree: what a page's markup puts in its body, and the markup operations and
// styles that a host's page zoom goes through.
#include "standin/engine/document/DomTree.h"
#include "standin/engine/page/PageReport.h"

#include <gtest/gtest.h>

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
    EXPECT_TRUE(frames.Root()->children.empty());
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

    // The body has no parent to stand beside in; pointers in different containers or the wrong way round
    // enclose nothing.
    EXPECT_FALSE(PositionBeside(page.Root(), Adjacency::BeforeBegin, before));
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

} // namespace
} // namespace movalent::standin
