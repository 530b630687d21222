#include "mainframe/DialogOpenAll.h"

#include "app/Localisation.h"
#include "app/Settings.h"
#include "framework/FileDialog.h"
#include "framework/ResourceStrings.h"
#include "mainframe/OpenAllRules.h"
#include "resource.h"

namespace movalent {

namespace {

// Clipboard data is a block of memory of the owner's making: the text ends at its terminator or at the end of
// the block, whichever comes first.
template <typename Char> std::basic_string<Char> LockedText(HANDLE data) {
    std::basic_string<Char> text;
    if (!data)
        return text;
    SIZE_T size = ::GlobalSize(data);
    const auto* chars = static_cast<const Char*>(::GlobalLock(data));
    if (!chars)
        return text;
    SIZE_T count = size / sizeof(Char);
    SIZE_T length = 0;
    while (length < count && chars[length] != 0)
        ++length;
    text.assign(chars, length);
    ::GlobalUnlock(data);
    return text;
}

} // namespace

const wchar_t* const CDialogOpenAll::kBrowseFilter =
    L"HTML Files (*.htm; *.html; *.mhtml; *.mht)|*.htm;*.html;*.mhtml;*.mht|All files (*.*)|*.*||";

CDialogOpenAll::CDialogOpenAll(SettingsStore* settings) : Dialog(IDD_OPEN_ALL), settings_(settings) {}

void CDialogOpenAll::DoDataExchange(DataExchange& dx) {
    ExchangeText(dx, IDC_OPEN_ALL_URL, address_);
}

bool CDialogOpenAll::OnInitDialog() {
    Dialog::OnInitDialog();

    SetText(FrameworkString(IDS_OPEN_ALL_CAPTION));
    SetItemText(IDC_OPEN_ALL_PROMPT, FrameworkString(IDS_OPEN_ALL_PROMPT));
    SetItemText(IDOK, FrameworkString(IDS_OK));
    SetItemText(IDCANCEL, FrameworkString(IDS_CANCEL));
    SetItemText(IDC_OPEN_ALL_BROWSE, FrameworkString(IDS_BROWSE));

    HINSTANCE resources = ResourceInstance();
    for (const OpenAllBox& box : kOpenAllBoxes) {
        // Shared icons stay with the module; the buttons only borrow them.
        HANDLE icon =
            ::LoadImageW(resources, MAKEINTRESOURCEW(box.icon), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED);
        ::SendMessageW(Item(box.control), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
        bool ticked = settings_ ? ReadOpenAll(*settings_, box.version) : kDefaultOpenAll == 1;
        ::CheckDlgButton(Handle(), box.control, ticked ? BST_CHECKED : BST_UNCHECKED);
    }

    std::wstring clipboard = ClipboardText();
    address_ = clipboard.empty() ? std::wstring() : OpenAllAddressFromClipboard(clipboard);
    UpdateData(false);
    return true;
}

std::wstring CDialogOpenAll::ClipboardText() {
    if (!::OpenClipboard(Handle()))
        return {};
    std::wstring text;
    if (::IsClipboardFormatAvailable(CF_UNICODETEXT))
        text = LockedText<wchar_t>(::GetClipboardData(CF_UNICODETEXT));
    else if (::IsClipboardFormatAvailable(CF_TEXT))
        text = SystemAnsiToWide(LockedText<char>(::GetClipboardData(CF_TEXT)));
    ::CloseClipboard();
    return text;
}

bool CDialogOpenAll::OnControlNotify(int id, int code, HWND control) {
    if (code != BN_CLICKED)
        return Dialog::OnControlNotify(id, code, control);
    if (id == IDC_OPEN_ALL_BROWSE) {
        Browse();
        return true;
    }
    if (const OpenAllBox* box = FindOpenAllBox(id)) {
        // Stored at once: the choice holds even when the dialog is cancelled.
        if (settings_)
            WriteOpenAll(*settings_, box->version, ::IsDlgButtonChecked(Handle(), id) == BST_CHECKED);
        return true;
    }
    return Dialog::OnControlNotify(id, code, control);
}

void CDialogOpenAll::Browse() {
    // The program's folder stays the current directory: the engine loader relies on it.
    if (auto path = ShowFileOpenDialog(Handle(), kBrowseFilter, OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR))
        SetItemText(IDC_OPEN_ALL_URL, *path);
}

} // namespace movalent
