#include "win/Dialog.h"
#include <commctrl.h>
#include "win/SystemLibrary.h"

namespace win {

const DLGTEMPLATE* dialogResource(UINT id) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), RT_DIALOG);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    return loaded ? static_cast<const DLGTEMPLATE*>(LockResource(loaded)) : nullptr;
}

// A template may name any common control's window class, and those classes
// exist only once comctl32.dll is loaded and has registered them.
const DLGTEMPLATE* Dialog::dialogTemplate() const {
    initCommonControls(ICC_WIN95_CLASSES);
    return templateInMemory ? templateInMemory : dialogResource(templateId_);
}

INT_PTR Dialog::doModal(HWND owner) {
    modeless_ = false;
    const DLGTEMPLATE* source = dialogTemplate();
    if (!source) return -1;
    return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), source, owner, dialogProc,
                                   reinterpret_cast<LPARAM>(this));
}

bool Dialog::createModeless(HWND owner) {
    modeless_ = true;
    const DLGTEMPLATE* source = dialogTemplate();
    return source && CreateDialogIndirectParamA(GetModuleHandleA(nullptr), source, owner, dialogProc,
                                                reinterpret_cast<LPARAM>(this)) != nullptr;
}

void Dialog::endDialog(INT_PTR result) {
    if (modeless_) {
        DestroyWindow(hwnd());
    } else {
        EndDialog(hwnd(), result);
    }
}

const MessageTable* Dialog::messageTable() const {
    // OK and Cancel also arrive from Enter, Escape and the close box.
    static const MessageEntry rows[] = {
        onCommand(IDOK, &Dialog::OnOK),
        onCommand(IDCANCEL, &Dialog::OnCancel),
    };
    static const MessageTable table(rows, Window::messageTable());
    return &table;
}

// The dialog manager calls this procedure; after WM_INITDIALOG it sees only
// what the message table passes on as default processing, and answers FALSE.
INT_PTR CALLBACK Dialog::dialogProc(HWND hwnd, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG || failing()) return FALSE;
    auto* self = reinterpret_cast<Dialog*>(lParam);
    self->attach(hwnd, true);
    return self->runHandler(self->initDialogOperation, [self] { return self->OnInitDialog(); });
}

}  // namespace win
