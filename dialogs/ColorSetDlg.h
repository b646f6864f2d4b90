// The colour dialog (template 136): the four colours of a memo, or the default
// colours of new memos, with previews, picked one by one with the common colour
// dialog or reset to the factory colours. It stores nothing: the opener hands
// the colours in before the run and takes them back unless it was cancelled.
#pragma once
#include "dialogs/ColorStatics.h"
#include "store/Settings.h"
#include "win/Dialog.h"

class CColorSetDlg : public win::Dialog {
public:
    CColorSetDlg();

    void setColors(const MemoColors& colors) { colors_ = colors; }
    MemoColors getColors() const { return colors_; }

protected:
    const win::MessageTable* messageTable() const override;

private:
    void OnCaptionText() { pickColor(&MemoColors::TEXT_CAPTION_COLOR); }
    void OnCaptionBack() { pickColor(&MemoColors::BACK_CAPTION_COLOR); }
    void OnMemoText() { pickColor(&MemoColors::TEXT_MEMO_COLOR); }
    void OnMemoBack() { pickColor(&MemoColors::BACK_MEMO_COLOR); }
    void OnReset();
    HBRUSH OnCtlColorStatic(HDC dc, HWND control);

    void pickColor(uint32_t MemoColors::*color);

    ColorStatics previews_;
    MemoColors colors_;
};
