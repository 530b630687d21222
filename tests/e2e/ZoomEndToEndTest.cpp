// The page zoom inside the document, driven the way the view drives it: the zoom message posted to a tab's
// browser thread. The stand-in's page report shows what the zoom did to every document of the page.
#include "PageFolder.h"
#include "ProgramHarness.h"
#include "TabInspection.h"
#include "resource.h"
#include "standin/StandInTestSupport.h"

#include <gtest/gtest.h>

#include <string>

using namespace movalent::test;

namespace {

constexpr UINT kMsgApplyZoom = WM_USER + 0x2007;

class Zoom : public ::testing::Test {
protected:
    void SetUp() override { Program::ResetSettings(); }
    void TearDown() override { Program::ResetSettings(); }

    // One IE 7 tab showing page.
    HWND Open(const std::wstring& page, const std::wstring& title, ProgramOptions options = {}) {
        options.engineFolder = movalent::standin::testing::StandInFolder(L"full");
        options.arguments = {L"-IE7", page};
        if (!program.Start(options)) {
            ADD_FAILURE() << program.StartError();
            return nullptr;
        }
        HWND found = nullptr;
        Program::WaitFor([&] {
            HWND tab = program.ActiveTab();
            found = tab && PageValue(tab, L"title") == title && PageValue(tab, L"state") == L"complete"
                        ? tab
                        : nullptr;
            return found != nullptr;
        });
        EXPECT_TRUE(found) << "no tab showing " << ::testing::PrintToString(title);
        return found;
    }

    // Posts the zoom to the tab's browser thread, as the view does (thread message, wParam = percent).
    static bool PostZoom(HWND tab, int percent) {
        const DWORD thread = ::GetWindowThreadProcessId(BrowserWindow(tab), nullptr);
        return thread != 0 && ::PostThreadMessageW(thread, kMsgApplyZoom, static_cast<WPARAM>(percent), 0);
    }

    // Waits until every key has its value, then reports the ones that differ (none when all match).
    static std::wstring WaitForReport(HWND tab, const std::map<std::wstring, std::wstring>& expected) {
        std::wstring mismatch;
        Program::WaitFor([&] {
            const std::map<std::wstring, std::wstring> report = PageReport(tab);
            mismatch.clear();
            for (const auto& [key, value] : expected) {
                const auto found = report.find(key);
                const std::wstring actual = found == report.end() ? L"(missing)" : found->second;
                if (actual != value)
                    mismatch += key + L"=" + actual + L" (expected " + value + L") ";
            }
            return mismatch.empty();
        });
        return mismatch;
    }

    static std::map<std::wstring, std::wstring>
    Wrapped(const std::wstring& prefix, const std::wstring& runtime, const std::wstring& wrapper) {
        return {{prefix + L"zoom.runtime", runtime},
                {prefix + L"zoom.wrapper", wrapper},
                {prefix + L"zoom.wrappers", wrapper == L"none" ? L"0" : L"1"},
                {prefix + L"zoom.wrapsAll", wrapper == L"none" ? L"no" : L"yes"}};
    }

    static std::map<std::wstring, std::wstring>
    Merge(std::initializer_list<std::map<std::wstring, std::wstring>> parts) {
        std::map<std::wstring, std::wstring> all;
        for (const auto& part : parts)
            all.insert(part.begin(), part.end());
        return all;
    }

