// The stand-in browser's reading of addresses, markup and page bytes, and its travel log: the rules that need
// no Windows API.
#include "standin/engine/page/PageAddress.h"
#include "standin/engine/page/PageContent.h"
#include "standin/engine/page/PageReport.h"
#include "standin/engine/page/PageText.h"
#include "standin/engine/page/TravelLog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace movalent::standin;

namespace {

std::wstring Url(std::wstring_view input) {
    return ParseAddress(input).url;
}
std::wstring Path(std::wstring_view input) {
    return ParseAddress(input).path;
}
AddressKind Kind(std::wstring_view input) {
    return ParseAddress(input).kind;
}

// ------------------------------------------------------------------------------------------------------------
// Addresses

TEST(StandInAddress, AboutBlankInAnyCaseAndPadding) {
    EXPECT_EQ(AddressKind::Blank, Kind(L"about:blank"));
    EXPECT_EQ(L"about:blank", Url(L"  ABOUT:Blank\t"));
    EXPECT_EQ(AddressKind::Unsupported, Kind(L"about:mozilla"));
}

TEST(StandInAddress, DrivePathsAndFileUrlsMeetInOneCanonicalSpelling) {
    const std::wstring url = L"file:///C:/dir/page.html";
    for (const wchar_t* spelling :
         {L"C:\\dir\\page.html", L"C:/dir/page.html", L"file:///C:/dir/page.html", L"file://C:/dir/page.html",
          L"file:C:\\dir\\page.html", L"file:///C|/dir/page.html", L"FILE:///C:\\dir\\page.html",
          L"file://localhost/C:/dir/page.html", L"C:\\dir\\.\\sub\\..\\page.html", L"C:\\dir\\\\page.html"}) {
        const PageAddress address = ParseAddress(spelling);
        EXPECT_EQ(AddressKind::File, address.kind) << spelling;
        EXPECT_EQ(url, address.url) << spelling;
        EXPECT_EQ(L"C:\\dir\\page.html", address.path) << spelling;
    }
}

TEST(StandInAddress, FileUrlsArePercentDecodedIntoThePathAndEncodedBackIntoTheUrl) {
    EXPECT_EQ(L"C:\\my dir\\p\u00E9.html", Path(L"file:///C:/my%20dir/p%C3%A9.html"));
    EXPECT_EQ(L"file:///C:/my%20dir/p\u00E9.html", Url(L"file:///C:/my%20dir/p%C3%A9.html"));
    EXPECT_EQ(L"file:///C:/my%20dir/100%25.html", Url(L"C:\\my dir\\100%.html"));
    EXPECT_EQ(L"C:\\100%.html", Path(L"C:\\100%.html")) << "a plain path is never decoded";
    EXPECT_EQ(L"C:\\\u00E9.html", Path(L"file:///C:/%E9.html")) << "a byte that is no UTF-8 stays itself";
    EXPECT_EQ(L"C:\\%zz.html", Path(L"file:///C:/%zz.html"));
    EXPECT_EQ(L"C:\\x%2", Path(L"file:///C:/x%2")) << "a cut escape at the end";
}

TEST(StandInAddress, FragmentsAndQueriesStayInTheUrlButNotInThePath) {
    const PageAddress address = ParseAddress(L"file:///C:/x.html#top");
    EXPECT_EQ(L"C:\\x.html", address.path);
    EXPECT_EQ(L"file:///C:/x.html#top", address.url);
    EXPECT_EQ(L"C:\\x.html", Path(L"file:///C:/x.html?a=1"));
}

TEST(StandInAddress, UncPathsAndServerUrls) {
    EXPECT_EQ(L"file://server/share/a%20b.html", Url(L"\\\\server\\share\\a b.html"));
    EXPECT_EQ(L"\\\\server\\share\\a b.html", Path(L"file://server/share/a%20b.html"));
    EXPECT_EQ(L"\\\\server\\share\\x.html", Path(L"file:////server/share/x.html"));
}

TEST(StandInAddress, DotSegmentsNeverClimbAboveTheRoot) {
    EXPECT_EQ(L"C:\\x.html", Path(L"C:\\..\\..\\x.html"));
    EXPECT_EQ(L"C:\\", Path(L"C:"));
    EXPECT_EQ(L"file:///C:/dir/", Url(L"C:\\dir\\"));
    EXPECT_EQ(L"C:\\dir\\", Path(L"file:///C:/dir/sub/.."));
}

TEST(StandInAddress, EverythingElseIsUnsupportedAndKeptAsWritten) {
    for (const wchar_t* input :
         {L"http://example.com/", L"https://x/", L"page.html", L"www.example.com",
          L"file:///usr/share/x.html", L"res://shdoclc.dll/x.htm", L"javascript:void(0)", L"file://", L""}) {
        const PageAddress address = ParseAddress(input);
        EXPECT_EQ(AddressKind::Unsupported, address.kind) << input;
        EXPECT_EQ(input, address.url);
        EXPECT_EQ(L"", address.path);
    }
    EXPECT_EQ(L"http://x/", Url(L"  http://x/  "));
}

TEST(StandInAddress, ReferencesResolveAgainstThePagesFolder) {
    const std::wstring page = L"file:///C:/site/dir/page.html";
    EXPECT_EQ(L"file:///C:/site/dir/a.html", ResolveReference(page, L"a.html"));
    EXPECT_EQ(L"file:///C:/site/dir/sub/b.html", ResolveReference(page, L"sub/b.html"));
    EXPECT_EQ(L"file:///C:/site/dir/sub/b.html", ResolveReference(page, L"sub\\b.html"));
    EXPECT_EQ(L"file:///C:/site/c.html", ResolveReference(page, L"../c.html"));
    EXPECT_EQ(L"file:///C:/d.html", ResolveReference(page, L"/d.html"));
    EXPECT_EQ(L"file:///C:/site/dir/a%20b.html", ResolveReference(page, L"a%20b.html"));
    EXPECT_EQ(L"file:///C:/site/dir/x.html#f", ResolveReference(page, L"x.html#f"));
    EXPECT_EQ(L"about:blank", ResolveReference(page, L"  "));
    EXPECT_EQ(L"http://x/y", ResolveReference(page, L"http://x/y"));
    EXPECT_EQ(L"D:\\e.html", ResolveReference(page, L"D:\\e.html"));
    EXPECT_EQ(L"\\\\srv\\s\\f.html", ResolveReference(page, L"\\\\srv\\s\\f.html"));
    EXPECT_EQ(L"file://server/share/r.html", ResolveReference(L"file://server/share/dir/p.html", L"/r.html"));
    EXPECT_EQ(L"a.html", ResolveReference(L"about:blank", L"a.html"));
    EXPECT_EQ(L"a.html", ResolveReference(L"http://x/", L"a.html"));
}

// ------------------------------------------------------------------------------------------------------------
// Markup

TEST(StandInMarkup, TitleAndVisibleText) {
    const PageContent page = ParsePage(
        L"<!DOCTYPE html><html><head><title> My \n  &amp; Title </title><style>p { color: red }</style>"
        L"<script>var a = \"<b>not text</b>\";</script></head>"
        L"<body><p>Hello&nbsp;<b>world</b></p><P>Second    line</P>Tail<br>end</body></html>");
    EXPECT_EQ(L"My & Title", page.title);
    EXPECT_EQ(L"Hello\u00A0world\nSecond line\nTail\nend", page.text);
    EXPECT_FALSE(page.frameset);
    EXPECT_TRUE(page.frames.empty());
    EXPECT_TRUE(page.directives.empty());
}

TEST(StandInMarkup, OnlyTheFirstTitleCountsAndNoTitleIsEmpty) {
    EXPECT_EQ(L"One", ParsePage(L"<title>One</title><title>Two</title>").title);
    EXPECT_EQ(L"", ParsePage(L"<body>text</body>").title);
    EXPECT_EQ(L"text", ParsePage(L"<body>text</body>").text);
    EXPECT_EQ(L"", ParsePage(L"<title>  </title>").title);
}

TEST(StandInMarkup, FramesetsAndInlineFramesInDocumentOrder) {
    const PageContent frameset =
        ParsePage(L"<html><frameset cols=\"50%,*\"><frame src=\"a.html\"><frame SRC='b&amp;c.html' name=x>"
                  L"<frameset><frame src=nested.html /><frame></frameset>"
                  L"<noframes>No frames here</noframes></frameset></html>");
    EXPECT_TRUE(frameset.frameset);
    EXPECT_EQ((std::vector<std::wstring>{L"a.html", L"b&c.html", L"nested.html", L""}), frameset.frames);
    EXPECT_EQ(L"", frameset.text);

    const PageContent inline_ = ParsePage(L"<body>Before <iframe src=\"x.html\">fallback</iframe> After"
                                          L"<IFRAME src=\"y.html\"></IFRAME></body>");
    EXPECT_FALSE(inline_.frameset);
    EXPECT_EQ((std::vector<std::wstring>{L"x.html", L"y.html"}), inline_.frames);
    EXPECT_EQ(L"Before After", inline_.text);
}

TEST(StandInMarkup, DirectivesAreCommentsWithTheStandinPrefix) {
    const PageContent page = ParsePage(
        L"<body><!--standin: new-window other page.html--><!-- a plain comment --><!--STANDIN:CLOSE-->"
        L"<!--standin:   hang   --><!--standin:--><!--standin-x: no--><p>text</p></body>");
    ASSERT_EQ(3u, page.directives.size());
    EXPECT_EQ(L"new-window", page.directives[0].name);
    EXPECT_EQ(L"other page.html", page.directives[0].argument);
    EXPECT_EQ(L"close", page.directives[1].name);
    EXPECT_EQ(L"", page.directives[1].argument);
    EXPECT_EQ(L"hang", page.directives[2].name);
    EXPECT_EQ(L"text", page.text);
}

TEST(StandInMarkup, BrokenMarkupIsReadNotRejected) {
    EXPECT_EQ(L"a < b and c", ParsePage(L"a < b and c").text);
    EXPECT_EQ(L"x <", ParsePage(L"x <").text);
    EXPECT_EQ(L"x", ParsePage(L"x <p class=\"never closed").text);
    EXPECT_EQ(L"before", ParsePage(L"before<!-- never closed <b>bold</b>").text);
    EXPECT_EQ(L"", ParsePage(L"<script>never closed").text);
    EXPECT_EQ(L"t", ParsePage(L"<title>t").title);
    EXPECT_EQ(L"link", ParsePage(L"<a href=x.html target=_blank>link</a>").text);
    EXPECT_EQ((std::vector<std::wstring>{L"x.html"}), ParsePage(L"<iframe src=x.html>").frames);
    const PageContent empty = ParsePage(L"");
    EXPECT_EQ(L"", empty.text);
    EXPECT_EQ(L"", empty.title);
}

TEST(StandInMarkup, CharacterReferences) {
    EXPECT_EQ(L"\u00E9\u00E9 <&> \"'", DecodeCharacterReferences(L"&#233;&#xE9; &lt;&amp;&gt; &quot;&apos;"));
    EXPECT_EQ(std::wstring(L"\xD83D\xDE00"), DecodeCharacterReferences(L"&#x1F600;"))
        << "beyond the basic plane: a surrogate pair, as Windows strings hold it";
    EXPECT_EQ(L"\uFFFD\uFFFD\uFFFD", DecodeCharacterReferences(L"&#0;&#xD800;&#x110000;"));
    EXPECT_EQ(L"&bogus; &amp &#; &#x; &#12a; &",
              DecodeCharacterReferences(L"&bogus; &amp &#; &#x; &#12a; &"));
    EXPECT_EQ(L"&#99999999999;", DecodeCharacterReferences(L"&#99999999999;")) << "too long to be a number";
}

// ------------------------------------------------------------------------------------------------------------
// Page bytes

TEST(StandInPageBytes, ByteOrderMarksThenUtf8ThenWindows1252) {
    EXPECT_EQ(L"\u00E9t\u00E9", DecodePageBytes("\xEF\xBB\xBF\xC3\xA9t\xC3\xA9"));
    EXPECT_EQ(L"\u00E9t\u00E9", DecodePageBytes("\xC3\xA9t\xC3\xA9"));
    EXPECT_EQ(L"\u00E9t\u00E9", DecodePageBytes("\xE9t\xE9"));
    EXPECT_EQ(L"\u20AC\u2019\u0081", DecodePageBytes("\x80\x92\x81"));
    EXPECT_EQ(L"\u00C0\u00AF", DecodePageBytes("\xC0\xAF")) << "an overlong form is no UTF-8";
    EXPECT_EQ(L"\u00ED\u00A0\u20AC", DecodePageBytes("\xED\xA0\x80")) << "an encoded surrogate is no UTF-8";
    EXPECT_EQ(L"A\u00E9", DecodePageBytes(std::string("\xFF\xFE"
                                                      "A\0\xE9\0",
                                                      6)));
    EXPECT_EQ(L"A\u00E9", DecodePageBytes(std::string("\xFE\xFF\0A\0\xE9", 6)));
    EXPECT_EQ(L"A", DecodePageBytes(std::string("\xFF\xFE"
                                                "A\0\xE9",
                                                5)))
        << "an odd last byte is dropped";
    EXPECT_EQ(L"", DecodePageBytes(""));
    EXPECT_EQ(L"\xC3", DecodePageBytes("\xC3")) << "a cut sequence is no UTF-8";
}

// ------------------------------------------------------------------------------------------------------------
// Travel log

TEST(StandInTravelLog, BackAndForwardAroundTheCurrentEntry) {
    TravelLog log;
    EXPECT_FALSE(log.BackIndex());
    EXPECT_FALSE(log.ForwardIndex());
    EXPECT_EQ(0u, log.BackCount());
    log.Add(L"a");
    EXPECT_FALSE(log.BackIndex());
    log.Add(L"b");
    log.Add(L"c");
    EXPECT_EQ(2u, log.BackCount());
    EXPECT_EQ(1u, *log.BackIndex());
    EXPECT_FALSE(log.ForwardIndex());
    ASSERT_TRUE(log.MoveTo(0));
    EXPECT_EQ(0u, log.BackCount());
    EXPECT_EQ(2u, log.ForwardCount());
    EXPECT_EQ(1u, *log.ForwardIndex());
    EXPECT_FALSE(log.MoveTo(3));
    EXPECT_EQ(2u, log.ForwardCount()) << "a refused move changes nothing";
}

TEST(StandInTravelLog, ANewPageDropsTheForwardEntries) {
    TravelLog log;
    for (const wchar_t* url : {L"a", L"b", L"c"})
        log.Add(url);
    ASSERT_TRUE(log.MoveTo(1));
    log.Add(L"d");
    ASSERT_EQ(3u, log.Size());
    EXPECT_EQ(L"a", log.At(0));
    EXPECT_EQ(L"b", log.At(1));
    EXPECT_EQ(L"d", log.At(2));
    EXPECT_EQ(0u, log.ForwardCount());
    EXPECT_EQ(2u, log.BackCount());
}

TEST(StandInTravelLog, AFullLogForgetsItsOldestEntries) {
    TravelLog log(3);
    for (const wchar_t* url : {L"a", L"b", L"c", L"d", L"e"})
        log.Add(url);
    ASSERT_EQ(3u, log.Size());
    EXPECT_EQ(L"c", log.At(0));
    EXPECT_EQ(L"e", log.At(2));
    EXPECT_EQ(2u, log.BackCount());
}

// ------------------------------------------------------------------------------------------------------------
// Page report

PageSnapshot FramedPage() {
    PageSnapshot page;
    page.versionLetter = L'6';
    page.browserFile = L"6hdocvw.dll";
    page.browserPath = L"C:\\Movalent\\6hdocvw.dll";
    page.state = L"complete";
    page.hasPage = true;
    page.url = L"file:///C:/site/frames.html";
    page.title = L"Frames";
    page.locationName = L"Frames";
    page.text = L"first line\nsecond line";
    page.origin = {0, L"6shtml.dll", L"6shtml.dll"};
    FrameSnapshot opened;
    opened.url = L"file:///C:/site/a.html";
    opened.title = L"A";
    opened.text = L"text of a";
    opened.opened = true;
    opened.error = 0x800C0005;
    opened.origin = {0, L"6shtml.dll", L"6shtml.dll"};
    FrameSnapshot empty;
    empty.url = L"file:///C:/site/b.html";
    empty.depth = 2;
    page.frames = {opened, empty};
    page.probed = true;
    page.modules = {{L"mshtml.dll", L"6shtml.dll", L"C:\\Movalent\\6shtml.dll", 0},
                    {L"urlmon.dll", L"", L"", 126}};
    page.versionVector = L"missing";
    page.back = 1;
    page.textSize = 3;
    page.print = 2;
    page.newWindowUrl = L"file:///C:/site/new.html";
    page.newWindowHandledBy = L"NewWindow";
    return page;
}

TEST(StandInPageReport, EveryFactOnOneLineInAFixedOrder) {
    const std::wstring expected = L"engine=Stand-in engine IE 6 (6hdocvw.dll) - not Internet Explorer\n"
                                  L"version=6\n"
                                  L"browser=6hdocvw.dll\n"
                                  L"browserPath=C:\\Movalent\\6hdocvw.dll\n"
                                  L"state=complete\n"
                                  L"url=file:///C:/site/frames.html\n"
                                  L"title=Frames\n"
                                  L"locationName=Frames\n"
                                  L"text=first line second line\n"
                                  L"document.hr=0x00000000\n"
                                  L"document.answeredBy=6shtml.dll\n"
                                  L"document.module=6shtml.dll\n"
                                  L"frames=2\n"
                                  L"frame.0.url=file:///C:/site/a.html\n"
                                  L"frame.0.title=A\n"
                                  L"frame.0.depth=1\n"
                                  L"frame.0.document.answeredBy=6shtml.dll\n"
                                  L"frame.0.document.module=6shtml.dll\n"
                                  L"frame.0.error=0x800C0005\n"
                                  L"frame.1.url=file:///C:/site/b.html\n"
                                  L"frame.1.title=\n"
                                  L"frame.1.depth=2\n"
                                  L"probe.mshtml=6shtml.dll\n"
                                  L"probe.mshtml.path=C:\\Movalent\\6shtml.dll\n"
                                  L"probe.urlmon=none\n"
                                  L"probe.urlmon.path=\n"
                                  L"probe.urlmon.error=126\n"
                                  L"probe.versionVector=missing\n"
                                  L"back=1\n"
                                  L"forward=0\n"
                                  L"textSize=3\n"
                                  L"print=2\n"
                                  L"printPreview=0\n"
                                  L"newWindow.url=file:///C:/site/new.html\n"
                                  L"newWindow.handledBy=NewWindow\n";
    EXPECT_EQ(expected, BuildPageReport(FramedPage()));
}

TEST(StandInPageReport, BeforeAnyPageOnlyTheBrowserIsDescribed) {
    PageSnapshot page;
    page.versionLetter = L'8';
    page.browserFile = L"8eframe.dll";
    page.state = L"empty";
    page.close = L"cancelled";
    const std::wstring report = BuildPageReport(page);
    EXPECT_EQ(std::wstring::npos, report.find(L"document."));
    EXPECT_EQ(std::wstring::npos, report.find(L"probe."));
    EXPECT_EQ(std::wstring::npos, report.find(L"newWindow."));
    EXPECT_NE(std::wstring::npos, report.find(L"\nclose=cancelled\n"));
    EXPECT_NE(std::wstring::npos, report.find(L"\nframes=0\n"));
    const std::vector<PageLine> lines = BuildPageLines(page);
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ(LineStyle::Heading, lines[0].style);
    EXPECT_EQ(L"Stand-in engine IE 8 (8eframe.dll) - not Internet Explorer", lines[0].text);
    EXPECT_EQ(L"No page opened yet.", lines[1].text);
}

TEST(StandInPageReport, HostAnswersFollowTheRestOnlyOnceAsked) {
    PageSnapshot page = FramedPage();
    EXPECT_EQ(std::wstring::npos, BuildPageReport(page).find(L"host.")) << "no site, nothing asked";

    page.host.asked = true;
    std::wstring report = BuildPageReport(page);
    EXPECT_NE(std::wstring::npos, report.find(L"\nhost.uiHandler=no\n"));
    EXPECT_EQ(std::wstring::npos, report.find(L"host.flags")) << "no handler, no flags";

    page.host.uiHandler = true;
    page.host.flags = 0x00040004;
    page.host.doubleClick = 0;
    page.host.external = {{L"AddFavorite", L"dispid 1, returned 0x00000000, no result"},
                          {L"AddChannel", L"no object (0x00000001)"}};
    page.host.contextMenu = L"0x00000001";
    report = BuildPageReport(page);
    const std::wstring tail = L"newWindow.handledBy=NewWindow\n"
                              L"host.uiHandler=yes\n"
                              L"host.hostInfo.hr=0x00000000\n"
                              L"host.flags=0x00040004\n"
                              L"host.doubleClick=0\n"
                              L"external.AddFavorite=dispid 1, returned 0x00000000, no result\n"
                              L"external.AddChannel=no object (0x00000001)\n"
                              L"contextMenu=0x00000001\n";
    ASSERT_GE(report.size(), tail.size());
    EXPECT_EQ(tail, report.substr(report.size() - tail.size()));
}

TEST(StandInPageReport, ThePaintedPageSaysWhatTheReportSays) {
    PageSnapshot page = FramedPage();
    page.state = L"hanging";
    const std::vector<PageLine> lines = BuildPageLines(page);
    std::vector<std::wstring> texts;
    for (const PageLine& line : lines)
        texts.push_back(line.text);
    const std::vector<std::wstring> expected = {
        L"Stand-in engine IE 6 (6hdocvw.dll) - not Internet Explorer",
        L"Frames",
        L"Address: file:///C:/site/frames.html",
        L"first line",
        L"second line",
        L"Frame 1: file:///C:/site/a.html",
        L"A",
        L"text of a",
        L"Frame 2: file:///C:/site/b.html (left empty)",
        L"Document made by 6shtml.dll (CoCreateInstance of the HTML document class).",
        L"Modules by standard name: mshtml.dll -> 6shtml.dll, urlmon.dll -> none (error 126)",
        L"Version Vector key: missing",
        L"Text size 3 of 0 to 4.",
        L"A script on this page does not return.",
    };
    EXPECT_EQ(expected, texts);
    EXPECT_EQ(1, lines[5].indent) << "frames are indented by their depth";
    EXPECT_EQ(LineStyle::Title, lines[6].style);
    EXPECT_EQ(2, lines[8].indent);

    page.origin = {0x80040154, L"none", L"6hdocvw.dll"};
    page.error = 0x800C0005;
    texts.clear();
    for (const PageLine& line : BuildPageLines(page))
        texts.push_back(line.text);
    EXPECT_NE(texts.end(),
              std::find(texts.begin(), texts.end(),
                        L"Document made by this browser copy, 6hdocvw.dll: CoCreateInstance of the HTML "
                        L"document class answered 0x80040154 with no object."));
    EXPECT_NE(texts.end(),
              std::find(texts.begin(), texts.end(),
                        L"The page could not be opened (status 0x800C0005); this is the stand-in's "
                        L"error page."));
}

TEST(StandInPageReport, VersionNames) {
    EXPECT_EQ(L"IE 5.5", VersionName(L'5'));
    EXPECT_EQ(L"IE 7", VersionName(L'7'));
    EXPECT_EQ(L"an unknown version", VersionName(L'?'));
    EXPECT_EQ(L"Stand-in engine an unknown version (standin_engine.dll) - not Internet Explorer",
              EngineLine(L'?', L"standin_engine.dll"));
}

} // namespace
