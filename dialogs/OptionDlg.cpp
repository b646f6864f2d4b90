#include "dialogs/OptionDlg.h"
#include "res/Texts.h"
#include "res/resource.h"
#include "win/MessageBox.h"

COptionDlg::COptionDlg() : win::Dialog(IDD_OPTION) {}

BOOL COptionDlg::OnInitDialog() {
    loadSettings(settings_.general, settings_.look);
    return TRUE;
}

void COptionDlg::OnOK() {
    // The settings files are the only way a change reaches the other windows:
    // a change that cannot be written must not pass silently.
    if (!saveSettings(settings_.general, settings_.look)) {
        win::showWarning(texts::CANNOT_SAVE, hwnd());
    }
    win::Dialog::OnOK();
}
