// A memo's text editor (control 1000): a multi-line edit control in which the
// Tab key types a tab character instead of moving the focus.
#pragma once
#include "win/Window.h"

class CMemoEdit : public win::Window {
protected:
    const win::MessageTable* messageTable() const override;

private:
    LRESULT OnGetDlgCode(WPARAM, LPARAM);
    LRESULT OnKeyDown(WPARAM, LPARAM);
};
