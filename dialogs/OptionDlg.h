// The options dialog (template 131): edits the settings and writes the
// settings files at OK.
#pragma once
#include "store/Settings.h"
#include "win/Dialog.h"

class COptionDlg : public win::Dialog {
public:
    COptionDlg();
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    AppSettings settings_;  // the working copy
};
