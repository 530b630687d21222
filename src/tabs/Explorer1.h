#pragma once
// The WebBrowser control as the container uses it: every operation is an automation call by DISPID on the
// control's default dispatch interface.
#include "framework/OleControl.h"

#include <string>

namespace movalent {

class CExplorer1 : public OleControl {
public:
    // {8856F961-340A-11D0-A96B-00C04FD705A2}
    static const CLSID kClassId;

    bool Create(DWORD style, const RECT& rect, Dialog& parent, UINT id);

    HRESULT GoBack();
    HRESULT GoForward();
    // Optional arguments left null are passed empty.
    HRESULT Navigate(const std::wstring& url, VARIANT* flags = nullptr, VARIANT* targetFrameName = nullptr,
                     VARIANT* postData = nullptr, VARIANT* headers = nullptr);
    HRESULT Refresh2(VARIANT* level);
    HRESULT Stop();
    // The document object; null when there is none.
    IDispatch* GetDocument();
    std::wstring GetLocationName();
    HRESULT ExecWB(long command, long option, VARIANT* input, VARIANT* output);
    HRESULT Refresh();
};

} // namespace movalent
