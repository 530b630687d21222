// The stand-in WebBrowser control, hosted the way a host embeds the real one, with no engine loader
// installed: embedding, the order of its events, frames, failures, history, commands, page directives, the
// document it gets from COM and the page report it draws from.
#include "StandInBrowserHost.h"

#include <mshtml.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <utility>
#include <vector>

using namespace movalent;
using namespace movalent::standin::testing;

namespace {

using Lines = std::vector<std::wstring>;
using DllGetClassObjectFn = HRESULT(__stdcall*)(REFCLSID, REFIID, void**);

constexpr GUID kCgidMshtml = {0xDE4BA900, 0x59CA, 0x11CF, {0x95, 0x92, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

std::string Page(const std::string& title, const std::string& body) {
    return "<html><head><title>" + title + "</title></head><body>" + body + "</body></html>";
}

VARIANT Long(LONG value) {
    VARIANT v;
    V_VT(&v) = VT_I4;
    V_I4(&v) = value;
    return v;
}

VARIANT Empty() {
    VARIANT v;
    ::VariantInit(&v);
    return v;
}

std::wstring ModulePathOf(IUnknown* object) {
    ComPtr<IStandInObject> standIn;
    UniqueBstr path;
    if (object == nullptr || FAILED(object->QueryInterface(IID_IStandInObject, standIn.put_void())) ||
        FAILED(standIn->GetModulePath(path.put())))
        return L"<none>";
    return std::wstring(path.get(), ::SysStringLen(path.get()));
}

ComPtr<IDispatch> DocumentOf(HostedBrowser& hosted) {
    ComPtr<IDispatch> document;
    hosted.browser->get_Document(document.put());
    return document;
}

// Registers, on the calling thread only, one copy's class object for the HTML document class: what
// CoCreateInstance on that thread then answers, as the engine loader would make it answer on a tagged thread.
class DocumentClassRegistration {
public:
    explicit DocumentClassRegistration(const std::wstring& mshtmlCopy, bool now = true)
        : module_(::LoadLibraryW(StandInFile(L"full", mshtmlCopy).c_str())) {
        if (now)
            Register();
    }
    DocumentClassRegistration(const DocumentClassRegistration&) = delete;
    DocumentClassRegistration& operator=(const DocumentClassRegistration&) = delete;
    ~DocumentClassRegistration() { Revoke(); }

    void Register() {
        const auto getClassObject = reinterpret_cast<DllGetClassObjectFn>(
            reinterpret_cast<void*>(::GetProcAddress(module_.get(), "DllGetClassObject")));
        ComPtr<IUnknown> factory;
        ASSERT_NE(nullptr, getClassObject);
        ASSERT_EQ(S_OK, getClassObject(kClsidHtmlDocument, IID_IClassFactory, factory.put_void()));
        EXPECT_EQ(S_OK, ::CoRegisterClassObject(kClsidHtmlDocument, factory.get(), CLSCTX_INPROC_SERVER,
                                                REGCLS_MULTIPLEUSE, &cookie_));
    }
    void Revoke() {
        if (cookie_ != 0)
            ::CoRevokeClassObject(cookie_);
        cookie_ = 0;
    }

private:
    UniqueModule module_;
    DWORD cookie_ = 0;
};

// A top-down 32-bit DIB section in a memory DC of its own.
class Picture {
public:
    Picture(int width, int height)
        : width_(width), dc_(::CreateCompatibleDC(nullptr)), bitmap_(Dib(dc_.get(), width, height, bits_)),
          selection_(dc_.get(), bitmap_.get()), height_(bits_ != nullptr ? height : 0) {}

    HDC Dc() const { return dc_.get(); }
    // The document's picture within bounds (default: all of this one).
    HRESULT Draw(IViewObject* view, DWORD aspect = DVASPECT_CONTENT, RECTL bounds = {}) {
        if (bounds.right == 0)
            bounds = {0, 0, width_, height_};
        const HRESULT hr =
            view->Draw(aspect, -1, nullptr, nullptr, nullptr, dc_.get(), &bounds, nullptr, nullptr, 0);
        ::GdiFlush();
        return hr;
    }
    std::vector<DWORD> Pixels() const {
        const auto* first = static_cast<const DWORD*>(bits_);
        return first != nullptr ? std::vector<DWORD>(first, first + width_ * height_) : std::vector<DWORD>();
    }
    // Pixels of text (dark) in rows [top, bottom).
    size_t Dark(int top, int bottom) const {
        const std::vector<DWORD> all = Pixels();
        return static_cast<size_t>(
            std::count_if(all.begin() + std::clamp(top, 0, height_) * width_,
                          all.begin() + std::clamp(bottom, 0, height_) * width_, [](DWORD p) {
                              return ((p >> 16) & 0xFF) < 100 && ((p >> 8) & 0xFF) < 100 && (p & 0xFF) < 100;
                          }));
    }

private:
    static HGDIOBJ Dib(HDC dc, int width, int height, void*& bits) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        return ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    }

    int width_;
    void* bits_ = nullptr;
    UniqueMemoryDc dc_;
    UniqueGdiObject bitmap_;
    ScopedSelection selection_;
    int height_;
};

ComPtr<IViewObject> ViewOf(HostedBrowser& hosted) {
    ComPtr<IViewObject> view;
    if (FAILED(DocumentOf(hosted).As(view)))
        view.detach();
    return view;
}

// ------------------------------------------------------------------------------------------------------------
// Embedding

TEST(StandInBrowserEmbedding, ActivatesInPlaceInTheHostsWindowAndLeavesOnClose) {
    OnBrowserThread([] {
        TestHost host;
        HostedBrowser hosted(host, L"full", L"6hdocvw.dll");
        ASSERT_TRUE(hosted.Ok());
        EXPECT_EQ((Lines{L"CanInPlaceActivate", L"OnInPlaceActivate"}), host.calls);

        const HWND control = hosted.ControlWindow();
        ASSERT_NE(nullptr, control);
        EXPECT_EQ(host.Window(), ::GetParent(control));
        EXPECT_TRUE(::GetWindowLongW(control, GWL_STYLE) & WS_CHILD);
        RECT placed;
        ::GetWindowRect(control, &placed);
        ::MapWindowPoints(nullptr, host.Window(), reinterpret_cast<POINT*>(&placed), 2);
        EXPECT_EQ(10, placed.left);
        EXPECT_EQ(20, placed.top);
        EXPECT_EQ(400, placed.right - placed.left) << "the position the site's window context gave";

        ComPtr<IOleInPlaceObject> inPlace;
        ASSERT_EQ(S_OK, hosted.browser.As(inPlace));
        const RECT moved = {0, 0, 200, 100};
        EXPECT_EQ(S_OK, inPlace->SetObjectRects(&moved, &moved));
        RECT client;
        ::GetClientRect(control, &client);
        EXPECT_EQ(200, client.right);
        EXPECT_EQ(100, client.bottom);
        EXPECT_EQ(200, hosted.GetLong(208)) << "Width";
        EXPECT_EQ(100, hosted.GetLong(209)) << "Height";

        EXPECT_EQ(S_OK, hosted.object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, &host, 0, host.Window(), &moved));
        EXPECT_EQ(
            (Lines{L"CanInPlaceActivate", L"OnInPlaceActivate", L"OnUIActivate", L"SetActiveObject(set)"}),
            host.calls);
        EXPECT_NE(nullptr, host.activeObject);

        hosted.object->Close(OLECLOSE_NOSAVE);
        EXPECT_FALSE(::IsWindow(control));
        EXPECT_EQ(L"OnInPlaceDeactivate", host.calls.back());
        EXPECT_EQ(nullptr, host.activeObject);
        inPlace.reset();
        hosted.Release();
    });
}

TEST(StandInBrowserEmbedding, TellsHostsWhatKindOfControlItIs) {
    OnBrowserThread([] {
        TestHost host;
        HostedBrowser hosted(host, L"full", L"7eframe.dll");
        ASSERT_TRUE(hosted.Ok());

        DWORD misc = 0;
        EXPECT_EQ(S_OK, hosted.object->GetMiscStatus(DVASPECT_CONTENT, &misc));
        EXPECT_TRUE(misc & OLEMISC_SETCLIENTSITEFIRST);
        EXPECT_TRUE(misc & OLEMISC_INSIDEOUT);
        CLSID clsid = {};
        EXPECT_EQ(S_OK, hosted.object->GetUserClassID(&clsid));
        EXPECT_TRUE(IsEqualCLSID(kClsidWebBrowser, clsid));

        ComPtr<IProvideClassInfo2> classInfo;
        ASSERT_EQ(S_OK, hosted.browser.As(classInfo));
        GUID events = {};
        EXPECT_EQ(S_OK, classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events));
        EXPECT_TRUE(IsEqualGUID(DIID_DWebBrowserEvents2, events));

        ComPtr<IConnectionPointContainer> container;
        ASSERT_EQ(S_OK, hosted.browser.As(container));
        ComPtr<IConnectionPoint> point;
        EXPECT_EQ(CONNECT_E_NOCONNECTION, container->FindConnectionPoint(IID_IDispatch, point.put()));
        ASSERT_EQ(S_OK, container->FindConnectionPoint(DIID_DWebBrowserEvents, point.put()));
        IID iid = {};
        EXPECT_EQ(S_OK, point->GetConnectionInterface(&iid));
        EXPECT_TRUE(IsEqualIID(DIID_DWebBrowserEvents, iid));
        EXPECT_EQ(CONNECT_E_NOCONNECTION, point->Unadvise(777));

        // One identity whichever interface is asked.
        ComPtr<IUnknown> viaObject, viaBrowser;
        hosted.object->QueryInterface(IID_IUnknown, viaObject.put_void());
        hosted.browser->QueryInterface(IID_IUnknown, viaBrowser.put_void());
        EXPECT_EQ(viaObject.get(), viaBrowser.get());
        for (const IID* asked : {&IID_IOleInPlaceActiveObject, &IID_IOleControl, &IID_IPersistStreamInit,
                                 &IID_IOleCommandTarget, &IID_IStandInObject, &IID_IStandInBrowser}) {
            ComPtr<IUnknown> part;
            EXPECT_EQ(S_OK, hosted.browser->QueryInterface(*asked, part.put_void()));
        }
        point.reset();
        container.reset();
        classInfo.reset();
    });
}

