// The stand-in document's object model as a developer-tools panel walks it, through the engine's published
// interfaces: nodes, attributes, styles, boxes, the window's script, frames from another site, clicks in the
// page window, and the copies' urlmon export that fetches a page's source.
#include "wine/StandInBrowserHost.h"

#include <dispex.h>
#include <mshtml.h>
#include <mshtmdid.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace movalent;
using namespace movalent::standin::testing;

namespace {

using DllGetClassObjectFn = HRESULT(__stdcall*)(REFCLSID, REFIID, void**);
using UrlOpenBlockingStreamFn = HRESULT(__stdcall*)(IUnknown*, LPCWSTR, IStream**, DWORD,
                                                    IBindStatusCallback*);

constexpr HRESULT kScriptErrorReported = static_cast<HRESULT>(0x80020101L);

template <typename T> ComPtr<T> As(IUnknown* object) {
    ComPtr<T> out;
    if (object == nullptr || FAILED(object->QueryInterface(__uuidof(T), out.put_void())))
        out.detach();
    return out;
}

ComPtr<IUnknown> Identity(IUnknown* object) {
    return As<IUnknown>(object);
}

std::wstring Text(BSTR text) {
    return text != nullptr ? std::wstring(text, ::SysStringLen(text)) : std::wstring();
}

UniqueBstr Bstr(const std::wstring& text) {
    return UniqueBstr(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}

// "<VT_NULL>", or the text of a string variant.
std::wstring VariantText(const VARIANT& value) {
    if (V_VT(&value) == VT_NULL)
        return L"<VT_NULL>";
    return V_VT(&value) == VT_BSTR ? Text(V_BSTR(&value)) : L"<vt " + std::to_wstring(V_VT(&value)) + L">";
}

// A document of one mshtml copy holding a page, made the way the browser makes one.
struct Document {
    explicit Document(const std::string& markup)
        : module(::LoadLibraryW(StandInFile(L"full", L"6shtml.dll").c_str())) {
        const auto getClassObject = reinterpret_cast<DllGetClassObjectFn>(
            reinterpret_cast<void*>(::GetProcAddress(module.get(), "DllGetClassObject")));
        ComPtr<IClassFactory> factory;
        if (getClassObject == nullptr ||
            FAILED(getClassObject(kClsidHtmlDocument, IID_IClassFactory, factory.put_void())) ||
            FAILED(factory->CreateInstance(nullptr, IID_IStandInDocument, model.put_void())) ||
            FAILED(model->Load(L"file:///C:/page.html", reinterpret_cast<const BYTE*>(markup.data()),
                               static_cast<ULONG>(markup.size()))))
            return;
        html = As<IHTMLDocument2>(model.get());
    }

    ComPtr<IHTMLElement> ById(const std::wstring& id) const {
        ComPtr<IHTMLElementCollection> all;
        ComPtr<IDispatch> item;
        UniqueBstr name = Bstr(id);
        VARIANT byName, none;
        V_VT(&byName) = VT_BSTR;
        V_BSTR(&byName) = name.get();
        ::VariantInit(&none);
        if (FAILED(html->get_all(all.put())) || FAILED(all->item(byName, none, item.put())))
            return {};
        return As<IHTMLElement>(item.get());
    }

    std::wstring ReportLines() const {
        UniqueBstr lines;
        model->GetReportLines(lines.put());
        return Text(lines.get());
    }

    UniqueModule module; // first, so that it goes last
    ComPtr<IStandInDocument> model;
    ComPtr<IHTMLDocument2> html;
};

std::vector<ComPtr<IHTMLDOMNode>> Children(IHTMLDOMNode* node) {
    std::vector<ComPtr<IHTMLDOMNode>> children;
    ComPtr<IDispatch> list;
    long length = 0;
    node->get_childNodes(list.put());
    ComPtr<IHTMLDOMChildrenCollection> collection = As<IHTMLDOMChildrenCollection>(list.get());
    if (!collection || FAILED(collection->get_length(&length)))
        return children;
    for (long i = 0; i < length; ++i) {
        ComPtr<IDispatch> item;
        collection->item(i, item.put());
        children.push_back(As<IHTMLDOMNode>(item.get()));
    }
    return children;
}

std::wstring NodeName(IHTMLDOMNode* node) {
    UniqueBstr name;
    node->get_nodeName(name.put());
    return Text(name.get());
}

// GetIDsOfNames, then Invoke(DISPATCH_PROPERTYGET): the way a panel reads a property by its script name.
HRESULT ReadByName(IDispatch* object, const wchar_t* name, VARIANT* value, DISPID* id = nullptr) {
    DISPID found = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    const HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &found);
    if (id != nullptr)
        *id = found;
    if (FAILED(hr))
        return hr;
    DISPPARAMS none = {};
    return object->Invoke(found, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value, nullptr,
                          nullptr);
}

TEST(StandInObjectModel, NodesWalkThePagesRealTreeAndKeepTheirIdentity) {
    Document page("<html><head><title>T</title></head><body>Hello <b id=b>bold</b>\n<iframe src=f.html>"
                  "</iframe></body></html>");
    ASSERT_TRUE(page.html);
    ComPtr<IHTMLElement> root;
    ASSERT_EQ(S_OK, As<IHTMLDocument3>(page.html.get())->get_documentElement(root.put()));
    ComPtr<IHTMLDOMNode> html = As<IHTMLDOMNode>(root.get());
    ASSERT_TRUE(html);
    long type = 0;
    UniqueVariant value;
    ComPtr<IHTMLDOMNode> parent;
    EXPECT_EQ(S_OK, html->get_nodeType(&type));
    EXPECT_EQ(1, type);
    EXPECT_EQ(L"HTML", NodeName(html.get()));
    EXPECT_EQ(S_OK, html->get_nodeValue(&value));
    EXPECT_EQ(VT_NULL, V_VT(&value.get()));
    EXPECT_EQ(S_OK, html->get_parentNode(parent.put()));
    EXPECT_FALSE(parent);

    const auto top = Children(html.get());
    ASSERT_EQ(2u, top.size());
    EXPECT_EQ(L"HEAD", NodeName(top[0].get()));
    ComPtr<IHTMLElement> body;
    page.html->get_body(body.put());
    EXPECT_EQ(Identity(body.get()).get(), Identity(top[1].get()).get()) << "one object per element";

    const auto inBody = Children(top[1].get());
    ASSERT_EQ(3u, inBody.size()) << "the white space before the iframe makes no node";
    EXPECT_EQ(L"#text", NodeName(inBody[0].get()));
    EXPECT_EQ(S_OK, inBody[0]->get_nodeType(&type));
    EXPECT_EQ(3, type);
    EXPECT_EQ(S_OK, inBody[0]->get_nodeValue(&value));
    EXPECT_EQ(L"Hello ", VariantText(value.get()));
    EXPECT_FALSE(As<IHTMLElement>(inBody[0].get())) << "a text node is no element";
    ComPtr<IDispatch> noAttributes;
    EXPECT_EQ(S_OK, inBody[0]->get_attributes(noAttributes.put()));
    EXPECT_FALSE(noAttributes);
    EXPECT_EQ(S_OK, inBody[0]->get_parentNode(parent.put()));
    EXPECT_EQ(Identity(body.get()).get(), Identity(parent.get()).get());
    EXPECT_EQ(L"B", NodeName(inBody[1].get()));
    EXPECT_EQ(L"IFRAME", NodeName(inBody[2].get()));

    ComPtr<IDispatch> list;
    ComPtr<IDispatch> item;
    top[1]->get_childNodes(list.put());
    ComPtr<IHTMLDOMChildrenCollection> children = As<IHTMLDOMChildrenCollection>(list.get());
    EXPECT_EQ(E_INVALIDARG, children->item(3, item.put()));
    EXPECT_EQ(E_INVALIDARG, children->item(-1, item.put()));
    EXPECT_EQ(S_OK, children->item(0, item.put()));
    EXPECT_EQ(Identity(inBody[0].get()).get(), Identity(item.get()).get()) << "text nodes keep theirs too";

    ComPtr<IHTMLElementCollection> all;
    long count = 0;
    page.html->get_all(all.put());
    all->get_length(&count);
    EXPECT_EQ(6, count) << "html, head, title, body, b, iframe";
}

TEST(StandInObjectModel, AttributesStylesAndOuterHtmlFollowWhatAHostSets) {
    Document page("<body><p id=p class=c style='COLOR:red'>a<b>b</b></p></body>");
    ComPtr<IHTMLElement> p = page.ById(L"p");
    ASSERT_TRUE(p);
    ComPtr<IDispatch> list;
    ASSERT_EQ(S_OK, As<IHTMLDOMNode>(p.get())->get_attributes(list.put()));
    ComPtr<IHTMLAttributeCollection> attributes = As<IHTMLAttributeCollection>(list.get());
    ASSERT_TRUE(attributes);
    long length = 0;
    attributes->get_length(&length);
    std::vector<std::wstring> listed;
    for (long i = 0; i < length; ++i) {
        VARIANT index;
        V_VT(&index) = VT_I4;
        V_I4(&index) = i;
        ComPtr<IDispatch> item;
        ASSERT_EQ(S_OK, attributes->item(&index, item.put()));
        ComPtr<IHTMLDOMAttribute> attribute = As<IHTMLDOMAttribute>(item.get());
        UniqueBstr name;
        UniqueVariant value;
        VARIANT_BOOL specified = VARIANT_TRUE;
        attribute->get_nodeName(name.put());
        attribute->get_nodeValue(&value);
        attribute->get_specified(&specified);
        listed.push_back(Text(name.get()) + (specified ? L"=" : L"?") + VariantText(value.get()));
    }
    EXPECT_EQ((std::vector<std::wstring>{L"dir?<VT_NULL>", L"lang?<VT_NULL>", L"title?<VT_NULL>",
                                         L"onclick?<VT_NULL>", L"id=p", L"class=c", L"style=COLOR:red"}),
              listed);
    VARIANT outOfRange;
    V_VT(&outOfRange) = VT_I4;
    V_I4(&outOfRange) = length;
    ComPtr<IDispatch> none;
    EXPECT_EQ(E_INVALIDARG, attributes->item(&outOfRange, none.put()));

    UniqueVariant value;
    EXPECT_EQ(S_OK, p->getAttribute(Bstr(L"CLASSNAME").get(), 0, &value));
    EXPECT_EQ(L"c", VariantText(value.get()));
    EXPECT_EQ(S_OK, p->getAttribute(Bstr(L"ID").get(), 1, &value));
    EXPECT_EQ(L"<VT_NULL>", VariantText(value.get())) << "flag 1: the case counts";

    VARIANT number;
    V_VT(&number) = VT_I4;
    V_I4(&number) = 5;
    EXPECT_EQ(S_OK, p->setAttribute(Bstr(L"data-n").get(), number, 0));
    ComPtr<IHTMLStyle> style;
    ASSERT_EQ(S_OK, p->get_style(style.put()));
    UniqueBstr css;
    EXPECT_EQ(S_OK, style->get_cssText(css.put()));
    EXPECT_EQ(L"COLOR:red", Text(css.get())) << "as written";
    EXPECT_EQ(S_OK, style->put_cssText(Bstr(L"width: 10px").get()));
    UniqueBstr outer;
    EXPECT_EQ(S_OK, p->get_outerHTML(outer.put()));
    EXPECT_EQ(L"<P id=\"p\" class=\"c\" style=\"width: 10px\" data-n=\"5\">a<B>b</B></P>", Text(outer.get()));
    UniqueBstr inner;
    EXPECT_EQ(S_OK, p->get_innerText(inner.put()));
    EXPECT_EQ(L"ab", Text(inner.get()));
    const std::wstring lines = page.ReportLines();
    EXPECT_NE(std::wstring::npos, lines.find(L"\nattr.p.data-n=5\nattr.p.style=width: 10px\n")) << lines;
}

TEST(StandInObjectModel, CurrentStyleByScriptNameAndBoxesInPageCoordinates) {
    Document page("<body><div id=d style='width:100px;height:40px;margin-left:5px'>x</div><span id=s>t</span>"
                  "</body>");
    ComPtr<IHTMLElement> div = page.ById(L"d");
    ComPtr<IHTMLCurrentStyle> current;
    ASSERT_EQ(S_OK, As<IHTMLElement2>(div.get())->get_currentStyle(current.put()));
    ComPtr<IDispatch> byName = As<IDispatch>(current.get());
    ASSERT_TRUE(byName);
    for (const auto& [name, expected] :
         std::vector<std::pair<const wchar_t*, const wchar_t*>>{{L"display", L"block"},
                                                                {L"width", L"100px"},
                                                                {L"marginLeft", L"5px"},
                                                                {L"position", L"static"},
                                                                {L"zIndex", L"auto"},
                                                                {L"backgroundColor", L"transparent"}}) {
        UniqueVariant value;
        EXPECT_EQ(S_OK, ReadByName(byName.get(), name, &value)) << name;
        EXPECT_EQ(expected, VariantText(value.get())) << name;
    }
    UniqueVariant value;
    DISPID unknown = 0;
    EXPECT_EQ(DISP_E_UNKNOWNNAME, ReadByName(byName.get(), L"colour", &value, &unknown));
    EXPECT_EQ(DISPID_UNKNOWN, unknown);
    UniqueBstr display;
    ComPtr<IHTMLCurrentStyle> spanStyle;
    As<IHTMLElement2>(page.ById(L"s").get())->get_currentStyle(spanStyle.put());
    EXPECT_EQ(S_OK, spanStyle->get_display(display.put()));
    EXPECT_EQ(L"inline", Text(display.get()));

    long left = 0, top = 0, width = 0, height = 0;
    div->get_offsetLeft(&left);
    div->get_offsetTop(&top);
    div->get_offsetWidth(&width);
    div->get_offsetHeight(&height);
    EXPECT_EQ((std::vector<long>{15, 15, 100, 40}), (std::vector<long>{left, top, width, height}));
    ComPtr<IHTMLRect> rect;
    ASSERT_EQ(S_OK, As<IHTMLElement2>(div.get())->getBoundingClientRect(rect.put()));
    long right = 0, bottom = 0;
    rect->get_left(&left);
    rect->get_top(&top);
    rect->get_right(&right);
    rect->get_bottom(&bottom);
    EXPECT_EQ((std::vector<long>{15, 15, 115, 55}), (std::vector<long>{left, top, right, bottom}));
    EXPECT_NE(std::wstring::npos, page.ReportLines().find(L"box.d=15,15,115,55\nbox.s=10,55,18,75\n"));

    // A host's change of the inline style moves the box.
    ComPtr<IHTMLStyle> style;
    div->get_style(style.put());
    style->put_cssText(Bstr(L"display: none").get());
    div->get_offsetWidth(&width);
    EXPECT_EQ(0, width);
    EXPECT_NE(std::wstring::npos, page.ReportLines().find(L"box.s=10,15,18,35\n"));
}

TEST(StandInObjectModel, ExecScriptSetsWindowPropertiesAndReportsWhatFails) {
    Document page("<title>Script page</title><div id=x>x</div>");
    ComPtr<IHTMLWindow2> window;
    ASSERT_EQ(S_OK, page.html->get_parentWindow(window.put()));
    ComPtr<IHTMLWindow2> again;
    page.html->get_parentWindow(again.put());
    EXPECT_EQ(Identity(window.get()).get(), Identity(again.get()).get());
    ComPtr<IHTMLDocument2> document;
    EXPECT_EQ(S_OK, window->get_document(document.put()));
    EXPECT_EQ(Identity(page.html.get()).get(), Identity(document.get()).get());

    UniqueVariant result;
    EXPECT_EQ(S_OK,
              window->execScript(Bstr(L"window.v = 'a' + 1 + 2; n = 40 + 2\n"
                                      L"t = document.title + ' ' + document.getElementById('x').tagName")
                                     .get(),
                                 Bstr(L"JScript").get(), &result));
    EXPECT_EQ(VT_EMPTY, V_VT(&result.get()));
    UniqueVariant value;
    EXPECT_EQ(S_OK, ReadByName(window.get(), L"n", &value));
    EXPECT_EQ(VT_I4, V_VT(&value.get()));
    EXPECT_EQ(42, V_I4(&value.get()));
    EXPECT_EQ(S_OK, ReadByName(window.get(), L"v", &value));
    EXPECT_EQ(L"a12", VariantText(value.get()));
    EXPECT_EQ(S_OK, ReadByName(window.get(), L"t", &value));
    EXPECT_EQ(L"Script page DIV", VariantText(value.get()));
    EXPECT_EQ(DISP_E_UNKNOWNNAME, ReadByName(window.get(), L"never", &value));

    ComPtr<IDispatchEx> expandos = As<IDispatchEx>(window.get());
    ASSERT_TRUE(expandos);
    DISPID byWindow = 0, byEx = 0, upper = 0;
    ReadByName(window.get(), L"t", &value, &byWindow);
    EXPECT_EQ(S_OK, expandos->GetDispID(Bstr(L"t").get(), fdexNameCaseSensitive, &byEx));
    EXPECT_EQ(byWindow, byEx);
    EXPECT_EQ(DISP_E_UNKNOWNNAME, expandos->GetDispID(Bstr(L"T").get(), fdexNameCaseSensitive, &upper));

    EXPECT_EQ(S_OK, window->execScript(Bstr(L"").get(), Bstr(L"javascript").get(), &result));
    EXPECT_EQ(std::wstring::npos, page.ReportLines().find(L"script.error"));
    EXPECT_EQ(kScriptErrorReported,
              window->execScript(Bstr(L"alert(1)").get(), Bstr(L"JScript").get(), &result));
    EXPECT_NE(std::wstring::npos, page.ReportLines().find(L"script.error=Syntax error at character 6"))
        << page.ReportLines();
    EXPECT_EQ(kScriptErrorReported,
              window->execScript(Bstr(L"v = 1").get(), Bstr(L"VBScript").get(), &result));
    EXPECT_NE(std::wstring::npos,
              page.ReportLines().find(L"script.error=the stand-in runs no VBScript script"));
    EXPECT_EQ(S_OK, ReadByName(window.get(), L"v", &value));
    EXPECT_EQ(L"a12", VariantText(value.get()));
}

// Records the onclick events a document's sink gets, and cancels them as told.
class ClickSink final : public IDispatch {
public:
    enum class Answer { Let, ReturnValueFalse, ResultFalse };

