#include "win/Dialog.h"
#include "win/Failure.h"

namespace win {

INT_PTR Dialog::doModal(HWND owner) {
    modeless_ = false;
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), owner, dialogProc,
                           reinterpret_cast<LPARAM>(this));
}

bool Dialog::createModeless(HWND owner) {
    modeless_ = true;
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), owner, dialogProc,
                              reinterpret_cast<LPARAM>(this)) != nullptr;
}

void Dialog::endDialog(INT_PTR result) {
    if (!modeless_) EndDialog(hwnd(), result);
}

// The dialog manager calls this procedure; after WM_INITDIALOG it sees only
// what the message table passes on as default processing, and answers FALSE.
INT_PTR CALLBACK Dialog::dialogProc(HWND hwnd, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG) return FALSE;
    auto* self = reinterpret_cast<Dialog*>(lParam);
    self->attach(hwnd, true);
    return guarded(self->initDialogOperation, [self] { return self->OnInitDialog(); });
}

LRESULT Dialog::unlisted(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
        case IDOK: OnOK(); return 0;
        case IDCANCEL: OnCancel(); return 0;
        }
    }
    return DefWindowProc(message, wParam, lParam);
}

}  // namespace win
