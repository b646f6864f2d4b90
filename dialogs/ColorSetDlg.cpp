#include "dialogs/ColorSetDlg.h"
#include <array>
#include "res/Texts.h"
#include "res/resource.h"
#include "win/MessageBox.h"

namespace {

// The custom colours of the common colour dialog, shared by every pick while
// the program runs; white at start and never saved.
std::array<COLORREF, 16> customColors = [] {
    std::array<COLORREF, 16> white;
    white.fill(RGB(255, 255, 255));
    return white;
}();

}  // namespace

CColorSetDlg::CColorSetDlg()
    : win::Dialog(IDD_COLORSET), previews_(IDC_COLOR_CAPTION_PREVIEW, IDC_COLOR_MEMO_PREVIEW) {}

const win::MessageTable* CColorSetDlg::messageTable() const {
    static const win::MessageEntry rows[] = {
        win::onCommand(IDC_COLOR_CAPTION_TEXT, &CColorSetDlg::OnCaptionText),
        win::onCommand(IDC_COLOR_CAPTION_BACK, &CColorSetDlg::OnCaptionBack),
        win::onCommand(IDC_COLOR_MEMO_TEXT, &CColorSetDlg::OnMemoText),
        win::onCommand(IDC_COLOR_MEMO_BACK, &CColorSetDlg::OnMemoBack),
        win::onCommand(IDC_COLOR_RESET, &CColorSetDlg::OnReset),
        win::onCtlColor(WM_CTLCOLORSTATIC, &CColorSetDlg::OnCtlColorStatic),
    };
    static const win::MessageTable table(rows, Dialog::messageTable());
    return &table;
}

void CColorSetDlg::pickColor(uint32_t MemoColors::*color) {
    CHOOSECOLORA request = {};
    request.lStructSize = sizeof request;
    request.hwndOwner = hwnd();
    request.rgbResult = colors_.*color;
    request.lpCustColors = customColors.data();
    // Black is never preselected; the custom colours start folded away and
    // may be unfolded.
    request.Flags = colors_.*color != 0 ? CC_RGBINIT : 0;
    if (ChooseColorA(&request)) colors_.*color = request.rgbResult;
    if (!hwnd()) return;  // ended with its owner meanwhile
    repaintNow(hwnd());
}

// The factory colours, not the default colours of the options.
void CColorSetDlg::OnReset() {
    if (!win::askYesNo(texts::RESET_COLORS_QUESTION, hwnd())) return;
    colors_ = MemoColors();
    repaintNow(hwnd());
}

HBRUSH CColorSetDlg::OnCtlColorStatic(HDC dc, HWND control) {
    auto byDefault = reinterpret_cast<HBRUSH>(defaultProcessing());
    return previews_.answer(dc, control, colors_, byDefault);
}