    struct Click {
        DISPID id;
        WORD flags;
        std::wstring source; // srcElement's id, or its tag
        std::wstring type;
        long x, y;
    };

    Answer answer = Answer::Let;
    std::vector<Click> clicks;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override {
        *result = nullptr;
        if (iid != IID_IUnknown && iid != IID_IDispatch)
            return E_NOINTERFACE;
        *result = static_cast<IDispatch*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; } // lives on the test's stack
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT*) override {
        Click click{id, flags, L"<no event object>", {}, -1, -1};
        ComPtr<IHTMLEventObj> event;
        if (params->cArgs == 1 && V_VT(&params->rgvarg[0]) == VT_DISPATCH)
            event = As<IHTMLEventObj>(V_DISPATCH(&params->rgvarg[0]));
        if (event) {
            ComPtr<IHTMLElement> source;
            UniqueBstr text;
            event->get_srcElement(source.put());
            if (source && SUCCEEDED(source->get_id(text.put())) && ::SysStringLen(text.get()) == 0)
                source->get_tagName(text.put());
            click.source = Text(text.get());
            event->get_type(text.put());
            click.type = Text(text.get());
            event->get_clientX(&click.x);
            event->get_clientY(&click.y);
            if (answer == Answer::ReturnValueFalse) {
                VARIANT no;
                V_VT(&no) = VT_BOOL;
                V_BOOL(&no) = VARIANT_FALSE;
                event->put_returnValue(no);
            }
        }
        if (answer == Answer::ResultFalse && result != nullptr) {
            V_VT(result) = VT_BOOL;
            V_BOOL(result) = VARIANT_FALSE;
        }
        clicks.push_back(click);
        return S_OK;
    }
};

