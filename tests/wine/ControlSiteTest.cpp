// The program's control site as the engine sees it: the document host handler's answers and the
// window.external object it hands out.
#include "app/VersionInfo.h"
#include "framework/ControlContainer.h"
#include "framework/MessageBox.h"
#include "framework/Window.h"
#include "tabs/DialogWBContainerCustomControlSite.h"
#include "tabs/DialogWBContainerCustomOccManager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace movalent;

namespace {

// IDocHostShowUI, which the site does not offer (the engine then shows its own message boxes and help).
constexpr IID kIidDocHostShowUI = {
    0xC4D244B0, 0xD43E, 0x11CF, {0x89, 0x3B, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x1A}};

std::vector<std::wstring> g_boxes;
std::vector<UINT> g_boxTypes;

int RecordBox(HWND, const std::wstring& text, const std::wstring&, UINT type) {
    g_boxes.push_back(text);
    g_boxTypes.push_back(type);
    return IDOK;
}

class ControlSite : public ::testing::Test {
protected:
    void SetUp() override {
        g_boxes.clear();
        g_boxTypes.clear();
        SetMessageBoxHandler(RecordBox);
        OleControlSite* site = CDialogWBContainerCustomOccManager().CreateSite(container_);
        ASSERT_NE(nullptr, site);
        site_ = site;
        ASSERT_EQ(S_OK, site_->QueryInterface(IID_IDocHostUIHandler, reinterpret_cast<void**>(&handler_)));
    }
    void TearDown() override {
        if (handler_)
            handler_->Release();
        if (site_) {
            EXPECT_EQ(0u, site_->Release()) << "every reference handed out was given back";
        }
        SetMessageBoxHandler(nullptr);
    }

    // The members the calling thread gets: this test thread has no engine of its own.
    static WindowExternalMap InstalledMap() { return WindowExternalMapFor(GetInstalledEngineVersion()); }

    IDispatch* External() {
        IDispatch* external = nullptr;
        EXPECT_EQ(S_OK, handler_->GetExternal(&external));
        return external;
    }

    Window owner_;
    ControlContainer container_{owner_};
    OleControlSite* site_ = nullptr;
    IDocHostUIHandler* handler_ = nullptr;
};

TEST_F(ControlSite, HandlerIsPartOfTheSite) {
    IOleClientSite* client = nullptr;
    ASSERT_EQ(S_OK, handler_->QueryInterface(IID_IOleClientSite, reinterpret_cast<void**>(&client)));
    IUnknown* fromHandler = nullptr;
    IUnknown* fromSite = nullptr;
    handler_->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&fromHandler));
    site_->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&fromSite));
    EXPECT_EQ(fromSite, fromHandler) << "one COM identity";
    // One count: a reference through the handler is a reference to the site.
    ULONG before = site_->AddRef();
    site_->Release();
    handler_->AddRef();
    EXPECT_EQ(before + 1, site_->AddRef());
    site_->Release();
    handler_->Release();
    fromHandler->Release();
    fromSite->Release();
    client->Release();

    IUnknown* notOffered = nullptr;
    EXPECT_EQ(E_NOINTERFACE, site_->QueryInterface(kIidDocHostShowUI, reinterpret_cast<void**>(&notOffered)));
    EXPECT_EQ(nullptr, notOffered);
}

TEST_F(ControlSite, HostInfoAsksForNoBorderAndThemesAndKeepsTheRest) {
    DOCHOSTUIINFO info = {};
    info.cbSize = sizeof info;
    info.dwFlags = 0xFFFFFFFF;
    info.dwDoubleClick = 7;
    info.pchHostCss = reinterpret_cast<OLECHAR*>(0x1234);
    EXPECT_EQ(S_OK, handler_->GetHostInfo(&info));
    EXPECT_EQ(0x00040004u, info.dwFlags);
    EXPECT_EQ(static_cast<DWORD>(DOCHOSTUIDBLCLK_DEFAULT), info.dwDoubleClick);
    EXPECT_EQ(sizeof info, info.cbSize);
    EXPECT_EQ(reinterpret_cast<OLECHAR*>(0x1234), info.pchHostCss);
    EXPECT_EQ(E_POINTER, handler_->GetHostInfo(nullptr));
}

