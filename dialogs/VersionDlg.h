// The version dialog (template 102): the program's icon, name, version and
// copyright line, read from the running file's version block. It has no
// caption bar: a press anywhere on it but the OK button drags it.
#pragma once
#include "win/Dialog.h"

class CVersionDlg : public win::Dialog {
public:
    CVersionDlg();
    BOOL OnInitDialog() override;

protected:
    const win::MessageTable* messageTable() const override;

private:
    void OnPaint();
    LRESULT OnQueryDragIcon(WPARAM, LPARAM);
    LRESULT OnLButtonDown(WPARAM, LPARAM lParam);

    void setVersionText();

    HICON icon_;  // a shared resource icon: never destroyed
};
