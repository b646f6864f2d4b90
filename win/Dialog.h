// A dialog from a template, run modally or modelessly. Its window is subclassed
// at WM_INITDIALOG, so the message table sees its messages before the dialog
// manager, whose handling is the default processing.
#pragma once
#include <string>
#include "win/Controls.h"
#include "win/Window.h"

namespace win {

// A dialog template of the program's resources, or null.
const DLGTEMPLATE* dialogResource(UINT id);

class Dialog : public Window {
public:
    explicit Dialog(UINT templateId) : templateId_(templateId) {}

    // Runs the dialog modally; returns the code that ended it (-1 when it could not be created).
    INT_PTR doModal(HWND owner = nullptr);
    // Creates the dialog modeless; it gets IsDialogMessage in the message loop.
    bool createModeless(HWND owner);
    bool isModeless() const { return modeless_; }

    HWND item(int id) const { return GetDlgItem(hwnd(), id); }
    std::wstring itemText(int id) const { return windowText(item(id)); }
    void setItemText(int id, const std::wstring& text) const { setWindowText(item(id), text); }
    // A check box: checked or not.
    void setChecked(int id, bool on) { CheckDlgButton(hwnd(), id, on ? BST_CHECKED : BST_UNCHECKED); }
    bool isChecked(int id) const { return IsDlgButtonChecked(hwnd(), id) == BST_CHECKED; }

    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnOK() { endDialog(IDOK); }
    virtual void OnCancel() { endDialog(IDCANCEL); }
    // Ends a modal run with `result`; a modeless dialog ends with its window destroyed.
    void endDialog(INT_PTR result);
    // Cancels every modal run, the innermost first; each loop returns once
    // the message being handled has returned.
    static void cancelModalRuns();
    // Gives a message for a modeless dialog of ours or one of its controls
    // to that dialog's IsDialogMessage; true when it was handled there.
    static bool routeToModeless(MSG& msg);

protected:
    const MessageTable* messageTable() const override;
    // A message for this dialog or one of its controls, before the dialog
    // manager sees it (keys the dialog manager would take, such as Ctrl+Tab);
    // true when it was handled.
    virtual bool preTranslateMessage(const MSG&) { return false; }
    // Named in the failure message of OnInitDialog, or null.
    const char* initDialogOperation = nullptr;
    // A template in memory to create the dialog from instead of the resource.
    const DLGTEMPLATE* templateInMemory = nullptr;

private:
    const DLGTEMPLATE* dialogTemplate() const;
    static INT_PTR CALLBACK dialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // The dialog manager's loops ask this before IsDialogMessage (MSGF_DIALOGBOX).
    static LRESULT CALLBACK messageFilter(int code, WPARAM wParam, LPARAM lParam);
    static void filterDialogLoops();

    UINT templateId_;
    bool modeless_ = false;
};

}  // namespace win
