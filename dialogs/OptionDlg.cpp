#include "dialogs/OptionDlg.h"
#include <commctrl.h>
#include <stdexcept>
#include "res/Texts.h"
#include "res/resource.h"
#include "win/MessageBox.h"

COptionDlg::COptionDlg() : win::Dialog(IDD_OPTION) {}

const win::MessageTable* COptionDlg::messageTable() const {
    static const win::MessageEntry rows[] = {
        win::onNotify(IDC_OPTION_TABS, TCN_SELCHANGE, &COptionDlg::OnTabSelChange),
    };
    static const win::MessageTable table(rows, Dialog::messageTable());
    return &table;
}

BOOL COptionDlg::OnInitDialog() {
    // Defaults standing in for settings that exist would be written over them
    // at OK. Ended here, the dialog is never shown.
    if (!loadSettings(settings_.general, settings_.look)) {
        win::showWarning(texts::CANNOT_READ);
        endDialog(IDCANCEL);
        return TRUE;
    }
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_TAB_CLASSES};
    InitCommonControlsEx(&classes);

    HWND tabs = item(IDC_OPTION_TABS);
    const char* const titles[] = {"全般", "メモ"};
    for (int i = 0; i < 2; ++i) {
        TCITEMA tab = {};
        tab.mask = TCIF_TEXT;
        tab.pszText = const_cast<char*>(titles[i]);
        SendMessageA(tabs, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&tab));
    }

    // The pages are children of the tab control, placed inside its frame; the
    // Tab key reaches their controls only through a control parent.
    SetWindowLongA(tabs, GWL_EXSTYLE, GetWindowLongA(tabs, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    RECT area;
    GetWindowRect(tabs, &area);
    MapWindowPoints(nullptr, tabs, reinterpret_cast<POINT*>(&area), 2);
    for (win::Dialog* page : pages_) {
        if (!page->createModeless(tabs)) throw std::runtime_error("options page");
        SetWindowPos(page->hwnd(), HWND_TOP, area.left + 10, area.top + 40, area.right - area.left - 20,
                     area.bottom - area.top - 50, SWP_SHOWWINDOW);
    }
    ShowWindow(generalPage_.hwnd(), SW_SHOW);
    ShowWindow(memoPage_.hwnd(), SW_HIDE);

    generalPage_.setSettings(settings_.general);
    memoPage_.setSettings(settings_.look);
    return TRUE;
}

// Hiding the general page stores the hot key being typed.
LRESULT COptionDlg::OnTabSelChange(const NMHDR& hdr) {
    for (win::Dialog* page : pages_) ShowWindow(page->hwnd(), SW_HIDE);
    LRESULT selected = SendMessageA(hdr.hwndFrom, TCM_GETCURSEL, 0, 0);
    if (selected >= 0 && selected < 2) {
        ShowWindow(pages_[selected]->hwnd(), SW_SHOW);
        SetFocus(pages_[selected]->hwnd());
    }
    return 0;
}

void COptionDlg::OnOK() {
    generalPage_.getSettings(settings_.general);
    memoPage_.getSettings(settings_.look);
    // The settings files are the only way a change reaches the other windows.
    // A save may fail after "Quillpad.ini" was replaced: the user is told, and
    // the run ends with IDOK all the same, so that the opener applies what the
    // files hold now.
    if (!saveSettings(settings_.general, settings_.look)) win::showWarning(texts::CANNOT_SAVE, hwnd());
    win::Dialog::OnOK();
}
