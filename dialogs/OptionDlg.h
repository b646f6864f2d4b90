// The options dialog (template 131).
#pragma once
#include "win/Dialog.h"

class COptionDlg : public win::Dialog {
public:
    COptionDlg();
};
