#include "dialogs/ColorStatics.h"
#include <map>

namespace {

// The brushes of the colours answered, for the whole process: hundreds of
// memos of a few colours hold a few brushes. Past MOST_BRUSHES colours (a
// preview shown in many) they are made anew; a control paints with the brush
// it was answered before the next request.
constexpr size_t MOST_BRUSHES = 64;

HBRUSH sharedBrush(COLORREF color) {
    static std::map<COLORREF, win::Brush> brushes;
    auto found = brushes.find(color);
    if (found != brushes.end()) return found->second.get();
    if (brushes.size() >= MOST_BRUSHES) brushes.clear();
    return brushes.try_emplace(color, CreateSolidBrush(color)).first->second.get();
}

}  // namespace

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
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, text);
    return sharedBrush(back);
}