// ------------------------------------------------------------------------------------------------------------
// Events

TEST(StandInBrowserEvents, APlainPageFiresTheRealControlsOrderOnBothInterfaces) {
    OnBrowserThread([] {
        PageFolder pages;
        pages.Write(L"plain.html", Page("Plain page", "<p>Hello &amp; welcome</p>"));
        const std::wstring url = pages.Url(L"plain.html");
        TestHost host;
        HostedBrowser hosted(host, L"full", L"6hdocvw.dll");
        ASSERT_TRUE(hosted.Ok());

        ASSERT_EQ(S_OK, hosted.Navigate(url));
        EXPECT_TRUE(hosted.Log().empty()) << "navigation goes on from the control's message queue";
        EXPECT_EQ(-1, hosted.GetLong(212)) << "Busy, VARIANT_TRUE";
        ASSERT_TRUE(PumpUntil([&] { return hosted.Logged(L"old StatusTextChange(Done)"); }));
        Settle();

        const Lines expected = {
            L"BeforeNavigate2(top, " + url + L")",
            L"old BeforeNavigate(" + url + L")",
            L"DownloadBegin",
            L"old DownloadBegin",
            L"StatusTextChange(Opening " + url + L")",
            L"old StatusTextChange(Opening " + url + L")",
            L"ProgressChange(0, 10000)",
            L"old ProgressChange(0, 10000)",
            L"NavigateComplete2(top, " + url + L")",
            L"old NavigateComplete(" + url + L")",
            L"CommandStateChange(1, false)",
            L"old CommandStateChange(1, false)",
            L"CommandStateChange(2, false)",
            L"old CommandStateChange(2, false)",
            L"TitleChange(Plain page)",
            L"old TitleChange(Plain page)",
            L"ProgressChange(5000, 10000)",
            L"old ProgressChange(5000, 10000)",
            L"ProgressChange(10000, 10000)",
            L"old ProgressChange(10000, 10000)",
            L"DownloadComplete",
            L"old DownloadComplete",
            L"DocumentComplete(top, " + url + L")",
            L"StatusTextChange(Done)",
            L"old StatusTextChange(Done)",
        };
        EXPECT_EQ(expected, hosted.Events());

        EXPECT_EQ(url, hosted.GetString(211)) << "LocationURL";
        EXPECT_EQ(L"Plain page", hosted.GetString(210)) << "LocationName";
        EXPECT_EQ(0, hosted.GetLong(212)) << "Busy";
        EXPECT_EQ(READYSTATE_COMPLETE, hosted.GetLong(-525)) << "ReadyState";
        EXPECT_EQ(L"Done", hosted.GetString(404)) << "StatusText";
        ProbeReport report = hosted.Report();
        EXPECT_EQ(L"complete", report[L"state"]);
        EXPECT_EQ(L"Hello & welcome", report[L"text"]);
        EXPECT_EQ(L"Plain page", report[L"title"]);
        EXPECT_EQ(L"0", report[L"frames"]);
    });
}

TEST(StandInBrowserEvents, PlainPathsAndAboutBlankOpenToo) {
    OnBrowserThread([] {
        PageFolder pages;
        const std::wstring path = pages.Write(L"untitled.html", "<body>No title here</body>");
        TestHost host;
        HostedBrowser hosted(host, L"full", L"8eframe.dll");
        ASSERT_TRUE(hosted.Ok());

        ASSERT_TRUE(hosted.Open(path));
        const std::wstring url = pages.Url(L"untitled.html");
        EXPECT_EQ(url, hosted.GetString(211)) << "a plain path is reported as its file URL";
        EXPECT_TRUE(hosted.Logged(L"TitleChange(" + url + L")"))
            << "a page without a title is titled by its URL";
        EXPECT_EQ(url, hosted.GetString(210));

        hosted.Clear();
        ASSERT_TRUE(hosted.Open(L"about:blank"));
        EXPECT_EQ((Lines{L"BeforeNavigate2(top, about:blank)", L"NavigateComplete2(top, about:blank)",
                         L"DocumentComplete(top, about:blank)"}),
                  hosted.Events({L"BeforeNavigate2", L"NavigateComplete2", L"DocumentComplete"}));
        EXPECT_EQ(L"about:blank", hosted.GetString(211));
        EXPECT_TRUE(DocumentOf(hosted)) << "about:blank has a document too";
        EXPECT_EQ(L"", hosted.Report()[L"text"]);
        EXPECT_EQ(E_INVALIDARG, hosted.Navigate(L"")) << "an empty address";
    });
}

TEST(StandInBrowserEvents, FramesHaveBrowsersOfTheirOwnAndTheTopDocumentCompletesLast) {
    OnBrowserThread([] {
        PageFolder pages;
        pages.Write(L"frames.html", "<html><head><title>Frames</title></head><frameset cols=\"50%,*\">"
                                    "<frame src=\"a.html\"><frame src=\"b.html\"></frameset></html>");
        pages.Write(L"a.html", Page("Frame A", "Text of A"));
        pages.Write(L"b.html", Page("Frame B", "Before <iframe src=\"c.html\"></iframe> after"));
        pages.Write(L"c.html", Page("Inline C", "Text of C"));
        const std::wstring top = pages.Url(L"frames.html"), a = pages.Url(L"a.html"),
                           b = pages.Url(L"b.html"), c = pages.Url(L"c.html");
        TestHost host;
        HostedBrowser hosted(host, L"full", L"7eframe.dll");
        ASSERT_TRUE(hosted.Ok());
        ASSERT_TRUE(hosted.Open(top));

        EXPECT_EQ((Lines{
                      L"BeforeNavigate2(top, " + top + L")",
                      L"NavigateComplete2(top, " + top + L")",
                      L"BeforeNavigate2(frame, " + a + L")",
                      L"NavigateComplete2(frame, " + a + L")",
                      L"DocumentComplete(frame, " + a + L")",
                      L"BeforeNavigate2(frame, " + b + L")",
                      L"NavigateComplete2(frame, " + b + L")",
                      L"BeforeNavigate2(frame, " + c + L")",
                      L"NavigateComplete2(frame, " + c + L")",
                      L"DocumentComplete(frame, " + c + L")",
                      L"DocumentComplete(frame, " + b + L")",
                      L"DocumentComplete(top, " + top + L")",
                  }),
                  hosted.Events({L"BeforeNavigate2", L"NavigateComplete2", L"DocumentComplete"}));
        EXPECT_EQ((Lines{L"old BeforeNavigate(" + top + L")", L"old NavigateComplete(" + top + L")",
                         L"old FrameBeforeNavigate(" + a + L")", L"old FrameNavigateComplete(" + a + L")",
                         L"old FrameBeforeNavigate(" + b + L")", L"old FrameNavigateComplete(" + b + L")",
                         L"old FrameBeforeNavigate(" + c + L")", L"old FrameNavigateComplete(" + c + L")"}),
                  hosted.Events({L"old BeforeNavigate", L"old NavigateComplete", L"old FrameBeforeNavigate",
                                 L"old FrameNavigateComplete"}));
        EXPECT_EQ((Lines{L"TitleChange(Frames)"}), hosted.Events({L"TitleChange"}))
            << "frames do not retitle the browser";
        EXPECT_EQ(1u, hosted.Count(L"DownloadComplete"));

        // Each frame's events carry one object of its own, which knows the frame's address and document.
        std::map<std::wstring, IUnknown*> frameOf;
        for (const Event& event : hosted.Log()) {
            const std::wstring& text = event.text;
            if (text.find(L"(frame, ") == std::wstring::npos)
                continue;
            const std::wstring url = text.substr(text.find(L", ") + 2, text.size() - text.find(L", ") - 3);
            if (frameOf.count(url) == 0)
                frameOf[url] = event.from.get();
            EXPECT_EQ(frameOf[url], event.from.get()) << text;
        }
        ASSERT_EQ(3u, frameOf.size());
        EXPECT_NE(frameOf[a], frameOf[b]);
        EXPECT_NE(frameOf[b], frameOf[c]);
        ComPtr<IWebBrowser2> frameA;
        ASSERT_EQ(S_OK, frameOf[a]->QueryInterface(IID_IWebBrowser2, frameA.put_void()));
        UniqueBstr location;
        EXPECT_EQ(S_OK, frameA->get_LocationURL(location.put()));
        EXPECT_EQ(a, std::wstring(location.get()));
        VARIANT_BOOL topLevel = VARIANT_TRUE;
        EXPECT_EQ(S_OK, frameA->get_TopLevelContainer(&topLevel));
        EXPECT_EQ(VARIANT_FALSE, topLevel);
        ComPtr<IDispatch> frameDocument, topDocument = DocumentOf(hosted);
        EXPECT_EQ(S_OK, frameA->get_Document(frameDocument.put()));
        EXPECT_TRUE(frameDocument);
        EXPECT_NE(frameDocument.get(), topDocument.get());
        frameA.reset();

        ProbeReport report = hosted.Report();
        EXPECT_EQ(L"3", report[L"frames"]);
        EXPECT_EQ(a, report[L"frame.0.url"]);
        EXPECT_EQ(L"Frame B", report[L"frame.1.title"]);
        EXPECT_EQ(c, report[L"frame.2.url"]);
        EXPECT_EQ(L"1", report[L"frame.1.depth"]);
        EXPECT_EQ(L"2", report[L"frame.2.depth"]);
    });
}

