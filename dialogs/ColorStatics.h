// Two statics painted in a memo's four colours by answering their colour
// requests: a memo's caption strip and text, and the previews of the colour
// dialog and of the options dialog's memo page.
#pragma once
#include <windows.h>
#include "store/Settings.h"
#include "win/Gdi.h"

class ColorStatics {
public:
    ColorStatics(int captionId, int memoId) : captionId_(captionId), memoId_(memoId) {}

    // The answer to WM_CTLCOLORSTATIC from `control`: for a preview, a brush
    // of the preview's background colour, shared with every other preview of
    // that colour, with the text colour set; for any other control `byDefault`.
    HBRUSH answer(HDC dc, HWND control, const MemoColors& colors, HBRUSH byDefault);

private:
    int captionId_, memoId_;
};

// Repaints a window and its controls before returning, so that a changed
// colour shows at once.
inline void repaintNow(HWND hwnd) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}
