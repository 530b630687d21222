// The page zoom against stand-in documents held directly: what ApplyZoom answers, and what it leaves in each
// document, for pages a tab cannot show at the moment the zoom arrives (no body yet, empty frames).
#include "framework/Handles.h"
#include "standin/StandInBrowser.h"
#include "standin/StandInTestSupport.h"
#include "tabs/Zoom.h"

#include <gtest/gtest.h>

#include <string>

namespace movalent {
namespace {

using DllGetClassObjectFn = HRESULT(__stdcall*)(REFCLSID, REFIID, void**);

class Zoom : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        module_ = ::LoadLibraryW(standin::testing::StandInFile(L"full", L"7shtml.dll").c_str());
        ASSERT_TRUE(module_);
        const auto getClassObject = reinterpret_cast<DllGetClassObjectFn>(
            reinterpret_cast<void*>(::GetProcAddress(module_, "DllGetClassObject")));
        ASSERT_TRUE(getClassObject);
        ASSERT_TRUE(SUCCEEDED(getClassObject(kClsidHtmlDocument, IID_IClassFactory, factory_.put_void())));
    }
    void TearDown() override {
        factory_.reset();
        ::CoUninitialize();
        // The copy is left loaded for the rest of the process, as a browser thread leaves its engine.
    }

    // A document holding markup; frames are added by the caller.
    ComPtr<IStandInDocument> Document(const std::string& markup, bool load = true) {
        ComPtr<IStandInDocument> document;
        EXPECT_TRUE(SUCCEEDED(factory_->CreateInstance(nullptr, IID_IStandInDocument, document.put_void())));
        if (document && load) {
            EXPECT_TRUE(SUCCEEDED(document->Load(L"file:///C:/page.html",
                                                 reinterpret_cast<const BYTE*>(markup.data()),
                                                 static_cast<ULONG>(markup.size()))));
        }
        return document;
    }
    static void AddFrame(IStandInDocument* parent, IStandInDocument* frame) {
        ComPtr<IDispatch> dispatch;
        if (frame) {
            ASSERT_TRUE(SUCCEEDED(frame->QueryInterface(IID_IDispatch, dispatch.put_void())));
        }
        ASSERT_TRUE(SUCCEEDED(parent->AddFrame(dispatch.get())));
    }
    static bool Apply(IStandInDocument* document, int percent, bool inFrame) {
        ComPtr<IHTMLDocument2> html;
        EXPECT_TRUE(SUCCEEDED(document->QueryInterface(__uuidof(IHTMLDocument2), html.put_void())));
        return html && ApplyZoom(html.get(), percent, inFrame);
    }
    // "runtime wrapper wrappers wrapsAll"
    static std::wstring ZoomOf(IStandInDocument* document) {
        UniqueBstr runtime, wrapper;
        LONG wrappers = -1;
        BOOL wrapsAll = FALSE;
        if (FAILED(document->GetZoom(runtime.put(), wrapper.put(), &wrappers, &wrapsAll)))
            return L"(no answer)";
        return std::wstring(runtime.get()) + L" " + wrapper.get() + L" " + std::to_wstring(wrappers) +
               (wrapsAll ? L" all" : L" part");
    }

    HMODULE module_ = nullptr;
    ComPtr<IClassFactory> factory_;
};

const char kPage[] = "<html><head><title>P</title></head><body><p>one</p><p>two</p></body></html>";

TEST_F(Zoom, BodyIsWrappedOnceAndFramesGetACounterZoom) {
    ComPtr<IStandInDocument> top = Document(kPage);
    EXPECT_TRUE(Apply(top.get(), 150, false));
    EXPECT_EQ(L"none 150% 1 all", ZoomOf(top.get()));
    EXPECT_TRUE(Apply(top.get(), 100, false));
    EXPECT_EQ(L"none 100% 1 all", ZoomOf(top.get()));

    ComPtr<IStandInDocument> frame = Document(kPage);
    EXPECT_TRUE(Apply(frame.get(), 200, true));
    EXPECT_EQ(L"50% 200% 1 all", ZoomOf(frame.get()));
}

TEST_F(Zoom, ADocumentWithoutBodyIsLeftAlone) {
    ComPtr<IStandInDocument> loading = Document("", false);
    EXPECT_FALSE(Apply(loading.get(), 150, false));
    EXPECT_EQ(L"none none 0 part", ZoomOf(loading.get()));
}

TEST_F(Zoom, FramesetZoomsItselfOnlyAtTheTop) {
    const std::string frameset = "<frameset cols='*,*,*'><frame src=a.html><frame src=b.html>"
                                 "<frame src=c.html></frameset>";
    ComPtr<IStandInDocument> top = Document(frameset);
    ComPtr<IStandInDocument> first = Document(kPage);
    ComPtr<IStandInDocument> inner = Document("<frameset rows='*'><frame src=d.html></frameset>");
    ComPtr<IStandInDocument> nested = Document(kPage);
    AddFrame(top.get(), first.get());
    AddFrame(top.get(), inner.get());
    AddFrame(top.get(), nullptr); // a frame left empty is skipped
    AddFrame(inner.get(), nested.get());

    EXPECT_TRUE(Apply(top.get(), 150, false));
    EXPECT_EQ(L"150% none 0 part", ZoomOf(top.get()));
    EXPECT_EQ(L"66% 150% 1 all", ZoomOf(first.get()));
    EXPECT_EQ(L"none none 0 part", ZoomOf(inner.get())) << "a frameset in a frame gets no zoom of its own";
    EXPECT_EQ(L"66% 150% 1 all", ZoomOf(nested.get()));

    // A frameset met as a frame's document answers for its frames only.
    EXPECT_TRUE(Apply(inner.get(), 55, true));
    EXPECT_EQ(L"none none 0 part", ZoomOf(inner.get()));
    EXPECT_EQ(L"181% 55% 1 all", ZoomOf(nested.get()));
}

TEST_F(Zoom, PercentagesThatMeanNothingChangeNothing) {
    ComPtr<IStandInDocument> top = Document("<body><iframe src=a.html></iframe></body>");
    ComPtr<IStandInDocument> frame = Document(kPage);
    AddFrame(top.get(), frame.get());
    EXPECT_FALSE(Apply(top.get(), 0, false));
    EXPECT_FALSE(Apply(top.get(), -150, false));
    EXPECT_EQ(L"none none 0 part", ZoomOf(top.get()));
    EXPECT_EQ(L"none none 0 part", ZoomOf(frame.get()));
    EXPECT_FALSE(ApplyZoom(nullptr, 150, false));
    EXPECT_FALSE(ApplyZoomToFrames(nullptr, 150));
}

} // namespace
} // namespace movalent