TEST(StandInBrowserEvents, AMissingFileFiresNavigateErrorThenShowsAnErrorPage) {
    OnBrowserThread([] {
        PageFolder pages;
        const std::wstring missing = pages.Url(L"missing.html");
        TestHost host;
        HostedBrowser hosted(host, L"full", L"6hdocvw.dll");
        ASSERT_TRUE(hosted.Ok());
        ASSERT_TRUE(hosted.Open(missing));

        EXPECT_EQ((Lines{L"BeforeNavigate2(top, " + missing + L")", L"DownloadBegin",
                         L"StatusTextChange(Opening " + missing + L")", L"ProgressChange(0, 10000)",
                         L"NavigateError(top, " + missing + L", 0x800C0005)",
                         L"NavigateComplete2(top, " + missing + L")", L"CommandStateChange(1, false)",
                         L"CommandStateChange(2, false)", L"TitleChange(Cannot open the page)",
                         L"ProgressChange(5000, 10000)", L"ProgressChange(10000, 10000)", L"DownloadComplete",
                         L"DocumentComplete(top, " + missing + L")", L"StatusTextChange(Done)"}),
                  hosted.Events({L"BeforeNavigate2", L"DownloadBegin", L"StatusTextChange", L"ProgressChange",
                                 L"NavigateError", L"NavigateComplete2", L"CommandStateChange",
                                 L"TitleChange", L"DownloadComplete", L"DocumentComplete"}));
        ProbeReport report = hosted.Report();
        EXPECT_EQ(L"0x800C0005", report[L"error"]);
        EXPECT_EQ(missing, report[L"url"]);
        EXPECT_NE(std::wstring::npos, report[L"text"].find(missing));

        hosted.Clear();
        ASSERT_TRUE(hosted.Open(L"http://example.invalid/page.html"));
        EXPECT_TRUE(hosted.Logged(L"NavigateError(top, http://example.invalid/page.html, 0x800C000D)"))
            << "the stand-in opens nothing from the network";
        hosted.Clear();
        ASSERT_TRUE(hosted.Open(pages.Path(L"")));
        EXPECT_EQ(1u, hosted.Events({L"NavigateError"}).size()) << "a folder is no page";
    });
}

TEST(StandInBrowserEvents, ACancelledNavigateErrorKeepsThePreviousPage) {
    OnBrowserThread([] {
        PageFolder pages;
        pages.Write(L"plain.html", Page("Plain page", "text"));
        const std::wstring missing = pages.Url(L"missing.html");
        TestHost host;
        HostedBrowser hosted(host, L"full", L"6hdocvw.dll");
        ASSERT_TRUE(hosted.Ok());
        ASSERT_TRUE(hosted.Open(pages.Url(L"plain.html")));
        hosted.Clear();
        hosted.script.cancelNavigateError = true;

        ASSERT_EQ(S_OK, hosted.Navigate(missing));
        ASSERT_TRUE(PumpUntil([&] { return hosted.Logged(L"DownloadComplete"); }));
        Settle();
        EXPECT_EQ((Lines{L"BeforeNavigate2(top, " + missing + L")", L"DownloadBegin",
                         L"StatusTextChange(Opening " + missing + L")", L"ProgressChange(0, 10000)",
                         L"NavigateError(top, " + missing + L", 0x800C0005)", L"ProgressChange(-1, 10000)",
                         L"DownloadComplete", L"StatusTextChange()"}),
                  hosted.Events({L"BeforeNavigate2", L"DownloadBegin", L"StatusTextChange", L"ProgressChange",
                                 L"NavigateError", L"NavigateComplete2", L"DownloadComplete",
                                 L"DocumentComplete"}));
        EXPECT_EQ(pages.Url(L"plain.html"), hosted.GetString(211));
        EXPECT_EQ(0, hosted.GetLong(212)) << "Busy";
        EXPECT_EQ(L"0", hosted.Report()[L"back"]) << "the failed address never entered the history";
    });
}

TEST(StandInBrowserEvents, AMissingFrameFailsAloneWithItsOwnBrowserAsSender) {
    OnBrowserThread([] {
        PageFolder pages;
        pages.Write(L"frames.html",
                    "<frameset><frame src=\"gone.html\"><frame src=\"here.html\"></frameset>");
        pages.Write(L"here.html", Page("Here", "present"));
        const std::wstring gone = pages.Url(L"gone.html");
        TestHost host;
        HostedBrowser hosted(host, L"full", L"5hdocvw.dll");
        ASSERT_TRUE(hosted.Ok());
        ASSERT_TRUE(hosted.Open(pages.Url(L"frames.html")));
        EXPECT_EQ((Lines{L"NavigateError(frame, " + gone + L", 0x800C0005)"}),
                  hosted.Events({L"NavigateError"}));
        EXPECT_TRUE(hosted.Logged(L"DocumentComplete(frame, " + gone + L")")) << "its error page completes";
        ProbeReport report = hosted.Report();
        EXPECT_EQ(L"0x800C0005", report[L"frame.0.error"]);
        EXPECT_EQ(0u, report.count(L"frame.1.error"));
        EXPECT_EQ(0u, report.count(L"error")) << "the page itself opened";
    });
}

TEST(StandInBrowserEvents, APageThatFramesItselfStopsFourFramesDeep) {
    OnBrowserThread([] {
        PageFolder pages;
        pages.Write(L"mirror.html", "<title>Mirror</title><frameset><frame src=\"mirror.html\"></frameset>");
        pages.Write(L"fan.html",
                    "<title>Fan</title><frameset><frame src=\"fan.html\"><frame src=\"fan.html\">"
                    "<frame src=\"fan.html\"></frameset>");
        TestHost host;
        HostedBrowser hosted(host, L"full", L"8eframe.dll");
        ASSERT_TRUE(hosted.Ok());
        ASSERT_TRUE(hosted.Open(pages.Url(L"mirror.html")));
        ProbeReport report = hosted.Report();
        EXPECT_EQ(L"4", report[L"frames"]);
        EXPECT_EQ(L"4", report[L"frame.3.depth"]);
        EXPECT_EQ(4u, hosted.Events({L"DocumentComplete"}).size() - 1);

        ASSERT_TRUE(hosted.Open(pages.Url(L"fan.html")));
        EXPECT_EQ(L"32", hosted.Report()[L"frames"]) << "3 + 9 + 27 + 81 frames would be too many";
    });
}

TEST(StandInBrowserEvents, SinksMayLeaveAndHostsMayNavigateInsideAnEvent) {
    OnBrowserThread([] {
        PageFolder pages;
        pages.Write(L"first.html", Page("First", "1"));
        pages.Write(L"second.html", Page("Second", "2"));
        const std::wstring first = pages.Url(L"first.html"), second = pages.Url(L"second.html");
        TestHost host;
        HostedBrowser hosted(host, L"full", L"6hdocvw.dll");
        ASSERT_TRUE(hosted.Ok());

        // The host starts the next navigation from inside DocumentComplete, as a redirecting host would.
        hosted.script.onEvent = [&](const std::wstring& text) {
            if (text == L"DocumentComplete(top, " + first + L")")
                hosted.Navigate(second);
        };
        ASSERT_TRUE(hosted.Open(first));
        ASSERT_TRUE(PumpUntil([&] { return hosted.Logged(L"DocumentComplete(top, " + second + L")"); }));
        EXPECT_EQ(second, hosted.GetString(211));

        // The old interface's sink leaves while the first event of a navigation is delivered to it.
        ComPtr<IConnectionPointContainer> container;
        ASSERT_EQ(S_OK, hosted.browser.As(container));
        hosted.Clear();
        hosted.script.onEvent = [&](const std::wstring& text) {
            if (text.rfind(L"old BeforeNavigate", 0) != 0)
                return;
            ComPtr<IConnectionPoint> point;
            ASSERT_EQ(S_OK, container->FindConnectionPoint(DIID_DWebBrowserEvents, point.put()));
            EXPECT_EQ(S_OK, point->Unadvise(hosted.OldInterfaceCookie()));
        };
        ASSERT_TRUE(hosted.Open(first));
        Lines heardByTheOldSink;
        for (const std::wstring& text : hosted.Events())
            if (text.rfind(L"old ", 0) == 0)
                heardByTheOldSink.push_back(text);
        EXPECT_EQ((Lines{L"old BeforeNavigate(" + first + L")"}), heardByTheOldSink)
            << "then it hears no more";
        EXPECT_TRUE(hosted.Logged(L"DocumentComplete(top, " + first + L")"))
            << "while the other sink goes on";
        hosted.script.onEvent = nullptr;
    });
}

