#pragma once
// The base of the program's dialogs: hooks through which a splitter child reports drags to its dialog, and
// the choice between the plain modal path and one that runs the dialog inside an intermediate modal dialog.
#include "framework/Dialog.h"

namespace movalent {

class CDialogFMX : public Dialog {
public:
    using Dialog::Dialog;

    // A splitter child was dragged to percent of the bounds the owner gave; false when the owner refuses.
    virtual bool SetSplitterPercent(int splitterId, int percent);
    // The rectangle percentages are computed against, and the bounds the splitter may move within.
    virtual bool GetSplitterBounds(int splitterId, RECT& rect, RECT& bounds);
    // Modal display inside an intermediate modal dialog of the same template, owned by the safe owner of the
    // dialog's owner; the intermediate dialog runs the plain path when it initialises and ends with its
    // result.
    virtual INT_PTR DoModalNested();
    // The framework's ordinary modal display.
    virtual INT_PTR DoModalPlain();

    // From product version 8 on, DoModalNested; before, DoModalPlain.
    INT_PTR DoModal(HWND owner = nullptr) override;

    // The program file's product version, major plus minor as a decimal fraction; read once.
    static double ProductVersion();

private:
    static INT_PTR CALLBACK NestedDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND owner_ = nullptr;
};

} // namespace movalent
