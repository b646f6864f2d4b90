// The options dialog's page "メモ" (template 139): the default colours and
// display switches of new memos, edited in the page's own copy.
#pragma once
#include "dialogs/ColorStatics.h"
#include "store/Settings.h"
#include "win/Dialog.h"

class CMemoPage : public win::Dialog {
public:
    CMemoPage();

    void setSettings(MemoAppearance appearance);
    void getSettings(MemoAppearance& appearance);

    // A page never ends itself: only the options dialog's OK and Cancel do.
    void OnOK() override {}
    void OnCancel() override {}

protected:
    const win::MessageTable* messageTable() const override;

private:
    void OnSetColors();
    HBRUSH OnCtlColorStatic(HDC dc, HWND control);

    ColorStatics previews_;
    MemoAppearance appearance_;  // COMPACT_FLAG has no control and goes back as it came
};