// ------------------------------------------------------------------------------------------------------------
// Navigation control

TEST(StandInBrowserNavigation, CancelStopAndAReplacingNavigation) {
    OnBrowserThread([] {
        PageFolder pages;
        pages.Write(L"one.html", Page("One", "1"));
        pages.Write(L"two.html", Page("Two", "2"));
        const std::wstring one = pages.Url(L"one.html"), two = pages.Url(L"two.html");
        TestHost host;
        HostedBrowser hosted(host, L"full", L"6hdocvw.dll");
        ASSERT_TRUE(hosted.Ok());
        ASSERT_TRUE(hosted.Open(one));

        hosted.Clear();
        hosted.script.cancelBeforeNavigateOf = two;
        ASSERT_EQ(S_OK, hosted.Navigate(two));
        Settle(300);
        EXPECT_EQ((Lines{L"BeforeNavigate2(top, " + two + L")", L"old BeforeNavigate(" + two + L")"}),
                  hosted.Events());
        EXPECT_EQ(one, hosted.GetString(211));
        EXPECT_EQ(0, hosted.GetLong(212)) << "Busy";
        hosted.script.cancelBeforeNavigateOf.clear();

        hosted.Clear();
        ASSERT_EQ(S_OK, hosted.Navigate(two));
        EXPECT_EQ(S_OK, hosted.Call(106)); // Stop before the control got to it
        Settle(300);
        EXPECT_EQ(Lines{}, hosted.Events()) << "a navigation stopped before it began fires nothing";
        EXPECT_EQ(0, hosted.GetLong(212));

        hosted.Clear();
        hosted.script.onEvent = [&](const std::wstring& text) {
            if (text == L"DownloadBegin")
                hosted.Call(106);
        };
        ASSERT_EQ(S_OK, hosted.Navigate(two));
        Settle(300);
        hosted.script.onEvent = nullptr;
        EXPECT_EQ((Lines{L"BeforeNavigate2(top, " + two + L")", L"DownloadBegin",
                         L"ProgressChange(-1, 10000)", L"DownloadComplete", L"StatusTextChange()"}),
                  hosted.Events({L"BeforeNavigate2", L"DownloadBegin", L"ProgressChange", L"DownloadComplete",
                                 L"StatusTextChange", L"NavigateComplete2"}));
        EXPECT_EQ(one, hosted.GetString(211));

        hosted.Clear();
        ASSERT_EQ(S_OK, hosted.Navigate(one));
        ASSERT_EQ(S_OK, hosted.Navigate(two));
        Settle(300);
        EXPECT_EQ((Lines{L"BeforeNavigate2(top, " + two + L")", L"DocumentComplete(top, " + two + L")"}),
                  hosted.Events({L"BeforeNavigate2", L"DocumentComplete"}))
            << "a navigation replaced before it began leaves no trace";
        EXPECT_EQ(S_OK, hosted.Call(106)) << "Stop when idle";
    });
}

TEST(StandInBrowserNavigation, RefreshReadsThePageAgainWithoutNavigationEvents) {
    OnBrowserThread([] {
        PageFolder pages;
        pages.Write(L"page.html", Page("Before", "old text"));
        const std::wstring url = pages.Url(L"page.html");
        TestHost host;
        HostedBrowser hosted(host, L"full", L"8eframe.dll");
        ASSERT_TRUE(hosted.Ok());
        ASSERT_TRUE(hosted.Open(url));
        const ComPtr<IDispatch> before = DocumentOf(hosted);

        pages.Write(L"page.html", Page("After", "new text"));
        hosted.Clear();
        ASSERT_EQ(S_OK, hosted.Call(-550)); // Refresh
        ASSERT_TRUE(PumpUntil([&] { return hosted.Logged(L"StatusTextChange(Done)"); }));
        Settle();
        EXPECT_EQ(
            (Lines{L"DownloadBegin", L"StatusTextChange(Refreshing " + url + L")",
                   L"ProgressChange(0, 10000)", L"TitleChange(After)", L"ProgressChange(10000, 10000)",
                   L"DownloadComplete", L"StatusTextChange(Done)"}),
            hosted.Events({L"BeforeNavigate2", L"DownloadBegin", L"StatusTextChange", L"ProgressChange",
                           L"NavigateComplete2", L"TitleChange", L"DownloadComplete", L"DocumentComplete"}));
        EXPECT_EQ(L"new text", hosted.Report()[L"text"]);
        EXPECT_NE(before.get(), DocumentOf(hosted).get()) << "a reloaded page has a new document";
        EXPECT_EQ(L"0", hosted.Report()[L"back"]) << "and no new history entry";

        hosted.Clear();
        ASSERT_EQ(S_OK, hosted.Call(105, {Long(3)})); // Refresh2, REFRESH_COMPLETELY
        ASSERT_TRUE(PumpUntil([&] { return hosted.Logged(L"DownloadComplete"); }));
        EXPECT_EQ(0u, hosted.Events({L"BeforeNavigate2", L"DocumentComplete"}).size());
    });
}

TEST(StandInBrowserNavigation, BackAndForwardFollowTheBrowsersOwnHistory) {
    OnBrowserThread([] {
        PageFolder pages;
        for (const wchar_t* name : {L"p1.html", L"p2.html", L"p3.html", L"p4.html"})
            pages.Write(name, Page("Page", "text"));
        const std::wstring p1 = pages.Url(L"p1.html"), p2 = pages.Url(L"p2.html"), p3 = pages.Url(L"p3.html");
        TestHost host;
        HostedBrowser hosted(host, L"full", L"6hdocvw.dll");
        ASSERT_TRUE(hosted.Ok());

        EXPECT_EQ(E_FAIL, hosted.Call(100)) << "GoBack with no history";
        EXPECT_EQ(E_FAIL, hosted.Call(101)) << "GoForward with no history";
        for (const std::wstring& url : {p1, p2, p3})
            ASSERT_TRUE(hosted.Open(url));
        EXPECT_EQ(L"2", hosted.Report()[L"back"]);

        const auto go = [&](DISPID id) {
            const size_t before = hosted.Count(L"StatusTextChange(Done)");
            EXPECT_EQ(S_OK, hosted.Call(id));
            EXPECT_TRUE(PumpUntil([&] { return hosted.Count(L"StatusTextChange(Done)") > before; }));
            return hosted.GetString(211);
        };
        hosted.Clear();
        EXPECT_EQ(p2, go(100));
        EXPECT_TRUE(hosted.Logged(L"BeforeNavigate2(top, " + p2 + L")")) << "going back is a navigation";
        EXPECT_EQ((Lines{L"CommandStateChange(1, true)", L"CommandStateChange(2, true)"}),
                  hosted.Events({L"CommandStateChange"}));
        EXPECT_EQ(p1, go(100));
        EXPECT_EQ(E_FAIL, hosted.Call(100));
        EXPECT_EQ(p2, go(101));
        ProbeReport report = hosted.Report();
        EXPECT_EQ(L"1", report[L"back"]);
        EXPECT_EQ(L"1", report[L"forward"]);

        // A cancelled step back leaves the history where it was.
        hosted.script.cancelBeforeNavigateOf = p1;
        EXPECT_EQ(S_OK, hosted.Call(100));
        Settle(300);
        hosted.script.cancelBeforeNavigateOf.clear();
        EXPECT_EQ(p2, hosted.GetString(211));
        EXPECT_EQ(L"1", hosted.Report()[L"back"]);

        ASSERT_TRUE(hosted.Open(pages.Url(L"p4.html")));
        EXPECT_EQ(E_FAIL, hosted.Call(101)) << "a new page drops the entries ahead";
        EXPECT_EQ(L"2", hosted.Report()[L"back"]);
        EXPECT_EQ(L"0", hosted.Report()[L"forward"]);
    });
}

