#include "dialogs/MemoPage.h"
#include "dialogs/ColorSetDlg.h"
#include "res/resource.h"

CMemoPage::CMemoPage()
    : win::Dialog(IDD_MEMO_PAGE), previews_(IDC_MEMOPAGE_CAPTION_PREVIEW, IDC_MEMOPAGE_MEMO_PREVIEW) {}

const win::MessageTable* CMemoPage::messageTable() const {
    static const win::MessageEntry rows[] = {
        win::onCommand(IDC_MEMOPAGE_SET_COLORS, &CMemoPage::OnSetColors),
        win::onCtlColor(WM_CTLCOLORSTATIC, &CMemoPage::OnCtlColorStatic),
    };
    static const win::MessageTable table(rows, Dialog::messageTable());
    return &table;
}

void CMemoPage::setSettings(MemoLook look) {
    look_ = look;
    setChecked(IDC_MEMOPAGE_NOT_SHOW_TAB, look_.NOT_SHOW_TAB_FLAG);
    setChecked(IDC_MEMOPAGE_WORDWRAP, look_.WORDWRAP_FLAG);
    repaintNow(hwnd());
}

void CMemoPage::getSettings(MemoLook& look) {
    look_.NOT_SHOW_TAB_FLAG = isChecked(IDC_MEMOPAGE_NOT_SHOW_TAB);
    look_.WORDWRAP_FLAG = isChecked(IDC_MEMOPAGE_WORDWRAP);
    look = look_;
}

// The colours chosen reach the settings files only with the options' OK. The
// options dialog owns the colour dialog, so it stays disabled meanwhile: its
// OK would save before the colours came back.
void CMemoPage::OnSetColors() {
    CColorSetDlg dialog;
    dialog.setColors(look_.colors);
    if (dialog.doModal(GetAncestor(hwnd(), GA_ROOT)) == IDCANCEL) return;
    look_.colors = dialog.getColors();
    repaintNow(hwnd());
}

HBRUSH CMemoPage::OnCtlColorStatic(HDC dc, HWND control) {
    auto byDefault = reinterpret_cast<HBRUSH>(defaultProcessing());
    return previews_.answer(dc, control, look_.colors, byDefault);
}
