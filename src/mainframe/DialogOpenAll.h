#pragma once
// The open-in-all-versions dialog: one check box per engine version (stored as the "OpenAll_IE..." settings
// the moment it is clicked), the address to open, taken from the clipboard when that holds a web address, and
// a file browser for local pages.
#include "framework/Dialog.h"

#include <string>

namespace movalent {

class SettingsStore;

class CDialogOpenAll : public Dialog {
public:
    // The boxes are read from and written to settings (null: the boxes start ticked and nothing is stored).
    explicit CDialogOpenAll(SettingsStore* settings);

    // The address as the dialog ended with it (read back from the edit on OK).
    const std::wstring& Address() const { return address_; }

    static const wchar_t* const kBrowseFilter;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;
    bool OnControlNotify(int id, int code, HWND control) override;

private:
    void Browse();
    std::wstring ClipboardText();

    SettingsStore* settings_;
    std::wstring address_;
};

} // namespace movalent