TEST(StandInBrowserNavigation, GoHomeOpensTheUsersStartPage) {
    OnBrowserThread([] {
        PageFolder pages;
        const std::wstring home = pages.Write(L"home.html", Page("Home", "home"));
        UniqueKey key;
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyW(HKEY_CURRENT_USER,
                                                 L"Software\\Microsoft\\Internet Explorer\\Main", key.put()));
        wchar_t previous[2048] = {};
        DWORD size = sizeof previous;
        const bool hadValue = ::RegQueryValueExW(key.get(), L"Start Page", nullptr, nullptr,
                                                 reinterpret_cast<BYTE*>(previous), &size) == ERROR_SUCCESS;
        ::RegSetValueExW(key.get(), L"Start Page", 0, REG_SZ, reinterpret_cast<const BYTE*>(home.c_str()),
                         static_cast<DWORD>((home.size() + 1) * sizeof(wchar_t)));

        TestHost host;
        HostedBrowser hosted(host, L"full", L"6hdocvw.dll");
        ASSERT_TRUE(hosted.Ok());
        const size_t before = hosted.Count(L"StatusTextChange(Done)");
        EXPECT_EQ(S_OK, hosted.Call(102));
        EXPECT_TRUE(PumpUntil([&] { return hosted.Count(L"StatusTextChange(Done)") > before; }));
        EXPECT_EQ(pages.Url(L"home.html"), hosted.GetString(211));

        if (hadValue)
            ::RegSetValueExW(key.get(), L"Start Page", 0, REG_SZ, reinterpret_cast<const BYTE*>(previous),
                             size);
        else
            ::RegDeleteValueW(key.get(), L"Start Page");
    });
}

// ------------------------------------------------------------------------------------------------------------
// The document and the report

TEST(StandInBrowserDocument, WithNoStandInDocumentFromComTheBrowserMakesItsOwnAndSaysSo) {
    OnBrowserThread([] {
        PageFolder pages;
        pages.Write(L"page.html", Page("Page", "text"));
        TestHost host;
        HostedBrowser hosted(host, L"full", L"6hdocvw.dll");
        ASSERT_TRUE(hosted.Ok());
        ASSERT_TRUE(hosted.Open(pages.Url(L"page.html")));

        ProbeReport report = hosted.Report();
        EXPECT_NE(L"0x00000000", report[L"document.hr"])
            << "no loader, and the system's engine is not in use";
        EXPECT_EQ(L"none", report[L"document.answeredBy"]);
        EXPECT_EQ(L"6hdocvw.dll", report[L"document.module"]);
        const ComPtr<IDispatch> document = DocumentOf(hosted);
        ASSERT_TRUE(document);
        EXPECT_TRUE(SameFileName(StandInFile(L"full", L"6hdocvw.dll"), ModulePathOf(document.get())));
        ComPtr<IStandInDocument> model;
        ASSERT_EQ(S_OK, document.As(model));
        UniqueBstr title;
        EXPECT_EQ(S_OK, model->GetTitle(title.put()));
        EXPECT_EQ(std::wstring(L"Page"), title.get());
        EXPECT_EQ(E_UNEXPECTED, model->Load(L"about:blank", nullptr, 0)) << "a document takes one page";
    });
}

TEST(StandInBrowserDocument, EveryDocumentComesFromWhateverCopyComHandsOut) {
    OnBrowserThread([] {
        PageFolder pages;
        pages.Write(L"frames.html", "<title>Framed</title><frameset><frame src=\"f.html\"></frameset>");
        pages.Write(L"f.html", Page("F", "frame text"));
        TestHost host;
        HostedBrowser hosted(host, L"full", L"6hdocvw.dll");
        ASSERT_TRUE(hosted.Ok());
        // Copies stay loaded until the control has let go of their documents.
        DocumentClassRegistration six(L"6shtml.dll");
        DocumentClassRegistration eight(L"8shtml.dll", false);
        {
            ASSERT_TRUE(hosted.Open(pages.Url(L"frames.html")));
            ProbeReport report = hosted.Report();
            EXPECT_EQ(L"0x00000000", report[L"document.hr"]);
            EXPECT_EQ(L"6shtml.dll", report[L"document.answeredBy"]);
            EXPECT_EQ(L"6shtml.dll", report[L"document.module"]);
            EXPECT_EQ(L"6shtml.dll", report[L"frame.0.document.module"]);
            EXPECT_TRUE(
                SameFileName(StandInFile(L"full", L"6shtml.dll"), ModulePathOf(DocumentOf(hosted).get())));
            EXPECT_EQ(pages.Url(L"f.html"), report[L"frame.0.url"]);

            // A mismatched copy is reported as it is: the loader's tests show that a tagged thread never sees
            // one.
            six.Revoke();
            eight.Register();
            ASSERT_TRUE(hosted.Open(pages.Url(L"f.html")));
            EXPECT_EQ(L"8shtml.dll", hosted.Report()[L"document.module"]);
        }
        hosted.Release();
    });
}

TEST(StandInBrowserReport, EachCopyNamesItsEngineSlotAndWhatTheSystemGaveIt) {
    OnBrowserThread([] {
        PageFolder pages;
        pages.Write(L"page.html", Page("Page", "text"));
        struct Slot {
            const wchar_t* file;
            const wchar_t* letter;
            const wchar_t* engine;
        };
        for (const Slot& slot :
             {Slot{L"5hdocvw.dll", L"5", L"Stand-in engine IE 5.5 (5hdocvw.dll) - not Internet Explorer"},
              Slot{L"6hdocvw.dll", L"6", L"Stand-in engine IE 6 (6hdocvw.dll) - not Internet Explorer"},
              Slot{L"7eframe.dll", L"7", L"Stand-in engine IE 7 (7eframe.dll) - not Internet Explorer"},
              Slot{L"8eframe.dll", L"8", L"Stand-in engine IE 8 (8eframe.dll) - not Internet Explorer"}}) {
            TestHost host;
            HostedBrowser hosted(host, L"full", slot.file);
            ASSERT_TRUE(hosted.Ok()) << slot.file;
            ProbeReport empty = hosted.Report();
            EXPECT_EQ(L"empty", empty[L"state"]);
            EXPECT_EQ(slot.engine, empty[L"engine"]);
            ASSERT_TRUE(hosted.Open(pages.Url(L"page.html")));

            ProbeReport report = hosted.Report();
            EXPECT_EQ(slot.engine, report[L"engine"]);
            EXPECT_EQ(slot.letter, report[L"version"]);
            EXPECT_EQ(slot.file, report[L"browser"]);
            EXPECT_TRUE(SameFileName(StandInFile(L"full", slot.file), report[L"browserPath"]));
            // Untagged: the system's own modules and registry, never a stand-in copy.
            EXPECT_TRUE(SameFileName(L"urlmon.dll", report[L"probe.urlmon"])) << report[L"probe.urlmon"];
            EXPECT_TRUE(SameFileName(L"wininet.dll", report[L"probe.wininet"])) << report[L"probe.wininet"];
            EXPECT_TRUE(report[L"probe.mshtml"] == L"none" ||
                        SameFileName(L"mshtml.dll", report[L"probe.mshtml"]))
                << report[L"probe.mshtml"];
            EXPECT_EQ(L"missing", report[L"probe.versionVector"]);
            EXPECT_EQ(L"2", report[L"textSize"]);

            // The same report is the control window's text, readable without waiting for the thread.
            wchar_t text[8192] = {};
            ::InternalGetWindowText(hosted.ControlWindow(), text, 8192);
            ProbeReport fromWindow = ParseProbeReport(text);
            EXPECT_EQ(L"complete", fromWindow[L"state"]);
            EXPECT_EQ(pages.Url(L"page.html"), fromWindow[L"url"]);
            EXPECT_EQ(slot.engine, fromWindow[L"engine"]);
        }
    });
}

