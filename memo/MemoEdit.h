// A memo's text editor (control 1000): a multi-line edit control in which the
// Tab key types a tab character instead of moving the focus, and which
// breaks its lines where the view does.
#pragma once
#include "win/Window.h"

class CMemoEdit : public win::Window {
public:
    // Lets the editor break lines by the view's rule (mayBreakBefore,
    // wrapEnd); called once its window is made.
    void breakLinesAsTheView();

    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    const win::MessageTable* messageTable() const override;

private:
    LRESULT OnGetDlgCode(WPARAM, LPARAM);
    LRESULT OnKeyDown(WPARAM, LPARAM);
    static int CALLBACK wordBreak(LPWSTR text, int index, int count, int action);
};