void ClickAt(HWND window, int x, int y) {
    ::PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    ::PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    Settle(100);
}

TEST(StandInObjectModel, ClicksInThePageWindowReachThePageUnlessASinkCancelsThem) {
    OnBrowserThread([] {
        PageFolder pages;
        pages.Write(L"click.html",
                    "<body><div id=target style='width:100px;height:40px'>x</div><p>text</p></body>");
        TestHost host;
        HostedBrowser hosted(host, L"full", L"6hdocvw.dll");
        ASSERT_TRUE(hosted.Ok());
        ASSERT_TRUE(hosted.Open(pages.Url(L"click.html")));
        ProbeReport report = hosted.Report();
        EXPECT_EQ(L"10,15,110,55", report[L"box.target"]);
        EXPECT_EQ(L"0", report[L"click.count"]);

        ComPtr<IDispatch> document;
        hosted.browser->get_Document(document.put());
        ComPtr<IConnectionPointContainer> container = As<IConnectionPointContainer>(document.get());
        ASSERT_TRUE(container);
        ComPtr<IConnectionPoint> point;
        EXPECT_EQ(CONNECT_E_NOCONNECTION,
                  container->FindConnectionPoint(__uuidof(HTMLDocumentEvents), point.put()));
        ASSERT_EQ(S_OK, container->FindConnectionPoint(__uuidof(HTMLDocumentEvents2), point.put()));
        ClickSink sink;
        DWORD cookie = 0;
        ASSERT_EQ(S_OK, point->Advise(&sink, &cookie));

        const HWND page = hosted.ControlWindow();
        ClickAt(page, 60, 35);
        ASSERT_EQ(1u, sink.clicks.size());
        EXPECT_EQ(DISPID_HTMLDOCUMENTEVENTS2_ONCLICK, sink.clicks[0].id);
        EXPECT_EQ(DISPATCH_METHOD, sink.clicks[0].flags);
        EXPECT_EQ(L"target", sink.clicks[0].source);
        EXPECT_EQ(L"click", sink.clicks[0].type);
        EXPECT_EQ(60, sink.clicks[0].x);
        EXPECT_EQ(35, sink.clicks[0].y);
        report = hosted.Report();
        EXPECT_EQ(L"1", report[L"click.count"]);
        EXPECT_EQ(L"target", report[L"click.last"]);

        sink.answer = ClickSink::Answer::ReturnValueFalse;
        ClickAt(page, 200, 65);
        sink.answer = ClickSink::Answer::ResultFalse;
        ClickAt(page, 200, 65);
        ASSERT_EQ(3u, sink.clicks.size());
        EXPECT_EQ(L"P", sink.clicks[1].source);
        EXPECT_EQ(L"1", hosted.Report()[L"click.count"]) << "both cancelled";

        EXPECT_EQ(S_OK, point->Unadvise(cookie));
        ClickAt(page, 300, 200);
        EXPECT_EQ(3u, sink.clicks.size());
        report = hosted.Report();
        EXPECT_EQ(L"2", report[L"click.count"]);
        EXPECT_EQ(L"BODY", report[L"click.last"]) << "below every element";
    });
}