TEST(StandInBrowserReport, ThePageIsDrawnIntoAnyDeviceContext) {
    OnBrowserThread([] {
        PageFolder pages;
        pages.Write(L"page.html", Page("Drawn page", "Some text to draw on the page."));
        TestHost host;
        HostedBrowser hosted(host, L"full", L"7eframe.dll");
        ASSERT_TRUE(hosted.Ok());
        ASSERT_TRUE(hosted.Open(pages.Url(L"page.html")));

        Picture picture(400, 300);
        const RECT all = {0, 0, 400, 300};
        ::FillRect(picture.Dc(), &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
        ::SendMessageW(hosted.ControlWindow(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(picture.Dc()),
                       PRF_CLIENT);
        ::GdiFlush();

        size_t white = 0, reddish = 0;
        for (const DWORD pixel : picture.Pixels()) {
            const DWORD p = pixel & 0xFFFFFF;
            const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            white += p == 0xFFFFFF;
            reddish += r > g + 40 && r > b + 40;
        }
        EXPECT_GT(white, 400u * 300u / 2) << "a white page";
        EXPECT_GT(reddish, 20u) << "with the engine line in red";
        EXPECT_GT(picture.Dark(0, 300), 20u) << "and dark text";
    });
}

// ------------------------------------------------------------------------------------------------------------
// Pictures of the page through its document

TEST(StandInBrowserPictures, TheDocumentDrawsWhatItsControlShowsUntilTheControlGoes) {
    OnBrowserThread([] {
        PageFolder pages;
        pages.Write(L"page.html", Page("Drawn page", "Some text to draw on the page."));
        std::vector<std::vector<DWORD>> pictures;
        for (const wchar_t* file : {L"6hdocvw.dll", L"7eframe.dll"}) {
            TestHost host;
            HostedBrowser hosted(host, L"full", file);
            ASSERT_TRUE(hosted.Ok());
            ASSERT_TRUE(hosted.Open(pages.Url(L"page.html")));
            ComPtr<IViewObject> view = ViewOf(hosted);
            ASSERT_TRUE(view);
            Picture drawn(400, 300), painted(400, 300);
            ASSERT_EQ(S_OK, drawn.Draw(view.get()));
            ::SendMessageW(hosted.ControlWindow(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(painted.Dc()),
                           PRF_CLIENT);
            EXPECT_TRUE(painted.Pixels() == drawn.Pixels()) << "what the page window shows";
            EXPECT_GT(drawn.Dark(0, 300), 20u);
            pictures.push_back(drawn.Pixels());
            EXPECT_EQ(E_INVALIDARG, view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, drawn.Dc(),
                                               nullptr, nullptr, nullptr, 0));
            EXPECT_EQ(DV_E_DVASPECT, drawn.Draw(view.get(), DVASPECT_ICON));

            hosted.Clear();
            hosted.object->Close(OLECLOSE_NOSAVE);
            hosted.object.reset();
            hosted.browser.reset();
            EXPECT_EQ(E_UNEXPECTED, drawn.Draw(view.get())) << "the document outlived its control";
        }
        EXPECT_TRUE(pictures[0] != pictures[1]) << "each version names itself in the picture";
    });
}

TEST(StandInBrowserPictures, TheBodyScrollsAsHighAsTheDrawnPageAndAPictureThatHighHoldsItAll) {
    OnBrowserThread([] {
        PageFolder pages;
        std::string paragraphs;
        for (int i = 1; i <= 200; ++i)
            paragraphs += "<p>Paragraph " + std::to_string(i) + "</p>";
        pages.Write(L"long.html", Page("Long", paragraphs));
        pages.Write(L"short.html", Page("Short", "one line"));
        TestHost host;
        HostedBrowser hosted(host, L"full", L"8eframe.dll");
        ASSERT_TRUE(hosted.Ok());
        // Width and height of the scroll box of the body, or of the HTML element.
        const auto scroll = [&](bool root) {
            ComPtr<IHTMLDocument2> document;
            ComPtr<IHTMLDocument3> document3;
            ComPtr<IHTMLElement> element;
            ComPtr<IHTMLElement2> element2;
            std::pair<LONG, LONG> size = {-1, -1};
            if (SUCCEEDED(DocumentOf(hosted).As(document)) && SUCCEEDED(document.As(document3)) &&
                SUCCEEDED(root ? document3->get_documentElement(element.put())
                               : document->get_body(element.put())) &&
                SUCCEEDED(element.As(element2))) {
                element2->get_scrollWidth(&size.first);
                element2->get_scrollHeight(&size.second);
            }
            return size;
        };
        ASSERT_TRUE(hosted.Open(pages.Url(L"short.html")));
        EXPECT_EQ((std::pair<LONG, LONG>{400, 300}), scroll(false)) << "never less than the window";

        ASSERT_TRUE(hosted.Open(pages.Url(L"long.html")));
        const auto [width, height] = scroll(false);
        EXPECT_EQ(400, width);
        EXPECT_GT(height, 300 * 5);
        EXPECT_EQ(scroll(false), scroll(true));
        Picture whole(width, height + 50);
        ASSERT_EQ(S_OK, whole.Draw(ViewOf(hosted).get()));
        EXPECT_GT(whole.Dark(height - 40, height), 0u) << "the last lines";
        EXPECT_EQ(0u, whole.Dark(height, height + 50)) << "and nothing after them";
    });
}

// ------------------------------------------------------------------------------------------------------------
// Commands and automation

TEST(StandInBrowserCommands, TextSizePrintAndPreviewArriveByEitherRoute) {
    OnBrowserThread([] {
        PageFolder pages;
        pages.Write(L"page.html", Page("Page", "text"));
        TestHost host;
        HostedBrowser hosted(host, L"full", L"6hdocvw.dll");
        ASSERT_TRUE(hosted.Ok());
        ComPtr<IOleCommandTarget> target;
        ASSERT_EQ(S_OK, hosted.browser.As(target));
        EXPECT_EQ(OLECMDERR_E_DISABLED,
                  target->Exec(&kCgidMshtml, 27, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr))
            << "nothing to print yet";
        ASSERT_TRUE(hosted.Open(pages.Url(L"page.html")));

        // ExecWB by DISPID: command, option, in, out.
        EXPECT_EQ(S_OK, hosted.Call(502, {Long(OLECMDID_ZOOM), Long(OLECMDEXECOPT_DONTPROMPTUSER), Long(4),
                                          Empty()}));
        EXPECT_EQ(L"4", hosted.Report()[L"textSize"]);
        UniqueVariant current;
        EXPECT_EQ(S_OK,
                  hosted.browser->ExecWB(OLECMDID_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, nullptr, &current));
        EXPECT_EQ(VT_I4, V_VT(&current.get()));
        EXPECT_EQ(4, V_I4(&current.get()));
        VARIANT tooLarge = Long(5);
        EXPECT_EQ(E_INVALIDARG,
                  hosted.browser->ExecWB(OLECMDID_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, &tooLarge, nullptr));
        UniqueVariant range;
        EXPECT_EQ(S_OK,
                  hosted.browser->ExecWB(OLECMDID_GETZOOMRANGE, OLECMDEXECOPT_DODEFAULT, nullptr, &range));
        EXPECT_EQ(MAKELONG(0, 4), V_I4(&range.get()));

        EXPECT_EQ(S_OK,
                  target->Exec(&kCgidMshtml, 27, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr)); // IDM_PRINT
        EXPECT_EQ(S_OK, target->Exec(&kCgidMshtml, 2003, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr));
        EXPECT_EQ(S_OK,
                  hosted.browser->ExecWB(OLECMDID_PRINT, OLECMDEXECOPT_DONTPROMPTUSER, nullptr, nullptr));
        EXPECT_EQ(OLECMDERR_E_NOTSUPPORTED, target->Exec(&kCgidMshtml, 12345, 0, nullptr, nullptr));
        EXPECT_EQ(OLECMDERR_E_UNKNOWNGROUP, target->Exec(&IID_IUnknown, 27, 0, nullptr, nullptr));
        ProbeReport report = hosted.Report();
        EXPECT_EQ(L"2", report[L"print"]);
        EXPECT_EQ(L"1", report[L"printPreview"]);

        OLECMD commands[] = {{27, 0}, {2003, 0}, {999, 0}};
        EXPECT_EQ(S_OK, target->QueryStatus(&kCgidMshtml, 3, commands, nullptr));
        EXPECT_EQ(static_cast<DWORD>(OLECMDF_SUPPORTED | OLECMDF_ENABLED), commands[0].cmdf);
        EXPECT_EQ(0u, commands[2].cmdf);
        OLECMDF stop = static_cast<OLECMDF>(0);
        EXPECT_EQ(S_OK, hosted.browser->QueryStatusWB(OLECMDID_STOP, &stop));
        EXPECT_EQ(OLECMDF_SUPPORTED, stop) << "nothing to stop";
    });
}

TEST(StandInBrowserAutomation, InvokeAndTheVtableReachTheSameMembers) {
    OnBrowserThread([] {
        PageFolder pages;
        pages.Write(L"page.html", Page("Page", "text"));
        TestHost host;
        HostedBrowser hosted(host, L"full", L"6hdocvw.dll");
        ASSERT_TRUE(hosted.Ok());

        struct Name {
            const wchar_t* name;
            DISPID id;
        };
        for (const Name& member : {Name{L"Navigate", 104}, Name{L"navigate2", 500}, Name{L"LocationURL", 211},
                                   Name{L"Document", 203}, Name{L"ExecWB", 502}, Name{L"Refresh", -550},
                                   Name{L"ReadyState", -525}, Name{L"GoBack", 100}}) {
            LPOLESTR names[] = {const_cast<LPOLESTR>(member.name)};
            DISPID id = 0;
            EXPECT_EQ(S_OK, hosted.browser->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))
                << member.name;
            EXPECT_EQ(member.id, id) << member.name;
        }
        LPOLESTR unknown[] = {const_cast<LPOLESTR>(L"AddFavorite")};
        DISPID id = 0;
        EXPECT_EQ(DISP_E_UNKNOWNNAME,
                  hosted.browser->GetIDsOfNames(IID_NULL, unknown, 1, LOCALE_USER_DEFAULT, &id));
        EXPECT_EQ(DISP_E_MEMBERNOTFOUND, hosted.Call(9999));
        EXPECT_EQ(DISP_E_PARAMNOTFOUND, hosted.Call(104)) << "Navigate needs its address";

        // Navigate2 with the address by reference, as script hosts pass it.
        UniqueBstr address(::SysAllocString(pages.Url(L"page.html").c_str()));
        VARIANT inner;
        V_VT(&inner) = VT_BSTR;
        V_BSTR(&inner) = address.get();
        VARIANT byReference;
        V_VT(&byReference) = VT_BYREF | VT_VARIANT;
        V_VARIANTREF(&byReference) = &inner;
        ASSERT_EQ(S_OK, hosted.Call(500, {byReference}));
        ASSERT_TRUE(PumpUntil([&] { return hosted.Logged(L"StatusTextChange(Done)"); }));
        UniqueBstr location;
        EXPECT_EQ(S_OK, hosted.browser->get_LocationURL(location.put()));
        EXPECT_EQ(pages.Url(L"page.html"), hosted.GetString(211));
        EXPECT_EQ(pages.Url(L"page.html"), std::wstring(location.get()));

        // A property put by DISPID is what the vtable reads, and the other way round.
        VARIANT on;
        V_VT(&on) = VT_BOOL;
        V_BOOL(&on) = VARIANT_TRUE;
        DISPID putId = DISPID_PROPERTYPUT;
        DISPPARAMS put = {&on, &putId, 1, 1};
        EXPECT_EQ(S_OK, hosted.browser->Invoke(551, IID_NULL, 0, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr,
                                               nullptr));
        VARIANT_BOOL silent = VARIANT_FALSE;
        EXPECT_EQ(S_OK, hosted.browser->get_Silent(&silent));
        EXPECT_EQ(VARIANT_TRUE, silent);
        EXPECT_EQ(S_OK, hosted.browser->put_Offline(VARIANT_TRUE));
        EXPECT_EQ(-1, hosted.GetLong(550)) << "Offline, VARIANT_TRUE";

        UniqueBstr name(::SysAllocString(L"standin.test")), value(::SysAllocString(L"kept"));
        VARIANT stored;
        V_VT(&stored) = VT_BSTR;
        V_BSTR(&stored) = value.get();
        VARIANT key;
        V_VT(&key) = VT_BSTR;
        V_BSTR(&key) = name.get();
        EXPECT_EQ(S_OK, hosted.Call(302, {key, stored})); // PutProperty
        UniqueVariant readBack;
        EXPECT_EQ(S_OK, hosted.Call(303, {key}, &readBack)); // GetProperty
        EXPECT_EQ(VT_BSTR, V_VT(&readBack.get()));
        EXPECT_EQ(std::wstring(L"kept"), V_BSTR(&readBack.get()));

        EXPECT_TRUE(SameFileName(StandInFile(L"full", L"6hdocvw.dll"), hosted.GetString(400))) << "FullName";
        EXPECT_TRUE(SameFileName(StandInFolder(L"full") + L"\\", hosted.GetString(401))) << "Path";
        UniqueVariant application;
        EXPECT_EQ(S_OK, hosted.Call(200, {}, &application));
        EXPECT_EQ(VT_DISPATCH, V_VT(&application.get()));
        ComPtr<IUnknown> fromApplication, control;
        V_DISPATCH(&application.get())->QueryInterface(IID_IUnknown, fromApplication.put_void());
        hosted.browser->QueryInterface(IID_IUnknown, control.put_void());
        EXPECT_EQ(control.get(), fromApplication.get()) << "the control is its own application object";
    });
}

// The host hands the browser's automation object to its view's thread by marshalling; calls then come back
// to the browser thread through its message loop.
TEST(StandInBrowserAutomation, TheApplicationObjectAnswersFromAnotherThreadWhenMarshalled) {
    OnBrowserThread([] {
        PageFolder pages;
        pages.Write(L"page.html", Page("Marshalled", "text"));
        TestHost host;
        HostedBrowser hosted(host, L"full", L"8eframe.dll");
        ASSERT_TRUE(hosted.Ok());
        ASSERT_TRUE(hosted.Open(pages.Url(L"page.html")));

        ComPtr<IDispatch> application;
        ASSERT_EQ(S_OK, hosted.browser->get_Application(application.put()));
        IStream* stream = nullptr;
        ASSERT_EQ(S_OK, ::CoMarshalInterThreadInterfaceInStream(IID_IDispatch, application.get(), &stream));

        std::atomic<bool> done{false};
        std::wstring seen;
        HRESULT callResult = E_FAIL;
        std::thread view([&] {
            ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            ComPtr<IDispatch> proxy;
            if (SUCCEEDED(::CoGetInterfaceAndReleaseStream(stream, IID_IDispatch, proxy.put_void()))) {
                DISPPARAMS none = {nullptr, nullptr, 0, 0};
                UniqueVariant result;
                callResult =
                    proxy->Invoke(211, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr);
                if (SUCCEEDED(callResult) && V_VT(&result.get()) == VT_BSTR)
                    seen = V_BSTR(&result.get());
            }
            proxy.reset();
            ::CoUninitialize();
            done = true;
        });
        EXPECT_TRUE(PumpUntil([&] { return done.load(); }));
        view.join();
        EXPECT_EQ(S_OK, callResult);
        EXPECT_EQ(pages.Url(L"page.html"), seen);
    });
}

// ------------------------------------------------------------------------------------------------------------
// Lifetime

// Bytes in busy blocks of every heap of the process.
size_t BusyHeapBytes() {
    HANDLE heaps[64];
    const DWORD count = ::GetProcessHeaps(64, heaps);
    size_t busy = 0;
    for (DWORD i = 0; i < count && i < 64; ++i) {
        if (!::HeapLock(heaps[i]))
            continue;
        PROCESS_HEAP_ENTRY entry = {};
        while (::HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                busy += entry.cbData;
        ::HeapUnlock(heaps[i]);
    }
    return busy;
}

// Tabs come and go by the hundred: a control that loaded a framed page must leave no object, window, window
// class or heap memory behind once its host let go of it. The copy stays loaded meanwhile, as the engine
// loader keeps it; loading and unloading a module costs the system memory of its own.
TEST(StandInBrowserLifetime, ManyControlsComeAndGoLeavingNothingBehind) {
    OnBrowserThread([] {
        PageFolder pages;
        pages.Write(L"frames.html",
                    "<title>F</title><frameset><frame src=\"a.html\"><frame src=\"b.html\"></frameset>");
        pages.Write(L"a.html", Page("A", "a"));
        pages.Write(L"b.html", Page("B", "b<iframe src=\"a.html\"></iframe>"));
        const std::wstring copy = StandInFile(L"full", L"6hdocvw.dll");
        TestHost host;
        const auto cycle = [&] {
            host.calls.clear();
            HostedBrowser hosted(host, L"full", L"6hdocvw.dll");
            ASSERT_TRUE(hosted.Ok());
            ASSERT_TRUE(hosted.Open(pages.Url(L"frames.html")));
            ASSERT_TRUE(hosted.Open(L"about:blank"));
            const auto canUnloadNow = reinterpret_cast<HRESULT(__stdcall*)()>(
                reinterpret_cast<void*>(::GetProcAddress(hosted.module.get(), "DllCanUnloadNow")));
            UniqueModule keep(::LoadLibraryW(copy.c_str()));
            hosted.Release();
            ASSERT_NE(nullptr, canUnloadNow);
            EXPECT_EQ(S_OK, canUnloadNow()) << "an object of the copy outlived its control";
        };
        {
            UniqueModule pinned(::LoadLibraryW(copy.c_str()));
            for (int i = 0; i < 3; ++i)
                cycle();
            const size_t before = BusyHeapBytes();
            for (int i = 0; i < 40; ++i)
                cycle();
            const size_t after = BusyHeapBytes();
            ::testing::Test::RecordProperty("heapBytesBefore", static_cast<int>(before));
            ::testing::Test::RecordProperty("heapBytesAfter", static_cast<int>(after));
            EXPECT_LT(after, before + 4096)
                << before << " bytes in use before 40 controls, " << after << " after";
            EXPECT_EQ(nullptr, ::FindWindowExW(HWND_MESSAGE, nullptr, L"StandInWebBrowser", nullptr))
                << "a control's message window outlived it";
            EXPECT_EQ(nullptr, ::GetWindow(host.Window(), GW_CHILD)) << "a control's page window outlived it";
        }
        EXPECT_EQ(nullptr, ::GetModuleHandleW(copy.c_str())) << "the copy unloads once nobody holds it";
        cycle(); // and loads again with its window class registered afresh
    });
}

// ------------------------------------------------------------------------------------------------------------
// Page directives

TEST(StandInBrowserDirectives, ANewWindowIsAskedOfNewWindow2ThenNewWindow3ThenTheOldInterface) {
    OnBrowserThread([] {
        PageFolder pages;
        pages.Write(L"opener.html", Page("Opener", "<!--standin: new-window target.html-->opens a window"));
        pages.Write(L"target.html", Page("Target", "the new window's page"));
        const std::wstring opener = pages.Url(L"opener.html"), target = pages.Url(L"target.html");
        TestHost host;
        HostedBrowser hosted(host, L"full", L"6hdocvw.dll");
        ASSERT_TRUE(hosted.Ok());

        const auto openAndWaitFor = [&](const std::wstring& last) {
            hosted.Clear();
            EXPECT_TRUE(hosted.Open(opener));
            EXPECT_TRUE(PumpUntil([&] { return hosted.Logged(last); })) << last;
            Settle();
        };

        openAndWaitFor(L"old NewWindow(" + target + L", 0)");
        const Lines all = hosted.Events();
        const auto at = [&](const std::wstring& text) {
            return std::find(all.begin(), all.end(), text) - all.begin();
        };
        EXPECT_LT(at(L"DocumentComplete(top, " + opener + L")"), at(L"NewWindow2"))
            << "script runs after the load";
        EXPECT_EQ((Lines{L"NewWindow2", L"NewWindow3(" + target + L", from " + opener + L")",
                         L"old NewWindow(" + target + L", 0)"}),
                  hosted.Events({L"NewWindow2", L"NewWindow3", L"old NewWindow"}));
        ProbeReport report = hosted.Report();
        EXPECT_EQ(target, report[L"newWindow.url"]);
        EXPECT_EQ(L"none", report[L"newWindow.handledBy"]);
        EXPECT_EQ(opener, hosted.GetString(211)) << "nothing opened, the page stays";

        hosted.script.processNewWindow = true;
        openAndWaitFor(L"old NewWindow(" + target + L", 0)");
        EXPECT_EQ(L"NewWindow", hosted.Report()[L"newWindow.handledBy"]);
        hosted.script.processNewWindow = false;

        hosted.script.cancelNewWindow2 = true;
        openAndWaitFor(L"NewWindow2");
        EXPECT_EQ((Lines{L"NewWindow2"}), hosted.Events({L"NewWindow2", L"NewWindow3", L"old NewWindow"}));
        EXPECT_EQ(L"NewWindow2", hosted.Report()[L"newWindow.handledBy"]);
        hosted.script.cancelNewWindow2 = false;

        // A browser handed back through NewWindow2 is sent to the address.
        TestHost otherHost;
        HostedBrowser other(otherHost, L"full", L"6hdocvw.dll");
        ASSERT_TRUE(other.Ok());
        hosted.script.newWindow2Browser = other.browser.get();
        openAndWaitFor(L"NewWindow2");
        hosted.script.newWindow2Browser = nullptr;
        EXPECT_TRUE(PumpUntil([&] { return other.Logged(L"DocumentComplete(top, " + target + L")"); }));
        EXPECT_EQ(target, other.GetString(211));
        EXPECT_EQ(0u, hosted.Events({L"NewWindow3"}).size());
    });
}

TEST(StandInBrowserDirectives, ClosingThePageDestroysTheControlsWindowUnlessTheHostRefuses) {
    OnBrowserThread([] {
        PageFolder pages;
        pages.Write(L"close.html", Page("Closing", "<!--standin: close-->this page closes its window"));
        pages.Write(L"other.html", Page("Other", "text"));
        TestHost host;
        HostedBrowser hosted(host, L"full", L"7eframe.dll");
        ASSERT_TRUE(hosted.Ok());
        const HWND control = hosted.ControlWindow();

        hosted.script.cancelWindowClosing = true;
        ASSERT_TRUE(hosted.Open(pages.Url(L"close.html")));
        ASSERT_TRUE(PumpUntil([&] { return hosted.Logged(L"WindowClosing(false)"); }));
        Settle();
        EXPECT_TRUE(::IsWindow(control)) << "refused";
        EXPECT_EQ(L"cancelled", hosted.Report()[L"close"]);
        hosted.script.cancelWindowClosing = false;

        hosted.Clear();
        ASSERT_TRUE(hosted.Open(pages.Url(L"close.html")));
        ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(control); }));
        EXPECT_EQ((Lines{L"WindowClosing(false)"}), hosted.Events({L"WindowClosing"}));
        ASSERT_FALSE(host.calls.empty());
        EXPECT_EQ(L"ParentNotify(destroy)", host.calls.back()) << "how the host learns of it";
        EXPECT_EQ(control, host.destroyedChild);
        ProbeReport report = hosted.Report();
        EXPECT_EQ(L"closed", report[L"state"]);
        EXPECT_EQ(L"done", report[L"close"]);
        EXPECT_EQ(E_FAIL, hosted.Navigate(pages.Url(L"other.html"))) << "a closed browser goes nowhere";
        HWND none = nullptr;
        ComPtr<IOleWindow> window;
        ASSERT_EQ(S_OK, hosted.browser.As(window));
        EXPECT_EQ(E_FAIL, window->GetWindow(&none));
        window.reset();
        hosted.Release(); // the host's usual teardown still works
    });
}

