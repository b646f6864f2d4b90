#include "dialogs/OptionDlg.h"
#include "dialogs/OptionValues.h"
#include <commctrl.h>
#include <stdexcept>
#include "res/Texts.h"
#include "res/resource.h"
#include "win/MessageBox.h"
#include "win/SystemLibrary.h"

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
    if (!loadSettings(settings_.general, settings_.appearance)) {
        win::showWarning(texts::CANNOT_READ);
        endDialog(IDCANCEL);
        return TRUE;
    }
    win::initCommonControls(ICC_TAB_CLASSES);

    HWND tabs = item(IDC_OPTION_TABS);
    const wchar_t* const titles[] = {L"全般", L"メモ"};
    for (int i = 0; i < 2; ++i) win::insertTab(tabs, i, titles[i]);

    // The pages lie over the tab control's frame as the dialog's own children,
    // as in a property sheet: a tab control holding them would be a control
    // parent, which the Tab key passes through and never stops at. On top,
    // they come first in the Tab order, then the page tabs, then OK.
    SetWindowLongA(tabs, GWL_STYLE, GetWindowLongA(tabs, GWL_STYLE) | WS_CLIPSIBLINGS);
    RECT area;
    GetWindowRect(tabs, &area);
    MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&area), 2);
    for (win::Dialog* page : pages_) {
        if (!page->createModeless(hwnd())) throw std::runtime_error("options page");
        SetWindowPos(page->hwnd(), HWND_TOP, area.left + 10, area.top + 40, area.right - area.left - 20,
                     area.bottom - area.top - 50, SWP_SHOWWINDOW);
    }
    ShowWindow(generalPage_.hwnd(), SW_SHOW);
    ShowWindow(memoPage_.hwnd(), SW_HIDE);

    generalPage_.setSettings(settings_.general);
    generalPage_.showStartAtLogon();
    memoPage_.setSettings(settings_.appearance);
    return TRUE;
}

LRESULT COptionDlg::OnTabSelChange(const NMHDR& hdr) {
    showPage(SendMessageA(hdr.hwndFrom, TCM_GETCURSEL, 0, 0));
    return 0;
}

// Hiding the general page stores the hot key being typed.
void COptionDlg::showPage(LRESULT index) {
    for (win::Dialog* page : pages_) ShowWindow(page->hwnd(), SW_HIDE);
    if (index >= 0 && index < 2) {
        ShowWindow(pages_[index]->hwnd(), SW_SHOW);
        SetFocus(pages_[index]->hwnd());
    }
}

// The tab control does not switch by itself on these keys: the dialog does.
bool COptionDlg::preTranslateMessage(const MSG& msg) {
    if (msg.message != WM_KEYDOWN) return false;
    HWND tabs = item(IDC_OPTION_TABS);
    int page = switchedPage(static_cast<uint32_t>(msg.wParam), GetKeyState(VK_CONTROL) < 0, GetKeyState(VK_SHIFT) < 0,
                            static_cast<int>(SendMessageA(tabs, TCM_GETCURSEL, 0, 0)), 2);
    if (page < 0) return false;
    SendMessageA(tabs, TCM_SETCURSEL, page, 0);
    showPage(page);
    return true;
}

void COptionDlg::OnOK() {
    generalPage_.getSettings(settings_.general);
    memoPage_.getSettings(settings_.appearance);
    // The settings files are the only way a change reaches the other windows.
    // A save may fail after "Quillpad.ini" was replaced: the run ends with IDOK
    // all the same, and the opener applies what the files hold now before it
    // tells the failure, so that nothing acts on old settings meanwhile.
    saveFailed_ = !saveSettings(settings_.general, settings_.appearance);
    startFailed_ = !generalPage_.applyStartAtLogon();
    win::Dialog::OnOK();
}