TEST_F(ControlSite, EngineKeepsItsOwnMenusDropTargetAndUrls) {
    POINT at = {1, 1};
    EXPECT_EQ(S_FALSE, handler_->ShowContextMenu(0, &at, nullptr, nullptr));
    EXPECT_EQ(S_OK, handler_->ShowUI(0, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(S_OK, handler_->HideUI());
    EXPECT_EQ(S_OK, handler_->UpdateUI());
    EXPECT_EQ(S_OK, handler_->EnableModeless(TRUE));
    EXPECT_EQ(E_NOTIMPL, handler_->OnDocWindowActivate(TRUE));
    EXPECT_EQ(E_NOTIMPL, handler_->OnFrameWindowActivate(TRUE));
    EXPECT_EQ(S_OK, handler_->ResizeBorder(nullptr, nullptr, FALSE));
    LPOLESTR key = reinterpret_cast<LPOLESTR>(0x1);
    EXPECT_EQ(E_NOTIMPL, handler_->GetOptionKeyPath(&key, 0));
    EXPECT_EQ(nullptr, key);
    IDropTarget* target = reinterpret_cast<IDropTarget*>(0x1);
    EXPECT_EQ(E_NOTIMPL, handler_->GetDropTarget(nullptr, &target));
    EXPECT_EQ(nullptr, target);
    wchar_t url[] = L"http://a.example/";
    LPWSTR translated = reinterpret_cast<LPWSTR>(0x1);
    EXPECT_EQ(E_NOTIMPL, handler_->TranslateUrl(0, url, &translated));
    EXPECT_EQ(nullptr, translated);
    IDataObject* filtered = reinterpret_cast<IDataObject*>(0x1);
    EXPECT_EQ(E_NOTIMPL, handler_->FilterDataObject(nullptr, &filtered));
    EXPECT_EQ(nullptr, filtered);
    // Without the application's accelerator table no key is the host's.
    MSG key_down = {nullptr, WM_KEYDOWN, 'D', 0, 0, {0, 0}};
    EXPECT_EQ(S_FALSE, handler_->TranslateAccelerator(&key_down, nullptr, 0));
}

TEST_F(ControlSite, ExternalIsOneObjectThatKeepsTheSite) {
    IDispatch* external = nullptr;
    EXPECT_EQ(E_INVALIDARG, handler_->GetExternal(nullptr));
    external = External();
    ASSERT_NE(nullptr, external);
    IDispatch* again = External();
    EXPECT_EQ(external, again);
    again->Release();
    // The page's reference counts on the site, so the site cannot go while a page holds the object.
    ULONG held = site_->AddRef();
    site_->Release();
    external->Release();
    EXPECT_EQ(held - 1, site_->AddRef());
    site_->Release();
}

TEST_F(ControlSite, ExternalKnowsOnlyTheMembersOfTheThreadsEngine) {
    IDispatch* external = External();
    ASSERT_NE(nullptr, external);
    WindowExternalMap map = InstalledMap();
    for (size_t i = 0; i < map.size(); ++i) {
        std::wstring name = map[i];
        LPOLESTR names[] = {name.data()};
        DISPID id = -5;
        EXPECT_EQ(S_OK, external->GetIDsOfNames(IID_NULL, names, 1, 0, &id)) << name;
        EXPECT_EQ(static_cast<DISPID>(i), id) << name;
    }
    std::wstring unknown = FindExternalMember(map, L"AddChannel") ? L"AddSearchProvider" : L"AddChannel";
    LPOLESTR names[] = {unknown.data()};
    DISPID id = 0;
    EXPECT_EQ(DISP_E_UNKNOWNNAME, external->GetIDsOfNames(IID_NULL, names, 1, 0, &id));
    EXPECT_EQ(DISPID_UNKNOWN, id);

    // Named arguments are not known, but the member's own name still is.
    std::wstring member = map[0];
    std::wstring argument = L"url";
    LPOLESTR withArgument[] = {member.data(), argument.data()};
    DISPID ids[2] = {-5, -5};
    EXPECT_EQ(DISP_E_UNKNOWNNAME, external->GetIDsOfNames(IID_NULL, withArgument, 2, 0, ids));
    EXPECT_EQ(0, ids[0]);
    EXPECT_EQ(DISPID_UNKNOWN, ids[1]);
    external->Release();
}

TEST_F(ControlSite, CallingAMemberTellsTheUserAndReturnsNothing) {
    IDispatch* external = External();
    ASSERT_NE(nullptr, external);
    WindowExternalMap map = InstalledMap();
    VARIANT args[2];
    for (VARIANT& arg : args) {
        ::VariantInit(&arg);
        arg.vt = VT_BSTR;
        arg.bstrVal = ::SysAllocString(L"x");
    }
    DISPPARAMS params = {args, nullptr, 2, 0};
    VARIANT result;
    ::VariantInit(&result);
    result.vt = VT_I4;
    EXPECT_EQ(S_OK, external->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr));
    EXPECT_EQ(VT_EMPTY, result.vt);
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ(L"window.external." + std::wstring(map[1]) + L" method called", g_boxes[0]);
    EXPECT_EQ(static_cast<UINT>(MB_OK), g_boxTypes[0]);

    // A member read as a property, or a DISPID the map does not hold, is not a call.
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND,
              external->Invoke(1, IID_NULL, 0, DISPATCH_PROPERTYGET, &params, &result, nullptr, nullptr));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, external->Invoke(static_cast<DISPID>(map.size()), IID_NULL, 0,
                                                      DISPATCH_METHOD, &params, nullptr, nullptr, nullptr));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND,
              external->Invoke(-1, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(1u, g_boxes.size());
    for (VARIANT& arg : args)
        ::VariantClear(&arg);
    external->Release();
}

} // namespace