TEST(StandInBrowserDirectives, APageThatNeverCompletesIsDrawnButFiresNoCompletion) {
    OnBrowserThread([] {
        PageFolder pages;
        pages.Write(L"never.html", Page("Never", "<!--standin: never-complete-->still loading"));
        pages.Write(L"page.html", Page("Page", "text"));
        const std::wstring never = pages.Url(L"never.html"), page = pages.Url(L"page.html");
        TestHost host;
        HostedBrowser hosted(host, L"full", L"6hdocvw.dll");
        ASSERT_TRUE(hosted.Ok());

        ASSERT_EQ(S_OK, hosted.Navigate(never));
        ASSERT_TRUE(PumpUntil([&] { return hosted.Logged(L"NavigateComplete2(top, " + never + L")"); }));
        EXPECT_FALSE(PumpUntil([&] { return !hosted.Events({L"DocumentComplete"}).empty(); }, 1500));
        EXPECT_EQ((Lines{L"ProgressChange(0, 10000)", L"ProgressChange(5000, 10000)"}),
                  hosted.Events({L"ProgressChange", L"DownloadComplete", L"StatusTextChange(Done)"}));
        EXPECT_EQ(L"loading", hosted.Report()[L"state"]);
        EXPECT_EQ(-1, hosted.GetLong(212)) << "Busy";
        Picture picture(400, 300);
        ComPtr<IViewObject> view = ViewOf(hosted);
        ASSERT_TRUE(view);
        EXPECT_EQ(S_OK, picture.Draw(view.get())) << "a host that gave up waiting still takes its picture";
        EXPECT_GT(picture.Dark(0, 300), 20u);

        hosted.Clear();
        EXPECT_EQ(S_OK, hosted.Call(105)) << "Refresh";
        ASSERT_TRUE(PumpUntil([&] { return hosted.Logged(L"TitleChange(Never)"); }));
        Settle();
        EXPECT_EQ((Lines{L"ProgressChange(0, 10000)"}),
                  hosted.Events({L"ProgressChange", L"DownloadComplete"}))
            << "it stalls again";
        EXPECT_EQ(S_OK, hosted.Call(106)) << "Stop";
        EXPECT_EQ(0, hosted.GetLong(212)) << "Busy";

        hosted.Clear();
        ASSERT_TRUE(hosted.Open(page));
        EXPECT_TRUE(hosted.Logged(L"DocumentComplete(top, " + page + L")"));
        EXPECT_EQ(E_UNEXPECTED, picture.Draw(view.get())) << "the page it drew is gone";
    });
}

