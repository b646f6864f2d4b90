// The options dialog (template 131): the pages "全般" and "メモ" in its tab
// control, filled from the settings files when it opens; OK writes both files.
// When a settings file exists but cannot be read it says so and ends as
// cancelled before it is shown.
// It tells no other window anything: its opener reloads the settings from the
// files when the run did not end with IDCANCEL, also after an OK whose save
// failed (the dialog has told the user), since one file may have been written.
#pragma once
#include "dialogs/GeneralPage.h"
#include "dialogs/MemoPage.h"
#include "store/Settings.h"
#include "win/Dialog.h"

class COptionDlg : public win::Dialog {
public:
    COptionDlg();
    BOOL OnInitDialog() override;
    void OnOK() override;
    // After an OK: the settings files could not both be written.
    bool saveFailed() const { return saveFailed_; }
    // At OK: the Run key could not take the start at logon.
    bool startFailed() const { return startFailed_; }

protected:
    const win::MessageTable* messageTable() const override;
    bool preTranslateMessage(const MSG& msg) override;

private:
    LRESULT OnTabSelChange(const NMHDR&);
    void showPage(LRESULT index);

    CGeneralPage generalPage_;
    CMemoPage memoPage_;
    win::Dialog* const pages_[2] = {&generalPage_, &memoPage_};  // in the order of their tabs
    AppSettings settings_;  // the working copy, changed only at OK
    bool saveFailed_ = false;
    bool startFailed_ = false;
};