TEST(StandInObjectModel, APageOfTwentyThousandElementsOpensAndIsWalkedQuickly) {
    OnBrowserThread([] {
        std::string markup = "<body>";
        for (int i = 0; i < 20000; ++i)
            markup += i % 10 == 0 ? "<p id=e" + std::to_string(i) + ">t</p>" : "<span>t</span>";
        PageFolder pages;
        pages.Write(L"large.html", markup);
        TestHost host;
        HostedBrowser hosted(host, L"full", L"6hdocvw.dll");
        ASSERT_TRUE(hosted.Ok());
        const DWORD start = ::GetTickCount();
        ASSERT_TRUE(hosted.Open(pages.Url(L"large.html")));
        ComPtr<IDispatch> document;
        hosted.browser->get_Document(document.put());
        ComPtr<IHTMLElement> body;
        As<IHTMLDocument2>(document.get())->get_body(body.put());
        const auto children = Children(As<IHTMLDOMNode>(body.get()).get());
        const DWORD took = ::GetTickCount() - start;
        EXPECT_EQ(20000u, children.size());
        EXPECT_EQ(L"SPAN", NodeName(children.back().get()));
        EXPECT_EQ(L"10,79975,790,79995", hosted.Report()[L"box.e19990"])
            << "a p and a line of spans, 40 high, per ten";
        EXPECT_LT(took, 10000u);
    });
}