struct HangingShared {
    std::wstring url;
    std::atomic<HWND> control{nullptr};
};

// Hosts a browser and opens the page; never returns on its own.
DWORD WINAPI HangingBrowser(void* parameter) {
    auto* shared = static_cast<HangingShared*>(parameter);
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    auto* host = new TestHost;                                        // abandoned with the thread
    auto* hosted = new HostedBrowser(*host, L"full", L"6hdocvw.dll"); // likewise
    shared->control = hosted->ControlWindow();
    hosted->Navigate(shared->url);
    PumpUntil([] { return false; }, INFINITE);
    return 0;
}

// Last: the thread it hangs is terminated, and what it held is abandoned with it.
TEST(StandInBrowserDirectives, AHangingPageHoldsItsThreadForGoodButNoOtherThread) {
    PageFolder pages;
    pages.Write(L"hang.html", Page("Hanging", "<!--standin: hang-->a script that never returns"));
    const std::wstring url = pages.Url(L"hang.html");
    HangingShared shared;
    shared.url = url;

    UniqueHandle thread(::CreateThread(nullptr, 0, HangingBrowser, &shared, 0, nullptr));
    ASSERT_TRUE(thread);

    const DWORD start = ::GetTickCount();
    std::wstring state;
    while (::GetTickCount() - start < 10000 && state != L"hanging") {
        ::Sleep(20);
        if (shared.control.load() == nullptr)
            continue;
        wchar_t text[8192] = {};
        ::InternalGetWindowText(shared.control.load(), text, 8192);
        state = ParseProbeReport(text)[L"state"];
    }
    ASSERT_EQ(L"hanging", state);
    ::Sleep(200);
    DWORD_PTR answer = 0;
    EXPECT_EQ(0, ::SendMessageTimeoutW(shared.control.load(), WM_NULL, 0, 0, SMTO_BLOCK, 500, &answer))
        << "the browser thread answers nothing";
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), ::WaitForSingleObject(thread.get(), 0))
        << "and does not end by itself";

    // Meanwhile another thread browses on.
    OnBrowserThread([&] {
        TestHost host;
        HostedBrowser hosted(host, L"full", L"6hdocvw.dll");
        ASSERT_TRUE(hosted.Ok());
        EXPECT_TRUE(hosted.Open(L"about:blank"));
    });

    EXPECT_TRUE(::TerminateThread(thread.get(), 1));
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread.get(), 5000));
}

} // namespace