    PageFolder pages;
    Program program;
};

const char kPlainBody[] = "<p id=first>First paragraph</p><div>Second <b>block</b></div>";

TEST_F(Zoom, PlainPageIsWrappedOnceAndTheWrapperFollowsEveryPercentage) {
    HWND tab = Open(pages.WritePage(L"plain.html", "Plain", kPlainBody), L"Plain");
    ASSERT_TRUE(tab);
    // A page that was never zoomed is left as it is.
    EXPECT_EQ(L"", WaitForReport(tab, Wrapped(L"", L"none", L"none")));

    // 100 on the wrapped page keeps the wrapper, at 100 %.
    for (int percent : {150, 10, 55, 100, 999}) {
        ASSERT_TRUE(PostZoom(tab, percent));
        const std::wstring value = std::to_wstring(percent) + L"%";
        EXPECT_EQ(L"", WaitForReport(tab, Wrapped(L"", L"none", value))) << percent;
    }
    EXPECT_EQ(0, program.Close());
}

TEST_F(Zoom, FramesetZoomsThroughItsRuntimeStyleAndEveryFrameGetsItsOwnWrapper) {
    pages.WritePage(L"a.html", "A", "<p>Frame a</p>");
    pages.WritePage(L"b.html", "B", "<p>Frame b</p>");
    // A frameset inside a frame: it gets no zoom of its own, its frame does.
    pages.Write(L"inner.html", "<html><head><title>Inner</title></head>"
                               "<frameset rows='*'><frame src='b.html'></frameset></html>");
    const std::wstring page = pages.Write(L"frames.html", "<html><head><title>Frames</title></head>"
                                                          "<frameset cols='50%,*'><frame src='a.html'>"
                                                          "<frame src='inner.html'></frameset></html>");
    HWND tab = Open(page, L"Frames");
    ASSERT_TRUE(tab);
    ASSERT_EQ(L"3", PageValue(tab, L"frames"));

    const struct {
        int percent;
        const wchar_t* counter;
    } cases[] = {{150, L"66%"}, {10, L"1000%"}, {55, L"181%"}, {100, L"100%"}, {999, L"10%"}};
    for (const auto& c : cases) {
        ASSERT_TRUE(PostZoom(tab, c.percent));
        const std::wstring value = std::to_wstring(c.percent) + L"%";
        EXPECT_EQ(L"", WaitForReport(
                           tab, Merge({Wrapped(L"", value, L"none"), Wrapped(L"frame.0.", c.counter, value),
                                       Wrapped(L"frame.1.", L"none", L"none"),
                                       Wrapped(L"frame.2.", c.counter, value)})))
            << c.percent;
    }
    EXPECT_EQ(0, program.Close());
}

TEST_F(Zoom, InlineFrameGetsCounterZoomAndItsOwnWrapper) {
    pages.WritePage(L"inner.html", "Inner", "<p>Inside the inline frame</p>");
    const std::wstring page = pages.WritePage(L"outer.html", "Outer",
                                              "<p>Before</p><iframe src='inner.html'></iframe><p>After</p>");
    HWND tab = Open(page, L"Outer");
    ASSERT_TRUE(tab);
    for (int percent : {150, 10, 55, 100, 999}) {
        ASSERT_TRUE(PostZoom(tab, percent));
        const std::wstring value = std::to_wstring(percent) + L"%";
        const std::wstring counter = std::to_wstring(10000 / percent) + L"%";
        EXPECT_EQ(L"", WaitForReport(
                           tab, Merge({Wrapped(L"", L"none", value), Wrapped(L"frame.0.", counter, value)})))
            << percent;
    }
    EXPECT_EQ(0, program.Close());
}

TEST_F(Zoom, APageLoadedAfreshIsZoomedAgain) {
    const std::wstring home = pages.WritePage(L"home.html", "Home", "<p>The home page</p>");
    pages.WritePage(L"a.html", "A", "<p>Frame a</p>");
    const std::wstring framed = pages.Write(L"framed.html", "<html><head><title>Framed</title></head><body>"
                                                            "<iframe src='a.html'></iframe></body></html>");
    ProgramOptions options;
    options.stringSettings[L"HomePage"] = home;
    HWND tab = Open(framed, L"Framed", options);
    ASSERT_TRUE(tab);
    ASSERT_TRUE(PostZoom(tab, 150));
    ASSERT_EQ(L"", WaitForReport(
                       tab, Merge({Wrapped(L"", L"none", L"150%"), Wrapped(L"frame.0.", L"66%", L"150%")})));

    // Refresh makes new documents; the finished download zooms them, frames included.
    pages.Write(L"framed.html", "<html><head><title>Framed again</title></head><body>"
                                "<iframe src='a.html'></iframe></body></html>");
    program.PostCommand(ID_NAV_REFRESH);
    EXPECT_EQ(L"", WaitForReport(tab, Merge({{{L"title", L"Framed again"}},
                                             Wrapped(L"", L"none", L"150%"),
                                             Wrapped(L"frame.0.", L"66%", L"150%")})));

    // So does a new page.
    program.PostCommand(ID_NAV_HOME);
    EXPECT_EQ(L"", WaitForReport(tab, Merge({{{L"title", L"Home"}, {L"state", L"complete"}},
                                             Wrapped(L"", L"none", L"150%")})));
    EXPECT_EQ(0, program.Close());
}

TEST_F(Zoom, BackAtHundredANewPageIsLeftAlone) {
    const std::wstring home = pages.WritePage(L"home.html", "Home", "<p>The home page</p>");
    ProgramOptions options;
    options.stringSettings[L"HomePage"] = home;
    HWND tab = Open(pages.WritePage(L"plain.html", "Plain", kPlainBody), L"Plain", options);
    ASSERT_TRUE(tab);
    ASSERT_TRUE(PostZoom(tab, 150));
    ASSERT_TRUE(PostZoom(tab, 100));
    ASSERT_EQ(L"", WaitForReport(tab, Wrapped(L"", L"none", L"100%")));
    program.PostCommand(ID_NAV_HOME);
    EXPECT_EQ(L"", WaitForReport(tab, Merge({{{L"title", L"Home"}, {L"state", L"complete"}},
                                             Wrapped(L"", L"none", L"none")})));
    EXPECT_EQ(0, program.Close());
}

TEST_F(Zoom, AFirstElementWithTheWrapperIdCountsAsTheWrapper) {
    HWND tab =
        Open(pages.WritePage(L"own.html", "Own",
                             "<div id='__om__fennimox__zoom__' style='zoom: 80%'>Mine</div><p>Rest</p>"),
             L"Own");
    ASSERT_TRUE(tab);
    ASSERT_TRUE(PostZoom(tab, 150));
    EXPECT_EQ(L"",
              WaitForReport(
                  tab, {{L"zoom.wrapper", L"150%"}, {L"zoom.wrappers", L"1"}, {L"zoom.wrapsAll", L"no"}}));
    EXPECT_EQ(0, program.Close());
}

TEST_F(Zoom, AZeroPercentageChangesNothing) {
    pages.WritePage(L"a.html", "A", "<p>Frame a</p>");
    const std::wstring framed = pages.Write(L"framed.html", "<html><head><title>Framed</title></head><body>"
                                                            "<iframe src='a.html'></iframe></body></html>");
    HWND tab = Open(framed, L"Framed");
    ASSERT_TRUE(tab);
    ASSERT_TRUE(PostZoom(tab, 150));
    ASSERT_EQ(L"", WaitForReport(tab, Wrapped(L"frame.0.", L"66%", L"150%")));
    // A frame's counter-zoom divides by the percentage; 0 must neither crash the tab nor become its zoom.
    ASSERT_TRUE(PostZoom(tab, 0));
    ASSERT_TRUE(PostZoom(tab, -20));
    pages.Write(L"framed.html", "<html><head><title>Framed again</title></head><body>"
                                "<iframe src='a.html'></iframe></body></html>");
    program.PostCommand(ID_NAV_REFRESH);
    EXPECT_EQ(L"", WaitForReport(tab, Merge({{{L"title", L"Framed again"}},
                                             Wrapped(L"", L"none", L"150%"),
                                             Wrapped(L"frame.0.", L"66%", L"150%")})));
    EXPECT_TRUE(program.Running());
    EXPECT_EQ(0, program.Close());
}

} // namespace
