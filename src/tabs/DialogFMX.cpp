#include "tabs/DialogFMX.h"

#include "framework/Application.h"
#include "tabs/ControlRules.h"

#include <vector>

namespace movalent {

namespace {

double ReadProductVersion() {
    wchar_t path[MAX_PATH];
    DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 0;
    DWORD ignored = 0;
    DWORD size = ::GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0)
        return 0;
    std::vector<BYTE> block(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoSize = 0;
    if (!::GetFileVersionInfoW(path, 0, size, block.data()) ||
        !::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &infoSize) || !info ||
        infoSize < sizeof(VS_FIXEDFILEINFO))
        return 0;
    return ProductVersionNumber(HIWORD(info->dwProductVersionMS), LOWORD(info->dwProductVersionMS));
}

// The top-level window that owns a modal dialog: the owner's root, else the application's main window.
HWND SafeOwner(HWND owner) {
    if (!owner)
        if (Application* app = Application::Current(); app && app->MainWindow())
            owner = app->MainWindow()->Handle();
    return owner ? ::GetAncestor(owner, GA_ROOT) : nullptr;
}

} // namespace

bool CDialogFMX::SetSplitterPercent(int, int) {
    return false;
}

bool CDialogFMX::GetSplitterBounds(int, RECT&, RECT&) {
    return false;
}

double CDialogFMX::ProductVersion() {
    static const double version = ReadProductVersion();
    return version;
}

INT_PTR CDialogFMX::DoModal(HWND owner) {
    owner_ = owner;
    return UsesNestedModal(ProductVersion()) ? DoModalNested() : DoModalPlain();
}

INT_PTR CDialogFMX::DoModalPlain() {
    return Dialog::DoModal(owner_);
}

INT_PTR CDialogFMX::DoModalNested() {
    std::vector<std::uint32_t> storage;
    const DLGTEMPLATE* dialogTemplate = PrepareTemplate(storage, nullptr);
    if (!dialogTemplate)
        return -1;
    return ::DialogBoxIndirectParamW(ResourceInstance(), dialogTemplate, SafeOwner(owner_), NestedDialogProc,
                                     reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CDialogFMX::NestedDialogProc(HWND hwnd, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG)
        return FALSE;
    auto* self = reinterpret_cast<CDialogFMX*>(lParam);
    ::EndDialog(hwnd, self->DoModalPlain());
    return TRUE;
}

} // namespace movalent