TEST(StandInObjectModel, AFrameFromAnotherSiteKeepsItsDocumentToItself) {
    OnBrowserThread([] {
        PageFolder pages;
        pages.Write(L"a.html", "<title>A</title>");
        pages.Write(L"b.html", "<!--standin: other-site--><title>B</title>");
        pages.Write(L"top.html", "<iframe src=a.html></iframe><iframe src=b.html></iframe>");
        TestHost host;
        HostedBrowser hosted(host, L"full", L"6hdocvw.dll");
        ASSERT_TRUE(hosted.Ok());
        ASSERT_TRUE(hosted.Open(pages.Url(L"top.html")));
        ComPtr<IDispatch> document;
        hosted.browser->get_Document(document.put());
        ComPtr<IHTMLFramesCollection2> frames;
        ASSERT_EQ(S_OK, As<IHTMLDocument2>(document.get())->get_frames(frames.put()));
        std::vector<ComPtr<IHTMLWindow2>> windows;
        for (LONG i = 0; i < 2; ++i) {
            VARIANT index;
            V_VT(&index) = VT_I4;
            V_I4(&index) = i;
            UniqueVariant item;
            ASSERT_EQ(S_OK, frames->item(&index, &item));
            windows.push_back(As<IHTMLWindow2>(V_DISPATCH(&item.get())));
        }
        ComPtr<IHTMLDocument2> frame;
        ASSERT_EQ(S_OK, windows[0]->get_document(frame.put()));
        UniqueBstr title;
        frame->get_title(title.put());
        EXPECT_EQ(L"A", Text(title.get()));
        ComPtr<IHTMLWindow2> own;
        frame->get_parentWindow(own.put());
        EXPECT_EQ(Identity(own.get()).get(), Identity(windows[0].get()).get())
            << "the frame document's own window";

        EXPECT_EQ(E_ACCESSDENIED, windows[1]->get_document(frame.put()));
        EXPECT_FALSE(frame);
        UniqueVariant result;
        EXPECT_EQ(E_ACCESSDENIED,
                  windows[1]->execScript(Bstr(L"a = 1").get(), Bstr(L"JScript").get(), &result));
    });
}

