#pragma once
// The dispatch ids of IWebBrowser2's members, as the engine's type library numbers them; hosts call the
// control by these numbers.
#include <windows.h>
#include <olectl.h>

#include <string_view>

namespace movalent::standin {

enum BrowserDispId : DISPID {
    kDispGoBack = 100,
    kDispGoForward = 101,
    kDispGoHome = 102,
    kDispGoSearch = 103,
    kDispNavigate = 104,
    kDispRefresh2 = 105,
    kDispStop = 106,
    kDispRefresh = DISPID_REFRESH, // -550
    kDispApplication = 200,
    kDispParent = 201,
    kDispContainer = 202,
    kDispDocument = 203,
    kDispTopLevelContainer = 204,
    kDispType = 205,
    kDispLeft = 206,
    kDispTop = 207,
    kDispWidth = 208,
    kDispHeight = 209,
    kDispLocationName = 210,
    kDispLocationUrl = 211,
    kDispBusy = 212,
    kDispQuit = 300,
    kDispClientToWindow = 301,
    kDispPutProperty = 302,
    kDispGetProperty = 303,
    kDispName = DISPID_VALUE, // 0
    kDispHwnd = DISPID_HWND,  // -515
    kDispFullName = 400,
    kDispPath = 401,
    kDispVisible = 402,
    kDispStatusBar = 403,
    kDispStatusText = 404,
    kDispToolBar = 405,
    kDispMenuBar = 406,
    kDispFullScreen = 407,
    kDispNavigate2 = 500,
    kDispQueryStatusWb = 501,
    kDispExecWb = 502,
    kDispShowBrowserBar = 503,
    kDispReadyState = DISPID_READYSTATE, // -525
    kDispOffline = 550,
    kDispSilent = 551,
    kDispRegisterAsBrowser = 552,
    kDispRegisterAsDropTarget = 553,
    kDispTheaterMode = 554,
    kDispAddressBar = 555,
    kDispResizable = 556,
};

struct BrowserMemberName {
    std::wstring_view name;
    DISPID id;
};

inline constexpr BrowserMemberName kBrowserMemberNames[] = {
    {L"GoBack", kDispGoBack},
    {L"GoForward", kDispGoForward},
    {L"GoHome", kDispGoHome},
    {L"GoSearch", kDispGoSearch},
    {L"Navigate", kDispNavigate},
    {L"Refresh", kDispRefresh},
    {L"Refresh2", kDispRefresh2},
    {L"Stop", kDispStop},
    {L"Application", kDispApplication},
    {L"Parent", kDispParent},
    {L"Container", kDispContainer},
    {L"Document", kDispDocument},
    {L"TopLevelContainer", kDispTopLevelContainer},
    {L"Type", kDispType},
    {L"Left", kDispLeft},
    {L"Top", kDispTop},
    {L"Width", kDispWidth},
    {L"Height", kDispHeight},
    {L"LocationName", kDispLocationName},
    {L"LocationURL", kDispLocationUrl},
    {L"Busy", kDispBusy},
    {L"Quit", kDispQuit},
    {L"ClientToWindow", kDispClientToWindow},
    {L"PutProperty", kDispPutProperty},
    {L"GetProperty", kDispGetProperty},
    {L"Name", kDispName},
    {L"HWND", kDispHwnd},
    {L"FullName", kDispFullName},
    {L"Path", kDispPath},
    {L"Visible", kDispVisible},
    {L"StatusBar", kDispStatusBar},
    {L"StatusText", kDispStatusText},
    {L"ToolBar", kDispToolBar},
    {L"MenuBar", kDispMenuBar},
    {L"FullScreen", kDispFullScreen},
    {L"Navigate2", kDispNavigate2},
    {L"QueryStatusWB", kDispQueryStatusWb},
    {L"ExecWB", kDispExecWb},
    {L"ShowBrowserBar", kDispShowBrowserBar},
    {L"ReadyState", kDispReadyState},
    {L"Offline", kDispOffline},
    {L"Silent", kDispSilent},
    {L"RegisterAsBrowser", kDispRegisterAsBrowser},
    {L"RegisterAsDropTarget", kDispRegisterAsDropTarget},
    {L"TheaterMode", kDispTheaterMode},
    {L"AddressBar", kDispAddressBar},
    {L"Resizable", kDispResizable},
};

} // namespace movalent::standin
