// The version dialog (template 102).
#pragma once
#include "win/Dialog.h"

class CVersionDlg : public win::Dialog {
public:
    CVersionDlg();
};