TEST(StandInObjectModel, EveryCopyFetchesFilesForUrlOpenBlockingStreamAndSaysWhichCopyItWas) {
    PageFolder pages;
    const std::wstring path = pages.Write(L"source.html", "<p>the source</p>");
    UniqueModule copy6(::LoadLibraryW(StandInFile(L"full", L"6rlmon.dll").c_str()));
    UniqueModule copy7(::LoadLibraryW(StandInFile(L"full", L"7rlmon.dll").c_str()));
    const auto open6 = reinterpret_cast<UrlOpenBlockingStreamFn>(
        reinterpret_cast<void*>(::GetProcAddress(copy6.get(), "URLOpenBlockingStreamW")));
    const auto open7 = reinterpret_cast<UrlOpenBlockingStreamFn>(
        reinterpret_cast<void*>(::GetProcAddress(copy7.get(), "URLOpenBlockingStreamW")));
    ASSERT_NE(nullptr, open6);
    ASSERT_NE(nullptr, open7);
    const auto lastFetch = [] {
        wchar_t value[1024] = {};
        ::GetEnvironmentVariableW(L"STANDIN_LAST_FETCH", value, 1024);
        return std::wstring(value);
    };

    ComPtr<IStream> stream;
    ASSERT_EQ(S_OK, open6(nullptr, FileUrl(path).c_str(), stream.put(), 0, nullptr));
    char bytes[64] = {};
    ULONG read = 0;
    stream->Read(bytes, sizeof bytes, &read);
    EXPECT_EQ("<p>the source</p>", std::string(bytes, read));
    EXPECT_EQ(L"6rlmon.dll " + FileUrl(path), lastFetch());

    EXPECT_EQ(S_OK, open7(nullptr, path.c_str(), stream.put(), 0, nullptr)) << "a plain path";
    EXPECT_EQ(L"7rlmon.dll " + path, lastFetch());
    EXPECT_EQ(static_cast<HRESULT>(0x800C000DL),
              open7(nullptr, L"http://example.com/", stream.put(), 0, nullptr));
    EXPECT_FALSE(stream);
    EXPECT_EQ(L"7rlmon.dll http://example.com/", lastFetch());
    EXPECT_EQ(static_cast<HRESULT>(0x800C0005L),
              open6(nullptr, pages.Path(L"none.html").c_str(), stream.put(), 0, nullptr));

    OnBrowserThread([&] {
        TestHost host;
        HostedBrowser hosted(host, L"full", L"6hdocvw.dll");
        ASSERT_TRUE(hosted.Ok());
        EXPECT_EQ(L"6rlmon.dll " + pages.Path(L"none.html"), hosted.Report()[L"fetch.last"]);
    });
}

} // namespace
