// Commands a host sends the control: print, print preview and text size through ExecWB or
// IOleCommandTarget, and the document's own print commands of the MSHTML command group. Printing opens no
// dialog; it is counted, so tests see that it arrived.
#include "standin/engine/browser/BrowserControl.h"

namespace movalent::standin {
namespace {

constexpr GUID kCgidMshtml = {0xDE4BA900, 0x59CA, 0x11CF, {0x95, 0x92, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
constexpr DWORD kIdmPrint = 27;
constexpr DWORD kIdmPrintPreview = 2003;
constexpr LONG kSmallestTextSize = 0;
constexpr LONG kLargestTextSize = 4;

} // namespace

OLECMDF CBrowserControl::StandardCommandState(OLECMDID command) const {
    const bool busy = pending_ || refreshing_;
    bool enabled;
    switch (command) {
    case OLECMDID_PRINT:
    case OLECMDID_PRINTPREVIEW:
        enabled = page_.present;
        break;
    case OLECMDID_ZOOM:
    case OLECMDID_GETZOOMRANGE:
        enabled = true;
        break;
    case OLECMDID_REFRESH:
        enabled = page_.present && !busy;
        break;
    case OLECMDID_STOP:
        enabled = busy;
        break;
    default:
        return static_cast<OLECMDF>(0);
    }
    return static_cast<OLECMDF>(OLECMDF_SUPPORTED | (enabled ? OLECMDF_ENABLED : 0));
}

HRESULT CBrowserControl::QueryStatusWB(OLECMDID command, OLECMDF* state) {
    if (state == nullptr)
        return E_POINTER;
    *state = StandardCommandState(command);
    return S_OK;
}

HRESULT CBrowserControl::ExecWB(OLECMDID command, OLECMDEXECOPT, VARIANT* in, VARIANT* out) {
    return ExecStandard(command, in, out);
}

HRESULT CBrowserControl::ExecStandard(OLECMDID command, VARIANT* in, VARIANT* out) {
    switch (command) {
    case OLECMDID_PRINT:
    case OLECMDID_PRINTPREVIEW:
        if (!page_.present)
            return OLECMDERR_E_DISABLED;
        ++(command == OLECMDID_PRINT ? printed_ : previewed_);
        PageChanged();
        return S_OK;
    case OLECMDID_ZOOM:
        return SetTextSize(in, out);
    case OLECMDID_GETZOOMRANGE:
        if (out == nullptr)
            return E_INVALIDARG;
        ::VariantInit(out);
        V_VT(out) = VT_I4;
        V_I4(out) = MAKELONG(kSmallestTextSize, kLargestTextSize);
        return S_OK;
    case OLECMDID_REFRESH:
        return Refresh();
    case OLECMDID_STOP:
        return Stop();
    default:
        return OLECMDERR_E_NOTSUPPORTED;
    }
}

// A level in sets the text size; the size in force comes back in out either way.
HRESULT CBrowserControl::SetTextSize(VARIANT* in, VARIANT* out) {
    if (in != nullptr && V_VT(in) != VT_EMPTY && V_VT(in) != VT_NULL) {
        UniqueVariant level;
        if (FAILED(::VariantCopyInd(&level, in)) || FAILED(::VariantChangeType(&level, &level, 0, VT_I4)))
            return E_INVALIDARG;
        if (V_I4(&level) < kSmallestTextSize || V_I4(&level) > kLargestTextSize)
            return E_INVALIDARG;
        textSize_ = static_cast<int>(V_I4(&level));
        PageChanged();
    }
    if (out != nullptr) {
        ::VariantInit(out);
        V_VT(out) = VT_I4;
        V_I4(out) = textSize_;
    }
    return S_OK;
}

HRESULT CBrowserControl::QueryStatus(const GUID* group, ULONG count, OLECMD commands[], OLECMDTEXT* text) {
    if (commands == nullptr && count > 0)
        return E_POINTER;
    if (text != nullptr)
        text->cwActual = 0;
    if (group == nullptr) {
        for (ULONG i = 0; i < count; ++i)
            commands[i].cmdf = StandardCommandState(static_cast<OLECMDID>(commands[i].cmdID));
        return S_OK;
    }
    if (IsEqualGUID(*group, kCgidMshtml)) {
        for (ULONG i = 0; i < count; ++i) {
            const bool known = commands[i].cmdID == kIdmPrint || commands[i].cmdID == kIdmPrintPreview;
            commands[i].cmdf = known ? OLECMDF_SUPPORTED | (page_.present ? OLECMDF_ENABLED : 0) : 0;
        }
        return S_OK;
    }
    return OLECMDERR_E_UNKNOWNGROUP;
}

HRESULT CBrowserControl::Exec(const GUID* group, DWORD command, DWORD, VARIANT* in, VARIANT* out) {
    if (group == nullptr)
        return ExecStandard(static_cast<OLECMDID>(command), in, out);
    if (!IsEqualGUID(*group, kCgidMshtml))
        return OLECMDERR_E_UNKNOWNGROUP;
    if (command == kIdmPrint)
        return ExecStandard(OLECMDID_PRINT, in, out);
    if (command == kIdmPrintPreview)
        return ExecStandard(OLECMDID_PRINTPREVIEW, in, out);
    return OLECMDERR_E_NOTSUPPORTED;
}

} // namespace movalent::standin
