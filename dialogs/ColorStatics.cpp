#include "dialogs/ColorStatics.h"

HBRUSH ColorStatics::answer(HDC dc, HWND control, const MemoColors& colors, HBRUSH byDefault) {
    int id = GetDlgCtrlID(control);
    COLORREF back, text;
    if (id == captionId_) {
        back = colors.BACK_CAPTION_COLOR;
        text = colors.TEXT_CAPTION_COLOR;
    } else if (id == memoId_) {
        back = colors.BACK_MEMO_COLOR;
        text = colors.TEXT_MEMO_COLOR;
    } else {
        return byDefault;
    }
    brush_.reset(CreateSolidBrush(back));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, text);
    return brush_.get();
}
